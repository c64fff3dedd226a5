#!/usr/bin/env bash
# Tries the Windows archive and then its installer under Wine as a Windows
# user meets them: one fresh prefix with its own home and no menu entries
# made here, on a virtual display with a window manager. The archive's
# program starts at 100% and 150%; the installer's (the .msi beside the
# archive), installed silently, from its Start menu shortcut. Each time
# the window, its colours, ticking by mouse and Space, the tables and their
# copying, About, Help and Exit must be right (on a failure the window's
# picture is kept). The installer must then be upgraded by a later
# version, refuse an earlier one (test-msi/ beside it), and its removal,
# like the archive's runs, leave the prefix's files, HKCU\Software and
# uninstall entries as the fresh prefix had them.
# Usage: tests/windows_zip_test.sh ZIP [SCREENSHOT_DIR]
set -euo pipefail
shopt -s inherit_errexit
here=$(dirname "$(realpath "$0")")
if [ "${1:-}" != --on-display ]; then
  [[ ${1:-} == *.zip ]] || { echo "Usage: $0 ZIP [SCREENSHOT_DIR] (the installer beside it is tried too)" >&2; exit 2; }
  "$here/../tools/install-packages.sh" wine wine64 xvfb xauth openbox xdotool imagemagick xclip cmake
  shots=${2:+$(realpath -m "$2")}
  exec xvfb-run -a -n 20 -s "-screen 0 1920x1080x24" "$0" --on-display "$(realpath "$1")" "$shots"
fi
zip=$2 shots=$3
[ -z "$shots" ] || mkdir -p "$shots"
scratch=$(mktemp -d)
mkdir "$scratch/home"
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all HOME=$scratch/home \
  WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2>/dev/null || true; kill "${wm:-}" 2>/dev/null || true; rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL ($tried at $dpi dpi): $*" >&2
  local picture=${shots:-$(dirname "$zip")}/windows-$tried-$dpi-failed.png
  [ -z "${window:-}" ] || ! shoot "$picture" || echo "The window as it was: $picture" >&2
  exit 1
}

openbox >/dev/null 2>&1 &
wm=$!
sleep 1
echo "== A fresh Wine prefix"
wineboot -i >"$scratch/wineboot.log" 2>&1 ||
  { cat "$scratch/wineboot.log" >&2; echo "FAIL: Wine could not make its prefix" >&2; exit 1; }
wineserver -w

wait_for_window() {  # wait_for_window TITLE: prints the window's id
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.2
  done
  return 1
}
shoot() { import -window "$window" "$1"; }
# A logical pixel below the menu bar, as physical ones from the corner.
at() { echo "$(((2 * $1 + 1) * scale / 200)) $(((2 * $2 + 1) * scale / 200 + top))"; }
colour_at() {  # colour_at X Y: the hex colour at that logical pixel
  read -r x y <<<"$(at "$1" "$2")"
  convert "$scratch/shot.png" -format "%[hex:p{$x,$y}]" info: | cut -c1-6
}
click_at() {
  read -r x y <<<"$(at "$1" "$2")"
  xdotool mousemove --window "$window" "$x" "$y" click 1
  sleep 0.3
}
copied_from() {  # copied_from X Y: the text of the box there, by Ctrl+A and Ctrl+C
  click_at "$1" "$2"
  xdotool key --window "$window" ctrl+a ctrl+c
  sleep 0.5
  xclip -o -selection clipboard
}
menu_box() {  # menu_box KEYS TITLE: the menu item opens a box titled TITLE
  # shellcheck disable=SC2086 # KEYS is a list of keys
  xdotool windowactivate --sync "$window" key --delay 200 $1
  local box
  box=$(wait_for_window "$2") || fail "$1 shows no box titled \"$2\""
  [ -z "$shots" ] || import -window "$box" "$shots/windows-$tried-$dpi-${2// /-}.png"
  xdotool windowactivate --sync "$box" key Return
  sleep 0.5
  ! xdotool search --onlyvisible --name "^$2\$" >/dev/null || fail "\"$2\" stays open"
}

# What a removal must leave as it was, but for Windows Installer's own
# folders and keys.
state() {  # state FILE
  local key
  {
    find "$WINEPREFIX/drive_c" | grep -v '/Installer\(/\|$\)' | LC_ALL=C sort
    for key in 'HKCU\Software' 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'; do
      wine reg export "$key" "$scratch/key.reg" /y >/dev/null 2>&1
      iconv -f UTF-16 -t UTF-8 "$scratch/key.reg" | tr -d '\r'
    done | grep -v -e '^$' -e '^\[HKEY_CURRENT_USER\\Software\\Microsoft\\Installer[]\\]'  # its keys, but not their values
  } >"$1"
}
installs() {  # installs MSI: silently
  wine msiexec /i "$1" /qn >/dev/null 2>&1 || { wineserver -w; return 1; }
  wineserver -w
}
entries() {  # the uninstall entries of Tolvane, one version a line
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ {name = ""} $1 == "DisplayName" {name = $3} $1 == "DisplayVersion" && name == "Tolvane" {print $3}'
}
lifecycle() {
  echo "== A later version over it, an earlier one refused, then removed"
  local later=${zip%/*}/test-msi/tolvane-9.0-win64.msi earlier=${zip%/*}/test-msi/tolvane-0.9-win64.msi
  [[ -f $later && -f $earlier ]] || fail "no installers of other versions beside it ($later)"
  installs "$later" || fail "msiexec could not install a later version over it"
  [ "$(entries)" = 9.0 ] || fail "after the later version, the uninstall entries are: $(entries | paste -sd ' ')"
  [ -f "$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/Programs/Tolvane/tolvane.exe" ] ||
    fail "no tolvane.exe after the later version"
  ! installs "$earlier" || fail "an earlier version installed over a later one"
  [ "$(entries)" = 9.0 ] || fail "after the earlier version, the uninstall entries are: $(entries | paste -sd ' ')"
  wine msiexec /x "$later" /qn >/dev/null 2>&1 || fail "msiexec could not remove Tolvane"
  wineserver -w
  state "$scratch/after"
  diff "$scratch/fresh" "$scratch/after" >&2 || fail "the removal left the prefix otherwise than before"
}

set_dpi() {  # set_dpi DPI: the desktop's, for the programs started next
  dpi=$1 scale=$(($1 * 100 / 96))
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >"$scratch/reg.log" 2>&1 ||
      fail "wine reg could not set $key: $(cat "$scratch/reg.log")"
  done
  wineserver -w  # and with it the settings Wine keeps while a program runs
}
try_window() {  # the program that $start starts
  echo "== The $tried's tolvane.exe at $scale%"
  "${start[@]}" >/dev/null 2>&1 &
  app=$!
  window=$(wait_for_window Tolvane) || fail "no window titled Tolvane"
  xdotool windowactivate --sync "$window"
  sleep 1
  shoot "$scratch/shot.png"
  # The client area starts where the window's dark blue background does.
  top=$(convert "$scratch/shot.png" -crop "1x200+$((scale / 50))+0" txt:- |
    awk -F'[,: ]+' '/#000040/ && top == "" {top = $2} END {print top}')
  [ -n "$top" ] || fail "no dark blue background below the menu bar"
  # First cells of each register, the background, the labels and notices.
  for spot in 17,9,ffff00 81,9,0000ff 209,9,ff0000 17,121,ffff00 2,2,000040 350,320,000040 \
    56,160,ffff00 56,200,0000ff 56,240,ff0000 350,275,000000 210,308,000000; do
    IFS=, read -r x y want <<<"$spot"
    got=$(colour_at "$x" "$y" | tr A-F a-f)
    [ "$got" = "$want" ] || fail "#$got at $x,$y, not #$want"
  done
  # Check141 and Check145 by mouse, then Tab to Check146 and Space.
  click_at 31 127
  click_at 95 127
  xdotool key --window "$window" Tab space
  sleep 0.3
  click_at 276 160  # Create Code
  [ -z "$shots" ] || shoot "$shots/windows-$tried-$dpi-dpi.png"
  pf0=$(copied_from 144 160) pf1=$(copied_from 144 200) pf2=$(copied_from 144 240)
  [ "$pf0" = "10, 00, 00, 00, 00, 00, 00, 00" ] || fail "PF0 table \"$pf0\""
  [ "$pf1" = "C0, 00, 00, 00, 00, 00, 00, 00" ] || fail "PF1 table \"$pf1\""
  [ "$pf2" = "00, 00, 00, 00, 00, 00, 00, 00" ] || fail "PF2 table \"$pf2\""
  menu_box "alt+s a" "About Tolvane"
  menu_box "alt+s h" "Help"
  xdotool windowactivate --sync "$window" key --delay 200 alt+f x
  for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
  ! kill -0 "$app" 2>/dev/null || fail "Exit did not end Tolvane"
  window=""
  ! xdotool search --onlyvisible --name '^Tolvane$' >/dev/null || fail "Exit left a window titled Tolvane"
  echo "   window, colours, tables, copying, About, Help and Exit: right"
}

tried=archive dpi=96
msi=${zip%.zip}.msi
[ -f "$msi" ] || fail "no installer $msi beside the archive"
state "$scratch/fresh"
mkdir "$scratch/app"
(cd "$scratch/app" && cmake -E tar xf "$zip")
start=(wine "$scratch/app/tolvane.exe")
for dpi in 96 144; do set_dpi "$dpi"; try_window; done

# Wine writes the desktop's DPI into HKCU\Software at each start: set back
# to the fresh prefix's before its state is taken.
set_dpi 96
state "$scratch/before"
diff "$scratch/fresh" "$scratch/before" >&2 || fail "the archive's program left the prefix otherwise than before"
tried=installer
installs "$msi" || fail "msiexec could not install $msi"
shortcut="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tolvane.lnk"
[ -f "$shortcut" ] || fail "no Start menu shortcut Tolvane.lnk"
start=(wine start /wait /unix "$shortcut")
try_window
lifecycle
echo "The Windows archive works under Wine at 100% and 150%, and its installer installs," \
  "starts, upgrades and removes"
