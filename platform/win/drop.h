// Files dropped from the desktop arrive as WM_DROPFILES with an HDROP.
#pragma once

#include <string>
#include <vector>

#include "win/window.h"

namespace cw::win {

// paths: file system paths (UTF-8); point: client coordinates of the drop.
void post_drop(Window* w, const std::vector<std::string>& paths, POINT point);
int live_drops();  // drops not yet finished with DragFinish

}  // namespace cw::win
