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

// The platform's replace dialog on the same search: Find next, Replace and Replace all, with
// match case and whole word. One dialog at a time; its record holds what it last reported.
extern FINDREPLACEA replace_record;
// REPLACE_UNFIT: a text of the dialog holds a letter outside Windows-1252, which is not searched for.
enum replace_request { REPLACE_NONE, REPLACE_FIND_NEXT, REPLACE_ONE, REPLACE_ALL, REPLACE_CLOSED, REPLACE_UNFIT };
// What find_dialog_event gives for a text with a letter outside Windows-1252.
constexpr int FIND_UNFIT = 3;
// Opens it with the selection (when short enough) or else the given text as what to find.
HWND replace_dialog_open(HWND owner, HWND editor, const char* find_text);
// What the replace dialog asked for with this message, if it is its report.
replace_request replace_dialog_event(UINT message, LPARAM record);
// The next match of text below the selection start (FR_MATCHCASE, FR_WHOLEWORD in flags),
// selected; false when there is none below.
bool editor_find_next(HWND editor, const char* text, DWORD flags);
// Replaces the selection when it is a match of text, then selects the next match; the number
// replaced (0 or 1).
int editor_replace_selection(HWND editor, const char* text, const char* replacement, DWORD flags);
// Replaces every match in the document; the number replaced. The control's own undo steps are
// forgotten, and the whole replacement is one document step (document_step_undo and _redo).
// A long document is replaced piece by piece in a new control: *editor may then be a new control.
int editor_replace_all(HWND* editor, const char* text, const char* replacement, DWORD flags);
// Replaces every match piece by piece (large_document_change), with no undo step of its own: the
// number replaced, or -1 with nothing changed when it cannot (a text that spans a paragraph's end,
// a document the pieces do not rebuild exactly).
int editor_replace_all_in_pieces(HWND* editor, const char* text, const char* replacement, DWORD flags,
                                 LONG piece_length);
