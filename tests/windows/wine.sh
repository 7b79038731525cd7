# Helpers for running the Windows executables under Wine, sourced by the scripts beside it.
# Every run uses the prefix in $WINEPREFIX (made once by prefix.sh), a Japanese locale (code
# page 932, as the program's texts are) and no debug output.
set -u

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

# xvfb_start: a virtual X server on a display number it finds free itself; sets DISPLAY.
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
}

xvfb_stop() {
  if [ -n "${CW_XVFB:-}" ]; then
    kill "$CW_XVFB" 2>/dev/null
    wait "$CW_XVFB" 2>/dev/null
  fi
  CW_XVFB=""
}

# Ends every Wine process of the prefix (the desktop process holds the X display open).
wine_stop() {
  [ -n "${CW_WINESERVER:-}" ] && "$CW_WINESERVER" -k >/dev/null 2>&1
  [ -n "${CW_WINESERVER:-}" ] && "$CW_WINESERVER" -w >/dev/null 2>&1
  return 0
}
