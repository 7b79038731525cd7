#!/usr/bin/env bash
# The two builds compared as a user would see them: what the native editor shows after the same
# steps the session under Wine took (tests/windows/session.sh), read from the native editor by
# the scenario driver:
#   compare_builds.sh CELWRIGHT-SCENARIO EXAMPLES SESSION_OUT
# The panel's controls at start, after opening walk.cwp and while it plays (enabled, visible,
# check, selection, text) must be the same lines, and the walk window's still picture the same
# pixels. Exit code 77 (skipped) when there is no native driver or the session left nothing to
# compare with; under CI=true that is a failure.
set -u
driver="$1" examples="$2" session="$3"
if [ ! -x "$driver" ]; then
  echo "SKIPPED: no native build's scenario driver at $driver to compare with (CELWRIGHT_NATIVE_BUILD)"
  [ "${CI:-}" = "true" ] && exit 1
  exit 77
fi
for f in controls-start.txt controls-open.txt controls-playing.txt walk.png; do
  if [ ! -f "$session/$f" ]; then
    echo "SKIPPED: the session under Wine left no $f to compare with"
    [ "${CI:-}" = "true" ] && exit 1
    exit 77
  fi
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$examples"/walk.cwp "$examples"/walk.spa "$examples"/walk.tim "$work"/
cat >"$work/steps.txt" <<'STEPS'
controls panel controls-start.txt
answer open "walk.cwp"
menu "ﾌｧｲﾙ(&F)" "開く(&C)"
controls panel controls-open.txt
tick
snapshot pattern 0 walk.png
click IDC_PLAY_FORWARD
controls panel controls-playing.txt
STEPS
if ! QT_QPA_PLATFORM=offscreen "$driver" --workdir "$work" "$work/steps.txt" >/dev/null; then
  echo "FAIL: the native editor did not take the steps"
  exit 1
fi
failures=0
for state in start open playing; do
  if ! diff <(iconv -f CP932 -t UTF-8 "$work/controls-$state.txt") \
            <(iconv -f CP932 -t UTF-8 "$session/controls-$state.txt") >"$work/diff.txt"; then
    echo "FAIL: the panel's controls differ ($state): < native, > Windows"
    cat "$work/diff.txt"
    failures=$((failures + 1))
  fi
done
differing=$(compare -metric AE "$work/walk.png" "$session/walk.png" null: 2>&1)
if [ "$differing" != "0" ]; then
  echo "FAIL: the walk window's picture differs in $differing pixels between the builds"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] && echo "both builds show the same controls and the same picture"
exit $((failures > 0))
