// The platform's font and colour dialogs.
#pragma once
#include <windows.h>

// effects "ON": offer strike-out, underline and colour. mode: "OFF" plain without script box,
// "RTF_AND_ON" / "RTF_AND_OFF" rich text with / without script box, anything else plain.
// Plain: starts from current; gives a new font, or current when cancelled.
// Rich text: control is a rich edit control; starts from its selection's format and applies the
// choice to the selection (or the word at the caret); gives a new font, or 0 when cancelled.
// A new font belongs to the caller.
HFONT font_dialog_run(HWND control, const char* effects, const char* mode, HFONT current);
// Starts at white every time; custom colours are kept for the whole run. -1 when cancelled.
COLORREF colour_dialog_run(HWND owner);
