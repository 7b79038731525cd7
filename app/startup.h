// Start-up, the main loop and its idle tick.
#pragma once

#include <windows.h>

// Runs start-up up to (not including) the main loop. False: the program must end
// with exit code 0 (everything already released).
bool start_program(HINSTANCE instance, int show_command);
// What one pass of the main loop did.
enum class LoopStep { Dispatched, Ticked, Idle, Quit };
// One pass of the main loop: a message taken and dispatched, or, with the queue empty, the
// idle tick while a window of the program is active; otherwise WaitMessage when may_wait
// (Idle either way). msg receives the message taken (WM_QUIT included).
LoopStep main_loop_step(MSG& msg, bool may_wait);
// The main loop; returns the exit code from WM_QUIT after releasing everything.
int run_main_loop();
// One pass of the idle work the main loop runs while a program window is active.
void idle_tick();
