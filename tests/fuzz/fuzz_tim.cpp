// libFuzzer target for the TIM decoder: any bytes are either refused or decoded
// into a DIB whose size matches its rows and frame-buffer words that match their
// places, never read or written out of bounds; what is decoded is written again as a
// file that decodes to the same words.
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
    const bool words_fit = img.words.size() == static_cast<size_t>(img.width_words) * img.height &&
                           img.clut.size() == static_cast<size_t>(img.clut_entries) * img.clut_rows;
    if (!words_fit)
        return fault(true, "the frame-buffer words do not match the picture's or the CLUT's size");
    const tim::TimResult again = tim::decode_tim(tim::encode_tim(img));
    if (again.error != tim::TimError::None || again.image.words != img.words ||
        again.image.clut != img.clut || again.image.bits != img.bits || again.image.tpage != img.tpage)
        return fault(true, "the picture written again does not decode to the same words");
    return read();
}

}  // namespace reader_check

CELWRIGHT_FUZZ_TARGET(reader_check::check_tim)
