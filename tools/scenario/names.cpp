#include <windows.h>
#include <commctrl.h>

#include <map>

#include "res/resource.h"
#include "scenario/names.h"

namespace scenario {

namespace {

const std::map<std::string, long long>& symbols() {
#define N(x) \
    { #x, static_cast < long long>(x) }
    static const std::map<std::string, long long> names = {
        N(WM_NULL),
        N(WM_CREATE),
        N(WM_DESTROY),
        N(WM_MOVE),
        N(WM_SIZE),
        N(WM_ACTIVATE),
        N(WM_SETFOCUS),
        N(WM_KILLFOCUS),
        N(WM_ENABLE),
        N(WM_SETTEXT),
        N(WM_GETTEXT),
        N(WM_CLOSE),
        N(WM_QUIT),
        N(WM_SHOWWINDOW),
        N(WM_GETMINMAXINFO),
        N(WM_NOTIFY),
        N(WM_CONTEXTMENU),
        N(WM_KEYDOWN),
        N(WM_KEYUP),
        N(WM_CHAR),
        N(WM_INITDIALOG),
        N(WM_COMMAND),
        N(WM_SYSCOMMAND),
        N(WM_HSCROLL),
        N(WM_VSCROLL),
        N(WM_MOUSEMOVE),
        N(WM_LBUTTONDOWN),
        N(WM_LBUTTONUP),
        N(WM_LBUTTONDBLCLK),
        N(WM_RBUTTONDOWN),
        N(WM_RBUTTONUP),
        N(WM_MDICREATE),
        N(WM_MDIDESTROY),
        N(WM_MDIACTIVATE),
        N(WM_MDIRESTORE),
        N(WM_MDINEXT),
        N(WM_MDIMAXIMIZE),
        N(WM_MDITILE),
        N(WM_MDICASCADE),
        N(WM_MDIGETACTIVE),
        N(WM_MDISETMENU),
        N(WM_DROPFILES),
        N(WM_USER),
        N(WA_INACTIVE),
        N(WA_ACTIVE),
        N(WA_CLICKACTIVE),
        N(SIZE_RESTORED),
        N(SIZE_MINIMIZED),
        N(SIZE_MAXIMIZED),
        N(MK_LBUTTON),
        N(MK_RBUTTON),
        N(MK_SHIFT),
        N(MK_CONTROL),
        N(SC_CLOSE),
        N(SC_MAXIMIZE),
        N(SC_MINIMIZE),
        N(SC_RESTORE),
        N(SB_LINELEFT),
        N(SB_LINERIGHT),
        N(SB_LINEUP),
        N(SB_LINEDOWN),
        N(SB_PAGELEFT),
        N(SB_PAGERIGHT),
        N(SB_PAGEUP),
        N(SB_PAGEDOWN),
        N(SB_THUMBPOSITION),
        N(SB_THUMBTRACK),
        N(SB_ENDSCROLL),
        N(TB_ENDTRACK),
        N(IDOK),
        N(IDCANCEL),
        N(IDABORT),
        N(IDRETRY),
        N(IDIGNORE),
        N(IDYES),
        N(IDNO),
        N(BM_CLICK),
        N(BM_SETCHECK),
        N(BM_GETCHECK),
        N(BST_CHECKED),
        N(BST_UNCHECKED),
        N(CB_SETCURSEL),
        N(CB_GETCURSEL),
        N(TBM_SETPOS),
        N(TBM_GETPOS),
        N(TVM_SELECTITEM),
        N(TVGN_CARET),
        N(EN_CHANGE),
        N(BN_CLICKED),
        N(CBN_SELCHANGE),
        N(MB_OK),
        N(MB_OKCANCEL),
        N(MB_YESNO),
        N(MB_ICONERROR),
        N(MB_ICONINFORMATION),
#include "resource_names.inc"
    };
#undef N
    return names;
}

}  // namespace

bool symbol_value(const std::string& name, long long* value) {
    const auto it = symbols().find(name);
    if (it == symbols().end()) return false;
    *value = it->second;
    return true;
}

std::string dialog_name(int resource_id) {
    for (const auto& [name, value] : symbols())
        if (value == resource_id && name.rfind("IDD_", 0) == 0) return name;
    return std::to_string(resource_id);
}

}  // namespace scenario
