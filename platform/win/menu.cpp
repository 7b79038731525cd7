// Menu model and the SDK menu functions over it.
//
// Handles are numbers from a private range, never reused, so a destroyed or foreign
// handle (a child window id passed where a menu is expected, say) is simply unknown
// and every function fails the way Win32 reports failure instead of touching memory.

#include "win/menu.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "text/cp932.h"

namespace cw::win {
namespace {

// Values the headers do not declare because the program never passes them; items of
// these kinds carry a handle in place of their text, which the model cannot render.
constexpr UINT kMfBitmap = 0x00000004;
constexpr UINT kMftRadioCheck = 0x00000200;

constexpr UINT kTypeBits = MF_SEPARATOR | MF_HELP | MF_MENUBREAK | MF_MENUBARBREAK;
constexpr UINT kInfoTypeBits = kTypeBits | kMftRadioCheck;
constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MFS_DEFAULT;
constexpr UINT kNotFound = 0xFFFFFFFF;

// Above every 16-bit control id, below 2^32 so a handle survives a trip through a DWORD.
constexpr uintptr_t kFirstHandle = 0x4D000000;
constexpr uintptr_t kHandleStep = 8;

struct Registry {
    std::unordered_map<uintptr_t, std::unique_ptr<MenuModel>> by_handle;
    std::unordered_map<const MenuModel*, uintptr_t> by_model;
    uintptr_t next_handle = kFirstHandle;
    uint64_t revision = 0;
};

// Never destroyed: menus may still be destroyed from other static destructors at exit.
Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

HMENU create_menu(bool popup, int resource_id) {
    Registry& reg = registry();
    auto model = std::make_unique<MenuModel>();
    model->popup = popup;
    model->resource_id = resource_id;
    model->revision = ++reg.revision;
    uintptr_t value = reg.next_handle;
    reg.next_handle += kHandleStep;
    reg.by_model[model.get()] = value;
    reg.by_handle[value] = std::move(model);
    return reinterpret_cast<HMENU>(value);
}

bool is_popup(const MenuItemModel& item) {
    return item.submenu != nullptr;
}
bool is_separator(const MenuItemModel& item) {
    return (item.type & MFT_SEPARATOR) != 0;
}

bool same_item(const MenuItemModel& a, const MenuItemModel& b) {
    return a.type == b.type && a.state == b.state && a.id == b.id && a.text == b.text &&
           a.submenu == b.submenu && a.data == b.data;
}

// Raises the revision of `changed` and of every menu that holds it, directly or further up,
// so a renderer that watches only the menu bar notices an edit deep inside a popup.
void touch(MenuModel* changed) {
    Registry& reg = registry();
    const uint64_t revision = ++reg.revision;
    std::vector<MenuModel*> work{changed};
    std::unordered_set<MenuModel*> seen{changed};
    while (!work.empty()) {
        MenuModel* current = work.back();
        work.pop_back();
        current->revision = revision;
        HMENU handle = menu_handle(current);
        for (auto& [value, model] : reg.by_handle) {
            for (const MenuItemModel& item : model->items) {
                if (item.submenu == handle && seen.insert(model.get()).second) work.push_back(model.get());
            }
        }
    }
}

// All menus in the tree under `root`, root first.
std::vector<HMENU> collect_tree(HMENU root) {
    std::vector<HMENU> order;
    if (!menu_from(root)) return order;
    std::unordered_set<HMENU> seen{root};
    order.push_back(root);
    for (size_t i = 0; i < order.size(); ++i) {
        for (const MenuItemModel& item : menu_from(order[i])->items) {
            if (item.submenu && menu_from(item.submenu) && seen.insert(item.submenu).second) {
                order.push_back(item.submenu);
            }
        }
    }
    return order;
}

// A menu may hang below `holder` only if it is alive and `holder` is not inside it:
// a cycle would make every by-command search and every renderer loop forever.
bool can_attach(MenuModel* holder, HMENU submenu) {
    if (!menu_from(submenu)) return false;
    HMENU holder_handle = menu_handle(holder);
    for (HMENU h : collect_tree(submenu)) {
        if (h == holder_handle) return false;
    }
    return true;
}

// Destroys `root` and everything below it, and unlinks those menus from any surviving
// menu that still refers to them, so no item is ever left with a dead submenu.
void destroy_tree(HMENU root) {
    Registry& reg = registry();
    std::vector<HMENU> doomed = collect_tree(root);
    if (doomed.empty()) return;
    std::unordered_set<HMENU> doomed_set(doomed.begin(), doomed.end());
    for (HMENU h : doomed) {
        auto it = reg.by_handle.find(reinterpret_cast<uintptr_t>(h));
        reg.by_model.erase(it->second.get());
        reg.by_handle.erase(it);
    }
    std::vector<MenuModel*> orphaned_parents;
    for (auto& [value, model] : reg.by_handle) {
        bool changed = false;
        for (MenuItemModel& item : model->items) {
            if (item.submenu && doomed_set.count(item.submenu)) {
                item.submenu = nullptr;
                changed = true;
            }
        }
        if (changed) orphaned_parents.push_back(model.get());
    }
    for (MenuModel* model : orphaned_parents) touch(model);
}

std::pair<MenuModel*, int> find_in(HMENU menu, UINT id, std::unordered_set<HMENU>& visited) {
    MenuModel* model = menu_from(menu);
    if (!model || !visited.insert(menu).second) return {nullptr, -1};
    std::pair<MenuModel*, int> fallback{nullptr, -1};
    for (int i = 0; i < static_cast<int>(model->items.size()); ++i) {
        const MenuItemModel& item = model->items[i];
        if (is_popup(item)) {
            auto found = find_in(item.submenu, id, visited);
            if (found.first) return found;
            if (item.id == id && !fallback.first) fallback = {model, i};
        } else if (item.id == id) {
            return {model, i};
        }
    }
    return fallback;
}

// An existing item, by position in `menu` or by command anywhere below it.
std::pair<MenuModel*, int> locate(HMENU menu, UINT item, bool by_position) {
    if (!by_position) return find_by_command(menu, item);
    MenuModel* model = menu_from(menu);
    if (!model || item >= model->items.size()) return {nullptr, -1};
    return {model, static_cast<int>(item)};
}

// Where a new item goes: before the item named, or at the end for a position past the
// last item (0xFFFFFFFF included). A command that names no item is a failure rather
// than an append: it would put the new item in whatever menu the caller happened to pass.
std::pair<MenuModel*, int> insertion_point(HMENU menu, UINT item, bool by_position) {
    if (!by_position) return find_by_command(menu, item);
    MenuModel* model = menu_from(menu);
    if (!model) return {nullptr, -1};
    const size_t count = model->items.size();
    return {model, static_cast<int>(item < count ? item : count)};
}

// The item described by InsertMenu / ModifyMenu flags, to be held by `holder`.
bool item_from_flags(MenuModel* holder, UINT flags, UINT_PTR id, LPCSTR text, MenuItemModel& out) {
    if (flags & (kMfBitmap | MF_OWNERDRAW)) return false;
    out.type = flags & kTypeBits;
    out.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
    out.submenu = nullptr;
    out.id = 0;
    if (flags & MF_POPUP) {
        HMENU submenu = reinterpret_cast<HMENU>(id);
        if (!can_attach(holder, submenu)) return false;
        out.submenu = submenu;
    } else {
        out.id = static_cast<UINT>(id);
    }
    out.text = (is_separator(out) || !text) ? std::string() : std::string(text);
    return true;
}

bool info_size_ok(const MENUITEMINFOA* info) {
    return info && info->cbSize >= offsetof(MENUITEMINFOA, hbmpItem);
}

// Applies the fields named by fMask to a copy of `item`; `item` changes only on success.
bool apply_info(MenuModel* holder, const MENUITEMINFOA& info, MenuItemModel& item) {
    const UINT mask = info.fMask;
    // MIIM_TYPE is the older spelling of MIIM_FTYPE + MIIM_STRING; mixing both is ambiguous.
    if ((mask & MIIM_TYPE) && (mask & (MIIM_STRING | MIIM_FTYPE | MIIM_BITMAP))) return false;
    MenuItemModel next = item;
    if (mask & (MIIM_TYPE | MIIM_FTYPE)) {
        if (info.fType & (kMfBitmap | MF_OWNERDRAW)) return false;
        next.type = info.fType & kInfoTypeBits;
    }
    if (mask & MIIM_TYPE) {
        next.text = (is_separator(next) || !info.dwTypeData) ? std::string() : std::string(info.dwTypeData);
    }
    if (mask & MIIM_STRING) next.text = info.dwTypeData ? std::string(info.dwTypeData) : std::string();
    if (mask & MIIM_STATE) next.state = info.fState & kStateBits;
    if (mask & MIIM_ID) next.id = info.wID;
    if (mask & MIIM_SUBMENU) {
        if (info.hSubMenu && !can_attach(holder, info.hSubMenu)) return false;
        next.submenu = info.hSubMenu;
    }
    if (mask & MIIM_DATA) next.data = info.dwItemData;
    item = std::move(next);
    return true;
}

// Copies as much of `src` as fits in `dst_size` - 1 bytes without splitting a double-byte
// character, NUL-terminates, and returns the number of bytes copied. A text that fits is
// copied whole, as it stands.
size_t copy_cp932(char* dst, size_t dst_size, std::string_view src) {
    if (dst_size == 0) return 0;
    const size_t limit = dst_size - 1;
    const size_t n = src.size() <= limit ? src.size() : cw::text::truncated_length(src, limit);
    // An empty text may have no storage at all; there is nothing to copy then.
    if (n > 0) std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
    return n;
}

void add_resource_items(MenuModel* model, const cw::res::MenuItem* items, int count) {
    if (!items) return;
    for (int i = 0; i < count; ++i) {
        const cw::res::MenuItem& src = items[i];
        MenuItemModel item;
        item.type = src.flags & kTypeBits;
        item.state = src.flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        item.id = src.id;
        if (!is_separator(item) && src.text) item.text = src.text;
        if (src.flags & MF_POPUP) {
            item.submenu = create_menu(true, 0);
            add_resource_items(menu_from(item.submenu), src.children, src.child_count);
        }
        model->items.push_back(std::move(item));
    }
}

}  // namespace

MenuModel* menu_from(HMENU menu) {
    Registry& reg = registry();
    auto it = reg.by_handle.find(reinterpret_cast<uintptr_t>(menu));
    return it == reg.by_handle.end() ? nullptr : it->second.get();
}

HMENU menu_handle(MenuModel* model) {
    Registry& reg = registry();
    auto it = reg.by_model.find(model);
    return it == reg.by_model.end() ? nullptr : reinterpret_cast<HMENU>(it->second);
}

namespace {
bool choosable_in(HMENU menu, UINT id, std::unordered_set<HMENU>& visited) {
    MenuModel* model = menu_from(menu);
    if (!model || !visited.insert(menu).second) return false;
    for (const MenuItemModel& item : model->items) {
        if (is_separator(item) || (item.state & (MF_GRAYED | MF_DISABLED))) continue;
        if (is_popup(item) ? choosable_in(item.submenu, id, visited) : item.id == id) return true;
    }
    return false;
}
}  // namespace

bool menu_item_choosable(HMENU menu, UINT id) {
    std::unordered_set<HMENU> visited;
    return choosable_in(menu, id, visited);
}

std::pair<MenuModel*, int> find_by_command(HMENU menu, UINT id) {
    std::unordered_set<HMENU> visited;
    return find_in(menu, id, visited);
}

uint64_t menu_tree_revision(HMENU menu) {
    uint64_t revision = 0;
    for (HMENU h : collect_tree(menu)) revision = std::max(revision, menu_from(h)->revision);
    return revision;
}

bool insert_item(HMENU menu, UINT position, MenuItemModel item) {
    auto [model, pos] = insertion_point(menu, position, true);
    if (!model || (item.submenu && !can_attach(model, item.submenu))) return false;
    model->items.insert(model->items.begin() + pos, std::move(item));
    touch(model);
    return true;
}

HMENU build_menu_from_resource(const cw::res::Menu& menu) {
    HMENU bar = create_menu(false, menu.id);
    MenuModel* model = menu_from(bar);
    add_resource_items(model, menu.items, menu.count);
    touch(model);
    return bar;
}

}  // namespace cw::win

using cw::win::menu_from;
using cw::win::MenuItemModel;
using cw::win::MenuModel;

HMENU LoadMenuA(HINSTANCE, LPCSTR name) {
    int id = 0;
    if (IS_INTRESOURCE(name)) {
        id = LOWORD(name);
    } else if (name[0] == '#') {
        char* end = nullptr;
        long value = std::strtol(name + 1, &end, 10);
        if (end == name + 1 || *end != '\0' || value <= 0 || value > 0xFFFF) return nullptr;
        id = static_cast<int>(value);
    } else {
        return nullptr;  // every menu resource of the program has a numeric id
    }
    const cw::res::Menu* menu = cw::res::find_menu(id);
    return menu ? cw::win::build_menu_from_resource(*menu) : nullptr;
}

HMENU CreateMenu() {
    return cw::win::create_menu(false, 0);
}

HMENU CreatePopupMenu() {
    return cw::win::create_menu(true, 0);
}

BOOL DestroyMenu(HMENU menu) {
    if (!menu_from(menu)) return FALSE;
    cw::win::destroy_tree(menu);
    return TRUE;
}

HMENU GetSubMenu(HMENU menu, int pos) {
    MenuModel* model = menu_from(menu);
    if (!model || pos < 0 || pos >= static_cast<int>(model->items.size())) return nullptr;
    return model->items[pos].submenu;
}

int GetMenuItemCount(HMENU menu) {
    MenuModel* model = menu_from(menu);
    return model ? static_cast<int>(model->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int pos) {
    MenuModel* model = menu_from(menu);
    if (!model || pos < 0 || pos >= static_cast<int>(model->items.size())) return cw::win::kNotFound;
    const MenuItemModel& item = model->items[pos];
    return cw::win::is_popup(item) ? cw::win::kNotFound : item.id;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    auto [model, pos] = cw::win::locate(menu, item, flags & MF_BYPOSITION);
    if (!model) return cw::win::kNotFound;
    const MenuItemModel& it = model->items[pos];
    if (cw::win::is_popup(it)) {
        const MenuModel* submenu = menu_from(it.submenu);
        const UINT count = submenu ? static_cast<UINT>(submenu->items.size()) : 0;
        return (count << 8) | ((it.type | it.state | MF_POPUP) & 0xFF);
    }
    return it.type | it.state;
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags) {
    auto [model, pos] = cw::win::locate(menu, item, flags & MF_BYPOSITION);
    const bool has_buffer = buffer && size > 0;
    if (!model) {
        if (has_buffer) buffer[0] = '\0';
        return 0;
    }
    const MenuItemModel& it = model->items[pos];
    std::string_view text = cw::win::is_separator(it) ? std::string_view() : std::string_view(it.text);
    if (!has_buffer) return static_cast<int>(text.size());
    return static_cast<int>(cw::win::copy_cp932(buffer, static_cast<size_t>(size), text));
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    auto [model, pos] = cw::win::insertion_point(menu, position, flags & MF_BYPOSITION);
    if (!model) return FALSE;
    MenuItemModel item;
    if (!cw::win::item_from_flags(model, flags, id, text, item)) return FALSE;
    model->items.insert(model->items.begin() + pos, std::move(item));
    cw::win::touch(model);
    return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
    return InsertMenuA(menu, cw::win::kNotFound, flags | MF_BYPOSITION, id, text);
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    auto [model, pos] = cw::win::locate(menu, position, flags & MF_BYPOSITION);
    if (!model) return FALSE;
    MenuItemModel& target = model->items[pos];
    MenuItemModel item;
    item.data = target.data;
    if (!cw::win::item_from_flags(model, flags, id, text, item)) return FALSE;
    const HMENU old_submenu = target.submenu;
    target = std::move(item);
    cw::win::touch(model);
    // A replaced popup goes with its item, as it would have with DeleteMenu.
    if (old_submenu && old_submenu != target.submenu) cw::win::destroy_tree(old_submenu);
    return TRUE;
}

BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
    if (!cw::win::info_size_ok(info)) return FALSE;
    auto [model, pos] = cw::win::insertion_point(menu, item, byPosition);
    if (!model) return FALSE;
    MenuItemModel created;
    if (!cw::win::apply_info(model, *info, created)) return FALSE;
    model->items.insert(model->items.begin() + pos, std::move(created));
    cw::win::touch(model);
    return TRUE;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOA info) {
    if (!cw::win::info_size_ok(info)) return FALSE;
    auto [model, pos] = cw::win::locate(menu, item, byPosition);
    if (!model) return FALSE;
    const MenuItemModel& it = model->items[pos];
    const UINT mask = info->fMask;
    if (mask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it.type;
    if (mask & (MIIM_TYPE | MIIM_STRING)) {
        std::string_view text = cw::win::is_separator(it) ? std::string_view() : std::string_view(it.text);
        if (info->dwTypeData && info->cch > 0) {
            info->cch = static_cast<UINT>(cw::win::copy_cp932(info->dwTypeData, info->cch, text));
        } else {
            info->cch = static_cast<UINT>(text.size());
        }
    }
    if (mask & MIIM_STATE) info->fState = it.state;
    if (mask & MIIM_ID) info->wID = it.id;
    if (mask & MIIM_SUBMENU) info->hSubMenu = it.submenu;
    if (mask & MIIM_DATA) info->dwItemData = it.data;
    if (mask & MIIM_CHECKMARKS) {
        info->hbmpChecked = nullptr;
        info->hbmpUnchecked = nullptr;
    }
    if ((mask & MIIM_BITMAP) && info->cbSize >= sizeof(MENUITEMINFOA)) info->hbmpItem = nullptr;
    return TRUE;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
    if (!cw::win::info_size_ok(info)) return FALSE;
    auto [model, pos] = cw::win::locate(menu, item, byPosition);
    if (!model) return FALSE;
    MenuItemModel updated = model->items[pos];
    if (!cw::win::apply_info(model, *info, updated)) return FALSE;
    if (!cw::win::same_item(updated, model->items[pos])) {
        model->items[pos] = std::move(updated);
        cw::win::touch(model);
    }
    return TRUE;
}

static BOOL remove_item(HMENU menu, UINT position, UINT flags, bool destroy_submenu) {
    auto [model, pos] = cw::win::locate(menu, position, flags & MF_BYPOSITION);
    if (!model) return FALSE;
    HMENU submenu = model->items[pos].submenu;
    model->items.erase(model->items.begin() + pos);
    cw::win::touch(model);
    if (destroy_submenu && submenu) cw::win::destroy_tree(submenu);
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    return remove_item(menu, position, flags, true);
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
    return remove_item(menu, position, flags, false);
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags) {
    auto [model, pos] = cw::win::locate(menu, item, flags & MF_BYPOSITION);
    if (!model) return -1;
    MenuItemModel& it = model->items[pos];
    const UINT previous = it.state & (MF_GRAYED | MF_DISABLED);
    const UINT wanted = flags & (MF_GRAYED | MF_DISABLED);
    if (previous != wanted) {
        it.state = (it.state & ~(MF_GRAYED | MF_DISABLED)) | wanted;
        cw::win::touch(model);
    }
    return static_cast<BOOL>(previous);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
    auto [model, pos] = cw::win::locate(menu, item, flags & MF_BYPOSITION);
    if (!model) return cw::win::kNotFound;
    MenuItemModel& it = model->items[pos];
    const UINT previous = it.state & MF_CHECKED;
    const UINT wanted = flags & MF_CHECKED;
    if (previous != wanted) {
        it.state = (it.state & ~MF_CHECKED) | wanted;
        cw::win::touch(model);
    }
    return previous;
}
