#!/usr/bin/env bash
# What only the tests need, beyond scripts/setup.sh: a real log daemon for the relay test and the
# schema package (pinned) that the ECS test checks against, installed into the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
ecs_version=9.4.0
need=()
command -v rsyslogd >/dev/null || [ -x /usr/sbin/rsyslogd ] || need+=(rsyslog)
command -v node >/dev/null || need+=(nodejs)
command -v npm >/dev/null || need+=(npm)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
fi
package="$build/ecs/node_modules/@elastic/ecs/package.json"
if ! grep -q "\"version\": \"$ecs_version\"" "$package" 2>/dev/null; then
  mkdir -p "$build/ecs"
  npm install --prefix "$build/ecs" --no-audit --no-fund --no-save "@elastic/ecs@$ecs_version" >&2
fi
