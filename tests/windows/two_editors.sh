#!/usr/bin/env bash
# Two runs of the Windows executable under Wine in one folder, as a user starts a second editor
# while the first one edits:
#   two_editors.sh CELWRIGHT.EXE EXAMPLES
# The first opens walk.cwp (named on its command line), adds a frame and keeps running, its
# recovery copy written. A second one started in the same folder is not offered that copy, and
# the copy stays as it was. Once the first has been killed (as a crash ends it), a third start
# offers it. Exit code 77 (skipped) when a tool it needs is missing; under CI=true that is a
# failure.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/wine.sh"
program="$(realpath "$1")" examples="$(realpath "$2")"
: "${WINEPREFIX:?WINEPREFIX names the prefix made by prefix.sh}"
wine_require --wm openbox xdotool wmctrl

work="$(mktemp -d)"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
first="" second="" third=""
stop_all() {
  local p
  for p in $first $second $third; do kill -9 "$p" 2>/dev/null; done
  wine_stop
  rm -rf "$work"
}
display_at_exit stop_all

wine_environment
display_start --wm openbox || { fail "no X server with openbox running could be started"; exit 1; }
cp "$examples"/walk.cwp "$examples"/walk.spa "$examples"/walk.tim "$work"/
copy="$work/Celwin.rcv"
offer_title="ﾌﾟﾛｼﾞｪｸﾄの復元"

# start_editor [ARGUMENT]: an editor in the work folder; its process id in $started.
start_editor() {
  (cd "$work" && exec "$CW_WINE" "$program" "$@") &
  started=$!
}
copy_sum() { cat "$copy"/* 2>/dev/null | md5sum; }
copy_written() { [ -f "$copy/recovery.inf" ]; }
process_ended() { ! kill -0 "$1" 2>/dev/null; }
# close_window ID PID: the window's close box; the process must end.
close_window() {
  wmctrl -i -c "$(printf '0x%x' "$1")"
  display_wait 20 process_ended "$2" || { kill -9 "$2" 2>/dev/null; return 1; }
}

walk=$("$CW_WINE" winepath -w "$work/walk.cwp" 2>/dev/null | tr -d '\r')
start_editor "$walk"
first=$started
main=$(window_by_name "$CW_TITLE - walk.cwp" 60)
[ -n "$main" ] || { fail "the first editor did not open walk.cwp"; exit 1; }
xdotool windowactivate --sync "$main" 2>/dev/null
display_wait 15 active_window_is "$main" || fail "the first editor's window could not be activated"
menu_key alt+e || fail "alt+e opened no edit menu"
xdotool key f
display_wait 30 copy_written || { fail "the first editor wrote no recovery copy after adding a frame"; exit 1; }
echo "the first editor keeps its recovery copy"
before=$(copy_sum)

start_editor
second=$started
main=$(window_by_name "$CW_TITLE" 60)
[ -n "$main" ] || { fail "the second editor's main window did not appear"; exit 1; }
[ -z "$(window_by_name "$offer_title" 5)" ] || fail "the second editor offered the running editor's copy"
close_window "$main" "$second" || fail "the second editor did not end at its close box"
second=""
if [ "$(copy_sum)" = "$before" ]; then
  echo "the second editor left the running editor's copy alone"
else
  fail "the running editor's copy changed while the second editor ran"
fi

kill -9 "$first"
wait "$first" 2>/dev/null
first=""
start_editor
third=$started
offer=$(window_by_name "$offer_title" 60)
if [ -n "$offer" ]; then
  echo "after the first editor was killed, its copy was offered"
  xdotool windowactivate --sync "$offer" 2>/dev/null
  xdotool key n
  copy_gone() { ! [ -e "$copy" ]; }
  display_wait 15 copy_gone || fail "the copy declined at the third start was not removed"
else
  fail "the third start did not offer the copy of the editor that was killed"
fi
main=$(window_by_name "$CW_TITLE" 30)
[ -n "$main" ] && close_window "$main" "$third"
third=""

[ "$failures" -eq 0 ] && echo "two Windows editors in one folder kept their recovery copies apart"
exit $((failures > 0))
