// Documents saved and loaded through the real control with real files, and dropped file names.
#include <gtest/gtest.h>
#include <richedit.h>
#include <shlobj.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/test_util.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/rtf_write.h"
#include "toolkit/richedit/search.h"
#include "toolkit/richedit/text_encoding.h"

namespace {

HWND make_editor(HWND parent) { return editor_create(parent, 0, 0, 0, 0, "VHSCROLL", 10000000); }

std::string editor_text(HWND editor) {
    std::string s(editor_text_length(editor) + 1, '\0');
    GetWindowTextA(editor, &s[0], (int)s.size());
    s.resize(lstrlenA(s.c_str()));
    return s;
}

bool is_modified(HWND editor) { return SendMessageA(editor, EM_GETMODIFY, 0, 0) != 0; }

// The editor's text as it holds it, in UTF-16, whatever the encoding of its file.
std::u16string editor_letters(HWND editor) {
    std::u16string s(editor_text_length(editor) + 1, u'\0');
    GETTEXTEX get = {(DWORD)(s.size() * sizeof(char16_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    SendMessageA(editor, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)&s[0]);
    s.resize(s.find(u'\0'));
    return s;
}

// Starts a shell command of the machine under the test (Wine runs Unix programs named by their
// Unix path) and waits up to the given time; a program that leaves the shell may run on.
void run_unix(const std::string& command, DWORD milliseconds) {
    std::string line = "/bin/sh -c \"PATH=/usr/sbin:/usr/bin:/sbin:/bin; " + command + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, milliseconds);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

std::vector<std::string> folder_files(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

class Document : public testing::Test {
protected:
    void SetUp() override {
        parent = CreateWindowExA(0, "STATIC", "Dokument", WS_OVERLAPPEDWINDOW, 10, 10, 640, 480, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        editor = make_editor(parent);
        ASSERT_NE(editor, nullptr);
        folder = temp_folder();
        document_encoding = TEXT_CP1252;  // as for a new document
    }
    void TearDown() override {
        DestroyWindow(parent);
        DeleteObject(regular_font);
    }

    // Text put in as the user would leave it: changed and not yet saved.
    void type(const char* text) {
        editor_set_text(&editor, text);
        editor_set_modified(editor, "ON");
    }
    // Loads the file into a second editor, so nothing of the first one carries over. Like the
    // application's, it is given a regular font first (the control's own default is bold, and
    // the reader starts every run from the default).
    HWND load_fresh(const std::string& path, int* result) {
        HWND other = make_editor(parent);
        SendMessageA(other, WM_SETFONT, (WPARAM)regular_font, 0);
        *result = document_load(&other, path.c_str());
        return other;
    }

    HWND parent = nullptr;
    HWND editor = nullptr;
    std::string folder;
    CHARFORMATA regular = {sizeof(CHARFORMATA), CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_FACE | CFM_SIZE,
                           0, 200, 0, 0, ANSI_CHARSET, 0, "Arial"};
    HFONT regular_font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
};

}  // namespace

TEST_F(Document, FormatFollowsTheLastThreeLettersOfThePath) {
    for (const char* name : {"letter.rtf", "LETTER.RTF", "letter.Rtf", "letterrtf"}) {
        type("Hej");
        std::string path = folder + name;
        EXPECT_GT(document_save(editor, path.c_str()), 0) << name;
        EXPECT_EQ(file_read(path).substr(0, 5), "{\\rtf") << name;
        int loaded = 0;
        HWND other = load_fresh(path, &loaded);
        EXPECT_GT(loaded, 0) << name;
        EXPECT_EQ(editor_text(other), "Hej") << name;
    }
    for (const char* name : {"letter.txt", "letter.rtf.txt", "letter.rt"}) {
        type("Hej");
        std::string path = folder + name;
        EXPECT_EQ(document_save(editor, path.c_str()), 3) << name;
        EXPECT_EQ(file_read(path), "Hej") << name;
    }
    // a path of two characters is plain text; it lies in the current folder
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    type("Hej");
    EXPECT_EQ(document_save(editor, "ab"), 3);
    EXPECT_EQ(document_load(&editor, "ab"), 3);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(file_read(folder + "ab"), "Hej");
}

namespace {

// A seeded generator of documents as the user may make them: letters of several scripts (those
// Windows-1252 has a look-alike for among them, and letters beyond the first 65,536), runs of
// their own bold, italic, underline, size, colour and face, and paragraphs of their own margin
// and tab step, one of them long enough to wrap several times. Beyond the first round paragraphs
// also have their own first-line and right indents, alignment, bullet and space before, often
// the same as the paragraph before them.
struct generated_run {
    std::u16string text;
    DWORD effects;
    LONG height;
    COLORREF colour;
    const char* face;
};
struct generated_paragraph {
    std::vector<generated_run> runs;
    int margin, step, first, right, before;  // points; first: of the first line from the margin
    WORD alignment;
    bool bullet;
};

const char16_t* const WORDS[] = {u"brevduva", u"räksmörgås", u"ÅÄÖ", u"ł", u"Ω", u"č", u"ő", u"Łódź",
                                 u"Œuvre", u"€5", u"→", u"😀", u"αβγ", u"жук", u"ﬁ", u"“citat”", u"–",
                                 u"{x}\\y", u"ŉ", u"ǅ", u"½"};
const LONG HEIGHTS[] = {160, 200, 240, 360};
const COLORREF COLOURS[] = {RGB(0, 0, 0), RGB(200, 0, 0), RGB(0, 0, 255)};
const char* const FACES[] = {"Arial", "Courier New", "ARIAL"};

std::vector<generated_paragraph> document_generate(std::mt19937& random, bool wrapping) {
    auto pick = [&random](size_t count) { return (size_t)(random() % count); };
    const WORD ALIGNMENTS[] = {PFA_LEFT, PFA_CENTER, PFA_RIGHT};
    std::vector<generated_paragraph> paragraphs(wrapping ? 3 : 1 + pick(12));
    for (size_t p = 0; p < paragraphs.size(); p++) {
        generated_paragraph& paragraph = paragraphs[p];
        paragraph.margin = (int)(pick(5) * 18);
        paragraph.step = 10 + (int)pick(4) * 20;
        paragraph.first = paragraph.right = paragraph.before = 0;
        paragraph.alignment = PFA_LEFT;
        paragraph.bullet = false;
        if (!wrapping) {
            paragraph.first = (int)pick(3) * 9 - (paragraph.margin > 9 ? 9 : 0);
            paragraph.right = (int)pick(3) * 12;
            paragraph.before = (int)pick(2) * 6;
            paragraph.alignment = ALIGNMENTS[pick(3)];
            paragraph.bullet = pick(3) == 0;
            if (p > 0 && pick(2) == 0) {
                generated_paragraph& previous = paragraphs[p - 1];
                paragraph.margin = previous.margin, paragraph.step = previous.step, paragraph.first = previous.first;
                paragraph.right = previous.right, paragraph.before = previous.before;
                paragraph.alignment = previous.alignment, paragraph.bullet = previous.bullet;
            }
        }
        size_t words = wrapping && p == 0 ? 90 : 1 + pick(12);
        for (size_t w = 0; w < words; w++) {
            generated_run run = {WORDS[pick(sizeof WORDS / sizeof WORDS[0])], 0, HEIGHTS[pick(4)], COLOURS[pick(3)],
                                 FACES[pick(3)]};
            if (pick(3) == 0) run.effects |= CFE_BOLD;
            if (pick(3) == 0) run.effects |= CFE_ITALIC;
            if (pick(4) == 0) run.effects |= CFE_UNDERLINE;
            run.text += pick(5) == 0 ? u"\t" : u" ";
            paragraph.runs.push_back(run);
        }
    }
    return paragraphs;
}

// Puts the document into the editor as the user would have made it.
void document_type(HWND editor, const std::vector<generated_paragraph>& paragraphs) {
    editor_set_text(&editor, "");
    for (size_t p = 0; p < paragraphs.size(); p++) {
        LONG paragraph_start = editor_text_length(editor);
        for (const generated_run& run : paragraphs[p].runs) {
            LONG start = editor_text_length(editor);
            SETTEXTEX add = {ST_SELECTION, 1200};
            editor_select(editor, start, start);
            SendMessageW(editor, EM_SETTEXTEX, (WPARAM)&add, (LPARAM)run.text.c_str());
            CHARFORMATA format = {sizeof format, CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_FACE | CFM_SIZE,
                                  run.effects, run.height, 0, run.colour, ANSI_CHARSET, 0, ""};
            lstrcpyA(format.szFaceName, run.face);
            editor_select(editor, start, editor_text_length(editor));
            SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        }
        const generated_paragraph& paragraph = paragraphs[p];
        PARAFORMAT2 format = {};
        format.cbSize = sizeof format;
        format.dwMask = PFM_STARTINDENT | PFM_OFFSET | PFM_TABSTOPS | PFM_RIGHTINDENT | PFM_ALIGNMENT | PFM_NUMBERING |
                        PFM_SPACEBEFORE;
        format.dxStartIndent = (paragraph.margin + paragraph.first) * 20;
        format.dxOffset = -paragraph.first * 20;
        format.dxRightIndent = paragraph.right * 20;
        format.wAlignment = paragraph.alignment;
        format.wNumbering = paragraph.bullet ? PFN_BULLET : 0;
        format.dySpaceBefore = paragraph.before * 20;
        format.cTabCount = 8;
        for (int i = 0; i < 8; i++) format.rgxTabs[i] = (paragraph.margin + i * paragraph.step) * 20;
        editor_select(editor, paragraph_start, paragraph_start);
        SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&format);
        if (p + 1 < paragraphs.size()) {
            LONG end = editor_text_length(editor);
            editor_select(editor, end, end);
            SendMessageA(editor, EM_REPLACESEL, FALSE, (LPARAM)"\r\n");
        }
    }
    editor_set_modified(editor, "ON");
}

// What the editor shows of each character and paragraph, to compare two editors by.
std::string formats_seen(HWND editor) {
    std::string seen;
    LONG length = editor_text_length(editor);
    for (LONG at = 0; at < length; at++) {
        editor_select(editor, at, at + 1);
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        char line[160];
        wsprintfA(line, "%ld: %lx %ld %lx %s\n", at, format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE),
                  format.yHeight, format.crTextColor, format.szFaceName);
        seen += line;
    }
    for (LONG line = 0, count = (LONG)SendMessageA(editor, EM_GETLINECOUNT, 0, 0); line < count; line++) {
        LONG at = (LONG)SendMessageA(editor, EM_LINEINDEX, line, 0);
        PARAFORMAT2 paragraph = {};
        paragraph.cbSize = sizeof paragraph;
        editor_select(editor, at, at);
        SendMessageA(editor, EM_GETPARAFORMAT, 0, (LPARAM)&paragraph);
        char text[128];
        wsprintfA(text, "line %ld: %ld %ld %ld %d %d %ld %ld", line, paragraph.dxStartIndent, paragraph.dxOffset,
                  paragraph.dxRightIndent, paragraph.wAlignment, paragraph.wNumbering, paragraph.dySpaceBefore,
                  paragraph.dySpaceAfter);
        seen += text;
        for (int i = 0; i < paragraph.cTabCount; i++) seen += " " + std::to_string(paragraph.rgxTabs[i]);
        seen += "\n";
    }
    return seen;
}

// The face as the platform spells it: the control keeps each run's own spelling.
std::string faces_as_one(std::string seen) {
    for (size_t at = seen.find("ARIAL"); at != std::string::npos; at = seen.find("ARIAL", at)) seen.replace(at, 5, "Arial");
    return seen;
}

// Runs another word processor on a saved RTF file, with a profile of its own so that runs beside
// it cannot meet: the file it converts to, or "" when none came.
std::string converted_by_another_word_processor(const std::string& rtf, const char* format, const char* extension) {
    std::string unix_folder = "/tmp/brevduva-lo-" + std::to_string(GetCurrentProcessId());
    std::string folder = "Z:" + unix_folder + "\\";
    for (char& c : folder) c = c == '/' ? '\\' : c;
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string result = folder + "brev." + extension;
    DeleteFileA(result.c_str());
    if (!file_write(folder + "brev.rtf", rtf)) return "";
    run_unix("HOME=" + unix_folder + " soffice -env:UserInstallation=file://" + unix_folder +
                 "/profile --headless --convert-to " + format + " --outdir " + unix_folder + " " + unix_folder +
                 "/brev.rtf",
             0);
    // the program runs apart from the test: its file is read once it is whole
    std::string converted;
    pump_until([&] {
        converted = file_read(result);
        return !converted.empty() && (std::string(extension) != "html" || converted.find("</html>") != std::string::npos);
    }, 120000);
    if (std::string(extension) != "html") pump_messages(500);
    return file_read(result);
}

double points_of(const std::string& style, const std::string& property) {
    size_t at = style.find(property + ": ");
    if (at == std::string::npos) return 0;
    size_t end = 0;
    std::string value = style.substr(at + property.size() + 2);
    double number = std::stod(value, &end);
    return value.compare(end, 2, "cm") == 0 ? number * 72 / 2.54 : number * 72;  // otherwise inches
}

std::string utf8_of(const std::u16string& text) {
    std::string bytes(text.size() * 3 + 1, '\0');
    int made = WideCharToMultiByte(CP_UTF8, 0, (LPCWSTR)text.data(), (int)text.size(), &bytes[0], (int)bytes.size(),
                                   nullptr, nullptr);
    bytes.resize(made > 0 ? made : 0);
    return bytes;
}

}  // namespace

// What the control's writer hands over, and the file made of it: letters it replaced, indents it
// swapped, a face listed twice, the NUL after the closing brace.
TEST(RtfWritten, IsMendedIntoTheFileItShouldBe) {
    const struct {
        std::string written;
        const wchar_t* text;
        std::string file;
    } rows[] = {
        {std::string("{\\rtf1{\\fonttbl{\\f0\\fcharset0 ARIAL;}{\\f1\\fcharset0 Arial;}{\\f2 Courier New;}}\r\n"
                     "\\pard\\li200\\fi400 \\f0 a\\f1 b\\b\\f1 c\\f2 d\\f0\\par\r\n}") + std::string(1, '\0'),
         L"", "{\\rtf1{\\fonttbl{\\f0\\fcharset0 ARIAL;}{\\f2 Courier New;}}\r\n"
              "\\pard\\li600\\fi-200 \\f0 ab\\b c\\f2 d\\f0\\par\r\n}"},
        {"{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\fi400\\tx400 l O\\'e5\\u8594?\\tab\\{\\par\r\nl\\par}", L"ł Ωå→\t{\r\nł",
         "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\li400\\fi0 \\tx400 \\u322? \\u937?\\'e5\\u8594?\\tab\\{\\par\r\n\\u322?\\par}"},
        // a text file's paragraphs end as its lines did: LF, CR, or CR CR LF
        {"{\\rtf1 l\\par O\\par c\\par o\\par}", L"\x0142\n\x03a9\r\x010d\r\r\n\x0151",
         "{\\rtf1 \\u322?\\par \\u937?\\par \\u269?\\par \\u337?\\par}"},
    };
    for (const auto& row : rows) EXPECT_EQ(rtf_written_mend(row.written, row.text), row.file);
}

// Every generated document comes back from an RTF and a text file with every letter, and from
// RTF with every character's and paragraph's format; another word processor reads a sample of
// them with the same letters and every line of every paragraph on its margin. Replace all in
// pieces of the document, a few letters long so that they start and end in many places, gives
// what it gives in place.
TEST_F(Document, GeneratedDocumentsComeBackIdenticalHereAndInAnotherWordProcessor) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 12; round++) {
        bool sampled = round == 0;  // several paragraphs, the first wrapping over six lines
        std::vector<generated_paragraph> paragraphs = document_generate(random, sampled);
        SCOPED_TRACE("round " + std::to_string(round));
        document_type(editor, paragraphs);
        std::u16string letters = editor_letters(editor);
        std::string formats = faces_as_one(formats_seen(editor));
        std::string path = folder + "slump.rtf", text_path = folder + "slump.txt";
        ASSERT_GT(document_save(editor, path.c_str()), 0);
        ASSERT_GT(document_save(editor, text_path.c_str()), 0);
        std::string rtf = file_read(path);
        // a well-formed file: one closing brace at its very end, one entry per face
        EXPECT_EQ(rtf.back(), '}');
        EXPECT_EQ(rtf.find('\0'), std::string::npos);
        std::string lower = rtf;
        for (char& c : lower) c = (char)tolower((unsigned char)c);
        EXPECT_EQ(lower.find("arial;"), lower.rfind("arial;")) << rtf;
        EXPECT_EQ(rtf.find("\\fi4"), std::string::npos);
        for (const std::string& file : {path, text_path}) {
            int loaded = 0;
            HWND other = load_fresh(file, &loaded);
            EXPECT_GT(loaded, 0) << file;
            EXPECT_EQ(editor_letters(other), letters) << file;
            if (file == path) {
                EXPECT_EQ(faces_as_one(formats_seen(other)), formats);
            }
            DestroyWindow(other);
        }
        // Replace all makes the same document paragraph by paragraph as in place
        int loaded = 0, matches = 0;
        for (char16_t letter : letters) matches += letter == u'\u00e4';
        HWND in_place = load_fresh(path, &loaded);
        EXPECT_EQ(editor_replace_all(&in_place, "\xe4", "e", FR_MATCHCASE), matches);
        for (LONG piece : {1, 25, 90}) {
            HWND in_pieces = load_fresh(path, &loaded);
            EXPECT_EQ(editor_replace_all_in_pieces(&in_pieces, "\xe4", "e", FR_MATCHCASE, piece), matches) << piece;
            EXPECT_EQ(editor_letters(in_pieces), editor_letters(in_place)) << piece;
            EXPECT_EQ(formats_seen(in_pieces), formats_seen(in_place)) << piece;
            DestroyWindow(in_pieces);
        }
        DestroyWindow(in_place);
        if (!sampled) continue;
        std::string seen_text = converted_by_another_word_processor(rtf, "txt:Text\\ \\(encoded\\):UTF8", "txt");
        std::string expected = utf8_of(letters);
        if (seen_text.compare(0, 3, "\xEF\xBB\xBF") == 0) seen_text.erase(0, 3);
        while (!seen_text.empty() && (seen_text.back() == '\n' || seen_text.back() == '\r')) seen_text.pop_back();
        for (size_t at = expected.find("\r\n"); at != std::string::npos; at = expected.find("\r\n", at)) expected.erase(at, 1);
        for (size_t at = seen_text.find("\r\n"); at != std::string::npos; at = seen_text.find("\r\n", at)) seen_text.erase(at, 1);
        EXPECT_EQ(seen_text, expected);
        std::string html = converted_by_another_word_processor(rtf, "html", "html");
        size_t at = html.find("<body");
        for (const generated_paragraph& paragraph : paragraphs) {
            at = html.find("<p", at + 1);
            ASSERT_NE(at, std::string::npos) << html;
            std::string style = html.substr(at, html.find('>', at) - at);
            EXPECT_NEAR(points_of(style, "margin-left"), paragraph.margin, 0.5) << style;
            EXPECT_NEAR(points_of(style, "text-indent"), 0, 0.5) << style;
        }
    }
}

TEST_F(Document, SwedishLettersSurviveBothFormatsByteForByte) {
    const std::string letters = "åäö ÅÄÖ é € – ”citat”\r\nSlut på raden";
    for (const char* name : {"svenska.txt", "svenska.rtf"}) {
        type(letters.c_str());
        std::string path = folder + name;
        EXPECT_GT(document_save(editor, path.c_str()), 0) << name;
        if (std::string(name) == "svenska.txt") {
            EXPECT_EQ(file_read(path), letters);
        }
        int loaded = 0;
        HWND other = load_fresh(path, &loaded);
        EXPECT_GT(loaded, 0) << name;
        EXPECT_EQ(editor_text(other), letters) << name;
    }
}

TEST_F(Document, TextFilesShowEveryLetterAndSaveBackByteForByteInTheirEncoding) {
    const std::u16string letters = u"räksmörgås ł Ω → €\r\nrad två";
    const std::string utf8 = u8"räksmörgås ł Ω → €\r\nrad två";
    std::string many_bytes;
    std::u16string many_letters;
    for (int i = 0; i < 4000; i++) many_bytes += u8"ł€å", many_letters += u"ł€å";
    std::string big_endian((const char*)letters.data(), letters.size() * 2);
    for (size_t i = 0; i + 1 < big_endian.size(); i += 2) std::swap(big_endian[i], big_endian[i + 1]);
    const std::string nothing;
    struct encoded_file {
        const char* what;
        std::string bytes;
        std::u16string shown;
    } files[] = {
        {"Windows-1252", "räksmörgås €\r\n", u"räksmörgås €\r\n"},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + utf8, letters},
        {"UTF-8", utf8, letters},
        {"UTF-16 with its mark", "\xFF\xFE" + std::string((const char*)letters.data(), letters.size() * 2), letters},
        {"UTF-8 across the control's reads", many_bytes, many_letters},
        {"not valid UTF-8", "räk\xC3\xA4", u"räkÃ¤"},
        {"overlong and surrogate forms", "\xC0\xAF\xED\xA0\x80", u"À¯í\u00A0€"},
        {"Windows-1252 starting with the mark's bytes", "\xEF\xBB\xBF\xE4", u"ï»¿ä"},
        {"Windows-1252 with a first line of one letter", "1\r\nrad två\r\n", u"1\r\nrad två\r\n"},
        {"a line break across the control's reads", std::string(4095, 'a') + "\r\nb",
         std::u16string(4095, u'a') + u"\r\nb"},
        {"a CR CR LF across the control's reads", std::string(4096, 'a') + "\r\r\nb",
         std::u16string(4096, u'a') + u"\r\r\nb"},
        {"UTF-16 big-endian with its mark", "\xFE\xFF" + big_endian, letters},
        // files of 0 to 4 bytes, in each encoding and with each mark
        {"nothing", nothing, u""},
        {"the UTF-8 mark alone", "\xEF\xBB\xBF", u""},
        {"the UTF-16 mark alone", "\xFF\xFE", u""},
        {"the UTF-16 big-endian mark alone", "\xFE\xFF", u""},
        {"the UTF-8 mark and a letter", "\xEF\xBB\xBF" "a", u"a"},
        {"the UTF-16 mark and a letter", std::string("\xFF\xFE" "a\0", 4), u"a"},
        {"the UTF-16 big-endian mark and a letter", std::string("\xFE\xFF\0a", 4), u"a"},
        {"a UTF-16 mark and an odd byte", "\xFE\xFF" "a", u"þÿa"},
        {"part of the UTF-8 mark", "\xEF\xBB", u"ï»"},
        {"one letter of UTF-8", "\xC3\xA5", u"å"},
        {"a UTF-8 letter beyond 65,536", "\xF0\x9F\x98\x80", u"😀"},
        {"one byte", "\xFF", u"ÿ"},
        {"UTF-16 with a line break across the control's reads",
         "\xFF\xFE" + std::string((const char*)(std::u16string(2047, u'a') + u"\r\nb").data(), 2050 * 2),
         std::u16string(2047, u'a') + u"\r\nb"},
    };
    for (const encoded_file& file : files) {
        SCOPED_TRACE(file.what);
        std::string path = folder + "in.txt", copy = folder + "kopia.txt";
        ASSERT_TRUE(file_write(path, file.bytes));
        int loaded = 0;
        HWND other = load_fresh(path, &loaded);
        EXPECT_GE(loaded, 0);
        EXPECT_EQ(editor_letters(other), file.shown);
        // one line per line break and the one after the last: no line counted twice
        LRESULT breaks = std::count(file.shown.begin(), file.shown.end(), u'\n');
        EXPECT_EQ(SendMessageA(other, EM_GETLINECOUNT, 0, 0), breaks + 1);
        // saved under a new name, in the encoding it came in
        int saved = document_save(other, copy.c_str());
        EXPECT_TRUE(file.shown.empty() ? saved == DOCUMENT_NOTHING_MOVED : saved > 0) << saved;
        EXPECT_EQ(file_read(copy), file.bytes);
        // and again after a letter typed at the end and taken away
        LONG end = editor_text_length(other);
        editor_select(other, end, end);
        SendMessageA(other, EM_REPLACESEL, TRUE, (LPARAM)"x");
        editor_select(other, end, end + 1);
        SendMessageA(other, EM_REPLACESEL, TRUE, (LPARAM)"");
        EXPECT_EQ(editor_letters(other), file.shown);
        document_save(other, copy.c_str());
        EXPECT_EQ(file_read(copy), file.bytes);
        DestroyWindow(other);
    }
}

// A text file whose lines all end alike in LF or in CR keeps that end for a paragraph typed, and
// after a change of the whole document is undone, which the control would end with CR LF.
TEST_F(Document, TextFilesKeepTheirOwnLineEndForEveryParagraph) {
    const struct {
        const char* what;
        std::string bytes, typed;  // the file, and saved after "ny" and a paragraph end typed at its end
    } files[] = {
        {"LF", "ett\ntv\xe5\n", "ett\ntv\xe5\nny\n"},
        {"CR", "ett\rtv\xe5\r", "ett\rtv\xe5\rny\r"},
        {"CR LF", "ett\r\ntv\xe5\r\n", "ett\r\ntv\xe5\r\nny\r\n"},
        {"mixed: each end as it was", "ett\r\ntv\xe5\n", "ett\r\ntv\xe5\nny\r\n"},
        // a letter Windows-1252 lacks before each line end: the document comes back through RTF
        {"UTF-16, LF", std::string("\xff\xfe" "\x42\x01\n\0\x42\x01\n\0", 10),
         std::string("\xff\xfe" "\x42\x01\n\0\x42\x01\n\0n\0y\0\n\0", 16)},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        std::string path = folder + "rader.txt";
        ASSERT_TRUE(file_write(path, file.bytes));
        int loaded = 0;
        HWND other = load_fresh(path, &loaded);
        ASSERT_GE(loaded, 0);
        LONG end = editor_text_length(other);
        editor_select(other, end, end);
        for (WPARAM letter : {'n', 'y'}) SendMessageA(other, WM_CHAR, letter, 0);
        SendMessageA(other, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageA(other, WM_CHAR, '\r', 0);
        EXPECT_GT(document_save(other, path.c_str()), 0);
        EXPECT_EQ(file_read(path), file.typed);
        if (strcmp(file.what, "mixed: each end as it was") != 0) {
            document_step_begin(other);
            editor_select(other, 0, -1);
            SendMessageA(other, EM_REPLACESEL, TRUE, (LPARAM)"");
            editor_clear_undo(other);  // as a change made in a new control leaves it
            document_step_end(other);
            EXPECT_TRUE(document_step_undo(&other));
            EXPECT_GT(document_save(other, path.c_str()), 0);
            EXPECT_EQ(file_read(path), file.typed);
        }
        DestroyWindow(other);
    }
}

TEST_F(Document, LettersWindows1252CannotStoreAreSavedAsUtf8) {
    SETTEXTEX set = {ST_DEFAULT, 1200};
    SendMessageA(editor, EM_SETTEXTEX, (WPARAM)&set, (LPARAM)u"å ł Ω →");
    const std::string utf8 = u8"å ł Ω →";  // the macro's own text of it would need Windows-1252
    std::string path = folder + "ny.txt";
    EXPECT_GT(document_save(editor, path.c_str()), 0);
    EXPECT_EQ(file_read(path), utf8);
    EXPECT_EQ(document_encoding, TEXT_UTF8);  // and stays so
}

TEST_F(Document, SaveCountsCharactersAndClearsTheModifiedFlag) {
    std::string path = folder + "kort.txt";
    ASSERT_TRUE(file_write(path, "ett mycket längre innehåll som ska bort"));
    type("a");
    EXPECT_EQ(document_save(editor, path.c_str()), 1);
    EXPECT_EQ(file_read(path), "a");
    EXPECT_FALSE(is_modified(editor));
    type("ab");
    EXPECT_EQ(document_save(editor, path.c_str()), 2);
    EXPECT_EQ(file_read(path), "ab");
    // nothing but the document is left in the folder
    EXPECT_EQ(folder_files(folder), std::vector<std::string>{"kort.txt"});
}

// While the document is written the folder holds the target and one file plainly ours; what
// a save that ended abnormally left there is gone after the next one.
TEST_F(Document, SaveWritesBesideTheTargetUnderARecognisableName) {
    static std::string watched;
    static std::vector<std::string> while_writing;
    static WNDPROC previous = nullptr;
    watched = folder;
    previous = (WNDPROC)SetWindowLongPtrA(editor, GWLP_WNDPROC, (LONG_PTR)+[](HWND w, UINT m, WPARAM wp,
                                                                               LPARAM lp) -> LRESULT {
        if (m == EM_STREAMOUT) while_writing = folder_files(watched);
        return CallWindowProcA(previous, w, m, wp, lp);
    });
    ASSERT_TRUE(file_write(folder + "brev.rtf", "gammalt"));
    ASSERT_TRUE(file_write(folder + "~brev.rtf.tmp", "kvar efter ett avbrott"));
    type("Hej");
    EXPECT_GT(document_save(editor, (folder + "brev.rtf").c_str()), 0);
    SetWindowLongPtrA(editor, GWLP_WNDPROC, (LONG_PTR)previous);
    std::sort(while_writing.begin(), while_writing.end());
    EXPECT_EQ(while_writing, (std::vector<std::string>{"brev.rtf", "~brev.rtf.tmp"}));
    EXPECT_EQ(folder_files(folder), std::vector<std::string>{"brev.rtf"});
    EXPECT_EQ(file_read(folder + "brev.rtf").substr(0, 5), "{\\rtf");
}

TEST_F(Document, EmptyDocumentSavesAnEmptyFileWithNothingMoved) {
    std::string path = folder + "tom.txt";
    ASSERT_TRUE(file_write(path, "gammalt"));
    type("");
    EXPECT_EQ(document_save(editor, path.c_str()), -3);
    EXPECT_TRUE(file_exists(path));
    EXPECT_EQ(file_read(path), "");
    EXPECT_FALSE(is_modified(editor));
    EXPECT_EQ(folder_files(folder), std::vector<std::string>{"tom.txt"});
}

TEST_F(Document, LockedFileCannotBeSavedOrLoadedAndNothingChanges) {
    std::string path = folder + "låst.txt";
    ASSERT_TRUE(file_write(path, "innehåll"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    type("ändrad text");
    EXPECT_EQ(document_save(editor, path.c_str()), -2);
    EXPECT_EQ(document_load(&editor, path.c_str()), -2);
    CloseHandle(held);
    EXPECT_EQ(editor_text(editor), "ändrad text");
    EXPECT_TRUE(is_modified(editor));
    EXPECT_EQ(file_read(path), "innehåll");
    EXPECT_EQ(folder_files(folder), std::vector<std::string>{"låst.txt"});
}

TEST_F(Document, ReadOnlyFileOpensButIsNotSavedOverAndMissingFolderGivesCannotOpen) {
    std::string path = folder + "skyddad.txt";
    ASSERT_TRUE(file_write(path, "skyddad"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    type("ny text");
    EXPECT_EQ(document_save(editor, path.c_str()), -2);
    EXPECT_EQ(file_read(path), "skyddad");
    EXPECT_EQ(document_load(&editor, path.c_str()), 7);
    EXPECT_EQ(editor_text(editor), "skyddad");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    type("ny text");
    EXPECT_EQ(document_save(editor, (folder + "saknas\\brev.txt").c_str()), -2);
    EXPECT_EQ(document_load(&editor, (folder + "saknas\\brev.txt").c_str()), -2);
    EXPECT_EQ(editor_text(editor), "ny text");
    EXPECT_TRUE(is_modified(editor));
}

TEST_F(Document, MissingFileIsNotCreatedAndEmptyFileGivesAnEmptyDocument) {
    type("något");
    EXPECT_EQ(document_load(&editor, (folder + "ny.txt").c_str()), -2);
    EXPECT_FALSE(file_exists(folder + "ny.txt"));
    EXPECT_EQ(editor_text(editor), "något");
    EXPECT_TRUE(is_modified(editor));
    for (const char* name : {"tom.txt", "tom.rtf"}) {
        ASSERT_TRUE(file_write(folder + name, ""));
        type("något");
        EXPECT_EQ(document_load(&editor, (folder + name).c_str()), 0) << name;
        EXPECT_EQ(editor_text(editor), "") << name;
        EXPECT_FALSE(is_modified(editor)) << name;
    }
}

// A load the control gives up midway puts the document back as it stood: text, character and
// paragraph formats, selection and modified flag.
TEST_F(Document, FailedLoadPutsTheDocumentBack) {
    SendMessageA(editor, WM_SETFONT, (WPARAM)regular_font, 0);  // as the application's editor
    const char* const broken[] = {
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b Fet text som klipps mitt i {\\i kurs",  // cut short
        "xq\x01\x02 inte RTF",                                                             // no RTF at all
    };
    for (const char* content : broken) {
        type("Osparat\tbrev med fet text");
        CHARFORMATA plain = regular;
        SendMessageA(editor, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&plain);
        CHARFORMATA bold = regular;
        bold.dwEffects = CFE_BOLD;
        editor_select(editor, 13, 16);
        SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&bold);
        editor_set_indent_and_tabs(editor, 50, 3, 40);
        editor_select(editor, 3, 5);
        std::string path = folder + "trasig.rtf";
        ASSERT_TRUE(file_write(path, content));
        EXPECT_EQ(document_load(&editor, path.c_str()), -3);
        EXPECT_EQ(editor_text(editor), "Osparat\tbrev med fet text");
        EXPECT_TRUE(is_modified(editor));
        CHARRANGE selection = {};
        SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&selection);
        EXPECT_EQ(selection.cpMin, 3);
        EXPECT_EQ(selection.cpMax, 5);
        editor_select(editor, 13, 16);
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        EXPECT_EQ(format.dwEffects & CFE_BOLD, (DWORD)CFE_BOLD);
        editor_select(editor, 0, 1);
        SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        EXPECT_EQ(format.dwEffects & CFE_BOLD, 0u);
        PARAFORMAT paragraph = paragraph_at(editor, 0);
        EXPECT_EQ(paragraph.dxStartIndent, 50 * 20);
        EXPECT_EQ(paragraph.dxOffset, 0);
        ASSERT_EQ(paragraph.cTabCount, 3);
        EXPECT_EQ(paragraph.rgxTabs[2] & 0x00FFFFFF, (50 + 80) * 20);
    }
}

TEST_F(Document, LoadReplacesTheTextAndClearsTheModifiedFlag) {
    std::string path = folder + "läs.txt";
    ASSERT_TRUE(file_write(path, "rad ett\r\nrad två"));
    type("gammal");
    EXPECT_EQ(document_load(&editor, path.c_str()), 16);
    EXPECT_EQ(editor_text(editor), "rad ett\r\nrad två");
    EXPECT_FALSE(is_modified(editor));
}

// Read on the margin, a document ends as it would after a load and the margin pass over it, in
// a fresh editor as over a bold Times document, with nothing left to undo.
// A plain-text file comes in on the margin; an RTF file keeps its own indents and tab stops,
// exactly as an ordinary load leaves it.
TEST_F(Document, LoadOnTheMarginLaysOutTextFilesAndLeavesRtfAsItIs) {
    const struct {
        const char* name;
        const char* content;
    } documents[] = {
        {"brev.txt", "F\xf6rsta raden\r\nandra\traden\r\nsista"},
        {"rader.txt", "ett\ntv\xe5\n\n"},
        {"enkel.rtf", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 brevduvan \\b lyfte\\b0\\par taket {\\i vid}"
                      "\\par sista}"},
        {"egen.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard\\li500\\fi-200\\tx300 ett\\tab tv\\'e5\\par"
                     "\\pard\\qc\\ri400 mitten\\par}"},
        {"ordet.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}f\\\\pard\\par\\pard\r\nsista\\pard}"},
        {"tabell.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\trowd\\cellx2000\\cellx4000\\intbl a\\cell b\\cell\\row"
                       "\\pard efter\\par}"},
    };
    for (const auto& document : documents) {
        for (bool earlier_document : {false, true}) {
            SCOPED_TRACE(std::string(document.name) + (earlier_document ? " over a bold Times document" : ""));
            std::string path = folder + document.name;
            ASSERT_TRUE(file_write(path, document.content));
            HWND editors[2];
            for (HWND& other : editors) {
                other = make_editor(parent);
                SendMessageA(other, WM_SETFONT, (WPARAM)regular_font, 0);
                if (!earlier_document) continue;
                editor_set_text(&other, "gammal text\r\nrad tv\xe5");
                CHARFORMATA bold = {sizeof(CHARFORMATA), CFM_BOLD | CFM_FACE | CFM_SIZE, CFE_BOLD, 400, 0, 0,
                                    ANSI_CHARSET, 0, "Times New Roman"};
                SendMessageA(other, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&bold);
                editor_set_indent_and_tabs(other, 40, 3, 50);
            }
            int loaded = document_load(&editors[0], path.c_str());
            bool plain = std::string(document.name).find(".txt") != std::string::npos;
            if (plain) editor_set_indent_and_tabs(editors[0], 1, 20, 30);
            EXPECT_EQ(document_load_on_margin(&editors[1], path.c_str(), 1, 20, 30), loaded);
            EXPECT_GT(loaded, 0);
            EXPECT_EQ(editor_can_undo(editors[1]), 0);
            EXPECT_FALSE(is_modified(editors[1]));
            EXPECT_EQ(editor_caret_position(editors[1], "FORMAT"), 0);
            std::string saved[2];
            for (int i = 0; i < 2; i++) {
                std::string copy = folder + "kopia" + std::to_string(i) + ".rtf";
                document_save(editors[i], copy.c_str());
                saved[i] = file_read(copy);
                DestroyWindow(editors[i]);
            }
            EXPECT_EQ(saved[1], saved[0]);
        }
    }
}

namespace {

// A 64 KB file system mounted for one test, so that writes really fail when it is full.
// Wine runs Unix programs named by their Unix path, which lets the test mount it itself.
class TinyDisk : public Document {
protected:
    void SetUp() override {
        Document::SetUp();
        unix_folder = "/tmp/brevduva-tiny-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(GetTickCount());
        tiny = "Z:" + unix_folder + "\\";
        for (char& c : tiny) c = c == '/' ? '\\' : c;
        if (!CreateDirectoryA(tiny.c_str(), nullptr)) GTEST_SKIP() << "no Z: drive for Unix paths";
        run_unix("mount -t tmpfs -o size=64k tmpfs " + unix_folder, 5000);
        mounted = pump_until([this] { return capacity() > 0 && capacity() <= 1024 * 1024; }, 5000);
        if (!mounted) GTEST_SKIP() << "cannot mount a 64 KB tmpfs at " << unix_folder << " (needs root)";
    }
    void TearDown() override {
        if (mounted) {
            run_unix("umount -l " + unix_folder, 5000);
            pump_until([this] { return capacity() > 1024 * 1024; }, 5000);
        }
        RemoveDirectoryA(tiny.c_str());
        Document::TearDown();
    }
    ULONGLONG capacity() {
        ULARGE_INTEGER free_bytes, total, total_free;
        if (!GetDiskFreeSpaceExA(tiny.c_str(), &free_bytes, &total, &total_free)) return 0;
        return total.QuadPart;
    }
    // About 200 KB, more than the file system holds.
    std::string large_text() {
        std::string text;
        while (text.size() < 200000) text += "Brevduvan flyger över sjön med ett långt brev.\r\n";
        return text;
    }

    std::string unix_folder, tiny;
    bool mounted = false;
};

}  // namespace

TEST_F(TinyDisk, FailingWriteKeepsTheOldFileAndTheModifiedFlag) {
    std::string path = tiny + "brev.txt";
    type("Det gamla brevet.");
    ASSERT_EQ(document_save(editor, path.c_str()), 17);  // small documents fit
    std::string text = large_text();
    type(text.c_str());
    EXPECT_EQ(document_save(editor, path.c_str()), -3);
    EXPECT_EQ(file_read(path), "Det gamla brevet.");
    EXPECT_TRUE(is_modified(editor));
    EXPECT_EQ(editor_text(editor), text);
    EXPECT_EQ(folder_files(tiny), std::vector<std::string>{"brev.txt"});
}

TEST_F(TinyDisk, FailingWriteToANewRtfFileLeavesNoFile) {
    std::string text = large_text();
    type(text.c_str());
    EXPECT_EQ(document_save(editor, (tiny + "nytt.rtf").c_str()), -3);
    EXPECT_TRUE(is_modified(editor));
    EXPECT_TRUE(folder_files(tiny).empty());
    // the space is given back: a small document still fits afterwards
    type("liten");
    EXPECT_EQ(document_save(editor, (tiny + "nytt.txt").c_str()), 5);
}

namespace {

// A drop block as the shell hands it over: a DROPFILES header, then NUL-separated names.
HDROP make_drop(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += name + '\0';
    list += '\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    DROPFILES* drop = (DROPFILES*)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    memcpy((char*)drop + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    return (HDROP)memory;
}

TEST_F(Document, PlainTextReplacesALargeDocumentWhole) {
    std::string large;
    for (int i = 0; i < 8000; i++) large += "gammal rad " + std::to_string(i) + "\r\n";
    editor_set_text(&editor, large.c_str());
    std::string path = folder + "ny.txt";
    ASSERT_TRUE(file_write(path, "ny rad\r\nsista"));
    EXPECT_GT(document_load(&editor, path.c_str()), 0);
    std::string now(GetWindowTextLengthA(editor) + 1, '\0');
    GetWindowTextA(editor, &now[0], (int)now.size());
    EXPECT_STREQ(now.c_str(), "ny rad\r\nsista");
    EXPECT_EQ(SendMessageA(editor, EM_GETMODIFY, 0, 0), 0);
}

}  // namespace

TEST(DropQueryFile, TakesExactlyOneFileAndReleasesTheDrop) {
    const std::string one = "C:\\brev\\släppt.rtf";
    HDROP drop = make_drop({one});
    EXPECT_EQ(drop_query_file(drop), (int)one.size());
    EXPECT_EQ(std::string(dropped_file_path), one);
    EXPECT_EQ(GlobalSize(drop), 0u);
    for (auto names : {std::vector<std::string>{"C:\\a.txt", "C:\\b.txt"}, std::vector<std::string>{}}) {
        drop = make_drop(names);
        EXPECT_EQ(drop_query_file(drop), 0);
        EXPECT_EQ(std::string(dropped_file_path), one);
        EXPECT_EQ(GlobalSize(drop), 0u);
    }
}
