// The document surface: one rich edit control and the small operations that drive it.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <functional>

// Creates the rich edit control as child 1 of the parent. All four numbers summing to 0 makes
// it fill the parent's client area. scroll: "NOSCROLL", "HSCROLL", "VSCROLL" or "VHSCROLL".
HWND editor_create(HWND parent, int x, int y, int width, int height, const char* scroll, int limit);
// The control's own procedure, for subclass procedures to pass messages on to.
LRESULT CALLBACK editor_default_procedure(HWND editor, UINT message, WPARAM wparam, LPARAM lparam);
void editor_select_all(HWND editor);
// Sets the whole text and what is typed next in the size given, in points. The control takes a
// font's size from its height in pixels, which misses most sizes (10 points come out 9.75 at
// 96 dots per inch, 10.2 at 120).
void editor_set_text_size(HWND editor, int points);
// Where the control breaks its lines: "WINDOW" at its own width, "PAGE" at width twips measured
// for the device target (a printer), anything else ("NONE") only at line breaks. 0 done, 1 failed.
int editor_set_wrap(HWND editor, const char* mode, HDC target, int width);
// The widest indent or tab stop the toolkit hands the control, in twips: 22 inches.
constexpr int EDITOR_TWIPS_LIMIT = 31680;
// The most tabs a paragraph may bring into the control: it takes a time growing with the square
// of a paragraph's tabs (16,000 take two seconds to paste, and a second for each key typed there).
constexpr int EDITOR_PARAGRAPH_TABS_LIMIT = 4000;
// The most letters outside the basic plane (emoji, old scripts) a paragraph may bring in: the
// control lays out a paragraph of them in a time growing with the square of their number
// (16,000 take about a second, 50,000 over fifteen, 250,000 minutes).
constexpr int EDITOR_PARAGRAPH_WIDE_LETTERS_LIMIT = 16000;
// The most letters a word may bring in (between two characters up to a space): the control lays
// out a word in a time growing with the square of its letters (45,000 take a second, 90,000
// three, 180,000 twelve).
constexpr int EDITOR_WORD_LETTERS_LIMIT = 30000;

// The most characters the editor was made to hold (the control raises its own limit to hold
// whatever a read brings in).
LONG editor_text_limit(HWND editor);
// Margin and step in points; at most 32 stops, and the last stays within 900 points of the margin.
// Every line stands at the margin; a negative margin or step counts as 0. One step to undo.
// Leaves the caret at position 0.
void editor_set_indent_and_tabs(HWND editor, int margin, int count, int step);
// The margin moves from old_margin to margin: every paragraph moves with it, its lines as far
// beyond it as they were (none left of it), and every paragraph takes the tab stops. One step to
// undo. Leaves the caret at position 0.
void editor_move_margin(HWND editor, int old_margin, int margin, int count, int step);
// The highest value from good up to limit for which holds is true, when it is true for good and
// stays true up to some point: steps that double, then halving. Asking the control about a
// stretch costs more the longer the text, so formats are asked for stretches, not one by one.
LONG editor_gallop(LONG good, LONG limit, const std::function<bool(LONG)>& holds);
// The control sets the paragraph of a document emptied (all deleted, or undone back to nothing)
// to its own defaults. An empty document is put back on the margin and tab stops given, as
// editor_set_indent_and_tabs lays them out, with nothing to undo and its modified flag kept; true
// when it had to be. Anything else is left alone.
bool editor_empty_keep_layout(HWND editor, int margin, int count, int step);
// The undo steps the control keeps.
constexpr WPARAM EDITOR_UNDO_LIMIT = 100;
// The paragraph format of the selection; its mask keeps what all the selected paragraphs share.
PARAFORMAT editor_selection_paragraph(HWND editor);
// The message number of an EN_MSGFILTER, or EN_REQUESTRESIZE / EN_SELCHANGE / EN_DROPFILES;
// 0 for anything else or for another window's notification.
int editor_filter_event(HWND editor, LPARAM notification);
int editor_caret_line(HWND editor);
// "NOFORMAT": the position less 2 for each line above the caret's line; else the position.
int editor_caret_position(HWND editor, const char* keyword);
// The left margin in force in the caret's paragraph, in points.
int editor_caret_margin(HWND editor);
// The tab step in force in the caret's paragraph, in points: the distance between its first two
// stops, or from the margin to its only stop; where it has none (or one at the margin) the
// control's own step of 36 points applies.
int editor_caret_tab_step(HWND editor);
int editor_text_length(HWND editor);
void editor_focus(HWND editor);
int editor_has_selection(HWND editor);
void editor_delete_selection(HWND editor);
// 999 as text colour leaves the text alone; 999 as background selects the system window colour.
void editor_set_colours(HWND editor, COLORREF text, COLORREF background);
void editor_select(HWND editor, LONG start, LONG end);
// Copies as much of the selection as fits, always NUL-terminated (nothing when buffer_size < 1).
void editor_get_selected_text(HWND editor, char* buffer, int buffer_size);
// Replaces the whole text; *editor may then be a new control (editor_renew_if_large).
int editor_set_text(HWND* editor, const char* text);
// The control empties itself in a time growing with the square of its paragraphs and runs
// (30,000 short lines take 19 s). Beyond 2,000 characters a new, empty control takes its place: the same
// parent, id, place, styles, window procedure, limit, events, options, font, default characters,
// background and wrap, and the focus when the old one had it. The parent is sent a WM_COMMAND
// with EDITOR_RENEWED as its code and the new control as lparam before the old one is
// destroyed. Undo steps and the modified flag start afresh. True when *editor was replaced.
bool editor_renew_if_large(HWND* editor);
constexpr WORD EDITOR_RENEWED = 0x0E01;
// The new control editor_renew_if_large makes, hidden, empty, with its undo limit and events;
// null when none could be made.
HWND editor_twin_make(HWND old);
// The twin takes *editor's place as editor_renew_if_large puts it there, and the old one goes.
void editor_twin_put_in_place(HWND* editor, HWND twin);
// "ON" marks the document changed, "OFF" unchanged; anything else does nothing.
void editor_set_modified(HWND editor, const char* keyword);
// Undoes the last change, or beeps when there is nothing to undo.
void editor_undo(HWND editor);
void editor_cut(HWND editor);
void editor_copy(HWND editor);
void editor_paste(HWND editor);
int editor_can_undo(HWND editor);
// Takes the last undone step again; the warning beep when there is none.
void editor_redo(HWND editor);
int editor_can_redo(HWND editor);
// Forgets every step Undo could take back.
void editor_clear_undo(HWND editor);
int clipboard_has_text();
