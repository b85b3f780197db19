#!/usr/bin/env bash
# The test command: set up, build, run every test under Wine. Ends with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
"$root/scripts/setup-tests.sh"
cd "$build"
ctest --output-on-failure "$@"
