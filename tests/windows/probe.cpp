// celwright-probe.exe, for the smoke test under Wine: reports what the system knows of the
// editor's windows from another process, as any Windows program could ask.
//   celwright-probe client TITLE    prints the client size "W H" of the top-level window TITLE
//   celwright-probe visible TITLE   prints 1 when that window exists and is visible, else 0
//   celwright-probe tree-check TITLE  prints the state image (1 unchecked, 2 checked) of the
//                                     first item of the tree view in the window TITLE
// Exits with 1 when the window does not exist.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: celwright-probe client|visible TITLE\n");
        return 2;
    }
    HWND window = FindWindowA(nullptr, argv[2]);
    if (std::strcmp(argv[1], "visible") == 0) {
        std::printf("%d\n", window && IsWindowVisible(window) ? 1 : 0);
        return window ? 0 : 1;
    }
    if (!window) return 1;
    if (std::strcmp(argv[1], "tree-check") == 0) {
        HWND tree = FindWindowExA(window, nullptr, WC_TREEVIEWA, nullptr);
        const LRESULT root = tree ? SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0) : 0;
        if (!root) return 1;
        const LRESULT state =
            SendMessageA(tree, TVM_GETITEMSTATE, static_cast<WPARAM>(root), TVIS_STATEIMAGEMASK);
        std::printf("%u\n", static_cast<unsigned>((state & TVIS_STATEIMAGEMASK) >> 12));
        return 0;
    }
    RECT client;
    GetClientRect(window, &client);
    std::printf("%ld %ld\n", static_cast<long>(client.right - client.left),
                static_cast<long>(client.bottom - client.top));
    return 0;
}
