# Sourced by the test scripts that need a running likenex-server. prepare_test_server BUILD_DIR
# picks two free loopback ports and a scratch directory (`protocol`, `web`, `work`) and sets
# `test_server`, the command line, for subcommands such as "user add"; run_test_server then
# starts it and waits until both ports answer, and fails, with the server's log, when the
# server ends or a port stays shut. At exit the server stops and `work` goes.

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

stop_test_server() {
  if [ -n "${test_server_pid:-}" ]; then
    kill -TERM "$test_server_pid" 2>/dev/null || true
    wait "$test_server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}

prepare_test_server() {
  work=$(mktemp -d)
  trap stop_test_server EXIT
  protocol=$(free_port)
  web=$(free_port)
  test_server=("$1/server/likenex-server" --data "$work/data" --set "protocol_port=$protocol"
               --set "http_port=$web" --set "public_base=http://127.0.0.1:$web" --set "program_directory=$1/program")
}

run_test_server() {
  "${test_server[@]}" 2>"$work/server.log" &
  test_server_pid=$!
  local port tries
  for port in "$protocol" "$web"; do
    tries=0
    until (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
      if ! kill -0 "$test_server_pid" 2>/dev/null; then
        echo "test-server: likenex-server ended before it answered on port $port; its log:" >&2
        cat "$work/server.log" >&2
        return 1
      fi
      tries=$((tries + 1))
      if [ "$tries" -ge 300 ]; then
        echo "test-server: likenex-server did not answer on port $port within 30 s; its log:" >&2
        cat "$work/server.log" >&2
        return 1
      fi
      sleep 0.1
    done
  done
}

# For the scripts that run the editor itself: a server on free ports, named to the editor by
# LIKENEX_SERVER_ARGS (the host and port of its command line), so that its start-up version
# check is answered.
serve_the_editor() {
  prepare_test_server "$1"
  run_test_server
  export LIKENEX_SERVER_ARGS="127.0.0.1 $protocol"
}

# wait_for_port PORT PID LOG NAME: waits until something answers on loopback PORT; fails,
# with LOG, when process PID ends first or 30 s pass.
wait_for_port() {
  local tries=0
  until (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; do
    if ! kill -0 "$2" 2>/dev/null; then
      echo "test-server: $4 ended before it answered on port $1; its log:" >&2
      cat "$3" >&2
      return 1
    fi
    tries=$((tries + 1))
    if [ "$tries" -ge 300 ]; then
      echo "test-server: $4 did not answer on port $1 within 30 s; its log:" >&2
      cat "$3" >&2
      return 1
    fi
    sleep 0.1
  done
}

# A PostgreSQL cluster of the script's own: start_test_postgres runs initdb in a fresh
# temporary directory and starts the server on a free loopback port (as root it runs as the
# `postgres` user, since PostgreSQL refuses root), setting `pg_dir` and `pg_port`;
# test_postgres_database NAME creates a database with the pg_trgm extension and sets
# `pg_connection`, its libpq connection string; stop_test_postgres stops the cluster at once
# and removes it. The caller calls stop_test_postgres from its own exit trap.
pg_as() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }

start_test_postgres() {
  local version
  pg_bin=
  for version in 17 16 15 14 13; do
    if [ -x "/usr/lib/postgresql/$version/bin/initdb" ]; then pg_bin=/usr/lib/postgresql/$version/bin; break; fi
  done
  if [ -z "$pg_bin" ]; then
    echo "test-server: the PostgreSQL server binaries are not installed (scripts/setup.sh installs them)" >&2
    return 1
  fi
  pg_dir=$(mktemp -d /tmp/likenex-pg-XXXXXX)
  if [ "$(id -u)" = 0 ]; then chown postgres "$pg_dir"; fi
  pg_port=$(free_port)
  if ! pg_as "$pg_bin/initdb" -D "$pg_dir/data" -A trust -U postgres --no-sync >"$pg_dir/initdb.log" 2>&1; then
    echo "test-server: initdb failed:" >&2
    cat "$pg_dir/initdb.log" >&2
    return 1
  fi
  if ! pg_as "$pg_bin/pg_ctl" -D "$pg_dir/data" -w -t 30 -l "$pg_dir/server.log" -o "-p $pg_port -k $pg_dir \
      -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=100 -c shared_buffers=32MB" start >/dev/null; then
    echo "test-server: PostgreSQL did not start:" >&2
    cat "$pg_dir/server.log" >&2
    return 1
  fi
}

test_postgres_database() {
  "$pg_bin/createdb" -h 127.0.0.1 -p "$pg_port" -U postgres "$1"
  "$pg_bin/psql" -q -h 127.0.0.1 -p "$pg_port" -U postgres -d "$1" -c 'CREATE EXTENSION IF NOT EXISTS pg_trgm' >/dev/null
  pg_connection="host=127.0.0.1 port=$pg_port user=postgres dbname=$1"
}

stop_test_postgres() {
  if [ -n "${pg_dir:-}" ]; then
    pg_as "$pg_bin/pg_ctl" -D "$pg_dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$pg_dir"
    pg_dir=
  fi
}

# start_test_haproxy DIR SOURCE SEND_PROXY PROTOCOL_PORT:WEB_PORT...: HAProxy (Debian's
# package) from a configuration written to DIR/haproxy.cfg, in front of the servers named by
# their port pairs, on two free ports it sets as `haproxy_protocol` and `haproxy_web`: a TCP
# frontend for the binary protocol, balanced per connection, and an HTTP one for the web side
# with X-Forwarded-For. It connects to the servers from the loopback address SOURCE, so that
# a server can tell HAProxy's connections from a direct client's; with SEND_PROXY "yes" it
# opens each protocol connection with a PROXY protocol header. Health checks ask the version
# (protocol) and fetch /news.xml (web) every half second, so a dead or frozen server leaves
# the rotation within about a second and a connection it refuses is sent to another.
start_test_haproxy() {
  local dir=$1 source=$2 send_proxy=$3 pair number=0 proxy_options=""
  shift 3
  command -v haproxy >/dev/null || { echo "test-server: haproxy is not installed (scripts/setup.sh installs it)" >&2; return 1; }
  if [ "$send_proxy" = yes ]; then proxy_options="send-proxy check-send-proxy"; fi
  haproxy_protocol=$(free_port)
  haproxy_web=$(free_port)
  {
    printf 'global\n  maxconn 4000\n\n'
    printf 'defaults\n  timeout connect 2s\n  timeout client 30s\n  timeout server 30s\n'
    printf '  timeout check 2s\n  retries 3\n  option redispatch 1\n\n'
    printf 'frontend protocol\n  mode tcp\n  bind 127.0.0.1:%s\n  default_backend protocol_servers\n\n' "$haproxy_protocol"
    printf 'backend protocol_servers\n  mode tcp\n  balance roundrobin\n  option tcp-check\n'
    # The version query (length 6, type 259), answered by type 260.
    printf '  tcp-check send-binary 060003010000\n  tcp-check expect binary 04010000\n'
    for pair in "$@"; do
      number=$((number + 1))
      printf '  server s%s 127.0.0.1:%s check inter 500ms fall 2 rise 2 source %s %s\n' "$number" "${pair%%:*}" "$source" "$proxy_options"
    done
    printf '\nfrontend web\n  mode http\n  bind 127.0.0.1:%s\n  option forwardfor\n  default_backend web_servers\n\n' "$haproxy_web"
    printf 'backend web_servers\n  mode http\n  balance roundrobin\n  option httpchk GET /news.xml\n'
    number=0
    for pair in "$@"; do
      number=$((number + 1))
      printf '  server s%s 127.0.0.1:%s check inter 500ms fall 2 rise 2 source %s\n' "$number" "${pair##*:}" "$source"
    done
  } >"$dir/haproxy.cfg"
  haproxy -f "$dir/haproxy.cfg" -db >"$dir/haproxy.log" 2>&1 &
  haproxy_pid=$!
  wait_for_port "$haproxy_protocol" "$haproxy_pid" "$dir/haproxy.log" haproxy
  wait_for_port "$haproxy_web" "$haproxy_pid" "$dir/haproxy.log" haproxy
}
