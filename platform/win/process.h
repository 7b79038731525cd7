// Handles of processes (OpenProcess), which CloseHandle closes like those of files.
#pragma once

#include <windows.h>

namespace cw::win {

// Closes h when it is a process handle (the current process's pseudo handle included);
// false for any other handle.
bool close_process_handle(HANDLE h);

}  // namespace cw::win
