// Start sequence: command-line tail, main window, message loop.
#include <windows.h>

#include "app/app.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "toolkit/richedit/print.h"
#include "toolkit/windows/window.h"

app_state_record app_state = [] {
    app_state_record s = {};
    s.background_colour = 0x00FFFFFF;
    return s;
}();

// The tail follows the program name, quoted or not, with the blanks after it skipped.
const char* command_line_tail(const char* line) {
    const char* p = line;
    if (*p == '"') {
        const char* close = p + 1;
        while (*close && *close != '"') ++close;
        if (*close != '"') return line;  // no closing quote: the whole line
        p = close + 1;
    } else {
        while (*p && *p != ' ') ++p;
    }
    while (*p == ' ') ++p;
    return p;
}

int app_launch() {
    const char* tail = command_line_tail(GetCommandLineA());
    return app_main(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(tail), SW_SHOWNORMAL);
}

// Keeps the tail in the 260-byte block, without one pair of quotes around the whole of it (the
// shell quotes a document's name). A longer tail is not kept: it names no file the program can
// open, and cut short it would name another one.
int command_line_store(const char* tail) {
    if (app_state.command_line == nullptr) {
        app_state.command_line = (char*)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, COMMAND_LINE_SIZE);
        if (app_state.command_line == nullptr) return 1;
    }
    app_state.command_line[0] = '\0';
    if (tail == nullptr || tail[0] == '\0') return 1;
    int length = lstrlenA(tail);
    if (length >= 2 && tail[0] == '"' && tail[length - 1] == '"') {
        tail++;
        length -= 2;
    }
    if (length == 0 || length >= COMMAND_LINE_SIZE) return 1;
    lstrcpynA(app_state.command_line, tail, length + 1);
    return 0;
}

HWND app_window_open(HINSTANCE instance) {
    HWND window = window_create_main(instance, "Brevduva daraduder", 150, 10, 700, 600, "MIN_MAX_CLO");
    if (window == nullptr) return nullptr;
    window_set_icon(window, "brevduva_daraduder");
    window_set_sizable(window, "ON");
    app_state.main_window = window;
    settings_load();
    window_place_restore(window);
    document_start();
    if (app_state.recovery.enabled) SetTimer(window, RECOVERY_TIMER, 1000, nullptr);
    return window;
}

namespace {

BYTE modifiers_held() {
    BYTE held = 0;
    if (GetKeyState(VK_CONTROL) < 0) held |= FCONTROL;
    if (GetKeyState(VK_SHIFT) < 0) held |= FSHIFT;
    if (GetKeyState(VK_MENU) < 0) held |= FALT;
    return held;
}

}  // namespace

// Only keys meant for the main window or a window in it count, and only while nothing holds it
// back: a modal dialog disables it, and a print run pumps the messages behind its stop dialog.
// The command arrives with a zero high word, exactly as a menu choice does.
bool shortcut_run(const MSG& msg) {
    HWND window = app_state.main_window;
    if (msg.message != WM_KEYDOWN || window == nullptr || GetAncestor(msg.hwnd, GA_ROOT) != window) return false;
    if (!IsWindowEnabled(window) || print_is_running()) return false;
    BYTE held = modifiers_held();
    for (const shortcut_entry& shortcut : shortcut_table) {
        if (shortcut.key == msg.wParam && shortcut.modifiers == held) {
            SendMessageA(window, WM_COMMAND, (WPARAM)shortcut.id, 0);
            return true;
        }
    }
    return false;
}

int app_main(HINSTANCE instance, HINSTANCE, char* tail, int) {
    command_line_store(tail);
    recovery_start(nullptr);
    if (app_window_open(instance) == nullptr) {
        app_state.recovery.enabled = false;  // nothing to keep a copy of
        return 1;                            // no window: no message can ever come
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (shortcut_run(msg) || search_dialog_key(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // a document still modified was neither saved nor let go (its window was destroyed): its
    // copy stays for the next start
    if (!SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0)) recovery_forget();
    return (int)msg.wParam;
}
