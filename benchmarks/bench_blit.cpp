// The blits of a playback tick: the magnifying copy of a base frame into a 256 x 256
// canvas, and a colour-keyed frame copy. Each runs beside a plain memcpy of the same
// destination bytes in the same process; the counter "x_memcpy" is the blit's rate
// as a fraction of the copy's (1 = as fast as copying the pixels).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include <ddraw.h>

#include "ddraw/surfaces.h"

namespace {

constexpr int kCanvas = 256;

struct Set {
    explicit Set(int bpp) {
        cw::ddraw::set_surface_bits_per_pixel(bpp);
        DirectDrawCreate(nullptr, &dd, nullptr);
        dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    }
    ~Set() {
        for (auto* s : surfaces) s->Release();
        dd->Release();
        cw::ddraw::set_surface_bits_per_pixel(0);
    }
    LPDIRECTDRAWSURFACE make(int w, int h) {
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        d.dwWidth = static_cast<DWORD>(w);
        d.dwHeight = static_cast<DWORD>(h);
        LPDIRECTDRAWSURFACE s = nullptr;
        dd->CreateSurface(&d, &s, nullptr);
        surfaces.push_back(s);
        return s;
    }
    LPDIRECTDRAW dd = nullptr;
    std::vector<LPDIRECTDRAWSURFACE> surfaces;
};

// Fills a surface with a pattern in which about every third pixel is 0, the key.
void pattern(LPDIRECTDRAWSURFACE s) {
    const cw::gdi::PixelBuffer p = cw::ddraw::surface_pixels(s);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            cw::gdi::write_raw(p, x, y,
                               (x * 7 + y * 13) % 3 == 0 ? 0u : static_cast<uint32_t>(x * 31 + y * 17 + 1));
}

// Runs the blit for the benchmark's iterations, then the memcpy of the destination bytes
// as many times, and reports the ratio of the two rates.
template <class F>
void run_against_memcpy(benchmark::State& state, size_t bytes, F blit) {
    using clock = std::chrono::steady_clock;
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    int64_t n = 0;
    const auto t0 = clock::now();
    for (auto _ : state) {
        blit();
        ++n;
    }
    const auto t1 = clock::now();
    for (int64_t i = 0; i < n; ++i) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    const auto t2 = clock::now();
    const double blit_s = std::chrono::duration<double>(t1 - t0).count();
    const double copy_s = std::chrono::duration<double>(t2 - t1).count();
    state.SetBytesProcessed(n * static_cast<int64_t>(bytes));
    state.counters["x_memcpy"] = blit_s > 0 ? copy_s / blit_s : 0;
}

// Stretch of a (256 / factor)-square base frame to fill the canvas.
void BM_StretchBlt(benchmark::State& state) {
    const int factor = static_cast<int>(state.range(0));
    const int bpp = static_cast<int>(state.range(1));
    Set set(bpp);
    LPDIRECTDRAWSURFACE base = set.make(kCanvas / factor, kCanvas / factor);
    LPDIRECTDRAWSURFACE canvas = set.make(kCanvas, kCanvas);
    pattern(base);
    RECT dst{0, 0, kCanvas, kCanvas};
    run_against_memcpy(state, static_cast<size_t>(kCanvas) * kCanvas * (bpp / 8),
                       [&] { canvas->Blt(&dst, base, nullptr, DDBLT_WAIT, nullptr); });
}
BENCHMARK(BM_StretchBlt)->ArgsProduct({{1, 4, 32}, {16, 32}})->ArgNames({"factor", "bpp"});

// A 128 x 128 frame of the working image keyed onto a base surface at 1:1.
void BM_KeyedFrameBlt(benchmark::State& state) {
    const int bpp = static_cast<int>(state.range(0));
    Set set(bpp);
    LPDIRECTDRAWSURFACE working = set.make(kCanvas, kCanvas);
    LPDIRECTDRAWSURFACE base = set.make(160, 160);
    pattern(working);
    DDCOLORKEY key{0, 0};
    working->SetColorKey(DDCKEY_SRCBLT, &key);
    RECT src{40, 30, 168, 158}, dst{16, 16, 144, 144};
    run_against_memcpy(state, static_cast<size_t>(128) * 128 * (bpp / 8),
                       [&] { base->Blt(&dst, working, &src, DDBLT_WAIT | DDBLT_KEYSRC, nullptr); });
}
BENCHMARK(BM_KeyedFrameBlt)->Arg(16)->Arg(32)->ArgNames({"bpp"});

}  // namespace

BENCHMARK_MAIN();
