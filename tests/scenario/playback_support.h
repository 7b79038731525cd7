// Helpers of the playback and edit panel scenarios: a project on the 64 x 48 test
// sheet, frames set as a user sets them (frame_set and drag_frame of harness.h), and the
// pixels of a pattern window.
//
// The sheet is black with a 12 x 12 coloured square inside every 16 x 16 cell:
// row 0 red, green, blue, yellow; row 1 green, blue, yellow, red; row 2 purple,
// white, purple, white. Black is the transparent colour.
#pragma once

#include <QColor>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <ostream>
#include <string>

#include "harness.h"
#include "res/resource.h"
#include "test_file_support.h"

// Readable failures: colours as (r, g, b), texts as UTF-8.
inline void PrintTo(const QColor& c, std::ostream* os) {
    *os << "(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace playback_test {

inline const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kBlack(0, 0, 0),
    kWhite(255, 255, 255), kGrey(128, 128, 128);

// A pattern through IDD_ADD_PATTERN with `frames` frames (0 for none).
inline std::string add_pattern_with(const std::string& name, int frames) {
    return "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  set IDC_PATTERN_NAME \"" + name +
           "\"\n  updown IDC_FRAME_COUNT_SPIN " + std::to_string(frames) +
           "\n  click IDC_FRAME_COUNT_APPLY\n  click IDOK\nend\n";
}

// New on the test sheet in a tall main window, then pattern "A" with `frames` frames.
inline std::string project(int frames) {
    return "resize main 900 1000\n" + new_project() + add_pattern_with("A", frames);
}

// A user cannot make a pattern without frames (IDD_ADD_PATTERN asks for one at least, and the
// last frame cannot be deleted); a data file can hold one. Writes "e.cwp" and "e.spa" in
// dir on the test sheet, pattern p with frames[p] frames and base size base[p], and opens
// them in a tall main window. open_written_files takes the data file's bytes instead, for
// records a user could only have made in another program.
inline std::string open_written_files(const QTemporaryDir& dir, const QByteArray& spa,
                                      const std::vector<std::vector<std::string>>& labels) {
    const QString cwp = dir.filePath("e.cwp");
    EXPECT_TRUE(
        image_test::write_file(cwp, file_test::project_file(testdata("tim/sheet64x48.bmp"), "e", labels)));
    EXPECT_TRUE(image_test::write_file(dir.filePath("e.spa"), spa));
    return "resize main 900 1000\n" + file_test::open_project(cwp);
}
inline std::string open_written_project(const QTemporaryDir& dir,
                                        const std::vector<file_test::DataPattern>& data,
                                        const std::vector<std::vector<std::string>>& labels) {
    return open_written_files(dir, file_test::data_file(0x100, 0, data), labels);
}

// Frame (p, f) shows cell (column, row) of the sheet.
inline std::string cell(int p, int f, int column, int row) {
    return frame_set(p, f, 16 * column, 16 * row, 16, 16);
}

inline QJsonObject playback(const QJsonObject& dump) {
    return dump["playback"].toObject();
}
inline int play_frame(const QJsonObject& dump) {
    return playback(dump)["play_frame"].toInt();
}
inline QJsonArray frame_record(const QJsonObject& dump, int p, int f) {
    return dump["tables"].toObject()["frames"].toArray()[p].toArray()[f].toArray();
}
inline QJsonObject settings(const QJsonObject& dump, int p) {
    return dump["tables"].toObject()["settings"].toArray()[p].toObject();
}
// A control of the edit panel as the dump shows it.
inline QJsonObject panel_control(const QJsonObject& dump, int id) {
    for (const auto& c : dump["panel_controls"].toArray())
        if (c.toObject()["id"].toInt() == id) return c.toObject();
    return {};
}
inline bool enabled(const QJsonObject& dump, int id) {
    return panel_control(dump, id)["enabled"].toBool();
}
inline QString field(const QJsonObject& dump, int id) {
    return panel_control(dump, id)["text"].toString();
}

// A snapshot of a pattern window's 200 x 200 client area, read back.
struct Shot {
    QImage image;
    int base_w, base_h, zoom;
    // The colour of base frame pixel (x, y): the base frame is centred in the window.
    QColor base(int x, int y) const {
        const int left = (image.width() - base_w * zoom) / 2, top = (image.height() - base_h * zoom) / 2;
        return image.pixelColor(left + x * zoom + zoom / 2, top + y * zoom + zoom / 2);
    }
};

// Runs the script in `dir`, where its snapshots land.
inline ScenarioRun run_in(const QTemporaryDir& dir, const std::string& script) {
    return run_scenario(script, dir.path());
}
inline Shot shot(const QTemporaryDir& dir, const QString& name, int base_w, int base_h, int zoom = 1) {
    return Shot{QImage(dir.filePath(name)), base_w, base_h, zoom};
}

}  // namespace playback_test
