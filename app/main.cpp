// The program's entry point.
#include <cstdio>

#include "app/command_line.h"
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command) {
    // --help and --version are answered before any window exists. A project named on the
    // command line is not opened: projects come from the menus and from dropped files.
    const int answered = answer_command_line(parse_command_line(command_line), stdout, stderr);
    if (answered != kStartEditor) return answered;
    if (!start_program(instance, show_command)) return 0;
    return run_main_loop();
}
