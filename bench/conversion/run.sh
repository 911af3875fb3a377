#!/usr/bin/env bash
# Console conversion benchmarks. Each figure is a ratio against a peer
# measured in the same run, on the same machine, so it holds on slow and fast
# machines alike. Usage: bench/conversion/run.sh [build-dir] [repeats]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${1:-$top/build/release}
repeats=${2:-9}
pixmera=$build/bin/pixmera
ours=$build/lib/pixmera/convert
fixture=$top/tests/data/pcd/kodak_16base.pcd
base_fixture=$top/tests/data/pcd/base_only.pcd
[ -x "$pixmera" ] || { echo "build first: $pixmera is missing" >&2; exit 2; }

work=$(mktemp -d /tmp/pixmera-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
mkdir -p "$work/out" "$work/config"

now() { date +%s%N; }
# median_ms CMD...: the median wall time of `repeats` runs, in milliseconds.
median_ms() {
  local times=() t0 t1 i
  for ((i = 0; i < repeats; i++)); do
    t0=$(now); "$@" >/dev/null 2>&1 || true; t1=$(now)
    times+=($(( (t1 - t0) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.2f", a[int((NR+1)/2)]/1000}'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "# $(date -u +%Y-%m-%d) $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"

# 1. The program's own cost: a whole conversion against its converter runs
# timed alone (index 6 fails at once, index 5 decodes), plus the two fixed
# 30 ms pauses that follow them.
whole=$(median_ms "$pixmera" -q -i "$fixture" -o "$work/out")
converters_alone() {
  "$ours" -quiet -colorspace sRGB -orient TopLeft "$fixture[6]" "$work/alone.tga" || true
  "$ours" -quiet -colorspace sRGB -orient TopLeft "$fixture[5]" "$work/alone.tga"
  rm -f "$work/alone.tga"
}
alone=$(median_ms converters_alone)
own=$(awk -v w="$whole" -v a="$alone" 'BEGIN { printf "%.2f", (w - 60) / a }')
echo "16Base conversion: whole run ${whole} ms, converter runs alone ${alone} ms;" \
     "ratio without the 60 ms of pauses ${own} (goal < 1.10)"

# The same with ImageMagick as the converter: index 6 gives a stretched
# picture, the aspect check asks for index 5.
if [ -x /usr/bin/convert ]; then
  photo=$top/tests/data/pcd/photo_16base.pcd
  im_whole=$(PIXMERA_CONVERTER=/usr/bin/convert median_ms "$pixmera" -q -i "$photo" -o "$work/out")
  im_alone() {
    /usr/bin/convert -quiet -colorspace sRGB -orient TopLeft "$photo[6]" "$work/alone.tga" || true
    rm -f "$work/alone.tga"
    /usr/bin/convert -quiet -colorspace sRGB -orient TopLeft "$photo[5]" "$work/alone.tga" || true
    rm -f "$work/alone.tga"
  }
  im_converters=$(median_ms im_alone)
  im_own=$(awk -v w="$im_whole" -v a="$im_converters" 'BEGIN { printf "%.2f", (w - 60) / a }')
  echo "16Base conversion through ImageMagick: whole run ${im_whole} ms, converter runs alone" \
       "${im_converters} ms; ratio without the pauses ${im_own} (goal < 1.10)"
fi

# 2. Start-up of the console face against ImageMagick's.
if command -v convert >/dev/null && [ "$(command -v convert)" != "$ours" ]; then
  v_ours=$(median_ms "$pixmera" -v)
  v_im=$(median_ms convert -version)
  echo "start-up: pixmera -v ${v_ours} ms, convert -version ${v_im} ms; ratio $(ratio "$v_ours" "$v_im") (goal <= 1.2)"
fi

# 3. The whole conversion against FFmpeg writing a TIFF of the same file.
if ! command -v ffmpeg >/dev/null && [ "$(id -u)" = 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ffmpeg >/dev/null 2>&1 || true
fi
if command -v ffmpeg >/dev/null; then
  ff=$(median_ms ffmpeg -nostdin -v error -y -i "$fixture" "$work/ffmpeg.tiff")
  echo "16Base to TIFF: pixmera ${whole} ms, ffmpeg -i F out.tiff ${ff} ms; ratio $(ratio "$whole" "$ff") (goal <= 1.5)"
fi

# 4. No converter at all: seven failed attempts, then FreeImage's Base decode.
none=$(PIXMERA_CONVERTER=$work/no-such-converter median_ms "$pixmera" -q -i "$base_fixture" -o "$work/out")
echo "no converter: ${none} ms for seven failed attempts and the FreeImage decode (goal < 500 ms)"
