#!/usr/bin/env bash
# Reads many damaged day files with every record kind and checks the line reader against fgetws.
# Usage: scripts/fuzz-logs.sh [count] [seed]   (defaults 100000 and the time of day)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export NQ_FUZZ_COUNT=${1:-100000}
export NQ_FUZZ_SEED=${2:-$(date +%s)}
echo "fuzz: count $NQ_FUZZ_COUNT seed $NQ_FUZZ_SEED"
cmake --build "$build" -j2 --target norquill_tests
"$root/cmake/wine-server.sh" start "$build"
trap '"$root/cmake/wine-server.sh" stop "$build"' EXIT
cd "$build/bin"
"$root/cmake/wine-run.sh" ./norquill_tests.exe --gtest_brief=1 \
  --gtest_filter='LogBaseFuzzTest.*:LogLineReader.CutsEveryFileExactlyAsFgetwsDoes'
