// Byte-level work on the program's Shift-JIS texts (labels, paths) through the system's
// double-byte functions, so that no cut and no search ever splits a character: 0x5C, the
// backslash, is a common trail byte. The texts are code page 932 whatever the system's own
// code page is.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

inline constexpr UINT kTextCodePage = 932;

// Length in bytes (1 or 2) of the character that starts at s[i]; a lead byte at the very end
// of s is a character of its own. i must be < s.size().
size_t dbcs_char_length(std::string_view s, size_t i);

// The largest length <= max_bytes that ends on a character boundary of s; a string that ends
// in a lone lead byte is cut before it.
size_t dbcs_truncated_length(std::string_view s, size_t max_bytes);

// Position of the first occurrence of needle that starts on a character boundary of haystack
// and ends on one; npos when there is none.
size_t dbcs_find(std::string_view haystack, std::string_view needle);

// Where the last component of a path starts: just after its last '/' or '\\', 0 when it has
// none. Whole characters are walked, so a trail byte 0x5C is never taken for a backslash.
size_t dbcs_name_start(std::string_view path);
