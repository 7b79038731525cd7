// Shift-JIS texts as the program handles them: the double-byte character functions of code page
// 932 it cuts and searches with, and window texts set and read back byte for byte.
#include <windows.h>

#include <cstring>
#include <string>

#include "conformance.h"

namespace {

// 表 is 0x95 0x5C: its trail byte is the backslash.
const char kHyou[] = "\x95\x5C";

}  // namespace

CONFORMANCE_CASE(LeadBytesOfCodePage932) {
    for (int b : {0x81, 0x9F, 0xE0, 0xFC, 0x95}) CHECK(IsDBCSLeadByteEx(932, static_cast<BYTE>(b)));
    // ASCII, half-width katakana (0xA1-0xDF) and the bytes between the two lead ranges are single.
    for (int b : {0x00, 0x41, 0x5C, 0x80, 0xA0, 0xA1, 0xB1, 0xDF, 0xFD, 0xFF})
        CHECK(!IsDBCSLeadByteEx(932, static_cast<BYTE>(b)));
}

CONFORMANCE_CASE(CharNextAndCharPrevStepWholeCharacters) {
    const std::string text = std::string("a") + kHyou + "\\b" + "\xB1";  // a表\bｱ
    const char* s = text.c_str();
    const char* p = CharNextExA(932, s, 0);
    CHECK_EQ(p - s, 1);
    p = CharNextExA(932, p, 0);
    CHECK_EQ(p - s, 3);  // over both bytes of 表
    p = CharNextExA(932, p, 0);
    CHECK_EQ(p - s, 4);  // the real backslash
    p = CharNextExA(932, CharNextExA(932, p, 0), 0);
    CHECK_EQ(p - s, 6);                  // after ｱ, at the terminating NUL
    CHECK(CharNextExA(932, p, 0) == p);  // the end stays the end
    // Backwards: from the backslash after 表 the previous character starts at 表's lead byte.
    CHECK_EQ(CharPrevExA(932, s, s + 3, 0) - s, 1);
    CHECK_EQ(CharPrevExA(932, s, s + 4, 0) - s, 3);
    CHECK_EQ(CharPrevExA(932, s, s + 1, 0) - s, 0);
    CHECK(CharPrevExA(932, s, s, 0) == s);
    // A lead byte just before the end is a character of its own.
    const char lone[] = "x\x95";
    CHECK_EQ(CharNextExA(932, lone + 1, 0) - lone, 2);
}

// A window keeps the bytes of its text; reading it into a short buffer cuts it and ends it with
// a NUL.
CONFORMANCE_CASE(WindowTextsKeepTheirBytes) {
    HWND w = CreateWindowExA(0, conformance::recording_class(), "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    const std::string title = std::string("C:\\") + kHyou + "\\新規ｱﾆﾒｰｼｮﾝ.cwp";
    CHECK(SetWindowTextA(w, title.c_str()));
    char buffer[128] = {};
    CHECK_EQ(GetWindowTextA(w, buffer, sizeof buffer), title.size());
    CHECK_TEXT(std::string(buffer), title);
    CHECK_EQ(GetWindowTextLengthA(w), title.size());
    char small[4];
    std::memset(small, 'x', sizeof small);
    CHECK_EQ(GetWindowTextA(w, small, sizeof small), 3);
    CHECK_TEXT(std::string(small, strnlen(small, sizeof small)), "C:\\");
    DestroyWindow(w);
}

// CP932 text to wide characters, as the program hands its file names to GDI+: -1 takes the NUL
// along, a count does not; a buffer too small takes nothing.
CONFORMANCE_CASE(MultiByteToWideCharReadsCodePage932) {
    const std::string text = std::string("a\xB1") + kHyou;  // aｱ表
    WCHAR wide[8];
    CHECK_EQ(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0), 4);
    for (WCHAR& w : wide) w = 0x5555;
    CHECK_EQ(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 8), 4);
    CHECK_EQ(wide[0], L'a');
    CHECK_EQ(wide[1], 0xFF71);  // half-width katakana A
    CHECK_EQ(wide[2], 0x8868);  // 表, whose trail byte is not taken for a backslash
    CHECK_EQ(wide[3], 0);
    for (WCHAR& w : wide) w = 0x5555;
    CHECK_EQ(MultiByteToWideChar(932, 0, text.c_str(), 2, wide, 8), 2);
    CHECK_EQ(wide[2], 0x5555);
    SetLastError(0);
    CHECK_EQ(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 3), 0);
    CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    // A byte pair code page 932 does not assign: refused when asked, else the code page's
    // default character.
    const char unassigned[] = "\x85\x40";
    SetLastError(0);
    CHECK_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, unassigned, -1, wide, 8), 0);
    CHECK_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    CHECK_EQ(MultiByteToWideChar(932, 0, unassigned, -1, wide, 8), 2);
    CHECK_EQ(wide[0], 0x30FB);
    SetLastError(0);
    CHECK_EQ(MultiByteToWideChar(932, 0, text.c_str(), 0, wide, 8), 0);
    CHECK_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
