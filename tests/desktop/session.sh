#!/usr/bin/env bash
# Helpers for driving the real editor on a virtual X server with a real window manager.
# Sourced by the desktop checks and the measurements; every function works on the session that
# display_start made (DISPLAY, the editor's and the window manager's pids).
set -u

CW_TITLE="Celwright for Win32 Ver 1.2"
CW_IMAGE_TITLE="Image Window"

# The display and the window manager come from tests/display.sh: display_start --wm WM gives a
# virtual X server with that manager up; display_stop (also run when the script ends) stops both.
source "$(dirname "${BASH_SOURCE[0]}")/../display.sh"

# editor_stop: ends the editor editor_start started, if it still runs.
editor_stop() {
  if [ -n "${CW_EDITOR:-}" ]; then
    kill "$CW_EDITOR" 2>/dev/null
    wait "$CW_EDITOR" 2>/dev/null
  fi
  CW_EDITOR=""
  return 0
}

# editor_start PROGRAM WORKDIR: starts the editor and waits for its main window.
editor_start() {
  (cd "$2" && exec env -u QT_QPA_PLATFORM "$1") &
  CW_EDITOR=$!
  CW_MAIN=$(window_by_name "$CW_TITLE")
  [ -n "$CW_MAIN" ]
}

# window_by_name NAME [SECONDS]: the visible window of that name, waiting up to SECONDS (30: a
# deadline, which a busy machine may need, not a wait).
window_by_name() {
  local id="" deadline=$((SECONDS + ${2:-30}))
  while :; do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] || [ "$SECONDS" -ge "$deadline" ] && break
    sleep 0.1
  done
  echo "$id"
}

# active_window_is ID: the desktop names ID as its active window.
active_window_is() {
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]
}

# managed ID: the window manager has taken the window in and shows it (ICCCM's WM_STATE).
managed() {
  xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Normal'
}

# editor_windows: how many visible windows the editor shows (its menus are windows too).
editor_windows() {
  xdotool search --onlyvisible --pid "$CW_EDITOR" 2>/dev/null | wc -l
}

# top_windows: how many windows show on the screen: a window manager's frames, and the windows
# nobody manages, such as Wine's menus.
top_windows() {
  xdotool search --onlyvisible --maxdepth 1 "" 2>/dev/null | wc -l
}

# menu_key KEYS...: the keys that open a menu in the active window; true once it shows.
menu_key() {
  local before
  before=$(top_windows)
  xdotool key "$@"
  more_top_windows() { [ "$(top_windows)" -gt "$before" ]; }
  display_wait 15 more_top_windows
}

# iconic ID: the window is minimised (ICCCM's WM_STATE).
iconic() {
  xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Iconic'
}

# geometry ID: "x y width height" of a window on screen.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                           /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# The outer frame of a client window on screen, decorations included: the geometry of its
# ancestor just below the root window (the frame the window manager reparented it into).
frame_geometry() {
  local id="$1" root parent
  root=$(xwininfo -root | awk '/Window id:/ {print $4; exit}')
  for _ in $(seq 10); do
    parent=$(xwininfo -children -id "$id" | awk '/Parent window id:/ {print $4; exit}')
    [ -z "$parent" ] || [ "$parent" = "$root" ] && break
    id="$parent"
  done
  geometry "$id"
}

# close_answering KEY SECONDS: the close box through the window manager (asked again while the
# editor runs: a client still busy with the window may drop the request); when the editor asks
# whether to save the project (it does only when the project has unsaved changes, in a question
# titled "終了"), KEY answers it; up to SECONDS for the editor to end. CW_CLOSE_PROBLEMS holds what
# went wrong, one line each; it is empty when the editor ended with status 0.
close_answering() {
  local key="$1" secs="$2" prompt="" status i
  CW_CLOSE_PROBLEMS=""
  for i in $(seq $((secs * 10))); do
    kill -0 "$CW_EDITOR" 2>/dev/null || break
    if [ -z "$prompt" ]; then
      prompt=$(xdotool search --onlyvisible --name "^終了\$" 2>/dev/null | head -n 1)
      if [ -n "$prompt" ]; then
        xdotool windowactivate --sync "$prompt" 2>/dev/null
        xdotool key "$key"
      elif [ $((i % 20)) -eq 1 ]; then
        wmctrl -c "$CW_TITLE"
      fi
    fi
    sleep 0.1
  done
  if kill -0 "$CW_EDITOR" 2>/dev/null; then
    CW_CLOSE_PROBLEMS+="the close box did not end the editor"$'\n'
    return 0
  fi
  wait "$CW_EDITOR"
  status=$?
  CW_EDITOR=""
  [ "$status" -eq 0 ] || CW_CLOSE_PROBLEMS+="the editor ended with status $status after the close box"$'\n'
  return 0
}

# cpu_ticks PID: user + system clock ticks the process has used so far.
cpu_ticks() {
  awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0
}

# measure SECONDS: prints "editor_percent wm_percent active_changes" over that time.
measure() {
  local secs="$1" hz e0 w0 e1 w1 spy
  hz=$(getconf CLK_TCK)
  spy=$(mktemp)
  xprop -root -spy _NET_ACTIVE_WINDOW >"$spy" 2>/dev/null &
  local spy_pid=$!
  # The spy prints the value it found first once it listens.
  spy_listens() { [ -s "$spy" ]; }
  display_wait 10 spy_listens
  e0=$(cpu_ticks "$CW_EDITOR"); w0=$(cpu_ticks "$CW_WM_PROCESS")
  sleep "$secs"
  e1=$(cpu_ticks "$CW_EDITOR"); w1=$(cpu_ticks "$CW_WM_PROCESS")
  kill "$spy_pid" 2>/dev/null; wait "$spy_pid" 2>/dev/null
  # The first line is the value when the spy started, not a change.
  local changes=$(( $(wc -l <"$spy") - 1 ))
  rm -f "$spy"
  awk -v e=$((e1 - e0)) -v w=$((w1 - w0)) -v s="$secs" -v hz="$hz" -v c="$changes" \
    'BEGIN { printf "%.1f %.1f %d\n", 100 * e / hz / s, 100 * w / hz / s, (c < 0 ? 0 : c) }'
}

# menu_click X: a click on the main window's menu bar, X pixels from its left end; true once
# the menu it opens shows.
menu_click() {
  local x y w h before
  read -r x y w h <<<"$(geometry "$CW_MAIN")"
  before=$(editor_windows)
  click $((x + $1)) $((y + 10))
  more_windows() { [ "$(editor_windows)" -gt "$before" ]; }
  display_wait 15 more_windows
}

# click X Y: a press and a release at a point of the screen, as a hand gives them: the pointer
# is where it was sent before the button goes down.
click() {
  pointer_at() { [ "$(xdotool getmouselocation 2>/dev/null | sed 's/ screen.*//')" = "x:$1 y:$2" ]; }
  xdotool mousemove "$1" "$2"
  display_wait 5 pointer_at "$1" "$2"
  xdotool mousedown 1
  xdotool mouseup 1
}

# new_project IMAGE: File > New through the menu bar, OK on the message box, the image's
# path typed into the file dialog. Returns once the image window is shown.
new_project() {
  local image="$1" box dialog
  menu_click 20 || return 1
  xdotool key Down Return
  box=$(window_by_name "新規作成")
  [ -n "$box" ] && display_wait 15 active_window_is "$box" || return 1
  xdotool key Return
  dialog=$(window_by_name "ﾌｧｲﾙを開く")
  [ -n "$dialog" ] && display_wait 15 active_window_is "$dialog" || return 1
  xdotool type --delay 20 "$image"
  xdotool key Return
  CW_IMAGE=$(window_by_name "$CW_IMAGE_TITLE")
  [ -n "$CW_IMAGE" ]
}
