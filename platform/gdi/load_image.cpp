// LoadImageA for bitmap files: the file's DIB as a DIB section of its own depth.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "gdi/bmp_decoder.h"
#include "gdi/objects.h"
#include "text/cp932.h"

namespace cw::gdi {

namespace {

// Reads the whole of a regular file. Anything else is no bitmap file: a FIFO or a device is
// opened without waiting for a writer and refused at once.
bool read_contents(int fd, std::vector<uint8_t>* out) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // Nothing the decoder accepts is larger than its pixel cap plus headers and a table.
    if (static_cast<uint64_t>(st.st_size) > kMaxBmpPixelBytes + (1u << 20)) return false;
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) return false;
    out->resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < out->size()) {
        const ssize_t n = read(fd, out->data() + done, out->size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;  // cut short while it was read
        done += static_cast<size_t>(n);
    }
    return true;
}

bool read_file(const std::string& path, std::vector<uint8_t>* out) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool read_whole = read_contents(fd, out);
    close(fd);
    return read_whole;
}

}  // namespace

HBITMAP dib_section_from(const DecodedBmp& d) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = d.width;
    h.biHeight = d.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(d.bit_count);
    h.biCompression = d.bit_count == 16 || d.bit_count == 32 ? BI_BITFIELDS : BI_RGB;
    h.biClrUsed = static_cast<DWORD>(d.colors.size());
    Bitmap* b = create_dib(h, d.masks, d.colors.data(), static_cast<int>(d.colors.size()));
    if (!b) return nullptr;
    const PixelBuffer px = b->buffer();
    for (int y = 0; y < d.row_count(); ++y)
        std::memcpy(px.row(y), d.rows.data() + static_cast<size_t>(y) * d.stride,
                    static_cast<size_t>(d.stride));
    return b;
}

}  // namespace cw::gdi

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int, int, UINT flags) {
    // Only bitmap files are loaded; resources of the program come from its own tables.
    if (type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE) || !name) return nullptr;
    std::vector<uint8_t> bytes;
    if (!cw::gdi::read_file(cw::text::cp932_to_utf8(name), &bytes)) return nullptr;
    const auto decoded = cw::gdi::decode_bmp(bytes);
    if (!decoded) return nullptr;
    return cw::gdi::dib_section_from(*decoded);
}
