// Loading the project's one image, a BMP or a TIM file, into the working image
// surfaces; it also sets tpage and the current CLUT attribute from the file and
// shows the image window with a fresh view.
#pragma once

// path: NUL-terminated, at most 511 bytes. Failures have shown their message.
bool load_image(const char* path);
