// Whole documents between files and the editor, and the name of a file dropped onto it.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

// Results of document_save / document_load besides a positive character count.
constexpr int DOCUMENT_CANNOT_OPEN = -2;
constexpr int DOCUMENT_NOTHING_MOVED = -3;

// RTF when the path ends in "rtf" (any case), else plain text. The target is replaced only
// after the whole document has been written beside it (as "~NAME.tmp"), so a failing write
// keeps the old file.
int document_save(HWND editor, const char* path);
// True when the path names an RTF file: its last three letters are "rtf" in any case.
bool document_is_rtf(const char* path);
// Writes the document as RTF as document_save writes a file (beside, then in its place), leaving
// the modified flag and the document's encoding as they are: a copy, not a save.
int document_write_copy(HWND editor, const char* path);
// Replaces the editor's text with an existing file's, read as save chooses the format: the
// characters read, 0 for an empty document. A load that fails (DOCUMENT_CANNOT_OPEN, or
// DOCUMENT_NOTHING_MOVED for a file refused or read only in part) changes nothing in the editor.
// A large document is emptied by a new control in its place (editor_renew_if_large), which
// *editor then names, whether the load succeeds or not.
int document_load(HWND* editor, const char* path);
// document_load, with every paragraph of a plain-text file then laid out as
// editor_set_indent_and_tabs lays it out and nothing to undo; on a large document much quicker
// than the two in turn. An RTF file keeps its own indents and tab stops.
int document_load_on_margin(HWND* editor, const char* path, int margin, int count, int step);
// The whole document, or with SFF_SELECTION the selection, as RTF (rtf_write): every letter
// and indent kept.
std::string document_rtf(HWND editor, WPARAM selection = 0);
// Reads RTF through the filter like a file: over the whole document, or with SFF_SELECTION into
// the selection.
// The characters read.
LONG document_rtf_read(HWND editor, const std::string& rtf, WPARAM selection = 0);
// Reads a document back whole; a large one is first emptied by a new control in its place
// (editor_renew_if_large), which *editor then names. The caret goes to its start, and it counts
// as changed.
void document_rtf_set(HWND* editor, const std::string& rtf);

// Changes of the whole document kept as RTF before and after (Replace all, the replacement of a
// large selection), which Undo and Redo take whole, the last first, while nothing else changed
// the document. The control's own undo steps are forgotten by then. Begin takes the document before.
void document_step_begin(HWND editor);
// The change is done: the step is held from here on.
void document_step_end(HWND editor);
bool document_step_can_undo(HWND editor);
bool document_step_can_redo(HWND editor);
// Both may put a new control in *editor's place (document_rtf_set); false when there is no step.
bool document_step_undo(HWND* editor);
bool document_step_redo(HWND* editor);
// Another document came in: the steps are no longer its own.
void document_step_forget();

// 0 unless the drop holds exactly one file; else the length of its path, now in
// dropped_file_path. Releases the drop handle either way.
int drop_query_file(HDROP drop);
extern char dropped_file_path[MAX_PATH];
// Transfer callbacks; the cookie is the open file handle. Nonzero stops the stream.
DWORD CALLBACK stream_write_callback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);
DWORD CALLBACK stream_read_callback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);
