// Running celwright-tool and the example's files in a temporary folder, for the tool's tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include "build_paths.h"

namespace tool_test {

struct ToolRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

inline ToolRun run_tool(const QStringList& args, const QString& workdir = QString()) {
    QProcess tool;
    if (!workdir.isEmpty()) tool.setWorkingDirectory(workdir);
    tool.start(QString::fromUtf8(build_paths::tool_exe), args);
    EXPECT_TRUE(tool.waitForFinished(60000));
    return ToolRun{tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                   tool.readAllStandardOutput().toStdString(), tool.readAllStandardError().toStdString()};
}

inline QString source_path(const QString& relative) {
    return QString::fromUtf8(build_paths::source_dir) + "/" + relative;
}

inline QByteArray read_bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool write_bytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The example project (walk.cwp, walk.spa, walk.tim, walk.bmp) copied into dir.
inline void copy_example(const QTemporaryDir& dir) {
    for (const char* name : {"walk.cwp", "walk.spa", "walk.tim", "walk.bmp"})
        ASSERT_TRUE(QFile::copy(source_path(QString("examples/") + name), dir.filePath(name))) << name;
}

inline void put16(QByteArray& b, int at, uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}
inline void put32(QByteArray& b, int at, uint32_t v) {
    put16(b, at, static_cast<uint16_t>(v & 0xFFFF));
    put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

// A 24-bit BMP of w x h pixels coloured by colour(x, y) (0x00RRGGBB), rows bottom first; black
// without one.
inline QByteArray bmp24(int w, int h, const std::function<uint32_t(int, int)>& colour = {}) {
    const int stride = (w * 3 + 3) / 4 * 4;
    QByteArray b(54 + stride * h, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 10, 54);
    put32(b, 14, 40);
    put32(b, 18, static_cast<uint32_t>(w));
    put32(b, 22, static_cast<uint32_t>(h));
    put16(b, 26, 1);
    put16(b, 28, 24);
    if (!colour) return b;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            const int at = 54 + (h - 1 - y) * stride + 3 * x;
            b[at] = static_cast<char>(c & 0xFF);
            b[at + 1] = static_cast<char>((c >> 8) & 0xFF);
            b[at + 2] = static_cast<char>((c >> 16) & 0xFF);
        }
    return b;
}

// Offsets in the example's files: its data file has 2 patterns, so the records start at 36.
inline int record_at(int p_frames_before, int f) {
    return 36 + 12 * (p_frames_before + f);
}
inline int frame_label_at(int p, int f) {
    return 902 + 600 * p + 30 * f;
}

// The number of lines of a text.
inline int line_count(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

}  // namespace tool_test
