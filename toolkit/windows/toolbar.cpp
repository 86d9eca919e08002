// Toolbar, tooltips and push buttons over the common controls.
#include "toolkit/windows/toolbar.h"

#include <commctrl.h>
#include <cstring>

#include "toolkit/platform_records.h"

namespace {

struct keyword_bits {
    const char* keyword;
    DWORD bits;
};

struct button_look {
    const char* keyword;
    DWORD style;
    DWORD ex_style;
};

const keyword_bits border_rows[] = {
    {"NOBORDER", 0},
    {"BORDER", WS_BORDER},
    {"BAR", WS_DLGFRAME},
};

const keyword_bits button_kind_rows[] = {
    {"PUSH", TBSTYLE_BUTTON},
    {"PUSHDOWN", TBSTYLE_CHECK},
    {"PUSHDOWNGROUP", TBSTYLE_CHECKGROUP},
};

const keyword_bits button_state_rows[] = {
    {"HIDE", TBSTATE_HIDDEN},
    {"ACTIVE", TBSTATE_ENABLED},
    {"ACTIVEDOWN", TBSTATE_ENABLED | TBSTATE_PRESSED},
    {"NONACTIVE", TBSTATE_INDETERMINATE},
    {"NONACTIVEDOWN", TBSTATE_CHECKED},
};

const keyword_bits alignment_rows[] = {
    {"L", BS_LEFT},
    {"R", BS_RIGHT},
    {"T", BS_TOP},
    {"B", BS_BOTTOM},
    {"C", BS_CENTER},
    {"LB", BS_LEFT | BS_BOTTOM},
    {"LT", BS_LEFT | BS_TOP},
    {"RB", BS_RIGHT | BS_BOTTOM},
    {"RT", BS_RIGHT | BS_TOP},
};

constexpr DWORD CHILD = WS_CHILD | WS_VISIBLE;

// An unknown look falls back to the first row, so the button is always a visible child.
const button_look look_rows[] = {
    {"NORMAL", CHILD, 0},
    {"SHADOW", CHILD | BS_DEFPUSHBUTTON, 0},
    {"SUNKEN", CHILD, WS_EX_CLIENTEDGE},
    {"SUNKEN_SHADOW", CHILD | BS_DEFPUSHBUTTON, WS_EX_CLIENTEDGE},
    {"BAR", CHILD | WS_DLGFRAME, 0},
    {"BAR_SHADOW", CHILD | WS_DLGFRAME | BS_DEFPUSHBUTTON, 0},
    {"EDGE", CHILD | WS_DLGFRAME, WS_EX_CLIENTEDGE},
    {"EDGE_SHADOW", CHILD | WS_DLGFRAME | BS_DEFPUSHBUTTON, WS_EX_CLIENTEDGE},
};

bool same_keyword(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

template <typename Row, size_t N>
const Row* find_row(const Row (&rows)[N], const char* keyword) {
    for (const Row& row : rows) {
        if (same_keyword(row.keyword, keyword)) return &row;
    }
    return nullptr;
}

template <size_t N>
DWORD bits_of(const keyword_bits (&rows)[N], const char* keyword, DWORD fallback) {
    const keyword_bits* row = find_row(rows, keyword);
    return row ? row->bits : fallback;
}

// The image index the next bitmap button receives; one bitmap adds one image.
int button_image_counter = 0;

// A line break is the only line keyword that changes the state.
BYTE line_state(const char* line) { return same_keyword(line, "BREAK") ? TBSTATE_WRAP : 0; }

HINSTANCE instance_of(HWND window) { return (HINSTANCE)GetWindowLongPtrA(window, GWLP_HINSTANCE); }

HWND parent_of(HWND window) { return (HWND)GetWindowLongPtrA(window, GWLP_HWNDPARENT); }

void toolbar_add_record(HWND toolbar, const TBBUTTON& record) {
    SendMessageA(toolbar, TB_ADDBUTTONS, 1, (LPARAM)&record);
}

}  // namespace

HWND toolbar_create(HWND parent, const char* border, int height) {
    DWORD style = CHILD | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_TOP |
                  bits_of(border_rows, border, 0);
    HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style, 0, 0, 0, 0, parent,
                                   (HMENU)(INT_PTR)TOOLBAR_ID, instance_of(parent), nullptr);
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (height > 0) {
        RECT client = {};
        GetClientRect(parent, &client);
        MoveWindow(toolbar, 0, 0, client.right - 2, height, TRUE);
    }
    button_image_counter = 0;
    return toolbar;
}

int toolbar_dock(HWND toolbar, const char* side, int thickness, int x, int y, int extra) {
    RECT client = {};
    GetClientRect(parent_of(toolbar), &client);
    int cw = client.right;
    int ch = client.bottom;
    RECT r;  // left, top, width, height
    if (same_keyword(side, "T")) {
        r = {x, y, cw + extra - x, thickness};
    } else if (same_keyword(side, "B")) {
        r = {x, ch + y - thickness, cw + extra - x, thickness};
    } else if (same_keyword(side, "L")) {
        r = {x, y, thickness, ch - y + extra};
    } else if (same_keyword(side, "R")) {
        r = {cw - thickness + x, y, thickness, ch - y + extra};
    } else {
        return 1;
    }
    return MoveWindow(toolbar, r.left, r.top, r.right, r.bottom, TRUE) ? 0 : 1;
}

int toolbar_add_separator(HWND toolbar, const char* kind, const char* line, int width) {
    // Any kind but a command-less button is a gap, and any line but a break stays on the row.
    TBBUTTON record = {};
    if (same_keyword(kind, "BUTT")) {
        record.iBitmap = I_IMAGECALLBACK;
        record.fsStyle = TBSTYLE_BUTTON;
    } else {
        record.iBitmap = width;
        record.fsStyle = TBSTYLE_SEP;
    }
    record.fsState = line_state(line);
    toolbar_add_record(toolbar, record);
    return 0;
}

int toolbar_add_button(HWND toolbar, const char* kind, const char* state, const char* line,
                       const char* bitmap, int text_index, int id) {
    HBITMAP picture = LoadBitmapA(instance_of(parent_of(toolbar)), bitmap);
    TBBUTTON record = {};
    record.iBitmap = button_image_counter++;
    record.idCommand = id;
    record.fsState = (BYTE)(bits_of(button_state_rows, state, 0) | line_state(line));
    record.fsStyle = (BYTE)bits_of(button_kind_rows, kind, TBSTYLE_BUTTON);
    record.iString = text_index;
    TBADDBITMAP images = {nullptr, (UINT_PTR)picture};
    SendMessageA(toolbar, TB_ADDBITMAP, 1, (LPARAM)&images);
    toolbar_add_record(toolbar, record);
    return 0;
}

int toolbar_set_bitmap_size(HWND toolbar, int width, int height) {
    SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(width, height));
    return 0;
}

int toolbar_toggle_flat(HWND toolbar) {
    LONG style = GetWindowLongA(toolbar, GWL_STYLE);
    if (style == 0) return 1;
    SetWindowLongA(toolbar, GWL_STYLE, style ^ TBSTYLE_FLAT);
    // Hiding and showing again repaints the buttons in the new look.
    ShowWindow(toolbar, SW_HIDE);
    ShowWindow(toolbar, SW_SHOW);
    return 0;
}

int tooltip_supply_text(LPARAM notification, int id, const char* text) {
    TOOLTIPTEXTA* request = (TOOLTIPTEXTA*)notification;
    if (request == nullptr) return 0;
    if (request->hdr.code == TTN_NEEDTEXTA && request->hdr.idFrom == (UINT_PTR)id) {
        request->lpszText = (LPSTR)text;  // the caller keeps the text alive
    }
    return 0;
}

HWND button_create(HWND parent, int x, int y, int width, int height, const char* caption,
                   const char* alignment, const char* look, int id) {
    const button_look* row = find_row(look_rows, look);
    if (row == nullptr) row = &look_rows[0];
    DWORD style = row->style | bits_of(alignment_rows, alignment, BS_CENTER) | BS_PUSHLIKE;
    HWND button = CreateWindowExA(row->ex_style, "button", caption, style, x, y, width, height,
                                  parent, (HMENU)(INT_PTR)id, instance_of(parent), nullptr);
    SendMessageA(button, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    ShowWindow(button, SW_SHOW);
    return button;
}

int control_set_font(HWND control, HFONT font) {
    SendMessageA(control, WM_SETFONT, (WPARAM)font, TRUE);
    return 0;
}
