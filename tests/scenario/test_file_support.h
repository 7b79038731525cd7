// Helpers of the file scenarios: project and data files written on the spot, their
// bytes read back, and the script lines that open and save projects.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "test_image_support.h"

namespace file_test {

using image_test::put16;
using image_test::put32;
using image_test::write_file;

// A pattern of a data file written by a test: its frame count, base size, and the
// offset its entry claims (-1: the right one).
struct DataPattern {
    uint32_t frames;
    uint16_t base_w = 1, base_h = 1;
    int64_t offset = -1;
};

// The record a test data file holds for frame f of pattern p: every field tells (p, f) apart.
inline QByteArray record(int p, int f, uint16_t clut) {
    QByteArray b;
    b.append(static_cast<char>(10 * p + f));  // correction x
    b.append(static_cast<char>(f + 1));       // correction y
    put16(b, static_cast<uint16_t>(100 + f));
    b.append(static_cast<char>(16 * p + f));  // image x
    b.append(static_cast<char>(f));           // image y
    put16(b, clut);
    put16(b, static_cast<uint16_t>(8 + f));
    put16(b, static_cast<uint16_t>(4 + p));
    return b;
}

inline QByteArray data_file(uint32_t tpage, uint32_t speed, const std::vector<DataPattern>& patterns,
                            uint16_t clut = 0) {
    QByteArray b;
    put32(b, tpage);
    put32(b, speed);
    put32(b, static_cast<uint32_t>(patterns.size()));
    uint32_t offset = 12 + 12 * static_cast<uint32_t>(patterns.size());
    for (const DataPattern& p : patterns) {
        put32(b, p.offset < 0 ? offset : static_cast<uint32_t>(p.offset));
        put32(b, p.frames);
        put16(b, p.base_w);
        put16(b, p.base_h);
        offset += 12 * p.frames;
    }
    for (size_t p = 0; p < patterns.size(); ++p)
        for (uint32_t f = 0; f < patterns[p].frames; ++f)
            b.append(record(static_cast<int>(p), static_cast<int>(f), clut));
    return b;
}

// A project file: the image path, the project name and the labels, pattern by pattern
// (the first of each list is the pattern label, the others its frame labels).
inline QByteArray project_file(const QString& image, const std::string& name,
                               const std::vector<std::vector<std::string>>& patterns) {
    QByteArray b(8102, '\0');
    const QByteArray path = image.toUtf8();
    b.replace(0, static_cast<int>(path.size()), path);
    b.replace(512, static_cast<int>(name.size()), name.data(), static_cast<int>(name.size()));
    for (size_t p = 0; p < patterns.size(); ++p)
        for (size_t i = 0; i < patterns[p].size(); ++i) {
            const std::string& text = patterns[p][i];
            const int at = i == 0 ? 542 + 30 * static_cast<int>(p)
                                  : 902 + 600 * static_cast<int>(p) + 30 * (static_cast<int>(i) - 1);
            b.replace(at, static_cast<int>(text.size()), text.data(), static_cast<int>(text.size()));
        }
    return b;
}

// Runs the script with dir as the program's current directory; the run must get through.
inline ScenarioRun run_in(const QTemporaryDir& dir, const std::string& script) {
    ScenarioRun run = run_scenario(script, dir.path());
    EXPECT_EQ(run.exit_code, 0) << run.errors.toStdString();
    return run;
}

inline QByteArray read_bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline uint32_t u32(const QByteArray& b, int at) {
    return static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8) |
           (static_cast<uint8_t>(b[at + 2]) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24);
}
inline uint16_t u16(const QByteArray& b, int at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

inline std::string quoted(const QString& path) {
    return "\"" + path.toStdString() + "\"";
}

// Open through the menu; `asked`: a project is open, so the save prompt comes first and is answered No.
inline std::string open_project(const QString& path, bool asked = false) {
    return std::string(asked ? "answer box IDNO\n" : "") + "answer open " + quoted(path) +
           "\nmenu ID_FILE_OPEN\n";
}

// Save As through the menu to path (no question: the file is new).
inline std::string save_as(const QString& path) {
    return "answer save " + quoted(path) + "\nmenu ID_FILE_SAVE_AS\n";
}

// A new project on the 8-bit TIM sample (126 x 64, tpage 0x9A, CLUT attribute 0x7805) with a
// pattern "walk" of three frames and a pattern "idle" of one, their records filled in as a user
// fills them: each frame's rectangle chosen in the image window and set, then the frame dragged
// to its correction offset. A frame first set larger grows its pattern's base frame, which
// stays when the frame is set smaller again: "walk" has a 90 x 64 base frame, "idle" 64 x 32.
//   walk 0: image (2, 3) 30 x 40 at correction (1, 2)
//   walk 1: image (4, 5) 50 x 50 at correction (3, 4)
//   walk 2: image (8, 9) 70 x 50 at correction (5, 6)
//   idle 0: image (6, 7) 40 x 20 at correction (7, 8)
inline std::string made_project() {
    auto set = [](int p, int f, int x, int y, int w, int h) { return frame_set(p, f, x, y, w, h, 65, 96); };
    return new_project(testdata("tim/pal8_640_256_clut80_480.tim")) +
           "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  set IDC_PATTERN_NAME \"walk\"\n"
           "  updown IDC_FRAME_COUNT_SPIN 3\n  click IDC_FRAME_COUNT_APPLY\n  click IDOK\nend\n"
           "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  set IDC_PATTERN_NAME \"idle\"\n"
           "  click IDOK\nend\n" +
           set(0, 2, 0, 0, 90, 64) + set(0, 2, 8, 9, 70, 50) + drag_frame(0, 5, 6) + set(0, 0, 2, 3, 30, 40) +
           drag_frame(0, 1, 2) + set(0, 1, 4, 5, 50, 50) + drag_frame(0, 3, 4) + set(1, 0, 0, 0, 64, 32) +
           set(1, 0, 6, 7, 40, 20) + drag_frame(1, 7, 8);
}

inline QJsonObject tables(const QJsonObject& d) {
    return d["tables"].toObject();
}
inline QJsonArray boxes(const QJsonObject& d) {
    return d["message_boxes"].toArray();
}
inline QJsonObject last_box(const QJsonObject& d) {
    const QJsonArray b = boxes(d);
    return b.isEmpty() ? QJsonObject() : b.last().toObject();
}
inline QStringList recent(const QJsonObject& d) {
    return strings(d["recent"].toObject()["entries"].toArray());
}
// The File popup of the menu bar shown.
inline QJsonArray file_menu(const QJsonObject& d) {
    return d["menu_bar"].toObject()["items"].toArray()[0].toObject()["items"].toArray();
}
inline bool no_project_open(const QJsonObject& d) {
    return d["current_path"].toString().isEmpty() &&
           d["menu_bar"].toObject()["resource"].toInt() == IDR_NO_PROJECT_MENU &&
           !d["panel_enabled"].toBool() && tables(d)["pattern_count"].toInt() == 0;
}

}  // namespace file_test
