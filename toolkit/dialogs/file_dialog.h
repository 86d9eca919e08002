// The platform's open and save dialogs with filter lists chosen by keyword; the chosen names stay
// in the buffers below for the whole run, so the next dialog starts from the last choice.
#pragma once
#include <windows.h>

// filter_keyword: "OWN_FILTER" (own_filter is used: pairs of NUL-terminated description and
// pattern, closed by one more NUL), "NONE_FILTER", "TXT_FILTER", "ALL_FILTER", "C_DEV_FILTER";
// any other keyword keeps the list of the previous call of the same dialog.
// title_keyword: "FILENAME" or "PATH" sets the owner's title to the chosen name or full path.
// Result: 0 when a file was chosen, 1 when the dialog was cancelled or failed.
int file_dialog_save(HWND owner, const char* title, const char* title_keyword,
                     const char* filter_keyword, const char* own_filter);
// Several files may be picked: the path buffer then holds the folder and each name, NUL-separated.
int file_dialog_open(HWND owner, const char* title, const char* title_keyword,
                     const char* filter_keyword, const char* own_filter);

extern char save_dialog_path[260], save_dialog_title[256], open_dialog_path[260], open_dialog_title[256];
