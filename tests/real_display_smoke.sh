#!/usr/bin/env bash
# The editor on a virtual X server without a window manager, in an empty folder: its main
# window must appear, visible, at the top-left corner with a 640 x 480 client area below
# the menu bar, and the editor must keep running until it is stopped.
set -u
program="$(realpath "$1")"
self="$(realpath "${BASH_SOURCE[0]}")"
inner() {
  "$1" &
  local pid=$! id="" x y w h
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name '^Celwright for Win32 Ver 1.2$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    echo "the main window did not appear" >&2
    kill "$pid"
    return 1
  fi
  read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                                            /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}')
  local status=0
  # Without a window manager there is no frame: the window is its menu bar and client area.
  if [ "$x" -ne 0 ] || [ "$y" -ne 0 ] || [ "$w" -ne 640 ] || [ "$h" -lt 490 ] || [ "$h" -gt 520 ]; then
    echo "the main window is at $x,$y size ${w}x$h, not at 0,0 with a 640 x 480 client area" >&2
    status=1
  fi
  sleep 1
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "the editor ended by itself" >&2
    return 1
  fi
  kill "$pid"
  wait "$pid" 2>/dev/null
  return $status
}
if [ "${2:-}" = "--inside" ]; then
  inner "$program"
  exit $?
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1024x768x24" "$self" "$program" --inside
