// The view menu's choices that are the user's settings: the console preview and the display rate
// (NTSC's 60 ticks a second or PAL's 50) at which patterns play; and the status bar's part that
// tells how long the current frame stays at that rate.
#pragma once

// The check marks of the view menus as the settings stand (at start and after every choice).
void show_view_choices();
// "ｺﾝｿｰﾙ表示": the pattern windows drawn by the console's rules, or by the editor's again.
void command_console_preview();
// "NTSC 60ﾌﾚｰﾑ/秒" or "PAL 50ﾌﾚｰﾑ/秒": patterns play at that many ticks a second.
void command_tick_rate(int ticks_per_second);
// The current frame's time in milliseconds at the display rate, in the status bar's second part;
// written only when it changed.
void show_frame_time();
// The status bar's parts for a main window client area w pixels wide: the project's path, then
// the frame's time.
void lay_out_status_bar(int w);
