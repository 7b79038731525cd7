#!/usr/bin/env bash
# Runs a command on an X display of its own (tests/display.sh), and stops the display when the
# command ends, fails or is stopped:
#   tests/with-display.sh [--wm openbox|xfwm4] [--size WxHxD] [--] COMMAND [ARGUMENTS...]
# Exits with the command's exit status. A display that cannot be had is a failure; one whose
# programs are not installed skips loudly (exit 77, a failure under CI=true).
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/display.sh"

arguments=()
wm_arguments=()
while [ $# -gt 0 ]; do
  case "$1" in
    --wm) arguments+=("$1" "$2"); wm_arguments=(--wm "$2"); shift 2 ;;
    --size) arguments+=("$1" "$2"); shift 2 ;;
    --) shift; break ;;
    -*) echo "with-display.sh: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: with-display.sh [--wm openbox|xfwm4] [--size WxHxD] [--] COMMAND..." >&2; exit 2; }

missing=$(display_missing_tools "${wm_arguments[@]}")
[ -z "$missing" ] || display_skip "not installed: $missing (tools/install-deps.sh installs them)"
display_start "${arguments[@]}" || { echo "FAIL: no X display could be started" >&2; exit 1; }

# The command runs beside this shell, which waits for it and hands it a stop it receives (and it
# ends with this shell if that is killed); its standard input stays the one this script was given.
unset QT_QPA_PLATFORM
"${_display_orphan_guard[@]}" "$@" <&0 &
command_pid=$!
forward() {
  kill "-$1" "$command_pid" 2>/dev/null
}
trap 'forward INT' INT
trap 'forward TERM' TERM
trap 'forward HUP' HUP
status=0
while :; do
  wait "$command_pid"
  status=$?
  # A stop that was handed on interrupts the wait; the command's own end is waited for.
  kill -0 "$command_pid" 2>/dev/null || break
done
exit "$status"
