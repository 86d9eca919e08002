// Toolkit tests link this recording procedure in place of the application's main window procedure.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

struct stub_message {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

// Every message the stub received, in order.
extern std::vector<stub_message> stub_messages;
// When set, called first; a true result means handled, and stub_result is returned.
extern std::function<bool(HWND, UINT, WPARAM, LPARAM)> stub_hook;
extern LRESULT stub_result;
