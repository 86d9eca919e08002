// The word processor's handlers, called from main_window_procedure.
#pragma once
#include <windows.h>

// start sequence
int app_launch();
int app_main(HINSTANCE instance, HINSTANCE previous, char* tail, int show);
int command_line_store(const char* tail);
// Creates the main window with everything in it, sets its icon and sizable frame, then reads the
// document named on the command line; null on failure.
HWND app_window_open(HINSTANCE instance);
const char* command_line_tail(const char* command_line);
// Runs the command of a shortcut key (app/commands.h) from the message loop; false when the
// message is no shortcut or the program is not free to take one, and it goes its usual way.
bool shortcut_run(const MSG& msg);

// furniture: menu bar, toolbar, status bar and editor, and keeping them current
void creation_handler(HWND window);
// Loads the command line's document and sets the starting margin and tab step.
void document_start();
// The margin and tab step the program is set to go for the whole text, as for the first document.
void document_settings_apply();
constexpr int START_TAB_COUNT = 20;
void size_handler();
void notify_handler(LPARAM notification);
// The editor tells of a change of its text.
void change_handler();
void menu_handler();
void focus_handler();
// A new control took the editor's place, a large document emptied: it is the editor from now on.
void editor_renewed_handler(HWND renewed);
// Lays the status bar out with the values in force: margin and tab step of the caret's
// paragraph, caret line and position, document size.
void status_refresh();

// document commands
int app_open(HWND window, HWND* editor);
int app_save_as(HWND window, HWND editor);
// The document named on the command line, named like one opened through Open: read on the
// starting margin and tab step when the file is there (true then), an empty document of that
// name when only the file is missing (nothing is made on disk before a save), else the unnamed
// empty page.
bool command_line_open(const char* name);
void command_new();
void command_open();
void command_save();
void command_save_as();
void command_print();
void command_print_dialog();
void closing_handler(bool window_destroyed);

// page commands
// Reads the page setup and the wrap setting kept from the last run (the defaults where a value
// is missing or out of range) and sets the editor's wrap.
void page_settings_load();
void command_page_setup();
void command_preview();
void command_wrap_none();
void command_wrap_window();
void command_wrap_page();
LRESULT CALLBACK editor_procedure(HWND editor, UINT message, WPARAM wparam, LPARAM lparam);

// editing, search and settings commands
void command_context_menu();
void command_undo();
void command_redo();
void command_cut();
void command_copy();
void command_paste();
void command_delete();
void command_select_all();
void command_search_up();
void command_search_down();
void command_find_dialog();
void find_dialog_step(UINT message, LPARAM lparam);
void command_replace_dialog();
// The find and replace dialogs take their keys (Tab, Enter, Escape) from the message loop;
// true when the message was one of theirs.
bool search_dialog_key(MSG* msg);
void command_about();
void command_font();
void command_background();
// The largest margin or tab step, in points, that leaves room on the printed line.
int setting_most_points();
void command_margin();
void command_tab_step();
INT_PTR CALLBACK margin_tab_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// format commands
void command_align_left();
void command_align_center();
void command_align_right();
void command_bullets();
void command_bold();
void command_italic();
void command_underline();
void command_paragraph();
void format_menu_refresh();

// recent files and settings kept between runs
void command_recent(int index);
// The document in this file was opened or saved: first in the list and in Arkiv.
void recent_file_add(const char* path);
void recent_menu_refresh();
void recent_file_remove(int index);
// Reads the kept settings into app_state, each only when sound; the window's place is applied
// by window_place_restore once the window is there.
void settings_load();
void settings_save();
void window_place_restore(HWND window);

// recovery copies: this run's document kept in the user's folder while it is modified
// Names this run's copy in the folder (the user's own when null) and makes the folder; false
// when there is none, and no copies are kept then.
bool recovery_start(const char* folder);
// The editor's document changed.
void recovery_note_change();
// Once a second: a copy once changes have rested, or when the oldest one not in a copy is
// nearly a minute old; the copy removed when the document is no longer modified.
void recovery_tick();
constexpr UINT_PTR RECOVERY_TIMER = 1;
// The document was saved or let go: its copy is removed (a copy comes again when it is still
// modified and changes once more).
void recovery_forget();
// Offers the copies of runs that ended without saving, one after another; true when one of
// them was taken up and is now the document.
bool recovery_offer();
// Asks before a modified document is replaced by a new or another one; true when it may go.
bool document_may_be_replaced();
// The document on screen now comes from this file: its full path in the title, its name for
// print jobs, and the save dialog starting from it. A null path: a document never saved.
void document_named(const char* full_path, const char* name);
// The empty, unnamed page of a new document.
void document_new_page();

// Runs the handler of a command id; false when the id is not a command.
bool command_dispatch(WPARAM wparam);
