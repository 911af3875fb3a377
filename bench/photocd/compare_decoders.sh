#!/bin/bash
# compare_decoders.sh - wall time of our PhotoCD converter against FFmpeg and
# ImageMagick on the 16Base fixture, measured side by side in one run.
#
# usage: bench/photocd/compare_decoders.sh [--converter PATH] [--runs N] [FILE.pcd]
#
#   --converter PATH  our converter (default: build/lib/pixmera/convert, then
#                     build/*/lib/pixmera/convert, whichever exists first)
#   --runs N          timed rounds (default 15); one untimed warm-up round first
#   FILE.pcd          default tests/data/pcd/kodak_16base.pcd
#
# Every round runs the three commands one after the other, in turn, so all
# three see the same machine load; the medians of the rounds are compared.
# Each output is removed before its run, outside the timing: replacing an
# existing 18 MB file makes ext4 write the new one out at once (on the
# rename for ours, on close after the truncation for the others), which is
# no part of decoding.
#   ours:        convert -quiet -colorspace sRGB -orient TopLeft "F[5]" out.tga
#   FFmpeg:      ffmpeg -i F out.tga        (it picks 16Base from the file size)
#   ImageMagick: /usr/bin/convert "F[5]" out.tga
# FFmpeg is installed here (apt-get) when missing; it is not a dependency of
# the project. On Debian 12 ImageMagick exits 1 at [5] ("corrupt image") after
# doing the work; its time is still counted.
# Targets: ours / FFmpeg <= 0.25 and ours / ImageMagick <= 0.3. Exit status 1
# when a target is missed. Our converter runs on as many threads as it finds
# (PIXMERA_THREADS in the environment overrides).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

converter=""
runs=15
pcd="$root/tests/data/pcd/kodak_16base.pcd"
while [ $# -gt 0 ]; do
  case "$1" in
    --converter) converter=$2; shift 2;;
    --runs) runs=$2; shift 2;;
    -h|--help) sed -n '2,22p' "$0"; exit 0;;
    *) pcd=$1; shift;;
  esac
done
if [ -z "$converter" ]; then
  for c in "$root"/build/lib/pixmera/convert "$root"/build/*/lib/pixmera/convert; do
    if [ -x "$c" ]; then converter=$c; break; fi
  done
fi
[ -n "$converter" ] && [ -x "$converter" ] || { echo "no converter found; build pixmera_convert or pass --converter" >&2; exit 2; }
[ -f "$pcd" ] || { echo "no such file: $pcd" >&2; exit 2; }
[ -x /usr/bin/convert ] || { echo "ImageMagick (/usr/bin/convert) is not installed" >&2; exit 2; }
if ! command -v ffmpeg > /dev/null 2>&1; then
  echo "installing ffmpeg for the comparison" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ffmpeg > /dev/null || { echo "cannot install ffmpeg" >&2; exit 2; }
fi

work=$(mktemp -d /tmp/photocd-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

run_ours() { "$converter" -quiet -colorspace sRGB -orient TopLeft "$pcd[5]" "$work/ours.tga"; }
run_ffmpeg() { ffmpeg -nostdin -v error -y -i "$pcd" "$work/ffmpeg.tga"; }
run_magick() { /usr/bin/convert "$pcd[5]" "$work/magick.tga"; }

run_ours || { echo "our converter failed on $pcd" >&2; exit 2; }
run_ffmpeg 2> /dev/null || { echo "ffmpeg failed on $pcd" >&2; exit 2; }
run_magick 2> /dev/null

# Microseconds of wall time for one call of the named function, its output
# removed first.
time_us() {
  local start end
  rm -f "$work"/*.tga
  start=$(date +%s%N)
  "$1" > /dev/null 2>&1
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: > "$work/ours.us"; : > "$work/ffmpeg.us"; : > "$work/magick.us"
for ((i = 0; i < runs; i++)); do
  time_us run_ours >> "$work/ours.us"
  time_us run_ffmpeg >> "$work/ffmpeg.us"
  time_us run_magick >> "$work/magick.us"
done
ours=$(median < "$work/ours.us")
ffmpeg=$(median < "$work/ffmpeg.us")
magick=$(median < "$work/magick.us")

cpu=$(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)
echo "machine: $(uname -m), $(nproc) CPUs, ${cpu:-unknown CPU}; $(date -u +%Y-%m-%d)"
echo "file: $(basename "$pcd") [5] (3072x2048), $runs rounds, median wall time"
awk -v o="$ours" -v f="$ffmpeg" -v m="$magick" 'BEGIN {
  printf "  ours         %8.1f ms\n", o / 1000
  printf "  ffmpeg       %8.1f ms\n", f / 1000
  printf "  imagemagick  %8.1f ms\n", m / 1000
  printf "ratio ours/ffmpeg      %.2f (target <= 0.25)\n", o / f
  printf "ratio ours/imagemagick %.2f (target <= 0.30)\n", o / m
  exit !(o <= 0.25 * f && o <= 0.3 * m)
}'
