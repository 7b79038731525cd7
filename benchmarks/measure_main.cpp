// celwright-measure idle|playing: the editor on the display it is given, with the
// heaviest project it holds (the playback benchmark's), left stopped (idle: the
// still display of 12 windows) or playing pattern 0, running its real main loop.
// It prints "ready" once the project is built; SIGUSR1 prints "ticks N" (the idle
// ticks run so far); SIGTERM ends it. measure_ticks.sh drives it.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "project/app_state.h"
#include "app/startup.h"
#include "demo_project.h"

namespace {

// Signal-safe: formats the tick count by hand and writes it in one call.
void report_ticks(int) {
    char line[32] = "ticks ";
    char digits[21];
    int n = 0;
    uint64_t v = g_app.ticks;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    size_t len = 6;
    while (n) line[len++] = digits[--n];
    line[len++] = '\n';
    (void)!write(STDOUT_FILENO, line, len);
}

void end_now(int) {
    _exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    const bool playing = argc > 1 && std::strcmp(argv[1], "playing") == 0;
    if (argc < 2 || (!playing && std::strcmp(argv[1], "idle") != 0)) {
        std::fprintf(stderr, "usage: celwright-measure idle|playing\n");
        return 2;
    }
    std::signal(SIGUSR1, report_ticks);
    std::signal(SIGTERM, end_now);
    if (!start_demo(demo_sheet_path(), DemoProject{}, false)) {
        std::fprintf(stderr, "the demo project could not be built\n");
        return 1;
    }
    if (playing) click_panel_button(IDC_PLAY_FORWARD);
    std::printf("ready\n");
    std::fflush(stdout);
    return run_main_loop();
}
