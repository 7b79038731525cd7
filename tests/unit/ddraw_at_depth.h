// A DirectDraw object at one display depth (the test's parameter, in bits per pixel) and the
// offscreen surfaces a test makes with it, all released when the test ends.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <vector>

#include "ddraw/surfaces.h"

class DirectDrawAtDepth : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        cw::ddraw::set_surface_bits_per_pixel(GetParam());
        ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
        ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    }
    void TearDown() override {
        for (LPDIRECTDRAWSURFACE s : made_) s->Release();
        if (dd_) dd_->Release();
        cw::ddraw::set_surface_bits_per_pixel(0);
    }
    // An offscreen surface in system memory, in the display's format.
    LPDIRECTDRAWSURFACE offscreen(DWORD w, DWORD h) {
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        d.dwWidth = w;
        d.dwHeight = h;
        LPDIRECTDRAWSURFACE s = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
        if (s) made_.push_back(s);
        return s;
    }

    LPDIRECTDRAW dd_ = nullptr;
    std::vector<LPDIRECTDRAWSURFACE> made_;
};
