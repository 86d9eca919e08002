// Main window furniture: menu bar, toolbar, status bar and editor, and keeping them current.
#include "app/app.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "toolkit/dialogs/message.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/search.h"
#include "toolkit/windows/input.h"
#include "toolkit/windows/menu.h"
#include "toolkit/windows/statusbar.h"
#include "toolkit/windows/toolbar.h"
#include "toolkit/windows/window.h"

#include <algorithm>
#include <cstring>

namespace {

// The popups in menu-bar order, and where each one's handle is kept.
struct popup_slot {
    const char* caption;
    HMENU* field;
};
const popup_slot popups[] = {
    {POPUP_FILE, &app_state.file_menu},         {POPUP_EDIT, &app_state.edit_menu},
    {POPUP_SEARCH, &app_state.search_menu},     {POPUP_SETTINGS, &app_state.settings_menu},
    {POPUP_FORMAT, &app_state.format_menu},     {POPUP_ABOUT, &app_state.about_menu},
};

// The ten status-bar parts; a null label marks a value part.
struct status_part {
    int width;
    const char* look;
    const char* label;
};
const status_part status_parts[] = {
    {60, "FLAT", "     Marginal"}, {25, "SUNKEN", nullptr}, {60, "FLAT", "     Tabsteg"},
    {25, "SUNKEN", nullptr},        {73, "FLAT", "     Markör rad"}, {30, "SUNKEN", nullptr},
    {74, "FLAT", "     Markör pos"}, {45, "SUNKEN", nullptr}, {101, "FLAT", "     Dokumentstorlek"},
    {45, "SUNKEN", nullptr},
};

constexpr int TEXT_LIMIT = 10000000;

void menu_bar_build(HWND window) {
    app_state.menu_bar = menu_create_bar();
    for (const popup_slot& popup : popups) {
        HMENU menu = menu_add_popup(app_state.menu_bar, popup.caption);
        *popup.field = menu;
        HMENU submenu = nullptr;
        const char* submenu_caption = nullptr;
        for (const command_entry& entry : command_table) {
            if (std::strcmp(entry.popup, popup.caption) != 0) continue;
            HMENU into = menu;
            if (entry.submenu) {  // the rows of one submenu stand together in the table
                if (submenu_caption != entry.submenu) submenu = menu_add_popup(menu, entry.submenu);
                submenu_caption = entry.submenu;
                into = submenu;
            }
            if (entry.id == 0) menu_add_separator(into);
            else menu_add_item(into, entry.caption, entry.id);
        }
    }
    menu_attach(window, app_state.menu_bar);
}

// One separator before the first group of buttons, two between groups; a group is a popup.
void toolbar_build(HWND window) {
    app_state.toolbar = toolbar_create(window, "NOBORDER", 0);
    const char* group = nullptr;
    for (const command_entry& entry : command_table) {
        if (entry.bitmap == nullptr) continue;
        if (group != entry.popup) {
            int separators = group == nullptr ? 1 : 2;
            for (int i = 0; i < separators; ++i) toolbar_add_separator(app_state.toolbar, "SPACE", "SIDE", 5);
            group = entry.popup;
        }
        toolbar_add_button(app_state.toolbar, "PUSH", "ACTIVE", "SIDE", entry.bitmap, 0, entry.id);
    }
    toolbar_set_bitmap_size(app_state.toolbar, 15, 15);
    toolbar_toggle_flat(app_state.toolbar);
}

// Puts one of the three numbers into number_text, as the status bar shows it.
const char* status_number_text(int number) {
    app_state.status_number = number;
    int_to_text(app_state.number_text, app_state.status_number);
    return app_state.number_text;
}

// A setting's own text (as typed) while the caret's paragraph has it, else the value in force there.
const char* setting_text(int in_force, int setting, const char* text) {
    return in_force == setting ? text : status_number_text(in_force);
}

const char* status_value(int part) {
    switch (part) {
    case 2: return setting_text(editor_caret_margin(app_state.editor), app_state.margin, app_state.margin_text);
    case 4: return setting_text(editor_caret_tab_step(app_state.editor), app_state.tab_step, app_state.tab_step_text);
    case 6: return status_number_text(editor_caret_line(app_state.editor));
    case 8: return status_number_text(editor_caret_position(app_state.editor, "FORMAT"));
    default: return status_number_text(editor_text_length(app_state.editor));
    }
}

void edit_item_set(int enabled, const char* caption, int id) {
    if (enabled) menu_item_enable(app_state.menu_bar, caption, id);
    else menu_item_disable(app_state.menu_bar, caption, id);
}

}  // namespace

void creation_handler(HWND window) {
    menu_bar_build(window);
    toolbar_build(window);
    app_state.status_bar = statusbar_create(window, "BARSIZEGRIP");
    app_state.editor = editor_create(window, 0, 0, 0, 0, "VHSCROLL", TEXT_LIMIT);
    window_set_procedure(app_state.editor, editor_procedure);
    app_state.editor_font = font_create(app_state.editor, 10, 100, 0, 0, "ARIAL");
    control_set_stock_font(app_state.editor, (INT_PTR)app_state.editor_font);
    editor_set_text_size(app_state.editor, 10);
    app_state.margin = 1;
    text_copy_limited(app_state.margin_text, "1", 0);
    app_state.tab_step = 30;
    text_copy_limited(app_state.tab_step_text, "30", 0);
}

void document_settings_apply() {
    editor_set_indent_and_tabs(app_state.editor, app_state.margin, START_TAB_COUNT, app_state.tab_step);
}

// The control wraps the whole document again at every change of its size, so the document
// named on the command line is read once the window has its final frame and layout.
// Copies left by runs that ended without saving are offered first; the named document comes
// after them, as any other document replaces one.
void document_start() {
    page_settings_load();  // the wrap is set before a document is laid out
    document_settings_apply();
    editor_set_modified(app_state.editor, "OFF");
    bool named = app_state.command_line && app_state.command_line[0];
    if (recovery_offer()) {
        if (!named || !document_may_be_replaced()) {
            status_refresh();
            return;
        }
        document_new_page();
    }
    bool laid_out = named && command_line_open(app_state.command_line);
    if (!laid_out) document_settings_apply();
    // the page's set-up is no change of the user's: nothing to save, nothing to undo
    editor_set_modified(app_state.editor, "OFF");
    editor_clear_undo(app_state.editor);
    status_refresh();
}

void size_handler() {
    control_fit_parent(app_state.editor, 0, 25, 0, -46);
    toolbar_dock(app_state.toolbar, "T", 23, 0, 0, 0);
    status_refresh();
}

void notify_handler(LPARAM notification) {
    app_state.last_editor_event = editor_filter_event(app_state.editor, notification);
    switch (app_state.last_editor_event) {
    case WM_RBUTTONDOWN:
        // the Edit items are brought up to date before the context menu opens
        window_post(app_state.main_window, WM_INITMENU, (WPARAM)app_state.menu_bar, 0);
        window_post(app_state.main_window, WM_COMMAND, CMD_CONTEXT_MENU, 0);
        break;
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_CHAR:
        window_post(app_state.main_window, WM_COMMAND, CMD_STATUS_REFRESH, 0);
        break;
    }
    for (const command_entry& entry : command_table) {
        if (entry.tooltip) tooltip_supply_text(notification, entry.id, entry.tooltip);
    }
}

// An emptied document stays on the program's margin and tab step.
void change_handler() {
    if (editor_empty_keep_layout(app_state.editor, app_state.margin, START_TAB_COUNT, app_state.tab_step)) {
        status_refresh();
    }
}

void menu_handler() {
    HWND editor = app_state.editor;
    edit_item_set(editor_can_undo(editor) || document_step_can_undo(editor), "&Ångra", CMD_UNDO);
    edit_item_set(editor_can_redo(editor) || document_step_can_redo(editor), "&Gör om", CMD_REDO);
    int selection = editor_has_selection(app_state.editor);
    edit_item_set(selection, "&Klipp ut", CMD_CUT);
    edit_item_set(selection, "K&opiera", CMD_COPY);
    edit_item_set(clipboard_has_text(), "K&listra in", CMD_PASTE);
    format_menu_refresh();
}

void focus_handler() { editor_focus(app_state.editor); }

// All ten parts are laid out afresh with the values in force; a number wider than its part
// widens it, and the parts after it move along.
void status_refresh() {
    // the frame's first size message comes before the bar and the editor are there
    if (!app_state.status_bar || !app_state.editor) return;
    for (int i = 0; i < 10; ++i) {
        const status_part& part = status_parts[i];
        const char* text = part.label ? part.label : status_value(i + 1);
        int width = part.label ? part.width : std::max(part.width, statusbar_text_width(app_state.status_bar, text));
        statusbar_add_part(app_state.status_bar, i + 1, width, part.look, text);
    }
    // a recovery copy that cannot be written: one quiet line, emptied once copies go again
    recovery_record& recovery = app_state.recovery;
    if (!recovery.failing && !recovery.failure_shown) return;
    const char* line = recovery.failing ? "     Återställningskopian kan ej sparas" : "";
    statusbar_add_part(app_state.status_bar, 11, statusbar_text_width(app_state.status_bar, line) + 10, "FLAT", line);
    recovery.failure_shown = true;
}
