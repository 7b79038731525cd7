// The last-error code every call of the layer that fails leaves, as the system's calls do. A
// file of its own: the text conversions set it too, and the readers built alone for fuzzing
// link those without the rest of the file calls.
#include <windows.h>

namespace {

DWORD g_last_error = 0;

}  // namespace

DWORD GetLastError() {
    return g_last_error;
}

void SetLastError(DWORD code) {
    g_last_error = code;
}
