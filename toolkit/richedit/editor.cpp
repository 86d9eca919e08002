// The document surface: one rich edit control and the small operations that drive it.
#include "toolkit/richedit/editor.h"

#include "toolkit/richedit/clipboard.h"
#include "toolkit/richedit/document.h"

#include <richedit.h>
#include <string.h>

namespace {

constexpr DWORD EDITOR_STYLE = WS_CHILD | WS_VISIBLE | ES_NOHIDESEL | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_MULTILINE;
constexpr DWORD EDITOR_EX_STYLE = WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES;
constexpr LPARAM EDITOR_EVENTS = ENM_CHANGE | ENM_UPDATE | ENM_SCROLL | ENM_KEYEVENTS | ENM_MOUSEEVENTS |
                                 ENM_REQUESTRESIZE | ENM_SELCHANGE | ENM_DROPFILES | ENM_PROTECTED;
constexpr int EDITOR_ID = 1;
constexpr int TWIPS_PER_POINT = 20;
constexpr int TAB_SPAN_POINTS = 900;  // the last tab stop stays this close to the margin
constexpr LONG DEFAULT_TAB_TWIPS = 720;  // the control's own step where a paragraph has no stops
constexpr COLORREF NO_COLOUR = 999;
// Beyond this many characters a new control takes the old one's place rather than the old one
// emptying itself: its time grows with the square of its paragraphs and of its runs of one
// format (30,000 short lines take 19 s, a 76 KB file of format changes 5 s), and each of them
// holds at least one character.
constexpr int RENEW_LENGTH = 2000;

// What a new control in the old one's place needs and the control cannot be asked for: the
// background and the line width it wraps at, kept beside it as window properties.
constexpr const char* BACKGROUND_PROPERTY = "editor_background";  // the colour + 1; none: the system colour
// The scroll bars it was made with: the control shows and hides them as the text needs, and a
// control made without one never shows it.
constexpr const char* SCROLL_PROPERTY = "editor_scroll";  // the style bits + 1
constexpr const char* WRAP_TARGET_PROPERTY = "editor_wrap_target";
constexpr const char* WRAP_WIDTH_PROPERTY = "editor_wrap_width";  // the width + 1; none: never set
// The text limit it was made with: the control raises its own to hold whatever a read brings.
constexpr const char* LIMIT_PROPERTY = "editor_limit";  // the limit + 1
const char* const EDITOR_PROPERTIES[] = {BACKGROUND_PROPERTY, SCROLL_PROPERTY, WRAP_TARGET_PROPERTY,
                                         WRAP_WIDTH_PROPERTY, LIMIT_PROPERTY};

// The control's class procedure, shared by every editor.
WNDPROC control_procedure = nullptr;

// Kept beside the control for a new one in its place.
LRESULT wrap_target_set(HWND editor, HDC target, LPARAM width) {
    SetPropA(editor, WRAP_TARGET_PROPERTY, (HANDLE)target);
    SetPropA(editor, WRAP_WIDTH_PROPERTY, (HANDLE)(width + 1));
    return SendMessageA(editor, EM_SETTARGETDEVICE, (WPARAM)target, width);
}

DWORD scroll_style(const char* keyword) {
    if (!keyword) return 0;
    if (strcmp(keyword, "HSCROLL") == 0) return WS_HSCROLL;
    if (strcmp(keyword, "VSCROLL") == 0) return WS_VSCROLL;
    if (strcmp(keyword, "VHSCROLL") == 0) return WS_HSCROLL | WS_VSCROLL;
    return 0;
}

CHARRANGE selection_of(HWND editor) {
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&range);
    return range;
}

int line_of_selection(HWND editor, CHARRANGE range) {
    return (int)SendMessageA(editor, EM_EXLINEFROMCHAR, 0, range.cpMin);
}

int capped_tab_count(int count, int step) {
    if ((long long)count * step > TAB_SPAN_POINTS) count = TAB_SPAN_POINTS / step;
    if (count > MAX_TAB_STOPS) count = MAX_TAB_STOPS;
    return count < 0 ? 0 : count;
}

// Receives a streamed-out selection into a bounded buffer; stops the stream once it is full.
struct text_sink {
    char* buffer;
    int room;  // bytes left before the terminator
    int used;
};

DWORD CALLBACK selection_sink(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
    text_sink* sink = (text_sink*)cookie;
    LONG take = count < sink->room ? count : sink->room;
    memcpy(sink->buffer + sink->used, bytes, take);
    sink->used += take;
    sink->room -= take;
    *done = count;
    return sink->room > 0 ? 0 : 1;
}

}  // namespace

HWND editor_create(HWND parent, int x, int y, int width, int height, const char* scroll, int limit) {
    LoadLibraryA("RichEd32.DLL");
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(parent, GWLP_HINSTANCE);
    HWND editor = CreateWindowExA(EDITOR_EX_STYLE, "RICHEDIT", "", EDITOR_STYLE | scroll_style(scroll), x, y,
                                  width, height, parent, (HMENU)(INT_PTR)EDITOR_ID, instance, nullptr);
    if (!editor) return nullptr;
    SetPropA(editor, SCROLL_PROPERTY, (HANDLE)(ULONG_PTR)(scroll_style(scroll) + 1));
    SendMessageA(editor, EM_EXLIMITTEXT, 0, limit);
    SetPropA(editor, LIMIT_PROPERTY, (HANDLE)(ULONG_PTR)((ULONG_PTR)limit + 1));
    if (x + y + width + height == 0) {
        RECT client;
        GetClientRect(parent, &client);
        MoveWindow(editor, 0, 0, client.right, client.bottom, TRUE);
    }
    SendMessageA(editor, EM_SETEVENTMASK, 0, EDITOR_EVENTS);
    control_procedure = (WNDPROC)GetWindowLongPtrA(editor, GWLP_WNDPROC);
    SetWindowLongPtrA(editor, GWLP_WNDPROC, (LONG_PTR)editor_default_procedure);
    return editor;
}

LRESULT CALLBACK editor_default_procedure(HWND editor, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!control_procedure) return 0;
    if (message == WM_DESTROY) {
        for (const char* name : EDITOR_PROPERTIES) RemovePropA(editor, name);
    }
    return clipboard_transfer(editor, control_procedure, message, wparam, lparam);
}

void editor_select_all(HWND editor) {
    CHARRANGE all = {0, (LONG)SendMessageA(editor, EM_GETLIMITTEXT, 0, 0)};
    SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&all);
}

void editor_set_text_size(HWND editor, int points) {
    CHARFORMATA format;
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    format.dwMask = CFM_SIZE;
    format.yHeight = points * TWIPS_PER_POINT;
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&format);
}

namespace {

// The paragraph format of the margin and tab stops: every line of a paragraph at the margin.
PARAFORMAT layout_format(int margin, int count, int step) {
    // never a negative indent or tab stop: the control's RTF writer ends the program on a
    // negative tab stop, and an indent left of the page hides the text
    if (margin < 0) margin = 0;
    if (margin > EDITOR_TWIPS_LIMIT / TWIPS_PER_POINT) margin = EDITOR_TWIPS_LIMIT / TWIPS_PER_POINT;
    if (step < 0) step = 0;
    count = capped_tab_count(count, step);
    PARAFORMAT format;
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    format.dwMask = PFM_STARTINDENT | PFM_TABSTOPS | PFM_OFFSET;
    format.dxStartIndent = margin * TWIPS_PER_POINT;
    format.cTabCount = (SHORT)count;
    for (int i = 0; i < count; i++) format.rgxTabs[i] = (margin + i * step) * TWIPS_PER_POINT;
    return format;
}

}  // namespace

bool editor_empty_keep_layout(HWND editor, int margin, int count, int step) {
    if (editor_text_length(editor) != 0) return false;
    PARAFORMAT format = layout_format(margin, count, step);
    PARAFORMAT now = editor_selection_paragraph(editor);
    if (now.dxStartIndent == format.dxStartIndent && now.dxOffset == 0 && now.cTabCount == format.cTabCount &&
        memcmp(now.rgxTabs, format.rgxTabs, format.cTabCount * sizeof format.rgxTabs[0]) == 0) {
        return false;
    }
    // with no room for undo steps the control records none, and keeps the ones it has
    LRESULT modified = SendMessageA(editor, EM_GETMODIFY, 0, 0);
    SendMessageA(editor, EM_SETUNDOLIMIT, 0, 0);
    SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&format);
    SendMessageA(editor, EM_SETUNDOLIMIT, EDITOR_UNDO_LIMIT, 0);
    SendMessageA(editor, EM_SETMODIFY, modified, 0);
    return true;
}

namespace {

// One pass over every paragraph, one step of the control's own to undo; the caret goes home.
void paragraphs_all_set(HWND editor, PARAFORMAT format) {
    ShowWindow(editor, SW_HIDE);  // one repaint once shown again
    editor_select_all(editor);
    SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&format);
    editor_select(editor, 0, 0);
    ShowWindow(editor, SW_SHOW);
}

}  // namespace

void editor_set_indent_and_tabs(HWND editor, int margin, int count, int step) {
    // One absolute pass, so that one Undo takes all of it back. Every line of a paragraph stands
    // at the margin: the control's writer cannot express a first line at the margin over lines
    // at the left edge (it writes the pair swapped).
    paragraphs_all_set(editor, layout_format(margin, count, step));
}

namespace {

constexpr DWORD INDENTS = PFM_STARTINDENT | PFM_OFFSET;

// The paragraph's indents from the old margin to the new one (twips): its lines as far beyond
// the margin as they were, none left of it (as every line stood at the margin before it had an
// indent of its own), the first line as far from the others, none left of the page or past the
// limit.
void indents_move(PARAFORMAT* format, LONG old_margin, LONG margin) {
    auto within = [](LONG twips) { return twips < 0 ? 0 : twips > EDITOR_TWIPS_LIMIT ? EDITOR_TWIPS_LIMIT : twips; };
    LONG rest = format->dxStartIndent + format->dxOffset;
    LONG moved = within(margin + (rest > old_margin ? rest - old_margin : 0));
    LONG first = within(moved - format->dxOffset);
    format->dxStartIndent = first;
    format->dxOffset = moved - first;
}

// The indents of the paragraphs of [start, end), when they share them.
bool indents_shared(HWND editor, LONG start, LONG end, PARAFORMAT* format) {
    editor_select(editor, start, end);
    *format = editor_selection_paragraph(editor);
    return (format->dwMask & INDENTS) == INDENTS;
}

}  // namespace

void editor_move_margin(HWND editor, int old_margin, int margin, int count, int step) {
    PARAFORMAT format = layout_format(margin, count, step);
    LONG old_twips = layout_format(old_margin, count, step).dxStartIndent, twips = format.dxStartIndent;
    PARAFORMAT all;
    LONG length = editor_text_length(editor);
    if (indents_shared(editor, 0, length, &all)) {
        indents_move(&all, old_twips, twips);
        format.dxStartIndent = all.dxStartIndent;
        format.dxOffset = all.dxOffset;
        paragraphs_all_set(editor, format);
        return;
    }
    // Paragraphs of their own: each stretch that shares its indents is moved alone, the whole
    // kept as one step of the document.
    HCURSOR kept = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    document_step_begin(editor);
    SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
    SendMessageA(editor, EM_SETUNDOLIMIT, 0, 0);
    for (LONG at = 0; at <= length;) {
        PARAFORMAT first, probe;
        indents_shared(editor, at, at, &first);
        LONG last = editor_gallop(at, length, [&](LONG end) {
            return indents_shared(editor, at, end, &probe) && probe.dxStartIndent == first.dxStartIndent &&
                   probe.dxOffset == first.dxOffset;
        });
        indents_move(&first, old_twips, twips);
        format.dxStartIndent = first.dxStartIndent;
        format.dxOffset = first.dxOffset;
        editor_select(editor, at, last);
        SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&format);
        at = last + 1;  // the paragraph after the last that shares them starts there
    }
    SendMessageA(editor, EM_SETUNDOLIMIT, EDITOR_UNDO_LIMIT, 0);
    editor_clear_undo(editor);
    editor_select(editor, 0, 0);
    SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(editor, nullptr, TRUE);
    document_step_end(editor);
    SetCursor(kept);
}

LONG editor_gallop(LONG good, LONG limit, const std::function<bool(LONG)>& holds) {
    LONG bad = limit + 1, step = 1;
    while (good < limit) {
        LONG ahead = good + step < limit ? good + step : limit;
        if (!holds(ahead)) {
            bad = ahead;
            break;
        }
        good = ahead;
        step *= 2;
    }
    while (bad - good > 1) {
        LONG middle = good + (bad - good) / 2;
        if (holds(middle)) good = middle; else bad = middle;
    }
    return good;
}

int editor_filter_event(HWND editor, LPARAM notification) {
    const NMHDR* header = (const NMHDR*)notification;
    if (!header || header->hwndFrom != editor) return 0;
    switch (header->code) {
        case EN_MSGFILTER:
            return (int)((const MSGFILTER*)notification)->msg;
        case EN_REQUESTRESIZE:
        case EN_SELCHANGE:
        case EN_DROPFILES:
            return (int)header->code;
        default:
            return 0;
    }
}

int editor_caret_line(HWND editor) {
    return line_of_selection(editor, selection_of(editor)) + 1;
}

int editor_caret_position(HWND editor, const char* keyword) {
    CHARRANGE range = selection_of(editor);
    // the control counts each line break as two characters; NOFORMAT leaves them out
    int per_line = (keyword && strcmp(keyword, "NOFORMAT") == 0) ? 2 : 0;
    return range.cpMin - line_of_selection(editor, range) * per_line;
}

PARAFORMAT editor_selection_paragraph(HWND editor) {
    PARAFORMAT format;
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    return format;
}

namespace {

LONG tab_position(const PARAFORMAT& format, int stop) { return format.rgxTabs[stop] & 0x00FFFFFF; }

}  // namespace

int editor_caret_margin(HWND editor) {
    return MulDiv(editor_selection_paragraph(editor).dxStartIndent, 1, TWIPS_PER_POINT);
}

int editor_caret_tab_step(HWND editor) {
    PARAFORMAT format = editor_selection_paragraph(editor);
    LONG step = DEFAULT_TAB_TWIPS;
    if (format.cTabCount >= 2) step = tab_position(format, 1) - tab_position(format, 0);
    if (format.cTabCount == 1 && tab_position(format, 0) > format.dxStartIndent) {
        step = tab_position(format, 0) - format.dxStartIndent;
    }
    return MulDiv(step, 1, TWIPS_PER_POINT);
}

int editor_text_length(HWND editor) {
    return (int)SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
}

void editor_focus(HWND editor) {
    SetFocus(editor);
}

int editor_has_selection(HWND editor) {
    CHARRANGE range = selection_of(editor);
    return range.cpMax > range.cpMin ? 1 : 0;
}

void editor_delete_selection(HWND editor) {
    SendMessageA(editor, WM_CLEAR, 0, 0);
}

void editor_set_colours(HWND editor, COLORREF text, COLORREF background) {
    CHARFORMATA format;
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    DWORD uniform = (DWORD)SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    // an effect that varies over the selection is switched off for the whole text
    DWORD effects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;
    format.dwEffects &= uniform & effects;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_FACE | CFM_COLOR | CFM_SIZE;
    format.crTextColor = text;
    if (text != NO_COLOUR) SendMessageA(editor, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);
    if (background == NO_COLOUR) {
        SendMessageA(editor, EM_SETBKGNDCOLOR, NO_COLOUR, 0);
        RemovePropA(editor, BACKGROUND_PROPERTY);
    } else {
        SendMessageA(editor, EM_SETBKGNDCOLOR, 0, background);
        SetPropA(editor, BACKGROUND_PROPERTY, (HANDLE)(ULONG_PTR)(background + 1));
    }
}

void editor_select(HWND editor, LONG start, LONG end) {
    CHARRANGE range = {start, end};
    SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&range);
}

void editor_get_selected_text(HWND editor, char* buffer, int buffer_size) {
    if (!buffer || buffer_size < 1) return;
    // streamed rather than EM_GETSELTEXT, which cannot be told the buffer's size
    text_sink sink = {buffer, buffer_size - 1, 0};
    if (sink.room > 0 && editor_has_selection(editor)) {
        EDITSTREAM stream = {(DWORD_PTR)&sink, 0, selection_sink};
        SendMessageA(editor, EM_STREAMOUT, SF_TEXT | SFF_SELECTION, (LPARAM)&stream);
    }
    buffer[sink.used] = '\0';
}

LONG editor_text_limit(HWND editor) {
    if (ULONG_PTR limit = (ULONG_PTR)GetPropA(editor, LIMIT_PROPERTY)) return (LONG)(limit - 1);
    return (LONG)SendMessageA(editor, EM_GETLIMITTEXT, 0, 0);
}

HWND editor_twin_make(HWND old) {
    HWND parent = GetParent(old);
    RECT place;
    char class_name[64];
    if (!parent || !GetWindowRect(old, &place) || !GetClassNameA(old, class_name, sizeof class_name)) return nullptr;
    MapWindowPoints(nullptr, parent, (POINT*)&place, 2);
    constexpr DWORD SCROLL_BARS = WS_HSCROLL | WS_VSCROLL;
    DWORD made_with = (DWORD)((ULONG_PTR)GetPropA(old, SCROLL_PROPERTY) - 1) & SCROLL_BARS;
    DWORD style = ((DWORD)GetWindowLongPtrA(old, GWL_STYLE) & ~(WS_VISIBLE | SCROLL_BARS)) | made_with;
    HWND twin = CreateWindowExA((DWORD)GetWindowLongPtrA(old, GWL_EXSTYLE), class_name, "", style, place.left, place.top,
                                place.right - place.left, place.bottom - place.top, parent,
                                (HMENU)GetWindowLongPtrA(old, GWLP_ID), (HINSTANCE)GetWindowLongPtrA(old, GWLP_HINSTANCE),
                                nullptr);
    if (!twin) return nullptr;
    SendMessageA(twin, EM_EXLIMITTEXT, 0, SendMessageA(old, EM_GETLIMITTEXT, 0, 0));
    if (HANDLE limit = GetPropA(old, LIMIT_PROPERTY)) SetPropA(twin, LIMIT_PROPERTY, limit);
    SendMessageA(twin, EM_SETOPTIONS, ECOOP_SET, SendMessageA(old, EM_GETOPTIONS, 0, 0));
    SendMessageA(twin, WM_SETFONT, SendMessageA(old, WM_GETFONT, 0, 0), FALSE);
    CHARFORMATA characters;
    memset(&characters, 0, sizeof characters);
    characters.cbSize = sizeof characters;
    SendMessageA(old, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&characters);
    SendMessageA(twin, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&characters);
    SendMessageA(twin, EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&characters);
    if (ULONG_PTR background = (ULONG_PTR)GetPropA(old, BACKGROUND_PROPERTY)) {
        editor_set_colours(twin, NO_COLOUR, (COLORREF)(background - 1));
    }
    if (LPARAM width = (LPARAM)GetPropA(old, WRAP_WIDTH_PROPERTY)) {
        wrap_target_set(twin, (HDC)GetPropA(old, WRAP_TARGET_PROPERTY), width - 1);
    }
    SendMessageA(twin, EM_SETUNDOLIMIT, EDITOR_UNDO_LIMIT, 0);
    SendMessageA(twin, EM_SETEVENTMASK, 0, SendMessageA(old, EM_GETEVENTMASK, 0, 0));
    SetWindowLongPtrA(twin, GWLP_WNDPROC, GetWindowLongPtrA(old, GWLP_WNDPROC));
    return twin;
}

bool editor_renew_if_large(HWND* editor) {
    if (editor_text_length(*editor) <= RENEW_LENGTH) return false;
    HWND twin = editor_twin_make(*editor);
    if (!twin) return false;
    editor_twin_put_in_place(editor, twin);
    return true;
}

void editor_twin_put_in_place(HWND* editor, HWND twin) {
    HWND old = *editor;
    bool focused = GetFocus() == old;
    SetWindowPos(twin, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (GetWindowLongPtrA(old, GWL_STYLE) & WS_VISIBLE) ShowWindow(twin, SW_SHOWNA);
    if (focused) SetFocus(twin);
    *editor = twin;
    // the parent hears of the new control before the old one goes
    HWND parent = GetParent(twin);
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetWindowLongPtrA(twin, GWLP_ID), EDITOR_RENEWED), (LPARAM)twin);
    DestroyWindow(old);
}

int editor_set_text(HWND* editor, const char* text) {
    editor_renew_if_large(editor);
    return SendMessageA(*editor, WM_SETTEXT, 0, (LPARAM)text) == 1 ? 0 : 1;
}

void editor_set_modified(HWND editor, const char* keyword) {
    if (!keyword) return;
    if (strcmp(keyword, "ON") == 0) SendMessageA(editor, EM_SETMODIFY, 1, 0);
    if (strcmp(keyword, "OFF") == 0) SendMessageA(editor, EM_SETMODIFY, 0, 0);
}

void editor_undo(HWND editor) {
    if (editor_can_undo(editor)) {
        SendMessageA(editor, WM_UNDO, 0, 0);
    } else {
        MessageBeep(MB_ICONEXCLAMATION);
    }
}

void editor_cut(HWND editor) {
    SendMessageA(editor, WM_CUT, 0, 0);
}

void editor_copy(HWND editor) {
    SendMessageA(editor, WM_COPY, 0, 0);
}

void editor_paste(HWND editor) {
    SendMessageA(editor, WM_PASTE, 0, 0);
}

int editor_can_undo(HWND editor) {
    return SendMessageA(editor, EM_CANUNDO, 0, 0) == 1 ? 1 : 0;
}

int editor_can_redo(HWND editor) { return SendMessageA(editor, EM_CANREDO, 0, 0) ? 1 : 0; }

void editor_redo(HWND editor) {
    if (editor_can_redo(editor)) {
        SendMessageA(editor, EM_REDO, 0, 0);
    } else {
        MessageBeep(MB_ICONEXCLAMATION);
    }
}

void editor_clear_undo(HWND editor) {
    SendMessageA(editor, EM_EMPTYUNDOBUFFER, 0, 0);
}

int clipboard_has_text() {
    return IsClipboardFormatAvailable(CF_TEXT) ? 1 : 0;
}

int editor_set_wrap(HWND editor, const char* mode, HDC target, int width) {
    LRESULT done;
    if (lstrcmpA(mode, "WINDOW") == 0) {
        done = wrap_target_set(editor, nullptr, 0);
    } else if (lstrcmpA(mode, "PAGE") == 0 && width > 0) {
        done = wrap_target_set(editor, target, width);
    } else {
        done = wrap_target_set(editor, nullptr, 1);  // a width with no device: no wrapping
    }
    // lines that were scrolled sideways start at the left edge again
    POINT scrolled = {};
    SendMessageA(editor, EM_GETSCROLLPOS, 0, (LPARAM)&scrolled);
    scrolled.x = 0;
    SendMessageA(editor, EM_SETSCROLLPOS, 0, (LPARAM)&scrolled);
    return done ? 0 : 1;
}
