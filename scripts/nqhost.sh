#!/usr/bin/env bash
# Runs nqhost.exe from the repository root: builds what is missing, runs it under Wine in the build's
# prefix from build/bin (where the plug-in looks for KvDbg64.dll) and returns its exit code. Standard
# input and output pass through; build messages go to standard error. --output, --dll and --cursor paths are
# taken against the caller's folder. A wine server this script starts is stopped again at the end;
# one that something else started (scripts/demo.sh) is left alone.
# Usage: scripts/nqhost.sh ARGS...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
prefix="$build/wineprefix"

if [ -f "$build/build.ninja" ] && command -v ninja >/dev/null; then
  # Quiet when nothing or little is to be done; the messages only when the build fails.
  if ! log=$(cmake --build "$build" -j2 --target nqhost Norquill KvDbg64 2>&1); then
    printf '%s\n' "$log" >&2
    exit 1
  fi
else
  "$root/scripts/build.sh" >&2
fi

# A Unix path becomes the Wine drive Z: path; a Windows path (C:\..., \\server\...) stays as it is.
windows_path() {
  case "$1" in
    [A-Za-z]:* | \\*) printf '%s' "$1" ;;
    *) printf 'Z:%s' "$(realpath -m -- "$1" | tr / '\\')" ;;
  esac
}
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --output | --dll | --cursor)
      args+=("$1")
      [ $# -gt 1 ] && { args+=("$(windows_path "$2")"); shift; } ;;
    --output=* | --dll=* | --cursor=*) args+=("${1%%=*}=$(windows_path "${1#*=}")") ;;
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
# Several nqhost.sh may run at once (a tail in one terminal, stores in another): each holds a shared lock
# on .nqhost-wine.users while nqhost runs, and the last one out stops the server if one of them started
# it. .nqhost-wine.start keeps those decisions apart. Wine's processes must not inherit the locks.
exec 8>>"$build/.nqhost-wine.start" 9>>"$build/.nqhost-wine.users"
flock -x 8
if ! server_running; then
  "$root/cmake/wine-server.sh" start "$build" 8>&- 9>&-
  : >"$build/.nqhost-wine.started"
fi
flock -s 9
flock -u 8
finish() {
  flock -x 8
  if flock -xn 9 && [ -f "$build/.nqhost-wine.started" ]; then
    rm -f "$build/.nqhost-wine.started"
    "$root/cmake/wine-server.sh" stop "$build" 8>&- 9>&-
  fi
}
trap finish EXIT

cd "$build/bin"
status=0
WINEPREFIX="$prefix" "$root/cmake/wine-run.sh" ./nqhost.exe "${args[@]}" 8>&- 9>&- || status=$?
exit "$status"
