#!/usr/bin/env bash
# A 48-bit conversion in ProPhoto RGB with rolled-off highlights against the
# default 48-bit conversion (sRGB, clipped) of the same 16Base file,
# alternating run by run so both see the same machine; medians. Goal: at
# most 1.2 times the default. Usage: bench/colour/run.sh [build-dir] [repeats]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${1:-$top/build/release}
repeats=${2:-11}
pixmera=$build/bin/pixmera
fixture=$top/tests/data/pcd/kodak_16base.pcd
[ -x "$pixmera" ] || { echo "build first: $pixmera is missing" >&2; exit 2; }

work=$(mktemp -d /tmp/pixmera-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
mkdir -p "$work/plain" "$work/wide" "$work/config"
wide=(--photocd-color-space=PROPHOTO --photocd-highlights=ROLLOFF)

now() { date +%s%N; }
# The output is removed before each run, outside the timing.
run_ms() {
  local out=$1 t0 t1
  shift
  rm -f "$out"/*.tiff
  t0=$(now); "$pixmera" -q -i "$fixture" -o "$out" --tiff-bpp=48 "$@" >/dev/null 2>&1; t1=$(now)
  echo $(( (t1 - t0) / 1000 ))
}
median() { sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'; }

echo "# $(date -u +%Y-%m-%d) $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
# One of each first, so the page cache holds the fixture and the converter.
run_ms "$work/plain" >/dev/null
run_ms "$work/wide" "${wide[@]}" >/dev/null
plain=() coloured=()
for ((i = 0; i < repeats; i++)); do
  plain+=("$(run_ms "$work/plain")")
  coloured+=("$(run_ms "$work/wide" "${wide[@]}")")
done
m_plain=$(printf '%s\n' "${plain[@]}" | median)
m_wide=$(printf '%s\n' "${coloured[@]}" | median)
ratio=$(awk -v a="$m_wide" -v b="$m_plain" 'BEGIN { printf "%.2f", a / b }')
echo "16Base to 48-bit TIFF: sRGB clipped ${m_plain} ms, ProPhoto rolled off ${m_wide} ms; ratio ${ratio} (goal <= 1.2)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.2) }'
