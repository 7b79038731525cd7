#!/usr/bin/env bash
# Fuzzes the readers of outside bytes for longer than ./test.sh's bounded runs: builds the
# libFuzzer targets in build-fuzz (configured with -DCELWRIGHT_FUZZ=ON when it is not yet,
# reused otherwise) and runs them one after the other, each on a scratch copy of its seeds
# (the committed corpus in tests/fuzz/corpus/READER and the files of tests/data the build
# names for it). Nothing is written into the repository.
#
#   tools/fuzz.sh [SECONDS] [READER...]
#     SECONDS   how long each target runs, 600 by default
#     READER    bmp tim png project_file data_file configuration clipboard (all of them by default)
#   FUZZ_RUNS=N        stops a target after N executions if SECONDS have not passed before
#   FUZZ_WORKDIR=DIR   keeps the scratch corpora, the logs and what was found in DIR; by
#                      default a temporary folder, removed at the end unless something was found
#
# Prints per target the executions, executions a second, seconds, corpus entries and what
# was found, and exits with status 1 when a target crashed, leaked, hung (25 s on one input)
# or ran out of memory (1 GB), printing the path of each input that did it. Keep such an
# input in tests/fuzz/regressions/READER, listed in tests/model/test_fuzz_inputs.cpp, once
# the reader is fixed.
#
# To refresh a committed corpus from a long run kept in DIR: copy the reader's tests/data
# seeds into an empty folder NEW, keep from the run what adds coverage they lack with
#   build-fuzz/tests/fuzz/programs/fuzz_READER -merge=1 -use_counters=0 NEW DIR/READER/corpus
# take the tests/data seeds out of NEW again and put what is left in tests/fuzz/corpus/READER.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

seconds="${1:-600}"
[ $# -gt 0 ] && shift
case "$seconds" in
  '' | *[!0-9]*)
    echo "usage: tools/fuzz.sh [SECONDS] [READER...]" >&2
    exit 2
    ;;
esac
case "${FUZZ_RUNS:-0}" in
  '' | *[!0-9]*)
    echo "FUZZ_RUNS must be a number of executions" >&2
    exit 2
    ;;
esac
all_readers=(bmp tim png project_file data_file configuration clipboard)
readers=("$@")
[ ${#readers[@]} -eq 0 ] && readers=("${all_readers[@]}")
for reader in "${readers[@]}"; do
  case " ${all_readers[*]} " in
    *" $reader "*) ;;
    *)
      echo "unknown reader '$reader'; one of: ${all_readers[*]}" >&2
      exit 2
      ;;
  esac
done

if [ -n "${FUZZ_WORKDIR:-}" ]; then
  work="$(realpath -m "$FUZZ_WORKDIR")"
  case "$work/" in
    "$here"/*)
      echo "FUZZ_WORKDIR must lie outside the repository" >&2
      exit 2
      ;;
  esac
fi

build="$here/build-fuzz"
if ! grep -qs '^CELWRIGHT_FUZZ:BOOL=ON$' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCELWRIGHT_FUZZ=ON >/dev/null
fi
targets=()
for reader in "${readers[@]}"; do targets+=("fuzz_$reader"); done
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)" >/dev/null

if [ -n "${FUZZ_WORKDIR:-}" ]; then
  mkdir -p "$work"
  keep=1
else
  work="$(mktemp -d "${TMPDIR:-/tmp}/celwright-fuzz.XXXXXX")"
  keep=0
fi

# Every seed file once, under the name of its contents, as libFuzzer names what it adds.
copy_seeds() {
  local list="$1" corpus="$2" dir file
  while IFS= read -r dir; do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' file; do
      cp "$file" "$corpus/$(sha1sum "$file" | cut -c1-40)"
    done < <(find "$dir" -type f -print0)
  done <"$list"
}

stat_of() {
  sed -n "s/^stat::$1: *//p" "$2" | tail -n 1
}

failed=0
rows=()
for reader in "${readers[@]}"; do
  dir="$work/$reader"
  mkdir -p "$dir/corpus"
  copy_seeds "$build/tests/fuzz/fuzz_$reader.seeds" "$dir/corpus"
  log="$dir/fuzz.log"
  echo "fuzzing $reader for $seconds s${FUZZ_RUNS:+ or $FUZZ_RUNS executions} (log: $log)"
  runs=()
  [ -n "${FUZZ_RUNS:-}" ] && runs=(-runs="$FUZZ_RUNS")
  start=$(date +%s)
  status=0
  "$build/tests/fuzz/programs/fuzz_$reader" -max_total_time="$seconds" "${runs[@]}" -rss_limit_mb=1024 -timeout=25 \
    -print_final_stats=1 -artifact_prefix="$dir/" "$dir/corpus" >"$log" 2>&1 || status=$?
  elapsed=$(($(date +%s) - start))
  executions="$(stat_of number_of_executed_units "$log")"
  rate="$(stat_of average_exec_per_sec "$log")"
  # The corpus libFuzzer holds at the end (the folder also keeps seeds that added nothing).
  entries="$(grep -ao 'corp: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2 || true)"
  found=()
  while IFS= read -r -d '' artifact; do found+=("$artifact"); done < <(
    find "$dir" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) \
      -print0)
  if [ "$status" -ne 0 ] || [ ${#found[@]} -gt 0 ]; then
    failed=1
    keep=1
    verdict="FOUND (exit status $status)"
  else
    verdict="nothing"
  fi
  rows+=("$(printf '%-14s %12s %10s %8s %9s  %s' "$reader" "${executions:-?}" "${rate:-?}" "$elapsed" "${entries:-?}" \
    "$verdict")")
  echo "  ${rows[-1]}"
  for artifact in "${found[@]}"; do echo "  input: $artifact"; done
  if [ "$status" -ne 0 ] && [ ${#found[@]} -eq 0 ]; then
    echo "  the fuzzer stopped without an input to show; see $log"
  fi
done

echo
printf '%-14s %12s %10s %8s %9s  %s\n' reader executions "exec/s" seconds corpus found
printf '%s\n' "${rows[@]}"
if [ "$keep" -eq 0 ]; then
  rm -rf "$work"
else
  echo "scratch corpora and logs: $work"
fi
exit "$failed"
