// DirectDraw objects, surfaces and clippers, all in system memory. A primary surface
// has no pixels of its own: a blit to it through a clipper bound to a window lands in
// that window's client pixels.
#include <algorithm>
#include <unordered_set>
#include <vector>

#include "ddraw/surfaces.h"
#include "gdi/blit.h"
#include "gdi/bmp_decoder.h"
#include "gdi/objects.h"
#include "win/backend.h"
#include "win/window.h"

namespace cw::ddraw {

namespace {

using cw::gdi::PixelBuffer;
using cw::gdi::PixelFormat;

int g_surface_bpp_override = 0;

class Clipper;
class Surface;

std::unordered_set<Surface*>& live_surfaces() {
    static std::unordered_set<Surface*> s;
    return s;
}

// COM reference counting shared by the three kinds of object.
template <class Interface>
class Counted : public Interface {
  public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        const ULONG left = --refs_;
        if (left == 0) destroy();
        return left;
    }

  protected:
    virtual void destroy() = 0;
    virtual ~Counted() = default;

  private:
    ULONG refs_ = 1;
};

class Clipper final : public Counted<IDirectDrawClipper> {
  public:
    HRESULT SetHWnd(DWORD flags, HWND hwnd) override {
        if (flags != 0 || (hwnd && !cw::win::window_from(hwnd))) return DDERR_INVALIDPARAMS;
        hwnd_ = hwnd;
        return DD_OK;
    }
    HRESULT GetHWnd(HWND* hwnd) override {
        if (!hwnd) return DDERR_INVALIDPARAMS;
        *hwnd = hwnd_;
        return DD_OK;
    }
    HWND hwnd() const { return hwnd_; }

  private:
    void destroy() override { delete this; }
    HWND hwnd_ = nullptr;
};

class DirectDraw;

class Surface final : public Counted<IDirectDrawSurface> {
  public:
    Surface(DirectDraw* owner, bool primary, int width, int height, PixelFormat format, DWORD caps)
        : owner_(owner), primary_(primary), width_(width), height_(height), format_(format), caps_(caps) {
        if (!primary) {
            stride_ = static_cast<int>((static_cast<int64_t>(width) * format.bpp / 8 + 3) & ~int64_t{3});
            bits_.assign(static_cast<size_t>(stride_) * height, 0);
        }
        live_surfaces().insert(this);
    }

    HRESULT Blt(RECT* dst, LPDIRECTDRAWSURFACE src, RECT* src_rect, DWORD flags, DDBLTFX* fx) override;
    HRESULT GetDC(HDC* dc) override {
        if (!dc) return DDERR_INVALIDPARAMS;
        *dc = nullptr;
        if (lost_) return DDERR_SURFACELOST;
        if (primary_) return DDERR_UNSUPPORTED;  // the desktop's pixels are not offered
        if (dc_) return DDERR_DCALREADYCREATED;
        dc_ = cw::gdi::create_pixels_dc(pixels());
        *dc = dc_;
        return DD_OK;
    }
    HRESULT ReleaseDC(HDC dc) override {
        if (!dc || dc != dc_) return DDERR_INVALIDPARAMS;
        cw::gdi::destroy_dc(dc_);
        dc_ = nullptr;
        return DD_OK;
    }
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override {
        if (flags != DDCKEY_SRCBLT) return DDERR_UNSUPPORTED;  // only source blit keys of one value
        if (!key) {
            keyed_ = false;
            return DD_OK;
        }
        if (key->dwColorSpaceLowValue != key->dwColorSpaceHighValue) return DDERR_UNSUPPORTED;
        keyed_ = true;
        key_ = key->dwColorSpaceLowValue;
        return DD_OK;
    }
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override {
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        *desc = DDSURFACEDESC{};
        desc->dwSize = sizeof(DDSURFACEDESC);
        desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT |
                        (keyed_ ? DDSD_CKSRCBLT : 0);
        desc->dwWidth = static_cast<DWORD>(width_);
        desc->dwHeight = static_cast<DWORD>(height_);
        desc->lPitch = primary_ ? width_ * ((format_.bpp + 7) / 8) : stride_;
        desc->ddckCKSrcBlt = DDCOLORKEY{key_, key_};
        GetPixelFormat(&desc->ddpfPixelFormat);
        desc->ddsCaps.dwCaps = caps_;
        return DD_OK;
    }
    HRESULT GetPixelFormat(DDPIXELFORMAT* f) override {
        if (!f) return DDERR_INVALIDPARAMS;
        *f = DDPIXELFORMAT{};
        f->dwSize = sizeof(DDPIXELFORMAT);
        f->dwFlags = DDPF_RGB | (format_.indexed ? DDPF_PALETTEINDEXED8 : 0);
        f->dwRGBBitCount = static_cast<DWORD>(format_.bpp);
        if (!format_.indexed)
            f->dwRBitMask = format_.red, f->dwGBitMask = format_.green, f->dwBBitMask = format_.blue;
        return DD_OK;
    }
    HRESULT IsLost() override { return lost_ ? DDERR_SURFACELOST : DD_OK; }
    HRESULT Restore() override {
        lost_ = false;
        return DD_OK;
    }
    HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override {
        auto* next = static_cast<Clipper*>(clipper);
        if (next) next->AddRef();
        if (clipper_) clipper_->Release();
        clipper_ = next;
        return DD_OK;
    }

    PixelBuffer pixels() {
        PixelBuffer b;
        if (primary_) return b;
        b.width = width_;
        b.height = height_;
        b.top = bits_.data();
        b.pitch = stride_;
        b.format = format_;
        if (format_.indexed) b.palette = cw::gdi::display_palette(), b.palette_size = 256;
        return b;
    }
    bool primary() const { return primary_; }
    void lose() { lost_ = primary_; }
    void orphan() { owner_ = nullptr; }

  private:
    void destroy() override;

    DirectDraw* owner_;
    const bool primary_;
    const int width_, height_;
    const PixelFormat format_;
    const DWORD caps_;
    int stride_ = 0;
    std::vector<uint8_t> bits_;
    bool keyed_ = false;
    DWORD key_ = 0;
    bool lost_ = false;
    HDC dc_ = nullptr;
    Clipper* clipper_ = nullptr;
};

class DirectDraw final : public Counted<IDirectDraw> {
  public:
    HRESULT CreateSurface(DDSURFACEDESC* desc, LPDIRECTDRAWSURFACE* out, void* outer) override;
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags) override {
        // Windowed use only: a full-screen mode would change the display for everyone.
        if (flags & (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)) return DDERR_NOEXCLUSIVEMODE;
        if (!(flags & DDSCL_NORMAL) || (hwnd && !cw::win::window_from(hwnd))) return DDERR_INVALIDPARAMS;
        cooperative_ = true;
        return DD_OK;
    }
    HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* out, void* outer) override {
        if (!out || outer || flags != 0) return DDERR_INVALIDPARAMS;
        *out = new Clipper;
        return DD_OK;
    }
    void forget(Surface* s) {
        surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), s), surfaces_.end());
        if (s == primary_) primary_ = nullptr;
    }

  private:
    void destroy() override {
        for (Surface* s : surfaces_) s->orphan();
        delete this;
    }
    bool cooperative_ = false;
    Surface* primary_ = nullptr;
    std::vector<Surface*> surfaces_;
};

void Surface::destroy() {
    if (dc_) cw::gdi::destroy_dc(dc_);
    if (clipper_) clipper_->Release();
    if (owner_) owner_->forget(this);
    live_surfaces().erase(this);
    delete this;
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC* desc, LPDIRECTDRAWSURFACE* out, void* outer) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC) || outer) return DDERR_INVALIDPARAMS;
    if (!cooperative_) return DDERR_NOCOOPERATIVELEVELSET;
    const DWORD caps = desc->dwFlags & DDSD_CAPS ? desc->ddsCaps.dwCaps : DDSCAPS_OFFSCREENPLAIN;
    if (caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_BACKBUFFER)) return DDERR_INVALIDCAPS;
    PixelFormat format = cw::gdi::display_format(surface_bits_per_pixel());
    Surface* s = nullptr;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
        if (primary_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
        s = new Surface(this, true, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), format,
                        DDSCAPS_PRIMARYSURFACE);
        primary_ = s;
    } else {
        if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
            return DDERR_INVALIDPARAMS;
        const DWORD w = desc->dwWidth, h = desc->dwHeight;
        if (w == 0 || h == 0) return DDERR_INVALIDPARAMS;
        if (desc->dwFlags & DDSD_PIXELFORMAT) {
            const DDPIXELFORMAT& pf = desc->ddpfPixelFormat;
            const DWORD bpp = pf.dwRGBBitCount;
            if (!(pf.dwFlags & DDPF_RGB)) return DDERR_INVALIDPIXELFORMAT;
            if (pf.dwFlags & DDPF_PALETTEINDEXED8 && bpp == 8)
                format = cw::gdi::display_format(8);
            else if ((bpp == 16 || bpp == 24 || bpp == 32) && !(pf.dwFlags & DDPF_PALETTEINDEXED8))
                format = cw::gdi::masked_format(static_cast<int>(bpp), pf.dwRBitMask, pf.dwGBitMask,
                                                pf.dwBBitMask);
            else
                return DDERR_INVALIDPIXELFORMAT;
            if (bpp == 24 && !(format == cw::gdi::bgr24_format())) return DDERR_INVALIDPIXELFORMAT;
        }
        if (w > static_cast<DWORD>(cw::gdi::kMaxBmpDimension) ||
            h > static_cast<DWORD>(cw::gdi::kMaxBmpDimension) ||
            static_cast<uint64_t>(w) * h * (format.bpp / 8) > cw::gdi::kMaxBmpPixelBytes)
            return DDERR_OUTOFMEMORY;
        s = new Surface(this, false, static_cast<int>(w), static_cast<int>(h), format,
                        (caps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY);
    }
    surfaces_.push_back(s);
    if (desc->dwFlags & DDSD_CKSRCBLT) s->SetColorKey(DDCKEY_SRCBLT, &desc->ddckCKSrcBlt);
    *out = s;
    return DD_OK;
}

// The top byte of a window's pixels, which shows them opaque.
constexpr uint32_t kOpaque = 0xFF000000u;

bool ordered(const RECT& r) {
    return r.left < r.right && r.top < r.bottom;
}
bool inside(const RECT& r, int w, int h) {
    return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h;
}

HRESULT Surface::Blt(RECT* dst_rect, LPDIRECTDRAWSURFACE src_if, RECT* src_rect, DWORD flags, DDBLTFX* fx) {
    constexpr DWORD kSupported = DDBLT_WAIT | DDBLT_ASYNC | DDBLT_COLORFILL | DDBLT_KEYSRC;
    if (flags & ~kSupported) return DDERR_UNSUPPORTED;
    if (lost_) return DDERR_SURFACELOST;
    const bool fill = flags & DDBLT_COLORFILL;
    if (fill && (!fx || fx->dwSize != sizeof(DDBLTFX))) return DDERR_INVALIDPARAMS;
    auto* src = static_cast<Surface*>(src_if);
    if (!fill && (!src || !live_surfaces().count(src))) return DDERR_INVALIDPARAMS;
    if (!fill && src->lost_) return DDERR_SURFACELOST;
    if (!fill && src->primary_) return DDERR_UNSUPPORTED;  // the desktop cannot be read back
    // A copy never crosses from one DirectDraw object's surfaces to another's.
    if (!fill && src->owner_ != owner_) return E_NOTIMPL;

    const RECT whole{0, 0, width_, height_};
    const RECT d = dst_rect ? *dst_rect : whole;
    if (!ordered(d)) return DDERR_INVALIDRECT;
    RECT s{};
    if (!fill) {
        s = src_rect ? *src_rect : RECT{0, 0, src->width_, src->height_};
        if (!ordered(s) || !inside(s, src->width_, src->height_)) return DDERR_INVALIDRECT;
    }

    // Where the pixels go: this surface's own memory, or the clipper's window.
    PixelBuffer target = pixels();
    RECT where = d;
    RECT clip = whole;
    cw::win::Window* window = nullptr;
    if (primary_) {
        const HWND hwnd = clipper_ ? clipper_->hwnd() : nullptr;
        window = hwnd ? cw::win::window_from(hwnd) : nullptr;
        if (!window) return inside(d, width_, height_) ? DD_OK : DDERR_INVALIDRECT;  // nothing shows it
        // A hidden window has no visible region: its clipper lets nothing through.
        if (!IsWindowVisible(hwnd)) return DD_OK;
        const cw::backend::ScreenPixels sp = cw::backend::window_pixels(window);
        target.width = sp.width;
        target.height = sp.height;
        target.top = reinterpret_cast<uint8_t*>(sp.xrgb);
        target.pitch = sp.stride;
        target.format = cw::gdi::xrgb32_format();
        POINT origin{0, 0};
        ClientToScreen(hwnd, &origin);
        where = RECT{d.left - origin.x, d.top - origin.y, d.right - origin.x, d.bottom - origin.y};
        clip = cw::gdi::bounds_of(target);
    } else if (!clipper_ && !inside(d, width_, height_)) {
        return DDERR_INVALIDRECT;
    }

    if (fill) {
        uint32_t raw = fx->dwFillColor;
        if (primary_) {
            PixelBuffer display;
            display.format = format_;
            if (format_.indexed) display.palette = cw::gdi::display_palette(), display.palette_size = 256;
            raw = cw::gdi::rgb_to_raw(target, cw::gdi::raw_to_rgb(display, raw)) | kOpaque;
        }
        cw::gdi::fill_raw(target, cw::gdi::intersect(where, clip), raw);
    } else {
        const PixelBuffer from = src->pixels();
        cw::gdi::Blit b;
        b.dst = &target;
        b.dst_rect = where;
        b.src = &from;
        b.src_rect = s;
        b.clip = clip;
        b.keyed = (flags & DDBLT_KEYSRC) && src->keyed_;  // a source without a key is copied whole
        b.key = src->key_;
        if (window) b.set_bits = kOpaque;
        cw::gdi::blit(b);
    }
    if (window) cw::backend::window_pixels_changed(window, cw::gdi::intersect(where, clip));
    return DD_OK;
}

}  // namespace

void display_changed() {
    for (Surface* s : live_surfaces()) s->lose();
}

int surface_bits_per_pixel() {
    return g_surface_bpp_override ? g_surface_bpp_override : cw::backend::display_bits_per_pixel();
}

void set_surface_bits_per_pixel(int bpp) {
    g_surface_bpp_override = bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32 ? bpp : 0;
}

PixelBuffer surface_pixels(LPDIRECTDRAWSURFACE surface) {
    auto* s = static_cast<Surface*>(surface);
    return s && live_surfaces().count(s) ? s->pixels() : PixelBuffer{};
}

}  // namespace cw::ddraw

HRESULT DirectDrawCreate(GUID* driver, LPDIRECTDRAW* out, void* outer) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (driver || outer) return DDERR_INVALIDPARAMS;  // only the display driver exists
    *out = new cw::ddraw::DirectDraw;
    return DD_OK;
}
