#!/usr/bin/env bash
# The editor on a virtual X server under a real window manager, driven as a user drives it:
#   check_desktop.sh WM PROGRAM TESTDATA [SCREENSHOT_DIR]
# Start; the main window's title bar is on screen; a click on the menu bar opens the menu;
# New with an image shows the image window at the main window's client area; over 3 s
# neither the editor nor the window manager uses more than 10 % of a core and the active
# window changes at most twice; a pattern added through the edit menu's keys is a change, so the
# close box asks whether to save it: Escape keeps the editor running, and after No it ends with
# exit code 0.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/session.sh"
wm="$1" program="$2" testdata="$3" shots="${4:-}"
failures=0
fail() { echo "FAIL ($wm): $*" >&2; failures=$((failures + 1)); }

missing=$(display_missing_tools --wm "$wm")
for tool in xdotool wmctrl xwininfo import; do command -v "$tool" >/dev/null || missing+=" $tool"; done
[ -z "${missing// /}" ] || display_skip "not installed: $missing (tools/install-deps.sh installs them)"
work="$(mktemp -d)"
display_at_exit 'editor_stop; rm -rf "$work"'
display_start --wm "$wm" || { fail "no X server with $wm running could be started"; exit 1; }
editor_start "$program" "$work" || { fail "the main window did not appear"; exit 1; }
display_wait 15 managed "$CW_MAIN" || fail "$wm did not take the main window in"

read -r fx fy fw fh <<<"$(frame_geometry "$CW_MAIN")"
read -r cx cy cw ch <<<"$(geometry "$CW_MAIN")"
echo "main window: frame $fx,$fy ${fw}x$fh, inside at $cx,$cy"
[ "$fx" -ge 0 ] && [ "$fy" -ge 0 ] || fail "the main window's frame starts off screen at $fx,$fy"
[ "$cy" -gt "$fy" ] || fail "the main window has no title bar above its inside ($fy, $cy)"
[ "$fx" -le 8 ] && [ "$fy" -le 8 ] || fail "the main window is not at the top-left corner ($fx,$fy)"

before=$(editor_windows)
menu_click 20 || fail "a click on the menu bar opened no menu ($before windows, then $(editor_windows))"
xdotool key Escape
menu_closed() { [ "$(editor_windows)" -le "$before" ]; }
display_wait 15 menu_closed || fail "Escape did not close the menu"

new_project "$testdata/tim/sheet64x48.bmp" || fail "New with an image showed no image window"
if [ -n "${CW_IMAGE:-}" ]; then
  display_wait 15 managed "$CW_IMAGE" || fail "$wm did not take the image window in"
  read -r ix iy iw ih <<<"$(frame_geometry "$CW_IMAGE")"
  menu_bottom=$((cy + 18))
  echo "image window: frame $ix,$iy ${iw}x$ih"
  [ "$iy" -ge "$menu_bottom" ] || fail "the image window covers the main window's menu bar (top $iy)"
  # An owned window stays above its owner: the desktop knows the main window as its owner.
  owner=$(xprop -id "$CW_IMAGE" WM_TRANSIENT_FOR 2>/dev/null | awk '/window id/ {print $NF}')
  [ -n "$owner" ] && [ "$((owner))" -eq "$CW_MAIN" ] ||
    fail "the image window is not kept above the main window (WM_TRANSIENT_FOR ${owner:-none})"
  [ -n "$shots" ] && import -window root "$shots/desktop-$wm.png" 2>/dev/null
  read -r editor_cpu wm_cpu changes <<<"$(measure 3)"
  echo "over 3 s with the image window up: editor $editor_cpu %, $wm $wm_cpu %, $changes activation changes"
  awk -v c="$editor_cpu" 'BEGIN { exit !(c <= 10) }' || fail "the editor used $editor_cpu % of a core"
  awk -v c="$wm_cpu" 'BEGIN { exit !(c <= 10) }' || fail "$wm used $wm_cpu % of a core"
  [ "$changes" -le 2 ] || fail "the active window changed $changes times"
fi

# A change to the project: a pattern added through the edit menu's keys and its dialog's OK.
xdotool windowactivate --sync "$CW_MAIN" 2>/dev/null
before=$(editor_windows)
xdotool key alt+e
more_windows() { [ "$(editor_windows)" -gt "$before" ]; }
display_wait 15 more_windows || fail "alt+e opened no edit menu"
xdotool key a
added=$(window_by_name "ﾊﾟﾀｰﾝ追加" 10)
if [ -n "$added" ]; then
  xdotool windowactivate --sync "$added" 2>/dev/null
  xdotool key Return
  dialog_gone() { [ -z "$(xdotool search --onlyvisible --name "^ﾊﾟﾀｰﾝ追加\$" 2>/dev/null)" ]; }
  display_wait 15 dialog_gone || fail "OK did not close the add-pattern dialog"
else
  fail "the edit menu's keys opened no add-pattern dialog"
fi
# Escape at the question keeps the editor and its project: nothing is lost by one stray key.
close_answering Escape 3
[[ "$CW_CLOSE_PROBLEMS" == *"did not end"* ]] || fail "Escape at the question whether to save ended the editor"
# No ends it.
close_answering n 10
while IFS= read -r problem; do [ -n "$problem" ] && fail "$problem"; done <<<"$CW_CLOSE_PROBLEMS"
[ "$failures" -eq 0 ] && echo "all desktop checks passed under $wm"
exit $((failures > 0))
