// RTF files beyond what the control's reader can hold (deep groups, endless control words) are
// refused before the control reads them; everything within its reach still loads. A file at
// the path length limit is saved like any other.
#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "support/test_util.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"

namespace {

std::string editor_text(HWND editor) {
    std::string s(editor_text_length(editor) + 1, '\0');
    GetWindowTextA(editor, &s[0], (int)s.size());
    s.resize(lstrlenA(s.c_str()));
    return s;
}

std::string nested(int depth, const std::string& inside) {
    return "{\\rtf1 " + std::string(depth - 1, '{') + inside + std::string(depth - 1, '}') + "}";
}

class DocumentLimits : public testing::Test {
protected:
    void SetUp() override {
        parent = CreateWindowExA(0, "STATIC", "Gränser", WS_OVERLAPPEDWINDOW, 10, 10, 640, 480, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        editor = editor_create(parent, 0, 0, 0, 0, "VHSCROLL", 10000000);
        ASSERT_NE(editor, nullptr);
        folder = temp_folder();
        // an edited, unsaved document that a refused file must leave alone
        editor_set_text(editor, "Osparat");
        editor_set_modified(editor, "ON");
    }
    void TearDown() override { DestroyWindow(parent); }

    int load(const std::string& content) {
        std::string path = folder + "prov.rtf";
        file_write(path, content);
        return document_load(editor, path.c_str());
    }
    void expect_refused(const std::string& content) {
        EXPECT_EQ(load(content), DOCUMENT_NOTHING_MOVED);
        EXPECT_EQ(editor_text(editor), "Osparat");
        EXPECT_NE(SendMessageA(editor, EM_GETMODIFY, 0, 0), 0);
    }

    HWND parent = nullptr;
    HWND editor = nullptr;
    std::string folder;
};

}  // namespace

TEST_F(DocumentLimits, GroupsNestedDeeperThan32AreRefused) {
    expect_refused(nested(33, "djup"));
    expect_refused(nested(100000, "djup"));
    EXPECT_EQ(load(nested(32, "djup")), 4);
    EXPECT_EQ(editor_text(editor), "djup");
}

TEST_F(DocumentLimits, ControlWordsLongerThan255AreRefused) {
    expect_refused("{\\rtf1 \\" + std::string(256, 'a') + " text}");
    expect_refused("{\\rtf1 text\\fs" + std::string(5000, '9') + " mer}");
    expect_refused("{\\rtf1 text\\" + std::string(70000, 'b') + "-" + std::string(3000, '1') + " slut}");
    EXPECT_EQ(load("{\\rtf1 \\" + std::string(255, 'a') + " text}"), 4);
}

TEST_F(DocumentLimits, EscapedBracesAndBackslashesAreText) {
    std::string braces;
    for (int i = 0; i < 40; i++) braces += "\\{";
    EXPECT_EQ(load("{\\rtf1 " + braces + "\\\\" + std::string(300, 'x') + "}"), 40 + 1 + 300);
    EXPECT_EQ(editor_text(editor), std::string(40, '{') + "\\" + std::string(300, 'x'));
}

TEST_F(DocumentLimits, PlainTextIsNotScanned) {
    std::string path = folder + "prov.txt";
    file_write(path, std::string(100, '{') + "\\" + std::string(300, 'a'));
    EXPECT_EQ(document_load(editor, path.c_str()), 401);
}

TEST_F(DocumentLimits, TargetAtThePathLimitIsSavedAndNothingIsLeftBesideIt) {
    std::string deep = folder + std::string(259 - folder.size() - 9, 'm') + "\\";
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    std::string path = deep + "brev.txt";
    ASSERT_EQ(path.size(), 259u);
    ASSERT_TRUE(file_write(path, "gammal"));
    EXPECT_EQ(document_save(editor, path.c_str()), 7);
    EXPECT_EQ(file_read(path), "Osparat");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((deep + "*").c_str(), &found);
    int files = 0;
    do {
        files += found.cFileName[0] != '.';
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 1);
}
