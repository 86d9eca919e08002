#include "support/stub_main_window.h"

#include "toolkit/windows/window.h"

std::vector<stub_message> stub_messages;
std::function<bool(HWND, UINT, WPARAM, LPARAM)> stub_hook;
LRESULT stub_result = 0;

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    stub_messages.push_back({message, wparam, lparam});
    if (stub_hook && stub_hook(window, message, wparam, lparam)) return stub_result;
    return DefWindowProcA(window, message, wparam, lparam);
}
