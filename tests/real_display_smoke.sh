#!/usr/bin/env bash
# The editor on a virtual X server without a window manager, in an empty folder: its main
# window must appear, visible, at the top-left corner with a 640 x 480 client area below
# the menu bar, and the editor must keep running until it is stopped.
#   real_display_smoke.sh PROGRAM
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/desktop/session.sh"
program="$(realpath "$1")"

missing=$(display_missing_tools)
command -v xdotool >/dev/null || missing+=" xdotool"
command -v xwininfo >/dev/null || missing+=" xwininfo"
[ -z "${missing// /}" ] || display_skip "not installed: $missing (tools/install-deps.sh installs them)"
work="$(mktemp -d)"
display_at_exit 'editor_stop; rm -rf "$work"'
display_start --size 1024x768x24 || { echo "FAIL: no X display could be started" >&2; exit 1; }

if ! editor_start "$program" "$work"; then
  echo "FAIL: the main window did not appear" >&2
  exit 1
fi
read -r x y w h <<<"$(geometry "$CW_MAIN")"
status=0
# Without a window manager there is no frame: the window is its menu bar and client area.
if [ "$x" -ne 0 ] || [ "$y" -ne 0 ] || [ "$w" -ne 640 ] || [ "$h" -lt 490 ] || [ "$h" -gt 520 ]; then
  echo "FAIL: the main window is at $x,$y size ${w}x$h, not at 0,0 with a 640 x 480 client area" >&2
  status=1
fi
# Shown, it keeps running: a second later it has not ended by itself.
sleep 1
if ! kill -0 "$CW_EDITOR" 2>/dev/null; then
  echo "FAIL: the editor ended by itself" >&2
  exit 1
fi
[ "$status" -eq 0 ] && echo "the main window is up at 0,0 with a 640 x 480 client area"
exit $status
