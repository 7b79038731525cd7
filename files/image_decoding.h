// An image file (the project's sprite sheet) decoded into a device-independent
// bitmap, with the attributes the file gives the animation data and every reason
// to refuse it. BMP files go through the system's bitmap loader, TIM files through
// our own decoder. The editor's Load image and the command-line tool both start
// here, so they accept, refuse and decode exactly the same files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "files/tim.h"

enum class ImageProblem {
    None,
    UnknownFormat,  // the path names neither ".bmp" nor ".tim"
    CannotOpen,     // no such file, not a file on a disk, or a BMP the system loader does not read
    TooFewColours,  // a BMP of fewer than 4 bits per pixel
    TooLarge,       // a BMP wider or higher than 256 pixels
    TimRefused,     // a TIM file the decoder refuses (tim_error says why)
    NoBitmap,       // the bitmap could not be made (out of memory)
};

struct DecodedImage {
    ImageProblem problem = ImageProblem::None;
    tim::TimError tim_error = tim::TimError::None;
    // A DIB section of the file's own depth (4, 8, 16, 24 or 32 bits); the caller
    // deletes it with DeleteObject. Null whenever problem is not None.
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;  // rows, always positive
    int bits_per_pixel = 0;
    // The texture-page word the image gives; a 32-bit BMP gives none (the target has
    // no such colour mode) and leaves the project's word as it was.
    bool sets_tpage = false;
    uint32_t tpage = 0;
    uint16_t clut_attribute = 0;  // 0 for a BMP and for a TIM without a CLUT
    // A TIM places its picture and CLUT in the console's frame buffer: then placed is true
    // and frame_buffer holds the places, the CLUT rows and the pixel words as the file
    // stores them (its DIB fields stay empty: the bitmap above is that view). Other
    // formats have no place.
    bool placed = false;
    tim::TimImage frame_buffer;
};

// Reads and decodes the file; nothing else changes. path is CP932, at most 511 bytes.
// The loader is chosen by path_names_bmp and path_names_tim (files/project_data.h);
// a path naming both must hold a BMP the system loader reads and is then read as a
// TIM, as the editor always has.
DecodedImage decode_image_file(const char* path);

// The refusal as CP932 text for a message box (a command-line tool converts it);
// "" for ImageProblem::None. CannotOpen names only the file: what follows (the
// editor offers another file) is the caller's to say.
std::string image_refusal_text(const DecodedImage& image, const char* path);

// The colour mode (tpage bits 7-8) of an image of that many bits per pixel, -1 for
// a depth the target has no mode for.
int colour_mode_for_depth(int bits_per_pixel);
