// Toolbar, tooltips and push buttons in real windows, read back from the common controls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resource_names.h"
#include "support/test_util.h"
#include "toolkit/windows/toolbar.h"

namespace {

const char* const CLASS_NAME = "toolbar test parent";

HWND parent_create(int client_width, int client_height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = CLASS_NAME;
        registered = RegisterClassA(&wc) != 0;
    }
    RECT r = {0, 0, client_width, client_height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND w = CreateWindowExA(0, CLASS_NAME, "Verktygsrad", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30,
                             r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                             nullptr);
    pump_messages(20);
    return w;
}

struct app_button {
    const char* bitmap;
    int id;
};

// The application's buttons; a null bitmap stands for the two separators between groups.
const app_button app_buttons[] = {
    {RES_NEW_BMP, 101}, {RES_OPEN_BMP, 102}, {RES_SAVE_BMP, 103}, {RES_PRINT_BMP, 104}, {nullptr, 0},
    {RES_UNDO_BMP, 201}, {RES_CUT_BMP, 202}, {RES_COPY_BMP, 203}, {RES_PASTE_BMP, 204}, {nullptr, 0},
    {RES_SEARCHUP_BMP, 501}, {RES_SEARCHDDOWN_BMP, 502}, {RES_SEARCHDLG_BMP, 503}, {nullptr, 0},
    {RES_FONT_BMP, 701}, {RES_COLOR_BMP, 702}, {nullptr, 0}, {RES_HELP_BMP, 601},
};

HWND app_toolbar_create(HWND parent) {
    HWND toolbar = toolbar_create(parent, "NOBORDER", 0);
    toolbar_add_separator(toolbar, "SPACE", "SIDE", 5);
    for (const app_button& b : app_buttons) {
        if (b.bitmap) {
            toolbar_add_button(toolbar, "PUSH", "ACTIVE", "SIDE", b.bitmap, 0, b.id);
        } else {
            toolbar_add_separator(toolbar, "SPACE", "SIDE", 5);
            toolbar_add_separator(toolbar, "SPACE", "SIDE", 5);
        }
    }
    toolbar_set_bitmap_size(toolbar, 15, 15);
    toolbar_toggle_flat(toolbar);
    return toolbar;
}

std::vector<TBBUTTON> buttons_of(HWND toolbar) {
    std::vector<TBBUTTON> all((size_t)SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (size_t i = 0; i < all.size(); ++i) SendMessageA(toolbar, TB_GETBUTTON, i, (LPARAM)&all[i]);
    return all;
}

RECT rect_in_parent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), (POINT*)&r, 2);
    return r;
}

}  // namespace

TEST(ToolbarCreate, ApplicationToolbarGivesImagesZeroToThirteen) {
    HWND w = parent_create(692, 500);
    HWND toolbar = app_toolbar_create(w);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(GetDlgCtrlID(toolbar), 1000);
    char cls[64] = {};
    GetClassNameA(toolbar, cls, sizeof cls);
    EXPECT_STREQ(cls, "ToolbarWindow32");
    EXPECT_EQ((DWORD)GetWindowLongA(toolbar, GWL_STYLE) & 0xFFFF0FFFu, 0x50000945u);

    std::vector<TBBUTTON> all = buttons_of(toolbar);
    ASSERT_EQ(all.size(), 23u);
    int image = 0;
    size_t next_button = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].fsStyle & TBSTYLE_SEP) {
            EXPECT_EQ(all[i].iBitmap, 5) << i;
            EXPECT_EQ(all[i].idCommand, 0) << i;
            continue;
        }
        while (!app_buttons[next_button].bitmap) ++next_button;
        EXPECT_EQ(all[i].iBitmap, image++) << i;
        EXPECT_EQ(all[i].idCommand, app_buttons[next_button++].id) << i;
        EXPECT_EQ(all[i].fsState, TBSTATE_ENABLED) << i;
        EXPECT_EQ(all[i].fsStyle, TBSTYLE_BUTTON) << i;
    }
    EXPECT_EQ(image, 14);
    // Every bitmap gave the toolbar exactly one image, so the counter's indices match the list.
    HIMAGELIST images = (HIMAGELIST)SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0);
    EXPECT_EQ(ImageList_GetImageCount(images), 14);
    DestroyWindow(w);
}

TEST(ToolbarPictures, EachBitmapLoadsAt15By15WithItsColourDepth) {
    const char* names[] = {RES_NEW_BMP, RES_OPEN_BMP, RES_SAVE_BMP, RES_PRINT_BMP, RES_UNDO_BMP,
                           RES_CUT_BMP, RES_COPY_BMP, RES_PASTE_BMP, RES_SEARCHUP_BMP, RES_SEARCHDDOWN_BMP,
                           RES_SEARCHDLG_BMP, RES_FONT_BMP, RES_COLOR_BMP, RES_HELP_BMP};
    for (const char* name : names) {
        HBITMAP picture = (HBITMAP)LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0,
                                              LR_CREATEDIBSECTION);
        ASSERT_NE(picture, nullptr) << name;
        DIBSECTION dib = {};
        ASSERT_EQ(GetObjectA(picture, sizeof dib, &dib), (int)sizeof dib) << name;
        EXPECT_EQ(dib.dsBm.bmWidth, 15) << name;
        EXPECT_EQ(dib.dsBm.bmHeight, 15) << name;
        EXPECT_EQ(dib.dsBmih.biBitCount, std::string(name) == RES_COLOR_BMP ? 8 : 4) << name;
        DeleteObject(picture);
    }
}

TEST(ToolbarButtons, StateAndStyleBytesFollowTheKeywords) {
    HWND w = parent_create(400, 200);
    HWND toolbar = toolbar_create(w, "NOBORDER", 80);
    toolbar_add_button(toolbar, "PUSH", "NONACTIVE", "SIDE", RES_NEW_BMP, 0, 11);
    toolbar_add_button(toolbar, "PUSH", "HIDE", "SIDE", RES_OPEN_BMP, 0, 12);
    toolbar_add_button(toolbar, "PUSHDOWN", "ACTIVEDOWN", "SIDE", RES_SAVE_BMP, 0, 13);
    toolbar_add_button(toolbar, "PUSHDOWNGROUP", "NONACTIVEDOWN", "BREAK", RES_PRINT_BMP, 0, 14);
    toolbar_add_button(toolbar, "push", "active", "break", RES_UNDO_BMP, 0, 15);
    toolbar_add_button(toolbar, nullptr, nullptr, nullptr, RES_CUT_BMP, 0, 16);
    toolbar_add_button(toolbar, "PUSH", "ACTIVE", "BREAK", RES_COPY_BMP, 0, 17);
    toolbar_add_button(toolbar, "PUSH", "ACTIVE", "SIDE", RES_PASTE_BMP, 0, 18);

    std::vector<TBBUTTON> all = buttons_of(toolbar);
    ASSERT_EQ(all.size(), 8u);
    const BYTE states[] = {0x10, 0x08, 0x06, 0x21, 0x00, 0x00, 0x24, 0x04};
    const BYTE styles[] = {0, 0, 2, 6, 0, 0, 0, 0};
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].iBitmap, (int)i) << i;
        EXPECT_EQ(all[i].idCommand, 11 + (int)i) << i;
        EXPECT_EQ(all[i].fsState, states[i]) << i;
        EXPECT_EQ(all[i].fsStyle, styles[i]) << i;
    }
    EXPECT_FALSE(SendMessageA(toolbar, TB_ISBUTTONENABLED, 11, 0));
    EXPECT_TRUE(SendMessageA(toolbar, TB_ISBUTTONHIDDEN, 12, 0));
    EXPECT_TRUE(SendMessageA(toolbar, TB_ISBUTTONPRESSED, 13, 0));
    EXPECT_TRUE(SendMessageA(toolbar, TB_ISBUTTONCHECKED, 14, 0));

    // A break puts the next button on a new row.
    RECT before_break, after_break, same_row;
    SendMessageA(toolbar, TB_GETITEMRECT, 6, (LPARAM)&before_break);
    SendMessageA(toolbar, TB_GETITEMRECT, 7, (LPARAM)&after_break);
    SendMessageA(toolbar, TB_GETITEMRECT, 5, (LPARAM)&same_row);
    EXPECT_GT(after_break.top, before_break.top);
    EXPECT_EQ(same_row.top, before_break.top);
    DestroyWindow(w);
}

TEST(ToolbarSeparators, KindAndLineKeywordsGiveDefinedRecords) {
    HWND w = parent_create(400, 200);
    HWND toolbar = toolbar_create(w, "BORDER", 0);
    EXPECT_EQ(toolbar_add_separator(toolbar, "BUTT", "SIDE", 99), 0);
    EXPECT_EQ(toolbar_add_separator(toolbar, "SPACE", "BREAK", 8), 0);
    // Outside the tables: a gap of the given width that stays on the row.
    EXPECT_EQ(toolbar_add_separator(toolbar, "space", "side", 7), 0);
    EXPECT_EQ(toolbar_add_separator(toolbar, nullptr, nullptr, 6), 0);
    toolbar_add_button(toolbar, "PUSH", "ACTIVE", "SIDE", RES_HELP_BMP, 0, 601);

    std::vector<TBBUTTON> all = buttons_of(toolbar);
    ASSERT_EQ(all.size(), 5u);
    const int images[] = {I_IMAGECALLBACK, 8, 7, 6, 0};
    const BYTE states[] = {0, TBSTATE_WRAP, 0, 0, TBSTATE_ENABLED};
    const BYTE styles[] = {TBSTYLE_BUTTON, TBSTYLE_SEP, TBSTYLE_SEP, TBSTYLE_SEP, TBSTYLE_BUTTON};
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].iBitmap, images[i]) << i;
        EXPECT_EQ(all[i].fsState, states[i]) << i;
        EXPECT_EQ(all[i].fsStyle, styles[i]) << i;
        EXPECT_EQ(all[i].idCommand, i == 4 ? 601 : 0) << i;
    }
    EXPECT_TRUE(GetWindowLongA(toolbar, GWL_STYLE) & WS_BORDER);
    DestroyWindow(w);
}

TEST(ToolbarDock, SidesPlaceTheBarAndOtherTextsMoveNothing) {
    HWND w = parent_create(692, 500);
    HWND toolbar = toolbar_create(w, "NOBORDER", 0);
    struct dock_case {
        const char* side;
        int thickness, x, y, extra;
        RECT expected;
    } cases[] = {
        {"T", 23, 0, 0, 0, {0, 0, 692, 23}},
        {"B", 23, 0, 0, 0, {0, 477, 692, 500}},
        {"B", 23, 4, -2, -10, {4, 475, 682, 498}},
        {"L", 30, 0, 25, -46, {0, 25, 30, 454}},
        {"R", 30, 0, 25, 0, {662, 25, 692, 500}},
        {"T", 23, 5, 3, 0, {5, 3, 692, 26}},
    };
    for (const dock_case& c : cases) {
        EXPECT_EQ(toolbar_dock(toolbar, c.side, c.thickness, c.x, c.y, c.extra), 0) << c.side;
        RECT r = rect_in_parent(toolbar);
        EXPECT_EQ(r.left, c.expected.left) << c.side << c.x;
        EXPECT_EQ(r.top, c.expected.top) << c.side << c.y;
        EXPECT_EQ(r.right, c.expected.right) << c.side << c.extra;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.side << c.thickness;
    }
    RECT before = rect_in_parent(toolbar);
    EXPECT_EQ(toolbar_dock(toolbar, "t", 40, 0, 0, 0), 1);
    EXPECT_EQ(toolbar_dock(toolbar, "TOP", 40, 0, 0, 0), 1);
    EXPECT_EQ(toolbar_dock(toolbar, nullptr, 40, 0, 0, 0), 1);
    RECT after = rect_in_parent(toolbar);
    EXPECT_TRUE(EqualRect(&before, &after));
    DestroyWindow(w);
}

TEST(ToolbarCreate, InitialHeightSizesTheBarAcrossTheParent) {
    HWND w = parent_create(500, 300);
    HWND toolbar = toolbar_create(w, "BAR", 30);
    RECT r = rect_in_parent(toolbar);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 498);
    EXPECT_EQ(r.bottom, 30);
    EXPECT_TRUE(GetWindowLongA(toolbar, GWL_STYLE) & WS_DLGFRAME);
    DestroyWindow(w);
}

TEST(ToolbarFlat, TwoTogglesRestoreTheStyle) {
    HWND w = parent_create(400, 200);
    HWND toolbar = toolbar_create(w, "NOBORDER", 0);
    LONG first = GetWindowLongA(toolbar, GWL_STYLE);
    EXPECT_FALSE(first & TBSTYLE_FLAT);
    EXPECT_EQ(toolbar_toggle_flat(toolbar), 0);
    EXPECT_EQ(GetWindowLongA(toolbar, GWL_STYLE), first | TBSTYLE_FLAT);
    EXPECT_TRUE(IsWindowVisible(toolbar));
    EXPECT_EQ(toolbar_toggle_flat(toolbar), 0);
    EXPECT_EQ(GetWindowLongA(toolbar, GWL_STYLE), first);
    EXPECT_EQ(toolbar_toggle_flat(nullptr), 1);
    DestroyWindow(w);
}

TEST(Tooltip, AnswersOnlyATextRequestForItsOwnId) {
    static const char unchanged[] = "orörd";
    static const char open_text[] = "Öppna befintligt dokument.";
    static const char save_text[] = "Spara befintligt dokument.";
    NMTTDISPINFOA request = {};
    request.hdr.code = TTN_NEEDTEXTA;
    request.hdr.idFrom = 102;
    request.lpszText = (LPSTR)unchanged;
    EXPECT_EQ(tooltip_supply_text((LPARAM)&request, 101, "Nytt"), 0);
    EXPECT_EQ(request.lpszText, unchanged);
    EXPECT_EQ(tooltip_supply_text((LPARAM)&request, 102, open_text), 0);
    EXPECT_EQ(tooltip_supply_text((LPARAM)&request, 103, save_text), 0);
    EXPECT_EQ(request.lpszText, open_text);

    NMTTDISPINFOA other = {};
    other.hdr.code = TTN_NEEDTEXTW;
    other.hdr.idFrom = 102;
    other.lpszText = (LPSTR)unchanged;
    EXPECT_EQ(tooltip_supply_text((LPARAM)&other, 102, open_text), 0);
    EXPECT_EQ(other.lpszText, unchanged);
    EXPECT_EQ(tooltip_supply_text(0, 102, open_text), 0);
}

TEST(PushButton, AlignmentAndLookKeywordsGiveStyleWords) {
    HWND w = parent_create(400, 300);
    struct alignment_case {
        const char* keyword;
        DWORD bits;
    } alignments[] = {{"L", 0x100}, {"R", 0x200}, {"T", 0x400}, {"B", 0x800}, {"C", 0x300}, {"LB", 0x900},
                      {"LT", 0x500}, {"RB", 0xA00}, {"RT", 0x600}, {"c", 0x300}, {"X", 0x300}, {nullptr, 0x300}};
    for (const alignment_case& a : alignments) {
        HWND b = button_create(w, 70, 80, 50, 30, "OK", a.keyword, "NORMAL", 801);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ((DWORD)GetWindowLongA(b, GWL_STYLE), 0x50000000u | a.bits | BS_PUSHLIKE)
            << (a.keyword ? a.keyword : "null");
        DestroyWindow(b);
    }
    struct look_case {
        const char* keyword;
        DWORD style;
        bool client_edge;
    } looks[] = {{"NORMAL", 0x50000000, false},  {"SHADOW", 0x50000001, false},  {"SUNKEN", 0x50000000, true},
                 {"SUNKEN_SHADOW", 0x50000001, true}, {"BAR", 0x50400000, false}, {"BAR_SHADOW", 0x50400001, false},
                 {"EDGE", 0x50400000, true},      {"EDGE_SHADOW", 0x50400001, true},
                 // outside the table: an ordinary visible button
                 {"normal", 0x50000000, false}};
    for (const look_case& l : looks) {
        HWND b = button_create(w, 70, 80, 50, 30, "OK", "C", l.keyword, 801);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ((DWORD)GetWindowLongA(b, GWL_STYLE), l.style | 0x300u | BS_PUSHLIKE) << l.keyword;
        EXPECT_EQ((GetWindowLongA(b, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, l.client_edge) << l.keyword;
        DestroyWindow(b);
    }
    DestroyWindow(w);
}

TEST(PushButton, CarriesCaptionIdAndGuiFontThenTakesAnotherFont) {
    HWND w = parent_create(400, 300);
    HWND b = button_create(w, 70, 80, 50, 30, "Avbryt", "C", "NORMAL", 801);
    ASSERT_NE(b, nullptr);
    char caption[32] = {};
    GetWindowTextA(b, caption, sizeof caption);
    EXPECT_STREQ(caption, "Avbryt");
    EXPECT_EQ(GetDlgCtrlID(b), 801);
    EXPECT_TRUE(IsWindowVisible(b));
    RECT r = rect_in_parent(b);
    EXPECT_EQ(r.left, 70);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(r.right - r.left, 50);
    EXPECT_EQ(r.bottom - r.top, 30);
    EXPECT_EQ((HGDIOBJ)SendMessageA(b, WM_GETFONT, 0, 0), GetStockObject(DEFAULT_GUI_FONT));

    HFONT font = CreateFontA(-20, 0, 0, 0, 700, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    EXPECT_EQ(control_set_font(b, font), 0);
    EXPECT_EQ((HFONT)SendMessageA(b, WM_GETFONT, 0, 0), font);
    DestroyWindow(w);
    DeleteObject(font);
}

namespace {
const char open_tooltip[] = "Öppna befintligt dokument.";

LRESULT CALLBACK answering_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NOTIFY) {
        tooltip_supply_text(lparam, 101, "Nytt dokument");
        tooltip_supply_text(lparam, 102, open_tooltip);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
}  // namespace

TEST(Tooltip, ToolbarAsksItsParentAndShowsTheAnswer) {
    HWND w = parent_create(400, 200);
    SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)answering_procedure);
    HWND toolbar = app_toolbar_create(w);
    HWND tips = (HWND)SendMessageA(toolbar, TB_GETTOOLTIPS, 0, 0);
    ASSERT_NE(tips, nullptr);
    // The tooltip control's request, as it reaches the toolbar when the mouse rests on Open.
    NMTTDISPINFOW request = {};
    request.hdr.hwndFrom = tips;
    request.hdr.idFrom = 102;
    request.hdr.code = TTN_GETDISPINFOW;
    request.lpszText = request.szText;
    SendMessageW(toolbar, WM_NOTIFY, 102, (LPARAM)&request);
    ASSERT_NE(request.lpszText, nullptr);
    char shown[100] = {};
    WideCharToMultiByte(1252, 0, request.lpszText, -1, shown, sizeof shown, nullptr, nullptr);
    EXPECT_STREQ(shown, open_tooltip);
    DestroyWindow(w);
}
