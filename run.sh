#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor in the current directory
# (where it keeps its configuration file).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/tools/install-deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" --target celwright -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
No display is available, so the editor's window cannot be shown.
Run it on a desktop session, or start a virtual display first, for example:
  xvfb-run -s "-screen 0 1280x1024x24" ./run.sh     (a virtual X server, nothing visible)
  or a VNC server (e.g. "vncserver :1", then DISPLAY=:1 ./run.sh) and connect a VNC viewer.
MSG
  exit 1
fi
# A file named here (a project, a data file or a sprite sheet) is opened as the editor starts.
exec "$here/build/celwright" "$@"
