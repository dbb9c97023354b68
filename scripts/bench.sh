#!/usr/bin/env bash
# Times the wizard under Wine on this machine against a plain dialog program
# (the floor): start to first page and Next to next page, medians and ratio.
#   scripts/bench.sh [runs] [--breakdown]     (default 15 runs)
# The measured programs and Wine's server share one processor (BENCH_CPU,
# default 0) and the driver keeps to the others; BENCH_CPU=all lets the system
# place everything. On a virtual machine a wake-up across processors costs far
# more than a request to the server itself, so where the system happens to
# place each program would decide the figures more than the programs do.
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
  devtool register bench benchfloor benchfloor6 msi >/dev/null

prefix=$(realpath -m "${BENCH_PREFIX:-$build/wineprefix-bench}")
export WINEPREFIX=$prefix
./scripts/wineprefix.sh "$prefix" null
./scripts/install-demo.sh "$prefix" "$build" ENU >/dev/null
trap 'wiz_wineserver -k >/dev/null 2>&1 || true' EXIT
cpu=${BENCH_CPU:-0}
pinned=()
if [ "$cpu" != all ] && command -v taskset >/dev/null && [ "$(nproc)" -gt 1 ]; then
  # The server goes first, on the measured programs' processor; the driver
  # and Wine's desktop process keep to the others.
  taskset -c "$cpu" "$WINESERVER" -p5
  others=$(seq 0 $(($(nproc) - 1)) | grep -vx "$cpu" | paste -sd,)
  pinned=(--cpu "$cpu")
  echo "bench: the programs and Wine's server on processor $cpu, the driver on $others"
  run=(taskset -c "$others" "$WINELOADER")
else
  echo "bench: programs and server where the system places them"
  run=("$WINELOADER")
fi
"${run[@]}" "$build/bin/bench.exe" 'C:\Program Files\Kelvaro\Corvantis\faxwiz.exe' \
  "$(wiz_winepath -w "$build/bin/benchfloor.exe")" "$runs" \
  --floor6 "$(wiz_winepath -w "$build/bin/benchfloor6.exe")" "${breakdown[@]}" "${pinned[@]}" |
  tr -d '\r'
