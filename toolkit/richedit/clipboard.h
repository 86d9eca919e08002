// The editor's copy and cut: what other programs receive is exactly the selected text.
#pragma once
#include <windows.h>

// Passes a message on to the control's own procedure. When the message is a copy or a cut
// (WM_COPY, WM_CUT, or a key the control copies or cuts with) and the control put the selection
// on the clipboard, the clipboard is filled again with the selection as it was: Unicode text
// and RTF, each block exactly as long as its content. The control's own blocks are longer
// than what it writes into them, and other programs receive the rest as stray bytes.
LRESULT clipboard_transfer(HWND editor, WNDPROC control, UINT message, WPARAM wparam, LPARAM lparam);
