#!/usr/bin/env bash
# The whole update under Wine against the real server: the editor at this build's version
# learns of the next one, hands over to Update.exe, which writes the news page, fetches the
# signed incremental installer, runs it and the data merger, and starts the editor again
# with "goon". Started again, the editor reports the new version and stays. A second run
# with a newest version two ahead takes the full installer instead, which brings every data
# file through the merger. Then an installed version ahead of the newest finds nothing to do,
# and an installer changed on the host is refused and never run.
#
#   update-end-to-end.sh BUILD_DIR VERSION
#
# Screenshots of each stage are kept in BUILD_DIR/update-end-to-end/.
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
next=$((version + 1))
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/tests/test-server.sh"
shots=$build/update-end-to-end
rm -rf "$shots"
mkdir -p "$shots"

prepare_test_server "$build"
mkdir -p "$work/data/Download"
cp "$build/windows/update-host-next/Download/"* "$work/data/Download/"
# The full update below announces one version more than the installers bring: the host's full
# installer is signed again for that version, as a release signs the one it publishes.
"$root/scripts/sign-installer.sh" "$build/windows/signing/installer-test-key.pem" "$((next + 1))" \
  "$work/data/Download/fullup.exe" >/dev/null
test_server+=(--set "newest_version=$next")
run_test_server

# A program folder as a user has it after installing this build.
program=$work/program
mkdir -p "$program"
cp -r "$build/program/." "$program/"
rm -f "$program/opt.dat" "$program/news.html"
stage=$build/windows/update/installer-stage

download=$work/data/Download
server_log=$work/server.log
export shots program protocol web version next stage download server_log
export ctl="$build/windows/tools/likenex-window-ctl.exe"
status=0
"$root/scripts/wine-run" --prefix "$build/windows/wine" --session bash -euo pipefail -c '
  fail() { echo "update-end-to-end: $*" >&2; import -window root "$shots/failure.png"; exit 1; }
  key="HKCU\\Software\\Tovik\\Avatar\\CurrentVersion"
  registry() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d "\r" | awk -v name="$1" "\$1 == name { print \$3 }"; }
  shot() { sleep 1; import -window root "$shots/$1.png"; }
  # How many times the server has answered a GET of the update host file $1 with 200.
  fetches() { grep -c " GET /Download/$1 200 " "$server_log" || true; }
  # Update.exe started by hand with the versions given, as the editor would leave them.
  start_updater() {
    wine reg add "$key" /v ver /t REG_DWORD /d "$1" /f >/dev/null
    wine reg add "$key" /v newver /t REG_DWORD /d "$2" /f >/dev/null
    wine "$program/Update.exe" "http://127.0.0.1:$web/Download/" &
    updater=$!
  }
  close_updater() { wine "$ctl" update-press close; wait "$updater" || true; }
  wine reg delete "HKCU\\Software\\Tovik\\Avatar" /f >/dev/null 2>&1 || true
  # Values an older build left for the whole machine would stand in for any the editor failed to write.
  wine reg delete "HKLM\\Software\\Tovik\\Avatar" /f >/dev/null 2>&1 || true

  # The editor asks for the version and hands over; the updater offers the newer one.
  wine "$program/Likenex.exe" 127.0.0.1 "$protocol" &
  wine "$ctl" update-wait "New data are received!" 60 || fail "the updater did not offer version $next"
  [ "$(registry ver)" = "$(printf 0x%x "$version")" ] || fail "ver is $(registry ver), not $version"
  [ "$(registry newver)" = "$(printf 0x%x "$next")" ] || fail "newver is $(registry newver), not $next"
  [ -s "$program/news.html" ] || fail "no news page was written"
  shot update-offered
  # The page as a browser shows it: the server'"'"'s news item, laid out, and nothing active.
  dom=$(chromium --headless=new --no-sandbox --disable-gpu --dump-dom "file://$program/news.html" 2>/dev/null || true)
  grep -q "The Likenex service is open" <<<"$dom" || fail "the news page does not show the feed'"'"'s item"
  ! grep -qi "<script" <<<"$dom" || fail "the news page holds a script"
  chromium --headless=new --no-sandbox --disable-gpu --hide-scrollbars --window-size=393,300 \
    --screenshot="$shots/news-page.png" "file://$program/news.html" >/dev/null 2>&1 || true

  wine "$ctl" update-press action
  wine "$ctl" update-wait "Update is completed!" 120 || fail "the update did not complete"
  shot update-completed
  [ -f "$program/$next.exe" ] || fail "the incremental installer $next.exe was not fetched"
  [ ! -e "$program/fullup.exe" ] || fail "the full installer was fetched for a one-step update"
  cmp -s "$program/Likenex.exe" "$stage/$next-incremental/incoming/Likenex.exe" || fail "Likenex.exe was not replaced"
  [ ! -e "$program/data/incoming" ] || fail "the merger left data/incoming behind"
  [ -f "$program/Update.up" ] && [ -f "$program/News.up" ] || fail "the installer wrote no Update.up and News.up"

  # The updater starts the editor again with "goon"; the editor moves Update.up and News.up in.
  wine "$ctl" update-press action
  wine "$ctl" wait 60 || fail "the editor did not start again"
  for _ in $(seq 100); do [ ! -e "$program/Update.up" ] && break; sleep 0.2; done
  [ ! -e "$program/Update.up" ] && [ ! -e "$program/News.up" ] || fail "Update.up and News.up were not installed"
  cmp -s "$program/Update.exe" "$stage/$next-incremental/direct/Update.up" || fail "Update.exe is not the new one"
  [ ! -e "$program/$next.exe" ] || fail "the installer $next.exe was left behind"
  cmp -s "$program/News.dll" "$stage/$next-incremental/direct/News.up" || fail "News.dll is not the new one"
  shot editor-restarted
  wine "$ctl" close
  sleep 2

  # Started against the server again, the editor reports the new version and does not hand over.
  wine "$program/Likenex.exe" 127.0.0.1 "$protocol" &
  editor=$!
  wine "$ctl" wait 60 || fail "the updated editor did not start"
  for _ in $(seq 100); do [ "$(registry ver)" = "$(printf 0x%x "$next")" ] && break; sleep 0.2; done
  [ "$(registry ver)" = "$(printf 0x%x "$next")" ] || fail "the updated editor reports $(registry ver), not $next"
  sleep 2
  wine "$ctl" update-wait "New data are received!" 1 2>/dev/null && fail "the updated editor handed over again"
  wine "$ctl" close
  wait "$editor" || true

  # Two versions behind, the updater takes the full installer, which restores every data file.
  rm "$program/data/lang.bin"
  printf damaged >"$program/wall.dat"
  start_updater "$version" "$((next + 1))"
  wine "$ctl" update-wait "New data are received!" 60 || fail "the updater did not offer the full installer"
  wine "$ctl" update-press action
  wine "$ctl" update-wait "Update is completed!" 120 || fail "the full update did not complete"
  [ -f "$program/fullup.exe" ] || fail "the full installer was not fetched"
  for file in data/lang.bin wall.dat data/avatar.iso fonts/DejaVuSans.ttf; do
    cmp -s "$program/$file" "$stage/$next-full/incoming/$file" || fail "$file was not merged from the full installer"
  done
  [ ! -e "$program/data/incoming" ] || fail "the merger left data/incoming behind"
  close_updater

  # Installed ahead of the newest: nothing to do.
  start_updater 5 3
  wine "$ctl" update-wait "No new data!" 60 || fail "installed 5 and newest 3 did not say there is nothing new"
  close_updater

  # An installer changed on the way (here: on the host) is fetched three times and never run.
  printf x >>"$download/$next.exe"
  cp "$program/Likenex.exe" "$program/../editor-before"
  installer_fetches=$(fetches "$next.exe")
  signature_fetches=$(fetches "$next.exe.sig")
  start_updater "$version" "$next"
  wine "$ctl" update-wait "New data are received!" 60 || fail "the updater did not offer the tampered installer"
  wine "$ctl" update-press action
  wine "$ctl" update-wait "Fail to download!" 120 || fail "a tampered installer was not refused"
  shot update-tampered
  installer_fetches=$(( $(fetches "$next.exe") - installer_fetches ))
  signature_fetches=$(( $(fetches "$next.exe.sig") - signature_fetches ))
  [ "$installer_fetches" -eq 3 ] || fail "the tampered installer was fetched $installer_fetches times, not 3"
  [ "$signature_fetches" -eq 3 ] || fail "its signature was fetched $signature_fetches times, not 3"
  cmp -s "$program/Likenex.exe" "$program/../editor-before" || fail "the tampered installer changed the program"
  [ ! -e "$program/data/incoming" ] || fail "the tampered installer ran"
  close_updater
  wine reg delete "HKCU\\Software\\Tovik\\Avatar" /f >/dev/null 2>&1 || true
' || status=$?

if [ "$status" -ne 0 ]; then echo "--- server log"; cat "$work/server.log"; fi
exit "$status"
