// Input fields, fonts and painted text.
#include "toolkit/windows/input.h"

#include <cstdio>
#include <cstring>

namespace {

// The edit class's own procedure, which every input field passes its messages on to.
WNDPROC edit_procedure = nullptr;

struct font_styles {
    int code;
    BYTE italic;
    BYTE underline;
    BYTE strike_out;
};

// Each decimal digit names a style: 1 italic, 2 underline, 3 strike-out; other codes are plain.
const font_styles style_rows[] = {
    {1, 1, 0, 0}, {2, 0, 1, 0}, {3, 0, 0, 1}, {12, 1, 1, 0},
    {13, 1, 0, 1}, {23, 0, 1, 1}, {123, 1, 1, 1},
};

font_styles styles_of(int code) {
    for (const font_styles& row : style_rows) {
        if (row.code == code) return row;
    }
    return {code, 0, 0, 0};
}

const int stock_fonts[] = {SYSTEM_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, DEFAULT_GUI_FONT, OEM_FIXED_FONT};

struct alignment_row {
    const char* keyword;
    DWORD style;
};

const alignment_row alignment_rows[] = {
    {"C", ES_CENTER},           {"R", ES_RIGHT},
    {"L_DIGITS", ES_NUMBER},    {"C_DIGITS", ES_CENTER | ES_NUMBER},
    {"R_DIGITS", ES_RIGHT | ES_NUMBER},
};

DWORD alignment_of(const char* keyword) {
    for (const alignment_row& row : alignment_rows) {
        if (keyword && std::strcmp(keyword, row.keyword) == 0) return row.style;
    }
    return ES_LEFT;
}

// The edit control keeps non-digits from being typed into a digits field, but not from being
// pasted: such a paste is refused the same way.
bool paste_refused(HWND field) {
    if (!(GetWindowLongA(field, GWL_STYLE) & ES_NUMBER) || !OpenClipboard(field)) return false;
    bool refused = false;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? (const char*)GlobalLock(data) : nullptr;
    for (const char* c = text; c && *c && !refused; ++c) refused = *c < '0' || *c > '9';
    if (text) GlobalUnlock(data);
    CloseClipboard();
    if (refused) MessageBeep(MB_OK);
    return refused;
}

// Keys the field keeps for moving its caret; every other key goes to the parent.
bool is_caret_key(WPARAM key) {
    return key == VK_END || key == VK_HOME || key == VK_LEFT || key == VK_RIGHT;
}

constexpr int NUMBER_BUFFER = 100;
constexpr int MOST_DECIMALS = 8;

// Fixed-point text; a number too long for the buffer is written with an exponent instead, so
// it is shown whole rather than cut.
void number_to_text(char* buffer, double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > MOST_DECIMALS) decimals = MOST_DECIMALS;
    int length = std::snprintf(buffer, NUMBER_BUFFER, "%.*f", decimals, value);
    if (length < 0 || length >= NUMBER_BUFFER) {
        std::snprintf(buffer, NUMBER_BUFFER, "%.*e", decimals, value);
    }
}

}  // namespace

HWND input_create(HWND parent, int x, int y, int width, int height, const char* alignment, int limit) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NOHIDESEL | ES_AUTOHSCROLL | alignment_of(alignment);
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(parent, GWLP_HINSTANCE);
    HWND field = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", nullptr, style, x, y, width, height, parent,
                                 (HMENU)(INT_PTR)INPUT_ID, instance, nullptr);
    SendMessageA(field, EM_LIMITTEXT, (WPARAM)limit, 0);
    if (field) {
        edit_procedure = (WNDPROC)GetWindowLongPtrA(field, GWLP_WNDPROC);
        SetWindowLongPtrA(field, GWLP_WNDPROC, (LONG_PTR)input_procedure);
    }
    return field;
}

LRESULT CALLBACK input_procedure(HWND field, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KEYDOWN && wparam < 256 && !is_caret_key(wparam)) {
        // Posted, so the parent handles the key after this key message is done.
        PostMessageA(GetParent(field), WM_COMMAND, wparam, 0);
        return 0;
    }
    if (message == WM_CHAR && (wparam == '\t' || wparam == '\r')) return 0;
    if (message == WM_PASTE && paste_refused(field)) return 0;
    if (edit_procedure == nullptr) return 0;
    return CallWindowProcA(edit_procedure, field, message, wparam, lparam);
}

int input_set_font(HWND field, HFONT font) {
    SendMessageA(field, WM_SETFONT, (WPARAM)font, TRUE);
    return 0;
}

// The caller's size, not the field's limit, bounds the copy: a field's limit counts characters
// (0 means the platform's largest), so the whole text of a full field arrives when it fits.
int input_get_text(HWND field, char* buffer, int size) {
    if (size <= 0 || buffer == nullptr) return 0;
    buffer[0] = '\0';
    SendMessageA(field, WM_GETTEXT, (WPARAM)size, (LPARAM)buffer);
    return lstrlenA(buffer);
}

HFONT font_create(HWND window, int points, int weight, int style_code, int, const char* face) {
    HDC dc = GetDC(window);
    int resolution = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window, dc);
    font_styles styles = styles_of(style_code);
    return CreateFontA(-MulDiv(points, resolution, 72), 0, 0, 0, weight, styles.italic, styles.underline,
                       styles.strike_out, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, face);
}

int control_set_stock_font(HWND control, INT_PTR code_or_font) {
    HGDIOBJ font = (HGDIOBJ)code_or_font;
    if (code_or_font >= 0 && code_or_font < (INT_PTR)(sizeof stock_fonts / sizeof stock_fonts[0])) {
        font = GetStockObject(stock_fonts[code_or_font]);
    }
    SendMessageA(control, WM_SETFONT, (WPARAM)font, TRUE);
    return 0;
}

int paint_text(HWND window, int x, int y, const char* text, COLORREF text_colour, HFONT font,
               COLORREF background) {
    HDC dc = GetDC(window);
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);  // only validates the update region; drawing goes to dc
    SetTextColor(dc, text_colour);
    if (font) SelectObject(dc, font);
    // Black cannot be an opaque background: 0 means the window shows through.
    if (background != 0) {
        SetBkColor(dc, background);
    } else {
        SetBkMode(dc, TRANSPARENT);
    }
    if (text) TextOutA(dc, x, y, text, lstrlenA(text));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, OPAQUE);
    ReleaseDC(window, dc);
    EndPaint(window, &paint);
    return 0;
}

int paint_number(HWND window, int x, int y, double value, int decimals, COLORREF text_colour,
                 HFONT font, COLORREF background) {
    char text[NUMBER_BUFFER];
    number_to_text(text, value, decimals);
    return paint_text(window, x, y, text, text_colour, font, background);
}
