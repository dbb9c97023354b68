#!/usr/bin/env bash
# Renders every page of a resource module to PNG files for review.
#   scripts/render-pages.sh <resource module> <output folder> [fax number]
# Writes page<id>.png for each template, all.png with every page side by side,
# and strings.txt with the module's message strings, expanded.
# Runs the render tool under Wine on a virtual display of its own, with a
# prefix that uses real (X11) windows. Settings from the environment:
#   BUILD_DIR       build folder holding bin/renderpages.exe (default:
#                   build/<arch>, the architecture this machine runs)
#   RENDER_DISPLAY  display number for Xvfb (default: :31)
#   RENDER_PREFIX   Wine prefix (default: <build>/wineprefix-x11)
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 <resource module> <output folder> [fax number]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
module=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")
number=${3:-}
. "$root/scripts/wine.sh"
build=$(realpath "${BUILD_DIR:-$root/build/$(wiz_default_arch)}")
tool="$build/bin/renderpages.exe"
display=${RENDER_DISPLAY:-:31}
prefix=${RENDER_PREFIX:-$build/wineprefix-x11}

[ -f "$tool" ] || { echo "render-pages: $tool not built" >&2; exit 1; }
[ -f "$module" ] || { echo "render-pages: no module $module" >&2; exit 1; }

# The module's texts are read in the code page of its language: render it
# under that language's locale unless LC_ALL says otherwise.
if [ -z "${LC_ALL:-}" ]; then
  case ${module##*.} in
    JPN) export LC_ALL=ja_JP.UTF-8 ;;
    DEU) export LC_ALL=de_DE.UTF-8 ;;
    FRA) export LC_ALL=fr_FR.UTF-8 ;;
    ESP) export LC_ALL=es_ES.UTF-8 ;;
    *) export LC_ALL=en_US.UTF-8 ;;
  esac
fi

wiz_wine_env "$(wiz_build_arch "$build")"
export WINEPREFIX=$prefix
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  wiz_wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "render-pages: Xvfb $display did not start" >&2; exit 1; }
  sleep 0.1
done
sleep 0.5

"$root/scripts/wineprefix.sh" "$prefix" x11
export DISPLAY=$display
# A server left from a run without this display would keep its windows off it.
wiz_wineserver -k >/dev/null 2>&1 || true
# No window manager runs on the virtual display: Wine draws the captions itself.
wiz_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

rm -f "$out"/page*.bmp "$out"/page*.png
status=0
args=("$(wiz_winepath -w "$module")" "$(wiz_winepath -w "$out")")
[ -n "$number" ] && args+=("$number")
wiz_wine "$tool" "${args[@]}" || status=$?

shopt -s nullglob
pages=("$out"/page*.bmp)
for bmp in "${pages[@]}"; do
  convert "$bmp" "${bmp%.bmp}.png"
  rm -f "$bmp"
done
pngs=("$out"/page*.png)
if [ ${#pngs[@]} -gt 0 ]; then
  montage "${pngs[@]}" -tile 3x -geometry +6+6 -background '#808080' "$out/all.png"
fi
echo "render-pages: ${#pngs[@]} pages in $out"
exit $status
