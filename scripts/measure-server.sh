#!/usr/bin/env bash
# The server's figures, from the release build (build-server/, as scripts/server.sh makes it)
# on loopback: one-shot version queries a second with their p99, web pages a second (wrk),
# uploads a second with SQLite, with PostgreSQL and through HAProxy in front of two servers,
# the memory an idle connection costs, how the version figure moves while a guest flood or
# slow downloads run beside it, and whether a slow reader gets the whole installer. Every
# figure is printed under the command line that made it, after the machine and its load.
# Everything it starts is stopped and removed at exit.
#
#   scripts/measure-server.sh [SECONDS]     each run lasts SECONDS (default 10)
#
# The build step holds the lock file named by LIKENEX_BUILD_LOCK, when it is set. The figures
# depend on what else runs: read them beside the load average printed with them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-server
seconds=${1:-10}
source "$root/scripts/tests/test-server.sh"

build_step() {
  if [ -n "${LIKENEX_BUILD_LOCK:-}" ]; then flock "$LIKENEX_BUILD_LOCK" "$@"; else "$@"; fi
}
if [ ! -f "$build/CMakeCache.txt" ]; then
  build_step cmake -C "$root/cmake/ServerRelease.cmake" -S "$root" -B "$build" -G Ninja >/dev/null
fi
build_step cmake --build "$build" --target likenex-server likenex-load >/dev/null
server=$build/server/likenex-server
load=$build/server/likenex-load
command -v wrk >/dev/null || { echo "measure-server: wrk is not installed (apt-get install wrk)" >&2; exit 1; }

work=$(mktemp -d)
server_pids=()
cleanup() {
  local pid
  # The shell's notes on the jobs it ends here are no figure.
  {
    if [ -n "${haproxy_pid:-}" ]; then kill -KILL "$haproxy_pid" || true; fi
    for pid in "${server_pids[@]}"; do kill -TERM "$pid" || true; done
    for pid in $(jobs -p); do kill -TERM "$pid" || true; done
    wait || true
  } 2>/dev/null
  stop_test_postgres
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# figure COMMAND...: prints the command line and what it prints; a run that reports errors
# is a figure too, so its exit status is not fatal.
figure() {
  echo "\$ ${*/#$root\//}"
  "$@" 2>&1 | sed 's/^/    /' || true
}

# start_server NAME SETTING...: a release server on free ports with its own data directory,
# the settings given after the program directory and ports. Sets `protocol`, `web` and `pid`.
start_server() {
  local name=$1
  shift
  mkdir -p "$work/$name"
  protocol=$(free_port)
  web=$(free_port)
  "$server" --data "$work/$name/data" --set "program_directory=$build/program" --set "protocol_port=$protocol" \
    --set "http_port=$web" --set "public_base=http://127.0.0.1:$web" "$@" 2>"$work/$name/server.log" &
  pid=$!
  server_pids+=("$pid")
  wait_for_port "$protocol" "$pid" "$work/$name/server.log" "likenex-server $name"
  wait_for_port "$web" "$pid" "$work/$name/server.log" "likenex-server $name"
}

stop_server() {
  kill -TERM "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
unlimited=(--set guest_uploads_per_hour=0 --set uploads_per_minute=0 --set registrations_per_hour=0)

echo "== machine"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), nproc $(nproc)," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg), $(uname -sr)"
echo "build: $build (release, no sanitizers); each run ${seconds} s"

echo
echo "== SQLite, one server with the default settings and the per-address limits off"
start_server sqlite "${unlimited[@]}"
sqlite_pid=$pid
figure "$load" --port "$protocol" --kind version --connections 32 --requests 100000000 --seconds "$seconds"
figure wrk -t1 -c32 -d"${seconds}s" --latency "http://127.0.0.1:$web/news.xml"
figure "$load" --port "$protocol" --kind upload --connections 8 --seconds "$seconds" --record "$work/sqlite.numbers"
figure "$load" --port "$protocol" --kind open --numbers "$work/sqlite.numbers" --connections 16

echo
echo "== memory per idle protocol connection (VmRSS of the server before and while they are held;"
echo "   the kernel's socket buffers are not in it)"
for count in 2000 8000; do
  before=$(rss_kib "$pid")
  echo "\$ build-server/server/likenex-load --port $protocol --kind idle --connections $count --seconds 6"
  "$load" --port "$protocol" --kind idle --connections "$count" --seconds 6 >"$work/idle.out" 2>&1 &
  idle_pid=$!
  sleep 4
  during=$(rss_kib "$pid")
  wait "$idle_pid" || true
  sed 's/^/    /' "$work/idle.out"
  echo "    VmRSS ${before} KiB before, ${during} KiB with $count idle connections:" \
    "$(( (during - before) * 1024 / count )) bytes a connection"
done

echo
echo "== version queries while 40 clients read an 18.9 MB download at 100 kB/s each"
figure "$load" --port "$protocol" --kind version --connections 32 --requests 100000000 --seconds "$seconds"
head -c 18900000 /dev/urandom >"$work/sqlite/data/Download/fullup.exe"
before=$(rss_kib "$pid")
echo "\$ build-server/server/likenex-load --port $web --kind slow-download --target /Download/fullup.exe --rate 100000 --connections 40 --seconds $((seconds + 4)) &"
"$load" --port "$web" --kind slow-download --target /Download/fullup.exe --rate 100000 --connections 40 \
  --seconds "$((seconds + 4))" >"$work/slow.out" 2>&1 &
slow_pid=$!
sleep 2
figure "$load" --port "$protocol" --kind version --connections 32 --requests 100000000 --seconds "$seconds" --timeout 5
during=$(rss_kib "$pid")
wait "$slow_pid" || true
sed 's/^/    downloads: /' "$work/slow.out"
echo "    VmRSS ${before} KiB before, ${during} KiB while the downloads ran"

echo
echo "== version queries while a guest flood runs beside them (every guest upload behind an"
echo "   access password costs an argon2id hash at the default cost; the per-address limits are off)"
echo "\$ build-server/server/likenex-load --port $protocol --kind guest-flood --connections 64 --seconds $((seconds + 4)) --timeout 5 &"
"$load" --port "$protocol" --kind guest-flood --connections 64 --seconds "$((seconds + 4))" --timeout 5 >"$work/flood.out" 2>&1 &
flood_pid=$!
sleep 2
figure "$load" --port "$protocol" --kind version --connections 32 --requests 100000000 --seconds "$seconds" --timeout 5
wait "$flood_pid" || true
sed 's/^/    flood: /' "$work/flood.out"

echo
echo "== one reader at 1 MB/s takes the whole 18.9 MB download"
figure "$load" --port "$web" --kind slow-download --target /Download/fullup.exe --rate 1000000 --connections 1 --seconds 60
stop_server "$sqlite_pid"

echo
echo "== PostgreSQL (a cluster of this script's own, fsync off), one server"
start_test_postgres
test_postgres_database likenex
postgres=(--set storage=postgresql --set "postgres_connection=$pg_connection" "${unlimited[@]}")
start_server postgres1 "${postgres[@]}" --set trusted_proxies=127.0.0.2
figure "$load" --port "$protocol" --kind upload --connections 8 --seconds "$seconds"
pairs=("$protocol:$web")
start_server postgres2 "${postgres[@]}" --set trusted_proxies=127.0.0.2
pairs+=("$protocol:$web")

echo
echo "== two servers on that database behind HAProxy (round robin, health checks)"
start_test_haproxy "$work" 127.0.0.2 yes "${pairs[@]}"
sleep 1.5
figure "$load" --port "$haproxy_protocol" --kind version --connections 32 --requests 100000000 --seconds "$seconds"
figure "$load" --port "$haproxy_protocol" --kind upload --connections 8 --seconds "$seconds"
figure wrk -t1 -c32 -d"${seconds}s" --latency "http://127.0.0.1:$haproxy_web/news.xml"

echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
