#include "gdi/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace cw::gdi {

namespace {

bool read_contents(int fd, size_t max_bytes, std::vector<uint8_t>* out) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (static_cast<uint64_t>(st.st_size) > max_bytes) return false;
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

}  // namespace

bool read_regular_file(const std::string& path, size_t max_bytes, std::vector<uint8_t>* out) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool read_whole = read_contents(fd, max_bytes, out);
    close(fd);
    return read_whole;
}

}  // namespace cw::gdi
