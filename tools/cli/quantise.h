// A palette for a sprite sheet with more colours than its mode's CLUT holds, made by
// libimagequant.
#pragma once

#include <string>

#include "files/console_sheet.h"

namespace cli {

// The picture with at most `colours` colours, as indices into a palette of its own. The
// pixels the console would make transparent stay out of the palette's reach: they share
// one entry of black, and no other pixel lands on it. No dithering, so flat areas of a
// sprite stay flat; the same picture gives the same palette every time. False with
// *error set when libimagequant refuses.
bool quantise(const SheetPixels& picture, int colours, const ConsoleColours& console, SheetPixels& out,
              std::string* error);

}  // namespace cli
