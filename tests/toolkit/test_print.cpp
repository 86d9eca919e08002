// Printing on the PDF test printer, read back from the produced files; the stop dialog, the
// print dialog and the arithmetic of page sizes and printer entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/dialog_helper.h"
#include "support/print_output.h"
#include "support/stub_main_window.h"
#include "support/test_util.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/print.h"
#include "toolkit/windows/window.h"

namespace {

constexpr double POINTS_PER_MM = 72.0 / 25.4;

std::string numbered_lines(int first, int count) { return print_test_lines(first, count, "alfa beta gamma"); }

std::vector<std::string> page_lines(const std::string& page) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < page.size()) {
        size_t end = page.find('\n', start);
        if (end == std::string::npos) end = page.size();
        std::string line = page.substr(start, end - start);
        size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos) lines.push_back(line.substr(first, line.find_last_not_of(' ') - first + 1));
        start = end + 1;
    }
    return lines;
}

const printed_word* find_word(const std::vector<printed_word>& words, const std::string& text) {
    for (const printed_word& w : words) {
        if (w.text == text) return &w;
    }
    return nullptr;
}

// A rich edit control class that lays out printed pages itself, ten characters a page (none
// when told its page has no room); it keeps what it measured and drew on a printer.
struct paging_record {
    bool no_room;
    std::vector<LONG> measured;
    int drawn;
} paging;
WNDPROC paging_base;

LRESULT CALLBACK paging_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == EM_FORMATRANGE && lparam) {
        const FORMATRANGE* range = reinterpret_cast<const FORMATRANGE*>(lparam);
        LONG length = (LONG)CallWindowProcA(paging_base, window, WM_GETTEXTLENGTH, 0, 0);
        if (GetDeviceCaps(range->hdc, TECHNOLOGY) == DT_RASPRINTER) paging.measured.push_back(range->chrg.cpMin);
        return paging.no_room ? range->chrg.cpMin : std::min(range->chrg.cpMin + 10, length);
    }
    if (message == EM_DISPLAYBAND) {
        ++paging.drawn;
        return TRUE;
    }
    return CallWindowProcA(paging_base, window, message, wparam, lparam);
}

const char* paging_class() {
    WNDCLASSA paging_class = {};
    if (!paging_base && GetClassInfoA(nullptr, "RICHEDIT", &paging_class)) {
        paging_base = paging_class.lpfnWndProc;
        paging_class.lpfnWndProc = paging_procedure;
        paging_class.hInstance = GetModuleHandleA(nullptr);
        paging_class.lpszClassName = "SidbrytandeText";
        RegisterClassA(&paging_class);
    }
    return "SidbrytandeText";
}

class Print : public ::testing::Test {
protected:
    void SetUp() override {
        static int n = 0;
        std::string title = "Utskrift " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
        main = window_create_main(GetModuleHandleA(nullptr), title.c_str(), 0, 0, 600, 400, "MIN_MAX_CLO");
        ASSERT_NE(main, nullptr);
        editor = editor_create(main, 0, 0, 0, 0, "VHSCROLL", 2000000);
        ASSERT_NE(editor, nullptr);
        dialog_helper_start();
    }
    void TearDown() override {
        dialog_helper_stop();
        stub_hook = nullptr;
        DestroyWindow(main);
    }

    void set_text(const std::string& text) {
        ASSERT_EQ(editor_set_text(&editor, text.c_str()), 0);
        format(0, -1, 0, 12);
    }
    void format(LONG start, LONG end, DWORD effects, int points) {
        print_test_format(editor, start, end, effects, points);
    }
    int print(const std::string& title, int top = 10, int source = 0) {
        return editor_print(editor, 10, top, 0, 0, title.c_str(), source);
    }
    // Prints the text and returns the pages of the produced file.
    std::vector<std::string> print_pages(const std::string& title, int top = 10) {
        EXPECT_EQ(print(title, top), 0);
        std::string pdf = print_output_wait(title);
        EXPECT_FALSE(pdf.empty()) << "no PDF for " << title;
        return pdf.empty() ? std::vector<std::string>() : print_output_pages(pdf);
    }
    void expect_restored() {
        EXPECT_TRUE(IsWindowEnabled(editor));
        EXPECT_EQ(print_stop_dialog(), nullptr);
        EXPECT_EQ(FindWindowA(nullptr, "Printing"), nullptr);
        EXPECT_EQ(print_is_running(), 0);
    }
    // A job printed after another reaches the folder after it: then the other's absence counts.
    void expect_no_job(const std::string& title) {
        set_text("Efterföljare");
        std::string later = print_output_title("later");
        ASSERT_EQ(print(later), 0);
        ASSERT_FALSE(print_output_wait(later).empty());
        EXPECT_FALSE(print_output_exists(title)) << "a job was left behind for " << title;
    }

    HWND main = nullptr;
    HWND editor = nullptr;
};

}  // namespace

TEST(PrintArithmetic, MillimetresBecomeTruncatedTwips) {
    RECT page = print_page_twips(10, 10, 0, 0, 210, 297);
    EXPECT_EQ(page.left, 566);
    EXPECT_EQ(page.top, 566);
    EXPECT_EQ(page.right, 11905);
    EXPECT_EQ(page.bottom, 16837);
    EXPECT_EQ(print_page_twips(10, 0, -20, -20, 200, 200).right, 10204);
    EXPECT_EQ(print_page_twips(10, 0, -20, -20, 200, 200).bottom, 10204);
    EXPECT_EQ(print_page_twips(10, 0, 20, 20, 200, 200).right, 11338);
    EXPECT_EQ(print_page_twips(10, 0, 20, 20, 200, 200).bottom, 11338);
    EXPECT_EQ(print_page_twips(0, 0, 0, 0, 200, 200).top, 0);
}

// A4 at 300 dpi (2480 x 3508 pixels); margins from the paper's edge, never inside the border.
TEST(PrintArithmetic, TextAreaKeepsTheMarginsAndTheUnprintableBorder) {
    const print_device_metrics no_border = {300, 300, 2480, 3508, 0, 0, 2480, 3508};
    const print_device_metrics border = {300, 300, 2480, 3508, 75, 75, 2330, 3358};  // a quarter inch
    const print_device_metrics no_paper = {300, 300, 0, 0, 0, 0, 2000, 3000};
    const print_device_metrics landscape = {300, 300, 3508, 2480, 0, 0, 3508, 2480};
    const print_device_metrics envelope_dl = {300, 300, 1299, 2598, 0, 0, 1299, 2598};
    const print_device_metrics tiny = {300, 300, 200, 200, 0, 0, 200, 200};  // 17 mm square
    const print_device_metrics no_resolution = {0, 0, 2480, 3508, 0, 0, 2480, 3508};
    const struct {
        print_device_metrics device;
        page_setup setup;
        RECT area;
    } rows[] = {
        // 10 mm: 118.1 pixels, rounded up to 119, so that the margin is never narrower
        {no_border, {0, 0, 1000, 1000, 1000, 1000}, {572, 572, 11333, 16267}},
        {border, {0, 0, 300, 300, 300, 300}, {1, 1, 11184, 16118}},   // margins inside the border
        {border, {0, 0, 2500, 2500, 2500, 2500}, {1062, 1062, 10123, 15058}},
        {no_paper, {0, 0, 1000, 1000, 1000, 1000}, {572, 572, 9029, 13829}},
        // margins the paper cannot hold shrink in proportion and leave 25 mm (296 pixels) of text
        {no_border, {0, 0, 15000, 1000, 10000, 1000}, {6289, 572, 7709, 16267}},
        {landscape, {9, 2, 20000, 1000, 20000, 1000}, {7710, 572, 9130, 11333}},      // 200 mm each side
        {envelope_dl, {27, 0, 10000, 10000, 10000, 10000}, {2406, 5526, 3826, 6946}},  // 110 x 220 mm
        {border, {0, 0, 100000, 100000, 0, 0}, {10124, 15059, 11184, 16118}},  // still off the border
        {tiny, {0, 0, 1000, 1000, 1000, 1000}, {1, 1, 960, 960}},  // paper under 25 mm: all of it
        {no_resolution, {0, 0, 1000, 1000, 1000, 1000}, {0, 0, 0, 0}},  // no room on a device without one
    };
    for (const auto& row : rows) {
        RECT area = print_text_area_of(row.device, row.setup);
        EXPECT_EQ(area.left, row.area.left);
        EXPECT_EQ(area.top, row.area.top);
        EXPECT_EQ(area.right, row.area.right);
        EXPECT_EQ(area.bottom, row.area.bottom);
    }
}

// Paper in hundredths of a millimetre; the text keeps 25 mm across and down, not a hundredth less.
TEST(PrintArithmetic, PageFitsWhenItsMarginsLeaveTheText25Millimetres) {
    const SIZE a4 = {21000, 29700}, a4_landscape = {29700, 21000}, envelope_dl = {11000, 22000};
    const struct {
        SIZE paper;
        page_setup setup;
        bool fits;
    } rows[] = {
        {a4, {0, 0, 1000, 1000, 1000, 1000}, true},
        {a4, {0, 0, 9250, 1000, 9250, 1000}, true},    // 25 mm across
        {a4, {0, 0, 9251, 1000, 9250, 1000}, false},
        {a4, {0, 0, 1000, 13600, 1000, 13600}, true},  // 25 mm down
        {a4, {0, 0, 1000, 13600, 1000, 13601}, false},
        {a4, {9, 0, 10499, 1000, 10499, 1000}, false},  // 0.02 mm of text
        {a4_landscape, {9, 2, 20000, 1000, 20000, 1000}, false},
        {a4_landscape, {9, 2, 13600, 9250, 13600, 9250}, true},
        {envelope_dl, {27, 1, 10000, 10000, 10000, 10000}, false},
        {envelope_dl, {27, 1, 1000, 1000, 1000, 1000}, true},
        {a4, {0, 0, 100000, 100000, 100000, 100000}, false},
        {{2000, 2000}, {0, 0, 0, 0, 0, 0}, false},  // paper smaller than the text needs
    };
    for (const auto& row : rows) {
        EXPECT_EQ(page_setup_fits(row.setup, row.paper), row.fits)
            << row.paper.cx << " " << row.setup.margin_left << " " << row.setup.margin_top;
    }
}

TEST(PrintArithmetic, ProfileEntrySplitsIntoDeviceDriverAndPort) {
    char *device, *driver, *port;
    char plain[] = "PDF,wineps.drv,CUPS:PDF";
    ASSERT_EQ(print_profile_split(plain, &device, &driver, &port), 1);
    EXPECT_STREQ(device, "PDF");
    EXPECT_STREQ(driver, "wineps.drv");
    EXPECT_STREQ(port, "CUPS:PDF");

    char spaced[] = "Laser på kontoret,winspool,Ne00: extra";
    ASSERT_EQ(print_profile_split(spaced, &device, &driver, &port), 1);
    EXPECT_STREQ(device, "Laser på kontoret");
    EXPECT_STREQ(driver, "winspool");
    EXPECT_STREQ(port, "Ne00:");

    char cut[] = "Skrivare,win spool,LPT1:";  // a blank ends the driver name
    ASSERT_EQ(print_profile_split(cut, &device, &driver, &port), 1);
    EXPECT_STREQ(driver, "win");
    EXPECT_STREQ(port, "spool");

    char leading[] = ",,PDF,,drv,,port";  // delimiters in a row count as one
    ASSERT_EQ(print_profile_split(leading, &device, &driver, &port), 1);
    EXPECT_STREQ(device, "PDF");
    EXPECT_STREQ(driver, "drv");
    EXPECT_STREQ(port, "port");

    char none[] = ",,,";
    EXPECT_EQ(print_profile_split(none, &device, &driver, &port), 0);
    char no_port[] = "PDF,wineps.drv";
    EXPECT_EQ(print_profile_split(no_port, &device, &driver, &port), 0);
}

TEST_F(Print, EmptyEditorGivesTwoAndLeavesNoJob) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    set_text("");
    std::string title = print_output_title("empty");
    EXPECT_EQ(print(title), 2);
    expect_restored();
    EXPECT_TRUE(dialog_helper_seen().empty());
    expect_no_job(title);
}

TEST_F(Print, NoPrinterGivesThreeAndRestoresTheCursor) {
    print_output_guard guard;
    set_text("Text som aldrig skrivs ut");
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    ASSERT_TRUE(WriteProfileStringA("windows", "device", ",,,"));
    EXPECT_EQ(print(print_output_title("noprinter")), 3);
    EXPECT_EQ(GetCursor(), arrow);
    expect_restored();

    // the print dialog's printer when no dialog has chosen one
    ASSERT_EQ(print_dialog_record.hDC, nullptr);
    EXPECT_EQ(print(print_output_title("nodialog"), 0, 1), 3);
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(Print, ProfileEntryWithBlanksReachesThePrinter) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    char *device, *driver, *port;
    char entry[256];
    lstrcpyA(entry, guard.device_entry);
    ASSERT_EQ(print_profile_split(entry, &device, &driver, &port), 1);
    // blanks between the names, and a port followed by more words, still name the printer
    std::string spaced = std::string(device) + ", " + driver + " " + port + " övrigt";
    ASSERT_TRUE(WriteProfileStringA("windows", "device", spaced.c_str()));
    set_text("Blanksteg i skrivarnamnet");
    auto pages = print_pages(print_output_title("spaced"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("Blanksteg i skrivarnamnet"), std::string::npos);
}

TEST_F(Print, ThreePagesHoldEveryLineOnceInOrder) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    set_text(numbered_lines(1, 150));
    auto pages = print_pages(print_output_title("three"));
    ASSERT_EQ(pages.size(), 3u);
    std::vector<std::string> printed;
    for (const std::string& page : pages) {
        auto lines = page_lines(page);
        EXPECT_GT(lines.size(), 20u);
        printed.insert(printed.end(), lines.begin(), lines.end());
    }
    auto expected = page_lines(numbered_lines(1, 150) + "\n");
    for (std::string& line : expected) line.erase(line.find_last_not_of("\r") + 1);
    EXPECT_EQ(printed, expected);
    expect_restored();
}

TEST_F(Print, BoldAndLargerTextShowInTheOutput) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    set_text("liten fetstil jättestor");
    format(6, 13, CFE_BOLD, 12);
    format(14, 23, 0, 24);
    std::string title = print_output_title("fonts");
    ASSERT_EQ(print(title), 0);
    std::string pdf = print_output_wait(title);
    ASSERT_FALSE(pdf.empty());
    std::string fonts = print_output_fonts(pdf);
    EXPECT_NE(fonts.find("Bold"), std::string::npos) << fonts;
    auto words = print_output_words(pdf);
    const printed_word* small = find_word(words, "liten");
    const printed_word* bold = find_word(words, "fetstil");
    const printed_word* large = find_word(words, u8"jättestor");
    ASSERT_TRUE(small && bold && large);
    double small_height = small->bottom - small->top;
    EXPECT_NEAR((large->bottom - large->top) / small_height, 2.0, 0.2);
}

TEST_F(Print, MarginAndTabStopsMoveTheText) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    std::string filler;
    for (int i = 0; i < 40; ++i) filler += " fyll";
    set_text("Indrag\tTabb" + filler);
    editor_set_indent_and_tabs(editor, 36, 4, 72);  // every line at 36 pt, stops at 36, 108, 180 ...
    std::string title = print_output_title("margin");
    ASSERT_EQ(print(title), 0);
    std::string pdf = print_output_wait(title);
    ASSERT_FALSE(pdf.empty());
    auto words = print_output_words(pdf);
    const printed_word* indented = find_word(words, "Indrag");
    const printed_word* tabbed = find_word(words, "Tabb");
    ASSERT_TRUE(indented && tabbed);
    double edge = 10 * POINTS_PER_MM;
    EXPECT_NEAR(indented->left, edge + 36, 2.0);
    EXPECT_NEAR(tabbed->left, edge + 108, 2.0);
    EXPECT_NEAR(indented->top, 10 * POINTS_PER_MM, 4.0);
    double leftmost_later = 1000;
    for (const printed_word& w : words) {
        if (w.top > indented->bottom) leftmost_later = std::min(leftmost_later, w.left);
    }
    EXPECT_NEAR(leftmost_later, edge + 36, 2.0) << "wrapped lines start at the document's margin";
}

TEST_F(Print, SelectionOnALaterPagePrintsOnlyItsWordsOnOnePage) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    std::string text = numbered_lines(1, 400);
    set_text(text);
    LONG at = (LONG)text.find("Rad 0290 ") + 9;
    editor_select(editor, at, at + 15);  // "alfa beta gamma" on page 5
    std::string title = print_output_title("selection");
    ASSERT_EQ(print(title), 0);
    std::string pdf = print_output_wait(title);
    ASSERT_FALSE(pdf.empty());
    auto pages = print_output_pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(page_lines(pages[0]), std::vector<std::string>{"alfa beta gamma"});
    auto words = print_output_words(pdf);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_NEAR(words[0].top, 10 * POINTS_PER_MM, 4.0) << "starts at the top margin";
    CHARRANGE kept = {};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&kept);
    EXPECT_EQ(kept.cpMin, at);
    EXPECT_EQ(kept.cpMax, at + 15);
}

TEST_F(Print, StopButtonEndsTheRunWithoutEndingTheJob) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    set_text(numbered_lines(1, 2400));
    HWND seen_dialog = nullptr, seen_button = nullptr, seen_focus = nullptr;
    BOOL editor_enabled = TRUE;
    int running = 0;
    std::string caption;
    dialog_helper_queue_for("Printing", [&](HWND dialog) {
        seen_dialog = dialog;
        seen_button = GetDlgItem(dialog, 1);
        seen_focus = GetFocus();
        caption = window_text(seen_button);
        editor_enabled = IsWindowEnabled(editor);
        running = print_is_running();
        PostMessageA(seen_button, BM_CLICK, 0, 0);
    });
    std::string stopped = print_output_title("stopped");
    EXPECT_EQ(print(stopped), 1);
    ASSERT_NE(seen_dialog, nullptr) << "no stop dialog was seen during the run";
    EXPECT_EQ(caption, "STOP PRINTING?");
    EXPECT_EQ(seen_focus, seen_button);
    EXPECT_FALSE(editor_enabled);
    EXPECT_EQ(running, 1);
    EXPECT_FALSE(IsWindow(seen_dialog));
    expect_restored();

    // the next run starts clear and prints to the end
    set_text(numbered_lines(1, 100));
    auto pages = print_pages(print_output_title("after_stop"));
    EXPECT_EQ(pages.size(), 2u);
    EXPECT_FALSE(print_output_exists(stopped)) << "the stopped job reached the printer";
}

TEST_F(Print, EnterAndEscOnTheStopDialogStopLikeTheButton) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    set_text(numbered_lines(1, 2400));
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        dialog_helper_queue_for("Printing", [key](HWND dialog) {
            HWND focus = GetFocus();
            PostMessageA(focus ? focus : dialog, WM_KEYDOWN, key, 0);
        });
        EXPECT_EQ(print(print_output_title("key")), 1) << "key " << key;
        expect_restored();
    }
}

TEST_F(Print, StopDialogIsCentredWhileOtherWindowsKeepWorking) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    set_text(numbered_lines(1, 300));
    RECT dialog_rect = {};
    std::vector<int> running_during_command;
    stub_hook = [&](HWND, UINT message, WPARAM wparam, LPARAM) {
        if (message == WM_COMMAND && wparam == 4242) running_during_command.push_back(print_is_running());
        return false;
    };
    dialog_helper_queue_for("Printing", [&](HWND dialog) {
        GetWindowRect(dialog, &dialog_rect);
        PostMessageA(main, WM_COMMAND, 4242, 0);
    });
    EXPECT_EQ(print(print_output_title("centred")), 0);
    ASSERT_EQ(running_during_command, std::vector<int>{1}) << "the main window's command ran inside the run";
    int centre_x = (dialog_rect.left + dialog_rect.right) / 2;
    EXPECT_NEAR(centre_x, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
    EXPECT_EQ(dialog_rect.right - dialog_rect.left, 150);
}

TEST_F(Print, QuitDuringTheRunEndsTheProgramAfterIt) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    set_text(numbered_lines(1, 300));
    dialog_helper_queue_for("Printing", [](HWND) { PostQuitMessage(7); });
    std::string title = print_output_title("quit");
    EXPECT_EQ(print(title), 0) << "the run goes on to the end";
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was lost";
    EXPECT_EQ(msg.wParam, 7u);
    std::string pdf = print_output_wait(title);
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(print_output_pages(pdf).size(), 5u);
}

// A page the margins leave no room on is printed at margins shrunk to leave the text 25 mm.
TEST_F(Print, TopMarginBelowThePageShrinksAndTheTextIsPrinted) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    set_text("Får plats");
    std::string title = print_output_title("shrunk");
    ASSERT_EQ(print(title, 400), 0);  // 400 mm of 297: the bottom 25 mm hold the text
    std::string pdf = print_output_wait(title);
    ASSERT_FALSE(pdf.empty());
    std::vector<printed_word> words = print_output_words(pdf);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words[0].text, u8"Får");
    EXPECT_NEAR(words[0].top, (297 - 25) * 72 / 25.4, 6.0);
    expect_restored();
}

TEST_F(Print, DialogRecordIsFilledAndItsPrinterUsed) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    set_text("Överst på sidan");
    dialog_helper_queue_button(IDCANCEL);
    EXPECT_EQ(print_dialog_run(editor), 0);
    EXPECT_EQ(print_dialog_record.lStructSize, sizeof print_dialog_record);
    EXPECT_EQ(print_dialog_record.hwndOwner, main);
    EXPECT_EQ(print_dialog_record.Flags & 0x00140100u, 0x00140100u);
    EXPECT_EQ(print_dialog_record.hDC, nullptr);
    EXPECT_EQ(print_dialog_record.hDevMode, nullptr);
    EXPECT_EQ(print_dialog_record.hDevNames, nullptr);

    dialog_helper_queue_button(IDOK);
    ASSERT_EQ(print_dialog_run(editor), 1);
    ASSERT_NE(print_dialog_record.hDC, nullptr);
    EXPECT_EQ(print_dialog_record.hDevMode, nullptr) << "the dialog's memory is released";
    EXPECT_EQ(print_dialog_record.hDevNames, nullptr);
    std::string title = print_output_title("dialog");
    EXPECT_EQ(print(title, 0, 1), 0);
    EXPECT_EQ(print_dialog_record.hDC, nullptr) << "the run releases the dialog's printer";
    std::string pdf = print_output_wait(title);
    ASSERT_FALSE(pdf.empty());
    auto words = print_output_words(pdf);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words[0].text, u8"Överst");
    EXPECT_LT(words[0].top, 5.0) << "top margin 0";
    EXPECT_NEAR(words[0].left, 10 * POINTS_PER_MM, 2.0);
}

TEST_F(Print, AControlThatLaysOutPagesKeepsItsOwnLayout) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    HWND paged = CreateWindowExA(0, paging_class(), "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 200, main,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(paged, nullptr);
    ASSERT_EQ(editor_set_text(&paged, "0123456789abcdefghijABCDE"), 0);
    paging = {};
    EXPECT_EQ(editor_print(paged, 10, 10, 0, 0, print_output_title("paged").c_str(), 0), 0);
    EXPECT_EQ(paging.measured, (std::vector<LONG>{0, 10, 20}));
    EXPECT_EQ(paging.drawn, 3);

    // a first page without room is the control's answer too: the toolkit's layout does not take over
    paging = {};
    paging.no_room = true;
    std::string title = print_output_title("paged_noroom");
    EXPECT_EQ(editor_print(paged, 10, 10, 0, 0, title.c_str(), 0), 3);
    EXPECT_EQ(paging.measured, std::vector<LONG>{0});
    expect_no_job(title);
    DestroyWindow(paged);
}
