#!/usr/bin/env bash
# convert.exe under wine against the Linux converter: every fixture at every
# level, at 8 and 16 bits and as floats, with every highlights choice and
# colour space, and 64Base from the generated Pro Photo CD trees. Each pair
# of runs must end with the same exit status and, when a picture is written,
# the same bytes. Also a folder whose name holds spaces and letters outside
# any code page, an output file that already exists, and a usage error.
#
#   tests/windows/convert_test.sh WINDOWS_BUILD LINUX_BUILD
#
# WINDOWS_BUILD holds convert.exe (for example build/win-convert, or the
# installable folder build/windows); LINUX_BUILD is a build tree with
# lib/pixmera/convert (build/release), or a build of src/photocd alone. The
# 64Base trees are read from $PIXMERA_PRO_DISCS, else from the folder
# LINUX_BUILD was configured with for them, else LINUX_BUILD/generated/
# pro-discs, and made there with tests/tools/make_pro_discs.py when missing
# (some 50 s).
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: convert_test.sh WINDOWS_BUILD LINUX_BUILD" >&2
  exit 2
fi
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
windows_convert=$(cd "$1" && pwd)/convert.exe
linux_convert=$(cd "$2" && pwd)/lib/pixmera/convert
# A build of src/photocd alone has it at its top.
[ -f "$linux_convert" ] || linux_convert=$(cd "$2" && pwd)/convert
for program in "$windows_convert" "$linux_convert"; do
  [ -f "$program" ] || { echo "convert_test: no $program" >&2; exit 2; }
done
fixtures=$top/tests/data/pcd
discs=${PIXMERA_PRO_DISCS:-$(sed -n 's/^PIXMERA_PRO_DISCS:PATH=//p' "$2/CMakeCache.txt" 2>/dev/null)}
discs=${discs:-$(cd "$2" && pwd)/generated/pro-discs}
if [ ! -f "$discs/upper/IMAGES/IMG0001.PCD" ] || [ ! -f "$discs/lower/images/img0001.pcd" ]; then
  echo "convert_test: making the Pro Photo CD trees in $discs"
  # Debian's python3, which has numpy, as the CTest fixture runs it.
  /usr/bin/python3 "$top/tests/tools/make_pro_discs.py" "$discs"
fi

# wine maps Unix file names to UTF-16 through the locale's character set.
export LC_ALL=C.UTF-8
. "$top/tests/windows/wine_prefix.sh"
trap wine_stop EXIT
wine_start
work=$wine_tmp/work
mkdir -p "$work"

# Every Linux path is on wine's drive Z:.
windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

passed=0
failed=0
compared_bytes=0

# compare LABEL INPUT INDEX EXTENSION [OPTION...]: one conversion by each
# program with the conversion step's arguments, OPTIONs between the leading
# ones and the input.
compare() {
  local label=$1 input=$2 index=$3 extension=$4
  shift 4
  local linux_out=$work/linux.$extension windows_out=$work/windows.$extension
  local linux_status=0 windows_status=0
  "$linux_convert" -quiet -colorspace sRGB -orient TopLeft "$@" "$input$index" "$linux_out" \
    </dev/null >/dev/null 2>&1 || linux_status=$?
  wine "$windows_convert" -quiet -colorspace sRGB -orient TopLeft "$@" \
    "$(windows_path "$input")$index" "$(windows_path "$windows_out")" \
    </dev/null >/dev/null 2>&1 || windows_status=$?
  local verdict=
  if [ "$linux_status" != "$windows_status" ]; then
    verdict="exit status $windows_status on Windows, $linux_status on Linux"
  elif [ "$linux_status" = 0 ]; then
    if ! cmp -s "$linux_out" "$windows_out"; then
      verdict="the pictures differ ($(cmp "$linux_out" "$windows_out" 2>&1 | head -1))"
    else
      compared_bytes=$((compared_bytes + $(stat -c %s "$linux_out")))
    fi
  elif [ -e "$windows_out" ] || [ -e "$linux_out" ]; then
    verdict="a failed run left its output behind"
  fi
  if [ -n "$verdict" ]; then
    failed=$((failed + 1))
    echo "FAIL $label: $verdict"
    if [ -n "${KEEP_WINE_PREFIX:-}" ]; then
      cp -f "$linux_out" "$work/failed-$failed-linux.$extension" 2>/dev/null || true
      cp -f "$windows_out" "$work/failed-$failed-windows.$extension" 2>/dev/null || true
    fi
  else
    passed=$((passed + 1))
  fi
  rm -f "$linux_out" "$windows_out"
}

# The three depths: the option and the output's extension.
depth_options=("" "-depth 16" "-depth 32")
depth_extensions=(tga ppm pfm)
# No colour option (the default), and every highlights and space pair.
colour_choices=("")
for highlights in CLIP ROLLOFF; do
  for space in SRGB ADOBE_RGB PROPHOTO LINEAR; do
    colour_choices+=("-photocd-highlights $highlights -photocd-color-space $space")
  done
done

# compare_all LABEL INPUT INDEX COLOUR...: every depth with each colour choice.
compare_all() {
  local label=$1 input=$2 index=$3
  shift 3
  local colour d
  for colour in "$@"; do
    for d in 0 1 2; do
      # Word splitting of the option texts is meant.
      # shellcheck disable=SC2086
      compare "$label$index ${depth_options[$d]} $colour" "$input" "$index" \
        "${depth_extensions[$d]}" ${depth_options[$d]} $colour
    done
  done
}

echo "convert_test: fixtures, every level and depth"
for fixture in "$fixtures"/*.pcd; do
  name=$(basename "$fixture")
  # No index is Base; 6 asks for 64Base, which no fixture has beside it.
  for index in "" "[1]" "[2]" "[3]" "[4]" "[5]" "[6]"; do
    compare_all "$name" "$fixture" "$index" ""
  done
done

echo "convert_test: every highlights choice and colour space"
# A landscape 16Base, a portrait Base, and the file with its own gain.
compare_all kodak_16base.pcd "$fixtures/kodak_16base.pcd" "[5]" "${colour_choices[@]:1}"
compare_all photo_portrait_16base.pcd "$fixtures/photo_portrait_16base.pcd" "[3]" \
  "${colour_choices[@]:1}"
compare_all kodak_gain_base.pcd "$fixtures/kodak_gain_base.pcd" "[2]" "${colour_choices[@]:1}"

echo "convert_test: 64Base from the Image Pac extension"
for tree in upper/IMAGES/IMG0001.PCD lower/images/img0001.pcd; do
  compare_all "$tree" "$discs/$tree" "[6]" "" \
    "-photocd-highlights ROLLOFF -photocd-color-space PROPHOTO"
done

echo "convert_test: names outside every code page, an existing output, a usage error"
# A disc copied under such a folder, the extension with it.
odd=$work/"Ærø 1996 [x]"/日本/disc
mkdir -p "$odd/IMAGES" "$odd/IPE/IMG0001"
cp "$discs/upper/IMAGES/IMG0001.PCD" "$odd/IMAGES/"
cp -r "$discs/upper/IPE/IMG0001/64BASE" "$odd/IPE/IMG0001/"
compare "64Base in $odd" "$odd/IMAGES/IMG0001.PCD" "[6]" tga
compare "16Base in $odd" "$odd/IMAGES/IMG0001.PCD" "[5]" ppm -depth 16
# The output replaces a file of that name, and lands in such a folder.
out=$work/"Ærø 1996 [x]"/日本/out.tga
printf 'old' >"$out"
status=0
wine "$windows_convert" -quiet -colorspace sRGB -orient TopLeft \
  "$(windows_path "$fixtures/photo_4base.pcd")[4]" "$(windows_path "$out")" \
  </dev/null >/dev/null 2>&1 || status=$?
"$linux_convert" -quiet -colorspace sRGB -orient TopLeft "$fixtures/photo_4base.pcd[4]" \
  "$work/linux.tga"
leftovers=$(find "$(dirname "$out")" -name '*.tmp' | wc -l)
if [ "$status" = 0 ] && cmp -s "$out" "$work/linux.tga" && [ "$leftovers" = 0 ]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAIL replacing $out: status $status, $leftovers temporary files left"
fi
rm -f "$work/linux.tga"
# Anything but the step's arguments is a usage error (2) on both.
status=0
wine "$windows_convert" -quiet "$(windows_path "$fixtures/base_only.pcd")" \
  "$(windows_path "$work/u.tga")" </dev/null >/dev/null 2>&1 || status=$?
if [ "$status" = 2 ] && [ ! -e "$work/u.tga" ]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAIL usage error: status $status"
fi

echo "convert_test: $((compared_bytes / 1048576)) MiB of pictures compared"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
