// Message boxes and the common file and colour dialogs. The window manager fills and
// reads the SDK structures, records every request for the automation seam and takes the
// seam's answer when a test gives one; otherwise the backend shows the dialog.
#include <commdlg.h>

#include <cstring>
#include <filesystem>

#include "automation/automation.h"
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

bool valid_answer(UINT type, int answer) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return answer == IDOK;
        case MB_OKCANCEL: return answer == IDOK || answer == IDCANCEL;
        case MB_YESNO: return answer == IDYES || answer == IDNO;
        case MB_YESNOCANCEL: return answer == IDYES || answer == IDNO || answer == IDCANCEL;
        case MB_RETRYCANCEL: return answer == IDRETRY || answer == IDCANCEL;
        case MB_ABORTRETRYIGNORE: return answer == IDABORT || answer == IDRETRY || answer == IDIGNORE;
    }
    return false;
}

// Appends the default extension when the chosen name has none, as the system dialog does.
std::string with_default_extension(const std::string& path, const char* ext) {
    if (!ext || !*ext) return path;
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.find('.') != std::string::npos) return path;
    return path + "." + utf8(ext);
}

// The seam's answer for a file dialog, checked as the real dialog checks what is typed.
std::optional<std::string> seam_file_answer(const cw::automation::FileDialogRecord& rec,
                                            LPOPENFILENAMEA ofn) {
    auto a =
        cw::automation::take_answer(rec.save ? cw::automation::Answer::Save : cw::automation::Answer::Open);
    if (!a)
        cw::automation::fail(std::string("a ") + (rec.save ? "save" : "open") + " dialog \"" + rec.title +
                             "\" opened with no queued answer");
    if (a->cancel) return std::nullopt;
    namespace fs = std::filesystem;
    std::string chosen = fs::absolute(fs::path(a->path)).lexically_normal().string();
    chosen = with_default_extension(chosen, ofn->lpstrDefExt);
    std::error_code ec;
    if ((ofn->Flags & OFN_FILEMUSTEXIST) && !fs::exists(chosen, ec))
        cw::automation::fail("the open dialog only accepts an existing file: " + chosen);
    if ((ofn->Flags & OFN_PATHMUSTEXIST) && !fs::is_directory(fs::path(chosen).parent_path(), ec))
        cw::automation::fail("the file dialog only accepts an existing folder: " + chosen);
    return chosen;
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
    cw::automation::FileDialogRecord rec{};
    rec.save = save;
    rec.owner = ofn->hwndOwner;
    rec.title = utf8(ofn->lpstrTitle);
    rec.initial_name = utf8(ofn->lpstrFile);
    rec.filter = filter_pairs(ofn->lpstrFilter);
    rec.default_ext = utf8(ofn->lpstrDefExt);
    rec.flags = ofn->Flags;
    rec.struct_size = ofn->lStructSize;

    std::optional<std::string> chosen;
    if (cw::automation::active()) {
        chosen = seam_file_answer(rec, ofn);
    } else {
        cw::backend::FileDialogRequest request;
        request.save = save;
        request.owner = cw::win::window_from(ofn->hwndOwner);
        request.title = rec.title;
        request.filter = rec.filter;
        request.filter_index = ofn->nFilterIndex > 0 ? static_cast<int>(ofn->nFilterIndex) - 1 : 0;
        request.default_ext = rec.default_ext;
        request.initial_dir = utf8(ofn->lpstrInitialDir);
        request.initial_name = rec.initial_name;
        request.flags = ofn->Flags;
        chosen = cw::backend::file_dialog(request);
    }
    const bool ok = chosen && store_choice(ofn, *chosen);
    if (ok) rec.result = *chosen;
    cw::automation::file_dialogs().push_back(rec);
    return ok ? TRUE : FALSE;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    cw::backend::ensure_started();
    cw::automation::MessageBoxRecord rec{owner, utf8(text), utf8(caption ? caption : "Error"), type, 0};
    int answer = 0;
    if (cw::automation::active()) {
        auto a = cw::automation::take_answer(cw::automation::Answer::Box);
        if (!a)
            cw::automation::fail("a message box opened with no queued answer: \"" + rec.caption + "\": \"" +
                                 rec.text + "\"");
        answer = a->value;
        if (!valid_answer(type, answer))
            cw::automation::fail("the queued answer " + std::to_string(answer) +
                                 " is not a button of the box \"" + rec.caption + "\"");
    } else {
        // The program's windows stay inactive while the box is up, as they would behind a system box.
        Window* previous = cw::win::active_window();
        const HWND previous_h = previous ? previous->handle : nullptr;
        if (previous) cw::win::activate(nullptr, WA_INACTIVE);
        answer = cw::backend::message_box(cw::win::window_from(owner), rec.text, rec.caption, type);
        if (Window* back = cw::win::window_from(previous_h)) cw::win::activate(back, WA_ACTIVE);
    }
    rec.answer = answer;
    cw::automation::message_boxes().push_back(rec);
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
    constexpr int kCustomColours = 16;
    cw::automation::ColorDialogRecord rec{};
    rec.owner = cc->hwndOwner;
    rec.initial = (cc->Flags & CC_RGBINIT) ? cc->rgbResult : RGB(0, 0, 0);
    rec.flags = cc->Flags;
    if (cc->lpCustColors) rec.custom.assign(cc->lpCustColors, cc->lpCustColors + kCustomColours);
    std::optional<COLORREF> chosen;
    if (cw::automation::active()) {
        auto a = cw::automation::take_answer(cw::automation::Answer::Color);
        if (!a) cw::automation::fail("a colour dialog opened with no queued answer");
        if (!a->cancel) chosen = static_cast<COLORREF>(a->value) & 0x00FFFFFF;
    } else {
        // CC_PREVENTFULLOPEN keeps the custom colours out of reach.
        chosen = cw::backend::choose_color(cw::win::window_from(cc->hwndOwner), rec.initial, cc->lpCustColors,
                                           !(cc->Flags & CC_PREVENTFULLOPEN));
    }
    rec.chosen = chosen.has_value();
    if (chosen) cc->rgbResult = rec.result = *chosen;
    cw::automation::color_dialogs().push_back(rec);
    return chosen ? TRUE : FALSE;
}
