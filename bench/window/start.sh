#!/usr/bin/env bash
# Start-up of the windowed face against the console face's, in the same run:
# the time from starting `pixmera` to its main window's first paint on a
# virtual display, against `pixmera -v`. Runs alternate; medians are
# compared. Usage: bench/window/start.sh [build-dir] [repeats]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${1:-$top/build/release}
repeats=${2:-11}
pixmera=$build/bin/pixmera
[ -x "$pixmera" ] || { echo "build first: $pixmera is missing" >&2; exit 2; }

work=$(mktemp -d /tmp/pixmera-window-bench.XXXXXX)
xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
export GDK_BACKEND=x11 GDK_SCALE=1 NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory

# A display of our own: Xvfb picks a free number and tells it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display")

now() { date +%s%N; }
# One windowed start: from the start to the "Window painted" debug line.
window_start() {
  local t0 t1 pid line
  rm -f "$work/fifo"; mkfifo "$work/fifo"
  t0=$(now)
  "$pixmera" -d >"$work/fifo" 2>/dev/null &
  pid=$!
  while IFS= read -r line; do
    [ "$line" = "Window painted" ] && break
  done <"$work/fifo"
  t1=$(now)
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  echo $(( (t1 - t0) / 1000 ))
}
console_start() {
  local t0 t1
  t0=$(now); "$pixmera" -v >/dev/null; t1=$(now)
  echo $(( (t1 - t0) / 1000 ))
}
median() { sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'; }

window_start >/dev/null  # first start warms the caches
: >"$work/window"; : >"$work/console"
for ((i = 0; i < repeats; i++)); do
  window_start >>"$work/window"
  console_start >>"$work/console"
done
w=$(median <"$work/window"); c=$(median <"$work/console")
echo "# $(date -u +%Y-%m-%d) $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "window shown ${w} ms, pixmera -v ${c} ms; ratio $(awk -v a="$w" -v b="$c" 'BEGIN { printf "%.1f", a / b }')"
# The console face maps no window library: its start is the same as before
# the window existed.
if ldd "$pixmera" | grep -E -q 'libwx|libgtk|libgdk'; then
  echo "pixmera links the window libraries: the console start pays for them" >&2
  exit 1
fi
echo "pixmera links no window library: $(ldd "$pixmera" | wc -l) shared libraries"
