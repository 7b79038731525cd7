// The tool's picture files: animated GIF through giflib, PNG through libpng, and the
// write that leaves nothing behind on a failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// Pixels as the running display leaves them: rows top first, 0x00RRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> xrgb;
};

// Black, the colour of pixel value 0: the working image's transparent colour and the
// default background of the base frame, so transparent in every picture the tool writes.
inline constexpr uint32_t kTransparentColour = 0x000000;

// GIF delays in hundredths of a second for frames that last the given numbers of ticks
// of 1/rate s. Each delay is rounded so that the running total stays within half a
// hundredth of the true time, and a loop lasts what the ticks add up to.
std::vector<int> gif_delays(const std::vector<uint32_t>& ticks, int rate);

// An animated GIF of equal-sized pictures that loops for ever. Colour index 0 is the
// transparent black; every frame covers the whole picture and is cleared before the
// next. More than 255 other colours are reduced by giflib's quantizer. Empty on failure,
// with *error saying why.
std::vector<uint8_t> encode_gif(const std::vector<Picture>& frames, const std::vector<int>& delays,
                                std::string* error);

// An 8-bit RGBA PNG; black pixels are fully transparent unless black_transparent is
// false, all others opaque.
std::vector<uint8_t> encode_png(const Picture& picture, std::string* error, bool black_transparent = true);

// Writes bytes to path (UTF-8) through a temporary file beside it, so that a failure
// leaves no file and no part of one; an existing file is replaced only when the new
// one is complete.
bool write_output(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

}  // namespace cli
