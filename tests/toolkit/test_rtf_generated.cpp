// A seeded generator of hostile RTF, from a small grammar (every destination, wherever it may
// stand, every way of writing a character, runs and repeats of any length, unbalanced groups)
// and from mutations of the control's own files. Every file goes through the guard into the
// real control by a load, some by a paste too, and the document is then written out again:
// none may end the program or keep it busy past the budget. The guard's tokens of a few files
// are written out and compared with what the reader makes of them.
// BREVDUVA_RTF_SEED and BREVDUVA_RTF_FILES choose another set (scripts/rtf-attack.sh).
#include <gtest/gtest.h>
#include <richedit.h>

#include <random>
#include <string>

#include "support/test_util.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/rtf_tokens.h"

namespace {

constexpr DWORD BUDGET_MS = 5000;  // a window that answers no more than this is taken for hung

unsigned environment_number(const char* name, unsigned otherwise) {
    char value[32];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? (unsigned)strtoul(value, nullptr, 10) : otherwise;
}

struct generator {
    std::mt19937 random;
    int below(int n) { return (int)(random() % (unsigned)n); }
    // mostly small, sometimes about the size of the reader's buffers, rarely far beyond
    int count() {
        int kind = below(20);
        if (kind < 14) return below(8);
        if (kind < 19) return 200 + below(1200);
        return 2000 + below(6000);
    }
    std::string number() {
        // the halves of a letter outside the basic plane, and letters of 288 points
        const char* numbers[] = {"0", "1", "9", "-1", "-65527", "255", "32767", "65536", "2147483647",
                                 "-2147483648", "4294967296", "99999999999999999999", "-10179", "55357", "576",
                                 "1200", "1251", "65001"};
        return numbers[below(sizeof numbers / sizeof numbers[0])];
    }
    std::string character() {
        switch (below(14)) {
            case 0: return "\\'" + std::string(1, "0123456789abcdef"[below(16)]) + "9";
            case 1: return "\\u" + number() + "?";
            case 2: return "\\:";
            case 3: return below(2) ? "\\{" : "\\}";
            case 4: return "\\\\";
            case 5: return std::string(1, '\0');
            case 6: return below(2) ? "\r\n" : "\n";
            case 7: return ";";
            case 8: return "\t";
            case 9: return "\\'" + std::string(1, "89abcdef"[below(8)]) + "1";
            default: return std::string(1, (char)('A' + below(26)));
        }
    }
    std::string word() {
        const char* words[] = {"fonttbl", "stylesheet", "colortbl", "info", "pict", "fldinst", "field", "fldrslt",
                               "listtable", "listname", "f", "s", "cs", "b", "i", "ul", "plain", "pard", "par",
                               "line", "tab", "cell", "row", "trowd", "cellx", "intbl", "nestcell", "li", "fi",
                               "ri", "tx", "tb", "uc", "u", "fs", "cf", "rtf", "ansi", "deff", "red", "object",
                               "objdata", "shppict", "nonshppict", "xe", "footnote", "header", "upr", "ud",
                               "cpg", "ansicpg", "fcharset", "wmetafile", "dibitmap", "hich", "highlight"};
        std::string w = "\\" + std::string(words[below(sizeof words / sizeof words[0])]);
        if (below(2)) w += number();
        return w + (below(2) ? " " : "");
    }
    std::string symbol() {
        const char* symbols[] = {"\\*", "\\~", "\\-", "\\_", "\\|", "\\\r", "\\\n", "\\"};
        return symbols[below(sizeof symbols / sizeof symbols[0])];
    }
    std::string binary() {
        int size = below(40);
        std::string data;
        for (int i = 0; i < size; i++) data += (char)below(256);
        return "\\bin" + std::to_string(size) + " " + data;
    }
    // a bitmap's header in hex: sizes, depths, kinds and colours of every sort, the data after it
    // holding as much as it says or any less
    std::string bitmap_header() {
        const unsigned long widths[] = {1, 2, 2000, 65535, 0xfffffffb, 0x7fffffff};
        const unsigned long heights[] = {1, 0xfffffffe, 2000, 0xffff0001, 0x80000000, 0};
        const unsigned long depths[] = {1, 4, 8, 16, 24, 32, 0, 7};
        const unsigned long kinds[] = {0, 1, 3, 5};
        const unsigned long colours[] = {0, 2, 256, 300, 0xffffffff};
        return bitmap_header_hex(widths[below(6)], heights[below(6)], depths[below(8)], kinds[below(4)],
                                 colours[below(5)], below(8) ? 40 : 124);
    }
    // a picture's data in hex, of any kind and length, a bitmap's often after a header; now and then
    // the kind after the data, or another picture within
    std::string picture() {
        const char* kinds[] = {"pngblip", "emfblip", "wmetafile8", "dibitmap0", "jpegblip"};
        std::string kind = "\\" + std::string(kinds[below(5)]) + " ";
        bool kind_last = below(8) == 0;
        std::string s = "{\\pict" + (kind_last ? " " : kind);
        if (below(2)) s += bitmap_header();
        for (int n = count() * 4; n > 0; n--) s += "0123456789abcdef"[below(16)];
        if (below(8) == 0) s += below(2) ? "\\b " + bitmap_header() : picture();
        return s + (kind_last ? kind : "") + "}";
    }
    // a font, colour or style table of any shape, its braces balanced: entries in braces or not,
    // with or without their ';', names, numbers, nested groups and stray words
    std::string table() {
        const char* kinds[] = {"fonttbl", "colortbl", "stylesheet"};
        std::string s = std::string(below(4) ? "{" : "{x") + (below(6) ? "" : "\\*") + "\\" + kinds[below(3)] + " ";
        for (int n = below(6); n > 0; n--) s += table_entry(0);
        return s + "}";
    }
    std::string table_entry(int depth) {
        bool braced = below(2);
        std::string s = braced ? "{" : "";
        for (int n = below(6); n >= 0; n--) {
            switch (below(11)) {
                case 0: s += "\\f" + number() + " "; break;
                case 1: s += "\\red" + number() + (below(2) ? "\\green0\\blue9" : ""); break;
                case 2: s += ";"; break;
                case 3: s += std::string(1 + below(6), (char)('A' + below(26))); break;
                case 4: s += "\\b "; break;
                case 5: s += depth < 2 ? "{" + table_entry(depth + 1) + "}" : "x"; break;
                case 6: s += "\\'41"; break;
                case 7: s += "\\*"; break;
                case 8: s += "{\\*\\panose 02}"; break;
                case 9: s += below(2) ? "\\s1 " : "\\par "; break;
                default: s += " "; break;
            }
        }
        return s + (braced ? "}" : "");
    }
    // a piece of the body, or of a table, at any depth
    std::string piece(int depth) {
        int kind = below(depth > 8 ? 6 : 9);
        std::string s;
        switch (kind) {
            case 0:
            case 1:
                for (int n = count(); n > 0; n--) s += character();
                return s;
            case 2: return word();
            case 3: return symbol();
            case 4:
                switch (below(7)) {
                    case 4: return binary();
                    case 5: return picture();
                    case 6: return table();
                    default: return word() + " " + std::string(count(), 'x');
                }
            case 5: {
                // one piece written many times over: endless groups, tabs, format changes
                std::string one = piece(depth + 1);
                for (int n = count(); n > 0 && s.size() < 60000; n--) s += one;
                return s;
            }
            default: {
                // now and then deeper than the reader holds
                if (below(40) == 0) {
                    int levels = 30 + below(20);
                    return std::string(levels, '{') + piece(depth + 1) + std::string(levels, '}');
                }
                s = "{";
                if (below(3) == 0) s += "\\*";
                for (int n = below(5); n >= 0; n--) s += piece(depth + 1);
                if (below(12)) s += "}";  // now and then a group left open
                return s;
            }
        }
    }
    std::string document() {
        std::string s = below(20) ? "{\\rtf1\\ansi " : "{";
        for (int n = below(8); n >= 0; n--) s += piece(0);
        return s + (below(10) ? "}" : "");
    }
    // a file as the control writes it, cut, repeated or spliced at random places
    std::string mutated(const std::string& model) {
        std::string s = model;
        for (int n = 1 + below(4); n > 0 && !s.empty(); n--) {
            size_t at = below((int)s.size()), size = below(64);
            std::string slice = s.substr(at, size);
            switch (below(4)) {
                case 0: s.erase(at, size); break;
                case 1: s.insert(at, piece(0)); break;
                case 2:
                    for (int k = count(); k > 0 && s.size() < 100000; k--) s.insert(at, slice);
                    break;
                default: s[at] = (char)below(256);
            }
        }
        return s;
    }
};

DWORD CALLBACK discard(DWORD_PTR, LPBYTE, LONG count, LONG* done) {
    *done = count;
    return 0;
}

// Braces, \word and its number then a space (! when over-long), \symbol, \'hh=value and a space,
// text as it is (~ before a \uN's stand-in), # for a byte of \bin data.
std::string tokens_written(const std::string& rtf) {
    rtf_tokens tokens;
    rtf_tokens_start(&tokens);
    std::string out;
    rtf_token token = {};
    for (size_t at = 0; token.kind != RTF_END;) {
        if (at == rtf.size()) {
            rtf_tokens_end(&tokens, &token);
        } else if (rtf_tokens_feed(&tokens, (unsigned char)rtf[at], &token)) {
            at++;
        }
        if (token.skipped) out += '~';
        switch (token.kind) {
            case RTF_GROUP_OPEN: out += '{'; break;
            case RTF_GROUP_CLOSE: out += '}'; break;
            case RTF_WORD:
                out += "\\" + std::string(token.word) + (token.has_number ? std::to_string(token.number) : "") +
                       (token.over_long ? "!" : "") + " ";
                break;
            case RTF_SYMBOL: out += "\\" + std::string(1, (char)token.value); break;
            case RTF_HEX: out += "\\'" + std::string(token.hex) + "=" + std::to_string(token.value) + " "; break;
            case RTF_TEXT: out += (char)token.value; break;
            case RTF_BINARY: out += '#'; break;
            default: break;
        }
    }
    return out;
}

// An editor as the program makes it, in a window of its own that the caller destroys.
HWND editor_in_window(HWND* parent) {
    *parent = CreateWindowExA(0, "STATIC", "Prov", WS_OVERLAPPEDWINDOW, 10, 10, 640, 480, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    return editor_create(*parent, 0, 0, 0, 0, "VHSCROLL", 10000000);
}

}  // namespace

TEST(RtfGenerated, NoGeneratedFileEndsOrHangsTheProgram) {
    HWND parent = nullptr, editor = editor_in_window(&parent);
    ASSERT_NE(editor, nullptr);
    std::string path = temp_folder() + "prov.rtf";
    generator g{std::mt19937(environment_number("BREVDUVA_RTF_SEED", 20261208))};
    unsigned files = environment_number("BREVDUVA_RTF_FILES", 2000);
    // a model the control wrote itself: tables, fonts, styles, a field
    file_write(path,
               "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Times;}}{\\colortbl;\\red255\\green0\\blue0;}"
               "{\\stylesheet{\\s0 Normal;}}\\pard\\li720\\fi-360\\tx1440 a\\tab b\\par{\\field{\\*\\fldinst HYPERLINK "
               "x}{\\fldrslt l\\'e4nk}}\\trowd\\cellx1000\\cellx2000 c1\\cell c2\\cell\\row\\b fet\\b0\\par}");
    ASSERT_GT(document_load(&editor, path.c_str()), 0);
    std::string model = editor_copied_and_saved(editor, path);
    DWORD slowest = 0;
    unsigned slowest_file = 0;
    for (unsigned i = 0; i < files; i++) {
        std::string file = i % 3 == 2 ? g.mutated(model) : g.document();
        SCOPED_TRACE("file " + std::to_string(i) + " of seed " +
                     std::to_string(environment_number("BREVDUVA_RTF_SEED", 20261208)));
        editor_set_text(&editor, "");  // the time is the file's own, not that of keeping the last one
        DWORD start = GetTickCount();
        ASSERT_TRUE(file_write(path, file));
        document_load(&editor, path.c_str());
        // pasted over the whole document, which a large selection makes a new control of
        if (i % 16 == 0 && clipboard_text_set("x", file)) {
            editor_select_all(editor);
            SendMessageA(editor, WM_PASTE, 0, 0);
            editor = GetDlgItem(parent, 1);
        }
        EDITSTREAM out = {0, 0, discard};
        SendMessageA(editor, EM_STREAMOUT, SF_RTF, (LPARAM)&out);
        DWORD spent = GetTickCount() - start;
        if (spent > slowest) {
            slowest = spent;
            slowest_file = i;
        }
        EXPECT_LT(spent, BUDGET_MS);
        // BREVDUVA_RTF_KEEP_MS keeps the files slower than that, to look into
        if (spent >= environment_number("BREVDUVA_RTF_KEEP_MS", BUDGET_MS)) file_write(path + "." + std::to_string(i) + ".slow", file);
    }
    printf("%u files, the slowest %lu ms (file %u)\n", files, slowest, slowest_file);
    DestroyWindow(parent);
}

// Whatever a font, colour or style table holds, the text after it comes in: no table's reader
// reads on past its table.
TEST(RtfGenerated, TheTextAfterAnyTableComesIn) {
    HWND parent = nullptr, editor = editor_in_window(&parent);
    ASSERT_NE(editor, nullptr);
    std::string path = temp_folder() + "tabell.rtf";
    generator g{std::mt19937(environment_number("BREVDUVA_RTF_SEED", 20261208))};
    for (int i = 0; i < 400; i++) {
        std::string file = "{\\rtf1\\ansi " + g.table() + g.table() + "Efter\\par slut}";
        SCOPED_TRACE(file);
        ASSERT_TRUE(file_write(path, file));
        EXPECT_GT(document_load(&editor, path.c_str()), 0);
        std::string text(editor_text_length(editor) + 1, '\0');
        GetWindowTextA(editor, &text[0], (int)text.size());
        text.resize(lstrlenA(text.c_str()));
        ASSERT_GE(text.size(), 11u);
        EXPECT_EQ(text.substr(text.size() - 11), "Efter\r\nslut");
    }
    DestroyWindow(parent);
}

// The hostile files kept beside the end-to-end scenarios, and files of other word processors:
// each is refused whole or read, and then copied and saved within sound values.
TEST(RtfGenerated, KeptFilesAreRefusedOrReadAndThenCopiedAndSaved) {
    char source[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("BREVDUVA_SOURCE_DIR", source, sizeof source);
    ASSERT_TRUE(length > 0 && length < sizeof source);
    std::string corpus = std::string(source) + "/tests/e2e/rtf_corpus/";
    HWND parent = CreateWindowExA(0, "STATIC", "Prov", WS_OVERLAPPEDWINDOW, 10, 10, 640, 480, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HWND editor = editor_create(parent, 0, 0, 0, 0, "VHSCROLL", 10000000);
    std::string saved = temp_folder() + "sparad.rtf";
    const struct {
        const char* name;
        bool refused;
        const char* text;  // null: any text
    } files[] = {
        {"bad-escapes", true, "Osparat"},
        {"binary-data", false, nullptr},
        {"broken-table", false, nullptr},
        {"deep-nesting", false, "Fel"},  // deeper than the reader holds: read flattened
        {"field-and-table", false, "Se webbsidan nu.\r\nA\tB\r\nSlut"},
        {"huge-numbers", false, nullptr},
        {"long-font-name", false, nullptr},
        {"long-font-name-escaped", false, nullptr},
        {"long-style-name", false, nullptr},
        {"negative-indents", false, nullptr},
        {"negative-tab", false, "F\xf6re\tefter"},
        {"other-word-processor", false, "Se webbsidan nu.\r\nA\tB\r\nC\tD\r\nSlut"},
        {"picture-data", false, "F\xf6re efter"},  // the picture's data never shows as text
        {"refused-control-word", true, "Osparat"},
        {"refused-tabs", true, "Osparat"},
        {"unterminated", true, "Osparat"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        editor_set_text(&editor, "Osparat");
        int read = document_load(&editor, (corpus + f.name + ".rtf").c_str());
        EXPECT_EQ(read == DOCUMENT_NOTHING_MOVED, f.refused);
        std::string text(editor_text_length(editor) + 1, '\0');
        GetWindowTextA(editor, &text[0], (int)text.size());
        text.resize(lstrlenA(text.c_str()));
        if (f.text) {
            EXPECT_EQ(text, f.text);
        }
        std::string written = editor_copied_and_saved(editor, saved);
        EXPECT_FALSE(written.empty());
        // a hanging first line (\fi-) is sound; a line left of the page or a tab stop there is not
        for (const char* negative : {"\\tx-", "\\li-", "\\ri-"}) {
            EXPECT_EQ(written.find(negative), std::string::npos) << negative;
        }
    }
    DestroyWindow(parent);
}

TEST(RtfGenerated, TokensAreSplitAsTheReaderSplitsThem) {
    const struct {
        std::string rtf, tokens;
    } files[] = {
        {"{\\rtf1\\ansi x}", "{\\rtf1 \\ansi x}"},
        // numbers stop at 32 bits, past which the reader's wrap round; a '-' alone is no number
        {"\\fs99999999999 \\li-20x\\li- y", "\\fs2147483647 \\li-20 x\\li y"},
        {"\\'e4\\'4x\\'", "\\'e4=228 \\'4=4 x\\'=0 "},
        // the delimiter of \bin is its first byte of data unless it is a space
        {"\\bin3 {}xy\\bin2{}}\\bin0 {}", "\\bin3 ###y\\bin2 ##}\\bin0 {}"},
        {"\\uc2\\u228 ab c\\u8364\\'80\\u8364\\tab x", "\\uc2 \\u228 ~a~b c\\u8364 ~\\'80=128 \\u8364 \\tab x"},
        {"\\*\\~\\{\\\\\\:", "\\*\\~\\{\\\\\\:"},
        {"\\" + std::string(255, 'a') + " b", "\\" + std::string(255, 'a') + " b"},
        {"\\" + std::string(256, 'a') + "b", "\\" + std::string(255, 'a') + "! b"},
    };
    for (const auto& f : files) {
        EXPECT_EQ(tokens_written(f.rtf), f.tokens) << f.rtf.substr(0, 40);
    }
    // plain text runs on to the next escape, brace, tab, line end or NUL, never within a token,
    // over a \uN's stand-in or over a byte handed back
    rtf_tokens tokens;
    rtf_tokens_start(&tokens);
    const unsigned char text[] = "ab;c\\d", tab[] = "ab\tc";
    EXPECT_EQ(rtf_tokens_plain_run(&tokens, text, 6), 4u);
    EXPECT_EQ(rtf_tokens_plain_run(&tokens, tab, 4), 2u);
    rtf_token token;
    for (char c : std::string("\\u5 ")) rtf_tokens_feed(&tokens, c, &token);
    EXPECT_EQ(rtf_tokens_plain_run(&tokens, text, 6), 0u);
    rtf_tokens_feed(&tokens, 'a', &token);
    EXPECT_EQ(rtf_tokens_plain_run(&tokens, text, 6), 4u);
    rtf_tokens_feed(&tokens, '\\', &token);
    EXPECT_EQ(rtf_tokens_plain_run(&tokens, text, 6), 0u);
    rtf_tokens_feed(&tokens, '\'', &token);
    rtf_tokens_feed(&tokens, '4', &token);
    EXPECT_FALSE(rtf_tokens_feed(&tokens, 'x', &token));
    EXPECT_EQ(rtf_tokens_plain_run(&tokens, text, 6), 0u);
}
