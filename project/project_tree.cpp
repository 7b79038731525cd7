#include "project/project_tree.h"

#include "app/app_state.h"
#include "project/tables.h"

HTREEITEM insert_tree_item(HWND tree, HTREEITEM parent, HTREEITEM insert_after, const char* text) {
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent;
    ins.hInsertAfter = insert_after;
    ins.item.mask = TVIF_TEXT | TVIF_STATE;
    ins.item.state = TVIS_EXPANDED;
    ins.item.stateMask = TVIS_EXPANDED;
    ins.item.pszText = const_cast<char*>(text);
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&ins)));
    TVITEMA check{};
    check.mask = TVIF_STATE;
    check.hItem = item;
    check.state = INDEXTOSTATEIMAGEMASK(2);
    check.stateMask = TVIS_STATEIMAGEMASK;
    SendMessageA(tree, TVM_SETITEM, 0, reinterpret_cast<LPARAM>(&check));
    return item;
}

void get_tree_item_text(HWND tree, HTREEITEM item, char* buffer, int size) {
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = size;
    if (size > 0) buffer[0] = 0;
    SendMessageA(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&tv));
}

void set_tree_item_text(HWND tree, HTREEITEM item, const char* text) {
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = const_cast<char*>(text);
    SendMessageA(tree, TVM_SETITEM, 0, reinterpret_cast<LPARAM>(&tv));
}

namespace {
void set_number(HWND panel, int id, unsigned value) { SetDlgItemInt(panel, id, value, FALSE); }
}  // namespace

void show_frame(int p, int f) {
    if (p < 0 || p >= kMaxPatterns || f < 0 || f >= kMaxFrames) return;
    const FrameRecord& r = g_tables.frames[p][f];
    const PatternSettings& s = g_tables.settings[p];
    HWND panel = g_app.edit_panel;
    set_number(panel, 1024, r.timing);
    set_number(panel, 1025, r.correction_x);
    set_number(panel, 1026, r.correction_y);
    set_number(panel, 1027, r.image_x);
    set_number(panel, 1028, r.image_y);
    set_number(panel, 1029, r.image_w);
    set_number(panel, 1030, r.image_h);
    set_number(panel, 1033, s.base_w);
    set_number(panel, 1037, s.base_h);
}
