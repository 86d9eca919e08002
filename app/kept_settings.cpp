// What the program keeps for the next start in the user's registry: window place, margin, tab
// step, background colour, the recent files and the last search text. Every value read is
// checked before use; a missing or unsound one leaves the first start's value in force.
#include "app/app.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "toolkit/dialogs/message.h"
#include "toolkit/dialogs/user_settings.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/windows/menu.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int RECENT_COUNT = (int)(sizeof app_state.recent_files / sizeof app_state.recent_files[0]);
constexpr int RECENT_IDS[RECENT_COUNT] = {CMD_RECENT_1, CMD_RECENT_2, CMD_RECENT_3, CMD_RECENT_4};
// The smallest window the frame is restored to; a larger one must lie partly on a screen.
constexpr int LEAST_WINDOW_SIDE = 100;
constexpr int MOST_WINDOW_SIDE = 20000;
constexpr int MOST_TAB_STEP = 999;

void recent_value_name(char* name, int size, int index) { std::snprintf(name, size, "Recent%d", index + 1); }

// A full path the program could have opened: printable characters only, with a drive or share.
bool path_is_sound(const char* path) {
    int length = (int)std::strlen(path);
    if (length < 3 || length >= MAX_PATH) return false;
    for (const char* c = path; *c; ++c) {
        if ((unsigned char)*c < 32) return false;
    }
    return (path[1] == ':' && path[2] == '\\') || (path[0] == '\\' && path[1] == '\\');
}

void recent_files_save() {
    for (int i = 0; i < RECENT_COUNT; ++i) {
        char name[16];
        recent_value_name(name, sizeof name, i);
        if (app_state.recent_files[i][0]) settings_write_text(name, app_state.recent_files[i]);
        else settings_delete(name);
    }
}

bool int_read_within(const char* name, int least, int most, int* value) {
    int read = 0;
    if (settings_read_int(name, &read) != SETTINGS_OK || read < least || read > most) return false;
    *value = read;
    return true;
}

void setting_read(const char* name, int least, int most, int* value, char* text) {
    if (int_read_within(name, least, most, value)) int_to_text(text, *value);
}

}  // namespace

// The numbered lines "&1 name" in Arkiv, just above Exit; the file's own name, its folder left
// out, and an ampersand in it doubled so it shows as itself.
void recent_menu_refresh() {
    for (int i = 0; i < RECENT_COUNT; ++i) {
        const char* path = app_state.recent_files[i];
        if (!path[0]) {
            menu_item_remove(app_state.file_menu, RECENT_IDS[i]);
            continue;
        }
        const char* name = std::strrchr(path, '\\');
        name = name ? name + 1 : path;
        char caption[MAX_PATH * 2 + 8];
        int at = std::snprintf(caption, sizeof caption, "&%d ", i + 1);
        for (const char* c = name; *c && at < (int)sizeof caption - 2; ++c) {
            if (*c == '&') caption[at++] = '&';
            caption[at++] = *c;
        }
        caption[at] = '\0';
        menu_item_put_before(app_state.file_menu, caption, RECENT_IDS[i], CMD_EXIT);
    }
}

void recent_file_add(const char* path) {
    if (!path_is_sound(path)) return;
    char kept[RECENT_COUNT][MAX_PATH];
    std::memcpy(kept, app_state.recent_files, sizeof kept);
    text_copy_limited(app_state.recent_files[0], path, MAX_PATH - 1);
    int next = 1;
    for (int i = 0; i < RECENT_COUNT && next < RECENT_COUNT; ++i) {
        if (kept[i][0] && lstrcmpiA(kept[i], path) != 0) text_copy_limited(app_state.recent_files[next++], kept[i], MAX_PATH - 1);
    }
    while (next < RECENT_COUNT) app_state.recent_files[next++][0] = '\0';
    recent_menu_refresh();
    recent_files_save();
}

void recent_file_remove(int index) {
    for (int i = index; i + 1 < RECENT_COUNT; ++i) std::memcpy(app_state.recent_files[i], app_state.recent_files[i + 1], MAX_PATH);
    app_state.recent_files[RECENT_COUNT - 1][0] = '\0';
    recent_menu_refresh();
    recent_files_save();
}

void settings_load() {
    setting_read("Margin", 0, setting_most_points(), &app_state.margin, app_state.margin_text);
    setting_read("TabStep", 1, MOST_TAB_STEP < setting_most_points() ? MOST_TAB_STEP : setting_most_points(),
                 &app_state.tab_step, app_state.tab_step_text);
    int colour = 0;
    if (int_read_within("Background", 0, 0xFFFFFF, &colour)) {
        app_state.background_colour = (COLORREF)colour;
        editor_set_colours(app_state.editor, 999, app_state.background_colour);
    }
    char search[sizeof app_state.search_text];
    if (settings_read_text("SearchText", search, sizeof search) == SETTINGS_OK) {
        text_copy_limited(app_state.search_text, search, (int)sizeof app_state.search_text - 1);
    }
    std::memset(app_state.recent_files, 0, sizeof app_state.recent_files);
    int next = 0;
    for (int i = 0; i < RECENT_COUNT; ++i) {
        char name[16];
        char path[MAX_PATH];
        recent_value_name(name, sizeof name, i);
        if (settings_read_text(name, path, sizeof path) == SETTINGS_OK && path_is_sound(path)) {
            text_copy_limited(app_state.recent_files[next++], path, MAX_PATH - 1);
        }
    }
    recent_menu_refresh();
}

// The frame goes where it was only when that place is sound and partly on a screen.
void window_place_restore(HWND window) {
    int left = 0, top = 0, width = 0, height = 0, maximised = 0;
    bool read = int_read_within("WindowLeft", -MOST_WINDOW_SIDE, MOST_WINDOW_SIDE, &left) &&
                int_read_within("WindowTop", -MOST_WINDOW_SIDE, MOST_WINDOW_SIDE, &top) &&
                int_read_within("WindowWidth", LEAST_WINDOW_SIDE, MOST_WINDOW_SIDE, &width) &&
                int_read_within("WindowHeight", LEAST_WINDOW_SIDE, MOST_WINDOW_SIDE, &height) &&
                int_read_within("WindowMaximized", 0, 1, &maximised);
    if (!read) return;
    RECT place = {left, top, left + width, top + height};
    if (MonitorFromRect(&place, MONITOR_DEFAULTTONULL) == nullptr) return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) return;
    placement.rcNormalPosition = place;
    placement.showCmd = maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    SetWindowPlacement(window, &placement);
}

void settings_save() {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (app_state.main_window && GetWindowPlacement(app_state.main_window, &placement)) {
        const RECT& place = placement.rcNormalPosition;
        settings_write_int("WindowLeft", place.left);
        settings_write_int("WindowTop", place.top);
        settings_write_int("WindowWidth", place.right - place.left);
        settings_write_int("WindowHeight", place.bottom - place.top);
        settings_write_int("WindowMaximized", IsZoomed(app_state.main_window) ? 1 : 0);
    }
    settings_write_int("Margin", app_state.margin);
    settings_write_int("TabStep", app_state.tab_step);
    settings_write_text("SearchText", app_state.search_text);
    recent_files_save();
}
