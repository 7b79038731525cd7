// sdk/celwright_spa.h, compiled as C89 into cw_spa_dump, reads the same data files as
// the editor: every value, every refusal, and the place of each mirrored sprite equal
// what the editor's reader and its running display give.
#include <QDir>

#include <sstream>
#include <vector>

#include "display/playback_rules.h"
#include "files/project_data.h"
#include "tool_support.h"
#include "build_paths.h"

using namespace tool_test;

namespace {

std::string dump_of(const QString& path) {
    QProcess dump;
    dump.start(QString::fromUtf8(build_paths::spa_dump_exe), {path});
    EXPECT_TRUE(dump.waitForFinished(30000));
    EXPECT_EQ(dump.exitCode(), 0) << dump.readAllStandardError().toStdString();
    return dump.readAllStandardOutput().toStdString();
}

int header_code(FileProblem p) {
    switch (p) {
        case FileProblem::None: return 0;
        case FileProblem::TooManyPatterns:
        case FileProblem::TooManyFrames: return 2;
        default: return 1;
    }
}

// The dump the header must give, made from the editor's reader; a mirrored sprite's
// place is where the running display's StretchBlt destination lands.
std::string expected_dump(const QByteArray& bytes) {
    const AnimationDataResult r = decode_animation_data(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<size_t>(bytes.size())));
    std::ostringstream out;
    out << "check " << header_code(r.refusal.problem) << "\n";
    if (r.refusal.refused()) {
        const int c = header_code(r.refusal.problem);
        out << "lookup " << c << " " << c << " " << c << "\n";
        return out.str();
    }
    const AnimationHeader& h = r.data.header;
    out << "header " << h.tpage << " " << h.speed << " " << h.pattern_count << "\n";
    out << "page " << (h.tpage & 0xF) * 64 << " " << ((h.tpage >> 4) & 1) * 256 << " " << ((h.tpage >> 5) & 3)
        << " " << ((h.tpage >> 7) & 3) << "\n";
    for (uint32_t p = 0; p < h.pattern_count; ++p) {
        const PatternEntry& e = r.data.entries[p];
        out << "pattern " << p << " 0 " << e.frame_count << " " << e.base_w << " " << e.base_h << "\n";
        for (uint32_t f = 0; f < e.frame_count; ++f) {
            const FrameRecord& x = r.data.frames[p][f];
            out << "frame " << p << " " << f << " " << int(x.correction_x) << " " << int(x.correction_y)
                << " " << x.timing << " " << int(x.image_x) << " " << int(x.image_y) << " " << x.clut << " "
                << x.image_w << " " << x.image_h << " " << (x.clut & 0x3F) * 16 << " "
                << ((x.clut >> 6) & 0x1FF) << " " << (x.timing + 1u) * (h.speed + 1) << "\n";
            for (int flip = 0; flip < 4; ++flip) {
                const StretchDestination d =
                    running_destination(static_cast<uint8_t>(flip), x, e.base_w, e.base_h);
                const int left = std::min(d.x, d.x + d.w), top = std::min(d.y, d.y + d.h);
                out << "sprite " << p << " " << f << " " << flip << " " << 100 + left << " " << 50 + top
                    << " " << x.image_w << " " << x.image_h << " " << int(x.image_x) << " " << int(x.image_y)
                    << " " << flip << "\n";
            }
        }
        out << "beyond " << p << " 4\n";
    }
    out << "beyond pattern 3\n";
    return out.str();
}

}  // namespace

TEST(SpaHeader, ReadsWhatTheEditorLoads) {
    for (const char* file :
         {"examples/walk.spa", "tests/data/project/walk.spa", "tests/data/project/full.spa"}) {
        SCOPED_TRACE(file);
        const QString path = source_path(file);
        EXPECT_EQ(dump_of(path), expected_dump(read_bytes(path)));
    }
}

TEST(SpaHeader, RefusesWhatTheEditorRefusesAndIgnoresOffsetsAsItDoes) {
    const QByteArray walk = read_bytes(source_path("examples/walk.spa"));
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    std::vector<Case> cases = {{"no header", walk.left(11)},
                               {"entries cut", walk.left(30)},
                               {"records cut", walk.left(walk.size() - 1)},
                               {"thirteen patterns", walk},
                               {"twenty-one frames", walk},
                               {"wrong offsets", walk},
                               {"no patterns", walk.left(12)}};
    put32(cases[3].bytes, 8, 13);
    put32(cases[4].bytes, 12 + 12 + 4, 21);
    put32(cases[5].bytes, 12, 999);  // both offsets point anywhere: the records are where they follow
    put32(cases[5].bytes, 24, 0);
    put32(cases[6].bytes, 8, 0);
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath("case.spa");
        ASSERT_TRUE(write_bytes(path, c.bytes));
        const std::string dump = dump_of(path);
        EXPECT_EQ(dump, expected_dump(c.bytes));
    }
    // The file with wrong offsets reads its records as the good one does.
    const QString good = dir.filePath("good.spa");
    ASSERT_TRUE(write_bytes(good, walk));
    const QString wrong = dir.filePath("wrong.spa");
    ASSERT_TRUE(write_bytes(wrong, cases[5].bytes));
    const std::string a = dump_of(good), b = dump_of(wrong);
    EXPECT_EQ(a.substr(a.find("frame ")), b.substr(b.find("frame ")));
}
