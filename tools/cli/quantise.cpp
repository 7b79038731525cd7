#include "quantise.h"

#include <libimagequant.h>

#include <vector>

namespace cli {

namespace {

constexpr uint16_t kTransparent = 0x0000;
// Five bits a channel are all the console keeps: finer colours only waste palette entries.
constexpr int kConsoleBitsDropped = 3;

uint32_t colour_of(const SheetPixels& p, size_t i) {
    if (!p.indexed) return p.rgb[i];
    return p.indices[i] < p.palette.size() ? p.palette[p.indices[i]] : 0;
}

// libimagequant's objects, released together whichever way quantise ends.
struct Quantiser {
    liq_attr* attr = liq_attr_create();
    liq_image* image = nullptr;
    liq_result* result = nullptr;
    Quantiser() = default;
    Quantiser(const Quantiser&) = delete;
    Quantiser& operator=(const Quantiser&) = delete;
    ~Quantiser() {
        if (result) liq_result_destroy(result);
        if (image) liq_image_destroy(image);
        if (attr) liq_attr_destroy(attr);
    }
};

// The drawn palette entry nearest to the colour (r, g, b, a); entry 0 when there is none.
uint8_t nearest_drawn(const liq_palette& palette, const uint8_t* rgba) {
    uint8_t best = 0;
    long best_distance = -1;
    for (unsigned i = 0; i < palette.count; ++i) {
        const liq_color& c = palette.entries[i];
        if (c.a < 128) continue;
        const long dr = c.r - rgba[0], dg = c.g - rgba[1], db = c.b - rgba[2];
        const long distance = dr * dr + dg * dg + db * db;
        if (best_distance < 0 || distance < best_distance) {
            best = static_cast<uint8_t>(i);
            best_distance = distance;
        }
    }
    return best;
}

}  // namespace

bool quantise(const SheetPixels& picture, int colours, const ConsoleColours& console, SheetPixels& out,
              std::string* error) {
    const size_t n = static_cast<size_t>(picture.width) * picture.height;
    // The transparent pixels go in with alpha 0, so that they keep an entry of their own.
    std::vector<uint8_t> rgba(n * 4);
    std::vector<bool> clear(n);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = colour_of(picture, i);
        clear[i] = console_word(c, console) == kTransparent;
        rgba[4 * i] = static_cast<uint8_t>(c >> 16);
        rgba[4 * i + 1] = static_cast<uint8_t>(c >> 8);
        rgba[4 * i + 2] = static_cast<uint8_t>(c);
        rgba[4 * i + 3] = clear[i] ? 0 : 255;
    }
    Quantiser q;
    if (!q.attr || liq_set_max_colors(q.attr, colours) != LIQ_OK ||
        liq_set_min_posterization(q.attr, kConsoleBitsDropped) != LIQ_OK) {
        *error = "libimagequant could not start";
        return false;
    }
    q.image = liq_image_create_rgba(q.attr, rgba.data(), picture.width, picture.height, 0);
    if (!q.image || liq_image_quantize(q.image, q.attr, &q.result) != LIQ_OK ||
        liq_set_dithering_level(q.result, 0) != LIQ_OK) {
        *error = "libimagequant could not make a palette of " + std::to_string(colours) + " colours";
        return false;
    }
    out = SheetPixels{};
    out.width = picture.width;
    out.height = picture.height;
    out.indexed = true;
    out.indices.resize(n);
    if (liq_write_remapped_image(q.result, q.image, out.indices.data(), n) != LIQ_OK) {
        *error = "libimagequant could not map the picture onto its palette";
        return false;
    }
    const liq_palette* palette = liq_get_palette(q.result);
    for (unsigned i = 0; i < palette->count; ++i) {
        const liq_color& c = palette->entries[i];
        uint32_t rgb = static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b;
        // An entry of drawn pixels must not become the transparent word: pure black is
        // written as the darkest colour that is not black, which the console draws as black.
        if (c.a >= 128 && console_word(rgb, console) == kTransparent) rgb = 0x000001;
        if (c.a < 128) rgb = 0;
        out.palette.push_back(rgb);
    }
    // A drawn pixel mapped onto a clear entry, or a clear one onto a drawn entry, would
    // change what the console shows: the clear ones all take the first clear entry, a
    // drawn one on a clear entry the nearest drawn entry.
    int clear_entry = -1;
    for (size_t i = 0; i < out.palette.size() && clear_entry < 0; ++i)
        if (palette->entries[i].a < 128) clear_entry = static_cast<int>(i);
    for (size_t i = 0; i < n; ++i) {
        const bool on_clear = palette->entries[out.indices[i]].a < 128;
        if (clear[i] && clear_entry >= 0)
            out.indices[i] = static_cast<uint8_t>(clear_entry);
        else if (!clear[i] && on_clear)
            out.indices[i] = nearest_drawn(*palette, &rgba[4 * i]);
    }
    return true;
}

}  // namespace cli
