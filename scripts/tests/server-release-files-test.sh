#!/usr/bin/env bash
# The operator's files in server/deploy agree with the server and with each other: the systemd
# unit parses and keeps its promises, the example settings start a server that answers, and the
# container image is built as scripts/server.sh builds and carries every library the server
# links. Usage: server-release-files-test.sh BUILD_DIR (a host build with likenex-server).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
deploy=$root/server/deploy
unit=$deploy/likenex-server.service
conf=$deploy/likenex-server.conf
dockerfile=$deploy/Dockerfile
server=$build/server/likenex-server
. "$here/test-server.sh"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
[ -x "$server" ] || { echo "FAIL: no $server; build likenex-server first" >&2; exit 1; }

# The value of KEY in a "key = value" settings file, or of Key= in the unit.
setting() { sed -nE "s/^$1[[:space:]]*=[[:space:]]*([^#]*[^[:space:]#])?[[:space:]]*(#.*)?\$/\\1/p" "$2" | tail -n 1; }
unit_value() { sed -nE "s/^$1=(.*)\$/\\1/p" "$unit" | tail -n 1; }

# --- the systemd unit ---------------------------------------------------------------------------
want_unit() { [ "$(unit_value "$1")" = "$2" ] || fail "the unit wants $1=$2, has '$(unit_value "$1")'"; }
want_unit User likenex
want_unit StateDirectory likenex
want_unit NoNewPrivileges yes
want_unit ProtectSystem strict
want_unit ProtectHome yes
want_unit PrivateTmp yes
want_unit Restart on-failure
want_unit KillSignal SIGTERM
exec_start=$(unit_value ExecStart)
case "$exec_start" in
  *" --config /etc/likenex/likenex-server.conf"*) ;;
  *) fail "ExecStart does not read /etc/likenex/likenex-server.conf: $exec_start" ;;
esac
# The data directory must be the one systemd makes writable under ProtectSystem=strict.
[ "$(setting data_directory "$conf")" = "/var/lib/$(unit_value StateDirectory)" ] ||
  fail "data_directory $(setting data_directory "$conf") is not the unit's StateDirectory"
stop_seconds=$(setting stop_seconds "$conf")
timeout_stop=$(unit_value TimeoutStopSec)
[[ "$timeout_stop" =~ ^[0-9]+$ && "$stop_seconds" =~ ^[0-9]+$ && $timeout_stop -gt $stop_seconds ]] ||
  fail "TimeoutStopSec ($timeout_stop) must be above stop_seconds ($stop_seconds)"
# Enough descriptors for both connection caps, so that the server need not lower them.
nofile=$(unit_value LimitNOFILE)
caps=$(($(setting max_connections "$conf") + $(setting web_max_connections "$conf")))
[[ "$nofile" =~ ^[0-9]+$ && $nofile -gt $caps ]] || fail "LimitNOFILE ($nofile) is not above the connection caps ($caps)"

# systemd-analyze only warns about unknown keys and bad values, so any word from it fails. The
# copy runs an executable that exists here.
if command -v systemd-analyze >/dev/null; then
  units=$(mktemp -d)
  sed "s#^ExecStart=[^ ]*#ExecStart=$server#" "$unit" > "$units/likenex-server.service"
  if ! said=$(systemd-analyze verify "$units/likenex-server.service" 2>&1) || [ -n "$said" ]; then
    fail "systemd-analyze verify: $said"
  fi
  rm -rf "$units"
else
  echo "systemd-analyze is not installed: the unit's keys were checked by reading" >&2
fi

# --- the example settings -----------------------------------------------------------------------
known=$("$server" --help | sed -nE 's/^([a-z0-9_]+)[[:space:]]*=.*/\1/p')
while read -r key; do
  grep -qx "$key" <<<"$known" || fail "the example sets '$key', which likenex-server --help does not list"
done < <(sed -nE 's/^([a-z0-9_]+)[[:space:]]*=.*/\1/p' "$conf")

# The example as it stands starts a server (on free ports, in a scratch directory, on SQLite)
# whose web side answers the image's health check and which ends cleanly on SIGTERM.
prepare_test_server "$build"
# public_base stays the example's, so that its form is checked too.
test_server=("$server" --config "$conf" --data "$work/data" --set "protocol_port=$protocol" --set "http_port=$web"
             --set "program_directory=$build/program" --set storage=sqlite)
run_test_server
exec 3<>"/dev/tcp/127.0.0.1/$web"
printf 'GET /?c=help HTTP/1.0\r\nHost: localhost\r\n\r\n' >&3
status=$(head -n 1 <&3)
exec 3<&-
[[ "$status" == *" 200 "* ]] || fail "the help page answered '$status'"
grep -q 'GET /?c=help HTTP/1.0' "$dockerfile" || fail "the image's health check asks for another page than the one tested"
kill -TERM "$test_server_pid"
ended=0
for _ in $(seq 1 $((timeout_stop * 10))); do
  kill -0 "$test_server_pid" 2>/dev/null || { ended=1; break; }
  sleep 0.1
done
if [ $ended = 0 ]; then
  fail "the server did not stop within TimeoutStopSec ($timeout_stop s) of SIGTERM"
elif ! wait "$test_server_pid"; then
  fail "the server ended with a failure on SIGTERM; its log:"; cat "$work/server.log" >&2
fi
test_server_pid=

# --- the image against scripts/server.sh --------------------------------------------------------
# The configure and build commands, continued lines joined and paths written from the tree's root.
build_commands() {
  sed -e ':a' -e '/\\$/{N;s/\\\n//;ba' -e '}' "$1" |
    grep -oE 'cmake (-C|--build) [^&;]*' |
    sed -E 's/"//g; s#\$root/##g; s#\$build#build-server#g; s#\$root#.#g; s/[[:space:]]+/ /g; s/ $//'
}
script_commands=$(build_commands "$root/scripts/server.sh")
image_commands=$(build_commands "$dockerfile")
grep -q -- '-C cmake/ServerRelease.cmake' <<<"$script_commands" || fail "scripts/server.sh does not configure with cmake/ServerRelease.cmake"
grep -q -- '--target likenex-server' <<<"$script_commands" || fail "scripts/server.sh does not build likenex-server"
[ "$script_commands" = "$image_commands" ] ||
  fail "the image builds otherwise than scripts/server.sh:"$'\n'"$script_commands"$'\n'"---"$'\n'"$image_commands"

# The image's build stage installs every package that scripts/server.sh installs.
script_packages=$(sed -n '/^packages=(/,/^)/p' "$root/scripts/server.sh" | sed -e 's/#.*//' -e '1d;$d' | tr -s ' \t' '\n\n' | sed '/^$/d')
# Each stage's words, one a line.
build_stage=$(awk '/^FROM /{n++} n==1' "$dockerfile" | tr -s ' \t\\' '\n\n\n')
run_stage=$(awk '/^FROM /{n++} n>=2' "$dockerfile" | tr -s ' \t\\' '\n\n\n')
[ -n "$script_packages" ] || fail "no package list in scripts/server.sh"
for p in $script_packages; do
  grep -qxF "$p" <<<"$build_stage" || fail "the image's build stage does not install $p"
done

# The run stage installs the package of every library the server links; libc, libstdc++ and
# libgcc come with the base image, the sanitizers only with the test build.
arch=$(dpkg --print-architecture)
for soname in $(objdump -p "$server" | awk '$1 == "NEEDED" { print $2 }'); do
  case "$soname" in libasan.* | libubsan.* | libc.* | libm.* | libstdc++.* | libgcc_s.* | ld-linux*) continue ;; esac
  package=$(dpkg -S "*/$soname" 2>/dev/null | grep -E "^[^:]+:$arch:" | head -n 1 | cut -d: -f1 || true)
  if [ -z "$package" ]; then
    fail "no Debian package holds $soname"
  elif ! grep -qxF "$package" <<<"$run_stage"; then
    fail "the image's run stage lacks $package ($soname)"
  fi
done

if [ $failures -gt 0 ]; then
  echo "server deploy files: $failures failed" >&2
  exit 1
fi
echo "server deploy files: ok"
