// The example project: its generator makes the same bytes again, and its two sprite
// sheets hold the same picture as the editor decodes them.
#include "files/image_decoding.h"
#include "text/cp932.h"
#include "tool_support.h"
#include "build_paths.h"

using namespace tool_test;

TEST(Example, RegeneratingGivesTheSameBytes) {
    QTemporaryDir dir;
    QProcess generator;
    generator.start(QString::fromUtf8(build_paths::make_example_exe), {dir.path()});
    ASSERT_TRUE(generator.waitForFinished(30000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    for (const char* name : {"walk.bmp", "walk.tim", "walk.cwp", "walk.spa"}) {
        SCOPED_TRACE(name);
        const QByteArray made = read_bytes(dir.filePath(name));
        EXPECT_FALSE(made.isEmpty());
        EXPECT_EQ(made, read_bytes(source_path(QString("examples/") + name)));
    }
}

TEST(Example, TheBmpAndTheTimAreOneSpriteSheet) {
    const std::string bmp = cw::text::utf8_to_cp932(source_path("examples/walk.bmp").toStdString());
    const std::string tim = cw::text::utf8_to_cp932(source_path("examples/walk.tim").toStdString());
    DecodedImage a = decode_image_file(bmp.c_str()), b = decode_image_file(tim.c_str());
    ASSERT_EQ(a.problem, ImageProblem::None);
    ASSERT_EQ(b.problem, ImageProblem::None);
    EXPECT_EQ(a.bits_per_pixel, 8);
    EXPECT_EQ(b.bits_per_pixel, 4);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    // Pixel by pixel, as GDI reads them out of the two bitmaps.
    HDC da = CreateCompatibleDC(nullptr), db = CreateCompatibleDC(nullptr);
    SelectObject(da, a.bitmap);
    SelectObject(db, b.bitmap);
    int differ = 0, clear = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const COLORREF ca = GetPixel(da, x, y);
            differ += ca != GetPixel(db, x, y);
            clear += ca == RGB(0, 0, 0);
        }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(clear, a.width * a.height / 2);  // mostly the transparent black around the figures
    DeleteDC(da);
    DeleteDC(db);
    DeleteObject(a.bitmap);
    DeleteObject(b.bitmap);
    // The TIM places the sheet at (640, 0) in 4-bit mode with its CLUT at (0, 480).
    EXPECT_EQ(b.tpage, 10u);
    EXPECT_EQ(b.clut_attribute, 480 << 6);
}
