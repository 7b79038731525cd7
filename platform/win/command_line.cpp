#include "win/command_line.h"

#include "text/cp932.h"

namespace cw::win {

namespace {

void append_quoted(std::string& line, const std::string& word) {
    const bool quote = word.empty() || word.find_first_of(" \t") != std::string::npos;
    if (quote) line += '"';
    size_t slashes = 0;  // backslashes just written, not yet followed by anything else
    for (size_t i = 0; i < word.size();) {
        const size_t length = cw::text::char_length(word, i);
        if (length == 1 && word[i] == '\\') {
            ++slashes;
            line += '\\';
        } else if (length == 1 && word[i] == '"') {
            // The backslashes before it and the quote itself are escaped.
            line.append(slashes + 1, '\\');
            line += '"';
            slashes = 0;
        } else {
            line.append(word, i, length);
            slashes = 0;
        }
        i += length;
    }
    if (quote) {
        // The closing quote must not be escaped by the word's own last backslashes.
        line.append(slashes, '\\');
        line += '"';
    }
}

}  // namespace

std::string command_line_from_arguments(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        append_quoted(line, cw::text::utf8_to_cp932(argv[i]));
    }
    return line;
}

}  // namespace cw::win
