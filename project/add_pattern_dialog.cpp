// IDD_ADD_PATTERN, "ﾊﾟﾀｰﾝ追加": the new pattern's name and the names of the frames to
// create with it. The frame names are edited in place in the list view.
#include <cstdio>
#include <cstdlib>

#include "project/app_state.h"
#include "project/editing.h"
#include "project/tables.h"

namespace {

HWND g_list = nullptr;
HWND g_label_edit = nullptr;  // the in-place label edit running in the list, 0 when none was started

int item_count() {
    return static_cast<int>(SendMessageA(g_list, LVM_GETITEMCOUNT, 0, 0));
}

void append_item(const char* text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = item_count();
    item.pszText = const_cast<char*>(text);
    SendMessageA(g_list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
}

// Reads item i into a zeroed 30-byte label field.
void item_text(int i, char (&label)[kLabelSize]) {
    char text[kLabelSize] = {0};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = kLabelSize;
    SendMessageA(g_list, LVM_GETITEMTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    set_label(label, text);
}

void set_item_text(int i, const char* text) {
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = const_cast<char*>(text);
    SendMessageA(g_list, LVM_SETITEMTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
}

void default_frame_label(char (&label)[kLabelSize], int i) {
    std::snprintf(label, sizeof label, "frame_%02d", i);
}

void on_init(HWND hwnd) {
    g_list = GetDlgItem(hwnd, IDC_FRAME_NAME_LIST);
    g_label_edit = nullptr;
    char name[kLabelSize];
    std::snprintf(name, sizeof name, "pattern_%02d", static_cast<int>(g_tables.data.header.pattern_count));
    SetDlgItemTextA(hwnd, IDC_PATTERN_NAME, name);
    SetDlgItemTextA(hwnd, IDC_FRAME_COUNT, "1");
    append_item("frame_00");
    SendDlgItemMessageA(hwnd, IDC_FRAME_COUNT_SPIN, UDM_SETRANGE, 0, 0x00010014);
    center_on_cursor(hwnd);
}

// Makes the list hold exactly the number of frames in the frame count field (IDC_FRAME_COUNT): names typed so
// far stay, new rows get the default names, rows beyond go.
void rebuild_list(HWND hwnd) {
    char digits[31] = {0};
    GetDlgItemTextA(hwnd, IDC_FRAME_COUNT, digits, sizeof digits);
    int n = std::atoi(digits);
    // A pattern holds 20 frames; the arrows stop there, and so does the list.
    if (n < 0) n = 0;
    if (n > kMaxFrames) n = kMaxFrames;
    const int had = item_count();
    for (int i = 0; i < n; ++i) {
        char label[kLabelSize];
        if (i < had) {
            item_text(i, label);
            if (label[0]) continue;
            default_frame_label(label, i);
            set_item_text(i, label);
        } else {
            default_frame_label(label, i);
            append_item(label);
        }
    }
    for (int i = had - 1; i >= n; --i) SendMessageA(g_list, LVM_DELETEITEM, static_cast<WPARAM>(i), 0);
}

void on_ok(HWND hwnd, LPARAM lp) {
    // Enter in the in-place editor ends the rename; it does not close the dialog.
    if (g_label_edit && reinterpret_cast<HWND>(lp) == g_label_edit) return;
    if (refuse_pattern_over_limit(hwnd)) return;
    char name[kLabelSize] = {0};
    GetDlgItemTextA(hwnd, IDC_PATTERN_NAME, name, kLabelSize);
    char label[kLabelSize];
    set_label(label, name);
    create_pattern(label);
    const int n = item_count();
    for (int i = 0; i < n && i < kMaxFrames; ++i) {
        item_text(i, label);
        add_frame(label);
    }
    EndDialog(hwnd, 0);
}

void on_notify(const NMHDR* hdr) {
    if (!hdr || hdr->hwndFrom != g_list) return;
    if (hdr->code == static_cast<UINT>(NM_DBLCLK)) {
        const int mark = static_cast<int>(SendMessageA(g_list, LVM_GETSELECTIONMARK, 0, 0));
        g_label_edit =
            reinterpret_cast<HWND>(SendMessageA(g_list, LVM_EDITLABEL, static_cast<WPARAM>(mark), 0));
    } else if (hdr->code == static_cast<UINT>(LVN_ENDLABELEDIT)) {
        // A cancelled edit carries no text and keeps the old name.
        const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(hdr);
        if (info->item.pszText) {
            char label[kLabelSize];
            set_label(label, info->item.pszText);
            set_item_text(info->item.iItem, label);
        }
    }
}

}  // namespace

INT_PTR CALLBACK add_pattern_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: on_init(hwnd); return FALSE;
        case WM_NOTIFY: on_notify(reinterpret_cast<const NMHDR*>(lp)); return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDC_FRAME_COUNT_APPLY: rebuild_list(hwnd); break;
                // The list's label edit has the id IDOK too, and the list hands its notifications
                // (focus gained and lost, text changed) on to the dialog: only a press is OK.
                case IDOK:
                    if (HIWORD(wp) == BN_CLICKED) on_ok(hwnd, lp);
                    break;
                case IDCANCEL: EndDialog(hwnd, 0); break;
            }
            return TRUE;
        case WM_DESTROY:
            g_list = nullptr;
            g_label_edit = nullptr;
            return FALSE;
    }
    return FALSE;
}
