#!/usr/bin/env bash
# Measures what an idle editor costs on a real desktop (Xvfb with openbox): the share of one
# core the editor and the window manager use over 5 s, once with no project open and once
# with an image loaded and its image window active. Prints the figures; judges nothing.
#   tools/measure-idle.sh [BUILD_DIR]
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$here/build}" && pwd)"
source "$here/tests/desktop/session.sh"
missing=$(display_missing_tools --wm openbox)
for tool in xdotool xwininfo; do command -v "$tool" >/dev/null || missing+=" $tool"; done
[ -z "${missing// /}" ] || display_skip "measure-idle: not installed: $missing (tools/install-deps.sh installs them)"
work="$(mktemp -d)"
display_at_exit 'editor_stop; rm -rf "$work"'
display_start --wm openbox || { echo "no X display with openbox could be started"; exit 1; }
editor_start "$build/celwright" "$work" || { echo "the editor did not start"; exit 1; }
sleep 1
read -r editor wm changes <<<"$(measure 5)"
echo "idle, no project open:        editor $editor % of a core, openbox $wm %, $changes activation changes"
new_project "$here/tests/data/tim/sheet64x48.bmp" || { echo "New with an image did not show the image window"; exit 1; }
sleep 1
read -r editor wm changes <<<"$(measure 5)"
echo "idle, image window active:    editor $editor % of a core, openbox $wm %, $changes activation changes"
