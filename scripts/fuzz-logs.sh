#!/usr/bin/env bash
# Reads many damaged day files with every record kind and checks the line reader against fgetws.
# Usage: scripts/fuzz-logs.sh [count] [seed]   (defaults 100000 and the time of day)
# Fails when the test fails, and when no test ran (a renamed test must not pass unnoticed).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
prefix="$build/wineprefix-tests"
export NQ_FUZZ_COUNT=${1:-100000}
export NQ_FUZZ_SEED=${2:-$(date +%s)}
echo "fuzz: count $NQ_FUZZ_COUNT seed $NQ_FUZZ_SEED"
cmake --build "$build" -j2 --target norquill_tests
out=$(mktemp)
"$root/cmake/wine-server.sh" start "$build" "$prefix"
trap 'rm -f "$out"; "$root/cmake/wine-server.sh" stop "$build" "$prefix"' EXIT
cd "$build/bin"
WINEPREFIX="$prefix" "$root/cmake/wine-run.sh" ./norquill_tests.exe --gtest_brief=1 \
  --gtest_filter='LogFuzzTest.*' | tee "$out"
if ! grep -Eq '\[  PASSED  \] [1-9][0-9]* test' "$out"; then
  echo "fuzz: no test ran" >&2
  exit 1
fi
