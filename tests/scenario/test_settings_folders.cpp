// Where the editor keeps its settings and recovery copies. Started in the home folder, as the
// desktop's menu starts it, it keeps them in the desktop's folders for settings and state (made
// for their owner alone), not at the top of the home folder; a home folder that already holds a
// Celwin.cfg keeps everything as before, and so does any other working folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include "test_file_support.h"

using namespace file_test;

namespace {

// A home folder, and the desktop's folders for settings and state beside it.
class Desktop {
  public:
    Desktop() {
        QDir(root_.path()).mkpath(QStringLiteral("home"));
        // The home folder reached through a link, as a home on another disk often is.
        QFile::link(root_.filePath("home"), root_.filePath("home-link"));
    }
    QString home() const { return root_.filePath("home"); }
    QString config() const { return root_.filePath("config/celwright"); }
    QString state() const { return root_.filePath("state/celwright"); }
    QString path(const QString& relative) const { return root_.filePath(relative); }
    // HOME names the home folder through its link; the XDG variables are set or left out.
    QProcessEnvironment environment(bool xdg) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), root_.filePath("home-link"));
        // What the toolkit and the fonts keep for themselves stays out of the folders looked at.
        env.insert(QStringLiteral("XDG_CACHE_HOME"), root_.filePath("cache"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), root_.filePath("data"));
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.remove(QStringLiteral("XDG_STATE_HOME"));
        if (xdg) {
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), root_.filePath("config"));
            env.insert(QStringLiteral("XDG_STATE_HOME"), root_.filePath("state"));
        }
        return env;
    }
    ScenarioRun run(const std::string& script, const QString& workdir, bool xdg = true) const {
        ScenarioRun run = run_scenario_in_environment(script, environment(xdg), workdir);
        EXPECT_EQ(run.exit_code, 0) << run.errors.toStdString();
        return run;
    }

  private:
    QTemporaryDir root_;
};

int mode_of(const QString& path) {
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

QStringList names_in(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QJsonArray main_client_size(const QJsonObject& d) {
    return d["windows"].toObject()["main"].toObject()["client_size"].toArray();
}

// A new project with a pattern added: unsaved work, which leaving asks about (answered No).
std::string unsaved_project() {
    return new_project() + add_pattern("walk");
}

}  // namespace

TEST(SettingsFolders, StartedInTheHomeFolderTheyGoToTheDesktopsFolders) {
    Desktop desktop;
    // A run that stops with unsaved work: its recovery copy is in the state folder.
    desktop.run(unsaved_project() + "run 4\n", desktop.home());
    EXPECT_TRUE(QFileInfo::exists(desktop.state() + "/Celwin.rcv/recovery.inf"));
    EXPECT_EQ(names_in(desktop.home()), QStringList()) << "nothing at the top of the home folder";

    // The next start finds it there; leaving writes the settings into the settings folder.
    const ScenarioRun run = desktop.run(
        "answer box IDNO\ndump\nresize main 800 600\n" + unsaved_project() + "answer box IDNO\nexit\n",
        desktop.home());
    ASSERT_EQ(boxes(run.dumps[0]).size(), 1) << "the copy was offered";
    EXPECT_EQ(boxes(run.dumps[0])[0].toObject()["caption"].toString(), QString::fromUtf8("ﾌﾟﾛｼﾞｪｸﾄの復元"));
    EXPECT_EQ(names_in(desktop.home()), QStringList());
    // The editor's own settings go beside the configuration.
    EXPECT_EQ(names_in(desktop.config()), (QStringList{"Celwin.cfg", "Celwin.ini"}));
    EXPECT_EQ(names_in(desktop.state()), QStringList()) << "declined and left cleanly: no copy";
    EXPECT_EQ(u32(read_bytes(desktop.config() + "/Celwin.cfg"), 0), 800u);
    EXPECT_EQ(mode_of(desktop.config()), 0700);
    EXPECT_EQ(mode_of(desktop.state()), 0700);

    // And the run after that reads them back from there.
    EXPECT_EQ(main_client_size(desktop.run("dump\n", desktop.home()).last()), (QJsonArray{800, 600}));
}

TEST(SettingsFolders, WithoutTheDesktopsVariablesTheyGoUnderDotConfigAndDotLocalState) {
    Desktop desktop;
    desktop.run("resize main 700 500\nexit\n", desktop.home(), false);
    const QString home = desktop.home();
    EXPECT_EQ(u32(read_bytes(home + "/.config/celwright/Celwin.cfg"), 0), 700u);
    EXPECT_TRUE(QFileInfo(home + "/.local/state/celwright").isDir());
    // Every folder it had to make is its owner's alone.
    for (const char* made :
         {"/.config", "/.config/celwright", "/.local", "/.local/state", "/.local/state/celwright"})
        EXPECT_EQ(mode_of(home + made), 0700) << made;
    EXPECT_EQ(names_in(home), (QStringList{".config", ".local"}));

    // A settings folder that was already there keeps its own permissions.
    Desktop other;
    ASSERT_TRUE(QDir(other.home()).mkpath(".config"));
    ASSERT_EQ(chmod(QFile::encodeName(other.home() + "/.config").constData(), 0755), 0);
    other.run("exit\n", other.home(), false);
    EXPECT_EQ(mode_of(other.home() + "/.config"), 0755);
    EXPECT_EQ(mode_of(other.home() + "/.config/celwright"), 0700);
}

TEST(SettingsFolders, AHomeFolderWithItsOwnSettingsFileAndAnyOtherFolderKeepThemInPlace) {
    Desktop desktop;
    // A Celwin.cfg at the top of the home folder, from before: read and written there.
    QTemporaryDir before;
    desktop.run("resize main 700 500\nexit\n", before.path());
    ASSERT_TRUE(QFile::copy(before.filePath("Celwin.cfg"), desktop.home() + "/Celwin.cfg"));
    const ScenarioRun run = desktop.run("dump\n" + unsaved_project() + "run 4\n", desktop.home());
    EXPECT_EQ(main_client_size(run.dumps[0]), (QJsonArray{700, 500}));
    EXPECT_TRUE(QFileInfo::exists(desktop.home() + "/Celwin.rcv/recovery.inf"));
    desktop.run("answer box IDNO\nresize main 900 650\nexit\n", desktop.home());
    EXPECT_EQ(u32(read_bytes(desktop.home() + "/Celwin.cfg"), 0), 900u);
    EXPECT_FALSE(QFileInfo::exists(desktop.config())) << "the desktop's folders are not made";
    EXPECT_FALSE(QFileInfo::exists(desktop.state()));

    // Any other working folder keeps them, as it always has; relative paths stay its own.
    const QString work = desktop.home() + "/work";
    ASSERT_TRUE(QDir().mkpath(work));
    ASSERT_TRUE(
        write_file(work + "/walk.cwp", project_file(QStringLiteral("sheet.bmp"), "walk", {{"walk", "a"}})));
    ASSERT_TRUE(write_file(work + "/walk.spa", data_file(0, 3, {{1, 8, 8}})));
    ASSERT_TRUE(QFile::copy(testdata("tim/sheet64x48.bmp"), work + "/sheet.bmp"));
    const QJsonObject d = desktop.run(open_project(QStringLiteral("walk.cwp")) + "dump\nexit\n", work).last();
    EXPECT_TRUE(boxes(d).isEmpty()) << "the image found beside it";
    EXPECT_EQ(tables(d)["image_path"].toString(), QStringLiteral("sheet.bmp"));
    EXPECT_EQ(pattern_items(d), QStringList{"walk"});
    EXPECT_TRUE(QFileInfo::exists(work + "/Celwin.cfg"));
    EXPECT_FALSE(QFileInfo::exists(desktop.config()));
}
