// A small test framework for the conformance tests: programs written only against the SDK's
// interfaces, built twice, against the platform layer and against the system's own SDK (run
// under Wine), which must pass both ways. It builds with either, needs nothing else, and
// prints one line of counts at the end:
//
//   conformance windows on the platform layer (null backend): 41 checks passed, 0 failed, 0 skipped
//
// A check that the layer and the system must agree on is CHECK/CHECK_EQ. Where Wine differs
// from the system's documented behaviour, the test follows the documentation and says so with
// WINE_DIFFERS("why", check): the check is skipped under Wine with the reason printed, and
// still made everywhere else.
#pragma once

#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace conformance {

// ---- running ---------------------------------------------------------------------------------

using CaseFunction = void (*)();
void register_case(const char* name, CaseFunction function);
struct Registration {
    Registration(const char* name, CaseFunction function) { register_case(name, function); }
};
// Runs every case in the order of registration, prints failures and the counts; the exit code.
int run_all(const char* suite);

// True when the program runs under Wine (looked up the way Wine's own tests do).
bool under_wine();
// The implementation the checks run on, for the summary line.
std::string implementation();

// ---- checks ----------------------------------------------------------------------------------

// Each check counts its outcome and returns it, so that a test can stop where going on makes
// no sense (`if (!CHECK(surface)) return;`).
void count_check(bool ok, const char* expression, const char* file, int line);
void count_equal(long long actual, long long expected, const char* actual_text, const char* expected_text,
                 const char* file, int line);
void count_text(const std::string& actual, const std::string& expected, const char* actual_text,
                const char* file, int line);
inline bool check(bool ok, const char* expression, const char* file, int line) {
    count_check(ok, expression, file, line);
    return ok;
}
inline bool check_equal(long long actual, long long expected, const char* actual_text,
                        const char* expected_text, const char* file, int line) {
    count_equal(actual, expected, actual_text, expected_text, file, line);
    return actual == expected;
}
inline bool check_text(const std::string& actual, const std::string& expected, const char* actual_text,
                       const char* file, int line) {
    count_text(actual, expected, actual_text, file, line);
    return actual == expected;
}
// Counts a check skipped under Wine, with its reason; false there (the check is not made).
bool not_under_wine(const char* reason, const char* file, int line);

#define CONFORMANCE_CASE(name)                                           \
    static void name();                                                  \
    static ::conformance::Registration registration_##name(#name, name); \
    static void name()
#define CHECK(expression) ::conformance::check(static_cast<bool>(expression), #expression, __FILE__, __LINE__)
#define CHECK_EQ(actual, expected)                                                                        \
    ::conformance::check_equal(static_cast<long long>(actual), static_cast<long long>(expected), #actual, \
                               #expected, __FILE__, __LINE__)
#define CHECK_TEXT(actual, expected) \
    ::conformance::check_text((actual), (expected), #actual, __FILE__, __LINE__)
#define WINE_DIFFERS(reason, ...)                                                   \
    do {                                                                            \
        if (::conformance::not_under_wine(reason, __FILE__, __LINE__)) __VA_ARGS__; \
    } while (0)

// What the checks that follow are about (a dialog, an item), named in their failures for as
// long as the context lives.
class Context {
  public:
    explicit Context(std::string what);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
};

// ---- message logs ----------------------------------------------------------------------------

struct Logged {
    HWND hwnd;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

// One expected message: its number and, when given, its window and its wParam.
struct Expected {
    Expected(UINT m) : message(m) {}
    Expected(UINT m, WPARAM w) : message(m), wparam(w), check_wparam(true) {}
    Expected(HWND h, UINT m) : hwnd(h), message(m) {}
    Expected(HWND h, UINT m, WPARAM w) : hwnd(h), message(m), wparam(w), check_wparam(true) {}
    HWND hwnd = nullptr;  // any window
    UINT message;
    WPARAM wparam = 0;
    bool check_wparam = false;
};

// What the recording window procedures saw. Only the messages being watched are logged.
class MessageLog {
  public:
    void watch(std::initializer_list<UINT> messages) { watched_.assign(messages); }
    void clear() { log_.clear(); }
    void record(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    const std::vector<Logged>& entries() const { return log_; }
    // The entries of one window.
    std::vector<Logged> of(HWND hwnd) const;

  private:
    std::vector<UINT> watched_;
    std::vector<Logged> log_;
};
MessageLog& message_log();

// The watched messages that arrived must be exactly these, in this order; on a mismatch both
// sequences are printed with the messages' names.
bool expect_sequence(const std::vector<Logged>& log, std::initializer_list<Expected> expected,
                     const char* file, int line);
#define EXPECT_SEQUENCE(log, ...) ::conformance::expect_sequence((log), __VA_ARGS__, __FILE__, __LINE__)

// The name of a message or notification code, for what a failure prints.
std::string message_name(UINT message);

// Registers a window class of the program's module with the arrow cursor and a stock brush as
// its background; returns the name.
const char* register_class(const char* name, WNDPROC proc, int background);

// A window procedure that logs what it receives and leaves the rest to DefWindowProc, and a
// class registered with it (once).
LRESULT CALLBACK recording_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
const char* recording_class();

// Sends and posts are done; the posted messages of this thread are dispatched until none is left.
void pump_messages();

}  // namespace conformance
