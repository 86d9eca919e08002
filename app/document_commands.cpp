// Document commands: New, Open, Save, Save As, the print commands, Exit and closing, and the
// application's own procedure on the editor.
#include <windows.h>
#include <shellapi.h>
#include <richedit.h>

#include <cstring>

#include "app/app.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "toolkit/dialogs/file_dialog.h"
#include "toolkit/dialogs/message.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/print.h"
#include "toolkit/richedit/search.h"
#include "toolkit/richedit/text_encoding.h"
#include "toolkit/windows/window.h"

namespace {

// RTF, text and all files, as NUL-separated pairs closed by a further NUL (71 bytes).
constexpr char own_filter[] = "RTF Files (*.RTF)\0*.rtf\0Text Files (*.TXT)\0*.txt\0All Files (*.*)\0*.*\0\0";
static_assert(sizeof own_filter == 71, "the own filter block");

constexpr int NAME_LIMIT = 255;

void notice(const char* caption, const char* text) {
    message_show(app_state.main_window, caption, const_cast<char*>(text), "N");
}

void save_failed_notice() {
    text_append_format(app_state.message_text, "%s", "Det gick ej att öppna filen!");
    text_append_format(app_state.message_text, "%s", "");
    text_append_format(app_state.message_text, "%s", "Disken kan vara skrivskyddad.");
    message_show(app_state.main_window, "FILFEL", app_state.message_text, "D");
}

void document_name_set(const char* name) { text_copy_limited(app_state.document_name, name, NAME_LIMIT); }

// The save dialog starts from the document on screen (empty for a new one); it is not the
// file last chosen in the save dialog, so the next Save asks for the name again.
void save_target_suggest(const char* path) {
    text_copy_limited(save_dialog_path, path, sizeof save_dialog_path - 1);
    save_dialog_title[0] = '\0';
}

// A document read in from a file: named after it and first in the recent list.
void document_opened(const char* full_path, const char* name) {
    document_named(full_path, name);
    recent_file_add(full_path);
    window_post(app_state.main_window, WM_COMMAND, CMD_STATUS_REFRESH, 0);
}

// A save that worked: the file is the document's own from now on.
void document_saved(const char* full_path) {
    text_copy_limited(app_state.document_path, full_path, MAX_PATH - 1);
    recent_file_add(full_path);
}

bool document_is_modified() { return SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0) != 0; }

// A document that is saved needs its recovery copy no more.
void recovery_forget_when_saved() {
    if (!document_is_modified()) recovery_forget();
}

// Yes to the save question: the document may be let go only when it was really saved.
// A document with a file of its own is written there, as Spara does; a new one gets the dialog.
bool save_before_leaving() {
    if (app_state.document_path[0]) {
        command_save();
    } else {
        app_save_as(app_state.main_window, app_state.editor);
    }
    return !document_is_modified();
}

// Shows the message for a load that failed; false when the document came in.
bool load_failed_notice(int result, const char* unreadable, const char* nothing_read) {
    if (result == -2) notice("FILFEL", unreadable);
    if (result == -3) notice("FILFEL", nothing_read);
    return result == -2 || result == -3;
}

using file_dialog_run = int (*)(HWND, const char*, const char*, const char*, const char*);

// A file dialog with the program's own filter list, handed over as a copy.
int own_filter_dialog(file_dialog_run run, HWND window, const char* title) {
    app_state.file_result = 0;
    char filter[sizeof own_filter];
    std::memcpy(filter, own_filter, sizeof filter);
    return run(window, title, "PATH", "OWN_FILTER", filter);
}

void drop_open(HDROP drop) {
    app_state.file_result = drop_query_file(drop);
    if (app_state.file_result == 0) {
        notice("DRAG OCH SLÄPP- FEL", "Endast en fil får släppas åt gången!");
        return;
    }
    // kept apart: another drop may arrive while the question is open
    char path[MAX_PATH];
    text_copy_limited(path, dropped_file_path, MAX_PATH - 1);
    if (!document_may_be_replaced()) return;
    app_state.file_result = document_load(&app_state.editor, path);
    if (!load_failed_notice(app_state.file_result, "Det gick ej att öppna den släppta filen för läsning!",
                            "Det gick ej att hämta in den släppta filen!")) {
        document_opened(path, path);
    }
}

}  // namespace

void document_named(const char* full_path, const char* name) {
    window_set_title(app_state.main_window, full_path ? full_path : "Brevduva daraduder");
    document_name_set(name);
    save_target_suggest(full_path ? full_path : "");
    text_copy_limited(app_state.document_path, full_path ? full_path : "", MAX_PATH - 1);
    document_step_forget();
}

// No lets the document go, and its recovery copy with it.
bool document_may_be_replaced() {
    app_state.result_code = prompt_save_changes(app_state.editor, "SPARA?",
                                                "Skall dokumentet sparas innan nytt dokument öppnas?");
    if (app_state.result_code == 2) return false;
    if (app_state.result_code == 3) recovery_forget();
    return app_state.result_code != 1 || save_before_leaving();
}

int app_open(HWND window, HWND* editor) {
    // the dialog names the chosen file in the title; a file that does not come in gives it back
    char title[MAX_PATH] = "";
    GetWindowTextA(window, title, sizeof title);
    if (own_filter_dialog(file_dialog_open, window, "Öppna...") == 1) return 1;
    app_state.file_result = document_load(editor, open_dialog_path);
    if (app_state.file_result < 0) window_set_title(window, title);
    if (!load_failed_notice(app_state.file_result, "Det gick ej att öppna filen för läsning!",
                            "Det gick ej att hämta in filen!")) {
        document_opened(open_dialog_path, open_dialog_title);
    }
    return 0;
}

namespace {

// What names the document: the window's title and the file the next Save writes.
struct document_naming {
    char title[MAX_PATH];
    char path[sizeof save_dialog_path];
    char file_title[sizeof save_dialog_title];
};

// A save that wrote its file: an empty document moves nothing but is written all the same.
bool save_written(int result) {
    return result >= 0 || (result == DOCUMENT_NOTHING_MOVED && editor_text_length(app_state.editor) == 0);
}

void document_naming_keep(HWND window, document_naming& naming) {
    naming.title[0] = '\0';
    GetWindowTextA(window, naming.title, sizeof naming.title);
    std::memcpy(naming.path, save_dialog_path, sizeof naming.path);
    std::memcpy(naming.file_title, save_dialog_title, sizeof naming.file_title);
}

void document_naming_restore(HWND window, const document_naming& naming) {
    window_set_title(window, naming.title);
    std::memcpy(save_dialog_path, naming.path, sizeof naming.path);
    std::memcpy(save_dialog_title, naming.file_title, sizeof naming.file_title);
}

}  // namespace

int app_save_as(HWND window, HWND editor) {
    // the dialog names the chosen file in the title; a file that is not written gives it back
    document_naming before;
    document_naming_keep(window, before);
    if (own_filter_dialog(file_dialog_save, window, "Spara som...") == 1) return 1;
    app_state.file_result = document_save(editor, save_dialog_path);
    if (!save_written(app_state.file_result)) document_naming_restore(window, before);
    if (app_state.file_result == -2) {
        save_failed_notice();
        return 2;
    }
    if (app_state.file_result == -3) {
        notice("FILFEL", "Det gick ej att spara filen!");
        return 3;
    }
    document_saved(save_dialog_path);
    recovery_forget_when_saved();
    return 0;
}

void command_new() {
    if (print_is_running() || !document_may_be_replaced()) return;
    document_new_page();
}

void document_new_page() {
    app_state.file_result = editor_set_text(&app_state.editor, "");
    if (app_state.file_result == 1) {
        notice("DOKUMENTFEL", "Det gick ej att öppna nytt dokument!");
        return;
    }
    window_set_title(app_state.main_window, "Brevduva Daraduder");
    app_state.document_name[0] = '\0';
    app_state.document_path[0] = '\0';
    document_step_forget();
    document_encoding = TEXT_CP1252;
    document_line_end = TEXT_LINE_END_KEPT;
    save_target_suggest("");
    window_post(app_state.main_window, WM_SIZE, 0, 0);
    document_settings_apply();  // the empty page is set as the program is, like the first one
    editor_set_colours(app_state.editor, 0, 0x00FFFFFF);
    // the control counts the page's set-up as changes; the new empty page has nothing to save
    // and nothing to undo
    editor_set_modified(app_state.editor, "OFF");
    editor_clear_undo(app_state.editor);
}

// Asks before the dialog, so that the document is saved or let go before another is chosen.
void command_open() {
    if (print_is_running() || !document_may_be_replaced()) return;
    app_open(app_state.main_window, &app_state.editor);
}

bool command_line_open(const char* name) {
    if (name[0] == '\0') return false;
    char full_path[MAX_PATH];
    char* file_name = nullptr;
    DWORD length = GetFullPathNameA(name, sizeof full_path, full_path, &file_name);
    if (length == 0 || length >= sizeof full_path || file_name == nullptr) return false;
    // a name not there yet in an existing folder is a new document, written at its first save
    bool missing = GetFileAttributesA(full_path) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND;
    int result = missing ? DOCUMENT_NOTHING_MOVED
                         : document_load_on_margin(&app_state.editor, full_path, app_state.margin, START_TAB_COUNT,
                                                   app_state.tab_step);
    if (!missing && result < 0) {
        // said as Öppna says it: the window that opens holds no document of that name
        load_failed_notice(result, "Det gick ej att öppna filen för läsning!", "Det gick ej att hämta in filen!");
        return false;
    }
    document_named(full_path, file_name);
    if (!missing) recent_file_add(full_path);
    return !missing;
}

// The document's own file is written at once, in its own type and encoding; only a document
// without one asks for a name.
void command_save() {
    app_state.file_result = 0;
    if (app_state.document_path[0]) {
        app_state.file_result = document_save(app_state.editor, app_state.document_path);
        if (app_state.file_result == -2) save_failed_notice();
        if (app_state.file_result == -3) notice("FILFEL", "Det gick ej att spara filen!");
        if (app_state.file_result >= 0) recent_file_add(app_state.document_path);
        recovery_forget_when_saved();
        return;
    }
    if (save_dialog_title[0] == '\0') {
        app_state.file_result = file_dialog_save(app_state.main_window, "Spara som...", "PATH", "TXT_FILTER", nullptr);
    }
    if (app_state.file_result == 1) return;
    app_state.file_result = document_save(app_state.editor, save_dialog_path);
    if (app_state.file_result == -2) {
        save_failed_notice();
        return;
    }
    if (app_state.file_result == -3) {
        notice("FILFEL", "Det gick ej att spara filen!");
    } else {
        document_saved(save_dialog_path);
    }
    document_name_set(save_dialog_title);
    recovery_forget_when_saved();
}

// Opens the listed file as Open does, after the same question; a file gone is taken off.
void command_recent(int index) {
    if (print_is_running() || !app_state.recent_files[index][0]) return;
    char path[MAX_PATH];
    text_copy_limited(path, app_state.recent_files[index], MAX_PATH - 1);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        recent_file_remove(index);
        notice("FILFEL", "Filen finns inte längre och har tagits bort ur listan!");
        return;
    }
    if (!document_may_be_replaced()) return;
    app_state.file_result = document_load(&app_state.editor, path);
    if (!load_failed_notice(app_state.file_result, "Det gick ej att öppna filen för läsning!",
                            "Det gick ej att hämta in filen!")) {
        const char* name = strrchr(path, '\\');
        document_opened(path, name ? name + 1 : path);
    }
}

void command_save_as() {
    // a cancelled dialog or a failed save names no file, so the document keeps its name
    if (app_save_as(app_state.main_window, app_state.editor) != 1 && save_written(app_state.file_result)) {
        document_name_set(save_dialog_title);
    }
}

void command_print() {
    if (print_is_running()) return;
    app_state.result_code = editor_print_setup(app_state.editor, app_state.page, app_state.document_name, 0);
    switch (app_state.result_code) {
    case 1: notice("PRINTMEDDELANDE", "Utskrift stoppad av användare!"); break;
    case 2: notice("PRINTMEDDELANDE", "Finns inget att skriva ut!"); break;
    case 3: notice("PRINTMEDDELANDE", "Ett skrivarfel har uppstått!"); break;
    }
    app_state.result_code = 0;
}

void command_print_dialog() {
    if (print_is_running()) return;
    app_state.result_code = editor_text_length(app_state.editor);
    if (app_state.result_code < 1) {
        notice("PRINTMEDDELANDE", "Finns inget att skriva ut!");
        app_state.result_code = 0;
        return;
    }
    app_state.print_dialog_result = print_dialog_run(app_state.editor);
    if (app_state.print_dialog_result == 0) {
        app_state.result_code = 0;
        return;
    }
    app_state.result_code = editor_print_setup(app_state.editor, app_state.page, app_state.document_name, 1);
    if (app_state.result_code == 1) notice("PRINTMEDDELANDE", "Utskrift stoppad av användare!");
    if (app_state.result_code == 3) notice("PRINTMEDDELANDE", "Något gick fel. Försök igen !");
    app_state.result_code = 0;
}

// Exit, closing and destruction. A window that is already being destroyed always ends the
// program after the question; otherwise the program stays when the document was not saved.
void closing_handler(bool window_destroyed) {
    app_state.result_code = prompt_save_changes(app_state.editor, "SPARA?",
                                                "Skall dokumentet sparas innan programmet avslutas?");
    bool leave = true;
    if (app_state.result_code == 1) leave = save_before_leaving();
    if (app_state.result_code == 2) leave = false;
    if (app_state.result_code == 3) recovery_forget();
    if (leave || window_destroyed) {
        settings_save();
        PostQuitMessage(0);
    }
}

LRESULT CALLBACK editor_procedure(HWND editor, UINT message, WPARAM wparam, LPARAM lparam) {
    // the control's own undo key takes a Replace all back too, as the menu's Undo does
    if (message == WM_KEYDOWN && wparam == 'Z' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 &&
        GetKeyState(VK_MENU) >= 0 && !print_is_running() && document_step_undo(&editor)) {
        return 0;
    }
    switch (message) {
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        app_state.last_input_position = lparam;
        break;
    case EM_SETCHARFORMAT:
    case EM_SETPARAFORMAT:
        // the control tells of changes to the text only; a change of format is a change too
        recovery_note_change();
        break;
    case WM_COMMAND:
        // the context menu belongs to the editor; its choices run as the main window's commands
        window_post(app_state.main_window, WM_COMMAND, wparam, 0);
        break;
    case WM_DROPFILES:
        // the drop is consumed and its handle released here; the control never sees it
        if (print_is_running()) DragFinish((HDROP)wparam);
        else drop_open((HDROP)wparam);
        return 0;
    }
    return editor_default_procedure(editor, message, wparam, lparam);
}
