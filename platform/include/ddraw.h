// DirectDraw: objects, surfaces, clippers and blits, with the SDK's records,
// flags and result codes. Interfaces are called as in C++ COM: surface->Blt(...).
#pragma once
#include "windows.h"

#ifndef CW_GUID_DEFINED
#define CW_GUID_DEFINED
typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
#endif

#ifndef S_OK
#define S_OK ((HRESULT)0)
#endif
#ifndef E_NOTIMPL
#define E_NOTIMPL ((HRESULT)0x80004001L)
#endif
#ifndef SUCCEEDED
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif

struct IDirectDraw;
struct IDirectDrawSurface;
struct IDirectDrawClipper;
typedef IDirectDraw* LPDIRECTDRAW;
typedef IDirectDrawSurface* LPDIRECTDRAWSURFACE;
typedef IDirectDrawClipper* LPDIRECTDRAWCLIPPER;

// ---- records ------------------------------------------------------------------
typedef struct _DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
} DDCOLORKEY, *LPDDCOLORKEY;

typedef struct _DDSCAPS {
    DWORD dwCaps;
} DDSCAPS, *LPDDSCAPS;

typedef struct _DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    union {
        DWORD dwRGBBitCount;
        DWORD dwYUVBitCount;
        DWORD dwZBufferBitDepth;
        DWORD dwAlphaBitDepth;
    };
    union {
        DWORD dwRBitMask;
        DWORD dwYBitMask;
    };
    union {
        DWORD dwGBitMask;
        DWORD dwUBitMask;
    };
    union {
        DWORD dwBBitMask;
        DWORD dwVBitMask;
    };
    union {
        DWORD dwRGBAlphaBitMask;
        DWORD dwYUVAlphaBitMask;
    };
} DDPIXELFORMAT, *LPDDPIXELFORMAT;
static_assert(sizeof(DDPIXELFORMAT) == 32, "DDPIXELFORMAT is a 32-byte record");

// The surface description keeps its 32-bit layout of 108 bytes in every build. Surface
// memory is never handed out (there is no Lock), so the pointer slot of the SDK's record
// is a plain 32-bit field here and is always 0.
typedef struct _DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    union {
        LONG lPitch;
        DWORD dwLinearSize;
    };
    DWORD dwBackBufferCount;
    union {
        DWORD dwMipMapCount;
        DWORD dwZBufferBitDepth;
        DWORD dwRefreshRate;
    };
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    DWORD lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
} DDSURFACEDESC, *LPDDSURFACEDESC;
static_assert(sizeof(DDSURFACEDESC) == 108, "DDSURFACEDESC is a 108-byte record");
static_assert(offsetof(DDSURFACEDESC, ddckCKSrcBlt) == 64, "source blit key at offset 64");
static_assert(offsetof(DDSURFACEDESC, ddpfPixelFormat) == 72, "pixel format at offset 72");
static_assert(offsetof(DDSURFACEDESC, ddsCaps) == 104, "capabilities at offset 104");

// Blit effects record; only the size, raster operation and fill colour are used.
typedef struct _DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    BYTE reserved_between[80 - 12];
    DWORD dwFillColor;
    BYTE reserved_after[100 - 84];
} DDBLTFX, *LPDDBLTFX;
static_assert(sizeof(DDBLTFX) == 100, "DDBLTFX is a 100-byte record");
static_assert(offsetof(DDBLTFX, dwROP) == 8, "raster operation at offset 8");
static_assert(offsetof(DDBLTFX, dwFillColor) == 80, "fill colour at offset 80");

// ---- flags ----------------------------------------------------------------------
#define DDSD_CAPS 0x00000001l
#define DDSD_HEIGHT 0x00000002l
#define DDSD_WIDTH 0x00000004l
#define DDSD_PITCH 0x00000008l
#define DDSD_BACKBUFFERCOUNT 0x00000020l
#define DDSD_LPSURFACE 0x00000800l
#define DDSD_PIXELFORMAT 0x00001000l
#define DDSD_CKDESTOVERLAY 0x00002000l
#define DDSD_CKDESTBLT 0x00004000l
#define DDSD_CKSRCOVERLAY 0x00008000l
#define DDSD_CKSRCBLT 0x00010000l

#define DDSCAPS_BACKBUFFER 0x00000004l
#define DDSCAPS_COMPLEX 0x00000008l
#define DDSCAPS_FLIP 0x00000010l
#define DDSCAPS_OFFSCREENPLAIN 0x00000040l
#define DDSCAPS_PRIMARYSURFACE 0x00000200l
#define DDSCAPS_SYSTEMMEMORY 0x00000800l
#define DDSCAPS_VIDEOMEMORY 0x00004000l

#define DDPF_ALPHAPIXELS 0x00000001l
#define DDPF_PALETTEINDEXED8 0x00000020l
#define DDPF_RGB 0x00000040l

#define DDBLT_ASYNC 0x00000200l
#define DDBLT_COLORFILL 0x00000400l
#define DDBLT_DDFX 0x00000800l
#define DDBLT_KEYDEST 0x00002000l
#define DDBLT_KEYDESTOVERRIDE 0x00004000l
#define DDBLT_KEYSRC 0x00008000l
#define DDBLT_KEYSRCOVERRIDE 0x00010000l
#define DDBLT_ROP 0x00020000l
#define DDBLT_WAIT 0x01000000l

#define DDCKEY_COLORSPACE 0x00000001l
#define DDCKEY_DESTBLT 0x00000002l
#define DDCKEY_DESTOVERLAY 0x00000004l
#define DDCKEY_SRCBLT 0x00000008l
#define DDCKEY_SRCOVERLAY 0x00000010l

#define DDSCL_FULLSCREEN 0x00000001l
#define DDSCL_ALLOWREBOOT 0x00000002l
#define DDSCL_NOWINDOWCHANGES 0x00000004l
#define DDSCL_NORMAL 0x00000008l
#define DDSCL_EXCLUSIVE 0x00000010l

// ---- result codes -----------------------------------------------------------------
#define MAKE_DDHRESULT(code) ((HRESULT)(0x88760000u | (code)))
#define DD_OK ((HRESULT)0)
#define DD_FALSE ((HRESULT)1)
#define DDERR_GENERIC ((HRESULT)0x80004005u)
#define DDERR_UNSUPPORTED ((HRESULT)0x80004001u)
#define DDERR_INVALIDPARAMS ((HRESULT)0x80070057u)
#define DDERR_OUTOFMEMORY ((HRESULT)0x8007000Eu)
#define DDERR_INCOMPATIBLEPRIMARY MAKE_DDHRESULT(95)
#define DDERR_INVALIDCAPS MAKE_DDHRESULT(100)
#define DDERR_INVALIDOBJECT MAKE_DDHRESULT(130)
#define DDERR_INVALIDPIXELFORMAT MAKE_DDHRESULT(145)
#define DDERR_INVALIDRECT MAKE_DDHRESULT(150)
#define DDERR_NOALPHAHW MAKE_DDHRESULT(180)
#define DDERR_NOCOOPERATIVELEVELSET MAKE_DDHRESULT(212)
#define DDERR_NOCOLORKEY MAKE_DDHRESULT(215)
#define DDERR_NOEXCLUSIVEMODE MAKE_DDHRESULT(225)
#define DDERR_NOFLIPHW MAKE_DDHRESULT(230)
#define DDERR_NOZBUFFERHW MAKE_DDHRESULT(340)
#define DDERR_OUTOFVIDEOMEMORY MAKE_DDHRESULT(380)
#define DDERR_SURFACELOST MAKE_DDHRESULT(450)
#define DDERR_NODIRECTDRAWHW MAKE_DDHRESULT(563)
#define DDERR_PRIMARYSURFACEALREADYEXISTS MAKE_DDHRESULT(564)
#define DDERR_NOEMULATION MAKE_DDHRESULT(565)
#define DDERR_UNSUPPORTEDMODE MAKE_DDHRESULT(590)
#define DDERR_NOMIPMAPHW MAKE_DDHRESULT(591)
#define DDERR_DCALREADYCREATED MAKE_DDHRESULT(620)

// ---- interfaces ------------------------------------------------------------------
// Objects are reference counted as in COM: each Create hands out one reference,
// AddRef adds one, Release drops one and returns what remains; at 0 the object goes.
struct IDirectDrawClipper {
    virtual HRESULT SetHWnd(DWORD flags, HWND hwnd) = 0;
    virtual HRESULT GetHWnd(HWND* hwnd) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IDirectDrawClipper() = default;
};

struct IDirectDrawSurface {
    virtual HRESULT Blt(RECT* dst, LPDIRECTDRAWSURFACE src, RECT* srcRect, DWORD flags, DDBLTFX* fx) = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) = 0;
    virtual HRESULT GetPixelFormat(DDPIXELFORMAT* format) = 0;
    virtual HRESULT IsLost() = 0;
    virtual HRESULT Restore() = 0;
    virtual HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IDirectDrawSurface() = default;
};

struct IDirectDraw {
    virtual HRESULT CreateSurface(DDSURFACEDESC* desc, LPDIRECTDRAWSURFACE* surface, void* outer) = 0;
    virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags) = 0;
    virtual HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, void* outer) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IDirectDraw() = default;
};

// driver: nullptr for the display driver; outer must be nullptr.
HRESULT DirectDrawCreate(GUID* driver, LPDIRECTDRAW* ddraw, void* outer);
