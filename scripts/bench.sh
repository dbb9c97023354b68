#!/usr/bin/env bash
# Times the wizard under Wine on this machine against a plain dialog program
# (the floor): start to first page and Next to next page, medians and ratio.
#   scripts/bench.sh [runs] [--breakdown]     (default 15 runs)
# --breakdown also prints where the wizard's time goes, step by step, from
# marks the wizard records itself when WIZ_TIMING names a file.
# Builds what it needs and installs the demo product into a headless Wine
# prefix of its own (BENCH_PREFIX, default <build>/wineprefix-bench), for the
# architecture this machine runs (WIZ_ARCH overrides; build: <BUILD_DIR>/<arch>).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=15
breakdown=()
for arg in "$@"; do
  case $arg in
    --breakdown) breakdown=(--breakdown) ;;
    *) runs=$arg ;;
  esac
done

./scripts/bootstrap.sh
. scripts/wine.sh
wiz_wine_env "${WIZ_ARCH:-}"
build=$(realpath -m "${BUILD_DIR:-build}/$WIZ_ARCH")
echo "bench: the $WIZ_ARCH build under Wine's ${WINEARCH#win}-bit loader"
cmake -S . -B "$build" -DWIZ_ARCH="$WIZ_ARCH" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target faxwiz res_enu res_deu devaccess evobject link msgbox \
  devtool register bench benchfloor msi >/dev/null

prefix=$(realpath -m "${BENCH_PREFIX:-$build/wineprefix-bench}")
export WINEPREFIX=$prefix
./scripts/wineprefix.sh "$prefix" null
./scripts/install-demo.sh "$prefix" "$build" ENU >/dev/null
trap 'wiz_wineserver -k >/dev/null 2>&1 || true' EXIT
wiz_wine "$build/bin/bench.exe" 'C:\Program Files\Kelvaro\Corvantis\faxwiz.exe' \
  "$(wiz_winepath -w "$build/bin/benchfloor.exe")" "$runs" "${breakdown[@]}" | tr -d '\r'
