// Replacing a large selection in a new control, in a time growing with the document's size.
#include "toolkit/richedit/large_selection.h"

#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"

#include <richedit.h>

#include <string.h>

#include <string>

namespace {

constexpr LONG SCAN_BLOCK = 4096;  // characters read at a time looking for a paragraph's end
constexpr LONG TO_END = -1;
constexpr int SCRATCH_HEIGHT = 30000;  // pixels: more than a piece's lines at any usual size

CHARRANGE selection_of(HWND editor) {
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&range);
    return range;
}

// The start of the paragraph after the one holding at, or TO_END when that is the last. The
// control ends each paragraph with CR LF.
LONG paragraph_next_start(HWND editor, LONG at, LONG length) {
    std::string block(SCAN_BLOCK + 1, '\0');
    for (LONG from = at; from < length; from += SCAN_BLOCK) {
        LONG to = from + SCAN_BLOCK < length ? from + SCAN_BLOCK : length;
        TEXTRANGEA range = {{from, to}, &block[0]};
        LONG read = (LONG)SendMessageA(editor, EM_GETTEXTRANGE, 0, (LPARAM)&range);
        for (LONG i = 0; i < read; i++) {
            if (block[i] == '\n') return from + i + 1;
        }
        if (read <= 0) break;
    }
    return TO_END;
}

// The start of the paragraph holding at.
LONG paragraph_start(HWND editor, LONG at) {
    std::string block(SCAN_BLOCK + 1, '\0');
    for (LONG to = at; to > 0; to -= SCAN_BLOCK) {
        LONG from = to - SCAN_BLOCK > 0 ? to - SCAN_BLOCK : 0;
        TEXTRANGEA range = {{from, to}, &block[0]};
        LONG read = (LONG)SendMessageA(editor, EM_GETTEXTRANGE, 0, (LPARAM)&range);
        for (LONG i = read - 1; i >= 0; i--) {
            if (block[i] == '\n') return from + i + 1;
        }
        if (read <= 0) break;
    }
    return 0;
}

// Where the document is cut: [0, first_end) ends with the selection's first paragraph,
// [last_start, rest_start) is its last paragraph, and the rest follows (none: TO_END).
struct selection_edges {
    LONG first_end, last_start, rest_start;
};

bool edges_find(HWND editor, CHARRANGE selection, LONG length, selection_edges* edges) {
    LONG end = selection.cpMax < length ? selection.cpMax : length;
    edges->first_end = paragraph_next_start(editor, selection.cpMin, length);
    edges->last_start = paragraph_start(editor, end);
    // a selection ending just before a paragraph's end still takes the next paragraph's start
    edges->rest_start = edges->last_start < length ? paragraph_next_start(editor, edges->last_start, length) : TO_END;
    return edges->first_end != TO_END && edges->first_end <= edges->last_start;
}

// The characters of the selection's first and last paragraphs, one paragraph counted once.
LONG edges_length(HWND editor, CHARRANGE selection, LONG length, const selection_edges& edges) {
    LONG first_start = paragraph_start(editor, selection.cpMin);
    LONG last_end = edges.rest_start != TO_END ? edges.rest_start : length;
    if (edges.first_end == TO_END || edges.first_end > edges.last_start) return last_end - first_start;
    return edges.first_end - first_start + last_end - edges.last_start;
}

// What the RTF of the last paragraph does not carry: the characters' format of the mark that
// closes it, and its own format, which a read into a control's last paragraph leaves as it was.
struct final_paragraph {
    CHARFORMAT2A mark;
    PARAFORMAT2 format;
};

// The writer's single spacing reads back as one line in twentieths.
bool spacing_single(const PARAFORMAT2& a) {
    return a.bLineSpacingRule == 0 || (a.bLineSpacingRule == 5 && a.dyLineSpacing == 20);
}

// The properties an RTF paragraph carries in which b differs from a, as a PFM_ mask.
DWORD paragraph_differences(const PARAFORMAT2& a, const PARAFORMAT2& b) {
    DWORD mask = 0;
    if (a.dxStartIndent != b.dxStartIndent) mask |= PFM_STARTINDENT;
    if (a.dxRightIndent != b.dxRightIndent) mask |= PFM_RIGHTINDENT;
    if (a.dxOffset != b.dxOffset) mask |= PFM_OFFSET;
    if (a.wAlignment != b.wAlignment) mask |= PFM_ALIGNMENT;
    if (a.cTabCount != b.cTabCount || memcmp(a.rgxTabs, b.rgxTabs, a.cTabCount * sizeof a.rgxTabs[0]) != 0) {
        mask |= PFM_TABSTOPS;
    }
    if (a.wNumbering != b.wNumbering) mask |= PFM_NUMBERING;
    if (a.wNumberingStyle != b.wNumberingStyle) mask |= PFM_NUMBERINGSTYLE;
    if (a.wNumberingTab != b.wNumberingTab) mask |= PFM_NUMBERINGTAB;
    if (a.wNumberingStart != b.wNumberingStart) mask |= PFM_NUMBERINGSTART;
    if (a.dySpaceBefore != b.dySpaceBefore) mask |= PFM_SPACEBEFORE;
    if (a.dySpaceAfter != b.dySpaceAfter) mask |= PFM_SPACEAFTER;
    bool same_spacing = spacing_single(a) && spacing_single(b);
    if (!same_spacing && (a.dyLineSpacing != b.dyLineSpacing || a.bLineSpacingRule != b.bLineSpacingRule)) {
        mask |= PFM_LINESPACING;
    }
    mask |= (DWORD)(a.wEffects ^ b.wEffects) << 16;  // PFM_RTLPARA and the others: the PFE_ bits moved up
    if (a.wShadingWeight != b.wShadingWeight || a.wShadingStyle != b.wShadingStyle) mask |= PFM_SHADING;
    if (a.wBorders != b.wBorders || a.wBorderWidth != b.wBorderWidth || a.wBorderSpace != b.wBorderSpace) {
        mask |= PFM_BORDER;
    }
    return mask & ~(PFM_TABLE | PFM_TABLEROWDELIMITER);  // a table's marks are the RTF's to make
}

final_paragraph final_paragraph_take(HWND editor) {
    final_paragraph taken;
    memset(&taken, 0, sizeof taken);
    taken.mark.cbSize = sizeof taken.mark;
    taken.format.cbSize = sizeof taken.format;
    editor_select(editor, editor_text_length(editor), TO_END);
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&taken.mark);
    SendMessageA(editor, EM_GETPARAFORMAT, 0, (LPARAM)&taken.format);
    return taken;
}

void final_paragraph_set(HWND editor, final_paragraph taken) {
    final_paragraph now = final_paragraph_take(editor);
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&taken.mark);
    // only what differs: a property set is kept apart from the one read, and written again
    taken.format.dwMask = paragraph_differences(now.format, taken.format);
    if (taken.format.dwMask) SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&taken.format);
}

std::string range_rtf(HWND editor, LONG from, LONG to) {
    editor_select(editor, from, to);
    return document_rtf(editor, SFF_SELECTION);
}

// The control's notifications of a change and of the new selection, which it kept back while
// the new control was built.
void parent_tell(HWND editor) {
    HWND parent = GetParent(editor);
    LPARAM events = SendMessageA(editor, EM_GETEVENTMASK, 0, 0);
    int id = GetDlgCtrlID(editor);
    if (events & ENM_CHANGE) SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), (LPARAM)editor);
    if (events & ENM_SELCHANGE) {
        SELCHANGE change = {{editor, (UINT_PTR)id, EN_SELCHANGE}, selection_of(editor), SEL_EMPTY};
        if (change.chrg.cpMax > change.chrg.cpMin) change.seltyp = SEL_TEXT;
        SendMessageA(parent, WM_NOTIFY, (WPARAM)id, (LPARAM)&change);
    }
}

// The format of the paragraph holding at; the selection moves there.
PARAFORMAT2 paragraph_format_at(HWND editor, LONG at) {
    PARAFORMAT2 format;
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    editor_select(editor, at, at);
    SendMessageA(editor, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    return format;
}

// The control's writer leaves out the format of a selection's first paragraphs when it is the
// same as the paragraph's before the selection (it compares each paragraph with the one before,
// inside the selection or not), and its reader gives a paragraph without a format of its own the
// format of the paragraph it reads into. So the RTF of [from, ...) is read into a paragraph that
// first takes the format of the paragraph before from in the source: that of the document's
// first paragraph is always written.
struct piece_taken {
    std::string rtf;
    LONG length;           // its characters
    bool after_paragraph;  // false for a piece at the document's start
    PARAFORMAT2 before;    // the format of the paragraph before it
};

piece_taken piece_take(HWND source, LONG from, LONG to) {
    piece_taken piece;
    piece.rtf = range_rtf(source, from, to);
    piece.length = to - from;
    piece.after_paragraph = from > 0;
    if (piece.after_paragraph) piece.before = paragraph_format_at(source, from - 1);
    return piece;
}

// Reads the piece at the end of the target.
void piece_read(HWND target, const piece_taken& piece) {
    if (piece.after_paragraph) {
        PARAFORMAT2 landing = paragraph_format_at(target, editor_text_length(target));
        PARAFORMAT2 wanted = piece.before;
        // only what differs: a property set is kept apart from the one read, and written again
        wanted.dwMask = paragraph_differences(landing, piece.before);
        if (wanted.dwMask) SendMessageA(target, EM_SETPARAFORMAT, 0, (LPARAM)&wanted);
    }
    editor_select(target, TO_END, TO_END);
    document_rtf_read(target, piece.rtf, SFF_SELECTION);
}

// Reads the source's [from, to) at the end of the target; false unless all of it came.
bool piece_append(HWND source, LONG from, LONG to, HWND target) {
    LONG before = editor_text_length(target);
    piece_read(target, piece_take(source, from, to));
    return editor_text_length(target) == before + to - from;
}

// A hidden control like the editor that keeps no undo steps and tells its parent nothing.
HWND quiet_twin_make(HWND editor) {
    HWND twin = editor_twin_make(editor);
    if (!twin) return nullptr;
    SendMessageA(twin, EM_SETEVENTMASK, 0, 0);
    SendMessageA(twin, EM_SETUNDOLIMIT, 0, 0);
    return twin;
}

// The piece [from, to) of the editor changed alone, appended to the twin; the changes made, -1
// when the piece did not come across whole. *caret is where the last change ended in the twin.
int piece_change_append(HWND editor, HWND twin, LONG from, LONG to, const piece_change& change, LONG* caret) {
    // a new scratch control for each piece: one emptied keeps the last paragraph's format
    HWND scratch = quiet_twin_make(editor);
    if (!scratch) return -1;
    // Each selection of a change costs a visible selection its repainting, and a caret out of
    // sight a scroll: together about three quarters of the time, so the scratch shows no
    // selection and is taller than its piece.
    SendMessageA(scratch, EM_HIDESELECTION, TRUE, 0);
    RECT place;
    if (GetWindowRect(scratch, &place)) {
        SetWindowPos(scratch, nullptr, 0, 0, place.right - place.left, SCRATCH_HEIGHT, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    int count = -1;
    if (piece_append(editor, from, to, scratch)) {
        count = change.change(scratch, change.data);
        LONG done = selection_of(scratch).cpMax;
        LONG start = editor_text_length(twin);
        LONG length = editor_text_length(scratch);
        if (!piece_append(scratch, 0, length, twin)) {
            count = -1;
        } else if (count > 0) {
            *caret = start + done;
        }
    }
    DestroyWindow(scratch);
    return count;
}

// Builds the twin from the editor piece by piece; the changes made, or -1.
int pieces_change(HWND editor, HWND twin, LONG piece_length, const piece_change& change, LONG* caret) {
    LONG length = editor_text_length(editor);
    int count = 0;
    for (LONG from = 0; from < length;) {
        LONG next = change.next(editor, from, change.data);
        // the paragraphs before the next change (all that is left when there is none) as they are
        LONG start = next < 0 ? length : paragraph_start(editor, next);
        if (start < from) start = from;
        if (start > from && !piece_append(editor, from, start, twin)) return -1;
        if (start >= length) break;
        LONG reach = start + piece_length < length ? start + piece_length : length;
        LONG end = paragraph_next_start(editor, reach > next ? reach - 1 : next, length);
        if (end == TO_END) end = length;
        int changed = piece_change_append(editor, twin, start, end, change, caret);
        if (changed < 0) return -1;
        count += changed;
        from = end;
    }
    return count;
}

// Whether the selection [from, to) can be cut down to its first letter in a new control: that
// letter is no paragraph's end (deleting one alone keeps the paragraph's own format), and
// neither end of the selection lies in a table, whose rows the control deletes by its own rules.
bool selection_trims(HWND editor, LONG from, LONG to) {
    char first[2] = "";
    TEXTRANGEA range = {{from, from + 1}, first};
    if (SendMessageA(editor, EM_GETTEXTRANGE, 0, (LPARAM)&range) != 1 || first[0] == '\r') return false;
    return !(paragraph_format_at(editor, from).wEffects & PFE_TABLE) &&
           !(paragraph_format_at(editor, to).wEffects & PFE_TABLE);
}

}  // namespace

std::string selection_rtf(HWND editor) {
    CHARRANGE selection = selection_of(editor);
    std::string rtf = document_rtf(editor, SFF_SELECTION);
    LONG start = paragraph_start(editor, selection.cpMin);
    if (start == 0) return rtf;
    PARAFORMAT2 here = paragraph_format_at(editor, selection.cpMin);
    piece_taken piece = {rtf, selection.cpMax - selection.cpMin, true, paragraph_format_at(editor, start - 1)};
    editor_select(editor, selection.cpMin, selection.cpMax);
    if (paragraph_differences(piece.before, here) != 0) return rtf;
    // written again where it stands first, the format of its first paragraph is written too
    HWND scratch = quiet_twin_make(editor);
    if (!scratch) return rtf;
    piece_read(scratch, piece);
    std::string whole = range_rtf(scratch, 0, selection.cpMax - selection.cpMin);
    DestroyWindow(scratch);
    return whole;
}

bool large_selection_is(HWND editor) {
    if (GetWindowLongA(editor, GWL_STYLE) & ES_READONLY) return false;
    CHARRANGE selection = selection_of(editor);
    if (selection.cpMax <= selection.cpMin) return false;
    LONG first = (LONG)SendMessageA(editor, EM_EXLINEFROMCHAR, 0, selection.cpMin);
    LONG last = (LONG)SendMessageA(editor, EM_EXLINEFROMCHAR, 0, selection.cpMax);
    LONG lines = (LONG)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
    if (last - first >= LARGE_SELECTION_LINES && (long long)(last - first) * lines >= LARGE_SELECTION_WORK) return true;
    // within long paragraphs the time grows with the square of their runs instead, on any lines
    LONG length = editor_text_length(editor);
    LONG selected = (selection.cpMax < length ? selection.cpMax : length) - selection.cpMin;
    if (selected < LARGE_EDGE_CHARACTERS / 2) return false;
    selection_edges edges;
    edges_find(editor, selection, length, &edges);
    LONG edge = edges_length(editor, selection, length, edges);
    long long work = (long long)selected * edge;
    return edge > LARGE_EDGE_CHARACTERS && work >= LARGE_EDGE_WORK && work / LARGE_EDGE_WORK_PER_CHARACTER >= length;
}

bool large_selection_replace(HWND editor, WNDPROC control, selection_operation operation, UINT message,
                             WPARAM wparam, LPARAM lparam) {
    CHARRANGE selection = selection_of(editor);
    LONG length = editor_text_length(editor);
    LONG end = selection.cpMax < length ? selection.cpMax : length;
    selection_edges edges;
    bool whole_edges = edges_find(editor, selection, length, &edges);
    // Every piece is read into the selection, which keeps a paragraph's end at the stream's end
    // (a whole read drops it), and stops before the mark that closes the last paragraph, which the
    // new control has of its own. The selection's last paragraph keeps its end: the control pastes
    // RTF into the document's last paragraph otherwise than into another.
    LONG last_end = edges.rest_start != TO_END ? edges.rest_start : length;
    bool long_edges = edges_length(editor, selection, length, edges) > LARGE_EDGE_CHARACTERS;
    piece_taken first, last;
    CHARRANGE within;  // the selection in the new control
    if (whole_edges && !long_edges) {
        // the selection's first and last paragraphs whole
        first = piece_take(editor, 0, edges.first_end);
        last = piece_take(editor, edges.last_start, last_end);
        within = {selection.cpMin, edges.first_end + selection.cpMax - edges.last_start};
    } else if (selection_trims(editor, selection.cpMin, end)) {
        // The control deletes a long paragraph's runs in a time growing with the square of their
        // number (13,604 line breaks took 2.6 s), so only the first selected letter is left to it:
        // it keeps the format of what replaces the selection, and what follows the selection in its
        // last paragraph closes the joined paragraph with that paragraph's format, as the control's
        // own deletion does.
        first = piece_take(editor, 0, selection.cpMin + 1);
        last = piece_take(editor, end, last_end);
        within = {selection.cpMin, selection.cpMin + 1 + selection.cpMax - end};
    } else {
        return false;
    }
    bool rest_held = edges.rest_start != TO_END;
    HCURSOR kept = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    piece_taken rest = rest_held ? piece_take(editor, edges.rest_start, length) : piece_taken{};
    final_paragraph final = final_paragraph_take(editor);
    editor_select(editor, selection.cpMin, selection.cpMax);
    // built without notifications or undo steps: the parent hears of the change once, at the end
    LPARAM events = SendMessageA(editor, EM_GETEVENTMASK, 0, 0);
    HWND twin = quiet_twin_make(editor);
    if (!twin) {
        SetCursor(kept);
        return false;
    }
    piece_read(twin, first);
    if (last.length > 0) piece_read(twin, last);
    if (editor_text_length(twin) != first.length + last.length) {
        // something the RTF cannot carry: the control's own way, however long it takes
        DestroyWindow(twin);
        SetCursor(kept);
        return false;
    }
    if (!rest_held) final_paragraph_set(twin, final);
    document_step_begin(editor);
    editor_select(twin, within.cpMin, within.cpMax);
    operation(twin, control, message, wparam, lparam);
    if (rest_held) {
        CHARRANGE done = selection_of(twin);
        piece_read(twin, rest);
        final_paragraph_set(twin, final);
        editor_select(twin, done.cpMin, done.cpMax);
    }
    SendMessageA(twin, EM_SETUNDOLIMIT, EDITOR_UNDO_LIMIT, 0);
    editor_clear_undo(twin);
    editor_twin_put_in_place(&editor, twin);
    SendMessageA(twin, EM_SETEVENTMASK, 0, events);
    SendMessageA(twin, EM_SCROLLCARET, 0, 0);
    document_step_end(twin);
    parent_tell(twin);
    SetCursor(kept);
    return true;
}

int large_document_change(HWND* editor, LONG piece_length, const piece_change& change) {
    HWND old = *editor;
    HCURSOR kept = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    CHARRANGE selection = selection_of(old);
    LPARAM events = SendMessageA(old, EM_GETEVENTMASK, 0, 0);
    // the pieces are read from the editor by selecting them, which nobody is to see or hear of
    SendMessageA(old, EM_SETEVENTMASK, 0, 0);
    SendMessageA(old, WM_SETREDRAW, FALSE, 0);
    final_paragraph final = final_paragraph_take(old);
    HWND twin = quiet_twin_make(old);
    LONG caret = -1;
    int count = twin ? pieces_change(old, twin, piece_length, change, &caret) : -1;
    SendMessageA(old, WM_SETREDRAW, TRUE, 0);
    if (count < 0) {
        if (twin) DestroyWindow(twin);
        editor_select(old, selection.cpMin, selection.cpMax);
        SendMessageA(old, EM_SETEVENTMASK, 0, events);
        SetCursor(kept);
        return -1;
    }
    final_paragraph_set(twin, final);
    if (caret < 0) {
        editor_select(twin, selection.cpMin, selection.cpMax);
    } else {
        editor_select(twin, caret, caret);
    }
    SendMessageA(twin, EM_SETUNDOLIMIT, EDITOR_UNDO_LIMIT, 0);
    editor_clear_undo(twin);
    editor_twin_put_in_place(editor, twin);
    SendMessageA(twin, EM_SETEVENTMASK, 0, events);
    SendMessageA(twin, EM_SCROLLCARET, 0, 0);
    parent_tell(twin);
    SetCursor(kept);
    return count;
}
