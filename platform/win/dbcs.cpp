// The system's double-byte character functions for code page 932, the code page every text
// of the program is in. Character boundaries follow text/cp932: a lead byte and the byte
// after it are one character, unless that byte is the terminating NUL.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "text/cp932.h"

namespace {

// CP_ACP and CP_THREAD_ACP name the system's ANSI code page, which is 932 here; the layer knows
// no other double-byte code page.
bool is_cp932(UINT code_page) {
    return code_page == CP_ACP || code_page == CP_THREAD_ACP || code_page == 932;
}

}  // namespace

BOOL IsDBCSLeadByteEx(UINT code_page, BYTE test_char) {
    return is_cp932(code_page) && cw::text::is_lead_byte(test_char) ? TRUE : FALSE;
}

BOOL IsDBCSLeadByte(BYTE test_char) {
    return IsDBCSLeadByteEx(CP_ACP, test_char);
}

LPSTR CharNextExA(WORD code_page, LPCSTR current, DWORD) {
    if (!current || !*current) return const_cast<LPSTR>(current);
    if (IsDBCSLeadByteEx(code_page, static_cast<BYTE>(current[0])) && current[1])
        return const_cast<LPSTR>(current + 2);
    return const_cast<LPSTR>(current + 1);
}

// Walks forward from start, so that a trail byte is never taken for the start of a character.
LPSTR CharPrevExA(WORD code_page, LPCSTR start, LPCSTR current, DWORD flags) {
    if (!start || !current) return const_cast<LPSTR>(start);
    while (*start && start < current) {
        LPCSTR next = CharNextExA(code_page, start, flags);
        if (next >= current) break;
        start = next;
    }
    return const_cast<LPSTR>(start);
}

LPSTR CharNextA(LPCSTR current) {
    return CharNextExA(CP_ACP, current, 0);
}

LPSTR CharPrevA(LPCSTR start, LPCSTR current) {
    return CharPrevExA(CP_ACP, start, current, 0);
}

int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int count, LPWSTR wide, int wide_size) {
    if (!is_cp932(code_page) || !text || count == 0 || count < -1 || wide_size < 0 ||
        (wide_size > 0 && !wide) || (flags & ~static_cast<DWORD>(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // -1 takes the text up to and with its NUL, which the result then holds too.
    const size_t length = count == -1 ? std::strlen(text) + 1 : static_cast<size_t>(count);
    std::wstring converted = cw::text::cp932_to_wide(std::string_view(text, length));
    // CP932 has no form of U+FFFD: where it turns up, a byte was not CP932. The system puts the
    // code page's default character there, the katakana middle dot.
    if ((flags & MB_ERR_INVALID_CHARS) && converted.find(L'\xFFFD') != std::wstring::npos) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    std::replace(converted.begin(), converted.end(), L'\xFFFD', L'\x30FB');
    const int needed = static_cast<int>(converted.size());
    if (wide_size == 0) return needed;
    if (needed > wide_size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(converted.begin(), converted.end(), wide);
    return needed;
}
