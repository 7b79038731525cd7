// Helpers of the image scenarios: small BMP and TIM files written on the spot,
// and the script lines that start a new project on an image.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace image_test {

inline void put16(QByteArray& b, uint16_t v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8));
}
inline void put32(QByteArray& b, uint32_t v) {
    put16(b, static_cast<uint16_t>(v));
    put16(b, static_cast<uint16_t>(v >> 16));
}

inline bool write_file(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A 24-bit BMP of w x |h| (negative h: top-down rows); colour(x, y) gives 0xRRGGBB
// for image row y counted from the top.
inline QByteArray bmp24(int w, int h, const std::function<uint32_t(int, int)>& colour) {
    const int rows = h < 0 ? -h : h;
    const int stride = (w * 3 + 3) / 4 * 4;
    QByteArray b;
    b.append("BM");
    put32(b, static_cast<uint32_t>(54 + stride * rows));
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(h));
    put16(b, 1);
    put16(b, 24);
    for (int i = 0; i < 6; ++i) put32(b, 0);
    for (int r = 0; r < rows; ++r) {
        const int y = h < 0 ? r : rows - 1 - r;
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            row[3 * x] = static_cast<char>(c & 0xFF);
            row[3 * x + 1] = static_cast<char>((c >> 8) & 0xFF);
            row[3 * x + 2] = static_cast<char>((c >> 16) & 0xFF);
        }
        b.append(row);
    }
    return b;
}

// A TIM file: flags, an optional one-row CLUT at (cx, cy), and the pixel block.
inline QByteArray tim(uint32_t flags, const std::vector<uint16_t>& clut, uint16_t cx, uint16_t cy, uint16_t x,
                      uint16_t y, uint16_t width_words, uint16_t height, const QByteArray& pixels) {
    QByteArray b;
    put32(b, 0x10);
    put32(b, flags);
    if (flags & 8) {
        put32(b, static_cast<uint32_t>(12 + 2 * clut.size()));
        put16(b, cx);
        put16(b, cy);
        put16(b, static_cast<uint16_t>(clut.size()));
        put16(b, 1);
        for (uint16_t c : clut) put16(b, c);
    }
    put32(b, static_cast<uint32_t>(12 + pixels.size()));
    put16(b, x);
    put16(b, y);
    put16(b, width_words);
    put16(b, height);
    b.append(pixels);
    return b;
}

inline QJsonObject image(const QJsonObject& dump) {
    return dump["image"].toObject();
}
inline QJsonObject surface(const QJsonObject& dump, const char* name) {
    return dump["surfaces"].toObject()["image"].toObject()[name].toObject();
}
inline QJsonArray probe(const QJsonObject& dump, const char* name) {
    return dump["probes"].toObject()[name].toArray();
}
inline QJsonArray rgb(int r, int g, int b) {
    return QJsonArray{r, g, b};
}
inline QJsonArray boxes(const QJsonObject& dump) {
    return dump["message_boxes"].toArray();
}
inline QString last_box_text(const QJsonObject& dump) {
    const QJsonArray b = boxes(dump);
    return b.isEmpty() ? QString() : b.last().toObject()["text"].toString();
}

}  // namespace image_test
