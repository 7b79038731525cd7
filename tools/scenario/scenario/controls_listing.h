// One line per control inside a window, as any program of the system can read it from outside
// (messages the system carries between processes): its id, class, whether it is enabled and
// visible, a button's check, a combo box's selection or a trackbar's position, and its text
// (CP932 bytes, as the program holds them). The lines are sorted, so that two builds of the
// program can be compared line for line. Used by the Windows probe and the scenario driver.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace controls_listing {

inline std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

inline std::string control_line(HWND control) {
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    const std::string cls = lower(name);
    char text[512] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::string state = "-";
    if (cls == "button")
        state = std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0));
    else if (cls == "combobox")
        state = std::to_string(SendMessageA(control, CB_GETCURSEL, 0, 0));
    else if (cls == "msctls_trackbar32")
        state = std::to_string(SendMessageA(control, TBM_GETPOS, 0, 0));
    char line[768];
    std::snprintf(line, sizeof line, "%d\t%s\t%d\t%d\t%s\t%s", GetDlgCtrlID(control), cls.c_str(),
                  IsWindowEnabled(control) ? 1 : 0, IsWindowVisible(control) ? 1 : 0, state.c_str(), text);
    return line;
}

// The lines of the direct children of `window`, sorted, each ended by a newline.
inline std::string list_controls(HWND window) {
    std::vector<std::string> lines;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        lines.push_back(control_line(c));
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

}  // namespace controls_listing
