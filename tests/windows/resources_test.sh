#!/usr/bin/env bash
# The Windows resources of pixmera's programs (packaging/windows/): a small
# program cross-built with pixmera_windows_resources() runs under wine and
# reads back its version information, its manifest and what the loader made
# of it, and every picture of its icon. With --programs, the same program
# also reads the resources of pixmera.exe, pixmeracmd.exe and convert.exe in
# that folder (those of them it holds), and the window module pixmera_ui.dll
# there is read back for wxMSW's resources beside ours.
#
#   tests/windows/resources_test.sh [--programs FOLDER]
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$top/build/windows-resources-test
programs=
if [ "${1:-}" = --programs ] && [ -n "${2:-}" ]; then
  programs=$(cd "$2" && pwd)
elif [ $# -gt 0 ]; then
  echo "usage: resources_test.sh [--programs FOLDER]" >&2
  exit 2
fi
toolchain=$top/cmake/mingw-w64-x86_64.cmake
jobs=${JOBS:-2}

if [ -f "$toolchain" ]; then
  cross=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
else
  cross=(-DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64
         -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix
         -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres)
fi
cmake -S "$top/tests/windows/resources" -B "$build" -DCMAKE_BUILD_TYPE=Release "${cross[@]}" >/dev/null
nice -n 10 cmake --build "$build" -j "$jobs" >/dev/null

. "$top/tests/windows/wine_prefix.sh"
trap wine_stop EXIT
wine_start
actual=$(wine "$build/resources_check.exe" </dev/null | tr -d '\r')

# wine 8 reports a per-monitor DPI awareness whatever the manifest says, so
# the awareness is checked as the manifest gives it to Windows; the common
# controls are checked by what the loader mapped.
expected="fixed.file_version=3.1.0.0
fixed.product_version=3.1.0.0
fixed.file_type=app
version.translation=\\StringFileInfo\\040904b0\\
version.CompanyName=Varnelo
version.FileDescription=Resource check of the pixmera build
version.FileVersion=3.1
version.InternalName=resources_check
version.OriginalFilename=resources_check.exe
version.ProductName=Varnelo PCD to TIFF
version.ProductVersion=3.1
manifest.dpiAware=true/pm
manifest.dpiAwareness=PerMonitorV2, PerMonitor
manifest.longPathAware=true
manifest.activeCodePage=(none)
manifest.common_controls=6.0.0.0
loaded.common_controls=6.*
icon.first_group=PIXMERA
icon.pictures=16x32,24x32,32x32,48x32,64x32,128x32,256x32"
expected_self=$expected

# Each expected line must be one the program printed; a line ending in "*"
# only begins one (the assembly's build number is the system's).
matches() {
  local want=$1 got
  while IFS= read -r got; do
    if [[ $want == *'*' ]]; then
      [[ $got == "${want%'*'}"* ]] && return 0
    else
      [[ $got == "$want" ]] && return 0
    fi
  done <<<"$actual"
  return 1
}

passed=0 failed=0
compare() {  # WHAT, with $expected and $actual set
  local line
  while IFS= read -r line; do
    if matches "$line"; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "FAIL: $1: expected '$line', read: $(grep -F -- "${line%%=*}=" <<<"$actual" || echo nothing)"
    fi
  done <<<"$expected"
}
compare resources_check.exe

# The programs of the build: the same resources, each with its own names
# (each description is the program's own, after the product name).
if [ -n "$programs" ]; then
  for program in pixmera.exe pixmeracmd.exe convert.exe; do
    [ -f "$programs/$program" ] || continue
    actual=$(wine "$build/resources_check.exe" "$(winepath -w "$programs/$program")" </dev/null | tr -d '\r')
    expected=$(sed -e '/^loaded\./d' -e '/^version.FileDescription=/d' \
      -e "s/^version.InternalName=.*/version.InternalName=${program%.exe}/" \
      -e "s/^version.OriginalFilename=.*/version.OriginalFilename=$program/" <<<"$expected_self")
    expected+=$'\nversion.FileDescription=Varnelo PCD to TIFF*'
    compare "$program"
    echo "resources_test: read $program"
  done
fi
# The window module carries wxMSW's own resources beside ours (wxMSW looks
# up its cursors, small icons and bitmaps in the module it was handed), with
# our icon still first and only our manifest: every named resource of the
# dependency prefix's wx/msw/wx.rc must be there, read back from the DLL
# with the cross binutils' windres.
if [ -n "$programs" ] && [ -f "$programs/pixmera_ui.dll" ]; then
  wx_rc=$("$top/scripts/windows/build-deps" --print-prefix)/include/wx-3.2/wx/msw/wx.rc
  dump=$(x86_64-w64-mingw32-windres -i "$programs/pixmera_ui.dll" -O rc 2>/dev/null)
  actual=$(awk '/^\/\* Type: /{type=substr($0, 10)} /^"[A-Za-z_0-9]+" /{gsub(/"/, "", $1); print type "=" $1}' <<<"$dump")
  actual+=$'\n'"icon.first_group=$(grep -m1 '^group icon=' <<<"$actual" | cut -d= -f2)"
  actual+=$'\n'"manifests=$(grep -c '^[0-9][0-9]* 24 ' <<<"$dump")"
  expected=$(awk '$2 == "CURSOR" {t = "group cursor"} $2 == "ICON" {t = "group icon"}
                  $2 == "BITMAP" {t = "bitmap"} $2 == "MENU" {t = "menu"}
                  $1 ~ /^[A-Za-z_]+$/ && t != "" {print t "=" toupper($1)} {t = ""}' "$wx_rc")
  if [ "$(grep -c . <<<"$expected")" -lt 20 ]; then
    failed=$((failed + 1))
    echo "FAIL: pixmera_ui.dll: $wx_rc names only $(grep -c . <<<"$expected") resources"
  fi
  expected+=$'\nicon.first_group=PIXMERA\nmanifests=1'
  compare pixmera_ui.dll
  echo "resources_test: read pixmera_ui.dll ($(grep -c . <<<"$expected") resources expected)"
fi
echo "resources_test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
