#include "app/loop_report.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "project/app_state.h"

namespace {

struct Report {
    const char* path = std::getenv("CELWRIGHT_LOOP_STATS");
    uint64_t ticks = UINT64_MAX;
    uint64_t wakeups = UINT64_MAX;
    int64_t written_at = 0;
};

int64_t counter_now(int64_t* frequency) {
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    *frequency = f.QuadPart;
    return c.QuadPart;
}

}  // namespace

void report_loop_counts(bool now) {
    static Report r;
    if (!r.path || !*r.path) return;
    if (g_app.ticks == r.ticks && g_app.wakeups == r.wakeups) return;
    int64_t frequency = 0;
    const int64_t t = counter_now(&frequency);
    if (!now && t - r.written_at < frequency / 2) return;
    std::FILE* f = std::fopen(r.path, "w");
    if (!f) return;
    // When the counts were taken, in milliseconds of the performance counter: a reader divides
    // by the loop's own time, not by when it happened to read the file.
    std::fprintf(f, "ticks %llu\nwakeups %llu\nmilliseconds %lld\n",
                 static_cast<unsigned long long>(g_app.ticks), static_cast<unsigned long long>(g_app.wakeups),
                 static_cast<long long>(t / (frequency / 1000)));
    std::fclose(f);
    r.ticks = g_app.ticks;
    r.wakeups = g_app.wakeups;
    r.written_at = t;
}
