// Main window furniture: menu bar, toolbar, status bar and editor, and keeping them current.
#include "app/app.h"
#include "app/app_state.h"

void creation_handler(HWND) {}
void size_handler() {}
void notify_handler(LPARAM) {}
void menu_handler() {}
void focus_handler() {}
void status_refresh() {}
