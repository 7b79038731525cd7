// The program's entry point.
#include <cstdio>

#include "app/command_line.h"
#include "app/file_commands.h"
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command) {
    // --help and --version are answered before any window exists. A file named on the command
    // line is opened as a dropped one is, once the editor stands; one that does not open has
    // been answered with the program's own message, and the editor runs on without it.
    const CommandLine words = parse_command_line(command_line);
    const int answered = answer_command_line(words, stdout, stderr);
    if (answered != kStartEditor) return answered;
    if (!start_program(instance, show_command)) return 0;
    if (!words.path.empty()) command_open_dropped(words.path.c_str());
    return run_main_loop();
}
