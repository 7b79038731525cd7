#!/usr/bin/env bash
# run.sh PROGRAM.exe [ARGUMENTS...]: runs a Windows program under Wine on a virtual X server of
# its own, without a window manager, in the prefix $WINEPREFIX, and exits with the program's exit
# code. The build uses it to run the cross-compiled conformance tests.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/wine.sh"
: "${WINEPREFIX:?WINEPREFIX names the prefix made by prefix.sh}"
wine_require
wine_environment
display_at_exit wine_stop
display_start || exit 1
# There is no window manager on this display: the program's windows are Wine's own to place
# and activate (unmanaged), which also spares each new window a wait for a manager.
"$CW_WINE" reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$1")\\X11 Driver" /v Managed /t REG_SZ /d N /f \
  >/dev/null 2>&1
"$CW_WINE" "$@"
