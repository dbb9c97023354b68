#!/usr/bin/env bash
# Installs the Corvantis demo product into a Wine prefix, as its installer
# would leave it:
#   install-demo.sh <wineprefix> <build dir> [ENU|DEU|JPN|FRA|ESP]
#
#   C:\Program Files\Kelvaro\Corvantis          programs, resource modules, prodinfo.ini
#   C:\Program Files\Kelvaro\Corvantis\Data     corvfax.ini, summary.ini (summary.txt,
#                                               registration.log appear later)
#   C:\Program Files\Kelvaro\Corvantis\HELP     README.TXT
#   HKLM\Software\Kelvaro\Corvantis             Env, Install, Models, Devices (77 default, 78)
#   HKLM\Software\Kelvaro\Links\9936            product registration (register.exe)
#
# The language (default ENU) becomes the registry value "Language", which
# picks the resource module FXWRES.<language>, and chooses the summary
# template and README.TXT (product/lang/<language>; English at the top of
# product/). Texts are kept in UTF-8 and installed in the ANSI code page the
# programs read them in: 932 for Japanese, 1252 for the others; prodinfo.ini
# section by section. Installing again resets the product's
# registry tree and files to their first state. A prefix that does not exist
# yet is created (null display driver unless WIZ_PREFIX_MODE=x11).
set -euo pipefail

usage() {
  echo "usage: $0 <wineprefix> <build dir> [ENU|DEU|JPN|FRA|ESP]" >&2
  exit 2
}
[ $# -ge 2 ] && [ $# -le 3 ] || usage
here=$(cd "$(dirname "$0")/.." && pwd)
product=$here/product
prefix=$(realpath -m "$1")
build=$(realpath -m "$2")
language=${3:-ENU}
case $language in ENU|DEU|JPN|FRA|ESP) ;; *) echo "install-demo: language must be ENU, DEU, JPN, FRA or ESP" >&2; exit 2 ;; esac
texts=$product
[ "$language" = ENU ] || texts=$product/lang/$language
bin=$build/bin
[ -d "$bin" ] || { echo "install-demo: no build output in $bin" >&2; exit 1; }

# The Wine of the architecture the build folder was made for.
. "$here/scripts/wine.sh"
wiz_wine_env "$(wiz_build_arch "$build")"
export WINEPREFIX=$prefix
if [ ! -f "$prefix/system.reg" ]; then
  "$here/scripts/wineprefix.sh" "$prefix" "${WIZ_PREFIX_MODE:-null}"
fi

programdir="$prefix/drive_c/Program Files/Kelvaro/Corvantis"
datadir="$programdir/Data"
helpdir="$programdir/HELP"
mkdir -p "$programdir" "$datadir" "$helpdir"

# Text files get Windows line ends and the language's code page, as the
# installer would write them (prodinfo.ini: each language's section in its own).
copy_text() {
  python3 "$here/scripts/ansi-text.py" "$language" "$1" "$2"
}

# ---- programs and libraries ----
installed=()
missing=()
# copy_binary <file> [required]: copies what the build made.
copy_binary() {
  if [ -f "$bin/$1" ]; then
    cp -f "$bin/$1" "$programdir/"
    installed+=("$1")
  elif [ "${2:-}" = required ]; then
    missing+=("$1")
  fi
}
copy_binary faxwiz.exe required
# Maker libraries that are DLLs and the tools are built under their folders' names.
for dir in "$here"/maker/*/ "$here"/tools/*/; do
  [ -f "$dir/CMakeLists.txt" ] || continue
  copy_binary "$(basename "$dir").dll"
  copy_binary "$(basename "$dir").exe"
done
resmodules=0
for module in "$bin"/FXWRES.*; do
  [ -f "$module" ] || continue
  cp -f "$module" "$programdir/"
  installed+=("$(basename "$module")")
  resmodules=1
done
[ $resmodules = 1 ] || missing+=("FXWRES.$language")

# ---- product files ----
copy_text "$product/prodinfo.ini" "$programdir/prodinfo.ini"
copy_text "$product/corvfax.ini" "$datadir/corvfax.ini"
copy_text "$texts/HELP/README.TXT" "$helpdir/README.TXT"
if [ -f "$texts/summary.ini" ]; then
  copy_text "$texts/summary.ini" "$datadir/summary.ini"
else
  missing+=("summary.ini")
fi
rm -f "$datadir/summary.txt" "$datadir/registration.log"

# ---- registry ----
wiz_wine reg delete 'HKLM\Software\Kelvaro\Corvantis' /f >/dev/null 2>&1 || true
wiz_wine reg delete 'HKLM\Software\Kelvaro\Links\9936' /f >/dev/null 2>&1 || true
regfile="$prefix/drive_c/windows/temp/corvantis-install.reg"
mkdir -p "$(dirname "$regfile")"
sed "s/^\"Language\"=\"ENU\"/\"Language\"=\"$language\"/; s/\r$//; s/$/\r/" \
  "$product/corvantis.reg" > "$regfile"
wiz_wine regedit /S 'C:\windows\temp\corvantis-install.reg' >/dev/null 2>&1
rm -f "$regfile"
if ! wiz_wine reg query 'HKLM\Software\Kelvaro\Corvantis\Devices\0' /v DefDevID >/dev/null 2>&1; then
  echo "install-demo: the registry tree could not be written" >&2
  exit 1
fi

# ---- simulated devices ----
# The device access stand-in keeps one state file per device id (folder:
# DA_SIM_DIR, by default C:\ProgramData\Kelvaro\DeviceSim); its devtool
# writes them. Installing again starts both devices afresh, journal included.
seed_devices() {
  local tool=$bin/devtool.exe
  if [ ! -f "$tool" ]; then
    missing+=("devtool.exe (devices 77 and 78 not seeded: they stay offline)")
    return 0
  fi
  dev() {
    wiz_wine "$tool" "$@" >/dev/null 2>&1 || { echo "install-demo: devtool $* failed" >&2; exit 1; }
  }
  local id
  for id in 77 78; do
    wiz_wine "$tool" remove $id >/dev/null 2>&1 || true
    dev init $id
  done
  # 77, the default device: as it left the factory; it reports the device
  # option (information item 17) and waits 2 rings, 5 with an answering machine.
  dev info 77 17 1
  dev param 77 15 2
  dev param 77 16 5
  # 78: a unit already in use, with a fax number and header name of its own,
  # a distinctive ring pattern (code 2) and no device option.
  dev info 78 17 0
  dev param 78 15 3
  dev param 78 16 6
  dev set 78 31 4 "+1 555 0178"
  dev set 78 32 4 "Front Office"
  dev set 78 51 8 2
  dev set 78 48 2 3
}
seed_devices

# The registry reaches the prefix's files only when the server ends.
wiz_wineserver -w

echo "Installed the Corvantis demo product ($language) into $prefix"
echo "  program folder: C:\\Program Files\\Kelvaro\\Corvantis"
echo "  installed: ${installed[*]:-nothing}"
if [ ${#missing[@]} -gt 0 ]; then
  printf '  not there yet: %s\n' "${missing[0]}"
  printf '                 %s\n' "${missing[@]:1}"
fi
