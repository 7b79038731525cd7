// The system menu (window menu) of an MDI child: what its caption stands for, in the system's
// texts, with the states its style and its state allow. GetSystemMenu hands it to the program,
// and the frame's menu bar carries it while the child is maximised.
#pragma once

#include "win/window.h"

namespace cw::win {

// The window's system menu with its states brought up to date, made on first use; nullptr for
// a window without one (no WS_SYSMENU, or a top-level window, whose window menu the desktop shows).
HMENU system_menu_of(Window* w);
// Greys what cannot apply now (move and size while maximised, restore while neither maximised
// nor minimised ...), as the system does whenever the menu is about to be shown.
void refresh_system_menu(Window* w);
// The window whose system menu this is, or nullptr.
Window* system_menu_owner(HMENU menu);
// The window goes: its system menu goes with it.
void release_system_menu(Window* w);

}  // namespace cw::win
