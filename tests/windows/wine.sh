# Helpers for running the Windows executables under Wine, sourced by the scripts beside it;
# the virtual X server comes from tests/display.sh, through the desktop checks' session.sh.
# Every run uses the prefix in $WINEPREFIX (made once by prefix.sh), a Japanese locale (code
# page 932, as the program's texts are) and no debug output.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/session.sh"

# resource_id NAME: the id res/resource.h gives NAME, for a probe that asks the system by id (a
# number stands for itself).
resource_id() {
  case "$1" in
    *[!0-9]*) awk -v n="$1" '$1 == "#define" && $2 == n { print $3; exit }' \
                "$(dirname "${BASH_SOURCE[0]}")/../../res/resource.h" ;;
    *) echo "$1" ;;
  esac
}

# The wine loader and server of this machine: Debian's wine64 puts them outside PATH.
wine_find() {
  local c
  CW_WINE=""
  CW_WINESERVER=""
  for c in wine64 wine /usr/lib/wine/wine64 /usr/lib/wine/wine; do
    if command -v "$c" >/dev/null 2>&1; then CW_WINE=$(command -v "$c"); break; fi
  done
  for c in wineserver64 wineserver /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
    if command -v "$c" >/dev/null 2>&1; then CW_WINESERVER=$(command -v "$c"); break; fi
  done
  [ -n "$CW_WINE" ] && [ -n "$CW_WINESERVER" ]
}

wine_environment() {
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  export WINEDEBUG=-all
  # No Mono or Gecko: nothing here needs them, and no prompt to install them.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset QT_QPA_PLATFORM
}

# Whether the Japanese locale exists; without it Wine would run in another code page.
japanese_locale_present() {
  locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'
}

# wine_require [TOOLS...]: skips the script loudly (display_skip: exit 77, a failure under
# CI=true) when Wine, the Japanese locale, the display's programs or one of TOOLS is missing.
wine_require() {
  local missing t
  missing=$(display_missing_tools "$@")
  [ "${1:-}" = "--wm" ] && shift 2
  for t in "$@"; do command -v "$t" >/dev/null 2>&1 || missing+=" $t"; done
  wine_find || missing+=" Wine"
  [ -z "${missing// /}" ] || display_skip "not installed: $missing (tools/install-deps.sh installs them)"
  japanese_locale_present || display_skip "the ja_JP.UTF-8 locale is missing (tools/install-deps.sh makes it)"
}

# Ends every Wine process of the prefix (the desktop process holds the X display open).
wine_stop() {
  [ -n "${CW_WINESERVER:-}" ] && "$CW_WINESERVER" -k >/dev/null 2>&1
  [ -n "${CW_WINESERVER:-}" ] && "$CW_WINESERVER" -w >/dev/null 2>&1
  return 0
}
