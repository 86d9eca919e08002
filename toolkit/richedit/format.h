// Paragraph and character formatting of the editor's selection: alignment, bullets, indents,
// bold, italic and underline.
#pragma once
#include <windows.h>
#include <richedit.h>

// "LEFT", "CENTER" or "RIGHT" for every paragraph of the selection; false on another keyword.
bool editor_set_alignment(HWND editor, const char* keyword);
// The alignment of the selection's first paragraph: PFA_LEFT, PFA_CENTER or PFA_RIGHT.
int editor_alignment(HWND editor);
// Bullets on when the selection's first paragraph has none, else off, for all its paragraphs.
void editor_toggle_bullets(HWND editor);
bool editor_has_bullets(HWND editor);
// CFE_BOLD, CFE_ITALIC or CFE_UNDERLINE: on when the selection (or the caret's typing format)
// lacks it anywhere, else off; with nothing selected it holds for what is typed next.
void editor_toggle_effect(HWND editor, DWORD effect);
// Whether the whole selection (or the typing format) has the effect.
bool editor_has_effect(HWND editor, DWORD effect);

// Indents of the selection's paragraphs in points: left of every line, right, and the first
// line's offset from the left one (negative hangs out).
struct paragraph_indents {
    int left;
    int right;
    int first_line;
};
paragraph_indents editor_indents(HWND editor);
// Sets on the selected paragraphs the indents changed from those shown (the caret paragraph's).
void editor_set_indents(HWND editor, const paragraph_indents& indents, const paragraph_indents& shown);
