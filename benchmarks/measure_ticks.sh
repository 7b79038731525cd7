#!/usr/bin/env bash
# Tick rate and CPU use of the running editor on a virtual X server, over ten
# seconds each: idle (a project of 12 pattern windows, stopped: the still display)
# and playing (the same project, pattern 0 playing). Prints one line per case;
# reported, not judged. Targets: 60 ticks a second (+-1) while playing, under 2 %
# of a core while idle.
#
#   benchmarks/measure_ticks.sh BUILD_DIR [SECONDS]
set -u
build="${1:?usage: measure_ticks.sh BUILD_DIR [SECONDS]}"
seconds="${2:-10}"
tool="$(cd "$build" 2>/dev/null && pwd)/benchmarks/celwright-measure"
source "$(dirname "${BASH_SOURCE[0]}")/../tests/display.sh"
if [ ! -x "$tool" ]; then
  echo "measure_ticks: no celwright-measure in $build/benchmarks; not measured"
  exit 0
fi
missing=$(display_missing_tools --wm openbox)
[ -z "$missing" ] || display_skip "measure_ticks: not installed: $missing (tools/install-deps.sh installs them)"
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait "${pids[@]}" 2>/dev/null
  rm -rf "$work"
}
display_at_exit cleanup
# A display of its own, with openbox, as the editor runs on a desktop.
if ! display_start --wm openbox; then
  echo "measure_ticks: no X display with openbox could be started; not measured"
  exit 0
fi

cpu_ticks() {  # user + system time of a process, in clock ticks
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}
last_ticks() {  # the last "ticks N" line the tool wrote
  grep '^ticks ' "$1" | tail -n 1 | cut -d' ' -f2
}
now() {
  date +%s.%N
}

measure() {
  local mode="$1" out="$work/$1.out"
  # Each run in a folder of its own: a run that is stopped leaves its recovery copy behind, which
  # the next start would offer to restore.
  mkdir -p "$work/$mode.folder"
  (cd "$work/$mode.folder" && exec "$tool" "$mode") >"$out" 2>"$work/$mode.err" &
  local pid=$!
  pids+=("$pid")
  is_ready() { grep -q "^ready" "$out"; }
  display_wait 60 is_ready
  if ! grep -q '^ready' "$out"; then
    echo "$mode: the editor did not get ready: $(head -c 300 "$work/$mode.err")"
    return
  fi
  sleep 1  # let start-up settle
  kill -USR1 "$pid"
  local t0 c0 n0 t1 c1 n1
  t0="$(now)"
  c0="$(cpu_ticks "$pid")"
  sleep 0.2
  n0="$(last_ticks "$out")"
  sleep "$seconds"
  kill -USR1 "$pid"
  t1="$(now)"
  c1="$(cpu_ticks "$pid")"
  sleep 0.2
  n1="$(last_ticks "$out")"
  kill -TERM "$pid" 2>/dev/null
  awk -v m="$mode" -v t0="$t0" -v t1="$t1" -v c0="$c0" -v c1="$c1" -v n0="$n0" -v n1="$n1" \
      -v hz="$(getconf CLK_TCK)" 'BEGIN {
        dt = t1 - t0
        printf "%-8s %6.2f ticks/s   %5.2f %% of a core   (%d ticks, %.1f s)\n",
               m, (n1 - n0) / dt, 100 * (c1 - c0) / hz / dt, n1 - n0, dt
      }'
}

echo "tick rate and CPU of the editor on $DISPLAY over ${seconds} s (12 pattern windows, 20 frames each):"
measure idle
measure playing
