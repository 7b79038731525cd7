// The seam as a backend: a table of win/backend.h that stands in front of the one it
// replaces (the linked backend's) and forwards everything it does not answer itself.
//
// It answers message boxes, file and colour dialogs from the queued answers (or shows the
// real ones when the test acts in them), shows popup menus for the test to choose in, and
// records each; it hands every modal dialog to the test once the dialog's loop runs; it
// keeps the pointer where the test's input left it; and it simulates a full disk.
#include "automation/seam_backend.h"

#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>

#include "win/backend.h"
#include "win/window.h"

namespace cw::automation {

namespace {

using cw::win::Window;

const cw::backend::Functions* g_inner = nullptr;  // what the seam stands in front of
// Every entry of a table is set when it is made, so the seam's is made from the one it
// stands in front of when it is installed.
std::optional<cw::backend::Functions> g_table;
// Modal dialogs handed to the test: whether the test's turn in each is over.
std::map<HWND, bool> g_served;

const cw::backend::Functions& inner() {
    return *g_inner;
}

HWND handle_of(const Window* w) {
    return w ? w->handle : nullptr;
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

int message_box(Window* owner, const std::string& text, const std::string& caption, UINT type) {
    auto a = take_answer(Answer::Box);
    if (!a) fail("a message box opened with no queued answer: \"" + caption + "\": \"" + text + "\"");
    if (!valid_answer(type, a->value))
        fail("the queued answer " + std::to_string(a->value) + " is not a button of the box \"" + caption +
             "\"");
    message_boxes().push_back(MessageBoxRecord{handle_of(owner), text, caption, type, a->value});
    return a->value;
}

// Appends the default extension when the chosen name has none, as the system dialog does.
std::string with_default_extension(const std::string& path, const std::string& ext) {
    if (ext.empty()) return path;
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.find('.') != std::string::npos) return path;
    return path + "." + ext;
}

// A queued answer, checked as the real dialog checks what is typed into it.
std::optional<std::string> queued_file(const Answer& a, const cw::backend::FileDialogRequest& r) {
    if (a.cancel) return std::nullopt;
    namespace fs = std::filesystem;
    std::string chosen = fs::absolute(fs::path(a.path)).lexically_normal().string();
    chosen = with_default_extension(chosen, r.default_ext);
    std::error_code ec;
    if ((r.flags & OFN_FILEMUSTEXIST) && !fs::exists(chosen, ec))
        fail("the open dialog only accepts an existing file: " + chosen);
    if ((r.flags & OFN_PATHMUSTEXIST) && !fs::is_directory(fs::path(chosen).parent_path(), ec))
        fail("the file dialog only accepts an existing folder: " + chosen);
    return chosen;
}

std::optional<std::string> file_dialog(const cw::backend::FileDialogRequest& r) {
    const Answer::Kind kind = r.save ? Answer::Save : Answer::Open;
    std::optional<std::string> chosen;
    if (auto a = take_answer(kind))
        chosen = queued_file(*a, r);
    else if (test_acts_in_real_dialog(kind))
        chosen = inner().file_dialog(r);
    else
        fail(std::string("a ") + (r.save ? "save" : "open") + " dialog \"" + r.title +
             "\" opened with no queued answer");
    file_dialogs().push_back(FileDialogRecord{r.save, handle_of(r.owner), r.title, r.initial_name, r.filter,
                                              r.default_ext, r.flags, r.struct_size, chosen.value_or("")});
    return chosen;
}

std::optional<COLORREF> choose_color(const cw::backend::ColorDialogRequest& r) {
    constexpr int kCustomColours = 16;
    ColorDialogRecord rec{handle_of(r.owner), r.initial, r.flags, {}, false, 0};
    if (r.custom) rec.custom.assign(r.custom, r.custom + kCustomColours);
    std::optional<COLORREF> chosen;
    if (auto a = take_answer(Answer::Color)) {
        if (!a->cancel) chosen = static_cast<COLORREF>(a->value) & 0x00FFFFFF;
    } else if (test_acts_in_real_dialog(Answer::Color)) {
        chosen = inner().choose_color(r);
    } else {
        fail("a colour dialog opened with no queued answer");
    }
    rec.chosen = chosen.has_value();
    if (chosen) rec.result = *chosen;
    color_dialogs().push_back(rec);
    return chosen;
}

// A popup the test acts in is shown for real, and the test chooses its item there as a user
// does; one the test has nothing to do with is closed at once, as with Esc.
UINT track_popup(HMENU menu, Window* owner, int x, int y, UINT flags) {
    const UINT chosen =
        test_acts_in_real_dialog(Answer::Menu) ? inner().track_popup(menu, owner, x, y, flags) : 0;
    popups().push_back(PopupRecord{handle_of(owner), menu, x, y, flags, chosen});
    return chosen;
}

// A modal dialog whose loop runs and that was not handed to the test yet, or null.
Window* unserved_dialog() {
    for (Window* w : cw::win::all_windows())
        if (w->dialog && w->dialog->modal && !w->dialog->ended && (w->style & WS_VISIBLE) &&
            !g_served.count(w->handle))
            return w;
    return nullptr;
}

// A dialog the test had its turn in and left open: nothing else will close it.
void refuse_to_wait() {
    for (const auto& [h, done] : g_served) {
        const Window* w = cw::win::window_from(h);
        if (done && w && w->dialog && !w->dialog->ended)
            fail("dialog " + dialog_name(w->dialog->resource_id) +
                 " is still open and nothing in the script closes it");
    }
}

// The user acts while the program waits for input: a modal dialog whose loop waits is handed
// to the test instead of waiting, once.
bool process_events(bool wait, int timeout_ms) {
    std::erase_if(g_served, [](const auto& entry) { return !cw::win::window_from(entry.first); });
    if (!wait) return inner().process_events(false, timeout_ms);
    if (Window* dialog = unserved_dialog()) {
        const HWND h = dialog->handle;
        g_served[h] = false;
        modal_dialog_opened(h, dialog->dialog->resource_id);
        if (g_served.count(h)) g_served[h] = true;
        return true;
    }
    refuse_to_wait();
    return inner().process_events(true, timeout_ms);
}

void show_cursor(Window* capture, HCURSOR cursor) {
    const cw::win::CursorInfo* info = cw::win::cursor_info(cursor);
    note_cursor(info ? info->id : 0);
    inner().show_cursor(capture, cursor);
}

POINT seam_cursor_position() {
    return cursor_position();
}

void seam_set_cursor_position(POINT p) {
    set_cursor_position(p);
}

long long write_bytes(int fd, const void* bytes, size_t count) {
    const size_t room = disk_room(count);
    if (count > 0 && room == 0) {
        errno = ENOSPC;
        return -1;
    }
    const long long n = inner().write_bytes(fd, bytes, room);
    if (n > 0) disk_used(static_cast<size_t>(n));
    return n;
}

}  // namespace

void install_seam() {
    if (g_inner) return;
    g_inner = &cw::backend::current();
    g_table.emplace(*g_inner);
    g_table->message_box = message_box;
    g_table->file_dialog = file_dialog;
    g_table->choose_color = choose_color;
    g_table->track_popup = track_popup;
    g_table->process_events = process_events;
    g_table->show_cursor = show_cursor;
    g_table->cursor_position = seam_cursor_position;
    g_table->set_cursor_position = seam_set_cursor_position;
    g_table->write_bytes = write_bytes;
    cw::backend::install(&*g_table);
}

void remove_seam() {
    if (!g_inner) return;
    cw::backend::install(g_inner == &cw::backend::linked() ? nullptr : g_inner);
    g_inner = nullptr;
    g_table.reset();
    g_served.clear();
}

bool seam_installed() {
    return g_inner != nullptr;
}

}  // namespace cw::automation
