#!/usr/bin/env bash
# Runs one test program in a Wine prefix of its own, a copy of the suite's,
# for tests that change what every program of a prefix reads (the
# administrator's policies): tests running beside it see none of it.
#   own_prefix.sh <program.exe> [args]
# Environment (set by ctest): WIZ_ARCH, WIZ_SOURCE_DIR, WIZ_SUITE_PREFIX.
set -uo pipefail
. "$WIZ_SOURCE_DIR/scripts/wine.sh"
wiz_wine_env "$WIZ_ARCH"
wiz_own_prefix wizown || exit 1
"$WIZ_SOURCE_DIR/scripts/wine.sh" --detached "$@"
