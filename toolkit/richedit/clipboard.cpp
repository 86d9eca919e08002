// The editor's copy and cut: what other programs receive is exactly the selected text.
#include "toolkit/richedit/clipboard.h"

#include <richedit.h>

#include <cstring>
#include <string>

namespace {

// The selection, as the clipboard should hold it.
struct clipboard_content {
    std::string text;  // UTF-16, terminator included
    std::string rtf;   // no terminator: other programs receive the block's every byte
};

// The control copies and cuts on ctrl+C and ctrl+X itself (ctrl+Insert and shift+Delete it does not take).
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
    content.text.append(sizeof(WCHAR), '\0');
    content.rtf = selection_streamed(editor, SF_RTF);
    // the control's RTF writer closes its output with a NUL
    while (!content.rtf.empty() && content.rtf.back() == '\0') content.rtf.pop_back();
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

void content_place(HWND editor, const clipboard_content& content) {
    if (!OpenClipboard(editor)) return;
    EmptyClipboard();
    block_place(CF_UNICODETEXT, content.text);
    if (!content.rtf.empty()) block_place(RegisterClipboardFormatA("Rich Text Format"), content.rtf);
    CloseClipboard();
}

bool selection_empty(HWND editor) {
    CHARRANGE range = selection_of(editor);
    return range.cpMax <= range.cpMin;
}

}  // namespace

LRESULT clipboard_transfer(HWND editor, WNDPROC control, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!is_copy_or_cut(message, wparam) || selection_empty(editor)) {
        return CallWindowProcA(control, editor, message, wparam, lparam);
    }
    // taken before the control acts: a cut removes the selection
    clipboard_content content = selection_content(editor);
    DWORD before = GetClipboardSequenceNumber();
    LRESULT result = CallWindowProcA(control, editor, message, wparam, lparam);
    if (GetClipboardSequenceNumber() != before) content_place(editor, content);
    return result;
}
