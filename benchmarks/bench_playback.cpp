// The playback tick of the editor itself, started in this process on the offscreen
// display with the heaviest project it holds: 12 pattern windows of 200 x 200 at 4x4,
// 20 frames each, and the image window at 32x32, on the test sheet as a 4-bit TIM (the
// console preview draws nothing of a 24-bit sheet, so the BMP would flatter it). Each tick runs beside a
// plain memcpy of as many bytes as the tick writes, in the same run (an idle tick, which finds nothing
// changed and draws nothing, is measured on its own); the counter "x_memcpy" is the tick's rate as a fraction
// of the copy's (1 = as fast as copying those bytes once, 0.5 = twice as slow).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "build_paths.h"
#include "project/app_state.h"
#include "demo_project.h"
#include "display/playback.h"
#include "display/redraw_keys.h"

namespace {

// Each iteration runs one tick and then one memcpy of `bytes`, each timed on its own,
// so that a machine busy with other work slows both alike. The benchmark's time is
// the tick's.
template <class F>
void run_against_memcpy(benchmark::State& state, size_t bytes, F tick) {
    using clock = std::chrono::steady_clock;
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    double tick_s = 0, copy_s = 0;
    for (auto _ : state) {
        const auto t0 = clock::now();
        tick();
        const auto t1 = clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        const auto t2 = clock::now();
        const double one_tick = std::chrono::duration<double>(t1 - t0).count();
        tick_s += one_tick;
        copy_s += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(one_tick);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["x_memcpy"] = tick_s > 0 ? copy_s / tick_s : 0;
}

// Every window drawn again, as after a change that touches them all.
void BM_HeaviestStillTick(benchmark::State& state) {
    click_panel_button(IDC_PLAY_STOP);
    run_against_memcpy(state, still_tick_bytes(), [] {
        forget_still_pictures();
        forget_image_picture();
        playback_tick();
    });
}

// The heaviest still tick with the console preview on: every frame of every window drawn
// texel by texel through the CLUT, as the console draws it.
void BM_HeaviestStillTickConsole(benchmark::State& state) {
    click_panel_button(IDC_PLAY_STOP);
    g_app.console_preview = true;
    run_against_memcpy(state, still_tick_bytes(), [] {
        forget_still_pictures();
        forget_image_picture();
        playback_tick();
    });
    g_app.console_preview = false;
}

// The same project left alone: nothing changed, so no window needs drawing.
void BM_IdleStillTick(benchmark::State& state) {
    click_panel_button(IDC_PLAY_STOP);
    playback_tick();
    for (auto _ : state) playback_tick();
}

// The running display redraws one window; the image window is redrawn as well.
void BM_RunningTick(benchmark::State& state) {
    click_panel_button(IDC_PLAY_FORWARD);
    run_against_memcpy(state, running_tick_bytes(g_playback.play_pattern), [] { playback_tick(); });
    click_panel_button(IDC_PLAY_STOP);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string sheet =
        std::string(build_paths::source_dir) + "/tests/data/tim/sheet_4bit_768_256_clut16_481.tim";
    if (!start_demo(sheet, DemoProject{}, true)) return 1;
    benchmark::RegisterBenchmark("BM_HeaviestStillTick", BM_HeaviestStillTick)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_HeaviestStillTickConsole", BM_HeaviestStillTickConsole)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_IdleStillTick", BM_IdleStillTick)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_RunningTick", BM_RunningTick)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::_Exit(0);  // the editor's windows go with the process
}
