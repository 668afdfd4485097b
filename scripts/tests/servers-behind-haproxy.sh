#!/usr/bin/env bash
# Two likenex-server processes on one PostgreSQL database behind HAProxy, as a site with
# several servers runs them. The script starts a PostgreSQL cluster of its own, the two
# servers and HAProxy (TCP for the binary protocol, HTTP with X-Forwarded-For for the web
# side, both balanced round robin with health checks), then checks that:
#   a) uploads through HAProxy land on both servers and each one opens through either server;
#   b) web pages through HAProxy are served by both servers;
#   c) during a run of uploads through HAProxy, kill -9 of one server leaves the run going
#      through the other, and every upload acknowledged before or after opens afterwards.
# HAProxy connects to the servers from 127.0.0.2, the one address the servers trust to
# forward a client's address (the PROXY protocol on the binary port, X-Forwarded-For on the
# web side), and the clients from 127.0.0.1: the servers' logs must name 127.0.0.1.
# Everything it started is stopped and removed at exit, whatever happens.
#
#   servers-behind-haproxy.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source "$(dirname "$0")/test-server.sh"
load=$build/server/likenex-load
server=$build/server/likenex-server
proxy_source=127.0.0.2
# The binary protocol's PROXY header from HAProxy; the servers trust it from proxy_source.
send_proxy=yes

work=$(mktemp -d)
server_pids=()
cleanup() {
  local pid
  # The shell's notes on the jobs it kills here would only clutter the test's output.
  {
    if [ -n "${haproxy_pid:-}" ]; then kill -KILL "$haproxy_pid" || true; fi
    for pid in "${server_pids[@]}"; do kill -KILL "$pid" || true; done
    wait || true
  } 2>/dev/null
  stop_test_postgres
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
  echo "FAIL: $*" >&2
  local n
  for n in 1 2; do
    echo "--- the last lines of server $n's log:" >&2
    tail -n 15 "$work/s$n/server.log" >&2 || true
  done
  exit 1
}

start_test_postgres
test_postgres_database likenex

settings=(--set storage=postgresql --set "postgres_connection=$pg_connection" --set "program_directory=$build/program"
          --set "trusted_proxies=$proxy_source" --set guest_uploads_per_hour=0 --set uploads_per_minute=0
          --set registrations_per_hour=0 --set argon2_memory_kib=8 --set argon2_operations=1)
protocol_ports=()
web_ports=()
for n in 1 2; do
  mkdir -p "$work/s$n"
  protocol_ports[n]=$(free_port)
  web_ports[n]=$(free_port)
  "$server" --data "$work/s$n/data" "${settings[@]}" --set "protocol_port=${protocol_ports[n]}" \
    --set "http_port=${web_ports[n]}" --set "public_base=http://127.0.0.1:${web_ports[n]}" 2>"$work/s$n/server.log" &
  server_pids[n]=$!
done
for n in 1 2; do
  wait_for_port "${protocol_ports[n]}" "${server_pids[n]}" "$work/s$n/server.log" "server $n"
  wait_for_port "${web_ports[n]}" "${server_pids[n]}" "$work/s$n/server.log" "server $n"
done
echo "pass pass" | "$server" "${settings[@]}" --data "$work/s1/data" user add Loader 2>/dev/null
start_test_haproxy "$work" "$proxy_source" "$send_proxy" "${protocol_ports[1]}:${web_ports[1]}" "${protocol_ports[2]}:${web_ports[2]}"
# Both servers pass their first health checks before anything is counted on them.
sleep 1.5

stored_lines() { grep -c ": stored [0-9]" "$work/s$1/server.log" || true; }

echo "a) uploads through HAProxy open through each server"
"$load" --port "$haproxy_protocol" --kind upload --connections 2 --requests 10 --record "$work/a.numbers" >/dev/null ||
  fail "guest uploads through HAProxy"
"$load" --port "$haproxy_protocol" --kind upload --connections 2 --requests 4 --user Loader --password "pass pass" \
  --record "$work/a.numbers" >/dev/null || fail "an account's uploads through HAProxy"
[ "$(wc -l <"$work/a.numbers")" -eq 14 ] || fail "14 uploads acknowledged, $(wc -l <"$work/a.numbers") numbers recorded"
for n in 1 2; do
  [ "$(stored_lines "$n")" -gt 0 ] || fail "server $n stored nothing of the uploads through HAProxy"
  "$load" --port "${protocol_ports[n]}" --kind open --numbers "$work/a.numbers" >/dev/null ||
    fail "an avatar stored through HAProxy does not open through server $n"
done
if [ "$send_proxy" = yes ]; then
  # With the PROXY header the servers log the client's address, never HAProxy's.
  for n in 1 2; do
    if grep " tcp $proxy_source " "$work/s$n/server.log" | grep -q ": stored [0-9]"; then
      fail "server $n logged HAProxy's address for an upload instead of the client's"
    fi
    grep " tcp 127.0.0.1 " "$work/s$n/server.log" | grep -q ": stored [0-9]" ||
      fail "server $n did not log the client's address 127.0.0.1 for an upload through HAProxy"
  done
fi

echo "b) web pages through HAProxy come from both servers"
for i in 1 2 3 4 5 6; do
  status=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$haproxy_web/?via=haproxy-$i")
  [ "$status" = 200 ] || fail "the front page through HAProxy answered $status"
done
for n in 1 2; do
  # X-Forwarded-For from the trusted proxy: the log names the client, not HAProxy.
  if grep "GET /?via=haproxy-" "$work/s$n/server.log" | grep -q " http $proxy_source "; then
    fail "server $n logged HAProxy's address for a page instead of the client's"
  fi
  served=$(grep -c " http 127.0.0.1 GET /?via=haproxy-" "$work/s$n/server.log" || true)
  [ "$served" -ge 2 ] || fail "server $n served $served of six pages asked through HAProxy (for client 127.0.0.1)"
done

echo "c) kill -9 of one server during uploads through HAProxy"
"$load" --port "$haproxy_protocol" --kind upload --connections 4 --seconds 12 --timeout 5 \
  --record "$work/c.numbers" >"$work/c.load" 2>&1 &
load_pid=$!
sleep 4
before_kill=$(stored_lines 1)
kill -KILL "${server_pids[1]}"
wait "${server_pids[1]}" 2>/dev/null || true
at_kill=$(wc -l <"$work/c.numbers")
status=0
wait "$load_pid" || status=$?
cat "$work/c.load"
[ "$status" -le 1 ] || fail "likenex-load could not run"
at_end=$(wc -l <"$work/c.numbers")
echo "acknowledged: $at_kill before the kill, $at_end in all"
[ "$before_kill" -gt 0 ] || fail "server 1 stored nothing of the run before it was killed"
# Eight seconds through the surviving server alone: far more than a few uploads.
[ "$((at_end - at_kill))" -ge 50 ] || fail "only $((at_end - at_kill)) uploads were acknowledged after the kill"
"$load" --port "${protocol_ports[2]}" --kind open --numbers "$work/c.numbers" --connections 8 ||
  fail "an acknowledged upload does not open through the surviving server"
echo "servers behind HAProxy: all checks passed"
