#!/usr/bin/env bash
# The one place that decides how Wine is called, for the architecture built.
#
#   i686    the product: 32-bit Wine loader, WINEARCH=win32
#   x86_64  for machines whose kernel refuses 32-bit processes: Wine's 64-bit
#           loader, WINEARCH=win64
#
# WIZ_ARCH chooses; without it, i686 where this machine can run a 32-bit
# process, x86_64 where it cannot.
#
# Executed, it runs one Windows program:
#   WIZ_ARCH=x86_64 WINEPREFIX=... scripts/wine.sh prog.exe [args]
#   scripts/wine.sh --arch            prints the architecture chosen
#   scripts/wine.sh --can-run-32      exits 0 when 32-bit processes run here
#   scripts/wine.sh --detached prog.exe [args]
#                                     the same, but the program's output goes
#                                     through a file, so processes it leaves
#                                     behind (Wine's services) do not hold
#                                     the caller's pipe open after it ends
# Sourced, it defines wiz_build_arch and wiz_wine_env [arch], which exports WIZ_ARCH, WINEARCH,
# WINELOADER and WINESERVER, and wiz_wine, wiz_wineserver, wiz_winepath and
# wiz_wineboot, which use them, and wiz_copy_prefix and wiz_own_prefix.

# Runs a 93-byte static 32-bit ELF program that exits with 42. The Debian
# /usr/bin/wine would choose its 32-bit loader even where the kernel has
# IA-32 emulation switched off, so ask the kernel itself.
wiz_can_run_32() {
  local dir status
  # A temporary folder mounted noexec says nothing about the kernel: the
  # project's own folder is the second place to try.
  for dir in "${TMPDIR:-/tmp}" "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"; do
    local probe
    probe=$(mktemp "$dir/.wizprobe32.XXXXXX" 2>/dev/null) || continue
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xb3\x2a\xcd\x80' >"$probe"
    chmod +x "$probe"
    status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" = 42 ] && return 0
  done
  return 1
}

wiz_default_arch() {
  if [ -n "${WIZ_ARCH:-}" ]; then
    echo "$WIZ_ARCH"
  elif wiz_can_run_32; then
    echo i686
  else
    echo x86_64
  fi
}

# wiz_build_arch <build folder>: the architecture that folder was configured for.
wiz_build_arch() {
  sed -n 's/^WIZ_ARCH:[A-Z]*=//p' "$1/CMakeCache.txt" 2>/dev/null
}

# wiz_wine_env [arch]: exports what every Wine call below needs.
wiz_wine_env() {
  local arch=${1:-$(wiz_default_arch)}
  case $arch in
    i686)
      WINEARCH=win32
      WINELOADER=/usr/lib/wine/wine
      ;;
    x86_64)
      WINEARCH=win64
      WINELOADER=/usr/lib/wine/wine64
      ;;
    *)
      echo "wine.sh: unknown architecture '$arch' (i686 or x86_64)" >&2
      return 2
      ;;
  esac
  # The 64-bit server serves 32-bit clients as well; the 32-bit one is the
  # last resort (it cannot start where 32-bit processes are refused).
  if [ -x /usr/lib/wine/wineserver64 ]; then
    WINESERVER=/usr/lib/wine/wineserver64
  else
    WINESERVER=/usr/lib/wine/wineserver32
  fi
  WIZ_ARCH=$arch
  export WIZ_ARCH WINEARCH WINELOADER WINESERVER
  export WINEDEBUG=${WINEDEBUG:--all}
}

wiz_wine() { "$WINELOADER" "$@"; }
# -p0: the server ends as soon as its last process does.
wiz_wineserver() { "$WINESERVER" -p0 "$@"; }
wiz_winepath() { "$WINELOADER" winepath.exe "$@"; }
wiz_wineboot() { "$WINELOADER" wineboot.exe "$@"; }

# wiz_copy_prefix <from> <to>: a prefix of its own for a test, a copy of the
# suite's. The users' Temp folders are left behind: tests running beside it
# make and remove their scratch folders there while it is copied. A file the
# server rewrites while it is read (tar's status 1) is taken as read.
wiz_copy_prefix() {
  mkdir -p "$2" &&
    { tar -C "$1" --exclude='./drive_c/users/*/Temp/*' --warning=no-file-changed -cf - . ||
      [ $? -eq 1 ]; } |
    tar -C "$2" -xf -
}

# wiz_own_prefix <name>: WINEPREFIX becomes a copy of WIZ_SUITE_PREFIX in a
# folder of its own, WIZ_OWN_WORK, which goes with its server when the
# script ends.
wiz_own_prefix() {
  WIZ_OWN_WORK=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX") || return 1
  export WINEPREFIX=$WIZ_OWN_WORK/prefix
  trap 'wiz_wineserver -k >/dev/null 2>&1 || true; rm -rf "$WIZ_OWN_WORK"' EXIT
  wiz_copy_prefix "$WIZ_SUITE_PREFIX" "$WINEPREFIX" || { echo "cannot copy $WIZ_SUITE_PREFIX"; return 1; }
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  case ${1:-} in
    --arch) wiz_default_arch; exit 0 ;;
    --can-run-32) wiz_can_run_32; exit $? ;;
    --detached)
      shift
      wiz_wine_env
      out=$(mktemp "${TMPDIR:-/tmp}/wizwine.XXXXXX")
      "$WINELOADER" "$@" >"$out" 2>&1 &
      pid=$!
      # A caller that gives up (a test timeout) still gets what was written.
      trap 'kill $pid 2>/dev/null; cat "$out"; rm -f "$out"; exit 143' TERM INT
      status=0
      wait $pid || status=$?
      cat "$out"
      rm -f "$out"
      exit $status
      ;;
    "") echo "usage: $0 <program> [args] | --arch | --can-run-32" >&2; exit 2 ;;
  esac
  wiz_wine_env
  exec "$WINELOADER" "$@"
fi
