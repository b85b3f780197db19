#!/usr/bin/env bash
# Builds and runs every benchmark under Wine; each prints its figures and ratios.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
# From a stopped server, so before the one the other benchmarks share.
echo "== nqhost_burst.sh"
"$root/bench/nqhost_burst.sh"
"$root/cmake/wine-server.sh" start "$build"
trap '"$root/cmake/wine-server.sh" stop "$build"' EXIT
cd "$build/bin"
for b in bench_*.exe; do
  echo "== $b"
  WINEPREFIX="$build/wineprefix" "$root/cmake/wine-run.sh" "./$b" "$@"
done
