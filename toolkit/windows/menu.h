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
// Marks the item id as the one chosen among the items first to last (a dot before it), searched
// through the menu's pull-downs too.
int menu_item_check_radio(HMENU menu, int first, int last, int id);
int menu_popup_in_rect(HWND control, HMENU menu_bar, LPARAM position, int index,
                       int left, int top, int right, int bottom);
