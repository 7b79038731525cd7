#include "conformance.h"

#include <commctrl.h>

#include <chrono>
#include <cstring>

namespace conformance {

namespace {

struct Case {
    const char* name;
    CaseFunction function;
};

std::vector<Case>& cases() {
    static std::vector<Case> all;
    return all;
}

int g_passed = 0;
int g_failed = 0;
int g_skipped = 0;
const char* g_case = "";

std::vector<std::string>& contexts() {
    static std::vector<std::string> stack;
    return stack;
}

void report_failure(const char* file, int line, const std::string& what) {
    const char* base = std::strrchr(file, '/');
    std::string where;
    for (const std::string& c : contexts()) where += ", " + c;
    std::printf("FAIL %s%s (%s:%d): %s\n", g_case, where.c_str(), base ? base + 1 : file, line, what.c_str());
}

std::string hex(unsigned long long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", v);
    return buf;
}

std::string describe(const Logged& m) {
    return message_name(m.message) + "(wp " + hex(m.wparam) + ") to " +
           hex(reinterpret_cast<uintptr_t>(m.hwnd));
}

std::string describe(const Expected& e) {
    std::string s = message_name(e.message);
    if (e.check_wparam) s += "(wp " + hex(e.wparam) + ")";
    if (e.hwnd) s += " to " + hex(reinterpret_cast<uintptr_t>(e.hwnd));
    return s;
}

bool matches(const Logged& m, const Expected& e) {
    return m.message == e.message && (!e.hwnd || m.hwnd == e.hwnd) &&
           (!e.check_wparam || m.wparam == e.wparam);
}

}  // namespace

void register_case(const char* name, CaseFunction function) {
    cases().push_back(Case{name, function});
}

bool under_wine() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

std::string implementation() {
#ifdef _WIN32
    if (!under_wine()) return "Windows";
    using WineVersion = const char*(__cdecl*)();
    const auto version = reinterpret_cast<WineVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return std::string("Wine ") + (version ? version() : "");
#else
    return "the platform layer (" CONFORMANCE_BACKEND ")";
#endif
}

int run_all(const char* suite) {
    for (const Case& c : cases()) {
        g_case = c.name;
        const int failed_before = g_failed;
        const auto start = std::chrono::steady_clock::now();
        c.function();
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        message_log().clear();
        message_log().watch({});
        if (g_failed == failed_before) std::printf("ok   %s (%lld ms)\n", c.name, static_cast<long long>(ms));
    }
    std::printf("conformance %s on %s: %d checks passed, %d failed, %d skipped\n", suite,
                implementation().c_str(), g_passed, g_failed, g_skipped);
    std::fflush(stdout);
    return g_failed == 0 && g_passed > 0 ? 0 : 1;
}

// Counts a check; a failed one is reported with what describes it (built only then).
template <typename Describe>
bool count(bool ok, const char* file, int line, Describe describe) {
    if (ok) {
        ++g_passed;
    } else {
        ++g_failed;
        report_failure(file, line, describe());
    }
    return ok;
}

void count_check(bool ok, const char* expression, const char* file, int line) {
    count(ok, file, line, [&] { return std::string("CHECK(") + expression + ")"; });
}

void count_equal(long long actual, long long expected, const char* actual_text, const char* expected_text,
                 const char* file, int line) {
    count(actual == expected, file, line, [&] {
        return std::string(actual_text) + " is " + std::to_string(actual) + " (" +
               hex(static_cast<unsigned long long>(actual)) + "), expected " + expected_text + " = " +
               std::to_string(expected) + " (" + hex(static_cast<unsigned long long>(expected)) + ")";
    });
}

void count_text(const std::string& actual, const std::string& expected, const char* actual_text,
                const char* file, int line) {
    count(actual == expected, file, line,
          [&] { return std::string(actual_text) + " is \"" + actual + "\", expected \"" + expected + "\""; });
}

bool not_under_wine(const char* reason, const char* file, int line) {
    if (!under_wine()) return true;
    ++g_skipped;
    const char* base = std::strrchr(file, '/');
    std::printf("skip %s (%s:%d) under Wine: %s\n", g_case, base ? base + 1 : file, line, reason);
    return false;
}

Context::Context(std::string what) {
    contexts().push_back(std::move(what));
}

Context::~Context() {
    contexts().pop_back();
}

void MessageLog::record(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    for (UINT w : watched_)
        if (w == message) {
            log_.push_back(Logged{hwnd, message, wparam, lparam});
            return;
        }
}

std::vector<Logged> MessageLog::of(HWND hwnd) const {
    std::vector<Logged> out;
    for (const Logged& m : log_)
        if (m.hwnd == hwnd) out.push_back(m);
    return out;
}

MessageLog& message_log() {
    static MessageLog log;
    return log;
}

bool expect_sequence(const std::vector<Logged>& log, std::initializer_list<Expected> expected,
                     const char* file, int line) {
    bool same = log.size() == expected.size();
    for (size_t i = 0; same && i < log.size(); ++i) same = matches(log[i], expected.begin()[i]);
    return count(same, file, line, [&] {
        std::string what = "message sequence differs\n    expected:";
        for (const Expected& e : expected) what += "\n      " + describe(e);
        what += "\n    received:";
        for (const Logged& m : log) what += "\n      " + describe(m);
        return what;
    });
}

std::string message_name(UINT message) {
    static const struct {
        UINT code;
        const char* name;
    } kNames[] = {
        {WM_CREATE, "WM_CREATE"},
        {WM_DESTROY, "WM_DESTROY"},
        {WM_MOVE, "WM_MOVE"},
        {WM_SIZE, "WM_SIZE"},
        {WM_ACTIVATE, "WM_ACTIVATE"},
        {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_ENABLE, "WM_ENABLE"},
        {WM_SETTEXT, "WM_SETTEXT"},
        {WM_CLOSE, "WM_CLOSE"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
        {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
        {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_NOTIFY, "WM_NOTIFY"},
        {WM_NCCREATE, "WM_NCCREATE"},
        {WM_NCDESTROY, "WM_NCDESTROY"},
        {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
        {WM_NCACTIVATE, "WM_NCACTIVATE"},
        {WM_KEYDOWN, "WM_KEYDOWN"},
        {WM_KEYUP, "WM_KEYUP"},
        {WM_CHAR, "WM_CHAR"},
        {WM_INITDIALOG, "WM_INITDIALOG"},
        {WM_COMMAND, "WM_COMMAND"},
        {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
        {WM_HSCROLL, "WM_HSCROLL"},
        {WM_VSCROLL, "WM_VSCROLL"},
        {WM_INITMENU, "WM_INITMENU"},
        {WM_INITMENUPOPUP, "WM_INITMENUPOPUP"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
        {WM_MDICREATE, "WM_MDICREATE"},
        {WM_MDIDESTROY, "WM_MDIDESTROY"},
        {WM_MDIACTIVATE, "WM_MDIACTIVATE"},
        {WM_MDIGETACTIVE, "WM_MDIGETACTIVE"},
        {WM_MDISETMENU, "WM_MDISETMENU"},
        {WM_MDIREFRESHMENU, "WM_MDIREFRESHMENU"},
        {TVN_SELCHANGINGA, "TVN_SELCHANGINGA"},
        {TVN_SELCHANGEDA, "TVN_SELCHANGEDA"},
        {TVN_BEGINDRAGA, "TVN_BEGINDRAGA"},
        {TVN_DELETEITEMA, "TVN_DELETEITEMA"},
        {LVN_BEGINLABELEDITA, "LVN_BEGINLABELEDITA"},
        {LVN_ENDLABELEDITA, "LVN_ENDLABELEDITA"},
        {UDN_DELTAPOS, "UDN_DELTAPOS"},
        {NM_CLICK, "NM_CLICK"},
        {NM_DBLCLK, "NM_DBLCLK"},
        {NM_SETFOCUS, "NM_SETFOCUS"},
        {NM_KILLFOCUS, "NM_KILLFOCUS"},
    };
    for (const auto& n : kNames)
        if (n.code == message) return n.name;
    return hex(message);
}

LRESULT CALLBACK recording_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    message_log().record(hwnd, message, wparam, lparam);
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

const char* register_class(const char* name, WNDPROC proc, int background) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(background));
    wc.lpszClassName = name;
    RegisterClassA(&wc);  // a second registration of the name fails and keeps the first
    return name;
}

const char* recording_class() {
    static const char* name = register_class("CONFORMANCE_RECORDING", recording_proc, WHITE_BRUSH);
    return name;
}

void pump_messages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace conformance
