#!/usr/bin/env bash
# convert.exe under wine against the Linux converter on the same 16Base file
# with the conversion step's arguments, alternating run by run so both see
# the same machine; medians of each, and their ratio. Goal: at most 1.5.
# Both outputs must be the same bytes.
#
#   bench/windows/convert_bench.sh WINDOWS_BUILD LINUX_BUILD [repeats] [-- OPTION...]
#
# WINDOWS_BUILD holds convert.exe, LINUX_BUILD lib/pixmera/convert (or, a
# build of src/photocd alone, convert). OPTIONs go between the leading
# arguments and the input, for example -- -depth 16 -photocd-color-space PROPHOTO
# (the output's extension follows the depth).
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: convert_bench.sh WINDOWS_BUILD LINUX_BUILD [repeats] [-- OPTION...]" >&2
  exit 2
fi
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
windows_convert=$(cd "$1" && pwd)/convert.exe
linux_convert=$(cd "$2" && pwd)/lib/pixmera/convert
[ -f "$linux_convert" ] || linux_convert=$(cd "$2" && pwd)/convert
shift 2
repeats=11
if [ $# -gt 0 ] && [ "$1" != -- ]; then
  repeats=$1
  shift
fi
[ "${1:-}" = -- ] && shift
options=("$@")
extension=tga
case " ${options[*]} " in
  *" -depth 16 "*) extension=ppm ;;
  *" -depth 32 "*) extension=pfm ;;
esac
fixture=$top/tests/data/pcd/kodak_16base.pcd
for program in "$windows_convert" "$linux_convert"; do
  [ -f "$program" ] || { echo "build first: $program is missing" >&2; exit 2; }
done

. "$top/tests/windows/wine_prefix.sh"
trap wine_stop EXIT
wine_start
work=$wine_tmp/work
mkdir -p "$work"
windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }
leading=(-quiet -colorspace sRGB -orient TopLeft)

now() { date +%s%N; }
# Microseconds of one conversion; the output is removed before, outside the
# timing.
run_linux() {
  local t0 t1
  rm -f "$work/linux.$extension"
  t0=$(now)
  "$linux_convert" "${leading[@]}" "${options[@]}" "$fixture[5]" "$work/linux.$extension"
  t1=$(now)
  echo $(((t1 - t0) / 1000))
}
run_windows() {
  local t0 t1
  rm -f "$work/windows.$extension"
  t0=$(now)
  wine "$windows_convert" "${leading[@]}" "${options[@]}" "$(windows_path "$fixture")[5]" \
    "$(windows_path "$work/windows.$extension")" </dev/null
  t1=$(now)
  echo $(((t1 - t0) / 1000))
}
median() { sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'; }

echo "# $(date -u +%Y-%m-%d) $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version)"
# One of each first: the page cache holds the file, wine's server is warm.
run_linux >/dev/null
run_windows >/dev/null
if ! cmp -s "$work/linux.$extension" "$work/windows.$extension"; then
  echo "convert_bench: the two converters wrote different pictures" >&2
  exit 1
fi
linux_times=() windows_times=()
for ((i = 0; i < repeats; i++)); do
  linux_times+=("$(run_linux)")
  windows_times+=("$(run_windows)")
done
# wine's own start, for the record: a program that does nothing but exit
# (the converter asked for a level the file lacks, refused from its header).
start_times=()
for ((i = 0; i < repeats; i++)); do
  t0=$(now)
  wine "$windows_convert" "${leading[@]}" "$(windows_path "$top/tests/data/pcd/base_only.pcd")[5]" \
    "$(windows_path "$work/none.tga")" </dev/null >/dev/null 2>&1 || true
  t1=$(now)
  start_times+=($(((t1 - t0) / 1000)))
done
m_linux=$(printf '%s\n' "${linux_times[@]}" | median)
m_windows=$(printf '%s\n' "${windows_times[@]}" | median)
m_start=$(printf '%s\n' "${start_times[@]}" | median)
ratio=$(awk -v a="$m_windows" -v b="$m_linux" 'BEGIN { printf "%.2f", a / b }')
echo "16Base ${options[*]:-(default)} to .$extension, $repeats rounds: convert.exe under wine ${m_windows} ms" \
  "(of which a refused run takes ${m_start} ms), Linux ${m_linux} ms; ratio ${ratio} (goal <= 1.5)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }'
