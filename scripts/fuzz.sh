#!/usr/bin/env bash
# Runs the fuzzer at length, once under code page 1252 and once under 932,
# and prints one table: routine, code page, cases, failures, seconds.
#   scripts/fuzz.sh [cases per routine] [seed]     (default 1000000, 1)
# FUZZ_ROUTINE=<name> runs one routine. A failure prints the seed, the case
# and its input in hex; replay it with the command line printed beside it.
# Builds the fuzzer for the architecture this machine runs (WIZ_ARCH
# overrides; build: <BUILD_DIR>/<arch>) and runs it in the build's prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
count=${1:-1000000}
seed=${2:-1}

./scripts/bootstrap.sh
. scripts/wine.sh
wiz_wine_env "${WIZ_ARCH:-}"
build=$(realpath -m "${BUILD_DIR:-build}/$WIZ_ARCH")
cmake -S . -B "$build" -DWIZ_ARCH="$WIZ_ARCH" >/dev/null
cmake --build "$build" -j2 --target fuzz >/dev/null
export WINEPREFIX=$build/wineprefix
./scripts/wineprefix.sh "$WINEPREFIX" null >/dev/null

only=()
[ -n "${FUZZ_ROUTINE:-}" ] && only=(--routine "$FUZZ_ROUTINE")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
# Wine takes the ANSI code page from the locale.
for run in "1252 en_US.UTF-8" "932 ja_JP.UTF-8"; do
  set -- $run
  echo "fuzz: $count cases per routine, code page $1, seed $seed" >&2
  # (bash itself need not know the locale: its complaint is dropped)
  (export LC_ALL=$2 2>/dev/null
   wiz_wine "$build/bin/fuzz.exe" --seed "$seed" --count "$count" \
     --expect-acp "$1" "${only[@]}") >"$out/$1.txt" 2> >(tr -d '\r' >&2) || status=1
  tr -d '\r' <"$out/$1.txt" | tail -n +2 | awk -v cp="$1" '{ print $1, cp, $2, $3, $4 }' \
    >>"$out/table.txt"
done
printf '%-24s %6s %10s %9s %9s\n' routine cp cases failures seconds
sort -s -k1,1 "$out/table.txt" | awk '{ printf "%-24s %6s %10s %9s %9s\n", $1, $2, $3, $4, $5 }'
exit $status
