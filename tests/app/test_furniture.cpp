// The main window as the program builds it: menu bar, toolbar, status bar, editor, and how
// they are kept current. Read back from the platform.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "support/app_fixture.h"
#include "toolkit/dialogs/message.h"
#include "toolkit/dialogs/user_settings.h"
#include "toolkit/richedit/editor.h"

namespace {

struct menu_line {
    std::string caption;  // empty: separator
    UINT id;
};

std::vector<menu_line> menu_lines(HMENU menu) {
    std::vector<menu_line> lines;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        bool separator = GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR;
        lines.push_back({separator ? "" : text, GetMenuItemID(menu, i)});
    }
    return lines;
}

PARAFORMAT caret_paragraph() {
    PARAFORMAT format = {};
    format.cbSize = sizeof format;
    SendMessageA(app_state.editor, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    return format;
}

bool greyed(int id) { return GetMenuState(app_state.menu_bar, id, MF_BYCOMMAND) & MF_GRAYED; }

std::string part_text(int part) {
    char text[128] = {};
    SendMessageA(app_state.status_bar, SB_GETTEXTA, part - 1, (LPARAM)text);
    return text;
}

void clipboard_set(const char* text) {
    OpenClipboard(nullptr);
    EmptyClipboard();
    if (text) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, lstrlenA(text) + 1);
        lstrcpyA((char*)GlobalLock(memory), text);
        GlobalUnlock(memory);
        SetClipboardData(CF_TEXT, memory);
    }
    CloseClipboard();
}

// The commands (zero high word) that reach the main window while a test holds them back instead
// of running them; the editor's notifications go their usual way.
std::vector<WPARAM> commands_seen;
WNDPROC main_procedure = nullptr;
LRESULT CALLBACK command_recorder(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_COMMAND || HIWORD(wparam) != 0) return CallWindowProcA(main_procedure, window, message, wparam, lparam);
    commands_seen.push_back(wparam);
    return 0;
}

void expect_menu(HMENU menu, const std::vector<menu_line>& expected) {
    std::vector<menu_line> got = menu_lines(menu);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].caption, expected[i].caption);
        if (!expected[i].caption.empty()) {
            EXPECT_EQ(got[i].id, expected[i].id);
        }
    }
}

}  // namespace

// First in the file, so it sees the editor as creation left it.
TEST(Editor, FontMarginAndTabsAfterCreation) {
    app_window();
    EXPECT_EQ(app_state.margin, 1);
    EXPECT_EQ(app_state.tab_step, 30);
    EXPECT_STREQ(app_state.margin_text, "1");
    EXPECT_STREQ(app_state.tab_step_text, "30");
    LOGFONTA lf = {};
    ASSERT_NE(GetObjectA(app_state.editor_font, sizeof lf, &lf), 0);
    EXPECT_STREQ(lf.lfFaceName, "ARIAL");
    EXPECT_EQ(lf.lfWeight, 100);
    CHARFORMATA cf = {};
    cf.cbSize = sizeof cf;
    SendMessageA(app_state.editor, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf);
    EXPECT_STREQ(cf.szFaceName, "ARIAL");
    EXPECT_EQ(cf.yHeight, 200);  // exactly 10 points, whatever the screen's pixels make of them
    EXPECT_EQ(SendMessageA(app_state.editor, EM_GETLIMITTEXT, 0, 0), 10000000);
    EXPECT_EQ(SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0), 0);
    PARAFORMAT pf = {};
    pf.cbSize = sizeof pf;
    SendMessageA(app_state.editor, EM_GETPARAFORMAT, 0, (LPARAM)&pf);
    EXPECT_EQ(pf.dxStartIndent, 20);
    EXPECT_EQ(pf.cTabCount, 20);
    EXPECT_EQ(pf.rgxTabs[0] & 0xFFFFFF, 20);
    EXPECT_EQ(pf.rgxTabs[19] & 0xFFFFFF, 20 + 19 * 600);
}

TEST(MenuBar, PopupsAndItemsByteForByte) {
    app_window();
    ASSERT_EQ(GetMenu(app_window()), app_state.menu_bar);
    ASSERT_EQ(GetMenuItemCount(app_state.menu_bar), 6);
    const char* popup_captions[] = {"&Arkiv", "Redigera", "&Sök", "&Inställningar", "&Format", "&Om"};
    HMENU fields[] = {app_state.file_menu, app_state.edit_menu, app_state.search_menu, app_state.settings_menu,
                      app_state.format_menu, app_state.about_menu};
    for (int i = 0; i < 6; ++i) {
        char text[64] = {};
        GetMenuStringA(app_state.menu_bar, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, popup_captions[i]);
        EXPECT_EQ(GetSubMenu(app_state.menu_bar, i), fields[i]);
    }
    expect_menu(app_state.file_menu, {{"&Nytt", 101}, {"&Öppna...", 102}, {"&Spara", 103}, {"Sp&ara som...", 113},
                                      {"", 0}, {"Sk&riv ut", 104}, {"S&kriv ut...", 116}, {"&Utskriftsformat...", 117},
                                      {"&Förhandsgranska", 118}, {"", 0}, {"&Avsluta ", 105}});
    expect_menu(app_state.edit_menu, {{"&Ångra", 201}, {"&Gör om", 207}, {"", 0}, {"&Klipp ut", 202}, {"K&opiera", 203},
                                      {"Kl&istra in", 204}, {"&Radera", 205}, {"", 0}, {"&Markera allt", 206}});
    expect_menu(app_state.search_menu, {{"Sök markerat UPP ", 501}, {"Sök markerat NER ", 502}, {"", 0},
                                        {"Sök dialog...", 503}, {"&Ersätt...", 504}});
    expect_menu(app_state.settings_menu, {{"&Välj typsnitt...", 701}, {"Väl&j bakgrundsfärg...", 702},
                                          {"Välj marginal...", 703}, {"Välj tabulatorsteg...", 704},
                                          {"&Radbrytning", (UINT)-1}});
    expect_menu(GetSubMenu(app_state.settings_menu, 4), {{"Ingen", 710}, {"Efter fönstret", 711}, {"Efter sidan", 712}});
    expect_menu(app_state.format_menu, {{"&Vänsterjustera", 801}, {"&Centrera", 802}, {"&Högerjustera", 803}, {"", 0},
                                        {"&Punktlista", 804}, {"", 0}, {"&Fet", 805}, {"&Kursiv", 806},
                                        {"&Understruken", 807}, {"", 0}, {"&Stycke...", 808}});
    expect_menu(app_state.about_menu, {{"Om&", 601}});
}

TEST(MenuBar, EditItemsFollowTheEditorState) {
    app_reset();
    clipboard_set(nullptr);
    SendMessageA(app_window(), WM_INITMENU, (WPARAM)app_state.menu_bar, 0);
    EXPECT_TRUE(greyed(201));
    EXPECT_TRUE(greyed(202));
    EXPECT_TRUE(greyed(203));
    EXPECT_TRUE(greyed(204));
    EXPECT_FALSE(greyed(205));
    EXPECT_FALSE(greyed(206));
    // the Paste item is rewritten with its other mnemonic
    expect_menu(app_state.edit_menu, {{"&Ångra", 201}, {"&Gör om", 207}, {"", 0}, {"&Klipp ut", 202}, {"K&opiera", 203},
                                      {"K&listra in", 204}, {"&Radera", 205}, {"", 0}, {"&Markera allt", 206}});

    SendMessageA(app_state.editor, EM_REPLACESEL, TRUE, (LPARAM)"ord");
    SendMessageA(app_state.editor, EM_SETSEL, 0, 3);
    clipboard_set("urklipp");
    SendMessageA(app_window(), WM_INITMENU, (WPARAM)app_state.menu_bar, 0);
    EXPECT_FALSE(greyed(201));
    EXPECT_FALSE(greyed(202));
    EXPECT_FALSE(greyed(203));
    EXPECT_FALSE(greyed(204));
}

TEST(Toolbar, FourteenButtonsAndNineSeparatorsInOrder) {
    app_window();
    ASSERT_EQ(SendMessageA(app_state.toolbar, TB_BUTTONCOUNT, 0, 0), 23);
    // 0 stands for a separator
    const int expected[] = {0, 101, 102, 103, 104, 0, 0, 201, 202, 203, 204, 0, 0, 501, 502, 503, 0, 0, 701, 702,
                            0, 0, 601};
    int image = 0;
    for (int i = 0; i < 23; ++i) {
        SCOPED_TRACE(i);
        TBBUTTON b = {};
        ASSERT_TRUE(SendMessageA(app_state.toolbar, TB_GETBUTTON, i, (LPARAM)&b));
        if (expected[i] == 0) {
            EXPECT_EQ(b.fsStyle & TBSTYLE_SEP, TBSTYLE_SEP);
        } else {
            EXPECT_EQ(b.idCommand, expected[i]);
            EXPECT_EQ(b.fsStyle, TBSTYLE_BUTTON);
            EXPECT_EQ(b.fsState & TBSTATE_ENABLED, TBSTATE_ENABLED);
            EXPECT_EQ(b.iBitmap, image++);
        }
    }
    EXPECT_TRUE(GetWindowLongA(app_state.toolbar, GWL_STYLE) & TBSTYLE_FLAT);
}

TEST(Toolbar, TooltipTextsComeFromTheCommandTable) {
    app_window();
    TOOLTIPTEXTA tip = {};
    tip.hdr.hwndFrom = app_state.toolbar;
    tip.hdr.idFrom = 503;
    tip.hdr.code = TTN_NEEDTEXTA;
    SendMessageA(app_window(), WM_NOTIFY, 0, (LPARAM)&tip);
    ASSERT_NE(tip.lpszText, nullptr);
    EXPECT_STREQ(tip.lpszText, "Sök text genom dialogruta.");
    tip.hdr.idFrom = 101;
    SendMessageA(app_window(), WM_NOTIFY, 0, (LPARAM)&tip);
    EXPECT_STREQ(tip.lpszText, "Nytt dokument öppnas, om det\nfinns något innan raderas det.");
    tip.lpszText = nullptr;
    tip.hdr.idFrom = 113;  // Save As has no button
    SendMessageA(app_window(), WM_NOTIFY, 0, (LPARAM)&tip);
    EXPECT_EQ(tip.lpszText, nullptr);
}

TEST(Layout, EditorToolbarAndStatusBarFillTheClientArea) {
    app_window();
    RECT client;
    GetClientRect(app_window(), &client);
    RECT e;
    GetWindowRect(app_state.editor, &e);
    MapWindowPoints(nullptr, app_window(), (POINT*)&e, 2);
    EXPECT_EQ(e.left, 0);
    EXPECT_EQ(e.top, 25);
    EXPECT_EQ(e.right - e.left, client.right);
    EXPECT_EQ(e.bottom - e.top, client.bottom - 46);
    RECT t;
    GetWindowRect(app_state.toolbar, &t);
    EXPECT_EQ(t.bottom - t.top, 23);
    EXPECT_EQ(t.right - t.left, client.right);
    // the main window: 600 plus two captions plus the menu bar, at 150, 10, 700 wide
    RECT w;
    GetWindowRect(app_window(), &w);
    EXPECT_EQ(w.left, 150);
    EXPECT_EQ(w.top, 10);
    EXPECT_EQ(w.right - w.left, 700);
    EXPECT_EQ(w.bottom - w.top, 600 + 2 * GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU));
    EXPECT_TRUE(GetWindowLongA(app_window(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(window_text(app_window()), "Brevduva daraduder");
}

TEST(StatusBar, TenPartsAfterSizeAndNumbersAfterRefresh) {
    app_reset();
    document_settings_apply();  // the margin and tab step the program gives a document
    SendMessageA(app_window(), WM_SIZE, 0, 0);
    int edges[20] = {};
    ASSERT_EQ(SendMessageA(app_state.status_bar, SB_GETPARTS, 20, (LPARAM)edges), 20);
    const int expected[] = {60, 85, 145, 170, 243, 273, 347, 392, 493, 538};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(edges[i], expected[i]) << i;
    EXPECT_EQ(part_text(1), "     Marginal");
    EXPECT_EQ(part_text(2), "1");
    EXPECT_EQ(part_text(3), "     Tabsteg");
    EXPECT_EQ(part_text(4), "30");
    EXPECT_EQ(part_text(5), "     Markör rad");
    EXPECT_EQ(part_text(7), "     Markör pos");
    EXPECT_EQ(part_text(9), "     Dokumentstorlek");
    EXPECT_EQ(part_text(10), "0");

    SetWindowTextA(app_state.editor, "0123456789");
    SendMessageA(app_state.editor, EM_SETSEL, 10, 10);
    SendMessageA(app_window(), WM_COMMAND, 901, 0);
    EXPECT_EQ(part_text(6), "1");
    EXPECT_EQ(part_text(8), "10");
    EXPECT_EQ(part_text(10), "10");
    EXPECT_EQ(app_state.status_number, 10);
    EXPECT_STREQ(app_state.number_text, "10");
}

TEST(StatusBar, ThirdLineCaretPosition) {
    app_reset();
    SetWindowTextA(app_state.editor, "ab\r\ncd\r\nefgh");
    SendMessageA(app_state.editor, EM_SETSEL, 8, 8);
    SendMessageA(app_window(), WM_COMMAND, 901, 0);
    EXPECT_EQ(part_text(6), "3");
}

TEST(Notify, RightClickPostsMenuUpdateThenContextMenu) {
    app_reset();
    MSGFILTER filter = {};
    filter.nmhdr.hwndFrom = app_state.editor;
    filter.nmhdr.idFrom = 1;
    filter.nmhdr.code = EN_MSGFILTER;
    filter.msg = WM_RBUTTONDOWN;
    SendMessageA(app_window(), WM_NOTIFY, 1, (LPARAM)&filter);
    EXPECT_EQ(app_state.last_editor_event, WM_RBUTTONDOWN);
    MSG first, second;
    ASSERT_TRUE(PeekMessageA(&first, app_window(), 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&second, app_window(), 0, 0, PM_REMOVE));
    EXPECT_EQ(first.message, (UINT)WM_INITMENU);
    EXPECT_EQ(first.wParam, (WPARAM)app_state.menu_bar);
    EXPECT_EQ(second.message, (UINT)WM_COMMAND);
    EXPECT_EQ(second.wParam, (WPARAM)200);
}

TEST(Notify, ClickKeyAndCharacterPostRefreshOthersNothing) {
    app_reset();
    MSGFILTER filter = {};
    filter.nmhdr.hwndFrom = app_state.editor;
    filter.nmhdr.code = EN_MSGFILTER;
    for (UINT input : {WM_LBUTTONDOWN, WM_KEYDOWN, WM_CHAR}) {
        filter.msg = input;
        SendMessageA(app_window(), WM_NOTIFY, 1, (LPARAM)&filter);
        MSG posted;
        ASSERT_TRUE(PeekMessageA(&posted, app_window(), 0, 0, PM_REMOVE)) << input;
        EXPECT_EQ(posted.message, (UINT)WM_COMMAND);
        EXPECT_EQ(posted.wParam, (WPARAM)901);
    }
    for (UINT input : {WM_KEYUP, WM_MOUSEMOVE, WM_LBUTTONUP}) {
        filter.msg = input;
        SendMessageA(app_window(), WM_NOTIFY, 1, (LPARAM)&filter);
        MSG posted;
        EXPECT_FALSE(PeekMessageA(&posted, app_window(), 0, 0, PM_REMOVE)) << input;
    }
}

TEST(Focus, MainWindowHandsFocusToEditor) {
    app_window();
    SetFocus(app_window());
    EXPECT_EQ(GetFocus(), app_state.editor);
}


TEST(Shortcuts, KeysSendTheMenusCommandsOnlyWhileTheProgramIsFree) {
    app_reset();
    main_procedure = (WNDPROC)SetWindowLongPtrA(app_window(), GWLP_WNDPROC, (LONG_PTR)command_recorder);
    struct key_row {
        UINT key;
        BYTE modifiers;
        WPARAM command;  // 0: no shortcut, the key goes on to the editor
    } rows[] = {
        {'N', FCONTROL, 101}, {'O', FCONTROL, 102}, {'S', FCONTROL, 103}, {'P', FCONTROL, 116},
        {'F', FCONTROL, 503}, {VK_F3, 0, 502},      {VK_F3, FSHIFT, 501},
        {'H', FCONTROL, 504}, {'Y', FCONTROL, 207}, {'L', FCONTROL, 801}, {'E', FCONTROL, 802},
        {'R', FCONTROL, 803}, {'B', FCONTROL, 805}, {'I', FCONTROL, 806}, {'U', FCONTROL, 807},
        // the control's own keys, a letter alone, with AltGr, and F3 with ctrl
        {'A', FCONTROL, 0},   {'C', FCONTROL, 0},   {'X', FCONTROL, 0},   {'V', FCONTROL, 0},
        {'Z', FCONTROL, 0},   {'S', 0, 0},          {'S', FCONTROL | FALT, 0}, {VK_F3, FCONTROL, 0},
    };
    for (const key_row& row : rows) {
        SCOPED_TRACE(row.key);
        commands_seen.clear();
        EXPECT_EQ(shortcut_run(app_key_press(app_state.editor, row.key, row.modifiers)), row.command != 0);
        EXPECT_EQ(commands_seen, row.command ? std::vector<WPARAM>{row.command} : std::vector<WPARAM>{});
    }

    // while a modal box is up, and for a window outside the main window, nothing runs
    static bool taken_in_box = true;
    dialog_helper_start();
    dialog_helper_queue([](HWND box) {
        taken_in_box = shortcut_run(app_key_press(app_state.editor, 'S', FCONTROL));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    command_about();
    dialog_helper_stop();
    EXPECT_FALSE(taken_in_box);
    HWND other = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(shortcut_run(app_key_press(other, 'S', FCONTROL)));
    DestroyWindow(other);
    EXPECT_TRUE(commands_seen.empty());

    app_key_press(app_state.editor, 0, 0);
    SetWindowLongPtrA(app_window(), GWLP_WNDPROC, (LONG_PTR)main_procedure);
}

// Margin and tab step as the caret's paragraph has them, after each command that changes the
// document; every number drawn whole, also after maximising.
TEST(StatusBar, ShowsTheValuesInForceAfterUndoNewOpenAndMaximising) {
    app_reset();
    dialog_helper_start();
    SetWindowTextA(app_state.editor, "ett\ttvå");
    for (const char* margin : {"4", "12"}) {
        static const char* typed = nullptr;
        typed = margin;
        dialog_helper_queue([](HWND dialog) {
            SetWindowTextA(GetDlgItem(dialog, 1), typed);
            PostMessageA(dialog, WM_COMMAND, 801, 0);
        });
        app_command(CMD_MARGIN);
    }
    EXPECT_EQ(part_text(2), "12");
    EXPECT_EQ(part_text(4), "30");

    // undone in one step, the paragraph is back on the margin and tab stops it had before
    app_command(CMD_UNDO);
    EXPECT_EQ(caret_paragraph().dxStartIndent, 4 * 20);
    EXPECT_EQ(part_text(2), "4");
    EXPECT_EQ(part_text(4), "30");

    // a new document is set as the program is
    SendMessageA(app_state.editor, EM_SETMODIFY, 0, 0);
    app_command(CMD_NEW);
    pump_messages(50);
    EXPECT_EQ(caret_paragraph().dxStartIndent, 12 * 20);
    EXPECT_EQ(part_text(2), "12");
    EXPECT_EQ(part_text(4), "30");
    EXPECT_EQ(GetFocus(), app_state.editor);

    // emptied however, the document stays on the program's margin and tab step, and its
    // deletion can still be undone
    for (bool undone : {false, true}) {
        SCOPED_TRACE(undone ? "undone back to nothing" : "all deleted");
        SendMessageA(app_state.editor, EM_REPLACESEL, TRUE, (LPARAM)"ett\r\ntvå");
        if (undone) {
            app_command(CMD_UNDO);
        } else {
            editor_select_all(app_state.editor);
            SendMessageA(app_state.editor, WM_CLEAR, 0, 0);
        }
        pump_messages(50);
        EXPECT_EQ(editor_text_length(app_state.editor), 0);
        EXPECT_EQ(caret_paragraph().dxStartIndent, 12 * 20);
        EXPECT_EQ(caret_paragraph().cTabCount, 20);
        EXPECT_EQ(part_text(2), "12");
        EXPECT_EQ(part_text(4), "30");
        if (!undone) {
            app_command(CMD_UNDO);
            EXPECT_EQ(app_editor_text(), "ett\r\ntvå");
            editor_select_all(app_state.editor);
            SendMessageA(app_state.editor, WM_CLEAR, 0, 0);
            editor_clear_undo(app_state.editor);
        }
    }
    SendMessageA(app_state.editor, EM_SETMODIFY, 0, 0);

    // an opened RTF keeps its own: indent half an inch, tab stops an inch apart
    std::string path = temp_folder() + "indrag.rtf";
    ASSERT_TRUE(file_write(path, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\li720\\tx1440\\tx2880 x\\tab y\\par}"));
    dialog_helper_queue_text_ok(1148, path);
    app_command(CMD_OPEN);
    pump_messages(50);
    EXPECT_EQ(part_text(2), "36");
    EXPECT_EQ(part_text(4), "72");

    // maximised, every value is drawn at once
    ShowWindow(app_window(), SW_MAXIMIZE);
    pump_messages(100);
    for (int part : {2, 4, 6, 8, 10}) EXPECT_GT(statusbar_part_ink(app_state.status_bar, part).count, 0) << part;
    ShowWindow(app_window(), SW_RESTORE);

    // a four-digit line number widens its part instead of being cut
    SetWindowTextA(app_state.editor, std::string(1000, '\n').c_str());
    editor_select(app_state.editor, 1000, 1000);
    SendMessageA(app_window(), WM_COMMAND, CMD_STATUS_REFRESH, 0);
    EXPECT_EQ(part_text(6), "1001");
    for (int part : {2, 4, 6, 8, 10}) EXPECT_GE(statusbar_part_ink(app_state.status_bar, part).room_right, 2) << part;
    SetWindowTextA(app_state.editor, "");
    app_state.margin = 1;
    lstrcpyA(app_state.margin_text, "1");
    dialog_helper_stop();
    EXPECT_TRUE(dialog_helper_unexpected().empty());
}

// Values in the registry are only candidates: a window off every screen, a margin of -5, a
// name of 100 KB, a colour and a tab step out of range change nothing of the first start.
TEST(KeptSettings, HostileValuesAreIgnoredAndSoundOnesComeBack) {
    app_reset();
    RECT frame_before;
    GetWindowRect(app_window(), &frame_before);
    settings_write_int("WindowLeft", -30000);
    settings_write_int("WindowTop", 40000);
    settings_write_int("WindowWidth", 700);
    settings_write_int("WindowHeight", 600);
    settings_write_int("WindowMaximized", 1);
    settings_write_int("Margin", -5);
    settings_write_int("TabStep", 0);
    settings_write_int("Background", (int)0x7F000000);
    settings_write_text("Recent1", std::string(100000, 'a').c_str());
    settings_write_text("Recent2", "C:\\brev\n.rtf");
    settings_write_text("Recent3", "relative.rtf");
    settings_write_bytes("Recent4", "C:\\x", 4);  // no string value
    settings_load();
    window_place_restore(app_window());
    RECT frame_after;
    GetWindowRect(app_window(), &frame_after);
    EXPECT_TRUE(EqualRect(&frame_before, &frame_after));
    EXPECT_FALSE(IsZoomed(app_window()));
    EXPECT_EQ(app_state.margin, 1);
    EXPECT_STREQ(app_state.margin_text, "1");
    EXPECT_EQ(app_state.tab_step, 30);
    EXPECT_EQ(app_state.background_colour, 0x00FFFFFFu);
    EXPECT_EQ(GetMenuItemCount(app_state.file_menu), 11);
    for (auto& name : app_state.recent_files) EXPECT_STREQ(name, "");

    // sound values come back: the name in Arkiv above Exit, the margin in force
    settings_write_int("Margin", 12);
    settings_write_text("Recent1", "C:\\brev & svar.rtf");
    settings_load();
    EXPECT_EQ(app_state.margin, 12);
    char caption[64] = {};
    GetMenuStringA(app_state.file_menu, 10, caption, sizeof caption, MF_BYPOSITION);
    EXPECT_STREQ(caption, "&1 brev && svar.rtf");
    EXPECT_EQ(GetMenuItemID(app_state.file_menu, 11), (UINT)CMD_EXIT);
    settings_clear();
    app_state.recent_files[0][0] = '\0';
    recent_menu_refresh();
    app_state.margin = 1;
    text_copy_limited(app_state.margin_text, "1", 0);
}
