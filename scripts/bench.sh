#!/usr/bin/env bash
# Times the wizard under Wine on this machine against a plain dialog program
# (the floor): start to first page and Next to next page, medians and ratio.
#   scripts/bench.sh [runs]          (default 15)
# Builds what it needs and installs the demo product into a headless Wine
# prefix of its own (BENCH_PREFIX, default <build>/wineprefix-bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-15}

./scripts/bootstrap.sh
build=$(realpath -m "${BUILD_DIR:-build}")
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target faxwiz res_enu res_deu devaccess evobject link msgbox \
  devtool register bench benchfloor >/dev/null

prefix=$(realpath -m "${BENCH_PREFIX:-$build/wineprefix-bench}")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win32
./scripts/wineprefix.sh "$prefix" null
./scripts/install-demo.sh "$prefix" "$build" ENU >/dev/null
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine "$build/bin/bench.exe" 'C:\Program Files\Kelvaro\Corvantis\faxwiz.exe' \
  "$(winepath -w "$build/bin/benchfloor.exe")" "$runs" | tr -d '\r'
