#!/usr/bin/env bash
# Goes through an interactive install of a setup program under Wine, in English, as a person
# would: Next on the welcome, folder and shortcut pages, then Finish with "Start Likenex"
# ticked, and keeps a picture of each page cropped to the setup's window:
#
#   setup-screenshots.sh SETUP_EXE [FOLDER]
#
# FOLDER (default: docs/) receives setup-welcome.png, setup-folder.png, setup-shortcuts.png,
# setup-progress.png and setup-finish.png. The install goes into a fresh Wine prefix of its own
# under /tmp, removed at the end. The keys are pressed through the X server's XTEST extension,
# so that the setup receives them as it would from a keyboard.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: setup-screenshots.sh SETUP_EXE [FOLDER]" >&2
  exit 2
fi
setup=$(realpath "$1")
shots=$(realpath "${2:-$root/docs}")
ctl=$root/build/windows/tools/likenex-window-ctl.exe
[ -f "$ctl" ] || { echo "setup-screenshots: $ctl is missing; build likenex-window-ctl" >&2; exit 1; }
work=$(mktemp -d /tmp/likenex-setup-shots.XXXXXX)
trap 'rm -rf "$work"' EXIT
export setup shots ctl LANG=C.UTF-8 LC_ALL=C.UTF-8

"$root/scripts/wine-run" --prefix "$work/wine" --session bash -euo pipefail -c '
  fail() { echo "setup-screenshots: $*" >&2; exit 1; }
  # The geometry (WxH+X+Y) of the setup'"'"'s top-level window ("Likenex 2 Setup", and a space
  # after it on the later pages), when it is up.
  setup_window() {
    xwininfo -root -children 2>/dev/null | grep -m1 -E " Setup *\":" | sed -E "s/.* ([0-9]+x[0-9]+)\+[-0-9]+\+[-0-9]+ +\+([-0-9]+)\+([-0-9]+).*/\1+\2+\3/" || true
  }
  # One key pressed and released, by its X keysym name.
  press() {
    python3 - "$1" <<"EOF"
import ctypes, sys
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XStringToKeysym.restype = ctypes.c_ulong
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
code = x11.XKeysymToKeycode(ctypes.c_void_p(display), ctypes.c_ulong(x11.XStringToKeysym(sys.argv[1].encode())))
for down in (1, 0):
    xtst.XTestFakeKeyEvent(ctypes.c_void_p(display), code, down, 0)
    x11.XFlush(ctypes.c_void_p(display))
x11.XCloseDisplay(ctypes.c_void_p(display))
EOF
  }
  shot() {
    sleep 2
    geometry=$(setup_window)
    [ -n "$geometry" ] || fail "the setup window is not up for $1"
    import -window root -crop "$geometry" +repage "$shots/setup-$1.png"
    echo "setup-screenshots: $shots/setup-$1.png"
  }

  wine "$setup" &
  installer=$!
  for _ in $(seq 100); do [ -n "$(setup_window)" ] && break; sleep 0.3; done
  shot welcome
  press Return
  shot folder
  press Return
  shot shortcuts
  press Return
  # The progress page stays up once the files are in, until Next.
  for _ in $(seq 150); do
    sleep 0.2
    [ -f "$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d "\r")\\Programs\\Likenex\\Uninstall.exe")" ] && break
  done
  shot progress
  press Return
  shot finish
  press Return
  wait "$installer" || fail "the setup ended with $?"
  wine "$ctl" wait 60 >/dev/null || fail "Finish did not start the editor"
  wine "$ctl" close
'
