// GDI+: the subset of its flat API that decodes an image file into a bitmap and hands out
// its pixels. As in the SDK, every name stands in namespace Gdiplus and the flat functions
// in Gdiplus::DllExports, so the same calls compile against either header.
#pragma once
#include "windows.h"

namespace Gdiplus {

#define WINGDIPAPI WINAPI
#define GDIPCONST const

typedef float REAL;
typedef DWORD ARGB;
typedef INT PixelFormat;

typedef enum GpStatus {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
    ProfileNotFound = 21
} GpStatus;
typedef GpStatus Status;

// ---- pixel formats ------------------------------------------------------------------------
#define PixelFormatIndexed ((INT)0x00010000)
#define PixelFormatGDI ((INT)0x00020000)
#define PixelFormatAlpha ((INT)0x00040000)
#define PixelFormatPAlpha ((INT)0x00080000)
#define PixelFormatExtended ((INT)0x00100000)
#define PixelFormatCanonical ((INT)0x00200000)
#define PixelFormatUndefined ((INT)0)
#define PixelFormatDontCare ((INT)0)
#define PixelFormat1bppIndexed ((INT)(1 | (1 << 8) | PixelFormatIndexed | PixelFormatGDI))
#define PixelFormat4bppIndexed ((INT)(2 | (4 << 8) | PixelFormatIndexed | PixelFormatGDI))
#define PixelFormat8bppIndexed ((INT)(3 | (8 << 8) | PixelFormatIndexed | PixelFormatGDI))
#define PixelFormat16bppGrayScale ((INT)(4 | (16 << 8) | PixelFormatExtended))
#define PixelFormat16bppRGB555 ((INT)(5 | (16 << 8) | PixelFormatGDI))
#define PixelFormat16bppRGB565 ((INT)(6 | (16 << 8) | PixelFormatGDI))
#define PixelFormat16bppARGB1555 ((INT)(7 | (16 << 8) | PixelFormatAlpha | PixelFormatGDI))
#define PixelFormat24bppRGB ((INT)(8 | (24 << 8) | PixelFormatGDI))
#define PixelFormat32bppRGB ((INT)(9 | (32 << 8) | PixelFormatGDI))
#define PixelFormat32bppARGB \
    ((INT)(10 | (32 << 8) | PixelFormatAlpha | PixelFormatGDI | PixelFormatCanonical))
#define PixelFormat32bppPARGB ((INT)(11 | (32 << 8) | PixelFormatAlpha | PixelFormatPAlpha | PixelFormatGDI))
#define PixelFormat48bppRGB ((INT)(12 | (48 << 8) | PixelFormatExtended))
#define PixelFormat64bppARGB \
    ((INT)(13 | (64 << 8) | PixelFormatAlpha | PixelFormatCanonical | PixelFormatExtended))
#define PixelFormat64bppPARGB \
    ((INT)(14 | (64 << 8) | PixelFormatAlpha | PixelFormatPAlpha | PixelFormatExtended))
#define PixelFormatMax ((INT)15)

inline UINT GetPixelFormatSize(PixelFormat format) {
    return (static_cast<UINT>(format) >> 8) & 0xFF;
}
inline BOOL IsIndexedPixelFormat(PixelFormat format) {
    return (format & PixelFormatIndexed) != 0;
}
inline BOOL IsAlphaPixelFormat(PixelFormat format) {
    return (format & PixelFormatAlpha) != 0;
}

typedef enum PaletteFlags {
    PaletteFlagsHasAlpha = 0x0001,
    PaletteFlagsGrayScale = 0x0002,
    PaletteFlagsHalftone = 0x0004
} PaletteFlags;

// A palette of Count entries; the structure is allocated with room for all of them
// (GdipGetImagePaletteSize says how much).
typedef struct ColorPalette {
    UINT Flags;
    UINT Count;
    ARGB Entries[1];
} ColorPalette;

// ---- locking a bitmap's pixels --------------------------------------------------------------
typedef enum ImageLockMode {
    ImageLockModeRead = 0x0001,
    ImageLockModeWrite = 0x0002,
    ImageLockModeUserInputBuf = 0x0004
} ImageLockMode;

typedef struct BitmapData {
    UINT Width;
    UINT Height;
    INT Stride;  // bytes from one row to the next; the first row is the top one
    INT PixelFormat;
    VOID* Scan0;
    UINT_PTR Reserved;
} BitmapData;

struct Rect {
    INT X, Y, Width, Height;
    Rect() : X(0), Y(0), Width(0), Height(0) {}
    Rect(INT x, INT y, INT width, INT height) : X(x), Y(y), Width(width), Height(height) {}
};
typedef Rect GpRect;

// The objects of the flat API are opaque: a caller holds pointers to them only.
class GpImage {};
class GpBitmap : public GpImage {};

// ---- start-up -------------------------------------------------------------------------------
typedef VOID(WINAPI* DebugEventProc)(INT level, CHAR* message);

typedef struct GdiplusStartupInput {
    UINT32 GdiplusVersion;
    DebugEventProc DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
    GdiplusStartupInput(DebugEventProc callback = NULL, BOOL suppress_background_thread = FALSE,
                        BOOL suppress_external_codecs = FALSE)
        : GdiplusVersion(1),
          DebugEventCallback(callback),
          SuppressBackgroundThread(suppress_background_thread),
          SuppressExternalCodecs(suppress_external_codecs) {}
} GdiplusStartupInput;

typedef Status(WINAPI* NotificationHookProc)(ULONG_PTR* token);
typedef VOID(WINAPI* NotificationUnhookProc)(ULONG_PTR token);

typedef struct GdiplusStartupOutput {
    NotificationHookProc NotificationHook;
    NotificationUnhookProc NotificationUnhook;
    GdiplusStartupOutput() : NotificationHook(NULL), NotificationUnhook(NULL) {}
} GdiplusStartupOutput;

Status WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                             GdiplusStartupOutput* output);
VOID WINAPI GdiplusShutdown(ULONG_PTR token);

// ---- the flat API ---------------------------------------------------------------------------
namespace DllExports {

// The file's first image as a bitmap of the pixel format the decoder gives it. A file that
// does not exist or holds no image the decoder reads gives InvalidParameter.
GpStatus WINGDIPAPI GdipCreateBitmapFromFile(GDIPCONST WCHAR* filename, GpBitmap** bitmap);
GpStatus WINGDIPAPI GdipDisposeImage(GpImage* image);
GpStatus WINGDIPAPI GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus WINGDIPAPI GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus WINGDIPAPI GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
GpStatus WINGDIPAPI GdipGetImagePaletteSize(GpImage* image, INT* size);
GpStatus WINGDIPAPI GdipGetImagePalette(GpImage* image, ColorPalette* palette, INT size);
GpStatus WINGDIPAPI GdipBitmapLockBits(GpBitmap* bitmap, GDIPCONST GpRect* rect, UINT flags,
                                       PixelFormat format, BitmapData* locked);
GpStatus WINGDIPAPI GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* locked);

}  // namespace DllExports

}  // namespace Gdiplus
