// Message boxes and the common file and colour dialogs. The window manager fills and
// reads the SDK structures; the backend shows the dialog and hands back the user's answer.
#include <commdlg.h>

#include <cstring>

#include "text/cp932.h"
#include "win/backend.h"
#include "win/window.h"

using cw::win::Window;

namespace {

std::string utf8(const char* cp932) {
    return cw::text::cp932_to_utf8(cp932 ? cp932 : "");
}

// Filter pairs: display text and pattern, each ended by NUL, the list by an extra NUL.
std::vector<std::string> filter_pairs(const char* filter) {
    std::vector<std::string> out;
    if (!filter) return out;
    for (const char* p = filter; *p; p += std::strlen(p) + 1) out.push_back(utf8(p));
    return out;
}

// Copies the chosen name into the caller's buffer; a name the program could not hold
// exactly would open or overwrite the wrong file, so it is refused with a message.
bool store_choice(LPOPENFILENAMEA ofn, const std::string& chosen) {
    bool lossless = true;
    const std::string cp932 = cw::text::utf8_to_cp932(chosen, &lossless);
    if (!lossless || cp932.size() + 1 > ofn->nMaxFile) {
        const std::string why = cw::text::utf8_to_cp932(
            lossless ? "ファイル名が長すぎます．" : "このファイル名には使えない文字が含まれています．");
        MessageBoxA(ofn->hwndOwner, why.c_str(), ofn->lpstrTitle, MB_OK | MB_ICONERROR);
        return false;
    }
    std::memcpy(ofn->lpstrFile, cp932.c_str(), cp932.size() + 1);
    const size_t slash = cp932.find_last_of('/');
    ofn->nFileOffset = static_cast<WORD>(slash == std::string::npos ? 0 : slash + 1);
    const size_t dot = cp932.find_last_of('.');
    ofn->nFileExtension = static_cast<WORD>(dot == std::string::npos || dot < ofn->nFileOffset ? 0 : dot + 1);
    return true;
}

BOOL run_file_dialog(LPOPENFILENAMEA ofn, bool save) {
    if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) return FALSE;
    cw::backend::ensure_started();
    cw::backend::FileDialogRequest request;
    request.save = save;
    request.owner = cw::win::window_from(ofn->hwndOwner);
    request.title = utf8(ofn->lpstrTitle);
    request.filter = filter_pairs(ofn->lpstrFilter);
    request.filter_index = ofn->nFilterIndex > 0 ? static_cast<int>(ofn->nFilterIndex) - 1 : 0;
    request.default_ext = utf8(ofn->lpstrDefExt);
    request.initial_dir = utf8(ofn->lpstrInitialDir);
    request.initial_name = utf8(ofn->lpstrFile);
    request.flags = ofn->Flags;
    request.struct_size = ofn->lStructSize;
    const std::optional<std::string> chosen = cw::backend::file_dialog(request);
    return chosen && store_choice(ofn, *chosen) ? TRUE : FALSE;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    cw::backend::ensure_started();
    // The program's windows stay inactive while the box is up, as they would behind a system box.
    Window* previous = cw::win::active_window();
    const HWND previous_h = previous ? previous->handle : nullptr;
    if (previous) cw::win::activate(nullptr, WA_INACTIVE);
    const int answer = cw::backend::message_box(cw::win::window_from(owner), utf8(text),
                                                utf8(caption ? caption : "Error"), type);
    if (Window* back = cw::win::window_from(previous_h)) cw::win::activate(back, WA_ACTIVE);
    return answer;
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) {
    return run_file_dialog(ofn, false);
}
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) {
    return run_file_dialog(ofn, true);
}
DWORD CommDlgExtendedError() {
    return 0;
}

BOOL ChooseColorA(CHOOSECOLORA* cc) {
    if (!cc) return FALSE;
    cw::backend::ColorDialogRequest request;
    request.owner = cw::win::window_from(cc->hwndOwner);
    request.initial = (cc->Flags & CC_RGBINIT) ? cc->rgbResult : RGB(0, 0, 0);
    request.custom = cc->lpCustColors;
    request.flags = cc->Flags;
    const std::optional<COLORREF> chosen = cw::backend::choose_color(request);
    if (chosen) cc->rgbResult = *chosen & 0x00FFFFFF;
    return chosen ? TRUE : FALSE;
}
