// Editing, search and settings commands run through the real main window, with their dialogs answered.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "support/app_fixture.h"
#include "support/print_output.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/format.h"
#include "toolkit/richedit/print.h"
#include "toolkit/richedit/search.h"

namespace {

constexpr int FIND_TEXT_FIELD = 0x480;
constexpr int FIND_UP = 0x420;
constexpr int FIND_DOWN = 0x421;
constexpr int FIND_MATCH_CASE = 0x411;
constexpr int FONT_SIZE_BOX = 0x472;

CHARRANGE selection() {
    CHARRANGE range = {-1, -1};
    SendMessageA(app_state.editor, EM_EXGETSEL, 0, (LPARAM)&range);
    return range;
}

void text_select(const std::string& text, LONG start, LONG end) {
    SetWindowTextA(app_state.editor, text.c_str());
    editor_select(app_state.editor, start, end);
}

std::string editor_text() {
    std::vector<char> buffer(GetWindowTextLengthA(app_state.editor) + 1);
    GetWindowTextA(app_state.editor, buffer.data(), (int)buffer.size());
    return buffer.data();
}

std::string selected_text() {
    std::vector<char> buffer(GetWindowTextLengthA(app_state.editor) + 3);
    SendMessageA(app_state.editor, EM_GETSELTEXT, 0, (LPARAM)buffer.data());
    return buffer.data();
}

PARAFORMAT paragraph_format() {
    PARAFORMAT format = {};
    format.cbSize = sizeof format;
    SendMessageA(app_state.editor, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    return format;
}

CHARFORMATA char_format_at(LONG start, LONG end) {
    editor_select(app_state.editor, start, end);
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    SendMessageA(app_state.editor, EM_GETCHARFORMAT, 1, (LPARAM)&format);
    return format;
}

// The background colour the control paints with, read by swapping it out and back.
COLORREF editor_background() {
    COLORREF current = (COLORREF)SendMessageA(app_state.editor, EM_SETBKGNDCOLOR, 0, 0);
    SendMessageA(app_state.editor, EM_SETBKGNDCOLOR, 0, current);
    return current;
}

std::string clipboard_text() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* chars = (const char*)GlobalLock(data)) text = chars;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// Whether window lies above other in the z-order.
bool window_above(HWND window, HWND other) {
    for (HWND below = GetWindow(window, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
        if (below == other) return true;
    }
    return false;
}

void post_text(HWND window, const std::string& text) {
    for (unsigned char c : text) PostMessageA(window, WM_CHAR, c, 1);
}

class EditCommands : public testing::Test {
protected:
    void SetUp() override {
        app_reset();
        ASSERT_NE(app_state.editor, nullptr);
        dialog_helper_start();
    }
    void TearDown() override {
        EXPECT_TRUE(dialog_helper_unexpected().empty());
        EXPECT_EQ(dialog_helper_pending(), 0);
        dialog_helper_stop();
    }
    // Runs a command whose one message box is expected, and returns that box's caption and text.
    seen_dialog command_with_box(int id) {
        size_t before = dialog_helper_seen().size();
        dialog_helper_queue_button(IDOK);
        app_command(id);
        if (dialog_helper_seen().size() != before + 1) return {};
        return dialog_helper_seen().back();
    }
    void expect_search_box(int id, const char* text) {
        seen_dialog box = command_with_box(id);
        EXPECT_EQ(box.caption, "SÖKMEDDELANDE");
        EXPECT_EQ(box.text, text);
    }
};

// --- searches for the selected text ---

TEST_F(EditCommands, SearchDownSelectsTheNextOccurrenceOrSaysThereIsNone) {
    text_select("abc abc abc", 0, 3);
    app_command(CMD_SEARCH_DOWN);
    EXPECT_EQ(selection().cpMin, 4);
    EXPECT_EQ(selection().cpMax, 7);
    EXPECT_EQ(app_state.file_result, 0);
    EXPECT_TRUE(dialog_helper_seen().empty());

    editor_select(app_state.editor, 8, 11);
    expect_search_box(CMD_SEARCH_DOWN, "Finns inget mer ord neråt!");
    EXPECT_EQ(app_state.file_result, 1);
}

TEST_F(EditCommands, SearchUpSelectsTheEarlierOccurrenceOrSaysThereIsNone) {
    text_select("abc ABC abc", 8, 11);
    app_command(CMD_SEARCH_UP);  // case does not matter for the selected text
    EXPECT_EQ(selection().cpMin, 4);
    EXPECT_EQ(selection().cpMax, 7);

    editor_select(app_state.editor, 0, 3);
    expect_search_box(CMD_SEARCH_UP, "Finns inget mer ord uppåt!");
    EXPECT_EQ(app_state.file_result, -1);
    EXPECT_EQ(selection().cpMin, 0);
    EXPECT_EQ(selection().cpMax, 3);
}

TEST_F(EditCommands, EitherSearchInAnEmptyDocumentSaysThereIsNoText) {
    expect_search_box(CMD_SEARCH_DOWN, "Finns ingen text i dokumentet!");
    expect_search_box(CMD_SEARCH_UP, "Finns ingen text i dokumentet!");
    EXPECT_EQ(app_state.file_result, 3);
}

TEST_F(EditCommands, SelectionLongerThanTheSearchBufferIsRefusedAndNothingPastItChanges) {
    std::string word(254, 'x');
    text_select(word + " " + word + "y", 0, 254);
    app_command(CMD_SEARCH_DOWN);  // 254 characters still fit
    EXPECT_EQ(selection().cpMin, 255);
    EXPECT_EQ(selection().cpMax, 509);
    EXPECT_EQ(std::string(app_state.search_text), word);

    char* command_line = app_state.command_line;
    std::string document_name = app_state.document_name;
    editor_select(app_state.editor, 255, 510);
    expect_search_box(CMD_SEARCH_UP, "För stor markering för sökning!\n Max 254 tecken är tillåtet.");
    expect_search_box(CMD_SEARCH_DOWN, "För stor markering för sökning!\n Max 254 tecken är tillåtet.");
    EXPECT_EQ(selection().cpMin, 255);
    EXPECT_EQ(selection().cpMax, 510);
    EXPECT_EQ(app_state.command_line, command_line);
    EXPECT_EQ(document_name, app_state.document_name);
}

// --- the find dialog ---

TEST_F(EditCommands, FindDialogOpensWith256AndARefused257LeavesTheOpenOneWorking) {
    text_select(std::string(300, 'q') + " abc", 0, 256);
    app_command(CMD_FIND_DIALOG);
    HWND dialog = app_state.find_dialog;
    ASSERT_NE(dialog, nullptr);
    char field[1024] = {};
    GetDlgItemTextA(dialog, FIND_TEXT_FIELD, field, sizeof field);
    EXPECT_EQ(std::string(field), std::string(256, 'q'));

    editor_select(app_state.editor, 0, 257);
    HWND box_owner = nullptr;
    dialog_helper_queue_for("SÖKMEDDELANDE", [&box_owner](HWND box) {
        box_owner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    app_command(CMD_FIND_DIALOG);
    ASSERT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_EQ(dialog_helper_seen()[0].text, "För stor text för sökdialogen!");
    EXPECT_EQ(box_owner, dialog);
    EXPECT_EQ(app_state.find_dialog, dialog);

    SetDlgItemTextA(dialog, FIND_TEXT_FIELD, "abc");
    SendDlgItemMessageA(dialog, FIND_DOWN, BM_CLICK, 0, 0);
    editor_select(app_state.editor, 0, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(pump_until([] { return selection().cpMin == 301; }, 3000));
    EXPECT_EQ(selection().cpMax, 304);
    DestroyWindow(dialog);
}

TEST_F(EditCommands, FindNextDownAndUpSearchWithTheDialogsTextAndCase) {
    text_select("abc ABC abc abc", 0, 0);
    app_command(CMD_FIND_DIALOG);
    ASSERT_NE(app_state.find_dialog, nullptr);
    HWND dialog = app_state.find_dialog;
    SetDlgItemTextA(dialog, FIND_TEXT_FIELD, "abc");
    CheckDlgButton(dialog, FIND_MATCH_CASE, BST_CHECKED);
    SendDlgItemMessageA(dialog, FIND_DOWN, BM_CLICK, 0, 0);
    // a wide selection is no obstacle: the dialog's own text is searched
    editor_select(app_state.editor, 0, 15);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(pump_until([] { return selection().cpMin == 8; }, 3000));
    EXPECT_EQ(selection().cpMax, 11);

    editor_select(app_state.editor, 12, 12);
    SendDlgItemMessageA(dialog, FIND_UP, BM_CLICK, 0, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(pump_until([] { return selection().cpMin == 8; }, 3000));
    EXPECT_EQ(selection().cpMax, 11);
    EXPECT_TRUE(dialog_helper_seen().empty());

    // nothing more upwards: the message leaves the dialog above the main window, in use
    HWND box_owner = nullptr;
    dialog_helper_queue_for("SÖKMEDDELANDE", [&box_owner](HWND box) {
        box_owner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    editor_select(app_state.editor, 0, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(pump_until([] { return dialog_helper_seen().size() == 1 && GetActiveWindow() == app_state.find_dialog; },
                           3000));
    ASSERT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_EQ(dialog_helper_seen()[0].text, "Finns inget mer ord uppåt!");
    EXPECT_EQ(box_owner, dialog);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(window_above(dialog, app_state.main_window));
    DestroyWindow(dialog);
}

// The dialogs keep the letters as typed, but hand over Windows-1252 with a look-alike (l for ł):
// such a text is not searched for, and nothing else is found or replaced in its place.
TEST_F(EditCommands, FindAndReplaceTextsWithLettersOutsideWindows1252AreNotSearchedFor) {
    for (int command : {CMD_FIND_DIALOG, CMD_REPLACE_DIALOG}) {
        SCOPED_TRACE(command);
        dialog_helper_clear();
        text_select("lila ljus", 0, 0);
        app_command(command);
        HWND dialog = command == CMD_FIND_DIALOG ? app_state.find_dialog : app_state.replace_dialog;
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextW(dialog, FIND_TEXT_FIELD, L"\x0142");
        dialog_helper_queue_button(IDOK);
        PostMessageA(dialog, WM_COMMAND, command == CMD_FIND_DIALOG ? IDOK : psh2, 0);  // find next, replace all
        EXPECT_TRUE(pump_until([] { return !dialog_helper_seen().empty(); }, 3000));
        ASSERT_EQ(dialog_helper_seen().size(), 1u);
        EXPECT_EQ(dialog_helper_seen()[0].text, "Tecken utanför Windows-1252 kan inte sökas!");
        EXPECT_EQ(editor_text(), "lila ljus");
        EXPECT_EQ(selection().cpMax, 0);
        DestroyWindow(dialog);
        pump_messages(50);
    }
}

TEST_F(EditCommands, TooLongFindTextClosesTheDialogWithAMessage) {
    text_select("abc", 0, 0);
    app_command(CMD_FIND_DIALOG);
    HWND dialog = app_state.find_dialog;
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, FIND_TEXT_FIELD, std::string(257, 'z').c_str());
    dialog_helper_queue_button(IDOK);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(pump_until([] { return !dialog_helper_seen().empty(); }, 3000));
    ASSERT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_EQ(dialog_helper_seen()[0].caption, "SÖKMEDDELANDE");
    EXPECT_EQ(dialog_helper_seen()[0].text, "För mycket tecken i sökboxen!\n Max 256 är tillåtet.");
    pump_messages(100);
    EXPECT_FALSE(IsWindow(dialog));
}

// --- editing commands and the context menu ---

TEST_F(EditCommands, EditingCommandsWorkOnTheSelection) {
    text_select("hello world", 0, 5);
    app_command(CMD_CUT);
    EXPECT_EQ(editor_text(), " world");
    editor_select(app_state.editor, 6, 6);
    app_command(CMD_PASTE);
    EXPECT_EQ(editor_text(), " worldhello");
    app_command(CMD_UNDO);
    EXPECT_EQ(editor_text(), " world");
    editor_select(app_state.editor, 1, 6);
    app_command(CMD_COPY);
    app_command(CMD_DELETE);
    EXPECT_EQ(editor_text(), " ");
    app_command(CMD_PASTE);
    EXPECT_EQ(editor_text(), " world");
    app_command(CMD_SELECT_ALL);
    EXPECT_EQ(selected_text(), " world");
}

// Answers the context menu's own modal loop from a thread timer: records the items shown, then
// types the given access letter.
struct menu_answer {
    static std::vector<std::string> items;
    static std::vector<bool> greyed;
    static char letter;

    static BOOL CALLBACK find_menu(HWND window, LPARAM found) {
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpA(name, "#32768") == 0 && IsWindowVisible(window)) *(HWND*)found = window;
        return TRUE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD) {
        HWND window = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), find_menu, (LPARAM)&window);
        if (!window) return;
        KillTimer(nullptr, timer);
        HMENU menu = (HMENU)SendMessageA(window, MN_GETHMENU, 0, 0);
        for (int i = 0; i < GetMenuItemCount(menu); i++) {
            char caption[64] = {};
            GetMenuStringA(menu, i, caption, sizeof caption, MF_BYPOSITION);
            items.push_back(caption);
            greyed.push_back((GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) != 0);
        }
        PostMessageA(window, WM_CHAR, (WPARAM)(unsigned char)letter, 1);
    }
    static void arm(char access_letter) {
        items.clear();
        greyed.clear();
        letter = access_letter;
        SetTimer(nullptr, 0, 50, tick);
    }
};
std::vector<std::string> menu_answer::items;
std::vector<bool> menu_answer::greyed;
char menu_answer::letter;

TEST_F(EditCommands, RightClickShowsTheEditItemsAndDeleteRunsFromThere) {
    text_select("hello world", 0, 6);
    menu_answer::arm('r');
    PostMessageA(app_state.editor, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageA(app_state.editor, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(pump_until([] { return editor_text() == "world"; }, 3000));
    std::vector<std::string> expected = {"&Ångra",  "&Gör om", "", "&Klipp ut", "K&opiera", "K&listra in",
                                         "&Radera", "",        "&Markera allt"};
    EXPECT_EQ(menu_answer::items, expected);
    ASSERT_EQ(menu_answer::greyed.size(), expected.size());
    EXPECT_TRUE(menu_answer::greyed[1]);  // nothing undone: nothing to redo
    EXPECT_FALSE(menu_answer::greyed[3]);  // something is selected: Cut and Copy offered
    EXPECT_FALSE(menu_answer::greyed[4]);
}

TEST_F(EditCommands, ContextMenuChoiceReachesTheMainWindowAsACommand) {
    text_select("hello world", 2, 2);
    menu_answer::arm('m');
    app_command(CMD_CONTEXT_MENU);
    EXPECT_TRUE(pump_until([] { return selected_text() == "hello world"; }, 3000));
    EXPECT_EQ(menu_answer::items.size(), 9u);
}

// --- About ---

TEST_F(EditCommands, AboutShowsSevenLinesAndEmptiesTheMessageText) {
    seen_dialog box = command_with_box(CMD_ABOUT);
    EXPECT_EQ(box.caption, "OM");
    EXPECT_EQ(box.text,
              "Brevduva daraduder\nÄr ett Vindel projektprogram\nVindel är ett enklare sätt att\n"
              "programmera Windows\nhttp://vindel.example.org/\n\nSkrivet 2024 av Vindelgruppen\n");
    EXPECT_STREQ(app_state.message_text, "");
}

// --- margin and tab step ---

struct dialog_layout {
    std::string caption;
    std::string field_text;  // as the field holds it when OK is pressed
    RECT field, ok;
    std::string ok_text;
    int prompt_left, prompt_right;  // dark pixels in the prompt's band, -1 when none
};

// The leftmost and rightmost columns of the dialog's client area, between y 10 and 30, that hold
// a dark (text) pixel.
void prompt_extent(HWND dialog, int* left, int* right) {
    UpdateWindow(dialog);
    HDC context = GetDC(dialog);
    *left = *right = -1;
    for (int x = 0; x < 200; x++) {
        for (int y = 10; y < 30; y++) {
            COLORREF pixel = GetPixel(context, x, y);
            if (GetRValue(pixel) < 80 && GetGValue(pixel) < 80 && GetBValue(pixel) < 80) {
                if (*left < 0) *left = x;
                *right = x;
                break;
            }
        }
    }
    ReleaseDC(dialog, context);
}

RECT client_rect_of(HWND dialog, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, (POINT*)&rect, 2);
    return rect;
}

// Queues: record the layout, type the text into the field, then press the OK button.
void margin_dialog_answer(dialog_layout* layout, const std::string& typed) {
    dialog_helper_queue([layout, typed](HWND dialog) {
        HWND field = GetDlgItem(dialog, 1);
        HWND ok = GetDlgItem(dialog, 801);
        layout->caption = window_text(dialog);
        layout->field = client_rect_of(dialog, field);
        layout->ok = client_rect_of(dialog, ok);
        layout->ok_text = window_text(ok);
        prompt_extent(dialog, &layout->prompt_left, &layout->prompt_right);
        for (unsigned char c : typed) SendMessageA(field, WM_CHAR, c, 1);
        layout->field_text = window_text(field);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(801, BN_CLICKED), (LPARAM)ok);
    });
}

void expect_rect(const RECT& rect, int x, int y, int width, int height) {
    EXPECT_EQ(rect.left, x);
    EXPECT_EQ(rect.top, y);
    EXPECT_EQ(rect.right - rect.left, width);
    EXPECT_EQ(rect.bottom - rect.top, height);
}

TEST_F(EditCommands, MarginDialogFieldTakesThreeDigitsAndShowsThem) {
    text_select("ett\ttvå", 0, 0);
    dialog_layout layout;
    margin_dialog_answer(&layout, "1234");
    app_command(CMD_MARGIN);
    EXPECT_EQ(layout.caption, "Ändra marginal");
    expect_rect(layout.field, 80, 40, 30, 20);
    expect_rect(layout.ok, 70, 80, 50, 30);
    EXPECT_EQ(layout.ok_text, "OK");
    EXPECT_GE(layout.prompt_left, 30);
    EXPECT_LE(layout.prompt_left, 32);
    EXPECT_EQ(layout.field_text, "123");  // the fourth digit is not taken
    EXPECT_EQ(app_state.margin, 123);
    EXPECT_STREQ(app_state.margin_text, "123");
    EXPECT_EQ(app_status_text(2), "123");
    EXPECT_EQ(app_status_text(4), app_state.tab_step_text);
    EXPECT_EQ(paragraph_format().dxStartIndent, 123 * 20);
}

TEST_F(EditCommands, TabStepDialogKeepsTheMarginCaptionAndSetsPartFour) {
    text_select("ett\ttvå", 0, 0);
    dialog_layout layout;
    margin_dialog_answer(&layout, "45");
    app_command(CMD_TAB_STEP);
    EXPECT_EQ(layout.caption, "Ändra marginal");
    // the tab-step prompt is the longer text
    dialog_layout margin_layout;
    margin_dialog_answer(&margin_layout, "1");
    app_command(CMD_MARGIN);
    EXPECT_GT(layout.prompt_right, margin_layout.prompt_right);
    EXPECT_GT(margin_layout.prompt_right, 100);
    EXPECT_EQ(app_state.tab_step, 45);
    EXPECT_STREQ(app_state.tab_step_text, "45");
    EXPECT_EQ(app_status_text(4), "45");
    EXPECT_EQ(paragraph_format().cTabCount, 20);  // 30 stops asked for, 900 points at most
}

TEST_F(EditCommands, RefusedValueIsExplainedAndAskedForAgainChangingNothing) {
    const std::string margin_refused = "Marginalen ska vara ett tal från 0 till ";
    const std::string tab_refused = "Tabulatorsteget ska vara ett tal från 1 till ";
    struct refusal {
        int command;
        const char* typed;
        const std::string& text;
    } refusals[] = {{CMD_MARGIN, "", margin_refused},   {CMD_MARGIN, "abc", margin_refused},
                    {CMD_MARGIN, "999", margin_refused}, {CMD_TAB_STEP, "0", tab_refused},
                    {CMD_TAB_STEP, "999", tab_refused}};
    int margin = app_state.margin, tab_step = app_state.tab_step;
    std::string margin_text = app_state.margin_text, tab_step_text = app_state.tab_step_text;
    for (const refusal& r : refusals) {
        SCOPED_TRACE(r.typed);
        dialog_helper_clear();
        dialog_layout layout, again;
        margin_dialog_answer(&layout, r.typed);
        dialog_helper_queue_button(IDOK);
        dialog_helper_queue([&again](HWND dialog) {
            again.caption = window_text(dialog);
            PostMessageA(GetDlgItem(dialog, 1), WM_KEYDOWN, VK_ESCAPE, 1);
        });
        app_command(r.command);
        ASSERT_EQ(dialog_helper_seen().size(), 3u);
        EXPECT_EQ(dialog_helper_seen()[1].caption, "INSTÄLLNINGSFEL");
        const std::string& text = dialog_helper_seen()[1].text;
        EXPECT_EQ(text.substr(0, r.text.size()), r.text);
        EXPECT_EQ(text.back(), '!');
        EXPECT_EQ(again.caption, "Ändra marginal");
        EXPECT_EQ(app_state.margin, margin);
        EXPECT_EQ(app_state.tab_step, tab_step);
        EXPECT_EQ(app_status_text(2), margin_text);
        EXPECT_EQ(app_status_text(4), tab_step_text);
    }
}

TEST_F(EditCommands, AcceptedValuesAreInForceShownAndCopied) {
    struct accepted {
        int command;
        const char* typed;
        int margin, tab_step;
        const char *margin_text, *tab_step_text;
    } values[] = {
        {CMD_MARGIN, "0", 0, -1, "0", nullptr},         {CMD_TAB_STEP, "1", -1, 1, nullptr, "1"},
        {CMD_MARGIN, "-5", 5, -1, "5", nullptr},        {CMD_MARGIN, "007", 7, -1, "7", nullptr},
        {CMD_TAB_STEP, "300", -1, 300, nullptr, "300"}, {CMD_MARGIN, "300", 300, -1, "300", nullptr},
    };
    for (const accepted& v : values) {
        SCOPED_TRACE(v.typed);
        text_select("ett\ttvå\r\ntre\tfyra", 0, 0);
        dialog_layout layout;
        margin_dialog_answer(&layout, v.typed);
        app_command(v.command);
        if (v.margin_text) {
            EXPECT_EQ(app_state.margin, v.margin);
            EXPECT_STREQ(app_state.margin_text, v.margin_text);
        } else {
            EXPECT_EQ(app_state.tab_step, v.tab_step);
            EXPECT_STREQ(app_state.tab_step_text, v.tab_step_text);
        }
        EXPECT_EQ(app_status_text(2), app_state.margin_text);
        EXPECT_EQ(app_status_text(4), app_state.tab_step_text);
        EXPECT_EQ(paragraph_format().dxStartIndent, app_state.margin * 20);
        app_command(CMD_SELECT_ALL);
        app_command(CMD_COPY);
        EXPECT_EQ(clipboard_text(), "ett\ttvå\r\ntre\tfyra");
    }
    EXPECT_EQ(dialog_helper_seen().size(), 6u);  // no refusal among them
}

// Types left, right and first-line indents into the paragraph dialog's three fields and presses
// OK; the values it showed are kept in shown.
void paragraph_dialog_answer(std::vector<std::string>* shown, const std::vector<std::string>& typed) {
    dialog_helper_queue([shown, typed](HWND dialog) {
        shown->clear();
        HWND field = nullptr;
        for (const std::string& value : typed) {
            field = FindWindowExA(dialog, field, "EDIT", nullptr);
            shown->push_back(window_text(field));
            SetWindowTextA(field, value.c_str());
        }
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(801, BN_CLICKED), (LPARAM)GetDlgItem(dialog, 801));
    });
}

// The text, every paragraph on the margin of 1 point, the caret in the second paragraph.
void on_margin_of_one(const std::string& text) {
    app_state.margin = 1;  // an earlier test may have left another in force
    text_select(text, 0, -1);
    PARAFORMAT margin = {sizeof margin, PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT};
    margin.dxStartIndent = 20;
    SendMessageA(app_state.editor, EM_SETPARAFORMAT, 0, (LPARAM)&margin);
    editor_select(app_state.editor, 5, 5);
}

// The paragraph dialog shows the caret paragraph's indents in points, sets them on the selected
// paragraphs, and refuses what no line could hold with a message and the dialog again. The
// margin moves every paragraph by its change, each keeping its own indents.
TEST_F(EditCommands, ParagraphDialogSetsIndentsAndTheMarginMovesThemAlong) {
    const std::string refused = "Indragen ska vara hela tal från 0 till 560 punkter!";
    struct paragraph_case {
        std::vector<std::string> typed;
        bool accepted;
        LONG start, offset, right;  // twips, the margin of 1 point included
    } cases[] = {
        {{"37", "18", "-18"}, true, 380, 360, 360},
        {{"1", "0", "40"}, true, 820, -800, 0},
        {{"", "0", "0"}, false, 0, 0, 0},
        {{"561", "0", "0"}, false, 0, 0, 0},
        {{"10", "0", "-11"}, false, 0, 0, 0},
        {{"10", "-1", "0"}, false, 0, 0, 0},
        {{"10", "0", "5x"}, false, 0, 0, 0},
    };
    for (const paragraph_case& c : cases) {
        SCOPED_TRACE(c.typed[0] + "/" + c.typed[1] + "/" + c.typed[2]);
        on_margin_of_one("ett\r\ntvå\r\ntre");
        PARAFORMAT before = paragraph_format();
        dialog_helper_clear();
        std::vector<std::string> shown;
        paragraph_dialog_answer(&shown, c.typed);
        if (!c.accepted) {
            dialog_helper_queue_button(IDOK);
            dialog_helper_queue([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
        }
        app_command(CMD_PARAGRAPH);
        EXPECT_EQ(shown, (std::vector<std::string>{"1", "0", "0"}));  // the margin of 1 point
        PARAFORMAT after = paragraph_format();
        if (c.accepted) {
            EXPECT_EQ(after.dxStartIndent, c.start);
            EXPECT_EQ(after.dxOffset, c.offset);
            EXPECT_EQ(after.dxRightIndent, c.right);
        } else {
            ASSERT_EQ(dialog_helper_seen().size(), 3u);
            EXPECT_EQ(dialog_helper_seen()[1].caption, "INSTÄLLNINGSFEL");
            EXPECT_EQ(dialog_helper_seen()[1].text, refused);
            EXPECT_EQ(after.dxStartIndent, before.dxStartIndent);
            EXPECT_EQ(after.dxOffset, before.dxOffset);
            EXPECT_EQ(after.dxRightIndent, before.dxRightIndent);
        }
    }
    // on several paragraphs only what was changed is set: a right indent of one of them stays
    on_margin_of_one("ett\r\ntvå\r\ntre");
    editor_select(app_state.editor, 5, 5);
    PARAFORMAT right = {sizeof right, PFM_RIGHTINDENT};
    right.dxRightIndent = 720;
    SendMessageA(app_state.editor, EM_SETPARAFORMAT, 0, (LPARAM)&right);
    editor_select(app_state.editor, 0, -1);
    std::vector<std::string> several;
    paragraph_dialog_answer(&several, {"5", "0", "0"});
    app_command(CMD_PARAGRAPH);
    const LONG right_indents[3] = {0, 720, 0};
    for (int i = 0; i < 3; ++i) {
        editor_select(app_state.editor, i * 5, i * 5);
        PARAFORMAT format = paragraph_format();
        EXPECT_EQ(format.dxStartIndent, 100) << "paragraph " << i;
        EXPECT_EQ(format.dxOffset, 0) << "paragraph " << i;
        EXPECT_EQ(format.dxRightIndent, right_indents[i]) << "paragraph " << i;
    }
    // the first case again, then the margin from 1 to 11 points: the indented paragraph moves
    // 10 points with the others and keeps its first line and right indent; one Undo takes it back
    on_margin_of_one("ett\r\ntvå\r\ntre");
    std::vector<std::string> shown;
    paragraph_dialog_answer(&shown, {"37", "18", "-18"});
    app_command(CMD_PARAGRAPH);
    dialog_layout layout;
    margin_dialog_answer(&layout, "11");
    app_command(CMD_MARGIN);
    const LONG expected[3][3] = {{220, 0, 0}, {580, 360, 360}, {220, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        editor_select(app_state.editor, i * 5, i * 5);  // each line break counts two
        PARAFORMAT format = paragraph_format();
        EXPECT_EQ(format.dxStartIndent, expected[i][0]) << "paragraph " << i;
        EXPECT_EQ(format.dxOffset, expected[i][1]) << "paragraph " << i;
        EXPECT_EQ(format.dxRightIndent, expected[i][2]) << "paragraph " << i;
    }
    app_command(CMD_UNDO);
    editor_select(app_state.editor, 5, 5);
    EXPECT_EQ(paragraph_format().dxStartIndent, 380);
    editor_select(app_state.editor, 0, 0);
    EXPECT_EQ(paragraph_format().dxStartIndent, 20);
    EXPECT_EQ(editor_text(), "ett\r\ntvå\r\ntre");
}

TEST_F(EditCommands, EscapeKeepsTheValuesButStillFormatsAndMovesTheCaretHome) {
    dialog_layout layout;
    margin_dialog_answer(&layout, "7");
    app_command(CMD_MARGIN);
    margin_dialog_answer(&layout, "30");
    app_command(CMD_TAB_STEP);
    ASSERT_EQ(app_state.margin, 7);

    text_select("ett\ttvå\r\ntre", 0, 12);
    PARAFORMAT plain = {};
    plain.cbSize = sizeof plain;
    plain.dwMask = PFM_TABSTOPS;
    plain.cTabCount = 2;
    plain.rgxTabs[0] = 100;
    plain.rgxTabs[1] = 200;
    SendMessageA(app_state.editor, EM_SETPARAFORMAT, 0, (LPARAM)&plain);
    editor_select(app_state.editor, 5, 6);
    ASSERT_EQ(paragraph_format().cTabCount, 2);
    dialog_helper_queue([](HWND dialog) {
        HWND field = GetDlgItem(dialog, 1);
        post_text(field, "99");
        PostMessageA(field, WM_KEYDOWN, VK_ESCAPE, 1);
    });
    app_command(CMD_MARGIN);
    EXPECT_EQ(app_state.margin, 7);
    EXPECT_STREQ(app_state.margin_text, "7");
    EXPECT_EQ(app_status_text(2), "7");
    EXPECT_EQ(selection().cpMin, 0);
    EXPECT_EQ(selection().cpMax, 0);
    EXPECT_EQ(paragraph_format().cTabCount, 30);
    EXPECT_EQ(paragraph_format().dxStartIndent, 7 * 20);
}

// --- the settings dialogs from the keyboard ---

// The dialog manager's handling of a key, as the modal loop gives it the key typed into the focus.
void dialog_key(HWND dialog, WPARAM key) {
    MSG msg = {GetFocus(), WM_KEYDOWN, key, 1};
    IsDialogMessageA(dialog, &msg);
}

// A dialog the key left open is closed after two seconds and counted, so the test fails, not hangs.
int dialogs_left_open = 0;
void CALLBACK dialog_left_open(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    KillTimer(dialog, timer);
    ++dialogs_left_open;
    EndDialog(dialog, IDCANCEL);
}

// Margin, tab step and paragraph dialogs: Tab visits every field and the OK button and comes
// back; Return presses OK from a field or from the button; Escape leaves the values as they were.
TEST_F(EditCommands, SettingDialogsTakeReturnEscapeAndTabFromTheKeyboard) {
    struct keyed {
        int command;
        std::vector<std::string> typed;  // one text for each field
        bool from_ok;                    // the key goes to the OK button Tab reached, else to the first field
        WPARAM key;
        std::vector<int> values;  // margin, tab step or the left, right and first-line indents after it
    } rows[] = {
        {CMD_MARGIN, {"42"}, false, VK_RETURN, {42}},
        {CMD_MARGIN, {"43"}, true, VK_RETURN, {43}},
        {CMD_MARGIN, {"44"}, false, VK_ESCAPE, {43}},
        {CMD_TAB_STEP, {"50"}, false, VK_RETURN, {50}},
        {CMD_TAB_STEP, {"51"}, true, VK_ESCAPE, {50}},
        {CMD_PARAGRAPH, {"36", "12", "-18"}, false, VK_RETURN, {36, 12, -18}},
        {CMD_PARAGRAPH, {"20", "0", "10"}, true, VK_RETURN, {20, 0, 10}},
        {CMD_PARAGRAPH, {"99", "99", "99"}, false, VK_ESCAPE, {20, 0, 10}},
    };
    text_select("ett\ttvå", 0, 0);
    dialogs_left_open = 0;
    for (const keyed& row : rows) {
        SCOPED_TRACE(row.typed[0]);
        std::vector<std::pair<HWND, int>> visited;  // the focus and its control id
        std::string caption;
        dialog_helper_queue([&row, &visited, &caption](HWND dialog) {
            caption = window_text(dialog);
            HWND field = GetFocus();
            for (const std::string& text : row.typed) {
                SetWindowTextA(GetFocus(), text.c_str());
                visited.push_back({GetFocus(), GetDlgCtrlID(GetFocus())});
                dialog_key(dialog, VK_TAB);
            }
            visited.push_back({GetFocus(), GetDlgCtrlID(GetFocus())});  // the OK button
            dialog_key(dialog, VK_TAB);
            visited.push_back({GetFocus(), GetDlgCtrlID(GetFocus())});  // the first field again
            if (row.from_ok) {
                for (size_t i = 0; i < row.typed.size(); ++i) dialog_key(dialog, VK_TAB);
            } else {
                SetFocus(field);
            }
            PostMessageA(GetFocus(), WM_KEYDOWN, row.key, 1);
            SetTimer(dialog, 1, 2000, dialog_left_open);
        });
        app_command(row.command);
        EXPECT_EQ(caption, row.command == CMD_PARAGRAPH ? "Stycke" : "Ändra marginal");
        const size_t fields = row.typed.size();
        ASSERT_EQ(visited.size(), fields + 2);
        for (size_t i = 0; i < fields; ++i) {
            EXPECT_EQ(visited[i].second, 1) << i;
            for (size_t j = 0; j < i; ++j) EXPECT_NE(visited[i].first, visited[j].first) << i;
        }
        EXPECT_EQ(visited[fields].second, 801);
        EXPECT_EQ(visited[fields + 1].first, visited[0].first);
        if (row.command == CMD_MARGIN) EXPECT_EQ(app_state.margin, row.values[0]);
        if (row.command == CMD_TAB_STEP) EXPECT_EQ(app_state.tab_step, row.values[0]);
        if (row.command == CMD_PARAGRAPH) {
            paragraph_indents indents = editor_indents(app_state.editor);
            EXPECT_EQ(indents.left, row.values[0]);
            EXPECT_EQ(indents.right, row.values[1]);
            EXPECT_EQ(indents.first_line, row.values[2]);
        }
    }
    EXPECT_EQ(dialogs_left_open, 0);
    EXPECT_EQ(dialog_helper_seen().size(), 8u);  // the dialogs alone: no value was refused
}

// --- font and background colour ---

TEST_F(EditCommands, FontDialogFormatsTheSelectionAndCancelChangesNothing) {
    text_select("hello world", 0, 5);
    LONG before = char_format_at(6, 11).yHeight;
    editor_select(app_state.editor, 0, 5);
    dialog_helper_queue([](HWND dialog) {
        HWND size = GetDlgItem(dialog, FONT_SIZE_BOX);
        SendMessageA(size, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)"14");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(FONT_SIZE_BOX, CBN_SELCHANGE), (LPARAM)size);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    app_command(CMD_FONT);
    ASSERT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_EQ(dialog_helper_seen()[0].caption, "Font");
    EXPECT_EQ(char_format_at(0, 5).yHeight, 280);
    EXPECT_EQ(char_format_at(6, 11).yHeight, before);

    editor_select(app_state.editor, 6, 11);
    dialog_helper_queue([](HWND dialog) {
        HWND size = GetDlgItem(dialog, FONT_SIZE_BOX);
        SendMessageA(size, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)"20");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(FONT_SIZE_BOX, CBN_SELCHANGE), (LPARAM)size);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    app_command(CMD_FONT);
    EXPECT_EQ(char_format_at(6, 11).yHeight, before);
}

TEST_F(EditCommands, BackgroundColourIsAppliedAndCancelLeavesIt) {
    dialog_helper_queue([](HWND dialog) {
        SetDlgItemInt(dialog, 706, 10, FALSE);
        SetDlgItemInt(dialog, 707, 20, FALSE);
        SetDlgItemInt(dialog, 708, 30, FALSE);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    app_command(CMD_BACKGROUND);
    ASSERT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_EQ(dialog_helper_seen()[0].caption, "Color");
    EXPECT_EQ(app_state.background_colour, RGB(10, 20, 30));
    EXPECT_EQ(editor_background(), RGB(10, 20, 30));

    dialog_helper_queue_button(IDCANCEL);
    app_command(CMD_BACKGROUND);
    EXPECT_EQ(app_state.background_colour, (COLORREF)-1);
    EXPECT_EQ(editor_background(), RGB(10, 20, 30));
    EXPECT_EQ(dialog_helper_seen().size(), 2u);
}

// --- while a print run lets messages through ---


TEST_F(EditCommands, CommandsThatChangeTheTextOrItsFormatWaitWhileAPrintRuns) {
    PRINT_OUTPUT_REQUIRE();
    print_output_guard guard;
    std::string title = print_output_title("redigering_vantar");
    SetWindowTextA(app_state.editor, print_test_lines(1, 3000, "en rad att skriva ut").c_str());
    lstrcpyA(app_state.document_name, title.c_str());
    editor_select(app_state.editor, 0, 3);
    SendMessageA(app_state.editor, EM_REPLACESEL, TRUE, (LPARAM)"Ny ");  // something to undo
    std::string text = editor_text();
    clipboard_text_set("KLISTER");
    int margin = app_state.margin, tab_step = app_state.tab_step;

    dialog_helper_queue_for("Printing", [](HWND stop_dialog) {
        editor_select(app_state.editor, 0, 10);
        const int guarded[] = {CMD_UNDO, CMD_CUT, CMD_PASTE, CMD_DELETE, CMD_FONT, CMD_MARGIN, CMD_TAB_STEP};
        for (int id : guarded) PostMessageA(app_state.main_window, WM_COMMAND, id, 0);
        // copying is harmless and still runs: it shows the posted commands were handled in the run
        PostMessageA(app_state.main_window, WM_COMMAND, CMD_COPY, 0);
        PostMessageA(stop_dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
    });
    dialog_helper_queue_button(IDOK);  // the run was stopped
    app_command(CMD_PRINT);

    ASSERT_EQ(dialog_helper_seen().size(), 2u);
    EXPECT_EQ(dialog_helper_seen()[1].text, "Utskrift stoppad av användare!");
    EXPECT_EQ(clipboard_text(), text.substr(0, 10));
    std::string after = editor_text();
    EXPECT_EQ(after.size(), text.size());
    EXPECT_EQ(after.substr(0, 40), text.substr(0, 40));
    EXPECT_EQ(app_state.margin, margin);
    EXPECT_EQ(app_state.tab_step, tab_step);
    EXPECT_EQ(print_is_running(), 0);
}

}  // namespace

// --- replace, redo and the Format menu ---

std::string rtf_of_editor() {
    std::string bytes;
    EDITSTREAM stream = {(DWORD_PTR)&bytes, 0, [](DWORD_PTR cookie, LPBYTE data, LONG count, LONG* done) -> DWORD {
                             ((std::string*)cookie)->append((const char*)data, count);
                             *done = count;
                             return 0;
                         }};
    SendMessageA(app_state.editor, EM_STREAMOUT, SF_RTF, (LPARAM)&stream);
    return bytes;
}

bool item_greyed(int id) { return GetMenuState(app_state.menu_bar, id, MF_BYCOMMAND) & MF_GRAYED; }

bool checked(int id) { return GetMenuState(app_state.menu_bar, id, MF_BYCOMMAND) & MF_CHECKED; }

// Two paragraphs: the first centred, the second bulleted with a bold word; every replacement of a
// generated word keeps those, is one Undo, and comes back with Redo.
TEST_F(EditCommands, FormatAndReplaceAllKeepEachOtherAndUndoInOneStep) {
    const char* words[] = {"ett", "Ett", "t", "tvåtvå", "\xa5"};
    for (const char* word : words) {
        SCOPED_TRACE(word);
        app_reset();
        text_select("ett två ett\r\ntre ett fyra", 0, 0);
        app_command(CMD_ALIGN_CENTER);
        editor_select(app_state.editor, 14, 14);
        app_command(CMD_BULLETS);
        editor_select(app_state.editor, 21, 25);
        app_command(CMD_BOLD);
        // a letter Windows-1252 lacks and a hanging first line come back whole from the step too
        editor_select(app_state.editor, -1, -1);
        SETTEXTEX add = {ST_SELECTION, 1200};
        SendMessageW(app_state.editor, EM_SETTEXTEX, (WPARAM)&add, (LPARAM)L" \x0142");
        editor_select(app_state.editor, 0, 0);
        PARAFORMAT hanging = {sizeof hanging, PFM_STARTINDENT | PFM_OFFSET};
        hanging.dxStartIndent = 100;
        hanging.dxOffset = 360;
        SendMessageA(app_state.editor, EM_SETPARAFORMAT, 0, (LPARAM)&hanging);
        editor_select(app_state.editor, 21, 25);
        SendMessageA(app_window(), WM_INITMENU, (WPARAM)app_state.menu_bar, 0);
        EXPECT_TRUE(checked(CMD_BOLD));
        EXPECT_TRUE(checked(CMD_BULLETS));
        EXPECT_TRUE(checked(CMD_ALIGN_LEFT));
        EXPECT_FALSE(checked(CMD_ALIGN_CENTER));
        std::string before = editor_text();
        std::string expected = before;
        int count = 0;
        for (size_t at = expected.find(word); at != std::string::npos; at = expected.find(word, at + 3)) {
            expected.replace(at, strlen(word), "sju");
            ++count;
        }
        SendMessageA(app_window(), WM_INITMENU, (WPARAM)app_state.menu_bar, 0);
        EXPECT_TRUE(item_greyed(CMD_REDO));
        EXPECT_EQ(editor_replace_all(&app_state.editor, word, "sju", FR_MATCHCASE), count);
        EXPECT_EQ(editor_text(), expected);
        LONG second = (LONG)expected.find('\n') + 1;
        editor_select(app_state.editor, 0, 0);
        EXPECT_EQ(paragraph_format().wAlignment, PFA_CENTER);
        editor_select(app_state.editor, second, second);
        EXPECT_EQ(paragraph_format().wNumbering, PFN_BULLET);
        LONG bold = (LONG)expected.find("fyra", second);
        EXPECT_TRUE(char_format_at(bold, bold + 4).dwEffects & CFE_BOLD);
        EXPECT_FALSE(char_format_at(bold - 1, bold).dwEffects & CFE_BOLD);
        std::string rtf = rtf_of_editor();
        EXPECT_NE(rtf.find("\\qc"), std::string::npos);
        EXPECT_NE(rtf.find("\\b fyra"), std::string::npos) << rtf;
        EXPECT_NE(rtf.find("\\pnlvlblt"), std::string::npos);

        if (count == 0) continue;
        app_command(CMD_UNDO);
        EXPECT_EQ(editor_text(), before);
        editor_select(app_state.editor, 0, 0);
        EXPECT_EQ(paragraph_format().dxStartIndent, 100);
        EXPECT_EQ(paragraph_format().dxOffset, 360);
        WCHAR last[4] = {};
        editor_select(app_state.editor, editor_text_length(app_state.editor) - 1, -1);
        GETTEXTEX picked = {sizeof last, GT_SELECTION, 1200};
        SendMessageW(app_state.editor, EM_GETTEXTEX, (WPARAM)&picked, (LPARAM)last);
        EXPECT_EQ(last[0], 0x0142);
        SendMessageA(app_window(), WM_INITMENU, (WPARAM)app_state.menu_bar, 0);
        EXPECT_FALSE(item_greyed(CMD_REDO));
        app_command(CMD_REDO);
        EXPECT_EQ(editor_text(), expected);
        // everything up to the last word as it was; the closing mark's own size may be written or not
        std::string again = rtf_of_editor();
        EXPECT_EQ(again.substr(0, again.find("fyra")), rtf.substr(0, rtf.find("fyra")));
        // once the text changes otherwise, the step is the control's again
        editor_select(app_state.editor, 0, 0);
        SendMessageA(app_state.editor, EM_REPLACESEL, TRUE, (LPARAM)"x");
        app_command(CMD_UNDO);
        app_command(CMD_UNDO);
        EXPECT_EQ(editor_text(), before);
    }
}

TEST_F(EditCommands, ReplaceOneReplacesOnlyAMatchAndWholeWordSkipsParts) {
    text_select("ett etta ett", 0, 3);
    EXPECT_EQ(editor_replace_selection(app_state.editor, "ett", "två", FR_WHOLEWORD), 1);
    EXPECT_EQ(editor_text(), "två etta ett");
    EXPECT_EQ(selection().cpMin, 9);  // "etta" is no whole word match
    EXPECT_EQ(editor_replace_all(&app_state.editor, "ETT", "x", FR_WHOLEWORD), 1);
    EXPECT_EQ(editor_text(), "två etta x");
    EXPECT_EQ(editor_replace_all(&app_state.editor, "inget", "x", 0), 0);
    // Swedish letters of either case match without match case: "Åre åre ÅRE året"
    text_select("\xc5re \xe5re \xc5RE \xe5ret", 0, 0);
    EXPECT_EQ(editor_replace_all(&app_state.editor, "\xe5RE", "x", FR_WHOLEWORD), 3);
    EXPECT_EQ(editor_text(), "x x x \xe5ret");
    EXPECT_EQ(editor_replace_all(&app_state.editor, "\xc5RET", "x", FR_MATCHCASE), 0);
}

// Select all and Delete on a document of 6,000 lines, its Undo and Redo, a paste over all, a cut
// and a Replace all: each gives the exact text, and a bold word comes back with the Undo.
TEST_F(EditCommands, LargeSelectionIsDeletedPastedOverCutAndReplacedAsOneStep) {
    std::string document;
    for (int i = 0; i < 6000; i++) document += "Rad " + std::to_string(i) + " i ett stort brev\r\n";
    document += "Slut";
    SetWindowTextA(app_state.editor, document.c_str());
    editor_clear_undo(app_state.editor);
    LONG bold = (LONG)document.find("Rad 4321");
    editor_select(app_state.editor, bold, bold + 3);
    app_command(CMD_BOLD);
    editor_clear_undo(app_state.editor);
    app_command(CMD_SELECT_ALL);
    app_command(CMD_DELETE);
    EXPECT_EQ(editor_text(), "");
    app_command(CMD_UNDO);
    EXPECT_EQ(editor_text(), document);
    EXPECT_TRUE(char_format_at(bold, bold + 3).dwEffects & CFE_BOLD);
    EXPECT_FALSE(char_format_at(bold + 3, bold + 8).dwEffects & CFE_BOLD);
    app_command(CMD_REDO);
    EXPECT_EQ(editor_text(), "");
    app_command(CMD_UNDO);
    EXPECT_EQ(editor_text(), document);

    ASSERT_TRUE(clipboard_text_set("Nytt brev\r\nrad tv\xe5"));
    app_command(CMD_SELECT_ALL);
    app_command(CMD_PASTE);
    EXPECT_EQ(editor_text(), "Nytt brev\r\nrad tv\xe5");
    app_command(CMD_UNDO);
    EXPECT_EQ(editor_text(), document);

    // the lines 10 to 5,990 cut: the clipboard has them, the document keeps the rest
    LONG first = (LONG)document.find("Rad 10 "), last = (LONG)document.find("Rad 5990 ");
    editor_select(app_state.editor, first, last);
    app_command(CMD_CUT);
    EXPECT_EQ(clipboard_text(), document.substr(first, last - first));
    EXPECT_EQ(editor_text(), document.substr(0, first) + document.substr(last));
    app_command(CMD_UNDO);
    EXPECT_EQ(editor_text(), document);

    // Replace all of a word on every line, in pieces of the document
    std::string replaced;
    for (int i = 0; i < 6000; i++) replaced += "Rad " + std::to_string(i) + " i ett stort kort\r\n";
    replaced += "Slut";
    EXPECT_EQ(editor_replace_all(&app_state.editor, "BREV", "kort", FR_WHOLEWORD), 6000);
    EXPECT_EQ(editor_text(), replaced);
    EXPECT_EQ(selection().cpMin, (LONG)replaced.rfind("kort") + 4);
    EXPECT_TRUE(char_format_at(bold, bold + 3).dwEffects & CFE_BOLD);
    EXPECT_FALSE(char_format_at(bold + 3, bold + 8).dwEffects & CFE_BOLD);
    app_command(CMD_UNDO);
    EXPECT_EQ(editor_text(), document);
    app_command(CMD_REDO);
    EXPECT_EQ(editor_text(), replaced);

    // a cut after it: the two undone in turn and done again
    LONG replaced_last = (LONG)replaced.find("Rad 5990 ");
    const std::string replaced_cut = replaced.substr(0, first) + replaced.substr(replaced_last);
    editor_select(app_state.editor, first, replaced_last);
    app_command(CMD_CUT);
    EXPECT_EQ(editor_text(), replaced_cut);
    app_command(CMD_UNDO);
    EXPECT_EQ(editor_text(), replaced);
    app_command(CMD_UNDO);
    EXPECT_EQ(editor_text(), document);
    app_command(CMD_REDO);
    EXPECT_EQ(editor_text(), replaced);
    app_command(CMD_REDO);
    EXPECT_EQ(editor_text(), replaced_cut);
}
