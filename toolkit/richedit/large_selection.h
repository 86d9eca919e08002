// Replacing a large selection, and changing a whole large document: the control deletes a selection in a time growing with its runs
// times the document's paragraphs (select all and Delete took about a minute on 30,000 short
// paragraphs, its Undo six), so a large one is replaced in a new control instead.
#pragma once
#include <string>
#include <windows.h>

// Below this many lines in the selection the control's own way is the quicker: the new control
// reads the rest of the document again.
constexpr LONG LARGE_SELECTION_LINES = 500;
// Below this many selected lines times the document's lines the control takes under half a second.
constexpr long long LARGE_SELECTION_WORK = 4000000;

// Beyond this many characters in the selection's first and last paragraphs together, the new
// control holds only their parts outside the selection: the control deletes a paragraph's runs in
// a time growing with the square of their number.
constexpr LONG LARGE_EDGE_CHARACTERS = 8192;
// Selected characters times those of the first and last paragraphs beyond which the control's
// deletion takes over half a second (40,000 letters in one paragraph, broken into runs, took 1.9 s)
constexpr long long LARGE_EDGE_WORK = 100000000;
// ... and that the new control is quicker for, which reads the whole document again
constexpr long long LARGE_EDGE_WORK_PER_CHARACTER = 1000;

// True when the selection spans enough lines of a large enough document, or enough of long
// paragraphs (the limits above), and the control may change the document.
bool large_selection_is(HWND editor);
// What is done to the selection: a paste, or the message as the control takes it. Called on a
// hidden control that holds the document up to the end of the selection's first paragraph and
// from the start of its last, with the same selection across the two; where those paragraphs are
// long, it holds them up to the selection's first letter and from the selection's end, with that
// letter selected.
using selection_operation = LRESULT (*)(HWND editor, WNDPROC control, UINT message, WPARAM wparam, LPARAM lparam);
// Does the operation on a large selection as the control would: the new control holds only the
// selection's first and last paragraphs of it, the operation runs there, the rest of the document
// is read in after, and the new control takes the editor's place (editor_twin_put_in_place).
// The whole change is one document step (document_step_undo); the parent is told of the change
// and the new selection. False, with nothing changed, when the document could not be rebuilt
// exactly; the caller then leaves it to the control.
bool large_selection_replace(HWND editor, WNDPROC control, selection_operation operation, UINT message,
                             WPARAM wparam, LPARAM lparam);

// The selection's RTF as another program is to read it: the control's writer leaves out the
// format of the selection's first paragraphs where it is the paragraph's before the selection
// (it compares each paragraph with the one before, in the selection or not), so such a
// selection is written again from a control where it stands first.
std::string selection_rtf(HWND editor);

// A change of the whole document made piece by piece: many small edits of a large document each
// cost the control a walk over all its paragraphs (100,000 replacements in the 9.5 MB text took
// minutes), and cost that only of the piece in a small control.
struct piece_change {
    // Where the next thing to change begins at or after from in the editor, or -1 for none.
    LONG (*next)(HWND editor, LONG from, const void* data);
    // Changes what it finds in the scratch control, which holds one piece of whole paragraphs;
    // the number of things changed.
    int (*change)(HWND scratch, const void* data);
    const void* data;
};
// Below this many lines the control changes the document in place quickly enough.
constexpr LONG LARGE_DOCUMENT_LINES = 2000;
// The characters of a piece changed alone, taken to its paragraph's end. Each change costs a walk
// over the piece's paragraphs, each piece one over the document's: on the 9.5 MB text 16,384 took
// 40 s, 65,536 26 s, 262,144 43 s.
constexpr LONG LARGE_DOCUMENT_PIECE = 65536;
// Builds the document again in a new control: the paragraphs from the next thing to change on,
// about piece_length characters of them at a time, are changed alone in a scratch control and
// read into the new one, the rest copied unchanged. The new control takes the editor's place
// (editor_twin_put_in_place), the selection at the end of the last change; the parent is told of
// the change. The number of things changed; -1, with nothing changed, when the document could not
// be rebuilt exactly: the caller then changes it in place.
int large_document_change(HWND* editor, LONG piece_length, const piece_change& change);
