// The application's one global record: every handle, setting and text buffer it keeps.
#pragma once
#include <windows.h>

#include "toolkit/richedit/print.h"

struct app_state_record {
    // windows and menus
    HWND main_window;
    HMENU menu_bar;
    HMENU file_menu, edit_menu, search_menu, settings_menu, about_menu;
    HWND toolbar;
    HWND status_bar;
    HWND editor;
    HFONT editor_font;
    HWND find_dialog;
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

    // documents, printing and messages
    char* command_line;  // 260-byte block, allocated once
    char document_name[256];
    char message_text[1000];
    int print_dialog_result;
    int result_code;
    int file_result;

    // the page: paper and margins, and where the editor breaks its lines
    page_setup page;
    int wrap;  // WRAP_NONE, WRAP_WINDOW or WRAP_PAGE
    HDC wrap_printer;  // the device the editor wraps for at the page
};

enum wrap_setting { WRAP_NONE = 0, WRAP_WINDOW = 1, WRAP_PAGE = 2 };

constexpr int COMMAND_LINE_SIZE = 260;

extern app_state_record app_state;
