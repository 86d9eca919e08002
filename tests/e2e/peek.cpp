// A second program that reads what the word processor shows, as a user's eyes would:
//   e2e_peek title   - the main window's title
//   e2e_peek text    - the document's text (Windows-1252 bytes)
//   e2e_peek status  - the status bar's ten parts, separated by '|'
//   e2e_peek dialog  - caption and message text of the topmost dialog box, if any
//   e2e_peek lines   - the document's lines as the editor shows them, one an output line
//   e2e_peek preview - the print preview's title and its "Sida N av M", one a line
// Prints nothing and exits 1 when the window is not there.
#include <windows.h>
#include <commctrl.h>

#include "window_search.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string text_of(HWND w) {
    LRESULT n = SendMessageA(w, WM_GETTEXTLENGTH, 0, 0);
    std::string text(n + 1, '\0');
    SendMessageA(w, WM_GETTEXT, n + 1, (LPARAM)&text[0]);
    text.resize(std::strlen(text.c_str()));
    return text;
}

BOOL CALLBACK find_dialog(HWND w, LPARAM lp) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const char* what = argc > 1 ? argv[1] : "text";
    HWND main_window = FindWindowA("Brevduva daraduder", nullptr);
    if (!main_window) return 1;
    std::string out;
    if (std::strcmp(what, "title") == 0) {
        out = text_of(main_window);
    } else if (std::strcmp(what, "status") == 0) {
        HWND bar = child_of(main_window, "STATUS");
        for (int i = 0; bar && i < 10; ++i) {
            char part[256] = {};
            // the text comes back through a buffer in the other process
            LRESULT n = SendMessageA(bar, SB_GETTEXTLENGTHA, i, 0);
            if (LOWORD(n) < sizeof part) {
                DWORD pid = 0;
                GetWindowThreadProcessId(bar, &pid);
                HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
                void* remote = VirtualAllocEx(process, nullptr, sizeof part, MEM_COMMIT, PAGE_READWRITE);
                SendMessageA(bar, SB_GETTEXTA, i, (LPARAM)remote);
                ReadProcessMemory(process, remote, part, sizeof part - 1, nullptr);
                VirtualFreeEx(process, remote, 0, MEM_RELEASE);
                CloseHandle(process);
            }
            out += (i ? "|" : "") + std::string(part);
        }
    } else if (std::strcmp(what, "dialog") == 0) {
        HWND dialog = nullptr;
        EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return 1;
        out = text_of(dialog);
        HWND label = GetDlgItem(dialog, 0xFFFF);
        if (label) out += "\n" + text_of(label);
    } else if (std::strcmp(what, "preview") == 0) {
        HWND preview = FindWindowA(nullptr, "Förhandsgranskning");
        if (!preview) return 1;
        out = text_of(preview) + "\n" + text_of(GetDlgItem(preview, 4));
    } else if (std::strcmp(what, "lines") == 0) {
        HWND editor = child_of(main_window, "RICHEDIT");
        if (!editor) return 1;
        std::string text = text_of(editor);
        LRESULT count = SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
        for (LRESULT line = 0; line < count; ++line) {
            LRESULT start = SendMessageA(editor, EM_LINEINDEX, line, 0);
            LRESULT next = line + 1 < count ? SendMessageA(editor, EM_LINEINDEX, line + 1, 0) : (LRESULT)text.size();
            if (start < 0 || next < start || (size_t)next > text.size()) break;
            std::string row = text.substr(start, next - start);
            while (!row.empty() && (row.back() == '\r' || row.back() == '\n')) row.pop_back();
            out += row + "\n";
        }
    } else {
        HWND editor = child_of(main_window, "RICHEDIT");
        if (!editor) return 1;
        out = text_of(editor);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
