// An MDI frame as a program makes one, for the tests of the window manager and of the backends:
// a frame window whose procedure leaves everything to DefFrameProc, an MDI client in it, and
// children whose procedure leaves everything to DefMDIChildProc. The test sees every message
// either receives (an observer), before the system handles it.
#pragma once

#include <windows.h>

namespace mdi_frame {

// Called with every message the frame and its children receive.
using Observer = void (*)(HWND hwnd, UINT msg, WPARAM wp);
inline Observer g_observer = nullptr;

inline LRESULT CALLBACK frame_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (g_observer) g_observer(h, m, wp);
    // The client is the frame's only child; none while the frame is being created.
    return DefFrameProcA(h, GetWindow(h, GW_CHILD), m, wp, lp);
}

inline LRESULT CALLBACK child_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (g_observer) g_observer(h, m, wp);
    return DefMDIChildProcA(h, m, wp, lp);
}

constexpr const char* kFrameClass = "MDI_TEST_FRAME";
constexpr const char* kChildClass = "MDI_TEST_CHILD";

struct Layout {
    HMENU bar = nullptr;  // the frame's menu bar
    int width = 640;      // the frame's outer size, at the screen's corner
    int height = 480;
    int client_width = 400;
    int client_height = 300;
    DWORD client_ex_style = WS_EX_CLIENTEDGE;
    HMENU window_menu = nullptr;  // the popup where the client lists its children
    UINT first_child_id = 20;
};

// The frame and its client, shown; destroyed with the object.
class Frame {
  public:
    Frame(const Layout& layout, Observer observer) {
        register_classes();
        g_observer = observer;
        frame_ = CreateWindowExA(0, kFrameClass, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 layout.width, layout.height, nullptr, layout.bar, nullptr, nullptr);
        CLIENTCREATESTRUCT ccs{layout.window_menu, layout.first_child_id};
        client_ = CreateWindowExA(layout.client_ex_style, "MDICLIENT", "", WS_CHILD | WS_VISIBLE, 0, 0,
                                  layout.client_width, layout.client_height, frame_,
                                  reinterpret_cast<HMENU>(1), nullptr, &ccs);
    }
    ~Frame() {
        if (IsWindow(frame_)) DestroyWindow(frame_);
        g_observer = nullptr;
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    HWND frame() const { return frame_; }
    HWND client() const { return client_; }

    // A visible child; where the client places it unless told.
    HWND child(const char* title, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int width = CW_USEDEFAULT,
               int height = CW_USEDEFAULT) const {
        return CreateWindowExA(WS_EX_MDICHILD, kChildClass, title, WS_CHILD | WS_VISIBLE, x, y, width, height,
                               client_, nullptr, nullptr, nullptr);
    }
    void maximise(HWND child) const {
        SendMessageA(client_, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0);
    }
    void restore(HWND child) const {
        SendMessageA(client_, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
    }

  private:
    // Once per program; registering a class again fails harmlessly.
    static void register_classes() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = frame_proc;
        wc.lpszClassName = kFrameClass;
        RegisterClassA(&wc);
        wc.lpfnWndProc = child_proc;
        wc.lpszClassName = kChildClass;
        wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);  // as the program's pattern windows
        RegisterClassA(&wc);
    }

    HWND frame_ = nullptr;
    HWND client_ = nullptr;
};

}  // namespace mdi_frame
