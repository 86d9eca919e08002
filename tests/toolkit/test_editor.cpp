// The editor control: creation, selection, indent and tab stops, colours, caret and events,
// read back from the real rich edit control.
#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "support/test_util.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/large_selection.h"
#include "toolkit/richedit/rtf_check.h"

namespace {

constexpr int LIMIT = 10000000;

class Editor : public testing::Test {
protected:
    void SetUp() override {
        parent = CreateWindowExA(0, "STATIC", "Redigerare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 640, 480,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        editor = editor_create(parent, 0, 0, 0, 0, "VHSCROLL", LIMIT);
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override { DestroyWindow(parent); }

    std::string text() {
        std::string s(editor_text_length(editor) + 1, '\0');
        GetWindowTextA(editor, &s[0], (int)s.size());
        s.resize(lstrlenA(s.c_str()));
        return s;
    }
    CHARFORMATA characters_of(LONG start, LONG end) {
        editor_select(editor, start, end);
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        return format;
    }
    void set_effects(LONG start, LONG end, DWORD mask, DWORD effects, COLORREF colour = 0) {
        editor_select(editor, start, end);
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        format.dwMask = mask;
        format.dwEffects = effects;
        format.crTextColor = colour;
        SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    }
    CHARRANGE selection() {
        CHARRANGE range = {-1, -1};
        SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&range);
        return range;
    }

    HWND parent = nullptr;
    HWND editor = nullptr;
};

// The control hides unneeded scroll bars by clearing their style bits, so the style asked for
// at creation is caught on its way in.
DWORD created_style = 0;
LRESULT CALLBACK catch_creation(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND) {
        char cls[32] = {};
        GetClassNameA((HWND)wparam, cls, sizeof cls);
        if (lstrcmpA(cls, "RICHEDIT") == 0) created_style = (DWORD)((CBT_CREATEWNDA*)lparam)->lpcs->style;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

DWORD style_asked_for(HWND parent, const char* keyword) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, catch_creation, nullptr, GetCurrentThreadId());
    created_style = 0;
    HWND editor = editor_create(parent, 5, 5, 100, 100, keyword, 100);
    UnhookWindowsHookEx(hook);
    DestroyWindow(editor);
    return editor ? created_style : 0;
}

NMHDR header_from(HWND window, UINT code) {
    NMHDR header = {};
    header.hwndFrom = window;
    header.idFrom = 1;
    header.code = code;
    return header;
}

// Numbered lines, so that any piece cut in the wrong place shows in the text that is left.
std::string numbered_lines(int count) {
    std::string text;
    for (int i = 0; i < count; i++) text += "rad " + std::to_string(i) + " med lite text efter\r\n";
    return text;
}

// A large document is emptied by a new control in the old one's place, which keeps everything
// the toolkit set on the old one; a small one keeps its control.
TEST_F(Editor, ALargeDocumentIsReplacedByANewControlThatKeepsTheSettings) {
    const struct {
        int lines;
        const char* wrap;
        bool renewed;
        int wrapped_lines;  // of 800 words after the new text
        DWORD scroll_bar;  // the one the text then shows
    } cases[] = {{60, "NONE", false, 1, WS_HSCROLL},
                 {2500, "NONE", true, 1, WS_HSCROLL},
                 {2500, "WINDOW", true, 0, WS_VSCROLL}};
    std::string words;
    for (int i = 0; i < 800; i++) words += "ord ";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lines) + " lines, wrap " + c.wrap);
        editor_set_text_size(editor, 14);
        editor_set_colours(editor, 999, RGB(1, 2, 3));
        ASSERT_EQ(editor_set_wrap(editor, c.wrap, nullptr, 0), 0);
        WNDPROC procedure = (WNDPROC)GetWindowLongPtrA(editor, GWLP_WNDPROC);
        RECT before;
        GetWindowRect(editor, &before);
        editor_focus(editor);
        ASSERT_EQ(editor_set_text(&editor, numbered_lines(c.lines).c_str()), 0);
        HWND old = editor;
        ASSERT_EQ(editor_set_text(&editor, words.c_str()), 0);
        EXPECT_EQ(editor != old, c.renewed);
        EXPECT_EQ(IsWindow(old) != FALSE, !c.renewed);
        EXPECT_EQ(GetDlgItem(parent, 1), editor);
        EXPECT_EQ(GetFocus(), editor);
        EXPECT_EQ(text(), words);
        EXPECT_EQ(editor_can_undo(editor), 0);
        RECT after;
        GetWindowRect(editor, &after);
        EXPECT_TRUE(EqualRect(&before, &after));
        EXPECT_EQ(GetWindowLongPtrA(editor, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL),
                  WS_CHILD | WS_VISIBLE | ES_NOHIDESEL | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_MULTILINE);
        EXPECT_EQ(GetWindowLongPtrA(editor, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), c.scroll_bar);
        EXPECT_EQ(GetWindowLongPtrA(editor, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES),
                  WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES);
        EXPECT_EQ((WNDPROC)GetWindowLongPtrA(editor, GWLP_WNDPROC), procedure);
        EXPECT_EQ(SendMessageA(editor, EM_GETLIMITTEXT, 0, 0), LIMIT);
        EXPECT_EQ(SendMessageA(editor, EM_GETEVENTMASK, 0, 0),
                  ENM_CHANGE | ENM_UPDATE | ENM_SCROLL | ENM_KEYEVENTS | ENM_MOUSEEVENTS | ENM_REQUESTRESIZE |
                      ENM_SELCHANGE | ENM_DROPFILES | ENM_PROTECTED);
        CHARFORMATA characters = {};
        characters.cbSize = sizeof characters;
        SendMessageA(editor, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&characters);
        EXPECT_EQ(characters.yHeight, 280);
        EXPECT_EQ(SendMessageA(editor, EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
        LRESULT lines = SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
        if (c.wrapped_lines) {
            EXPECT_EQ(lines, c.wrapped_lines);
        } else {
            EXPECT_GT(lines, 1);
        }
    }
    ASSERT_EQ(editor_set_text(&editor, ""), 0);  // the 800 words go the same way
    EXPECT_EQ(editor_text_length(editor), 0);
}

}  // namespace

TEST_F(Editor, CreatesChildOneWithItsStylesLimitEventsAndProcedure) {
    char cls[32] = {};
    GetClassNameA(editor, cls, sizeof cls);
    EXPECT_STREQ(cls, "RICHEDIT");
    EXPECT_EQ(GetDlgCtrlID(editor), 1);
    EXPECT_EQ((DWORD)GetWindowLongA(editor, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL), 0x500001C4u);
    EXPECT_EQ((DWORD)GetWindowLongA(editor, GWL_EXSTYLE) & 0x210u, 0x210u);
    EXPECT_EQ(SendMessageA(editor, EM_GETLIMITTEXT, 0, 0), LIMIT);
    EXPECT_EQ(SendMessageA(editor, EM_GETEVENTMASK, 0, 0), 0x003F0007);
    EXPECT_EQ(GetWindowLongPtrA(editor, GWLP_WNDPROC), (LONG_PTR)editor_default_procedure);
    // messages still reach the control through the saved procedure
    EXPECT_EQ(editor_set_text(&editor, "Hej då"), 0);
    EXPECT_EQ(text(), "Hej då");
    EXPECT_EQ(editor_default_procedure(editor, WM_GETTEXTLENGTH, 0, 0), 6);
}

TEST_F(Editor, ScrollKeywordsChooseScrollBarsExactly) {
    const struct {
        const char* keyword;
        DWORD style;
    } cases[] = {{"NOSCROLL", 0x500001C4}, {"HSCROLL", 0x501001C4}, {"VSCROLL", 0x502001C4},
                 {"VHSCROLL", 0x503001C4}, {"VH", 0x500001C4},       {"vhscroll", 0x500001C4},
                 {nullptr, 0x500001C4}};
    for (const auto& c : cases) {
        EXPECT_EQ(style_asked_for(parent, c.keyword), c.style) << (c.keyword ? c.keyword : "null");
    }
}

TEST_F(Editor, FillsParentWhenTheFourNumbersSumToZero) {
    RECT client;
    GetClientRect(parent, &client);
    const int geometry[][4] = {{0, 0, 0, 0}, {0, 0, 10, -10}, {0, 0, 200, 100}};
    for (const auto& g : geometry) {
        HWND other = editor_create(parent, g[0], g[1], g[2], g[3], "NOSCROLL", 100);
        RECT r;
        GetWindowRect(other, &r);
        MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
        bool fills = g[2] != 200;
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right - r.left, fills ? client.right : 200);
        EXPECT_EQ(r.bottom - r.top, fills ? client.bottom : 100);
        DestroyWindow(other);
    }
}

TEST_F(Editor, SelectAllReachesTheEndAndSelectClampsToIt) {
    editor_set_text(&editor, "Första raden\r\nandra");
    SendMessageA(editor, EM_SETSEL, 0, -1);
    CHARRANGE whole = selection();
    editor_select(editor, 3, 3);
    EXPECT_EQ(editor_has_selection(editor), 0);
    editor_select_all(editor);
    EXPECT_EQ(selection().cpMin, 0);
    EXPECT_EQ(selection().cpMax, whole.cpMax);
    EXPECT_GE(selection().cpMax, editor_text_length(editor));
    EXPECT_EQ(editor_has_selection(editor), 1);
    editor_select(editor, 2, 5000);
    EXPECT_EQ(selection().cpMin, 2);
    EXPECT_EQ(selection().cpMax, whole.cpMax);
}

TEST_F(Editor, TabStopsFollowTheSpanCapAndNeverExceed32) {
    editor_set_text(&editor, "a\tb");
    const struct {
        int count, step, expected;
    } cases[] = {{20, 30, 20}, {30, 31, 29}, {30, 40, 22}, {5, 0, 5}, {40, 20, 32}, {-3, 10, 0}};
    for (const auto& c : cases) {
        editor_set_indent_and_tabs(editor, 1, c.count, c.step);
        PARAFORMAT format = paragraph_at(editor, 0);
        ASSERT_EQ(format.cTabCount, c.expected) << c.count << " x " << c.step;
        for (int i = 0; i < format.cTabCount; i++) {
            EXPECT_EQ(format.rgxTabs[i] & 0x00FFFFFF, (1 + i * c.step) * 20) << "stop " << i;
        }
    }
}

TEST_F(Editor, IndentIsTheMarginOnEveryParagraphAfterRepeatedCalls) {
    editor_set_text(&editor, "ett\r\ntvå\r\ntre");
    // a paragraph with an indent of its own must end up like the others
    editor_select(editor, 5, 5);
    PARAFORMAT own = {};
    own.cbSize = sizeof own;
    own.dwMask = PFM_STARTINDENT;
    own.dxStartIndent = 1440;
    SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&own);
    editor_select(editor, 2, 9);
    editor_set_indent_and_tabs(editor, 3, 20, 30);
    editor_set_indent_and_tabs(editor, 5, 20, 30);
    EXPECT_EQ(selection().cpMin, 0);
    EXPECT_EQ(selection().cpMax, 0);
    EXPECT_TRUE(IsWindowVisible(editor));
    for (LONG position : {0, 6, 11}) {
        PARAFORMAT format = paragraph_at(editor, position);
        EXPECT_EQ(format.dxStartIndent, 100) << "paragraph at " << position;
        EXPECT_EQ(format.dxOffset, 0) << "paragraph at " << position;
    }
    // one Undo takes the last change back whole: the margin and tab stops before it
    editor_undo(editor);
    for (LONG position : {0, 6, 11}) {
        PARAFORMAT format = paragraph_at(editor, position);
        EXPECT_EQ(format.dxStartIndent, 60) << "paragraph at " << position;
        ASSERT_EQ(format.cTabCount, 20) << "paragraph at " << position;
        EXPECT_EQ(format.rgxTabs[1] & 0x00FFFFFF, 660) << "paragraph at " << position;
    }
}

DWORD CALLBACK append_to_string(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
    ((std::string*)cookie)->append((const char*)bytes, count);
    *done = count;
    return 0;
}

TEST_F(Editor, NoMarginOrStepGivesTheControlANegativeIndentOrTabStop) {
    editor_set_text(&editor, "a\tb\r\nc");
    const struct {
        int margin, count, step;
        LONG start, first_tab, second_tab;
    } cases[] = {{-20, 30, 30, 0, 0, 600},
                 {5, 30, -10, 100, 100, 100},
                 {-5, 3, -7, 0, 0, 0},
                 {-2147483647 - 1, 2, 10, 0, 0, 200},
                 {2147483647, 2, 10, 31680, 31680, 31880}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "margin " << c.margin << ", step " << c.step);
        editor_set_indent_and_tabs(editor, c.margin, c.count, c.step);
        for (LONG position : {0, 5}) {
            PARAFORMAT format = paragraph_at(editor, position);
            EXPECT_EQ(format.dxStartIndent, c.start);
            EXPECT_EQ(format.dxOffset, 0);
            ASSERT_EQ(format.cTabCount, c.count);
            EXPECT_EQ(format.rgxTabs[0], c.first_tab);
            EXPECT_EQ(format.rgxTabs[1], c.second_tab);
        }
        // the control's RTF writer, which Copy and Save use, takes every one of them
        std::string rtf;
        EDITSTREAM stream = {(DWORD_PTR)&rtf, 0, append_to_string};
        EXPECT_GT(SendMessageA(editor, EM_STREAMOUT, SF_RTF, (LPARAM)&stream), 0);
        EXPECT_EQ(rtf.find("\\tx-"), std::string::npos) << rtf;
        EXPECT_EQ(rtf.find("\\li-"), std::string::npos) << rtf;
    }
}

TEST_F(Editor, CaretLineAndPositionCountLineBreaksByKeyword) {
    editor_set_text(&editor, "abc\r\ndef\r\nghijkl");
    editor_select(editor, 0, 0);
    EXPECT_EQ(editor_caret_line(editor), 1);
    editor_select(editor, 2, 2);
    EXPECT_EQ(editor_caret_position(editor, "NOFORMAT"), 2);
    EXPECT_EQ(editor_caret_position(editor, "FORMAT"), 2);
    editor_select(editor, 12, 14);
    EXPECT_EQ(editor_caret_line(editor), 3);
    EXPECT_EQ(editor_caret_position(editor, "NOFORMAT"), 8);
    EXPECT_EQ(editor_caret_position(editor, "FORMAT"), 12);
    EXPECT_EQ(editor_caret_position(editor, "noformat"), 12);
    EXPECT_EQ(editor_caret_position(editor, nullptr), 12);
}

TEST_F(Editor, ColoursWith999LeaveTheTextAndRestoreTheSystemBackground) {
    editor_set_text(&editor, "röd och fet");
    set_effects(0, 11, CFM_BOLD, 0);  // the control starts out bold
    set_effects(0, 3, CFM_COLOR | CFM_BOLD, CFE_BOLD, RGB(200, 0, 0));
    SendMessageA(editor, EM_SETBKGNDCOLOR, 0, RGB(0, 0, 255));
    editor_select(editor, 0, 3);
    editor_set_colours(editor, 999, 999);
    CHARFORMATA red = characters_of(0, 3);
    EXPECT_EQ(red.crTextColor, RGB(200, 0, 0));
    EXPECT_TRUE(red.dwEffects & CFE_BOLD);
    EXPECT_FALSE(characters_of(4, 7).dwEffects & CFE_BOLD);
    // setting the background answers the previous one
    EXPECT_EQ((COLORREF)SendMessageA(editor, EM_SETBKGNDCOLOR, 0, 0), GetSysColor(COLOR_WINDOW));
}

TEST_F(Editor, TextColourAppliesToAllTextWithTheSelectionsUniformEffects) {
    editor_set_text(&editor, "kursiv och fet");
    set_effects(0, 14, CFM_ITALIC | CFM_BOLD, CFE_ITALIC);
    set_effects(11, 14, CFM_BOLD, CFE_BOLD);
    editor_select(editor, 0, 14);  // bold varies, italic does not
    editor_set_colours(editor, RGB(0, 128, 0), RGB(255, 255, 240));
    for (auto range : {CHARRANGE{0, 6}, CHARRANGE{11, 14}}) {
        CHARFORMATA format = characters_of(range.cpMin, range.cpMax);
        EXPECT_EQ(format.crTextColor, RGB(0, 128, 0));
        EXPECT_TRUE(format.dwEffects & CFE_ITALIC);
        EXPECT_FALSE(format.dwEffects & CFE_BOLD);
    }
    EXPECT_EQ((COLORREF)SendMessageA(editor, EM_SETBKGNDCOLOR, 0, 0), RGB(255, 255, 240));
}

TEST_F(Editor, FilterEventAnswersOnlyTheEditorsFourEvents) {
    MSGFILTER key = {};
    key.nmhdr = header_from(editor, EN_MSGFILTER);
    key.msg = WM_KEYDOWN;
    EXPECT_EQ(editor_filter_event(editor, (LPARAM)&key), WM_KEYDOWN);
    key.msg = WM_RBUTTONDOWN;
    EXPECT_EQ(editor_filter_event(editor, (LPARAM)&key), WM_RBUTTONDOWN);
    for (UINT code : {EN_REQUESTRESIZE, EN_SELCHANGE, EN_DROPFILES}) {
        SELCHANGE event = {};
        event.nmhdr = header_from(editor, code);
        EXPECT_EQ(editor_filter_event(editor, (LPARAM)&event), (int)code);
        event.nmhdr = header_from(parent, code);
        EXPECT_EQ(editor_filter_event(editor, (LPARAM)&event), 0) << "from another window";
    }
    key.nmhdr = header_from(parent, EN_MSGFILTER);
    EXPECT_EQ(editor_filter_event(editor, (LPARAM)&key), 0);
    for (UINT code : {(UINT)EN_PROTECTED, (UINT)EN_LINK, (UINT)0x06FF}) {
        MSGFILTER other = {};
        other.nmhdr = header_from(editor, code);
        other.msg = WM_CHAR;
        EXPECT_EQ(editor_filter_event(editor, (LPARAM)&other), 0) << code;
    }
}

TEST_F(Editor, UndoOnAFreshEditorChangesNothingAndAfterAnEditRestores) {
    EXPECT_EQ(editor_can_undo(editor), 0);
    editor_undo(editor);
    EXPECT_EQ(text(), "");
    editor_set_text(&editor, "bas");
    editor_select(editor, 3, 3);
    SendMessageA(editor, EM_REPLACESEL, TRUE, (LPARAM)"tillägg");
    EXPECT_EQ(text(), "bastillägg");
    EXPECT_EQ(editor_can_undo(editor), 1);
    editor_undo(editor);
    EXPECT_EQ(text(), "bas");
}

TEST_F(Editor, ModifiedFlagFollowsOnAndOffOnly) {
    editor_set_modified(editor, "ON");
    EXPECT_NE(SendMessageA(editor, EM_GETMODIFY, 0, 0), 0);
    editor_set_modified(editor, "on");
    editor_set_modified(editor, nullptr);
    EXPECT_NE(SendMessageA(editor, EM_GETMODIFY, 0, 0), 0);
    editor_set_modified(editor, "OFF");
    EXPECT_EQ(SendMessageA(editor, EM_GETMODIFY, 0, 0), 0);
}

TEST_F(Editor, SelectedTextIsBoundedByTheBufferSize) {
    editor_set_text(&editor, "åäö\r\nÅÄÖé slut");
    editor_select(editor, 1, 9);
    char expected[64] = {};
    SendMessageA(editor, EM_GETSELTEXT, 0, (LPARAM)expected);
    char whole[64];
    editor_get_selected_text(editor, whole, sizeof whole);
    EXPECT_STREQ(whole, expected);
    EXPECT_STREQ(whole, "äö\r\nÅÄÖé");
    char small[8];
    memset(small, 'X', sizeof small);
    editor_get_selected_text(editor, small, 4);
    EXPECT_STREQ(small, "äö\r");
    EXPECT_EQ(std::string(small + 4, 4), "XXXX");
    editor_get_selected_text(editor, small, 1);
    EXPECT_EQ(small[0], '\0');
    editor_select(editor, 2, 2);
    memset(small, 'X', sizeof small);
    editor_get_selected_text(editor, small, sizeof small);
    EXPECT_EQ(small[0], '\0');
}

TEST_F(Editor, DeleteCutAndPasteWorkOnTheSelection) {
    editor_set_text(&editor, "ett två tre");
    editor_select(editor, 3, 7);
    editor_delete_selection(editor);
    EXPECT_EQ(text(), "ett tre");
    editor_select(editor, 0, 4);
    editor_cut(editor);
    EXPECT_EQ(text(), "tre");
    EXPECT_EQ(clipboard_has_text(), 1);
    editor_select(editor, 3, 3);
    editor_paste(editor);
    EXPECT_EQ(text(), "treett ");
    editor_select(editor, 0, 3);
    editor_copy(editor);
    editor_select(editor, 0, 0);
    editor_paste(editor);
    EXPECT_EQ(text(), "tretreett ");
    // every pasted line is one paragraph, wherever the control's reads part the text
    std::string lines;
    for (int i = 0; i < 20000; i++) lines += std::string(1 + i % 9, 'x') + (i % 5 ? "\r\n" : "\r\r\n");
    ASSERT_TRUE(clipboard_text_set(lines.c_str()));
    editor_set_text(&editor, "");
    editor_paste(editor);
    EXPECT_EQ(SendMessageA(editor, EM_GETLINECOUNT, 0, 0), 20001);
    std::string rtf = document_rtf(editor);
    size_t marks = 0;
    for (size_t at = rtf.find("\\par"); at != std::string::npos; at = rtf.find("\\par", at + 1)) marks += rtf[at + 4] != 'd';
    EXPECT_EQ(marks, 20001u);  // the empty last paragraph has one too
}

// A clipboard block with all its bytes: other programs receive the block's whole size.
std::string clipboard_block(const char* format_name, UINT format = 0) {
    std::string bytes;
    if (format_name) format = RegisterClipboardFormatA(format_name);
    if (!OpenClipboard(nullptr)) return bytes;
    if (HANDLE block = GetClipboardData(format)) {
        if (const char* data = (const char*)GlobalLock(block)) bytes.assign(data, GlobalSize(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return bytes;
}

// The control takes copy and cut keys on its own, while ctrl or shift is down.
void key_with(HWND editor, BYTE modifier, WPARAM key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE plain[256];
    memcpy(plain, keys, sizeof plain);
    keys[modifier] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(editor, WM_KEYDOWN, key, 1);
    SetKeyboardState(plain);
}

TEST_F(Editor, CopyAndCutPlaceExactlyTheSelection) {
    struct row {
        const char* way;
        LONG start, end;
        const wchar_t* placed;
        const char* left;
    } rows[] = {
        {"copy", 0, 23, L"alfa beta gamma X delta", "alfa beta gamma X delta\r\nepsilon"},
        {"copy", 5, 32, L"beta gamma X delta\r\nepsilon", "alfa beta gamma X delta\r\nepsilon"},
        {"ctrl+C", 0, 4, L"alfa", "alfa beta gamma X delta\r\nepsilon"},
        {"ctrl+X", 18, 32, L"delta\r\nepsilon", "alfa beta gamma X "},
        {"cut", 0, 32, L"alfa beta gamma X delta\r\nepsilon", ""},
        // selecting all takes in the mark that closes the last paragraph, and no program shows it
        {"copy", 0, LIMIT, L"alfa beta gamma X delta\r\nepsilon", "alfa beta gamma X delta\r\nepsilon"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.way) + " " + std::to_string(r.start));
        editor_set_text(&editor, "alfa beta gamma X delta\r\nepsilon");
        editor_select(editor, r.start, r.end);
        std::string way = r.way;
        if (way == "copy") editor_copy(editor);
        if (way == "cut") editor_cut(editor);
        if (way == "ctrl+C") key_with(editor, VK_CONTROL, 'C');
        if (way == "ctrl+X") key_with(editor, VK_CONTROL, 'X');
        std::string unicode = clipboard_block(nullptr, CF_UNICODETEXT);
        // the text and one terminator, nothing after it
        EXPECT_EQ(std::wstring((const wchar_t*)unicode.data(), unicode.size() / 2), r.placed + std::wstring(1, L'\0'));
        std::string rtf = clipboard_block("Rich Text Format");
        EXPECT_EQ(rtf.substr(0, 6), "{\\rtf1");
        EXPECT_EQ(rtf.back(), '}');
        EXPECT_EQ(text(), r.left);
        EXPECT_EQ(clipboard_has_text(), 1);
    }
}

// The RTF a copy places keeps every letter, as a saved file does: the writer's own look-alikes
// (l for ł, O for Ω) never reach another program.
TEST_F(Editor, CopiedRtfKeepsLettersWindows1252Lacks) {
    SETTEXTEX set = {ST_DEFAULT, 1200};
    SendMessageA(editor, EM_SETTEXTEX, (WPARAM)&set, (LPARAM)L"ł Ω č ő → 😀 å");
    editor_select(editor, 0, LIMIT);
    editor_copy(editor);
    std::string rtf = clipboard_block("Rich Text Format");
    EXPECT_NE(rtf.find("\\u322? \\u937? \\u269? \\u337? \\u8594? \\u-10179?\\u-8704? \\'e5"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.back(), '}');
}

// Other programs read a copy's text up to its first NUL: a NUL of the document (a text file may
// hold one) goes as the replacement character, and comes back from the copy's RTF as itself.
TEST_F(Editor, CopiedNulCharactersKeepTheTextAfterThem) {
    const wchar_t letters[] = L"ab\0c\r\n\0d";
    std::string units((const char*)letters, sizeof letters - sizeof(wchar_t));
    rtf_memory source = {units.data(), units.size(), 0};
    EDITSTREAM in = {(DWORD_PTR)&source, 0, rtf_memory_read};
    SendMessageA(editor, EM_STREAMIN, SF_TEXT | SF_UNICODE, (LPARAM)&in);
    editor_select(editor, 0, 8);
    editor_copy(editor);
    std::string unicode = clipboard_block(nullptr, CF_UNICODETEXT);
    EXPECT_EQ(std::wstring((const wchar_t*)unicode.data(), unicode.size() / 2), std::wstring(L"ab\xfffd" L"c\r\n\xfffd" L"d", 8) + L'\0');
    std::string rtf = clipboard_block("Rich Text Format");
    EXPECT_EQ(rtf.find('\0'), std::string::npos);
    editor_paste(editor);
    std::string back;
    EDITSTREAM out = {(DWORD_PTR)&back, 0, append_to_string};
    SendMessageA(editor, EM_STREAMOUT, SF_TEXT | SF_UNICODE, (LPARAM)&out);
    EXPECT_EQ(back, units);
}

// Paragraphs copied from within a run of paragraphs laid out alike keep their layout where they
// are pasted, from a paragraph's start or from within it.
TEST_F(Editor, CopiedParagraphsKeepTheirLayoutFromWithinARunOfThemAlike) {
    // a line end counts two: the paragraphs start at 0, 5, 10 and 15
    for (LONG from : {5, 6}) {
        SCOPED_TRACE(from);
        editor_set_text(&editor, "ett\r\ntva\r\ntre\r\nfyra");
        PARAFORMAT2 laid = {};
        laid.cbSize = sizeof laid;
        laid.dwMask = PFM_ALIGNMENT | PFM_STARTINDENT;
        laid.wAlignment = PFA_CENTER;
        laid.dxStartIndent = 600;
        editor_select(editor, 0, 14);
        SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&laid);
        editor_select(editor, from, 15);
        editor_copy(editor);
        editor_select(editor, 15, 15);
        editor_paste(editor);
        for (LONG at : {15L, 25 - from}) {
            PARAFORMAT2 got = {};
            got.cbSize = sizeof got;
            editor_select(editor, at, at);
            SendMessageA(editor, EM_GETPARAFORMAT, 0, (LPARAM)&got);
            EXPECT_EQ(got.wAlignment, PFA_CENTER) << at;
            EXPECT_EQ(got.dxStartIndent, 600) << at;
        }
        EXPECT_EQ(text(), std::string("ett\r\ntva\r\ntre\r\n") + (from == 5 ? "tva\r\n" : "va\r\n") + "tre\r\nfyra");
    }
}

// The text is exactly 10 points, whatever a screen's pixels make of a 10-point font: 13 of
// them at 96 dots per inch, 17 at 120.
TEST_F(Editor, TextSizeIsExactWhateverTheFontsPixels) {
    for (int pixels : {13, 17}) {
        SCOPED_TRACE(pixels);
        HFONT font = CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        SendMessageA(editor, WM_SETFONT, (WPARAM)font, 0);
        editor_set_text_size(editor, 10);
        editor_set_text(&editor, "tio punkter");
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        SendMessageA(editor, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&format);
        EXPECT_EQ(format.yHeight, 200);
        editor_select(editor, 0, 3);
        SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        EXPECT_EQ(format.yHeight, 200);
        std::string path = temp_folder() + "tio.rtf";
        ASSERT_GT(document_save(editor, path.c_str()), 0);
        std::string rtf = file_read(path);
        size_t size = rtf.find("\\fs");
        ASSERT_NE(size, std::string::npos) << rtf;
        EXPECT_EQ(rtf.substr(size, 6), "\\fs20\\") << rtf;
        SendMessageA(editor, WM_SETFONT, 0, 0);
        DeleteObject(font);
    }
}

// Every way the control pastes.
void paste_by(HWND editor, const std::string& way) {
    if (way == "menu") editor_paste(editor);
    if (way == "ctrl+V") key_with(editor, VK_CONTROL, 'V');
    if (way == "special") SendMessageA(editor, EM_PASTESPECIAL, 0, 0);
    if (way == "special RTF") SendMessageA(editor, EM_PASTESPECIAL, RegisterClipboardFormatA("Rich Text Format"), 0);
    if (way == "shift+Insert") key_with(editor, VK_SHIFT, VK_INSERT);
    if (way == "special other") SendMessageA(editor, EM_PASTESPECIAL, RegisterClipboardFormatA("RTF As Text"), 0);
}

// Pasted RTF is read as a file is (the values it is brought to are tested with the files).
TEST_F(Editor, PastedRtfOfAnotherProgramIsMadeSoundOrPastedAsItsText) {
    const std::string beyond = "{\\rtf1 \\" + std::string(256, 'a') + " ord}";  // a control word too long
    const struct row {
        const char* way;
        std::string rtf, plain;
        const char* left;  // the text after the paste
    } rows[] = {
        {"menu", "{\\rtf1\\ansi\\pard\\li-1000\\tx-2000 ny\\tab rad\\par}", "ny rad", "any\trad\r\nb"},
        {"special RTF", "{\\rtf1\\ansi\\pard\\tx-1 ny\\tab rad\\par}", "", "any\trad\r\nb"},
        // a name longer than the reader's buffer is broken up before it
        {"menu", "{\\rtf1{\\fonttbl{\\f0 " + std::string(1100, 'F') + ";}}\\f0 fet}", "vanlig", "afetb"},
        // beyond the reader: the other program's plain text instead
        {"ctrl+V", beyond, "djup", "adjupb"},
        {"shift+Insert", beyond, "djup", "adjupb"},
        // any other format would reach the control unchecked: nothing
        {"special other", "{\\rtf1 x}", "x", "ab"},
        // a paragraph of more tabs than the control takes: nothing at all
        {"menu", "", std::string(5000, '\t'), "ab"},
        {"special", "{\\rtf1 " + std::string(5000, '\t') + "}", std::string(5000, '\t'), "ab"},
    };
    std::string folder = temp_folder();
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.way) + " " + r.rtf.substr(0, 40));
        editor_set_text(&editor, "ab");
        editor_select(editor, 1, 1);
        ASSERT_TRUE(clipboard_text_set(r.plain.c_str(), r.rtf));
        paste_by(editor, r.way);
        EXPECT_EQ(text(), r.left);
        std::string saved = editor_copied_and_saved(editor, folder + "inklistrat.rtf");
        EXPECT_EQ(clipboard_block("Rich Text Format").substr(0, 6), "{\\rtf1");
        EXPECT_NE(saved.find("b\\par"), std::string::npos);
        EXPECT_EQ(saved.find("\\tx-"), std::string::npos);
        editor_undo(editor);
        EXPECT_EQ(text(), "ab");
    }
}

TEST_F(Editor, OwnCopiedRtfPastesWithTheFormatsItWasCopiedWith) {
    editor_set_text(&editor, "fet kursiv\r\nrad två");
    set_effects(0, 3, CFM_BOLD | CFM_COLOR, CFE_BOLD, RGB(200, 0, 0));
    set_effects(4, 10, CFM_ITALIC, CFE_ITALIC);
    editor_set_indent_and_tabs(editor, 5, 3, 40);
    std::string copied, pasted;
    EDITSTREAM out = {(DWORD_PTR)&copied, 0, append_to_string};
    SendMessageA(editor, EM_STREAMOUT, SF_RTF, (LPARAM)&out);
    editor_select(editor, 0, editor_text_length(editor));
    editor_copy(editor);
    editor_paste(editor);
    out = {(DWORD_PTR)&pasted, 0, append_to_string};
    SendMessageA(editor, EM_STREAMOUT, SF_RTF, (LPARAM)&out);
    // the margin too: the control alone reads its own indent back as a first line over lines at the edge
    EXPECT_EQ(pasted, copied);
    EXPECT_NE(pasted.find("\\fi100"), std::string::npos);
}

TEST_F(Editor, FocusGoesToTheEditor) {
    SetForegroundWindow(parent);
    editor_focus(editor);
    EXPECT_EQ(GetFocus(), editor);
}

TEST_F(Editor, SymbolRunHasAGlyphForEachOfItsCodes) {
    // a, p and the degree sign in the Symbol face: alpha, pi and degree, not the missing-glyph box
    editor_set_text(&editor, "{\\rtf1{\\fonttbl{\\f0\\ftech\\fcharset2 Symbol;}}\\f0 ap\\'b0}");
    CHARFORMATA format = characters_of(0, 3);
    ASSERT_STREQ(format.szFaceName, "Symbol");
    ASSERT_EQ(format.bCharSet, SYMBOL_CHARSET);
    WCHAR held[4] = {};
    GETTEXTEX get = {sizeof held, GT_DEFAULT, 1200, nullptr, nullptr};
    ASSERT_EQ(SendMessageA(editor, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)held), 3);
    LOGFONTA face = {};
    face.lfHeight = -16;
    face.lfCharSet = format.bCharSet;
    lstrcpyA(face.lfFaceName, format.szFaceName);
    HDC dc = GetDC(editor);
    HGDIOBJ old = SelectObject(dc, CreateFontIndirectA(&face));
    WORD glyphs[3] = {};
    EXPECT_EQ(GetGlyphIndicesW(dc, held, 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 3u);
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(editor, dc);
    for (int i = 0; i < 3; ++i) EXPECT_NE(glyphs[i], 0xFFFF) << std::hex << held[i];
}

namespace {

// Paragraphs enough for the large-selection way, some centred or indented, with bold, italic and
// coloured words; the last paragraph is italic to its end.
// Lines of text; each paragraph holds rows of them, the rows after its first begun by a line break.
std::string paragraphs_rtf(int count, int rows) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}{\\colortbl;\\red200\\green0\\blue0;}"
                      "\\pard\\f0\\fs20 ";
    for (int i = 0; i < count; i++) {
        if (i % rows == 0) rtf += "\\pard";
        if (i % 11 == 0) rtf += "\\qc";
        if (i % 13 == 0) rtf += "\\li360";
        rtf += " Rad " + std::to_string(i) + (i % 7 == 0 ? " med {\\b fet}" : " med ord") +
               (i % 17 == 0 ? " {\\cf1\\f1 r\\'f6d}" : "") + (i % rows == rows - 1 ? " slut\\par\r\n" : " slut\\line\r\n");
    }
    return rtf + "\\pard\\qr Sista {\\i kursiv rad}}";
}

// A bare control, which replaces a selection its own way.
HWND bare_control(HWND parent) {
    HWND bare = CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL,
                                0, 0, 600, 400, parent, (HMENU)2, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bare, EM_EXLIMITTEXT, 0, LIMIT);
    SendMessageA(bare, EM_SETUNDOLIMIT, EDITOR_UNDO_LIMIT, 0);
    return bare;
}

}  // namespace

// A large selection is replaced in a new control; the document comes out exactly as the
// control's own replacement leaves it: text, formats, selection, and what is typed next.
TEST_F(Editor, LargeSelectionIsReplacedAsTheControlReplacesIt) {
    const std::string documents[] = {paragraphs_rtf(3000, 1), paragraphs_rtf(3000, 1500)};
    const struct {
        const char* name;
        int document;  // 1: paragraphs of 1,500 rows
        int first_line, first_column, last_line, last_column;  // line -1: to the end
        UINT message;
        WPARAM wparam;
        const char* pasted_text;
        const char* pasted_rtf;
    } cases[] = {
        {"all deleted", 0, 0, 0, -1, 0, WM_CLEAR, 0, nullptr, nullptr},
        {"inside paragraphs deleted", 0, 200, 6, 2800, 9, WM_CLEAR, 0, nullptr, nullptr},
        {"from a centred paragraph", 0, 198, 3, 2801, 4, WM_CLEAR, 0, nullptr, nullptr},
        {"letter typed", 0, 210, 3, 2950, 0, WM_CHAR, 'Q', nullptr, nullptr},
        {"whole lines, backspace", 0, 100, 0, 2900, 0, WM_KEYDOWN, VK_BACK, nullptr, nullptr},
        {"text pasted to the end", 0, 50, 4, -1, 0, WM_PASTE, 0, "ny\r\ntext", nullptr},
        {"rtf pasted", 0, 5, 2, 2990, 5, WM_PASTE, 0, "x", "{\\rtf1\\ansi {\\b fet}\\par\\qc ny}"},
        {"all pasted over", 0, 0, 0, -1, 0, WM_PASTE, 0, "helt\r\nnytt", nullptr},
        {"within a long paragraph", 1, 20, 4, 1480, 2, WM_CLEAR, 0, nullptr, nullptr},
        {"long paragraph, letter typed", 1, 1510, 0, 2998, 3, WM_CHAR, 'Q', nullptr, nullptr},
        {"across long paragraphs, backspace", 1, 500, 0, 2500, 0, WM_KEYDOWN, VK_BACK, nullptr, nullptr},
        {"long paragraphs, rtf pasted", 1, 1499, 5, 2950, 1, WM_PASTE, 0, "x", "{\\rtf1\\ansi {\\b fet}\\par\\qc ny}"},
        {"all of long paragraphs pasted over", 1, 0, 0, -1, 0, WM_PASTE, 0, "helt\r\nnytt", nullptr},
        {"a long paragraph whole, with its end", 1, 1500, 0, 3000, 0, WM_CHAR, 'Q', nullptr, nullptr},
        {"from a long paragraph's end", 1, 1499, 21, 2200, 0, WM_CLEAR, 0, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.pasted_text) ASSERT_TRUE(clipboard_text_set(c.pasted_text, c.pasted_rtf ? c.pasted_rtf : ""));
        HWND bare = bare_control(parent);
        for (HWND control : {editor, bare}) {
            ASSERT_GT(document_rtf_read(control, documents[c.document]), 0);
            LONG first = (LONG)SendMessageA(control, EM_LINEINDEX, c.first_line, 0) + c.first_column;
            LONG last = c.last_line < 0 ? -1 : (LONG)SendMessageA(control, EM_LINEINDEX, c.last_line, 0) + c.last_column;
            editor_select(control, first, last);
        }
        EXPECT_TRUE(large_selection_is(editor));
        
        SendMessageA(editor, c.message, c.wparam, 0);
        // the editor reads pasted RTF through the filter, as a file
        if (c.pasted_rtf) document_rtf_read(bare, c.pasted_rtf, SFF_SELECTION);
        else SendMessageA(bare, c.message, c.wparam, 0);
        HWND renewed = GetDlgItem(parent, 1);
        EXPECT_NE(renewed, editor) << "a new control took the old one's place";
        editor = renewed;
        EXPECT_EQ(text(), [&] {
            std::string s(editor_text_length(bare) + 1, '\0');
            GetWindowTextA(bare, &s[0], (int)s.size());
            return s.substr(0, s.size() - 1);
        }());
        EXPECT_EQ(document_rtf(editor), document_rtf(bare));
        CHARRANGE ours = selection(), theirs = {-1, -1};
        SendMessageA(bare, EM_EXGETSEL, 0, (LPARAM)&theirs);
        EXPECT_EQ(ours.cpMin, theirs.cpMin);
        EXPECT_EQ(ours.cpMax, theirs.cpMax);
        for (HWND control : {editor, bare}) SendMessageA(control, WM_CHAR, 'z', 0);
        EXPECT_EQ(document_rtf(editor), document_rtf(bare));
        DestroyWindow(bare);
    }
}
