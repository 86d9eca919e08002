// Starting with a document named on the command line: the editor holds it, laid out with the
// starting margin and tab step, unmodified, named like an opened file, and the status bar counts
// it. A name not there yet starts an empty document of that name.
#include <gtest/gtest.h>
#include <richedit.h>

#include "support/app_fixture.h"
#include "support/dialog_helper.h"
#include "toolkit/dialogs/file_dialog.h"

namespace {

const char* const LINES = "Första raden\r\nandra\traden\r\nsista";

TEST(StartDocument, TheNamedDocumentIsReadAndLaidOutOnTheMargin) {
    std::string path = temp_folder() + "start.txt";
    ASSERT_TRUE(file_write(path, LINES));
    // quoted, as the shell hands a document over
    ASSERT_EQ(command_line_store(("\"" + path + "\"").c_str()), 0);
    ASSERT_NE(app_window(), nullptr);
    pump_messages(50);

    EXPECT_EQ(app_editor_text(), LINES);
    EXPECT_EQ(window_text(app_window()), path);
    EXPECT_STREQ(app_state.document_name, "start.txt");
    EXPECT_EQ(SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0), 0);
    EXPECT_EQ(SendMessageA(app_state.editor, EM_CANUNDO, 0, 0), 0);
    // the document's size, counted after it was read; the caret on line 1
    EXPECT_EQ(app_status_text(10), std::to_string(GetWindowTextLengthA(app_state.editor)));
    EXPECT_EQ(app_status_text(6), "1");
    EXPECT_EQ(app_status_text(2), "1");
    EXPECT_EQ(app_status_text(4), "30");

    // every paragraph, the last one included, on the 1-point margin with 30-point tab steps
    SendMessageA(app_state.editor, EM_SETSEL, GetWindowTextLengthA(app_state.editor), -1);
    PARAFORMAT format = {};
    format.cbSize = sizeof format;
    SendMessageA(app_state.editor, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    EXPECT_EQ(format.dxStartIndent, 20);
    EXPECT_EQ(format.dxOffset, 0);
    ASSERT_EQ(format.cTabCount, 20);
    EXPECT_EQ(format.rgxTabs[1] & 0x00FFFFFF, 31 * 20);

    // the editor fills the space between toolbar and status bar when the document is there
    RECT client, editor;
    GetClientRect(app_window(), &client);
    GetWindowRect(app_state.editor, &editor);
    EXPECT_EQ(editor.right - editor.left, client.right);
    EXPECT_EQ(editor.bottom - editor.top, client.bottom - 46);
}

TEST(StartDocument, AMissingNameIsANewDocumentMadeOnlyWhenSaved) {
    ASSERT_NE(app_window(), nullptr);
    SetWindowTextA(app_state.editor, "");
    std::string folder = temp_folder();
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    command_line_open("ny fil.txt");
    EXPECT_EQ(app_editor_text(), "");
    EXPECT_EQ(window_text(app_window()), folder + "ny fil.txt");
    EXPECT_STREQ(app_state.document_name, "ny fil.txt");
    EXPECT_EQ(std::string(save_dialog_path), folder + "ny fil.txt");
    EXPECT_FALSE(file_exists(folder + "ny fil.txt"));
    // a folder that is not there names nothing, and a file the reader refuses loads nothing: each
    // is said as Öppna says it
    std::string refused = folder + "tabbar.rtf";
    ASSERT_TRUE(file_write(refused, "{\\rtf1 " + std::string(20000, '\t') + "x}"));
    dialog_helper_start();
    for (const std::string& name : {folder + "saknas\\brev.txt", refused}) {
        dialog_helper_queue_button(IDOK);
        EXPECT_FALSE(command_line_open(name.c_str()));
    }
    dialog_helper_stop();
    ASSERT_EQ(dialog_helper_seen().size(), 2u);
    EXPECT_EQ(dialog_helper_seen()[0].caption, "FILFEL");
    EXPECT_EQ(dialog_helper_seen()[0].text, "Det gick ej att öppna filen för läsning!");
    EXPECT_EQ(dialog_helper_seen()[1].text, "Det gick ej att hämta in filen!");
    EXPECT_EQ(window_text(app_window()), folder + "ny fil.txt");
    EXPECT_FALSE(file_exists(folder + "saknas"));
}

// Named on the command line, an RTF document opens as Öppna opens it: with its own indents and
// tab stops, the program's margin and tab step left to new documents and plain text.
TEST(StartDocument, AnRtfDocumentKeepsItsOwnIndentsAndTabStops) {
    ASSERT_NE(app_window(), nullptr);
    std::string path = temp_folder() + "egen.rtf";
    ASSERT_TRUE(file_write(path, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\li720\\tx1440\\tx2880 ett\\tab tv\\'e5\\par"
                                 "\\pard\\qc mitten\\par}"));
    ASSERT_TRUE(command_line_open(path.c_str()));
    EXPECT_EQ(app_editor_text(), "ett\ttvå\r\nmitten");
    PARAFORMAT first = {}, second = {};
    first.cbSize = second.cbSize = sizeof(PARAFORMAT);
    SendMessageA(app_state.editor, EM_SETSEL, 0, 0);
    SendMessageA(app_state.editor, EM_GETPARAFORMAT, 0, (LPARAM)&first);
    SendMessageA(app_state.editor, EM_SETSEL, 10, 10);
    SendMessageA(app_state.editor, EM_GETPARAFORMAT, 0, (LPARAM)&second);
    EXPECT_EQ(first.dxStartIndent, 720);
    ASSERT_EQ(first.cTabCount, 2);
    EXPECT_EQ(first.rgxTabs[1] & 0x00FFFFFF, 2880);
    EXPECT_EQ(second.dxStartIndent, 0);
    EXPECT_EQ(second.wAlignment, PFA_CENTER);
    EXPECT_EQ(second.cTabCount, 0);
}

}  // namespace
