// Cut, copy and paste. The subject of cut and copy is the tree's selected item when it is
// the root, the current pattern's item or the current frame's item; paste appends to the
// tables, the pattern format taking precedence over the frame format.
#include "project/clipboard.h"

#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "project/app_state.h"
#include "display/ddraw_sets.h"
#include "display/panel_selection.h"
#include "display/pattern_window.h"
#include "project/clipboard_blocks.h"
#include "project/editing.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

constexpr UINT kBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;
static_assert(kBlockFlags == 0x2042);

constexpr char kCopyCaption[] = "ｺﾋﾟｰ";
constexpr char kCutCaption[] = "切り取り";
constexpr char kPasteCaption[] = "貼り付け";
constexpr char kClipboardBusy[] = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞを開けませんでした.\nｸﾘｯﾌﾟﾎﾞｰﾄﾞが使用中です.";

enum class Subject { None, Project, Pattern, Frame };

struct Selection {
    Subject subject = Subject::None;
    int pattern = -1;
    int frame = -1;
};

int combo_count(int id) {
    return static_cast<int>(SendDlgItemMessageA(g_app.edit_panel, id, CB_GETCOUNT, 0, 0));
}

int frame_count(int p) {
    return static_cast<int>(g_tables.data.entries[p].frame_count);
}

Selection selection() {
    const auto s =
        reinterpret_cast<HTREEITEM>(SendMessageA(g_app.project_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!s) return {};
    if (s == g_app.project_item) return {Subject::Project};
    const int a = current_pattern(), f = current_frame();
    if (a < 0 || a >= kMaxPatterns || static_cast<uint32_t>(a) >= g_tables.data.header.pattern_count)
        return {};
    if (s == g_tables.pattern_item[a]) return {Subject::Pattern, a};
    if (f >= 0 && f < frame_count(a) && f < kMaxFrames && s == g_tables.frame_items[a][f])
        return {Subject::Frame, a, f};
    return {};
}

void inform(const char* text, const char* caption) {
    MessageBoxA(g_app.main_window, text, caption, MB_ICONINFORMATION);
}

// Hands the bytes to the clipboard under the format, replacing what it held; false when
// the clipboard could not be had (nothing is placed then).
bool place(const char* format, const std::vector<uint8_t>& bytes) {
    const UINT id = RegisterClipboardFormatA(format);
    HGLOBAL block = GlobalAlloc(kBlockFlags, bytes.size());
    if (!id || !block) return false;
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    bool placed = false;
    if (OpenClipboard(g_app.main_window)) {
        EmptyClipboard();
        placed = SetClipboardData(id, block) != nullptr;
        CloseClipboard();
    }
    if (!placed) GlobalFree(block);
    return placed;
}

// Copies the selected pattern or frame; true when it is on the clipboard. A clipboard
// that cannot be had is said, under the caption of the command that wanted it.
bool copy_subject(const Selection& s, const char* caption) {
    bool placed = false;
    if (s.subject == Subject::Pattern)
        placed = place(kPatternFormat, encode_pattern_block(pattern_block_of(g_tables, s.pattern)));
    else if (s.subject == Subject::Frame)
        placed = place(kFrameFormat, encode_frame_block(frame_block_of(g_tables, s.pattern, s.frame)));
    else
        return false;
    if (!placed) MessageBoxA(g_app.main_window, kClipboardBusy, caption, MB_ICONERROR);
    return placed;
}

// The block under the format, read while the clipboard is open; nothing when it holds
// none or one no editor writes.
template <typename Block>
std::optional<Block> read_block(const char* format,
                                std::optional<Block> (*decode)(std::span<const uint8_t>)) {
    HANDLE data = GetClipboardData(RegisterClipboardFormatA(format));
    if (!data) return std::nullopt;
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(data));
    if (!bytes) return std::nullopt;
    std::optional<Block> block = decode(std::span<const uint8_t>(bytes, GlobalSize(data)));
    GlobalUnlock(data);
    return block;
}

// The panel shows the current frame of pattern p, or its base size when it has none.
void show_current_frame(int p) {
    const int f = current_frame();
    if (f >= 0 && f < frame_count(p))
        show_frame(p, f);
    else
        show_first_frame(p);
}

void paste_pattern(const PatternBlock& b) {
    if (pattern_limit_reached()) {
        inform("これ以上ﾊﾟﾀｰﾝを貼り付けられません.\nﾊﾟﾀｰﾝは12個までです.", kPasteCaption);
        return;
    }
    create_pattern(b.label);
    const int q = current_pattern();
    if (q < 0 || q >= kMaxPatterns) return;
    const uint32_t frames = b.entry.frame_count;
    for (uint32_t i = 0; i < frames; ++i) add_frame(b.frame_labels[i]);
    g_tables.data.entries[q] = b.entry;
    g_tables.settings[q] = b.settings;
    // Records beyond the frame count stay zero, as every free entry of a row is.
    for (uint32_t f = 0; f < static_cast<uint32_t>(kMaxFrames); ++f)
        g_tables.frames[q][f] = f < frames ? b.frames[f] : FrameRecord{};
    recreate_base_surface(q);
    set_color_key(g_tables.pattern_base_surface[q], 0);
    update_scroll_bars(g_tables.pattern_window[q], q);
    // The frames were shown as they were added, still empty.
    show_current_frame(q);
}

void paste_frame(const FrameBlock& b) {
    const int current = current_pattern();
    if (current >= 0 && current < kMaxPatterns && frame_count(current) >= kMaxFrames) {
        inform("これ以上ﾌﾚｰﾑを貼り付けられません.\nﾌﾚｰﾑは1ﾊﾟﾀｰﾝにつき20個までです.", kPasteCaption);
        return;
    }
    const HTREEITEM item = add_frame(b.label);
    if (!item) return;
    const int q = current_pattern(), f = current_frame();
    g_tables.frames[q][f] = b.record;
    // The base frame grows to hold the frame's image; the correction is not counted.
    PatternSettings& s = g_tables.settings[q];
    if (s.base_w <= b.record.image_w) s.base_w = b.record.image_w;
    if (s.base_h <= b.record.image_h) s.base_h = b.record.image_h;
    recreate_base_surface(q);
    // Selected as the add-frame command selects its new frame: the panel shows the pasted
    // values, and a copy or cut that follows takes this frame.
    SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

}  // namespace

void copy_selection() {
    const Selection s = selection();
    if (s.subject == Subject::Project) {
        inform("この項目はｺﾋﾟｰできません.", kCopyCaption);
        return;
    }
    copy_subject(s, kCopyCaption);
}

void cut_selection() {
    const Selection s = selection();
    switch (s.subject) {
        case Subject::None: return;
        case Subject::Project: inform("この項目は切り取れません.", kCutCaption); return;
        case Subject::Pattern:
            if (combo_count(IDC_PATTERN) == 1) {
                inform("これ以上ﾊﾟﾀｰﾝを切り取れません.", kCutCaption);
                return;
            }
            break;
        case Subject::Frame:
            if (combo_count(IDC_FRAME) == 1) {
                inform("これ以上ﾌﾚｰﾑを切り取れません.", kCutCaption);
                return;
            }
            break;
    }
    // Only what is safely on the clipboard is deleted.
    if (copy_subject(s, kCutCaption)) delete_selected(g_app.main_window);
}

void paste_clipboard() {
    if (!OpenClipboard(g_app.main_window)) {
        MessageBoxA(g_app.main_window, kClipboardBusy, kPasteCaption, MB_ICONERROR);
        return;
    }
    // The blocks are read and the clipboard closed before anything is pasted: pasting may
    // ask the user, and an open clipboard would keep it from every other program meanwhile.
    std::optional<PatternBlock> pattern = read_block(kPatternFormat, decode_pattern_block);
    std::optional<FrameBlock> frame;
    if (!pattern) frame = read_block(kFrameFormat, decode_frame_block);
    CloseClipboard();
    if (pattern)
        paste_pattern(*pattern);
    else if (frame)
        paste_frame(*frame);
}
