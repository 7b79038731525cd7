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
if [ ! -x "$tool" ] || ! command -v Xvfb >/dev/null; then
  echo "measure_ticks: needs celwright-measure in $build/benchmarks and Xvfb; skipped"
  exit 0
fi

work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses: the server picks it and writes it down, unless
# CELWRIGHT_MEASURE_DISPLAY names one (a number) to take.
if [ -n "${CELWRIGHT_MEASURE_DISPLAY:-}" ]; then
  Xvfb ":$CELWRIGHT_MEASURE_DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  echo "$CELWRIGHT_MEASURE_DISPLAY" >"$work/display"
  sleep 1
else
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
fi
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
number="$(head -n 1 "$work/display")"
[ -n "$number" ] || { echo "measure_ticks: Xvfb did not start; skipped"; exit 0; }
export DISPLAY=":$number"
unset QT_QPA_PLATFORM
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
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
  (cd "$work" && exec "$tool" "$mode") >"$out" 2>"$work/$mode.err" &
  local pid=$!
  pids+=("$pid")
  for _ in $(seq 100); do grep -q '^ready' "$out" && break; sleep 0.1; done
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
