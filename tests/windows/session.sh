#!/usr/bin/env bash
# The Windows executable under Wine as a user runs it, on a virtual X server with openbox, in a
# Japanese locale, driven with the mouse and keys:
#   session.sh CELWRIGHT.EXE PROBE.EXE EXAMPLES OUT_DIR
# It opens walk.cwp from the file menu, then checks that the pattern window "walk" shows the
# same pixels after another window covered and uncovered it and after the main window was
# minimised and restored, and that the image window does the same; it plays the walk pattern
# (every picture shown after an uncover is one of the walk cycle's) and closes the editor.
# OUT_DIR receives what the builds are compared on: the panel's controls at start, after the
# open and while playing (controls-*.txt) and the walk window's still picture (walk.png), with
# screenshots of the whole desktop (screen-*.png).
# Exit code 77 (skipped) when a tool it needs is missing; under CI=true that is a failure.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/wine.sh"
program="$(realpath "$1")" probe_exe="$(realpath "$2")" examples="$(realpath "$3")" out="$4"
: "${WINEPREFIX:?WINEPREFIX names the prefix made by prefix.sh}"
wine_require --wm openbox xdotool wmctrl xwininfo xmessage import compare

mkdir -p "$out"
out="$(realpath "$out")"
rm -f "$out"/*.png "$out"/*.txt
work="$(mktemp -d)"
failures=0
fail() {
  echo "FAIL: $*" >&2
  # The desktop as it was at the first failure, for whoever looks into it.
  [ "$failures" -eq 0 ] && import -window root "$out/screen-failure.png" 2>/dev/null
  failures=$((failures + 1))
}
display_at_exit 'editor_stop; wine_stop; rm -rf "$work"'

wine_environment
display_start --wm openbox || { fail "no X server with openbox running could be started"; exit 1; }
cp "$examples"/walk.cwp "$examples"/walk.spa "$examples"/walk.tim "$work"/

probe() { "$CW_WINE" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
# shot NAME X Y W H: that part of the screen, as it is now.
shot() { import -window root -crop "$4x$5+$2+$3" +repage "$out/$1.png" 2>/dev/null; }
# same A B: two pictures of OUT_DIR hold the same pixels.
same() { [ "$(compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1)" = "0" ]; }
screen() { import -window root "$out/screen-$1.png" 2>/dev/null; }
# wait_for COMMAND...: polls until it succeeds, for up to 10 seconds.
wait_for() {
  for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
  return 1
}
# The pattern window's client area on the screen, "X Y W H".
walk_rect() { probe rect walk; }
# settle: the editor has drawn what it was asked to (two looks a little apart agree).
settle() { sleep 0.6; }
# shot_until NAME X Y W H TEST...: takes that part of the screen again until TEST holds, for up
# to 20 s: on a busy machine the editor may take its time to draw what was uncovered.
shot_until() {
  local name="$1" x="$2" y="$3" w="$4" h="$5" deadline=$((SECONDS + 20))
  shift 5
  while :; do
    shot "$name" "$x" "$y" "$w" "$h"
    "$@" && return 0
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# The editor keeps its tick and wake-up counts in a file: its real main loop is counted.
stats="$work/loop-stats"
counts() {
  tr -d '\r' <"$stats" 2>/dev/null |
    awk '/^ticks / {t=$2} /^wakeups / {w=$2} /^milliseconds / {m=$2} END {print t + 0, w + 0, m + 0}'
}
(cd "$work" && CELWRIGHT_LOOP_STATS="$stats" exec "$CW_WINE" "$program") &
CW_EDITOR=$!
CW_MAIN=$(window_by_name "$CW_TITLE" 60)
[ -n "$CW_MAIN" ] || { fail "the main window \"$CW_TITLE\" did not appear"; exit 1; }
settle
probe controls "$CW_TITLE" "$(resource_id IDC_PLAY_FORWARD)" >"$out/controls-start.txt"

# File > Open through the menu bar's keys, the name typed into Wine's file dialog.
xdotool windowactivate --sync "$CW_MAIN" 2>/dev/null
menu_key alt+f || fail "alt+f opened no file menu"
xdotool key c
dialog=$(window_by_name "ﾌｧｲﾙを開く" 20)
[ -n "$dialog" ] || { fail "the file menu's open item showed no file dialog"; exit 1; }
xdotool windowactivate --sync "$dialog" 2>/dev/null
display_wait 15 active_window_is "$dialog" || fail "the file dialog could not be activated"
# The whole path: the dialog opens in the folder it was last used in.
xdotool type --delay 30 "$("$CW_WINE" winepath -w "$work/walk.cwp" 2>/dev/null | tr -d '\r')"
xdotool key Return
image=$(window_by_name "$CW_IMAGE_TITLE" 20)
[ -n "$image" ] || { fail "opening walk.cwp showed no image window"; exit 1; }
# The open is done when the status bar names the project.
opened() { probe controls "$CW_TITLE" | grep -q 'walk\.cwp'; }
wait_for opened || { fail "the status bar never named walk.cwp"; exit 1; }
[ -n "$(walk_rect)" ] || { fail "opening walk.cwp made no pattern window \"walk\""; exit 1; }
# The image window goes beside the main window, so that the pattern windows can be seen.
moved() {
  local x
  read -r x _ <<<"$(probe rect "$CW_IMAGE_TITLE")"
  [ "${x:-0}" -ge 650 ] || { xdotool windowmove "$image" 700 60; return 1; }
}
wait_for moved || fail "the image window could not be moved beside the main window"
settle
screen open
probe controls "$CW_TITLE" "$(resource_id IDC_PLAY_FORWARD)" >"$out/controls-open.txt"

# Left alone with nothing playing, the editor neither ticks nor wakes up.
sleep 1
read -r t0 k0 <<<"$(counts)"
sleep 3
read -r t1 k1 <<<"$(counts)"
[ "$t1" -eq "$t0" ] || fail "an idle editor ticked $((t1 - t0)) times in 3 s"
[ "$k1" -eq "$k0" ] || fail "an idle editor woke up $((k1 - k0)) times in 3 s"
read -r wx wy ww wh <<<"$(walk_rect)"
[ "$ww $wh" = "200 200" ] || fail "the walk window's client area is ${ww}x$wh, not 200x200"
shot walk "$wx" "$wy" "$ww" "$wh"
read -r ix iy iw ih <<<"$(probe rect "$CW_IMAGE_TITLE")"
shot image "$ix" "$iy" "$iw" "$ih"

# cover X Y W H: another program's window over that part of the screen, shown, then gone.
cover() {
  xmessage -name covering -geometry "$3x$4+$1+$2" -bg red "covering" 2>/dev/null &
  local cover_pid=$!
  [ -n "$(window_by_name covering 20)" ] || echo "the covering window did not show" >&2
  kill "$cover_pid" 2>/dev/null
  wait "$cover_pid" 2>/dev/null
}

cover "$wx" "$wy" "$ww" "$wh"
shot_until walk-uncovered "$wx" "$wy" "$ww" "$wh" same walk walk-uncovered ||
  fail "the walk window was not drawn again after it was uncovered (stopped)"
cover "$ix" "$iy" "$iw" "$ih"
shot_until image-uncovered "$ix" "$iy" "$iw" "$ih" same image image-uncovered ||
  fail "the image window was not drawn again after it was uncovered"
screen uncovered

xdotool windowminimize --sync "$CW_MAIN" 2>/dev/null || xdotool windowminimize "$CW_MAIN"
display_wait 15 iconic "$CW_MAIN" || fail "the main window was not minimised"
xdotool windowactivate "$CW_MAIN" 2>/dev/null || wmctrl -a "$CW_TITLE"
read -r wx wy ww wh <<<"$(walk_rect)"
shot_until walk-restored "$wx" "$wy" "$ww" "$wh" same walk walk-restored ||
  fail "the walk window was not drawn again after the main window was restored"

# The play button, clicked where it is.
read -r bx by bw bh <<<"$(probe control "$CW_TITLE" "$(resource_id IDC_PLAY_FORWARD)")"
xdotool mousemove $((bx + bw / 2)) $((by + bh / 2)) click 1
settle
probe controls "$CW_TITLE" "$(resource_id IDC_PLAY_FORWARD)" >"$out/controls-playing.txt"
# Playing, it ticks once a display frame: never faster than 60 a second, by its own clock.
read -r t0 _ m0 <<<"$(counts)"
sleep 3
read -r t1 _ m1 <<<"$(counts)"
rate=$(awk -v n=$((t1 - t0)) -v ms=$((m1 - m0)) 'BEGIN { printf "%.1f", (ms > 0 ? 1000 * n / ms : 0) }')
echo "playing: $rate ticks a second"
awk -v r="$rate" 'BEGIN { exit !(r > 5 && r <= 63) }' || fail "playing ran $rate ticks a second, not 60"
# Every picture of the walk cycle, as it plays; an uncovered window shows one of them.
for i in $(seq 20); do
  shot "cycle-$i" "$wx" "$wy" "$ww" "$wh"
  sleep 0.05
done
distinct=$(for f in "$out"/cycle-*.png; do compare -metric AE "$f" "$out/walk.png" null: 2>&1; echo; done | sort -u | wc -l)
[ "$distinct" -ge 2 ] || fail "the walk window showed the same picture all the time it played"
in_cycle() {
  local f
  for f in "$out"/cycle-*.png; do
    [ "$(compare -metric AE "$f" "$out/$1.png" null: 2>&1)" = "0" ] && return 0
  done
  return 1
}
cover "$wx" "$wy" "$ww" "$wh"
shot_until playing-uncovered "$wx" "$wy" "$ww" "$wh" in_cycle playing-uncovered ||
  fail "the walk window showed no picture of the cycle after it was uncovered (playing)"
xdotool windowminimize "$CW_MAIN" 2>/dev/null
display_wait 15 iconic "$CW_MAIN" || fail "the main window was not minimised (playing)"
xdotool windowactivate "$CW_MAIN" 2>/dev/null || wmctrl -a "$CW_TITLE"
shot_until playing-restored "$wx" "$wy" "$ww" "$wh" in_cycle playing-restored ||
  fail "the walk window showed no picture of the cycle after a restore (playing)"
screen playing

# Stop, then the close box: nothing was changed, so the editor ends without a question.
read -r sx sy sw sh <<<"$(probe control "$CW_TITLE" "$(resource_id IDC_PLAY_STOP)")"
xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2)) click 1
settle
close_answering n 15
while IFS= read -r problem; do [ -n "$problem" ] && fail "$problem"; done <<<"$CW_CLOSE_PROBLEMS"
rm -f "$out"/cycle-*.png
[ "$failures" -eq 0 ] && echo "the Windows executable drew, repainted, played and closed as a user runs it"
exit $((failures > 0))
