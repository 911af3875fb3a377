# Sourced by the Windows tests: a private wine prefix of their own, its
# server started once with every stream redirected (a first start inside a
# captured run would leave services holding the pipe), and stopped again
# when the test ends. Sets WINEPREFIX, WINEDEBUG and wine_tmp.

wine_tmp=$(mktemp -d "${TMPDIR:-/tmp}/pixmera-wine.XXXXXX")
export WINEPREFIX=$wine_tmp/prefix
export WINEDEBUG=-all
# No desktop integration: the prefix must not touch the user's menus or
# file associations on this machine.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="

wine_stop() {
  WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  if [ -z "${KEEP_WINE_PREFIX:-}" ]; then
    rm -rf "$wine_tmp"
  else
    echo "wine prefix kept in $WINEPREFIX"
  fi
}

wine_start() {
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1
  wine wineboot </dev/null >/dev/null 2>&1
}

# The Linux path of a Windows path inside the prefix (C:\ only).
wine_unix_path() {
  local path=${1//\\//}
  printf '%s/drive_c/%s\n' "$WINEPREFIX" "${path#[Cc]:/}"
}
