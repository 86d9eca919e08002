// New, Open, Save, Save As, Exit, closing and dropped files on the real main window, with every
// dialog answered by the dialog helper and every message checked byte for byte.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "support/app_fixture.h"
#include "app/commands.h"
#include "toolkit/dialogs/file_dialog.h"
#include "toolkit/richedit/search.h"
#include "toolkit/windows/window.h"

namespace {

constexpr int FILE_NAME_FIELD = 1148;

void type_text(const char* text) {
    SendMessageA(app_state.editor, EM_REPLACESEL, TRUE, (LPARAM)text);
    SendMessageA(app_state.editor, EM_SETMODIFY, 1, 0);
}

// Makes the next file dialog choose this path (and say yes if it asks about overwriting).
void answer_file_dialog(const std::string& path) {
    dialog_helper_queue_text_ok(FILE_NAME_FIELD, path);
}

void expect_boxes(const std::vector<seen_dialog>& expected) {
    const std::vector<seen_dialog>& seen = dialog_helper_seen();
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].caption, expected[i].caption) << i;
        if (!expected[i].text.empty()) {
            EXPECT_EQ(seen[i].text, expected[i].text) << i;
        }
    }
    EXPECT_TRUE(dialog_helper_unexpected().empty());
}

HGLOBAL drop_block(const std::vector<std::string>& files) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& f : files) size += f.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = (DROPFILES*)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* p = (char*)(drop + 1);
    for (const std::string& f : files) {
        lstrcpyA(p, f.c_str());
        p += f.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

void drop_files(const std::vector<std::string>& files) {
    SendMessageA(app_state.editor, WM_DROPFILES, (WPARAM)drop_block(files), 0);
}

// A file held open without sharing, as another program would.
HANDLE lock_file(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

const char* const FILFEL = "FILFEL";

class DocumentCommands : public testing::Test {
protected:
    void SetUp() override {
        app_reset();
        dialog_helper_start();
        folder = temp_folder();
    }
    void TearDown() override { dialog_helper_stop(); }
    std::string folder;
};

}  // namespace

TEST_F(DocumentCommands, SaveAsWritesRtfAndSetsTitleAndName) {
    type_text("Hej på dig, Åsa!");
    std::string path = folder + "brev.rtf";
    answer_file_dialog(path);
    app_command(CMD_SAVE_AS);
    expect_boxes({{"Spara som...", ""}});
    EXPECT_EQ(file_read(path).rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(window_text(app_window()), path);
    EXPECT_STREQ(app_state.document_name, "brev.rtf");
    EXPECT_EQ(SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0), 0);

    // Save after Save As writes silently to the same file, as plain text only when named so
    type_text(" Mer.");
    app_command(CMD_SAVE);
    EXPECT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_NE(file_read(path).find("Mer."), std::string::npos);
}

TEST_F(DocumentCommands, FirstSaveAsksWithTextFilterThenWritesSilently) {
    save_dialog_title[0] = '\0';
    type_text("rad ett");
    std::string path = folder + "första.txt";
    answer_file_dialog(path);
    app_command(CMD_SAVE);
    expect_boxes({{"Spara som...", ""}});
    EXPECT_EQ(file_read(path), "rad ett");
    EXPECT_STREQ(app_state.document_name, "första.txt");
    type_text(" och två");
    app_command(CMD_SAVE);
    EXPECT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_EQ(file_read(path), "rad ett och två");
}

TEST_F(DocumentCommands, SavingEmptyPlainTextSaysNothingWasSavedButNamesIt) {
    std::string path = folder + "tom.txt";
    answer_file_dialog(path);
    dialog_helper_queue_button(IDOK);
    app_command(CMD_SAVE_AS);
    expect_boxes({{"Spara som...", ""}, {FILFEL, "Det gick ej att spara filen!"}});
    EXPECT_TRUE(file_exists(path));
    EXPECT_EQ(file_read(path), "");
    EXPECT_STREQ(app_state.document_name, "tom.txt");
}

// A Save As that fails leaves the title, the document's name and the next Save's file as they were.
TEST_F(DocumentCommands, SaveToReadOnlyFileShowsThreeLinesAndKeepsTheName) {
    std::string earlier = folder + "förra.txt";
    answer_file_dialog(earlier);
    type_text("nytt");
    app_command(CMD_SAVE_AS);
    dialog_helper_clear();
    type_text(" mer");
    std::string path = folder + "skyddad.txt";
    ASSERT_TRUE(file_write(path, "gammalt"));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    answer_file_dialog(path);
    dialog_helper_queue_button(IDYES);  // the dialog asks before overwriting
    dialog_helper_queue_button(IDOK);
    app_command(CMD_SAVE_AS);
    ASSERT_EQ(dialog_helper_seen().size(), 3u);
    EXPECT_EQ(dialog_helper_seen()[2].caption, FILFEL);
    EXPECT_EQ(dialog_helper_seen()[2].text, "Det gick ej att öppna filen!\n\nDisken kan vara skrivskyddad.\n");
    EXPECT_EQ(app_state.message_text[0], '\0');
    EXPECT_EQ(file_read(path), "gammalt");
    EXPECT_NE(SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0), 0);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(window_text(app_window()), earlier);
    EXPECT_STREQ(app_state.document_name, "förra.txt");
    app_command(CMD_SAVE);
    EXPECT_EQ(dialog_helper_seen().size(), 3u);
    EXPECT_EQ(file_read(earlier), "nytt mer");
    EXPECT_EQ(file_read(path), "gammalt");
}

TEST_F(DocumentCommands, OpenLoadsTitleNameAndRefreshesStatus) {
    std::string path = folder + "läs mig.txt";
    ASSERT_TRUE(file_write(path, "innehåll"));
    answer_file_dialog(path);
    app_command(CMD_OPEN);
    expect_boxes({{"Öppna...", ""}});
    EXPECT_EQ(app_editor_text(), "innehåll");
    EXPECT_EQ(window_text(app_window()), path);
    EXPECT_STREQ(app_state.document_name, "läs mig.txt");
    MSG posted;
    ASSERT_TRUE(PeekMessageA(&posted, app_window(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(posted.wParam, (WPARAM)901);
}

TEST_F(DocumentCommands, OpenEmptyOrReadOnlyFileGivesItsDocumentWithoutMessage) {
    std::string empty = folder + "tom.txt";
    ASSERT_TRUE(file_write(empty, ""));
    answer_file_dialog(empty);
    app_command(CMD_OPEN);
    std::string read_only = folder + "skrivskyddad.txt";
    ASSERT_TRUE(file_write(read_only, "läs bara"));
    SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_READONLY);
    type_text("ändrad");
    SendMessageA(app_state.editor, EM_SETMODIFY, 0, 0);
    answer_file_dialog(read_only);
    app_command(CMD_OPEN);
    SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_NORMAL);
    expect_boxes({{"Öppna...", ""}, {"Öppna...", ""}});
    EXPECT_EQ(app_editor_text(), "läs bara");
    EXPECT_EQ(window_text(app_window()), read_only);
    EXPECT_STREQ(app_state.document_name, "skrivskyddad.txt");
}

// A file that does not come in leaves the document, its title, name and modified flag as they were.
TEST_F(DocumentCommands, FailedOpenChangesNothing) {
    std::string kept = folder + "behåll.txt";
    ASSERT_TRUE(file_write(kept, "behåll mig"));
    answer_file_dialog(kept);
    app_command(CMD_OPEN);
    SendMessageA(app_state.editor, EM_SETSEL, 100, 100);
    type_text(" och ändrad");
    std::string broken = folder + "avklippt.rtf";
    ASSERT_TRUE(file_write(broken, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b Fet text som klipps mitt i {\\i kurs"));
    dialog_helper_queue_button(IDNO);  // the document is modified: let it go
    answer_file_dialog(broken);
    dialog_helper_queue_button(IDOK);
    app_command(CMD_OPEN);
    expect_boxes({{"Öppna...", ""}, {"SPARA?", ""}, {"Öppna...", ""}, {FILFEL, "Det gick ej att hämta in filen!"}});
    EXPECT_EQ(app_editor_text(), "behåll mig och ändrad");
    EXPECT_EQ(window_text(app_window()), kept);
    EXPECT_STREQ(app_state.document_name, "behåll.txt");
    EXPECT_NE(SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0), 0);
}

// Open and a drop ask before a modified document goes: a cancelled save keeps it, No lets it go.
TEST_F(DocumentCommands, OpenAndDropAskBeforeReplacingAModifiedDocument) {
    std::string other = folder + "annan.txt";
    ASSERT_TRUE(file_write(other, "annan text"));
    for (bool drop : {false, true}) {
        SCOPED_TRACE(drop ? "drop" : "open");
        type_text("utkast");
        for (int answer : {IDYES, IDNO}) {
            dialog_helper_queue_button(answer);
            if (answer == IDYES) dialog_helper_queue_button(IDCANCEL);  // the save dialog
            if (answer == IDNO && !drop) answer_file_dialog(other);
            if (drop) drop_files({other});
            else app_command(CMD_OPEN);
            EXPECT_EQ(app_editor_text(), answer == IDYES ? "utkast" : "annan text");
        }
        EXPECT_EQ(dialog_helper_seen()[0].caption, "SPARA?");
        EXPECT_EQ(dialog_helper_seen()[0].text, "Skall dokumentet sparas innan nytt dokument öppnas?");
        EXPECT_TRUE(dialog_helper_unexpected().empty());
        app_command(CMD_NEW);  // a document of no file again: Yes asks for a name
        dialog_helper_clear();
    }
}

TEST_F(DocumentCommands, OpenLockedFileSaysItCannotBeReadAndKeepsText) {
    type_text("behåll mig");
    std::string path = folder + "låst.txt";
    ASSERT_TRUE(file_write(path, "annat"));
    HANDLE lock = lock_file(path);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    dialog_helper_queue_button(IDNO);
    answer_file_dialog(path);
    dialog_helper_queue_button(IDOK);
    app_command(CMD_OPEN);
    CloseHandle(lock);
    expect_boxes({{"SPARA?", ""}, {"Öppna...", ""}, {FILFEL, "Det gick ej att öppna filen för läsning!"}});
    EXPECT_EQ(app_editor_text(), "behåll mig");
}

TEST_F(DocumentCommands, CancelledOpenChangesNothing) {
    std::string before = window_text(app_window());
    type_text("kvar");
    dialog_helper_queue_button(IDNO);
    dialog_helper_queue_button(IDCANCEL);
    app_command(CMD_OPEN);
    EXPECT_EQ(app_editor_text(), "kvar");
    EXPECT_EQ(window_text(app_window()), before);
}

TEST_F(DocumentCommands, NewOnUnmodifiedDocumentAsksNothing) {
    SetWindowTextA(app_state.editor, "gammal text");
    SendMessageA(app_state.editor, EM_SETMODIFY, 0, 0);
    lstrcpyA(app_state.document_name, "gammal.txt");
    app_command(CMD_NEW);
    EXPECT_TRUE(dialog_helper_seen().empty());
    EXPECT_EQ(app_editor_text(), "");
    EXPECT_EQ(window_text(app_window()), "Brevduva Daraduder");
    EXPECT_STREQ(app_state.document_name, "");
    MSG posted;
    ASSERT_TRUE(PeekMessageA(&posted, app_window(), WM_SIZE, WM_SIZE, PM_REMOVE));
    EXPECT_EQ(posted.wParam, 0u);
    EXPECT_EQ(posted.lParam, 0);
}

TEST_F(DocumentCommands, NewAsksAndNoDiscards) {
    type_text("utkast");
    dialog_helper_queue_button(IDNO);
    app_command(CMD_NEW);
    expect_boxes({{"SPARA?", "Skall dokumentet sparas innan nytt dokument öppnas?"}});
    EXPECT_EQ(app_editor_text(), "");
    // the new page, its set-up included, has nothing to undo
    EXPECT_EQ(SendMessageA(app_state.editor, EM_CANUNDO, 0, 0), 0);
}

TEST_F(DocumentCommands, NewCancelKeepsDocument) {
    type_text("utkast");
    dialog_helper_queue_button(IDCANCEL);
    app_command(CMD_NEW);
    EXPECT_EQ(app_editor_text(), "utkast");
}

TEST_F(DocumentCommands, NewYesThenCancelledSaveKeepsDocument) {
    type_text("viktigt");
    dialog_helper_queue_button(IDYES);
    dialog_helper_queue_button(IDCANCEL);
    app_command(CMD_NEW);
    expect_boxes({{"SPARA?", ""}, {"Spara som...", ""}});
    EXPECT_EQ(app_editor_text(), "viktigt");
}

TEST_F(DocumentCommands, NewYesSavesThenEmpties) {
    type_text("sparas");
    std::string path = folder + "sparad.txt";
    dialog_helper_queue_button(IDYES);
    answer_file_dialog(path);
    app_command(CMD_NEW);
    EXPECT_EQ(file_read(path), "sparas");
    EXPECT_EQ(app_editor_text(), "");
}

TEST_F(DocumentCommands, NewWhenEditorRefusesTextShowsDocumentError) {
    static WNDPROC previous = nullptr;
    previous = (WNDPROC)SetWindowLongPtrA(app_state.editor, GWLP_WNDPROC, (LONG_PTR)+[](HWND w, UINT m, WPARAM wp,
                                                                                     LPARAM lp) -> LRESULT {
        if (m == WM_SETTEXT) return 0;
        return CallWindowProcA(previous, w, m, wp, lp);
    });
    dialog_helper_queue_button(IDOK);
    app_command(CMD_NEW);
    SetWindowLongPtrA(app_state.editor, GWLP_WNDPROC, (LONG_PTR)previous);
    expect_boxes({{"DOKUMENTFEL", "Det gick ej att öppna nytt dokument!"}});
}

// Save writes the document's own file at once after Open and a drop, in its own type; the
// dialog of Save As starts from that file, and from nothing after New, where Save asks.
TEST_F(DocumentCommands, SaveWritesTheOpenedOrDroppedFileAndSaveAsStartsFromIt) {
    std::string name_field;
    auto read_then_cancel = [&name_field] {
        dialog_helper_queue([&name_field](HWND dialog) {
            char name[MAX_PATH] = {};
            GetDlgItemTextA(dialog, FILE_NAME_FIELD, name, sizeof name);
            name_field = name;
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    };
    std::string first = folder + "första.txt";
    type_text("ett");
    answer_file_dialog(first);
    app_command(CMD_SAVE_AS);
    std::string opened = folder + "öppnad.rtf";
    ASSERT_TRUE(file_write(opened, "{\\rtf1 \\b öppnad\\b0\\par}"));
    answer_file_dialog(opened);
    app_command(CMD_OPEN);
    type_text("mer ");
    size_t boxes = dialog_helper_seen().size();
    app_command(CMD_SAVE);
    EXPECT_EQ(dialog_helper_seen().size(), boxes);
    EXPECT_EQ(file_read(opened).rfind("{\\rtf", 0), 0u);
    EXPECT_NE(file_read(opened).find("mer "), std::string::npos);
    EXPECT_EQ(SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0), 0);
    read_then_cancel();
    app_command(CMD_SAVE_AS);
    EXPECT_EQ(name_field, "öppnad.rtf");
    EXPECT_EQ(file_read(first), "ett");

    app_command(CMD_NEW);
    read_then_cancel();
    app_command(CMD_SAVE_AS);
    EXPECT_EQ(name_field, "");
    read_then_cancel();
    app_command(CMD_SAVE);
    EXPECT_EQ(dialog_helper_seen().back().caption, "Spara som...");

    std::string dropped = folder + "släppt.txt";
    ASSERT_TRUE(file_write(dropped, "släppt"));
    drop_files({dropped});
    type_text(" mer");
    boxes = dialog_helper_seen().size();
    app_command(CMD_SAVE);
    EXPECT_EQ(dialog_helper_seen().size(), boxes);
    EXPECT_EQ(file_read(dropped), " mersläppt");
    EXPECT_EQ(file_read(first), "ett");
}

TEST_F(DocumentCommands, DropOneFileReplacesDocument) {
    std::string path = folder + "dropp med blanksteg.txt";
    ASSERT_TRUE(file_write(path, "släppt innehåll"));
    SetWindowTextA(app_state.editor, "sparat");
    SendMessageA(app_state.editor, EM_SETMODIFY, 0, 0);
    drop_files({path});
    EXPECT_TRUE(dialog_helper_seen().empty());
    EXPECT_EQ(app_editor_text(), "släppt innehåll");
    EXPECT_EQ(window_text(app_window()), path);
    EXPECT_EQ(app_state.document_name, path);
    MSG posted;
    ASSERT_TRUE(PeekMessageA(&posted, app_window(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(posted.wParam, (WPARAM)901);
}

TEST_F(DocumentCommands, DropTwoFilesChangesNothing) {
    type_text("orörd");
    dialog_helper_queue_button(IDOK);
    drop_files({folder + "a.txt", folder + "b.txt"});
    expect_boxes({{"DRAG OCH SLÄPP- FEL", "Endast en fil får släppas åt gången!"}});
    EXPECT_EQ(app_editor_text(), "orörd");
}

TEST_F(DocumentCommands, DropLockedFileShowsItsMessageAndEmptyFileOpens) {
    type_text("behåll");
    SendMessageA(app_state.editor, EM_SETMODIFY, 0, 0);
    std::string locked = folder + "låst.txt";
    ASSERT_TRUE(file_write(locked, "x"));
    HANDLE lock = lock_file(locked);
    dialog_helper_queue_button(IDOK);
    drop_files({locked});
    CloseHandle(lock);
    expect_boxes({{FILFEL, "Det gick ej att öppna den släppta filen för läsning!"}});
    EXPECT_EQ(app_editor_text(), "behåll");
    std::string empty = folder + "tom.txt";
    ASSERT_TRUE(file_write(empty, ""));
    drop_files({empty});
    EXPECT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_EQ(app_editor_text(), "");
    EXPECT_EQ(window_text(app_window()), empty);
}

TEST_F(DocumentCommands, ClosingUnmodifiedEndsTheProgram) {
    SendMessageA(app_window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(dialog_helper_seen().empty());
    EXPECT_TRUE(app_quit_posted());
    EXPECT_TRUE(IsWindow(app_window()));
}

TEST_F(DocumentCommands, ExitAskedCancelKeepsRunning) {
    type_text("arbete");
    dialog_helper_queue_button(IDCANCEL);
    app_command(CMD_EXIT);
    expect_boxes({{"SPARA?", "Skall dokumentet sparas innan programmet avslutas?"}});
    EXPECT_FALSE(app_quit_posted());
    EXPECT_EQ(app_editor_text(), "arbete");
}

TEST_F(DocumentCommands, ExitNoEndsWithoutSaving) {
    type_text("arbete");
    dialog_helper_queue_button(IDNO);
    app_command(CMD_EXIT);
    EXPECT_TRUE(app_quit_posted());
}

TEST_F(DocumentCommands, CloseYesThenCancelledSaveKeepsRunning) {
    type_text("arbete");
    dialog_helper_queue_button(IDYES);
    dialog_helper_queue_button(IDCANCEL);
    SendMessageA(app_window(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(app_quit_posted());
    EXPECT_EQ(app_editor_text(), "arbete");
}

TEST_F(DocumentCommands, CloseYesSavesThenEnds) {
    type_text("arbete");
    std::string path = folder + "slut.txt";
    dialog_helper_queue_button(IDYES);
    answer_file_dialog(path);
    SendMessageA(app_window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app_quit_posted());
    EXPECT_EQ(file_read(path), "arbete");
}

TEST_F(DocumentCommands, DestroyAlwaysEndsEvenAfterCancel) {
    type_text("arbete");
    dialog_helper_queue_button(IDCANCEL);
    // the routing of WM_DESTROY, without destroying the shared window
    main_window_procedure(app_window(), WM_DESTROY, 0, 0);
    EXPECT_TRUE(app_quit_posted());
}

// Long use, in process: round after round a new document is written, formatted, searched,
// saved, opened again and the about box shown. The program's GDI and USER objects and its
// memory stay flat from the first rounds to the last, and the last saved file is exactly the
// last document. (The end-to-end soak drives the same day at the desk from outside.)
TEST_F(DocumentCommands, LongUseKeepsObjectsAndMemoryFlat) {
    std::string path = folder + "varv.txt";
    auto resources = [] {
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        EXPECT_TRUE(K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory));
        return std::vector<long long>{(long long)GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                                      (long long)GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
                                      (long long)memory.PagefileUsage / 1024};
    };
    std::vector<long long> after_two;
    constexpr int ROUNDS = 30;
    for (int n = 1; n <= ROUNDS; n++) {
        SCOPED_TRACE("round " + std::to_string(n));
        app_command(CMD_NEW);
        ASSERT_EQ(app_editor_text(), "");
        std::string text = "Varv " + std::to_string(n) + ": brevduvan flyger\r\nRad tv\xe5 i varv " + std::to_string(n);
        type_text(text.c_str());
        SendMessageA(app_state.editor, EM_SETSEL, 0, 4);
        app_command(CMD_BOLD);
        EXPECT_EQ(editor_find(app_state.editor, "varv", 0, "D", nullptr), 0);
        answer_file_dialog(path);
        if (n > 1) dialog_helper_queue_button(IDYES);  // the file is there: written over
        app_command(CMD_SAVE_AS);
        ASSERT_EQ(SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0), 0);
        answer_file_dialog(path);
        app_command(CMD_OPEN);
        EXPECT_EQ(app_editor_text(), "Varv " + std::to_string(n) + ": brevduvan flyger\r\nRad tv\xe5 i varv " + std::to_string(n));
        dialog_helper_queue_button(IDOK);
        app_command(CMD_ABOUT);
        EXPECT_EQ(dialog_helper_pending(), 0);
        if (n == 2) after_two = resources();
    }
    std::vector<long long> last = resources();
    EXPECT_LE(last[0] - after_two[0], 3) << "GDI objects";
    EXPECT_LE(last[1] - after_two[1], 1) << "USER objects";
    EXPECT_LT(last[2] - after_two[2], 4096) << "kB of memory";
    EXPECT_EQ(file_read(path), "Varv 30: brevduvan flyger\r\nRad tv\xe5 i varv 30");
    EXPECT_TRUE(dialog_helper_unexpected().empty());
}
