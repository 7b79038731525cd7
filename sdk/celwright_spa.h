/*
 * celwright_spa.h - reading Celwright animation data (".spa") in a game.
 *
 * C89, one header, no allocation and no library calls: the game loads the file
 * into memory the way it loads anything else and reads it in place through the
 * functions below. Every lookup checks the whole file the way the editor does
 * before it opens it, and checks its indices, so a damaged or truncated file gives
 * an error code, never a read outside it, and a file the editor opens reads the same
 * here.
 *
 * The file, all integers little-endian:
 *
 *   offset 0        header, 12 bytes: tpage (u32), speed (u32), pattern_count (u32)
 *   offset 12+12p   pattern entry p, 12 bytes: offset (u32) of its first frame record,
 *                   frame_count (u32), base_w (u16), base_h (u16)
 *   then            the frame records of pattern 0, then those of pattern 1, and so on,
 *                   12 bytes each: correction_x (u8), correction_y (u8), timing (u16),
 *                   image_x (u8), image_y (u8), clut (u16), image_w (u16), image_h (u16)
 *
 * At most 12 patterns of 20 frames. The records follow each other in pattern order
 * straight after the last entry; like the editor, these functions find them there and
 * do not trust the entries' offset fields (a file whose offsets are wrong but whose
 * records are in order reads correctly in both).
 *
 * Timing: frame f stays (timing + 1) * (speed + 1) ticks; a tick is a display frame,
 * 1/60 s, or 1/50 s on a 50 Hz display (the tool previews both: render --rate 50).
 *
 * Textures: tpage names the texture page (its frame-buffer position in steps of 64
 * by 256), the semi-transparency mode and the colour mode; clut names the colour table
 * (x in steps of 16). The image rectangle of a frame is in texels from the page's
 * top-left corner, so the sprite sheet is expected at a page's corner, as the example's
 * TIM is (celwright-tool check says when it is not). Both words are the console's own
 * attribute words: cw_spa_sprite hands them on for the draw. A texel 0x0000 is not
 * drawn; one with the STP bit (bit 15) is blended with what lies below when the sprite
 * is drawn semi-transparent, by the tpage's mode (0 (B + F) / 2, 1 B + F, 2 B - F,
 * 3 B + F / 4); celwright-tool render --console shows the frames drawn so.
 */
#ifndef CELWRIGHT_SPA_H
#define CELWRIGHT_SPA_H

#if defined(__GNUC__) || defined(__clang__)
#define CW_SPA_FN static __inline__
#elif defined(_MSC_VER)
#define CW_SPA_FN static __inline
#else
#define CW_SPA_FN static
#endif

typedef unsigned char cw_spa_u8;
typedef unsigned short cw_spa_u16; /* at least 16 bits */
typedef unsigned long cw_spa_u32;  /* at least 32 bits */

#define CW_SPA_HEADER_SIZE 12
#define CW_SPA_ENTRY_SIZE 12
#define CW_SPA_RECORD_SIZE 12
#define CW_SPA_MAX_PATTERNS 12
#define CW_SPA_MAX_FRAMES 20

/* Results of the lookups. */
#define CW_SPA_OK 0
#define CW_SPA_SHORT_FILE 1 /* the file ends before its header, entries or records do */
#define CW_SPA_BAD_COUNT 2  /* more than 12 patterns, or more than 20 frames in one */
#define CW_SPA_NO_SUCH_PATTERN 3
#define CW_SPA_NO_SUCH_FRAME 4

/* Colour modes of tpage bits 7-8. */
#define CW_SPA_4BIT_CLUT 0
#define CW_SPA_8BIT_CLUT 1
#define CW_SPA_15BIT_DIRECT 2
#define CW_SPA_24BIT_DIRECT 3

/* Mirroring, as the editor's left-right and top-bottom flip boxes. */
#define CW_SPA_FLIP_H 1
#define CW_SPA_FLIP_V 2

typedef struct {
    cw_spa_u32 tpage;         /* texture-page attribute word */
    cw_spa_u32 speed;         /* 0..9 */
    cw_spa_u32 pattern_count; /* 0..12 */
} CwSpaHeader;

typedef struct {
    cw_spa_u32 offset;      /* the offset the entry gives; records are found without it */
    cw_spa_u32 frame_count; /* 0..20 */
    cw_spa_u16 base_w;      /* size of the base frame the frames are placed on */
    cw_spa_u16 base_h;
    cw_spa_u32 records; /* where the pattern's frame records really start */
} CwSpaPattern;

typedef struct {
    cw_spa_u8 correction_x; /* where the image goes on the base frame */
    cw_spa_u8 correction_y;
    cw_spa_u16 timing;
    cw_spa_u8 image_x; /* the rectangle in the texture page */
    cw_spa_u8 image_y;
    cw_spa_u16 clut;
    cw_spa_u16 image_w;
    cw_spa_u16 image_h;
} CwSpaFrame;

/* The texture page word decoded. */
typedef struct {
    cw_spa_u16 page_x;           /* frame-buffer x of the texture page: 0, 64, ... 960 */
    cw_spa_u16 page_y;           /* frame-buffer y: 0 or 256 */
    cw_spa_u8 semi_transparency; /* 0..3 */
    cw_spa_u8 colour_mode;       /* CW_SPA_4BIT_CLUT .. CW_SPA_24BIT_DIRECT */
} CwSpaTexturePage;

/* What a sprite draw call needs for one frame of a pattern whose base frame has its
 * top-left corner at (x, y) on the screen. Column i of the sprite shows texel u + i, or
 * u + w - 1 - i when flip has CW_SPA_FLIP_H (rows likewise with CW_SPA_FLIP_V). */
typedef struct {
    short x, y;      /* screen position of the sprite's top-left corner */
    cw_spa_u16 w, h; /* size of the sprite */
    cw_spa_u8 u, v;  /* texture coordinates in the page */
    cw_spa_u8 flip;  /* CW_SPA_FLIP_H / CW_SPA_FLIP_V: mirror the texture when drawing */
    cw_spa_u16 clut_x; /* frame-buffer position of the colour table */
    cw_spa_u16 clut_y;
    cw_spa_u16 page_x; /* frame-buffer position of the texture page */
    cw_spa_u16 page_y;
    cw_spa_u8 colour_mode;
    cw_spa_u8 semi_transparency;
    cw_spa_u16 tpage; /* the attribute words as the draw takes them: the texture page word */
    cw_spa_u16 clut;  /* (the file's tpage) and the frame record's CLUT word */
} CwSpaSprite;

CW_SPA_FN cw_spa_u16 cw_spa_read_u16(const cw_spa_u8 *p) {
    return (cw_spa_u16)(p[0] | ((cw_spa_u16)p[1] << 8));
}

CW_SPA_FN cw_spa_u32 cw_spa_read_u32(const cw_spa_u8 *p) {
    return (cw_spa_u32)p[0] | ((cw_spa_u32)p[1] << 8) | ((cw_spa_u32)p[2] << 16) | ((cw_spa_u32)p[3] << 24);
}

/* Checks the whole file as the editor does before opening it: the header, the
 * pattern count, the entries, every frame count, and room for all records. On
 * CW_SPA_OK, *out holds the header (out may be null). */
CW_SPA_FN int cw_spa_check(const cw_spa_u8 *data, cw_spa_u32 size, CwSpaHeader *out) {
    CwSpaHeader header;
    cw_spa_u32 p, frames, end;
    if (!data || size < CW_SPA_HEADER_SIZE) return CW_SPA_SHORT_FILE;
    header.tpage = cw_spa_read_u32(data);
    header.speed = cw_spa_read_u32(data + 4);
    header.pattern_count = cw_spa_read_u32(data + 8);
    if (header.pattern_count > CW_SPA_MAX_PATTERNS) return CW_SPA_BAD_COUNT;
    end = CW_SPA_HEADER_SIZE + header.pattern_count * CW_SPA_ENTRY_SIZE;
    if (size < end) return CW_SPA_SHORT_FILE;
    for (p = 0; p < header.pattern_count; ++p) {
        frames = cw_spa_read_u32(data + CW_SPA_HEADER_SIZE + p * CW_SPA_ENTRY_SIZE + 4);
        if (frames > CW_SPA_MAX_FRAMES) return CW_SPA_BAD_COUNT;
        end += frames * CW_SPA_RECORD_SIZE;
    }
    if (size < end) return CW_SPA_SHORT_FILE;
    if (out) *out = header;
    return CW_SPA_OK;
}

/* The header of a file that passes cw_spa_check. */
CW_SPA_FN int cw_spa_header(const cw_spa_u8 *data, cw_spa_u32 size, CwSpaHeader *out) {
    return cw_spa_check(data, size, out);
}

/* Pattern p of a file that passes cw_spa_check. */
CW_SPA_FN int cw_spa_pattern(const cw_spa_u8 *data, cw_spa_u32 size, cw_spa_u32 p, CwSpaPattern *out) {
    CwSpaHeader header;
    const cw_spa_u8 *entry;
    cw_spa_u32 q, records;
    int result = cw_spa_check(data, size, &header);
    if (result != CW_SPA_OK) return result;
    if (p >= header.pattern_count) return CW_SPA_NO_SUCH_PATTERN;
    records = CW_SPA_HEADER_SIZE + header.pattern_count * CW_SPA_ENTRY_SIZE;
    for (q = 0; q < p; ++q)
        records += cw_spa_read_u32(data + CW_SPA_HEADER_SIZE + q * CW_SPA_ENTRY_SIZE + 4) * CW_SPA_RECORD_SIZE;
    entry = data + CW_SPA_HEADER_SIZE + p * CW_SPA_ENTRY_SIZE;
    out->offset = cw_spa_read_u32(entry);
    out->frame_count = cw_spa_read_u32(entry + 4);
    out->base_w = cw_spa_read_u16(entry + 8);
    out->base_h = cw_spa_read_u16(entry + 10);
    out->records = records;
    return CW_SPA_OK;
}

/* Frame f of pattern p of a file that passes cw_spa_check. */
CW_SPA_FN int cw_spa_frame(const cw_spa_u8 *data, cw_spa_u32 size, cw_spa_u32 p, cw_spa_u32 f, CwSpaFrame *out) {
    CwSpaPattern pattern;
    const cw_spa_u8 *record;
    int result = cw_spa_pattern(data, size, p, &pattern);
    if (result != CW_SPA_OK) return result;
    if (f >= pattern.frame_count) return CW_SPA_NO_SUCH_FRAME;
    record = data + pattern.records + f * CW_SPA_RECORD_SIZE;
    out->correction_x = record[0];
    out->correction_y = record[1];
    out->timing = cw_spa_read_u16(record + 2);
    out->image_x = record[4];
    out->image_y = record[5];
    out->clut = cw_spa_read_u16(record + 6);
    out->image_w = cw_spa_read_u16(record + 8);
    out->image_h = cw_spa_read_u16(record + 10);
    return CW_SPA_OK;
}

CW_SPA_FN CwSpaTexturePage cw_spa_texture_page(cw_spa_u32 tpage) {
    CwSpaTexturePage t;
    t.page_x = (cw_spa_u16)((tpage & 0xF) * 64);
    t.page_y = (cw_spa_u16)(((tpage >> 4) & 1) * 256);
    t.semi_transparency = (cw_spa_u8)((tpage >> 5) & 3);
    t.colour_mode = (cw_spa_u8)((tpage >> 7) & 3);
    return t;
}

/* The colour table's frame-buffer position from a record's clut: x in steps of 16
 * (bits 0-5), y from bits 6-14 (0..511; bit 15 is not part of it). */
CW_SPA_FN cw_spa_u16 cw_spa_clut_x(cw_spa_u16 clut) {
    return (cw_spa_u16)((clut & 0x3F) * 16);
}
CW_SPA_FN cw_spa_u16 cw_spa_clut_y(cw_spa_u16 clut) {
    return (cw_spa_u16)((clut >> 6) & 0x1FF);
}

/* Frames stay this many ticks: (timing + 1) * (speed + 1). */
CW_SPA_FN cw_spa_u32 cw_spa_frame_ticks(const CwSpaHeader *header, const CwSpaFrame *frame) {
    return ((cw_spa_u32)frame->timing + 1) * (header->speed + 1);
}

/* Everything a sprite draw of the frame needs, with the pattern's base frame at (x, y)
 * on the screen and flip a combination of CW_SPA_FLIP_H and CW_SPA_FLIP_V. Mirrored,
 * the frame lands where the editor's running display puts it: at the mirror image of
 * its place across the base frame. */
CW_SPA_FN CwSpaSprite cw_spa_sprite(const CwSpaHeader *header, const CwSpaPattern *pattern, const CwSpaFrame *frame,
                                    short x, short y, int flip) {
    CwSpaSprite s;
    CwSpaTexturePage page = cw_spa_texture_page(header->tpage);
    long left = (long)frame->correction_x, top = (long)frame->correction_y;
    if (flip & CW_SPA_FLIP_H) left = (long)pattern->base_w - (long)frame->correction_x - (long)frame->image_w;
    if (flip & CW_SPA_FLIP_V) top = (long)pattern->base_h - (long)frame->correction_y - (long)frame->image_h;
    s.x = (short)(x + left);
    s.y = (short)(y + top);
    s.w = frame->image_w;
    s.h = frame->image_h;
    s.u = frame->image_x;
    s.v = frame->image_y;
    s.flip = (cw_spa_u8)(flip & (CW_SPA_FLIP_H | CW_SPA_FLIP_V));
    s.clut_x = cw_spa_clut_x(frame->clut);
    s.clut_y = cw_spa_clut_y(frame->clut);
    s.page_x = page.page_x;
    s.page_y = page.page_y;
    s.colour_mode = page.colour_mode;
    s.semi_transparency = page.semi_transparency;
    s.tpage = (cw_spa_u16)(header->tpage & 0x1FF);
    s.clut = frame->clut;
    return s;
}

#endif /* CELWRIGHT_SPA_H */
