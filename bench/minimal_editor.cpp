// The yardstick of opening a document: a bare window with the word processor's editor control,
// set up as the program sets it up (class, styles, size, text limit, event mask, Arial 10), that
// reads the file named on its command line with one bare EM_STREAMIN. When the read is done, its
// title says how long EM_STREAMIN took ("EM_STREAMIN 1234.5 ms").
//   minimal_editor FILE   (RTF when the name ends in "rtf", else plain text)
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>

namespace {

LRESULT CALLBACK frame_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, m, wp, lp);
}

DWORD CALLBACK bare_read(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    ReadFile((HANDLE)cookie, buffer, count, (DWORD*)done, nullptr);
    return 0;
}

double now_ms() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * count.QuadPart / frequency.QuadPart;
}

}  // namespace

int main(int argc, char** argv) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = frame_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "minimal_editor";
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "minimal_editor", "Minimal", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 150, 10, 700,
                                  600, nullptr, nullptr, wc.hInstance, nullptr);
    LoadLibraryA("RichEd32.DLL");
    RECT client;
    GetClientRect(window, &client);
    // where the word processor puts it: below the toolbar, above the status bar
    HWND editor = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, "RICHEDIT", "",
                                  WS_CHILD | WS_VISIBLE | ES_NOHIDESEL | ES_AUTOHSCROLL | ES_AUTOVSCROLL |
                                      ES_MULTILINE | WS_HSCROLL | WS_VSCROLL,
                                  0, 25, client.right, client.bottom - 46, window, (HMENU)1, wc.hInstance, nullptr);
    SendMessageA(editor, EM_EXLIMITTEXT, 0, 10000000);
    SendMessageA(editor, EM_SETEVENTMASK, 0,
                 ENM_CHANGE | ENM_UPDATE | ENM_SCROLL | ENM_KEYEVENTS | ENM_MOUSEEVENTS | ENM_REQUESTRESIZE |
                     ENM_SELCHANGE | ENM_DROPFILES | ENM_PROTECTED);
    HDC dc = GetDC(editor);
    int height = -MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(editor, dc);
    HFONT font = CreateFontA(height, 0, 0, 0, 100, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, "ARIAL");
    SendMessageA(editor, WM_SETFONT, (WPARAM)font, TRUE);
    if (argc > 1) {
        size_t length = strlen(argv[1]);
        bool rtf = length >= 3 && lstrcmpiA(argv[1] + length - 3, "rtf") == 0;
        HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        EDITSTREAM stream = {(DWORD_PTR)file, 0, bare_read};
        double start = now_ms();
        SendMessageA(editor, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, (LPARAM)&stream);
        double took = now_ms() - start;
        CloseHandle(file);
        char title[64];
        std::snprintf(title, sizeof title, "EM_STREAMIN %.1f ms", took);
        SetWindowTextA(window, title);
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
