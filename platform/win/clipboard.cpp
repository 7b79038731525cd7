// The clipboard and the global memory blocks it carries.
//
// Formats are registered by name and numbered from 0xC000, one number per name whatever
// its case, as the system's atom table does. The clipboard itself is the desktop's and is
// shared with every other program: the backend moves bytes to and from it under those
// names (win/backend.h). What belongs to this process is kept here: which window has the
// clipboard open, whether it emptied it (and so owns it), the blocks it handed over with
// SetClipboardData and the blocks made for GetClipboardData while it is open. Blocks the
// clipboard holds cannot be freed by the program; the clipboard frees them itself.
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "text/cp932.h"
#include "win/backend.h"
#include "win/window.h"

namespace cw::win {

namespace {

// ---- global memory ----------------------------------------------------------------

struct Global {
    std::unique_ptr<uint8_t[]> memory;  // never null, so that a fixed block's handle is unique
    size_t size = 0;
    int locks = 0;
    bool held_by_clipboard = false;
};

constexpr UINT kKnownGlobalFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;
// Larger than a 32-bit program could ever be given.
constexpr size_t kMaxGlobalSize = 0x7FFFFFFF;
// Without GMEM_ZEROINIT the system gives whatever the memory held; a fixed non-zero
// filling makes a reader that counts on zeros show up.
constexpr uint8_t kUninitialisedByte = 0xCC;

// A moveable block's handle is its record; a fixed block's handle is its memory.
std::map<HGLOBAL, std::unique_ptr<Global>>& globals() {
    static std::map<HGLOBAL, std::unique_ptr<Global>> g;
    return g;
}

Global* global_of(HGLOBAL h) {
    const auto it = globals().find(h);
    return it == globals().end() ? nullptr : it->second.get();
}

HGLOBAL allocate(UINT flags, size_t bytes) {
    auto g = std::make_unique<Global>();
    g->memory = std::make_unique<uint8_t[]>(bytes > 0 ? bytes : 1);
    g->size = bytes;
    if (!(flags & GMEM_ZEROINIT)) std::memset(g->memory.get(), kUninitialisedByte, bytes);
    HGLOBAL h =
        (flags & GMEM_MOVEABLE) ? static_cast<HGLOBAL>(g.get()) : static_cast<HGLOBAL>(g->memory.get());
    globals()[h] = std::move(g);
    return h;
}

// ---- registered formats -------------------------------------------------------------

constexpr UINT kFirstFormat = 0xC000;
constexpr UINT kLastFormat = 0xFFFF;
constexpr size_t kMaxFormatName = 255;

// The names as first registered (UTF-8); format kFirstFormat + i is names[i].
std::vector<std::string>& format_names() {
    static std::vector<std::string> names;
    return names;
}

// The atom table ignores case. Only ASCII letters are folded: the names are compared in
// UTF-8, where no byte of a longer character looks like one.
bool same_name(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

const std::string* name_of(UINT format) {
    if (format < kFirstFormat || format - kFirstFormat >= format_names().size()) return nullptr;
    return &format_names()[format - kFirstFormat];
}

// ---- the clipboard ------------------------------------------------------------------

struct ClipboardState {
    bool open = false;
    HWND opener = nullptr;  // the window that opened it (may be none)
    bool emptied = false;   // EmptyClipboard was called while it stayed open
    HWND owner = nullptr;   // the window that emptied it last
    // Blocks handed over with SetClipboardData since the last EmptyClipboard, in order.
    std::vector<std::pair<UINT, HGLOBAL>> placed;
    // Blocks made for GetClipboardData while the clipboard is open.
    std::map<UINT, HGLOBAL> served;
};

ClipboardState& clipboard() {
    static ClipboardState c;
    return c;
}

void free_held(HGLOBAL h) {
    globals().erase(h);
}

void release_served() {
    for (const auto& [format, h] : clipboard().served) free_held(h);
    clipboard().served.clear();
}

void release_placed() {
    for (const auto& [format, h] : clipboard().placed) free_held(h);
    clipboard().placed.clear();
}

// Puts every block handed over since the last EmptyClipboard on the desktop's clipboard.
void publish() {
    std::vector<cw::backend::ClipboardBlock> blocks;
    for (const auto& [format, h] : clipboard().placed) {
        const Global* g = global_of(h);
        blocks.push_back(
            {*name_of(format), std::vector<uint8_t>(g->memory.get(), g->memory.get() + g->size)});
    }
    cw::backend::clipboard_put(blocks);
}

// The desktop's spelling of the format's name, when its clipboard holds that format.
std::optional<std::string> held_name(UINT format) {
    const std::string* name = name_of(format);
    if (!name) return std::nullopt;
    for (const std::string& held : cw::backend::clipboard_names())
        if (same_name(held, *name)) return held;
    return std::nullopt;
}

// Sets the error GetLastError reports and returns what the call returns on failure.
template <typename T>
T failed(DWORD code, T result) {
    SetLastError(code);
    return result;
}

}  // namespace

}  // namespace cw::win

using namespace cw::win;

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
    if (flags & ~kKnownGlobalFlags) return failed<HGLOBAL>(ERROR_INVALID_PARAMETER, nullptr);
    if (bytes > kMaxGlobalSize) return failed(ERROR_NOT_ENOUGH_MEMORY, nullptr);
    return allocate(flags, bytes);
}

LPVOID GlobalLock(HGLOBAL h) {
    Global* g = global_of(h);
    if (!g) return failed(ERROR_INVALID_HANDLE, nullptr);
    // A block of no bytes has no memory to point at.
    if (g->size == 0) return nullptr;
    ++g->locks;
    return g->memory.get();
}

BOOL GlobalUnlock(HGLOBAL h) {
    Global* g = global_of(h);
    if (!g) return failed<BOOL>(ERROR_INVALID_HANDLE, FALSE);
    if (g->locks == 0) return failed<BOOL>(ERROR_NOT_LOCKED, FALSE);
    if (--g->locks > 0) return TRUE;
    SetLastError(0);
    return FALSE;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    Global* g = global_of(h);
    if (!g) return failed(ERROR_INVALID_HANDLE, h);
    // The clipboard frees what it holds; freeing it here would leave the clipboard a dead block.
    if (g->held_by_clipboard) return failed(ERROR_ACCESS_DENIED, h);
    globals().erase(h);
    return nullptr;
}

size_t GlobalSize(HGLOBAL h) {
    const Global* g = global_of(h);
    if (!g) return failed(ERROR_INVALID_HANDLE, 0);
    return g->size;
}

UINT RegisterClipboardFormatA(LPCSTR name) {
    if (!name || !*name || std::strlen(name) > kMaxFormatName) return failed(ERROR_INVALID_PARAMETER, 0);
    const std::string utf8 = cw::text::cp932_to_utf8(name);
    std::vector<std::string>& names = format_names();
    for (size_t i = 0; i < names.size(); ++i)
        if (same_name(names[i], utf8)) return kFirstFormat + static_cast<UINT>(i);
    if (kFirstFormat + names.size() > kLastFormat) return failed(ERROR_NOT_ENOUGH_MEMORY, 0);
    names.push_back(utf8);
    return kFirstFormat + static_cast<UINT>(names.size() - 1);
}

BOOL OpenClipboard(HWND owner) {
    if (owner && !window_from(owner)) return failed<BOOL>(ERROR_INVALID_WINDOW_HANDLE, FALSE);
    ClipboardState& c = clipboard();
    if (c.open) return c.opener == owner ? TRUE : failed<BOOL>(ERROR_ACCESS_DENIED, FALSE);
    c.open = true;
    c.opener = owner;
    c.emptied = false;
    return TRUE;
}

BOOL CloseClipboard() {
    ClipboardState& c = clipboard();
    if (!c.open) return failed<BOOL>(ERROR_CLIPBOARD_NOT_OPEN, FALSE);
    release_served();
    c.open = false;
    c.opener = nullptr;
    c.emptied = false;
    return TRUE;
}

BOOL EmptyClipboard() {
    ClipboardState& c = clipboard();
    if (!c.open) return failed<BOOL>(ERROR_CLIPBOARD_NOT_OPEN, FALSE);
    release_served();
    release_placed();
    c.owner = c.opener;
    c.emptied = true;
    cw::backend::clipboard_put({});
    return TRUE;
}

// Data goes only onto a clipboard this process emptied while it held it open, and only
// when a window opened it: with none the clipboard has no owner and takes nothing, as on
// the system. Delayed rendering (no block) is not offered.
HANDLE SetClipboardData(UINT format, HANDLE mem) {
    ClipboardState& c = clipboard();
    if (!c.open) return failed(ERROR_CLIPBOARD_NOT_OPEN, nullptr);
    if (!c.emptied || !c.owner) return failed(ERROR_ACCESS_DENIED, nullptr);
    if (!name_of(format)) return failed(ERROR_INVALID_PARAMETER, nullptr);
    Global* g = global_of(mem);
    if (!g || g->held_by_clipboard) return failed(ERROR_INVALID_HANDLE, nullptr);
    for (auto it = c.placed.begin(); it != c.placed.end(); ++it) {
        if (it->first != format) continue;
        free_held(it->second);
        c.placed.erase(it);
        break;
    }
    g->held_by_clipboard = true;
    c.placed.push_back({format, mem});
    publish();
    return mem;
}

HANDLE GetClipboardData(UINT format) {
    ClipboardState& c = clipboard();
    if (!c.open) return failed(ERROR_CLIPBOARD_NOT_OPEN, nullptr);
    if (const auto it = c.served.find(format); it != c.served.end()) return it->second;
    const std::optional<std::string> name = held_name(format);
    if (!name) return nullptr;
    const std::optional<std::vector<uint8_t>> bytes = cw::backend::clipboard_read(*name);
    if (!bytes) return nullptr;
    HGLOBAL h = allocate(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes->size());
    Global* g = global_of(h);
    if (!bytes->empty()) std::memcpy(g->memory.get(), bytes->data(), bytes->size());
    g->held_by_clipboard = true;
    c.served[format] = h;
    return h;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    return held_name(format).has_value();
}
