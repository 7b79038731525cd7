#!/usr/bin/env bash
# A newcomer's first minutes with the editor, on a real desktop (Xvfb with openbox), driven with
# the mouse and the keys as a user drives it, on either build:
#   journey.sh native CELWRIGHT EXAMPLES OUT
#   journey.sh wine CELWRIGHT.EXE EXAMPLES OUT PROBE.EXE     (in the prefix $WINEPREFIX)
# In a fresh copy of the example: walk.cwp named on the command line opens, with the image window
# beside the main window; the image window is dragged by its title bar; walk plays and stops; a
# timing typed and taken with Enter is undone and redone by key and by menu, and the title's mark
# follows the saved state; Ctrl+S saves; the walk window is maximised (the frame's title names it)
# and restored by its caption buttons; the background colour is chosen in the real colour dialog
# and shows in its swatch; the close box with unsaved changes asks, Escape keeps the editor, No
# ends it; the console preview is switched on and off by the view menu's keys; the next start puts the image window back where it was left, and File > Open opens the
# project again.
# At each named point OUT receives the screen (POINT.png), the place of the main window's client
# area on it (POINT.origin: "X Y") and the main window's title (POINT.title); the saved files
# (walk.cwp, walk.spa) are kept. tests/journeys/compare.sh compares the two builds' points.
# Exit code 77 (skipped) when a tool it needs is missing; under CI=true that is a failure.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
kind="$1" program="$(realpath "$2")" examples="$(realpath "$3")" out="$4" probe_exe="${5:-}"
case "$kind" in
  native) source "$here/../desktop/session.sh"
          missing=$(display_missing_tools --wm openbox)
          for t in xdotool wmctrl xwininfo import python3; do command -v "$t" >/dev/null || missing+=" $t"; done
          [ -z "${missing// /}" ] || display_skip "not installed: $missing (tools/install-deps.sh installs them)" ;;
  wine) source "$here/../windows/wine.sh"
        : "${WINEPREFIX:?WINEPREFIX names the prefix made by tests/windows/prefix.sh}"
        wine_require --wm openbox xdotool wmctrl xwininfo import python3
        wine_environment ;;
  *) echo "usage: journey.sh native|wine PROGRAM EXAMPLES OUT [PROBE]" >&2; exit 2 ;;
esac

mkdir -p "$out"
out="$(realpath "$out")"
rm -f "$out"/*.png "$out"/*.origin "$out"/*.title "$out"/walk.*
work="$(mktemp -d)"
cp "$examples"/walk.cwp "$examples"/walk.spa "$examples"/walk.tim "$work"/
failures=0
fail() {
  echo "FAIL ($kind): $*" >&2
  [ "$failures" -eq 0 ] && import -window root "$out/failure.png" 2>/dev/null
  failures=$((failures + 1))
}
display_at_exit 'editor_stop; [ "$kind" = wine ] && wine_stop; rm -rf "$work"'
display_start --wm openbox || { fail "no X server with openbox running could be started"; exit 1; }

# ---- the editor and its windows ---------------------------------------------------------------

start_editor() {
  if [ "$kind" = wine ]; then
    (cd "$work" && exec "$CW_WINE" "$program" "$@") &
  else
    (cd "$work" && exec env -u QT_QPA_PLATFORM "$program" "$@") &
  fi
  CW_EDITOR=$!
  CW_MAIN=""
  local deadline=$((SECONDS + 60))
  while [ -z "$CW_MAIN" ] && [ "$SECONDS" -lt "$deadline" ]; do
    CW_MAIN=$(xdotool search --onlyvisible --name "^$CW_TITLE" 2>/dev/null | head -n 1)
    [ -n "$CW_MAIN" ] || sleep 0.2
  done
  [ -n "$CW_MAIN" ] && display_wait 20 managed "$CW_MAIN"
}

# The main window's title as the desktop shows it.
title() { xprop -id "$CW_MAIN" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }
title_is() { [ "$(title)" = "$1" ]; }
expect_title() {
  display_wait 15 title_is "$1" || fail "$2: the title is \"$(title)\", not \"$1\""
}

# The main window's client area on the screen: the desktop's window holds the menu bar and the
# client area, which a first start makes 640 x 480.
client_origin() {
  local x y w h
  read -r x y w h <<<"$(geometry "$CW_MAIN")"
  echo "$x $((y + h - 480))"
}

# at NAME [DX DY]: a point of a place of layout.txt on the screen (its centre, or DX DY into it).
at() {
  local name="$1" cx cy x y w h
  read -r cx cy <<<"$(client_origin)"
  read -r _ _ _ x y w h <<<"$(grep -E "^$name " "$here/layout.txt")"
  echo "$((cx + x + ${2:-$((w / 2))})) $((cy + y + ${3:-$((h / 2))}))"
}

# click_at X Y [COUNT]: the pointer there, then the left button pressed and released.
click_at() {
  xdotool mousemove "$1" "$2"
  sleep 0.1
  xdotool click --repeat "${3:-1}" --delay 120 1
}

# settle: what the editor was asked to draw is on the screen (two looks a little apart agree).
settle() {
  local a b
  for _ in $(seq 30); do
    a=$(import -window root -crop 640x520+0+0 png:- 2>/dev/null | md5sum)
    sleep 0.3
    b=$(import -window root -crop 640x520+0+0 png:- 2>/dev/null | md5sum)
    [ "$a" = "$b" ] && return 0
  done
}

# point NAME: the screen, where the client area lies on it and the title, for the comparison.
point() {
  settle
  import -window root "$out/$1.png" 2>/dev/null
  client_origin >"$out/$1.origin"
  title >"$out/$1.title"
}

# the_window_of NAME: a visible window titled NAME, waiting up to 30 s.
image_window() { window_by_name "$CW_IMAGE_TITLE" 30; }

# A window the editor opened on top (a dialog), once it is the active one.
dialog_opened() {
  local before="$1" now
  now=$(xdotool getactivewindow 2>/dev/null)
  [ -n "$now" ] && [ "$now" != "$before" ] && [ "$now" != "$CW_MAIN" ]
}

# key_in_main KEYS...: the main window active, then the keys.
key_in_main() {
  xdotool windowactivate --sync "$CW_MAIN" 2>/dev/null
  display_wait 10 active_window_is "$CW_MAIN"
  xdotool key --delay 80 "$@"
}

# ---- the journey ------------------------------------------------------------------------------

name="$CW_TITLE - walk.cwp"

# A first start with the project named on the command line.
start_editor walk.cwp || { fail "the main window did not appear"; exit 1; }
expect_title "$name" "opened from the command line"
image=$(image_window)
[ -n "$image" ] || { fail "opening walk.cwp showed no image window"; exit 1; }
display_wait 15 managed "$image"
read -r mx my mw mh <<<"$(frame_geometry "$CW_MAIN")"
read -r cx cy <<<"$(client_origin)"
read -r ix iy iw ih <<<"$(frame_geometry "$image")"
echo "first start: main frame $mx,$my ${mw}x$mh, client at $cx,$cy; image window frame $ix,$iy"
# Beside the main window, level with its client area: over neither its title nor its menu bar.
[ "$ix" -ge $((mx + mw - 4)) ] || fail "the image window (frame at $ix,$iy) is not beside the main window"
[ "$iy" -ge $((cy - 8)) ] && [ "$iy" -le $((cy + 8)) ] ||
  fail "the image window's top ($iy) is not level with the main window's client area ($cy)"
if [ "$kind" = wine ]; then
  # The places the journey clicks are where the system has the windows.
  layout=$("$CW_WINE" "$probe_exe" layout "$CW_TITLE" 2>/dev/null | tr -d '\r')
  while read -r n class id x y w h; do
    [[ -z "$n" || "$n" == \#* ]] && continue
    read -r px py pw ph <<<"$(awk -v c="$class" -v i="$(resource_id "$id")" '$1 == c && $2 == i {print $3, $4, $5, $6; exit}' <<<"$layout")"
    [ "${px:-}" = "$x" ] && [ "${py:-}" = "$y" ] && [ "${pw:-0}" -ge "$w" ] && [ "${ph:-0}" -ge "$h" ] ||
      fail "the system has $n ($class $id) at ${px:-?},${py:-?} ${pw:-?}x${ph:-?}, layout.txt at $x,$y ${w}x$h"
  done <"$here/layout.txt"
fi
point opened

# The image window dragged by its title bar to another place.
read -r ix iy iw ih <<<"$(frame_geometry "$image")"
xdotool mousemove $((ix + 60)) $((iy + 8))
sleep 0.2
xdotool mousedown 1
xdotool mousemove $((ix + 80)) $((iy + 40))
sleep 0.2
xdotool mousemove 760 560
sleep 0.3
xdotool mouseup 1
moved() { read -r nx ny _ <<<"$(frame_geometry "$image")"; [ "$nx" -eq 700 ] && [ "$ny" -eq 552 ]; }
display_wait 10 moved || fail "the image window's frame went to $(frame_geometry "$image"), not 700,552"
left_at="$(frame_geometry "$image")"

# Play, then stop: the walk window shows more than one picture while it plays, and the still
# picture again once stopped.
read -r wx wy <<<"$(at walk 0 0)"
walk_shot() { import -window root -crop "200x200+$wx+$wy" +repage "$out/$1.png" 2>/dev/null; }
walk_shot still-before
read -r px py <<<"$(at play_forward)"
click_at "$px" "$py"
# Looks until a second picture shows, for up to 30 s on a busy machine; a screenshot that could
# not be taken counts for nothing.
pictures="" shots=0
for i in $(seq 120); do
  rm -f "$out/playing.png"
  if walk_shot playing && [ -s "$out/playing.png" ]; then
    shots=$((shots + 1))
    pictures+="$(md5sum <"$out/playing.png" | cut -c1-32)"$'\n'
    [ "$(sort -u <<<"$pictures" | grep -c .)" -ge 2 ] && break
  fi
  sleep 0.2
done
rm -f "$out"/playing.png
[ "$(sort -u <<<"$pictures" | grep -c .)" -ge 2 ] ||
  fail "the walk window showed one picture while it played ($shots screenshots)"
read -r sx sy <<<"$(at play_stop)"
click_at "$sx" "$sy"
point stopped
walk_shot still-after
[ "$(compare -metric AE "$out/still-before.png" "$out/still-after.png" null: 2>&1)" = 0 ] ||
  fail "stopped, the walk window does not show its still picture again"

# A timing typed and taken by Enter is the project's step: the title marks it, Ctrl+Z takes it
# back to what was saved (no mark), Ctrl+Y brings it again, and the edit menu does the same.
read -r tx ty <<<"$(at timing)"
click_at "$tx" "$ty"
xdotool key --delay 60 End BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 60 12
xdotool key Return
expect_title "$name *" "a timing typed and taken with Enter"
point typed
xdotool key ctrl+z
expect_title "$name" "Ctrl+Z after Enter"
point undone
xdotool key ctrl+y
expect_title "$name *" "Ctrl+Y"
key_in_main alt+e u
expect_title "$name" "Edit > Undo"
key_in_main alt+e r
expect_title "$name *" "Edit > Redo"
# Saving over the project asks first; Yes writes both files.
key_in_main ctrl+s
question=$(window_by_name "ﾌｧｲﾙの保存" 20)
if [ -n "$question" ]; then
  xdotool windowactivate --sync "$question" 2>/dev/null
  display_wait 10 active_window_is "$question"
  xdotool key Return
else
  fail "Ctrl+S did not ask before writing over the project"
fi
expect_title "$name" "Ctrl+S"
cp "$work/walk.cwp" "$work/walk.spa" "$out"/

# The walk window maximised by its caption's button, and restored by the button the menu bar
# shows for it then.
read -r wx wy <<<"$(at walk 0 0)"
click_at $((wx + 176)) $((wy - 14))
expect_title "$name - [walk]" "the walk window maximised"
point maximised
read -r mx my mw mh <<<"$(geometry "$CW_MAIN")"
click_at $((mx + mw - 26)) $((my + 9))
expect_title "$name" "the walk window restored"

# The background colour chosen in the real colour dialog: a pure red cell clicked, OK.
active=$(xdotool getactivewindow)
read -r bx by <<<"$(at background_change)"
click_at "$bx" "$by"
if display_wait 20 dialog_opened "$active"; then
  dialog=$(xdotool getactivewindow)
  settle
  import -window "$dialog" "$out/colour-dialog.png" 2>/dev/null
  read -r dx dy _ <<<"$(geometry "$dialog")"
  cell=$(python3 "$here/find_colour.py" "$out/colour-dialog.png" 255 0 0)
  if [ -n "$cell" ]; then
    read -r rx ry <<<"$cell"
    click_at $((dx + rx)) $((dy + ry))
    xdotool key Return
    display_wait 15 active_window_is "$CW_MAIN" || fail "OK did not close the colour dialog"
  else
    fail "the colour dialog shows no red cell to click"
    xdotool key Escape
  fi
else
  fail "the background colour's button opened no dialog"
fi
point coloured
read -r qx qy <<<"$(at swatch_background)"
swatch=$(convert "$out/coloured.png" -crop "1x1+$qx+$qy" -format '%[pixel:p{0,0}]' info: 2>/dev/null)
[ "$swatch" = "srgb(255,0,0)" ] || fail "the background swatch shows $swatch, not the red chosen"

# The view menu's console preview by its keys: the walk window drawn by the console's rules (the
# builds must agree on its pixels), then the editor's drawing again.
key_in_main alt+v c
settle
point console
key_in_main alt+v c

# A change left unsaved: the close box asks; Escape keeps the editor, No ends it.
click_at "$tx" "$ty"
xdotool key --delay 60 End BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 60 7
xdotool key Return
expect_title "$name *" "a second timing"
close_answering Escape 3
[[ "$CW_CLOSE_PROBLEMS" == *"did not end"* ]] || fail "Escape at the question whether to save ended the editor"
close_answering n 15
while IFS= read -r problem; do [ -n "$problem" ] && fail "$problem"; done <<<"$CW_CLOSE_PROBLEMS"
cmp -s "$work/walk.spa" "$out/walk.spa" || fail "No at the question changed the saved data file"

# The next start: the image window comes back where it was left; File > Open opens the project.
start_editor || { fail "the main window did not appear again"; exit 1; }
expect_title "$CW_TITLE" "started again"
before=$(xdotool getactivewindow)
key_in_main alt+f c
if display_wait 20 dialog_opened "$before"; then
  if [ "$kind" = wine ]; then
    xdotool type --delay 30 "$("$CW_WINE" winepath -w "$work/walk.cwp" 2>/dev/null | tr -d '\r')"
  else
    xdotool type --delay 30 "$work/walk.cwp"
  fi
  xdotool key Return
else
  fail "File > Open showed no file dialog"
fi
expect_title "$name" "opened by File > Open"
image=$(image_window)
if [ -n "$image" ]; then
  display_wait 15 managed "$image"
  [ "$(frame_geometry "$image")" = "$left_at" ] ||
    fail "the image window came back at $(frame_geometry "$image"), not where it was left ($left_at)"
else
  # Opening a project hides it; the view menu shows it again.
  key_in_main alt+v i
  image=$(image_window)
  [ -n "$image" ] && [ "$(frame_geometry "$image")" = "$left_at" ] ||
    fail "the image window came back at $(frame_geometry "${image:-0}"), not where it was left ($left_at)"
fi
point reopened
close_answering n 15
while IFS= read -r problem; do [ -n "$problem" ] && fail "$problem"; done <<<"$CW_CLOSE_PROBLEMS"

[ "$failures" -eq 0 ] && echo "the journey passed on the $kind build"
exit $((failures > 0))
