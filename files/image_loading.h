// Loading the project's one image, a BMP, TIM or PNG file, into the working image
// surfaces; it also sets tpage and the current CLUT attribute from the file and
// shows the image window with a fresh view.
#pragma once

struct DecodedImage;
struct SheetSource;

// path: NUL-terminated, at most 511 bytes. Failures have shown their message.
bool load_image(const char* path);

// The same for an image already decoded from path (files/image_decoding.h): a refused one
// is shown as load_image shows it, one that cannot be opened offers another file. The
// image's bitmap is deleted.
bool load_decoded_image(DecodedImage& image, const char* path);

// The message that refuses an image (its problem is neither None nor CannotOpen).
void show_image_refusal(const DecodedImage& image, const char* path);

// The working image as the console's frame buffer would hold it (files/console_sheet.h), from
// the last image loaded; not loaded before the first.
const SheetSource& working_sheet();
