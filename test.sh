#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the normal build,
# then the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
tools/install-deps.sh
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

echo "== build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== the Windows executable, built with the MinGW-w64 cross compiler, and its tests under Wine"
rm -f build-win/ctest.log
if command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 && command -v x86_64-w64-mingw32-windres >/dev/null 2>&1; then
  cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DCELWRIGHT_NATIVE_BUILD="$here/build" >/dev/null
  cmake --build build-win -j"$jobs"
  # The tests under Wine share one prefix and run one at a time; their output is kept.
  if ! ctest --test-dir build-win --output-on-failure -V >build-win/ctest.log 2>&1; then
    grep -vE '^[0-9]+: ok ' build-win/ctest.log | tail -n 80
    exit 1
  fi
  grep -E '^[0-9]+: (the |both |client area|screenshot)' build-win/ctest.log | sed 's/^[0-9]*: /  /'
  tail -n 3 build-win/ctest.log
else
  echo "the MinGW-w64 cross compiler is not installed: the Windows executable is not built"
fi

echo "== conformance of the platform layer: the same programs on the layer and on the system (Wine)"
for suite in build/tests/conformance/conformance_*; do
  if [ -x "$suite" ]; then "$suite" | tail -n 1; fi
done
if [ -f build-win/ctest.log ]; then
  grep -E '^[0-9]+: conformance ' build-win/ctest.log | sed 's/^[0-9]*: //'
fi

echo "== build and test with sanitizers"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCELWRIGHT_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
# Leaks fail the run; the suppressions name only what Qt and the libraries under it keep for the process's life.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0" UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzz the BMP, TIM, project file, data file, configuration and clipboard block readers (bounded)"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCELWRIGHT_FUZZ=ON -DCELWRIGHT_FUZZ_SECONDS=25 \
  -DCELWRIGHT_FUZZ_FILE_SECONDS=12 >/dev/null
cmake --build build-fuzz --target fuzz_bmp fuzz_tim fuzz_project_file fuzz_data_file fuzz_configuration \
  fuzz_clipboard -j"$jobs"
for reader in bmp tim project_file data_file configuration clipboard; do
  cmake --build build-fuzz --target "fuzz_${reader}_run" 2>&1 | tail -n 2
done

echo "== blitter benchmarks (rates beside a plain memory copy; reported, not judged)"
if [ -x build/benchmarks/cw_bench_blit ]; then
  build/benchmarks/cw_bench_blit --benchmark_min_time=0.05 2>&1 | tail -n 12
fi

echo "== playback tick benchmarks (the heaviest still tick beside a memcpy of its bytes; reported, not judged)"
if [ -x build/benchmarks/cw_bench_playback ]; then
  build/benchmarks/cw_bench_playback --benchmark_min_time=0.3 2>&1 | tail -n 3
fi

echo "== tick rate and CPU of the running editor under Xvfb (reported, not judged)"
benchmarks/measure_ticks.sh build 5
echo "== resident memory over 200 project opens and a minute of playback (reported, not judged)"
benchmarks/soak.sh build 200 60 || echo "the soak could not be run"
echo "== both builds side by side on one desktop, walk.cwp open, idle and playing (reported, not judged)"
benchmarks/measure_builds.sh build build-win 10

echo "== idle cost on a real desktop (reported, not judged)"
tools/measure-idle.sh build || echo "the idle measurement could not be taken"
