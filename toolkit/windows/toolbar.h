// The bitmap-button toolbar with its tooltips, push buttons, and a control's font.
#pragma once
#include <windows.h>

HWND toolbar_create(HWND parent, const char* border, int height);
int toolbar_dock(HWND toolbar, const char* side, int thickness, int x, int y, int extra);
int toolbar_add_separator(HWND toolbar, const char* kind, const char* line, int width);
int toolbar_add_button(HWND toolbar, const char* kind, const char* state, const char* line,
                       const char* bitmap, int text_index, int id);
int toolbar_set_bitmap_size(HWND toolbar, int width, int height);
int toolbar_toggle_flat(HWND toolbar);
int tooltip_supply_text(LPARAM notification, int id, const char* text);
HWND button_create(HWND parent, int x, int y, int width, int height, const char* caption,
                   const char* alignment, const char* look, int id);
int control_set_font(HWND control, HFONT font);

// The toolbar's control id, as its notifications carry it.
constexpr int TOOLBAR_ID = 1000;
