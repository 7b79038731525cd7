#!/usr/bin/env bash
# Helpers for driving the real editor on a virtual X server with a real window manager.
# Sourced by the desktop checks and the idle measurement; every function works on the
# session that desktop_start made (DISPLAY, the editor's and the window manager's pids).
set -u

CW_TITLE="Celwright for Win32 Ver 1.2"
CW_IMAGE_TITLE="Image Window"

# xvfb_start: Xvfb on a display number the server itself finds free (so sessions that start at
# the same time never share one); sets DISPLAY once the server answers.
xvfb_start() {
  local number_file n=""
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  CW_XVFB=$!
  for _ in $(seq 150); do
    [ -s "$number_file" ] && break
    kill -0 "$CW_XVFB" 2>/dev/null || break
    sleep 0.1
  done
  n=$(head -n 1 "$number_file")
  rm -f "$number_file"
  if [ -z "$n" ]; then
    kill "$CW_XVFB" 2>/dev/null; wait "$CW_XVFB" 2>/dev/null; CW_XVFB=""
    echo "no X display could be started" >&2
    return 1
  fi
  export DISPLAY=":$n"
  for _ in $(seq 150); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

xvfb_stop() {
  if [ -n "${CW_XVFB:-}" ]; then
    kill "$CW_XVFB" 2>/dev/null
    wait "$CW_XVFB" 2>/dev/null
  fi
  CW_XVFB=""
}

# wm_launch WM: the window manager started the ordinary way, in the background; CW_WM is its pid.
wm_launch() {
  case "$1" in
    openbox) openbox --sm-disable >/dev/null 2>&1 & ;;
    # xfwm4 reads its settings over a session bus of its own.
    xfwm4) NO_AT_BRIDGE=1 GTK_A11Y=none dbus-run-session -- xfwm4 --compositor=off --sm-client-disable \
             >/dev/null 2>&1 & ;;
    *) echo "unknown window manager $1" >&2; return 1 ;;
  esac
  CW_WM=$!
}

# wm_ready SECONDS: the manager owns the screen and names itself on the root window. A busy
# machine (the sanitizer build beside it) can take many seconds over that.
wm_ready() {
  for _ in $(seq $(($1 * 10))); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$CW_WM" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# desktop_start WM: a virtual X server (xvfb_start) and the window manager WM (openbox, xfwm4)
# started the ordinary way. A manager that dies or does not come up is started once more;
# after that the session fails, so that no check runs without the manager it names.
desktop_start() {
  local wm="$1" attempt
  xvfb_start || return 1
  for attempt in 1 2; do
    wm_launch "$wm" || return 1
    wm_ready 30 && break
    echo "$wm did not come up (attempt $attempt)" >&2
    kill "$CW_WM" 2>/dev/null; wait "$CW_WM" 2>/dev/null
    CW_WM=""
  done
  if [ -z "$CW_WM" ]; then
    xvfb_stop
    return 1
  fi
  # The window manager's own process (the one started may be a session bus around it); it
  # is up, since it named itself on the root window.
  CW_WM_PROCESS=$(pgrep -P "$CW_WM" -x "$wm" || echo "$CW_WM")
  sleep 0.5
}

desktop_stop() {
  if [ -n "${CW_EDITOR:-}" ]; then
    kill "$CW_EDITOR" 2>/dev/null
    wait "$CW_EDITOR" 2>/dev/null
  fi
  # A session bus around the manager closes itself, and what it started, once the manager ends.
  if [ -n "${CW_WM_PROCESS:-}" ] && [ "$CW_WM_PROCESS" != "${CW_WM:-}" ]; then
    kill "$CW_WM_PROCESS" 2>/dev/null
    for _ in $(seq 30); do kill -0 "$CW_WM" 2>/dev/null || break; sleep 0.1; done
  fi
  if [ -n "${CW_WM:-}" ]; then
    kill "$CW_WM" 2>/dev/null
    wait "$CW_WM" 2>/dev/null
  fi
  xvfb_stop
  CW_EDITOR="" CW_WM="" CW_WM_PROCESS=""
  return 0
}

# editor_start PROGRAM WORKDIR: starts the editor and waits for its main window.
editor_start() {
  (cd "$2" && exec env -u QT_QPA_PLATFORM "$1") &
  CW_EDITOR=$!
  CW_MAIN=$(window_by_name "$CW_TITLE")
  [ -n "$CW_MAIN" ]
}

# window_by_name NAME [SECONDS]: the visible window of that name, waiting up to SECONDS (10).
window_by_name() {
  local id=""
  for _ in $(seq $((${2:-10} * 10))); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
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
  sleep 0.3
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

# menu_click X: a click on the main window's menu bar, X pixels from its left end.
menu_click() {
  local x y w h
  read -r x y w h <<<"$(geometry "$CW_MAIN")"
  click $((x + $1)) $((y + 10))
}

# click X Y: a press and a release at a point of the screen, as a hand gives them.
click() {
  xdotool mousemove "$1" "$2"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
  sleep 0.5
}

# new_project IMAGE: File > New through the menu bar, OK on the message box, the image's
# path typed into the file dialog. Returns once the image window is shown.
new_project() {
  local image="$1"
  menu_click 20
  xdotool key Down Return
  local box=""
  for _ in $(seq 50); do
    box=$(xdotool getactivewindow 2>/dev/null)
    [ -n "$box" ] && [ "$box" != "$CW_MAIN" ] && break
    sleep 0.1
  done
  sleep 0.3
  xdotool key Return
  sleep 1
  xdotool type --delay 20 "$image"
  xdotool key Return
  CW_IMAGE=$(window_by_name "$CW_IMAGE_TITLE")
  [ -n "$CW_IMAGE" ]
}
