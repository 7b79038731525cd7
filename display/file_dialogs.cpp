#include "display/file_dialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>

#include "project/app_state.h"

const char kProjectFilter[] = "編集ﾌｧｲﾙ(*.cwp)\0*.cwp\0ｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙ(*.spa)\0*.spa\0";
const char kImageFilter[] = "ｲﾒｰｼﾞﾌｧｲﾙ(*.bmp,*.tim,*.png)\0*.bmp;*.tim;*.png\0";

namespace {

constexpr DWORD kOpenFlags =
    OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
static_assert(kOpenFlags == 0x0020180C);
constexpr DWORD kSaveFlags = OFN_LONGNAMES | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
static_assert(kSaveFlags == 0x00200808);

// Both file dialogs: owned by the main window, the first filter selected, no custom
// filter, file title or initial directory; the result goes into buffer.
OPENFILENAMEA file_dialog_request(char* buffer, DWORD size, const char* filter, const char* default_ext,
                                  const char* title, DWORD flags) {
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = g_app.main_window;
    ofn.hInstance = g_app.instance;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = size;
    ofn.lpstrTitle = title;
    ofn.Flags = flags;
    ofn.lpstrDefExt = default_ext;
    return ofn;
}

}  // namespace

void current_path(char* buffer, int size) {
    GetWindowTextA(g_app.status_bar, buffer, size);
}

void set_current_path(const char* path) {
    SetWindowTextA(g_app.status_bar, path);
}

bool open_file_dialog(char* buffer, DWORD size, const char* filter, const char* default_ext) {
    std::memset(buffer, 0, size < 4 ? size : 4);
    OPENFILENAMEA ofn = file_dialog_request(buffer, size, filter, default_ext, "ﾌｧｲﾙを開く", kOpenFlags);
    return GetOpenFileNameA(&ofn) != FALSE;
}

BOOL save_file_dialog(char* buffer, DWORD size, const char* filter, const char* default_ext) {
    current_path(buffer, static_cast<int>(size));
    OPENFILENAMEA ofn = file_dialog_request(buffer, size, filter, default_ext, "ﾌｧｲﾙを保存", kSaveFlags);
    return GetSaveFileNameA(&ofn);
}
