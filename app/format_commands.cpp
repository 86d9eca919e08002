// Format commands: alignment, bullets, bold, italic, underline and the paragraph dialog.
#include "app/app.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "toolkit/dialogs/message.h"
#include "toolkit/richedit/format.h"
#include "toolkit/richedit/print.h"
#include "toolkit/windows/input.h"
#include "toolkit/windows/menu.h"
#include "toolkit/windows/toolbar.h"
#include "toolkit/windows/window.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int PARAGRAPH_OK_ID = 801;
// left, right and first line, in this order in the dialog
constexpr int INDENT_FIELDS = 3;
const char* const indent_labels[INDENT_FIELDS] = {"Vänster:", "Höger:", "Första raden:"};
constexpr int INDENT_DIGITS = 5;
// no indent the printed line cannot hold: about an A4 page's width in points
constexpr int INDENT_MOST = 560;

struct paragraph_dialog_state {
    HWND fields[INDENT_FIELDS];
    paragraph_indents indents;
    bool refused;
    bool accepted;
};
paragraph_dialog_state paragraph_dialog = {};

// A whole number, a minus sign allowed, within [least, most]; false for anything else.
bool indent_take(HWND field, int least, int most, int* value) {
    char typed[INDENT_DIGITS + 2] = "";
    input_get_text(field, typed);
    char* end = nullptr;
    long number = std::strtol(typed, &end, 10);
    if (typed[0] == '\0' || *end != '\0' || number < least || number > most) return false;
    *value = (int)number;
    return true;
}

void paragraph_dialog_build(HWND dialog) {
    dialog_apply_style(dialog, "TOOLWIN");
    dialog_set_title(dialog, "Stycke");
    window_center(dialog);
    dialog_resize(dialog, 240, 190);
    const int values[INDENT_FIELDS] = {paragraph_dialog.indents.left, paragraph_dialog.indents.right,
                                       paragraph_dialog.indents.first_line};
    for (int i = 0; i < INDENT_FIELDS; ++i) {
        HWND field = input_create(dialog, 130, 20 + i * 35, 50, 20, "R", INDENT_DIGITS);
        input_set_font(field, app_state.editor_font);
        char text[16];
        std::snprintf(text, sizeof text, "%d", values[i]);
        SetWindowTextA(field, text);
        paragraph_dialog.fields[i] = field;
    }
    HWND ok = button_create(dialog, 95, 125, 50, 30, "OK", "C", "NORMAL", PARAGRAPH_OK_ID);
    control_set_font(ok, app_state.editor_font);
    dialog_set_default_button(dialog, ok);
}

void paragraph_dialog_accept(HWND dialog) {
    paragraph_indents& in = paragraph_dialog.indents;
    paragraph_dialog.refused = !indent_take(paragraph_dialog.fields[0], 0, INDENT_MOST, &in.left) ||
                               !indent_take(paragraph_dialog.fields[1], 0, INDENT_MOST, &in.right) ||
                               !indent_take(paragraph_dialog.fields[2], -in.left, INDENT_MOST, &in.first_line);
    paragraph_dialog.accepted = !paragraph_dialog.refused;
    dialog_close(dialog);
}

INT_PTR CALLBACK paragraph_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        paragraph_dialog_build(dialog);
        return 1;
    case WM_PAINT:
        for (int i = 0; i < INDENT_FIELDS; ++i) {
            paint_text(dialog, 20, 22 + i * 35, indent_labels[i], 0, app_state.editor_font, 0);
        }
        paint_text(dialog, 185, 22, "punkter", 0, app_state.editor_font, 0);
        // validated here, as the margin dialog does: the dialog's own painting would erase the labels
        return DefWindowProcA(dialog, message, wparam, lparam);
    case WM_COMMAND:
        if (LOWORD(wparam) == PARAGRAPH_OK_ID) paragraph_dialog_accept(dialog);
        if (LOWORD(wparam) == IDCANCEL) dialog_close(dialog);
        return 1;
    default:
        return 0;
    }
}

void alignment_run(const char* keyword) {
    if (!print_is_running()) editor_set_alignment(app_state.editor, keyword);
}

void effect_run(DWORD effect) {
    if (!print_is_running()) editor_toggle_effect(app_state.editor, effect);
}

}  // namespace

void command_align_left() { alignment_run("LEFT"); }
void command_align_center() { alignment_run("CENTER"); }
void command_align_right() { alignment_run("RIGHT"); }

void command_bullets() {
    if (!print_is_running()) editor_toggle_bullets(app_state.editor);
}

void command_bold() { effect_run(CFE_BOLD); }
void command_italic() { effect_run(CFE_ITALIC); }
void command_underline() { effect_run(CFE_UNDERLINE); }

// Runs again after a refused value, with the values as typed lost and those in force shown.
void command_paragraph() {
    if (print_is_running()) return;
    paragraph_indents shown = editor_indents(app_state.editor);
    do {
        paragraph_dialog = {};
        paragraph_dialog.indents = shown;
        dialog_run_modal(app_state.main_window, paragraph_dialog_procedure);
        if (paragraph_dialog.refused) {
            char text[128];
            std::snprintf(text, sizeof text, "Indragen ska vara hela tal från 0 till %i punkter!", INDENT_MOST);
            message_show(app_state.main_window, "INSTÄLLNINGSFEL", text, "N");
        }
    } while (paragraph_dialog.refused);
    if (paragraph_dialog.accepted) editor_set_indents(app_state.editor, paragraph_dialog.indents, shown);
}

// The check marks of the Format popup follow the caret's paragraph and the selection.
void format_menu_refresh() {
    int alignment = editor_alignment(app_state.editor);
    HMENU menu = app_state.menu_bar;
    menu_item_check(menu, CMD_ALIGN_LEFT, alignment == PFA_LEFT);
    menu_item_check(menu, CMD_ALIGN_CENTER, alignment == PFA_CENTER);
    menu_item_check(menu, CMD_ALIGN_RIGHT, alignment == PFA_RIGHT);
    menu_item_check(menu, CMD_BULLETS, editor_has_bullets(app_state.editor));
    menu_item_check(menu, CMD_BOLD, editor_has_effect(app_state.editor, CFE_BOLD));
    menu_item_check(menu, CMD_ITALIC, editor_has_effect(app_state.editor, CFE_ITALIC));
    menu_item_check(menu, CMD_UNDERLINE, editor_has_effect(app_state.editor, CFE_UNDERLINE));
}
