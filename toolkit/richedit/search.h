// Text search in the editor, and the platform's modeless find dialog turned into commands.
#pragma once
#include <windows.h>
#include <commdlg.h>

// Longest find text the dialog accepts, and the size of its text buffer.
constexpr int FIND_TEXT_LIMIT = 256;
constexpr int FIND_BUFFER_SIZE = 1024;

// The one record every find dialog shows and reports back with.
extern FINDREPLACEA find_record;

// Searches "D" (down, after the selection start) or "U" (up, before it) and selects the match.
// from_dialog 1: search for the dialog's text with its match-case choice instead of text.
// match_case "M": match case. Results: 0 found and selected; 1 nothing below; -1 nothing above;
// 2 unknown direction; 3 empty editor. Nothing found leaves the selection as it was.
int editor_find(HWND editor, const char* text, int from_dialog, const char* direction,
                const char* match_case /* or nullptr */);
// Opens the find dialog with the selection as its text; none when the selection is longer
// than FIND_TEXT_LIMIT or the dialog cannot be made.
HWND find_dialog_open(HWND owner, HWND editor);
// Call for every message the owner does not handle itself. 1: the up or down command was
// posted to main_window; 2: the text was too long and the dialog is destroyed; else 0.
int find_dialog_event(HWND main_window, HWND dialog, LPARAM record, UINT message,
                      int up_command, int down_command);
// Find text buffers still held: those of open dialogs and the one find_record points at.
int find_dialog_buffers_held();
