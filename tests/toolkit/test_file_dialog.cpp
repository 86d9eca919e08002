// The real open and save dialogs answered by the dialog helper.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/dialog_helper.h"
#include "support/test_util.h"
#include "toolkit/dialogs/file_dialog.h"

namespace {

constexpr int FILE_NAME = 1148, FILE_TYPES = 0x470;
// The application's own list, as it hands it over.
const char APPLICATION_FILTER[] = "RTF Files (*.RTF)\0*.rtf\0Text Files (*.TXT)\0*.txt\0All Files (*.*)\0*.*\0";

class FileDialog : public testing::Test {
protected:
    HWND owner = nullptr;
    std::string folder;
    std::vector<std::string> types;  // the type box as the dialog showed it
    std::string name_field;          // the name field as the dialog started

    void SetUp() override {
        owner = CreateWindowExA(0, "STATIC", "Ägare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        folder = temp_folder();
        SetCurrentDirectoryA(folder.c_str());
        dialog_helper_start();
    }
    void TearDown() override {
        dialog_helper_stop();
        EXPECT_TRUE(dialog_helper_unexpected().empty());
        DestroyWindow(owner);
    }

    void read_dialog(HWND dialog) {
        types.clear();
        HWND box = GetDlgItem(dialog, FILE_TYPES);
        int count = (int)SendMessageA(box, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            char text[256] = {};
            SendMessageA(box, CB_GETLBTEXT, i, (LPARAM)text);
            types.push_back(text);
        }
        char name[MAX_PATH] = {};
        GetDlgItemTextA(dialog, FILE_NAME, name, sizeof name);
        name_field = name;
    }
    // Reads the dialog, then types the name and presses OK (or cancels when name is empty).
    void queue_answer(const std::string& name) {
        dialog_helper_queue([this, name](HWND dialog) {
            read_dialog(dialog);
            if (name.empty()) {
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            SetDlgItemTextA(dialog, FILE_NAME, name.c_str());
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
    }
    // Answers the box the file dialog puts up, then cancels the file dialog.
    void queue_box_answer_then_cancel(int button) {
        dialog_helper_queue([button](HWND box) {
            HWND dialog = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, button, 0);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    }
    std::string title() { return window_text(owner); }
};

}  // namespace

// In a process of its own, so that no test run before it has given the dialog a list.
TEST_F(FileDialog, OpenOffersNoListBeforeTheFirstOneChosen) {
    EXPECT_EXIT(
        {
            queue_answer("");
            int result = file_dialog_open(owner, "Öppna...", nullptr, "OTHER", nullptr);
            std::exit(result == 1 && dialog_helper_seen().size() == 1 && types.empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(FileDialog, OpenKeepsTheListOfThePreviousCallForOtherKeywords) {
    ASSERT_TRUE(file_write(folder + "brev.rtf", "{\\rtf1 x}"));
    queue_answer("");
    EXPECT_EQ(file_dialog_open(owner, "Öppna...", nullptr, "TXT_FILTER", nullptr), 1);
    EXPECT_EQ(types, (std::vector<std::string>{"Text filer (*.txt)", "Alla filer (*.*)"}));
    queue_answer("");
    EXPECT_EQ(file_dialog_open(owner, "Öppna...", nullptr, "txt_filter", nullptr), 1);
    EXPECT_EQ(types, (std::vector<std::string>{"Text filer (*.txt)", "Alla filer (*.*)"}));
    {
        char own[71];  // the caller's list lives only as long as this block
        memcpy(own, APPLICATION_FILTER, sizeof APPLICATION_FILTER);
        queue_answer(folder + "brev.rtf");
        EXPECT_EQ(file_dialog_open(owner, "Öppna...", nullptr, "OWN_FILTER", own), 0);
        memset(own, 'x', sizeof own);
    }
    EXPECT_EQ(types, (std::vector<std::string>{"RTF Files (*.RTF)", "Text Files (*.TXT)", "All Files (*.*)"}));
    queue_answer("");
    EXPECT_EQ(file_dialog_open(owner, "Öppna...", nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(types, (std::vector<std::string>{"RTF Files (*.RTF)", "Text Files (*.TXT)", "All Files (*.*)"}));
}

TEST_F(FileDialog, EveryToolkitListInOrder) {
    struct { const char* keyword; std::vector<std::string> types; } lists[] = {
        {"NONE_FILTER", {"Alla filer (*.*)"}},
        {"TXT_FILTER", {"Text filer (*.txt)", "Alla filer (*.*)"}},
        {"ALL_FILTER", {"Text filer (*.txt)", "Write-dokument (*.wri)", "RTF-dokument (*.rtf)", "Works filer (*.w*)",
                        "Works-dokument (*.wps)", "Works-kalkylblad (*.wks)", "Works-databas (*.wdb)",
                        "World 6.0/95-dokument (*.doc)", "World 97-dokument (*.doc)", "Exel-kalkylblad (*.xl*)",
                        "dBase-databas (*.dbf)", "Lotus 1-2-3 dokument(*.wk1)", "HTML-dokument (*.htm*)",
                        "Alla filer (*.*)"}},
        {"C_DEV_FILTER", {"Programkod (*.c,*.cpp,*.h)", "Resursfiler (*.rc,*.res,*.rh)", "Alla filer (*.*)"}},
    };
    for (const auto& list : lists) {
        queue_answer("");
        EXPECT_EQ(file_dialog_save(owner, "Spara som...", "PATH", list.keyword, nullptr), 1);
        EXPECT_EQ(types, list.types) << list.keyword;
        queue_answer("");
        EXPECT_EQ(file_dialog_open(owner, "Öppna...", "PATH", list.keyword, nullptr), 1);
        EXPECT_EQ(types, list.types) << list.keyword;
    }
    EXPECT_EQ(title(), "Ägare");  // cancelling changes no title
}

TEST_F(FileDialog, SaveSetsTitleAndStartsNextTimeFromTheChosenPath) {
    queue_answer(folder + "första.txt");
    EXPECT_EQ(file_dialog_save(owner, "Spara som...", "FILENAME", "TXT_FILTER", nullptr), 0);
    EXPECT_EQ(std::string(save_dialog_path), folder + "första.txt");
    EXPECT_STREQ(save_dialog_title, "första.txt");
    EXPECT_EQ(title(), "första.txt");
    EXPECT_EQ(name_field, "");
    queue_answer(folder + "andra.rtf");
    EXPECT_EQ(file_dialog_save(owner, "Spara som...", "PATH", nullptr, nullptr), 0);
    EXPECT_NE(name_field.find("första.txt"), std::string::npos);
    EXPECT_EQ(title(), folder + "andra.rtf");
    EXPECT_EQ(types, (std::vector<std::string>{"Text filer (*.txt)", "Alla filer (*.*)"}));
    queue_answer(folder + "tredje.txt");
    EXPECT_EQ(file_dialog_save(owner, "Spara som...", "path", nullptr, nullptr), 0);
    EXPECT_EQ(title(), folder + "andra.rtf");  // only the exact keywords set the title
    queue_answer("");
    EXPECT_EQ(file_dialog_save(owner, "Spara som...", "FILENAME", nullptr, nullptr), 1);
    EXPECT_EQ(title(), folder + "andra.rtf");
    EXPECT_EQ(std::string(save_dialog_path), folder + "tredje.txt");
    EXPECT_FALSE(file_exists(folder + "första.txt"));  // the dialog only names the file
}

TEST_F(FileDialog, SaveAsksBeforeOverwriting) {
    ASSERT_TRUE(file_write(folder + "finns.txt", "gammal"));
    queue_answer(folder + "finns.txt");
    queue_box_answer_then_cancel(IDNO);
    EXPECT_EQ(file_dialog_save(owner, "Spara som...", "PATH", "TXT_FILTER", nullptr), 1);
    ASSERT_EQ(dialog_helper_seen().size(), 2u);
    EXPECT_NE(dialog_helper_seen()[1].text.find("already exists"), std::string::npos) << dialog_helper_seen()[1].text;
    EXPECT_EQ(title(), "Ägare");
    queue_answer(folder + "finns.txt");
    dialog_helper_queue_button(IDYES);
    EXPECT_EQ(file_dialog_save(owner, "Spara som...", "PATH", "TXT_FILTER", nullptr), 0);
    EXPECT_EQ(title(), folder + "finns.txt");
    EXPECT_EQ(file_read(folder + "finns.txt"), "gammal");
}

// A name without extension gets the chosen type's; under "All Files" it stays as typed. The
// question before overwriting is about the name with its extension.
TEST_F(FileDialog, SaveAddsTheExtensionOfTheChosenType) {
    const struct { const char* typed; int type; const char* saved; } names[] = {
        {"brev", 0, "brev.rtf"}, {"lista", 1, "lista.txt"}, {"utan", 2, "utan"}, {"brev.txt", 0, "brev.txt"}};
    for (const auto& name : names) {
        dialog_helper_queue([&](HWND dialog) {
            HWND box = GetDlgItem(dialog, FILE_TYPES);
            SendMessageA(box, CB_SETCURSEL, name.type, 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(FILE_TYPES, CBN_SELENDOK), (LPARAM)box);
            SetDlgItemTextA(dialog, FILE_NAME, (folder + name.typed).c_str());
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(file_dialog_save(owner, "Spara som...", "PATH", "OWN_FILTER", APPLICATION_FILTER), 0);
        EXPECT_EQ(std::string(save_dialog_path), folder + name.saved) << name.typed;
        EXPECT_STREQ(save_dialog_title, name.saved);
    }
    ASSERT_TRUE(file_write(folder + "finns.rtf", "gammal"));
    queue_answer(folder + "finns");
    queue_box_answer_then_cancel(IDNO);
    EXPECT_EQ(file_dialog_save(owner, "Spara som...", "PATH", "OWN_FILTER", APPLICATION_FILTER), 1);
    ASSERT_EQ(dialog_helper_seen().size(), 6u);
    EXPECT_NE(dialog_helper_seen()[5].text.find("already exists"), std::string::npos);
}

TEST_F(FileDialog, OpenRefusesAMissingFileAndTakesSeveral) {
    queue_answer(folder + "saknas.txt");
    queue_box_answer_then_cancel(IDOK);
    EXPECT_EQ(file_dialog_open(owner, "Öppna...", "PATH", "NONE_FILTER", nullptr), 1);
    EXPECT_EQ(dialog_helper_seen().size(), 2u);
    EXPECT_EQ(title(), "Ägare");

    ASSERT_TRUE(file_write(folder + "ett.txt", "1"));
    ASSERT_TRUE(file_write(folder + "två.txt", "2"));
    dialog_helper_queue([this](HWND dialog) {
        SetDlgItemTextA(dialog, FILE_NAME, folder.c_str());  // into the folder first, then both names
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        SetDlgItemTextA(dialog, FILE_NAME, "\"ett.txt\" \"två.txt\"");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(file_dialog_open(owner, "Öppna...", nullptr, "NONE_FILTER", nullptr), 0);
    std::string folder_alone = folder.substr(0, folder.size() - 1);
    EXPECT_EQ(std::string(open_dialog_path), folder_alone);
    const char* names = open_dialog_path + strlen(open_dialog_path) + 1;
    EXPECT_STREQ(names, "ett.txt");
    EXPECT_STREQ(names + strlen(names) + 1, "två.txt");
}
