#!/usr/bin/env bash
# The committed icons are what dist/icons/make_icons.py draws: the SVGs byte for byte, the PNGs
# pixel for pixel.
#   check_icons.sh SOURCE_DIR
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/checks.sh"
if need python3 python3; then
  python3 "$1/dist/icons/make_icons.py" --check || fail "the committed icons differ from the script's drawing"
fi
finish_checks
