/* Reads an animation data file through sdk/celwright_spa.h, as a game would, and
 * prints everything the header gives, one fact a line, so that a test can compare it
 * with what the editor's own reader loads from the same file. Built as C89 with
 * warnings as errors. */
#include <stdio.h>

#include "celwright_spa.h"

static cw_spa_u8 file_bytes[65536];

static void dump_frame(const CwSpaHeader *h, const CwSpaPattern *pattern, cw_spa_u32 p, cw_spa_u32 f,
                       const CwSpaFrame *r) {
    int flip;
    printf("frame %lu %lu %u %u %u %u %u %u %u %u %u %u %lu\n", p, f, r->correction_x, r->correction_y, r->timing,
           r->image_x, r->image_y, r->clut, r->image_w, r->image_h, cw_spa_clut_x(r->clut), cw_spa_clut_y(r->clut),
           cw_spa_frame_ticks(h, r));
    for (flip = 0; flip < 4; ++flip) {
        CwSpaSprite s = cw_spa_sprite(h, pattern, r, 100, 50, flip);
        printf("sprite %lu %lu %d %d %d %u %u %u %u %u\n", p, f, flip, s.x, s.y, s.w, s.h, s.u, s.v, s.flip);
    }
}

int main(int argc, char **argv) {
    FILE *file;
    cw_spa_u32 size, p, f;
    CwSpaHeader h;
    CwSpaTexturePage page;
    CwSpaPattern pattern;
    CwSpaFrame frame;
    int result;
    if (argc != 2) {
        fprintf(stderr, "usage: spa_dump FILE.spa\n");
        return 2;
    }
    file = fopen(argv[1], "rb");
    if (!file) {
        fprintf(stderr, "spa_dump: cannot open %s\n", argv[1]);
        return 2;
    }
    size = (cw_spa_u32)fread(file_bytes, 1, sizeof file_bytes, file);
    fclose(file);
    result = cw_spa_check(file_bytes, size, &h);
    printf("check %d\n", result);
    if (result != CW_SPA_OK) {
        /* Every lookup refuses a file the check refuses. */
        printf("lookup %d %d %d\n", cw_spa_header(file_bytes, size, &h), cw_spa_pattern(file_bytes, size, 0, &pattern),
               cw_spa_frame(file_bytes, size, 0, 0, &frame));
        return 0;
    }
    page = cw_spa_texture_page(h.tpage);
    printf("header %lu %lu %lu\n", h.tpage, h.speed, h.pattern_count);
    printf("page %u %u %u %u\n", page.page_x, page.page_y, page.semi_transparency, page.colour_mode);
    for (p = 0; p < h.pattern_count; ++p) {
        result = cw_spa_pattern(file_bytes, size, p, &pattern);
        printf("pattern %lu %d %lu %u %u\n", p, result, pattern.frame_count, pattern.base_w, pattern.base_h);
        for (f = 0; f < pattern.frame_count; ++f) {
            result = cw_spa_frame(file_bytes, size, p, f, &frame);
            if (result != CW_SPA_OK) printf("frame %lu %lu failed %d\n", p, f, result);
            else dump_frame(&h, &pattern, p, f, &frame);
        }
        printf("beyond %lu %d\n", p, cw_spa_frame(file_bytes, size, p, pattern.frame_count, &frame));
    }
    printf("beyond pattern %d\n", cw_spa_pattern(file_bytes, size, h.pattern_count, &pattern));
    return 0;
}
