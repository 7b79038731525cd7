// celwright-probe.exe, for the checks under Wine: reports what the system knows of the editor's
// windows from another process, as any Windows program could ask. TITLE names a top-level window
// or a child window (an MDI child) by its text.
//   celwright-probe client TITLE      the client size "W H"
//   celwright-probe rect TITLE        the client area on the screen "X Y W H"
//   celwright-probe control TITLE ID  the client area of dialog control ID inside TITLE, "X Y W H"
//   celwright-probe controls TITLE [ID]  a line per control of TITLE, or of the window inside it
//                                     that holds control ID (see controls_listing.h)
//   celwright-probe visible TITLE     1 when that window exists and is visible, else 0
//   celwright-probe tree-check TITLE  the state image (1 unchecked, 2 checked) of the first item
//                                     of the tree view in the window TITLE
//   celwright-probe layout TITLE      a line per visible window inside TITLE: its class, its id
//                                     and the place of its client area relative to TITLE's
//                                     client area, "CLASS ID X Y W H"
// Exits with 1 when the window does not exist.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../../tools/scenario/scenario/controls_listing.h"

namespace {

struct Search {
    const char* title;
    int id;
    HWND found;
};

// A control of a dialog: MDI children and the main window's own children have ids too.
bool in_dialog(HWND hwnd) {
    char name[16] = {};
    GetClassNameA(GetParent(hwnd), name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

BOOL CALLBACK match_child(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if ((s->title && std::strcmp(text, s->title) == 0) ||
        (!s->title && GetDlgCtrlID(hwnd) == s->id && in_dialog(hwnd))) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK search_top_level(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    EnumChildWindows(hwnd, match_child, lp);
    return s->found ? FALSE : TRUE;
}

// The main window's title names the open project after the program's own ("TITLE - walk.cwp *"),
// so a top-level window also answers to its title followed by " - ".
BOOL CALLBACK match_titled_top_level(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    const size_t length = std::strlen(s->title);
    if (std::strncmp(text, s->title, length) == 0 && std::strncmp(text + length, " - ", 3) == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A top-level window by its title, or else a child window of any of them.
HWND find_window(const char* title) {
    if (HWND top = FindWindowA(nullptr, title)) return top;
    Search titled{title, 0, nullptr};
    EnumWindows(match_titled_top_level, reinterpret_cast<LPARAM>(&titled));
    if (titled.found) return titled.found;
    Search s{title, 0, nullptr};
    EnumWindows(search_top_level, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void print_client_on_screen(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(origin.x), static_cast<long>(origin.y),
                static_cast<long>(r.right), static_cast<long>(r.bottom));
}

BOOL CALLBACK print_placed(HWND hwnd, LPARAM lp) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    const POINT origin = *reinterpret_cast<const POINT*>(lp);
    RECT r;
    GetClientRect(hwnd, &r);
    POINT at{0, 0};
    ClientToScreen(hwnd, &at);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    std::printf("%s %d %ld %ld %ld %ld\n", name, GetDlgCtrlID(hwnd), static_cast<long>(at.x - origin.x),
                static_cast<long>(at.y - origin.y), static_cast<long>(r.right), static_cast<long>(r.bottom));
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: celwright-probe client|rect|control|controls|visible|tree-check|layout TITLE [ID]\n");
        return 2;
    }
    const char* command = argv[1];
    HWND window = find_window(argv[2]);
    if (std::strcmp(command, "visible") == 0) {
        std::printf("%d\n", window && IsWindowVisible(window) ? 1 : 0);
        return window ? 0 : 1;
    }
    if (!window) return 1;
    if (std::strcmp(command, "tree-check") == 0) {
        HWND tree = FindWindowExA(window, nullptr, WC_TREEVIEWA, nullptr);
        const LRESULT root = tree ? SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0) : 0;
        if (!root) return 1;
        const LRESULT state =
            SendMessageA(tree, TVM_GETITEMSTATE, static_cast<WPARAM>(root), TVIS_STATEIMAGEMASK);
        std::printf("%u\n", static_cast<unsigned>((state & TVIS_STATEIMAGEMASK) >> 12));
        return 0;
    }
    if (std::strcmp(command, "layout") == 0) {
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        EnumChildWindows(window, print_placed, reinterpret_cast<LPARAM>(&origin));
        return 0;
    }
    if (std::strcmp(command, "rect") == 0) {
        print_client_on_screen(window);
        return 0;
    }
    if (std::strcmp(command, "control") == 0 && argc == 4) {
        Search s{nullptr, std::atoi(argv[3]), nullptr};
        EnumChildWindows(window, match_child, reinterpret_cast<LPARAM>(&s));
        if (!s.found) return 1;
        print_client_on_screen(s.found);
        return 0;
    }
    if (std::strcmp(command, "controls") == 0) {
        if (argc == 4) {
            Search s{nullptr, std::atoi(argv[3]), nullptr};
            EnumChildWindows(window, match_child, reinterpret_cast<LPARAM>(&s));
            if (!s.found) return 1;
            window = GetParent(s.found);
        }
        std::fputs(controls_listing::list_controls(window).c_str(), stdout);
        return 0;
    }
    RECT client;
    GetClientRect(window, &client);
    std::printf("%ld %ld\n", static_cast<long>(client.right - client.left),
                static_cast<long>(client.bottom - client.top));
    return 0;
}
