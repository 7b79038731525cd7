#include "gdi/blit.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace cw::gdi {

namespace {

// Source index of destination index i, i + 1, ... when n_dst pixels show n_src: the
// source pixel under the centre of each destination pixel, stepped without dividing.
class SourceSteps {
  public:
    SourceSteps(int64_t i, int64_t n_dst, int64_t n_src, bool mirror)
        : den_(2 * n_dst),
          step_q_(2 * n_src / den_),
          step_r_(2 * n_src % den_),
          last_(n_src - 1),
          mirror_(mirror) {
        const int64_t num = (2 * i + 1) * n_src;
        q_ = num / den_;
        r_ = num % den_;
    }
    int64_t index() const { return mirror_ ? last_ - q_ : q_; }
    void next() {
        q_ += step_q_;
        r_ += step_r_;
        if (r_ >= den_) r_ -= den_, ++q_;
    }

  private:
    int64_t den_, step_q_, step_r_, last_;
    bool mirror_;
    int64_t q_ = 0, r_ = 0;
};

// A run of destination pixels that all show the same source column.
struct Run {
    int src_x;
    int dst_offset;
    int count;
};

struct Pixel24 {
    uint8_t b[3];
};

// 16-byte vectors (SSE2 or NEON) of each pixel size, for the keyed and run loops, and
// 32-byte ones for the keyed copy where the processor has them.
typedef uint8_t Vec8 __attribute__((vector_size(16)));
typedef uint16_t Vec16 __attribute__((vector_size(16)));
typedef uint32_t Vec32 __attribute__((vector_size(16)));
typedef uint8_t Wide8 __attribute__((vector_size(32)));
typedef uint16_t Wide16 __attribute__((vector_size(32)));
typedef uint32_t Wide32 __attribute__((vector_size(32)));
template <class T>
struct VecOf;
template <>
struct VecOf<uint8_t> {
    using type = Vec8;
    using wide = Wide8;
};
template <>
struct VecOf<uint16_t> {
    using type = Vec16;
    using wide = Wide16;
};
template <>
struct VecOf<uint32_t> {
    using type = Vec32;
    using wide = Wide32;
};

// The 32- and 64-byte loops are compiled for AVX2 and AVX-512 beside the rest and chosen
// when the processor has them.
#if defined(__x86_64__)
#define CW_BLIT_WIDE 1
#define CW_WIDE_TARGET __attribute__((target("avx2")))
#define CW_WIDEST_TARGET __attribute__((target("avx2,avx512f,avx512bw")))
#else
#define CW_BLIT_WIDE 0
#define CW_WIDE_TARGET
#define CW_WIDEST_TARGET
#endif

int g_vector_limit = 0;  // the widest vectors the loops may use, in bytes; 0 for no limit

// The widest vectors both the processor and the limit allow: 16, 32 or 64 bytes.
int vector_bytes() {
    int widest = 16;
#if CW_BLIT_WIDE
    static const bool avx2 = __builtin_cpu_supports("avx2");
    static const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    widest = avx512 ? 64 : avx2 ? 32 : 16;
#endif
    return g_vector_limit ? std::min(widest, g_vector_limit) : widest;
}

// Rows of a keyed copy at 1:1.
struct KeyedRows {
    uint8_t* dst;
    ptrdiff_t dst_pitch;
    const uint8_t* src;
    ptrdiff_t src_pitch;
    int n;  // pixels a row
    int rows;
};

// The pixel loops for one pixel size, on raw values (no conversion).
template <class T>
struct Rows {
    using V = typename VecOf<T>::type;
    static constexpr int kLanes = 16 / sizeof(T);

    static void copy_identity(uint8_t* d, const uint8_t* s, int n) { std::memcpy(d, s, n * sizeof(T)); }
    // One vector of a keyed copy: where the source holds the key the destination stays,
    // chosen without a branch (a ^ ((a ^ b) & equal) is b where equal, a elsewhere).
    template <class W>
    __attribute__((always_inline)) static inline void key_vector(uint8_t* d, const uint8_t* s, const W& k) {
        W a, b;
        std::memcpy(&a, s, sizeof(W));
        std::memcpy(&b, d, sizeof(W));
        const W r = a ^ ((a ^ b) & (W)(a == k));
        std::memcpy(d, &r, sizeof(W));
    }
    // A keyed row of at least one vector. Source and destination never overlap (a blit within
    // one buffer reads from a copy), and keying a pixel twice gives what keying it once gave:
    // a row that is not a whole number of vectors ends with one vector overlapping the last.
    template <class W>
    __attribute__((always_inline)) static inline void key_vectors(uint8_t* d, const uint8_t* s, size_t bytes,
                                                                  T key) {
        constexpr size_t kBytes = sizeof(W);
        const W k = W{} + key;
        size_t i = 0;
        for (; i + 4 * kBytes <= bytes; i += 4 * kBytes) {
            key_vector(d + i, s + i, k);
            key_vector(d + i + kBytes, s + i + kBytes, k);
            key_vector(d + i + 2 * kBytes, s + i + 2 * kBytes, k);
            key_vector(d + i + 3 * kBytes, s + i + 3 * kBytes, k);
        }
        for (; i + kBytes <= bytes; i += kBytes) key_vector(d + i, s + i, k);
        if (i < bytes) key_vector(d + bytes - kBytes, s + bytes - kBytes, k);
    }
    static void key_pixels(uint8_t* d, const uint8_t* s, int n, T key) {
        for (int i = 0; i < n; ++i) {
            T v;
            std::memcpy(&v, s + i * sizeof(T), sizeof(T));
            if (v != key) std::memcpy(d + i * sizeof(T), &v, sizeof(T));
        }
    }
    // The keyed copies of `rows` rows of n pixels, pitches apart, at 1:1: the loop over the rows
    // inside, so that the vectors' set-up is done once.
    static void key_narrow(const KeyedRows& r, T key) {
        for (int y = 0; y < r.rows; ++y) {
            uint8_t* d = r.dst + y * r.dst_pitch;
            const uint8_t* s = r.src + y * r.src_pitch;
            if (r.n < kLanes)
                key_pixels(d, s, r.n, key);
            else
                key_vectors<V>(d, s, static_cast<size_t>(r.n) * sizeof(T), key);
        }
    }
    CW_WIDE_TARGET static void key_wide(const KeyedRows& r, T key) {
        using W = typename VecOf<T>::wide;
        const size_t bytes = static_cast<size_t>(r.n) * sizeof(T);
        if (bytes < sizeof(W)) return key_narrow(r, key);
        for (int y = 0; y < r.rows; ++y)
            key_vectors<W>(r.dst + y * r.dst_pitch, r.src + y * r.src_pitch, bytes, key);
    }
    // With AVX-512 a compare gives a mask of lanes and the store writes only those: the
    // destination is not read, and the row's end is a shorter mask rather than an overlap.
    CW_WIDEST_TARGET static void key_widest(const KeyedRows& r, T key) {
#if CW_BLIT_WIDE
        const int n = r.n;
        constexpr int kWideLanes = 64 / sizeof(T);
        for (int y = 0; y < r.rows; ++y) {
            uint8_t* d = r.dst + y * r.dst_pitch;
            const uint8_t* s = r.src + y * r.src_pitch;
            int i = 0;
            if constexpr (sizeof(T) == 1) {
                const __m512i k = _mm512_set1_epi8(static_cast<char>(key));
                for (; i + kWideLanes <= n; i += kWideLanes) {
                    const __m512i a = _mm512_loadu_si512(s + i);
                    _mm512_mask_storeu_epi8(d + i, _mm512_cmpneq_epi8_mask(a, k), a);
                }
                if (i < n) {
                    const __mmask64 rest = (__mmask64{1} << (n - i)) - 1;
                    const __m512i a = _mm512_maskz_loadu_epi8(rest, s + i);
                    _mm512_mask_storeu_epi8(d + i, _mm512_mask_cmpneq_epi8_mask(rest, a, k), a);
                }
            } else if constexpr (sizeof(T) == 2) {
                const __m512i k = _mm512_set1_epi16(static_cast<short>(key));
                for (; i + kWideLanes <= n; i += kWideLanes) {
                    const __m512i a = _mm512_loadu_si512(s + 2 * i);
                    _mm512_mask_storeu_epi16(d + 2 * i, _mm512_cmpneq_epi16_mask(a, k), a);
                }
                if (i < n) {
                    const __mmask32 rest = static_cast<__mmask32>((uint64_t{1} << (n - i)) - 1);
                    const __m512i a = _mm512_maskz_loadu_epi16(rest, s + 2 * i);
                    _mm512_mask_storeu_epi16(d + 2 * i, _mm512_mask_cmpneq_epi16_mask(rest, a, k), a);
                }
            } else {
                const __m512i k = _mm512_set1_epi32(static_cast<int>(key));
                for (; i + kWideLanes <= n; i += kWideLanes) {
                    const __m512i a = _mm512_loadu_si512(s + 4 * i);
                    _mm512_mask_storeu_epi32(d + 4 * i, _mm512_cmpneq_epi32_mask(a, k), a);
                }
                if (i < n) {
                    const __mmask16 rest = static_cast<__mmask16>((1u << (n - i)) - 1);
                    const __m512i a = _mm512_maskz_loadu_epi32(rest, s + 4 * i);
                    _mm512_mask_storeu_epi32(d + 4 * i, _mm512_mask_cmpneq_epi32_mask(rest, a, k), a);
                }
            }
        }
#else
        key_narrow(r, key);
#endif
    }
    // The keyed copy at 1:1, chosen once a blit.
    static auto key_rows() {
        const int bytes = vector_bytes();
        return bytes >= 64 ? &key_widest : bytes >= 32 ? &key_wide : &key_narrow;
    }
    static void xor_identity(uint8_t* d, const uint8_t* s, int n, bool keyed, T key) {
        for (int i = 0; i < n; ++i) {
            T v, o;
            std::memcpy(&v, s + i * sizeof(T), sizeof(T));
            if (keyed && v == key) continue;
            std::memcpy(&o, d + i * sizeof(T), sizeof(T));
            o ^= v;
            std::memcpy(d + i * sizeof(T), &o, sizeof(T));
        }
    }
    // Fills count pixels with one value: whole vectors, the last one overlapping.
    static void splat(T* out, int count, T v) {
        if (count < kLanes) {
            for (int k = 0; k < count; ++k) out[k] = v;
            return;
        }
        const V sv = V{} + v;
        for (int k = 0; k + kLanes <= count; k += kLanes) std::memcpy(out + k, &sv, 16);
        std::memcpy(out + count - kLanes, &sv, 16);
    }
    // n source pixels magnified by a whole factor K: stores of a constant size.
    template <int K>
    static void magnify(T* out, const T* s, size_t n) {
        constexpr size_t bytes = K * sizeof(T);
        for (size_t j = 0; j < n; ++j) {
            const T v = s[j];
            if constexpr (bytes >= 16) {
                const V sv = V{} + v;
                for (size_t k = 0; k < bytes; k += 16)
                    std::memcpy(reinterpret_cast<uint8_t*>(out + j * K) + k, &sv, 16);
            } else if constexpr (bytes == 8) {
                const uint64_t w =
                    static_cast<uint64_t>(v) * (~uint64_t{0} / ((uint64_t{1} << (8 * sizeof(T))) - 1));
                std::memcpy(out + j * K, &w, 8);
            } else {
                for (int k = 0; k < K; ++k) out[j * K + k] = v;
            }
        }
    }
    static bool magnify_by(int factor, T* out, const T* s, size_t n) {
        switch (factor) {
            case 2: magnify<2>(out, s, n); return true;
            case 4: magnify<4>(out, s, n); return true;
            case 8: magnify<8>(out, s, n); return true;
            case 16: magnify<16>(out, s, n); return true;
            case 32: magnify<32>(out, s, n); return true;
        }
        return false;
    }
    // factor: the count of every run but the first and the last (they may be clipped)
    // when the source columns follow each other, else 0.
    static void runs(uint8_t* d8, const uint8_t* s8, const std::vector<Run>& runs, int factor, BlitOp op,
                     bool keyed, T key) {
        T* d = reinterpret_cast<T*>(d8);
        const T* s = reinterpret_cast<const T*>(s8);
        if (factor && op == BlitOp::Copy && !keyed && runs.size() > 2) {
            const Run& first = runs.front();
            const Run& last = runs.back();
            splat(d + first.dst_offset, first.count, s[first.src_x]);
            if (magnify_by(factor, d + runs[1].dst_offset, s + runs[1].src_x, runs.size() - 2)) {
                splat(d + last.dst_offset, last.count, s[last.src_x]);
                return;
            }
        }
        for (const Run& r : runs) {
            const T v = s[r.src_x];
            if (keyed && v == key) continue;
            T* out = d + r.dst_offset;
            if (op == BlitOp::Copy)
                splat(out, r.count, v);
            else if (v != 0)  // inverting by 0 changes nothing: overlays are mostly black
                for (int k = 0; k < r.count; ++k) out[k] ^= v;
        }
    }
};

template <>
struct Rows<Pixel24> {
    static void copy_identity(uint8_t* d, const uint8_t* s, int n) {
        std::memcpy(d, s, static_cast<size_t>(n) * 3);
    }
    static uint32_t at(const uint8_t* s, int x) {
        return static_cast<uint32_t>(s[3 * x] | s[3 * x + 1] << 8 | s[3 * x + 2] << 16);
    }
    static void put(uint8_t* d, int x, uint32_t v) {
        d[3 * x] = static_cast<uint8_t>(v);
        d[3 * x + 1] = static_cast<uint8_t>(v >> 8);
        d[3 * x + 2] = static_cast<uint8_t>(v >> 16);
    }
    static void key_identity(const KeyedRows& r, uint32_t key) {
        for (int y = 0; y < r.rows; ++y) {
            uint8_t* d = r.dst + y * r.dst_pitch;
            const uint8_t* s = r.src + y * r.src_pitch;
            for (int i = 0; i < r.n; ++i)
                if (const uint32_t v = at(s, i); v != key) put(d, i, v);
        }
    }
    static auto key_rows() { return &key_identity; }
    static void xor_identity(uint8_t* d, const uint8_t* s, int n, bool keyed, uint32_t key) {
        for (int i = 0; i < n; ++i)
            if (const uint32_t v = at(s, i); !keyed || v != key) put(d, i, v ^ at(d, i));
    }
    static void runs(uint8_t* d, const uint8_t* s, const std::vector<Run>& runs, int, BlitOp op, bool keyed,
                     uint32_t key) {
        for (const Run& r : runs) {
            const uint32_t v = at(s, r.src_x);
            if ((keyed && v == key) || (op == BlitOp::Xor && v == 0)) continue;
            for (int k = 0; k < r.count; ++k) {
                const int x = r.dst_offset + k;
                put(d, x, op == BlitOp::Copy ? v : v ^ at(d, x));
            }
        }
    }
};

// ORs bits into n pixels of a row just written (still in the cache), four at a time.
void set_row_bits(uint8_t* d, int n, size_t px, uint32_t bits) {
    if (px != 4) return;
    const Vec32 v = Vec32{} + bits;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        Vec32 q;
        std::memcpy(&q, d + 4 * i, 16);
        q |= v;
        std::memcpy(d + 4 * i, &q, 16);
    }
    for (; i < n; ++i) {
        uint32_t q;
        std::memcpy(&q, d + 4 * i, 4);
        q |= bits;
        std::memcpy(d + 4 * i, &q, 4);
    }
}

struct Plan {
    RECT c;                  // destination pixels to visit
    std::vector<int>& cols;  // source column of each destination column in c
    std::vector<Run>& runs;  // the same as runs of equal source columns (not for identity_x)
    bool identity_x = false;
    int factor = 0;  // see Rows::runs
};

template <class T, class Key>
void raw_rows(const Blit& b, const Plan& p, const PixelBuffer& s, Key key) {
    const PixelBuffer& d = *b.dst;
    const int n = p.c.right - p.c.left;
    const int sh = b.src_rect.bottom - b.src_rect.top, dh = b.dst_rect.bottom - b.dst_rect.top;
    const size_t px = b.dst->format.bpp / 8;
    // Whole rows on both sides, one after the other in memory: one copy does it all.
    if (p.identity_x && b.op == BlitOp::Copy && !b.keyed && !b.set_bits && sh == dh && !b.mirror_y &&
        d.pitch == static_cast<ptrdiff_t>(n * px) && s.pitch == d.pitch && p.c.left == 0 &&
        p.cols.front() == 0) {
        const int64_t sy = b.src_rect.top + (p.c.top - b.dst_rect.top);
        if (sy >= 0 && sy + (p.c.bottom - p.c.top) <= s.height) {
            std::memcpy(d.row(p.c.top), s.row(static_cast<int>(sy)),
                        static_cast<size_t>(p.c.bottom - p.c.top) * n * px);
            return;
        }
    }
    const auto key_rows = Rows<T>::key_rows();
    // Rows at 1:1 too (a frame keyed onto its base): row after row, no stepping.
    if (p.identity_x && sh == dh && !b.mirror_y) {
        const int64_t offset = int64_t{b.src_rect.top} - b.dst_rect.top;  // source row of y is y + offset
        const int top = static_cast<int>(std::max<int64_t>(p.c.top, -offset));
        const int bottom = static_cast<int>(std::min<int64_t>(p.c.bottom, s.height - offset));
        if (top >= bottom) return;
        const KeyedRows r{d.row(top) + p.c.left * px,
                          d.pitch,
                          s.row(static_cast<int>(top + offset)) + p.cols.front() * px,
                          s.pitch,
                          n,
                          bottom - top};
        if (b.keyed) key_rows(r, key);
        for (int y = 0; y < r.rows && (!b.keyed || b.set_bits); ++y) {
            uint8_t* dr = r.dst + y * r.dst_pitch;
            if (!b.keyed) Rows<T>::copy_identity(dr, r.src + y * r.src_pitch, n);
            if (b.set_bits) set_row_bits(dr, n, px, b.set_bits);
        }
        return;
    }
    const bool contiguous = d.pitch == static_cast<ptrdiff_t>(n * px);
    int previous_sy = -1;
    uint8_t* previous_row = nullptr;
    SourceSteps rows(p.c.top - b.dst_rect.top, dh, sh, b.mirror_y);
    for (int y = p.c.top; y < p.c.bottom; ++y, rows.next()) {
        const int64_t sy = b.src_rect.top + rows.index();
        if (sy < 0 || sy >= s.height) continue;
        uint8_t* dr = d.row(y) + p.c.left * px;
        // A magnified row repeats the one above it: copy the finished row instead.
        if (b.op == BlitOp::Copy && !b.keyed && sy == previous_sy && previous_row) {
            if (!contiguous) {
                std::memcpy(dr, previous_row, n * px);
                continue;
            }
            // Rows next to each other in memory: copy the repeats in doubling blocks.
            int count = 1;
            for (SourceSteps ahead = rows; y + count < p.c.bottom; ++count) {
                ahead.next();
                if (b.src_rect.top + ahead.index() != sy) break;
            }
            for (int done = 0, have = 1; done < count;) {
                const int k = std::min(have + done, count - done);
                std::memcpy(d.row(y + done), d.row(y + done - k), static_cast<size_t>(k) * n * px);
                done += k;
            }
            for (int i = 1; i < count; ++i) rows.next();
            y += count - 1;
            continue;
        }
        const uint8_t* sr = s.row(static_cast<int>(sy));
        if (p.identity_x && b.op == BlitOp::Xor) {
            Rows<T>::xor_identity(dr, sr + p.cols.front() * px, n, b.keyed, key);
        } else if (p.identity_x) {
            if (b.keyed)
                key_rows(KeyedRows{dr, 0, sr + p.cols.front() * px, 0, n, 1}, key);
            else
                Rows<T>::copy_identity(dr, sr + p.cols.front() * px, n);
        } else {
            Rows<T>::runs(dr, sr, p.runs, p.factor, b.op, b.keyed, key);
        }
        if (b.set_bits) set_row_bits(dr, n, px, b.set_bits);
        previous_sy = static_cast<int>(sy);
        previous_row = dr;
    }
}

void converted_rows(const Blit& b, const Plan& p, const PixelBuffer& s) {
    const PixelBuffer& d = *b.dst;
    const int sh = b.src_rect.bottom - b.src_rect.top, dh = b.dst_rect.bottom - b.dst_rect.top;
    const bool same = s.format == d.format && !s.format.indexed;
    std::vector<uint32_t> lut;
    if (s.format.indexed && !same) {
        lut.resize(size_t{1} << s.format.bpp);
        for (size_t i = 0; i < lut.size(); ++i)
            lut[i] = rgb_to_raw(d, raw_to_rgb(s, static_cast<uint32_t>(i)));
    }
    uint32_t cached_in = 0, cached_out = rgb_to_raw(d, raw_to_rgb(s, 0));
    auto convert = [&](uint32_t raw) {
        if (same) return raw;
        if (!lut.empty()) return lut[raw];
        if (raw != cached_in) cached_in = raw, cached_out = rgb_to_raw(d, raw_to_rgb(s, raw));
        return cached_out;
    };
    SourceSteps rows(p.c.top - b.dst_rect.top, dh, sh, b.mirror_y);
    for (int y = p.c.top; y < p.c.bottom; ++y, rows.next()) {
        const int64_t sy = b.src_rect.top + rows.index();
        if (sy < 0 || sy >= s.height) continue;
        for (int x = p.c.left; x < p.c.right; ++x) {
            const uint32_t raw = read_raw(s, p.cols[x - p.c.left], static_cast<int>(sy));
            if (b.keyed && raw == b.key) continue;
            uint32_t v = convert(raw);
            if (b.op == BlitOp::Xor) v ^= read_raw(d, x, y);
            write_raw(d, x, y, v | b.set_bits);
        }
    }
}

bool same_palette(const PixelBuffer& a, const PixelBuffer& b) {
    if (a.palette == b.palette) return true;
    if (!a.palette || !b.palette || a.palette_size != b.palette_size) return false;
    return std::memcmp(a.palette, b.palette, sizeof(RGBQUAD) * a.palette_size) == 0;
}

// Byte range a buffer occupies, to detect a blit from a buffer onto itself.
void span_of(const PixelBuffer& b, const uint8_t** lo, const uint8_t** hi) {
    const uint8_t* first = b.row(0);
    const uint8_t* last = b.row(b.height - 1);
    *lo = std::min(first, last);
    *hi = std::max(first, last) + (static_cast<size_t>(b.width) * b.format.bpp + 7) / 8;
}

}  // namespace

void limit_vector_bytes(int bytes) {
    g_vector_limit = bytes;
}

void blit(const Blit& b) {
    const PixelBuffer& d = *b.dst;
    const int dw = b.dst_rect.right - b.dst_rect.left, dh = b.dst_rect.bottom - b.dst_rect.top;
    const int sw = b.src_rect.right - b.src_rect.left, sh = b.src_rect.bottom - b.src_rect.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || !b.src->top || !d.top) return;

    // The column tables are kept between blits: a tick makes many of the same size.
    thread_local std::vector<int> cols;
    thread_local std::vector<Run> runs;
    cols.clear();
    runs.clear();
    Plan p{{}, cols, runs};
    p.c = intersect(intersect(b.clip, bounds_of(d)), b.dst_rect);
    if (is_empty(p.c)) return;
    if (sw == dw && !b.mirror_x) {
        // At 1:1 each column shows the one at the same distance from the rectangles' left; the
        // ones inside the source follow from its width.
        const int64_t offset =
            int64_t{b.src_rect.left} - b.dst_rect.left;  // source column of x is x + offset
        p.c.left = static_cast<LONG>(std::max<int64_t>(p.c.left, -offset));
        p.c.right = static_cast<LONG>(std::min<int64_t>(p.c.right, b.src->width - offset));
        if (p.c.left >= p.c.right) return;
        p.cols.resize(static_cast<size_t>(p.c.right - p.c.left));
        std::iota(p.cols.begin(), p.cols.end(), static_cast<int>(p.c.left + offset));
    } else {
        SourceSteps columns(p.c.left - b.dst_rect.left, dw, sw, b.mirror_x);
        for (int x = p.c.left; x < p.c.right; ++x, columns.next())
            p.cols.push_back(static_cast<int>(b.src_rect.left + columns.index()));
        // Columns are monotonic, so the ones inside the source form one run in the middle.
        auto outside = [&](int sx) { return sx < 0 || sx >= b.src->width; };
        const auto first = std::find_if_not(p.cols.begin(), p.cols.end(), outside);
        const auto last =
            std::find_if_not(p.cols.rbegin(), std::make_reverse_iterator(first), outside).base();
        p.c.left += static_cast<LONG>(first - p.cols.begin());
        p.c.right -= static_cast<LONG>(p.cols.end() - last);
        const size_t skip = static_cast<size_t>(first - p.cols.begin());
        p.cols.erase(last, p.cols.end());
        p.cols.erase(p.cols.begin(), p.cols.begin() + static_cast<ptrdiff_t>(skip));
    }
    if (p.cols.empty()) return;
    // The identity path copies whole rows; an inverting blit goes through the runs even at 1:1.
    p.identity_x = sw == dw && !b.mirror_x && b.op == BlitOp::Copy;
    if (!p.identity_x) {
        for (size_t i = 0; i < p.cols.size(); ++i) {
            if (!p.runs.empty() && p.runs.back().src_x == p.cols[i])
                ++p.runs.back().count;
            else
                p.runs.push_back(Run{p.cols[i], static_cast<int>(i), 1});
        }
        if (!b.mirror_x && dw % sw == 0 && p.runs.size() > 2) {
            p.factor = dw / sw;
            for (size_t i = 1; i + 1 < p.runs.size() && p.factor; ++i)
                if (p.runs[i].count != p.factor || p.runs[i].src_x != p.runs[i - 1].src_x + 1) p.factor = 0;
        }
    }

    // A blit within one buffer reads from a copy of it.
    PixelBuffer s = *b.src;
    std::vector<uint8_t> copy;
    const uint8_t *slo, *shi, *dlo, *dhi;
    span_of(s, &slo, &shi);
    span_of(d, &dlo, &dhi);
    if (slo < dhi && dlo < shi) {
        copy.assign(slo, shi);
        s.top = copy.data() + (s.row(0) - slo);
    }

    const bool raw = s.format == d.format && (!s.format.indexed || same_palette(s, d));
    if (raw) {
        switch (d.format.bpp) {
            case 8: return raw_rows<uint8_t>(b, p, s, static_cast<uint8_t>(b.key));
            case 16: return raw_rows<uint16_t>(b, p, s, static_cast<uint16_t>(b.key));
            case 24: return raw_rows<Pixel24>(b, p, s, b.key);
            case 32: return raw_rows<uint32_t>(b, p, s, b.key);
        }
    }
    converted_rows(b, p, s);
}

}  // namespace cw::gdi
