#!/usr/bin/env bash
# The setup program and its uninstaller as a person (or a deployment script) uses them, in a
# fresh Wine prefix of their own:
#
#   - a quiet install into the default per-user folder: the programs, data, fonts, the
#     Start-menu shortcut, the version and language values, the avatar: link and the
#     uninstall entry; the editor started from the shortcut runs;
#   - a quiet setup while that editor runs waits for it and goes on once it is closed; one
#     setup and one uninstaller whose editor stays open give up (exit 3) and leave it running
#     and every file in place;
#   - an upgrade over the installation keeps opt.dat, the exported pictures, the chosen language
#     and the person's removal of the desktop shortcut, and drops an update left half done;
#   - a setup older than the installation is refused (exit 4), by its version in the uninstall
#     entry and, when OLDER_SETUP is given, by that older setup itself;
#   - the quiet uninstall named by the uninstall entry leaves only photo\ behind, and no registry
#     key; installed into a folder holding a file of the person's, it leaves that file and the
#     folder. That install runs on a Hong Kong system and sets the editor's language to "tw".
#
#   setup-under-wine.sh [--window-ctl EXE] SETUP_EXE [OLDER_SETUP_EXE]
#
# --window-ctl names likenex-window-ctl.exe (default: the test build's, build/windows/tools/).
# On failure the Wine prefix and a screenshot are kept and their folder is named.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
ctl=$root/build/windows/tools/likenex-window-ctl.exe
if [ "${1:-}" = --window-ctl ]; then
  ctl=$2
  shift 2
fi
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: setup-under-wine.sh [--window-ctl EXE] SETUP_EXE [OLDER_SETUP_EXE]" >&2
  exit 2
fi
for file in "$@" "$ctl"; do
  if [ ! -f "$file" ]; then
    echo "setup-under-wine: $file does not exist" >&2
    exit 1
  fi
done
setup=$(realpath "$1")
older=
[ $# -eq 2 ] && older=$(realpath "$2")
ctl=$(realpath "$ctl")
work=$(mktemp -d /tmp/likenex-setup-test.XXXXXX)
export setup older ctl work
# The system speaks English (Wine's language for the C locale), so the setup does and writes
# "en" as the editor's language.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

"$root/scripts/wine-run" --prefix "$work/wine" --session bash -uo pipefail -c '
  fail() {
    echo "setup-under-wine: $*" >&2
    import -window root "$work/failure.png" 2>/dev/null
    exit 1
  }
  # The data of a value as reg query prints it, "" when there is none.
  value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d "\r" | sed -n "s/^    $2    REG_[A-Z_]*    //p"; }
  default_value() { wine reg query "$1" /ve 2>/dev/null | tr -d "\r" | sed -n "s/^    (Default)    REG_[A-Z_]*    //p"; }
  key_exists() { wine reg query "$1" >/dev/null 2>&1; }
  windows_variable() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d "\r"; }
  unix_path() { winepath -u "$1" 2>/dev/null; }
  editor_running() { wine "$ctl" wait "${1:-1}" >/dev/null 2>&1; }
  # Waits up to $2 seconds for process $1 and sets $code to its exit code ("" when it runs on).
  wait_for() {
    code=
    for _ in $(seq "$(($2 * 5))"); do
      if ! kill -0 "$1" 2>/dev/null; then wait "$1"; code=$?; return; fi
      sleep 0.2
    done
  }
  close_editor() {
    wine "$ctl" close >/dev/null 2>&1
    for _ in $(seq 50); do editor_running || return 0; sleep 0.2; done
    fail "the editor did not close"
  }

  uninstall_key="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Likenex"
  version_key="HKCU\\Software\\Tovik\\Avatar\\CurrentVersion"
  settings_key="HKCU\\Software\\Tovik\\Mimzu"
  protocol_key="HKCU\\Software\\Classes\\Avatar"
  windows_folder="$(windows_variable LOCALAPPDATA)\\Programs\\Likenex"
  folder=$(unix_path "$windows_folder")
  start_menu_link="$(windows_variable APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Likenex.lnk"
  desktop_link=$(unix_path "$(windows_variable USERPROFILE)\\Desktop\\Likenex.lnk")
  [ -n "$folder" ] || fail "Wine names no per-user program folder"

  # ---- A quiet install into the default folder.
  wine "$setup" /S || fail "the quiet install ended with $?"
  for file in Likenex.exe Update.exe News.dll Uninstall.exe color.dat skin.dat wall.dat data/merge.exe \
              data/avatar.inx data/avatar.iso data/avatar.dat data/inter.inx data/inter.dat data/lang.bin; do
    [ -s "$folder/$file" ] || fail "$file was not installed into $folder"
  done
  ls "$folder/fonts/"*.tt[fc] >/dev/null 2>&1 || fail "no font was installed"
  [ -f "$(unix_path "$start_menu_link")" ] || fail "no Start-menu shortcut"
  [ -f "$desktop_link" ] || fail "no desktop shortcut after a quiet install"

  version=$(value "$uninstall_key" DisplayVersion)
  [[ "$version" =~ ^[0-9]+$ ]] || fail "the uninstall entry has no DisplayVersion but \"$version\""
  hex=$(printf 0x%x "$version")
  [ "$(value "$version_key" ver)" = "$hex" ] || fail "ver is \"$(value "$version_key" ver)\", not $hex"
  [ "$(value "$version_key" newver)" = "$hex" ] || fail "newver is \"$(value "$version_key" newver)\", not $hex"
  [ "$(value "$settings_key" language)" = en ] || fail "the language is \"$(value "$settings_key" language)\", not en"
  [ "$(default_value "$protocol_key")" = "URL: Avatar Protocol" ] || fail "the avatar: protocol has no name"
  key_exists "$protocol_key" && wine reg query "$protocol_key" /v "URL Protocol" >/dev/null 2>&1 ||
    fail "the avatar: key is no URL protocol"
  command=$(default_value "$protocol_key\\shell\\open\\command")
  [ "$command" = "\"$windows_folder\\Likenex.exe\" \"%1\"" ] || fail "the avatar: command is $command"
  declare -A expected=(
    [DisplayName]=Likenex [Publisher]=Likenex [InstallLocation]="$windows_folder"
    [DisplayIcon]="$windows_folder\\Likenex.exe,0" [UninstallString]="\"$windows_folder\\Uninstall.exe\""
    [QuietUninstallString]="\"$windows_folder\\Uninstall.exe\" /S" [NoModify]=0x1 [NoRepair]=0x1)
  for name in "${!expected[@]}"; do
    [ "$(value "$uninstall_key" "$name")" = "${expected[$name]}" ] ||
      fail "the uninstall entry has $name \"$(value "$uninstall_key" "$name")\", not \"${expected[$name]}\""
  done
  size=$(value "$uninstall_key" EstimatedSize)
  size_kib=$(du -sk --apparent-size "$folder" | cut -f1)
  [ -n "$size" ] && [ $((size)) -gt $((size_kib / 2)) ] && [ $((size)) -le "$size_kib" ] ||
    fail "EstimatedSize $size KiB is not the installed $size_kib KiB"

  # ---- The editor started from its Start-menu shortcut, as a person starts it.
  wine start "$start_menu_link" || fail "the Start-menu shortcut could not be opened"
  editor_running 60 || fail "the editor started from the Start-menu shortcut does not run"

  # ---- A quiet setup waits while the editor runs and goes on once it is closed.
  cp "$folder/Likenex.exe" "$work/editor-before"
  printf stale >"$folder/Update.up"
  wine "$setup" /S 2>"$work/waiting.log" &
  waiting=$!
  sleep 6
  kill -0 "$waiting" 2>/dev/null || fail "the quiet setup did not wait for the running editor"
  editor_running || fail "the quiet setup ended the running editor"
  [ -f "$folder/Update.up" ] || fail "the quiet setup changed the program folder while the editor ran"
  close_editor
  wait_for "$waiting" 60
  [ "$code" = 0 ] || fail "the quiet setup did not finish after the editor closed (exit \"$code\")"
  [ ! -e "$folder/Update.up" ] || fail "the setup left a half-done update'"'"'s Update.up to replace its Update.exe"

  # ---- A setup and an uninstaller whose editor stays open give up and leave it be.
  wine start "$start_menu_link"
  editor_running 60 || fail "the editor did not start again"
  wine "$setup" /S 2>"$work/refused-setup.log" &
  refused_setup=$!
  # _?= keeps the uninstaller in this process, so its exit code is seen.
  wine "$folder/Uninstall.exe" /S "_?=$windows_folder" 2>"$work/refused-uninstall.log" &
  refused_uninstall=$!
  wait_for "$refused_setup" 90
  [ "$code" = 3 ] || fail "a quiet setup with the editor open to the end did not give up with exit 3 (\"$code\")"
  wait_for "$refused_uninstall" 30
  [ "$code" = 3 ] || fail "a quiet uninstall with the editor open did not give up with exit 3 (\"$code\")"
  grep -q "Likenex is still running" "$work/refused-setup.log" || fail "the refusing setup did not say why"
  grep -q "Likenex is still running" "$work/refused-uninstall.log" || fail "the refusing uninstaller did not say why"
  editor_running || fail "the editor was ended by the setup or the uninstaller"
  [ -f "$folder/Likenex.exe" ] && [ -f "$folder/data/lang.bin" ] && key_exists "$uninstall_key" ||
    fail "the uninstaller removed files while the editor ran"
  close_editor

  # ---- An upgrade keeps the settings, the pictures, the language and the shortcut choice.
  printf "the person'"'"'s settings" >"$folder/opt.dat"
  mkdir -p "$folder/photo"
  printf "an exported picture" >"$folder/photo/tovik_1234.bmp"
  wine reg add "$settings_key" /v language /t REG_SZ /d jp /f >/dev/null
  rm -f "$desktop_link"
  mkdir -p "$folder/data/incoming"
  printf "likenex-merge 1\n" >"$folder/data/incoming/files.lst"
  printf "likenex-merge-journal 1\n" >"$folder/data/merge.journal"
  wine "$setup" /S || fail "the upgrade ended with $?"
  [ "$(cat "$folder/opt.dat")" = "the person'"'"'s settings" ] || fail "the upgrade changed opt.dat"
  [ "$(cat "$folder/photo/tovik_1234.bmp")" = "an exported picture" ] || fail "the upgrade changed an exported picture"
  [ "$(value "$settings_key" language)" = jp ] || fail "the upgrade changed the chosen language"
  [ ! -e "$desktop_link" ] || fail "the upgrade put back the desktop shortcut the person had removed"
  [ ! -e "$folder/data/incoming" ] && [ ! -e "$folder/data/merge.journal" ] ||
    fail "the upgrade left a half-done update for the merger to finish over it"

  # ---- An older setup does not replace a newer installation.
  wine reg add "$uninstall_key" /v DisplayVersion /t REG_SZ /d $((version + 1)) /f >/dev/null
  wine "$setup" /S 2>"$work/older.log"
  code=$?
  [ "$code" = 4 ] || fail "a setup older than the uninstall entry'"'"'s version was not refused with exit 4 ($code)"
  grep -q "newer than this setup" "$work/older.log" || fail "the refused setup did not say why"
  [ "$(value "$uninstall_key" DisplayVersion)" = $((version + 1)) ] || fail "the refused setup rewrote the uninstall entry"
  wine reg add "$uninstall_key" /v DisplayVersion /t REG_SZ /d "$version" /f >/dev/null
  if [ -n "$older" ]; then
    wine "$older" /S 2>"$work/older.log"
    code=$?
    [ "$code" = 4 ] || fail "the older setup was not refused with exit 4 ($code)"
    [ "$(value "$version_key" ver)" = "$hex" ] || fail "the refused older setup changed ver"
  fi
  cmp -s "$folder/Likenex.exe" "$work/editor-before" || fail "a refused setup replaced Likenex.exe"

  # ---- The quiet uninstall leaves the pictures and nothing else.
  for file in news.html Update.up News.up fullup.exe fullup.exe.sig 3.exe 3.exe.sig opt.dat.new data/merge.log \
              data/merge.journal data/merge-backup/wall.dat data/incoming/files.lst; do
    mkdir -p "$(dirname "$folder/$file")"
    printf x >"$folder/$file"
  done
  quiet=$(value "$uninstall_key" QuietUninstallString)
  uninstaller=${quiet#\"}
  uninstaller=${uninstaller%%\"*}
  arguments=${quiet##*\" }
  wine "$uninstaller" $arguments || fail "the quiet uninstall ended with $?"
  # The uninstaller runs on from a copy of itself; wait for it to finish.
  for _ in $(seq 150); do
    [ ! -e "$folder/Uninstall.exe" ] && ! key_exists "$uninstall_key" && break
    sleep 0.2
  done
  sleep 1
  left=$(cd "$folder" && find . -mindepth 1 | sort | tr "\n" " ")
  [ "$left" = "./photo ./photo/tovik_1234.bmp " ] || fail "the uninstall left $left"
  for key in "$uninstall_key" "HKCU\\Software\\Tovik" "$protocol_key" "HKLM\\Software\\Tovik"; do
    key_exists "$key" && fail "the uninstall left the registry key $key"
  done
  [ ! -e "$(unix_path "$start_menu_link")" ] || fail "the uninstall left the Start-menu shortcut"

  # ---- A folder the person chose, holding a file of theirs, keeps that file.
  # /D takes the rest of the command line unquoted, and wine quotes an argument holding a
  # space: this folder has none.
  shared="$(windows_variable USERPROFILE)\\Tools"
  mkdir -p "$(unix_path "$shared")"
  printf mine >"$(unix_path "$shared")/notes.txt"
  # This time on a system set to Hong Kong'"'"'s Chinese, which reads traditional characters.
  LANG=zh_HK.UTF-8 LC_ALL=zh_HK.UTF-8 wine "$setup" /S "/D=$shared" || fail "the quiet install into $shared ended with $?"
  [ -f "$(unix_path "$shared")/Likenex.exe" ] || fail "/D did not choose the program folder"
  [ -f "$desktop_link" ] || fail "a fresh install after an uninstall made no desktop shortcut"
  [ "$(value "$uninstall_key" InstallLocation)" = "$shared" ] || fail "the uninstall entry does not name $shared"
  [ "$(value "$settings_key" language)" = tw ] ||
    fail "on a Hong Kong system the language is \"$(value "$settings_key" language)\", not tw"
  wine "$(unix_path "$shared")/Uninstall.exe" /S "_?=$shared" || fail "the uninstall from $shared ended with $?"
  rm -f "$(unix_path "$shared")/Uninstall.exe"
  left=$(cd "$(unix_path "$shared")" && find . -mindepth 1 | sort | tr "\n" " ")
  [ "$left" = "./notes.txt " ] || fail "the uninstall from a shared folder left \"$left\""
  key_exists "HKCU\\Software\\Tovik" && fail "the uninstall from $shared left HKCU\\Software\\Tovik"
  [ ! -e "$desktop_link" ] && [ ! -e "$(unix_path "$start_menu_link")" ] || fail "the uninstall from $shared left a shortcut"
  echo "setup-under-wine: version $version installed, started, upgraded, refused when older and removed"
'
status=$?
if [ $status -eq 0 ]; then
  rm -rf "$work"
else
  echo "setup-under-wine: the Wine prefix and a screenshot are kept in $work" >&2
fi
exit $status
