// The blitter's row loops (1:1 keyed copies on vectors of every width the processor has,
// whole-row copies, magnified runs, inverting) against a plain per-pixel blit on random
// pictures, keys, rectangles, clips, mirrorings and pitches: every pixel must come out the same.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "gdi/blit.h"

namespace {

using cw::gdi::Blit;
using cw::gdi::BlitOp;
using cw::gdi::PixelBuffer;
using cw::gdi::read_raw;
using cw::gdi::write_raw;

// A picture with its own memory: rows padded or not, top-down or bottom-up.
struct Picture {
    std::vector<uint8_t> bytes;
    PixelBuffer pixels;

    Picture(int w, int h, cw::gdi::PixelFormat f, int padding, bool bottom_up) {
        const ptrdiff_t row = static_cast<ptrdiff_t>(w) * f.bpp / 8 + padding;
        bytes.assign(static_cast<size_t>(row * h), 0);
        pixels.width = w;
        pixels.height = h;
        pixels.format = f;
        pixels.pitch = bottom_up ? -row : row;
        pixels.top = bottom_up ? bytes.data() + row * (h - 1) : bytes.data();
    }
    Picture(const Picture& o) : bytes(o.bytes), pixels(o.pixels) {
        pixels.top = bytes.data() + (o.pixels.top - o.bytes.data());
    }
    Picture& operator=(const Picture&) = delete;
};

cw::gdi::PixelFormat format_of(int bpp) {
    switch (bpp) {
        case 8: return cw::gdi::indexed_format(8);
        case 16: return cw::gdi::rgb565_format();
        case 24: return cw::gdi::bgr24_format();
    }
    return cw::gdi::xrgb32_format();
}

// Source pixel of destination pixel i of n_dst showing n_src from `first`: the one under
// the centre of the destination pixel, counted from the other end when mirrored.
int64_t source_of(int64_t i, int64_t n_dst, int64_t first, int64_t n_src, bool mirror) {
    const int64_t q = (2 * i + 1) * n_src / (2 * n_dst);
    return first + (mirror ? n_src - 1 - q : q);
}

// The blit one pixel at a time, reading the source as it was before (it may be the destination).
void plain_blit(const Blit& b, const PixelBuffer& before) {
    const PixelBuffer& d = *b.dst;
    const int dw = b.dst_rect.right - b.dst_rect.left, dh = b.dst_rect.bottom - b.dst_rect.top;
    const int sw = b.src_rect.right - b.src_rect.left, sh = b.src_rect.bottom - b.src_rect.top;
    const RECT c = cw::gdi::intersect(cw::gdi::intersect(b.clip, cw::gdi::bounds_of(d)), b.dst_rect);
    for (int y = c.top; y < c.bottom; ++y) {
        const int64_t sy = source_of(y - b.dst_rect.top, dh, b.src_rect.top, sh, b.mirror_y);
        for (int x = c.left; x < c.right; ++x) {
            const int64_t sx = source_of(x - b.dst_rect.left, dw, b.src_rect.left, sw, b.mirror_x);
            if (!before.contains(static_cast<int>(sx), static_cast<int>(sy))) continue;
            const uint32_t raw = read_raw(before, static_cast<int>(sx), static_cast<int>(sy));
            uint32_t v = read_raw(d, x, y);
            if (!(b.keyed && raw == b.key)) v = b.op == BlitOp::Xor ? v ^ raw : raw;
            write_raw(d, x, y, v | b.set_bits);
        }
    }
}

class BlitAgainstPlain : public ::testing::TestWithParam<int> {
  protected:
    void TearDown() override { cw::gdi::limit_vector_bytes(0); }

    std::mt19937 random_{12345};
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    bool one_in(int n) { return between(1, n) == 1; }

    // Values from a few, so that the key and runs of equal pixels are common.
    void fill(const Picture& p, uint32_t key, uint32_t mask) {
        std::vector<uint32_t> some{key};
        for (int k = 0; k < 5; ++k) some.push_back(static_cast<uint32_t>(random_()) & mask);
        for (int y = 0; y < p.pixels.height; ++y)
            for (int x = 0; x < p.pixels.width; ++x)
                write_raw(p.pixels, x, y,
                          one_in(3) ? static_cast<uint32_t>(random_()) & mask
                                    : some[static_cast<size_t>(between(0, 5))]);
    }
    RECT rect_within(int w, int h, int margin) {
        const int l = between(-margin, w + margin - 1), t = between(-margin, h + margin - 1);
        return RECT{l, t, between(l + 1, w + margin), between(t + 1, h + margin)};
    }
    // Padded rows are padded by whole words, as a DIB's and a surface's rows are: every row of
    // 16- and 32-bit pixels starts where such a pixel may.
    Picture picture(int w, int h, int bpp) {
        return Picture(w, h, format_of(bpp), one_in(2) ? 0 : 4 * between(1, 3), one_in(4));
    }

    // One random blit done both ways; the description of the case when they differ.
    std::string one_case(int bpp) {
        const uint32_t mask = bpp == 32 ? 0xFFFFFFFFu : (1u << bpp) - 1;
        const bool wide_rows = one_in(2);
        const int dw_max = wide_rows ? 300 : 40;
        Picture dst = picture(between(1, dw_max), between(1, 12), bpp);
        const bool same_buffer = one_in(8);
        Picture src_own = picture(between(1, dw_max), between(1, 12), bpp);
        Picture& src = same_buffer ? dst : src_own;
        const uint32_t key = static_cast<uint32_t>(random_()) & mask;
        fill(dst, key, mask);
        if (!same_buffer) fill(src, key, mask);

        Blit b;
        b.dst = &dst.pixels;
        b.src = &src.pixels;
        b.src_rect = rect_within(src.pixels.width, src.pixels.height, one_in(3) ? 4 : 0);
        b.dst_rect = rect_within(dst.pixels.width, dst.pixels.height, one_in(3) ? 4 : 0);
        // Mostly at 1:1, as a frame is keyed onto its base; otherwise magnified by a whole
        // factor, as the canvas is, or any size.
        const int sw = b.src_rect.right - b.src_rect.left, sh = b.src_rect.bottom - b.src_rect.top;
        if (!one_in(3)) {
            b.dst_rect.right = b.dst_rect.left + sw;
            b.dst_rect.bottom = b.dst_rect.top + sh;
        } else if (one_in(2)) {
            const int f = between(2, 5);
            b.dst_rect.right = b.dst_rect.left + f * sw;
            b.dst_rect.bottom = b.dst_rect.top + (one_in(2) ? sh : f * sh);
        }
        b.clip =
            one_in(2) ? RECT{-100, -100, 1000, 1000} : rect_within(dst.pixels.width, dst.pixels.height, 3);
        b.mirror_x = one_in(6);
        b.mirror_y = one_in(6);
        b.op = one_in(5) ? BlitOp::Xor : BlitOp::Copy;
        b.keyed = !one_in(4);
        b.key = key;
        b.set_bits = bpp == 32 && one_in(4) ? 0xFF000000u : 0;

        const Picture before = src;
        Picture expected = dst;
        Blit plain = b;
        plain.dst = &expected.pixels;
        plain_blit(plain, before.pixels);
        cw::gdi::blit(b);
        for (int y = 0; y < dst.pixels.height; ++y)
            for (int x = 0; x < dst.pixels.width; ++x)
                if (read_raw(dst.pixels, x, y) != read_raw(expected.pixels, x, y))
                    return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") of a " +
                           std::to_string(dst.pixels.width) + " x " + std::to_string(dst.pixels.height) +
                           " destination, rect (" + std::to_string(b.dst_rect.left) + ", " +
                           std::to_string(b.dst_rect.top) + ")-(" + std::to_string(b.dst_rect.right) + ", " +
                           std::to_string(b.dst_rect.bottom) + ") from (" + std::to_string(b.src_rect.left) +
                           ", " + std::to_string(b.src_rect.top) + ")-(" + std::to_string(b.src_rect.right) +
                           ", " + std::to_string(b.src_rect.bottom) + ") keyed " + std::to_string(b.keyed) +
                           " xor " + std::to_string(b.op == BlitOp::Xor) + " mirror " +
                           std::to_string(b.mirror_x) + std::to_string(b.mirror_y) + " same buffer " +
                           std::to_string(same_buffer) + ": " + std::to_string(read_raw(dst.pixels, x, y)) +
                           " instead of " + std::to_string(read_raw(expected.pixels, x, y));
        return {};
    }
};

TEST_P(BlitAgainstPlain, EveryVectorWidthDrawsWhatThePlainBlitDraws) {
    for (int limit : {16, 32, 64}) {
        cw::gdi::limit_vector_bytes(limit);
        for (int i = 0; i < 1500; ++i) {
            const std::string wrong = one_case(GetParam());
            ASSERT_EQ(wrong, "") << "vectors of up to " << limit << " bytes, case " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, BlitAgainstPlain, ::testing::Values(8, 16, 24, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bpp"; });

// The keyed copy at 1:1 with its row lengths around every vector size: the last vector of a
// row that is not a whole number of them must neither miss pixels nor write past the row.
TEST(KeyedRows, RowEndsAroundEveryVectorSizeKeepWhatLiesBeyond) {
    for (int bpp : {8, 16, 32}) {
        for (int limit : {16, 32, 64}) {
            cw::gdi::limit_vector_bytes(limit);
            for (int n = 1; n <= 140; ++n) {
                Picture src(n, 2, format_of(bpp), 0, false), dst(n + 2, 2, format_of(bpp), 0, false);
                for (int x = 0; x < n; ++x)
                    for (int y = 0; y < 2; ++y)
                        write_raw(src.pixels, x, y, x % 3 == 0 ? 0 : 1 + (x + y) % 100);
                for (int x = 0; x < n + 2; ++x)
                    for (int y = 0; y < 2; ++y) write_raw(dst.pixels, x, y, 200);
                Blit b;
                b.dst = &dst.pixels;
                b.src = &src.pixels;
                b.src_rect = RECT{0, 0, n, 2};
                b.dst_rect = RECT{1, 0, n + 1, 2};
                b.clip = RECT{0, 0, n + 2, 2};
                b.keyed = true;
                b.key = 0;
                cw::gdi::blit(b);
                for (int y = 0; y < 2; ++y) {
                    ASSERT_EQ(read_raw(dst.pixels, 0, y), 200u)
                        << bpp << " bpp, " << n << " pixels, up to " << limit;
                    ASSERT_EQ(read_raw(dst.pixels, n + 1, y), 200u) << bpp << " bpp, " << n << " pixels";
                    for (int x = 0; x < n; ++x)
                        ASSERT_EQ(read_raw(dst.pixels, x + 1, y), x % 3 == 0 ? 200u : 1u + (x + y) % 100)
                            << bpp << " bpp, " << n << " pixels, x " << x << ", up to " << limit;
                }
            }
        }
    }
    cw::gdi::limit_vector_bytes(0);
}

}  // namespace
