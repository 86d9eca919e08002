// The least a Win32 program does to show a window: the yardstick for the start benchmark.
#include <windows.h>

LRESULT CALLBACK minimal_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, m, wp, lp);
}

int main() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = minimal_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "minimal";
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);
    CreateWindowExA(0, "minimal", "Minimal", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 150, 10, 700, 600, nullptr, nullptr,
                    wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
