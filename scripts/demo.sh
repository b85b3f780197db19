#!/usr/bin/env bash
# The main job: set up, build what the demo runs (the plug-in, the trace library, nqhost; the tests build
# their own when run), and run nqhost's guided demo on the real Norquill.dll under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" Norquill KvDbg64 nqhost
"$root/cmake/wine-server.sh" start "$build"
trap '"$root/cmake/wine-server.sh" stop "$build"' EXIT
cd "$build/bin"
WINEPREFIX="$build/wineprefix" "$root/cmake/wine-run.sh" ./nqhost.exe demo "$@"
