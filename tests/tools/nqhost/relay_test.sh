#!/usr/bin/env bash
# Events of two machines through a real syslog relay. Each machine is a process tree with a host name of
# its own (a UTS namespace) and a Wine prefix of its own; on each, two processes store the same events
# while "scripts/nqhost.sh tail --schema ecs --cursor" appends them to a file, stopped twice with SIGTERM
# and started again. An edge rsyslogd follows both files and forwards over TCP to a central rsyslogd,
# which writes each message to a file. That file must hold every event of both machines, each id once,
# none shared, and no nqhost.exe may outlive its stopped wrapper.
# Usage: relay_test.sh BUILD_DIR (NQ_RELAY_EVENTS: events in all, 2000). Runs as root (unshare).
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../../.." && pwd)
events=${NQ_RELAY_EVENTS:-2000}
per_writer=$((events / 4))
events=$((per_writer * 4))
machines=(ws-a ws-b)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rsyslogd=$(command -v rsyslogd || echo /usr/sbin/rsyslogd)
work=$(mktemp -d /tmp/nqrelay.XXXXXX)
key="Software\\NorquillTests\\relay-$$"
export NQ_REGISTRY_ROOT=$key BUILD_DIR=$build
declare -A follow_pid=()

stop_daemon() {
  local pidfile=$1 pid
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}
cleanup() {
  local machine
  for machine in "${!follow_pid[@]}"; do
    kill -TERM "${follow_pid[$machine]}" 2>/dev/null || true
    wait "${follow_pid[$machine]}" 2>/dev/null || true
  done
  stop_daemon "$work/edge.pid"
  stop_daemon "$work/central.pid"
  for machine in "${machines[@]}"; do
    on "$machine" wine reg delete "HKCU\\$key" /f >/dev/null 2>&1 || true
    WINEPREFIX=$(prefix "$machine") wineserver -k 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# The test uses today's file: it does not start in the last minutes of a day.
while [ "$(date +%H%M)" -ge 2357 ]; do sleep 10; done

windows() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
free_port() {
  node -e "const s=require('net').createServer().listen(0,'127.0.0.1',()=>{console.log(s.address().port);s.close()})"
}
prefix() { printf '%s' "$build/wineprefix-relay-$1"; }
# Runs a command as the machine: its host name, its prefix; in the process that calls it.
become() {
  local machine=$1
  shift
  export WINEPREFIX NQ_WINEPREFIX
  WINEPREFIX=$(prefix "$machine") NQ_WINEPREFIX=$(prefix "$machine")
  exec unshare --uts sh -c 'hostname "$0"; exec "$@"' "$machine" "$@"
}
on() { (become "$@"); }
port=$(free_port)
for machine in "${machines[@]}"; do
  mkdir -p "$work/$machine/install/Log"
  # A new prefix takes its host name from the first program; kept in the build for the next run.
  on "$machine" "$root/cmake/wine-server.sh" start "$build" "$(prefix "$machine")"
  on "$machine" wine reg add "HKCU\\$key\\Software\\Kelvanor\\Brisqual" /v InstalledFolder /t REG_SZ \
    /d "$(windows "$work/$machine/install/")" /f >/dev/null
  : >"$work/$machine.jsonl"
done
mkdir -p "$work/edge" "$work/central"

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
input(type="imfile" file="$work/ws-a.jsonl" tag="norquill" ruleset="forward")
input(type="imfile" file="$work/ws-b.jsonl" tag="norquill" ruleset="forward")
CONF
"$rsyslogd" -n -f "$work/central.conf" -i "$work/central.pid" &
"$rsyslogd" -n -f "$work/edge.conf" -i "$work/edge.pid" &
for _ in $(seq 100); do [ -f "$work/central.pid" ] && [ -f "$work/edge.pid" ] && break; sleep 0.1; done

# The follow of one machine through the wrapper a supervisor would run.
start_follow() {
  local machine=$1
  (become "$machine" "$root/scripts/nqhost.sh" tail tsc --lines 0 --format jsonl --schema ecs \
    --cursor "$work/$machine.cursor") >>"$work/$machine.jsonl" 2>>"$work/$machine.log" &
  follow_pid[$machine]=$!
  for _ in $(seq 600); do [ "$(grep -c following "$work/$machine.log")" -gt "${2:-0}" ] && return; sleep 0.1; done
  echo "relay: the follow of $machine did not start:"
  cat "$work/$machine.log"
  exit 1
}
# SIGTERM to the wrapper: the follow ends with it, its last batch written and its cursor saved.
stop_follow() {
  local machine=$1 wrapper=${follow_pid[$1]} child
  child=$(pgrep -P "$wrapper" || true)
  kill -TERM "$wrapper"
  wait "$wrapper" || { echo "relay: the $machine wrapper ended with $? on SIGTERM"; exit 1; }
  if [ -n "$child" ] && kill -0 "$child" 2>/dev/null; then
    echo "relay: nqhost.exe ($child) of $machine still runs after its wrapper was stopped"
    exit 1
  fi
  unset "follow_pid[$machine]"
}
for machine in "${machines[@]}"; do start_follow "$machine"; done

writers=()
for machine in "${machines[@]}"; do
  for writer in 0 1; do
    on "$machine" wine "$build/bin/records_writer.exe" store "W$writer" "$per_writer" >"$work/$machine-$writer.out" &
    writers+=($!)
  done
done
round=0
for pause in 1.3 2.1; do
  sleep "$pause"
  round=$((round + 1))
  for machine in "${machines[@]}"; do
    stop_follow "$machine"
    start_follow "$machine" "$round"
  done
done
for pid in "${writers[@]}"; do wait "$pid"; done
cat "$work"/ws-*-*.out

# Every event of both machines once in the central file, each under an id of its own, and nothing else.
check() {
  node - "$work/central.jsonl" "$events" "$1" <<'JS'
const fs = require('fs');
const [file, events, last] = process.argv.slice(2);
const lines = fs.existsSync(file) ? fs.readFileSync(file, 'utf8').split('\n').filter((l) => l) : [];
const ids = new Map(), events_of = { 'ws-a': new Set(), 'ws-b': new Set() }, problems = [];
for (const line of lines) {
  let document;
  try { document = JSON.parse(line); } catch (e) { problems.push(`not JSON: ${line.slice(0, 80)}`); continue; }
  const id = document.event && document.event.id, text = document.message;
  const host = document.host && document.host.name;
  if (!/^tsc-\d{8}-\d+-[0-9a-f]{16}$/.test(id) || !/^W[01]-\d+$/.test(text) || !events_of[host]) {
    problems.push(`foreign: ${line.slice(0, 120)}`);
    continue;
  }
  if (ids.has(id)) problems.push(`${id} came twice (${ids.get(id)} and ${host} ${text})`);
  ids.set(id, `${host} ${text}`);
  events_of[host].add(text);
}
const each = Number(events) / 2;
if (events_of['ws-a'].size === each && events_of['ws-b'].size === each && ids.size === Number(events) &&
    !problems.length) {
  console.log(`relay: ${events} events of two machines arrived, each id once`);
  process.exit(0);
}
if (last === 'last') {
  for (const problem of problems.slice(0, 20)) console.log(problem);
  console.log(`relay: ${ids.size} ids; ws-a ${events_of['ws-a'].size}, ws-b ${events_of['ws-b'].size} of ${each} each; ${lines.length} lines`);
}
process.exit(1);
JS
}
for _ in $(seq 120); do check wait && exit 0; sleep 0.5; done
check last
