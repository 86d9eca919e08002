// The main window procedure: every message of the main window is routed from here.
#include <windows.h>
#include <richedit.h>

#include "app/app.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "toolkit/richedit/editor.h"

namespace {

struct command_route {
    int id;
    void (*run)();
};

const command_route command_routes[] = {
    {CMD_NEW, command_new},
    {CMD_OPEN, command_open},
    {CMD_SAVE, command_save},
    {CMD_PRINT, command_print},
    {CMD_EXIT, [] { closing_handler(false); }},
    {CMD_SAVE_AS, command_save_as},
    {CMD_PRINT_DIALOG, command_print_dialog},
    {CMD_PAGE_SETUP, command_page_setup},
    {CMD_PREVIEW, command_preview},
    {CMD_CONTEXT_MENU, command_context_menu},
    {CMD_UNDO, command_undo},
    {CMD_REDO, command_redo},
    {CMD_CUT, command_cut},
    {CMD_COPY, command_copy},
    {CMD_PASTE, command_paste},
    {CMD_DELETE, command_delete},
    {CMD_SELECT_ALL, command_select_all},
    {CMD_SEARCH_UP, command_search_up},
    {CMD_SEARCH_DOWN, command_search_down},
    {CMD_FIND_DIALOG, command_find_dialog},
    {CMD_REPLACE_DIALOG, command_replace_dialog},
    {CMD_ALIGN_LEFT, command_align_left},
    {CMD_ALIGN_CENTER, command_align_center},
    {CMD_ALIGN_RIGHT, command_align_right},
    {CMD_BULLETS, command_bullets},
    {CMD_BOLD, command_bold},
    {CMD_ITALIC, command_italic},
    {CMD_UNDERLINE, command_underline},
    {CMD_PARAGRAPH, command_paragraph},
    {CMD_RECENT_1, [] { command_recent(0); }},
    {CMD_RECENT_2, [] { command_recent(1); }},
    {CMD_RECENT_3, [] { command_recent(2); }},
    {CMD_RECENT_4, [] { command_recent(3); }},
    {CMD_ABOUT, command_about},
    {CMD_FONT, command_font},
    {CMD_BACKGROUND, command_background},
    {CMD_MARGIN, command_margin},
    {CMD_TAB_STEP, command_tab_step},
    {CMD_WRAP_NONE, command_wrap_none},
    {CMD_WRAP_WINDOW, command_wrap_window},
    {CMD_WRAP_PAGE, command_wrap_page},
    {CMD_STATUS_REFRESH, status_refresh},
};

}  // namespace

// The whole wParam is the command: a non-zero high word (a control's notification) matches nothing.
bool command_dispatch(WPARAM wparam) {
    for (const command_route& route : command_routes) {
        if (wparam == (WPARAM)route.id) {
            route.run();
            // what a command changed shows at once: margin, tab step, caret and size
            if (route.id != CMD_STATUS_REFRESH) status_refresh();
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        creation_handler(window);
        return 0;
    case WM_DESTROY:
        closing_handler(true);
        return 0;
    case WM_SIZE:
        size_handler();
        return 0;
    case WM_SETFOCUS:
        focus_handler();
        return 0;
    case WM_PAINT:
        return DefWindowProcA(window, message, wparam, lparam);
    case WM_CLOSE:
        closing_handler(false);
        return 0;
    case WM_NOTIFY:
        notify_handler(lparam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wparam) == EN_CHANGE && (HWND)lparam == app_state.editor) {
            change_handler();
            recovery_note_change();
        } else if (HIWORD(wparam) == EDITOR_RENEWED) {
            editor_renewed_handler((HWND)lparam);
        } else {
            command_dispatch(wparam);
        }
        return 0;
    case WM_TIMER:
        if (wparam != RECOVERY_TIMER) break;
        recovery_tick();
        return 0;
    case WM_INITMENU:
        menu_handler();
        return 0;
    }
    find_dialog_step(message, lparam);
    return DefWindowProcA(window, message, wparam, lparam);
}
