// The platform's page setup dialog: paper, orientation and the four margins in millimetres.
#pragma once
#include <windows.h>

#include "toolkit/richedit/print.h"

// Shows the dialog owned by owner, starting from setup and the default printer's paper list.
// 1 and setup changed when confirmed; 0 and setup untouched when cancelled or failed;
// PAGE_DIALOG_NO_ROOM and setup untouched when confirmed with margins that leave the text less
// than PAGE_TEXT_LEAST of the chosen paper across or down.
int page_dialog_run(HWND owner, page_setup* setup);
constexpr int PAGE_DIALOG_NO_ROOM = 2;
