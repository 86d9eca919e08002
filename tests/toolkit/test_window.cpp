// Main window creation, frame keywords, sizes and dialogs, read back from the platform.
#include <gtest/gtest.h>

#include <string>

#include "support/dialog_helper.h"
#include "support/stub_main_window.h"
#include "support/test_util.h"
#include "toolkit/windows/window.h"

namespace {

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

std::string unique_title(const std::string& base) {
    static int n = 0;
    return base + " " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
}

constexpr LONG NOT_WRITTEN = -1;

// The style, extended-style and class-style words each frame keyword gives each operation.
struct frame_words {
    LONG style, ex_style, class_style;
};
struct frame_row {
    const char* keyword;
    frame_words main, modeless, restyle;
};
const frame_row frame_rows[] = {
    {"NOLIST", {(LONG)0x80400000, 0, 0x0008}, {(LONG)0x80400000, -1, -1}, {(LONG)0x80400000, 0x100, 0x000B}},
    {"TOOLWIN", {0, 0x80, 0x0008}, {-1, 0x80, -1}, {0x00C00000, 0x80, 0x000B}},
    {"TOOLWIN_NOCLO", {0x00080000, 0x80, 0x0208}, {0x00C80000, 0x80, 0x0208}, {0x00C80000, 0x80, 0x020B}},
    {"TOOLWIN_CLO", {0x00080000, 0x80, 0x0008}, {0x00C80000, 0x80, 0x0008}, {0x00C80000, 0x80, 0x000B}},
    {"EMPTYLIST", {0x00C00000, 0, 0x0008}, {0x00C00000, -1, -1}, {0x00C00000, 0x100, 0x000B}},
    {"NOCLO", {0x00C80000, 0, 0x0208}, {0x00C80000, -1, 0x0208}, {0x00C80000, 0x100, 0x020B}},
    {"CLO", {0x00C80000, 0, 0x0008}, {0x00C80000, -1, -1}, {0x00C80000, 0x100, 0x000B}},
    {"QUE_NOCLO", {0x00C80000, 0x400, 0x0208}, {0x00C80000, 0x400, 0x0208}, {0x00C80000, 0x400, 0x020B}},
    {"QUE_CLO", {0x00C80000, 0x400, 0x0008}, {0x00C80000, 0x400, -1}, {0x00C80000, 0x400, 0x000B}},
    {"NOMIN_MAX_NOCLO", {0x00090000, 0, 0x0208}, {0x00C90000, -1, 0x0208}, {0x00C90000, 0x100, 0x020B}},
    {"MIN_NOMAX_NOCLO", {0x000A0000, 0, 0x0208}, {0x00CA0000, -1, 0x0208}, {0x00CA0000, 0x100, 0x020B}},
    {"MIN_NOMAX_CLO", {0x000A0000, 0, 0x0008}, {0x00CA0000, -1, -1}, {0x00CA0000, 0x100, 0x000B}},
    {"NOMIN_MAX_CLO", {0x00090000, 0, 0x0008}, {0x00C90000, -1, -1}, {0x00C90000, 0x100, 0x000B}},
    {"MIN_MAX_NOCLO", {0x000B0000, 0, 0x0208}, {0x00CB0000, -1, 0x0208}, {0x00CB0000, 0x100, 0x020B}},
    {"MIN_MAX_CLO", {0x000B0000, 0, 0x0008}, {0x00CB0000, -1, -1}, {0x00CB0000, 0x100, 0x000B}},
    // outside the tables: case counts, and the empty word
    {"min_max_clo", {0, 0, 0x0008}, {-1, -1, -1}, {-1, -1, -1}},
    {"", {0, 0, 0x0008}, {-1, -1, -1}, {-1, -1, -1}},
};

// Frame bits the platform never adds on its own; WS_CAPTION and the edge styles it may add.
constexpr LONG FRAME_BITS = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
constexpr LONG EX_BITS = WS_EX_TOOLWINDOW | WS_EX_CONTEXTHELP;

HWND stub_owner() {
    static HWND owner = window_create_main(instance(), unique_title("Ägare").c_str(), 10, 10, 300, 200, "CLO");
    return owner;
}

INT_PTR CALLBACK empty_dialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

TEST(WindowCreateMain, TakesTitleAsClassNameAndAddsCaptionHeight) {
    std::string title = unique_title("Huvudfönster");
    HWND w = window_create_main(instance(), title.c_str(), 150, 10, 700, 600, "MIN_MAX_CLO");
    ASSERT_NE(w, nullptr);
    char cls[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_EQ(title, cls);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 700);
    EXPECT_EQ(r.bottom - r.top, 600 + GetSystemMetrics(SM_CYCAPTION));
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ((WNDPROC)GetClassLongPtrA(w, GCLP_WNDPROC), main_window_procedure);
    EXPECT_EQ((HCURSOR)GetClassLongPtrA(w, GCLP_HCURSOR), LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
    // the light grey class brush of registration is replaced by a button-face brush
    HBRUSH brush = (HBRUSH)GetClassLongPtrA(w, GCLP_HBRBACKGROUND);
    LOGBRUSH lb = {};
    ASSERT_NE(GetObjectA(brush, sizeof lb, &lb), 0);
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
    DestroyWindow(w);
}

TEST(WindowCreateMain, EmptyTitleNamesClassAfterInstance) {
    HWND w = window_create_main(instance(), "", 0, 0, 100, 100, "CLO");
    ASSERT_NE(w, nullptr);
    char cls[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_EQ("Class" + std::to_string((long long)(INT_PTR)instance()), cls);
    EXPECT_EQ(window_text(w), "");
    DestroyWindow(w);
}

TEST(WindowCreateMain, SameTitleIsRefusedButAFailedWindowLeavesItFree) {
    std::string title = unique_title("Samma");
    stub_hook = [](HWND, UINT message, WPARAM, LPARAM) { return message == WM_CREATE; };
    stub_result = -1;  // the window refuses to be made
    EXPECT_EQ(window_create_main(instance(), title.c_str(), 0, 0, 100, 100, "CLO"), nullptr);
    stub_hook = nullptr;
    stub_result = 0;
    HWND first = window_create_main(instance(), title.c_str(), 0, 0, 100, 100, "CLO");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(window_create_main(instance(), title.c_str(), 0, 0, 100, 100, "CLO"), nullptr);
    DestroyWindow(first);
}

TEST(WindowCreateMain, LongTitleIsCutForTheClassName) {
    std::string title = unique_title(std::string(400, 'x'));
    HWND w = window_create_main(instance(), title.c_str(), 0, 0, 100, 100, "CLO");
    ASSERT_NE(w, nullptr);
    char cls[300] = {};
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_EQ(std::string(cls), title.substr(0, 249));
    DestroyWindow(w);
}

TEST(WindowCreateMain, EachFrameKeywordGivesItsStyleWords) {
    for (const frame_row& row : frame_rows) {
        SCOPED_TRACE(row.keyword);
        const frame_words& expected = row.main;
        HWND w = window_create_main(instance(), unique_title(std::string("Ram ") + row.keyword).c_str(), 0, 0, 200,
                                    100, row.keyword);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & FRAME_BITS, expected.style & FRAME_BITS);
        EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & expected.style, expected.style);
        EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & EX_BITS, expected.ex_style);
        EXPECT_EQ((LONG)GetClassLongA(w, GCL_STYLE), expected.class_style);
        DestroyWindow(w);
    }
}

TEST(DialogCreateModeless, EachKeywordWritesItsWords) {
    for (const frame_row& row : frame_rows) {
        SCOPED_TRACE(row.keyword);
        // a known class style first, so an unwritten one can be told apart
        HWND probe = dialog_create_modeless(stub_owner(), "p", 0, 0, 10, 10, "TOOLWIN_CLO", empty_dialog);
        ASSERT_NE(probe, nullptr);
        DestroyWindow(probe);

        const frame_words& expected = row.modeless;
        HWND d = dialog_create_modeless(stub_owner(), "Fönstret", 20, 30, 150, 100, row.keyword, empty_dialog);
        ASSERT_NE(d, nullptr);
        LONG style = GetWindowLongA(d, GWL_STYLE);
        if (expected.style != NOT_WRITTEN) {
            EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS), expected.style);
        } else {
            EXPECT_EQ(style & FRAME_BITS, 0);  // the empty template has none
        }
        // the empty template has no extended frame bits either
        LONG ex_style = GetWindowLongA(d, GWL_EXSTYLE) & EX_BITS;
        EXPECT_EQ(ex_style, expected.ex_style != NOT_WRITTEN ? expected.ex_style : 0);
        LONG class_style = (LONG)GetClassLongA(d, GCL_STYLE) & (CS_NOCLOSE | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
        if (expected.class_style != NOT_WRITTEN) {
            EXPECT_EQ(class_style, expected.class_style);
        } else {
            EXPECT_EQ(class_style, 0x0008);
        }
        EXPECT_EQ(window_text(d), "Fönstret");
        RECT r;
        GetWindowRect(d, &r);
        EXPECT_EQ(r.left, 20);
        EXPECT_EQ(r.top, 30);
        EXPECT_EQ(r.right - r.left, 150);
        EXPECT_EQ(r.bottom - r.top, 100);
        EXPECT_TRUE(IsWindowVisible(d));
        DestroyWindow(d);
    }
}

TEST(DialogApplyStyle, EachKeywordWritesThreeWordsAndKeepsTheRectangle) {
    for (const frame_row& row : frame_rows) {
        SCOPED_TRACE(row.keyword);
        HWND d = dialog_create_modeless(stub_owner(), "Om", 40, 50, 160, 120, "CLO", empty_dialog);
        ASSERT_NE(d, nullptr);
        LONG before_style = GetWindowLongA(d, GWL_STYLE);
        dialog_apply_style(d, row.keyword);
        const frame_words& expected = row.restyle;
        LONG style = GetWindowLongA(d, GWL_STYLE) & ~(WS_VISIBLE | WS_CLIPSIBLINGS);
        if (expected.style != NOT_WRITTEN) {
            EXPECT_EQ(style, expected.style);
            LONG ex = GetWindowLongA(d, GWL_EXSTYLE);
            EXPECT_EQ(ex & EX_BITS, expected.ex_style & EX_BITS);
            if (expected.ex_style & WS_EX_WINDOWEDGE) {
                EXPECT_TRUE(ex & WS_EX_WINDOWEDGE);
            }
            EXPECT_EQ((LONG)GetClassLongA(d, GCL_STYLE) & 0x020B, expected.class_style);
        } else {
            EXPECT_EQ(style, before_style & ~(WS_VISIBLE | WS_CLIPSIBLINGS));
        }
        RECT r;
        GetWindowRect(d, &r);
        EXPECT_EQ(r.left, 40);
        EXPECT_EQ(r.top, 50);
        EXPECT_EQ(r.right - r.left, 160);
        EXPECT_EQ(r.bottom - r.top, 120);
        EXPECT_TRUE(IsWindowVisible(d));
        DestroyWindow(d);
    }
}

TEST(WindowResize, KeepSizeKeepsAndHeightGetsCaption) {
    HWND w = window_create_main(instance(), unique_title("Storlek").c_str(), 30, 40, 300, 200, "CLO");
    RECT before, after;
    GetWindowRect(w, &before);
    window_resize(w, KEEP_SIZE, KEEP_SIZE);
    GetWindowRect(w, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    window_resize(w, KEEP_SIZE, 100);
    GetWindowRect(w, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, 100 + GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    dialog_resize(w, 250, KEEP_SIZE);
    GetWindowRect(w, &after);
    EXPECT_EQ(after.right - after.left, 250);
    EXPECT_EQ(after.bottom - after.top, 100 + GetSystemMetrics(SM_CYCAPTION));
    DestroyWindow(w);
}

TEST(WindowSetSizable, SetsOrClearsThickFrameAndGrowsByCaptionEveryCall) {
    HWND w = window_create_main(instance(), unique_title("Ram").c_str(), 0, 0, 300, 200, "MIN_MAX_CLO");
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    auto height = [w] {
        RECT r;
        GetWindowRect(w, &r);
        return r.bottom - r.top;
    };
    int h = height();
    window_set_sizable(w, "OFF");
    EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(height(), h + caption);
    window_set_sizable(w, "ON");
    window_set_sizable(w, "ON");
    EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(height(), h + 3 * caption);
    window_set_sizable(w, "on");
    EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(height(), h + 4 * caption);
    window_set_sizable(w, "OFF");
    EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME);
    DestroyWindow(w);
}

namespace {
int WINAPI small_screen(int index) {
    switch (index) {
    case SM_CXSCREEN: return 1024;
    case SM_CYSCREEN: return 768;
    case SM_CYCAPTION: return 18;
    default: return GetSystemMetrics(index);
    }
}
}  // namespace

TEST(WindowCenter, UsesScreenSizeAndHalfACaption) {
    HWND w = window_create_main(instance(), unique_title("Mitt").c_str(), 0, 0, 600, 300, "CLO");
    MoveWindow(w, 0, 0, 600, 400, TRUE);
    metrics_source kept = window_set_metrics_source(small_screen);
    window_center(w);
    window_set_metrics_source(kept);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 212);
    EXPECT_EQ(r.top, 175);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 400);
    DestroyWindow(w);
}

TEST(WindowCenter, WindowWiderThanScreenGetsNegativeX) {
    HWND w = window_create_main(instance(), unique_title("Bred").c_str(), 0, 0, GetSystemMetrics(SM_CXSCREEN) + 101,
                                100, "CLO");
    RECT r;
    GetWindowRect(w, &r);
    int width = r.right - r.left;
    ASSERT_GT(width, GetSystemMetrics(SM_CXSCREEN));
    window_center(w);
    GetWindowRect(w, &r);
    EXPECT_LT(r.left, 0);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);  // truncated toward zero
    DestroyWindow(w);
}

TEST(ControlFitParent, FillsClientAreaWithExtras) {
    HWND w = window_create_main(instance(), unique_title("Förälder").c_str(), 0, 0, 400, 300, "CLO");
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, w, nullptr, instance(), nullptr);
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(control_fit_parent(child, 0, 25, 0, -46), 0);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, w, (POINT*)&r, 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 25);
    EXPECT_EQ(r.right - r.left, client.right);
    EXPECT_EQ(r.bottom - r.top, client.bottom - 46);
    EXPECT_EQ(control_fit_parent(nullptr, 0, 0, 0, 0), 1);
    DestroyWindow(w);
}

TEST(WindowSetBackground, InstallsBrushOfColourAndLeaksNothing) {
    HWND w = window_create_main(instance(), unique_title("Bakgrund").c_str(), 0, 0, 200, 100, "CLO");
    window_set_background(w, RGB(10, 20, 30));
    DWORD gdi_before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 500; ++i) window_set_background(w, RGB(i % 256, 20, 30));
    DWORD gdi_after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_LE(gdi_after, gdi_before + 2);
    LOGBRUSH lb = {};
    GetObjectA((HBRUSH)GetClassLongPtrA(w, GCLP_HBRBACKGROUND), sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, RGB(499 % 256, 20, 30));
    DestroyWindow(w);
}

TEST(WindowSetIcon, LoadsIconOrInstallsNone) {
    HWND w = window_create_main(instance(), unique_title("Ikon").c_str(), 0, 0, 200, 100, "CLO");
    window_set_icon(w, "brevduva_daraduder");
    HICON icon = (HICON)GetClassLongPtrA(w, GCLP_HICON);
    EXPECT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm = {};
    GetObjectA(info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    window_set_icon(w, "finns_inte");
    EXPECT_EQ((HICON)GetClassLongPtrA(w, GCLP_HICON), nullptr);
    DestroyWindow(w);
}

TEST(WindowTitle, BothNamesSetTheText) {
    HWND w = window_create_main(instance(), unique_title("Titel").c_str(), 0, 0, 200, 100, "CLO");
    window_set_title(w, "Brevduva Daraduder");
    EXPECT_EQ(window_text(w), "Brevduva Daraduder");
    dialog_set_title(w, "Ändra marginal");
    EXPECT_EQ(window_text(w), "Ändra marginal");
    DestroyWindow(w);
}

namespace {
int modal_init_count = 0;
INT_PTR CALLBACK closing_dialog(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        ++modal_init_count;
        PostMessageA(dialog, WM_APP, 0, 0);
        return TRUE;
    }
    if (message == WM_APP) {
        dialog_close(dialog);
        return TRUE;
    }
    return FALSE;
}
}  // namespace

TEST(DialogRunModal, ReturnsTwoAfterDialogClose) {
    modal_init_count = 0;
    EXPECT_EQ(dialog_run_modal(stub_owner(), closing_dialog), 2);
    EXPECT_EQ(modal_init_count, 1);
}

TEST(DialogRunModal, TemplateIsTheModalFrameAtItsSize) {
    static LONG seen_style = 0;
    static RECT seen_rect = {};
    auto probe = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message != WM_INITDIALOG) return FALSE;
        seen_style = GetWindowLongA(dialog, GWL_STYLE);
        RECT units = {0, 0, 197, 147};
        MapDialogRect(dialog, &units);
        GetClientRect(dialog, &seen_rect);
        EXPECT_EQ(seen_rect.right, units.right);
        EXPECT_EQ(seen_rect.bottom, units.bottom);
        EndDialog(dialog, 5);
        return TRUE;
    };
    EXPECT_EQ(dialog_run_modal(stub_owner(), probe), 5);
    EXPECT_EQ(seen_style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
}

TEST(DialogClose, ModelessDialogIsDestroyedNotHidden) {
    static int destroyed = 0;
    auto procedure = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
        destroyed += message == WM_DESTROY;
        return message == WM_INITDIALOG;
    };
    HWND d = dialog_create_modeless(stub_owner(), "Printing", 0, 0, 150, 100, "TOOLWIN", procedure);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(dialog_close(d), 0);
    EXPECT_FALSE(IsWindow(d));
    EXPECT_EQ(destroyed, 1);
}

TEST(DialogClose, NonWindowFailsAndPlainWindowIsDestroyed) {
    EXPECT_EQ(dialog_close((HWND)(INT_PTR)0x7654321), 1);
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance(), nullptr);
    EXPECT_EQ(dialog_close(plain), 0);
    EXPECT_FALSE(IsWindow(plain));
}

TEST(WindowPost, PostsOrReportsRefusal) {
    HWND w = window_create_main(instance(), unique_title("Post").c_str(), 0, 0, 200, 100, "CLO");
    stub_messages.clear();
    EXPECT_EQ(window_post(w, WM_COMMAND, 901, 0), 0);
    pump_messages(50);
    bool seen = false;
    for (const stub_message& m : stub_messages) seen |= m.message == WM_COMMAND && m.wparam == 901;
    EXPECT_TRUE(seen);
    EXPECT_EQ(window_post((HWND)(INT_PTR)0x7654321, WM_COMMAND, 1, 0), 1);
    DestroyWindow(w);
}

TEST(WindowSetProcedure, ReturnsPreviousProcedure) {
    HWND w = window_create_main(instance(), unique_title("Proc").c_str(), 0, 0, 200, 100, "CLO");
    WNDPROC previous = window_set_procedure(w, DefWindowProcA);
    EXPECT_EQ(previous, main_window_procedure);
    EXPECT_EQ(window_set_procedure(w, previous), DefWindowProcA);
    EXPECT_EQ(window_set_procedure((HWND)(INT_PTR)0x7654321, DefWindowProcA), nullptr);
    DestroyWindow(w);
}
