#!/usr/bin/env bash
# Starts the editor on a virtual X server in an empty folder and checks that it is
# still running after a few seconds (it has no way to end by itself).
set -u
program="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1024x768x24" timeout 4 "$program"
status=$?
# timeout's 124 means the editor was still running when it was stopped.
if [ "$status" -ne 124 ]; then
  echo "the editor ended by itself with status $status" >&2
  exit 1
fi
