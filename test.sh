#!/usr/bin/env bash
# Installs what is missing, builds each configuration once and runs every test headless: the
# native build and its tests (those that need an X display each on a display of its own, side by
# side), the Windows executable and its tests under Wine, the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, bounded fuzzing of the readers (built in the
# sanitizer configuration), the benchmarks and the measurements. Each section tells how long it
# took; the run ends with every test that did not run and why, and the total time.
# Under CI=true a test or a section skipped because a tool is missing is a failure.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

started=$SECONDS
section_name="" section_started=0
section_times=()
skipped_sections=()
reports=()
checks_log=""

duration() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }
section_end() {
  [ -n "$section_name" ] || return 0
  local took=$((SECONDS - section_started))
  echo "== $section_name ($(duration "$took"))"
  section_times+=("$(printf '  %7s  %s' "$(duration "$took")" "$section_name")")
  section_name=""
}
section() {
  section_end
  section_name="$1" section_started=$SECONDS
  echo "== $1"
}
# skip_section WHAT WHY: a part of the run that cannot be done here; under CI=true that fails it.
skip_section() {
  echo "SKIPPED: $1: $2"
  skipped_sections+=("  test.sh: $1: $2")
  if [ "${CI:-}" = "true" ]; then
    echo "FAIL: under CI every tool is installed (tools/install-deps.sh)" >&2
    exit 1
  fi
}
summary() {
  local status=$?
  set +e
  local job
  for job in "${windows_tests:-}" "${soak:-}" "${ticks:-}" "${builds:-}" "${idle:-}"; do
    if [ -n "$job" ] && kill -0 "$job" 2>/dev/null; then
      kill "$job" 2>/dev/null
      wait "$job" 2>/dev/null
    fi
  done
  [ -z "${measurements:-}" ] || rm -rf "$measurements"
  section_end
  echo "== tests that did not run"
  [ ${#skipped_sections[@]} -eq 0 ] || printf '%s\n' "${skipped_sections[@]}"
  if [ ${#reports[@]} -gt 0 ]; then
    if [ -n "$checks_log" ]; then
      tests/skip-summary.sh --checks "$checks_log" "${reports[@]}"
    else
      tests/skip-summary.sh "${reports[@]}"
    fi
  fi
  [ ${#skipped_sections[@]} -eq 0 ] || echo "${#skipped_sections[@]} section(s) of test.sh skipped"
  echo "== time taken"
  printf '%s\n' "${section_times[@]}"
  printf '  %7s  %s\n' "$(duration $((SECONDS - started)))" "total"
  [ "$status" -eq 0 ] || echo "test.sh FAILED (exit status $status)"
}
trap summary EXIT

# configure DIR ARGUMENTS...: Ninja for a new build folder; one made before keeps its generator.
# Compilers run through ccache: a file compiled before on this machine, in this clone or in
# another one, is not compiled again. Paths inside the clone are hashed relative to it, and no
# compile command names the clone's folder (tests/build_paths.h), so a fresh clone finds what an
# earlier one left. The cache is keyed by the preprocessed source and the flags: a change is
# always compiled.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=true
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
configure() {
  local dir="$1"
  shift
  local generator=()
  if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
  cmake -S . -B "$dir" "${generator[@]}" "${launcher[@]}" "$@" >/dev/null
}
# run_tests DIR LABEL [CTEST ARGUMENTS...]: the tests of a build, side by side, with a JUnit
# report for the summary of what did not run.
run_tests() {
  local dir="$1" label="$2"
  shift 2
  reports+=("$label=$here/$dir/ctest-junit.xml")
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --output-junit "$here/$dir/ctest-junit.xml" "$@"
}

section "install what is missing"
tools/install-deps.sh

section "native build"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"

section "the Windows executable, built with the MinGW-w64 cross compiler"
windows=false
rm -f build-win/ctest.log
if command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 && command -v x86_64-w64-mingw32-windres >/dev/null 2>&1; then
  configure build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DCELWRIGHT_NATIVE_BUILD="$here/build"
  cmake --build build-win -j"$jobs"
  windows=true
else
  skip_section "the Windows executable and its tests under Wine" \
    "the MinGW-w64 cross compiler (g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64) is not installed"
fi

# The tests under Wine share one prefix and take turns (a resource lock); they mostly wait for
# the desktop, so they run beside the sanitizer build and the tests. Their whole output is kept.
windows_tests=""
if $windows; then
  checks_log="$here/build-win/ctest.log"
  echo "== the Windows executable's tests under Wine: started beside what follows"
  reports+=("Windows=$here/build-win/ctest-junit.xml")
  (
    t0=$SECONDS
    status=0
    ctest --test-dir build-win --output-on-failure -V -j"$jobs" --output-junit "$here/build-win/ctest-junit.xml" \
      >"$checks_log" 2>&1 || status=$?
    echo "$((SECONDS - t0))" >build-win/ctest.seconds
    exit "$status"
  ) &
  windows_tests=$!
fi

section "sanitizer build, with the fuzz targets (clang)"
configure build-asan -DCMAKE_BUILD_TYPE=Debug -DCELWRIGHT_SANITIZE=ON -DCELWRIGHT_FUZZ=ON \
  -DCELWRIGHT_FUZZ_SECONDS=25 -DCELWRIGHT_FUZZ_FILE_SECONDS=12
cmake --build build-asan -j"$jobs"

section "native tests"
run_tests build native

# The memory soak measures resident size, which the load beside it does not change; it takes a
# minute and more of waiting, so it runs beside the sanitizer tests. It is reported with the
# other measurements at the end.
measurements="$(mktemp -d)"
benchmarks/soak.sh build 200 60 >"$measurements/soak" 2>&1 &
soak=$!

section "tests with sanitizers"
# Leaks fail the run; the suppressions name only what the libraries under Qt keep for the
# process's life. The desktop journeys, which test what a user sees on the desktop rather than
# the program's memory, run on the native build and under Wine, not again here.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1 run_tests build-asan sanitizers -LE fuzz -E "^Journeys\."

if [ -n "$windows_tests" ]; then
  section "the Windows executable's tests under Wine (waiting for them)"
  windows_status=0
  wait "$windows_tests" || windows_status=$?
  windows_tests=""
  echo "they took $(duration "$(cat build-win/ctest.seconds 2>/dev/null || echo 0)")"
  if [ "$windows_status" -ne 0 ]; then
    grep -vE '^[0-9]+: ok ' "$checks_log" | tail -n 80
    exit 1
  fi
  grep -E '^[0-9]+: (the |both |client area|screenshot|playing)' "$checks_log" | sed 's/^[0-9]*: /  /'
  tail -n 3 "$checks_log"
fi

section "conformance of the platform layer: the same programs on the layer and on the system (Wine)"
for suite in build/tests/conformance/conformance_*; do
  if [ -x "$suite" ]; then "$suite" | tail -n 1; fi
done
if [ -n "$checks_log" ]; then
  grep -E '^[0-9]+: conformance ' "$checks_log" | sed 's/^[0-9]*: //'
fi

section "blitter and playback tick benchmarks (reported, not judged)"
if [ -x build/benchmarks/cw_bench_blit ]; then
  echo "blitter (rates beside a plain memory copy):"
  build/benchmarks/cw_bench_blit --benchmark_min_time=0.05 2>&1 | tail -n 12
fi
if [ -x build/benchmarks/cw_bench_playback ]; then
  echo "playback tick (the heaviest still tick, editor drawing and console preview, beside a memcpy of its bytes):"
  build/benchmarks/cw_bench_playback --benchmark_min_time=0.3 2>&1 | tail -n 4
fi

# The measurements of the running editors count each editor's own CPU time, wake-ups and ticks,
# which the fuzzers beside them do not change (an editor playing needs a few per cent of a core
# and gets its share); they wait most of their minute, so they run beside the fuzzing. The
# benchmarks above, whose figures are rates of the machine itself, ran alone.
echo "== measurements of the running editors: started beside the fuzzing"
benchmarks/measure_ticks.sh build 5 >"$measurements/ticks" 2>&1 &
ticks=$!
if $windows; then
  benchmarks/measure_builds.sh build build-win 10 >"$measurements/builds" 2>&1 &
else
  benchmarks/measure_builds.sh build "" 10 >"$measurements/builds" 2>&1 &
fi
builds=$!
tools/measure-idle.sh build >"$measurements/idle" 2>&1 &
idle=$!

section "fuzz the BMP, TIM, PNG, project file, data file, configuration and clipboard block readers (bounded, side by side)"
reports+=("fuzz=$here/build-asan/fuzz-junit.xml")
ctest --test-dir build-asan -L fuzz -j"$jobs" -V --output-junit "$here/build-asan/fuzz-junit.xml" \
  >build-asan/fuzz.log 2>&1 || { grep -vE '^[0-9]+: #[0-9]+' build-asan/fuzz.log | tail -n 60; exit 1; }
grep -E '^[0-9]+: Done [0-9]+ runs|Test +#[0-9]+: Fuzz\.' build-asan/fuzz.log | sed 's/^[0-9]*: /  /'

section "measurements of the running editors, side by side, each on a display of its own (reported, not judged)"
# measurement PID FILE TITLE: waits for one, prints what it measured; one that could not run for
# a missing tool is listed with the tests that did not run, and fails the run under CI=true (it
# said SKIPPED and ended with 1). Otherwise a measurement is reported, not judged.
measurement_failed=false
measurement() {
  local status=0
  wait "$1" || status=$?
  echo "-- $3"
  cat "$2"
  case "$status" in
    0) ;;
    77) skipped_sections+=("  test.sh: $(grep -m 1 '^SKIPPED: ' "$2" | sed 's/^SKIPPED: //')") ;;
    *) echo "(the measurement ended with status $status)"
       if grep -q '^SKIPPED: ' "$2"; then measurement_failed=true; fi ;;
  esac
}
measurement "$ticks" "$measurements/ticks" "tick rate and CPU of the running editor under Xvfb"
measurement "$builds" "$measurements/builds" "both builds side by side on one desktop, walk.cwp open, idle and playing"
measurement "$idle" "$measurements/idle" "idle cost on a desktop with openbox"
measurement "$soak" "$measurements/soak" "resident memory over 200 project opens and a minute of playback"
rm -rf "$measurements"
! $measurement_failed
