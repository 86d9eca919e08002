// Message boxes answered on the test's own thread, and the text helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/dialog_helper.h"
#include "support/test_util.h"
#include "toolkit/dialogs/message.h"
#include "toolkit/richedit/editor.h"

namespace {

class MessageBoxes : public testing::Test {
protected:
    void SetUp() override {
        owner = CreateWindowExA(0, "STATIC", "Ägare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 300, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
        editor = editor_create(owner, 0, 0, 0, 0, "VHSCROLL", 1000);
        ASSERT_NE(editor, nullptr);
        dialog_helper_start();
    }
    void TearDown() override {
        EXPECT_TRUE(dialog_helper_unexpected().empty());
        dialog_helper_stop();
        DestroyWindow(owner);
    }
    void expect_one_box(const char* caption, const std::string& text) {
        ASSERT_EQ(dialog_helper_seen().size(), 1u);
        EXPECT_EQ(dialog_helper_seen()[0].caption, caption);
        EXPECT_EQ(dialog_helper_seen()[0].text, text);
    }

    HWND owner = nullptr;
    HWND editor = nullptr;
};

const char* const QUESTION = "Skall dokumentet sparas innan programmet avslutas?";

std::string appended(char* buffer) { return std::string(buffer); }

}  // namespace

TEST_F(MessageBoxes, PromptAsksNothingWhenTheDocumentIsUnchanged) {
    editor_set_text(&editor, "sparat");
    editor_set_modified(editor, "OFF");
    EXPECT_EQ(prompt_save_changes(editor, "SPARA?", QUESTION), 0);
    EXPECT_TRUE(dialog_helper_seen().empty());
}

TEST_F(MessageBoxes, PromptMapsYesCancelAndNo) {
    const struct {
        int button, result;
    } answers[] = {{IDYES, 1}, {IDCANCEL, 2}, {IDNO, 3}};
    for (const auto& answer : answers) {
        dialog_helper_clear();
        editor_set_modified(editor, "ON");
        dialog_helper_queue_button(answer.button);
        EXPECT_EQ(prompt_save_changes(editor, "SPARA?", QUESTION), answer.result) << answer.button;
        expect_one_box("SPARA?", QUESTION);
    }
}

TEST_F(MessageBoxes, ShowWithDEmptiesTheBufferAndWithNKeepsIt) {
    char message[1000] = "";
    text_append_format(message, "%s", "Det gick ej att öppna filen!");
    text_append_format(message, "%s", "");
    text_append_format(message, "%s", "Disken kan vara skrivskyddad.");
    const std::string shown = message;
    EXPECT_EQ(shown, "Det gick ej att öppna filen!\n\nDisken kan vara skrivskyddad.\n");
    dialog_helper_queue_button(IDOK);
    EXPECT_EQ(message_show(owner, "FILFEL", message, "N"), 0);
    expect_one_box("FILFEL", shown);
    EXPECT_EQ(appended(message), shown);
    dialog_helper_clear();
    dialog_helper_queue_button(IDOK);
    EXPECT_EQ(message_show(owner, "FILFEL", message, "D"), 0);
    expect_one_box("FILFEL", shown);
    EXPECT_EQ(message[0], '\0');
}

TEST(TextAppendFormat, DropsLiteralsAndAppendsValuesWithALineFeed) {
    char buffer[400] = "Början\n";
    EXPECT_EQ(text_append_format(buffer, "%s", "Disken kan vara skrivskyddad."), buffer);
    EXPECT_STREQ(buffer, "Början\nDisken kan vara skrivskyddad.\n");
    buffer[0] = '\0';
    text_append_format(buffer, "%s", "");
    EXPECT_STREQ(buffer, "\n");
    buffer[0] = '\0';
    text_append_format(buffer, "%s %i %s", "Rad ", 12, " av 30");
    EXPECT_STREQ(buffer, "Rad 12 av 30\n");
    buffer[0] = '\0';
    text_append_format(buffer, "Antal: %i", 5);
    EXPECT_STREQ(buffer, "5\n");
    buffer[0] = '\0';
    text_append_format(buffer, "%%%i%", 9);  // neither '%%' nor a final '%' takes a value
    EXPECT_STREQ(buffer, "9\n");
    buffer[0] = '\0';
    text_append_format(buffer, "%s", nullptr);
    EXPECT_STREQ(buffer, "\n");
}

TEST(TextAppendFormat, DigitsAnywhereSetThePrecisionsInOrder) {
    const struct {
        const char* format;
        double first, second;
        const char* expected;
    } cases[] = {{"3%f", 3.14159, 0, "3.142\n"},
                 {"%f", 2.5, 0, "2.50\n"},
                 {"%f%f 0 4", 1.6, 2.0, "22.0000\n"},
                 {"%f 1 %f", 0.26, 0.126, "0.30.13\n"},
                 {"%f%f 7", 1.0, 1.0, "1.00000001.00\n"}};
    for (const auto& c : cases) {
        char buffer[200] = "";
        text_append_format(buffer, c.format, c.first, c.second);
        EXPECT_STREQ(buffer, c.expected) << c.format;
    }
    // '%2' is no conversion, so the 'f' behind it is plain text and no value is taken
    char buffer[200] = "";
    text_append_format(buffer, "%2f%i", 7);
    EXPECT_STREQ(buffer, "7\n");
}

TEST(TextAppendFormat, UnsignedOnlyWithUpperCaseU) {
    char buffer[200] = "";
    text_append_format(buffer, "%lu", 4294967295u);
    EXPECT_STREQ(buffer, "-1\n");
    buffer[0] = '\0';
    text_append_format(buffer, "%U", 4294967295u);
    EXPECT_STREQ(buffer, "4294967295\n");
    buffer[0] = '\0';
    text_append_format(buffer, "%u %li %i", 4294967295u, -5, -2147483647 - 1);
    EXPECT_STREQ(buffer, "4294967295-5-2147483648\n");
}

TEST(TextAppendFormat, HugeNumbersFitTheScratchInExponentForm) {
    char buffer[400] = "";
    text_append_format(buffer, "%f", ldexp(1.0, 300));  // 91 digits and two decimals still fit
    std::string fixed = buffer;
    EXPECT_EQ(fixed.size(), 91u + 3u + 1u);
    EXPECT_EQ(fixed.substr(0, 6), "203703");
    EXPECT_EQ(fixed.substr(fixed.size() - 4), ".00\n");
    buffer[0] = '\0';
    text_append_format(buffer, "%f 9", 1e95);
    EXPECT_STREQ(buffer, "1.000000000e+95\n");
    buffer[0] = '\0';
    text_append_format(buffer, "%f", -1.5e300);
    EXPECT_STREQ(buffer, "-1.50e+300\n");
}

TEST(TextAppendFormat, ConversionsPastTheTenthUseTwoDecimals) {
    char buffer[200] = "";
    text_append_format(buffer, "%f%f%f%f%f%f%f%f%f%f%f%f 0000000000 1", 1.25, 1.25, 1.25, 1.25, 1.25, 1.25, 1.25,
                       1.25, 1.25, 1.25, 1.25, 1.25);
    EXPECT_STREQ(buffer, "11111111111.251.25\n");
}

TEST(TextHelpers, CopyLimitedConvertAndMeasure) {
    char buffer[300];
    EXPECT_STREQ(text_copy_limited(buffer, "hela texten", 0), "hela texten");
    EXPECT_STREQ(text_copy_limited(buffer, "hela texten", -1), "hela texten");
    memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(text_copy_limited(buffer, "abcdef", 3), buffer);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], 'X');
    EXPECT_STREQ(text_copy_limited(buffer, "tio tecken", 255), "tio tecken");
    EXPECT_STREQ(text_copy_limited(buffer, "", 5), "");
    strcpy(buffer, "gammalt innehåll");
    EXPECT_STREQ(int_to_text(buffer, -12), "-12");
    EXPECT_STREQ(int_to_text(buffer, 2147483647), "2147483647");
    EXPECT_EQ(text_to_int(" 42abc"), 42);
    EXPECT_EQ(text_to_int("abc"), 0);
    EXPECT_EQ(text_to_int("-7"), -7);
    EXPECT_EQ(text_length("åäö"), 3);
    EXPECT_EQ(text_length(""), 0);
}
