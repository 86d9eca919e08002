// RTF files beyond what the control's reader can hold (deep groups, endless control words,
// overlong names, paragraphs of endless tabs), and text files with such a paragraph, are refused
// before the control reads them; everything within its reach still loads, with values the
// control can copy and save (pasted RTF too), field results and table cells shown as text. A
// file at the path length limit is saved like any other.
#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <string>

#include "support/test_util.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/text_encoding.h"

namespace {

std::string editor_text(HWND editor) {
    std::string s(editor_text_length(editor) + 1, '\0');
    GetWindowTextA(editor, &s[0], (int)s.size());
    s.resize(lstrlenA(s.c_str()));
    return s;
}

std::string repeated(const std::string& piece, int times) {
    std::string s;
    for (int i = 0; i < times; i++) s += piece;
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
        editor_set_text(&editor, "Osparat");
        document_encoding = TEXT_CP1252;
        editor_set_modified(editor, "ON");
    }
    void TearDown() override { DestroyWindow(parent); }

    int load(const std::string& content) {
        std::string path = folder + "prov.rtf";
        file_write(path, content);
        return document_load(&editor, path.c_str());
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

// Groups deeper than the reader holds are read as part of the deepest it holds; a \\* or a
// destination there would have the reader skip or read the rest of that group, and goes.
TEST_F(DocumentLimits, GroupsNestedDeeperThan32AreReadFlattened) {
    const struct {
        int depth;
        std::string inside, text;
        int count;
    } files[] = {
        {32, "djup", "djup", 4},
        {33, "djup", "djup", 4},
        {100000, "djup", "djup", 4},
        {32, "a{\\*\\zz b}{\\fldinst c}{\\pict d}e", "abcde", 5},
        {40, "a{\\*\\zz b}{\\*\\fldrslt c}{\\fonttbl d}{\\stylesheet e}f", "abcdef", 6},
        {33, "{\\b fet}normal{\\colortbl x}\\par slut", "fetnormalx\r\nslut", 16},
        // a brace where a \\u letter's stand-in is due: the reader would count its group twice
        {1, repeated("\\u228{", 40) + "x" + std::string(40, '}'), std::string(40, '\xe4') + "x", 41},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.inside.substr(0, 60));
        EXPECT_EQ(load(nested(f.depth, f.inside)), f.count);
        EXPECT_EQ(editor_text(editor), f.text);
    }
}

TEST_F(DocumentLimits, ControlWordsLongerThan255AreRefused) {
    expect_refused("{\\rtf1 \\" + std::string(256, 'a') + " text}");
    expect_refused("{\\rtf1 text\\fs" + std::string(5000, '9') + " mer}");
    expect_refused("{\\rtf1 text\\" + std::string(70000, 'b') + "-" + std::string(3000, '1') + " slut}");
    EXPECT_EQ(load("{\\rtf1 \\" + std::string(255, 'a') + " text}"), 4);
}

TEST_F(DocumentLimits, NamesTheReaderCouldCollectAnywhereLoadAndTabsBeyondItAreRefused) {
    const std::string letters(3000, 'N');
    const std::string picture = "{\\pict\\wmetafile8 " + repeated("ab", 1500) + "}";
    // wherever the reader may take text for a font or style name, the file loads whole
    const struct {
        const char* what;
        std::string file, text;
    } names[] = {
        {"font table", "{\\rtf1{\\fonttbl{\\f0 " + letters + ";}}text}", "text"},
        {"escaped letters", "{\\rtf1{\\fonttbl{\\f0\\fswiss " + repeated("\\'46", 1000) + ";}}text}", "text"},
        {"style sheet", "{\\rtf1{\\stylesheet{\\s0 " + letters + ";}}text}", "text"},
        {"table not first in its group", "{\\rtf1\\ansi\\fonttbl{\\f0 " + std::string(1100, 'A') + ";}}", ""},
        {"table after a format", "{\\rtf1{\\b\\fonttbl{\\f0 " + letters + ";}}x}", "x"},
        {"table in the body", "{\\rtf1 a\\par\\plain\\fonttbl{\\f1 " + std::string(1500, 'B') + ";} b}", ""},
        {"style sheet in the body", "{\\rtf1 a\\plain\\stylesheet{\\s1 " + letters + ";} b}", ""},
        {"name broken by \\:", "{\\rtf1{\\fonttbl{\\f0 " + std::string(700, 'C') + "\\:" + std::string(700, 'C') + ";}}x}", "x"},
        {"entry starting with \\*", "{\\rtf1{\\fonttbl{\\*\\f0 " + letters + ";}}x}", "x"},
        {"style entry starting with \\*", "{\\rtf1{\\stylesheet{\\*\\s0 " + letters + ";}}x}", "x"},
        {"entry without a name's end, body after it", "{\\rtf1{\\fonttbl{\\f0}}" + letters + "}", ""},
        // the style sheet's reader reads an entry up to its ';', past the sheet's end
        {"picture after a style entry without its ';'", "{\\rtf1{\\stylesheet{\\s1 Name}}x" + picture + "}", ""},
        {"picture after a style sheet begun within a group", "{\\rtf1 x\\stylesheet " + picture + "}", "x"},
        {"picture after a font table begun within a group", "{\\rtf1 {x\\fonttbl " + picture + "}}", "x"},
        // the font table's reader takes a '}' after a word for an entry's end
        {"picture after a font entry ended by a word", "{\\rtf1 {\\fonttbl x\\par}" + picture + "}", ""},
        {"picture after a font entry in braces ended by a word", "{\\rtf1{\\fonttbl{\\f0 Arial\\b}}" + picture + "}", ""},
        {"names between line ends and NULs",
         "{\\rtf1{\\fonttbl{\\f0 " + repeated(std::string(300, 'D') + "\r\n" + std::string(1, '\0'), 5) + ";}}x}", ""},
    };
    for (const auto& n : names) {
        SCOPED_TRACE(n.what);
        EXPECT_GE(load(n.file), 0);
        if (!n.text.empty()) {
            EXPECT_EQ(editor_text(editor), n.text);
        }
    }
    // the breaks show nothing: a long paragraph, letters of two bytes too, comes in whole
    std::string words = repeated("abc\\'e5\\'e4\\'f6 ", 20000);
    EXPECT_EQ(load("{\\rtf1\\ansi " + words + "}"), 140000);
    EXPECT_TRUE(editor_text(editor) == repeated("abc\xe5\xe4\xf6 ", 20000));
    // every way of writing a tab counts
    for (const char* tab : {"\\tab ", "\t", "\\'09", "\\u9?", "\\u-65527?"}) {
        SCOPED_TRACE(tab);
        editor_set_text(&editor, "Osparat");
        editor_set_modified(editor, "ON");
        expect_refused("{\\rtf1 " + repeated(tab, 20000) + "x}");
    }
    // and so does every letter outside the basic plane, its halves written either way
    for (const char* letter : {"\\u-10179?\\u-8704?", "\\u55357?\\u56832?"}) {
        SCOPED_TRACE(letter);
        expect_refused("{\\rtf1 " + repeated(letter, 16001) + "}");
    }
    EXPECT_EQ(load("{\\rtf1 " + repeated("\\u-10179?\\u-8704?", 16000) + "\\par " + repeated("\\u-10179?\\u-8704?", 16000) + "}"),
              64002);
    // and every letter of a word, however written: a blank the reader may skip breaks none
    for (const char* letter : {"x", "\\'e5", "\\u229?", "\\{"}) {
        SCOPED_TRACE(letter);
        editor_set_text(&editor, "Osparat");
        editor_set_modified(editor, "ON");
        expect_refused("{\\rtf1\\ansi " + repeated(letter, 15000) + "{\\*\\zz  }" + repeated(letter, 15001) + "}");
    }
    EXPECT_EQ(load("{\\rtf1\\ansi " + repeated("x", 30000) + "\\line " + repeated("\\'e5", 29999) + "\\u229? }"), 60002);
    // tabs spread over paragraphs are read
    EXPECT_GT(load("{\\rtf1 " + repeated(repeated("\\tab ", 100) + "\\par ", 1000) + "}"), 0);
    std::string text = editor_text(editor);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 100000);
}

// Paragraphs the control lays out endlessly are refused: endless format changes, and a tab that
// stands millions of twips from its paragraph's start (letters of hundreds of points before it),
// where the control loops for ever. The letters count in a group opened by a \* that the reader
// shows after all, and a paragraph end it skips ends nothing. The same spread over paragraphs, or
// at an ordinary size, is read, and so are letters in the groups the reader skips after a \*.
TEST_F(DocumentLimits, ParagraphsTheControlLaysOutEndlesslyAreRefused) {
    std::string letters = repeated("abcdefg ", 1000);
    for (const std::string& refused :
         {"{\\rtf1 " + repeated("{\\b x}", 300000) + "}", "{\\rtf1 " + repeated("WWWW\\b ", 200000) + "}",
          "{\\rtf1\\ansi\\fs576 " + letters + "\\tab x}", "{\\rtf1\\ansi\\fs65536 " + letters + "\t x}",
          "{\\rtf1\\ansi\\fs-576 " + letters + "\\tab x}", "{\\rtf1\\fs-65527 " + std::string(45, 'W') + "\\tab x}",
          // the \* before a symbol or a brace never reaches the reader; before \b it means nothing
          "{\\rtf1\\ansi{\\*\\~\\fs576 " + letters + "}\\tab x}", "{\\rtf1\\ansi{\\*{}\\fs576 " + letters + "}\\tab x}",
          "{\\rtf1\\ansi{\\*\\b\\fs576 " + letters + "}\\tab x}",
          // the reader skips the rest of a footnote, and of a group after a \* and a word it does not know
          "{\\rtf1\\ansi\\fs576 " + letters + "{\\footnote\\par}\\tab x}",
          "{\\rtf1\\ansi\\fs576 " + letters + "{\\*\\zz x\\par}\\tab x}"}) {
        expect_refused(refused);
    }
    EXPECT_GT(load("{\\rtf1 " + repeated(repeated("{\\b x}", 100) + "\\par ", 1000) + "}"), 0);
    // what counts is runs, not words: a paragraph of 16,000 runs of three changes each, as saved
    EXPECT_EQ(load("{\\rtf1 " + repeated("\\b\\i\\ul x\\b0\\i0\\ulnone y", 8000) + "}"), 16000);
    EXPECT_EQ(load("{\\rtf1\\ansi\\fs24 " + letters + "\\tab x}"), 8002);
    // the control applies no style: a style's size sets nothing
    EXPECT_EQ(load("{\\rtf1{\\stylesheet{\\s1\\fs576 Stor;}}\\s1 " + letters + "\\'09 x}"), 8003);
    EXPECT_EQ(load("{\\rtf1\\ansi\\fs576 " + letters + "\\par\\tab x}"), 8004);
    EXPECT_EQ(load("{\\rtf1\\ansi\\fs576 " + letters + "{\\b\\par}\\tab x}"), 8004);
    for (const char* word :
         {"falt", "fonteb", "fontfile", "filetbl", "file", "keycode", "revtbl", "generator", "title", "subject",
          "author", "operator", "keywords", "comment", "version", "doccomm", "verscomm", "nextfile", "template",
          "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "pgnhn", "pnseclvl", "header", "footer",
          "headerl", "headerr", "headerf", "footerl", "footerr", "footerf", "pntext", "pntxta", "pntxtb",
          "bkmkstart", "bkmkend", "objclass", "objname", "objdata", "objalias", "objsect", "objitem", "objtopic",
          "result", "do", "footnote", "atrfstart", "atrfend", "atnid", "atnauthor", "annotation", "atnref",
          "atntime", "atnicn", "fldinst", "datafield", "xe", "txe", "rxe", "tc", "NeXTGraphic", "nonesttables",
          "nonshppict", "listtable", "listoverridetable", "rsidtbl", "themedata", "colorschememapping",
          "datastore", "latentstyles", "xmlnstbl", "pgdsctbl", "mmathPr", "defchp", "defpap", "docvar",
          "userprops", "wgrffmtfilter", "htmltag", "mhtmltag", "htmlbase", "shp", "shpinst", "shptxt", "blipuid",
          "panose", "ud", "formfield", "oldcprops", "oldpprops"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(load("{\\rtf1\\ansi{\\*\\" + std::string(word) + "\\fs576 " + letters + "}\\tab x}"), 2);
        EXPECT_EQ(editor_text(editor), "\tx");
    }
}

// A table entry without its end, a style sheet of any shape, a field's result after a \*: the text
// after them comes in whole. A bitmap whose header claims more than its data holds is made up
// with zero pixels, one whose header the reader cannot use is left out; the text around comes in.
TEST_F(DocumentLimits, MalformedTablesAndPicturesLeaveTheTextAroundThem) {
    std::string lying = bitmap_header_hex(2000, 2000, 32, 0, 0), picture = "{\\pict\\dibitmap0 " + lying + "}";
    std::string sound = bitmap_header_hex(2, 2, 24, 0, 0) + repeated("ff", 16);
    const struct {
        std::string file, text;
    } files[] = {
        {"{\\rtf1{\\stylesheet{\\s0 Normal}}AB\\par CD}", "AB\r\nCD"},
        {"{\\rtf1{\\stylesheet\\s0 Normal}AB}", "AB"},
        {"{\\rtf1{\\colortbl\\red255\\green0\\blue0}AB\\par CD}", "AB\r\nCD"},
        {"{\\rtf1{\\colortbl;{\\red1}\\red2\r\n}AB}", "AB"},
        {"{\\rtf1{\\fonttbl{\\f0 Arial\\b}}AB}", "AB"},
        {"{\\rtf1{\\fonttbl{\\f0}{\\f1{\\*\\panose 02}}}AB}", "AB"},
        {"{\\rtf1{\\fonttbl\\f0\\b}AB}", "AB"},
        {"{\\rtf1{\\fonttbl{\\f0 A;}\\b}AB}", "AB"},
        {"{\\rtf1{\\fonttbl{\\f0 A;{x}B}{\\f1 C;}}AB}", "AB"},
        {"{\\rtf1{\\fonttbl x{\\f0 A;}}AB}", "AB"},
        {"{\\rtf1 x{\\*\\fldrslt y}z{\\field{\\*\\fldinst u}{\\*\\fldrslt v}}}", "xyzv"},
        // a \\* within a group means nothing: the reader would skip the rest of the group
        {"{\\rtf1 a\\*\\hich b{c\\*\\loch d}e}", "abcde"},
        // a code page the reader turns no byte into a letter with is left out
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\cpg1200 W;}{\\f2\\cpg-5 V;}}A {\\f1 Beta \\'e5} {\\f2 C}}",
         "A Beta \xe5 C"},
        {"{\\rtf1\\ansi\\ansicpg12000{\\fonttbl{\\f0\\cpg65000 Arial;}}Alfa \\'e5}", "Alfa \xe5"},
        {"{\\rtf1 A" + picture + "B}", "A B"},
        {"{\\rtf1 A{\\*\\shppict" + picture + "}B}", "A B"},
        {"{\\rtf1 A{\\object{\\*\\objdata 00}{\\result" + picture + "}}B}", "A B"},
        {"{\\rtf1{\\fonttbl{\\f0 Arial}}A" + picture + "B}", "A B"},
        {"{\\rtf1 A{\\pict\\dibitmap0 " + bitmap_header_hex(65535, -65535, 32, 0, 0) + "00ff}B}", "A B"},
        {"{\\rtf1 A{\\pict\\dibitmap0 " + sound + "}B}", "A B"},
        {"{\\rtf1 A{\\pict\\dibitmap0\r\n" + sound.substr(0, 30) + "\\'41 \r\n" + sound.substr(30) + "}B}", "A B"},
        // headers the reader cannot use, data before the kind, a header cut short: no picture
        {"{\\rtf1 A{\\pict\\dibitmap0 " + bitmap_header_hex(2, 2, 7, 0, 0) + "}B}", "AB"},
        {"{\\rtf1 A{\\pict\\dibitmap0 " + bitmap_header_hex(2, 2, 8, 0, 0xffffffff) + "}B}", "AB"},
        {"{\\rtf1 A{\\pict\\dibitmap0 " + bitmap_header_hex(2, 2, 8, 1, 0) + "}B}", "AB"},
        {"{\\rtf1 A{\\pict " + lying + "\\dibitmap0}B}", "AB"},
        {"{\\rtf1 A{\\pict\\dibitmap0 2800\\b " + lying + "}B}", "A B"},
        {"{\\rtf1 A{\\pict\\dibitmap0{\\pict\\dibitmap0 " + lying + "}}B}", "AB"},
        // a metafile's records: one deleting an object past the table, one drawing a bitmap that lies
        {"{\\rtf1 A{\\pict\\wmetafile8 01000900000310000000010040000000000004000000f001ffff030000000000}B}", "AB"},
        {"{\\rtf1 A{\\pict\\wmetafile8 0100090000032e000000010040000000000022000000430f2000cc000000d007d00700000000d007"
         "d0070000000028000000d0070000d007000001002000000000000000000000000000000000000000000000000000000300000000"
         "00}B}",
         "AB"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.file.substr(0, 60));
        EXPECT_GT(load(f.file), 0);
        EXPECT_EQ(editor_text(editor), f.text);
    }
}

TEST_F(DocumentLimits, NulBytesAreLeftOutAndTheRestIsRead) {
    EXPECT_EQ(load(std::string("{\\rtf1 abc\0def\\b\0 ghi\\\0}", 24)), 10);
    EXPECT_EQ(editor_text(editor), "abcdef ghi");
}

TEST_F(DocumentLimits, ValidFilesAreNeverRefused) {
    // letters right after a number are text, not more of the control word
    EXPECT_EQ(load("{\\rtf1 \\fs20" + std::string(300, 'x') + "}"), 300);
    // braces within binary data are data: neither groups nor text
    EXPECT_EQ(load("{\\rtf1 a{\\*\\data\\bin40 " + std::string(40, '{') + "}b}"), 2);
    EXPECT_EQ(editor_text(editor), "ab");
    EXPECT_EQ(load("{\\rtf1 a{\\pict\\wmetafile8\\bin4 }}}}}b}"), 2);
    EXPECT_EQ(editor_text(editor), "ab");
    // a UTF-8 mark or blanks before the first brace, a \\' without two hex digits: all of it is read
    for (const std::string& file : {std::string("\xef\xbb\xbf{\\rtf1 ab}"), std::string(" \t\r\n{\\rtf1 ab}"),
                                    std::string("{\\rtf1 a\\'zz\\'4gb\\'}")}) {
        EXPECT_GT(load(file), 0) << file;
        EXPECT_EQ(editor_text(editor), file.find("zz") == std::string::npos ? "ab" : "azzgb");
    }
}

TEST_F(DocumentLimits, IndentsAndTabStopsOfAFileOrAPasteAreMadeSoundBeforeCopyAndSave) {
    const struct {
        const char* paragraph;
        LONG start, offset, tab;  // the first line's indent, the others' from it, the first tab stop (twips)
        const char* indents;  // as saved
    } cases[] = {{"\\pard\\tx-2000 a\\tab b\\par", 0, 0, 0, "\\pard"},
                 {"\\pard\\li-1000\\tqc\\tx-20 a\\tab b\\par", 0, 0, 0, "\\pard"},
                 // a hanging first line is kept; none stands left of the page
                 {"\\pard\\li720\\fi-360\\tx4294965296 a\\tab b\\par", 360, 360, 31680, "\\li720\\fi-360 "},
                 {"\\pard\\fi-5000\\li99999999999\\tx1000 a\\tab b\\par", 31680, 0, 1000, "\\li31680\\fi0 "},
                 {"\\pard\\fi-5000\\li3000\\tx1000 a\\tab b\\par", 0, 3000, 1000, "\\li3000\\fi-3000 "},
                 {"\\trowd\\trleft-5000\\trgaph-108\\cellx-100\\cellx500\\tx300 a\\cell b\\cell\\row", 0, 0, 300, "\\pard"}};
    for (const auto& c : cases) {
        for (bool pasted : {false, true}) {
            SCOPED_TRACE(std::string(pasted ? "pasted " : "opened ") + c.paragraph);
            std::string rtf = std::string("{\\rtf1\\ansi ") + c.paragraph + "}";
            if (pasted) {
                // as another program offers it
                editor_set_text(&editor, "");
                ASSERT_TRUE(clipboard_text_set("a b", rtf));
                editor_paste(editor);
            } else {
                ASSERT_GT(load(rtf), 0);
            }
            EXPECT_EQ(editor_text(editor).substr(0, 3), "a\tb");
            PARAFORMAT paragraph = paragraph_at(editor, 0);
            EXPECT_EQ(paragraph.dxStartIndent, c.start);
            EXPECT_EQ(paragraph.dxOffset, c.offset);
            ASSERT_EQ(paragraph.cTabCount, 1);
            EXPECT_EQ(paragraph.rgxTabs[0] & 0x00FFFFFF, c.tab);
            // both go through the control's RTF writer
            std::string saved = editor_copied_and_saved(editor, folder + "sparad.rtf");
            EXPECT_NE(saved.find("a\\tab b"), std::string::npos);
            EXPECT_EQ(saved.find("\\tx-"), std::string::npos);
            EXPECT_EQ(saved.find("\\li-"), std::string::npos);
            EXPECT_NE(saved.find(c.indents), std::string::npos) << saved;
        }
    }
}

// A last paragraph with no paragraph mark of its own keeps its format, as one with its mark does.
// A font named with no character set reads its letters by the document's code page.
TEST_F(DocumentLimits, FontsWithoutACharacterSetReadTheDocumentsCodePage) {
    const struct {
        std::string file;
        std::wstring text;
    } files[] = {
        {"{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}\\'cf\\'f0}", L"\x041f\x0440"},
        {"{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial}{\\f1\\fcharset1 Times;}{\\f2\\fcharset0 Courier;}}"
         "\\f0\\'cf{\\f1\\'f0}{\\f2\\'f0}}",
         L"\x041f\x0440\x00f0"},
        {"{\\rtf1\\ansi\\ansicpg1253{\\fonttbl\\f0 Arial;\\f1\\cpg1251 Times;}\\f0\\'d9{\\f1\\'cf}}", L"\x03a9\x041f"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\'e5}", L"\x00e5"},
        // the character sets of the Macintosh and of DOS name their code pages
        {"{\\rtf1\\mac{\\fonttbl{\\f0 Geneva;}}\\'8a\\'9a}", L"\x00e4\x00f6"},
        {"{\\rtf1\\pc{\\fonttbl{\\f0 Courier;}}\\'84\\'94}", L"\x00e4\x00f6"},
        {"{\\rtf1\\pca{\\fonttbl{\\f0 Courier;}}\\'8e\\'9d}", L"\x00c4\x00d8"},
        {"{\\rtf1\\mac\\ansicpg1252{\\fonttbl{\\f0 Arial;}}\\'e4}", L"\x00e4"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        EXPECT_GT(load(f.file), 0);
        std::wstring text(editor_text_length(editor) + 1, L'\0');
        GETTEXTEX get = {(DWORD)(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
        SendMessageW(editor, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)&text[0]);
        text.resize(lstrlenW(text.c_str()));
        EXPECT_EQ(text, f.text);
    }
}

// \plain resets what the control's reader resets with it, the colours where they were set.
TEST_F(DocumentLimits, PlainResetsTheLettersFormat) {
    ASSERT_EQ(load("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\highlight1\\b\\i\\ul\\strike\\fs40 a\\plain "
                   "b{\\cf1\\b c\\plain d}e\\cf1 f}"),
              6);
    const struct {
        LONG at;
        bool plain, red;
    } letters[] = {{0, false, true}, {1, true, false}, {2, false, true}, {3, true, false}, {4, true, false},
                   {5, true, true}};
    for (const auto& l : letters) {
        SCOPED_TRACE(l.at);
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        editor_select(editor, l.at, l.at + 1);
        SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        EXPECT_EQ((format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT)) == 0, l.plain);
        EXPECT_EQ(format.yHeight, l.at == 0 ? 400 : 240);
        EXPECT_EQ(!(format.dwEffects & CFE_AUTOCOLOR) && format.crTextColor == RGB(255, 0, 0), l.red);
    }
}

TEST_F(DocumentLimits, TheLastParagraphKeepsItsFormatWithoutItsMark) {
    for (const char* end : {"", "\\par", "{\\b}", "{\\par}"}) {
        SCOPED_TRACE(end);
        ASSERT_GT(load(std::string("{\\rtf1\\pard\\qc A\\par\\pard\\li600 B") + end + "}"), 0);
        EXPECT_EQ(editor_text(editor), "A\r\nB");
        EXPECT_EQ(paragraph_at(editor, 0).wAlignment, PFA_CENTER);
        PARAFORMAT last = paragraph_at(editor, 3);
        EXPECT_EQ(last.wAlignment, PFA_LEFT);
        EXPECT_EQ(last.dxStartIndent, 600);
    }
}

TEST_F(DocumentLimits, FieldResultsAndTableCellsAreShownInOrder) {
    const struct {
        const char* body;
        const char* text;
    } cases[] = {
        {"Se {\\field{\\*\\fldinst HYPERLINK \"http://example.com/\"}{\\fldrslt {\\ul webbsidan}}} nu.",
         "Se webbsidan nu."},
        {"{\\field{\\fldinst PAGE}{\\fldrslt 7}}", "7"},
        {"\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row\\pard Slut", "A\tB\r\nSlut"},
        // as other word processors write rows: cells in groups, an empty one, the row's end in a group
        {"\\trowd\\trgaph108\\trleft-108\\cellx1000\\cellx2000\\cellx3000\\pard\\plain\\intbl {A\\cell }{\\cell }"
         "{{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt C}}\\cell }\\pard\\plain\\intbl {\\trowd\\trgaph108"
         "\\cellx1000\\cellx2000\\cellx3000\\row }\\pard D",
         "A\t\tC\r\nD"},
    };
    for (const auto& c : cases) {
        EXPECT_GT(load(std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ") + c.body + "}"), 0);
        EXPECT_EQ(editor_text(editor), c.text) << c.body;
    }
}

TEST_F(DocumentLimits, EscapedBracesAndBackslashesAreText) {
    std::string braces;
    for (int i = 0; i < 40; i++) braces += "\\{";
    EXPECT_EQ(load("{\\rtf1 " + braces + "\\\\" + std::string(300, 'x') + "}"), 40 + 1 + 300);
    EXPECT_EQ(editor_text(editor), std::string(40, '{') + "\\" + std::string(300, 'x'));
}

TEST_F(DocumentLimits, PlainTextIsRefusedOnlyForAParagraphOfEndlessTabs) {
    const std::string utf16_tabs = repeated(std::string("\t\0", 2), 4001), tabs(3000, '\t');
    const struct {
        const char* what;
        std::string bytes;
        int read;  // characters, or DOCUMENT_NOTHING_MOVED for a file refused
    } files[] = {
        {"braces and backslashes", std::string(100, '{') + "\\" + std::string(300, 'a'), 401},
        {"4,000 tabs", std::string(4000, '\t'), 4000},
        {"tabs over lines ended by LF or CR", repeated(tabs + "\n" + tabs + "\r", 2), 12004},
        {"UTF-16 letters holding the tab's byte", "\xff\xfe" + repeated("\x09\x09", 5000), 5000},
        {"Windows-1252, the tabs after the first block", "å" + repeated("xxxxxxx ", 8750) + std::string(4001, '\t'),
         DOCUMENT_NOTHING_MOVED},
        {"UTF-8", "\xef\xbb\xbfå" + std::string(4001, '\t'), DOCUMENT_NOTHING_MOVED},
        {"UTF-16", "\xff\xfe" + utf16_tabs, DOCUMENT_NOTHING_MOVED},
        // letters outside the basic plane, as many as the control lays out in about a second
        {"UTF-8, 16,001 emoji in a paragraph", "\xef\xbb\xbf" + repeated("\xf0\x9f\x98\x80", 16001),
         DOCUMENT_NOTHING_MOVED},
        {"UTF-16, 16,000 emoji in each of two paragraphs",
         "\xff\xfe" + repeated("\x3d\xd8\x00\xde", 16000) + std::string("\r\0\n\0", 4) + repeated("\x3d\xd8\x00\xde", 16000),
         32002},
        {"Windows-1252, whose bytes from F0 on are letters of their own", std::string(20000, '\xf0'), 20000},
        // words, as long as the control lays out in about half a second
        {"words of 30,000 letters, between them any character up to a space",
         std::string(30000, 'x') + "\x01" + std::string(30000, '\xe5'), 60001},
        {"a word of 30,001 letters", std::string(30001, 'x'), DOCUMENT_NOTHING_MOVED},
        {"a word of 30,000 letters after the UTF-16 mark", "\xff\xfe" + repeated(std::string("x\0", 2), 30000), 30000},
        // the control counts what it reads of UTF-8 in bytes, the mark's included
        {"a word of 30,000 letters after the UTF-8 mark", "\xef\xbb\xbf" + std::string(30000, 'x'), 30003},
    };
    std::string path = folder + "prov.txt";
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        editor_set_text(&editor, "Osparat");
        file_write(path, f.bytes);
        EXPECT_EQ(document_load(&editor, path.c_str()), f.read);
        if (f.read == DOCUMENT_NOTHING_MOVED) {
            EXPECT_EQ(editor_text(editor), "Osparat");
        }
    }
}

// A text file a tenth beyond the characters the editor may hold is refused whole (the control
// would read all of it, a minute's work at 50 MB), counted as the control counts them in each
// encoding; up to that it is read whole.
TEST_F(DocumentLimits, TextATenthBeyondTheEditorsLimitIsRefused) {
    DestroyWindow(editor);
    editor = editor_create(parent, 0, 0, 0, 0, "VHSCROLL", 1000);
    ASSERT_NE(editor, nullptr);
    const std::string utf16_letter("x\0", 2);
    const struct {
        const char* what;
        std::string held, beyond;  // 1,100 characters, and 1,101
    } files[] = {
        {"Windows-1252, CR LF counting two", std::string(1098, 'x') + "\r\n", std::string(1098, 'x') + "\r\ny"},
        {"UTF-8", repeated("\xc3\xa4", 1100), repeated("\xc3\xa4", 1101)},
        {"UTF-8 with its mark, letters beyond 65,535 counting two", "\xef\xbb\xbf" + repeated("\xf0\x9f\x98\x80", 550),
         "\xef\xbb\xbf" + repeated("\xf0\x9f\x98\x80", 550) + "x"},
        {"UTF-16", "\xff\xfe" + repeated(utf16_letter, 1100), "\xff\xfe" + repeated(utf16_letter, 1101)},
    };
    std::string path = folder + "lang.txt";
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        editor_set_text(&editor, "Osparat");
        file_write(path, f.beyond);
        EXPECT_EQ(document_load(&editor, path.c_str()), DOCUMENT_NOTHING_MOVED);
        EXPECT_EQ(editor_text(editor), "Osparat");
        file_write(path, f.held);
        EXPECT_GT(document_load(&editor, path.c_str()), 0);
        EXPECT_EQ(editor_text_length(editor), 1100);
    }
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
