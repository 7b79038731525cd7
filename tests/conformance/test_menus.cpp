// Menus as the program uses them: its menu bars loaded from the resources, recent-file items
// inserted into and deleted from the File popups by command through the menu bar, check marks
// and grey items, and texts read by command.
#include <cstring>
#include <string>

#include "conformance.h"
#include "res/resource.h"

namespace {

HMENU load(int id) {
    return LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

std::string text_of(HMENU menu, UINT item, UINT flags) {
    char buffer[128] = {};
    GetMenuStringA(menu, item, buffer, sizeof buffer, flags);
    return buffer;
}

void insert_before(HMENU menu, UINT before, UINT id, const char* text) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | (text ? MIIM_STRING : 0);
    info.fType = text ? MFT_STRING : MFT_SEPARATOR;
    info.wID = id;
    info.dwTypeData = const_cast<char*>(text);
    CHECK(InsertMenuItemA(menu, before, FALSE, &info));
}

constexpr UINT kMissing = static_cast<UINT>(-1);

}  // namespace

CONFORMANCE_CASE(MenuBarsHoldTheScriptsItemsAndStates) {
    HMENU bar = load(IDR_NO_PROJECT_MENU);
    CHECK(bar != nullptr);
    CHECK_EQ(GetMenuItemCount(bar), 5);
    CHECK_TEXT(text_of(bar, 0, MF_BYPOSITION), "ﾌｧｲﾙ(&F)");
    CHECK_TEXT(text_of(bar, 1, MF_BYPOSITION), "編集(&E)");
    CHECK_TEXT(text_of(bar, 4, MF_BYPOSITION), "ﾍﾙﾌﾟ(&H)");
    // A popup reports MF_POPUP and its item count in the high byte; an item without one its id.
    const UINT file_state = GetMenuState(bar, 0, MF_BYPOSITION);
    CHECK(file_state & MF_POPUP);
    CHECK_EQ(file_state >> 8, 6);
    CHECK_EQ(GetMenuItemID(bar, 0), kMissing);
    CHECK_EQ(GetMenuItemID(bar, 2), ID_VIEW_GREYED);
    CHECK_EQ(GetMenuState(bar, 2, MF_BYPOSITION), MF_GRAYED);

    HMENU file = GetSubMenu(bar, 0);
    CHECK(file != nullptr);
    CHECK(GetSubMenu(bar, 2) == nullptr);
    CHECK_EQ(GetMenuItemCount(file), 6);
    const UINT ids[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_FILE_SAVE, 0, ID_FILE_EXIT};
    for (int i = 0; i < 6; ++i) CHECK_EQ(GetMenuItemID(file, i), ids[i]);
    // A separator of the script is a separator (the system may also report it greyed).
    CHECK_EQ(GetMenuState(file, 4, MF_BYPOSITION) & (MF_SEPARATOR | MF_POPUP | MF_CHECKED), MF_SEPARATOR);
    CHECK_EQ(GetMenuState(file, ID_FILE_NEW, MF_BYCOMMAND), MF_ENABLED);
    // By command, the bar answers for the items of its popups.
    CHECK_EQ(GetMenuState(bar, ID_FILE_SAVE_AS, MF_BYCOMMAND), MF_GRAYED);
    CHECK_EQ(GetMenuState(bar, ID_EDIT_ADD_PATTERN, MF_BYCOMMAND), MF_GRAYED);
    CHECK_EQ(GetMenuState(bar, ID_WINDOW_CASCADE, MF_BYCOMMAND), kMissing);
    CHECK_TEXT(text_of(bar, ID_FILE_EXIT, MF_BYCOMMAND), "終了");

    HMENU zoom = GetSubMenu(load(IDR_ZOOM_MENU), 0);
    CHECK_EQ(GetMenuItemCount(zoom), 6);
    CHECK_EQ(GetMenuState(zoom, ID_ZOOM_1X1, MF_BYCOMMAND), MF_CHECKED);
    CHECK_EQ(GetMenuState(zoom, ID_ZOOM_2X2, MF_BYCOMMAND), MF_UNCHECKED);
    CHECK_TEXT(text_of(zoom, ID_ZOOM_32X32, MF_BYCOMMAND), "32×32");
    DestroyMenu(bar);
}

// The recent-files items go into the File popup through the menu bar, by command.
CONFORMANCE_CASE(ItemsInsertedAndDeletedByCommandThroughTheBar) {
    HMENU bar = load(IDR_PATTERN_MENU);
    HMENU file = GetSubMenu(bar, 0);
    insert_before(bar, ID_FILE_EXIT, ID_FILE_RECENT_SEPARATOR, nullptr);
    insert_before(bar, ID_FILE_RECENT_SEPARATOR, ID_FILE_RECENT_FIRST, "C:\\anim\\walk.cwp");
    insert_before(bar, ID_FILE_RECENT_FIRST, ID_FILE_RECENT_FIRST + 1, "C:\\表\\run.cwp");
    CHECK_EQ(GetMenuItemCount(bar), 5);
    CHECK_EQ(GetMenuItemCount(file), 9);
    const UINT ids[] = {ID_FILE_NEW,
                        ID_FILE_OPEN,
                        ID_FILE_SAVE_AS,
                        ID_FILE_SAVE,
                        0,
                        ID_FILE_RECENT_FIRST + 1,
                        ID_FILE_RECENT_FIRST,
                        ID_FILE_RECENT_SEPARATOR,
                        ID_FILE_EXIT};
    for (int i = 0; i < 9; ++i) CHECK_EQ(GetMenuItemID(file, i), ids[i]);
    // A separator with an id is found by it, as an item.
    CHECK_EQ(GetMenuState(bar, ID_FILE_RECENT_SEPARATOR, MF_BYCOMMAND), MF_SEPARATOR);
    CHECK_TEXT(text_of(bar, ID_FILE_RECENT_FIRST + 1, MF_BYCOMMAND), "C:\\表\\run.cwp");
    CHECK_TEXT(text_of(file, 6, MF_BYPOSITION), "C:\\anim\\walk.cwp");

    CHECK(DeleteMenu(bar, ID_FILE_RECENT_FIRST, MF_BYCOMMAND));
    CHECK_EQ(GetMenuState(bar, ID_FILE_RECENT_FIRST, MF_BYCOMMAND), kMissing);
    CHECK(!DeleteMenu(bar, ID_FILE_RECENT_FIRST, MF_BYCOMMAND));
    CHECK_EQ(GetMenuItemCount(file), 8);
    CHECK_EQ(GetMenuItemID(file, 6), ID_FILE_RECENT_SEPARATOR);
    // Deleting a popup by position takes its items with it; the bar keeps the rest in order.
    CHECK(DeleteMenu(bar, 3, MF_BYPOSITION));
    CHECK_EQ(GetMenuItemCount(bar), 4);
    CHECK_EQ(GetMenuState(bar, ID_WINDOW_TILE, MF_BYCOMMAND), kMissing);
    CHECK_TEXT(text_of(bar, 3, MF_BYPOSITION), "ﾍﾙﾌﾟ(&H)");
    DestroyMenu(bar);
}

CONFORMANCE_CASE(ChecksAndGreyItemsReportTheirPreviousState) {
    HMENU bar = load(IDR_PATTERN_MENU);
    HMENU zoom = GetSubMenu(load(IDR_ZOOM_MENU), 0);
    CHECK_EQ(CheckMenuItem(zoom, ID_ZOOM_4X4, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    CHECK_EQ(CheckMenuItem(zoom, ID_ZOOM_4X4, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    CHECK_EQ(CheckMenuItem(zoom, 12345, MF_BYCOMMAND | MF_CHECKED), kMissing);
    CHECK_EQ(EnableMenuItem(bar, ID_EDIT_ADD_PATTERN, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    CHECK_EQ(GetMenuState(bar, ID_EDIT_ADD_PATTERN, MF_BYCOMMAND), MF_GRAYED);
    CHECK_EQ(EnableMenuItem(bar, ID_EDIT_ADD_PATTERN, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    CHECK_EQ(EnableMenuItem(bar, 12345, MF_BYCOMMAND | MF_GRAYED), -1);

    // SetMenuItemInfo with MIIM_STATE replaces the whole state, as the zoom popups use it.
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = MFS_CHECKED;
    CHECK(SetMenuItemInfoA(zoom, ID_ZOOM_8X8, FALSE, &info));
    info.fState = 0;
    CHECK(SetMenuItemInfoA(zoom, ID_ZOOM_1X1, FALSE, &info));
    CHECK_EQ(GetMenuState(zoom, ID_ZOOM_1X1, MF_BYCOMMAND), MF_UNCHECKED);
    CHECK_EQ(GetMenuState(zoom, ID_ZOOM_8X8, MF_BYCOMMAND), MF_CHECKED);
    info.fState = MFS_GRAYED;
    CHECK(SetMenuItemInfoA(bar, ID_EDIT_ADD_PATTERN, FALSE, &info));
    MENUITEMINFOA read{};
    read.cbSize = sizeof read;
    read.fMask = MIIM_STATE | MIIM_ID | MIIM_FTYPE;
    CHECK(GetMenuItemInfoA(bar, ID_EDIT_ADD_PATTERN, FALSE, &read));
    CHECK_EQ(read.fState, MFS_GRAYED);
    CHECK_EQ(read.wID, ID_EDIT_ADD_PATTERN);
    CHECK_EQ(read.fType, MFT_STRING);
    CHECK(!SetMenuItemInfoA(bar, 12345, FALSE, &info));
    DestroyMenu(bar);
}

CONFORMANCE_CASE(TextsAreReadWholeOrCutToTheBuffer) {
    HMENU bar = load(IDR_PROJECT_MENU);
    // No buffer: the length in bytes, without the terminating NUL.
    CHECK_EQ(GetMenuStringA(bar, ID_FILE_NEW, nullptr, 0, MF_BYCOMMAND), std::strlen("新規作成(&N)\tCtrl+N"));
    char small[4];
    std::memset(small, 'x', sizeof small);
    // "ﾌｧｲﾙ(&F)": half-width katakana are one byte each in code page 932.
    CHECK_EQ(GetMenuStringA(bar, 0, small, sizeof small, MF_BYPOSITION), 3);
    WINE_DIFFERS("Wine fills the whole buffer and leaves out the terminating NUL when it cuts the text",
                 CHECK_TEXT(std::string(small, strnlen(small, sizeof small)), "ﾌｧｲ"));
    CHECK_EQ(GetMenuStringA(GetSubMenu(bar, 0), 4, small, sizeof small, MF_BYPOSITION), 0);  // separator
    CHECK_EQ(GetMenuStringA(bar, 12345, small, sizeof small, MF_BYCOMMAND), 0);
    DestroyMenu(bar);
}

// A window's menu bar is non-client: showing one takes its height from the client area.
CONFORMANCE_CASE(AMenuBarIsPartOfTheFrame) {
    RECT outer{0, 0, 400, 300};
    CHECK(AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, TRUE));
    HMENU bar = load(IDR_NO_PROJECT_MENU);
    HWND w = CreateWindowExA(0, conformance::recording_class(), "menu", WS_OVERLAPPEDWINDOW, 20, 20,
                             outer.right - outer.left, outer.bottom - outer.top, nullptr, bar,
                             GetModuleHandleA(nullptr), nullptr);
    CHECK(GetMenu(w) == bar);
    RECT client;
    GetClientRect(w, &client);
    CHECK_EQ(client.right, 400);
    CHECK_EQ(client.bottom, 300);
    HMENU other = load(IDR_PROJECT_MENU);
    CHECK(SetMenu(w, other));
    CHECK(GetMenu(w) == other);
    CHECK(DrawMenuBar(w));
    DestroyWindow(w);
    DestroyMenu(bar);
}
