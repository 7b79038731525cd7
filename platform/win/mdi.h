// The MDI client and its children.
#pragma once

#include "win/window.h"

namespace cw::win {

// CreateWindowEx of a window with WS_EX_MDICHILD under an MDI client.
void mdi_place_new_child(Window* client, Window* child, int* x, int* y, int* width, int* height);
void mdi_child_created(Window* client, Window* child);
void mdi_child_destroying(Window* client, Window* child);
// A child that goes with its client or frame (not through DestroyWindow of its own):
// the client no longer lists it, nor holds it as the active child.
void mdi_child_gone(Window* client, Window* child);
void mdi_maximize(Window* client, Window* child);
void mdi_restore(Window* client, Window* child);
void mdi_activate_child(Window* client, Window* child);
// The MDI child that holds w (w itself or an ancestor), or nullptr.
Window* mdi_child_of(Window* w);
// Ctrl+F4 and Ctrl+F6 act on the active child; true when the key was taken.
bool mdi_system_key(Window* client, UINT vk, bool ctrl);
// What a maximised child puts on its frame's bar: its system menu item at position 0, shown as
// the child's icon (its class icon, else the system's application icon), and its minimise,
// restore and close buttons at the end, whose item ids are the SC_ commands they choose.
bool mdi_bar_has_system_item(HMENU bar);
bool mdi_bar_button(HMENU bar, int position);
HICON mdi_bar_icon(HMENU bar);
Window* mdi_active_child(Window* client);
bool is_mdi_client(const Window* w);
// The frame's caption: its own title (title, or the one it has when null), with " - [child]"
// while a child is maximised.
void mdi_update_frame_text(Window* client, const char* title);
// Called when the frame's menu bar is replaced with SetMenu.
void mdi_frame_menu_changed(Window* frame, HMENU old_bar, HMENU new_bar);

void register_mdi_client_class();

}  // namespace cw::win
