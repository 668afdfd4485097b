#!/usr/bin/env bash
# The server's pages as a browser shows them: starts likenex-server on free ports with a data
# directory of its own, stores two avatars (a scripted one through likenex-load, one with a
# hostile title through a request written here), then has headless Chromium load every page
# the programs open (and the page of the first avatar's code, and a random code's), checks
# what its DOM holds, and keeps screenshots in OUT_DIR.
#
#   pages-in-chromium.sh BUILD_DIR [OUT_DIR]
set -euo pipefail
build=$(cd "$1" && pwd)
out=${2:-$build/server-pages}
mkdir -p "$out"
chrome=$(command -v chromium || true)
if [ -z "$chrome" ]; then echo "chromium is not installed (scripts/setup.sh installs it)"; exit 1; fi
source "$(dirname "$0")/../../scripts/tests/test-server.sh"
prepare_test_server "$build"
run_test_server

# Avatar 1: a free outfit with a twenty-step script, stored as the guest.
"$build/server/likenex-load" --port "$protocol" --kind upload --connections 1 --requests 1 \
  --program "$build/program" >/dev/null
# Avatar 2: a title and texts that are markup, stored as the guest with no script.
python3 - "$protocol" <<'PY'
import socket, struct, sys
def counted(text):
    data = (text + "\0").encode("utf-16-le")
    return struct.pack("<i", len(data)) + data
body = ("guest".encode("utf-16-le")).ljust(48, b"\0") + b"\0\0" + b"0" * 32 + b"\0"
body += struct.pack("<BiiB", 0, 0, 0, 4) + struct.pack("<iB", 0, 255) * 5 + struct.pack("<ii", 0, 0)
body += counted('<script>document.title="owned"</script><b id="bold">') + counted('<img src=x onerror="alert(1)">')
# the options, access mode and language, the access digest and the byte after it
body += counted('"><iframe id="frame">') + bytes([0, 0, 0, 2]) + b"\0" * 33
message = struct.pack("<Hi", 6 + len(body), 257) + body
with socket.create_connection(("127.0.0.1", int(sys.argv[1]))) as s:
    s.sendall(message)
    reply = s.recv(4096)
    s.shutdown(socket.SHUT_WR)
assert len(reply) >= 7 and reply[6] == 0, "the hostile avatar was not stored: %r" % reply
PY

failures=0
page() {  # NAME PATH EXPECTED-TEXT
  local name=$1 path=$2 expected=$3 dom
  dom=$("$chrome" --headless=new --no-sandbox --disable-gpu --virtual-time-budget=3000 \
        --dump-dom "http://127.0.0.1:$web$path" 2>/dev/null || true)
  "$chrome" --headless=new --no-sandbox --disable-gpu --hide-scrollbars --window-size=420,900 \
    --screenshot="$out/$name.png" "http://127.0.0.1:$web$path" >/dev/null 2>&1 || true
  if ! grep -qF -- "$expected" <<<"$dom"; then
    echo "page $name ($path): no \"$expected\" in what the browser shows"; failures=$((failures + 1))
  fi
  # Stored markup must reach the page as text: none of it may become an element.
  for active in '<script' '<iframe' '<b id="bold"' '<img src="x"' '<title>owned'; do
    if grep -qiF -- "$active" <<<"$dom"; then
      echo "page $name ($path): the browser built \"$active\" from stored text"; failures=$((failures + 1))
    fi
  done
}
page home / "Likenex"
page search "/?c=search&type=0" "<form"
page help "/?c=help" "Likenex"
page registration "/?c=reg" 'name="password"'
page forgotten "/?c=forgot&type=pwd" "user passwd NAME"
page account "/my.aspx?mc=account&to=pay" "<form"
page avatar /a/1 'src="/a/1.png"'
page hostile /a/2 '&lt;script&gt;document.title'
# The avatar code of avatar 1, as its page shows it, has a page of its own whose picture loads.
page avatar-code /a/1 '<code id="code">'
code=$(python3 - "$web" <<'PY'
import re, sys, urllib.request
page = urllib.request.urlopen("http://127.0.0.1:%s/a/1" % sys.argv[1]).read().decode()
found = re.search(r'<code id="code">([A-Za-z0-9_-]+)</code>', page)
print(found.group(1) if found else "")
PY
)
if [ -z "$code" ]; then echo "page avatar-code (/a/1): no avatar code"; failures=$((failures + 1)); fi
page code "/c/$code" "href=\"avatar:code:$code\""
page random /random 'href="avatar:code:'
if ! python3 - "$web" "$code" <<'PY'
import sys, urllib.request
for suffix in (".apng", ".png?scale=2"):
    with urllib.request.urlopen("http://127.0.0.1:%s/c/%s%s" % (sys.argv[1], sys.argv[2], suffix)) as reply:
        assert reply.status == 200 and reply.headers["Content-Type"] == "image/png", suffix
        assert reply.read(8) == b"\x89PNG\r\n\x1a\n", suffix
PY
then echo "the code's pictures do not load"; failures=$((failures + 1)); fi
if [ "$failures" -ne 0 ]; then cat "$work/server.log" | tail -20; exit 1; fi
echo "every page as expected; screenshots in $out"
