// celwright-tool given names that are not files on a disk (a named pipe nobody writes to, a
// device): every command answers at once, as for a file it cannot open, and exits with status 1.
// A command that waited would run into the harness's deadline.
#include "tool_support.h"
#include "unreadable_names.h"

using namespace tool_test;
using unreadable_names::kUnreadable;
using unreadable_names::Unreadable;

namespace {

// The example in dir, with the file `name` replaced by what u makes.
void example_with(const QTemporaryDir& dir, const char* name, const Unreadable& u) {
    copy_example(dir);
    ASSERT_TRUE(QFile::remove(dir.filePath(name)));
    ASSERT_TRUE(u.make(dir.filePath(name)));
}

}  // namespace

TEST(ToolUnreadable, AProjectOrDataFileThatIsNoFileIsOneThatCannotBeOpened) {
    for (const Unreadable& u : kUnreadable)
        for (const char* name : {"walk.cwp", "walk.spa"}) {
            SCOPED_TRACE(std::string(u.what) + " as " + name);
            QTemporaryDir dir;
            example_with(dir, name, u);
            const QString cwp = dir.filePath("walk.cwp");
            const QString out = dir.filePath("walk.gif");
            for (const QStringList& args : {QStringList{"check", cwp}, QStringList{"info", cwp},
                                            QStringList{"info", dir.filePath(name)},
                                            QStringList{"render", cwp, "--pattern", "0", "--out", out}}) {
                SCOPED_TRACE(args.join(' ').toStdString());
                const ToolRun run = run_tool(args, dir.path());
                EXPECT_EQ(run.exit_code, 1);
                EXPECT_NE((run.out + run.err).find(name), std::string::npos) << run.out << run.err;
            }
            EXPECT_FALSE(QFile::exists(out)) << "nothing is written on a failure";
        }
}

TEST(ToolUnreadable, AnImageThatIsNoFileIsAnImageThatDoesNotLoad) {
    for (const Unreadable& u : kUnreadable) {
        SCOPED_TRACE(u.what);
        QTemporaryDir dir;
        example_with(dir, "walk.tim", u);
        const ToolRun check = run_tool({"check", dir.filePath("walk.cwp")}, dir.path());
        EXPECT_EQ(check.exit_code, 1);
        EXPECT_NE(
            check.out.find("walk.cwp: image " + dir.filePath("walk.tim").toStdString() + " が開けません."),
            std::string::npos)
            << check.out;
        const QString out = dir.filePath("walk.gif");
        const ToolRun render =
            run_tool({"render", dir.filePath("walk.cwp"), "--pattern", "0", "--out", out}, dir.path());
        EXPECT_EQ(render.exit_code, 1);
        EXPECT_NE(render.err.find("walk.tim"), std::string::npos) << render.err;
        EXPECT_FALSE(QFile::exists(out));
        // The same given as the image of a data file on its own.
        const ToolRun alone = run_tool({"render", dir.filePath("walk.spa"), "--pattern", "0", "--out", out,
                                        "--image", dir.filePath("walk.tim")},
                                       dir.path());
        EXPECT_EQ(alone.exit_code, 1);
        EXPECT_FALSE(QFile::exists(out));
    }
}
