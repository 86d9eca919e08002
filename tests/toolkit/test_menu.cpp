// Menus built, greyed and shown as context menus, read back from the platform's menu objects.
#include <gtest/gtest.h>

#include <string>

#include "support/test_util.h"
#include "toolkit/windows/menu.h"
#include "toolkit/windows/window.h"

namespace {

HWND parent_create(int width, int height) {
    static int n = 0;
    std::string title = "Menyprov " + std::to_string(++n);
    HWND w = window_create_main(GetModuleHandleA(nullptr), title.c_str(), 40, 40, width, height, "MIN_MAX_CLO");
    pump_messages(20);
    return w;
}

struct item_read {
    UINT type;
    UINT id;
    UINT state;
    HMENU popup;
    std::string caption;
};

item_read item_at(HMENU menu, int position) {
    char text[256] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    EXPECT_TRUE(GetMenuItemInfoA(menu, (UINT)position, TRUE, &info));
    return {info.fType, info.wID, info.fState, info.hSubMenu, text};
}

// The application's Edit pull-down, second on the bar behind "&Arkiv".
HMENU edit_bar_create(HMENU* edit) {
    HMENU bar = menu_create_bar();
    HMENU file = menu_add_popup(bar, "&Arkiv");
    menu_add_item(file, "&Nytt", 101);
    *edit = menu_add_popup(bar, "Redigera");
    EXPECT_EQ(menu_add_item(*edit, "&Ångra", 201), 0);
    EXPECT_EQ(menu_add_separator(*edit), 0);
    EXPECT_EQ(menu_add_item(*edit, "&Klipp ut", 202), 0);
    EXPECT_EQ(menu_add_item(*edit, "K&opiera", 203), 0);
    EXPECT_EQ(menu_add_item(*edit, "Kl&istra in", 204), 0);
    return bar;
}

bool greyed(HMENU menu, int id) { return (GetMenuState(menu, (UINT)id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

std::string caption_of(HMENU menu, int id) {
    char text[256] = {};
    GetMenuStringA(menu, (UINT)id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

}  // namespace

TEST(MenuBuild, PopupsItemsAndSeparatorsReadBackInOrder) {
    HMENU edit = nullptr;
    HMENU bar = edit_bar_create(&edit);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    item_read file_popup = item_at(bar, 0);
    EXPECT_EQ(file_popup.caption, "&Arkiv");
    EXPECT_NE(file_popup.popup, nullptr);
    item_read edit_popup = item_at(bar, 1);
    EXPECT_EQ(edit_popup.caption, "Redigera");
    EXPECT_EQ(edit_popup.popup, edit);

    ASSERT_EQ(GetMenuItemCount(edit), 5);
    const char* captions[] = {"&Ångra", "", "&Klipp ut", "K&opiera", "Kl&istra in"};
    const UINT ids[] = {201, 1, 202, 203, 204};
    for (int i = 0; i < 5; ++i) {
        item_read item = item_at(edit, i);
        EXPECT_EQ(item.caption, captions[i]) << i;
        EXPECT_EQ(item.id, ids[i]) << i;
        EXPECT_EQ((item.type & MFT_SEPARATOR) != 0, i == 1) << i;
        if (i != 1) {
            EXPECT_EQ(item.state & MFS_GRAYED, 0u) << i;  // separators read back as greyed
        }
    }
    DestroyMenu(bar);
}

TEST(MenuGreying, WithCaptionRewritesItemAndSearchesPullDowns) {
    HMENU edit = nullptr;
    HMENU bar = edit_bar_create(&edit);
    EXPECT_EQ(menu_item_disable(bar, "K&opiera", 203), 0);
    EXPECT_TRUE(greyed(edit, 203));
    EXPECT_EQ(caption_of(edit, 203), "K&opiera");
    EXPECT_EQ(menu_item_enable(bar, "K&opiera", 203), 0);
    EXPECT_FALSE(greyed(edit, 203));

    // The application gives Paste its other mnemonic the first time it updates the menu.
    EXPECT_EQ(menu_item_disable(bar, "K&listra in", 204), 0);
    EXPECT_EQ(caption_of(edit, 204), "K&listra in");
    EXPECT_EQ(item_at(edit, 4).id, 204u);
    EXPECT_TRUE(greyed(edit, 204));

    EXPECT_EQ(menu_item_disable(bar, "Ingen", 999), 1);
    EXPECT_EQ(menu_item_enable(bar, "Ingen", 999), 1);
    EXPECT_EQ(GetMenuItemCount(edit), 5);
    DestroyMenu(bar);
}

TEST(MenuGreying, WithoutCaptionChangesOnlyTheState) {
    HMENU edit = nullptr;
    HMENU bar = edit_bar_create(&edit);
    EXPECT_EQ(menu_item_disable(bar, nullptr, 202), 0);
    EXPECT_TRUE(greyed(edit, 202));
    EXPECT_EQ(item_at(edit, 2).caption, "&Klipp ut");
    EXPECT_EQ(menu_item_enable(bar, nullptr, 202), 0);
    EXPECT_FALSE(greyed(edit, 202));
    EXPECT_EQ(item_at(edit, 2).caption, "&Klipp ut");
    EXPECT_EQ(item_at(edit, 2).id, 202u);

    EXPECT_EQ(menu_item_disable(bar, nullptr, 999), 1);
    EXPECT_EQ(menu_item_enable(bar, nullptr, 999), 1);
    DestroyMenu(bar);
}

TEST(MenuAttach, GrowsByMenuBarHeightOnlyForTheFirstMenu) {
    HWND w = parent_create(500, 300);
    RECT before, after_first, after_second;
    GetWindowRect(w, &before);
    HMENU edit = nullptr;
    HMENU first = edit_bar_create(&edit);
    EXPECT_EQ(menu_attach(w, first), 0);
    GetWindowRect(w, &after_first);
    EXPECT_EQ(after_first.bottom - after_first.top, before.bottom - before.top + GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(after_first.right - after_first.left, before.right - before.left);
    EXPECT_EQ(after_first.left, before.left);
    EXPECT_EQ(after_first.top, before.top);
    EXPECT_EQ(GetMenu(w), first);

    HMENU second = edit_bar_create(&edit);
    EXPECT_EQ(menu_attach(w, second), 0);
    GetWindowRect(w, &after_second);
    EXPECT_EQ(after_second.bottom - after_second.top, after_first.bottom - after_first.top);
    EXPECT_EQ(GetMenu(w), second);
    DestroyMenu(first);
    DestroyWindow(w);
}

namespace {
// A window with the menu bar attached and a bordered control inside it.
HWND control_with_menu_create(HMENU* bar) {
    HWND w = parent_create(400, 300);
    HWND control = CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 300, 200, w,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    HMENU edit = nullptr;
    *bar = edit_bar_create(&edit);
    menu_attach(w, *bar);
    return control;
}
}  // namespace

TEST(MenuPopupInRect, PositionsOutsideOrOnTheFarEdgesShowNothing) {
    HMENU bar = nullptr;
    HWND control = control_with_menu_create(&bar);
    EXPECT_EQ(menu_popup_in_rect(control, bar, MAKELPARAM(120, 30), 1, 0, 0, 100, 100), 1);  // right of it
    EXPECT_EQ(menu_popup_in_rect(control, bar, MAKELPARAM(30, 120), 1, 0, 0, 100, 100), 1);  // below it
    EXPECT_EQ(menu_popup_in_rect(control, bar, MAKELPARAM(100, 30), 1, 0, 0, 100, 100), 1);  // x = right
    EXPECT_EQ(menu_popup_in_rect(control, bar, MAKELPARAM(30, 100), 1, 0, 0, 100, 100), 1);  // y = bottom
    EXPECT_EQ(menu_popup_in_rect(control, bar, MAKELPARAM(5, 30), 1, 10, 0, 100, 100), 1);   // left of it
    // A pull-down index the bar does not have cannot be shown.
    EXPECT_EQ(menu_popup_in_rect(control, bar, MAKELPARAM(30, 30), 7, 0, 0, 100, 100), 2);
    DestroyWindow(GetParent(control));
}

namespace {
int menus_seen = 0;
RECT menu_shown_at = {};

// Runs inside the menu's own loop: notes the shown pull-down window, then closes it.
void CALLBACK menu_close(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND shown = FindWindowA("#32768", nullptr);
    if (shown && IsWindowVisible(shown)) {
        ++menus_seen;
        GetWindowRect(shown, &menu_shown_at);
    }
    EndMenu();
}
}  // namespace

TEST(MenuPopupInRect, InsideShowsThePullDownUntilDismissed) {
    HMENU bar = nullptr;
    HWND control = control_with_menu_create(&bar);
    HWND w = GetParent(control);
    SetForegroundWindow(w);
    pump_messages(20);
    menus_seen = 0;
    // The top-left corner belongs to the rectangle.
    SetTimer(nullptr, 0, 200, menu_close);
    EXPECT_EQ(menu_popup_in_rect(control, bar, MAKELPARAM(0, 0), 1, 0, 0, 2000, 2000), 1);
    RECT frame;
    GetWindowRect(control, &frame);
    EXPECT_EQ(menu_shown_at.left, frame.left + 2);
    EXPECT_EQ(menu_shown_at.top, frame.top + 2);
    SetTimer(nullptr, 0, 200, menu_close);
    EXPECT_EQ(menu_popup_in_rect(control, bar, MAKELPARAM(99, 99), 1, 0, 0, 100, 100), 1);
    EXPECT_EQ(menus_seen, 2);
    DestroyWindow(w);
}
