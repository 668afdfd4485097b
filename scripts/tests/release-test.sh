#!/usr/bin/env bash
# A test release from start to end: scripts/release.sh makes it (with a test key and a test
# certificate it makes itself, taking the data tools from BUILD_DIR), then
#   - its programs hold no test switch, and Update.exe trusts the release's key, not the test
#     build's (and the same check fails on the test build's programs, so it can see one);
#   - every program, the DLL, the setup, the uninstaller it writes and both update installers
#     carry a valid Authenticode signature, and each installer's manifest names it and is
#     signed by the release's key;
#   - under Wine, in a prefix of its own, the release's editor starts and draws its first page
#     against a real server, and its Update.exe reads its registry values and writes the
#     server's news through News.dll;
#   - the setup installs, starts, upgrades and uninstalls (scripts/tests/setup-under-wine.sh).
#
#   release-test.sh BUILD_DIR
#
# Screenshots and logs are kept in BUILD_DIR/release-test/shots.
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$build/release-test
shots=$dir/shots
fail() { echo "release-test: $*" >&2; exit 1; }

"$root/scripts/release.sh" --dir "$dir" --host-build "$build"
version=$(sed -n 's/^LIKENEX_PROGRAM_VERSION:STRING=//p' "$dir/windows/CMakeCache.txt")
out=$dir/out
program=$dir/program
setup=$out/LikenexSetup-$version-UNSIGNED-TEST.exe
host=$out/update-host-UNSIGNED-TEST
[ -f "$setup" ] || fail "no test setup named $(basename "$setup") in $out"
[ -z "$(find "$out" -name 'LikenexSetup*' ! -name '*-UNSIGNED-TEST.exe')" ] \
  || fail "a test release wrote a setup whose name does not say it is a test"
rm -rf "$shots"
mkdir -p "$shots"

programs=("$program/Likenex.exe" "$program/Update.exe" "$program/News.dll" "$program/data/merge.exe")
python3 "$root/scripts/tests/check-release-binaries.py" "$dir/keys/update-public.pem" \
  --not-key "$build/windows/signing/installer-public.der" "${programs[@]}"
if python3 "$root/scripts/tests/check-release-binaries.py" "$dir/keys/update-public.pem" \
     "$build/program/Likenex.exe" "$build/program/Update.exe" >/dev/null 2>&1; then
  fail "the binary check passed the test build's programs, which carry the test switches"
fi

# Authenticode: each signed file verifies against the test certificate.
for file in "${programs[@]}" "$setup" "$host/Download/$version.exe" "$host/Download/fullup.exe"; do
  osslsigncode verify -CAfile "$dir/test-keys/codesign-test.crt" -in "$file" >"$shots/verify.log" 2>&1 \
    || { cat "$shots/verify.log" >&2; fail "$(basename "$file") has no valid Authenticode signature"; }
done

# Each installer's manifest names it, at this version, and is signed by the release's key.
for name in "$version.exe" fullup.exe; do
  manifest=$host/Download/$name.sig
  [ -f "$manifest" ] || fail "$name has no manifest"
  grep -qx "file $name" "$manifest" || fail "the manifest of $name does not name it"
  grep -qx "version $version" "$manifest" || fail "the manifest of $name does not say version $version"
  grep -qx "sha256 $(sha256sum "$host/Download/$name" | cut -d' ' -f1)" "$manifest" \
    || fail "the manifest of $name does not hold its SHA-256"
  sed '/^signature /d' "$manifest" >"$shots/manifest.txt"
  sed -n 's/^signature //p' "$manifest" | base64 -d >"$shots/manifest.der"
  openssl dgst -sha256 -verify "$dir/keys/update-public.pem" -signature "$shots/manifest.der" "$shots/manifest.txt" \
    >/dev/null || fail "the manifest of $name is not signed by the release's key"
done
grep -q "	Likenex $version	" "$host/news-item.tsv" || fail "the news item does not name Likenex $version"

# The release's programs under Wine, in a prefix and a program folder of their own.
source "$root/scripts/tests/test-server.sh"
prepare_test_server "$build"
mkdir -p "$work/data"
printf '2026-01-02T03:04:05Z\tRelease smoke news\t/\t<p>Read through News.dll</p>\n' >"$work/data/news.tsv"
test_server+=(--set "newest_version=$version")
run_test_server
folder=$work/program
cp -r "$program/." "$folder/"
rm -f "$folder/opt.dat" "$folder/news.html"
prefix=$dir/wine
rm -rf "$prefix" "$prefix.lock"
export shots folder protocol web version
export ctl="$build/windows/tools/likenex-window-ctl.exe"
"$root/scripts/wine-run" --prefix "$prefix" --session bash -euo pipefail -c '
  fail() { echo "release-test: $*" >&2; import -window root "$shots/failure.png"; exit 1; }
  key="HKCU\\Software\\Tovik\\Avatar\\CurrentVersion"

  # The editor starts against the server and draws its first page.
  wine "$folder/Likenex.exe" 127.0.0.1 "$protocol" &
  wine "$ctl" wait 60 || fail "the release editor showed no window"
  sleep 3
  import -window root "$shots/editor.png"
  colours=$(convert "$shots/editor.png" -format %k info:)
  [ "$colours" -ge 64 ] || fail "the release editor drew $colours colours only: no first page"
  # The editor stays up (closing sends it to the tray); the session ends it.

  # Update.exe reads the version values and builds its news page through News.dll.
  wine reg add "$key" /v ver /t REG_DWORD /d "$version" /f >/dev/null
  wine reg add "$key" /v newver /t REG_DWORD /d "$version" /f >/dev/null
  wine reg add "$key" /v news /t REG_SZ /d "http://127.0.0.1:$web/news.xml?v=1.0&ln=en" /f >/dev/null
  wine "$folder/Update.exe" "http://127.0.0.1:$web/Download/" &
  updater=$!
  wine "$ctl" update-wait "No new data!" 60 || fail "the release updater did not find its version current"
  import -window root "$shots/update.png"
  wine "$ctl" update-press close
  wait "$updater" || true
  # The page is UTF-16 with its byte order mark, as the browser control reads it.
  iconv -f UTF-16 -t UTF-8 "$folder/news.html" | grep -q "Release smoke news" \
    || fail "news.html does not hold the feed read through News.dll"
'
echo "release-test: the release editor, updater and news library run under Wine"

# The uninstaller exists only once the setup has written it: install quietly and check that it,
# and the programs the setup put in place, carry their signatures.
"$root/scripts/wine-run" --prefix "$prefix" "$setup" /S '/D=C:\release-check' \
  || fail "the release setup did not install quietly"
for file in Uninstall.exe Likenex.exe Update.exe News.dll data/merge.exe; do
  osslsigncode verify -CAfile "$dir/test-keys/codesign-test.crt" -in "$prefix/drive_c/release-check/$file" \
    >"$shots/verify.log" 2>&1 || { cat "$shots/verify.log" >&2; fail "the installed $file has no valid Authenticode signature"; }
done

"$root/scripts/tests/setup-under-wine.sh" --window-ctl "$build/windows/tools/likenex-window-ctl.exe" "$setup"
echo "release-test: passed"
