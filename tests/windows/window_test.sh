#!/usr/bin/env bash
# The window program of the Windows build under wine, on a private X
# display (xvfb-run -a), in a wine prefix of its own: the screenshot mode
# "pixmera.exe -T FOLDER" at 96 and at 144 dpi (wine's LogPixels):
#  - ends with status 0 and writes the pictures the Linux build's "-T" run
#    writes, by the same names;
#  - no picture is blank: each holds many colours (native controls, text and
#    the theme's icons), and none is a single colour;
#  - at 144 dpi every picture is larger than at 96 dpi: the layout follows
#    the text scale;
#  - the window program and the window module are separate: a plain
#    console run ("pixmera.exe -v") answers without the window module.
#
#   tests/windows/window_test.sh [FOLDER]
#
# FOLDER is the installable folder (default build/windows, as `make windows`
# fills it); the Linux build is LINUX_PIXMERA (default
# build/release/bin/pixmera). The pictures stay in build/windows-window-test/
# (96/ and 144/, linux/) to be looked at.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
folder=$(cd "${1:-$top/build/windows}" && pwd)
linux=${LINUX_PIXMERA:-$top/build/release/bin/pixmera}
results=$top/build/windows-window-test
rm -rf "$results"
mkdir -p "$results/linux-config" "$results/linux-runtime"

for program in pixmera.exe pixmera_ui.dll pixmera_base.dll pixmera_engine.dll; do
  [ -f "$folder/$program" ] || { echo "window_test: $folder/$program is missing (make windows)" >&2; exit 2; }
done
if [ ! -x "$linux" ]; then
  echo "window_test: building the Linux program for the comparisons"
  make -C "$top" build JOBS="${JOBS:-2}" >/dev/null
fi

. "$top/tests/windows/wine_prefix.sh"
trap wine_stop EXIT
export LC_ALL=C.UTF-8
wine_start
"$top/scripts/windows/prepare-wine-fonts" "$WINEPREFIX" >/dev/null

. "$top/tests/windows/checks.sh"

exe=$(winepath -w "$folder/pixmera.exe")
screen="-screen 0 1600x1200x24"

# The text scale the prefix's programs get, in dots per inch.
set_dpi() {
  local dpi=$1
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    </dev/null >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
  # The system reads it when it starts.
  wineserver -k >/dev/null 2>&1 || true
  wine_start
}

# The Linux build's pictures name what there is to see.
XDG_CONFIG_HOME=$results/linux-config XDG_RUNTIME_DIR=$results/linux-runtime \
  xvfb-run -a -s "$screen" "$linux" -T "$results/linux" </dev/null >/dev/null 2>&1 || true
linux_names=$(cd "$results/linux" 2>/dev/null && ls ./*.png | sort)
check "the Linux build's -T writes its 18 pictures" same_text "$(printf '%s\n' "$linux_names" | grep -c png)" 18

width_of() { identify -format '%w' "$1" 2>/dev/null || echo 0; }
height_of() { identify -format '%h' "$1" 2>/dev/null || echo 0; }

for dpi in 96 144; do
  set_dpi "$dpi"
  shots=$results/$dpi
  status=0
  xvfb-run -a -s "$screen" wine "$exe" -T "$(winepath -w "$shots" 2>/dev/null || echo "Z:$shots")" \
    </dev/null >"$wine_tmp/out-$dpi" 2>&1 || status=$?
  check "$dpi dpi: -T ends with status 0" same_text "$status" 0
  names=$(cd "$shots" 2>/dev/null && ls ./*.png | sort)
  check "$dpi dpi: the Linux build's pictures, by name" same_text "$names" "$linux_names"
  for picture in "$shots"/*.png; do
    [ -f "$picture" ] || continue
    check "$dpi dpi: $(basename "$picture") is not blank" at_least "$(colours "$picture")" 16
  done
done

# The layout follows the text scale: every window is larger at 144 dpi.
for picture in "$results"/96/*.png; do
  name=$(basename "$picture")
  large=$results/144/$name
  [ -f "$large" ] || continue
  check "$name: wider at 144 dpi" at_least "$(width_of "$large")" $(($(width_of "$picture") + 1))
  check "$name: taller at 144 dpi" at_least "$(height_of "$large")" $(($(height_of "$picture") + 1))
done

# A console run needs no window module: without it, "-v" still answers.
bare=$wine_tmp/bare
mkdir -p "$bare"
cp "$folder"/*.exe "$folder"/*.dll "$bare/"
rm "$bare/pixmera_ui.dll"
status=0
out=$(wine "$(winepath -w "$bare/pixmera.exe")" -v </dev/null 2>/dev/null | tr -d '\r') || status=$?
check "pixmera.exe -v without the window module prints 3.1" same_text "$out" "3.1"
check "pixmera.exe -v ends with status 0" same_text "$status" 0

checks_end window_test "(pictures in $results)"
