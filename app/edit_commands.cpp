// Editing, search and settings commands, and the margin / tab-step dialog.
#include "app/app.h"
#include "app/app_state.h"

void command_context_menu() {}
void command_undo() {}
void command_cut() {}
void command_copy() {}
void command_paste() {}
void command_delete() {}
void command_select_all() {}
void command_search_up() {}
void command_search_down() {}
void command_find_dialog() {}
void find_dialog_step(UINT, LPARAM) {}
void command_about() {}
void command_font() {}
void command_background() {}
void command_margin() {}
void command_tab_step() {}

INT_PTR CALLBACK margin_tab_dialog_procedure(HWND, UINT, WPARAM, LPARAM) { return 0; }
