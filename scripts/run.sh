#!/usr/bin/env bash
# Runs the wizard on the demo product, from nothing: installs what is missing,
# builds the program, installs the demo product into a Wine prefix of its own
# and starts the wizard.
#
# Usage: scripts/run.sh [ENU|DEU|JPN|FRA|ESP|FRC] [--dpi N] [--high-contrast] [wizard arguments]
#        scripts/run.sh --help        (or -h: this text; changes nothing)
#   language     ENU (default), DEU, JPN, FRA, ESP or FRC: the product's
#                language as installed (resource module, summary template,
#                README), and the user locale (LC_ALL) a person in that
#                market has: JPN under ja_JP, so code page 932, with a
#                Japanese name and company typed; FRC is the French product
#                under fr_CA.
#   --dpi N      the pages at N dots per inch, 48 to 480 (96 is 100 per cent,
#                144 is 150)
#   --high-contrast  a black high-contrast colour scheme, without visual styles
#   wizard arguments: -d<device> (e.g. -d78), -m<model>, -l. Any other word
#                starting with "-" is refused (exit 2).
# With a display (DISPLAY set) the wizard opens there for you to use. Without
# one it walks the wizard along one road on a virtual display (Xvfb), saves a
# picture of every page as PNG, and names the folder. Either way it then
# prints what the wizard stored. Settings from the environment:
#   WIZ_ARCH      i686 or x86_64 (default: what this machine runs, i686 first)
#   BUILD_DIR     build folders (default: build; this one is <build>/<arch>)
#   RUN_PREFIX    Wine prefix (default: <build>/wineprefix-run); installing
#                 again puts the demo product back to its first state
#   RUN_PICTURES  folder of the pictures (default: <build>/run-pictures)
#   RUN_POLICY    a .reg file of the administrator's policies (values under
#                 HKLM\Software\Policies\Kelvaro\Corvantis\Fax), set before the
#                 wizard starts; without it, no policy is set
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# The comment above, as the usage: from "Usage:" to the settings' end.
usage() {
  sed -n '/^# Usage:/,/^set -euo pipefail/{/^#/s/^# \{0,1\}//p}' "$root/scripts/run.sh"
  local name
  echo
  echo "Settings now:"
  for name in WIZ_ARCH BUILD_DIR RUN_PREFIX RUN_PICTURES RUN_POLICY; do
    if [ -n "${!name+set}" ]; then
      echo "  $name=${!name}"
    else
      echo "  $name (not set: the default)"
    fi
  done
}
# Options are read before anything is installed or built: --help changes
# nothing, and a mistyped option does not reach the wizard, which would take
# it silently.
for arg in "$@"; do
  case $arg in
    -h|--help) usage; exit 0 ;;
  esac
done

language=ENU
if [ $# -gt 0 ] && [[ $1 =~ ^(ENU|DEU|JPN|FRA|ESP|FRC)$ ]]; then
  language=$1
  shift
fi
product_language=$language
# The display settings may stand anywhere among the wizard's arguments.
dpi=96
high_contrast=0
wizard_args=()
while [ $# -gt 0 ]; do
  case $1 in
    --dpi) dpi=${2:-}; shift 2 || { echo "run: --dpi needs a number" >&2; exit 1; } ;;
    --dpi=*) dpi=${1#--dpi=}; shift ;;
    --high-contrast) high_contrast=1; shift ;;
    # The wizard's own: -d<device>, -m<model>, -l (the number may follow apart).
    -[dml]|-[dm][0-9]*) wizard_args+=("$1"); shift ;;
    -*) { echo "run: unknown option '$1'"; echo; usage; } >&2; exit 2 ;;
    *) wizard_args+=("$1"); shift ;;
  esac
done
[[ $dpi =~ ^[0-9]+$ ]] && [ "$dpi" -ge 48 ] && [ "$dpi" -le 480 ] ||
  { echo "run: --dpi takes dots per inch from 48 to 480, not '$dpi'" >&2; exit 1; }
set -- ${wizard_args[@]+"${wizard_args[@]}"}
case $language in
  ENU) locale=en_US.UTF-8 ;;
  DEU) locale=de_DE.UTF-8 ;;
  JPN) locale=ja_JP.UTF-8 ;;
  FRA) locale=fr_FR.UTF-8 ;;
  ESP) locale=es_ES.UTF-8 ;;
  FRC) locale=fr_CA.UTF-8; product_language=FRA ;;
esac
# Wine takes the user's language and code page from LC_ALL; no glibc locale
# is needed for that.
export LC_ALL=$locale
# What the wizard stores is in the ANSI code page of that locale.
codepage=CP1252
[ "$language" = JPN ] && codepage=CP932
# Shows stored text in the terminal's UTF-8.
from_ansi() { iconv -c -f "$codepage" -t UTF-8; }

./scripts/bootstrap.sh
. scripts/wine.sh
wiz_wine_env "${WIZ_ARCH:-}"
build=$(realpath -m "${BUILD_DIR:-build}/$WIZ_ARCH")
echo "run: the $WIZ_ARCH build (in $build)"
echo "run: pages at $dpi dots per inch$([ "$high_contrast" = 1 ] && echo ', in high contrast')"
cmake -S . -B "$build" -DWIZ_ARCH="$WIZ_ARCH" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target faxwiz res_enu res_deu res_jpn res_fra res_esp devaccess evobject link msgbox \
  devtool register shutdownreq wizwalk
# The product's installer: install-demo.sh installs the demo with it.
cmake --build "$build" -j2 --target msi

prefix=$(realpath -m "${RUN_PREFIX:-$build/wineprefix-run}")
export WINEPREFIX=$prefix
# Real windows: a prefix without the null display driver.
./scripts/wineprefix.sh "$prefix" x11
# Wine draws the title bar's buttons (close, minimise, help) as letters of the
# font Marlett: without it the close box shows an "r". Debian keeps Marlett
# in fonts-wine, whose other fonts (Tahoma for "MS Shell Dlg") would change
# the dialog font of every prefix on this machine, the tests' included; so
# only Marlett goes, into this prefix's own Fonts folder, from the package
# fetched once into the build folder.
marlett=/usr/share/wine/fonts/marlett.ttf
if [ ! -f "$marlett" ]; then
  marlett=$build/fonts/marlett.ttf
  if [ ! -f "$marlett" ]; then
    fetch=$(mktemp -d)
    (cd "$fetch" && apt-get download -q fonts-wine >/dev/null 2>&1 && dpkg-deb -x fonts-wine_*.deb root) ||
      echo "run: fonts-wine cannot be fetched; the title bar's buttons show letters" >&2
    mkdir -p "$build/fonts"
    cp "$fetch/root/usr/share/wine/fonts/marlett.ttf" "$marlett" 2>/dev/null || true
    rm -rf "$fetch"
  fi
  [ -f "$marlett" ] && cp "$marlett" "$prefix/drive_c/windows/Fonts/marlett.ttf"
fi
./scripts/install-demo.sh "$prefix" "$build" "$product_language"
wiz_wine reg delete 'HKLM\Software\Policies\Kelvaro' /f >/dev/null 2>&1 || true
if [ -n "${RUN_POLICY:-}" ]; then
  wiz_wine regedit /s "$(wiz_winepath -w "$(realpath "$RUN_POLICY")")" ||
    { echo "run: the policies in $RUN_POLICY cannot be set" >&2; exit 1; }
fi

# The display: Wine takes the dots per inch from LogPixels and the system's
# colours from Control Panel\Colors when its server starts. Wine cannot report
# high contrast (SPI_GETHIGHCONTRAST always says off), so the scheme shows how
# everything drawn in the system's colours looks in it.
wiz_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
colours_before="$prefix/.wiz-colours-before.reg"
themes='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
if [ "$high_contrast" = 1 ]; then
  # Kept once, so a later run without the option puts the prefix's own back.
  [ -f "$colours_before" ] ||
    wiz_wine reg export 'HKCU\Control Panel\Colors' "$(wiz_winepath -w "$colours_before")" /y >/dev/null
  # High Contrast Black, as Windows has it; visual styles are off in high contrast.
  while read -r name value; do
    wiz_wine reg add 'HKCU\Control Panel\Colors' /v "$name" /d "$value" /f >/dev/null
  done <<'COLOURS'
ActiveBorder 255 255 255
ActiveTitle 0 0 255
AppWorkSpace 0 0 0
Background 0 0 0
ButtonAlternateFace 0 0 0
ButtonDkShadow 255 255 255
ButtonFace 0 0 0
ButtonHilight 255 255 255
ButtonLight 255 255 255
ButtonShadow 255 255 255
ButtonText 255 255 255
GradientActiveTitle 0 0 255
GradientInactiveTitle 0 255 255
GrayText 63 242 0
Hilight 26 235 255
HilightText 0 0 0
HotTrackingColor 255 255 0
InactiveBorder 255 255 255
InactiveTitle 0 255 255
InactiveTitleText 0 0 0
InfoText 255 255 255
InfoWindow 0 0 0
Menu 0 0 0
MenuBar 0 0 0
MenuHilight 26 235 255
MenuText 255 255 255
Scrollbar 0 0 0
TitleText 255 255 255
Window 0 0 0
WindowFrame 255 255 255
WindowText 255 255 255
COLOURS
  wiz_wine reg add "$themes" /v ThemeActive /d 0 /f >/dev/null
elif [ -f "$colours_before" ]; then
  wiz_wine reg delete 'HKCU\Control Panel\Colors' /f >/dev/null 2>&1 || true
  wiz_wine regedit /s "$(wiz_winepath -w "$colours_before")"
  wiz_wine reg add "$themes" /v ThemeActive /d 1 /f >/dev/null
  rm -f "$colours_before"
fi
# The running server keeps the settings it started with.
wiz_wineserver -k >/dev/null 2>&1 || true

programdir="$prefix/drive_c/Program Files/Kelvaro/Corvantis"
# What the wizard stores there comes from this run only.
rm -f "$prefix/drive_c/windows/KLCV_REG.INI"
program='C:\Program Files\Kelvaro\Corvantis\faxwiz.exe'

# print_sections <file> <awk pattern of section headers>
print_sections() {
  if [ -f "$1" ]; then
    awk -v pattern="$2" '{ sub(/\r$/, "") } /^\[/ { shown = ($0 ~ pattern) } shown' "$1" | from_ansi
  else
    echo "(no file)"
  fi
}

print_results() {
  echo
  echo "==== Product INI: Data\\corvfax.ini, section [Setup]"
  print_sections "$programdir/Data/corvfax.ini" '^\[Setup\]$'
  echo
  echo "==== Registration INI: C:\\windows\\KLCV_REG.INI"
  print_sections "$prefix/drive_c/windows/KLCV_REG.INI" '^\[Device: '
  echo
  echo "==== Registry: HKLM\\Software\\Kelvaro\\Corvantis"
  for key in Install Env 'Devices\0'; do
    wiz_wine reg query "HKLM\\Software\\Kelvaro\\Corvantis\\$key" 2>/dev/null | tr -d '\r' | sed '/^$/d' | from_ansi
  done
  echo
  echo "==== Device journal (every write the devices received)"
  for id in 77 78; do
    echo "device $id:"
    wiz_wine "$build/bin/devtool.exe" journal $id 2>&1 | tr -d '\r' | sed 's/^/  /' | from_ansi
  done
  echo
  echo "==== Data\\summary.txt"
  if [ -f "$programdir/Data/summary.txt" ]; then
    tr -d '\r' < "$programdir/Data/summary.txt" | from_ansi
  else
    echo "(not written: the summary page was not reached)"
  fi
}

if [ -n "${DISPLAY:-}" ]; then
  # A window manager draws the frames.
  wiz_wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f >/dev/null 2>&1 || true
  echo "The wizard opens on display $DISPLAY; the results follow when it ends."
  wiz_wine "$program" "$@" || true
  wiz_wineserver -w
  print_results
  exit 0
fi

# No display: a virtual one of our own, on a number nobody uses.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
# The screen grows with the dots per inch, so a page fits on it at any scale.
Xvfb ":$display" -screen 0 "$((1024 * dpi / 96))x$((768 * dpi / 96))x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  wiz_wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "run: Xvfb :$display did not start" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=:$display
# A server started without this display would keep the windows off it.
wiz_wineserver -k >/dev/null 2>&1 || true
# No window manager runs on the virtual display: Wine draws the frames itself.
wiz_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

pictures=$(realpath -m "${RUN_PICTURES:-$build/run-pictures}")
rm -rf "$pictures"
mkdir -p "$pictures"
echo "No display: walking the wizard along one road on the virtual display :$display."
status=0
wiz_wine "$build/bin/wizwalk.exe" "$program" "$(wiz_winepath -w "$pictures")" "$@" | tr -d '\r' | from_ansi || status=$?
shopt -s nullglob
for bmp in "$pictures"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
pngs=("$pictures"/*.png)
echo "Pictures of every page (${#pngs[@]} PNG files): $pictures"
print_results
exit $status
