// The console's frame-buffer rules (files/frame_buffer_rules.h) as the editor shows them: the
// frame-buffer check lists every problem of the working image and the project in a window,
// where choosing one selects its pattern or frame in the project tree; and an image loaded
// whose place breaks a rule says so once, while the load goes on (the file is the user's).
#pragma once

#include <windows.h>

// "ﾌﾚｰﾑﾊﾞｯﾌｧの検査": the list of problems (dialog IDD_FRAME_BUFFER_CHECK), or a message that
// there are none.
void run_frame_buffer_check(HWND owner);

// After an image was loaded from path: one message naming the rules its place breaks, if any.
void report_sheet_problems(const char* path);
