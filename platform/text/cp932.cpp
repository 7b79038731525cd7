// CP932 <-> UTF-8 through iconv, one character at a time.
//
// Converting character by character keeps the error handling simple and exact: a
// byte iconv refuses is replaced where it stands and the conversion goes on with the
// next character, so no input can make us drop text, loop or read out of bounds.
#include "text/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace cw::text {
namespace {

// One cached iconv descriptor per direction and thread. CP932 and UTF-8 are
// stateless, so a descriptor can be reused for every character.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in` completely into `out`; false when iconv refuses any of it (or
    // when the converter could not be opened at all).
    bool convert(std::string_view in, std::string& out) {
        out.clear();
        if (!ok() || in.empty()) return ok();
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[16];
        char* in_ptr = const_cast<char*>(in.data());
        size_t in_left = in.size();
        char* out_ptr = buffer;
        size_t out_left = sizeof buffer;
        if (iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1) || in_left != 0)
            return false;
        out.assign(buffer, static_cast<size_t>(out_ptr - buffer));
        return true;
    }

  private:
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

Converter& cp932_decoder() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& cp932_encoder() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

bool is_trail_byte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

bool is_continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence starting at s[i] (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 when the byte there starts none.
size_t utf8_sequence_length(std::string_view s, size_t i) {
    const auto at = [&](size_t k) -> unsigned char { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = at(i);
    const size_t left = s.size() - i;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) return left >= 2 && is_continuation(at(i + 1)) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (left < 3) return 0;
        const unsigned char b1 = at(i + 1);
        const unsigned char lo = b == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b == 0xED ? 0x9F : 0xBF;
        return b1 >= lo && b1 <= hi && is_continuation(at(i + 2)) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (left < 4) return 0;
        const unsigned char b1 = at(i + 1);
        const unsigned char lo = b == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b == 0xF4 ? 0x8F : 0xBF;
        return b1 >= lo && b1 <= hi && is_continuation(at(i + 2)) && is_continuation(at(i + 3)) ? 4 : 0;
    }
    return 0;
}

}  // namespace

std::string cp932_to_utf8(std::string_view cp932) {
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    std::string piece;
    size_t i = 0;
    while (i < cp932.size()) {
        const auto b = static_cast<unsigned char>(cp932[i]);
        if (b < 0x80) {  // ASCII is the same in both
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        size_t len = 1;
        if (is_lead_byte(b)) {
            // A lead byte without a proper trail is bad on its own; the byte after it
            // is then decoded as a character of its own instead of being swallowed.
            if (i + 1 < cp932.size() && is_trail_byte(static_cast<unsigned char>(cp932[i + 1])))
                len = 2;
            else {
                out += kReplacementUtf8;
                ++i;
                continue;
            }
        }
        if (cp932_decoder().convert(cp932.substr(i, len), piece) && !piece.empty())
            out += piece;
        else
            out += kReplacementUtf8;
        i += len;
    }
    return out;
}

std::wstring cp932_to_wide(std::string_view cp932) {
    const std::string utf8 = cp932_to_utf8(cp932);
    std::wstring out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        // cp932_to_utf8 writes well-formed UTF-8 only; a length of 0 cannot occur.
        const size_t length = std::max<size_t>(utf8_sequence_length(utf8, i), 1);
        const auto lead = static_cast<unsigned char>(utf8[i]);
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(static_cast<wchar_t>(code));
        i += length;
    }
    return out;
}

// The layer's wide characters are UTF-32 code units.
static_assert(sizeof(wchar_t) == sizeof(uint32_t));

std::string wide_to_utf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size() * 3);
    for (const wchar_t w : wide) {
        uint32_t code = std::bit_cast<uint32_t>(w);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::string utf8_to_cp932(std::string_view utf8, bool* lossless) {
    bool exact = true;
    std::string out;
    out.reserve(utf8.size());
    std::string piece;
    std::string back;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        const size_t len = utf8_sequence_length(utf8, i);
        if (len == 0) {  // malformed byte: replace it and resynchronise on the next one
            out.push_back('?');
            exact = false;
            ++i;
            continue;
        }
        const std::string_view seq = utf8.substr(i, len);
        i += len;
        if (!cp932_encoder().convert(seq, piece) || piece.empty() ||
            (piece.size() == 1 && static_cast<unsigned char>(piece[0]) < 0x80)) {
            out.push_back('?');
            exact = false;
            continue;
        }
        if (!cp932_decoder().convert(piece, back) || back != seq) exact = false;
        out += piece;
    }
    if (lossless) *lossless = exact;
    return out;
}

size_t char_length(std::string_view s, size_t i) {
    return is_lead_byte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

size_t truncated_length(std::string_view cp932, size_t max_bytes) {
    size_t i = 0;
    while (i < cp932.size()) {
        const size_t len = is_lead_byte(static_cast<unsigned char>(cp932[i])) ? 2 : 1;
        if (i + len > cp932.size() || i + len > max_bytes) break;
        i += len;
    }
    return i;
}

void copy_truncated(char* dst, size_t dst_size, std::string_view src) {
    if (dst == nullptr || dst_size == 0) return;
    // A NUL is never a trail byte, so the plain search finds the C string's end.
    src = src.substr(0, std::min(src.find('\0'), src.size()));
    const size_t len = truncated_length(src, dst_size - 1);
    if (len > 0) std::memmove(dst, src.data(), len);
    dst[len] = '\0';
}

size_t find(std::string_view haystack, std::string_view needle, size_t from) {
    const size_t n = haystack.size();
    const size_t m = needle.size();
    // A needle ending in a lone lead byte would match the first half of a character,
    // unless that match runs to the end of the haystack.
    const bool needle_complete = truncated_length(needle, m) == m;
    size_t i = 0;
    while (i <= n && m <= n - i) {
        if (i >= from && (m == 0 || std::memcmp(haystack.data() + i, needle.data(), m) == 0) &&
            (needle_complete || i + m == n))
            return i;
        if (i == n) break;
        i += char_length(haystack, i);
    }
    return std::string_view::npos;
}

size_t rfind_char(std::string_view s, char c) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < s.size(); i += char_length(s, i))
        if (s[i] == c) found = i;
    return found;
}

}  // namespace cw::text
