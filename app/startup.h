// Start-up, the main loop and its idle tick.
#pragma once

#include <windows.h>

// Runs start-up up to (not including) the main loop. False: the program must end
// with exit code 0 (everything already released).
bool start_program(HINSTANCE instance, int show_command);
// What one pass of the main loop did.
enum class LoopStep { Dispatched, Ticked, Waited, Idle, Quit };
// How a pass of the main loop treats an empty queue.
enum class LoopMode {
    // As the program runs: the tick only while a window of the program is active and a
    // pattern plays or something shown waits to be drawn, one per display frame, waiting
    // for input or the next frame in between; with nothing to do, block until input comes.
    Paced,
    // One step at a time, for tests: the tick whenever a window of the program is active,
    // at once; never wait (Idle instead).
    Step,
};
// What the main loop does once it has handled input: a change of the project becomes a step
// of the undo history, and the edit menus and title follow it.
void after_input();
// A message taken from the queue, as the main loop hands it on: the main window's keys, the
// MDI keys and the two modeless dialogs' keys first, then the window's procedure.
void dispatch_message(MSG& msg);
// One pass of the main loop: a message taken and dispatched, the tick, or a wait.
// msg receives the message taken (WM_QUIT included).
LoopStep main_loop_step(MSG& msg, LoopMode mode);
// The main loop; returns the exit code from WM_QUIT after releasing everything.
int run_main_loop();
// One pass of the idle work the main loop runs while a program window is active.
void idle_tick();
// The main loop's ticks from now on: ticks_per_second (60 NTSC, 50 PAL), unless
// CELWRIGHT_TICK_HZ sets the rate for a measurement.
void set_tick_rate(int ticks_per_second);
