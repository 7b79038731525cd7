// Tokens of a resource script after the preprocessor: #include, #define (object-like macros),
// #undef, #ifdef/#ifndef/#else/#endif and #pragma once are handled here, and identifiers that
// name a macro are replaced by its tokens.
//
// As the system's resource compilers do, RC_INVOKED is defined, <file> is looked up in the
// include folders, and a C header (.h or .c) contributes only its preprocessor directives:
// its declarations are skipped, and a macro whose body is not resource-script syntax (a cast,
// a function-like macro) is refused only where the script uses it.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "rc_script.h"

namespace cw::rc {

// Thrown inside the compiler; the public entry points turn it into their result.
struct Failure {
    Diagnostic diagnostic;
};

enum class TokenKind { End, Identifier, Number, String, Punct };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;   // identifier or punctuator spelling, or a string's bytes (escapes resolved)
    int64_t value = 0;  // numbers
    int file = 0;
    int line = 0;

    bool is_punct(char c) const { return kind == TokenKind::Punct && text.size() == 1 && text[0] == c; }
    // An identifier spelled like keyword (given in upper case), ignoring case.
    bool is_word(std::string_view keyword) const;
};

class Lexer {
  public:
    Lexer(FileReader reader, std::vector<std::string> include_dirs);

    void open(const std::string& file_name, std::string text);
    const Token& peek(size_t ahead = 0);
    Token next();

    const std::string& file_name(int file) const { return files_[file]; }
    // A file named in the script, found next to the file that names it.
    std::string path_beside(int file, const std::string& name) const;
    std::optional<std::string> read(const std::string& path) const { return reader_(path); }

    [[noreturn]] void fail(const Token& at, const std::string& message) const {
        fail(at.file, at.line, message);
    }
    [[noreturn]] void fail(int file, int line, const std::string& message) const;

  private:
    struct Source {
        int file;
        std::string text;
        size_t pos = 0;
        int line = 1;
        size_t conditionals_at_entry = 0;
        bool header = false;  // only directives are read
    };
    struct Macro {
        std::vector<Token> tokens;
        std::string unusable;  // why the script cannot use it; empty when it can
    };
    struct Conditional {
        bool active;  // this branch is being read
        bool parent_active;
        bool seen_else;
        int file, line;
    };

    Token fetch();  // next token with macros expanded
    Token lex();    // next token of the sources, directives handled, macros not expanded
    bool active() const { return conditionals_.empty() || conditionals_.back().active; }
    void directive(Source& src);
    void include(Source& src, const std::string& rest, int line);
    void define(Source& src, const std::string& rest, int line);
    std::optional<std::string> find_include(int file, const std::string& name, bool quoted,
                                            std::string& path) const;
    void expand(const std::string& name, const Token& site, std::set<std::string>& expanding,
                std::vector<Token>& out, int depth) const;

    FileReader reader_;
    std::vector<std::string> include_dirs_;
    std::vector<std::string> files_;
    std::vector<Source> sources_;
    std::vector<Conditional> conditionals_;
    std::map<std::string, Macro> macros_;
    std::set<std::string> included_once_;
    std::deque<Token> expanded_;   // replacement tokens not yet handed out
    std::deque<Token> lookahead_;  // tokens peeked at
    int end_file_ = 0, end_line_ = 1;
};

}  // namespace cw::rc
