// Replacing a large selection: the control deletes a selection in a time growing with its runs
// times the document's paragraphs (select all and Delete took about a minute on 30,000 short
// paragraphs, its Undo six), so a large one is replaced in a new control instead.
#pragma once
#include <windows.h>

// Below this many lines in the selection the control's own way is the quicker: the new control
// reads the rest of the document again.
constexpr LONG LARGE_SELECTION_LINES = 500;
// Below this many selected lines times the document's lines the control takes under half a second.
constexpr long long LARGE_SELECTION_WORK = 4000000;

// True when the selection spans enough lines of a large enough document (both limits above),
// and the control may change the document.
bool large_selection_is(HWND editor);
// What is done to the selection: a paste, or the message as the control takes it. Called on a
// hidden control that holds the document up to the end of the selection's first paragraph and
// from the start of its last, with the same selection across the two.
using selection_operation = LRESULT (*)(HWND editor, WNDPROC control, UINT message, WPARAM wparam, LPARAM lparam);
// Does the operation on a large selection as the control would: the new control holds only the
// selection's first and last paragraphs of it, the operation runs there, the rest of the document
// is read in after, and the new control takes the editor's place (editor_twin_put_in_place).
// The whole change is one document step (document_step_undo); the parent is told of the change
// and the new selection. False, with nothing changed, when the document could not be rebuilt
// exactly; the caller then leaves it to the control.
bool large_selection_replace(HWND editor, WNDPROC control, selection_operation operation, UINT message,
                             WPARAM wparam, LPARAM lparam);

