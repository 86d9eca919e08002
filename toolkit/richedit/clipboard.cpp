// The editor's copy, cut and paste: what other programs receive is exactly the selected text,
// and what they offer cannot harm the document.
#include "toolkit/richedit/clipboard.h"
#include "toolkit/richedit/large_selection.h"
#include "toolkit/richedit/rtf_check.h"
#include "toolkit/richedit/rtf_write.h"
#include "toolkit/richedit/text_encoding.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

// The selection, as the clipboard should hold it.
struct clipboard_content {
    std::string text;  // UTF-16, terminator included
    std::string rtf;   // no terminator: other programs receive the block's every byte
};

// The control would copy and cut on ctrl+C and ctrl+X (ctrl+Insert and shift+Delete it does not take).
bool is_copy_or_cut(UINT message, WPARAM wparam) {
    if (message == WM_COPY || message == WM_CUT) return true;
    return message == WM_KEYDOWN && (wparam == 'C' || wparam == 'X') && (GetKeyState(VK_CONTROL) & 0x8000);
}

DWORD CALLBACK bytes_append(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
    ((std::string*)cookie)->append((const char*)bytes, count);
    *done = count;
    return 0;
}

std::string selection_streamed(HWND editor, WPARAM format) {
    std::string bytes;
    EDITSTREAM stream = {(DWORD_PTR)&bytes, 0, bytes_append};
    SendMessageA(editor, EM_STREAMOUT, format | SFF_SELECTION, (LPARAM)&stream);
    return bytes;
}

CHARRANGE selection_of(HWND editor) {
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&range);
    return range;
}

clipboard_content selection_content(HWND editor) {
    clipboard_content content;
    content.text = selection_streamed(editor, SF_TEXT | SF_UNICODE);
    // A selection up to the very end holds the mark that closes the last paragraph, which the
    // text does not show; the control writes it as a line end.
    const std::string line_end("\r\0\n\0", 4);
    size_t size = content.text.size();
    bool past_text = selection_of(editor).cpMax > GetWindowTextLengthA(editor);
    if (past_text && size >= line_end.size() && content.text.compare(size - 4, 4, line_end) == 0) content.text.resize(size - 4);
    // Other programs read the text up to its first NUL, and the writer puts a NUL of the document
    // (a text file may hold one) into the RTF as it is: the text has the replacement character
    // there, the RTF a \u0 that the control reads back as the NUL it was.
    for (size_t i = 0; i + 1 < content.text.size(); i += sizeof(WCHAR)) {
        if (content.text[i] == '\0' && content.text[i + 1] == '\0') content.text.replace(i, 2, "\xfd\xff", 2);
    }
    content.text.append(sizeof(WCHAR), '\0');
    content.rtf = selection_rtf(editor);
    for (size_t at = content.rtf.find('\0'); at != std::string::npos; at = content.rtf.find('\0', at)) {
        content.rtf.replace(at, 1, "\\u0?");
    }
    return content;
}

// The platform frees the block once it is on the clipboard; here only when it could not be put there.
void block_place(UINT format, const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block) return;
    if (void* target = GlobalLock(block)) {
        std::memcpy(target, bytes.data(), bytes.size());
        GlobalUnlock(block);
        if (SetClipboardData(format, block)) return;
    }
    GlobalFree(block);
}

UINT rtf_format() { return RegisterClipboardFormatA("Rich Text Format"); }

void content_place(HWND editor, const clipboard_content& content) {
    if (!OpenClipboard(editor)) return;
    EmptyClipboard();
    block_place(CF_UNICODETEXT, content.text);
    if (!content.rtf.empty()) block_place(rtf_format(), content.rtf);
    CloseClipboard();
}

bool selection_empty(HWND editor) {
    CHARRANGE range = selection_of(editor);
    return range.cpMax <= range.cpMin;
}

// The control pastes on ctrl+V and shift+Insert itself, and for EM_PASTESPECIAL in any format.
bool is_paste(UINT message, WPARAM wparam) {
    if (message == WM_PASTE || message == EM_PASTESPECIAL) return true;
    if (message != WM_KEYDOWN) return false;
    bool control = GetKeyState(VK_CONTROL) & 0x8000, shift = GetKeyState(VK_SHIFT) & 0x8000;
    return (wparam == 'V' && control) || (wparam == VK_INSERT && shift && !control);
}

// Hands the clipboard's block of the format, and its size, to use; false when there is none.
template <typename use_block>
bool clipboard_block_use(HWND editor, UINT format, use_block use) {
    if (!OpenClipboard(editor)) return false;
    bool used = false;
    if (HANDLE block = GetClipboardData(format)) {
        if (const void* data = GlobalLock(block)) {
            use(data, GlobalSize(block));
            GlobalUnlock(block);
            used = true;
        }
    }
    CloseClipboard();
    return used;
}

// Reads the clipboard's RTF into the selection through the filter, as a file is read: false,
// with nothing changed, when it would overrun the control's reader.
bool rtf_paste(HWND editor, WNDPROC control) {
    std::string rtf;
    // up to its first NUL, never past the block's end
    auto take = [&rtf](const void* data, size_t size) {
        rtf.assign((const char*)data, strnlen((const char*)data, size));
    };
    if (!clipboard_block_use(editor, rtf_format(), take)) return false;
    rtf_memory source = {rtf.data(), rtf.size(), 0};
    if (!rtf_source_within_reader_limits(rtf_memory_read, (DWORD_PTR)&source)) return false;
    source.read_at = 0;
    rtf_filter filter;
    rtf_filter_start(&filter, rtf_memory_read, (DWORD_PTR)&source);
    EDITSTREAM stream = {(DWORD_PTR)&filter, 0, rtf_filter_read};
    // one step to undo, like the control's own paste
    CallWindowProcA(control, editor, EM_STREAMIN, SF_RTF | SFF_SELECTION, (LPARAM)&stream);
    return true;
}

// The clipboard's text as the control reads it, never a read ending in a CR whose LF comes next,
// or parting a CR CR LF: the control makes two paragraph ends of such a line end (each a line,
// each written as \par), and its own paste gave 300 KB of lines empty paragraphs where its reads
// parted them.
struct text_source {
    const WCHAR* units;
    size_t length, read_at;
};

DWORD CALLBACK text_source_read(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    text_source* source = (text_source*)cookie;
    size_t take = std::min((size_t)count / sizeof(WCHAR), source->length - source->read_at);
    const WCHAR* from = source->units + source->read_at;
    bool more = source->read_at + take < source->length;
    for (int held = 0; held < 2 && more && take > 1 && from[take - 1] == '\r'; held++) take--;
    std::memcpy(buffer, from, take * sizeof(WCHAR));
    source->read_at += take;
    *done = (LONG)(take * sizeof(WCHAR));
    return 0;
}

// Reads the clipboard's text into the selection; one step to undo, like the control's own paste.
void text_paste(HWND editor, WNDPROC control) {
    std::wstring text;
    auto take = [&text](const void* data, size_t size) {
        const WCHAR* units = (const WCHAR*)data;
        text.assign(units, wcsnlen(units, size / sizeof(WCHAR)));
    };
    if (!clipboard_block_use(editor, CF_UNICODETEXT, take)) return;
    text_source source = {text.data(), text.size(), 0};
    EDITSTREAM stream = {(DWORD_PTR)&source, 0, text_source_read};
    CallWindowProcA(control, editor, EM_STREAMIN, SF_TEXT | SF_UNICODE | SFF_SELECTION, (LPARAM)&stream);
}

// The control takes a time growing with the square of a paragraph's tabs.
bool clipboard_tabs_within_limit(HWND editor) {
    bool within = true;
    auto check = [&within](const void* data, size_t size) {
        const WCHAR* text = (const WCHAR*)data;
        within = text_tabs_within_limit(text, wcsnlen(text, size / sizeof(WCHAR)));
    };
    clipboard_block_use(editor, CF_UNICODETEXT, check);
    return within;
}

// The control tells its parent of each key before it acts on it; a key acted on here is told alike.
bool key_allowed(HWND editor, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!(SendMessageA(editor, EM_GETEVENTMASK, 0, 0) & ENM_KEYEVENTS)) return true;
    MSGFILTER filter = {{editor, (UINT_PTR)GetDlgCtrlID(editor), EN_MSGFILTER}, message, wparam, lparam};
    return SendMessageA(GetParent(editor), WM_NOTIFY, filter.nmhdr.idFrom, (LPARAM)&filter) == 0;
}

// Another program's RTF is read as a file is: refused when it would overrun the control's
// reader (its plain text is pasted instead), brought within sound values otherwise, so that
// nothing pasted can end the program at the next copy or save. Text with a paragraph of more
// tabs than the control takes is refused with the warning beep. Nothing else is pasted: every
// other format (pictures, objects, RTF under other names) would reach the control unchecked.
LRESULT paste_checked(HWND editor, WNDPROC control, UINT message, WPARAM wparam, LPARAM lparam) {
    UINT asked = message == EM_PASTESPECIAL ? (UINT)wparam : 0;
    bool rtf = (asked == 0 || asked == rtf_format()) && IsClipboardFormatAvailable(rtf_format());
    bool text_asked = asked == 0 || asked == CF_TEXT || asked == CF_UNICODETEXT || asked == CF_OEMTEXT;
    bool text = IsClipboardFormatAvailable(CF_UNICODETEXT);
    if (GetWindowLongA(editor, GWL_STYLE) & ES_READONLY) return 0;
    if (!rtf && !(text_asked && text)) {
        if (asked != 0 && asked != rtf_format() && !text_asked) MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    // a key is told to the parent once, as the control tells it; from here on a paste like the menu's
    if (message == WM_KEYDOWN && !key_allowed(editor, message, wparam, lparam)) return 0;
    if (rtf && rtf_paste(editor, control)) return 0;
    if (!clipboard_tabs_within_limit(editor)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return 0;
    }
    if (text) text_paste(editor, control);
    return 0;
}

// A paste on the control holding the edges of a large selection: the key was told already.
LRESULT paste_over(HWND editor, WNDPROC control, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KEYDOWN) return paste_checked(editor, control, WM_PASTE, 0, 0);
    return paste_checked(editor, control, message, wparam, lparam);
}

LRESULT message_pass(HWND editor, WNDPROC control, UINT message, WPARAM wparam, LPARAM lparam) {
    return CallWindowProcA(control, editor, message, wparam, lparam);
}

// The keys and messages besides cut and paste with which the control replaces the selection:
// Delete and Backspace, and a letter typed.
bool replaces_selection(UINT message, WPARAM wparam) {
    if (message == WM_CLEAR) return true;
    if (message == WM_KEYDOWN) return (wparam == VK_DELETE || wparam == VK_BACK) && GetKeyState(VK_MENU) >= 0;
    return message == WM_CHAR && wparam >= ' ' && wparam != 0x7F;
}

// Something on the clipboard a paste may take.
bool paste_offered() {
    return IsClipboardFormatAvailable(rtf_format()) || IsClipboardFormatAvailable(CF_UNICODETEXT);
}

// A cut's deletion: one step to undo; none when read-only.
void selection_clear(HWND editor, WNDPROC control) {
    if (large_selection_is(editor) && large_selection_replace(editor, control, message_pass, WM_CLEAR, 0, 0)) return;
    CallWindowProcA(control, editor, WM_CLEAR, 0, 0);
}

}  // namespace

LRESULT clipboard_transfer(HWND editor, WNDPROC control, UINT message, WPARAM wparam, LPARAM lparam) {
    bool paste = is_paste(message, wparam);
    // the control would take minutes over a large selection
    if ((paste || replaces_selection(message, wparam)) && large_selection_is(editor) && (!paste || paste_offered())) {
        bool key = message == WM_KEYDOWN || message == WM_CHAR;
        if (key && !key_allowed(editor, message, wparam, lparam)) return 0;
        if (large_selection_replace(editor, control, paste ? paste_over : message_pass, message, wparam, lparam)) return 0;
        // the key was told: from here on the control's own way, as the menu's command
        if (paste) return paste_checked(editor, control, WM_PASTE, 0, 0);
        if (key && message == WM_KEYDOWN) return CallWindowProcA(control, editor, WM_CLEAR, 0, 0);
    }
    if (paste) return paste_checked(editor, control, message, wparam, lparam);
    if (!is_copy_or_cut(message, wparam) || selection_empty(editor)) {
        return CallWindowProcA(control, editor, message, wparam, lparam);
    }
    if (message == WM_KEYDOWN && !key_allowed(editor, message, wparam, lparam)) return 0;
    // never the control's own copy: it takes a time growing with the square of the lines copied
    content_place(editor, selection_content(editor));
    bool cut = message == WM_CUT || (message == WM_KEYDOWN && wparam == 'X');
    if (cut) selection_clear(editor, control);
    return 0;
}
