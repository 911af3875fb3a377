#!/usr/bin/env bash
# The window under wine, on a private X display (xvfb-run -a), in a wine
# prefix of its own:
#  1. the GUI test program of tests/ui/ (cross-built as ui_gui_tests.exe by
#     tests/windows/gui_tests.cmake, which lists the groups left out and
#     why): each group in a process of its own, one after the other, each
#     with an empty application data folder; the update check meets a
#     closed port unless a test sets a server of its own;
#  2. pixmera.exe of the installable folder, acted on through the keyboard
#     of the X display (xdotool): it opens at the geometry config.ini gives,
#     F5 converts the folder of two PhotoCDs named at its start into the
#     output folder config.ini gives, with the progress dialog, and Alt+X
#     ends it with config.ini saved under the user's application data
#     folder, nothing written beside the program.
#
#   tests/windows/gui_test.sh [FOLDER [BUILD]]
#
# FOLDER is the installable folder (default build/windows), BUILD the
# Windows build tree holding bin/ui_gui_tests.exe (default
# build/windows-build). GUI_GROUPS="WindowTest Preferences" runs only those.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
folder=$(cd "${1:-$top/build/windows}" && pwd)
build=$(cd "${2:-$top/build/windows-build}" && pwd)
tests_exe=$build/bin/ui_gui_tests.exe
groups=${GUI_GROUPS:-"WindowTest WindowConversion Preferences PreferencesConversion UpdatesAndManual UninstallPage"}
# The tests that cannot mean the same under wine, with the reason in
# tests/windows/gui_tests.cmake.
left_out="WindowTest.OpensWithEveryElementWhereTheLayoutPutsIt"

for file in "$tests_exe" "$folder/pixmera.exe" "$folder/pixmera_ui.dll"; do
  [ -f "$file" ] || { echo "gui_test: $file is missing (make windows, then build ui_gui_tests)" >&2; exit 2; }
done
for program in xvfb-run xdotool; do
  command -v "$program" >/dev/null || { echo "gui_test: $program is needed" >&2; exit 2; }
done

. "$top/tests/windows/wine_prefix.sh"
trap wine_stop EXIT
export LC_ALL=C.UTF-8
wine_start
"$top/scripts/windows/prepare-wine-fonts" "$WINEPREFIX" >/dev/null
# Every run starts the prefix's server on its own display: a server left
# from a run without one (or from another display) gives no window at all.
fresh_server() { wineserver -k >/dev/null 2>&1 || true; }

app_data=$(wine_unix_path 'C:\users\'"$(id -un)"'\AppData\Roaming')
[ -d "$app_data" ] || app_data=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -path '*/AppData/Roaming' | head -n 1)
config_folder=$app_data/Varnelo/pixmera
screen="-screen 0 1280x1024x24"

. "$top/tests/windows/checks.sh"
file_holds() { grep -q -- "$2" "$1" || { echo "  $1 lacks '$2'"; return 1; }; }

# 1. The in-process tests, group by group.
tests_passed=0 tests_failed=0
started=$(date +%s)
for group in $groups; do
  rm -rf "$config_folder"
  log=$wine_tmp/$group.log
  status=0
  group_start=$(date +%s)
  fresh_server
  PIXMERA_UPDATE_URL=http://127.0.0.1:1/version.txt \
    xvfb-run -a -s "$screen" wine "$tests_exe" --gtest_filter="$group.*-$left_out" \
    </dev/null >"$log" 2>&1 || status=$?
  ok=$(grep -c '^\[       OK \]' "$log" || true)
  bad=$(grep -c '^\[  FAILED  \] .*(' "$log" || true)
  tests_passed=$((tests_passed + ok))
  tests_failed=$((tests_failed + bad))
  echo "gui_test: $group: $ok passed, $bad failed ($(($(date +%s) - group_start)) s)"
  if [ "$status" -ne 0 ] || [ "$ok" -eq 0 ]; then
    failed=$((failed + 1))
    echo "FAIL: the group $group (status $status)"
    grep -v '^\[ RUN\|^\[       OK' "$log" | tail -n 60
  else
    passed=$((passed + 1))
  fi
done
echo "gui_test: in-process tests: $tests_passed passed, $tests_failed failed, left out: $left_out ($(($(date +%s) - started)) s)"

# 2. pixmera.exe itself. Its configuration: the window at 240,150, 620
# wide; the output folder is the last one used.
rm -rf "$config_folder"
mkdir -p "$config_folder"
discs=$wine_tmp/discs
out=$wine_tmp/out
mkdir -p "$discs/disc/more" "$out"
cp "$top/tests/data/pcd/kodak_16base.pcd" "$discs/disc/IMG0001.PCD"
cp "$top/tests/data/pcd/kodak_16base.pcd" "$discs/disc/more/IMG0002.PCD"
out_windows=$(winepath -w "$out" 2>/dev/null)
printf '[General]\r\nUpdate Range = 0\r\n[Window]\r\nIsMaximized = 0\r\nWidth = 620\r\nHeight = 260\r\nX = 240\r\nY = 150\r\n[File]\r\nRecent Out Folders = %s\r\n' \
  "$out_windows" >"$config_folder/config.ini"
before=$(cd "$folder" && find . | sort)

cat >"$wine_tmp/session.sh" <<'EOF'
# Runs inside xvfb-run: the program, then the keys. Prints what it saw.
set -u
wine "$1" "$2" </dev/null >"$3/program.out" 2>&1 &
program=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Varnelo PCD to TIFF 3.1$' | head -n 1)
[ -n "$window" ] || { echo "no window"; kill "$program"; exit 1; }
# Where X has the window's client area (wine draws the frame itself).
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "geometry $X $Y $WIDTH"
# No window manager: the keys go to the window that has the X focus.
xdotool windowfocus --sync "$window"
xdotool key F5
# The progress dialog comes and goes; the message at the end names the count.
progress=$(timeout 60 xdotool search --sync --onlyvisible --name '^Conversion Progress$' | head -n 1)
echo "progress ${progress:+seen}"
for _ in $(seq 1 1200); do
  [ "$(find "$4" -name '*.tiff' | wc -l)" -ge 2 ] && break
  sleep 0.1
done
message=""
for _ in $(seq 1 600); do
  message=$(xdotool search --onlyvisible --name '^Information$|^Warning$' 2>/dev/null | head -n 1)
  [ -n "$message" ] && break
  sleep 0.1
done
echo "message ${message:+seen}"
# Return answers the message; tried again while it is still there.
for _ in 1 2 3 4 5; do
  [ -n "$message" ] || break
  xdotool windowfocus --sync "$message" 2>/dev/null
  xdotool key Return
  for _ in $(seq 1 30); do
    message=$(xdotool search --onlyvisible --name '^Information$|^Warning$' 2>/dev/null | head -n 1)
    [ -z "$message" ] && break
    sleep 0.1
  done
done
echo "message ${message:+still }open"
# Alt+X once the window has the focus again (tried again while the
# program still runs: the window takes the focus back only after the
# message has gone).
status=0
for _ in 1 2 3 4 5 6; do
  xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool keydown alt
  sleep 0.2
  xdotool key x
  sleep 0.2
  xdotool keyup alt
  for _ in $(seq 1 50); do
    kill -0 "$program" 2>/dev/null || break 2
    sleep 0.1
  done
done
if kill -0 "$program" 2>/dev/null; then
  kill "$program"
  echo "status still-running"
else
  wait "$program" || status=$?
  echo "status $status"
fi
EOF
fresh_server
session=$(xvfb-run -a -s "$screen" bash "$wine_tmp/session.sh" "$(winepath -w "$folder/pixmera.exe")" \
  "$(winepath -w "$discs/disc")" "$wine_tmp" "$out" 2>/dev/null || true)
echo "$session" | sed 's/^/gui_test: pixmera.exe: /'
geometry=$(echo "$session" | sed -n 's/^geometry //p')
# The frame's outer corner is where config.ini says; its client area lies
# inside it, below the title bar and the menu bar.
read -r client_x client_y client_width <<<"${geometry:-0 0 0}"
check "the window opens at X = 240 (client area at $client_x)" \
  test "$client_x" -ge 240 -a "$client_x" -le 250
check "the window opens at Y = 150 (client area at $client_y)" \
  test "$client_y" -gt 150 -a "$client_y" -le 220
check "the window opens 620 wide (client area $client_width)" \
  test "$client_width" -ge 600 -a "$client_width" -le 620
check "F5 shows the progress dialog" file_holds <(echo "$session") "^progress seen"
check "F5 converts both PhotoCDs of the folder" same_text \
  "$(cd "$out" && find . -name '*.tiff' | sort | tr '\n' ' ')" "./IMG0001.tiff ./more/IMG0002.tiff "
check "the conversion ends with its message" file_holds <(echo "$session") "^message seen"
check "Alt+X ends the program with status 0" file_holds <(echo "$session") "^status 0"
saved=$config_folder/config.ini
check "config.ini is saved under the application data folder" test -f "$saved"
check "config.ini holds where the window was" file_holds "$saved" "^X = 240"
check "config.ini holds the output folder used" file_holds "$saved" "Recent Out Folders = $(printf '%s' "$out_windows" | sed 's/\\/\\\\/g')"
check "nothing is written beside the program" same_text "$(cd "$folder" && find . | sort)" "$before"

checks_end gui_test
