// DirectDraw result codes by name. Two of the texts end in a colon: that is how
// users have always seen them, so they stay.
#include "display/ddraw_errors.h"

#include <cstdint>
#include <cstdio>

namespace {

struct ErrorName {
    uint32_t code;
    const char* name;
};

constexpr ErrorName kNames[] = {
    {0x8876005F, "DDERR_INCOMPATIBLEPRIMARY"},
    {0x88760064, "DDERR_INVALIDCAPS"},
    {0x88760082, "DDERR_INVALIDOBJECT"},
    {0x80070057, "DDERR_INVALIDPARAMS"},
    {0x88760091, "DDERR_INVALIDPIXELFORMAT"},
    {0x887600B4, "DDERR_NOALPHAHW"},
    {0x887600D4, "DDERR_NOCOOPERATIVELEVELSET"},
    {0x88760233, "DDERR_NODIRECTDRAWHW"},
    {0x88760235, "DDERR_NOEMULATION:"},
    {0x887600E1, "DDERR_NOEXCLUSIVEMODE:"},
    {0x887600E6, "DDERR_NOFLIPHW"},
    {0x8876024F, "DDERR_NOMIPMAPHW"},
    {0x88760154, "DDERR_NOZBUFFERHW"},
    {0x8007000E, "DDERR_OUTOFMEMORY"},
    {0x8876017C, "DDERR_OUTOFVIDEOMEMORY"},
    {0x88760234, "DDERR_PRIMARYSURFACEALREADYEXISTS"},
    {0x8876024E, "DDERR_UNSUPPORTEDMODE"},
};

constexpr char kUnknown[] = "DDERR_UNKNOWN";

}  // namespace

const char* ddraw_error_name(HRESULT code) {
    for (const ErrorName& e : kNames)
        if (e.code == static_cast<uint32_t>(code)) return e.name;
    return kUnknown;
}

void ddraw_error_report(HWND owner, HRESULT code) {
    if (code == 0) return;
    char text[64];
    const char* name = ddraw_error_name(code);
    if (name == kUnknown) {
        // An unknown code is shown with its number, so that it can still be looked up.
        std::snprintf(text, sizeof text, "%s (0x%08X)", name, static_cast<unsigned>(code));
    } else {
        std::snprintf(text, sizeof text, "%s", name);
    }
    MessageBoxA(owner, text, "DirectDraw:CreateSurface Error!", MB_OK | MB_ICONERROR);
}
