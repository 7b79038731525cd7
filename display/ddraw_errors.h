// The one message box every display routine uses to report a DirectDraw failure.
#pragma once

#include <windows.h>

// The name of a DirectDraw result code as the report shows it; a code the table
// does not know gives "DDERR_UNKNOWN" (its number is added by the report).
const char* ddraw_error_name(HRESULT code);

// Shows the failure `code` in a message box owned by `owner`; code 0 shows nothing.
void ddraw_error_report(HWND owner, HRESULT code);
