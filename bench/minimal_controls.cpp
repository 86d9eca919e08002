// The minimal window with the platform's controls the word processor starts with: a toolbar, a
// status bar and a rich edit control. What starting these costs is the floor under the word
// processor's own start.
#include <windows.h>
#include <commctrl.h>

LRESULT CALLBACK controls_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, m, wp, lp);
}

int main() {
    InitCommonControls();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = controls_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "minimal";
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "minimal", "Minimal", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 150, 10, 700, 600,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window, nullptr, wc.hInstance,
                    nullptr);
    CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", window, 2);
    LoadLibraryA("RichEd32.DLL");
    CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 25, 680, 500, window, nullptr,
                    wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
