// Start-up, the main loop and its idle tick.
#pragma once

#include <windows.h>

// Runs start-up up to (not including) the main loop. False: the program must end
// with exit code 0 (everything already released).
bool start_program(HINSTANCE instance, int show_command);
// The main loop; returns the exit code from WM_QUIT after releasing everything.
int run_main_loop();
// One pass of the idle work the main loop runs while a program window is active.
void idle_tick();
