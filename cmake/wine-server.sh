#!/usr/bin/env bash
# start|stop BUILD [PREFIX]: the persistent wineserver of a Wine prefix (default BUILD/wineprefix, the
# one the demo and nqhost use; the tests pass their own), so programs start in ~0.1 s. With
# NQ_WINE_PERSIST=N the server ends by itself N seconds after the prefix's last program.
# Everything Wine starts here gets /dev/null for its output: a Wine service that inherited a test's
# output pipe would keep ctest waiting for ever.
set -e
build=$(cd "$2" && pwd)
export WINEPREFIX="${3:-$build/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec </dev/null >/dev/null 2>&1
case "$1" in
  start)
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i || true
      wineserver -w || true
    fi
    setsid wineserver "-p${NQ_WINE_PERSIST:-}" &
    # Bring up Wine's services now, with our /dev/null, not under the first test. NQ_WINE_FIRST names a
    # program of ours that does it quicker than cmd.exe (run with --help).
    if [ -n "${NQ_WINE_FIRST:-}" ]; then
      wine "$NQ_WINE_FIRST" --help || true
    else
      wine cmd.exe /c exit 0 || true
    fi ;;
  stop) wineserver -k || true ;;
esac
