// Projects the clipboard scenarios copy from, in this editor or in a second one.
#pragma once

#include <string>
#include <vector>

#include "harness.h"
#include "playback_support.h"

namespace clipboard_test {

// IDD_ADD_PATTERN making a pattern of the given frame labels.
inline std::string pattern_of(const std::string& name, const std::vector<std::string>& frames) {
    std::string s = "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  set IDC_PATTERN_NAME \"" + name +
                    "\"\n  updown IDC_FRAME_COUNT_SPIN " + std::to_string(frames.size()) +
                    "\n  click IDC_FRAME_COUNT_APPLY\n";
    for (size_t i = 0; i < frames.size(); ++i)
        s += "  listedit " + std::to_string(i) + " \"" + frames[i] + "\"\n";
    return s + "  click IDOK\nend\n";
}

// A new project with pattern "walk": three frames, the first showing the green cell, the
// second the 32 x 32 square of red, green, green and blue, the third the top row of red,
// green and blue; a timing and a correction offset on the second and a 4x zoom. Its base
// frame is 48 x 32.
inline std::string walk() {
    using namespace playback_test;
    return "resize main 900 1000\n" + new_project() + pattern_of("walk", {"stand", "ｼﾞｬﾝﾌﾟ", "land"}) +
           cell(0, 0, 1, 0) + frame_set(0, 1, 0, 0, 32, 32) + frame_set(0, 2, 0, 0, 48, 16) +
           "tree select frame 0 1\nset IDC_TIMING \"7\"\n" + drag_frame(0, 4, 0) +
           "on menu\n  choose ID_ZOOM_4X4\nend\nrclick pattern 0 5 5\n";
}

}  // namespace clipboard_test
