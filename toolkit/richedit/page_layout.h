// A small page layout of the toolkit's own, for rich edit controls that do not lay out
// printed pages themselves. It reads the text and its formats from the control, wraps lines
// at word boundaries, aligns them, breaks pages between lines and draws with GDI at the
// device's resolution. A line taller than the page gets a page of its own, cut at the bottom.
#pragma once
#include <windows.h>
#include <richedit.h>

// Works like EM_FORMATRANGE: lays out the control's text from range->chrg.cpMin (up to
// chrg.cpMax, or the end of the text when that is -1) into range->rc (twips) on range->hdc,
// draws that part too when render is nonzero, and returns the first character that did not
// fit (the range's end when everything fitted; cpMin when the rectangle has no room at all).
// A null range frees the text, formats and fonts kept between pages and returns 0.
LONG page_layout_format(HWND editor, int render, const FORMATRANGE* range);

// Works like EM_DISPLAYBAND: draws the page measured last, placed at rc (twips). 0 when drawn,
// 1 when no page has been measured for this editor.
int page_layout_display(HWND editor, const RECT* rc);

// Draws the page measured last onto another device context, placed at rc (twips of the
// measuring device); the target's mapping mode turns the measuring device's units into its own
// (a preview on the screen). 0 when drawn, 1 when no page has been measured for this editor.
int page_layout_display_on(HWND editor, const RECT* rc, HDC target);

// With an editor given, lines break no later than that editor's own lines do (it wraps at the
// page's text width), so each printed line begins with the word its line on the screen begins
// with; a line that does not fit on paper still breaks earlier. Null: lines break by the page
// alone.
void page_layout_follow_lines(HWND editor);
// The editor whose lines printed lines follow; null for none.
HWND page_layout_followed();
