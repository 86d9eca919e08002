// Command ids and the command table: one list feeds the menu bar, the toolbar and the tooltips.
#pragma once
#include <windows.h>

#include "resource_names.h"

enum command_id {
    CMD_NEW = 101,
    CMD_OPEN = 102,
    CMD_SAVE = 103,
    CMD_PRINT = 104,
    CMD_EXIT = 105,
    CMD_SAVE_AS = 113,
    CMD_PRINT_DIALOG = 116,
    CMD_RECENT_1 = 121,
    CMD_RECENT_2 = 122,
    CMD_RECENT_3 = 123,
    CMD_RECENT_4 = 124,
    CMD_PAGE_SETUP = 117,
    CMD_PREVIEW = 118,
    CMD_CONTEXT_MENU = 200,
    CMD_UNDO = 201,
    CMD_CUT = 202,
    CMD_COPY = 203,
    CMD_PASTE = 204,
    CMD_DELETE = 205,
    CMD_SELECT_ALL = 206,
    CMD_REDO = 207,
    CMD_SEARCH_UP = 501,
    CMD_SEARCH_DOWN = 502,
    CMD_FIND_DIALOG = 503,
    CMD_REPLACE_DIALOG = 504,
    CMD_ABOUT = 601,
    CMD_FONT = 701,
    CMD_BACKGROUND = 702,
    CMD_MARGIN = 703,
    CMD_TAB_STEP = 704,
    CMD_ALIGN_LEFT = 801,
    CMD_ALIGN_CENTER = 802,
    CMD_ALIGN_RIGHT = 803,
    CMD_BULLETS = 804,
    CMD_BOLD = 805,
    CMD_ITALIC = 806,
    CMD_UNDERLINE = 807,
    CMD_PARAGRAPH = 808,
    CMD_WRAP_NONE = 710,
    CMD_WRAP_WINDOW = 711,
    CMD_WRAP_PAGE = 712,
    CMD_STATUS_REFRESH = 901,
};

// One row per menu line, in menu order. A row with id 0 is a separator line.
// bitmap and tooltip are null for commands without a toolbar button; submenu names the
// pull-down inside the popup that the item goes into (null: the popup itself).
struct command_entry {
    int id;
    const char* popup;
    const char* caption;
    const char* bitmap;
    const char* tooltip;
    const char* submenu = nullptr;
};

constexpr const char* POPUP_FILE = "&Arkiv";
constexpr const char* POPUP_EDIT = "Redigera";
constexpr const char* POPUP_SEARCH = "&Sök";
constexpr const char* POPUP_SETTINGS = "&Inställningar";
constexpr const char* POPUP_FORMAT = "&Format";
constexpr const char* POPUP_ABOUT = "&Om";
constexpr const char* SUBMENU_WRAP = "&Radbrytning";

constexpr command_entry command_table[] = {
    {CMD_NEW, POPUP_FILE, "&Nytt", RES_NEW_BMP, "Nytt dokument öppnas, om det\nfinns något innan raderas det."},
    {CMD_OPEN, POPUP_FILE, "&Öppna...", RES_OPEN_BMP, "Öppna befintligt dokument."},
    {CMD_SAVE, POPUP_FILE, "&Spara", RES_SAVE_BMP, "Spara befintligt dokument."},
    {CMD_SAVE_AS, POPUP_FILE, "Sp&ara som...", nullptr, nullptr},
    {0, POPUP_FILE, nullptr, nullptr, nullptr},
    {CMD_PRINT, POPUP_FILE, "Sk&riv ut", RES_PRINT_BMP, "Skriv ut dokument direkt."},
    {CMD_PRINT_DIALOG, POPUP_FILE, "S&kriv ut...", nullptr, nullptr},
    {CMD_PAGE_SETUP, POPUP_FILE, "&Utskriftsformat...", nullptr, nullptr},
    {CMD_PREVIEW, POPUP_FILE, "&Förhandsgranska", nullptr, nullptr},
    {0, POPUP_FILE, nullptr, nullptr, nullptr},
    // the recent files' lines go just above Exit, with a separator of their own, when there are any
    {CMD_EXIT, POPUP_FILE, "&Avsluta ", nullptr, nullptr},

    {CMD_UNDO, POPUP_EDIT, "&Ångra", RES_UNDO_BMP, "Ångra editeringsåtgärd."},
    {CMD_REDO, POPUP_EDIT, "&Gör om", nullptr, nullptr},
    {0, POPUP_EDIT, nullptr, nullptr, nullptr},
    {CMD_CUT, POPUP_EDIT, "&Klipp ut", RES_CUT_BMP, "Klipp ut markerad text."},
    {CMD_COPY, POPUP_EDIT, "K&opiera", RES_COPY_BMP, "Kopiera markerad text."},
    {CMD_PASTE, POPUP_EDIT, "Kl&istra in", RES_PASTE_BMP, "Klistra in text."},
    {CMD_DELETE, POPUP_EDIT, "&Radera", nullptr, nullptr},
    {0, POPUP_EDIT, nullptr, nullptr, nullptr},
    {CMD_SELECT_ALL, POPUP_EDIT, "&Markera allt", nullptr, nullptr},

    {CMD_SEARCH_UP, POPUP_SEARCH, "Sök markerat UPP ", RES_SEARCHUP_BMP, "Sök markerad text uppåt."},
    {CMD_SEARCH_DOWN, POPUP_SEARCH, "Sök markerat NER ", RES_SEARCHDDOWN_BMP, "Sök markerad text nedåt."},
    {0, POPUP_SEARCH, nullptr, nullptr, nullptr},
    {CMD_FIND_DIALOG, POPUP_SEARCH, "Sök dialog...", RES_SEARCHDLG_BMP, "Sök text genom dialogruta."},
    {CMD_REPLACE_DIALOG, POPUP_SEARCH, "&Ersätt...", nullptr, nullptr},

    {CMD_FONT, POPUP_SETTINGS, "&Välj typsnitt...", RES_FONT_BMP, "Fontdialog för att välja\nfont, storlek, färg och annat."},
    {CMD_BACKGROUND, POPUP_SETTINGS, "Väl&j bakgrundsfärg...", RES_COLOR_BMP, "Dialogruta för att välja bakgrundsfärg."},
    {CMD_MARGIN, POPUP_SETTINGS, "Välj marginal...", nullptr, nullptr},
    {CMD_TAB_STEP, POPUP_SETTINGS, "Välj tabulatorsteg...", nullptr, nullptr},
    {CMD_WRAP_NONE, POPUP_SETTINGS, "Ingen", nullptr, nullptr, SUBMENU_WRAP},
    {CMD_WRAP_WINDOW, POPUP_SETTINGS, "Efter fönstret", nullptr, nullptr, SUBMENU_WRAP},
    {CMD_WRAP_PAGE, POPUP_SETTINGS, "Efter sidan", nullptr, nullptr, SUBMENU_WRAP},

    {CMD_ALIGN_LEFT, POPUP_FORMAT, "&Vänsterjustera", nullptr, nullptr},
    {CMD_ALIGN_CENTER, POPUP_FORMAT, "&Centrera", nullptr, nullptr},
    {CMD_ALIGN_RIGHT, POPUP_FORMAT, "&Högerjustera", nullptr, nullptr},
    {0, POPUP_FORMAT, nullptr, nullptr, nullptr},
    {CMD_BULLETS, POPUP_FORMAT, "&Punktlista", nullptr, nullptr},
    {0, POPUP_FORMAT, nullptr, nullptr, nullptr},
    {CMD_BOLD, POPUP_FORMAT, "&Fet", nullptr, nullptr},
    {CMD_ITALIC, POPUP_FORMAT, "&Kursiv", nullptr, nullptr},
    {CMD_UNDERLINE, POPUP_FORMAT, "&Understruken", nullptr, nullptr},
    {0, POPUP_FORMAT, nullptr, nullptr, nullptr},
    {CMD_PARAGRAPH, POPUP_FORMAT, "&Stycke...", nullptr, nullptr},

    {CMD_ABOUT, POPUP_ABOUT, "Om&", RES_HELP_BMP, "Lite info.."},
};

constexpr int COMMAND_TABLE_SIZE = sizeof command_table / sizeof command_table[0];

// Keyboard shortcuts: a key with exactly these modifiers (FCONTROL, FSHIFT) runs the command as
// its menu item does. The menu captions stay the program's own texts, without the keys.
struct shortcut_entry {
    UINT key;
    BYTE modifiers;
    int id;
};

constexpr shortcut_entry shortcut_table[] = {
    {'N', FCONTROL, CMD_NEW},
    {'O', FCONTROL, CMD_OPEN},
    {'S', FCONTROL, CMD_SAVE},
    {'P', FCONTROL, CMD_PRINT_DIALOG},
    {'F', FCONTROL, CMD_FIND_DIALOG},
    {'H', FCONTROL, CMD_REPLACE_DIALOG},
    {'Y', FCONTROL, CMD_REDO},
    {'L', FCONTROL, CMD_ALIGN_LEFT},
    {'E', FCONTROL, CMD_ALIGN_CENTER},
    {'R', FCONTROL, CMD_ALIGN_RIGHT},
    {'B', FCONTROL, CMD_BOLD},
    {'I', FCONTROL, CMD_ITALIC},
    {'U', FCONTROL, CMD_UNDERLINE},
    {VK_F3, 0, CMD_SEARCH_DOWN},
    {VK_F3, FSHIFT, CMD_SEARCH_UP},
};
