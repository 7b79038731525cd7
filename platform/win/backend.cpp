// The table the window manager calls the backend through: the linked backend's own, unless
// something was installed in front of it.
#include "win/backend.h"

namespace cw::backend {

namespace {
const Functions* g_installed = nullptr;
}  // namespace

const Functions& linked() {
    return kLinkedTable;
}

const Functions& current() {
    return g_installed ? *g_installed : linked();
}

void install(const Functions* table) {
    g_installed = table;
}

}  // namespace cw::backend
