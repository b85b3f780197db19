#!/usr/bin/env bash
# Events through a real syslog relay: an edge rsyslogd follows the ECS JSON Lines that
# "nqhost tail --schema ecs --cursor" appends to and forwards them over TCP to a central rsyslogd,
# which writes each message to a file. Four processes store the events meanwhile and the follow is
# killed hard twice and started again with its cursor. The central file must then hold every event's
# id and nothing else. Usage: relay_test.sh BUILD_DIR (NQ_RELAY_EVENTS: events in all, 2000).
set -euo pipefail
build=$(cd "$1" && pwd)
events=${NQ_RELAY_EVENTS:-2000}
per_writer=$((events / 4))
events=$((per_writer * 4))
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix-tests} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rsyslogd=$(command -v rsyslogd || echo /usr/sbin/rsyslogd)
work=$(mktemp -d /tmp/nqrelay.XXXXXX)
key="Software\\NorquillTests\\relay-$$"
export NQ_REGISTRY_ROOT=$key
follow_pid=""

stop_daemon() {
  local pidfile=$1 pid
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}
cleanup() {
  [ -n "$follow_pid" ] && kill -9 "$follow_pid" 2>/dev/null || true
  stop_daemon "$work/edge.pid"
  stop_daemon "$work/central.pid"
  wine reg delete "HKCU\\$key" /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# The test uses today's file: it does not start in the last minutes of a day.
while [ "$(date +%H%M)" -ge 2357 ]; do sleep 10; done

windows() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
free_port() {
  node -e "const s=require('net').createServer().listen(0,'127.0.0.1',()=>{console.log(s.address().port);s.close()})"
}
port=$(free_port)
mkdir -p "$work/install/Log" "$work/edge" "$work/central"
wine reg add "HKCU\\$key\\Software\\Kelvanor\\Brisqual" /v InstalledFolder /t REG_SZ \
  /d "$(windows "$work/install/")" /f >/dev/null

cat >"$work/central.conf" <<CONF
global(workDirectory="$work/central" maxMessageSize="64k")
module(load="imtcp")
template(name="message" type="string" string="%msg%\n")
ruleset(name="store") {
  action(type="omfile" file="$work/central.jsonl" template="message")
}
input(type="imtcp" address="127.0.0.1" port="$port" ruleset="store")
CONF
cat >"$work/edge.conf" <<CONF
global(workDirectory="$work/edge" maxMessageSize="64k")
module(load="imfile")
ruleset(name="forward") {
  action(type="omfwd" target="127.0.0.1" port="$port" protocol="tcp"
         template="RSYSLOG_SyslogProtocol23Format" action.resumeRetryCount="-1"
         queue.type="LinkedList" queue.filename="forward" queue.saveOnShutdown="on")
}
input(type="imfile" file="$work/events.jsonl" tag="norquill" ruleset="forward")
CONF
: >"$work/events.jsonl"
"$rsyslogd" -n -f "$work/central.conf" -i "$work/central.pid" &
"$rsyslogd" -n -f "$work/edge.conf" -i "$work/edge.pid" &
for _ in $(seq 100); do [ -f "$work/central.pid" ] && [ -f "$work/edge.pid" ] && break; sleep 0.1; done

start_follow() {
  wine "$build/bin/nqhost.exe" tail tsc --lines 0 --format jsonl --schema ecs \
    --cursor "$(windows "$work/follow.cursor")" >>"$work/events.jsonl" 2>>"$work/follow.log" &
  follow_pid=$!
}
start_follow
for _ in $(seq 300); do grep -q following "$work/follow.log" 2>/dev/null && break; sleep 0.1; done

writers=()
for writer in 0 1 2 3; do
  wine "$build/bin/records_writer.exe" store "W$writer" "$per_writer" >"$work/writer$writer.out" &
  writers+=($!)
done
for pause in 1.3 2.1; do
  sleep "$pause"
  kill -9 "$follow_pid"
  wait "$follow_pid" 2>/dev/null || true
  start_follow
done
for pid in "${writers[@]}"; do wait "$pid"; done
cat "$work"/writer*.out

# Every id once in the central file, and nothing else; the same event may come twice after a kill.
check() {
  node - "$work/central.jsonl" "$events" "$1" <<'JS'
const fs = require('fs');
const [file, events, last] = process.argv.slice(2);
const lines = fs.existsSync(file) ? fs.readFileSync(file, 'utf8').split('\n').filter((l) => l) : [];
const ids = new Map(), problems = [];
for (const line of lines) {
  let document;
  try { document = JSON.parse(line); } catch (e) { problems.push(`not JSON: ${line.slice(0, 80)}`); continue; }
  const id = document.event && document.event.id, text = document.message;
  if (!/^tsc-\d{8}-\d+-[0-9a-f]{8}$/.test(id) || !/^W[0-3]-\d+$/.test(text)) problems.push(`foreign: ${line.slice(0, 80)}`);
  else if (ids.has(id) && ids.get(id) !== text) problems.push(`${id} names two events`);
  else ids.set(id, text);
}
const texts = new Set(ids.values());
if (ids.size === Number(events) && texts.size === Number(events) && !problems.length) {
  console.log(`relay: ${events} events arrived, ${lines.length - ids.size} sent twice after a kill`);
  process.exit(0);
}
if (last === 'last') {
  for (const problem of problems.slice(0, 20)) console.log(problem);
  console.log(`relay: ${ids.size} distinct ids, ${texts.size} distinct events of ${events}, ${lines.length} lines`);
}
process.exit(1);
JS
}
for _ in $(seq 120); do check wait && exit 0; sleep 0.5; done
check last
