// The resource compiler's model of a resource script: menus, dialogs, accelerators, icons and cursors as the
// script defines them, with texts already converted to CP932. parse_script() builds it and
// write_tables() (rc_writer.h) turns it into the C++ tables the window manager reads.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cw::rc {

// A refusal, reported as "file:line: message".
struct Diagnostic {
    std::string file;
    int line = 0;
    std::string message;
    std::string to_string() const;
};

struct MenuEntry {
    uint32_t flags = 0;  // MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_HELP, MF_MENU*BREAK
    uint32_t id = 0;     // 0 for popups and separators
    std::string text;    // CP932
    std::vector<MenuEntry> children;
};

struct MenuResource {
    int id = 0;
    std::vector<MenuEntry> items;
};

struct ControlResource {
    std::string class_name;  // canonical spelling for the system classes ("BUTTON", "SysListView32")
    std::string text;        // CP932, or "#n" when the script gives a resource number
    int id = 0;
    uint32_t style = 0;  // complete: statement defaults, WS_CHILD | WS_VISIBLE and the script's bits
    uint32_t ex_style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogResource {
    int id = 0;
    bool is_ex = false;
    uint32_t style = 0;
    uint32_t ex_style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;  // CP932
    int font_size = 0;    // 0 when the script sets no font
    std::string font_face;
    int font_weight = 0;  // DIALOGEX only; kept for completeness, the tables do not carry them
    bool font_italic = false;
    int font_charset = 1;  // DEFAULT_CHARSET
    int menu_id = 0;
    std::vector<ControlResource> controls;

    const ControlResource* control(int control_id) const;
};

// One key of an accelerator table: flags as the system's ACCEL (FVIRTKEY 0x01, FNOINVERT 0x02,
// FSHIFT 0x04, FCONTROL 0x08, FALT 0x10), the key (a virtual-key code, or a character) and the
// command it sends.
struct AcceleratorEntry {
    uint8_t flags = 0;
    uint16_t key = 0;
    uint16_t id = 0;
};

struct AcceleratorResource {
    int id = 0;
    std::vector<AcceleratorEntry> entries;
};

// An icon or cursor, decoded to 32-bit ARGB (not premultiplied), top row first.
struct ImageResource {
    int id = 0;
    bool is_cursor = false;
    int width = 0, height = 0;
    int hotspot_x = 0, hotspot_y = 0;
    std::vector<uint32_t> argb;
};

struct Script {
    std::vector<MenuResource> menus;
    std::vector<DialogResource> dialogs;
    std::vector<ImageResource> icons;
    std::vector<ImageResource> cursors;
    std::vector<AcceleratorResource> accelerators;

    const MenuResource* menu(int id) const;
    const AcceleratorResource* accelerator(int id) const;
    const DialogResource* dialog(int id) const;
    const ImageResource* icon(int id) const;
    const ImageResource* cursor(int id) const;
};

// Reads a file that the script names (#include, ICON, CURSOR); nullopt when it cannot be read.
using FileReader = std::function<std::optional<std::string>(const std::string& path)>;
std::optional<std::string> read_whole_file(const std::string& path);

struct ParseResult {
    std::optional<Script> script;  // set on success
    Diagnostic error;              // set on failure
    bool ok() const { return script.has_value(); }
};

// Parses a script held in memory. file_name is used in messages, and its folder is where
// #include "file" and icon/cursor file names are looked up (through reader); <file> is looked
// up in include_dirs. The compiler knows no symbol of its own: the SDK's constants (WS_CHILD,
// IDOK ...) come from the headers the script includes, as with the system's compilers.
ParseResult parse_script(std::string_view text, const std::string& file_name,
                         const FileReader& reader = read_whole_file,
                         const std::vector<std::string>& include_dirs = {});
ParseResult parse_script_file(const std::string& path, const std::vector<std::string>& include_dirs = {});

// UTF-8 to CP932. On failure returns nullopt and sets error (invalid UTF-8, or a character
// with no CP932 form, named as U+XXXX).
std::optional<std::string> utf8_to_cp932(std::string_view utf8, std::string& error);

// Picks the 32x32 image of an .ico (cursor = false) or .cur (cursor = true) file and decodes
// its DIB. Returns false and sets error for anything else (PNG entries, truncation, ...).
bool decode_icon_file(std::string_view bytes, bool cursor, ImageResource& out, std::string& error);

}  // namespace cw::rc
