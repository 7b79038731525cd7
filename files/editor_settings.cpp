#include "files/editor_settings.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

// A whole decimal number, optionally negative, within [low, high].
bool whole_number(std::string_view text, long low, long high, long* out) {
    if (text.empty() || text.size() > 11) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    if (text[0] == '-') value = -value;
    if (value < low || value > high) return false;
    *out = value;
    return true;
}

// "X Y": two numbers of a screen's range and a single space between them.
bool place(std::string_view text, int32_t* x, int32_t* y) {
    const size_t space = text.find(' ');
    if (space == std::string_view::npos) return false;
    long a = 0, b = 0;
    constexpr long kFar = 1L << 20;
    if (!whole_number(text.substr(0, space), -kFar, kFar, &a) ||
        !whole_number(text.substr(space + 1), -kFar, kFar, &b))
        return false;
    *x = static_cast<int32_t>(a);
    *y = static_cast<int32_t>(b);
    return true;
}

void take(EditorSettings& s, std::string_view name, std::string_view value) {
    long n = 0;
    if (name == "image_window") {
        s.image_window_placed = place(value, &s.image_window_x, &s.image_window_y);
    } else if (name == "console_preview" && whole_number(value, 0, 1, &n)) {
        s.console_preview = n == 1;
    } else if (name == "ticks_per_second" && whole_number(value, 0, 1000, &n) &&
               (n == kNtscTicksPerSecond || n == kPalTicksPerSecond)) {
        s.ticks_per_second = static_cast<int>(n);
    }
}

std::string_view without_line_end(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return line;
}

}  // namespace

EditorSettings decode_editor_settings(std::span<const uint8_t> bytes) {
    EditorSettings s;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = without_line_end(text.substr(at, end - at));
        at = end + 1;
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos) take(s, line.substr(0, equals), line.substr(equals + 1));
    }
    return s;
}

std::vector<uint8_t> encode_editor_settings(const EditorSettings& s) {
    std::string text;
    char line[64];
    if (s.image_window_placed) {
        std::snprintf(line, sizeof line, "image_window=%ld %ld\n", static_cast<long>(s.image_window_x),
                      static_cast<long>(s.image_window_y));
        text += line;
    }
    text += s.console_preview ? "console_preview=1\n" : "console_preview=0\n";
    std::snprintf(line, sizeof line, "ticks_per_second=%d\n", s.ticks_per_second);
    text += line;
    return std::vector<uint8_t>(text.begin(), text.end());
}

EditorSettings decode_image_window_place(std::span<const uint8_t> bytes) {
    EditorSettings s;
    s.image_window_placed =
        place(without_line_end(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())),
              &s.image_window_x, &s.image_window_y);
    return s;
}
