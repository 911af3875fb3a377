#!/usr/bin/env bash
# 64Base against 16Base: the whole console conversion of a Pro Photo CD
# picture (index 6 decodes 64Base from the Image Pac extension) against the
# same Image Pac with no extension beside it (index 6 fails at once, index 5
# decodes 16Base), run in turn so both see the same machine load; medians.
# The converter alone ([6] against [5] of the same file) is timed the same
# way. Goal: 64Base at most 5x the 16Base time, for 4x the pixels.
# Usage: bench/conversion/pro_disc.sh [build-dir] [repeats] [disc-folder]
# The disc comes from tests/tools/make_pro_discs.py (python3-numpy,
# ImageMagick), written to disc-folder (default build/generated/pro-discs,
# where the tests leave it) unless it is there already.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${1:-$top/build/release}
repeats=${2:-9}
discs=${3:-$top/build/generated/pro-discs}
pixmera=$build/bin/pixmera
ours=$build/lib/pixmera/convert
[ -x "$pixmera" ] && [ -x "$ours" ] || { echo "build first: $pixmera or $ours is missing" >&2; exit 2; }
/usr/bin/python3 "$top/tests/tools/make_pro_discs.py" "$discs"
pro=$discs/upper/IMAGES/IMG0001.PCD

work=$(mktemp -d /tmp/pixmera-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work PIXMERA_CONVERTER=$ours
mkdir -p "$work/out" "$work/config" "$work/alone/IMAGES"
alone=$work/alone/IMAGES/IMG0001.PCD
cp "$pro" "$alone"

now() { date +%s%N; }
# Runs the named function once; prints its wall time in microseconds.
time_us() {
  local t0 t1
  t0=$(now); "$1" >/dev/null 2>&1 || true; t1=$(now)
  echo $(( (t1 - t0) / 1000 ))
}
median_ms() { sort -n | awk '{ a[NR] = $1 } END { printf "%.1f", a[int((NR + 1) / 2)] / 1000 }'; }

whole_64() { "$pixmera" -q -i "$pro" -o "$work/out"; }
whole_16() { "$pixmera" -q -i "$alone" -o "$work/out"; }
convert_6() { "$ours" -quiet -colorspace sRGB -orient TopLeft "$pro[6]" "$work/c.tga"; rm -f "$work/c.tga"; }
convert_5() { "$ours" -quiet -colorspace sRGB -orient TopLeft "$pro[5]" "$work/c.tga"; rm -f "$work/c.tga"; }

whole_64 && whole_16 && convert_6 && convert_5 || { echo "a conversion failed" >&2; exit 2; }
for f in whole_64 whole_16 convert_6 convert_5; do : > "$work/$f.us"; done
for ((i = 0; i < repeats; i++)); do
  for f in whole_64 whole_16 convert_6 convert_5; do time_us $f >> "$work/$f.us"; done
done
w64=$(median_ms < "$work/whole_64.us"); w16=$(median_ms < "$work/whole_16.us")
c6=$(median_ms < "$work/convert_6.us"); c5=$(median_ms < "$work/convert_5.us")

echo "# $(date -u +%Y-%m-%d) $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $repeats rounds, threads ${PIXMERA_THREADS:-default}"
echo "converter alone: [6] 64Base ${c6} ms, [5] 16Base ${c5} ms; ratio $(awk -v a="$c6" -v b="$c5" 'BEGIN { printf "%.2f", a / b }')"
awk -v a="$w64" -v b="$w16" 'BEGIN {
  printf "whole conversion to TIFF: 64Base %.1f ms, 16Base %.1f ms; ratio %.2f (goal <= 5.00)\n", a, b, a / b
  exit !(a <= 5 * b)
}'
