#!/usr/bin/env bash
# Installs what building, testing and running the wizard needs, and only what is missing.
# Compilers for both Windows targets everywhere; the 32-bit Wine (and the i386
# architecture it needs) only where this machine can run 32-bit processes.
set -euo pipefail
. "$(dirname "$0")/wine.sh"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# package -> a file that shows it is there
declare -A CHECK=(
  [g++-mingw-w64-i686-posix]=/usr/bin/i686-w64-mingw32-g++-posix
  [gcc-mingw-w64-i686-posix]=/usr/bin/i686-w64-mingw32-gcc-posix
  [binutils-mingw-w64-i686]=/usr/bin/i686-w64-mingw32-windres
  [g++-mingw-w64-x86-64-posix]=/usr/bin/x86_64-w64-mingw32-g++-posix
  [gcc-mingw-w64-x86-64-posix]=/usr/bin/x86_64-w64-mingw32-gcc-posix
  [binutils-mingw-w64-x86-64]=/usr/bin/x86_64-w64-mingw32-windres
  [wine]=/usr/bin/wine
  [wine64]=/usr/lib/wine/wine64
  [cmake]=/usr/bin/cmake
  [googletest]=/usr/src/googletest/CMakeLists.txt
  # build the MSI package from its WiX source (msibuild: the rows wixl cannot write)
  [wixl]=/usr/bin/wixl
  [msitools]=/usr/bin/msibuild
  # sign the programs and packages (Authenticode); openssl makes the test certificate
  [osslsigncode]=/usr/bin/osslsigncode
  [openssl]=/usr/bin/openssl
  [xvfb]=/usr/bin/Xvfb
  [x11-apps]=/usr/bin/xwd
  [imagemagick]=/usr/bin/convert-im6.q16
  [python3]=/usr/bin/python3
  # Japanese glyphs for the JPN pages: Wine finds no such font of its own.
  [fonts-ipafont-gothic]=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
)

can32=0
if wiz_can_run_32; then
  can32=1
  CHECK[wine32:i386]=/usr/lib/wine/wine
fi

missing=()
for pkg in "${!CHECK[@]}"; do
  if [ ! -e "${CHECK[$pkg]}" ] && ! dpkg -s "$pkg" >/dev/null 2>&1; then
    missing+=("$pkg")
  fi
done

# Wine names files in the Unix code set of the locale it runs under: without
# the glibc locale it falls back to ASCII, and a Japanese or accented file
# name cannot be created. The code page comes from LC_ALL either way.
wanted_locales=(en_US de_DE ja_JP fr_FR fr_CA es_ES es_MX)
missing_locales=()
for name in "${wanted_locales[@]}"; do
  locale -a 2>/dev/null | grep -qix "$name.utf-\?8" || missing_locales+=("$name")
done
if [ ${#missing_locales[@]} -gt 0 ] && ! command -v localedef >/dev/null; then
  missing+=(locales)
fi

install_locales() {
  [ ${#missing_locales[@]} -gt 0 ] || return 0
  echo "bootstrap: generating the locales ${missing_locales[*]/%/.UTF-8}"
  local name
  for name in "${missing_locales[@]}"; do
    $SUDO localedef -i "$name" -f UTF-8 "$name.UTF-8"
  done
}

if [ ${#missing[@]} -eq 0 ]; then
  install_locales
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
if [ $can32 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "bootstrap: enabling the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
install_locales
echo "bootstrap: done"
