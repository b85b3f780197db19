#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build (never ~/.wine). WINEPREFIX may be set by
# the caller; otherwise test binaries (*_tests.exe) get <build>/wineprefix-tests, every other program
# <build>/wineprefix, the prefix of the demo and nqhost.
set -e
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$1")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] || dir=$(cd "$(dirname "$1")" && pwd)
  case "$(basename "$1")" in
    *_tests.exe) export WINEPREFIX="$dir/wineprefix-tests" ;;
    *) export WINEPREFIX="$dir/wineprefix" ;;
  esac
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
