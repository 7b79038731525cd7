// libFuzzer target for the TIM decoder: any bytes are either refused or decoded
// into a DIB whose size matches its rows, never read or written out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "files/tim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tim::TimResult r = tim::decode_tim(std::span<const uint8_t>(data, size));
    if (r.error != tim::TimError::None) return 0;
    const tim::TimImage& img = r.image;
    const bool consistent = img.width > 0 && img.width <= tim::kMaxImageSide && img.height > 0 &&
                            img.height <= tim::kMaxImageSide && img.stride % 4 == 0 &&
                            img.bits.size() == static_cast<size_t>(img.stride) * img.height &&
                            img.colour_table.size() == static_cast<size_t>(img.clut_entries) * 4 &&
                            img.clut_entries <= tim::kMaxClutEntries;
    if (!consistent) std::abort();
    return 0;
}
