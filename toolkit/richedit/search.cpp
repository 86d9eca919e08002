#include "toolkit/richedit/search.h"

#include <richedit.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/large_selection.h"
#include "toolkit/richedit/rtf_check.h"

FINDREPLACEA find_record;

namespace {

// The upward search looks back from the selection in blocks; the first block is small so that a
// nearby match costs two control calls, and each next block is half of what is covered so far,
// so at most a third of the text scanned lies beyond the match.
constexpr LONG FIRST_BLOCK = 64;
constexpr LONG FINE_BLOCKS = 8;

// One buffer per find dialog: the dialog writes what the user types into the one it was opened with.
struct find_buffer {
    HWND dialog;
    char* text;
    find_buffer* next;
};
find_buffer* find_buffers = nullptr;

bool keyword_is(const char* keyword, const char* word) { return keyword && strcmp(keyword, word) == 0; }

UINT find_message() {
    static UINT message = RegisterWindowMessageA(FINDMSGSTRINGA);
    return message;
}

// The control folds only the letters a to z when it ignores case: "åre" would not find "Åre". Each
// letter of the text with a partner of the other case beyond those is tried both ways, in every
// combination, up to this many such letters (1,024 searches); beyond them, as typed.
constexpr size_t CASED_LETTERS_LIMIT = 10;

// The first match that lies wholly inside [first, end) (end -1: the text's end), of any case when
// flags lack FR_MATCHCASE; its start, or -1.
LONG text_find(HWND editor, const char* text, WPARAM flags, LONG first, LONG end, CHARRANGE* found) {
    std::string variant = text;
    std::vector<size_t> cased;  // where a letter beyond a to z has a partner of the other case
    for (size_t i = 0; !(flags & FR_MATCHCASE) && i < variant.size(); ++i) {
        unsigned char letter = (unsigned char)variant[i];
        if (letter < 0x80) continue;
        char upper[2] = {(char)letter, 0}, lower[2] = {(char)letter, 0};
        CharUpperBuffA(upper, 1);
        CharLowerBuffA(lower, 1);
        if (upper[0] != lower[0]) cased.push_back(i);
    }
    if (cased.size() > CASED_LETTERS_LIMIT) cased.clear();
    CHARRANGE best = {-1, -1};
    for (unsigned long combination = 0; combination < (1ul << cased.size()); ++combination) {
        for (size_t bit = 0; bit < cased.size(); ++bit) {
            char* letter = &variant[cased[bit]];
            if (combination & (1ul << bit)) {
                CharUpperBuffA(letter, 1);
            } else {
                CharLowerBuffA(letter, 1);
            }
        }
        // a match of the same length that starts earlier ends before the best so far
        LONG until = best.cpMin >= 0 ? best.cpMax - 1 : end;
        if (best.cpMin >= 0 && until <= first) break;
        FINDTEXTEXA record = {{first, until}, variant.c_str(), {-1, -1}};
        if (SendMessageA(editor, EM_FINDTEXTEX, flags, (LPARAM)&record) >= 0) best = record.chrgText;
    }
    if (found) *found = best;
    return best.cpMin;
}

struct search {
    HWND editor;
    const char* text;
    LONG length;  // of the text to find
    WPARAM flags;
};

// The first match that lies wholly inside [first, end); -1 when there is none.
LONG match_first(const search& s, LONG first, LONG end, CHARRANGE* found) {
    return text_find(s.editor, s.text, s.flags, first, end, found);
}

// First match starting in [first, last].
LONG match_starting_in(const search& s, LONG first, LONG last) {
    return match_first(s, first, last + s.length, nullptr);
}

LONG match_last(const search& s, LONG lowest, LONG last, LONG block);

// A match starts at found, none before it in its block: the last one is there or after it.
LONG match_last_from(const search& s, LONG found, LONG last) {
    if (found == last) return found;
    LONG next = match_starting_in(s, found + 1, last);
    if (next < 0) return found;
    // several in the block: look back from its end in finer blocks
    LONG later = match_last(s, next + 1, last, (last - next) / FINE_BLOCKS + 1);
    return later >= 0 ? later : next;
}

// The last match starting in [lowest, last], looking back from last in growing blocks.
LONG match_last(const search& s, LONG lowest, LONG last, LONG block) {
    LONG covered = 0;
    while (last >= lowest) {
        LONG first = last - block + 1 < lowest ? lowest : last - block + 1;
        LONG found = match_starting_in(s, first, last);
        if (found >= 0) return match_last_from(s, found, last);
        covered += last - first + 1;
        last = first - 1;
        block = covered / 2 > block ? covered / 2 : block;
    }
    return -1;
}

// A first window that starts before the text: the control decides, one window at a time.
int find_up_before_text(const search& s, LONG start) {
    for (LONG first = start;; --first) {
        CHARRANGE found;
        LONG at = match_first(s, first, first + s.length, &found);
        if (at < 0 && first < 1) return -1;
        if (at >= 0 && found.cpMax - found.cpMin >= s.length) {
            editor_select(s.editor, found.cpMin, found.cpMax);
            return 0;
        }
    }
}

// The match nearest before the selection start, exactly the one found by moving a window as
// wide as the text back one character at a time, with a handful of control calls.
int find_up(const search& s, LONG caret) {
    LONG last = caret - s.length;
    if (last < 0) return find_up_before_text(s, last);
    LONG at = match_last(s, 0, last, FIRST_BLOCK);
    if (at < 0) return -1;
    editor_select(s.editor, at, at + s.length);
    return 0;
}

// The first match after the selection start; the occurrence at the start itself is skipped.
int find_down(const search& s, LONG caret, LONG text_length) {
    CHARRANGE found;
    if (match_first(s, caret + 1, text_length, &found) < 0) return 1;
    editor_select(s.editor, found.cpMin, found.cpMax);
    return 0;
}

void find_buffers_release_unused() {
    for (find_buffer** link = &find_buffers; *link;) {
        find_buffer* entry = *link;
        if (IsWindow(entry->dialog) || entry->text == find_record.lpstrFindWhat) {
            link = &entry->next;
            continue;
        }
        *link = entry->next;
        free(entry->text);
        free(entry);
    }
}

int text_length_within(const char* text, int size) {
    int length = 0;
    while (text && length < size && text[length]) ++length;
    return length;
}

}  // namespace

int editor_find(HWND editor, const char* text, int from_dialog, const char* direction,
                const char* match_case) {
    search s = {editor, text, 0, keyword_is(match_case, "M") ? (WPARAM)(FR_DOWN | FR_MATCHCASE) : FR_DOWN};
    if (from_dialog == 1) {
        s.text = find_record.lpstrFindWhat;
        s.flags = (find_record.Flags & FR_MATCHCASE) ? FR_DOWN | FR_MATCHCASE : FR_DOWN;
    }
    if (!s.text) s.text = "";
    s.length = (LONG)strlen(s.text);
    LONG text_length = editor_text_length(editor);
    if (text_length < 1) return 3;
    bool down = keyword_is(direction, "D");
    if (!down && !keyword_is(direction, "U")) return 2;
    LONG caret = editor_caret_position(editor, "FORMAT");
    HCURSOR kept = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    int result = down ? find_down(s, caret, text_length) : find_up(s, caret);
    SetCursor(kept);
    return result;
}

HWND find_dialog_open(HWND owner, HWND editor) {
    CHARRANGE selection = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&selection);
    if (selection.cpMax - selection.cpMin > FIND_TEXT_LIMIT) return nullptr;
    find_buffer* entry = (find_buffer*)calloc(1, sizeof(find_buffer));
    char* text = (char*)calloc(FIND_BUFFER_SIZE, 1);
    if (!entry || !text) {
        free(entry);
        free(text);
        return nullptr;
    }
    editor_get_selected_text(editor, text, FIND_BUFFER_SIZE);
    FINDREPLACEA kept = find_record;
    find_record = FINDREPLACEA{};
    find_record.lStructSize = sizeof(FINDREPLACEA);
    find_record.hwndOwner = owner;
    find_record.Flags = FR_DOWN | FR_HIDEWHOLEWORD;
    find_record.lpstrFindWhat = text;
    find_record.wFindWhatLen = FIND_BUFFER_SIZE;
    HWND dialog = FindTextA(&find_record);
    if (!dialog) {
        find_record = kept;  // an earlier dialog still reports with it
        free(entry);
        free(text);
        return nullptr;
    }
    *entry = {dialog, text, find_buffers};
    find_buffers = entry;
    find_buffers_release_unused();
    return dialog;
}

namespace {

// The dialog's fields hold the letters as typed, its record Windows-1252 with a look-alike for a
// letter outside it (l for ł): searched for, that would find and replace other letters.
bool dialog_fields_fit(HWND dialog) {
    for (int id : {edt1, edt2}) {
        HWND field = GetDlgItem(dialog, id);
        if (!field) continue;
        int length = GetWindowTextLengthW(field);
        std::wstring text(length + 1, L'\0');
        GetWindowTextW(field, &text[0], length + 1);
        BOOL lost = FALSE;
        WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &lost);
        if (lost) return false;
    }
    return true;
}

}  // namespace

int find_dialog_event(HWND main_window, HWND dialog, LPARAM record, UINT message,
                      int up_command, int down_command) {
    find_buffers_release_unused();
    if (!dialog || message != find_message()) return 0;
    const FINDREPLACEA* report = (const FINDREPLACEA*)record;
    if (report != &find_record || (report->Flags & FR_DIALOGTERM)) return 0;
    if (text_length_within(report->lpstrFindWhat, report->wFindWhatLen) > FIND_TEXT_LIMIT) {
        DestroyWindow(dialog);
        return 2;
    }
    if (!dialog_fields_fit(dialog)) return FIND_UNFIT;
    int command = 0;
    if (report->Flags & (FR_DOWN | FR_WHOLEWORD)) {
        command = down_command;
    } else if (report->Flags & (FR_MATCHCASE | FR_FINDNEXT)) {
        command = up_command;
    } else {
        return 0;
    }
    PostMessageA(main_window, WM_COMMAND, (WPARAM)command, 0);
    return 1;
}

int find_dialog_buffers_held() {
    int count = 0;
    for (find_buffer* entry = find_buffers; entry; entry = entry->next) ++count;
    return count;
}

FINDREPLACEA replace_record;

namespace {

char replace_find_text[FIND_BUFFER_SIZE];
char replace_with_text[FIND_BUFFER_SIZE];
HWND replace_dialog = nullptr;

WPARAM search_flags(DWORD flags) { return FR_DOWN | (flags & (FR_MATCHCASE | FR_WHOLEWORD)); }

// The first match in [first, end), or {-1, -1}.
CHARRANGE match_in(HWND editor, const char* text, DWORD flags, LONG first, LONG end) {
    CHARRANGE found = {-1, -1};
    text_find(editor, text, search_flags(flags), first, end, &found);
    return found;
}

// Every match from first on; a replacement takes the format of the text it replaces.
int replace_every_match(HWND editor, const char* text, const char* replacement, DWORD flags, LONG first) {
    int count = 0;
    LONG from = first;
    LONG replacement_length = (LONG)strlen(replacement);
    for (;;) {
        CHARRANGE found = match_in(editor, text, flags, from, -1);
        if (found.cpMin < 0) return count;
        SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&found);
        SendMessageA(editor, EM_REPLACESEL, FALSE, (LPARAM)replacement);
        from = found.cpMin + replacement_length;
        ++count;
    }
}

// Selects the first match from there on; false, with the selection kept, when there is none.
bool select_match_from(HWND editor, const char* text, DWORD flags, LONG from) {
    CHARRANGE found = match_in(editor, text, flags, from, -1);
    if (found.cpMin < 0) return false;
    editor_select(editor, found.cpMin, found.cpMax);
    return true;
}

}  // namespace

bool editor_find_next(HWND editor, const char* text, DWORD flags) {
    if (!text || !text[0]) return false;
    CHARRANGE selection = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&selection);
    return select_match_from(editor, text, flags, selection.cpMin + 1);
}

int editor_replace_selection(HWND editor, const char* text, const char* replacement, DWORD flags) {
    if (!text || !text[0]) return 0;
    CHARRANGE selection = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&selection);
    CHARRANGE found = match_in(editor, text, flags, selection.cpMin, selection.cpMax);
    LONG from = selection.cpMin + 1;
    int replaced = 0;
    if (found.cpMin == selection.cpMin && found.cpMax == selection.cpMax) {
        SendMessageA(editor, EM_REPLACESEL, TRUE, (LPARAM)replacement);
        replaced = 1;
        from = selection.cpMin + (LONG)strlen(replacement);  // the search goes on after it
    }
    select_match_from(editor, text, flags, from);
    return replaced;
}

namespace {

struct replace_order {
    const char* text;
    const char* replacement;
    DWORD flags;
};

LONG replace_next(HWND editor, LONG from, const void* data) {
    const replace_order* order = (const replace_order*)data;
    return match_in(editor, order->text, order->flags, from, -1).cpMin;
}

int replace_piece(HWND scratch, const void* data) {
    const replace_order* order = (const replace_order*)data;
    return replace_every_match(scratch, order->text, order->replacement, order->flags, 0);
}

}  // namespace

int editor_replace_all_in_pieces(HWND* editor, const char* text, const char* replacement, DWORD flags,
                                 LONG piece_length) {
    // a match across a paragraph's end cannot be found in a piece
    if (!text || !text[0] || strpbrk(text, "\r\n")) return -1;
    replace_order order = {text, replacement, flags};
    return large_document_change(editor, piece_length, piece_change{replace_next, replace_piece, &order});
}

// Each match is replaced with the control's undo off, so the control keeps every format around it
// and spends nothing on 100,000 undo steps; the document before and after, kept as RTF, is the one
// step Undo and Redo take while nothing else changed.
int editor_replace_all(HWND* editor, const char* text, const char* replacement, DWORD flags) {
    if (!text || !text[0]) return 0;
    CHARRANGE first = match_in(*editor, text, flags, 0, -1);
    if (first.cpMin < 0) return 0;
    HCURSOR kept = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    document_step_begin(*editor);
    int count = -1;
    if (SendMessageA(*editor, EM_GETLINECOUNT, 0, 0) >= LARGE_DOCUMENT_LINES) {
        count = editor_replace_all_in_pieces(editor, text, replacement, flags, LARGE_DOCUMENT_PIECE);
    }
    if (count < 0) {
        SendMessageA(*editor, WM_SETREDRAW, FALSE, 0);
        count = replace_every_match(*editor, text, replacement, flags, first.cpMin);
        SendMessageA(*editor, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(*editor, nullptr, TRUE);
    }
    document_step_end(*editor);
    SetCursor(kept);
    return count;
}

HWND replace_dialog_open(HWND owner, HWND editor, const char* find_text) {
    if (replace_dialog && IsWindow(replace_dialog)) {
        SetFocus(replace_dialog);
        return replace_dialog;
    }
    CHARRANGE selection = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&selection);
    if (selection.cpMax > selection.cpMin && selection.cpMax - selection.cpMin <= FIND_TEXT_LIMIT) {
        editor_get_selected_text(editor, replace_find_text, FIND_BUFFER_SIZE);
    } else if (find_text) {
        strncpy(replace_find_text, find_text, FIND_TEXT_LIMIT);
        replace_find_text[FIND_TEXT_LIMIT] = '\0';
    }
    replace_record = FINDREPLACEA{};
    replace_record.lStructSize = sizeof(FINDREPLACEA);
    replace_record.hwndOwner = owner;
    replace_record.Flags = FR_DOWN;
    replace_record.lpstrFindWhat = replace_find_text;
    replace_record.wFindWhatLen = FIND_BUFFER_SIZE;
    replace_record.lpstrReplaceWith = replace_with_text;
    replace_record.wReplaceWithLen = FIND_BUFFER_SIZE;
    replace_dialog = ReplaceTextA(&replace_record);
    return replace_dialog;
}

replace_request replace_dialog_event(UINT message, LPARAM record) {
    if (message != find_message() || (const FINDREPLACEA*)record != &replace_record) return REPLACE_NONE;
    // the texts the dialog wrote are its own to end: nothing past the buffers is read
    replace_find_text[FIND_BUFFER_SIZE - 1] = '\0';
    replace_with_text[FIND_BUFFER_SIZE - 1] = '\0';
    if (replace_record.Flags & FR_DIALOGTERM) {
        replace_dialog = nullptr;
        return REPLACE_CLOSED;
    }
    if (!dialog_fields_fit(replace_dialog)) return REPLACE_UNFIT;
    if (replace_record.Flags & FR_REPLACEALL) return REPLACE_ALL;
    if (replace_record.Flags & FR_REPLACE) return REPLACE_ONE;
    if (replace_record.Flags & FR_FINDNEXT) return REPLACE_FIND_NEXT;
    return REPLACE_NONE;
}
