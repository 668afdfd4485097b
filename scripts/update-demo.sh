#!/usr/bin/env bash
# Runs Update.exe under Wine against our own server, as the editor would hand over to it, and
# keeps what a person would look at:
#   build/update-demo/update.png   the Update dialog (a newer version offered)
#   build/update-demo/news.png     the news page it wrote, rendered by headless Chromium when
#                                  one is installed (Wine here has no HTML engine)
# The server serves a two-item feed (one item carrying a script that must not reach the page)
# and a signed stand-in installer. Needs a finished build (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/update-demo
rm -rf "$out"
mkdir -p "$out/server/Download" "$out/program/data"
printf '%s\t%s\t%s\t%s\n' \
  2007-05-01T10:00:00Z 'May news' http://example.com/may '<p>First <b>news</b>.</p>' \
  2007-06-01T10:00:00Z 'June news' http://example.com/june '<p>Second</p><script>alert(1)</script>' \
  >"$out/server/news.tsv"
cp build/program/Update.exe build/program/News.dll "$out/program/"
recorder=build/windows/update/update_run_recorder.exe
cp "$recorder" "$out/program/Likenex.exe"
cp "$recorder" "$out/program/data/merge.exe"
cp "$recorder" "$out/server/Download/3.exe"
cp "$recorder.3.exe.sig" "$out/server/Download/3.exe.sig"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$out/run.sh" <<INNER
set -u
cd "$out"
"$root/build/server/likenex-server" --data "$out/server" --set http_port=$port --set protocol_port=0 \
  --set public_base=http://127.0.0.1:$port 2>"$out/server.log" &
server=\$!
sleep 1
key='HKCU\\Software\\Tovik\\Avatar\\CurrentVersion'
wine reg add "\$key" /v ver /t REG_DWORD /d 2 /f >/dev/null 2>&1
wine reg add "\$key" /v newver /t REG_DWORD /d 3 /f >/dev/null 2>&1
wine reg add "\$key" /v news /t REG_SZ /d "http://127.0.0.1:$port/news.xml?v=1.0&ln=en" /f >/dev/null 2>&1
wine program/Update.exe "http://127.0.0.1:$port/Download/" &
update=\$!
sleep 6
import -window root "$out/screen.png"
kill \$update
wine reg delete 'HKCU\\Software\\Tovik\\Avatar' /f >/dev/null 2>&1
kill \$server
wait \$server
INNER
scripts/wine-run --prefix build/windows/wine --session bash "$out/run.sh"
# The display's root is white: trimming it leaves the dialog.
convert "$out/screen.png" -trim +repage "$out/update.png"
echo "update-demo: dialog at $out/update.png"
if command -v chromium >/dev/null; then
  chromium --headless --no-sandbox --disable-gpu --window-size=393,300 \
    --screenshot="$out/news.png" "file://$out/program/news.html" >/dev/null 2>&1
  echo "update-demo: news page at $out/news.png"
fi
