#!/usr/bin/env bash
# Creates a Wine prefix for the wizard, once, for the architecture chosen by
# WIZ_ARCH (default: what this machine runs; see wine.sh).
#   wineprefix.sh <prefix> null   - headless: Wine's null display driver (tests)
#   wineprefix.sh <prefix> x11    - real windows on $DISPLAY (screenshots, people)
set -euo pipefail
prefix=$1
mode=${2:-null}
. "$(dirname "$0")/wine.sh"
wiz_wine_env "${WIZ_ARCH:-}"
export WINEPREFIX=$prefix
marker="$prefix/.wiz-$mode-$WIZ_ARCH"
if [ -f "$marker" ] && [ -f "$prefix/system.reg" ]; then
  exit 0
fi
if ls "$prefix"/.wiz-* >/dev/null 2>&1 && ! ls "$prefix"/.wiz-*-"$WIZ_ARCH" >/dev/null 2>&1; then
  # Ours, but of the other architecture (or from before architectures were
  # told apart): it cannot be turned into this one.
  wiz_wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
fi
mkdir -p "$prefix"
rm -f "$prefix"/.wiz-*
# No display for the boot itself; the driver choice below decides later runs.
(unset DISPLAY; wiz_wineboot -i >/dev/null 2>&1) || true
if [ "$mode" = null ]; then
  wiz_wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
else
  wiz_wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
fi
# The running server keeps the driver it started with.
wiz_wineserver -w
[ -f "$prefix/system.reg" ] || { echo "wineprefix: could not create $prefix" >&2; exit 1; }
touch "$marker"
