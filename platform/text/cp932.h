// CP932 (Shift-JIS as on a Japanese Windows) text helpers.
//
// Every text of the program is CP932 bytes; the layer converts to and from UTF-8
// only where text leaves or enters the program (widgets, file names). Byte limits
// are counted in CP932 bytes, truncation never splits a double-byte character, and
// searches never match inside one (0x5C, the backslash, is a common trail byte).
//
// Character boundaries are found the way the system finds them: a lead byte
// (0x81-0x9F, 0xE0-0xFC) and the byte after it form one character, every other
// byte is a character of its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cw::text {

// UTF-8 encoding of U+FFFD, what an undecodable CP932 byte turns into.
inline constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// CP932 -> UTF-8. Bytes that are not valid CP932 each become U+FFFD (an unmapped
// but well-formed double-byte pair becomes one U+FFFD); nothing is dropped.
std::string cp932_to_utf8(std::string_view cp932);

// UTF-8 -> CP932. A character with no CP932 form, and every malformed UTF-8 byte,
// becomes '?'. *lossless (when given) is false when anything was replaced or when a
// character was mapped to a CP932 form that converts back to a different character
// (for example U+301C WAVE DASH to 0x8160, which reads back as U+FF5E), so a caller
// can refuse a file name that would not name the same file again. Characters that
// would only map onto an ASCII byte of another meaning (U+00A5 onto the backslash,
// U+203E onto the tilde) are replaced by '?', never turned into a path separator.
std::string utf8_to_cp932(std::string_view utf8, bool* lossless = nullptr);

// CP932 -> wide characters, one per character (every CP932 character lies in Unicode's
// basic plane, so a UTF-16 system counts the same). Bytes that are not valid CP932 become
// U+FFFD as in cp932_to_utf8.
std::wstring cp932_to_wide(std::string_view cp932);

// Wide characters -> UTF-8, for file names handed to the system. A value that is no Unicode
// character (a surrogate, beyond U+10FFFF) becomes U+FFFD.
std::string wide_to_utf8(std::wstring_view wide);

// True for a CP932 double-byte lead byte.
constexpr bool is_lead_byte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length in bytes (1 or 2) of the character starting at s[i]; a lead byte at the very
// end of s counts as 1. i must be < s.size().
size_t char_length(std::string_view s, size_t i);

// The largest length <= max_bytes that ends on a character boundary. A string that
// ends in a lone lead byte is cut before it.
size_t truncated_length(std::string_view cp932, size_t max_bytes);

// NUL-terminated copy of src into dst: at most dst_size - 1 bytes, stopping at the
// first NUL of src and never after half a character. dst_size 0 writes nothing.
void copy_truncated(char* dst, size_t dst_size, std::string_view src);

// Position of the first occurrence of needle at or after `from` that starts and ends
// on character boundaries of haystack; npos when there is none.
size_t find(std::string_view haystack, std::string_view needle, size_t from = 0);

// Position of the last character equal to c (for the last backslash of a path);
// npos when there is none.
size_t rfind_char(std::string_view s, char c);

}  // namespace cw::text
