#include "rc_lexer.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace cw::rc {
namespace {

bool is_ident_start(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool is_ident_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

void skip_bom(std::string& text) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
}

// Skips blanks, line breaks and comments.
void skip_space(const Lexer& lx, int file, const std::string& t, size_t& pos, int& line) {
    while (pos < t.size()) {
        const char c = t[pos];
        if (c == '\n') {
            ++line;
            ++pos;
        } else if (is_blank(c)) {
            ++pos;
        } else if (c == '/' && pos + 1 < t.size() && t[pos + 1] == '/') {
            while (pos < t.size() && t[pos] != '\n') ++pos;
        } else if (c == '/' && pos + 1 < t.size() && t[pos + 1] == '*') {
            const int start = line;
            pos += 2;
            for (;;) {
                if (pos + 1 >= t.size()) lx.fail(file, start, "comment is not closed");
                if (t[pos] == '*' && t[pos + 1] == '/') break;
                if (t[pos] == '\n') ++line;
                ++pos;
            }
            pos += 2;
        } else {
            break;
        }
    }
}

bool at_line_start(const std::string& t, size_t pos) {
    while (pos > 0 && is_blank(t[pos - 1])) --pos;
    return pos == 0 || t[pos - 1] == '\n';
}

// One token at t[pos], which is not blank.
Token scan(const Lexer& lx, int file, const std::string& t, size_t& pos, int& line) {
    Token tok;
    tok.file = file;
    tok.line = line;
    char c = t[pos];
    if (c == 'L' && pos + 1 < t.size() && t[pos + 1] == '"') c = t[++pos];  // L"..." is the same text
    if (c == '"') {
        tok.kind = TokenKind::String;
        ++pos;
        for (;;) {
            if (pos >= t.size() || t[pos] == '\n')
                lx.fail(file, tok.line, "string is not closed on its line");
            const char ch = t[pos];
            if (ch == '"') {
                if (pos + 1 < t.size() && t[pos + 1] == '"') {
                    tok.text += '"';
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            if (ch == '\\') {
                const char e = pos + 1 < t.size() ? t[pos + 1] : '\0';
                switch (e) {
                    case 'n': tok.text += '\n'; break;
                    case 't': tok.text += '\t'; break;
                    case 'r': tok.text += '\r'; break;
                    case 'a': tok.text += '\a'; break;
                    case '\\': tok.text += '\\'; break;
                    case '"': tok.text += '"'; break;
                    default:
                        lx.fail(file, line,
                                std::string("unknown escape '\\") + (e > ' ' ? std::string(1, e) : "") +
                                    "' in a string (write \\\\ for a backslash)");
                }
                pos += 2;
                continue;
            }
            tok.text += ch;
            ++pos;
        }
    } else if (is_ident_start(c)) {
        tok.kind = TokenKind::Identifier;
        const size_t start = pos;
        while (pos < t.size() && is_ident_char(t[pos])) ++pos;
        tok.text = t.substr(start, pos - start);
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
        tok.kind = TokenKind::Number;
        const size_t start = pos;
        uint64_t v = 0;
        if (c == '0' && pos + 1 < t.size() && (t[pos + 1] == 'x' || t[pos + 1] == 'X')) {
            pos += 2;
            const size_t digits = pos;
            while (pos < t.size() && std::isxdigit(static_cast<unsigned char>(t[pos]))) {
                const char d = static_cast<char>(std::tolower(static_cast<unsigned char>(t[pos++])));
                v = v * 16 + static_cast<uint64_t>(d <= '9' ? d - '0' : d - 'a' + 10);
                if (v > 0xFFFFFFFFu) lx.fail(file, line, "number does not fit in 32 bits");
            }
            if (pos == digits) lx.fail(file, line, "hexadecimal number without digits");
        } else {
            while (pos < t.size() && std::isdigit(static_cast<unsigned char>(t[pos]))) {
                v = v * 10 + static_cast<uint64_t>(t[pos++] - '0');
                if (v > 0xFFFFFFFFu) lx.fail(file, line, "number does not fit in 32 bits");
            }
            if (t[start] == '0' && pos - start > 1)
                lx.fail(file, line, "octal numbers are not supported (leading 0)");
        }
        while (pos < t.size() && std::strchr("uUlL", t[pos])) ++pos;
        if (pos < t.size() && is_ident_char(t[pos])) lx.fail(file, line, "malformed number");
        tok.value = static_cast<int64_t>(v);
        tok.text = t.substr(start, pos - start);
    } else if (std::strchr(",|(){}+-~&", c)) {
        tok.kind = TokenKind::Punct;
        tok.text = std::string(1, c);
        ++pos;
    } else {
        char buf[64];
        if (static_cast<unsigned char>(c) >= 0x21 && static_cast<unsigned char>(c) < 0x7F)
            std::snprintf(buf, sizeof buf, "unexpected character '%c'", c);
        else
            std::snprintf(buf, sizeof buf, "unexpected byte 0x%02X outside a string",
                          static_cast<unsigned char>(c));
        lx.fail(file, line, buf);
    }
    return tok;
}

std::string trim(std::string s) {
    const auto drop_comment = [&](const char* open) {
        const size_t p = s.find(open);
        if (p != std::string::npos) s.erase(p);
    };
    drop_comment("//");
    drop_comment("/*");
    size_t b = 0, e = s.size();
    while (b < e && is_blank(s[b])) ++b;
    while (e > b && is_blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// A C header or source file, of which a resource compiler reads only the directives.
bool is_c_file(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
    std::string ext;
    for (char c : path.substr(dot + 1)) ext += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == "h" || ext == "c";
}

std::string leading_identifier(const std::string& s) {
    size_t p = 0;
    while (p < s.size() && is_ident_char(s[p])) ++p;
    return s.substr(0, p);
}

}  // namespace

bool Token::is_word(std::string_view keyword) const {
    if (kind != TokenKind::Identifier || text.size() != keyword.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != keyword[i]) return false;
    return true;
}

Lexer::Lexer(FileReader reader, std::vector<std::string> include_dirs)
    : reader_(std::move(reader)), include_dirs_(std::move(include_dirs)) {
    Token one;
    one.kind = TokenKind::Number;
    one.text = "1";
    one.value = 1;
    macros_["RC_INVOKED"] = Macro{{one}, ""};
}

void Lexer::fail(int file, int line, const std::string& message) const {
    throw Failure{Diagnostic{files_.at(file), line, message}};
}

void Lexer::open(const std::string& file_name, std::string text) {
    skip_bom(text);
    files_.push_back(file_name);
    sources_.push_back(Source{static_cast<int>(files_.size()) - 1, std::move(text)});
    end_file_ = sources_.back().file;
}

std::string Lexer::path_beside(int file, const std::string& name) const {
    std::string n = name;
    for (char& c : n)
        if (c == '\\') c = '/';
    if (!n.empty() && n[0] == '/') return n;
    const std::string& base = files_.at(file);
    const size_t slash = base.rfind('/');
    return slash == std::string::npos ? n : base.substr(0, slash + 1) + n;
}

const Token& Lexer::peek(size_t ahead) {
    while (lookahead_.size() <= ahead) lookahead_.push_back(fetch());
    return lookahead_[ahead];
}

Token Lexer::next() {
    if (lookahead_.empty()) return fetch();
    Token t = std::move(lookahead_.front());
    lookahead_.pop_front();
    return t;
}

Token Lexer::fetch() {
    for (;;) {
        if (!expanded_.empty()) {
            Token t = std::move(expanded_.front());
            expanded_.pop_front();
            return t;
        }
        Token t = lex();
        if (t.kind != TokenKind::Identifier || !macros_.count(t.text)) return t;
        const std::string& unusable = macros_.at(t.text).unusable;
        if (!unusable.empty()) fail(t, "'" + t.text + "' cannot be used in a resource script: " + unusable);
        std::set<std::string> expanding;
        std::vector<Token> out;
        expand(t.text, t, expanding, out, 0);
        expanded_.insert(expanded_.begin(), out.begin(), out.end());
    }
}

void Lexer::expand(const std::string& name, const Token& site, std::set<std::string>& expanding,
                   std::vector<Token>& out, int depth) const {
    if (depth > 64) fail(site, "macro '" + name + "' expands too deeply");
    expanding.insert(name);
    for (const Token& body : macros_.at(name).tokens) {
        Token t = body;
        t.file = site.file;
        t.line = site.line;
        if (t.kind == TokenKind::Identifier && macros_.count(t.text) && !expanding.count(t.text)) {
            const std::string& unusable = macros_.at(t.text).unusable;
            if (!unusable.empty()) {
                std::string why = "'" + name + "' uses '";
                why.append(t.text).append("', which cannot be used in a resource script: ").append(unusable);
                fail(site, why);
            }
            expand(t.text, site, expanding, out, depth + 1);
        } else {
            out.push_back(std::move(t));
        }
    }
    expanding.erase(name);
}

Token Lexer::lex() {
    while (!sources_.empty()) {
        Source& s = sources_.back();
        skip_space(*this, s.file, s.text, s.pos, s.line);
        if (s.pos >= s.text.size()) {
            if (conditionals_.size() > s.conditionals_at_entry) {
                const Conditional& c = conditionals_.back();
                fail(c.file, c.line, "#ifdef or #ifndef has no #endif");
            }
            end_file_ = s.file;
            end_line_ = s.line;
            sources_.pop_back();
            continue;
        }
        if (s.text[s.pos] == '#' && at_line_start(s.text, s.pos)) {
            directive(s);  // may open another source: s is not used after this
            continue;
        }
        if (!active() || s.header) {
            while (s.pos < s.text.size() && s.text[s.pos] != '\n') ++s.pos;
            continue;
        }
        return scan(*this, s.file, s.text, s.pos, s.line);
    }
    Token end;
    end.file = end_file_;
    end.line = end_line_;
    return end;
}

void Lexer::directive(Source& s) {
    const int line = s.line;
    const int file = s.file;
    std::string body;
    ++s.pos;  // '#'
    while (s.pos < s.text.size() && s.text[s.pos] != '\n') {
        if (s.text[s.pos] == '\\' && s.pos + 1 < s.text.size() &&
            (s.text[s.pos + 1] == '\n' ||
             (s.text[s.pos + 1] == '\r' && s.pos + 2 < s.text.size() && s.text[s.pos + 2] == '\n'))) {
            s.pos += s.text[s.pos + 1] == '\n' ? 2 : 3;
            ++s.line;
            body += ' ';
            continue;
        }
        body += s.text[s.pos++];
    }
    size_t p = 0;
    while (p < body.size() && is_blank(body[p])) ++p;
    const std::string name = leading_identifier(body.substr(p));
    const std::string rest = body.substr(p + name.size());

    if (name == "ifdef" || name == "ifndef") {
        const std::string macro = leading_identifier(trim(rest));
        if (macro.empty()) fail(file, line, "#" + name + " needs a macro name");
        const bool defined = macros_.count(macro) != 0;
        const bool take = name == "ifdef" ? defined : !defined;
        conditionals_.push_back(Conditional{active() && take, active(), false, file, line});
        return;
    }
    if (name == "else") {
        if (conditionals_.size() <= s.conditionals_at_entry) fail(file, line, "#else without #ifdef");
        Conditional& c = conditionals_.back();
        if (c.seen_else) fail(file, line, "second #else for one #ifdef");
        c.seen_else = true;
        c.active = c.parent_active && !c.active;
        return;
    }
    if (name == "endif") {
        if (conditionals_.size() <= s.conditionals_at_entry) fail(file, line, "#endif without #ifdef");
        conditionals_.pop_back();
        return;
    }
    if (name == "if" || name == "elif")
        fail(file, line, "#if and #elif are not supported; use #ifdef or #ifndef");
    if (!active()) return;

    if (name == "include") {
        include(s, trim(rest), line);
    } else if (name == "define") {
        define(s, rest, line);
    } else if (name == "undef") {
        const std::string macro = leading_identifier(trim(rest));
        if (macro.empty()) fail(file, line, "#undef needs a macro name");
        macros_.erase(macro);
    } else if (name == "pragma") {
        std::string what;
        for (char c : trim(rest))
            if (!is_blank(c)) what += c;
        if (what == "once")
            included_once_.insert(files_[file]);
        else if (what != "code_page(65001)" && !s.header)  // the script is UTF-8, and only UTF-8 is read
            fail(file, line, "unsupported #pragma '" + trim(rest) + "'");
    } else if (name == "error") {
        fail(file, line, "#error" + rest);
    } else if (!name.empty() || !trim(rest).empty()) {
        fail(file, line, "unknown directive '#" + (name.empty() ? trim(rest) : name) + "'");
    }
}

void Lexer::include(Source& s, const std::string& rest, int line) {
    const int file = s.file;
    if (rest.size() < 2 || (rest[0] != '"' && rest[0] != '<'))
        fail(file, line, "#include expects \"file\" or <file>");
    const char close = rest[0] == '"' ? '"' : '>';
    const size_t end = rest.find(close, 1);
    if (end == std::string::npos || end == 1) fail(file, line, "#include file name is not closed");
    const std::string name = rest.substr(1, end - 1);
    std::string path;
    std::optional<std::string> text = find_include(file, name, close == '"', path);
    if (!text) {
        fail(file, line,
             close == '"' ? "cannot open include file '" + name + "'"
                          : "cannot open include file <" + name + ">: it is in none of the include folders");
    }
    if (included_once_.count(path)) return;
    if (sources_.size() >= 16) fail(file, line, "#include nests too deeply (does a file include itself?)");
    skip_bom(*text);
    files_.push_back(path);
    sources_.push_back(Source{static_cast<int>(files_.size()) - 1, std::move(*text), 0, 1,
                              conditionals_.size(), is_c_file(path)});
}

// "file" is looked up beside the file that names it and then in the include folders, <file>
// in the include folders only, as the C preprocessor does.
std::optional<std::string> Lexer::find_include(int file, const std::string& name, bool quoted,
                                               std::string& path) const {
    if (quoted) {
        path = path_beside(file, name);
        if (std::optional<std::string> text = reader_(path)) return text;
    }
    for (const std::string& dir : include_dirs_) {
        path = dir;
        if (!path.empty() && path.back() != '/') path += '/';
        path += name;
        if (std::optional<std::string> text = reader_(path)) return text;
    }
    return std::nullopt;
}

void Lexer::define(Source& s, const std::string& rest, int line) {
    size_t p = 0;
    while (p < rest.size() && is_blank(rest[p])) ++p;
    const std::string name = leading_identifier(rest.substr(p));
    if (name.empty() || !is_ident_start(name[0])) fail(s.file, line, "#define needs a macro name");
    p += name.size();
    if (p < rest.size() && rest[p] == '(') {
        if (!s.header) fail(s.file, line, "function-like macros are not supported");
        macros_[name] = Macro{{}, "function-like macros are not supported"};
        return;
    }
    const std::string body = rest.substr(p);
    Macro macro;
    size_t bp = 0;
    int bl = line;
    try {
        for (;;) {
            skip_space(*this, s.file, body, bp, bl);
            if (bp >= body.size()) break;
            macro.tokens.push_back(scan(*this, s.file, body, bp, bl));
        }
    } catch (const Failure& f) {
        // A header's macro may be C that a script never uses (a cast, a character constant).
        if (!s.header) throw;
        macro.tokens.clear();
        macro.unusable = f.diagnostic.message;
    }
    macros_[name] = std::move(macro);
}

}  // namespace cw::rc
