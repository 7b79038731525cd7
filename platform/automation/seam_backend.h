// Inside the seam: the backend it installs (seam_backend.cpp) and the state it uses
// (automation.cpp).
#pragma once

#include <windows.h>

#include <cstddef>

#include "automation/automation.h"

namespace cw::automation {

void install_seam();
void remove_seam();
bool seam_installed();

void modal_dialog_opened(HWND dialog, int resource_id);
bool test_acts_in_real_dialog(Answer::Kind kind);
void note_cursor(int id);
// How many of `wanted` bytes the disk has room for now, and the bytes it took.
size_t disk_room(size_t wanted);
void disk_used(size_t bytes);

}  // namespace cw::automation
