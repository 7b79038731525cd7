// UTF-8 script texts to the CP932 bytes the program's resources hold.
#include <iconv.h>

#include <cerrno>
#include <cstdio>

#include "rc_script.h"

namespace cw::rc {
namespace {

// Length of the UTF-8 sequence starting at s[i] and its code point; 0 when it is malformed
// (bad lead or trail byte, overlong form, surrogate, beyond U+10FFFF, cut short).
size_t utf8_sequence(std::string_view s, size_t i, uint32_t& cp) {
    const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t lead = b(i);
    size_t len;
    uint32_t min;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        len = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        len = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        len = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

std::string code_point_name(uint32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
    return buf;
}

}  // namespace

std::optional<std::string> utf8_to_cp932(std::string_view utf8, std::string& error) {
    // Validate first so that a malformed byte is reported as such and not as "no CP932 form".
    std::vector<size_t> starts;
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp;
        const size_t len = utf8_sequence(utf8, i, cp);
        if (len == 0) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "invalid UTF-8 (byte 0x%02X)", static_cast<uint8_t>(utf8[i]));
            error = buf;
            return std::nullopt;
        }
        if (cp == 0) {
            error = "a text cannot hold a NUL character";
            return std::nullopt;
        }
        starts.push_back(i);
        i += len;
    }

    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        error = "the C library offers no UTF-8 to CP932 conversion";
        return std::nullopt;
    }
    std::string out;
    // One character at a time: a character never needs more than 2 CP932 bytes, and a failure
    // names the exact character.
    for (size_t n = 0; n < starts.size(); ++n) {
        const size_t begin = starts[n];
        const size_t end = n + 1 < starts.size() ? starts[n + 1] : utf8.size();
        std::string in(utf8.substr(begin, end - begin));
        char buf[8];
        char* inp = in.data();
        size_t inleft = in.size();
        char* outp = buf;
        size_t outleft = sizeof buf;
        if (iconv(cd, &inp, &inleft, &outp, &outleft) == static_cast<size_t>(-1) || inleft != 0) {
            uint32_t cp;
            utf8_sequence(utf8, begin, cp);
            error = "character " + code_point_name(cp) + " '" + in + "' has no CP932 form";
            iconv_close(cd);
            return std::nullopt;
        }
        out.append(buf, outp);
    }
    iconv_close(cd);
    return out;
}

}  // namespace cw::rc
