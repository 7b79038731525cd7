// Cut, copy and paste of whole patterns and single frames through the system clipboard,
// so that a pattern or frame also travels to another running editor. The block layouts
// are in project/clipboard_blocks.h.
#pragma once

// ID_EDIT_CUT: copies the pattern or frame selected in the tree, then deletes it after
// asking (delete_selected). The project, the only pattern and the only frame are refused.
void cut_selection();
// ID_EDIT_COPY: puts the pattern or frame selected in the tree on the clipboard.
void copy_selection();
// ID_EDIT_PASTE: appends the pattern on the clipboard as the last pattern, or else the
// frame on it as the last frame of the current pattern.
void paste_clipboard();
