// libFuzzer target for the TIM decoder: any bytes are either refused or decoded
// into a DIB whose size matches its rows, never read or written out of bounds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "files/tim.h"
#include "tests/fuzz/reader_check.h"

namespace reader_check {

Verdict check_tim(std::span<const uint8_t> bytes) {
    const tim::TimResult r = tim::decode_tim(bytes);
    if (r.error != tim::TimError::None) return refused();
    const tim::TimImage& img = r.image;
    const bool consistent = img.width > 0 && img.width <= tim::kMaxImageSide && img.height > 0 &&
                            img.height <= tim::kMaxImageSide && img.stride % 4 == 0 &&
                            img.bits.size() == static_cast<size_t>(img.stride) * img.height &&
                            img.colour_table.size() == static_cast<size_t>(img.clut_entries) * 4 &&
                            img.clut_entries <= tim::kMaxClutEntries;
    if (!consistent) return fault(true, "the decoded image does not match its size or its CLUT");
    return read();
}

}  // namespace reader_check

CELWRIGHT_FUZZ_TARGET(reader_check::check_tim)
