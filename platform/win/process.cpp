// The process calls the program makes to tell a running editor from one that has ended:
// GetCurrentProcessId, GetCurrentProcess, OpenProcess, GetExitCodeProcess and GetProcessTimes,
// over what the kernel shows of every process in /proc/<pid>/stat; and the system's time,
// which the creation times are compared with.
//
// A process is named by its id and the time it started: once it has ended and its parent has
// collected it, the id can be given to another process, and a handle opened before that must
// not take the newcomer for the process it was opened on.
#include "win/process.h"

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Seconds from 1601-01-01 (where the system's FILETIME counts from) to 1970-01-01.
constexpr uint64_t kEpochDifference = 11644473600ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;  // FILETIME counts 100 ns

struct Process {
    pid_t pid;
    unsigned long long started;  // clock ticks after boot, as /proc/<pid>/stat gives it
};
std::set<Process*>& processes() {
    static std::set<Process*> p;
    return p;
}

HANDLE current_process_handle() {
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

// What /proc/<pid>/stat says of a process: its state letter, start, processor times and, once
// it has ended, the status its parent will collect.
struct Stat {
    char state = 0;
    unsigned long long started = 0;
    unsigned long long user = 0, kernel = 0;  // clock ticks
    long long exit_status = -1;               // -1: not given (a kernel before 3.5)
};

bool read_stat(pid_t pid, Stat& stat) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    if (!in) return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name stands in parentheses and may hold anything, ')' included.
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream fields(text.substr(close + 1));
    std::vector<std::string> f{std::istream_iterator<std::string>(fields),
                               std::istream_iterator<std::string>()};
    // f[0] is field 3 of the kernel's list (the state), so field n is f[n - 3].
    if (f.size() < 20) return false;
    stat.state = f[0][0];
    stat.user = std::strtoull(f[11].c_str(), nullptr, 10);
    stat.kernel = std::strtoull(f[12].c_str(), nullptr, 10);
    stat.started = std::strtoull(f[19].c_str(), nullptr, 10);
    if (f.size() >= 50) stat.exit_status = std::strtoll(f[49].c_str(), nullptr, 10);
    return true;
}

// When the machine started, in seconds after 1970, as /proc/stat gives it.
unsigned long long boot_time() {
    std::ifstream in("/proc/stat");
    std::string word;
    while (in >> word)
        if (word == "btime") {
            unsigned long long seconds = 0;
            in >> seconds;
            return seconds;
        }
    return 0;
}

FILETIME filetime_of(uint64_t ticks) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(ticks);
    t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return t;
}

// Clock ticks of the kernel as 100 ns units.
uint64_t from_clock_ticks(unsigned long long ticks) {
    const uint64_t hz = static_cast<uint64_t>(sysconf(_SC_CLK_TCK));
    return ticks / hz * kTicksPerSecond + ticks % hz * kTicksPerSecond / hz;
}

Process* process_of(HANDLE h) {
    static Process current{0, 0};
    if (h == current_process_handle()) {
        Stat stat;
        current.pid = getpid();
        if (read_stat(current.pid, stat)) current.started = stat.started;
        return &current;
    }
    auto* p = static_cast<Process*>(h);
    return processes().count(p) ? p : nullptr;
}

// The process the handle was opened on, as it is now; false once it has been collected (and
// its id perhaps given to another process).
bool current_stat(const Process& p, Stat& stat) {
    return read_stat(p.pid, stat) && stat.started == p.started;
}

// The exit code of an ended process from the status its parent collects: the code it gave,
// or for one a signal ended, 128 and the signal's number, as the shells report it.
DWORD exit_code_of(const Stat& stat) {
    if (stat.exit_status < 0) return 0;
    const int status = static_cast<int>(stat.exit_status);
    if (WIFSIGNALED(status)) return 128 + static_cast<DWORD>(WTERMSIG(status));
    return static_cast<DWORD>(WEXITSTATUS(status));
}

}  // namespace

namespace cw::win {

bool close_process_handle(HANDLE h) {
    if (h == current_process_handle()) return true;
    auto* p = static_cast<Process*>(h);
    if (!processes().count(p)) return false;
    processes().erase(p);
    delete p;
    return true;
}

}  // namespace cw::win

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

HANDLE GetCurrentProcess() {
    return current_process_handle();
}

HANDLE OpenProcess(DWORD, BOOL, DWORD id) {
    Stat stat;
    const pid_t pid = static_cast<pid_t>(id);
    if (id == 0 || id > static_cast<DWORD>(INT_MAX) || !read_stat(pid, stat)) {
        // Where /proc hides other users' processes, the process is there all the same: the
        // system refuses to open it rather than say there is none.
        const bool hidden =
            id != 0 && id <= static_cast<DWORD>(INT_MAX) && kill(pid, 0) != 0 && errno == EPERM;
        SetLastError(hidden ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* p = new Process{pid, stat.started};
    processes().insert(p);
    return p;
}

BOOL GetExitCodeProcess(HANDLE h, LPDWORD code) {
    const Process* p = process_of(h);
    if (!p || !code) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Stat stat;
    if (current_stat(*p, stat) && stat.state != 'Z' && stat.state != 'X') {
        *code = STILL_ACTIVE;
        return TRUE;
    }
    // Ended. Once its parent has collected it the kernel keeps nothing of it, not even the
    // code it ended with: that code reads as 0.
    *code = current_stat(*p, stat) ? exit_code_of(stat) : 0;
    return TRUE;
}

BOOL GetProcessTimes(HANDLE h, LPFILETIME creation, LPFILETIME exit, LPFILETIME kernel, LPFILETIME user) {
    const Process* p = process_of(h);
    if (!p || !creation || !exit || !kernel || !user) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const uint64_t boot = (boot_time() + kEpochDifference) * kTicksPerSecond;
    *creation = filetime_of(boot + from_clock_ticks(p->started));
    // The system leaves the exit time undefined while the process runs; the kernel does not
    // keep it at all.
    *exit = filetime_of(0);
    Stat stat;
    const bool known = current_stat(*p, stat);
    *kernel = filetime_of(known ? from_clock_ticks(stat.kernel) : 0);
    *user = filetime_of(known ? from_clock_ticks(stat.user) : 0);
    return TRUE;
}

void GetSystemTimeAsFileTime(LPFILETIME now) {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    *now = filetime_of((static_cast<uint64_t>(t.tv_sec) + kEpochDifference) * kTicksPerSecond +
                       static_cast<uint64_t>(t.tv_nsec) / 100);
}
