// The rule that decides where this build keeps its settings and recovery copies, on the edges
// the desktop's rules name: a variable that is relative, empty or names a place where no folder
// can be made is not used, and a home that cannot be told is not taken for the working folder.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "app/settings_folders.h"

namespace {

namespace fs = std::filesystem;

// A temporary home as the working folder, with HOME and the XDG variables set for the test and
// put back after it.
class Home {
  public:
    Home() {
        std::string pattern = ::testing::TempDir() + "cw_home_XXXXXX";
        root_ = mkdtemp(pattern.data());
        fs::create_directory(home());
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) previous_ = cwd;
        for (const char* name : kNames) {
            const char* value = getenv(name);
            if (value) saved_[index(name)] = value;
        }
        setenv("HOME", home().c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_STATE_HOME");
        EXPECT_EQ(chdir(home().c_str()), 0);
    }
    ~Home() {
        if (!previous_.empty()) {
            EXPECT_EQ(chdir(previous_.c_str()), 0);
        }
        for (const char* name : kNames) {
            const std::optional<std::string>& value = saved_[index(name)];
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        }
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    std::string home() const { return root_ + "/home"; }
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }

  private:
    static constexpr const char* kNames[] = {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"};
    static size_t index(const char* name) {
        for (size_t i = 0; i < 3; ++i)
            if (std::string(kNames[i]) == name) return i;
        return 0;
    }
    std::string root_, previous_;
    std::optional<std::string> saved_[3];
};

void expect_working_folder(const SettingsFolders& f) {
    EXPECT_EQ(f.settings, "");
    EXPECT_EQ(f.recovery, "Celwin.rcv");
}

}  // namespace

TEST(SettingsFolders, TheDesktopsVariablesAreUsedOnlyWhenTheyNameAbsoluteFolders) {
    Home h;
    setenv("XDG_CONFIG_HOME", h.path("cfg/").c_str(), 1);  // a separator at its end is no matter
    setenv("XDG_STATE_HOME", h.path("st").c_str(), 1);
    SettingsFolders f = find_settings_folders();
    EXPECT_EQ(f.settings, h.path("cfg/celwright/"));
    EXPECT_EQ(f.recovery, h.path("st/celwright/Celwin.rcv"));
    EXPECT_TRUE(fs::is_directory(h.path("cfg/celwright")));
    EXPECT_FALSE(fs::exists(h.path("st/celwright/Celwin.rcv"))) << "made when a copy is written";

    // Relative or empty: as if not set.
    setenv("XDG_CONFIG_HOME", "cfg", 1);
    setenv("XDG_STATE_HOME", "", 1);
    f = find_settings_folders();
    EXPECT_EQ(f.settings, h.home() + "/.config/celwright/");
    EXPECT_EQ(f.recovery, h.home() + "/.local/state/celwright/Celwin.rcv");
    EXPECT_FALSE(fs::exists(h.home() + "/cfg"));
}

TEST(SettingsFolders, WhereNoFolderCanBeMadeOrTheHomeIsUnknownTheWorkingFolderKeepsThem) {
    Home h;
    std::ofstream(h.path("a-file")) << "x";
    setenv("XDG_CONFIG_HOME", h.path("a-file/cfg").c_str(), 1);
    expect_working_folder(find_settings_folders());
    setenv("XDG_CONFIG_HOME", h.path("cfg").c_str(), 1);
    setenv("XDG_STATE_HOME", h.path("a-file").c_str(), 1);
    expect_working_folder(find_settings_folders());
    unsetenv("XDG_STATE_HOME");

    unsetenv("HOME");
    expect_working_folder(find_settings_folders());
    setenv("HOME", "home", 1);  // relative
    expect_working_folder(find_settings_folders());
    setenv("HOME", h.path("missing").c_str(), 1);
    expect_working_folder(find_settings_folders());
    setenv("HOME", (h.home() + "/").c_str(), 1);
    EXPECT_EQ(find_settings_folders().settings, h.path("cfg/celwright/"));
}
