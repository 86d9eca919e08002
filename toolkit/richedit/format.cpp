// Paragraph and character formatting of the editor's selection.
#include "toolkit/richedit/format.h"

#include <cstring>

namespace {

constexpr int TWIPS_PER_POINT = 20;

PARAFORMAT paragraph_of(HWND editor) {
    PARAFORMAT format;
    std::memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    return format;
}

void paragraph_set(HWND editor, PARAFORMAT& format) {
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&format);
}

CHARFORMATA character_of(HWND editor) {
    CHARFORMATA format;
    std::memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    return format;
}

DWORD effect_mask(DWORD effect) {
    switch (effect) {
    case CFE_BOLD: return CFM_BOLD;
    case CFE_ITALIC: return CFM_ITALIC;
    case CFE_UNDERLINE: return CFM_UNDERLINE;
    default: return 0;
    }
}

}  // namespace

bool editor_set_alignment(HWND editor, const char* keyword) {
    WORD alignment = 0;
    if (std::strcmp(keyword, "LEFT") == 0) alignment = PFA_LEFT;
    else if (std::strcmp(keyword, "CENTER") == 0) alignment = PFA_CENTER;
    else if (std::strcmp(keyword, "RIGHT") == 0) alignment = PFA_RIGHT;
    else return false;
    PARAFORMAT format = {};
    format.dwMask = PFM_ALIGNMENT;
    format.wAlignment = alignment;
    paragraph_set(editor, format);
    return true;
}

int editor_alignment(HWND editor) {
    PARAFORMAT format = paragraph_of(editor);
    return format.wAlignment == PFA_CENTER || format.wAlignment == PFA_RIGHT ? format.wAlignment : PFA_LEFT;
}

bool editor_has_bullets(HWND editor) { return paragraph_of(editor).wNumbering == PFN_BULLET; }

void editor_toggle_bullets(HWND editor) {
    PARAFORMAT format = {};
    format.dwMask = PFM_NUMBERING;
    format.wNumbering = editor_has_bullets(editor) ? 0 : PFN_BULLET;
    paragraph_set(editor, format);
}

bool editor_has_effect(HWND editor, DWORD effect) {
    CHARFORMATA format = character_of(editor);
    // a mixed selection leaves the effect's mask bit off
    return (format.dwMask & effect_mask(effect)) && (format.dwEffects & effect);
}

void editor_toggle_effect(HWND editor, DWORD effect) {
    CHARFORMATA format;
    std::memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    format.dwMask = effect_mask(effect);
    format.dwEffects = editor_has_effect(editor, effect) ? 0 : effect;
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
}

paragraph_indents editor_indents(HWND editor) {
    PARAFORMAT format = paragraph_of(editor);
    // the control keeps the first line's indent as the start and the others' as its offset
    int first = format.dxStartIndent / TWIPS_PER_POINT;
    int left = (format.dxStartIndent + format.dxOffset) / TWIPS_PER_POINT;
    return {left, format.dxRightIndent / TWIPS_PER_POINT, first - left};
}

void editor_set_indents(HWND editor, const paragraph_indents& indents, const paragraph_indents& shown) {
    // only what was changed: each selected paragraph keeps the rest of its own
    PARAFORMAT format = {};
    if (indents.right != shown.right) {
        format.dwMask |= PFM_RIGHTINDENT;
        format.dxRightIndent = indents.right * TWIPS_PER_POINT;
    }
    if (indents.first_line != shown.first_line) {
        format.dwMask |= PFM_STARTINDENT | PFM_OFFSET;
        format.dxStartIndent = (indents.left + indents.first_line) * TWIPS_PER_POINT;
        format.dxOffset = -indents.first_line * TWIPS_PER_POINT;
    } else if (indents.left != shown.left) {
        // the lines move by the change, each paragraph's first line kept as it stands to them
        format.dwMask |= PFM_OFFSETINDENT;
        format.dxStartIndent = (indents.left - shown.left) * TWIPS_PER_POINT;
    }
    if (format.dwMask) paragraph_set(editor, format);
}
