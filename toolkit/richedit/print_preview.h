// The print preview: the printed pages drawn on the screen by the same page layout, page by page.
#pragma once
#include <windows.h>

#include "toolkit/richedit/print.h"

enum preview_result {
    PREVIEW_CLOSED = 0,      // closed with Escape, the close button or the frame
    PREVIEW_PRINT = 1,       // the user asked to print from it
    PREVIEW_NO_PRINTER = 2,  // no printer to lay the pages out for: nothing was shown
};

constexpr const char* PREVIEW_TITLE = "Förhandsgranskning";
// Ids of the window's controls.
constexpr int PREVIEW_PRINT_ID = 1;
constexpr int PREVIEW_ZOOM_ID = 2;
constexpr int PREVIEW_CLOSE_ID = 3;
constexpr int PREVIEW_PAGE_ID = 4;  // the "Sida N av M" text

// Shows the editor's text as the default printer prints it on the setup's paper, in a window
// of its own over owner, until it is closed; owner is disabled meanwhile. Keys: PgDn and PgUp
// turn pages, Home and End go to the first and last page, Z switches between the whole page
// and 100 %, the arrow keys move a page that is larger than the window, ctrl+P prints (as the
// "Skriv ut" button does), Escape closes.
// Pages are laid out as they are shown; the count goes on between the user's keys.
preview_result print_preview_run(HWND owner, HWND editor, const page_setup& setup);
