// Start sequence: the command-line tail, its 260-byte block, and the refusal to wait without a window.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "app/app_state.h"
#include "toolkit/windows/window.h"

TEST(CommandLineTail, QuotedProgramNameAndBlanksAreSkipped) {
    EXPECT_STREQ(command_line_tail("\"C:\\Program Files\\brevduva.exe\"   brev.rtf"), "brev.rtf");
    EXPECT_STREQ(command_line_tail("\"brevduva.exe\"brev.rtf"), "brev.rtf");
    EXPECT_STREQ(command_line_tail("brevduva.exe brev.rtf"), "brev.rtf");
    EXPECT_STREQ(command_line_tail("brevduva.exe    "), "");
    EXPECT_STREQ(command_line_tail("brevduva.exe"), "");
}

TEST(CommandLineTail, NoClosingQuoteGivesWholeLine) {
    const char* line = "\"brevduva.exe brev.rtf";
    EXPECT_EQ(command_line_tail(line), line);
}

TEST(CommandLineTail, QuotesInsideTheTailAreKeptAndTabsAreNotBlanks) {
    EXPECT_STREQ(command_line_tail("brevduva.exe \"mitt brev.rtf\""), "\"mitt brev.rtf\"");
    EXPECT_STREQ(command_line_tail("brevduva.exe \tbrev.rtf"), "\tbrev.rtf");
    EXPECT_STREQ(command_line_tail("brevduva.exe -x /y"), "-x /y");
}

TEST(CommandLineStore, CopiesTailIntoZeroFilledBlock) {
    EXPECT_EQ(command_line_store(""), 1);
    ASSERT_NE(app_state.command_line, nullptr);
    EXPECT_EQ(GlobalSize(app_state.command_line), (SIZE_T)COMMAND_LINE_SIZE);
    EXPECT_STREQ(app_state.command_line, "");
    EXPECT_EQ(command_line_store("åäö.txt"), 0);
    EXPECT_STREQ(app_state.command_line, "åäö.txt");
}

TEST(CommandLineStore, OnePairOfQuotesAroundTheWholeTailIsTakenOff) {
    const struct { const char* tail; const char* kept; } tails[] = {
        {"\"C:\\Mina brev\\brev.rtf\"", "C:\\Mina brev\\brev.rtf"}, {"\"\"brev.rtf\"\"", "\"brev.rtf\""},
        {"\"a\" \"b\"", "a\" \"b"}, {"\"brev.rtf", "\"brev.rtf"}, {"brev.rtf\"", "brev.rtf\""}, {"\"", "\""}};
    for (const auto& t : tails) {
        EXPECT_EQ(command_line_store(t.tail), 0) << t.tail;
        EXPECT_STREQ(app_state.command_line, t.kept);
    }
    EXPECT_EQ(command_line_store("\"\""), 1);
    EXPECT_STREQ(app_state.command_line, "");
    // without its quotes a tail of 261 characters fits the block
    std::string quoted = "\"" + std::string(259, 'a') + "\"";
    EXPECT_EQ(command_line_store(quoted.c_str()), 0);
    EXPECT_EQ(std::string(app_state.command_line), std::string(259, 'a'));
}

TEST(CommandLineStore, TailLongerThanTheBlockIsNotKept) {
    std::string longest(259, 'a');
    longest.back() = 'b';
    EXPECT_EQ(command_line_store(longest.c_str()), 0);
    EXPECT_EQ(std::string(app_state.command_line), longest);
    std::string tail(10000, 'a');
    EXPECT_EQ(command_line_store(tail.substr(0, 260).c_str()), 1);
    EXPECT_STREQ(app_state.command_line, "");
    EXPECT_EQ(command_line_store(tail.c_str()), 1);
    EXPECT_STREQ(app_state.command_line, "");
}

TEST(AppMain, EndsAtOnceWhenTheMainWindowCannotBeMade) {
    // a class of that name already registered makes window creation fail
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Brevduva daraduder";
    ASSERT_NE(RegisterClassExA(&wc), 0);
    EXPECT_NE(app_main(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL), 0);
    EXPECT_EQ(app_state.main_window, nullptr);
}

TEST(Routing, CommandWithNonZeroHighWordDoesNothing) {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    app_state.main_window = window;
    // the editor's change notification carries its id 1 in the low word; 105 would otherwise end the program
    EXPECT_EQ(main_window_procedure(window, WM_COMMAND, MAKEWPARAM(105, EN_CHANGE), 0), 0);
    EXPECT_FALSE(command_dispatch(MAKEWPARAM(105, 1)));
    EXPECT_FALSE(command_dispatch(999));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    DestroyWindow(window);
}
