// Editing, search and settings commands, and the margin / tab-step dialog.
#include "app/app.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "toolkit/dialogs/chooser.h"
#include "toolkit/dialogs/message.h"
#include "toolkit/dialogs/user_settings.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/print.h"
#include "toolkit/richedit/search.h"
#include "toolkit/windows/input.h"
#include "toolkit/windows/menu.h"
#include "toolkit/windows/statusbar.h"
#include "toolkit/windows/toolbar.h"
#include "toolkit/windows/window.h"

#include <richedit.h>

#include <cstdio>
#include <initializer_list>

namespace {

constexpr const char* SEARCH_CAPTION = "SÖKMEDDELANDE";
constexpr int OK_BUTTON_ID = 801;
constexpr int MARGIN_MODE = 1;
constexpr int TAB_STEP_MODE = 2;
constexpr int TAB_COUNT = 30;
// The field takes as many digits as the setting's text holds.
constexpr int SETTING_DIGITS = (int)sizeof app_state.margin_text - 1;
constexpr const char* SETTING_CAPTION = "INSTÄLLNINGSFEL";
// The Print command's left margin, and the paper assumed when there is no printer.
constexpr int PRINT_LEFT_MM = 10;
constexpr int A4_WIDTH_MM = 210;
// A margin leaves at least this much of the printed line for the text.
constexpr int LEAST_LINE_POINTS = 72;
// The selected text and its terminator must fit search_text.
constexpr int SEARCH_TEXT_MAX = (int)sizeof app_state.search_text - 1;

// message_show wants a writable text; "N" leaves it alone, but a copy keeps literals untouched.
// While the find dialog is open it owns the message: closing the message then gives the dialog
// back the keyboard and the top. Owned by the main window, the message left the main window
// over the dialog, out of reach.
void search_message_show(const char* text) {
    char copy[128];
    text_copy_limited(copy, text, (int)sizeof copy - 1);
    HWND owner = IsWindowVisible(app_state.find_dialog)      ? app_state.find_dialog
                 : IsWindowVisible(app_state.replace_dialog) ? app_state.replace_dialog
                                                             : app_state.main_window;
    message_show(owner, SEARCH_CAPTION, copy, "N");
}

// Searches for the selection (or the find dialog's text) in one direction and reports the outcome.
void search_run(const char* direction, int not_found) {
    app_state.file_result = 0;
    CHARRANGE selection = {0, 0};
    SendMessageA(app_state.editor, EM_EXGETSEL, 0, (LPARAM)&selection);
    // the find dialog's own text is searched then, whatever is selected
    int from_dialog = app_state.find_request;
    if (from_dialog != 1 && selection.cpMax - selection.cpMin > SEARCH_TEXT_MAX) {
        search_message_show("För stor markering för sökning!\n Max 254 tecken är tillåtet.");
        return;
    }
    editor_get_selected_text(app_state.editor, app_state.search_text, (int)sizeof app_state.search_text);
    app_state.file_result = editor_find(app_state.editor, app_state.search_text, from_dialog, direction, nullptr);
    if (app_state.file_result == not_found) {
        search_message_show(not_found < 0 ? "Finns inget mer ord uppåt!" : "Finns inget mer ord neråt!");
    } else if (app_state.file_result == 3) {
        search_message_show("Finns ingen text i dokumentet!");
    }
}

const char* const UNFIT_TEXT = "Tecken utanför Windows-1252 kan inte sökas!";

// What the replace dialog asked for, on the text it shows; the text is kept as the last searched.
void replace_step(replace_request request) {
    if (request == REPLACE_CLOSED) {
        app_state.replace_dialog = nullptr;
        return;
    }
    if (print_is_running()) return;
    if (request == REPLACE_UNFIT) return search_message_show(UNFIT_TEXT);
    const char* text = replace_record.lpstrFindWhat;
    const char* replacement = replace_record.lpstrReplaceWith;
    DWORD flags = replace_record.Flags;
    text_copy_limited(app_state.search_text, text, SEARCH_TEXT_MAX);
    bool found = true;
    if (request == REPLACE_FIND_NEXT) found = editor_find_next(app_state.editor, text, flags);
    if (request == REPLACE_ONE) {
        editor_replace_selection(app_state.editor, text, replacement, flags);
    }
    if (request == REPLACE_ALL) {
        app_state.replaced_count = editor_replace_all(&app_state.editor, text, replacement, flags);
        char report[64];
        std::snprintf(report, sizeof report, "%i förekomster ersattes!", app_state.replaced_count);
        search_message_show(report);
        return;
    }
    if (!found) search_message_show("Finns inget mer ord neråt!");
}

// Whether the last OK of the margin/tab dialog was refused, and the range it was held to.
bool setting_refused = false;
int setting_least = 0;
int setting_most = 0;

void setting_refusal_show() {
    char text[128];
    std::snprintf(text, sizeof text, "%s ska vara ett tal från %i till %i!",
                  app_state.dialog_mode == MARGIN_MODE ? "Marginalen" : "Tabulatorsteget", setting_least,
                  setting_most);
    message_show(app_state.main_window, SETTING_CAPTION, text, "N");
}

// Runs the margin or tab-step dialog, again after each refused value, then moves the whole text
// to the margin in force, each paragraph keeping its own indents, sets the tab stops and shows
// both in the status bar.
void margin_tab_run(int mode) {
    if (print_is_running()) return;
    app_state.dialog_mode = mode;
    int old_margin = app_state.margin;
    do {
        setting_refused = false;
        dialog_run_modal(app_state.main_window, margin_tab_dialog_procedure);
        if (setting_refused) setting_refusal_show();
    } while (setting_refused);
    editor_move_margin(app_state.editor, old_margin, app_state.margin, TAB_COUNT, app_state.tab_step);
    statusbar_set_text(app_state.status_bar, 2, "SUNKEN", app_state.margin_text);
    statusbar_set_text(app_state.status_bar, 4, "SUNKEN", app_state.tab_step_text);
}

void margin_tab_dialog_build(HWND dialog) {
    dialog_apply_style(dialog, "TOOLWIN");
    dialog_set_title(dialog, "Ändra marginal");
    window_center(dialog);
    dialog_resize(dialog, 200, 120);
    app_state.dialog_input = input_create(dialog, 80, 40, 30, 20, "C_DIGITS", SETTING_DIGITS);
    input_set_font(app_state.dialog_input, app_state.editor_font);
    HWND ok = button_create(dialog, 70, 80, 50, 30, "OK", "C", "NORMAL", OK_BUTTON_ID);
    control_set_font(ok, app_state.editor_font);
    dialog_set_default_button(dialog, ok);
}

const char* margin_tab_prompt() {
    if (app_state.dialog_mode == MARGIN_MODE) return "Fyll i önskad marginal.";
    if (app_state.dialog_mode == TAB_STEP_MODE) return "Fyll i önskad tabulatorsteg.";
    return nullptr;
}

// A number of digits alone within the range; anything else is refused and changes nothing.
bool setting_take(const char* typed, int* value, char* text) {
    bool digits = typed[0] != '\0';
    for (const char* c = typed; *c; ++c) digits &= *c >= '0' && *c <= '9';
    int number = digits ? text_to_int(typed) : -1;
    if (number < setting_least || number > setting_most) return false;
    *value = number;
    int_to_text(text, number);  // "007" is in force as 7
    return true;
}

void margin_tab_accept(HWND dialog) {
    char typed[sizeof app_state.margin_text];
    input_get_text(app_state.dialog_input, typed);
    // a tab step of 0 puts every stop on the margin, and the control then ignores them all
    setting_least = app_state.dialog_mode == TAB_STEP_MODE ? 1 : 0;
    setting_most = setting_most_points();
    if (app_state.dialog_mode == MARGIN_MODE) {
        setting_refused = !setting_take(typed, &app_state.margin, app_state.margin_text);
    } else if (app_state.dialog_mode == TAB_STEP_MODE) {
        setting_refused = !setting_take(typed, &app_state.tab_step, app_state.tab_step_text);
    }
    dialog_close(dialog);
}

}  // namespace

// The default printer's printable width less the Print command's left margin and an inch for the text.
int setting_most_points() {
    int width = A4_WIDTH_MM;
    if (HDC printer = printer_create_default()) {
        width = GetDeviceCaps(printer, HORZSIZE);
        DeleteDC(printer);
    }
    return (width - PRINT_LEFT_MM) * 720 / 254 - LEAST_LINE_POINTS;
}

// The editor owns the menu, so a choice comes back through editor_procedure as one of 201 to 206.
void command_context_menu() {
    menu_popup_in_rect(app_state.editor, app_state.menu_bar, app_state.last_input_position, 1, 0, 0, 2000,
                       2000);
}

// While a print run lets messages through, the text it prints and its format must hold still.
// Replace all and the replacement of a large selection are one step of their own, taken back whole.
void command_undo() {
    if (print_is_running() || document_step_undo(&app_state.editor)) return;
    editor_undo(app_state.editor);
}

void command_redo() {
    if (print_is_running() || document_step_redo(&app_state.editor)) return;
    editor_redo(app_state.editor);
}

void command_cut() {
    if (!print_is_running()) editor_cut(app_state.editor);
}

void command_copy() { editor_copy(app_state.editor); }

void command_paste() {
    if (!print_is_running()) editor_paste(app_state.editor);
}

void command_delete() {
    if (!print_is_running()) editor_delete_selection(app_state.editor);
}

void command_select_all() { editor_select_all(app_state.editor); }

void command_search_up() { search_run("U", -1); }

void command_search_down() { search_run("D", 1); }

// A refused dialog leaves the one already open in place, so its Find Next keeps working.
void command_find_dialog() {
    HWND opened = find_dialog_open(app_state.main_window, app_state.editor);
    if (opened) {
        app_state.find_dialog = opened;
    } else {
        search_message_show("För stor text för sökdialogen!");
    }
}

void command_replace_dialog() {
    if (print_is_running()) return;
    HWND opened = replace_dialog_open(app_state.main_window, app_state.editor, app_state.search_text);
    if (opened) app_state.replace_dialog = opened;
}

bool search_dialog_key(MSG* msg) {
    for (HWND dialog : {app_state.find_dialog, app_state.replace_dialog}) {
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, msg)) return true;
    }
    return false;
}

// Any message but the find dialog's own report sets find_request back to 0.
void find_dialog_step(UINT message, LPARAM lparam) {
    replace_request request = replace_dialog_event(message, lparam);
    if (request != REPLACE_NONE) {
        replace_step(request);
        return;
    }
    app_state.find_request = find_dialog_event(app_state.main_window, app_state.find_dialog, lparam, message,
                                                CMD_SEARCH_UP, CMD_SEARCH_DOWN);
    if (app_state.find_request == 2) search_message_show("För mycket tecken i sökboxen!\n Max 256 är tillåtet.");
    if (app_state.find_request == FIND_UNFIT) search_message_show(UNFIT_TEXT);
}

void command_about() {
    char* text = app_state.message_text;
    text_append_format(text, "%s", "Brevduva daraduder");
    text_append_format(text, "%s", "Är ett Vindel projektprogram");
    text_append_format(text, "%s", "Vindel är ett enklare sätt att");
    text_append_format(text, "%s", "programmera Windows");
    text_append_format(text, "%s", "http://vindel.example.org/");
    text_append_format(text, "%s", "");
    // the format's blank is not copied: the values bring their own
    text_append_format(text, "%s %i %s", "Skrivet ", 2024, " av Vindelgruppen");
    message_show(app_state.main_window, "OM", text, "D");
}

void command_font() {
    if (print_is_running()) return;
    HFONT chosen = font_dialog_run(app_state.editor, "ON", "RTF_AND_OFF", app_state.editor_font);
    // the selection already carries the choice; the new font itself is never used
    if (chosen && chosen != app_state.editor_font) DeleteObject(chosen);
}

void command_background() {
    app_state.background_colour = colour_dialog_run(app_state.main_window);
    if (app_state.background_colour != (COLORREF)-1) {
        editor_set_colours(app_state.editor, 999, app_state.background_colour);
        settings_write_int("Background", (int)app_state.background_colour);
    }
}

void command_margin() { margin_tab_run(MARGIN_MODE); }

void command_tab_step() { margin_tab_run(TAB_STEP_MODE); }

INT_PTR CALLBACK margin_tab_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        margin_tab_dialog_build(dialog);
        return 1;
    case WM_PAINT:
        if (const char* prompt = margin_tab_prompt()) paint_text(dialog, 30, 10, prompt, 0, app_state.editor_font, 0);
        return DefWindowProcA(dialog, message, wparam, lparam);
    case WM_COMMAND:
        if (LOWORD(wparam) == OK_BUTTON_ID) margin_tab_accept(dialog);
        if (LOWORD(wparam) == IDCANCEL) dialog_close(dialog);
        return 1;
    default:
        return 0;
    }
}
