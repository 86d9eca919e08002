// Input fields, fonts and painted text in real windows, read back from the controls and pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/test_util.h"
#include "toolkit/windows/input.h"

namespace {

const char* const CLASS_NAME = "input test parent";
std::vector<WPARAM> commands;  // the parent's WM_COMMAND words that came from no control

LRESULT CALLBACK parent_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // The field's own change notifications carry its handle; reported keys carry none.
    if (message == WM_COMMAND && lparam == 0) {
        commands.push_back(wparam);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND parent_create(int x, int y, int width, int height, DWORD ex_style = 0) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = parent_procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = CreateSolidBrush(RGB(0, 128, 0));
        wc.lpszClassName = CLASS_NAME;
        registered = RegisterClassA(&wc) != 0;
    }
    HWND w = CreateWindowExA(ex_style, CLASS_NAME, "", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(w);
    pump_messages(30);
    commands.clear();
    return w;
}

// What the edit control itself receives behind the field's procedure.
WNDPROC real_edit_procedure = nullptr;
std::vector<std::pair<UINT, WPARAM>> edit_saw;

LRESULT CALLBACK edit_recorder(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KEYDOWN || message == WM_CHAR) edit_saw.push_back({message, wparam});
    return CallWindowProcA(real_edit_procedure, window, message, wparam, lparam);
}

// A field whose edit procedure records what it is handed: the class procedure is swapped while
// the field is made, so the field stores the recorder as its edit procedure.
HWND recorded_field_create(HWND parent, int limit) {
    HWND probe = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr);
    real_edit_procedure = (WNDPROC)SetClassLongPtrA(probe, GCLP_WNDPROC, (LONG_PTR)edit_recorder);
    HWND field = input_create(parent, 80, 40, 120, 20, "L", limit);
    SetClassLongPtrA(probe, GCLP_WNDPROC, (LONG_PTR)real_edit_procedure);
    DestroyWindow(probe);
    edit_saw.clear();
    return field;
}

void key_down(HWND field, WPARAM key) { SendMessageA(field, WM_KEYDOWN, key, 1); }
void type_char(HWND field, char c) { SendMessageA(field, WM_CHAR, (WPARAM)(unsigned char)c, 1); }

bool edit_saw_message(UINT message, WPARAM wparam) {
    for (const auto& m : edit_saw) {
        if (m.first == message && m.second == wparam) return true;
    }
    return false;
}

std::string field_text(HWND field) {
    char text[256] = {};
    GetWindowTextA(field, text, sizeof text);
    return text;
}

// A field of the margin dialog's size with the text typed into it, character by character.
HWND field_typed(HWND parent, const char* keyword, int limit, const std::string& typed) {
    HWND field = input_create(parent, 80, 40, 30, 20, keyword, limit);
    for (char c : typed) type_char(field, c);
    return field;
}

DWORD caret_of(HWND field) {
    DWORD start = 0, end = 0;
    SendMessageA(field, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    return start;
}

}  // namespace

TEST(InputField, KeyDownsBecomeCommandsForTheParent) {
    HWND w = parent_create(50, 50, 300, 120);
    HWND field = recorded_field_create(w, 20);
    ASSERT_NE(field, nullptr);

    key_down(field, VK_ESCAPE);
    key_down(field, VK_RETURN);
    type_char(field, '\r');
    type_char(field, '\t');
    key_down(field, 'A');
    type_char(field, 'A');
    pump_messages(30);
    EXPECT_EQ(commands, (std::vector<WPARAM>{27, 13, 65}));
    EXPECT_EQ(field_text(field), "A");
    EXPECT_FALSE(edit_saw_message(WM_KEYDOWN, VK_ESCAPE));
    EXPECT_FALSE(edit_saw_message(WM_KEYDOWN, VK_RETURN));
    EXPECT_FALSE(edit_saw_message(WM_CHAR, '\r'));
    EXPECT_FALSE(edit_saw_message(WM_CHAR, '\t'));
    EXPECT_FALSE(edit_saw_message(WM_KEYDOWN, 'A'));
    EXPECT_TRUE(edit_saw_message(WM_CHAR, 'A'));

    // Key codes above the byte range are the edit control's own.
    commands.clear();
    key_down(field, 300);
    pump_messages(20);
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(edit_saw_message(WM_KEYDOWN, 300));
    DestroyWindow(w);
}

TEST(InputField, CaretKeysMoveInTheFieldWhileUpAndDeleteOnlyReport) {
    HWND w = parent_create(50, 50, 300, 120);
    HWND field = recorded_field_create(w, 20);
    SetWindowTextA(field, "abcd");
    SendMessageA(field, EM_SETSEL, 2, 2);
    commands.clear();

    key_down(field, VK_DELETE);
    key_down(field, VK_UP);
    key_down(field, VK_DOWN);
    pump_messages(30);
    EXPECT_EQ(commands, (std::vector<WPARAM>{46, 38, 40}));
    EXPECT_EQ(field_text(field), "abcd");
    EXPECT_EQ(caret_of(field), 2u);

    commands.clear();
    key_down(field, VK_HOME);
    EXPECT_EQ(caret_of(field), 0u);
    key_down(field, VK_END);
    EXPECT_EQ(caret_of(field), 4u);
    key_down(field, VK_LEFT);
    EXPECT_EQ(caret_of(field), 3u);
    key_down(field, VK_RIGHT);
    EXPECT_EQ(caret_of(field), 4u);
    pump_messages(30);
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(field_text(field), "abcd");
    DestroyWindow(w);
}

TEST(InputField, TextArrivesWholeUpToTheCallersBuffer) {
    HWND w = parent_create(50, 50, 300, 120);
    HWND field = field_typed(w, "C", 4, "12345");
    EXPECT_EQ(field_text(field), "1234");
    char buffer[16];
    EXPECT_EQ(input_get_text(field, buffer), 4);
    EXPECT_STREQ(buffer, "1234");

    // limit 0 is the platform's largest: the caller's size alone bounds the copy
    HWND unlimited = input_create(w, 80, 70, 200, 20, "L", 0);
    SetWindowTextA(unlimited, std::string(40, 'a').c_str());
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(input_get_text(unlimited, buffer, 8), 7);
    EXPECT_EQ(std::string(buffer, 8), std::string(7, 'a') + '\0');
    EXPECT_EQ(std::string(buffer + 8, 8), std::string(8, 'x'));
    char small[4];
    EXPECT_EQ(input_get_text(unlimited, small), 3);
    EXPECT_STREQ(small, "aaa");
    DestroyWindow(w);
}

TEST(InputField, DigitsFieldTakesOnlyDigitsTypedOrPasted) {
    HWND w = parent_create(50, 50, 300, 120);
    HWND field = field_typed(w, "C_DIGITS", 3, "a1-2x");
    EXPECT_EQ(field_text(field), "12");
    struct paste_case {
        const char* clipboard;
        const char* field;
    } pastes[] = {{"-5", "12"}, {"abc", "12"}, {"7", "127"}};
    for (const paste_case& p : pastes) {
        ASSERT_TRUE(clipboard_text_set(p.clipboard));
        SendMessageA(field, EM_SETSEL, 2, 2);
        SendMessageA(field, WM_PASTE, 0, 0);
        EXPECT_EQ(field_text(field), p.field) << p.clipboard;
    }
    // a field without the keyword takes what it is given
    HWND plain = input_create(w, 80, 70, 60, 20, "C", 3);
    SendMessageA(plain, WM_PASTE, 0, 0);
    type_char(plain, '-');
    EXPECT_EQ(field_text(plain), "7-");
    DestroyWindow(w);
}

TEST(InputField, PlacedWithStyleIdAndAlignment) {
    HWND w = parent_create(50, 50, 300, 120);
    HWND centred = input_create(w, 80, 40, 30, 20, "C", 4);
    RECT r;
    GetWindowRect(centred, &r);
    MapWindowPoints(nullptr, w, (POINT*)&r, 2);
    EXPECT_EQ(r.left, 80);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 30);
    EXPECT_EQ(r.bottom - r.top, 20);
    EXPECT_EQ(GetDlgCtrlID(centred), 1);
    EXPECT_EQ((DWORD)GetWindowLongA(centred, GWL_STYLE) & 0xFFFF0FFFu, 0x50010181u);
    EXPECT_TRUE(GetWindowLongA(centred, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    struct keyword_case {
        const char* keyword;
        LONG style;  // alignment and ES_NUMBER
    } keywords[] = {{"L", 0x0000},        {"C", 0x0001},        {"R", 0x0002},
                    {"L_DIGITS", 0x2000}, {"C_DIGITS", 0x2001}, {"R_DIGITS", 0x2002},
                    {"c", 0x0000},        {"C_digits", 0x0000}, {nullptr, 0x0000}};
    for (const keyword_case& k : keywords) {
        HWND field = input_create(w, 0, 0, 30, 20, k.keyword, 4);
        EXPECT_EQ(GetWindowLongA(field, GWL_STYLE) & 0x2003, k.style) << (k.keyword ? k.keyword : "null");
    }

    HFONT font = font_create(w, 12, 700, 0, 0, "ARIAL");
    EXPECT_EQ(input_set_font(centred, font), 0);
    EXPECT_EQ((HFONT)SendMessageA(centred, WM_GETFONT, 0, 0), font);
    DestroyWindow(w);
    DeleteObject(font);
}

TEST(Fonts, HeightWeightAndStyleCodesReadBack) {
    HWND w = parent_create(50, 50, 300, 120);
    HDC dc = GetDC(w);
    int resolution = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(w, dc);
    struct style_case {
        int code;
        bool italic, underline, strike_out;
    } cases[] = {{0, false, false, false},  {1, true, false, false},  {2, false, true, false},
                 {3, false, false, true},   {12, true, true, false},  {13, true, false, true},
                 {23, false, true, true},   {123, true, true, true},  {5, false, false, false},
                 {321, false, false, false}, {-1, false, false, false}};
    for (const style_case& c : cases) {
        HFONT font = font_create(w, 10, 100, c.code, 0, "ARIAL");
        ASSERT_NE(font, nullptr) << c.code;
        LOGFONTA read = {};
        ASSERT_EQ(GetObjectA(font, sizeof read, &read), (int)sizeof read);
        EXPECT_EQ(read.lfHeight, -MulDiv(10, resolution, 72)) << c.code;
        EXPECT_EQ(read.lfWeight, 100) << c.code;
        EXPECT_EQ(read.lfItalic != 0, c.italic) << c.code;
        EXPECT_EQ(read.lfUnderline != 0, c.underline) << c.code;
        EXPECT_EQ(read.lfStrikeOut != 0, c.strike_out) << c.code;
        EXPECT_EQ(read.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(read.lfPitchAndFamily, FF_SWISS);
        EXPECT_STREQ(read.lfFaceName, "ARIAL");
        DeleteObject(font);
    }
    HFONT large = font_create(w, 24, 700, 0, 0, "ARIAL");
    LOGFONTA read = {};
    GetObjectA(large, sizeof read, &read);
    EXPECT_EQ(read.lfHeight, -MulDiv(24, resolution, 72));
    EXPECT_EQ(read.lfWeight, 700);
    DeleteObject(large);
    DestroyWindow(w);
}

TEST(Fonts, StockFontCodesAndFontHandles) {
    HWND w = parent_create(50, 50, 300, 120);
    HWND field = input_create(w, 10, 10, 100, 20, "L", 10);
    const int stock[] = {SYSTEM_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, DEFAULT_GUI_FONT, OEM_FIXED_FONT};
    for (int code = 0; code < 5; ++code) {
        EXPECT_EQ(control_set_stock_font(field, code), 0);
        EXPECT_EQ((HGDIOBJ)SendMessageA(field, WM_GETFONT, 0, 0), GetStockObject(stock[code])) << code;
    }
    HFONT own = font_create(w, 10, 100, 0, 0, "ARIAL");
    EXPECT_EQ(control_set_stock_font(field, (INT_PTR)own), 0);
    EXPECT_EQ((HFONT)SendMessageA(field, WM_GETFONT, 0, 0), own);
    DestroyWindow(w);
    DeleteObject(own);
}

namespace {

const COLORREF GREEN = RGB(0, 128, 0);  // the test window's background
const COLORREF WHITE = RGB(255, 255, 255);
const COLORREF RED = RGB(255, 0, 0);

std::vector<COLORREF> pixels_of(HWND window, const RECT& r) {
    std::vector<COLORREF> out;
    HDC dc = GetDC(window);
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) out.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(window, dc);
    return out;
}

int count_of(const std::vector<COLORREF>& pixels, COLORREF colour) {
    int n = 0;
    for (COLORREF p : pixels) n += p == colour;
    return n;
}

RECT text_cell(HWND window, int x, int y, const char* text, HFONT font) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(SYSTEM_FONT));
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {x, y, x + size.cx, y + size.cy};
}

// A strip wide enough for any number text of these tests.
RECT strip(int y) { return {0, y, 380, y + 30}; }

}  // namespace

TEST(PaintText, BackgroundZeroIsTransparentAndWhiteFillsTheCells) {
    HWND w = parent_create(600, 300, 400, 200, WS_EX_TOPMOST);
    ASSERT_EQ(pixels_of(w, {5, 5, 6, 6})[0], GREEN);
    EXPECT_EQ(paint_text(w, 10, 10, "Marginal", RED, nullptr, 0), 0);
    std::vector<COLORREF> see_through = pixels_of(w, text_cell(w, 10, 10, "Marginal", nullptr));
    EXPECT_GT(count_of(see_through, RED), 0);
    EXPECT_GT(count_of(see_through, GREEN), 0);
    EXPECT_EQ(count_of(see_through, WHITE), 0);

    HFONT font = font_create(w, 10, 100, 0, 0, "ARIAL");
    EXPECT_EQ(paint_text(w, 10, 60, "Marginal", RED, font, WHITE), 0);
    std::vector<COLORREF> cells = pixels_of(w, text_cell(w, 10, 60, "Marginal", font));
    EXPECT_GT(count_of(cells, RED), 0);
    EXPECT_GT(count_of(cells, WHITE), 0);
    EXPECT_EQ(count_of(cells, GREEN), 0);
    // The given font was used: its cell differs from the system font's.
    RECT system_cell = text_cell(w, 0, 0, "Marginal", nullptr);
    RECT font_cell = text_cell(w, 0, 0, "Marginal", font);
    EXPECT_FALSE(EqualRect(&system_cell, &font_cell));
    EXPECT_EQ(count_of(pixels_of(w, {10, 60 + font_cell.bottom, 10 + font_cell.right, 90}), WHITE), 0);
    DestroyWindow(w);
    DeleteObject(font);
}

TEST(PaintNumber, PaintsTheFormattedTextWithEightDecimalsAtMost) {
    HWND w = parent_create(600, 300, 400, 200, WS_EX_TOPMOST);
    HFONT font = font_create(w, 10, 400, 0, 0, "ARIAL");
    struct number_case {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {3.14159, 2, "3.14"},
        {3.14159, 12, "3.14159000"},
        {3.7, -1, "4"},  // a negative count paints no decimals
        {-2.5, 0, "-2"},
        // too long for fixed-point: written whole with an exponent
        {1e95, 8, "1.00000000e+95"},
        {-2e200, 3, "-2.000e+200"},
    };
    for (const number_case& c : cases) {
        EXPECT_EQ(paint_number(w, 10, 10, c.value, c.decimals, 0, font, WHITE), 0);
        paint_text(w, 10, 60, c.text, 0, font, WHITE);
        EXPECT_EQ(pixels_of(w, strip(10)), pixels_of(w, strip(60))) << c.text;
        InvalidateRect(w, nullptr, TRUE);
        UpdateWindow(w);
    }
    // The comparison tells texts apart.
    paint_number(w, 10, 10, 3.14159, 3, 0, font, WHITE);
    paint_text(w, 10, 60, "3.14", 0, font, WHITE);
    EXPECT_NE(pixels_of(w, strip(10)), pixels_of(w, strip(60)));
    DestroyWindow(w);
    DeleteObject(font);
}
