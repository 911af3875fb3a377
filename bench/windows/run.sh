#!/usr/bin/env bash
# A 16Base conversion by the Windows build under wine against the Linux
# build on the same file, in the same run: every round converts
# kodak_16base.pcd with `pixmeracmd.exe -q -i F -o OUT` (wine, a warm
# private prefix) and with `pixmera -q -i F -o OUT` (Linux), in turn; the
# medians are compared and the ratio Windows/Linux printed. Goal: at most
# 1.5. Outputs are removed before each run, outside the timing.
#
#   bench/windows/run.sh [ROUNDS] [FOLDER] [LINUX_PIXMERA]
#
# defaults: 11 rounds, build/windows (make windows), build/release/bin/pixmera
# (make build). Exits 1 when the goal is missed.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
rounds=${1:-11}
folder=$(cd "${2:-$top/build/windows}" && pwd)
linux=${3:-$top/build/release/bin/pixmera}
goal=1.5
[ -f "$folder/pixmeracmd.exe" ] || { echo "bench: no $folder/pixmeracmd.exe (make windows)" >&2; exit 2; }
[ -x "$linux" ] || { echo "bench: no $linux (make build)" >&2; exit 2; }

. "$top/tests/windows/wine_prefix.sh"
trap wine_stop EXIT
export LC_ALL=C.UTF-8
wine_start

work=$wine_tmp/bench
mkdir -p "$work/in" "$work/win-out" "$work/linux-out" "$work/config" "$work/runtime"
cp "$top/tests/data/pcd/kodak_16base.pcd" "$work/in/"
exe=$(winepath -w "$folder/pixmeracmd.exe")
input=$(winepath -w "$work/in/kodak_16base.pcd")
win_out=$(winepath -w "$work/win-out")

# Seconds one command takes, to the microsecond.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" </dev/null >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
run_windows() { wine "$exe" -q -i "$input" -o "$win_out"; }
run_linux() {
  XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime \
    "$linux" -q -i "$work/in/kodak_16base.pcd" -o "$work/linux-out/"
}

# One untimed run each: wine's first start and the page cache.
run_windows </dev/null >/dev/null 2>&1
run_linux </dev/null >/dev/null 2>&1
[ -f "$work/win-out/kodak_16base.tiff" ] || { echo "bench: the Windows build converted nothing" >&2; exit 2; }

windows_times=() linux_times=()
for _ in $(seq 1 "$rounds"); do
  rm -f "$work/win-out/"* "$work/linux-out/"*
  windows_times+=("$(seconds run_windows)")
  linux_times+=("$(seconds run_linux)")
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
windows_median=$(median "${windows_times[@]}")
linux_median=$(median "${linux_times[@]}")
ratio=$(echo "$windows_median / $linux_median" | bc -l)
printf 'kodak_16base.pcd, %d rounds, medians: Windows build under wine %.3f s, Linux build %.3f s\n' \
  "$rounds" "$windows_median" "$linux_median"
printf 'ratio %.2f (goal at most %s)\n' "$ratio" "$goal"
[ "$(echo "$ratio <= $goal" | bc -l)" -eq 1 ]
