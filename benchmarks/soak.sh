#!/usr/bin/env bash
# Opens two copies of the example project in turn many times, then plays a pattern, in the real
# program run in-process by the scenario driver (offscreen), and reports the resident memory
# before and after. Closing a project must give back what opening it took: the target is less
# than 1 MB of growth. Reported, not judged: the exit status says only whether the run worked.
#
#   benchmarks/soak.sh [BUILD_DIR [OPENS [PLAY_SECONDS]]]      (defaults: build 200 60)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-build}" && pwd)"
opens="${2:-200}"
play="${3:-60}"
driver="$build/tools/scenario/celwright-scenario"
if [ ! -x "$driver" ]; then
  echo "soak: $driver is not built" >&2
  exit 1
fi

work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/a" "$work/b"
# The project names its image relative to the current folder, which holds it too.
for dir in "$work" "$work/a" "$work/b"; do cp "$root"/examples/walk.* "$dir/"; done

# Each "dump" marks a point of measurement: the driver sits in the "run" after it while the
# resident size is read, so the figures are those of an idle editor with the project open.
open_copy() {
  echo "answer open \"$work/$1/walk.cwp\""
  echo "menu ID_FILE_OPEN"
  echo "tick 2"
}
{
  echo "dump"
  echo "run 2"
  open_copy a
  open_copy b
  echo "dump"
  echo "run 2"
  for ((i = 0; i < opens; i++)); do
    open_copy "$([ $((i % 2)) -eq 0 ] && echo a || echo b)"
  done
  echo "dump"
  echo "run 2"
  echo "click IDC_PLAY_FORWARD"
  left="$play"
  while [ "$left" -gt 0 ]; do
    step=$((left > 60 ? 60 : left))
    echo "run $step"
    left=$((left - step))
  done
  echo "dump"
  echo "run 2"
} >"$work/soak.script"

resident_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }

started=$(date +%s)
QT_QPA_PLATFORM=offscreen "$driver" --workdir "$work" "$work/soak.script" >"$work/out" 2>"$work/err" &
pid=$!
marks=()
while [ "${#marks[@]}" -lt 4 ]; do
  if ! kill -0 "$pid" 2>/dev/null; then break; fi
  lines=$(grep -c '^{' "$work/out" 2>/dev/null || true)
  if [ "${lines:-0}" -gt "${#marks[@]}" ]; then
    sleep 0.5  # settled into the run that follows the dump
    marks+=("$(resident_kb "$pid")")
  fi
  sleep 0.1
done
status=0
wait "$pid" || status=$?
pid=""
if [ "$status" -ne 0 ] || [ "${#marks[@]}" -lt 4 ]; then
  echo "soak: the driver failed (status $status)" >&2
  cat "$work/err" >&2
  exit 1
fi
# The last dump shows the pattern playing: its frame moved while the loop ran.
python3 - "$work/out" <<'EOF' || { echo "soak: the pattern did not play" >&2; exit 1; }
import json, sys
dumps = [json.loads(l) for l in open(sys.argv[1]) if l.startswith('{')]
run = dumps[-1]["last_run"]
sys.exit(0 if run and int(run["ticks"]) > 0 and dumps[-1]["playback"]["play_step"] != 0 else 1)
EOF

mb() { awk -v k="$1" 'BEGIN { printf "%.1f MB", k / 1024 }'; }
delta() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.2f MB", (b - a) / 1024 }'; }
echo "soak: two copies of examples/walk.cwp opened in turn, then a pattern played ($(($(date +%s) - started)) s)"
printf '  %-40s %s\n' "resident at start, no project" "$(mb "${marks[0]}")"
printf '  %-40s %s\n' "after the first two opens (before)" "$(mb "${marks[1]}")"
printf '  %-40s %s  (%s)\n' "after $opens more opens" "$(mb "${marks[2]}")" "$(delta "${marks[1]}" "${marks[2]}")"
printf '  %-40s %s  (%s)\n' "after $play s of playback (after)" "$(mb "${marks[3]}")" "$(delta "${marks[2]}" "${marks[3]}")"
printf '  %-40s %s  (target: under +1 MB)\n' "growth, before to after" "$(delta "${marks[1]}" "${marks[3]}")"
