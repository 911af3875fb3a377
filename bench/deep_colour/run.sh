#!/usr/bin/env bash
# A 48-bit conversion against the 24-bit one of the same file, alternating
# run by run so both see the same machine; medians. Goal: 48 bits at most
# 1.6 times the 24-bit time. Usage: bench/deep_colour/run.sh [build-dir] [repeats]
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
mkdir -p "$work/out24" "$work/out48" "$work/config"

now() { date +%s%N; }
run_ms() {
  local t0 t1
  t0=$(now); "$pixmera" -q -i "$fixture" "$@" >/dev/null 2>&1; t1=$(now)
  echo $(( (t1 - t0) / 1000 ))
}
median() { sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'; }

echo "# $(date -u +%Y-%m-%d) $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
# One of each first, so the page cache holds the fixture and the converter.
run_ms -o "$work/out24" --tiff-bpp=24 >/dev/null
run_ms -o "$work/out48" --tiff-bpp=48 >/dev/null
t24=() t48=()
for ((i = 0; i < repeats; i++)); do
  t24+=("$(run_ms -o "$work/out24" --tiff-bpp=24)")
  t48+=("$(run_ms -o "$work/out48" --tiff-bpp=48)")
done
m24=$(printf '%s\n' "${t24[@]}" | median)
m48=$(printf '%s\n' "${t48[@]}" | median)
ratio=$(awk -v a="$m48" -v b="$m24" 'BEGIN { printf "%.2f", a / b }')
echo "16Base to TIFF: 24 bits ${m24} ms, 48 bits ${m48} ms; ratio ${ratio} (goal <= 1.6)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.6) }'
