// Single-line input fields that report keys to their parent, fonts by point size, and text
// painted straight onto a window.
#pragma once
#include <windows.h>

// alignment: "L" left, "C" centred, "R" right; "L_DIGITS", "C_DIGITS" and "R_DIGITS" also let
// the field take nothing but the digits 0 to 9, typed or pasted. Other words: left.
HWND input_create(HWND parent, int x, int y, int width, int height, const char* alignment, int limit);
LRESULT CALLBACK input_procedure(HWND field, UINT message, WPARAM wparam, LPARAM lparam);
int input_set_font(HWND field, HFONT font);
// Copies the field's text into the buffer, cut to fit its size (terminator included); returns
// the length copied.
int input_get_text(HWND field, char* buffer, int size);
// The same into a character array, whose own size bounds the copy.
template <int SIZE>
int input_get_text(HWND field, char (&buffer)[SIZE]) {
    return input_get_text(field, buffer, SIZE);
}
HFONT font_create(HWND window, int points, int weight, int style_code, int unused, const char* face);
int control_set_stock_font(HWND control, INT_PTR code_or_font);
int paint_text(HWND window, int x, int y, const char* text, COLORREF text_colour, HFONT font,
               COLORREF background);
int paint_number(HWND window, int x, int y, double value, int decimals, COLORREF text_colour,
                 HFONT font, COLORREF background);

// The control id every input field gets.
constexpr int INPUT_ID = 1;
