// The application's one global record: every handle, setting and text buffer it keeps.
#pragma once
#include <windows.h>

// The recovery copy of this run's document: where it goes, and what is not in it yet.
struct recovery_record {
    bool enabled;               // the program's own run keeps copies; test programs unless they ask
    char folder[MAX_PATH];      // ends in a backslash
    char copy_path[MAX_PATH];   // this run's copy and the note beside it
    char note_path[MAX_PATH];
    FILETIME started;           // this process's start, which tells it apart from an ended one of the same id
    bool pending;               // changes not in the copy yet
    bool kept;                  // a copy of this run is on disk
    bool failing;               // the last copy could not be written: one line in the status bar
    bool failure_shown;         // that line has been laid out since the program started
    DWORD first_change;         // tick counts: the first and the last change not in the copy
    DWORD last_change;
    DWORD next_attempt;         // after a failed copy, no new attempt before this
};
#include "toolkit/richedit/print.h"

struct app_state_record {
    // windows and menus
    HWND main_window;
    HMENU menu_bar;
    HMENU file_menu, edit_menu, search_menu, settings_menu, format_menu, about_menu;
    HWND toolbar;
    HWND status_bar;
    HWND editor;
    HFONT editor_font;
    HWND find_dialog;
    HWND replace_dialog;
    HWND dialog_input;

    // settings and their texts
    int margin;
    int tab_step;
    char margin_text[4];
    char tab_step_text[4];
    int dialog_mode;
    COLORREF background_colour;

    // status, input tracking and search
    int status_number;
    char number_text[12];
    int last_editor_event;
    LPARAM last_input_position;
    int find_request;
    char search_text[255];
    int replaced_count;  // by the last Replace all, for the status bar

    // the last documents opened or saved, newest first; empty names are unused
    char recent_files[4][MAX_PATH];

    // documents, printing and messages
    char* command_line;  // 260-byte block, allocated once
    char document_name[256];
    char document_path[MAX_PATH];  // the file Save writes to without asking; empty for none
    char message_text[1000];
    int print_dialog_result;
    int result_code;
    int file_result;

    recovery_record recovery;
    // the page: paper and margins, and where the editor breaks its lines
    page_setup page;
    int wrap;  // WRAP_NONE, WRAP_WINDOW or WRAP_PAGE
    HDC wrap_printer;  // the device the editor wraps for at the page
};

enum wrap_setting { WRAP_NONE = 0, WRAP_WINDOW = 1, WRAP_PAGE = 2 };

constexpr int COMMAND_LINE_SIZE = 260;

extern app_state_record app_state;
