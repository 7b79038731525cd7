#!/usr/bin/env bash
# The Windows executable under Wine, on a virtual X server with a window manager, in a Japanese
# locale, driven as a user drives it:
#   smoke.sh CELWRIGHT.EXE PROBE.EXE TESTDATA [SCREENSHOT_DIR]
# It starts and shows its main window titled "Celwright for Win32 Ver 1.2" with a 640 x 480
# client area; New with a BMP of the test data (the hint, then Wine's own file dialog) shows the
# image window, and the tree's project item is still checked; the close box, after No to the
# question whether to save the project, ends it with exit code 0, leaving a configuration file
# whose fill record has its 100-byte layout. Then a project named on its command line opens, and
# a PNG sheet named there (decoded by the system's GDI+) starts a new project with its image
# window up, while a broken PNG is refused with the program's message.
# Exit code 77 (skipped) when a tool it needs is missing; under CI=true that is a failure.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/wine.sh"
program="$(realpath "$1")" probe="$(realpath "$2")" testdata="$(realpath "$3")" shots="${4:-}"
: "${WINEPREFIX:?WINEPREFIX names the prefix made by prefix.sh}"
wine_require --wm openbox xdotool wmctrl import

work="$(mktemp -d)"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
display_at_exit 'editor_stop; wine_stop; rm -rf "$work"'

wine_environment
display_start --wm openbox || { fail "no X server with openbox running could be started"; exit 1; }

probe() { "$CW_WINE" "$probe" "$@" 2>/dev/null | tr -d '\r'; }

(cd "$work" && exec "$CW_WINE" "$program") &
CW_EDITOR=$!
# The first start on a new display also starts Wine's own processes: allow for it.
CW_MAIN=$(window_by_name "$CW_TITLE" 60)
[ -n "$CW_MAIN" ] || { fail "the main window \"$CW_TITLE\" did not appear"; exit 1; }
echo "the main window is up"

client=$(probe client "$CW_TITLE")
echo "client area: $client"
[ "$client" = "640 480" ] || fail "the main window's client area is ${client:-unknown}, not 640 480"

# File > New through the menu bar's keys: the hint first, then Wine's file dialog.
xdotool windowactivate --sync "$CW_MAIN" 2>/dev/null
display_wait 15 active_window_is "$CW_MAIN" || fail "the main window could not be activated"
menu_key alt+f || fail "alt+f opened no file menu"
xdotool key n
hint=$(window_by_name "新規作成" 15)
[ -n "$hint" ] || fail "New showed no hint before the file dialog"
xdotool windowactivate --sync "$hint" 2>/dev/null
xdotool key Return
dialog=$(window_by_name "ﾌｧｲﾙを開く" 20)
image=""
if [ -z "$dialog" ]; then
  fail "New opened no file dialog"
else
  xdotool windowactivate --sync "$dialog" 2>/dev/null
  display_wait 15 active_window_is "$dialog" || fail "the file dialog could not be activated"
  bmp=$("$CW_WINE" winepath -w "$testdata/tim/sheet64x48.bmp" 2>/dev/null | tr -d '\r')
  xdotool type --delay 30 "$bmp"
  xdotool key Return
  image=$(window_by_name "$CW_IMAGE_TITLE" 20)
  [ -n "$image" ] || fail "New with $bmp showed no image window"
  [ "$(probe visible "$CW_IMAGE_TITLE")" = "1" ] || fail "the system does not see the image window visible"
  # The project item keeps the check mark it was given when the tree was made.
  check=$(probe tree-check "$CW_TITLE")
  [ "$check" = "2" ] || fail "the project item's check box shows state ${check:-unknown}, not checked"
fi
sleep 1
[ -n "$shots" ] && mkdir -p "$shots" && import -window root "$shots/wine-editor.png" 2>/dev/null &&
  echo "screenshot: $shots/wine-editor.png"

# The close box: the project has no changes, so the editor ends without a question.
close_answering n 15
while IFS= read -r problem; do [ -n "$problem" ] && fail "$problem"; done <<<"$CW_CLOSE_PROBLEMS"
[ -z "$CW_CLOSE_PROBLEMS" ] && echo "the editor ended with exit code 0"

# The configuration keeps the 32-bit blit-effects record: size field 100 at offset 2676.
config="$work/Celwin.cfg"
if [ -f "$config" ]; then
  size_field=$(od -An -t u4 -j 2676 -N 4 "$config" | tr -d ' ')
  [ "$size_field" = "100" ] || fail "the configuration's fill record starts with ${size_field:-nothing}, not 100"
else
  fail "the editor wrote no configuration file"
fi
# A project named on the command line, in a folder whose Japanese name has a space (Shift-JIS
# on the command line the program gets), opened from another
# folder: it opens, its image found beside it, and the title names it.
mkdir -p "$work/歩き walk"
cp "$here/../../examples/walk.cwp" "$here/../../examples/walk.spa" "$here/../../examples/walk.tim" "$work/歩き walk/"
walk=$("$CW_WINE" winepath -w "$work/歩き walk/walk.cwp" 2>/dev/null | tr -d '\r')
(cd "$work" && exec "$CW_WINE" "$program" "$walk") &
CW_EDITOR=$!
opened=$(window_by_name "$CW_TITLE - walk.cwp" 60)
if [ -n "$opened" ]; then
  echo "the project named on the command line opened"
else
  fail "celwright.exe \"$walk\" showed no main window titled \"$CW_TITLE - walk.cwp\""
fi
close_answering n 15
while IFS= read -r problem; do [ -n "$problem" ] && fail "$problem"; done <<<"$CW_CLOSE_PROBLEMS"

# A PNG sheet of 16 colours with a transparent index 0, which GDI+ hands out as ARGB colours.
cp "$testdata/png/sheet_pal4_trns.png" "$work/歩き walk/sheet.png"
sheet=$("$CW_WINE" winepath -w "$work/歩き walk/sheet.png" 2>/dev/null | tr -d '\r')
(cd "$work" && exec "$CW_WINE" "$program" "$sheet") &
CW_EDITOR=$!
if [ -n "$(window_by_name "$CW_TITLE - 新規ｱﾆﾒｰｼｮﾝ.cwp" 60)" ]; then
  [ -n "$(window_by_name "$CW_IMAGE_TITLE" 20)" ] && [ "$(probe visible "$CW_IMAGE_TITLE")" = "1" ] &&
    echo "the PNG sheet named on the command line opened in the image window" ||
    fail "the PNG sheet $sheet opened no image window"
  sleep 1
  [ -n "$shots" ] && import -window root "$shots/wine-png-sheet.png" 2>/dev/null &&
    echo "screenshot: $shots/wine-png-sheet.png"
else
  fail "celwright.exe \"$sheet\" started no new project over the sheet"
fi
close_answering n 15
while IFS= read -r problem; do [ -n "$problem" ] && fail "$problem"; done <<<"$CW_CLOSE_PROBLEMS"
# The same sheet cut short: the program's message, and no project.
head -c 120 "$testdata/png/sheet_pal4_trns.png" >"$work/歩き walk/broken.png"
broken=$("$CW_WINE" winepath -w "$work/歩き walk/broken.png" 2>/dev/null | tr -d '\r')
(cd "$work" && exec "$CW_WINE" "$program" "$broken") &
CW_EDITOR=$!
refusal=$(window_by_name "ｲﾒｰｼﾞﾌｧｲﾙのｵｰﾌﾟﾝ" 60)
if [ -n "$refusal" ]; then
  echo "the broken PNG was refused with a message"
  xdotool windowactivate --sync "$refusal" 2>/dev/null
  xdotool key Return
else
  fail "celwright.exe \"$broken\" showed no refusal"
fi
[ -n "$(window_by_name "$CW_TITLE" 30)" ] || fail "the editor did not run on after refusing $broken"
close_answering n 15
while IFS= read -r problem; do [ -n "$problem" ] && fail "$problem"; done <<<"$CW_CLOSE_PROBLEMS"

[ "$failures" -eq 0 ] && echo "the Windows executable passed its smoke test under Wine"
exit $((failures > 0))
