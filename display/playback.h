// Playback: the tick the main loop runs while the program is idle, drawing every
// open pattern window (the still display) or the played pattern's window (the
// running display), and the eight playback buttons of the edit panel.
#pragma once

#include <windows.h>

#include "display/playback_rules.h"

extern PlaybackState g_playback;

// One tick: the image window, then the still or the running display, as the
// played pattern's play_mode says.
void playback_tick();
// Whether a tick now would change anything: a pattern plays, or a picture shown is out of
// date. While it is false the main loop waits for input instead of ticking.
bool playback_tick_due();
// WM_PAINT: the window shows what it shows (the still picture, or the running display's
// current frame), drawn again only where it is out of date; nothing advances.
void paint_pattern_window(int p);
void paint_image_window();

// A click on playback button id (IDC_PLAY_BACKWARD .. IDC_PLAY_LAST).
void press_playback_button(int id);
