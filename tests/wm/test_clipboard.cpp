// The clipboard and global memory as the program relies on them: registered formats, the
// open/empty/set/get/close rules, who may free a block, and blocks that travel to and from
// the desktop's clipboard through the backend (here the null one, in process memory).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "win/backend.h"

namespace {

std::vector<uint8_t> bytes_of(HGLOBAL h) {
    const auto* p = static_cast<const uint8_t*>(GlobalLock(h));
    std::vector<uint8_t> out(p, p + GlobalSize(h));
    GlobalUnlock(h);
    return out;
}

HGLOBAL block_with(const std::vector<uint8_t>& bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, bytes.size());
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

class Clipboard : public ::testing::Test {
  protected:
    void SetUp() override {
        static const bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = "TEST_CLIPBOARD";
            return RegisterClassA(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        CloseClipboard();
        cw::backend::clipboard_put({});
        first_ = window();
        second_ = window();
    }
    void TearDown() override {
        CloseClipboard();
        DestroyWindow(first_);
        DestroyWindow(second_);
    }
    static HWND window() {
        return CreateWindowExA(0, "TEST_CLIPBOARD", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    }
    // Open, empty, set one block, close, as a copy does; the block handed over.
    HGLOBAL copy(UINT format, const std::vector<uint8_t>& bytes) {
        HGLOBAL h = block_with(bytes);
        EXPECT_TRUE(OpenClipboard(first_));
        EXPECT_TRUE(EmptyClipboard());
        EXPECT_EQ(SetClipboardData(format, h), h);
        EXPECT_TRUE(CloseClipboard());
        return h;
    }
    HWND first_ = nullptr;
    HWND second_ = nullptr;
};

}  // namespace

TEST(GlobalMemory, BlocksKeepTheirSizeZeroedContentsAndLockCount) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 908);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 908u);
    auto* p = static_cast<uint8_t*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 908), std::vector<uint8_t>(908, 0));
    // A second lock gives the same memory; unlocking reports whether a lock remains.
    EXPECT_EQ(GlobalLock(h), p);
    EXPECT_TRUE(GlobalUnlock(h));
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    EXPECT_EQ(GlobalFree(h), nullptr);
    // A freed block is no block any more.
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalFree(h), h);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(GlobalMemory, FixedBlocksAreTheirMemoryAndImpossibleRequestsAreRefused) {
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 16);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(GlobalLock(fixed), fixed);
    GlobalUnlock(fixed);
    EXPECT_EQ(GlobalFree(fixed), nullptr);
    EXPECT_EQ(GlobalAlloc(0x0800 /* a flag no caller here uses */, 16), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_MAX), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    // An empty moveable block exists but has no memory to lock.
    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GlobalLock(empty), nullptr);
    EXPECT_EQ(GlobalFree(empty), nullptr);
}

TEST(ClipboardFormats, OneIdPerNameWhateverItsCaseFrom0xC000) {
    const UINT pattern = RegisterClipboardFormatA("CLIP_PATTERN");
    const UINT frame = RegisterClipboardFormatA("CLIP_FRAME");
    EXPECT_GE(pattern, 0xC000u);
    EXPECT_LE(pattern, 0xFFFFu);
    EXPECT_NE(pattern, frame);
    EXPECT_EQ(RegisterClipboardFormatA("CLIP_PATTERN"), pattern);
    EXPECT_EQ(RegisterClipboardFormatA("clip_Pattern"), pattern);
    // Only letters fold: two double-byte names that differ in the case of a trail byte's
    // ASCII look-alike are different names.
    EXPECT_NE(RegisterClipboardFormatA("\x83\x41"), RegisterClipboardFormatA("\x83\x61"));
    EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
    EXPECT_EQ(RegisterClipboardFormatA(nullptr), 0u);
    EXPECT_EQ(RegisterClipboardFormatA(std::string(256, 'X').c_str()), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_NE(RegisterClipboardFormatA(std::string(255, 'X').c_str()), 0u);
}

TEST_F(Clipboard, OneWindowAtATimeHasItOpen) {
    EXPECT_FALSE(OpenClipboard(reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    ASSERT_TRUE(OpenClipboard(first_));
    EXPECT_TRUE(OpenClipboard(first_));
    EXPECT_FALSE(OpenClipboard(second_));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_TRUE(OpenClipboard(second_));
    EXPECT_TRUE(CloseClipboard());
    // Nothing may be done to a clipboard that is not open.
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_FALSE(EmptyClipboard());
    HGLOBAL h = block_with({1, 2, 3});
    const UINT format = RegisterClipboardFormatA("CLIP_FRAME");
    EXPECT_EQ(SetClipboardData(format, h), nullptr);
    EXPECT_EQ(GetClipboardData(format), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    // The block was not taken: it is still the caller's to free.
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST_F(Clipboard, ACopiedBlockIsReadBackByteForByteAndBelongsToTheClipboard) {
    const UINT format = RegisterClipboardFormatA("CLIP_PATTERN");
    std::vector<uint8_t> bytes(908);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    HGLOBAL placed = copy(format, bytes);
    EXPECT_EQ(GlobalFree(placed), placed) << "the clipboard owns what it was given";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(IsClipboardFormatAvailable(format));
    EXPECT_FALSE(IsClipboardFormatAvailable(RegisterClipboardFormatA("CLIP_FRAME")));
    EXPECT_FALSE(IsClipboardFormatAvailable(0xBFFF));
    // What the desktop holds is the block as it was set, under the name as registered.
    EXPECT_EQ(cw::backend::clipboard_names(), std::vector<std::string>{"CLIP_PATTERN"});
    EXPECT_EQ(cw::backend::clipboard_read("CLIP_PATTERN"), bytes);

    ASSERT_TRUE(OpenClipboard(second_));
    HANDLE got = GetClipboardData(format);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(GetClipboardData(format), got) << "one handle per format while it is open";
    EXPECT_EQ(bytes_of(got), bytes);
    EXPECT_EQ(GlobalFree(got), got);
    ASSERT_TRUE(CloseClipboard());
    // The clipboard freed what it handed out when it was closed, and still holds the block.
    EXPECT_EQ(GlobalSize(got), 0u);
    ASSERT_TRUE(OpenClipboard(first_));
    EXPECT_EQ(bytes_of(GetClipboardData(format)), bytes);
    CloseClipboard();
}

TEST_F(Clipboard, EmptyingReplacesEverythingAndSettingAFormatAgainKeepsTheLast) {
    const UINT pattern = RegisterClipboardFormatA("CLIP_PATTERN");
    const UINT frame = RegisterClipboardFormatA("CLIP_FRAME");
    copy(pattern, {1, 1, 1});
    ASSERT_TRUE(OpenClipboard(first_));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(pattern));
    EXPECT_TRUE(cw::backend::clipboard_names().empty());
    SetClipboardData(frame, block_with({2}));
    SetClipboardData(frame, block_with({3, 3}));
    SetClipboardData(pattern, block_with({4}));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(cw::backend::clipboard_read("CLIP_FRAME"), (std::vector<uint8_t>{3, 3}));
    EXPECT_EQ(cw::backend::clipboard_read("CLIP_PATTERN"), (std::vector<uint8_t>{4}));
}

TEST_F(Clipboard, OnlyAWindowThatEmptiedItMayPutDataOnIt) {
    const UINT format = RegisterClipboardFormatA("CLIP_FRAME");
    copy(format, {9});
    HGLOBAL h = block_with({1});
    // Not emptied in this opening: the clipboard is not this window's to add to.
    ASSERT_TRUE(OpenClipboard(first_));
    EXPECT_EQ(SetClipboardData(format, h), nullptr);
    CloseClipboard();
    // Opened without a window, emptying leaves the clipboard without an owner to hold data.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_EQ(SetClipboardData(format, h), nullptr);
    EXPECT_EQ(SetClipboardData(format, nullptr), nullptr);
    CloseClipboard();
    EXPECT_FALSE(IsClipboardFormatAvailable(format));
    EXPECT_EQ(GlobalFree(h), nullptr) << "a refused block stays the caller's";
}

TEST_F(Clipboard, WhatAnotherProgramPutsThereIsFoundUnderTheRegisteredName) {
    const UINT pattern = RegisterClipboardFormatA("CLIP_PATTERN");
    const UINT frame = RegisterClipboardFormatA("CLIP_FRAME");
    copy(frame, {5, 5});
    // Another program takes the clipboard and spells the name its own way.
    cw::backend::clipboard_put({{"clip_pattern", {7, 8, 9}}, {"text/plain", {'x'}}});
    EXPECT_FALSE(IsClipboardFormatAvailable(frame));
    EXPECT_TRUE(IsClipboardFormatAvailable(pattern));
    ASSERT_TRUE(OpenClipboard(first_));
    EXPECT_EQ(GetClipboardData(frame), nullptr);
    HANDLE got = GetClipboardData(pattern);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(bytes_of(got), (std::vector<uint8_t>{7, 8, 9}));
    CloseClipboard();
    // An empty block is a block of no bytes, with nothing to lock.
    cw::backend::clipboard_put({{"CLIP_FRAME", {}}});
    ASSERT_TRUE(OpenClipboard(first_));
    HANDLE empty = GetClipboardData(frame);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GlobalSize(empty), 0u);
    EXPECT_EQ(GlobalLock(empty), nullptr);
    CloseClipboard();
}
