#!/usr/bin/env bash
# Installs the Corvantis demo product into a Wine prefix with its installer,
# the build's MSI package (target msi), and sets up the simulated printer the
# demo needs, which is no part of the product and so not of the package:
#   install-demo.sh <wineprefix> <build dir> [ENU|DEU|JPN|FRA|ESP]
#
#   C:\Program Files\Kelvaro\Corvantis          programs, resource modules, prodinfo.ini
#   C:\Program Files\Kelvaro\Corvantis\Data     corvfax.ini, summary.ini (summary.txt,
#                                               registration.log appear later)
#   C:\Program Files\Kelvaro\Corvantis\HELP     README.TXT
#   HKLM\Software\Kelvaro\Corvantis             Env, Install, Models (the package);
#                                               Devices (77 default, 78: devices.reg)
#   HKLM\Software\Kelvaro\Links\9936            product registration (register.exe)
#   C:\ProgramData\Kelvaro\DeviceSim            simulated devices 77 and 78 (devtool)
#
# The language (default ENU) is the package's LANGUAGE: the registry value
# "Language", which picks FXWRES.<language>, and the summary template and
# README.TXT installed (product/lang/<language>, in its code page).
# WIZ_MSI names another package. Installing again puts the demo back to its
# first state: the product is removed, then the data files it keeps for the
# person (corvfax.ini, summary.txt) too, and installed afresh. When the
# package cannot be installed, the script says so and stops; Windows Installer
# has then rolled back whatever it began. A prefix that does not exist yet is
# created (null display driver unless WIZ_PREFIX_MODE=x11).
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
installed=()
missing=()

# ---- the product, through its package ----
package=${WIZ_MSI:-$(ls -t "$build"/Corvantis-Fax-*.msi 2>/dev/null | head -n 1)}
if [ -z "$package" ] || [ ! -f "$package" ]; then
  echo "install-demo: no package ${package:-Corvantis-Fax-*.msi in $build} (build the target msi)" >&2
  exit 1
fi
package_w=$(wiz_winepath -w "$(realpath "$package")")
log="$prefix/drive_c/windows/temp/corvantis-install.log"
mkdir -p "$(dirname "$log")"
# An installed demo goes first, with what it leaves for the person.
wiz_wine msiexec /x "$package_w" /qn >/dev/null 2>&1 || true
rm -f "$programdir/Data/corvfax.ini" "$programdir/Data/summary.txt" "$programdir/Data/registration.log"
# Marks left by another build of the same version, which /x does not know.
wiz_wine reg delete 'HKLM\Software\Kelvaro\Corvantis' /f >/dev/null 2>&1 || true
status=0
wiz_wine msiexec /i "$package_w" /qn LANGUAGE="$language" /lv 'C:\windows\temp\corvantis-install.log' \
  >/dev/null 2>&1 || status=$?
# 3010 (seen as 194 in the low byte): installed, a restart would complete it.
if [ $status != 0 ] && [ $status != 194 ]; then
  echo "install-demo: the package $package could not be installed (msiexec exit code $status)" >&2
  if [ -s "$log" ]; then
    tr -d '\000\r' <"$log" | grep -iE 'error|failed|must be' | head -n 5 | sed 's/^/  /' >&2 || true
  fi
  exit 1
fi
if ! wiz_wine reg query 'HKLM\Software\Kelvaro\Corvantis\Env' /v ProgramDir >/dev/null 2>&1; then
  echo "install-demo: the package ran, but the product's registry tree is not there" >&2
  exit 1
fi
installed+=("$(basename "$package")")

# ---- the printers' registrations ----
# Each printer's own installation registers it (Devices, the default device);
# the package writes none, so that its upgrades and repairs keep them.
if ! wiz_wine reg import "$(wiz_winepath -w "$product/devices.reg")" >/dev/null 2>&1; then
  echo "install-demo: the demo's printers could not be registered (product/devices.reg)" >&2
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
