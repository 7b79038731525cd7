// Files dropped from the desktop: WM_DROPFILES with an HDROP that DragQueryFile reads.
#include "win/drop.h"

#include <cstring>
#include <set>

#include "text/cp932.h"
#include "win/backend.h"

namespace cw::win {

namespace {

struct Drop {
    std::vector<std::string> paths;  // CP932
    POINT point;
};

std::set<Drop*>& drops() {
    static std::set<Drop*> d;
    return d;
}

Drop* drop_from(HDROP h) {
    auto* d = reinterpret_cast<Drop*>(h);
    return drops().count(d) ? d : nullptr;
}

}  // namespace

void post_drop(Window* w, const std::vector<std::string>& paths, POINT point) {
    auto* d = new Drop;
    for (const std::string& p : paths) d->paths.push_back(cw::text::utf8_to_cp932(p));
    d->point = point;
    drops().insert(d);
    post(w->handle, WM_DROPFILES, reinterpret_cast<WPARAM>(d), 0);
}

int live_drops() {
    return static_cast<int>(drops().size());
}

}  // namespace cw::win

using cw::win::Window;

UINT DragQueryFileA(HDROP h, UINT index, LPSTR buffer, UINT size) {
    cw::win::Drop* d = cw::win::drop_from(h);
    if (!d) return 0;
    if (index == 0xFFFFFFFF) return static_cast<UINT>(d->paths.size());
    if (index >= d->paths.size()) return 0;
    const std::string& p = d->paths[index];
    if (!buffer) return static_cast<UINT>(p.size());
    if (size == 0) return 0;
    cw::text::copy_truncated(buffer, size, p);
    return static_cast<UINT>(std::strlen(buffer));
}

void DragFinish(HDROP h) {
    cw::win::Drop* d = cw::win::drop_from(h);
    if (!d) return;
    cw::win::drops().erase(d);
    delete d;
}

void DragAcceptFiles(HWND hwnd, BOOL accept) {
    Window* w = cw::win::window_from(hwnd);
    if (!w) return;
    if (accept)
        w->ex_style |= WS_EX_ACCEPTFILES;
    else
        w->ex_style &= ~WS_EX_ACCEPTFILES;
    if (w->view) cw::backend::sync_geometry(w);
}
