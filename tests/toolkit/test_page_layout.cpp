// The toolkit's own page layout, drawn into metafiles and read back record by record.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/print_output.h"
#include "support/stub_main_window.h"
#include "support/test_util.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/page_layout.h"
#include "toolkit/richedit/print.h"
#include "toolkit/windows/window.h"

namespace {

struct drawn_text {
    std::string text;
    std::wstring units;  // as drawn
    int x, y;  // the baseline's start, device units
    int width;  // of the text without its trailing blanks
    LOGFONTW font;
    COLORREF colour;
};

struct metafile_reader {
    std::map<DWORD, LOGFONTW> fonts;
    LOGFONTW current;
    COLORREF colour;
    std::vector<drawn_text> texts;
};

int CALLBACK read_record(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
    metafile_reader* reader = reinterpret_cast<metafile_reader*>(data);
    if (record->iType == EMR_EXTCREATEFONTINDIRECTW) {
        const EMREXTCREATEFONTINDIRECTW* f = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record);
        reader->fonts[f->ihFont] = f->elfw.elfLogFont;
    } else if (record->iType == EMR_SELECTOBJECT) {
        const EMRSELECTOBJECT* s = reinterpret_cast<const EMRSELECTOBJECT*>(record);
        if (reader->fonts.count(s->ihObject)) reader->current = reader->fonts[s->ihObject];
    } else if (record->iType == EMR_SETTEXTCOLOR) {
        reader->colour = reinterpret_cast<const EMRSETTEXTCOLOR*>(record)->crColor;
    } else if (record->iType == EMR_EXTTEXTOUTW) {
        const EMREXTTEXTOUTW* t = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const WCHAR* chars = reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(record) + t->emrtext.offString);
        char text[4096] = {};
        WideCharToMultiByte(1252, 0, chars, (int)t->emrtext.nChars, text, sizeof text - 1, nullptr, nullptr);
        const INT* advances = reinterpret_cast<const INT*>(reinterpret_cast<const BYTE*>(record) + t->emrtext.offDx);
        size_t visible = t->emrtext.offDx ? std::string(text).find_last_not_of(' ') + 1 : 0;
        int width = 0;  // of the characters up to the last one that is not a blank
        for (size_t i = 0; i < visible; ++i) width += advances[i];
        reader->texts.push_back({text, std::wstring(chars, t->emrtext.nChars), t->emrtext.ptlReference.x, t->emrtext.ptlReference.y, width, reader->current,
                                 reader->colour});
    }
    return 1;
}

class PageLayout : public ::testing::Test {
protected:
    void SetUp() override {
        static int n = 0;
        std::string title = "Sidlayout " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
        main = window_create_main(GetModuleHandleA(nullptr), title.c_str(), 0, 0, 600, 400, "MIN_MAX_CLO");
        ASSERT_NE(main, nullptr);
        editor = editor_create(main, 0, 0, 0, 0, "VHSCROLL", 2000000);
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override {
        page_layout_format(editor, 0, nullptr);
        DestroyWindow(main);
    }

    void set_text(const std::string& text, int points = 12) {
        ASSERT_EQ(editor_set_text(&editor, text.c_str()), 0);
        format_range(0, -1, 0, points);
    }
    void format_range(LONG start, LONG end, DWORD effects, int points, COLORREF colour = 0) {
        print_test_format(editor, start, end, effects, points, colour);
    }
    void paragraph_format(LONG start, LONG end, const PARAFORMAT2& format) {
        editor_select(editor, start, end);
        SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&format);
        editor_select(editor, 0, 0);
    }

    // Lays out and draws one page of [start, end) into rc (twips); what was drawn, in order.
    std::vector<drawn_text> page(LONG start, LONG end, RECT rc, LONG* next) {
        HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        FORMATRANGE range = {};
        range.hdc = range.hdcTarget = dc;
        range.rc = range.rcPage = rc;
        range.chrg.cpMin = start;
        range.chrg.cpMax = end;
        *next = page_layout_format(editor, 1, &range);
        HENHMETAFILE metafile = CloseEnhMetaFile(dc);
        metafile_reader reader = {};
        EnumEnhMetaFile(nullptr, metafile, read_record, &reader, nullptr);
        DeleteEnhMetaFile(metafile);
        return reader.texts;
    }

    // Every page of [start, end), until the layout reports the end.
    std::vector<std::vector<drawn_text>> pages(LONG start, LONG end, RECT rc, std::vector<LONG>* starts = nullptr) {
        std::vector<std::vector<drawn_text>> all;
        LONG limit = end < 0 ? editor_text_length(editor) : end;
        while (start < limit && all.size() < 1000) {
            if (starts) starts->push_back(start);
            LONG next;
            all.push_back(page(start, end, rc, &next));
            if (next <= start) break;
            start = next;
        }
        return all;
    }

    int device_x(int twips) { return MulDiv(twips, dpi(LOGPIXELSX), 1440); }
    int device_y(int twips) { return MulDiv(twips, dpi(LOGPIXELSY), 1440); }
    int dpi(int which) {
        HDC screen = GetDC(nullptr);
        int value = GetDeviceCaps(screen, which);
        ReleaseDC(nullptr, screen);
        return value;
    }

    HWND main = nullptr;
    HWND editor = nullptr;
};

std::string numbered_lines(int count, const char* words) { return print_test_lines(1, count, words); }

std::string trim_right(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

const RECT NARROW_PAGE = {720, 720, 720 + 4 * 1440, 720 + 3 * 1440};  // 4 x 3 inches

}  // namespace

TEST_F(PageLayout, BreaksPagesBetweenLinesWithoutLosingOrRepeatingAny) {
    std::string text = numbered_lines(120, "alfa beta gamma");
    set_text(text);
    std::vector<LONG> starts;
    auto all = pages(0, -1, NARROW_PAGE, &starts);
    ASSERT_GT(all.size(), 3u);
    std::vector<std::string> drawn;
    for (size_t p = 0; p < all.size(); ++p) {
        ASSERT_FALSE(all[p].empty()) << "page " << p + 1 << " is blank";
        // the position a page starts at is the first character of its first line
        EXPECT_EQ(text.substr(starts[p], 8), all[p][0].text.substr(0, 8)) << "page " << p + 1;
        int bottom = device_y(NARROW_PAGE.bottom);
        for (const drawn_text& t : all[p]) {
            EXPECT_LE(t.y, bottom);
            drawn.push_back(trim_right(t.text));
        }
    }
    ASSERT_EQ(drawn.size(), 120u);
    for (int i = 0; i < 120; ++i) {
        char line[64];
        snprintf(line, sizeof line, "Rad %04d alfa beta gamma", i + 1);
        EXPECT_EQ(drawn[i], line);
    }
}

TEST_F(PageLayout, ReturnsTheRangeEndWhenAllFitsAndTheStartOnlyWhenThePageHasNoRoom) {
    set_text("Ett två tre\r\nfyra fem");
    LONG next;
    auto texts = page(0, -1, NARROW_PAGE, &next);
    EXPECT_EQ(next, editor_text_length(editor));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Ett två tre");
    EXPECT_EQ(texts[1].text, "fyra fem");

    RECT flat = {720, 720, 720 + 4 * 1440, 720};
    texts = page(4, -1, flat, &next);
    EXPECT_EQ(next, 4);
    EXPECT_TRUE(texts.empty());
}

TEST_F(PageLayout, PrintsOnlyTheRangeAndStopsAtItsEnd) {
    set_text("första raden\r\nandra raden med fler ord\r\ntredje");
    LONG start = (LONG)std::string("första raden\r\nandra ").size();
    LONG next;
    auto texts = page(start, start + 15, NARROW_PAGE, &next);
    EXPECT_EQ(next, start + 15);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "raden med fler ");
    // a range that starts inside a paragraph starts at the page's left edge
    EXPECT_EQ(texts[0].x, device_x(NARROW_PAGE.left));
}

TEST_F(PageLayout, WrapsAtWordBoundariesAndBreaksAWordLongerThanTheLine) {
    std::string words;
    for (int i = 1; i <= 80; ++i) words += "ord" + std::to_string(i) + " ";
    std::string long_word(300, 'm');
    set_text(words + "\r\n" + long_word);
    LONG next;
    auto texts = page(0, -1, {0, 0, 2 * 1440, 20 * 1440}, &next);
    EXPECT_EQ(next, editor_text_length(editor));
    std::string joined, word_parts;
    size_t word_lines = 0;
    for (const drawn_text& t : texts) {
        if (t.text[0] == 'm') {
            word_parts += t.text;
            ++word_lines;
            continue;
        }
        EXPECT_EQ(t.text.back(), ' ') << "line \"" << t.text << "\" ends inside a word";
        joined += t.text;
    }
    EXPECT_EQ(joined, words);
    EXPECT_GT(word_lines, 2u);
    EXPECT_EQ(word_parts, long_word);
}

// A letter outside the basic plane is one glyph, as the editor shows it: drawn as its first unit
// alone (the device draws each unit of the pair as a glyph of its own), as wide as that one glyph,
// and a line never breaks between its two units.
TEST_F(PageLayout, ALetterOutsideTheBasicPlaneIsOneGlyphOnPaper) {
    std::wstring word;
    for (int i = 0; i < 120; ++i) word += L"m\xD83D\xDE00";
    SETTEXTEX how = {ST_DEFAULT, 1200};
    ASSERT_TRUE(SendMessageW(editor, EM_SETTEXTEX, (WPARAM)&how, (LPARAM)(L"a\xD83D\xDE00\r" L"b " + word).c_str()));
    LONG next;
    auto texts = page(0, -1, {0, 0, 2 * 1440, 20 * 1440}, &next);
    EXPECT_EQ(next, editor_text_length(editor));
    std::wstring drawn;
    for (const drawn_text& t : texts) drawn += t.units;
    std::wstring expected = L"a\xD83D" L"b ";
    for (int i = 0; i < 120; ++i) expected += L"m\xD83D";
    EXPECT_TRUE(drawn == expected);
    EXPECT_GT(texts.size(), 2u);
    ASSERT_FALSE(texts.empty());
    HDC screen = GetDC(nullptr);
    SIZE one = {}, pair = {};
    HFONT font = CreateFontIndirectW(&texts[0].font);
    HGDIOBJ kept = SelectObject(screen, font);
    GetTextExtentPoint32W(screen, L"a\xD83D", 2, &one);
    GetTextExtentPoint32W(screen, L"a\xD83D\xDE00", 3, &pair);
    SelectObject(screen, kept);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    EXPECT_LT(one.cx, pair.cx);
    EXPECT_EQ(texts[0].width, one.cx) << "the first line's \"a\" and one glyph";
}

TEST_F(PageLayout, FormatsOfRunsBecomeFontsAndColours) {
    set_text("vanlig fet stor kursiv understruken genomstruken");
    format_range(7, 10, CFE_BOLD, 12);
    format_range(11, 15, 0, 24);
    format_range(16, 22, CFE_ITALIC, 12);
    format_range(23, 35, CFE_UNDERLINE, 12);
    format_range(36, 48, CFE_STRIKEOUT, 12, RGB(200, 0, 0));
    LONG next;
    auto texts = page(0, -1, NARROW_PAGE, &next);
    std::map<std::string, LOGFONTW> by_word;
    std::map<std::string, COLORREF> colours;
    for (const drawn_text& t : texts) {
        if (t.text != " ") by_word[trim_right(t.text)] = t.font;
        colours[trim_right(t.text)] = t.colour;
    }
    EXPECT_EQ(colours["genomstruken"], RGB(200, 0, 0));
    EXPECT_EQ(colours["vanlig"], RGB(0, 0, 0));
    ASSERT_EQ(by_word.size(), 6u) << "one piece per run";
    EXPECT_EQ(by_word["vanlig"].lfWeight, FW_NORMAL);
    EXPECT_EQ(by_word["fet"].lfWeight, FW_BOLD);
    EXPECT_EQ(by_word["stor"].lfHeight, 2 * by_word["vanlig"].lfHeight);
    EXPECT_TRUE(by_word["kursiv"].lfItalic);
    EXPECT_TRUE(by_word["understruken"].lfUnderline);
    EXPECT_TRUE(by_word["genomstruken"].lfStrikeOut);
    EXPECT_EQ(std::wstring(by_word["vanlig"].lfFaceName), L"Arial");
    // one baseline for the whole line, however large its letters
    for (const drawn_text& t : texts) EXPECT_EQ(t.y, texts[0].y);
}

TEST_F(PageLayout, IndentAndTabStopsMoveTheText) {
    std::string first = "Indrag\tTabb ";
    std::string filler;
    for (int i = 0; i < 30; ++i) filler += "fyll ";
    set_text(first + filler);
    editor_set_indent_and_tabs(editor, 36, 4, 72);  // first line at 36 pt, stops at 36, 108, ...
    LONG next;
    auto texts = page(0, -1, NARROW_PAGE, &next);
    ASSERT_GE(texts.size(), 3u);
    int left = device_x(NARROW_PAGE.left);
    EXPECT_EQ(texts[0].text, "Indrag");
    EXPECT_EQ(texts[0].x, left + device_x(36 * 20));
    EXPECT_EQ(texts[1].text.substr(0, 4), "Tabb");
    EXPECT_EQ(texts[1].x, left + device_x(108 * 20));
    EXPECT_EQ(texts[2].x, left + device_x(36 * 20)) << "wrapped lines stand at the margin too";
}

TEST_F(PageLayout, EmptyLinesAndSpaceAroundParagraphsTakeTheirHeight) {
    set_text("a\r\n\r\n\r\nb");
    LONG next;
    auto texts = page(0, -1, NARROW_PAGE, &next);
    ASSERT_EQ(texts.size(), 2u);
    set_text("a\r\nb");
    page_layout_format(editor, 0, nullptr);
    auto close = page(0, -1, NARROW_PAGE, &next);
    ASSERT_EQ(close.size(), 2u);
    int line = close[1].y - close[0].y;
    EXPECT_GT(line, 0);
    EXPECT_EQ(texts[1].y - texts[0].y, 3 * line);

    set_text("a\r\nb\r\nc");
    PARAFORMAT2 spaced = {};
    spaced.cbSize = sizeof spaced;
    spaced.dwMask = PFM_SPACEBEFORE | PFM_SPACEAFTER;
    spaced.dySpaceBefore = 240;
    spaced.dySpaceAfter = 480;
    paragraph_format(3, 4, spaced);
    page_layout_format(editor, 0, nullptr);
    auto apart = page(0, -1, NARROW_PAGE, &next);
    ASSERT_EQ(apart.size(), 3u);
    EXPECT_NEAR(apart[1].y - apart[0].y, line + device_y(240), 1);
    EXPECT_NEAR(apart[2].y - apart[1].y, line + device_y(480), 1);
}

TEST_F(PageLayout, LeavesTheSelectionAndForgetsTheTextWhenReleased) {
    set_text(numbered_lines(200, "text"));
    editor_select(editor, 30, 40);
    SendMessageA(editor, EM_LINESCROLL, 0, 20 - SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0));
    LRESULT events = SendMessageA(editor, EM_GETEVENTMASK, 0, 0);
    LRESULT first_line = SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_GT(first_line, 10);
    LONG next;
    page(0, -1, NARROW_PAGE, &next);
    CHARRANGE kept = {};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&kept);
    EXPECT_EQ(kept.cpMin, 30);
    EXPECT_EQ(kept.cpMax, 40);
    EXPECT_EQ(SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0), first_line);
    EXPECT_EQ(SendMessageA(editor, EM_GETEVENTMASK, 0, 0), events);

    EXPECT_EQ(page_layout_format(editor, 0, nullptr), 0);
    RECT rc = NARROW_PAGE;
    EXPECT_EQ(page_layout_display(editor, &rc), 1) << "nothing measured after the release";
    set_text("ny text");
    auto texts = page(0, -1, NARROW_PAGE, &next);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "ny text");
}

TEST_F(PageLayout, EachParagraphKeepsItsOwnIndent) {
    std::string text = numbered_lines(40, "kort");
    set_text(text);
    auto indent = [&](int first, int last, int points) {  // paragraphs numbered from 1
        LONG line_length = (LONG)std::string("Rad 0001 kort\r\n").size();
        editor_select(editor, (first - 1) * line_length, (last - 1) * line_length + 4);
        PARAFORMAT format = {};
        format.cbSize = sizeof format;
        format.dwMask = PFM_STARTINDENT;
        format.dxStartIndent = points * 20;
        SendMessageA(editor, EM_SETPARAFORMAT, 0, (LPARAM)&format);
    };
    indent(10, 19, 36);
    indent(25, 25, 72);
    indent(40, 40, 18);
    LONG next;
    auto texts = page(0, -1, {0, 0, 6 * 1440, 20 * 1440}, &next);
    ASSERT_EQ(texts.size(), 40u);
    for (int i = 1; i <= 40; ++i) {
        int points = i >= 10 && i <= 19 ? 36 : i == 25 ? 72 : i == 40 ? 18 : 0;
        EXPECT_EQ(texts[i - 1].x, device_x(points * 20)) << "paragraph " << i;
    }
}

// Paragraph formats, and where they put a line's text on a 4-inch page: the left end, the
// centre or the right end of the line's text, or the left end of its last piece (after a tab),
// in twips from the page's left edge.
enum line_anchor { TEXT_LEFT, TEXT_CENTRE, TEXT_RIGHT, LAST_PIECE_LEFT };
struct paragraph_case {
    const char* name;
    WORD alignment;
    LONG start_indent, right_indent, offset;
    LONG tab;  // one tab stop, 0 none
    const char* text;
    size_t line;  // of the paragraph, from 0
    line_anchor anchor;
    int twips;
    WORD numbering = 0, numbering_tab = 0;
};

TEST_F(PageLayout, ParagraphFormatsPlaceTheLinesOnThePage) {
    std::string long_text;
    for (int i = 0; i < 12; ++i) long_text += "ord ord ";
    const paragraph_case cases[] = {
        {"left", PFA_LEFT, 0, 0, 0, 0, "Vänster", 0, TEXT_LEFT, 0},
        {"centred", PFA_CENTER, 0, 0, 0, 0, "Mitten", 0, TEXT_CENTRE, 2880},
        {"right", PFA_RIGHT, 0, 0, 0, 0, "Höger", 0, TEXT_RIGHT, 5760},
        {"right, trailing blanks", PFA_RIGHT, 0, 0, 0, 0, "Höger   ", 0, TEXT_RIGHT, 5760},
        {"left indent", PFA_LEFT, 720, 0, 0, 0, "Indrag", 0, TEXT_LEFT, 720},
        {"right indent", PFA_RIGHT, 0, 1440, 0, 0, "Höger", 0, TEXT_RIGHT, 4320},
        {"centred between indents", PFA_CENTER, 720, 1440, 0, 0, "Mitten", 0, TEXT_CENTRE, 2520},
        {"first line", PFA_LEFT, 1440, 0, -1440, 0, long_text.c_str(), 0, TEXT_LEFT, 1440},
        {"hanging lines", PFA_LEFT, 1440, 0, -1440, 0, long_text.c_str(), 1, TEXT_LEFT, 0},
        {"wrapped right", PFA_RIGHT, 0, 0, 0, 0, long_text.c_str(), 1, TEXT_RIGHT, 5760},
        {"tab stop", PFA_LEFT, 0, 0, 0, 2160, "a\tTabb", 0, LAST_PIECE_LEFT, 2160},
        {"tab after an indent", PFA_LEFT, 720, 0, 0, 3600, "a\tTabb", 0, LAST_PIECE_LEFT, 3600},
        // a line keeps a twentieth of the width whatever its indents, and never starts left of it
        {"indent past the paper", PFA_LEFT, 12000, 0, 0, 0, long_text.c_str(), 0, TEXT_LEFT, 5472},
        {"its next lines too", PFA_LEFT, 9000, 0, 0, 0, long_text.c_str(), 1, TEXT_LEFT, 5472},
        {"an indent leaving a little room", PFA_LEFT, 5000, 0, 0, 0, long_text.c_str(), 1, TEXT_LEFT, 5000},
        {"first line left of the page", PFA_LEFT, -720, 0, 0, 0, "Vänster", 0, TEXT_LEFT, 0},
        {"right indent past the left", PFA_RIGHT, 0, 9000, 0, 0, "Höger", 0, TEXT_RIGHT, 288},
        {"bullet at the indent", PFA_LEFT, 720, 0, 0, 0, "Punkt", 0, TEXT_LEFT, 720, PFN_BULLET, 1440},
        {"its text at the numbering tab", PFA_LEFT, 720, 0, 0, 0, "Punkt", 0, LAST_PIECE_LEFT, 2160, PFN_BULLET, 1440},
    };
    for (const paragraph_case& c : cases) {
        SCOPED_TRACE(c.name);
        set_text(c.text);
        PARAFORMAT2 format = {};
        format.cbSize = sizeof format;
        format.dwMask = PFM_ALIGNMENT | PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_TABSTOPS | PFM_NUMBERING |
                        PFM_NUMBERINGTAB;
        format.wNumbering = c.numbering;
        format.wNumberingTab = c.numbering_tab;
        format.wAlignment = c.alignment;
        format.dxStartIndent = c.start_indent;
        format.dxRightIndent = c.right_indent;
        format.dxOffset = c.offset;
        format.cTabCount = c.tab ? 1 : 0;
        format.rgxTabs[0] = c.tab;
        paragraph_format(0, 0, format);
        LONG next;
        page_layout_format(editor, 0, nullptr);
        auto texts = page(0, -1, NARROW_PAGE, &next);
        std::vector<std::vector<drawn_text>> lines;
        for (const drawn_text& t : texts) {
            if (lines.empty() || lines.back()[0].y != t.y) lines.emplace_back();
            lines.back().push_back(t);
        }
        ASSERT_GT(lines.size(), c.line);
        const std::vector<drawn_text>& line = lines[c.line];
        int left = line.front().x, right = line.back().x + line.back().width;
        int at = c.anchor == TEXT_LEFT ? left
                 : c.anchor == TEXT_RIGHT ? right
                 : c.anchor == TEXT_CENTRE ? (left + right) / 2
                                           : line.back().x;
        EXPECT_NEAR(at, device_x(NARROW_PAGE.left + c.twips), 1);
    }
}

// Raised and lowered text as the editor shows it: the offset moves the baseline by itself,
// superscript a third of the size up and subscript a twelfth down, both two thirds high.
TEST_F(PageLayout, RaisedAndLoweredTextLeavesTheLinesBaseline) {
    struct raise_case {
        const char* name;
        DWORD effects;
        LONG offset;  // twips
        int raise;  // twips above the line's baseline
        int height_percent;
    } cases[] = {
        {"superscript", CFE_SUPERSCRIPT, 0, 80, 67},
        {"subscript", CFE_SUBSCRIPT, 0, -20, 67},
        {"raised", 0, 120, 120, 100},
        {"lowered", 0, -60, -60, 100},
    };
    for (const raise_case& c : cases) {
        SCOPED_TRACE(c.name);
        set_text("bas X bas");
        // red too: the control tells runs apart by their looks, an offset alone starts none
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_SUPERSCRIPT | CFM_OFFSET | CFM_COLOR;
        format.dwEffects = c.effects;
        format.yOffset = c.offset;
        format.crTextColor = RGB(200, 0, 0);
        editor_select(editor, 4, 5);
        SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        editor_select(editor, 0, 0);
        LONG next;
        page_layout_format(editor, 0, nullptr);
        auto texts = page(0, -1, NARROW_PAGE, &next);
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[1].text, "X");
        EXPECT_EQ(texts[2].y, texts[0].y) << "the text after it keeps the line's baseline";
        EXPECT_NEAR(texts[0].y - texts[1].y, device_y(c.raise), 1);
        EXPECT_NEAR(texts[1].font.lfHeight * 100.0 / texts[0].font.lfHeight, c.height_percent, 5);
    }
}

// With the editor wrapping at the printer's page, each printed line begins with the word its
// line on the screen begins with, bullets included, and no line reaches past the right margin.
TEST_F(PageLayout, LinesFollowingTheEditorBeginOnPaperWithTheScreensWords) {
    HDC printer = printer_open(PAGE_SETUP_DEFAULT, 0);
    ASSERT_NE(printer, nullptr) << print_output_problem();
    RECT area = print_text_area(printer, PAGE_SETUP_DEFAULT);
    int right = MulDiv(area.right - area.left, GetDeviceCaps(printer, LOGPIXELSX), 1440);
    std::string words;
    for (int i = 0; i < 150; ++i) words += " ord" + std::to_string(1000 + i).substr(1);
    std::string text = "L\xe5ng stycke:" + words + "\r\nPunkt:" + words + "\r\nSlut:" + words +
                       "\r\nSmal: ett tv\xe5 tre fyra fem";
    LONG second = (LONG)text.find("Punkt"), narrow = (LONG)text.find("Smal");
    struct { const char* face; int points; } faces[] = {{"Times New Roman", 12}, {"Arial", 10}, {"Courier New", 11}};
    for (const auto& f : faces) {
        SCOPED_TRACE(f.face);
        ASSERT_EQ(editor_set_text(&editor, text.c_str()), 0);
        CHARFORMATA format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_FACE | CFM_SIZE;
        format.yHeight = f.points * 20;
        strcpy(format.szFaceName, f.face);
        editor_select(editor, 0, -1);
        SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        PARAFORMAT2 bullet = {};
        bullet.cbSize = sizeof bullet;
        bullet.dwMask = PFM_NUMBERING;
        bullet.wNumbering = PFN_BULLET;
        paragraph_format(second, second, bullet);
        // indents that leave less room than the page keeps for a line: paper follows the screen
        PARAFORMAT2 squeezed = {};
        squeezed.cbSize = sizeof squeezed;
        squeezed.dwMask = PFM_STARTINDENT | PFM_RIGHTINDENT;
        squeezed.dxStartIndent = 500;
        squeezed.dxRightIndent = 10000;
        paragraph_format(narrow, narrow, squeezed);
        editor_set_wrap(editor, "PAGE", printer, area.right - area.left);
        page_layout_follow_lines(editor);
        page_layout_format(editor, 0, nullptr);
        HDC dc = CreateEnhMetaFileA(printer, nullptr, nullptr, nullptr);
        FORMATRANGE range = {};
        range.hdc = range.hdcTarget = dc;
        range.rc = range.rcPage = area;
        range.chrg = {0, -1};
        EXPECT_EQ(page_layout_format(editor, 1, &range), editor_text_length(editor));
        HENHMETAFILE metafile = CloseEnhMetaFile(dc);
        metafile_reader reader = {};
        EnumEnhMetaFile(nullptr, metafile, read_record, &reader, nullptr);
        DeleteEnhMetaFile(metafile);
        std::vector<std::string> paper;  // each line's text, the bullet left out
        int last_y = -1, bullets = 0;
        for (const drawn_text& t : reader.texts) {
            EXPECT_LE(t.x + t.width - MulDiv(area.left, GetDeviceCaps(printer, LOGPIXELSX), 1440), right) << t.text;
            if (t.text == "\x95" && ++bullets) continue;
            if (t.y != last_y) paper.emplace_back();
            paper.back() += t.text;
            last_y = t.y;
        }
        int lines = (int)SendMessageA(editor, EM_GETLINECOUNT, 0, 0);
        EXPECT_GT(lines, 24);
        ASSERT_EQ((int)paper.size(), lines);
        for (int l = 0; l < lines; ++l) {
            LONG index = (LONG)SendMessageA(editor, EM_LINEINDEX, l, 0);
            LONG next = l + 1 < lines ? (LONG)SendMessageA(editor, EM_LINEINDEX, l + 1, 0) : (LONG)text.size();
            std::string screen = trim_right(text.substr(index, next - index));
            while (!screen.empty() && (screen.back() == '\n' || screen.back() == '\r')) screen.pop_back();
            EXPECT_EQ(trim_right(paper[l]), trim_right(screen)) << "line " << l;
        }
        EXPECT_EQ(bullets, 1);
    }
    page_layout_follow_lines(nullptr);
    DeleteDC(printer);
}
