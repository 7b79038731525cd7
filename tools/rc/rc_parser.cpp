// The statements of a resource script: MENU, DIALOG, DIALOGEX, ACCELERATORS, ICON and CURSOR
// resources.
#include <cctype>
#include <fstream>
#include <sstream>

#include "rc_lexer.h"

namespace cw::rc {
namespace {

// Menu item flags (MF_*) and the styles the statements imply, with the SDK's values.
constexpr uint32_t kGrayed = 0x0001, kDisabled = 0x0002, kChecked = 0x0008, kPopup = 0x0010;
constexpr uint32_t kMenuBarBreak = 0x0020, kMenuBreak = 0x0040, kSeparator = 0x0800, kHelp = 0x4000;

constexpr uint32_t WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000, DS_SETFONT = 0x40;
constexpr uint32_t SS_LEFT = 0, SS_CENTER = 1, SS_RIGHT = 2, SS_ICON = 3, SS_TYPEMASK = 0x1F;
constexpr uint32_t BS_PUSHBUTTON = 0, BS_DEFPUSHBUTTON = 1, BS_CHECKBOX = 2, BS_AUTOCHECKBOX = 3;
constexpr uint32_t BS_RADIOBUTTON = 4, BS_3STATE = 5, BS_AUTO3STATE = 6, BS_GROUPBOX = 7;
constexpr uint32_t BS_AUTORADIOBUTTON = 9, ES_LEFT = 0, CBS_SIMPLE = 1, LBS_NOTIFY = 1, SBS_HORZ = 0;

enum class Form {
    Text,     // KEYWORD text, id, x, y, cx, cy [, style [, exstyle]]
    NoText,   // KEYWORD id, x, y, cx, cy [, style [, exstyle]]
    Icon,     // ICON text, id, x, y [, cx, cy [, style [, exstyle]]]
    Control,  // CONTROL text, id, class, style, x, y, cx, cy [, exstyle]
};

struct Statement {
    std::string_view keyword;
    Form form;
    std::string_view class_name;
    uint32_t style;  // besides WS_CHILD | WS_VISIBLE
};

constexpr Statement kStatements[] = {
    {"LTEXT", Form::Text, "STATIC", SS_LEFT | WS_GROUP},
    {"RTEXT", Form::Text, "STATIC", SS_RIGHT | WS_GROUP},
    {"CTEXT", Form::Text, "STATIC", SS_CENTER | WS_GROUP},
    {"PUSHBUTTON", Form::Text, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP},
    {"DEFPUSHBUTTON", Form::Text, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"CHECKBOX", Form::Text, "BUTTON", BS_CHECKBOX | WS_TABSTOP},
    {"AUTOCHECKBOX", Form::Text, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP},
    {"RADIOBUTTON", Form::Text, "BUTTON", BS_RADIOBUTTON | WS_TABSTOP},
    {"AUTORADIOBUTTON", Form::Text, "BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP},
    {"STATE3", Form::Text, "BUTTON", BS_3STATE | WS_TABSTOP},
    {"AUTO3STATE", Form::Text, "BUTTON", BS_AUTO3STATE | WS_TABSTOP},
    {"GROUPBOX", Form::Text, "BUTTON", BS_GROUPBOX},
    {"EDITTEXT", Form::NoText, "EDIT", ES_LEFT | WS_BORDER | WS_TABSTOP},
    {"COMBOBOX", Form::NoText, "COMBOBOX", CBS_SIMPLE | WS_TABSTOP},
    {"LISTBOX", Form::NoText, "LISTBOX", LBS_NOTIFY | WS_BORDER},
    {"SCROLLBAR", Form::NoText, "SCROLLBAR", SBS_HORZ},
    {"ICON", Form::Icon, "STATIC", SS_ICON},
    {"CONTROL", Form::Control, "", 0},
};

// Window classes the layer provides, in their usual spelling; class names compare without case.
constexpr std::string_view kClasses[] = {
    "BUTTON",
    "EDIT",
    "STATIC",
    "COMBOBOX",
    "LISTBOX",
    "SCROLLBAR",
    "SysTreeView32",
    "SysListView32",
    "msctls_updown32",
    "msctls_trackbar32",
    "msctls_statusbar32",
    "MDICLIENT",
};

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The classes a CONTROL statement may name without quotes.
bool is_keyword_class(std::string_view name) {
    for (std::string_view c : {"BUTTON", "EDIT", "STATIC", "COMBOBOX", "LISTBOX", "SCROLLBAR"})
        if (same_ignoring_case(c, name)) return true;
    return false;
}

std::string canonical_class(const std::string& name) {
    for (std::string_view c : kClasses)
        if (same_ignoring_case(c, name)) return std::string(c);
    return name;
}

class Parser {
  public:
    explicit Parser(Lexer& lx) : lx_(lx) {}
    Script run();

  private:
    struct Reference {
        int id;
        Token site;
    };

    [[noreturn]] void fail(const Token& at, const std::string& message) const { lx_.fail(at, message); }
    bool accept(char c);
    void expect(char c, const std::string& what);
    bool accept_word(std::string_view keyword);
    Token expect_string(const std::string& what);
    std::string text_of(const Token& string_token);
    Token open_block(const std::string& what);
    bool close_block(const Token& opened);

    int64_t expression() { return or_expression(); }
    int64_t or_expression();
    int64_t and_expression();
    int64_t additive_expression();
    int64_t unary_expression();
    uint32_t style_expression(uint32_t base);
    int ranged(int64_t lo, int64_t hi, const std::string& what);
    int resource_id();
    int coordinate() { return ranged(-32768, 32767, "coordinates and sizes"); }

    void skip_memory_options();
    bool skip_common_option();
    void check_duplicate(bool exists, const Token& site, const char* kind, int id);

    void menu(int id, const Token& site);
    void menu_block(std::vector<MenuEntry>& items, int depth);
    uint32_t menu_options();
    void dialog(int id, const Token& site, bool is_ex);
    void control(DialogResource& d);
    void image(int id, const Token& site, bool cursor);
    void accelerators(int id, const Token& site);
    AcceleratorEntry accelerator_entry();

    Lexer& lx_;
    Script script_;
    std::vector<Reference> menu_references_;
    std::vector<Reference> icon_references_;
};

bool Parser::accept(char c) {
    if (!lx_.peek().is_punct(c)) return false;
    lx_.next();
    return true;
}

void Parser::expect(char c, const std::string& what) {
    const Token& t = lx_.peek();
    if (!t.is_punct(c)) fail(t, "expected " + what);
    lx_.next();
}

bool Parser::accept_word(std::string_view keyword) {
    if (!lx_.peek().is_word(keyword)) return false;
    lx_.next();
    return true;
}

Token Parser::expect_string(const std::string& what) {
    Token t = lx_.next();
    if (t.kind != TokenKind::String) fail(t, "expected " + what + " in double quotes");
    return t;
}

std::string Parser::text_of(const Token& string_token) {
    std::string error;
    std::optional<std::string> cp932 = utf8_to_cp932(string_token.text, error);
    if (!cp932) fail(string_token, error);
    return *cp932;
}

Token Parser::open_block(const std::string& what) {
    Token t = lx_.next();
    if (!t.is_word("BEGIN") && !t.is_punct('{')) fail(t, "expected BEGIN to open " + what);
    return t;
}

// True (and consumed) at the END of the block opened by `opened`.
bool Parser::close_block(const Token& opened) {
    const Token& t = lx_.peek();
    if (t.kind == TokenKind::End) fail(opened, "this BEGIN has no matching END");
    if (!t.is_word("END") && !t.is_punct('}')) return false;
    lx_.next();
    return true;
}

int64_t Parser::or_expression() {
    int64_t v = and_expression();
    while (accept('|')) v |= and_expression();
    return v;
}

int64_t Parser::and_expression() {
    int64_t v = additive_expression();
    while (accept('&')) v &= additive_expression();
    return v;
}

int64_t Parser::additive_expression() {
    int64_t v = unary_expression();
    for (;;) {
        if (accept('+'))
            v += unary_expression();
        else if (accept('-'))
            v -= unary_expression();
        else
            return v;
    }
}

int64_t Parser::unary_expression() {
    const Token t = lx_.next();
    switch (t.kind) {
        case TokenKind::Number: return t.value;
        case TokenKind::Identifier: {
            if (t.is_word("NOT")) fail(t, "NOT can only remove bits in a style");
            fail(t, "undefined symbol '" + t.text + "' (is the header that defines it included?)");
        }
        case TokenKind::Punct:
            if (t.is_punct('-')) return -unary_expression();
            if (t.is_punct('~')) return ~unary_expression();
            if (t.is_punct('(')) {
                const int64_t v = or_expression();
                expect(')', "')'");
                return v;
            }
            break;
        case TokenKind::End: fail(t, "unexpected end of file, expected a number");
        case TokenKind::String: break;
    }
    fail(t, "expected a number or a symbol, found '" + t.text + "'");
}

// style [| style]... where each term may be preceded by NOT, which removes its bits from what
// the statement implies and what came before.
uint32_t Parser::style_expression(uint32_t base) {
    uint32_t v = base;
    do {
        const bool remove = accept_word("NOT");
        const uint32_t bits = static_cast<uint32_t>(and_expression());
        v = remove ? v & ~bits : v | bits;
    } while (accept('|'));
    return v;
}

int Parser::ranged(int64_t lo, int64_t hi, const std::string& what) {
    const Token t = lx_.peek();
    const int64_t v = expression();
    if (v < lo || v > hi)
        fail(t, what + " must lie in " + std::to_string(lo) + ".." + std::to_string(hi) + ", not " +
                    std::to_string(v));
    return static_cast<int>(v);
}

int Parser::resource_id() {
    const Token& t = lx_.peek();
    if (t.kind == TokenKind::String) fail(t, "resource names must be numbers");
    return ranged(1, 65535, "resource ids");
}

void Parser::skip_memory_options() {
    static constexpr std::string_view kOptions[] = {
        "PRELOAD", "LOADONCALL", "FIXED", "MOVEABLE", "DISCARDABLE", "PURE", "IMPURE", "SHARED", "NONSHARED"};
    for (;;) {
        bool any = false;
        for (std::string_view o : kOptions) any = any || accept_word(o);
        if (!any) return;
    }
}

// LANGUAGE, CHARACTERISTICS and VERSION carry nothing the tables hold.
bool Parser::skip_common_option() {
    if (accept_word("LANGUAGE")) {
        expression();
        expect(',', "',' between the language and sublanguage");
        expression();
        return true;
    }
    if (accept_word("CHARACTERISTICS") || accept_word("VERSION")) {
        expression();
        return true;
    }
    return false;
}

void Parser::check_duplicate(bool exists, const Token& site, const char* kind, int id) {
    if (exists) fail(site, std::string(kind) + " " + std::to_string(id) + " is defined twice");
}

Script Parser::run() {
    for (;;) {
        const Token& t = lx_.peek();
        if (t.kind == TokenKind::End) break;
        if (t.is_word("LANGUAGE")) {
            skip_common_option();
            continue;
        }
        if (t.is_word("STRINGTABLE")) fail(t, "STRINGTABLE resources are not supported");
        if (t.is_word("END") || t.is_punct('}')) fail(t, "END without BEGIN");
        const Token site = t;
        const int id = resource_id();
        const Token type = lx_.next();
        if (type.is_word("MENU")) {
            menu(id, site);
        } else if (type.is_word("DIALOG") || type.is_word("DIALOGEX")) {
            dialog(id, site, type.is_word("DIALOGEX"));
        } else if (type.is_word("ICON") || type.is_word("CURSOR")) {
            image(id, site, type.is_word("CURSOR"));
        } else if (type.is_word("ACCELERATORS")) {
            accelerators(id, site);
        } else if (type.is_word("MENUEX")) {
            fail(type, "MENUEX resources are not supported; write a MENU");
        } else if (type.kind == TokenKind::Identifier) {
            fail(type, "unknown resource type '" + type.text + "'");
        } else {
            fail(type, "expected a resource type after the resource id");
        }
    }
    for (const Reference& r : menu_references_)
        if (!script_.menu(r.id)) fail(r.site, "menu " + std::to_string(r.id) + " is not defined");
    for (const Reference& r : icon_references_)
        if (!script_.icon(r.id)) fail(r.site, "icon " + std::to_string(r.id) + " is not defined");
    return std::move(script_);
}

void Parser::menu(int id, const Token& site) {
    check_duplicate(script_.menu(id) != nullptr, site, "menu", id);
    skip_memory_options();
    while (skip_common_option()) {
    }
    MenuResource m;
    m.id = id;
    menu_block(m.items, 0);
    script_.menus.push_back(std::move(m));
}

void Parser::menu_block(std::vector<MenuEntry>& items, int depth) {
    const Token opened = open_block("the menu");
    while (!close_block(opened)) {
        const Token t = lx_.next();
        MenuEntry e;
        if (t.is_word("MENUITEM")) {
            if (accept_word("SEPARATOR")) {
                e.flags = kSeparator;
            } else {
                e.text = text_of(expect_string("the menu item's text"));
                expect(',', "',' and the command id after the menu item's text");
                e.id = static_cast<uint32_t>(ranged(0, 65535, "menu command ids"));
                e.flags = menu_options();
            }
        } else if (t.is_word("POPUP")) {
            if (depth >= 8) fail(t, "popups nest too deeply");
            e.text = text_of(expect_string("the popup's text"));
            e.flags = kPopup | menu_options();
            menu_block(e.children, depth + 1);
        } else if (t.kind == TokenKind::Identifier) {
            fail(t, "unknown keyword '" + t.text + "' in a menu");
        } else {
            fail(t, "expected MENUITEM, POPUP or END in a menu");
        }
        items.push_back(std::move(e));
    }
}

uint32_t Parser::menu_options() {
    static constexpr struct {
        std::string_view word;
        uint32_t flag;
    } kOptions[] = {{"GRAYED", kGrayed}, {"INACTIVE", kDisabled},         {"CHECKED", kChecked},
                    {"HELP", kHelp},     {"MENUBARBREAK", kMenuBarBreak}, {"MENUBREAK", kMenuBreak}};
    uint32_t flags = 0;
    for (;;) {
        const bool comma = accept(',');
        const Token& t = lx_.peek();
        bool found = false;
        for (const auto& o : kOptions) {
            if (t.is_word(o.word)) {
                flags |= o.flag;
                found = true;
            }
        }
        if (found) {
            lx_.next();
            continue;
        }
        if (comma)
            fail(t, t.kind == TokenKind::Identifier ? "unknown menu option '" + t.text + "'"
                                                    : std::string("expected a menu option after ','"));
        return flags;
    }
}

void Parser::accelerators(int id, const Token& site) {
    check_duplicate(script_.accelerator(id) != nullptr, site, "accelerator table", id);
    skip_memory_options();
    while (skip_common_option()) {
    }
    AcceleratorResource a;
    a.id = id;
    const Token opened = open_block("the accelerator table");
    while (!close_block(opened)) a.entries.push_back(accelerator_entry());
    script_.accelerators.push_back(std::move(a));
}

// "key", id [, VIRTKEY|ASCII] [, NOINVERT] [, SHIFT] [, CONTROL] [, ALT], where the key is a
// quoted character ("^C" for Ctrl+C as a character) or a number (a VK_ code with VIRTKEY).
AcceleratorEntry Parser::accelerator_entry() {
    constexpr uint8_t kVirtKey = 0x01, kNoInvert = 0x02, kShift = 0x04, kControl = 0x08, kAlt = 0x10;
    AcceleratorEntry e;
    const Token key = lx_.peek();
    bool caret = false;
    if (key.kind == TokenKind::String) {
        lx_.next();
        const std::string text = key.text;
        caret = text.size() == 2 && text[0] == '^';
        if (text.size() != 1 && !caret) fail(key, "an accelerator's key is one character, or ^ and a letter");
        e.key = static_cast<uint8_t>(caret ? text[1] : text[0]);
    } else {
        e.key = static_cast<uint16_t>(ranged(0, 65535, "accelerator keys"));
    }
    expect(',', "',' and the command id after the accelerator's key");
    e.id = static_cast<uint16_t>(ranged(0, 65535, "accelerator command ids"));
    bool ascii = false;
    while (accept(',')) {
        const Token t = lx_.next();
        if (t.is_word("VIRTKEY"))
            e.flags |= kVirtKey;
        else if (t.is_word("ASCII"))
            ascii = true;
        else if (t.is_word("NOINVERT"))
            e.flags |= kNoInvert;
        else if (t.is_word("SHIFT"))
            e.flags |= kShift;
        else if (t.is_word("CONTROL"))
            e.flags |= kControl;
        else if (t.is_word("ALT"))
            e.flags |= kAlt;
        else
            fail(t, "unknown accelerator option '" + t.text + "'");
    }
    if (ascii && (e.flags & kVirtKey)) fail(key, "an accelerator is VIRTKEY or ASCII, not both");
    if (caret) {
        if (e.flags & kVirtKey) fail(key, "a ^ key is a character; it cannot be VIRTKEY");
        const auto letter = static_cast<char>(e.key & ~0x20);
        if (letter < 'A' || letter > 'Z') fail(key, "^ takes a letter");
        e.key = static_cast<uint16_t>(letter - 'A' + 1);
    } else if ((e.flags & kVirtKey) && e.key >= 'a' && e.key <= 'z') {
        // A virtual key is named by the capital letter on the key.
        e.key = static_cast<uint16_t>(e.key - 'a' + 'A');
    }
    if (!(e.flags & kVirtKey) && (e.flags & (kShift | kControl | kAlt)))
        fail(key, "SHIFT, CONTROL and ALT apply to VIRTKEY accelerators only");
    return e;
}

void Parser::dialog(int id, const Token& site, bool is_ex) {
    check_duplicate(script_.dialog(id) != nullptr, site, "dialog", id);
    skip_memory_options();
    DialogResource d;
    d.id = id;
    d.is_ex = is_ex;
    d.x = coordinate();
    expect(',', "',' between the dialog's coordinates");
    d.y = coordinate();
    expect(',', "',' between the dialog's coordinates");
    d.cx = coordinate();
    expect(',', "',' between the dialog's coordinates");
    d.cy = coordinate();
    if (is_ex && accept(',')) expression();  // help id

    bool has_style = false, has_caption = false, has_font = false;
    uint32_t style = 0;
    for (;;) {
        const Token& t = lx_.peek();
        if (t.is_word("BEGIN") || t.is_punct('{')) break;
        if (skip_common_option()) continue;
        const Token kw = lx_.next();
        if (kw.is_word("STYLE")) {
            style = style_expression(0);
            has_style = true;
        } else if (kw.is_word("EXSTYLE")) {
            d.ex_style = style_expression(0);
        } else if (kw.is_word("CAPTION")) {
            d.caption = text_of(expect_string("the caption"));
            has_caption = true;
        } else if (kw.is_word("FONT")) {
            d.font_size = ranged(1, 255, "font sizes");
            expect(',', "',' and the font's face name");
            d.font_face = text_of(expect_string("the font's face name"));
            if (d.font_face.empty()) fail(kw, "the font's face name is empty");
            if (accept(',')) {
                if (!is_ex) fail(kw, "a FONT with weight, italic and charset needs DIALOGEX");
                d.font_weight = ranged(0, 1000, "font weights");
                if (accept(',')) d.font_italic = expression() != 0;
                if (accept(',')) d.font_charset = ranged(0, 255, "character sets");
            }
            has_font = true;
        } else if (kw.is_word("MENU")) {
            const Token at = lx_.peek();
            d.menu_id = resource_id();
            menu_references_.push_back({d.menu_id, at});
        } else if (kw.is_word("CLASS")) {
            fail(kw, "dialog classes are not supported");
        } else if (kw.kind == TokenKind::End) {
            fail(site, "the dialog has no BEGIN");
        } else if (kw.kind == TokenKind::Identifier) {
            fail(kw, "unknown keyword '" + kw.text + "' in a dialog's header");
        } else {
            fail(kw, "expected a dialog statement or BEGIN");
        }
    }
    // As the system's resource compiler does: STYLE replaces the default, CAPTION and FONT add
    // the bits they need.
    d.style = (has_style ? style : WS_POPUP | WS_BORDER | WS_SYSMENU) | (has_caption ? WS_CAPTION : 0) |
              (has_font ? DS_SETFONT : 0);

    const Token opened = open_block("the dialog's controls");
    while (!close_block(opened)) control(d);
    script_.dialogs.push_back(std::move(d));
}

void Parser::control(DialogResource& d) {
    const Token kw = lx_.next();
    const Statement* st = nullptr;
    for (const Statement& s : kStatements)
        if (kw.is_word(s.keyword)) st = &s;
    if (!st) {
        if (kw.kind == TokenKind::Identifier) fail(kw, "unknown keyword '" + kw.text + "' in a dialog");
        fail(kw, "expected a control statement or END in a dialog");
    }
    ControlResource c;
    c.class_name = std::string(st->class_name);
    if (st->form != Form::NoText) {
        if (lx_.peek().kind == TokenKind::String) {
            c.text = text_of(lx_.next());
        } else {
            c.text = "#" + std::to_string(ranged(0, 65535, "resource numbers in a control's text"));
        }
        expect(',', "',' and the control id after the control's text");
    }
    c.id = ranged(-32768, 65535, "control ids");
    expect(',', "',' after the control id");
    if (st->form == Form::Control) {
        const Token cls = lx_.next();
        if (cls.kind == TokenKind::String) {
            if (cls.text.empty()) fail(cls, "the window class name is empty");
            for (char ch : cls.text)
                if (static_cast<unsigned char>(ch) < 0x21 || static_cast<unsigned char>(ch) > 0x7E)
                    fail(cls, "window class names are plain ASCII");
            c.class_name = canonical_class(cls.text);
        } else if (cls.kind == TokenKind::Identifier && is_keyword_class(cls.text)) {
            c.class_name = canonical_class(cls.text);  // BUTTON, EDIT, STATIC ... written as keywords
        } else {
            fail(cls, "expected the window class name");
        }
        expect(',', "',' after the window class");
        c.style = style_expression(WS_CHILD | WS_VISIBLE);
        expect(',', "',' after the control's style");
    }
    c.x = coordinate();
    expect(',', "',' between the control's coordinates");
    c.y = coordinate();
    if (st->form != Form::Icon || accept(',')) {
        if (st->form != Form::Icon) expect(',', "',' between the control's coordinates");
        c.cx = coordinate();
        expect(',', "',' between the control's coordinates");
        c.cy = coordinate();
    }
    // An icon control takes the size of its image: the system's compilers store 0 x 0 whatever
    // the script says, and the control sizes itself when it is created.
    if (st->form == Form::Icon) c.cx = c.cy = 0;
    if (st->form == Form::Control) {
        if (accept(',')) c.ex_style = style_expression(0);
    } else {
        c.style = WS_CHILD | WS_VISIBLE | st->style;
        if (accept(',')) c.style = style_expression(c.style);
        if (accept(',')) c.ex_style = style_expression(0);
    }
    if (d.is_ex && accept(',')) expression();  // help id
    if (lx_.peek().is_word("BEGIN") || lx_.peek().is_punct('{'))
        fail(lx_.peek(), "control data blocks are not supported");
    if (c.class_name == "STATIC" && (c.style & SS_TYPEMASK) == SS_ICON && !c.text.empty() && c.text[0] == '#')
        icon_references_.push_back({std::stoi(c.text.substr(1)), kw});
    d.controls.push_back(std::move(c));
}

void Parser::image(int id, const Token& site, bool cursor) {
    const char* kind = cursor ? "cursor" : "icon";
    check_duplicate(cursor ? script_.cursor(id) != nullptr : script_.icon(id) != nullptr, site, kind, id);
    skip_memory_options();
    const Token f = expect_string(std::string("the ") + kind + "'s file name");
    const std::string path = lx_.path_beside(f.file, f.text);
    std::optional<std::string> bytes = lx_.read(path);
    if (!bytes) fail(f, "cannot read " + std::string(kind) + " file '" + f.text + "'");
    ImageResource img;
    std::string error;
    if (!decode_icon_file(*bytes, cursor, img, error)) fail(f, f.text + ": " + error);
    img.id = id;
    (cursor ? script_.cursors : script_.icons).push_back(std::move(img));
}

template <typename T>
const T* find_by_id(const std::vector<T>& v, int id) {
    for (const T& x : v)
        if (x.id == id) return &x;
    return nullptr;
}

}  // namespace

std::string Diagnostic::to_string() const {
    if (line > 0) return file + ":" + std::to_string(line) + ": " + message;
    return file + ": " + message;
}

const ControlResource* DialogResource::control(int control_id) const {
    return find_by_id(controls, control_id);
}
const MenuResource* Script::menu(int id) const {
    return find_by_id(menus, id);
}
const AcceleratorResource* Script::accelerator(int id) const {
    return find_by_id(accelerators, id);
}
const DialogResource* Script::dialog(int id) const {
    return find_by_id(dialogs, id);
}
const ImageResource* Script::icon(int id) const {
    return find_by_id(icons, id);
}
const ImageResource* Script::cursor(int id) const {
    return find_by_id(cursors, id);
}

std::optional<std::string> read_whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return s.str();
}

ParseResult parse_script(std::string_view text, const std::string& file_name, const FileReader& reader,
                         const std::vector<std::string>& include_dirs) {
    ParseResult result;
    try {
        Lexer lx(reader, include_dirs);
        lx.open(file_name, std::string(text));
        Parser parser(lx);
        result.script = parser.run();
    } catch (const Failure& f) {
        result.error = f.diagnostic;
    }
    return result;
}

ParseResult parse_script_file(const std::string& path, const std::vector<std::string>& include_dirs) {
    std::optional<std::string> text = read_whole_file(path);
    if (!text) {
        ParseResult result;
        result.error = Diagnostic{path, 0, "cannot read the file"};
        return result;
    }
    return parse_script(*text, path, read_whole_file, include_dirs);
}

}  // namespace cw::rc
