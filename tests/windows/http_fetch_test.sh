#!/usr/bin/env bash
# The update check's fetch through WinHTTP (src/platform/http_fetch_winhttp.cpp)
# under wine, against the Linux tests' servers on 127.0.0.1: a newer version,
# the same version, nothing listening, and every limit. The check program is
# cross-built, the harness that runs the servers and starts it is built for
# this machine (tests/windows/http_fetch/).
#
#   tests/windows/http_fetch_test.sh [BUILD_FOLDER]   (default build/windows-http-fetch-test)
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$top/build/windows-http-fetch-test}
jobs=${JOBS:-2}
source_dir=$top/tests/windows/http_fetch

cmake -S "$source_dir" -B "$build/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake -S "$source_dir" -B "$build/windows" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" >/dev/null
nice -n 10 cmake --build "$build/host" -j "$jobs" >/dev/null
nice -n 10 cmake --build "$build/windows" -j "$jobs" >/dev/null

. "$top/tests/windows/wine_prefix.sh"
trap wine_stop EXIT
wine_start
"$build/host/fetch_harness" wine "$build/windows/fetch_check.exe"
