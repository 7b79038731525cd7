/* Draws every frame of one pattern as a game on the console would: the TIM loaded into a
 * software model of the console's 1024 x 512 frame buffer of 16-bit words, each frame's
 * sprite taken from sdk/celwright_spa.h (cw_spa_sprite) and drawn texel by texel by a
 * model of the console's sprite drawing, which reads the page, the colour mode and the
 * semi-transparency mode from the sprite's tpage word and the CLUT from its clut word.
 * The frames are written side by side as a PPM picture, so that a test can compare them
 * with the tool's console preview. Built as C89 with warnings as errors.
 *
 *   spa_console FILE.tim FILE.spa PATTERN FLIP RRGGBB OUT.ppm
 *
 * FLIP is 0..3 (CW_SPA_FLIP_H | CW_SPA_FLIP_V), RRGGBB the base frame's colour. */
#include <stdio.h>
#include <stdlib.h>

#include "celwright_spa.h"

#define VRAM_W 1024
#define VRAM_H 512
#define MAX_FILE 1048576L
#define MAX_PICTURE 1048576L

static cw_spa_u16 vram[VRAM_H][VRAM_W];
static cw_spa_u8 file_bytes[MAX_FILE];
static cw_spa_u16 screen[MAX_PICTURE];

static long read_file(const char *path) {
    FILE *f = fopen(path, "rb");
    size_t n;
    if (!f) return -1;
    n = fread(file_bytes, 1, sizeof file_bytes, f);
    fclose(f);
    return (long)n;
}

/* Copies w x h words from the file at `at` into the frame buffer at (x, y), as the
 * console's image transfer does (the buffer wraps at its edges). */
static void load_words(long at, cw_spa_u32 x, cw_spa_u32 y, cw_spa_u32 w, cw_spa_u32 h) {
    cw_spa_u32 i, j;
    for (j = 0; j < h; ++j)
        for (i = 0; i < w; ++i)
            vram[(y + j) % VRAM_H][(x + i) % VRAM_W] = cw_spa_read_u16(file_bytes + at + (long)(2 * (j * w + i)));
}

/* The TIM's CLUT block (every row) and pixel block into the frame buffer; 0 when the file
 * is not a TIM this model reads. */
static int load_tim(long size) {
    cw_spa_u32 flags;
    long at = 8, length;
    if (size < 8) return 0;
    flags = cw_spa_read_u32(file_bytes + 4);
    if (flags & 8) {
        if (size < at + 12) return 0;
        length = (long)cw_spa_read_u32(file_bytes + at);
        if (size < at + length) return 0;
        load_words(at + 12, cw_spa_read_u16(file_bytes + at + 4), cw_spa_read_u16(file_bytes + at + 6),
                   cw_spa_read_u16(file_bytes + at + 8), cw_spa_read_u16(file_bytes + at + 10));
        at += length;
    }
    if (size < at + 12) return 0;
    length = (long)cw_spa_read_u32(file_bytes + at);
    if (size < at + length) return 0;
    load_words(at + 12, cw_spa_read_u16(file_bytes + at + 4), cw_spa_read_u16(file_bytes + at + 6),
               cw_spa_read_u16(file_bytes + at + 8), cw_spa_read_u16(file_bytes + at + 10));
    return 1;
}

static int channel_blend(int b, int f, int mode) {
    int c;
    switch (mode) {
        case 0: c = (b + f) / 2; break;
        case 1: c = b + f; break;
        case 2: c = b - f; break;
        default: c = b + f / 4; break;
    }
    return c < 0 ? 0 : c > 31 ? 31 : c;
}

static cw_spa_u16 blend(cw_spa_u16 below, cw_spa_u16 texel, int mode) {
    int shift;
    unsigned out = 0;
    for (shift = 0; shift <= 10; shift += 5)
        out |= (unsigned)channel_blend((below >> shift) & 31, (texel >> shift) & 31, mode) << shift;
    return (cw_spa_u16)out;
}

/* The colour the console fetches for texel (u, v) with the given attribute words; 0 (not
 * drawn) for the 24-bit mode. */
static cw_spa_u16 fetch(cw_spa_u16 tpage, cw_spa_u16 clut, unsigned u, unsigned v) {
    unsigned page_x = (tpage & 0xFu) * 64u, page_y = ((tpage >> 4) & 1u) * 256u, mode = (tpage >> 7) & 3u;
    unsigned clut_x = (clut & 0x3Fu) * 16u, clut_y = (clut >> 6) & 0x1FFu;
    cw_spa_u16 word;
    switch (mode) {
        case 0:
            word = vram[(page_y + v) % VRAM_H][(page_x + u / 4) % VRAM_W];
            return vram[clut_y % VRAM_H][(clut_x + (((unsigned)word >> (4 * (u % 4))) & 0xFu)) % VRAM_W];
        case 1:
            word = vram[(page_y + v) % VRAM_H][(page_x + u / 2) % VRAM_W];
            return vram[clut_y % VRAM_H][(clut_x + (((unsigned)word >> (8 * (u % 2))) & 0xFFu)) % VRAM_W];
        case 2: return vram[(page_y + v) % VRAM_H][(page_x + u) % VRAM_W];
        default: return 0;
    }
}

/* The sprite onto its cell of the sheet, the base frame at column `left` of a sheet
 * `sheet_w` wide: texel (u + i, v + j) at (x + i, y + j), or (u + w - 1 - i) where it is
 * mirrored left to right (likewise top to bottom); a texel 0 is not drawn, one with the STP
 * bit is blended with what lies below, by the semi-transparency mode of the tpage word. */
static void draw_sprite(const CwSpaSprite *s, long left, long base_w, long base_h, long sheet_w) {
    long i, j, x, y;
    unsigned tu, tv;
    cw_spa_u16 c, *below;
    for (j = 0; j < (long)s->h; ++j)
        for (i = 0; i < (long)s->w; ++i) {
            x = (long)s->x + i;
            y = (long)s->y + j;
            if (x < 0 || y < 0 || x >= base_w || y >= base_h) continue;
            tu = (unsigned)((s->flip & CW_SPA_FLIP_H) ? (long)s->w - 1 - i : i);
            tv = (unsigned)((s->flip & CW_SPA_FLIP_V) ? (long)s->h - 1 - j : j);
            c = fetch(s->tpage, s->clut, (s->u + tu) & 0xFFu, (s->v + tv) & 0xFFu);
            if (c == 0) continue;
            below = &screen[y * sheet_w + left + x];
            *below = (c & 0x8000u) ? blend(*below, c, (s->tpage >> 5) & 3) : (cw_spa_u16)(c & 0x7FFFu);
        }
}

static int write_ppm(const char *path, long w, long h) {
    FILE *f = fopen(path, "wb");
    long i;
    if (!f) return 0;
    fprintf(f, "P6\n%ld %ld\n255\n", w, h);
    for (i = 0; i < w * h; ++i) {
        fputc((screen[i] & 31) << 3, f);
        fputc(((screen[i] >> 5) & 31) << 3, f);
        fputc(((screen[i] >> 10) & 31) << 3, f);
    }
    return fclose(f) == 0;
}

static int fail(const char *what) {
    fprintf(stderr, "spa_console: %s\n", what);
    return 2;
}

int main(int argc, char **argv) {
    static cw_spa_u8 spa[65536];
    CwSpaHeader header;
    CwSpaPattern pattern;
    CwSpaFrame frame;
    CwSpaSprite sprite;
    cw_spa_u32 p, f, size;
    long tim_size, sheet_w, i, rgb;
    int flip;
    cw_spa_u16 background;
    FILE *file;
    if (argc != 7) return fail("usage: spa_console FILE.tim FILE.spa PATTERN FLIP RRGGBB OUT.ppm");
    tim_size = read_file(argv[1]);
    if (tim_size < 0 || !load_tim(tim_size)) return fail("the TIM cannot be read");
    file = fopen(argv[2], "rb");
    if (!file) return fail("the data file cannot be opened");
    size = (cw_spa_u32)fread(spa, 1, sizeof spa, file);
    fclose(file);
    p = (cw_spa_u32)strtoul(argv[3], 0, 10);
    flip = atoi(argv[4]);
    rgb = strtol(argv[5], 0, 16);
    background = (cw_spa_u16)(((rgb >> 19) & 31) | (((rgb >> 11) & 31) << 5) | (((rgb >> 3) & 31) << 10));
    if (cw_spa_header(spa, size, &header) != CW_SPA_OK || cw_spa_pattern(spa, size, p, &pattern) != CW_SPA_OK)
        return fail("no such pattern");
    sheet_w = (long)pattern.base_w * (long)pattern.frame_count;
    if (sheet_w * (long)pattern.base_h > MAX_PICTURE || sheet_w == 0) return fail("the sheet is too large or empty");
    for (i = 0; i < sheet_w * (long)pattern.base_h; ++i) screen[i] = background;
    for (f = 0; f < pattern.frame_count; ++f) {
        if (cw_spa_frame(spa, size, p, f, &frame) != CW_SPA_OK) return fail("a frame cannot be read");
        sprite = cw_spa_sprite(&header, &pattern, &frame, 0, 0, flip);
        draw_sprite(&sprite, (long)f * (long)pattern.base_w, (long)pattern.base_w, (long)pattern.base_h, sheet_w);
    }
    return write_ppm(argv[6], sheet_w, (long)pattern.base_h) ? 0 : fail("the picture cannot be written");
}
