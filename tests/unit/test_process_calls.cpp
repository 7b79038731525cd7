// The layer's process calls, on processes this test starts: a process runs until it ends, an
// ended one gives its exit code until its parent collects it, and after that its id names no
// process; a handle opened before never takes another process for the one it was opened on.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <windows.h>

namespace {

uint64_t file_time(const FILETIME& t) {
    return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

// A child that waits until its pipe is closed, then ends with `code`.
struct Child {
    explicit Child(int code) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        pid = fork();
        if (pid == 0) {
            close(fds[1]);
            char c;
            while (read(fds[0], &c, 1) > 0) {
            }
            _exit(code);
        }
        close(fds[0]);
        release = fds[1];
    }
    ~Child() {
        if (release >= 0) close(release);
        if (pid > 0 && !collected) waitpid(pid, nullptr, 0);
    }
    // Ends it (it stays a zombie until collected).
    void end() {
        close(release);
        release = -1;
        siginfo_t info{};
        waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
    }
    void collect() {
        waitpid(pid, nullptr, 0);
        collected = true;
    }
    pid_t pid = -1;
    int release = -1;
    bool collected = false;
};

DWORD exit_code(HANDLE h) {
    DWORD code = 12345;
    EXPECT_TRUE(GetExitCodeProcess(h, &code));
    return code;
}

}  // namespace

TEST(ProcessCalls, AProcessRunsUntilItEndsAndGivesItsExitCodeUntilCollected) {
    FILETIME before{};
    GetSystemTimeAsFileTime(&before);
    Child child(7);
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(child.pid));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(exit_code(h), static_cast<DWORD>(STILL_ACTIVE));
    FILETIME created{}, exited{}, kernel{}, user{}, after{};
    ASSERT_TRUE(GetProcessTimes(h, &created, &exited, &kernel, &user));
    GetSystemTimeAsFileTime(&after);
    // Started between the two readings of the clock, to the kernel's tick (and the second the
    // boot time is given in).
    EXPECT_GE(file_time(created) + 20000000ull, file_time(before));
    EXPECT_LE(file_time(created), file_time(after) + 20000000ull);

    child.end();
    EXPECT_EQ(exit_code(h), 7u) << "ended, not yet collected";
    HANDLE late = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(child.pid));
    ASSERT_NE(late, nullptr) << "an ended process is there until it is collected";
    EXPECT_EQ(exit_code(late), 7u);
    EXPECT_TRUE(CloseHandle(late));

    child.collect();
    EXPECT_NE(exit_code(h), static_cast<DWORD>(STILL_ACTIVE)) << "collected, it has still ended";
    FILETIME kept{};
    ASSERT_TRUE(GetProcessTimes(h, &kept, &exited, &kernel, &user));
    EXPECT_EQ(file_time(kept), file_time(created));
    EXPECT_TRUE(CloseHandle(h));
    SetLastError(0);
    EXPECT_EQ(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(child.pid)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(ProcessCalls, AProcessEndedByASignalIsNotActiveAndTwoProcessesStartedApartDiffer) {
    Child first(0);
    usleep(50000);
    Child second(0);
    HANDLE a = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(first.pid));
    HANDLE b = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(second.pid));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    FILETIME ca{}, cb{}, exited{}, kernel{}, user{};
    ASSERT_TRUE(GetProcessTimes(a, &ca, &exited, &kernel, &user));
    ASSERT_TRUE(GetProcessTimes(b, &cb, &exited, &kernel, &user));
    EXPECT_GE(file_time(cb), file_time(ca) + 300000ull) << "50 ms apart, to the kernel's tick";

    kill(first.pid, SIGKILL);
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(first.pid), &info, WEXITED | WNOWAIT);
    EXPECT_EQ(exit_code(a), static_cast<DWORD>(128 + SIGKILL));
    EXPECT_EQ(exit_code(b), static_cast<DWORD>(STILL_ACTIVE));
    CloseHandle(a);
    CloseHandle(b);
}
