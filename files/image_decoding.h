// An image file (the project's sprite sheet) decoded into a device-independent
// bitmap, with the attributes the file gives the animation data and every reason
// to refuse it. BMP files go through the system's bitmap loader, PNG files through
// the system's image decoder (GDI+), TIM files through our own decoder. The editor's
// Load image and the command-line tool both start here, so they accept, refuse and
// decode exactly the same files.
//
// A PNG becomes what the target can show. A palette image keeps its palette in the file's
// order (index 0 stays the transparent colour, as in a BMP): up to 16 colours give a 4-bit
// DIB (the 4-bit colour mode), up to 256 an 8-bit one, whatever the file's bit depth. Any
// other PNG (true colour, grey, with or without alpha, 16-bit channels) gives a 16-bit
// 5-5-5 DIB, the 15-bit colour mode, each channel cut to its top five bits; a pixel less
// than half opaque becomes 0, the transparent value. Interlaced files load as the others
// do. A PNG is held to the BMP's 256 pixels each way, judged from its header before any
// pixel is decoded.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "files/tim.h"

enum class ImageProblem {
    None,
    UnknownFormat,  // the path names none of ".bmp", ".tim" and ".png"
    CannotOpen,     // no such file, not a file on a disk, or a BMP the system loader does not read
    TooFewColours,  // a BMP of fewer than 4 bits per pixel
    TooLarge,       // a BMP or PNG wider or higher than 256 pixels
    TimRefused,     // a TIM file the decoder refuses (tim_error says why)
    PngRefused,     // a PNG file refused (png_refusal says why)
    NoBitmap,       // the bitmap could not be made (out of memory)
};

enum class PngRefusal {
    None,
    NotPng,        // the file does not start as a PNG does
    Broken,        // a header, palette or pixel data the file or the system's decoder cannot give
    FileTooLarge,  // a file beyond 16 MB, which no sheet of 256 x 256 pixels needs
    DataTooLarge,  // more compressed pixel data than the image can hold (a decompression bomb)
    NoDecoder,     // the system's image decoder (GDI+) did not start
};

struct DecodedImage {
    ImageProblem problem = ImageProblem::None;
    tim::TimError tim_error = tim::TimError::None;
    PngRefusal png_refusal = PngRefusal::None;
    // A DIB section of the file's own depth (4, 8, 16, 24 or 32 bits; a PNG's as above); the
    // caller deletes it with DeleteObject. Null whenever problem is not None.
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;  // rows, always positive
    int bits_per_pixel = 0;
    // The texture-page word the image gives; a 32-bit BMP gives none (the target has
    // no such colour mode) and leaves the project's word as it was.
    bool sets_tpage = false;
    uint32_t tpage = 0;
    uint16_t clut_attribute = 0;  // 0 for a BMP, a PNG and a TIM without a CLUT
    // A TIM places its picture and CLUT in the console's frame buffer: then placed is true
    // and frame_buffer holds the places, the CLUT rows and the pixel words as the file
    // stores them (its DIB fields stay empty: the bitmap above is that view). Other
    // formats have no place.
    bool placed = false;
    tim::TimImage frame_buffer;
};

// Reads and decodes the file; nothing else changes. path is CP932, at most 511 bytes.
// The loader is chosen by path_names_bmp, path_names_tim and path_names_png
// (files/project_data.h). A path naming more than one goes through each of them in that
// order, as the editor always has for ".bmp" and ".tim": each must take the file, and the
// last one's image is the result.
DecodedImage decode_image_file(const char* path);

// The refusal as CP932 text for a message box (a command-line tool converts it);
// "" for ImageProblem::None. CannotOpen names only the file: what follows (the
// editor offers another file) is the caller's to say.
std::string image_refusal_text(const DecodedImage& image, const char* path);

// The colour mode (tpage bits 7-8) of an image of that many bits per pixel, -1 for
// a depth the target has no mode for.
int colour_mode_for_depth(int bits_per_pixel);
