#!/usr/bin/env bash
# The console program of the Windows build under wine, in a wine prefix of
# its own, against the Linux build on the same files:
#  - "-v" prints 3.1; "-h" prints the Linux build's help line for line;
#    without an input it ends with one "Error: " line and status 1;
#  - kodak_16base.pcd converts to a 3072x2048 TIFF whose pixels and tags
#    (the PhotoCD's record among them) equal the Linux build's, from a plain
#    folder and from one named in letters no single code page holds, with
#    blanks (C:\Fotos\Ærø 1996\日本\);
#  - "--tiff-bpp=48" gives 16 bits a sample that are more than 8 bits
#    widened, equal to the Linux build's;
#  - a converter that hangs is ended with the program it started at
#    PIXMERA_CONVERTER_TIMEOUT, and the job goes on; a second copy started
#    meanwhile says "Another copy" and ends with status 1;
#  - a file that is no PhotoCD fails with its reason and status 1;
#  - the frame and the watermark are drawn with Arial found by name (the
#    prefix gets the Liberation fonts as a Windows desktop has Arial), and a
#    font that is not there stops the job;
#  - a path outside every code page reaches standard output whole: as UTF-8
#    when redirected, and on a console (a terminal, through script(1)).
#
#   tests/windows/console_test.sh [FOLDER]
#
# FOLDER is the installable folder (default build/windows, as `make windows`
# fills it). The Linux build is LINUX_PIXMERA (default
# build/release/bin/pixmera, built when missing). Pictures go to
# build/windows-console-test/.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
folder=$(cd "${1:-$top/build/windows}" && pwd)
linux=${LINUX_PIXMERA:-$top/build/release/bin/pixmera}
results=$top/build/windows-console-test
fixtures=$top/tests/data/pcd
rm -rf "$results"
mkdir -p "$results/linux" "$results/linux-config" "$results/linux-runtime"

for program in pixmeracmd.exe convert.exe pixmera_base.dll pixmera_engine.dll; do
  [ -f "$folder/$program" ] || { echo "console_test: $folder/$program is missing (make windows)" >&2; exit 2; }
done
if [ ! -x "$linux" ]; then
  echo "console_test: building the Linux program for the comparisons"
  make -C "$top" build JOBS="${JOBS:-2}" >/dev/null
fi

. "$top/tests/windows/wine_prefix.sh"
. "$top/tests/windows/checks.sh"
trap wine_stop EXIT
export LC_ALL=C.UTF-8
wine_start
"$top/scripts/windows/prepare-wine-fonts" "$WINEPREFIX" >/dev/null

exe=$(winepath -w "$folder/pixmeracmd.exe")
# pixmeracmd.exe ARGS...: standard output in $out, standard error in $err,
# the status in $status; lines without their "\r".
run() {
  status=0
  wine "$exe" "$@" </dev/null >"$wine_tmp/out" 2>"$wine_tmp/err" || status=$?
  out=$(tr -d '\r' <"$wine_tmp/out")
  err=$(tr -d '\r' <"$wine_tmp/err")
}
# The Linux program with a configuration and lock folder of its own.
run_linux() {
  XDG_CONFIG_HOME=$results/linux-config XDG_RUNTIME_DIR=$results/linux-runtime "$linux" "$@" </dev/null
}
unix() { winepath -u "$1" 2>/dev/null; }
# tiffinfo's account of every tag.
tags_of() { tiffinfo "$1" 2>/dev/null | grep -v '^TIFF Directory at offset'; }
pixel() { convert "$1" -format "%[fx:int(255*p{$2}.r)],%[fx:int(255*p{$2}.g)],%[fx:int(255*p{$2}.b)]" info: 2>/dev/null; }

# --- Version, help and a start without an input.
run -v
check "-v prints 3.1" same_text "$out" "3.1"
check "-v ends with status 0" same_text "$status" 0
run -h
# The help names the program as it was started: the Linux build started by
# the same name must print the same lines.
ln -sf "$linux" "$results/pixmeracmd"
linux_help=$(XDG_CONFIG_HOME=$results/linux-config XDG_RUNTIME_DIR=$results/linux-runtime \
  "$results/pixmeracmd" -h </dev/null || true)
check "-h prints the Linux build's help line for line" same_text "$out" "$linux_help"
# Without an input the program opens the window when its window module is
# there, as the Linux build does on a display; a folder without the module
# (a console-only build) ends with an error instead, as the Linux build
# without a display does.
console_only=$wine_tmp/console-only
mkdir -p "$console_only"
cp "$folder"/*.exe "$folder"/*.dll "$console_only/"
rm -f "$console_only/pixmera_ui.dll"
status=0
wine "$(winepath -w "$console_only/pixmeracmd.exe")" </dev/null >"$wine_tmp/out" 2>"$wine_tmp/err" || status=$?
out=$(tr -d '\r' <"$wine_tmp/out")
check "without an input or a window module: one line, an error" same_text "$(printf '%s\n' "$out" | grep -c '^Error: ')" 1
check "without an input or a window module: status 1" same_text "$status" 1

# --- kodak_16base.pcd from a plain folder.
c_drive=$WINEPREFIX/drive_c
mkdir -p "$c_drive/in" "$c_drive/out"
cp "$fixtures/kodak_16base.pcd" "$c_drive/in/"
run_linux -q -i "$fixtures/kodak_16base.pcd" -o "$results/linux/" >/dev/null
run -q -i 'C:\in\kodak_16base.pcd' -o 'C:\out'
check "16Base: status 0" same_text "$status" 0
windows_tiff=$c_drive/out/kodak_16base.tiff
linux_tiff=$results/linux/kodak_16base.tiff
check "16Base: a 3072x2048 TIFF" same_text "$(size_of "$windows_tiff")" "3072 2048"
check "16Base: the Linux build's pixels" same_pixels "$windows_tiff" "$linux_tiff"
check "16Base: the Linux build's tags" same_text "$(tags_of "$windows_tiff")" "$(tags_of "$linux_tiff")"
# The PhotoCD's record: the scanner's maker and model and the scan's date.
check "16Base: the PhotoCD's record in the tags" holds "$(tags_of "$windows_tiff")" "Make:"
check "16Base: the PhotoCD's record in the tags" holds "$(tags_of "$windows_tiff")" "DateTime:"
cp "$windows_tiff" "$results/windows-kodak_16base.tiff" 2>/dev/null || true

# --- The same from C:\Fotos\Ærø 1996\日本\, written beside the input.
fotos='C:\Fotos\Ærø 1996\日本'
mkdir -p "$(unix "$fotos")"
cp "$fixtures/kodak_16base.pcd" "$(unix "$fotos\\IMG0001.PCD")"
run -d -i "$fotos\\IMG0001.PCD"
check "non-ASCII folder: status 0" same_text "$status" 0
check "non-ASCII folder: the Linux build's pixels" same_pixels "$(unix "$fotos\\IMG0001.tiff")" "$linux_tiff"
# Fault mended: a path the console's code page cannot show is written whole.
check "non-ASCII folder: the path whole in redirected output (UTF-8)" \
  holds "$out" "Processing: $fotos\\IMG0001.PCD"
console_out=$(script -qec "wine '$exe' -d -i '$fotos\\IMG0001.PCD' -o 'C:\\out' </dev/null" /dev/null | tr -d '\r')
check "non-ASCII folder: the path whole on a console" holds "$console_out" "Processing: $fotos\\IMG0001.PCD"

# --- 48 bits: 16 real bits a sample.
mkdir -p "$c_drive/out48" "$results/linux48"
run -q -i 'C:\in\kodak_16base.pcd' -o 'C:\out48' --tiff-bpp=48
run_linux -q -i "$fixtures/kodak_16base.pcd" -o "$results/linux48/" --tiff-bpp=48 >/dev/null
deep=$c_drive/out48/kodak_16base.tiff
check "48 bits: status 0" same_text "$status" 0
check "48 bits: 16 bits a sample" holds "$(tags_of "$deep")" "Bits/Sample: 16"
# Widened 8-bit samples have equal bytes (v * 257); real ones do not.
real_samples=$(convert "$deep" -depth 16 rgb:- 2>/dev/null | python3 -c '
import sys
data = sys.stdin.buffer.read()
print(sum(1 for i in range(0, len(data) - 1, 2) if data[i] != data[i + 1]))')
check "48 bits: more than 8 bits widened" test "${real_samples:-0}" -gt 100000
check "48 bits: the Linux build's pixels" same_pixels "$deep" "$results/linux48/kodak_16base.tiff"

# --- A converter that hangs, and a second copy while the first waits for it.
# The first copy's converter hangs and starts a program of its own; past
# PIXMERA_CONVERTER_TIMEOUT both are ended (fault mended: a hung converter
# was waited for forever) and the job goes on with FreeImage's loader.
x86_64-w64-mingw32-gcc-posix -O2 -s -municode -o "$wine_tmp/hung_converter.exe" \
  "$top/tests/windows/hung_converter.c"
beat=$wine_tmp/beat
mkdir -p "$c_drive/hung-out"
PIXMERA_CONVERTER=$(winepath -w "$wine_tmp/hung_converter.exe") PIXMERA_CONVERTER_TIMEOUT=3 \
  PIXMERA_TEST_BEAT=$(winepath -w "$beat") WINEDEBUG=-all \
  wine "$exe" -q -i 'C:\in\kodak_16base.pcd' -o 'C:\hung-out' </dev/null >/dev/null 2>&1 &
first=$!
for _ in $(seq 1 300); do
  [ -s "$beat" ] && break
  sleep 0.1
done
run -q -i 'C:\in\kodak_16base.pcd' -o 'C:\out'
first_running=no
kill -0 "$first" 2>/dev/null && first_running=yes
check "second copy: started while the first converted" same_text "$first_running" yes
check "second copy: says another copy runs" holds "$out" "Error: Another copy of the program is running"
check "second copy: status 1" same_text "$status" 1
first_status=0
wait "$first" || first_status=$?
check "hung converter: the job still ends, status 0" same_text "$first_status" 0
check "hung converter: FreeImage's 768x512 base picture instead" \
  same_text "$(size_of "$c_drive/hung-out/kodak_16base.tiff")" "768 512"
before=$(cat "$beat" 2>/dev/null)
sleep 0.6
after=$(cat "$beat" 2>/dev/null)
check "hung converter: it and the program it started were ended" same_text "$after" "$before"

# --- A file that is no PhotoCD.
cp "$fixtures/not_a_pcd.pcd" "$c_drive/in/"
run -i 'C:\in\not_a_pcd.pcd' -o 'C:\out'
linux_reason=$(run_linux -i "$fixtures/not_a_pcd.pcd" -o "$results/linux/" 2>&1 >/dev/null || true)
check "not a PhotoCD: status 1" same_text "$status" 1
check "not a PhotoCD: the Linux build's reason" same_text "$err" "$linux_reason"

# --- Frame and watermark, Arial found by name.
mkdir -p "$c_drive/plain" "$c_drive/marked" "$c_drive/nofont"
cp "$fixtures/base_only.pcd" "$c_drive/in/"
run -q -i 'C:\in\base_only.pcd' -o 'C:\plain'
run -q -i 'C:\in\base_only.pcd' -o 'C:\marked' --wm-text='%filename% %width%x%height%' \
  --wm-font=Arial --fr-solid-left=20 --fr-solid-top=12 --fr-solid-left-color=FF0000 \
  --fr-solid-top-color=0000FF --wm-back-opacity=160
check "frame and watermark: status 0 (Arial found)" same_text "$status" 0
marked=$c_drive/marked/base_only.tiff
plain=$c_drive/plain/base_only.tiff
check "frame: the left side red" same_text "$(pixel "$marked" 5,256)" "255,0,0"
check "frame: the top blue" same_text "$(pixel "$marked" 384,5)" "0,0,255"
convert "$marked" -crop 190x30+568+472 +repage "$wine_tmp/marked-corner.png"
convert "$plain" -crop 190x30+568+472 +repage "$wine_tmp/plain-corner.png"
text_pixels=$(differing_pixels "$wine_tmp/marked-corner.png" "$wine_tmp/plain-corner.png")
check "watermark: text drawn at the bottom right" test "${text_pixels:-0}" -gt 1000
run -q -i 'C:\in\base_only.pcd' -o 'C:\nofont' --wm-text=Kodak --wm-font=NoSuchFont
check "watermark: a font that is not there stops the job" holds "$out" "Error: Invalid watermark font"
check "watermark: ... with status 1" same_text "$status" 1

checks_end console_test
