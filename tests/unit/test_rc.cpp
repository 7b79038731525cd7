// The resource compiler (tools/rc) and the tables it generates from res/celwright.rc.
// This file is compiled with -fexec-charset=CP932: a plain Japanese literal is CP932 bytes,
// the form the compiled texts take; scripts given to the parser are u8"" literals (UTF-8).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "rc_script.h"
#include "rc_writer.h"
#include "win/resource_tables.h"
#include "build_paths.h"

namespace {

using cw::rc::ControlResource;
using cw::rc::DialogResource;
using cw::rc::MenuEntry;
using cw::rc::ParseResult;
using cw::rc::Script;

std::string u8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

// The SDK-named headers of the platform layer, which <windows.h> and <commctrl.h> name.
const std::string kSdkHeaders = std::string(build_paths::source_dir) + "/platform/include";
// What a script writes first to use the SDK's constants.
const std::string kSdk = "#include <windows.h>\n#include <commctrl.h>\n";

// Scripts and the files they name, in memory; the SDK headers are read from the source tree.
struct Files {
    std::map<std::string, std::string> files;
    std::vector<std::string> include_dirs = {"sdk", kSdkHeaders};
    cw::rc::FileReader reader() const {
        return [this](const std::string& path) -> std::optional<std::string> {
            auto it = files.find(path);
            if (it != files.end()) return it->second;
            if (path.rfind(kSdkHeaders + "/", 0) == 0) return cw::rc::read_whole_file(path);
            return std::nullopt;
        };
    }
    ParseResult parse(const std::string& text) const {
        return cw::rc::parse_script(text, "dir/test.rc", reader(), include_dirs);
    }
};

Script parse_ok(const std::string& text, const Files& files = {}) {
    ParseResult r = files.parse(text);
    EXPECT_TRUE(r.ok()) << r.error.to_string();
    return r.ok() ? *r.script : Script{};
}

std::string parse_error(const std::string& text, const Files& files = {}) {
    ParseResult r = files.parse(text);
    EXPECT_FALSE(r.ok()) << "accepted: " << text;
    return r.error.to_string();
}

std::vector<uint32_t> ids_of(const std::vector<MenuEntry>& items) {
    std::vector<uint32_t> ids;
    for (const MenuEntry& e : items) ids.push_back(e.id);
    return ids;
}

// ---- icon files built in memory ---------------------------------------------------------

void put16(std::string& b, uint16_t v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>(v >> 8);
}
void put32(std::string& b, uint32_t v) {
    put16(b, static_cast<uint16_t>(v & 0xFFFF));
    put16(b, static_cast<uint16_t>(v >> 16));
}

std::string dib(int size, int bpp, const std::string& palette, const std::string& xor_bits,
                const std::string& and_bits) {
    std::string b;
    put32(b, 40);
    put32(b, static_cast<uint32_t>(size));
    put32(b, static_cast<uint32_t>(size * 2));
    put16(b, 1);
    put16(b, static_cast<uint16_t>(bpp));
    put32(b, 0);
    put32(b, static_cast<uint32_t>(xor_bits.size() + and_bits.size()));
    b += std::string(16, '\0');
    return b + palette + xor_bits + and_bits;
}

// A directory of entries (size, field1, field2, data); type 1 = icon, 2 = cursor.
std::string icon_file(uint16_t type,
                      const std::vector<std::tuple<int, uint16_t, uint16_t, std::string>>& entries) {
    std::string b;
    put16(b, 0);
    put16(b, type);
    put16(b, static_cast<uint16_t>(entries.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
    std::string data;
    for (const auto& [size, f1, f2, bytes] : entries) {
        b += static_cast<char>(size);
        b += static_cast<char>(size);
        b += '\0';
        b += '\0';
        put16(b, f1);
        put16(b, f2);
        put32(b, static_cast<uint32_t>(bytes.size()));
        put32(b, offset);
        offset += static_cast<uint32_t>(bytes.size());
        data += bytes;
    }
    return b + data;
}

// 32x32, 32 bits: pixel (x, y) = (alpha 0x80, red x, green y, blue 7); no mask bits.
std::string alpha_icon() {
    std::string bits;
    for (int row = 31; row >= 0; --row)
        for (int x = 0; x < 32; ++x)
            bits += std::string{7, static_cast<char>(row), static_cast<char>(x), '\x80'};
    return icon_file(1, {{32, 1, 32, dib(32, 32, "", bits, std::string(128, '\0'))}});
}

// 32x32, 4 bits, all pixels palette colour 1 (pure red); the mask hides the top-left pixel.
std::string masked_4bit(uint16_t type = 1, uint16_t f1 = 1, uint16_t f2 = 4) {
    std::string palette =
        std::string("\0\0\0\0", 4) + std::string("\0\0\xFF\0", 4) + std::string(14 * 4, '\0');
    std::string bits(32 * 16, '\x11');
    std::string mask(32 * 4, '\0');
    mask[31 * 4] = '\x80';  // last row in the file is the top row of the image
    return icon_file(type, {{32, f1, f2, dib(32, 4, palette, bits, mask)}});
}

// ---- menus ---------------------------------------------------------------------------------

TEST(RcMenu, PopupsItemsFlagsAndTextsAsWritten) {
    const Script s =
        parse_ok(u8(u8R"rc(
        7 MENU
        BEGIN
            POPUP "ﾌｧｲﾙ(&F)"
            {
                MENUITEM "開く(&C)", 100
                MENUITEM "保存\tCtrl+S", 101, GRAYED
                MENUITEM SEPARATOR
                POPUP "最近" , INACTIVE
                BEGIN
                    MENUITEM "a""b", 102, CHECKED, GRAYED
                END
            }
            MENUITEM "ﾍﾙﾌﾟ", 103, HELP
        END
    )rc"));
    ASSERT_EQ(s.menus.size(), 1u);
    const auto& bar = s.menus[0].items;
    ASSERT_EQ(bar.size(), 2u);
    EXPECT_EQ(bar[0].flags, static_cast<uint32_t>(MF_POPUP));
    EXPECT_EQ(bar[0].text, "ﾌｧｲﾙ(&F)");
    EXPECT_EQ(bar[1].flags, static_cast<uint32_t>(MF_HELP));
    EXPECT_EQ(bar[1].id, 103u);

    const auto& file = bar[0].children;
    ASSERT_EQ(file.size(), 4u);
    EXPECT_EQ(ids_of(file), (std::vector<uint32_t>{100, 101, 0, 0}));
    EXPECT_EQ(file[0].text, "開く(&C)");
    EXPECT_EQ(file[0].flags, 0u);
    EXPECT_EQ(file[1].text, "保存\tCtrl+S");
    EXPECT_EQ(file[1].flags, static_cast<uint32_t>(MF_GRAYED));
    EXPECT_EQ(file[2].flags, static_cast<uint32_t>(MF_SEPARATOR));
    EXPECT_EQ(file[3].flags, static_cast<uint32_t>(MF_POPUP | MF_DISABLED));
    ASSERT_EQ(file[3].children.size(), 1u);
    EXPECT_EQ(file[3].children[0].text, "a\"b");
    EXPECT_EQ(file[3].children[0].flags, static_cast<uint32_t>(MF_CHECKED | MF_GRAYED));
}

TEST(RcMenu, IdsComeFromIncludedDefinesAndExpressions) {
    Files f;
    f.files["dir/ids.h"] =
        "#pragma once\n"
        "// command ids\n"
        "#ifndef IDS_H\n#define IDS_H\n"
        "#define ID_BASE 40000 /* first */\n"
        "#define ID_OPEN (ID_BASE + 3)\n"
        "#define IDR_MAIN 118L\n"
        "#endif\n"
        "#ifdef NOT_DEFINED\n#define ID_OPEN 1\n#else\n#define ID_EXIT 0x9C41\n#endif\n";
    const Script s = parse_ok(
        "#include \"ids.h\"\n#include \"ids.h\"\n"
        "IDR_MAIN MENU { POPUP \"F\" { MENUITEM \"o\", ID_OPEN\n MENUITEM \"x\", ID_EXIT } }\n",
        f);
    ASSERT_NE(s.menu(118), nullptr);
    EXPECT_EQ(ids_of(s.menu(118)->items[0].children), (std::vector<uint32_t>{40003, 40001}));
}

// ---- dialogs -------------------------------------------------------------------------------

TEST(RcDialog, StatementsImplyTheirClassAndDefaultStyles) {
    Files f;
    f.files["dir/i.ico"] = alpha_icon();
    const Script s = parse_ok(kSdk + R"rc(
        5 ICON "i.ico"
        1 DIALOG 0, 0, 100, 100
        BEGIN
            LTEXT "l", 10, 0, 0, 1, 1
            RTEXT "r", 11, 0, 0, 1, 1
            CTEXT "c", 12, 0, 0, 1, 1
            PUSHBUTTON "p", 13, 0, 0, 1, 1
            DEFPUSHBUTTON "d", 14, 0, 0, 1, 1
            CHECKBOX "k", 15, 0, 0, 1, 1
            AUTOCHECKBOX "a", 16, 0, 0, 1, 1
            GROUPBOX "g", 17, 0, 0, 1, 1
            EDITTEXT 18, 0, 0, 1, 1
            COMBOBOX 19, 0, 0, 1, 1
            ICON 5, 20, 0, 0
            CONTROL "t", 21, "msctls_trackbar32", TBS_AUTOTICKS, 0, 0, 1, 1
            ICON 5, 22, 3, 4, 40, 50
        END
    )rc",
                              f);
    const DialogResource& d = s.dialogs.at(0);
    struct Expect {
        int id;
        const char* cls;
        uint32_t style;
    };
    const uint32_t base = WS_CHILD | WS_VISIBLE;
    for (const Expect& e : std::initializer_list<Expect>{
             {10, "STATIC", base | SS_LEFT | WS_GROUP},
             {11, "STATIC", base | SS_RIGHT | WS_GROUP},
             {12, "STATIC", base | SS_CENTER | WS_GROUP},
             {13, "BUTTON", base | BS_PUSHBUTTON | WS_TABSTOP},
             {14, "BUTTON", base | BS_DEFPUSHBUTTON | WS_TABSTOP},
             {15, "BUTTON", base | BS_CHECKBOX | WS_TABSTOP},
             {16, "BUTTON", base | BS_AUTOCHECKBOX | WS_TABSTOP},
             {17, "BUTTON", base | BS_GROUPBOX},
             {18, "EDIT", base | ES_LEFT | WS_BORDER | WS_TABSTOP},
             {19, "COMBOBOX", base | CBS_SIMPLE | WS_TABSTOP},
             {20, "STATIC", base | SS_ICON},
             {21, "msctls_trackbar32", base | TBS_AUTOTICKS},
         }) {
        const ControlResource* c = d.control(e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(c->class_name, e.cls) << e.id;
        EXPECT_EQ(c->style, e.style) << e.id;
    }
    EXPECT_EQ(d.control(20)->text, "#5");
    // An icon control takes its image's size: a size in the script is read and left out, as
    // the system's compilers do.
    for (int id : {20, 22}) {
        EXPECT_EQ(d.control(id)->cx, 0) << id;
        EXPECT_EQ(d.control(id)->cy, 0) << id;
    }
    EXPECT_EQ(d.control(22)->x * 10 + d.control(22)->y, 34);
}

TEST(RcDialog, NotRemovesImpliedAndEarlierBits) {
    const Script s = parse_ok(kSdk + R"rc(
        1 DIALOG 0, 0, 100, 100
        BEGIN
            PUSHBUTTON "p", 1, 0, 0, 1, 1, NOT WS_TABSTOP | WS_DISABLED
            EDITTEXT 2, 0, 0, 1, 1, NOT WS_BORDER | ES_NUMBER | ES_READONLY, WS_EX_CLIENTEDGE
            CONTROL "", 3, "msctls_updown32", NOT WS_VISIBLE | UDS_ARROWKEYS, 0, 0, 1, 1
            CONTROL "", 4, "STATIC", SS_BLACKRECT | WS_GROUP | NOT WS_GROUP, 0, 0, 1, 1
        END
    )rc");
    const DialogResource& d = s.dialogs.at(0);
    EXPECT_EQ(d.control(1)->style, static_cast<uint32_t>(WS_CHILD | WS_VISIBLE | WS_DISABLED));
    EXPECT_EQ(d.control(2)->style,
              static_cast<uint32_t>(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER | ES_READONLY));
    EXPECT_EQ(d.control(2)->ex_style, static_cast<uint32_t>(WS_EX_CLIENTEDGE));
    EXPECT_EQ(d.control(3)->style, static_cast<uint32_t>(WS_CHILD | UDS_ARROWKEYS));
    EXPECT_EQ(d.control(4)->style, static_cast<uint32_t>(WS_CHILD | WS_VISIBLE | SS_BLACKRECT));
}

TEST(RcDialog, HeaderStyleCaptionFontAndMenu) {
    const Script s = parse_ok(kSdk + u8(u8R"rc(
        9 MENU { MENUITEM "z", 1 }
        1 DIALOG 1, 2, 30, 40
        BEGIN
        END
        2 DIALOG 0, 0, 10, 10
        STYLE WS_POPUP | WS_THICKFRAME
        CAPTION "ｸﾞﾘｯﾄﾞ"
        FONT 9, "ＭＳ Ｐゴシック"
        BEGIN
        END
        3 DIALOGEX 0, 0, 10, 10
        STYLE WS_CHILD
        EXSTYLE WS_EX_CLIENTEDGE
        MENU 9
        FONT 10, "F", 700, 1, 0x80
        BEGIN
            CONTROL "", 1, "syslistview32", LVS_LIST, 0, 0, 1, 1
            CONTROL "", 2, Button, BS_AUTOCHECKBOX, 0, 0, 1, 1
        END
    )rc"));
    const DialogResource* plain = s.dialog(1);
    EXPECT_FALSE(plain->is_ex);
    EXPECT_EQ(plain->style, static_cast<uint32_t>(WS_POPUP | WS_BORDER | WS_SYSMENU));
    EXPECT_EQ(plain->font_size, 0);
    EXPECT_EQ(plain->x + plain->y + plain->cx + plain->cy, 1 + 2 + 30 + 40);

    const DialogResource* styled = s.dialog(2);
    EXPECT_EQ(styled->style, static_cast<uint32_t>(WS_POPUP | WS_THICKFRAME | WS_CAPTION | DS_SETFONT));
    EXPECT_EQ(styled->caption, "ｸﾞﾘｯﾄﾞ");
    EXPECT_EQ(styled->font_face, "ＭＳ Ｐゴシック");

    const DialogResource* ex = s.dialog(3);
    EXPECT_TRUE(ex->is_ex);
    EXPECT_EQ(ex->style, static_cast<uint32_t>(WS_CHILD | DS_SETFONT));
    EXPECT_EQ(ex->ex_style, static_cast<uint32_t>(WS_EX_CLIENTEDGE));
    EXPECT_EQ(ex->menu_id, 9);
    EXPECT_EQ(ex->font_size, 10);
    EXPECT_EQ(ex->font_weight, 700);
    EXPECT_EQ(ex->controls.at(0).class_name, "SysListView32");
    EXPECT_EQ(ex->controls.at(1).class_name, "BUTTON");
}

// ---- refusals ------------------------------------------------------------------------------

TEST(RcErrors, NameTheFileAndLine) {
    EXPECT_EQ(parse_error("1 MENU\nBEGIN\n  MENUITEM \"a\", 1\n  ITEM \"b\", 2\nEND\n"),
              "dir/test.rc:4: unknown keyword 'ITEM' in a menu");
    EXPECT_EQ(parse_error("1 MENU\nBEGIN\n  MENUITEM \"a\", ID_MISSING\nEND\n"),
              "dir/test.rc:3: undefined symbol 'ID_MISSING' (is the header that defines it included?)");
    EXPECT_EQ(parse_error("1 MENU\nBEGIN\n  POPUP \"p\"\n  BEGIN\n    MENUITEM \"a\", 1\nEND\n"),
              "dir/test.rc:2: this BEGIN has no matching END");  // the inner END closes line 4's
    EXPECT_EQ(parse_error("1 DIALOG 0,0,1,1\nBEGIN\n  LTEXT \"a, 1, 0, 0, 1, 1\nEND\n"),
              "dir/test.rc:3: string is not closed on its line");
    EXPECT_EQ(parse_error("1 DIALOG 0,0,1,1\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1, 1, WS_BOGUS\nEND\n"),
              "dir/test.rc:3: undefined symbol 'WS_BOGUS' (is the header that defines it included?)");
    EXPECT_EQ(parse_error("1 DIALOG 0,0,1,1\nBEGIN\n  SLIDER 1, 0, 0, 1, 1\nEND\n"),
              "dir/test.rc:3: unknown keyword 'SLIDER' in a dialog");
    EXPECT_EQ(parse_error("\n1 BITMAP \"x.bmp\"\n"), "dir/test.rc:2: unknown resource type 'BITMAP'");
    EXPECT_EQ(parse_error("1 MENU { }\n1 MENU { }\n"), "dir/test.rc:2: menu 1 is defined twice");
    EXPECT_EQ(parse_error("1 MENUITEM \"x\", 70000\n"), "dir/test.rc:1: unknown resource type 'MENUITEM'");
    EXPECT_EQ(parse_error("1 MENU { MENUITEM \"x\", 70000 }\n"),
              "dir/test.rc:1: menu command ids must lie in 0..65535, not 70000");
    EXPECT_EQ(parse_error("1 MENU { MENUITEM \"a\\qb\", 1 }\n"),
              "dir/test.rc:1: unknown escape '\\q' in a string (write \\\\ for a backslash)");
}

TEST(RcErrors, InIncludedFilesAndPreprocessor) {
    Files f;
    f.files["dir/ids.h"] = "#define A 1\n#define B (A +)\n";
    EXPECT_EQ(parse_error("#include \"ids.h\"\n1 MENU { MENUITEM \"x\", B }\n", f),
              "dir/test.rc:2: expected a number or a symbol, found ')'");
    f.files["dir/bad.h"] = "#define OK 1\n#if OK\n#endif\n";
    EXPECT_EQ(parse_error("#include \"bad.h\"\n", f),
              "dir/bad.h:2: #if and #elif are not supported; use #ifdef or #ifndef");
    f.files["dir/open.h"] = "#ifdef X\n";
    EXPECT_EQ(parse_error("#include \"open.h\"\n", f), "dir/open.h:1: #ifdef or #ifndef has no #endif");
    EXPECT_EQ(parse_error("\n#include \"nowhere.h\"\n"),
              "dir/test.rc:2: cannot open include file 'nowhere.h'");
    EXPECT_EQ(parse_error("#define F(x) x\n"), "dir/test.rc:1: function-like macros are not supported");
    f.files["dir/loop.h"] = "#include \"loop.h\"\n";
    EXPECT_NE(parse_error("#include \"loop.h\"\n", f).find("nests too deeply"), std::string::npos);
}

TEST(RcErrors, TextsMustBeValidUtf8WithACp932Form) {
    EXPECT_EQ(parse_error(u8(u8"1 MENU\nBEGIN\n  MENUITEM \"ok \U0001F600\", 1\nEND\n")),
              "dir/test.rc:3: character U+1F600 '\xF0\x9F\x98\x80' has no CP932 form");
    EXPECT_EQ(parse_error("1 DIALOG 0,0,1,1\nCAPTION \"caf\xE9\"\nBEGIN\nEND\n"),
              "dir/test.rc:2: invalid UTF-8 (byte 0xE9)");
    // Characters CP932 does have, including ones whose second byte is a backslash.
    const Script s = parse_ok(u8(u8"1 MENU { MENUITEM \"表示×■①ｱ\", 1 }\n"));
    EXPECT_EQ(s.menus.at(0).items.at(0).text, "\x95\x5C\x8E\xA6\x81\x7E\x81\xA1\x87\x40\xB1");
}

TEST(RcErrors, UnsupportedConstructsAndDanglingReferences) {
    EXPECT_EQ(parse_error("1 MENUEX { }\n"),
              "dir/test.rc:1: MENUEX resources are not supported; write a MENU");
    EXPECT_EQ(parse_error("\"NAME\" MENU { }\n"), "dir/test.rc:1: resource names must be numbers");
    EXPECT_EQ(parse_error("1 DIALOG 0,0,1,1\nMENU 4\nBEGIN\nEND\n"), "dir/test.rc:2: menu 4 is not defined");
    EXPECT_EQ(parse_error("1 DIALOG 0,0,1,1\nBEGIN\n ICON 3, -1, 0, 0\nEND\n"),
              "dir/test.rc:3: icon 3 is not defined");
    EXPECT_EQ(parse_error("1 DIALOG 0,0,1,1\nFONT 9, \"F\", 400, 0, 1\nBEGIN\nEND\n"),
              "dir/test.rc:2: a FONT with weight, italic and charset needs DIALOGEX");
    EXPECT_EQ(parse_error("1 DIALOG 0,0,1,1\nBEGIN\n CONTROL \"\", 1, WIDGET, 0, 0, 0, 1, 1\nEND\n"),
              "dir/test.rc:3: expected the window class name");
    EXPECT_EQ(parse_error("END\n"), "dir/test.rc:1: END without BEGIN");
    EXPECT_EQ(parse_error("1 MENU { MENUITEM \"x\", 010 }\n"),
              "dir/test.rc:1: octal numbers are not supported (leading 0)");
}

// ---- icons and cursors ---------------------------------------------------------------------

TEST(RcImage, Decodes32BitAlphaAndMaskedPalettedImages) {
    cw::rc::ImageResource img;
    std::string error;
    ASSERT_TRUE(cw::rc::decode_icon_file(alpha_icon(), false, img, error)) << error;
    ASSERT_EQ(img.argb.size(), 32u * 32u);
    EXPECT_EQ(img.argb[0], 0x80000007u);            // top-left
    EXPECT_EQ(img.argb[31 * 32 + 5], 0x80051F07u);  // x 5 of the bottom row

    ASSERT_TRUE(cw::rc::decode_icon_file(masked_4bit(), false, img, error)) << error;
    EXPECT_EQ(img.argb[0], 0u);  // masked: transparent
    EXPECT_EQ(img.argb[1], 0xFFFF0000u);
    EXPECT_EQ(img.argb[32 * 32 - 1], 0xFFFF0000u);
}

TEST(RcImage, PicksThe32x32EntryAndReadsTheCursorHotSpot) {
    const std::string small = dib(16, 32, "", std::string(16 * 16 * 4, '\xFF'), std::string(16 * 4, '\0'));
    const std::string big = dib(32, 32, "", std::string(32 * 32 * 4, '\x40'), std::string(128, '\0'));
    cw::rc::ImageResource img;
    std::string error;
    ASSERT_TRUE(
        cw::rc::decode_icon_file(icon_file(2, {{16, 1, 1, small}, {32, 3, 9, big}}), true, img, error))
        << error;
    EXPECT_TRUE(img.is_cursor);
    EXPECT_EQ(img.hotspot_x, 3);
    EXPECT_EQ(img.hotspot_y, 9);
    EXPECT_EQ(img.argb[0], 0x40404040u);
}

TEST(RcImage, RefusesWhatItCannotDecode) {
    cw::rc::ImageResource img;
    std::string error;
    const std::string png =
        icon_file(1, {{32, 1, 32, std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, 'x')}});
    EXPECT_FALSE(cw::rc::decode_icon_file(png, false, img, error));
    EXPECT_NE(error.find("PNG-compressed"), std::string::npos) << error;

    std::string truncated = masked_4bit();
    truncated.resize(truncated.size() - 1);
    EXPECT_FALSE(cw::rc::decode_icon_file(truncated, false, img, error));
    EXPECT_NE(error.find("outside the file"), std::string::npos) << error;

    const std::string only16 =
        icon_file(1, {{16, 1, 32, dib(16, 32, "", std::string(1024, '\0'), std::string(64, '\0'))}});
    EXPECT_FALSE(cw::rc::decode_icon_file(only16, false, img, error));
    EXPECT_EQ(error, "the icon has no 32x32 image");

    EXPECT_FALSE(cw::rc::decode_icon_file(masked_4bit(), true, img, error));
    EXPECT_EQ(error, "this is an icon file, not a cursor");
    EXPECT_FALSE(cw::rc::decode_icon_file(masked_4bit(2, 40, 0), true, img, error));
    EXPECT_EQ(error, "the cursor's hot spot lies outside its image");

    Files f;
    f.files["dir/p.ico"] = png;
    EXPECT_EQ(
        parse_error("\n125 ICON \"p.ico\"\n", f),
        "dir/test.rc:2: p.ico: the 32x32 icon image is PNG-compressed; store it as an uncompressed bitmap");
}

// ---- generated source ----------------------------------------------------------------------

TEST(RcWriter, LiteralsAreEscapedBytesThatNoHexDigitExtends) {
    EXPECT_EQ(cw::rc::cpp_string_literal("\x83\x74"), "\"\\x83t\"");
    EXPECT_EQ(cw::rc::cpp_string_literal("\x83"
                                         "A"
                                         "\x83"
                                         "g"),
              "\"\\x83\" \"A\\x83g\"");
    EXPECT_EQ(cw::rc::cpp_string_literal("\x95\x5C"
                                         "1"),
              "\"\\x95\\x5C\" \"1\"");
    EXPECT_EQ(cw::rc::cpp_string_literal("a\"b\\c?\n"), "\"a\\x22\" \"b\\x5C\" \"c\\x3F\\x0A\"");
}

TEST(RcWriter, DialogLayoutsListEveryControlInTemplateOrder) {
    const Script s = parse_ok(kSdk + R"rc(
        7 DIALOG 1, 2, 100, 60
        STYLE WS_POPUP | WS_CAPTION
        FONT 9, "F"
        BEGIN
            LTEXT "a", -1, 3, 4, 20, 8
            EDITTEXT 10, 25, 4, 30, 12, ES_NUMBER
        END
        8 DIALOG 0, 0, 10, 10
        BEGIN
        END
    )rc");
    const std::string h = cw::rc::write_dialog_layouts(s, "dir/test.rc");
    EXPECT_NE(h.find("// Generated by celwright-rc from test.rc"), std::string::npos);
    const size_t label = h.find("{\"STATIC\", -1, 0x50020000u, 3, 4, 20, 8},");
    const size_t edit = h.find("{\"EDIT\", 10, 0x50812000u, 25, 4, 30, 12},");
    EXPECT_NE(label, std::string::npos) << h;
    EXPECT_NE(edit, std::string::npos) << h;
    EXPECT_LT(label, edit);
    EXPECT_NE(h.find("{7, 0x80C00040u, 100, 60, 9, kDialog7Controls, 2},"), std::string::npos) << h;
    EXPECT_NE(h.find("{8, 0x80880000u, 10, 10, 0, nullptr, 0},"), std::string::npos) << h;
}

// The compiler knows no constant of its own: like the system's compilers it takes them from
// the headers the script includes, here the layer's SDK-named ones, with their values.
TEST(RcConstants, ComeFromTheIncludedSdkHeaders) {
    const std::vector<std::pair<std::string, uint32_t>> names = {
        {"WS_POPUP", WS_POPUP},
        {"WS_OVERLAPPEDWINDOW", WS_OVERLAPPEDWINDOW},
        {"WS_EX_CLIENTEDGE", WS_EX_CLIENTEDGE},
        {"WS_EX_OVERLAPPEDWINDOW", WS_EX_OVERLAPPEDWINDOW},
        {"DS_MODALFRAME", DS_MODALFRAME},
        {"ES_NUMBER", ES_NUMBER},
        {"BS_CENTER", BS_CENTER},
        {"SS_BLACKRECT", SS_BLACKRECT},
        {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST},
        {"LVS_NOCOLUMNHEADER", LVS_NOCOLUMNHEADER},
        {"UDS_AUTOBUDDY", UDS_AUTOBUDDY},
        {"TBS_AUTOTICKS", TBS_AUTOTICKS},
        {"TVS_CHECKBOXES", TVS_CHECKBOXES},
        {"SBARS_SIZEGRIP", SBARS_SIZEGRIP},
        {"IDCANCEL", IDCANCEL},
        {"IDNO", IDNO},
    };
    std::string script = kSdk;
    for (size_t i = 0; i < names.size(); ++i)
        script += std::to_string(i + 1) + " DIALOG 0, 0, 1, 1 STYLE " + names[i].first + " BEGIN END\n";
    const Script s = parse_ok(script);
    for (size_t i = 0; i < names.size(); ++i) {
        const DialogResource* d = s.dialog(static_cast<int>(i + 1));
        ASSERT_NE(d, nullptr) << names[i].first;
        EXPECT_EQ(d->style, names[i].second) << names[i].first;
    }
    // Without the header the constant is unknown, as it is to the system's compilers.
    EXPECT_EQ(parse_error("1 DIALOG 0, 0, 1, 1\nSTYLE WS_POPUP\nBEGIN\nEND\n"),
              "dir/test.rc:2: undefined symbol 'WS_POPUP' (is the header that defines it included?)");
}

TEST(RcConstants, SystemHeadersAreLookedUpInTheIncludeFoldersOnly) {
    Files f;
    f.files["dir/ids.h"] = "#define ID_LOCAL 5\n";
    f.files["sdk/ids.h"] = "#define ID_SDK 6\n";
    // "file" is found beside the script first, <file> only in the include folders.
    Script s = parse_ok("#include \"ids.h\"\n1 MENU { MENUITEM \"a\", ID_LOCAL }\n", f);
    EXPECT_EQ(s.menu(1)->items.at(0).id, 5u);
    s = parse_ok("#include <ids.h>\n1 MENU { MENUITEM \"a\", ID_SDK }\n", f);
    EXPECT_EQ(s.menu(1)->items.at(0).id, 6u);
    EXPECT_EQ(parse_error("#include <nowhere.h>\n", f),
              "dir/test.rc:1: cannot open include file <nowhere.h>: it is in none of the include folders");
    Files no_folders;
    no_folders.include_dirs.clear();
    EXPECT_EQ(parse_error(kSdk, no_folders),
              "dir/test.rc:1: cannot open include file <windows.h>: it is in none of the include folders");
}

TEST(RcConstants, AHeaderGivesOnlyItsDirectives) {
    Files f;
    // C declarations, a cast, a function-like macro, a pragma of the C compiler and a guard on
    // RC_INVOKED: the script sees the plain #defines and nothing else.
    f.files["sdk/api.h"] =
        "#pragma once\n"
        "#pragma pack(push, 2)\n"
        "typedef struct tagX { int a; } X;\n"
        "int Function(const char* s, X* x);\n"
        "#ifndef RC_INVOKED\n#include <cstdint>\n#define ONLY_FOR_C 1\n#endif\n"
        "#define ID_PLAIN (0x10 | 0x01)\n"
        "#define ID_CAST ((unsigned short)7)\n"
        "#define ID_CHAR 'a'\n"
        "#define MAKE(x) ((x) << 1)\n"
        "#define ID_USES_CHAR (ID_CHAR + 1)\n";
    const std::string head = "#include <api.h>\n1 MENU { MENUITEM \"a\", ";
    EXPECT_EQ(parse_ok(head + "ID_PLAIN }\n", f).menu(1)->items.at(0).id, 0x11u);
    EXPECT_EQ(parse_error(head + "ONLY_FOR_C }\n", f),
              "dir/test.rc:2: undefined symbol 'ONLY_FOR_C' (is the header that defines it included?)");
    EXPECT_EQ(parse_error(head + "ID_CAST }\n", f),
              "dir/test.rc:2: undefined symbol 'unsigned' (is the header that defines it included?)");
    EXPECT_EQ(parse_error(head + "MAKE(1) }\n", f),
              "dir/test.rc:2: 'MAKE' cannot be used in a resource script: function-like macros are not "
              "supported");
    EXPECT_EQ(parse_error(head + "ID_CHAR }\n", f),
              "dir/test.rc:2: 'ID_CHAR' cannot be used in a resource script: unexpected character '''");
    EXPECT_EQ(parse_error(head + "ID_USES_CHAR }\n", f),
              "dir/test.rc:2: 'ID_USES_CHAR' uses 'ID_CHAR', which cannot be used in a resource script: "
              "unexpected character '''");
    // In the script itself such text is still refused where it stands.
    EXPECT_EQ(parse_error("int Function(void);\n"),
              "dir/test.rc:1: undefined symbol 'int' (is the header that defines it included?)");
}

// ---- the program's own script --------------------------------------------------------------

class CelwrightScript : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ParseResult r = cw::rc::parse_script_file(std::string(build_paths::source_dir) + "/res/celwright.rc",
                                                  {kSdkHeaders});
        ASSERT_TRUE(r.ok()) << r.error.to_string();
        script_ = new Script(*r.script);
    }
    static void TearDownTestSuite() {
        delete script_;
        script_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(script_, nullptr) << "res/celwright.rc did not compile"; }
    static const Script& script() { return *script_; }
    static const std::vector<MenuEntry>& bar(int id) { return script().menu(id)->items; }
    static Script* script_;
};
Script* CelwrightScript::script_ = nullptr;

TEST_F(CelwrightScript, MenuBarsGreyWhatNeedsAProject) {
    for (int id : {118, 111, 112}) {
        const auto& items = bar(id);
        ASSERT_EQ(items.size(), 5u) << id;
        EXPECT_EQ(items[0].text, "ﾌｧｲﾙ(&F)");
        EXPECT_EQ(items[1].text, "編集(&E)");
        EXPECT_EQ(items[2].text, "表示(&V)");
        EXPECT_EQ(items[3].text, "ｳｨﾝﾄﾞｳ(&W)");
        EXPECT_EQ(items[4].text, "ﾍﾙﾌﾟ(&H)");
        const auto& file = items[0].children;
        EXPECT_EQ(ids_of(file), (std::vector<uint32_t>{40002, 40003, 40004, 40005, 0, 40001})) << id;
        EXPECT_EQ(file[4].flags, static_cast<uint32_t>(MF_SEPARATOR));
        const bool no_project = id == 118;
        const uint32_t greyed = no_project ? MF_GRAYED : 0;
        EXPECT_EQ(file[2].flags, greyed) << id;
        EXPECT_EQ(file[3].flags, greyed) << id;
        EXPECT_EQ(file[0].flags | file[1].flags | file[5].flags, 0u) << id;
        EXPECT_EQ(file[5].text, "終了");

        const auto& edit = items[1].children;
        EXPECT_EQ(ids_of(edit), (std::vector<uint32_t>{40055, 40056, 0, 40040, 40041, 40042, 40037, 0, 40029,
                                                       0, 40024, 40031, 0, 40054, 40060}))
            << id;
        EXPECT_EQ(edit.back().text, "ﾌﾚｰﾑﾊﾞｯﾌｧの検査(&B)");
        EXPECT_EQ(edit[0].text, "元に戻す(&U)\tCtrl+Z");
        EXPECT_EQ(edit[1].text, "やり直し(&R)\tCtrl+Y");
        for (const MenuEntry& e : edit)
            if (e.flags != MF_SEPARATOR) {
                // Undo and redo start greyed: there is nothing to undo until the user changes something.
                const uint32_t expected = e.id == 40055 || e.id == 40056 ? MF_GRAYED : greyed;
                EXPECT_EQ(e.flags, expected) << id << " " << e.id;
            }
    }
    // View and Window without a popup are greyed items whose ids no real command uses.
    for (const auto& [menu, pos] : std::initializer_list<std::pair<int, int>>{{118, 2}, {118, 3}, {111, 3}}) {
        const MenuEntry& e = bar(menu)[pos];
        EXPECT_EQ(e.flags, static_cast<uint32_t>(MF_GRAYED)) << menu << " " << pos;
        EXPECT_TRUE(e.children.empty());
        EXPECT_TRUE(e.id == 40050 || e.id == 40051) << e.id;
    }
    // The view menu: the image window, the console preview, and the display rate.
    for (int menu : {111, 112}) {
        const auto& view = bar(menu)[2].children;
        EXPECT_EQ(ids_of(view), (std::vector<uint32_t>{40009, 0, 40057, 0, 40058, 40059})) << menu;
        if (view.size() != 6) continue;
        EXPECT_EQ(view[0].text, "ｲﾒｰｼﾞｳｨﾝﾄﾞｳ(&I)");
        EXPECT_EQ(view[2].text, "ｺﾝｿｰﾙ表示(&C)");
        EXPECT_EQ(view[4].text, "NTSC 60ﾌﾚｰﾑ/秒(&N)");
        EXPECT_EQ(view[5].text, "PAL 50ﾌﾚｰﾑ/秒(&P)");
    }
    EXPECT_EQ(ids_of(bar(118)[4].children), std::vector<uint32_t>{40044});
    EXPECT_EQ(ids_of(bar(111)[4].children), std::vector<uint32_t>{40044});
    EXPECT_EQ(ids_of(bar(112)[4].children), (std::vector<uint32_t>{40044, 40045}));
    EXPECT_EQ(bar(112)[4].children[0].text, "ﾊﾞｰｼﾞｮﾝ情報");
}

TEST_F(CelwrightScript, PatternMenuHasTheWindowPopupFourth) {
    const MenuEntry& window = bar(112)[3];
    EXPECT_EQ(window.flags, static_cast<uint32_t>(MF_POPUP));
    ASSERT_EQ(ids_of(window.children), (std::vector<uint32_t>{40019, 40020, 40022}));
    EXPECT_EQ(window.children[0].text, "重ねて表示(&C)");
    EXPECT_EQ(window.children[1].text, "並べて表示(&T)");
    EXPECT_EQ(window.children[2].text, "すぺて閉じる(&L)");
}

TEST_F(CelwrightScript, ZoomMenusStartAtOneToOne) {
    for (int id : {103, 117}) {
        const MenuEntry& zoom = bar(id)[0];
        EXPECT_EQ(zoom.text, "拡大率(&Z)");
        ASSERT_EQ(ids_of(zoom.children), (std::vector<uint32_t>{40010, 40011, 40012, 40013, 40014, 40015}));
        EXPECT_EQ(zoom.children[0].flags, static_cast<uint32_t>(MF_CHECKED)) << id;
        for (size_t i = 1; i < 6; ++i) EXPECT_EQ(zoom.children[i].flags, 0u) << id;
        EXPECT_EQ(zoom.children[0].text, "1×1");
        EXPECT_EQ(zoom.children[5].text, "32×32");
    }
    EXPECT_EQ(bar(117).size(), 1u);
    ASSERT_EQ(bar(103).size(), 3u);
    EXPECT_EQ(bar(103)[1].id, 40039u);
    EXPECT_EQ(bar(103)[1].text, "ﾌﾚｰﾑｾｯﾄ(&S)");
    EXPECT_EQ(bar(103)[2].id, 40008u);
}

TEST_F(CelwrightScript, EditPanelControlsInOrderWithTheirStates) {
    const DialogResource* d = script().dialog(119);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->is_ex);
    EXPECT_EQ(d->style, 0x58000040u);
    EXPECT_EQ(d->cx, 121);
    EXPECT_EQ(d->cy, 216);
    EXPECT_EQ(d->caption, "");
    EXPECT_EQ(d->font_size, 9);
    EXPECT_EQ(d->font_face, "ＭＳ Ｐゴシック");

    std::vector<int> ids;
    for (const ControlResource& c : d->controls) ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{1034, 1050, 1035, -1,   1049, 1036, -1,   1018, -1,   1010,
                                     1011, 1012, 1013, 1014, 1015, 1016, 1017, 1031, 1032, -1,
                                     1019, -1,   1020, -1,   1024, -1,   1025, 1026, -1,   1027,
                                     1028, -1,   1029, 1030, 1042, 1043, -1,   1033, 1037, 1060}));
    EXPECT_EQ(d->control(1019)->class_name, "msctls_trackbar32");
    EXPECT_TRUE(d->control(1019)->style & TBS_AUTOTICKS);
    for (int id = 1010; id <= 1017; ++id) {
        EXPECT_EQ(d->control(id)->class_name, "BUTTON");
        EXPECT_EQ((d->control(id)->style & BS_CENTER), static_cast<uint32_t>(BS_CENTER)) << id;
        EXPECT_EQ((d->control(id)->style & WS_DISABLED) != 0, id >= 1012) << id;
    }
    EXPECT_EQ(d->control(1012)->text, "■");
    EXPECT_EQ(d->control(1017)->text, ">>|");
    EXPECT_TRUE(d->control(1035)->style & WS_DISABLED);
    EXPECT_FALSE(d->control(1036)->style & WS_DISABLED);
    EXPECT_EQ(d->control(1034)->style & BS_TYPEMASK, static_cast<uint32_t>(BS_AUTOCHECKBOX));
    EXPECT_EQ(d->control(1049)->style & SS_TYPEMASK, static_cast<uint32_t>(SS_BLACKRECT));
    for (int id : {1025, 1026, 1027, 1028, 1029, 1030, 1033, 1037})
        EXPECT_EQ(d->control(id)->style & (ES_NUMBER | ES_READONLY),
                  static_cast<uint32_t>(ES_NUMBER | ES_READONLY))
            << id;
    EXPECT_EQ(d->control(1024)->style & (ES_NUMBER | ES_READONLY), static_cast<uint32_t>(ES_NUMBER));
    for (int id : {1018, 1020})
        EXPECT_EQ(d->control(id)->style & (CBS_DROPDOWNLIST | WS_VSCROLL),
                  static_cast<uint32_t>(CBS_DROPDOWNLIST | WS_VSCROLL));
    EXPECT_EQ(d->controls[6].text, "編集ﾊﾟﾀｰﾝ情報");
    EXPECT_EQ(d->controls[8].text, "再生設定");
    EXPECT_EQ(d->controls[21].text, "フレーム情報");
}

TEST_F(CelwrightScript, SmallDialogs) {
    const DialogResource* image = script().dialog(102);
    EXPECT_EQ(image->style, 0x80CF0040u);
    EXPECT_EQ(image->ex_style, 0x200u);
    EXPECT_EQ(image->menu_id, 103);
    EXPECT_EQ(image->cx * 1000 + image->cy, 179155);
    EXPECT_TRUE(image->controls.empty());
    EXPECT_EQ(image->caption, "Image Window");

    const DialogResource* add = script().dialog(122);
    EXPECT_EQ(add->caption, "ﾊﾟﾀｰﾝ追加");
    const ControlResource* list = add->control(1020);
    EXPECT_EQ(list->class_name, "SysListView32");
    const uint32_t list_bits =
        LVS_LIST | LVS_SINGLESEL | LVS_EDITLABELS | LVS_NOLABELWRAP | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS;
    EXPECT_EQ(list->style & list_bits, list_bits);
    EXPECT_EQ(add->control(1046)->style & (ES_NUMBER | ES_READONLY),
              static_cast<uint32_t>(ES_NUMBER | ES_READONLY));
    // The up-down's buddy is the control right before it.
    size_t spin = 0;
    while (add->controls[spin].id != 1052) ++spin;
    EXPECT_EQ(add->controls[spin - 1].id, 1046);
    EXPECT_EQ(add->controls[spin].class_name, "msctls_updown32");
    const uint32_t spin_bits = UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT | UDS_AUTOBUDDY;
    EXPECT_EQ(add->controls[spin].style & spin_bits, spin_bits);
    EXPECT_EQ(add->control(1053)->text, "変更");

    EXPECT_EQ(script().dialog(115)->caption, "ラベル編集");
    EXPECT_NE(script().dialog(115)->control(1009), nullptr);
    EXPECT_EQ(script().dialog(104)->caption, "ｸﾞﾘｯﾄﾞ設定");
    EXPECT_EQ(script().dialog(104)->control(1002)->style & BS_TYPEMASK,
              static_cast<uint32_t>(BS_AUTOCHECKBOX));

    const DialogResource* version = script().dialog(124);
    EXPECT_EQ(version->caption, "Celwright ｳﾞｧｰｼﾞｮﾝ情報");
    EXPECT_EQ(version->font_size, 10);
    ASSERT_EQ(version->controls.size(), 3u);
    EXPECT_EQ(version->controls[0].text, "#125");
    EXPECT_EQ(version->controls[0].style & SS_TYPEMASK, static_cast<uint32_t>(SS_ICON));
    EXPECT_EQ(version->controls[1].text, "Celwright Version1.2");
    EXPECT_EQ(version->controls[2].id, IDCANCEL);
    EXPECT_EQ(version->controls[2].text, "OK");

    const DialogResource* env = script().dialog(135);
    EXPECT_EQ(env->style, 0x80C000C0u);
    EXPECT_EQ(env->cx * 1000 + env->cy, 110087);
    for (int id : {1064, 1067, 1068, 1069}) {
        EXPECT_EQ(env->control(id)->class_name, "msctls_updown32");
        EXPECT_EQ(env->control(id)->style & (UDS_ARROWKEYS | UDS_AUTOBUDDY | UDS_SETBUDDYINT),
                  static_cast<uint32_t>(UDS_ARROWKEYS))
            << id;
    }
}

// Controls lie inside their dialog, do not overlap one another, and sit wholly inside or
// wholly outside each group box. A combo box counts with its closed height.
TEST_F(CelwrightScript, LayoutsAreClean) {
    struct Box {
        int l, t, r, b;
    };
    const auto box_of = [](const ControlResource& c) {
        const bool combo = c.class_name == "COMBOBOX";
        return Box{c.x, c.y, c.x + c.cx, c.y + (combo ? 12 : c.cy)};
    };
    const auto overlap = [](Box a, Box b) { return a.l < b.r && b.l < a.r && a.t < b.b && b.t < a.b; };
    const auto inside = [](Box a, Box outer) {
        return a.l >= outer.l && a.t >= outer.t && a.r <= outer.r && a.b <= outer.b;
    };
    for (const DialogResource& d : script().dialogs) {
        const Box dialog{0, 0, d.cx, d.cy};
        for (size_t i = 0; i < d.controls.size(); ++i) {
            const ControlResource& a = d.controls[i];
            const bool a_group = a.class_name == "BUTTON" && (a.style & BS_TYPEMASK) == BS_GROUPBOX;
            EXPECT_TRUE(inside(box_of(a), dialog)) << d.id << ": control " << i << " leaves the dialog";
            for (size_t j = i + 1; j < d.controls.size(); ++j) {
                const ControlResource& b = d.controls[j];
                const bool b_group = b.class_name == "BUTTON" && (b.style & BS_TYPEMASK) == BS_GROUPBOX;
                if (a_group || b_group) {
                    const Box g = box_of(a_group ? a : b), o = box_of(a_group ? b : a);
                    EXPECT_TRUE(!overlap(g, o) || inside(o, g)) << d.id << ": controls " << i << ", " << j;
                } else {
                    EXPECT_FALSE(overlap(box_of(a), box_of(b))) << d.id << ": controls " << i << " and " << j;
                }
            }
        }
    }
}

TEST_F(CelwrightScript, IconAndCursorPictures) {
    const cw::rc::ImageResource* icon = script().icon(125);
    ASSERT_NE(icon, nullptr);
    int opaque = 0, clear = 0;
    for (uint32_t p : icon->argb) {
        opaque += p >> 24 == 0xFF;
        clear += p == 0;
    }
    EXPECT_GT(opaque, 400);
    EXPECT_GT(clear, 50);
    const cw::rc::ImageResource* cursor = script().cursor(106);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->hotspot_x, 0);
    EXPECT_EQ(cursor->hotspot_y, 0);
    EXPECT_EQ(cursor->argb[0], 0xFF000000u);    // the arrow's tip is drawn
    EXPECT_EQ(cursor->argb[31 * 32 + 31], 0u);  // far corner is see-through
}

// The tables compiled into the program hold what the parser read from the script.
TEST_F(CelwrightScript, GeneratedTablesMatchTheScript) {
    for (const cw::rc::MenuResource& m : script().menus) {
        const cw::res::Menu* t = cw::res::find_menu(m.id);
        ASSERT_NE(t, nullptr) << m.id;
        ASSERT_EQ(t->count, static_cast<int>(m.items.size()));
        for (int i = 0; i < t->count; ++i) {
            const MenuEntry& e = m.items[i];
            EXPECT_EQ(t->items[i].flags, e.flags);
            EXPECT_EQ(t->items[i].id, e.id);
            EXPECT_EQ(std::string(t->items[i].text), e.text);
            ASSERT_EQ(t->items[i].child_count, static_cast<int>(e.children.size()));
            for (int k = 0; k < t->items[i].child_count; ++k) {
                EXPECT_EQ(t->items[i].children[k].id, e.children[k].id);
                EXPECT_EQ(t->items[i].children[k].flags, e.children[k].flags);
                EXPECT_EQ(std::string(t->items[i].children[k].text), e.children[k].text);
            }
        }
    }
    for (const DialogResource& d : script().dialogs) {
        const cw::res::Dialog* t = cw::res::find_dialog(d.id);
        ASSERT_NE(t, nullptr) << d.id;
        EXPECT_EQ(t->style, d.style);
        EXPECT_EQ(t->ex_style, d.ex_style);
        EXPECT_EQ(t->cx * 1000 + t->cy, d.cx * 1000 + d.cy);
        EXPECT_EQ(std::string(t->caption), d.caption);
        EXPECT_EQ(std::string(t->font_face), d.font_face);
        EXPECT_EQ(t->font_size, d.font_size);
        EXPECT_EQ(t->menu_id, d.menu_id);
        ASSERT_EQ(t->control_count, static_cast<int>(d.controls.size()));
        for (int i = 0; i < t->control_count; ++i) {
            const ControlResource& c = d.controls[i];
            EXPECT_EQ(std::string(t->controls[i].class_name), c.class_name);
            EXPECT_EQ(std::string(t->controls[i].text), c.text);
            EXPECT_EQ(t->controls[i].id, c.id);
            EXPECT_EQ(t->controls[i].style, c.style);
            EXPECT_EQ(t->controls[i].x + t->controls[i].y * 1000, c.x + c.y * 1000);
            EXPECT_EQ(t->controls[i].cx + t->controls[i].cy * 1000, c.cx + c.cy * 1000);
        }
    }
    const cw::res::Image* icon = cw::res::find_icon(125);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->is_cursor);
    EXPECT_EQ(std::vector<uint32_t>(icon->argb, icon->argb + 32 * 32), script().icon(125)->argb);
    const cw::res::Image* cursor = cw::res::find_cursor(106);
    ASSERT_NE(cursor, nullptr);
    EXPECT_TRUE(cursor->is_cursor);
    EXPECT_EQ(std::vector<uint32_t>(cursor->argb, cursor->argb + 32 * 32), script().cursor(106)->argb);

    EXPECT_EQ(cw::res::find_menu(119), nullptr);
    EXPECT_EQ(cw::res::find_dialog(118), nullptr);
    EXPECT_EQ(cw::res::find_icon(106), nullptr);
    EXPECT_EQ(cw::res::find_cursor(125), nullptr);
}

}  // namespace
