// The editor's copy, cut and paste: what other programs receive is exactly the selected text,
// and what they offer cannot harm the document.
#pragma once
#include <windows.h>

// Passes a message on to the control's own procedure. When the message is a copy or a cut
// (WM_COPY, WM_CUT, or a key the control copies or cuts with) and the control put the selection
// on the clipboard, the clipboard is filled again with the selection as it was: Unicode text
// and RTF, each block exactly as long as its content. The control's own blocks are longer
// than what it writes into them, and other programs receive the rest as stray bytes.
// A paste (WM_PASTE, EM_PASTESPECIAL, or the control's paste key) reads RTF as a file is read:
// refused when beyond the control's reader, and then pasted as plain text; brought within sound
// values otherwise. Text with a paragraph of more tabs than the control takes is refused with
// the warning beep.
LRESULT clipboard_transfer(HWND editor, WNDPROC control, UINT message, WPARAM wparam, LPARAM lparam);
