#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine,
# for every Windows architecture this machine can run: i686 (the product) and
# x86_64 where 32-bit processes run, x86_64 alone where they do not. An
# architecture that cannot run here is still built, so its compile errors show.
# Each architecture has its own build folder: <build>/i686, <build>/x86_64.
#   scripts/test.sh [ctest arguments]
# Settings from the environment:
#   BUILD_DIR  build folder (default: build)
#   WIZ_ARCH   run the suite of this architecture only (i686 or x86_64); the
#              other one is built
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine.sh
./scripts/bootstrap.sh

if [ -n "${WIZ_ARCH:-}" ]; then
  run=("$WIZ_ARCH")
elif wiz_can_run_32; then
  run=(i686 x86_64)
else
  run=(x86_64)
fi
build_only=()
for arch in i686 x86_64; do
  [[ " ${run[*]} " == *" $arch "* ]] || build_only+=("$arch")
done

root=$(realpath -m "${BUILD_DIR:-build}")
declare -A result
status=0

# build_arch <arch> <ON|OFF>: the second says whether to build the packages
# only the installer tests use (older versions, a failing one).
build_arch() {
  local dir=$root/$1
  cmake -S . -B "$dir" -DWIZ_ARCH="$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWIZ_TEST_PACKAGES="$2" >/dev/null &&
    cmake --build "$dir" -j2
}

for arch in "${build_only[@]}"; do
  echo "==== $arch: build only (this machine does not run its tests)"
  if build_arch "$arch" OFF; then
    result[$arch]="built (tests not run here)"
  else
    result[$arch]="BUILD FAILED"
    status=1
  fi
done

for arch in "${run[@]}"; do
  echo "==== $arch: build and test"
  start=$SECONDS
  if ! build_arch "$arch" ON; then
    result[$arch]="BUILD FAILED"
    status=1
    continue
  fi
  # A test that fails is run once more, and passes only if that run passes:
  # under Wine on a loaded machine a program now and then fails to start at
  # all (a test ended in 0.01 s without a line of output), which is no fault
  # of the program. The first failure's output stays in the log.
  if (cd "$root/$arch" && ctest --output-on-failure -j2 --repeat until-pass:2 "$@"); then
    result[$arch]="tests passed"
  else
    result[$arch]="TESTS FAILED"
    status=1
  fi
  result[$arch]+=" ($((SECONDS - start)) s)"
done

echo
echo "==== Summary"
for arch in "${build_only[@]}" "${run[@]}"; do
  printf '  %-7s %s\n' "$arch" "${result[$arch]}"
done
exit $status
