#!/usr/bin/env bash
# Five scripts/nqhost.sh calls in a row from a stopped Wine server: with the server kept for its idle
# seconds, and (the baseline) with the server stopped after each call. Prints the seconds of both and
# the RATIO line of the first against its target of 3 s. Reads only: a private registry key, no folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export NQ_REGISTRY_ROOT='Software\NorquillBench\burst'
# $1 = stop: the server is stopped after each call, as nqhost.sh used to do.
burst() {
  "$root/cmake/wine-server.sh" stop "$build"
  sleep 1
  local start end
  start=$(date +%s%N)
  for _ in 1 2 3 4 5; do
    "$root/scripts/nqhost.sh" query virus 2099-01-01 >/dev/null 2>&1 || true
    [ "${1:-}" != stop ] || "$root/cmake/wine-server.sh" stop "$build"
  done
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
"$root/scripts/nqhost.sh" --help >/dev/null # builds what is missing, outside the figures
kept=$(burst)
separate=$(burst stop)
"$root/cmake/wine-server.sh" stop "$build"
printf 'five nqhost.sh calls: %d ms with the idle server, %d ms starting a server for each\n' "$kept" "$separate"
printf 'RATIO nqhost.burst5_s %d.%03d 3\n' $((kept / 1000)) $((kept % 1000))
