#include "app/frame_pacing.h"

#include <cstdlib>

FramePacer make_frame_pacer(int64_t frequency, int hz) {
    FramePacer p;
    p.period = hz > 0 && frequency > 0 ? frequency / hz : 0;
    return p;
}

int64_t time_to_next_tick(const FramePacer& pacer, int64_t now) {
    if (!pacer.running || pacer.period == 0 || now >= pacer.due) return 0;
    return pacer.due - now;
}

// How late the loop may fall behind its schedule and still make the frames up (a busy machine,
// a wait that ended late); after a longer stall (a modal dialog, a dragged window) it starts anew.
constexpr int64_t kFramesMadeUp = 6;

void tick_taken(FramePacer& pacer, int64_t now) {
    if (!pacer.running || now - pacer.due > kFramesMadeUp * pacer.period) {
        pacer.running = true;
        pacer.due = now + pacer.period;
        return;
    }
    pacer.due += pacer.period;
}

void pacing_stopped(FramePacer& pacer) {
    pacer.running = false;
}

uint32_t wait_milliseconds(int64_t units, int64_t frequency) {
    if (units <= 0 || frequency <= 0) return 0;
    return static_cast<uint32_t>((units * 1000 + frequency - 1) / frequency);
}

int tick_rate_from_environment(int chosen) {
    const char* v = std::getenv("CELWRIGHT_TICK_HZ");
    if (!v || !*v) return chosen;
    char* end = nullptr;
    const long n = std::strtol(v, &end, 10);
    if (*end || n < 0 || n > 1000) return chosen;
    return static_cast<int>(n);
}
