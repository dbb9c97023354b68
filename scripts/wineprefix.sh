#!/usr/bin/env bash
# Creates a Wine prefix for the wizard, once.
#   wineprefix.sh <prefix> null   - headless: Wine's null display driver (tests)
#   wineprefix.sh <prefix> x11    - real windows on $DISPLAY (screenshots, people)
set -euo pipefail
prefix=$1
mode=${2:-null}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win32
marker="$prefix/.wiz-$mode"
if [ -f "$marker" ] && [ -f "$prefix/system.reg" ]; then
  exit 0
fi
mkdir -p "$prefix"
rm -f "$prefix"/.wiz-*
# No display for the boot itself; the driver choice below decides later runs.
env -u DISPLAY wineboot -i >/dev/null 2>&1 || true
if [ "$mode" = null ]; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
else
  wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
fi
# The running server keeps the driver it started with.
wineserver -w
[ -f "$prefix/system.reg" ] || { echo "wineprefix: could not create $prefix" >&2; exit 1; }
touch "$marker"
