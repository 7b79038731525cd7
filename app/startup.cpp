// Start-up in its fixed order, and the main loop that runs the idle tick
// whenever the queue is empty and one of the program's windows is active.
#include "app/startup.h"

#include <cstring>

#include "project/app_state.h"
#include "app/configuration.h"
#include "app/frame_pacing.h"
#include "app/history_commands.h"
#include "app/input_watch.h"
#include "app/loop_report.h"
#include "app/main_window.h"
#include "app/recovery_commands.h"
#include "app/view_commands.h"
#include "display/ddraw_sets.h"
#include "display/image_window.h"
#include "display/playback.h"
#include "display/pattern_window.h"
#include "project/tables.h"

namespace {

bool register_window_classes(HINSTANCE instance) {
    WNDCLASSA main{};
    main.style = 0;
    main.lpfnWndProc = main_window_proc;
    main.hInstance = instance;
    main.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CELWRIGHT));
    main.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    main.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    main.lpszClassName = kMainClass;
    if (!RegisterClassA(&main)) return false;

    WNDCLASSA child = main;
    child.lpfnWndProc = pattern_window_proc;
    child.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    child.lpszClassName = kPatternClass;
    return RegisterClassA(&child) != 0;
}

void load_menus(HINSTANCE instance) {
    g_app.no_project_menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_NO_PROJECT_MENU));
    g_app.project_menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_PROJECT_MENU));
    g_app.pattern_menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_PATTERN_MENU));
    g_app.project_file_submenu = GetSubMenu(g_app.project_menu, 0);
    g_app.pattern_window_submenu = GetSubMenu(g_app.pattern_menu, 3);
    g_app.accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
}

void set_fill_records() {
    std::memset(&g_app.surround_fill, 0, sizeof g_app.surround_fill);
    g_app.surround_fill.dwSize = sizeof(DDBLTFX);
    g_app.surround_fill.dwFillColor = GetSysColor(COLOR_BTNSHADOW);
    // The background colour always starts black in a new run, whatever was stored.
    std::memset(&g_app.background_fill, 0, sizeof g_app.background_fill);
    g_app.background_fill.dwSize = sizeof(DDBLTFX);
    g_app.background_fill.dwFillColor = 0;
    g_app.background_fill.dwROP = SRCINVERT;
}

}  // namespace

bool start_program(HINSTANCE instance, int show_command) {
    g_app.instance = instance;
    InitCommonControls();
    if (!register_window_classes(instance)) return false;
    load_menus(instance);
    read_configuration();

    RECT outer{0, 0, g_app.main_client_width, g_app.main_client_height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, TRUE);
    g_app.main_window =
        CreateWindowExA(WS_EX_ACCEPTFILES, kMainClass, "Celwright for Win32 Ver 1.2",
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, outer.right - outer.left,
                        outer.bottom - outer.top, nullptr, g_app.no_project_menu, instance, nullptr);
    if (!g_app.main_window) return false;
    g_app.image_window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_IMAGE_WINDOW), g_app.main_window,
                                            image_window_proc, 0);
    ShowWindow(g_app.main_window, show_command);
    UpdateWindow(g_app.main_window);
    if (!create_image_window_set(g_app.image_window)) {
        release_everything();
        return false;
    }
    set_fill_records();
    show_view_choices();
    start_history();
    offer_recovery();
    return true;
}

void idle_tick() {
    ++g_app.ticks;
    playback_tick();
}

namespace {

struct Pacing {
    int64_t frequency = 0;
    FramePacer pacer;
};

Pacing& pacing() {
    static Pacing p = [] {
        Pacing made;
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        made.frequency = f.QuadPart;
        made.pacer = make_frame_pacer(made.frequency, tick_rate_from_environment(g_app.ticks_per_second));
        return made;
    }();
    return p;
}

int64_t counter_now() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}

}  // namespace

void set_tick_rate(int ticks_per_second) {
    Pacing& p = pacing();
    p.pacer = make_frame_pacer(p.frequency, tick_rate_from_environment(ticks_per_second));
}

namespace {

// Nothing plays and nothing shown is out of date: wait for input, without waking up.
LoopStep block_until_input() {
    pacing_stopped(pacing().pacer);
    report_loop_counts(true);
    WaitMessage();
    ++g_app.wakeups;
    return LoopStep::Idle;
}

// The next frame's tick, or a wait for it that input ends early.
LoopStep tick_when_due() {
    Pacing& p = pacing();
    const int64_t now = counter_now();
    const int64_t left = time_to_next_tick(p.pacer, now);
    if (left > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait_milliseconds(left, p.frequency), QS_ALLINPUT);
        ++g_app.wakeups;
        return LoopStep::Waited;
    }
    tick_taken(p.pacer, now);
    idle_tick();
    report_loop_counts(false);
    return LoopStep::Ticked;
}

// Ctrl+Z and Ctrl+Y in a text field undo and redo its typing, not the project, while it holds
// typing that was not taken yet; once taken (Enter, or the focus left), they are the project's.
bool text_field_keeps(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != 'Z' && msg.wParam != 'Y')) return false;
    char name[16] = {};
    GetClassNameA(msg.hwnd, name, sizeof name);
    return lstrcmpiA(name, "Edit") == 0 && !(GetWindowLongPtrA(msg.hwnd, GWL_STYLE) & ES_READONLY) &&
           SendMessageA(msg.hwnd, EM_CANUNDO, 0, 0) != 0;
}

// The keys the loop takes before any window: the main window's accelerators, the MDI keys,
// then the keyboard interface of the two modeless dialogs (Tab, Enter, Esc).
bool loop_takes(MSG& msg) {
    if (g_app.accelerators && !text_field_keeps(msg) &&
        TranslateAcceleratorA(g_app.main_window, g_app.accelerators, &msg))
        return true;
    if (TranslateMDISysAccel(g_app.mdi_client, &msg)) return true;
    if (g_app.edit_panel && IsDialogMessageA(g_app.edit_panel, &msg)) return true;
    return g_app.image_window && IsDialogMessageA(g_app.image_window, &msg);
}

}  // namespace

void dispatch_message(MSG& msg) {
    if (loop_takes(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void after_input() {
    static bool was_playing = false;
    const int p = g_playback.play_pattern;
    const bool playing = p < kMaxPatterns && g_tables.settings[p].play_mode != IDC_PLAY_STOP;
    if (playing != was_playing) {
        was_playing = playing;
        show_history_state();
    }
    note_project_changes();
    keep_recovery_copy();
    show_frame_time();
}

LoopStep main_loop_step(MSG& msg, LoopMode mode) {
    const BOOL taken = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    if (taken && msg.message == WM_QUIT) return LoopStep::Quit;
    if (taken) dispatch_message(msg);
    // Input is handled by now, whether it came queued or was sent while the queue was looked at
    // or waited on; after a pass that only ticked or waited there is nothing to look for.
    if (after_input_due(taken != FALSE)) after_input();
    if (taken) return LoopStep::Dispatched;
    if (mode == LoopMode::Step) {
        if (!g_app.app_active) return LoopStep::Idle;
        idle_tick();
        return LoopStep::Ticked;
    }
    if (!g_app.app_active || !playback_tick_due()) return block_until_input();
    return tick_when_due();
}

int run_main_loop() {
    MSG msg{};
    while (main_loop_step(msg, LoopMode::Paced) != LoopStep::Quit) {
    }
    report_loop_counts(true);
    release_everything();
    return static_cast<int>(msg.wParam);
}
