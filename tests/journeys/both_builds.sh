#!/usr/bin/env bash
# The native build's journey beside the one the executable took under Wine, compared:
#   both_builds.sh NATIVE_CELWRIGHT EXAMPLES OUT
# OUT/wine holds what Journeys.Wine left; the native journey goes to OUT/native.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
program="$1" examples="$2" out="$3"
if [ ! -x "$program" ]; then
  echo "SKIPPED: no native build's editor at $program to compare with (CELWRIGHT_NATIVE_BUILD)"
  [ "${CI:-}" = "true" ] && exit 1
  exit 77
fi
"$here/journey.sh" native "$program" "$examples" "$out/native" || exit $?
exec "$here/compare.sh" "$out/native" "$out/wine"
