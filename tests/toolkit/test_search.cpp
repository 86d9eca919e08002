// Searching up and down in the real rich edit control, and the real find dialog.
#include <gtest/gtest.h>
#include <richedit.h>

#include <random>
#include <string>
#include <vector>

#include "support/dialog_helper.h"
#include "support/stub_main_window.h"
#include "support/test_util.h"
#include "toolkit/richedit/search.h"
#include "toolkit/windows/window.h"

namespace {

constexpr int UP = 501, DOWN = 502;
constexpr int FIND_EDIT = 0x480, FIND_UP = 0x420, FIND_DOWN = 0x421, FIND_MATCH_CASE = 0x411,
              FIND_WHOLE_WORD = 0x410;

// Counts the control's searches and notes the cursor shown while they run.
WNDPROC control_procedure = nullptr;
int search_calls = 0;
HCURSOR cursor_while_searching = nullptr;

LRESULT CALLBACK counting_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == EM_FINDTEXTEX) {
        ++search_calls;
        cursor_while_searching = GetCursor();
    }
    return CallWindowProcA(control_procedure, window, message, wparam, lparam);
}

class Search : public testing::Test {
protected:
    HWND parent = nullptr;
    HWND editor = nullptr;

    void SetUp() override {
        LoadLibraryA("RichEd32.DLL");
        parent = CreateWindowExA(0, "STATIC", "sökning", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        editor = CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_NOHIDESEL, 0, 0, 480,
                                 380, parent, (HMENU)1, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(editor, nullptr);
        SendMessageA(editor, EM_EXLIMITTEXT, 0, 10000000);
        control_procedure = (WNDPROC)SetWindowLongPtrA(editor, GWLP_WNDPROC, (LONG_PTR)counting_procedure);
        search_calls = 0;
    }
    void TearDown() override { DestroyWindow(parent); }

    void set_text(const std::string& text) { ASSERT_TRUE(SetWindowTextA(editor, text.c_str())); }
    void select(LONG start, LONG end) {
        CHARRANGE range = {start, end};
        SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&range);
    }
    CHARRANGE selection() {
        CHARRANGE range = {-9, -9};
        SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&range);
        return range;
    }
    std::string selected() {
        CHARRANGE range = selection();
        return range.cpMin == 0 && range.cpMax == 0 ? "" : std::to_string(range.cpMin) + "-" + std::to_string(range.cpMax);
    }
};

// The upward search as first written: a window as wide as the text moves back one character at
// a time, here compared as the user means it (without match case Å and å alike, as A and a);
// *windows counts the windows, one control search each as first written.
int window_by_window_up(HWND editor, const char* text, bool match_case, long* windows) {
    CHARRANGE selection;
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&selection);
    std::string all((size_t)SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
    all.resize((size_t)GetWindowTextA(editor, &all[0], (int)all.size()));
    std::string wanted = text;
    if (!match_case) {
        CharUpperBuffA(&all[0], (DWORD)all.size());
        CharUpperBuffA(&wanted[0], (DWORD)wanted.size());
    }
    LONG width = (LONG)wanted.size();
    for (LONG at = selection.cpMin - width; at >= 0; --at) {
        ++*windows;
        if (all.compare(at, width, wanted) == 0) {
            CHARRANGE found = {at, at + width};
            SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&found);
            return 0;
        }
    }
    return -1;
}

}  // namespace

TEST_F(Search, DownStartsAfterSelectionStartAndKeepsSelectionWhenNothingFollows) {
    set_text("abc abc abc");
    select(0, 3);
    EXPECT_EQ(editor_find(editor, "abc", 0, "D", nullptr), 0);
    EXPECT_EQ(selected(), "4-7");
    EXPECT_EQ(editor_find(editor, "abc", 0, "D", nullptr), 0);
    EXPECT_EQ(selected(), "8-11");
    EXPECT_EQ(editor_find(editor, "abc", 0, "D", nullptr), 1);
    EXPECT_EQ(selected(), "8-11");
    EXPECT_EQ(search_calls, 3);
}

TEST_F(Search, UpFindsNearestOccurrenceBeforeSelectionStart) {
    set_text("abc abc abc");
    select(11, 11);
    EXPECT_EQ(editor_find(editor, "abc", 0, "U", nullptr), 0);
    EXPECT_EQ(selected(), "8-11");
    select(10, 10);
    EXPECT_EQ(editor_find(editor, "abc", 0, "U", nullptr), 0);
    EXPECT_EQ(selected(), "4-7");
    select(3, 3);  // the window that starts at 0 is still searched
    EXPECT_EQ(editor_find(editor, "abc", 0, "U", nullptr), 0);
    EXPECT_EQ(selected(), "0-3");
    select(2, 5);  // fewer characters from the start than the text is long
    EXPECT_EQ(editor_find(editor, "abc", 0, "U", nullptr), -1);
    EXPECT_EQ(selected(), "2-5");
}

TEST_F(Search, UpWithoutEarlierOccurrenceLeavesSelection) {
    set_text("xyzabc");
    select(5, 5);
    EXPECT_EQ(editor_find(editor, "abc", 0, "U", nullptr), -1);
    EXPECT_EQ(selected(), "5-5");
}

TEST_F(Search, MatchCaseOnlyWithKeywordM) {
    set_text("x abc");
    select(0, 0);
    EXPECT_EQ(editor_find(editor, "ABC", 0, "D", "M"), 1);
    EXPECT_EQ(editor_find(editor, "ABC", 0, "D", "m"), 0);
    EXPECT_EQ(selected(), "2-5");
    select(5, 5);
    EXPECT_EQ(editor_find(editor, "ABC", 0, "U", "M"), -1);
    EXPECT_EQ(editor_find(editor, "ABC", 0, "U", nullptr), 0);
    EXPECT_EQ(selected(), "2-5");
    // letters beyond a to z of either case too: "x åre ABC Ärende ÖRE"
    set_text("x \xe5re ABC \xc4rende \xd6RE");
    select(0, 0);
    EXPECT_EQ(editor_find(editor, "\xc5RE", 0, "D", nullptr), 0);
    EXPECT_EQ(selected(), "2-5");
    EXPECT_EQ(editor_find(editor, "\xe4RENDE", 0, "D", "M"), 1);
    EXPECT_EQ(editor_find(editor, "\xe4rEnde", 0, "D", nullptr), 0);
    EXPECT_EQ(selected(), "10-16");
    select(20, 20);
    EXPECT_EQ(editor_find(editor, "\xf6re", 0, "U", nullptr), 0);
    EXPECT_EQ(selected(), "17-20");
    EXPECT_EQ(editor_find(editor, "\xf6re", 0, "U", "M"), -1);
}

TEST_F(Search, OtherDirectionKeywordsSearchNothing) {
    set_text("abc abc");
    select(1, 2);
    for (const char* direction : {"d", "u", "DOWN", "", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(editor_find(editor, "abc", 0, direction, nullptr), 2);
    }
    EXPECT_EQ(search_calls, 0);
    EXPECT_EQ(selected(), "1-2");
}

TEST_F(Search, EmptyEditorGivesThreeBeforeTouchingTheCursor) {
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(cross);
    cursor_while_searching = nullptr;
    for (const char* direction : {"U", "D", "x"}) EXPECT_EQ(editor_find(editor, "abc", 0, direction, nullptr), 3);
    EXPECT_EQ(search_calls, 0);
    EXPECT_EQ(GetCursor(), cross);
}

TEST_F(Search, WaitCursorWhileSearchingThenTheKeptOne) {
    set_text("abc abc abc");
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    for (const char* direction : {"U", "D"}) {
        SetCursor(cross);
        select(5, 5);
        cursor_while_searching = nullptr;
        editor_find(editor, "abc", 0, direction, nullptr);
        EXPECT_EQ(cursor_while_searching, LoadCursorA(nullptr, IDC_WAIT));
        EXPECT_EQ(GetCursor(), cross);
    }
}

TEST_F(Search, FromDialogUsesTheDialogsTextAndMatchCase) {
    FINDREPLACEA kept = find_record;
    char text[FIND_BUFFER_SIZE] = "Abc";
    find_record.lpstrFindWhat = text;
    find_record.Flags = FR_FINDNEXT | FR_MATCHCASE;
    set_text("abc Abc abc");
    select(11, 11);
    EXPECT_EQ(editor_find(editor, "zzz", 1, "U", nullptr), 0);
    EXPECT_EQ(selected(), "4-7");
    find_record.Flags = FR_FINDNEXT | FR_DOWN;
    lstrcpyA(text, "ABC");
    select(0, 0);
    EXPECT_EQ(editor_find(editor, "zzz", 1, "D", "M"), 0);  // the dialog's choice wins over "M"
    EXPECT_EQ(selected(), "4-7");
    EXPECT_EQ(editor_find(editor, "Abc", 0, "D", "M"), 1);  // any switch but 1 searches the given text
    find_record = kept;
}

// The upward search gives exactly what the window-by-window search gives, with a handful of the
// control's searches.
TEST_F(Search, UpMatchesWindowByWindowSearchOnGeneratedTexts) {
    // letters in Windows-1252, as the control is given them: å Å ä Ä ö Ö
    const char* pieces[] = {"abc", "Abc", "ABC", "\xe5", "\xc5", "\xe4", "\xc4", "\xf6", "\xd6", "\xe5sa", "\xc5sa",
                            "\xc5SA", "aa", "a", "b", " ", " ", " ", "\r\n", "ab", "ba", "\xe4r", "\xc4R", "\xf6l",
                            "aaa", "och", "Och"};
    const char* patterns[] = {"a", "aa", "aaa", "aba", "ab", "\xe5sa", "\xc5SA", "\xc4", "\r\n", "a\r\n", "xyz", "och"};
    std::mt19937 random(20240607);
    auto below = [&](int n) { return (int)(random() % (unsigned)n); };
    int cases = 0, found = 0, before_text = 0;
    long literal_calls = 0, program_calls = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        int count = 1 + below(round % 4 == 0 ? 8 : round % 50 == 1 ? 900 : 90);
        for (int i = 0; i < count; ++i) text += pieces[below(sizeof pieces / sizeof *pieces)];
        set_text(text);
        for (int k = 0; k < 6; ++k) {
            std::string what;
            int kind = below(10);
            if (kind < 6) {
                int at = below((int)text.size());
                what = text.substr(at, 1 + below(kind < 4 ? 5 : 14));
            } else {
                what = patterns[below(sizeof patterns / sizeof *patterns)];
            }
            LONG length = (LONG)SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
            LONG start = k == 0 ? below((int)what.size() + 1) : below(length + 1);
            LONG end = start + below(4);
            for (const char* match_case : {"M", static_cast<const char*>(nullptr)}) {
                select(start, end);
                CHARRANGE from = selection();
                int expected = window_by_window_up(editor, what.c_str(), match_case, &literal_calls);
                std::string expected_selection = selected();
                select(start, end);
                search_calls = 0;
                int result = editor_find(editor, what.c_str(), 0, "U", match_case);
                program_calls += search_calls;
                ASSERT_EQ(result, expected) << "round " << round << " text [" << text << "] find [" << what
                                            << "] from " << from.cpMin << (match_case ? " M" : "");
                ASSERT_EQ(selected(), expected_selection) << "round " << round << " find [" << what << "]";
                ++cases;
                found += result == 0;
                before_text += from.cpMin < (LONG)what.size();
            }
        }
    }
    EXPECT_GT(found, cases / 4);
    EXPECT_GT(cases - found, cases / 10);
    EXPECT_GT(before_text, 100);
    EXPECT_LT(program_calls * 2, literal_calls);
}

TEST_F(Search, UpNeedsFewControlCallsOverALongText) {
    std::string text;
    while (text.size() < 40000) text += "Det var en gång en häst som åt havre.\r\n";
    set_text("unik " + text);
    LONG end = (LONG)SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
    select(end, end);
    EXPECT_EQ(editor_find(editor, "saknas", 0, "U", nullptr), -1);
    EXPECT_LE(search_calls, 40);
    search_calls = 0;
    EXPECT_EQ(editor_find(editor, "unik", 0, "U", nullptr), 0);
    EXPECT_EQ(selected(), "0-4");
    EXPECT_LE(search_calls, 40);
    search_calls = 0;
    select(end, end);
    EXPECT_EQ(editor_find(editor, "e", 0, "U", nullptr), 0);  // occurs every few characters
    EXPECT_EQ(selected(), std::to_string(end - 4) + "-" + std::to_string(end - 3));
    EXPECT_LE(search_calls, 12);
}

namespace {

class FindDialog : public Search {
protected:
    HWND owner = nullptr;
    HWND dialog = nullptr;
    std::vector<int> events;    // non-zero results of find_dialog_event
    std::vector<int> commands;  // search commands that reached the owner
    std::vector<int> results;   // what each search gave

    void SetUp() override {
        Search::SetUp();
        static int n = 0;
        std::string title = "Sökägare " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
        owner = window_create_main(GetModuleHandleA(nullptr), title.c_str(), 0, 0, 400, 300, "MIN_MAX_CLO");
        ASSERT_NE(owner, nullptr);
        stub_hook = [this](HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
            int id = message == WM_COMMAND ? LOWORD(wparam) : 0;
            if (id == UP || id == DOWN) {
                commands.push_back(id);
                results.push_back(editor_find(editor, "zzz", 1, id == UP ? "U" : "D", nullptr));
                return true;
            }
            int event = find_dialog_event(window, dialog, lparam, message, UP, DOWN);
            if (event) events.push_back(event);
            return false;
        };
        dialog_helper_start();
    }
    void TearDown() override {
        dialog_helper_stop();
        stub_hook = nullptr;
        if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
        DestroyWindow(owner);
        Search::TearDown();
    }

    // Types the text into the open dialog, sets the choices and presses Find Next.
    void queue_find_next(const std::string& text, bool match_case, bool down) {
        dialog_helper_queue([=](HWND d) {
            SetDlgItemTextA(d, FIND_EDIT, text.c_str());
            CheckDlgButton(d, FIND_MATCH_CASE, match_case ? BST_CHECKED : BST_UNCHECKED);
            CheckRadioButton(d, FIND_UP, FIND_DOWN, down ? FIND_DOWN : FIND_UP);
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
    }
    std::string dialog_field() {
        char text[FIND_BUFFER_SIZE] = {};
        GetDlgItemTextA(dialog, FIND_EDIT, text, sizeof text);
        return text;
    }
    // The command find_dialog_event posted, or 0.
    int posted_command() {
        MSG msg;
        if (!PeekMessageA(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE)) return 0;
        EXPECT_EQ(msg.lParam, 0);
        return (int)msg.wParam;
    }
    int report(DWORD flags, const std::string& text) {
        lstrcpynA(find_record.lpstrFindWhat, text.c_str(), FIND_BUFFER_SIZE);
        find_record.Flags = flags;
        return find_dialog_event(owner, dialog, (LPARAM)&find_record, RegisterWindowMessageA(FINDMSGSTRINGA), UP, DOWN);
    }
};

}  // namespace

TEST_F(FindDialog, OpensWithTheSelectionUpTo256Characters) {
    std::string text(300, 'x');
    for (size_t i = 0; i < text.size(); i += 7) text[i] = 'å';
    set_text(text);
    select(10, 10 + 257);
    int held = find_dialog_buffers_held();
    EXPECT_EQ(find_dialog_open(owner, editor), nullptr);
    EXPECT_EQ(find_dialog_buffers_held(), held);
    select(10, 10 + 256);
    dialog = find_dialog_open(owner, editor);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog_field(), text.substr(10, 256));
    EXPECT_EQ(find_record.lStructSize, sizeof(FINDREPLACEA));
    EXPECT_EQ(find_record.hwndOwner, owner);
    EXPECT_TRUE(find_record.Flags & FR_HIDEWHOLEWORD);  // the dialog takes FR_DOWN over as its Down button
    EXPECT_EQ(find_record.wFindWhatLen, FIND_BUFFER_SIZE);
    EXPECT_EQ(find_record.lpstrReplaceWith, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(dialog, FIND_DOWN), BST_CHECKED);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, FIND_WHOLE_WORD)));
    DestroyWindow(dialog);
    select(4, 4);
    dialog = find_dialog_open(owner, editor);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog_field(), "");
}

TEST_F(FindDialog, ReportsBecomeCommandsByTheirFlags) {
    set_text("abc");
    dialog = find_dialog_open(owner, editor);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(report(FR_DOWN | FR_FINDNEXT, "abc"), 1);
    EXPECT_EQ(posted_command(), DOWN);
    EXPECT_EQ(report(FR_MATCHCASE | FR_FINDNEXT, "abc"), 1);
    EXPECT_EQ(posted_command(), UP);
    EXPECT_EQ(report(FR_FINDNEXT, "abc"), 1);
    EXPECT_EQ(posted_command(), UP);
    EXPECT_EQ(report(FR_WHOLEWORD, "abc"), 1);
    EXPECT_EQ(posted_command(), DOWN);
    EXPECT_EQ(report(FR_MATCHCASE | FR_DOWN | FR_FINDNEXT, "abc"), 1);
    EXPECT_EQ(posted_command(), DOWN);
    EXPECT_EQ(report(FR_DIALOGTERM | FR_DOWN, "abc"), 0);
    EXPECT_EQ(report(FR_REPLACE, "abc"), 0);
    EXPECT_EQ(posted_command(), 0);
    // another message, another record or no dialog: not a report for this dialog
    EXPECT_EQ(find_dialog_event(owner, dialog, (LPARAM)&find_record, WM_USER, UP, DOWN), 0);
    FINDREPLACEA other = find_record;
    other.Flags = FR_DOWN;
    EXPECT_EQ(find_dialog_event(owner, dialog, (LPARAM)&other, RegisterWindowMessageA(FINDMSGSTRINGA), UP, DOWN), 0);
    HWND open = dialog;
    dialog = nullptr;
    EXPECT_EQ(report(FR_DOWN | FR_FINDNEXT, "abc"), 0);
    dialog = open;
    EXPECT_EQ(posted_command(), 0);
    EXPECT_EQ(report(FR_DOWN | FR_FINDNEXT, std::string(256, 'a')), 1);
    EXPECT_EQ(posted_command(), DOWN);
    EXPECT_EQ(report(FR_DOWN | FR_FINDNEXT, std::string(257, 'a')), 2);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(posted_command(), 0);
}

TEST_F(FindDialog, FindNextDownAndUpSearchWithTheDialogsTextAndCase) {
    set_text("abc abc Abc");
    select(0, 3);
    dialog = find_dialog_open(owner, editor);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog_field(), "abc");
    queue_find_next("Abc", true, true);
    ASSERT_TRUE(pump_until([&] { return !commands.empty(); }, 5000));
    EXPECT_EQ(commands[0], DOWN);
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(selected(), "8-11");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(pump_until([&] { return !IsWindow(dialog); }, 5000));

    select(11, 11);
    dialog = find_dialog_open(owner, editor);
    ASSERT_NE(dialog, nullptr);
    queue_find_next("abc", true, false);
    ASSERT_TRUE(pump_until([&] { return commands.size() == 2; }, 5000));
    EXPECT_EQ(commands[1], UP);
    EXPECT_EQ(results[1], 0);
    EXPECT_EQ(selected(), "4-7");
    EXPECT_EQ(events, (std::vector<int>{1, 1}));  // closing the first dialog asked for nothing
}

TEST_F(FindDialog, TooLongTextTypedCloseTheDialog) {
    set_text("abc");
    dialog = find_dialog_open(owner, editor);
    ASSERT_NE(dialog, nullptr);
    queue_find_next(std::string(257, 'b'), false, true);
    ASSERT_TRUE(pump_until([&] { return !events.empty(); }, 5000));
    pump_messages(200);
    EXPECT_EQ(events, std::vector<int>{2});
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(commands.empty());
}

TEST_F(FindDialog, BufferOfAnEarlierDialogIsReleasedOnceItCloses) {
    set_text("abc xyz");
    select(0, 3);
    HWND first = find_dialog_open(owner, editor);
    ASSERT_NE(first, nullptr);
    int held = find_dialog_buffers_held();
    select(4, 7);
    dialog = find_dialog_open(owner, editor);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(find_dialog_buffers_held(), held + 1);
    EXPECT_STREQ(find_record.lpstrFindWhat, "xyz");
    PostMessageA(first, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(pump_until([&] { return !IsWindow(first); }, 5000));
    EXPECT_EQ(find_dialog_buffers_held(), held);
    // the last dialog's text stays readable after it closes, until another dialog replaces it
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(pump_until([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(find_dialog_buffers_held(), held);
    EXPECT_STREQ(find_record.lpstrFindWhat, "xyz");
    dialog = find_dialog_open(owner, editor);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(find_dialog_buffers_held(), held);
}
