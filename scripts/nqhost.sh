#!/usr/bin/env bash
# Runs nqhost.exe: builds what is missing, runs it under Wine in the build's prefix, in the caller's
# folder, and returns its exit code. Standard input and output pass through; build messages go to
# standard error. Every path is the caller's: relative ones are taken in the caller's folder, which
# Wine hands on as nqhost's current folder, and the Unix paths of path options become Wine's Z: paths.
# A wine server this script starts stays up for NQ_WINE_IDLE (5)
# seconds after the prefix's last program ended, Wine's own persistence, so that a burst of commands
# pays its start once; one that something else started (scripts/demo.sh) is left alone. Ctrl-C, SIGTERM
# and SIGHUP reach nqhost.exe as Ctrl-C, so stopping this script ends a follow as it ends by itself.
# NQ_WINEPREFIX runs in another prefix (the tests' own).
# Usage: scripts/nqhost.sh ARGS...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
prefix=${NQ_WINEPREFIX:-$build/wineprefix} # the tests name their own

stamp="$build/.nqhost-built"
if [ -f "$build/build.ninja" ] && command -v ninja >/dev/null; then
  # Quiet when nothing or little is to be done; the messages only when the build fails. Without a
  # source newer than the last build the check is skipped, which a burst of commands notices.
  if [ ! -f "$stamp" ] || [ -n "$(find "$root/src" "$root/tools" "$root/cmake" "$root/CMakeLists.txt" \
    -newer "$stamp" -print -quit)" ]; then
    if ! log=$(cmake --build "$build" -j2 --target nqhost Norquill KvDbg64 2>&1); then
      printf '%s\n' "$log" >&2
      exit 1
    fi
    touch "$stamp"
  fi
else
  "$root/scripts/build.sh" >&2
fi

# A Unix path becomes the Wine drive Z: path; a Windows path (C:\..., \\server\...) and "-" (standard
# input) stay as they are.
windows_path() {
  case "$1" in
    [A-Za-z]:* | \\* | -) printf '%s' "$1" ;;
    *) printf 'Z:%s' "$(realpath -m -- "$1" | tr / '\\')" ;;
  esac
}
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --output | --dll | --cursor | --jsonl | --logs | --folder)
      args+=("$1")
      [ $# -gt 1 ] && { args+=("$(windows_path "$2")"); shift; } ;;
    --output=* | --dll=* | --cursor=* | --jsonl=* | --logs=* | --folder=*)
      args+=("${1%%=*}=$(windows_path "${1#*=}")") ;;
    *) args+=("$1") ;;
  esac
  shift
done

# While it runs, Wine's server keeps a socket in a folder named after the prefix's device and inode, under
# /tmp/.wine-UID or (this Wine) a /tmp/wine-XXXXXX folder; it removes the socket when it ends.
server_running() {
  [ -d "$prefix" ] || return 1
  local name socket
  name=$(printf 'server-%x-%x' "$(stat -c %d "$prefix")" "$(stat -c %i "$prefix")")
  for socket in "/tmp/.wine-$(id -u)/$name/socket" /tmp/wine-*/"$name/socket"; do
    [ -S "$socket" ] && return 0
  done
  return 1
}
# Several nqhost.sh may start at once (a tail in one terminal, stores in another): .nqhost-wine.start
# keeps their checks apart, so one server starts. Wine's processes must not inherit the lock.
exec 8>>"$build/.nqhost-wine.start"
flock -x 8
if ! server_running; then
  NQ_WINE_PERSIST=${NQ_WINE_IDLE:-5} NQ_WINE_FIRST="$build/bin/nqhost.exe" \
    "$root/cmake/wine-server.sh" start "$build" "$prefix" 8>&-
fi
flock -u 8

# In the background, so that a stop asked of this script is passed on rather than leaving nqhost.exe
# following on its own; standard input stays the caller's.
WINEPREFIX="$prefix" "$root/cmake/wine-run.sh" "$build/bin/nqhost.exe" "${args[@]}" 8>&- <&0 &
child=$!
trap 'kill -INT "$child" 2>/dev/null || true' INT TERM HUP
while :; do
  status=0
  wait "$child" || status=$?
  kill -0 "$child" 2>/dev/null || break
done
exit "$status"
