#!/usr/bin/env bash
# The setup program under wine, in a wine prefix of its own: installs
# silently for the current user and, separately, for all users into a folder
# given with /D=, checks every file, the Start-menu shortcut, the file type
# and the uninstall entry, then runs the uninstall command the entry names
# and checks that everything the installer wrote is gone and nothing else:
# config.ini, a file the user put into the installation folder, the folder
# above it, and a default program of .pcd that was there before all stay.
# The listings of the folders and registry keys before and after each run
# are compared.
#
# With the real build the installed programs run too: pixmeracmd.exe -v and
# a conversion in both installations; in the one for all users, the window
# program's screenshot mode (18 pictures, none blank), its window opened on
# a PhotoCD and closed with Alt+X (config.ini saved in the user's
# application data) and a conversion from the console, compared with the
# Linux build's TIFF when build/release holds one. Meanwhile the installed
# folder must not change at all, not even for a moment, and the converter's
# temporary picture must show in the user's settings folder instead.
#
#   tests/windows/installer_test.sh [FOLDER]
#
# FOLDER is the installable folder (default build/windows, as `make windows`
# fills it). When it holds the three programs, the setup program tested is
# the one `make windows-installer` writes into it (made first when missing
# or out of date); otherwise one is made from a copy of the folder in which
# a stand-in that only notes its starts replaces each missing program (the
# test says which). Listings, logs and pictures go to
# build/windows-installer-test/.
set -euo pipefail

# The window program and the interactive uninstall (run 4) need a display:
# the whole test runs on a private Xvfb when there is none.
if [ -z "${DISPLAY:-}" ] && [ -z "${PIXMERA_INSTALLER_TEST_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
  PIXMERA_INSTALLER_TEST_XVFB=1 exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
folder=${1:-$top/build/windows}
results=$top/build/windows-installer-test
fixture=$top/tests/data/pcd/kodak_16base.pcd
rm -rf "$results"
mkdir -p "$results"

. "$top/tests/windows/wine_prefix.sh"
. "$top/tests/windows/checks.sh"
trap wine_stop EXIT

# --- The setup program. A folder with all three programs is the real build:
# its own setup program is tested, the one `make windows-installer` writes
# there (made here when it is missing or older than the folder's files).
# Otherwise the setup program is made from a copy of what there is, with
# stand-ins for the programs it lacks.
real_programs=() stand_ins=()
for program in pixmera.exe pixmeracmd.exe convert.exe; do
  if [ -f "$folder/$program" ]; then
    real_programs+=("$program")
  else
    stand_ins+=("$program")
  fi
done
if [ ${#stand_ins[@]} -eq 0 ]; then
  stage=$(cd "$folder" && pwd)
  setup=$stage/pixmera-3.1-setup.exe
  if [ ! -f "$setup" ] || [ -n "$(find "$stage" -newer "$setup" ! -name 'pixmera-*-setup.exe' -print -quit)" ]; then
    echo "installer_test: making $setup (as make windows-installer does)"
    "$top/packaging/windows/build-installer" "$stage" "$setup" >"$results/build.log"
  fi
  # The lists the setup program was made from, for the checks.
  "$top/packaging/windows/file-lists" "$stage" "$wine_tmp/work/lists" >/dev/null
else
  stage=$wine_tmp/stage
  mkdir -p "$stage"
  if [ -d "$folder" ]; then
    cp -a "$folder/." "$stage/"
    rm -f "$stage"/pixmera-*-setup.exe
  fi
  x86_64-w64-mingw32-gcc-posix -O2 -s -municode -o "$wine_tmp/stand_in.exe" \
    "$top/tests/windows/stand_in.c"
  for program in "${stand_ins[@]}"; do cp "$wine_tmp/stand_in.exe" "$stage/$program"; done
  if [ ${#real_programs[@]} -eq 0 ]; then
    # No build at all: a layout like the real one, with stand-in contents.
    mkdir -p "$stage/gfx" "$stage/docs"
    for dll in pixmera_base.dll pixmera_engine.dll libstdc++-6.dll; do
      cp "$wine_tmp/stand_in.exe" "$stage/$dll"
    done
    printf 'stand-in theme\n' >"$stage/gfx/handdrawn.zip"
    cp "$top/docs/manual.html" "$stage/docs/manual.html"
  fi
  setup=$wine_tmp/pixmera-3.1-setup.exe
  "$top/packaging/windows/build-installer" "$stage" "$setup" "$wine_tmp/work" >"$results/build.log"
fi
echo "installer_test: installing from ${folder}"
echo "  real programs: ${real_programs[*]:-none}; stand-ins: ${stand_ins[*]:-none}"
echo "  $setup: $(($(stat -c %s "$setup") / 1024)) KiB"

# Through cmd, so the command line reaches the setup program as typed: /D=
# must stand last and unquoted, spaces and all.
run_setup() { wine cmd /c "$(winepath -w "$setup") $*" </dev/null >/dev/null 2>&1; }
mapfile -t installed_files <"$wine_tmp/work/lists/installed-files.txt"
echo "  ${#installed_files[@]} files in the setup program"

wine_start
if [ ${#stand_ins[@]} -eq 0 ]; then
  # Arial and its kin, as on a Windows desktop.
  "$top/scripts/windows/prepare-wine-fonts" "$WINEPREFIX" >"$results/fonts.log" 2>&1
fi
user_profile=$(wine cmd /c echo %USERPROFILE% </dev/null | tr -d '\r')
appdata=$(wine cmd /c echo %APPDATA% </dev/null | tr -d '\r')
temp=$(wine cmd /c echo %TEMP% </dev/null | tr -d '\r')
unix() { winepath -u "$1" 2>/dev/null; }
per_user_folder="$user_profile\\AppData\\Local\\Programs\\Varnelo\\pixmera"
all_users_folder='C:\Tools\Pixmera Test'
per_user_start="$appdata\\Microsoft\\Windows\\Start Menu\\Programs"
all_users_start='C:\ProgramData\Microsoft\Windows\Start Menu\Programs'
settings="$appdata\\Varnelo\\pixmera\\config.ini"
stand_in_log=$(unix "$temp\\pixmera-stand-in.log")

# --- Listings: the folders an installation touches and the registry keys.
file_roots=("$user_profile\\AppData\\Local\\Programs" "$per_user_start" "$appdata\\Varnelo"
  'C:\Program Files' 'C:\Tools' "$all_users_start")
registry_keys=('HKCU\Software\Classes'
  'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
  'HKLM\Software\Classes\.pcd' 'HKLM\Software\Classes\Varnelo.pixmera.pcd'
  'HKLM\Software\Classes\Applications\pixmera.exe'
  'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnelo.pixmera')
listing() {
  local root key path line
  for root in "${file_roots[@]}"; do
    path=$(unix "$root")
    if [ -e "$path" ]; then
      (cd "$path" && find . -mindepth 1 -printf '%P %y\n' | LC_ALL=C sort) |
        while IFS= read -r line; do printf 'file %s\\%s\n' "$root" "${line//\//\\}"; done
    else
      echo "file $root (absent)"
    fi
  done
  for key in "${registry_keys[@]}"; do
    # wine's own per-program cache under Local Settings is no one's record.
    if wine reg query "$key" </dev/null >/dev/null 2>&1; then
      wine reg query "$key" /s </dev/null 2>/dev/null | tr -d '\r' |
        grep -v -e '^$' -e 'Local Settings' | sed "s|^|reg |" || true
    else
      echo "reg $key (absent)"
    fi
  done
}
# Lines only in the second listing (+) or only in the first (-).
listing_changes() { { diff "$1" "$2" || true; } | sed -n 's/^> /+ /p; s/^< /- /p' | LC_ALL=C sort; }

reg_value() {  # KEY NAME (empty NAME: the default value)
  local args=(/v "$2")
  [ -n "$2" ] || args=(/ve)
  wine reg query "$1" "${args[@]}" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n 's/^    [^ ].*    REG_[A-Z_]*    \{0,1\}//p' | head -1
}
key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }

# The uninstaller copies itself to %TEMP% and returns at once; the copy runs
# with "_?=<folder>". Waits until no such process of this prefix is left.
wait_for_uninstaller() {
  local deadline=$((SECONDS + 120)) pid busy
  while [ $SECONDS -lt $deadline ]; do
    busy=
    for pid in /proc/[0-9]*; do
      grep -qzx "WINEPREFIX=$WINEPREFIX" "$pid/environ" 2>/dev/null || continue
      tr '\0' ' ' <"$pid/cmdline" 2>/dev/null | grep -qF '_?=' && busy=1 && break
    done
    [ -z "$busy" ] && return 0
    sleep 0.2
  done
  echo "the uninstaller did not finish within 120 s"
  return 1
}

run_quiet_uninstall() {  # ROOT (HKCU or HKLM) [extra switches]
  local root=$1
  shift
  local command
  command=$(reg_value "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnelo.pixmera" QuietUninstallString)
  # "C:\...\uninstall.exe" /S, run as Windows runs it.
  local program=${command#\"}
  program=${program%%\"*}
  wine "$program" /S "$@" </dev/null >/dev/null 2>&1
  wait_for_uninstaller
}

check_installation() {  # FOLDER START_MENU ROOT(HKCU|HKLM)
  local dir=$1 start=$2 root=$3 file missing=0 differing=0
  for file in "${installed_files[@]}"; do
    local path
    path=$(unix "$dir\\$file")
    if [ ! -f "$path" ]; then
      missing=$((missing + 1)); echo "  missing: $file"
    elif ! cmp -s "$path" "$stage/${file//\\//}"; then
      differing=$((differing + 1)); echo "  differs: $file"
    fi
  done
  check "every file of the list installed in $dir, byte for byte" [ $missing -eq 0 -a $differing -eq 0 ]
  check "the uninstaller beside the program" [ -f "$(unix "$dir\\uninstall.exe")" ]
  local shortcut
  shortcut=$(unix "$start\\Varnelo PCD to TIFF.lnk")
  check "the Start-menu shortcut in $start" [ -f "$shortcut" ]
  check "the shortcut starts $dir\\pixmera.exe" \
    grep -qiF "$dir\\pixmera.exe" <(strings -a -el "$shortcut" 2>/dev/null; strings -a "$shortcut")

  local key="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnelo.pixmera"
  check "DisplayName" same_text "$(reg_value "$key" DisplayName)" "Varnelo PCD to TIFF"
  check "Publisher" same_text "$(reg_value "$key" Publisher)" "Varnelo"
  check "DisplayVersion" same_text "$(reg_value "$key" DisplayVersion)" "3.1"
  check "DisplayIcon" same_text "$(reg_value "$key" DisplayIcon)" "$dir\\pixmera.exe,0"
  check "InstallLocation" same_text "$(reg_value "$key" InstallLocation)" "$dir"
  check "UninstallString" same_text "$(reg_value "$key" UninstallString)" "\"$dir\\uninstall.exe\""
  check "QuietUninstallString" same_text "$(reg_value "$key" QuietUninstallString)" "\"$dir\\uninstall.exe\" /S"
  check "NoModify" same_text "$(reg_value "$key" NoModify)" "0x1"
  check "NoRepair" same_text "$(reg_value "$key" NoRepair)" "0x1"
  local size bytes=0
  size=$(reg_value "$key" EstimatedSize)
  for file in "${installed_files[@]}"; do
    bytes=$((bytes + $(stat -c %s "$stage/${file//\\//}")))
  done
  check "EstimatedSize ($((size)) KiB) covers the files ($((bytes / 1024)) KiB)" \
    [ $((size * 1024)) -ge $bytes ]

  local classes="$root\\Software\\Classes"
  check "the ProgID opens .pcd files with pixmera.exe" same_text \
    "$(reg_value "$classes\\Varnelo.pixmera.pcd\\shell\\open\\command" "")" "\"$dir\\pixmera.exe\" \"%1\""
  check "the ProgID's icon" same_text "$(reg_value "$classes\\Varnelo.pixmera.pcd\\DefaultIcon" "")" "$dir\\pixmera.exe,0"
  check "Open with lists the ProgID for .pcd" key_value_present "$classes\\.pcd\\OpenWithProgids" Varnelo.pixmera.pcd
  check "the application says it opens .pcd" key_value_present "$classes\\Applications\\pixmera.exe\\SupportedTypes" .pcd
  check "the application's own open command" same_text \
    "$(reg_value "$classes\\Applications\\pixmera.exe\\shell\\open\\command" "")" "\"$dir\\pixmera.exe\" \"%1\""
}
key_value_present() { wine reg query "$1" /v "$2" </dev/null >/dev/null 2>&1; }

check_installed_program() {  # FOLDER
  local dir=$1
  if [[ " ${real_programs[*]} " == *" pixmeracmd.exe "* ]]; then
    local version
    version=$(cd "$wine_tmp" && wine "$dir\\pixmeracmd.exe" -v </dev/null 2>/dev/null | tr -d '\r')
    check "the installed pixmeracmd.exe -v says 3.1" same_text "$version" "3.1"
    if [[ " ${real_programs[*]} " == *" convert.exe "* ]]; then
      local out=$wine_tmp/converted
      rm -rf "$out" && mkdir -p "$out"
      cp "$fixture" "$wine_tmp/kodak_16base.pcd"
      (cd "$wine_tmp" && wine "$dir\\pixmeracmd.exe" -q -i "$(winepath -w "$wine_tmp/kodak_16base.pcd")" \
        -o "$(winepath -w "$out")" </dev/null >"$results/convert.log" 2>&1) || true
      local tiff=$out/kodak_16base.tiff
      check "the installed program converts the 16Base fixture through its convert.exe" [ -s "$tiff" ]
      if [ -s "$tiff" ] && command -v tiffinfo >/dev/null; then
        check "the TIFF is 3072x2048" grep -q "Image Width: 3072 Image Length: 2048" <(tiffinfo "$tiff" 2>/dev/null)
      fi
    fi
  fi
}

# The first visible window whose title begins with TITLE, within 60 s.
window_named() {  # TITLE
  local deadline=$((SECONDS + 60)) window
  while [ $SECONDS -lt $deadline ]; do
    window=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -1 || true)
    [ -z "$window" ] || { echo "$window"; return 0; }
    sleep 0.2
  done
  return 1
}
# Keys typed into a window. Xvfb has no window manager to activate it: the
# window gets the X input focus and the pointer, so that the keys reach it
# whatever had them before.
press() {  # WINDOW KEY...
  local window=$1
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool mousemove --window "$window" 5 5 2>/dev/null || true
  xdotool key --clearmodifiers "$@" 2>/dev/null
}

# The installed window program at work, from a folder it may not write to:
# the screenshot mode, the window opened on a PhotoCD and closed with Alt+X
# (which saves config.ini), and a conversion from the console. The folder is
# listed before and after, and watched meanwhile, so that a file made and
# removed again shows too; the user's settings folder is watched as well,
# where the converter's temporary picture must appear instead.
check_program_at_run_time() {  # FOLDER
  local dir=$1 dir_unix config_unix
  dir_unix=$(unix "$dir")
  config_unix=$(unix "$appdata\\Varnelo\\pixmera")
  state_of() { (cd "$dir_unix" && find . -mindepth 1 -printf '%P %y %s %T@\n' | LC_ALL=C sort); }
  state_of >"$results/run-time-before.txt"
  rm -f "$(unix "$settings")"
  mkdir -p "$config_unix"
  # Every name seen in either folder, about every 20 ms.
  (while :; do
    find "$dir_unix" "$config_unix" -mindepth 1 -printf '%p\n' 2>/dev/null
    sleep 0.02
  done) >"$wine_tmp/seen" &
  local watcher=$!

  local shots=$wine_tmp/shots status=0 picture blank=0
  (cd "$wine_tmp" && wine "$dir\\pixmera.exe" -T "$(winepath -w "$shots")" \
    </dev/null >"$results/screenshots.log" 2>&1) || status=$?
  check "pixmera.exe -T ends with status 0" same_text "$status" 0
  check "pixmera.exe -T writes the 18 pictures" same_text "$(find "$shots" -name '*.png' 2>/dev/null | grep -c .)" 18
  for picture in "$shots"/*.png; do
    [ -f "$picture" ] || continue
    [ "$(colours "$picture")" -ge 16 ] || { echo "  $(basename "$picture") is blank"; blank=$((blank + 1)); }
  done
  check "no picture of -T is blank" same_text "$blank" 0
  mkdir -p "$results/shots" && cp "$shots"/*.png "$results/shots/" 2>/dev/null || true

  cp "$fixture" "$wine_tmp/kodak_16base.pcd"
  (cd "$wine_tmp" && exec wine "$dir\\pixmera.exe" "$(winepath -w "$wine_tmp/kodak_16base.pcd")" \
    </dev/null >"$results/window.log" 2>&1) &
  local window_program=$! window
  window=$(window_named "Varnelo PCD to TIFF" || true)
  check "the window opens" [ -n "$window" ]
  # Alt+X, again every 3 s until the program has ended (a key typed while
  # the window is still being laid out may go nowhere).
  local deadline=$((SECONDS + 30))
  sleep 1
  while [ -n "$window" ] && kill -0 "$window_program" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
    press "$window" alt+x
    for _ in $(seq 15); do kill -0 "$window_program" 2>/dev/null && sleep 0.2; done
  done
  if kill -0 "$window_program" 2>/dev/null; then
    check "Alt+X closes the window" false
    kill "$window_program" 2>/dev/null || true
  fi
  wait "$window_program" 2>/dev/null || true
  check "the window saved config.ini in the user's application data" \
    grep -q '^CFG = ' "$(unix "$settings")"

  local out=$wine_tmp/window-converted
  rm -rf "$out" && mkdir -p "$out"
  status=0
  (cd "$wine_tmp" && wine "$dir\\pixmera.exe" -q -i "$(winepath -w "$wine_tmp/kodak_16base.pcd")" \
    -o "$(winepath -w "$out")" </dev/null >"$results/window-program-convert.log" 2>&1) || status=$?
  check "pixmera.exe -i -o converts from a console (status 0)" same_text "$status" 0
  check "... a 3072x2048 TIFF" same_text "$(size_of "$out/kodak_16base.tiff")" "3072 2048"
  local linux=${LINUX_PIXMERA:-$top/build/release/bin/pixmera}
  if [ -x "$linux" ]; then
    mkdir -p "$results/linux" "$results/linux-config" "$results/linux-runtime"
    XDG_CONFIG_HOME=$results/linux-config XDG_RUNTIME_DIR=$results/linux-runtime \
      "$linux" -q -i "$fixture" -o "$results/linux/" </dev/null >/dev/null 2>&1 || true
    check "... with the Linux build's pixels" same_pixels "$out/kodak_16base.tiff" "$results/linux/kodak_16base.tiff"
  fi

  kill "$watcher" 2>/dev/null || true
  wait "$watcher" 2>/dev/null || true
  state_of >"$results/run-time-after.txt"
  check "the installed folder is as installed after the runs (nothing added, removed or changed)" \
    same_text "$(diff "$results/run-time-before.txt" "$results/run-time-after.txt")" ""
  LC_ALL=C sort -u "$wine_tmp/seen" >"$results/run-time-seen.txt"
  local appeared
  appeared=$(grep -F "$dir_unix/" "$results/run-time-seen.txt" | sed "s|^$dir_unix/||" |
    grep -vxF -f <(cut -d' ' -f1 "$results/run-time-before.txt") || true)
  check "nothing appeared in the installed folder, even for a moment" same_text "$appeared" ""
  # The converter writes the picture under a temporary name and renames it;
  # either name, caught by the watch, shows where it was.
  check "the converter's temporary picture was in the user's settings folder" \
    grep -qE '^\.?kodak_16base\.tga(\.[0-9a-f]+\.tmp)?$' \
    <(grep -F "$config_unix/" "$results/run-time-seen.txt" | sed "s|^$config_unix/||")
  check "... and is gone" [ ! -e "$config_unix/kodak_16base.tga" ]
}

write_settings() {
  mkdir -p "$(dirname "$(unix "$settings")")"
  printf '\xef\xbb\xbf[Window]\r\nLeft=100\r\n' >"$(unix "$settings")"
}

# === 1. For the current user, default folder, no program for .pcd before.
echo "installer_test: 1. per user"
listing >"$results/1-before.txt"
rm -f "$stand_in_log"
check "setup /S /CURRENTUSER exits 0" run_setup /S /CURRENTUSER
check_installation "$per_user_folder" "$per_user_start" HKCU
check "no program had .pcd: ours is its default" same_text \
  "$(reg_value 'HKCU\Software\Classes\.pcd' "")" "Varnelo.pixmera.pcd"
check "nothing written for all users" bash -c "! wine reg query 'HKLM\\Software\\Classes\\Varnelo.pixmera.pcd' </dev/null >/dev/null 2>&1"
check_installed_program "$per_user_folder"
write_settings
listing >"$results/1-installed.txt"
run_quiet_uninstall HKCU
listing >"$results/1-after.txt"
check "config.ini stays" [ -f "$(unix "$settings")" ]
check "the folder and the folders made for it are gone" [ ! -e "$(unix "$per_user_folder")" ]
if [[ " ${stand_ins[*]} " == *" pixmera.exe "* ]]; then
  check "a silent uninstall does not open the uninstall page" bash -c "! grep -q -- ' -U' '$stand_in_log' 2>/dev/null"
fi
listing_changes "$results/1-before.txt" "$results/1-after.txt" >"$results/1-changes.txt"
check "after uninstalling, only config.ini was added to the listings" same_text \
  "$(cat "$results/1-changes.txt")" \
  "+ file $appdata\\Varnelo\\pixmera d
+ file $appdata\\Varnelo\\pixmera\\config.ini f
- file $appdata\\Varnelo (absent)"

# === 2. For all users, into C:\Tools\Pixmera Test (C:\Tools made before),
# with another program already the default for .pcd.
echo "installer_test: 2. all users, /D="
mkdir -p "$(unix 'C:\Tools')"
wine reg add 'HKLM\Software\Classes\.pcd' /ve /d OtherViewer.pcd /f </dev/null >/dev/null 2>&1
wine reg add 'HKLM\Software\Classes\.pcd\OpenWithProgids' /v OtherViewer.pcd /d "" /f </dev/null >/dev/null 2>&1
listing >"$results/2-before.txt"
check "setup /S /ALLUSERS /D= exits 0" run_setup /S /ALLUSERS "/D=$all_users_folder"
check_installation "$all_users_folder" "$all_users_start" HKLM
check "the default program of .pcd is kept" same_text "$(reg_value 'HKLM\Software\Classes\.pcd' "")" OtherViewer.pcd
check "the default program of .pcd is kept for the user too" bash -c \
  "! wine reg query 'HKCU\\Software\\Classes\\.pcd' /ve </dev/null 2>/dev/null | grep -q Varnelo"
check "the other program stays under Open with" key_value_present 'HKLM\Software\Classes\.pcd\OpenWithProgids' OtherViewer.pcd
check "nothing written for the current user" bash -c "! wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnelo.pixmera' </dev/null >/dev/null 2>&1"
check_installed_program "$all_users_folder"
if [ ${#stand_ins[@]} -eq 0 ]; then
  check_program_at_run_time "$all_users_folder"
fi
listing >"$results/2-installed.txt"
printf 'my own notes\r\n' >"$(unix "$all_users_folder\\my notes.txt")"
write_settings
run_quiet_uninstall HKLM
listing >"$results/2-after.txt"
check "the user's file stays, and the folder with it" [ -f "$(unix "$all_users_folder\\my notes.txt")" ]
check "C:\\Tools, there before, stays" [ -d "$(unix 'C:\Tools')" ]
check "config.ini stays" [ -f "$(unix "$settings")" ]
check "the default program of .pcd is still the other one" same_text \
  "$(reg_value 'HKLM\Software\Classes\.pcd' "")" OtherViewer.pcd
listing_changes "$results/2-before.txt" "$results/2-after.txt" >"$results/2-changes.txt"
check "after uninstalling, only the user's file and its folder were added" same_text \
  "$(cat "$results/2-changes.txt")" \
  "+ file C:\\Tools\\Pixmera Test d
+ file C:\\Tools\\Pixmera Test\\my notes.txt f"

# === 3. Per user again, removed with /REMOVESETTINGS.
echo "installer_test: 3. per user, /REMOVESETTINGS"
# A user who never ran the program: its settings folder comes with config.ini
# and goes with it.
rm -rf "$(unix "$appdata\\Varnelo")"
listing >"$results/3-before.txt"
check "setup /S /CURRENTUSER exits 0" run_setup /S /CURRENTUSER
listing >"$results/3-installed.txt"
write_settings
run_quiet_uninstall HKCU /REMOVESETTINGS
listing >"$results/3-after.txt"
check "/REMOVESETTINGS removes config.ini" [ ! -e "$(unix "$settings")" ]
listing_changes "$results/3-before.txt" "$results/3-after.txt" >"$results/3-changes.txt"
check "after uninstalling, the listings are as before" same_text "$(cat "$results/3-changes.txt")" ""

# === 4. Per user, removed through the uninstaller's window: the uninstall
# page opens as the last step, from a copy, once the files are gone.
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  echo "installer_test: 4. per user, uninstalled through its window"
  rm -f "$stand_in_log"
  write_settings
  check "setup /S /CURRENTUSER exits 0" run_setup /S /CURRENTUSER
  uninstaller=$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnelo.pixmera' UninstallString)
  uninstaller=${uninstaller//\"/}
  PIXMERA_STAND_IN_WATCH="$per_user_folder\\pixmeracmd.exe" wine "$uninstaller" </dev/null >/dev/null 2>&1
  press_in() {  # TITLE KEY
    local window
    window=$(window_named "$1") || { echo "no window '$1' within 60 s"; return 1; }
    press "$window" "$2"
  }
  # The default button: "Uninstall", then "Close" once the folder is gone.
  check "the uninstaller's window asks" press_in "Varnelo PCD to TIFF Uninstall" Return
  deadline=$((SECONDS + 60)) again=$((SECONDS + 5))
  while [ -e "$(unix "$per_user_folder")" ] && [ $SECONDS -lt $deadline ]; do
    sleep 0.2
    # Once more when the page still asks after 5 s: the key went nowhere.
    if [ -n "$again" ] && [ $SECONDS -ge "$again" ] && [ -e "$(unix "$per_user_folder\\pixmera.exe")" ]; then
      press_in "Varnelo PCD to TIFF Uninstall" Return
      again=
    fi
  done
  sleep 0.5
  check "the uninstaller's window closes" press_in "Varnelo PCD to TIFF Uninstall" Return
  if [[ " ${stand_ins[*]} " == *" pixmera.exe "* ]]; then
    wait_for_uninstaller
    feedback=$(grep -- ' -U' "$stand_in_log" 2>/dev/null | tr -d '\r\357\273\277' || true)
    check "the uninstall page ran once, as pixmera.exe -U" same_text "$(grep -c . <<<"$feedback")" 1
    check "after the program's files were gone" bash -c "[[ '$feedback' == *'(watched file absent)' ]]"
  else
    # The real page: its window, the command line of the program showing
    # it, and the installation folder already gone by then. Its close box
    # (Alt+F4) ends it without opening the feedback page.
    feedback=
    page=$(window_named "Uninstall Feedback" || true)
    check "the uninstall page opens" [ -n "$page" ]
    if [ -n "$page" ]; then
      pid=$(xdotool getwindowpid "$page" 2>/dev/null || true)
      feedback=$(tr '\0' ' ' <"/proc/${pid:-0}/cmdline" 2>/dev/null || true)
      check "the installation folder is gone while the page shows" [ ! -e "$(unix "$per_user_folder")" ]
      press "$page" alt+F4
    fi
    wait_for_uninstaller
    check "Alt+F4 closed the uninstall page" \
      same_text "$(xdotool search --onlyvisible --name '^Uninstall Feedback' 2>/dev/null || true)" ""
  fi
  echo "  the uninstall page: $feedback"
  check "the uninstall page ran from a copy outside the installation folder" \
    bash -c "[[ '$feedback' != *'Varnelo\\pixmera\\'* && '$feedback' == *'\\feedback\\pixmera.exe -U'* ]]"
  check "the folder is gone" [ ! -e "$(unix "$per_user_folder")" ]
  check "config.ini stays when the box is left alone" [ -f "$(unix "$settings")" ]
  check "the copy went with the uninstaller" same_text "$(find "$(unix "$temp")" -path '*feedback*' 2>/dev/null)" ""
else
  echo "installer_test: 4. skipped (no display or xdotool)"
fi

for n in 1 2 3; do
  echo "  run $n: $(grep -c . "$results/$n-before.txt") lines before, $(($(diff "$results/$n-before.txt" "$results/$n-installed.txt" 2>/dev/null | grep -c '^>' || true))) added by the installation, changes after: $(grep -c . "$results/$n-changes.txt" || true)"
done
checks_end installer_test
