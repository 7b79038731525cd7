// libFuzzer target for the BMP decoder: any bytes must decode or be refused without
// reading outside them, and a decoded image must be self-consistent.
#include <cstddef>
#include <cstdint>
#include <span>

#include "gdi/bmp_decoder.h"
#include "tests/fuzz/reader_check.h"

namespace reader_check {

Verdict check_bmp(std::span<const uint8_t> bytes) {
    cw::gdi::BmpError error = cw::gdi::BmpError::None;
    const auto decoded = cw::gdi::decode_bmp(bytes, &error);
    if (!decoded) {
        if (error == cw::gdi::BmpError::None) return fault(false, "refused without saying why");
        return refused();
    }
    if (error != cw::gdi::BmpError::None) return fault(true, "decoded and reported an error");
    const size_t rows = static_cast<size_t>(decoded->row_count());
    if (decoded->width <= 0 || rows == 0 ||
        decoded->rows.size() != rows * static_cast<size_t>(decoded->stride))
        return fault(true, "the rows do not match the decoded size");
    if (decoded->bit_count <= 8 && decoded->colors.size() != (size_t{1} << decoded->bit_count))
        return fault(true, "the colour table does not have 1 << bit_count entries");
    return read();
}

}  // namespace reader_check

CELWRIGHT_FUZZ_TARGET(reader_check::check_bmp)
