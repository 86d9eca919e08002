// Menu bars and their pull-downs: building, attaching, greying items and showing a pull-down
// as a context menu.
#pragma once
#include <windows.h>

HMENU menu_create_bar();
HMENU menu_add_popup(HMENU menu, const char* caption);
int menu_add_item(HMENU menu, const char* caption, int id);
int menu_add_separator(HMENU menu);
int menu_attach(HWND window, HMENU menu);
int menu_item_disable(HMENU menu, const char* caption /* or nullptr */, int id);
int menu_item_enable(HMENU menu, const char* caption /* or nullptr */, int id);
// A check mark before the item, or none.
int menu_item_check(HMENU menu, int id, bool checked);
// Puts the item with this id before the item before_id, or renames it when it is there already.
int menu_item_put_before(HMENU menu, const char* caption, int id, int before_id);
// Removes the item with this id; 1 when there is none.
int menu_item_remove(HMENU menu, int id);
// Marks the item id as the one chosen among the items first to last (a dot before it), searched
// through the menu's pull-downs too.
int menu_item_check_radio(HMENU menu, int first, int last, int id);
int menu_popup_in_rect(HWND control, HMENU menu_bar, LPARAM position, int index,
                       int left, int top, int right, int bottom);
