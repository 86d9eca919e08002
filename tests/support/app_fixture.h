// For application tests: the real main window, made once per test program by the program's own code.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/app.h"
#include "app/app_state.h"
#include "toolkit/dialogs/user_settings.h"
#include "support/dialog_helper.h"
#include "support/test_util.h"

// The main window with its menus, toolbar, status bar and editor (created on first use).
inline HWND app_window() {
    static HWND window = [] {
        if (app_state.command_line == nullptr) command_line_store("");
        // the tests start as a first start does, on a key of their own
        settings_key_set("Software\\Brevduva Daraduder Tests");
        settings_clear();
        return app_window_open(GetModuleHandleA(nullptr));
    }();
    return window;
}

// Runs a command as a menu item or toolbar button does.
inline void app_command(int id) { SendMessageA(app_window(), WM_COMMAND, (WPARAM)id, 0); }

// Empty, unmodified document and nothing left in the queue (a quit request included).
inline void app_reset() {
    app_window();
    SetWindowTextA(app_state.editor, "");
    SendMessageA(app_state.editor, EM_SETMODIFY, 0, 0);
    pump_messages(20);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    app_state.message_text[0] = '\0';
    app_state.document_path[0] = '\0';
}

// The document's text as the editor holds it.
inline std::string app_editor_text() {
    int n = GetWindowTextLengthA(app_state.editor);
    std::string text(n + 1, '\0');
    GetWindowTextA(app_state.editor, &text[0], n + 1);
    text.resize(n);
    return text;
}

// True when a quit request is waiting in the queue (the program would end).
inline bool app_quit_posted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

// A key press for the target as the message loop takes it, with exactly these modifiers held
// (FCONTROL, FSHIFT, FALT); 0 lets them all go again.
inline MSG app_key_press(HWND target, UINT key, BYTE modifiers) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = (modifiers & FCONTROL) ? 0x80 : 0;
    keys[VK_SHIFT] = (modifiers & FSHIFT) ? 0x80 : 0;
    keys[VK_MENU] = (modifiers & FALT) ? 0x80 : 0;
    SetKeyboardState(keys);
    return MSG{target, WM_KEYDOWN, key, 1, 0, {0, 0}};
}

// The text of a status-bar part, counted from 1.
inline std::string app_status_text(int part) {
    char buffer[256] = {};
    SendMessageA(app_state.status_bar, SB_GETTEXTA, part - 1, (LPARAM)buffer);
    return buffer;
}
