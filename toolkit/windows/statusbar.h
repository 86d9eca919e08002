// The status bar along the bottom of a window: parts laid out by width, texts and border looks.
#pragma once
#include <windows.h>

HWND statusbar_create(HWND parent, const char* keyword);
int statusbar_add_part(HWND bar, int part, int width, const char* look, const char* text);
int statusbar_set_text(HWND bar, int part, const char* look, const char* text);
// The width a part needs to show the text whole, in the bar's font.
int statusbar_text_width(HWND bar, const char* text);

// The status bar's control id.
constexpr int STATUSBAR_ID = 1001;
// Part numbers run from 1 to this.
constexpr int STATUSBAR_PARTS = 20;
