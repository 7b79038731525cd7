// The TIM decoder. Every read is checked against the bytes the file holds, so a
// damaged or hostile file is refused instead of being read past its end.
#include "files/tim.h"

#include <algorithm>
#include <cstddef>

namespace tim {

namespace {

class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t position() const { return pos_; }
    size_t remaining() const { return bytes_.size() - pos_; }
    bool has(size_t n) const { return n <= remaining(); }
    uint16_t u16(size_t at) const { return static_cast<uint16_t>(bytes_[at] | (bytes_[at + 1] << 8)); }
    uint32_t u32(size_t at) const { return u16(at) | (static_cast<uint32_t>(u16(at + 2)) << 16); }
    const uint8_t* at(size_t offset) const { return bytes_.data() + offset; }
    void skip(size_t n) { pos_ += n; }
    void seek(size_t offset) { pos_ = offset; }

  private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

TimResult refuse(TimError e) {
    TimResult r;
    r.error = e;
    return r;
}

void convert_rows(const uint8_t* src, size_t row_bytes, TimImage& img) {
    for (int y = 0; y < img.height; ++y) {
        const uint8_t* s = src + row_bytes * static_cast<size_t>(y);
        uint8_t* d = img.bits.data() + static_cast<size_t>(img.stride) * static_cast<size_t>(y);
        switch (img.mode) {
            case 0:
                // The first pixel of a TIM byte is its low nibble, that of a 4-bit DIB byte its high one.
                for (size_t i = 0; i < row_bytes; ++i) d[i] = static_cast<uint8_t>((s[i] >> 4) | (s[i] << 4));
                break;
            case 1:
                for (size_t i = 0; i < row_bytes; ++i) d[i] = s[i];
                break;
            case 2:
                for (int x = 0; x < img.width; ++x) {
                    const Rgb c = colour15(static_cast<uint16_t>(s[2 * x] | (s[2 * x + 1] << 8)));
                    d[3 * x] = c.b;
                    d[3 * x + 1] = c.g;
                    d[3 * x + 2] = c.r;
                }
                break;
            case 3:
                for (int x = 0; x < img.width; ++x) {
                    d[3 * x] = s[3 * x + 2];
                    d[3 * x + 1] = s[3 * x + 1];
                    d[3 * x + 2] = s[3 * x];
                }
                break;
        }
    }
}

// The CLUT rows the block holds in full within its length, as stored; a block shorter
// than its rows (which the editor has always accepted) keeps the rows it has.
void keep_clut_rows(const Reader& in, size_t block, size_t block_length, uint16_t rows, TimImage& img) {
    const size_t row_bytes = static_cast<size_t>(img.clut_entries) * 2;
    const size_t whole = row_bytes ? (block_length - 12) / row_bytes : 0;
    img.clut_rows = row_bytes ? static_cast<int>(std::min<size_t>(rows, whole)) : 0;
    img.clut.resize(static_cast<size_t>(img.clut_entries) * static_cast<size_t>(img.clut_rows));
    for (size_t i = 0; i < img.clut.size(); ++i) img.clut[i] = in.u16(block + 12 + 2 * i);
}

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v));
    put16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

uint16_t tim_texel(const TimImage& img, int x, int y) {
    if (x < 0 || y < 0 || x >= img.width || y >= img.height || img.mode > 2) return 0;
    const int per_word = img.mode == 0 ? 4 : img.mode == 1 ? 2 : 1;
    const size_t at = static_cast<size_t>(y) * img.width_words + static_cast<size_t>(x / per_word);
    if (at >= img.words.size()) return 0;
    const uint16_t word = img.words[at];
    switch (img.mode) {
        case 0: return static_cast<uint16_t>((word >> (4 * (x % 4))) & 0xF);
        case 1: return static_cast<uint16_t>((word >> (8 * (x % 2))) & 0xFF);
        default: return word;
    }
}

std::vector<uint8_t> encode_tim(const TimImage& img) {
    std::vector<uint8_t> out;
    put32(out, 0x10);
    put32(out, static_cast<uint32_t>(img.mode & 7) | (img.has_clut ? 8u : 0u));
    if (img.has_clut) {
        put32(out, static_cast<uint32_t>(12 + 2 * img.clut.size()));
        put16(out, img.clut_x);
        put16(out, img.clut_y);
        put16(out, static_cast<uint16_t>(img.clut_entries));
        put16(out, static_cast<uint16_t>(img.clut_rows));
        for (uint16_t c : img.clut) put16(out, c);
    }
    put32(out, static_cast<uint32_t>(12 + 2 * img.words.size()));
    put16(out, img.image_x);
    put16(out, img.image_y);
    put16(out, img.width_words);
    put16(out, static_cast<uint16_t>(img.height));
    for (uint16_t w : img.words) put16(out, w);
    return out;
}

TimResult decode_tim(std::span<const uint8_t> file) {
    Reader in(file);
    if (!in.has(8)) return refuse(TimError::Truncated);
    const uint32_t flags = in.u32(4);
    in.skip(8);
    TimImage img;
    img.mode = static_cast<int>(flags & 7);
    if (img.mode > 3) return refuse(TimError::UnsupportedMode);

    if (flags & 8) {
        const size_t block = in.position();
        if (!in.has(12)) return refuse(TimError::Truncated);
        const uint32_t block_length = in.u32(block);
        img.has_clut = true;
        img.clut_x = in.u16(block + 4);
        img.clut_y = in.u16(block + 6);
        img.clut_entries = in.u16(block + 8);
        const uint16_t rows = in.u16(block + 10);
        if (img.clut_entries > kMaxClutEntries) return refuse(TimError::ClutTooLarge);
        const size_t row_end = 12 + static_cast<size_t>(img.clut_entries) * 2;
        if (!in.has(row_end)) return refuse(TimError::Truncated);
        img.colour_table.resize(static_cast<size_t>(img.clut_entries) * 4);
        for (int i = 0; i < img.clut_entries; ++i) {
            const Rgb c = colour15(in.u16(block + 12 + 2 * static_cast<size_t>(i)));
            img.colour_table[4 * i] = c.b;
            img.colour_table[4 * i + 1] = c.g;
            img.colour_table[4 * i + 2] = c.r;
        }
        if (rows > 1) {
            // Only the first row is the colour table; the others are passed over by the block length.
            if (block_length < row_end || !in.has(block_length)) return refuse(TimError::Truncated);
            keep_clut_rows(in, block, block_length, rows, img);
            in.skip(block_length);
        } else {
            keep_clut_rows(in, block, row_end, 1, img);
            in.skip(row_end);
        }
    }

    const size_t block = in.position();
    if (!in.has(12)) return refuse(TimError::Truncated);
    const uint32_t block_length = in.u32(block);
    img.image_x = in.u16(block + 4);
    img.image_y = in.u16(block + 6);
    const uint16_t width_words = in.u16(block + 8);
    img.height = in.u16(block + 10);
    in.skip(12);
    img.width = tim_pixel_width(img.mode, width_words);
    if (img.width == 0 || img.height == 0) return refuse(TimError::EmptyImage);
    if (img.width > kMaxImageSide || img.height > kMaxImageSide) return refuse(TimError::TooLarge);

    // Source rows follow each other without gaps, width_words * 2 bytes each in every
    // mode. In the 24-bit mode three words hold two pixels, so a width that is not a
    // multiple of three words leaves one or two unused words at the end of each row;
    // the next row still starts after the whole width.
    const size_t row_bytes = static_cast<size_t>(width_words) * 2;
    const size_t pixel_bytes = row_bytes * static_cast<size_t>(img.height);
    if (block_length < 12 || block_length - 12 < pixel_bytes) return refuse(TimError::PixelsShort);
    if (!in.has(pixel_bytes)) return refuse(TimError::Truncated);

    img.bits_per_pixel = img.mode == 0 ? 4 : img.mode == 1 ? 8 : 24;
    img.stride = ((img.width * img.bits_per_pixel + 31) / 32) * 4;
    img.bits.assign(static_cast<size_t>(img.stride) * static_cast<size_t>(img.height), 0);
    convert_rows(in.at(in.position()), row_bytes, img);
    img.width_words = width_words;
    img.words.resize(static_cast<size_t>(width_words) * static_cast<size_t>(img.height));
    for (size_t i = 0; i < img.words.size(); ++i) img.words[i] = in.u16(in.position() + 2 * i);

    img.tpage = tim_tpage(img.image_x, img.image_y, img.mode);
    img.clut_attribute = img.has_clut ? tim_clut_attribute(img.clut_x, img.clut_y) : 0;
    TimResult r;
    r.image = std::move(img);
    return r;
}

}  // namespace tim
