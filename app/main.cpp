// The program's entry point.
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    // The command line is ignored: projects come from the menus and from dropped files.
    if (!start_program(instance, show_command)) return 0;
    return run_main_loop();
}
