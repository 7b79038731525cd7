# The one way a test, a check or a measurement gets an X display. Sourced by the scripts that
# drive a desktop (tests/desktop/session.sh, tests/windows/wine.sh, the measurements) and by
# tests/with-display.sh, which runs any command on a display of its own:
#
#   display_start [--wm openbox|xfwm4] [--size WxHxD]
#       starts Xvfb on a display number the server finds free itself (-displayfd: never a fixed
#       number, so any number of sessions can start side by side), waits until it answers,
#       starts the window manager when one is asked for and waits until it has named itself on
#       the root window (_NET_SUPPORTING_WM_CHECK), and exports DISPLAY. Returns 1 when any of
#       that did not happen in time; then nothing it started is left running.
#   display_stop
#       stops the window manager and the server (also done on EXIT, INT, TERM and HUP).
#   display_at_exit COMMAND
#       runs COMMAND when the script ends, before the display is stopped (last added, first run).
#   display_missing_tools [--wm WM]
#       names the programs the display needs that are not installed ("" when all are).
#   display_skip REASON
#       prints "SKIPPED: REASON" and exits 77 (the tests' skip code); under CI=true exit 1, since
#       tools/install-deps.sh installs everything the tests use.
#   display_wait SECONDS COMMAND...
#       polls COMMAND every 0.1 s until it succeeds; false when SECONDS passed first.
#
# The server and the manager are started with a parent-death signal, so that they end with the
# script even when it is killed without a chance to clean up (a test's timeout).
#
# Sets CW_XVFB (the server's pid), CW_WM (the manager's pid as started: with xfwm4 the session
# bus around it) and CW_WM_PROCESS (the manager's own process).

# A busy machine (two builds beside the tests) takes seconds over what an idle one does in
# milliseconds; these are deadlines, not waits.
CW_DISPLAY_SECONDS=${CW_DISPLAY_SECONDS:-60}

display_wait() {
  local seconds="$1" deadline
  shift
  deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

display_skip() {
  echo "SKIPPED: $*"
  if [ "${CI:-}" = "true" ]; then
    echo "FAIL: under CI every tool is installed (tools/install-deps.sh); this is a failure" >&2
    exit 1
  fi
  exit 77
}

display_missing_tools() {
  local tools=(Xvfb xdpyinfo xprop) missing=() t
  if [ "${1:-}" = "--wm" ]; then
    tools+=("$2")
    [ "$2" = "xfwm4" ] && tools+=(dbus-run-session)
  fi
  for t in "${tools[@]}"; do command -v "$t" >/dev/null 2>&1 || missing+=("$t"); done
  echo "${missing[*]}"
}

# The program named, ended with SIGTERM when the shell that started it ends.
_display_orphan_guard=()
if setpriv --help 2>/dev/null | grep -q -- --pdeathsig; then _display_orphan_guard=(setpriv --pdeathsig TERM); fi

_display_exit_commands=()
display_at_exit() {
  _display_exit_commands+=("$1")
}

_display_on_exit() {
  local status=$? i
  trap - EXIT INT TERM HUP
  for ((i = ${#_display_exit_commands[@]} - 1; i >= 0; i--)); do eval "${_display_exit_commands[$i]}"; done
  display_stop
  return $status
}

_display_traps() {
  trap _display_on_exit EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
}

_display_answers() { xdpyinfo >/dev/null 2>&1; }

# xvfb_start [WxHxD]: the server alone; DISPLAY is exported once it answers.
#
# The server runs with -noreset. By default an X server resets itself whenever its last client
# disconnects, and closes every connection it holds meanwhile, those not yet set up included:
# a program that connected just as the last check above let go (xdpyinfo, xprop) lost its
# connection at once ("could not connect to display"), a few times in a hundred starts.
xvfb_start() {
  local size="${1:-1280x1024x24}" number_file n=""
  _display_traps
  number_file=$(mktemp)
  "${_display_orphan_guard[@]}" Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp -noreset 3>"$number_file" \
    >/dev/null 2>&1 &
  CW_XVFB=$!
  _display_numbered() { [ -s "$number_file" ] || ! kill -0 "$CW_XVFB" 2>/dev/null; }
  display_wait "$CW_DISPLAY_SECONDS" _display_numbered
  n=$(head -n 1 "$number_file")
  rm -f "$number_file"
  if [ -z "$n" ]; then
    echo "Xvfb did not start within $CW_DISPLAY_SECONDS s" >&2
    xvfb_stop
    return 1
  fi
  export DISPLAY=":$n"
  if ! display_wait "$CW_DISPLAY_SECONDS" _display_answers; then
    echo "Xvfb on $DISPLAY did not answer within $CW_DISPLAY_SECONDS s" >&2
    xvfb_stop
    return 1
  fi
}

xvfb_stop() {
  if [ -n "${CW_XVFB:-}" ]; then
    kill "$CW_XVFB" 2>/dev/null
    wait "$CW_XVFB" 2>/dev/null
  fi
  CW_XVFB=""
}

# The manager is up when the window it names on the root window names itself the same way
# (a manager that died leaves the root's property behind, pointing at a window that is gone).
_display_wm_named() {
  local id self
  id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ {print $NF}')
  [ -n "$id" ] || return 1
  self=$(xprop -id "$id" _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ {print $NF}')
  [ -n "$self" ] && [ "$((self))" -eq "$((id))" ]
}

_display_wm_up_or_gone() { _display_wm_named || ! kill -0 "$CW_WM" 2>/dev/null; }

# wm_launch WM: the window manager started the ordinary way, in the background.
wm_launch() {
  case "$1" in
    openbox) "${_display_orphan_guard[@]}" openbox --sm-disable >/dev/null 2>&1 & ;;
    # xfwm4 reads its settings over a session bus of its own.
    xfwm4) NO_AT_BRIDGE=1 GTK_A11Y=none "${_display_orphan_guard[@]}" dbus-run-session -- \
             "${_display_orphan_guard[@]}" xfwm4 --compositor=off --sm-client-disable >/dev/null 2>&1 & ;;
    *) echo "unknown window manager $1" >&2; return 1 ;;
  esac
  CW_WM=$!
}

# wm_start WM: the manager on the display, up and named. One that dies or does not come up in
# time is started once more; after that it fails, so that nothing runs without the manager it
# names.
wm_start() {
  local wm="$1" attempt
  for attempt in 1 2; do
    wm_launch "$wm" || return 1
    display_wait "$CW_DISPLAY_SECONDS" _display_wm_up_or_gone
    _display_wm_named && kill -0 "$CW_WM" 2>/dev/null && break
    echo "$wm did not come up on $DISPLAY (attempt $attempt)" >&2
    wm_stop
  done
  [ -n "${CW_WM:-}" ] || return 1
  # The manager's own process (the one started may be a session bus around it).
  CW_WM_PROCESS=$(pgrep -P "$CW_WM" -x "$wm" || echo "$CW_WM")
}

wm_stop() {
  # A session bus around the manager closes itself, and what it started, once the manager ends.
  if [ -n "${CW_WM_PROCESS:-}" ] && [ "$CW_WM_PROCESS" != "${CW_WM:-}" ]; then
    kill "$CW_WM_PROCESS" 2>/dev/null
    _display_bus_gone() { ! kill -0 "$CW_WM" 2>/dev/null; }
    display_wait 5 _display_bus_gone
  fi
  if [ -n "${CW_WM:-}" ]; then
    kill "$CW_WM" 2>/dev/null
    wait "$CW_WM" 2>/dev/null
  fi
  CW_WM="" CW_WM_PROCESS=""
}

display_start() {
  local wm="" size="1280x1024x24"
  while [ $# -gt 0 ]; do
    case "$1" in
      --wm) wm="$2"; shift 2 ;;
      --size) size="$2"; shift 2 ;;
      *) echo "display_start: unknown argument $1" >&2; return 1 ;;
    esac
  done
  xvfb_start "$size" || return 1
  if [ -n "$wm" ] && ! wm_start "$wm"; then
    xvfb_stop
    return 1
  fi
  return 0
}

display_stop() {
  wm_stop
  xvfb_stop
  return 0
}
