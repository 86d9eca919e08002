// The Print and Print-with-dialog commands on the real main window: their messages, the
// printer they use, and the commands that wait while a run is spooling.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/commands.h"
#include "support/app_fixture.h"
#include "support/print_output.h"
#include "toolkit/dialogs/user_settings.h"
#include "toolkit/richedit/print.h"

namespace {

const char* const PRINTMEDDELANDE = "PRINTMEDDELANDE";

void set_document(const std::string& text, const char* name) {
    SetWindowTextA(app_state.editor, text.c_str());
    lstrcpyA(app_state.document_name, name);
}

class PrintCommands : public testing::Test {
protected:
    void SetUp() override {
        app_reset();
        dialog_helper_start();
    }
    void TearDown() override { dialog_helper_stop(); }

    void expect_one_box(const char* caption, const char* text) {
        ASSERT_EQ(dialog_helper_seen().size(), 1u);
        EXPECT_EQ(dialog_helper_seen()[0].caption, caption);
        EXPECT_EQ(dialog_helper_seen()[0].text, text);
        EXPECT_TRUE(dialog_helper_unexpected().empty());
    }
};

}  // namespace

TEST_F(PrintCommands, DialogPrintOfEmptyDocumentSaysSoBeforeAnyDialog) {
    dialog_helper_queue_button(IDOK);
    app_command(CMD_PRINT_DIALOG);
    expect_one_box(PRINTMEDDELANDE, "Finns inget att skriva ut!");
    EXPECT_EQ(app_state.result_code, 0);
}

TEST_F(PrintCommands, DirectPrintOfEmptyDocumentSaysNothingToPrint) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    dialog_helper_queue_button(IDOK);
    app_command(CMD_PRINT);
    expect_one_box(PRINTMEDDELANDE, "Finns inget att skriva ut!");
    EXPECT_EQ(app_state.result_code, 0);
}

TEST_F(PrintCommands, NoDefaultPrinterShowsPrinterError) {
    print_output_guard guard;
    ASSERT_TRUE(WriteProfileStringA("windows", "device", ",,,"));
    set_document("text", "ingen.txt");
    dialog_helper_queue_button(IDOK);
    app_command(CMD_PRINT);
    expect_one_box(PRINTMEDDELANDE, "Ett skrivarfel har uppstått!");
    EXPECT_TRUE(IsWindowEnabled(app_state.editor));
}

TEST_F(PrintCommands, DirectPrintWritesTheDocumentUnderItsName) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    std::string title = print_output_title("direkt");
    set_document("Första raden\r\nAndra raden med åäö", title.c_str());
    app_command(CMD_PRINT);
    EXPECT_TRUE(dialog_helper_seen().empty());
    std::string pdf = print_output_wait(title);
    ASSERT_FALSE(pdf.empty());
    std::vector<std::string> pages = print_output_pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find(u8"Första raden"), std::string::npos);
    EXPECT_NE(pages[0].find(u8"Andra raden med åäö"), std::string::npos);
    EXPECT_EQ(app_state.result_code, 0);
}

TEST_F(PrintCommands, CancelledPrintDialogShowsNothing) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    std::string title = print_output_title("avbruten");
    set_document("något", title.c_str());
    dialog_helper_queue_button(IDCANCEL);
    app_command(CMD_PRINT_DIALOG);
    ASSERT_EQ(dialog_helper_seen().size(), 1u);  // the print dialog itself, nothing after it
    EXPECT_TRUE(dialog_helper_unexpected().empty());
    EXPECT_EQ(app_state.print_dialog_result, 0);
    EXPECT_FALSE(print_output_exists(title));
}

TEST_F(PrintCommands, ConfirmedPrintDialogPrintsAtTheSameMargins) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    std::string direct = print_output_title("marginal_direkt");
    set_document("Överst", direct.c_str());
    app_command(CMD_PRINT);
    std::string dialog = print_output_title("marginal_dialog");
    lstrcpyA(app_state.document_name, dialog.c_str());
    dialog_helper_queue_button(IDOK);
    app_command(CMD_PRINT_DIALOG);
    EXPECT_EQ(app_state.print_dialog_result, 1);
    std::string pdf_direct = print_output_wait(direct), pdf_dialog = print_output_wait(dialog);
    ASSERT_FALSE(pdf_direct.empty());
    ASSERT_FALSE(pdf_dialog.empty());
    std::vector<printed_word> a = print_output_words(pdf_direct), b = print_output_words(pdf_dialog);
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    // 10 mm from the paper's left and top edges, and the document's own margin of 1 point
    EXPECT_NEAR(a[0].left, 10 * 72.0 / 25.4 + 1, 1.0);
    EXPECT_NEAR(a[0].top, b[0].top, 1.0);
    EXPECT_NEAR(a[0].left, b[0].left, 1.0);
}

// The page setup dialog's margin fields and orientation buttons.
constexpr int MARGIN_FIELDS[] = {0x483, 0x484, 0x485, 0x486};  // left, top, right, bottom
constexpr int LANDSCAPE_BUTTON = 0x421;

class PageSettings : public PrintCommands {
protected:
    void SetUp() override {
        PrintCommands::SetUp();
        settings_key_set("Software\\Brevduva Daraduder test sidan");
        settings_clear();
    }
    void TearDown() override {
        settings_clear();
        settings_key_set(SETTINGS_KEY_DEFAULT);
        page_settings_load();
        PrintCommands::TearDown();
    }
    static UINT menu_state(int id) { return GetMenuState(app_state.menu_bar, id, MF_BYCOMMAND); }
};

TEST_F(PageSettings, PageSetupDialogSetsPaperAndMarginsAndTheyAreKept) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    dialog_helper_queue([](HWND dialog) {
        // the turn comes first: turning the paper turns its margins with it
        SendMessageA(GetDlgItem(dialog, LANDSCAPE_BUTTON), BM_CLICK, 0, 0);
        const char* margins[] = {"25", "20", "15", "12"};
        for (int i = 0; i < 4; ++i) SetDlgItemTextA(dialog, MARGIN_FIELDS[i], margins[i]);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    app_command(CMD_PAGE_SETUP);
    EXPECT_TRUE(dialog_helper_unexpected().empty());
    page_setup chosen = app_state.page;
    EXPECT_EQ(chosen.orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(chosen.margin_left, 2500);
    EXPECT_EQ(chosen.margin_top, 2000);
    EXPECT_EQ(chosen.margin_right, 1500);
    EXPECT_EQ(chosen.margin_bottom, 1200);
    // the next start reads the same
    app_state.page = PAGE_SETUP_DEFAULT;
    page_settings_load();
    EXPECT_EQ(memcmp(&app_state.page, &chosen, sizeof chosen), 0);
    // cancelled: nothing changes
    dialog_helper_queue_button(IDCANCEL);
    app_command(CMD_PAGE_SETUP);
    EXPECT_EQ(memcmp(&app_state.page, &chosen, sizeof chosen), 0);
}

TEST_F(PageSettings, PageSetupDialogRefusesMarginsThePaperCannotHoldAndShowsTheOldPageAgain) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    const page_setup before = app_state.page;
    dialog_helper_queue([](HWND dialog) {
        SendMessageA(GetDlgItem(dialog, LANDSCAPE_BUTTON), BM_CLICK, 0, 0);
        SetDlgItemTextA(dialog, MARGIN_FIELDS[0], "200");
        SetDlgItemTextA(dialog, MARGIN_FIELDS[2], "200");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    dialog_helper_queue_button(IDOK);  // the refusal
    static std::string shown_left;
    shown_left.clear();
    dialog_helper_queue([](HWND dialog) {
        char text[32] = "";
        GetDlgItemTextA(dialog, MARGIN_FIELDS[0], text, sizeof text);
        shown_left = text;
        // 130 mm each side leave 37 mm of the landscape paper's 297, and no room on its 210
        SendMessageA(GetDlgItem(dialog, LANDSCAPE_BUTTON), BM_CLICK, 0, 0);
        SetDlgItemTextA(dialog, MARGIN_FIELDS[0], "130");
        SetDlgItemTextA(dialog, MARGIN_FIELDS[2], "130");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    app_command(CMD_PAGE_SETUP);
    EXPECT_TRUE(dialog_helper_unexpected().empty());
    ASSERT_EQ(dialog_helper_seen().size(), 3u);
    EXPECT_EQ(dialog_helper_seen()[1].caption, "INSTÄLLNINGSFEL");
    EXPECT_EQ(dialog_helper_seen()[1].text, "Marginalerna ska lämna minst 25 mm för texten på bredden och på höjden!");
    EXPECT_EQ(shown_left.substr(0, 2), "10");  // the page in force, not the refused one
    EXPECT_EQ(before.margin_left, 1000);
    EXPECT_EQ(app_state.page.orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(app_state.page.margin_left, 13000);
    EXPECT_EQ(app_state.page.margin_right, 13000);
    page_setup kept = {};
    EXPECT_EQ(settings_read_bytes("PageSetup", &kept, sizeof kept), SETTINGS_OK);
    EXPECT_EQ(kept.margin_right, 13000);
}

TEST_F(PageSettings, PageTooSmallForItsMarginsStillPrintsTheText) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    // kept for larger paper: the default printer's A4 cannot hold 200 mm margins across
    app_state.page = {0, 0, 10000, 1000, 10000, 1000};
    std::string title = print_output_title("smal");
    set_document("Smalt", title.c_str());
    app_command(CMD_PRINT);
    EXPECT_TRUE(dialog_helper_seen().empty());
    EXPECT_EQ(app_state.result_code, 0);
    std::string pdf = print_output_wait(title);
    ASSERT_FALSE(pdf.empty());
    std::vector<printed_word> words = print_output_words(pdf);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words[0].text, "Smalt");
    // the margins shrink alike to leave 25 mm of the 210: 92.5 mm, and the document's own point
    EXPECT_NEAR(words[0].left, 92.5 * 72 / 25.4 + 1, 2.0);
}

TEST_F(PageSettings, KeptValuesOutOfRangeGiveTheDefaults) {
    const page_setup bad[] = {
        {0, 0, -1, 1000, 1000, 1000}, {0, 3, 1000, 1000, 1000, 1000}, {-5, 0, 1000, 1000, 1000, 1000},
        {0, 0, 1000, 1000, 1000, 100001},
        // margins the paper cannot hold: an envelope DL, A4 landscape, 0.02 mm of text on A4
        {27, 1, 10000, 10000, 10000, 10000}, {9, 2, 20000, 1000, 20000, 1000}, {9, 1, 10499, 1000, 10499, 1000},
    };
    for (const page_setup& b : bad) {
        settings_write_bytes("PageSetup", &b, sizeof b);
        settings_write_int("Wrap", 3);
        page_settings_load();
        EXPECT_EQ(app_state.page.margin_left, 1000);
        EXPECT_EQ(app_state.page.margin_bottom, 1000);
        EXPECT_EQ(app_state.page.orientation, 0);
        EXPECT_EQ(app_state.page.paper, 0);
        EXPECT_EQ(app_state.wrap, 0);
        EXPECT_TRUE(menu_state(CMD_WRAP_NONE) & MF_CHECKED);
    }
    settings_write_bytes("PageSetup", "kort", 4);  // a value of another size
    page_settings_load();
    EXPECT_EQ(app_state.page.margin_top, 1000);
    // Letter landscape with 25 mm margins leaves 229 x 165 mm, on A4 too: kept
    const page_setup letter = {1, 2, 2500, 2500, 2500, 2500};
    settings_write_bytes("PageSetup", &letter, sizeof letter);
    page_settings_load();
    EXPECT_EQ(app_state.page.paper, 1);
    EXPECT_EQ(app_state.page.orientation, 2);
    EXPECT_EQ(app_state.page.margin_bottom, 2500);
    SIZE paper = page_paper_size(letter);
    EXPECT_NEAR(paper.cx, 27940, 30);
    EXPECT_NEAR(paper.cy, 21590, 30);
}

TEST_F(PageSettings, WrapChoiceIsCheckedAndKept) {
    const struct {
        int command, wrap;
    } rows[] = {{CMD_WRAP_WINDOW, 1}, {CMD_WRAP_NONE, 0}, {CMD_WRAP_PAGE, 2}, {CMD_WRAP_NONE, 0}};
    for (const auto& row : rows) {
        app_command(row.command);
        int kept = -1;
        EXPECT_EQ(settings_read_int("Wrap", &kept), SETTINGS_OK);
        EXPECT_EQ(kept, row.wrap);
        for (int id : {CMD_WRAP_NONE, CMD_WRAP_WINDOW, CMD_WRAP_PAGE}) {
            EXPECT_EQ((menu_state(id) & MF_CHECKED) != 0, id == row.command) << id;
        }
    }
}

TEST_F(PrintCommands, StopButtonSaysStoppedAndCommandsWaitDuringTheRun) {
    print_output_guard guard;
    PRINT_OUTPUT_REQUIRE();
    std::string title = print_output_title("stoppad");
    std::string long_text = print_test_lines(1, 3000, "en lång rad som fyller sidorna");
    set_document(long_text, title.c_str());
    static int nested_effects = 0;
    nested_effects = 0;
    dialog_helper_queue_for("Printing", [](HWND stop_dialog) {
        // while the run pumps messages, commands that would start a run or replace the text wait, and so do shortcuts
        int length = GetWindowTextLengthA(app_state.editor);
        SendMessageA(app_state.main_window, WM_COMMAND, CMD_NEW, 0);
        SendMessageA(app_state.main_window, WM_COMMAND, CMD_PRINT, 0);
        SendMessageA(app_state.main_window, WM_COMMAND, CMD_DELETE, 0);
        if (shortcut_run(app_key_press(app_state.editor, 'N', FCONTROL))) ++nested_effects;
        app_key_press(app_state.editor, 0, 0);
        if (GetWindowTextLengthA(app_state.editor) != length) ++nested_effects;
        PostMessageA(stop_dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
    });
    dialog_helper_queue_button(IDOK);
    app_command(CMD_PRINT);
    EXPECT_EQ(nested_effects, 0);
    ASSERT_EQ(dialog_helper_seen().size(), 2u);
    EXPECT_EQ(dialog_helper_seen()[1].caption, PRINTMEDDELANDE);
    EXPECT_EQ(dialog_helper_seen()[1].text, "Utskrift stoppad av användare!");
    EXPECT_EQ(app_editor_text().size(), long_text.size());
    EXPECT_TRUE(IsWindowEnabled(app_state.editor));
    EXPECT_EQ(print_is_running(), 0);
}
