#!/usr/bin/env bash
# Runs one test program in a Wine prefix of its own, a copy of the suite's,
# for tests that change what every program of a prefix reads (the
# administrator's policies): tests running beside it see none of it.
#   own_prefix.sh <program.exe> [args]
# Environment (set by ctest): WIZ_ARCH, WIZ_SOURCE_DIR, WIZ_SUITE_PREFIX.
set -uo pipefail
. "$WIZ_SOURCE_DIR/scripts/wine.sh"
wiz_wine_env "$WIZ_ARCH"
work=$(mktemp -d "${TMPDIR:-/tmp}/wizown.XXXXXX")
export WINEPREFIX=$work/prefix
cleanup() {
  wiz_wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
wiz_copy_prefix "$WIZ_SUITE_PREFIX" "$WINEPREFIX" || { echo "cannot copy $WIZ_SUITE_PREFIX"; exit 1; }
"$WIZ_SOURCE_DIR/scripts/wine.sh" --detached "$@"
