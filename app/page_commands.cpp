// The page commands: page setup, print preview and where the editor breaks its lines, with the
// choices kept in the user's settings.
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "toolkit/dialogs/message.h"
#include "toolkit/dialogs/page_dialog.h"
#include "toolkit/dialogs/user_settings.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/page_layout.h"
#include "toolkit/richedit/print.h"
#include "toolkit/richedit/print_preview.h"
#include "toolkit/windows/menu.h"

namespace {

constexpr const char* PAGE_SETUP_VALUE = "PageSetup";
constexpr const char* WRAP_VALUE = "Wrap";

// The control's mode keyword of each wrap setting.
const char* const wrap_modes[] = {"NONE", "WINDOW", "PAGE"};

void wrap_menu_check() {
    menu_item_check_radio(app_state.menu_bar, CMD_WRAP_NONE, CMD_WRAP_PAGE, CMD_WRAP_NONE + app_state.wrap);
}

// At the page: the text width of the default printer's page in the page setup. Without a
// printer the editor does not wrap at all rather than at a page that is not there.
void wrap_apply() {
    if (app_state.wrap_printer) DeleteDC(app_state.wrap_printer);
    app_state.wrap_printer = nullptr;
    int width = 0;
    if (app_state.wrap == WRAP_PAGE) {
        app_state.wrap_printer = printer_open(app_state.page, 0);
        if (app_state.wrap_printer) {
            RECT area = print_text_area(app_state.wrap_printer, app_state.page);
            width = area.right - area.left;
        }
    }
    editor_set_wrap(app_state.editor, wrap_modes[app_state.wrap], app_state.wrap_printer, width);
    page_layout_follow_lines(app_state.wrap == WRAP_PAGE && width > 0 ? app_state.editor : nullptr);
    wrap_menu_check();
}

void wrap_choose(int wrap) {
    if (print_is_running()) return;  // the lines being printed hold still
    app_state.wrap = wrap;
    settings_write_int(WRAP_VALUE, wrap);
    wrap_apply();
}

}  // namespace

void page_settings_load() {
    app_state.page = PAGE_SETUP_DEFAULT;
    page_setup kept;
    if (settings_read_bytes(PAGE_SETUP_VALUE, &kept, sizeof kept) == SETTINGS_OK && page_setup_valid(kept) &&
        page_setup_fits(kept, page_paper_size(kept))) {
        app_state.page = kept;
    }
    int wrap = WRAP_NONE;
    if (settings_read_int(WRAP_VALUE, &wrap) != SETTINGS_OK || wrap < WRAP_NONE || wrap > WRAP_PAGE) wrap = WRAP_NONE;
    app_state.wrap = wrap;
    // the control does not wrap as it is made: only another setting needs telling
    if (app_state.wrap != WRAP_NONE) wrap_apply();
    else wrap_menu_check();
}

void editor_renewed_handler(HWND renewed) {
    // the control itself wraps as the old one did; printed lines that followed the old one's
    // follow the new one's (the program has one editor)
    app_state.editor = renewed;
    if (page_layout_followed()) page_layout_follow_lines(renewed);
}

// Runs again after margins the paper cannot hold, with the page in force shown.
void command_page_setup() {
    if (print_is_running()) return;
    int answer;
    while ((answer = page_dialog_run(app_state.main_window, &app_state.page)) == PAGE_DIALOG_NO_ROOM) {
        char text[128];
        std::snprintf(text, sizeof text, "Marginalerna ska lämna minst %i mm för texten på bredden och på höjden!",
                      PAGE_TEXT_LEAST / 100);
        message_show(app_state.main_window, "INSTÄLLNINGSFEL", text, "N");
    }
    if (answer != 1) return;
    settings_write_bytes(PAGE_SETUP_VALUE, &app_state.page, sizeof app_state.page);
    if (app_state.wrap == WRAP_PAGE) wrap_apply();
}

void command_preview() {
    if (print_is_running()) return;
    preview_result result = print_preview_run(app_state.main_window, app_state.editor, app_state.page);
    if (result == PREVIEW_NO_PRINTER) {
        message_show(app_state.main_window, "PRINTMEDDELANDE", const_cast<char*>("Ett skrivarfel har uppstått!"), "N");
    }
    if (result == PREVIEW_PRINT) command_print_dialog();
}

void command_wrap_none() { wrap_choose(WRAP_NONE); }
void command_wrap_window() { wrap_choose(WRAP_WINDOW); }
void command_wrap_page() { wrap_choose(WRAP_PAGE); }
