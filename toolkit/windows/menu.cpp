// Menus over the platform's menu objects.
#include "toolkit/windows/menu.h"

namespace {

// Separators are appended with id 1; no command of the program uses it.
constexpr UINT SEPARATOR_ID = 1;

// The menu-bar height is added so the client area keeps its height when the first bar arrives.
void grow_for_menu_bar(HWND window) {
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    MoveWindow(window, r.left, r.top, r.right - r.left,
               r.bottom - r.top + GetSystemMetrics(SM_CYMENU), TRUE);
}

// Shared by disable and enable: with a caption the item is rewritten, without one only its
// state changes.
int menu_item_set_state(HMENU menu, const char* caption, int id, UINT state) {
    if (caption) {
        return ModifyMenuA(menu, (UINT)id, MF_BYCOMMAND | MF_STRING | state, (UINT_PTR)id, caption)
                   ? 0
                   : 1;
    }
    return EnableMenuItem(menu, (UINT)id, MF_BYCOMMAND | state) == -1 ? 1 : 0;
}

}  // namespace

HMENU menu_create_bar() { return CreateMenu(); }

HMENU menu_add_popup(HMENU menu, const char* caption) {
    HMENU popup = CreateMenu();
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)popup, caption);
    return popup;
}

int menu_add_item(HMENU menu, const char* caption, int id) {
    return AppendMenuA(menu, MF_STRING, (UINT_PTR)id, caption) ? 0 : 1;
}

int menu_add_separator(HMENU menu) {
    return AppendMenuA(menu, MF_SEPARATOR, SEPARATOR_ID, nullptr) ? 0 : 1;
}

int menu_attach(HWND window, HMENU menu) {
    if (GetMenu(window) == nullptr) grow_for_menu_bar(window);
    return SetMenu(window, menu) ? 0 : 1;
}

int menu_item_disable(HMENU menu, const char* caption, int id) {
    return menu_item_set_state(menu, caption, id, MF_GRAYED);
}

int menu_item_enable(HMENU menu, const char* caption, int id) {
    return menu_item_set_state(menu, caption, id, MF_ENABLED);
}

int menu_item_check(HMENU menu, int id, bool checked) {
    return CheckMenuItem(menu, (UINT)id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)) == (DWORD)-1 ? 1 : 0;
}

int menu_item_put_before(HMENU menu, const char* caption, int id, int before_id) {
    if (GetMenuState(menu, (UINT)id, MF_BYCOMMAND) != (UINT)-1) {
        return ModifyMenuA(menu, (UINT)id, MF_BYCOMMAND | MF_STRING, (UINT_PTR)id, caption) ? 0 : 1;
    }
    return InsertMenuA(menu, (UINT)before_id, MF_BYCOMMAND | MF_STRING, (UINT_PTR)id, caption) ? 0 : 1;
}

int menu_item_remove(HMENU menu, int id) { return RemoveMenu(menu, (UINT)id, MF_BYCOMMAND) ? 0 : 1; }

int menu_item_check_radio(HMENU menu, int first, int last, int id) {
    if (CheckMenuRadioItem(menu, (UINT)first, (UINT)last, (UINT)id, MF_BYCOMMAND)) return 0;
    // the platform looks one level deep only: ask each pull-down
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (popup && menu_item_check_radio(popup, first, last, id) == 0) return 0;
    }
    return 1;
}

int menu_popup_in_rect(HWND control, HMENU menu_bar, LPARAM position, int index,
                       int left, int top, int right, int bottom) {
    // Mouse coordinates travel as two unsigned 16-bit halves.
    POINT point = {(LONG)(position & 0xFFFF), (LONG)((position >> 16) & 0xFFFF)};
    RECT frame = {};
    GetWindowRect(control, &frame);
    // The fixed 2 pixels stand for the control's border inside its window rectangle.
    RECT hot = {frame.left + left + 2, frame.top + top + 2, frame.left + right + 2,
                frame.top + bottom + 2};
    if (GetWindowLongPtrA(control, GWLP_HWNDPARENT) != 0) {
        point.x += frame.left + 2;
        point.y += frame.top + 2;
    }
    if (!PtInRect(&hot, point)) return 1;
    HMENU popup = GetSubMenu(menu_bar, index);
    BOOL shown = TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, control, nullptr);
    return shown ? (int)shown : 2;
}
