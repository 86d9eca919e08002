// Recovery copies on the real main window: when a copy is written and removed, what the next
// start offers and what Yes brings back, and broken or hostile copies refused without harm. The
// once-a-second tick is run by hand, with the change times set back as the seconds would.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/app_fixture.h"
#include "toolkit/dialogs/file_dialog.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/text_encoding.h"

namespace {

std::string folder;

void recovery_reset() {
    app_reset();
    dialog_helper_clear();
    folder = temp_folder();
    ASSERT_TRUE(recovery_start(folder.c_str()));
}

class Recovery : public testing::Test {
protected:
    void SetUp() override {
        dialog_helper_start();
        recovery_reset();
    }
    void TearDown() override {
        recovery_forget();
        app_state.recovery.enabled = false;
        document_encoding = TEXT_CP1252;
        dialog_helper_stop();
    }
};

// Changes that have rested for the given milliseconds, the first of them that long ago too.
void changes_aged(DWORD milliseconds) {
    app_state.recovery.last_change = GetTickCount() - milliseconds;
    app_state.recovery.first_change = GetTickCount() - milliseconds;
}

void type_bold(const char* text) {
    CHARFORMATA bold = {};
    bold.cbSize = sizeof bold;
    bold.dwMask = CFM_BOLD;
    bold.dwEffects = CFE_BOLD;
    SendMessageA(app_state.editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&bold);
    for (const char* c = text; *c; c++) SendMessageA(app_state.editor, WM_CHAR, (BYTE)*c, 0);
}

std::string own_copy() { return app_state.recovery.copy_path; }
std::string own_note() { return app_state.recovery.note_path; }

// The files another run of the given id and start left behind: its copy and, when given, its note.
std::string left_behind(const std::string& rtf, const std::string& note, const char* id = "4000001-0000000100000002") {
    std::string copy = folder + id + ".rtf";
    EXPECT_TRUE(file_write(copy, rtf));
    if (!note.empty()) {
        EXPECT_TRUE(file_write(folder + id + ".txt", note));
    }
    return copy;
}

std::string note_text(const std::string& path, const char* encoding, const char* process = "4000001",
                      const char* started = "0000000100000002") {
    // 1 December 2026, 13:05 UTC
    return "path=" + path + "\r\ntype=TEXT\r\nencoding=" + encoding + "\r\ntime=01dd819492432600\r\nprocess=" + process +
           "\r\nstarted=" + started + "\r\n";
}

constexpr char SOUND_COPY[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Brev till \\b \\'c5sa\\b0 .\\par}";

}  // namespace

TEST_F(Recovery, CopyWrittenOnceChangesRestOrGrowOldAndRemovedWhenNoLongerNeeded) {
    // nothing while unmodified, whatever the changes
    app_state.recovery.pending = true;
    changes_aged(10000);
    recovery_tick();
    EXPECT_FALSE(file_exists(own_copy()));

    // typing reaches the copy's bookkeeping through the control's change notice
    type_bold("Hej ");
    EXPECT_TRUE(app_state.recovery.pending);
    recovery_tick();
    EXPECT_FALSE(file_exists(own_copy())) << "written while typing goes on";
    changes_aged(2100);
    recovery_tick();
    ASSERT_TRUE(file_exists(own_copy()));
    std::string copy = file_read(own_copy());
    ASSERT_NE(copy.find("Hej \\b0"), std::string::npos) << copy;
    EXPECT_LT(copy.find("\\b\\"), copy.find("Hej \\b0")) << copy;
    std::string note = file_read(own_note());
    EXPECT_EQ(note.find("path=\r\ntype=NEW\r\nencoding=CP1252\r\ntime="), 0u) << note;
    EXPECT_NE(note.find("process=" + std::to_string(GetCurrentProcessId()) + "\r\n"), std::string::npos) << note;

    // a change of format alone counts as a change
    app_state.recovery.pending = false;
    SendMessageA(app_state.editor, EM_SETSEL, 0, 3);
    CHARFORMATA italic = {};
    italic.cbSize = sizeof italic;
    italic.dwMask = CFM_ITALIC;
    italic.dwEffects = CFE_ITALIC;
    SendMessageA(app_state.editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&italic);
    EXPECT_TRUE(app_state.recovery.pending);
    SendMessageA(app_state.editor, EM_SETSEL, -1, -1);

    // typing on without a pause: a copy once the first change not in it is 55 s old
    type_bold("igen");
    app_state.recovery.last_change = GetTickCount();
    recovery_tick();
    EXPECT_EQ(file_read(own_copy()).find("igen"), std::string::npos);
    app_state.recovery.first_change = GetTickCount() - 55000;
    recovery_tick();
    EXPECT_NE(file_read(own_copy()).find("igen"), std::string::npos);

    // saved (or otherwise unmodified): gone at the next tick; let go at a save question: gone at once
    editor_set_modified(app_state.editor, "OFF");
    recovery_tick();
    EXPECT_FALSE(file_exists(own_copy()));
    EXPECT_FALSE(file_exists(own_note()));
    type_bold("nytt");
    changes_aged(3000);
    recovery_tick();
    ASSERT_TRUE(file_exists(own_copy()));
    dialog_helper_queue_button(IDNO);
    app_command(101);  // Nytt
    EXPECT_FALSE(file_exists(own_copy()));
    EXPECT_FALSE(file_exists(own_note()));
    EXPECT_TRUE(dialog_helper_unexpected().empty());
}

TEST_F(Recovery, CopyAnUnwritableFolderCostsOneQuietStatusLine) {
    std::string file = temp_folder() + "en fil";
    ASSERT_TRUE(file_write(file, "x"));
    ASSERT_TRUE(recovery_start((file + "\\kopior").c_str()));  // a folder inside a file cannot be made
    type_bold("text");
    for (int attempt = 0; attempt < 3; attempt++) {
        changes_aged(70000);
        app_state.recovery.next_attempt = GetTickCount() - 1;
        recovery_tick();
        pump_messages(50);
    }
    EXPECT_TRUE(app_state.recovery.failing);
    EXPECT_EQ(app_status_text(11), "     Återställningskopian kan ej sparas");
    EXPECT_TRUE(dialog_helper_seen().empty()) << "no box for a copy";
    EXPECT_EQ(app_editor_text(), "text");
    // the folder can be made again: the next copy is written and the line empties
    ASSERT_TRUE(DeleteFileA(file.c_str()));
    changes_aged(3000);
    app_state.recovery.next_attempt = GetTickCount() - 1;
    recovery_tick();
    EXPECT_FALSE(app_state.recovery.failing);
    EXPECT_EQ(app_status_text(11), "");
    recovery_forget();
}

// The note names the document's encoding, whichever it is, and the copy comes back in it.
TEST_F(Recovery, EveryEncodingIsNotedAndComesBack) {
    const struct {
        text_encoding encoding;
        const char* word;
    } encodings[] = {{TEXT_CP1252, "CP1252"},
                     {TEXT_UTF8, "UTF8"},
                     {TEXT_UTF8_MARK, "UTF8_MARK"},
                     {TEXT_UTF16_MARK, "UTF16_MARK"},
                     {TEXT_UTF16_BIG_ENDIAN_MARK, "UTF16_BIG_ENDIAN_MARK"}};
    for (const auto& e : encodings) {
        SCOPED_TRACE(e.word);
        recovery_reset();
        document_encoding = e.encoding;
        type_bold("Hej");
        changes_aged(2100);
        recovery_tick();
        std::string note = file_read(own_note());
        EXPECT_NE(note.find(std::string("\r\nencoding=") + e.word + "\r\n"), std::string::npos) << note;
        // left behind by a run that ended
        std::string copy = file_read(own_copy());
        recovery_forget();
        app_reset();
        document_encoding = TEXT_CP1252;
        left_behind(copy, note_text("", e.word));
        dialog_helper_queue_button(IDYES);
        EXPECT_TRUE(recovery_offer());
        EXPECT_EQ(document_encoding, e.encoding);
        EXPECT_EQ(app_editor_text(), "Hej");
        recovery_forget();
    }
}

TEST_F(Recovery, OfferYesBringsTheCopyBackModifiedAndNamedAsTheOriginalNoRemovesIt) {
    std::string original = folder + "brev.txt";
    std::string copy = left_behind(SOUND_COPY, note_text(original, "UTF8"));
    dialog_helper_queue_button(IDYES);
    EXPECT_TRUE(recovery_offer());
    ASSERT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_EQ(dialog_helper_seen()[0].caption, "ÅTERSTÄLLA?");
    SYSTEMTIME utc = {2026, 12, 0, 1, 13, 5, 0, 0}, local = {};
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    char expected[200];
    wsprintfA(expected,
              "Brevduva daraduder avslutades utan att spara. Vill du återställa dokumentet från "
              "2026-12-%02u kl. %02u:05?",
              local.wDay, local.wHour);
    EXPECT_EQ(dialog_helper_seen()[0].text, expected);
    EXPECT_EQ(app_editor_text(), "Brev till Åsa.");
    EXPECT_TRUE(SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0));
    EXPECT_EQ(window_text(app_window()), original);
    EXPECT_STREQ(app_state.document_name, "brev.txt");
    EXPECT_STREQ(save_dialog_path, original.c_str());
    EXPECT_EQ(document_encoding, TEXT_UTF8);
    // now this run's own copy, with a note that names this run
    EXPECT_FALSE(file_exists(copy));
    EXPECT_TRUE(file_exists(own_copy()));
    EXPECT_NE(file_read(own_note()).find("process=" + std::to_string(GetCurrentProcessId())), std::string::npos);
    recovery_forget();
    document_encoding = TEXT_CP1252;

    // No: the copy and its note are gone and the document stays
    app_reset();
    dialog_helper_clear();
    copy = left_behind(SOUND_COPY, note_text("", "CP1252"));
    dialog_helper_queue_button(IDNO);
    EXPECT_FALSE(recovery_offer());
    EXPECT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_FALSE(file_exists(copy));
    EXPECT_FALSE(file_exists(folder + "4000001-0000000100000002.txt"));
    EXPECT_EQ(app_editor_text(), "");
}

TEST_F(Recovery, OfferACopyOfARunningProcessIsNeverOffered) {
    // this very process stands in for a second window that is still running
    char id[40];
    ULONGLONG started = ((ULONGLONG)app_state.recovery.started.dwHighDateTime << 32) | app_state.recovery.started.dwLowDateTime;
    wsprintfA(id, "%lu-%08lx%08lx", GetCurrentProcessId(), (DWORD)(started >> 32), (DWORD)started);
    std::string copy = left_behind(SOUND_COPY, note_text("", "CP1252", std::to_string(GetCurrentProcessId()).c_str(), id + std::string(id).find('-') + 1), id);
    EXPECT_FALSE(recovery_offer());
    EXPECT_TRUE(dialog_helper_seen().empty());
    EXPECT_TRUE(file_exists(copy));
    recovery_forget();
}

TEST_F(Recovery, OfferBrokenAndHostileCopiesAreRefusedWithAMessage) {
    const std::string long_path(100000, 'a');
    const std::string refused = "{\\rtf1 " + std::string(20000, '\t') + "x}";
    const struct {
        const char* what;
        std::string copy, note;
        bool asked;  // only the reader's guard finds the fault, after Yes
    } cases[] = {
        {"0 bytes", "", note_text("", "CP1252"), false},
        {"cut short", std::string(SOUND_COPY).substr(0, 40), note_text("", "CP1252"), false},
        {"a path of 100 KB", SOUND_COPY, note_text("C:\\" + long_path, "CP1252"), false},
        {"an unknown encoding", SOUND_COPY, note_text("", "EBCDIC"), false},
        {"a note cut short", SOUND_COPY, note_text("", "CP1252").substr(0, 30), false},
        {"another process's note", SOUND_COPY, note_text("", "CP1252", "4000002"), false},
        {"beyond the RTF guard", refused, note_text("", "CP1252"), true},
    };
    for (const auto& c : cases) {
        recovery_reset();
        type_bold("kvar");
        editor_set_modified(app_state.editor, "OFF");
        std::string copy = left_behind(c.copy, c.note);
        if (c.asked) dialog_helper_queue_button(IDYES);
        dialog_helper_queue_button(IDOK);
        EXPECT_FALSE(recovery_offer()) << c.what;
        pump_messages(300);
        ASSERT_EQ(dialog_helper_seen().size(), c.asked ? 2u : 1u) << c.what;
        EXPECT_EQ(dialog_helper_seen().back().caption, "FILFEL") << c.what;
        EXPECT_EQ(dialog_helper_seen().back().text, "Det gick ej att hämta in återställningskopian! Den har tagits bort.")
            << c.what;
        EXPECT_FALSE(file_exists(copy)) << c.what;
        EXPECT_EQ(app_editor_text(), "kvar") << c.what;
        EXPECT_TRUE(dialog_helper_unexpected().empty()) << c.what;
        dialog_helper_clear();
    }
}
