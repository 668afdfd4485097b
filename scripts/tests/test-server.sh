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
