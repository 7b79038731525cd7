// DirectDraw: only the interface names the project tables hold so far; the
// objects themselves arrive with the software surfaces of the display layer.
#pragma once
#include "windows.h"

struct IDirectDraw;
struct IDirectDrawSurface;
struct IDirectDrawClipper;
typedef IDirectDraw* LPDIRECTDRAW;
typedef IDirectDrawSurface* LPDIRECTDRAWSURFACE;
typedef IDirectDrawClipper* LPDIRECTDRAWCLIPPER;

// Blit effects record; only the size, raster operation and fill colour are used.
typedef struct _DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    BYTE reserved_between[80 - 12];
    DWORD dwFillColor;
    BYTE reserved_after[100 - 84];
} DDBLTFX;
static_assert(sizeof(DDBLTFX) == 100, "DDBLTFX is a 100-byte record");
static_assert(offsetof(DDBLTFX, dwROP) == 8, "raster operation at offset 8");
static_assert(offsetof(DDBLTFX, dwFillColor) == 80, "fill colour at offset 80");

#define SRCCOPY 0x00CC0020
#define SRCINVERT 0x00660046
