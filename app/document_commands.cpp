// Document commands: New, Open, Save, Save As, the print commands, Exit and closing.
#include "app/app.h"
#include "app/app_state.h"

int app_open(HWND, HWND) { return 1; }
int app_save_as(HWND, HWND) { return 1; }
void command_new() {}
void command_open() {}
void command_save() {}
void command_save_as() {}
void command_print() {}
void command_print_dialog() {}

void closing_handler(bool) { PostQuitMessage(0); }

LRESULT CALLBACK editor_procedure(HWND editor, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(editor, message, wparam, lparam);
}
