#include "project/dbcs_text.h"

size_t dbcs_char_length(std::string_view s, size_t i) {
    const bool lead = IsDBCSLeadByteEx(kTextCodePage, static_cast<BYTE>(s[i])) != FALSE;
    return lead && i + 1 < s.size() ? 2 : 1;
}

size_t dbcs_truncated_length(std::string_view s, size_t max_bytes) {
    size_t end = 0;
    while (end < s.size()) {
        // A lead byte at the very end is half a character: the cut goes before it.
        const size_t next = end + (IsDBCSLeadByteEx(kTextCodePage, static_cast<BYTE>(s[end])) ? 2 : 1);
        if (next > s.size() || next > max_bytes) break;
        end = next;
    }
    return end;
}

size_t dbcs_find(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return 0;
    for (size_t i = 0; i < haystack.size(); i += dbcs_char_length(haystack, i)) {
        if (haystack.compare(i, needle.size(), needle) != 0) continue;
        const size_t end = i + needle.size();
        // The match must not end on the lead byte of a character it only half covers.
        size_t j = i;
        while (j < end) j += dbcs_char_length(haystack, j);
        if (j == end) return i;
    }
    return std::string_view::npos;
}

size_t dbcs_name_start(std::string_view path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i += dbcs_char_length(path, i))
        if (path[i] == '/' || path[i] == '\\') start = i + 1;
    return start;
}
