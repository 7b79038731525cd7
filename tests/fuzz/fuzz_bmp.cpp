// libFuzzer target for the BMP decoder: any bytes must decode or be refused without
// reading outside them, and a decoded image must be self-consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "gdi/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto decoded = cw::gdi::decode_bmp(std::span<const uint8_t>(data, size));
    if (!decoded) return 0;
    const size_t rows = static_cast<size_t>(decoded->row_count());
    if (decoded->width <= 0 || rows == 0 ||
        decoded->rows.size() != rows * static_cast<size_t>(decoded->stride))
        std::abort();
    if (decoded->bit_count <= 8 && decoded->colors.size() != (size_t{1} << decoded->bit_count)) std::abort();
    return 0;
}
