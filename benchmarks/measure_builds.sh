#!/usr/bin/env bash
# Ticks a second and processor use of the two builds side by side, on one virtual X server with
# openbox: the native editor and the Windows executable under Wine, each with examples/walk.cwp
# opened from its file menu, first left alone (nothing plays) and then playing the walk pattern.
# For the executable the processor time is the program's and the wineserver's together.
# Reported, not judged; the targets are 0 ticks a second and under 0.3 % of a core idle, 60 +- 1
# ticks a second playing.
#
#   benchmarks/measure_builds.sh BUILD BUILD_WIN [SECONDS]
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(realpath "${1:?usage: measure_builds.sh BUILD BUILD_WIN [SECONDS]}")"
build_win="${2:+$(realpath "$2")}"
seconds="${3:-10}"
source "$here/../tests/windows/wine.sh"
driver="$build/tools/scenario/celwright-scenario"
[ -x "$driver" ] || { echo "measure_builds: no scenario driver in $build"; exit 0; }
missing=$(display_missing_tools --wm openbox)
for tool in xdotool wmctrl; do command -v "$tool" >/dev/null || missing+=" $tool"; done
[ -z "${missing// /}" ] || display_skip "measure_builds: not installed: $missing (tools/install-deps.sh installs them)"

work="$(mktemp -d)"
display_at_exit 'editor_stop; wine_stop; rm -rf "$work"'
display_start --wm openbox || { echo "measure_builds: no desktop could be started"; exit 0; }
hz=$(getconf CLK_TCK)
row() { printf "%-34s %10s %14s\n" "$1" "$2" "$3"; }
row "" "ticks/s" "% of a core"

# ---- the native editor: its own main loop, run by the scenario driver on this display
mkdir -p "$work/native"
cp "$here"/../examples/walk.* "$work/native"/
cat >"$work/native/steps.txt" <<STEPS
answer open "walk.cwp"
menu "ﾌｧｲﾙ(&F)" "開く(&C)"
run 2
run $seconds
dump
click IDC_PLAY_FORWARD
run 2
run $seconds
dump
STEPS
if "$driver" --display --workdir "$work/native" "$work/native/steps.txt" >"$work/native/out.json" 2>"$work/native/err"; then
  python3 - "$work/native/out.json" <<'PY'
import json, sys
dumps = [json.loads(l) for l in open(sys.argv[1]) if l.startswith("{")]
for name, d in zip(("native, walk.cwp open, idle", "native, walk playing"), dumps):
    r = d["last_run"]
    s = float(r["seconds"])
    print("%-34s %10.2f %14.2f" % (name, r["ticks"] / s, 100 * float(r["cpu_seconds"]) / s))
PY
else
  echo "native: the driver failed: $(head -c 300 "$work/native/err")"
fi

# ---- the Windows executable under Wine, driven with the keys and the mouse
exe="${build_win:+$build_win/celwright.exe}" probe_exe="${build_win:+$build_win/celwright-probe.exe}"
if [ -z "$build_win" ] || [ ! -f "$exe" ]; then
  echo "the Windows executable is not measured (no Windows build)"
  exit 0
fi
wine_find || display_skip "measure_builds: Wine is not installed (tools/install-deps.sh installs it)"
japanese_locale_present || display_skip "measure_builds: the ja_JP.UTF-8 locale is missing (tools/install-deps.sh makes it)"
# The Windows build's own prefix (made once, by its tests or here): not beside that build's
# tests under Wine, which stop every program of the prefix when they end.
export WINEPREFIX="$build_win/wineprefix"
"$here/../tests/windows/prefix.sh" "$WINEPREFIX" >/dev/null 2>&1 ||
  { echo "the Windows executable is not measured (no Wine prefix could be made)"; exit 0; }
wine_environment
mkdir -p "$work/win"
cp "$here"/../examples/walk.* "$work/win"/
probe() { "$CW_WINE" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
(cd "$work/win" && CELWRIGHT_LOOP_STATS="$work/win/stats" exec "$CW_WINE" "$exe") &
CW_EDITOR=$!
CW_MAIN=$(window_by_name "$CW_TITLE" 60)
[ -n "$CW_MAIN" ] || { echo "windows: the main window did not appear"; exit 0; }
xdotool windowactivate --sync "$CW_MAIN" 2>/dev/null
menu_key alt+f || { echo "windows: alt+f opened no file menu"; exit 0; }
xdotool key c
dialog=$(window_by_name "ﾌｧｲﾙを開く" 20)
[ -n "$dialog" ] || { echo "windows: no file dialog"; exit 0; }
xdotool windowactivate --sync "$dialog" 2>/dev/null
display_wait 15 active_window_is "$dialog"
xdotool type --delay 30 "$("$CW_WINE" winepath -w "$work/win/walk.cwp" 2>/dev/null | tr -d '\r')"
xdotool key Return
for _ in $(seq 100); do probe controls "$CW_TITLE" | grep -q 'walk\.cwp' && break; sleep 0.1; done
server=""
for p in $(pgrep -f wineserver); do
  tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server=$p
done
# "TICKS MILLISECONDS": the counts the editor last wrote, and when by its own clock.
counts() {
  local v=""
  for _ in 1 2 3 4 5; do
    v=$(tr -d '\r' <"$work/win/stats" 2>/dev/null |
      awk '/^ticks / {t=$2} /^milliseconds / {m=$2} END {if (t != "" && m != "") print t, m}')
    [ -n "$v" ] && break
    sleep 0.05
  done
  echo "${v:-0 0}"
}
cpu() { local t=0 p; for p in "$@"; do t=$((t + $(cpu_ticks "$p"))); done; echo "$t"; }
# Ticks a second by the editor's clock (none while it neither ticks nor writes), and processor
# time by the wall clock.
measure_exe() {
  local n0 m0 c0 t0 n1 m1 c1 t1
  sleep 2
  read -r n0 m0 <<<"$(counts)"; c0=$(cpu "$CW_EDITOR" $server); t0=$(date +%s.%N)
  sleep "$seconds"
  read -r n1 m1 <<<"$(counts)"; c1=$(cpu "$CW_EDITOR" $server); t1=$(date +%s.%N)
  awk -v name="$1" -v n="$((n1 - n0))" -v ms="$((m1 - m0))" -v c="$((c1 - c0))" -v t0="$t0" -v t1="$t1" \
    -v hz="$hz" 'BEGIN { d = t1 - t0; printf "%-34s %10.2f %14.2f\n", name, (ms > 0 ? 1000 * n / ms : 0),
                         100 * c / hz / d }'
}
measure_exe "windows exe, walk.cwp open, idle"
read -r bx by bw bh <<<"$(probe control "$CW_TITLE" "$(resource_id IDC_PLAY_FORWARD)")"
xdotool mousemove $((bx + bw / 2)) $((by + bh / 2)) click 1
measure_exe "windows exe, walk playing"
