#!/usr/bin/env bash
# The main job: set up, build, and run nqhost's guided demo on the real Norquill.dll under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
"$root/cmake/wine-server.sh" start "$build"
trap '"$root/cmake/wine-server.sh" stop "$build"' EXIT
cd "$build/bin"
WINEPREFIX="$build/wineprefix" "$root/cmake/wine-run.sh" ./nqhost.exe demo "$@"
