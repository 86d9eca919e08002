// What the control's RTF reader is fed from a file or the clipboard: the check before it reads
// and the filter while it reads share one pass over the reader's tokens (rtf_tokens.h).
#include "toolkit/richedit/rtf_check.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"

#include <string.h>

#include <algorithm>

namespace {

// Measured on the control: 33 nested groups, or a font or style name of about 1,040
// characters, end the program. Groups deeper than its stack are fed as part of the deepest group
// it holds, without the words that would have the reader skip or read the rest of that group. The reader collects a name from any run of text (letters,
// \'hh, \: and escaped braces, with line ends and NULs between them left out) wherever its
// table reader happens to be, which a malformed table can carry far into the body; so every
// run of text is broken with an empty group, which ends a name and shows nothing, before it
// reaches the reader's buffer. A break waits for a plain character, so as not to part the two
// bytes of one letter, but never past the limit.
constexpr int DEPTH_LIMIT = 32;
constexpr int NAME_BREAK = 512;
constexpr int NAME_LIMIT = 768;
// A paragraph of endless runs (text after a format change: a group, a control word) keeps the
// control busy for minutes: its runs are laid out in a time growing with the square of their
// number. Changes with no text after them make no run: the control saves a paragraph of 16,000
// runs written with several words each, and opens it again.
constexpr int CHANGE_LIMIT = 20000;
constexpr int TAB_LIMIT = EDITOR_PARAGRAPH_TABS_LIMIT;
// Sizes beyond this count as this in the tab's place: past it one letter alone takes a tab past
// the limit.
constexpr long long SIZE_LIMIT = 1000000;  // half-points
constexpr int SIZE_DEFAULT = 24;
// The control measures where a tab ends in 32-bit screen units and loops for ever once that is
// past about 22 million twips at the screen's resolution: a tab further from its paragraph's start
// than this is refused like endless tabs, each letter before it taken twice its size wide.
constexpr long long TAB_PLACE_LIMIT = 10000000;  // twips
// The reader makes a bitmap of a header and the pixels it says follow, reading them wherever the
// data ends: a bitmap whose data falls short is made up with zero pixels, one whose header the
// reader cannot use is left out. Pixels are held to a limit per bitmap (a header claiming more
// keeps the rows within it) and per read, so that making them up stays quick.
constexpr int BITMAP_HEADER_DIGITS = 80;  // the 40 bytes of the header the reader takes
constexpr long long BITMAP_BYTES_LIMIT = 16LL << 20;
constexpr long long BITMAP_BYTES_BUDGET = 32LL << 20;

bool is_one_of(const char* word, const char* const* list) {
    for (; *list; list++) {
        if (strcmp(word, *list) == 0) return true;
    }
    return false;
}

// The same for a list in strcmp order, looked up by halves.
template <size_t N>
bool is_in_order_one_of(const char* word, const char* const (&list)[N]) {
    size_t low = 0, high = N;
    while (low < high) {
        size_t middle = (low + high) / 2;
        int order = strcmp(word, list[middle]);
        if (order == 0) return true;
        if (order < 0) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return false;
}

// The tables whose names the reader copies into a buffer of its own (it skips the others).
const char* const TABLE_WORDS[] = {"fonttbl", "stylesheet", nullptr};
// Groups whose text the reader does not show.
const char* const HIDDEN_WORDS[] = {"colortbl", "info", "pict", "fldinst", nullptr};
// The row layout, which the reader turns into indents and tab stops of its own, and the field
// marks, without which the reader shows a field's result as plain text.
const char* const DROPPED_WORDS[] = {"trowd", "trleft", "trgaph", "cellx", "intbl", "field", "fldrslt", nullptr};
// What a paragraph's indents and tab stops are made of.
const char* const LAYOUT_WORDS[] = {"li",    "fi",     "tx",   "tb",   "tqr",  "tqc",  "tqdec",
                                    "tldot", "tlhyph", "tlul", "tlth", "tleq", "tlmdot", nullptr};
// The reader's destinations: met anywhere in a group, each has the rest of the group read by a
// reader of its own or skipped, so a paragraph end there may never reach the document. In strcmp
// order: every word the reader is fed is looked up here.
const char* const DESTINATION_WORDS[] = {
    "NeXTGraphic", "aftncn", "aftnsep", "aftnsepc", "annotation", "atnauthor", "atnicn", "atnid", "atnref",
    "atntime", "atrfend", "atrfstart", "author", "bkmkend", "bkmkstart", "colortbl", "comment", "datafield", "do",
    "doccomm", "falt", "field", "file", "filetbl", "fldinst", "fldrslt", "fonteb", "fontfile", "fonttbl", "footer",
    "footerf", "footerl", "footerr", "footnote", "ftncn", "ftnsep", "ftnsepc", "generator", "header", "headerf",
    "headerl", "headerr", "info", "keycode", "keywords", "nesttableprops", "nextfile", "nonesttables", "nonshppict",
    "objalias", "objclass", "objdata", "object", "objitem", "objname", "objsect", "objtopic", "operator", "pgnhn",
    "pict", "pn", "pnseclvl", "pntext", "pntxta", "pntxtb", "result", "revtbl", "rxe", "shppict", "stylesheet",
    "subject", "tc", "template", "title", "txe", "verscomm", "version", "xe"};
// Of those, the ones whose letters are not surely left out: a shape's picture group and an object
// show them (the object its result); numbering and a nested table's properties have readers of
// their own in the control.
const char* const SHOWING_DESTINATION_WORDS[] = {"shppict", "nesttableprops", "object", "pn", nullptr};
// Words the reader does not know that writers put after a \*: it skips their groups.
const char* const UNKNOWN_DESTINATION_WORDS[] = {
    "listtable", "listoverridetable", "rsidtbl",  "themedata", "colorschememapping", "datastore",
    "latentstyles", "xmlnstbl",       "pgdsctbl", "mmathPr",   "defchp",             "defpap",
    "docvar",    "userprops",         "wgrffmtfilter", "htmltag", "mhtmltag",        "htmlbase",
    "shp",       "shpinst",           "shptxt",   "blipuid",   "panose",             "ud",
    "formfield", "oldcprops",         "oldpprops", nullptr};
// A colour's parts: the colour table's reader takes a '}' right after them for a token of the entry.
const char* const COLOUR_WORDS[] = {"red", "green", "blue", nullptr};
// Words that stand for characters: a cell's tab goes before them.
const char* const TEXT_WORDS[] = {"tab",   "line",  "u",      "emdash", "endash",   "emspace",   "enspace",
                                  "qmspace", "bullet", "lquote", "rquote", "ldblquote", "rdblquote", nullptr};

// Text the reader may take for a picture's data, where it reads all such text at once.
bool picture_run_open(const rtf_filter* f) {
    return f->picture.data == RTF_DATA_HEADER || f->picture.data == RTF_DATA_BITS;
}

// Anything but data ends the reader's run of data: what a bitmap lacks goes in first. A header
// cut short never went in: the reader has no data yet, and the next run is checked alike.
void picture_run_end(rtf_filter* f) {
    rtf_picture* p = &f->picture;
    if (p->data == RTF_DATA_HEADER) {
        p->data = RTF_DATA_NONE;
        p->header_digits = 0;
        return;
    }
    if (p->digits_passed < p->digits_needed) f->zeros_left = p->digits_needed - p->digits_passed;
    p->data = RTF_DATA_DONE;
}

void put_raw(rtf_filter* f, char c) {
    if (f->drop_depth > 0) return;
    if (f->output_size < (int)sizeof f->output) {
        f->output[f->output_size++] = c;
    } else {
        f->refused = true;
    }
}

void put(rtf_filter* f, char c) {
    if (f->drop_depth > 0) return;
    if (picture_run_open(f)) picture_run_end(f);
    if (c != '\r' && c != '\n') f->colour_last = false;  // line ends never reach the table's reader
    put_raw(f, c);
}

void put_text(rtf_filter* f, const char* text) {
    while (*text) put(f, *text++);
}

void put_number(rtf_filter* f, long long n) {
    if (n < 0) {
        put(f, '-');
        n = -n;
    }
    char digits[24];
    int count = 0;
    do {
        digits[count++] = (char)('0' + n % 10);
        n /= 10;
    } while (n > 0);
    while (count > 0) put(f, digits[--count]);
}

// From here to the end of the group the reader may skip what it is fed.
void doubt_mark(rtf_filter* f) {
    if (f->doubt_depth == 0) f->doubt_depth = f->depth;
}

// From here to the end of the group the reader surely shows no letter.
void skip_mark(rtf_filter* f) {
    if (f->skip_depth == 0) f->skip_depth = f->depth;
}

// The reader reads the word after a \* at once: for a word it knows, destination or not, the \*
// means nothing (its test for a destination compares the word's class, which every word it knows
// has); for one it does not know it skips the rest of the group. A \* before anything else never
// reaches it, so the letters there count.
void star_word_seen(rtf_filter* f, const char* word) {
    doubt_mark(f);
    if (is_one_of(word, UNKNOWN_DESTINATION_WORDS) ||
        (is_in_order_one_of(word, DESTINATION_WORDS) && !is_one_of(word, SHOWING_DESTINATION_WORDS))) {
        skip_mark(f);
    }
}

// Always ended by a space, so that dropping the next word never joins this one to what follows.
// The reader ends a name at it; a word left out ends none. What the reader skips is judged
// here, by what it is fed.
void put_word(rtf_filter* f, const char* name, bool has_number, long long number) {
    f->text_run = 0;
    // a group flattened into the deepest: a \* there would have the reader skip the rest of that group
    // one within a group would have the reader skip the rest of it, where the star means nothing
    if (f->star_waiting && f->star_at_start && f->depth <= DEPTH_LIMIT) {
        put_text(f, "\\*");
        star_word_seen(f, name);
    }
    if (f->doubt_depth == 0 && is_in_order_one_of(name, DESTINATION_WORDS)) doubt_mark(f);
    // a table begun anywhere but at the start of the group seen as it reads on unseen
    if (f->table_depth != f->depth && is_one_of(name, TABLE_WORDS)) f->table_loose = true;
    f->star_waiting = false;
    put(f, '\\');
    put_text(f, name);
    if (has_number) put_number(f, number);
    put(f, ' ');
    f->colour_last = f->colour_depth > 0 && f->drop_depth == 0 && is_one_of(name, COLOUR_WORDS);
}

// The control's writer ends the program on a negative tab stop; an indent beyond the page
// hides the text.
long long twips_within(long long value) {
    if (value < 0) return 0;
    return value > EDITOR_TWIPS_LIMIT ? EDITOR_TWIPS_LIMIT : value;
}

bool in_body(const rtf_filter* f) { return f->hidden_depth == 0; }

// Only the check of a whole file refuses a paragraph for its tabs: the document that a failed
// load puts back is read through the filter too, and must come back whole.
void count_tab(rtf_filter* f) {
    if ((++f->tabs > TAB_LIMIT || f->row_width > TAB_PLACE_LIMIT) && f->whole_check) f->refused = true;
}

int& size_now(rtf_filter* f) { return f->sizes[f->depth < 33 ? f->depth : 33]; }

// Whether the letters' colour and background are set (not the automatic ones) in the open group.
bool* colours_now(rtf_filter* f) { return f->colours[f->depth < 33 ? f->depth : 33]; }

// The reader's \plain takes its colours from a record it never fills, so every \plain makes a
// style of its own, and the control looks each new style up among all it made: a document of
// thousands of \plain took minutes to open. The same reset goes in word by word, a colour only
// where one is set (a \cf0 draws on the same unfilled record).
void plain_put(rtf_filter* f) {
    put_word(f, "b", true, 0);
    put_word(f, "i", true, 0);
    put_word(f, "ulnone", false, 0);
    put_word(f, "strike", true, 0);
    put_word(f, "fs", true, SIZE_DEFAULT);
    bool* colours = colours_now(f);
    if (colours[0]) put_word(f, "cf", true, 0);
    if (colours[1]) put_word(f, "highlight", true, 0);
    colours[0] = colours[1] = false;
}

// What the reader is fed besides text ends what it collects as a name.
void text_run_end(rtf_filter* f) { f->text_run = 0; }

// One character of the reader's text, `plain` when it is one below 128 written as it is, `skipped`
// when it stands in for a \uN.
void text_token(rtf_filter* f, int c, bool plain, bool skipped) {
    // a picture's data goes into a buffer of the picture reader's own, which grows; a break
    // there would end the data and show the rest of it as text (broken all the same where a
    // table's reader may be reading unseen: a picture of a malformed file shows as text)
    if ((c == ';' && plain) || (f->picture_depth > 0 && f->table_depth == 0 && !f->table_loose)) {
        f->text_run = 0;
        return;
    }
    bool room = f->depth < DEPTH_LIMIT;  // the break is one group deeper
    if (room && ((f->text_run >= NAME_BREAK && plain && !skipped) || f->text_run >= NAME_LIMIT)) {
        put_text(f, "{}");
        f->text_run = 0;
    }
    // where there is no room, no table's reader can be: it skips groups within its entries
    bool reader_unseen = f->table_loose || f->font_depth > 0;
    if (++f->text_run > NAME_LIMIT && (room || reader_unseen)) f->refused = true;
}

// The control lays out a paragraph of letters outside the basic plane in a time growing with the
// square of their number; refused like its tabs.
void count_wide_letter(rtf_filter* f) {
    if (++f->wide_letters > EDITOR_PARAGRAPH_WIDE_LETTERS_LIMIT && f->whole_check) f->refused = true;
}

// A control word or symbol, or a group's brace: one more format change in the paragraph.
void change_count(rtf_filter* f) { f->change_pending = true; }

// Text after a change begins a run.
void run_count(rtf_filter* f) {
    if (!f->change_pending) return;
    f->change_pending = false;
    if (++f->changes > CHANGE_LIMIT && f->whole_check) f->refused = true;
}

// Letters count toward the tab's place wherever the reader may show them, hidden groups included:
// one opened by a \* shows all its letters when the \* never reaches the reader or marks a word it knows.
bool letters_shown(const rtf_filter* f) { return f->skip_depth == 0; }

// A character the reader shows, c up to a space ending a word (the control breaks lines there):
// the control lays out a word in a time growing with the square of its letters; refused like tabs.
// Counted wherever the reader may show the letter; ended only where it surely shows the break.
void word_letter(rtf_filter* f, int c) {
    if (!letters_shown(f) || f->picture_depth > 0) return;
    if (c >= 0 && c <= ' ') {
        if (in_body(f)) f->word_letters = 0;
    } else if (++f->word_letters > EDITOR_WORD_LETTERS_LIMIT && f->whole_check) {
        f->refused = true;
    }
}

// A character of the text: the tabs of the cells before it go in first.
void text_seen(rtf_filter* f) {
    f->group_start = false;
    if (letters_shown(f)) f->row_width += 2 * 10 * (long long)size_now(f);
    run_count(f);
    if (!in_body(f)) return;
    f->paragraph_has_text = true;
    for (; f->pending_tabs > 0; f->pending_tabs--) put(f, '\t');
}

// Only an end the reader surely takes ends the counts: not in a hidden group, nor where the reader
// may be skipping the rest of a group.
void paragraph_end(rtf_filter* f) {
    f->pending_tabs = 0;  // a row's last cell needs no tab after it
    if (!in_body(f) || f->doubt_depth > 0) return;
    f->paragraph_has_text = false;
    f->tabs = 0;
    f->row_width = 0;
    f->wide_letters = 0;
    f->word_letters = 0;
    f->changes = 0;
}

void group_open(rtf_filter* f) {
    f->star_waiting = false;
    int outer = f->sizes[f->depth < 33 ? f->depth : 33];
    bool outer_colours[2] = {colours_now(f)[0], colours_now(f)[1]};
    f->depth++;
    size_now(f) = outer;
    colours_now(f)[0] = outer_colours[0];
    colours_now(f)[1] = outer_colours[1];
    f->group_start = true;
    text_run_end(f);
    // The reader takes the characters after a \uN letter for its stand-in; meeting a brace there
    // instead, it hands the brace back and counts its group twice, past its stack in the end.
    // A brace ends the stand-in: the reader is given it before the brace (or where one was).
    for (; f->tokens.skip_left > 0; f->tokens.skip_left--) put(f, '?');
    if (f->depth > DEPTH_LIMIT) return;  // flattened: no change for the control
    change_count(f);
    put(f, '{');
}

void group_close(rtf_filter* f) {
    f->star_waiting = false;
    if (picture_run_open(f)) picture_run_end(f);
    if (f->colour_last) put(f, ';');  // the entry's end, where the table's reader looks for it
    if (f->depth == 1 && f->whole_document && f->paragraph_has_text) put_text(f, "\\par ");
    bool flattened = f->depth > DEPTH_LIMIT;
    // the reader keeps what a flattened group set: its size counts on (the larger, to be sure)
    if (f->depth == DEPTH_LIMIT + 1) {
        f->sizes[DEPTH_LIMIT] = std::max(f->sizes[DEPTH_LIMIT], f->sizes[DEPTH_LIMIT + 1]);
        for (int i = 0; i < 2; i++) f->colours[DEPTH_LIMIT][i] |= f->colours[DEPTH_LIMIT + 1][i];
    }
    bool dropped = f->drop_depth > 0 && f->depth >= f->drop_depth;
    if (f->depth > 0 && --f->depth == 0) f->outer_closed = true;
    if (f->drop_depth > f->depth) {
        dropped = dropped && !f->drop_keeps_close;
        f->drop_depth = 0;
    }
    if (f->picture.depth > f->depth) f->picture = rtf_picture{};
    if (f->colour_depth > f->depth) f->colour_depth = 0;
    if (f->hidden_depth > f->depth) f->hidden_depth = 0;
    if (f->table_depth > f->depth) f->table_depth = 0;
    if (f->star_depth > f->depth) f->star_depth = 0;
    if (f->picture_depth > f->depth) f->picture_depth = 0;
    if (f->font_depth > f->depth) f->font_depth = 0;
    if (f->skip_depth > f->depth) f->skip_depth = 0;
    if (f->doubt_depth > f->depth) f->doubt_depth = 0;
    f->group_start = false;
    text_run_end(f);
    if (!flattened && !dropped) put(f, '}');
}

// The first word of a group names what the group is.
void destination_seen(rtf_filter* f, const char* word) {
    bool table = is_one_of(word, TABLE_WORDS);
    if (table && f->table_depth == 0) f->table_depth = f->depth;
    if (table || is_one_of(word, HIDDEN_WORDS)) {
        if (f->hidden_depth == 0) f->hidden_depth = f->depth;
        skip_mark(f);  // names, colours, pictures and field codes are no letters of the text
    }
    // inside a table the table's reader takes the text as names, pictures or not
    if (strcmp(word, "pict") == 0 && f->picture_depth == 0 && f->table_depth == 0) f->picture_depth = f->depth;
}

// A code page the reader can turn bytes into letters with, one or two bytes to a letter.
bool code_page_usable(rtf_code_pages* known, long long page) {
    for (int i = 0; i < known->count; i++) {
        if (known->page[i] == page) return known->usable[i];
    }
    const int places = (int)(sizeof known->page / sizeof known->page[0]);
    if (known->count == places) return false;
    CPINFO info;
    bool usable = page > 0 && page <= 65535 && GetCPInfo((UINT)page, &info) && info.MaxCharSize <= 2 &&
                  !(page >= 50220 && page <= 50229) && page != 52936;
    known->page[known->count] = page;
    known->usable[known->count++] = usable;
    return usable;
}

// The words that start a reader of their own, wherever they stand: each reads to the end of the
// group it stands in. False when the word is left out.
bool reader_word_take(rtf_filter* f, const rtf_token& token) {
    const char* word = token.word;
    if (strcmp(word, "stylesheet") == 0) {
        // the control applies no style, and its sheet's reader reads past a malformed sheet
        if (f->drop_depth == 0) {
            f->drop_depth = f->depth;
            f->drop_keeps_close = true;
        }
        return false;
    }
    if (strcmp(word, "fonttbl") == 0 && f->font_depth == 0) {
        f->font_depth = f->depth;
        f->font_kind = RTF_FONTS_UNKNOWN;
        f->font_lettered = f->font_entry_ended = f->font_entry_coded = f->font_entry_open = false;
    }
    if (strcmp(word, "ansicpg") == 0 && code_page_usable(&f->code_pages, token.has_number ? token.number : 0)) {
        f->ansi_code_page = (int)token.number;
    }
    // the character sets of the Macintosh and of DOS, which the reader reads its own text by
    const struct {
        const char* word;
        int code_page;
    } character_sets[] = {{"mac", 10000}, {"pc", 437}, {"pca", 850}};
    for (const auto& set : character_sets) {
        if (strcmp(word, set.word) == 0 && code_page_usable(&f->code_pages, set.code_page)) f->ansi_code_page = set.code_page;
    }
    if (strcmp(word, "colortbl") == 0 && f->colour_depth == 0) f->colour_depth = f->depth;
    if (strcmp(word, "pict") == 0) {
        // a picture within a picture: the inner reader would read on past the outer picture's end
        if (f->picture.depth > 0) return false;
        f->picture = rtf_picture{};
        f->picture.depth = f->depth;
    }
    // the reader turns text into letters by the code page as a whole: in one of UTF-16's or
    // UTF-7's, or a stateful one, every letter comes out wrong or not at all
    if (strcmp(word, "cpg") == 0 || strcmp(word, "ansicpg") == 0) {
        return code_page_usable(&f->code_pages, token.has_number ? token.number : 0);
    }
    // Playing a metafile's records the platform trusts every size and index in them (a record
    // deleting an object past its table ends the program): no metafile is made of a file's data.
    if (strcmp(word, "wmetafile") == 0) return false;
    if (strcmp(word, "dibitmap") == 0) {
        // a bitmap only of data checked from its start: none where a table's reader may be reading
        rtf_picture* p = &f->picture;
        bool checked = p->data == RTF_DATA_NONE || p->bitmap_named;
        if (p->depth == 0 || f->table_depth > 0 || f->table_loose || !checked) return false;
        p->bitmap_named = true;
    }
    return true;
}

// No line of a paragraph stands left of the page or beyond what the control can save. Both
// words go in each time either comes: the reader takes each relative to the other, and ends on
// the pair whatever their order.
void indent_seen(rtf_filter* f, bool first, long long value) {
    if (first) {
        f->first_indent = value;
    } else {
        f->left_indent = value;
    }
    long long left = twips_within(f->left_indent);
    put_word(f, "li", true, left);
    put_word(f, "fi", true, twips_within(f->left_indent + f->first_indent) - left);
}

void body_word(rtf_filter* f, const char* word, bool has_number, long long number) {
    if (strcmp(word, "cell") == 0 || strcmp(word, "nestcell") == 0) {
        word_letter(f, '\t');
        count_tab(f);
        if (f->pending_tabs < TAB_LIMIT) f->pending_tabs++;  // the output holds no more
        return;
    }
    if (is_one_of(word, DROPPED_WORDS)) return;
    if (strcmp(word, "li") == 0 || strcmp(word, "fi") == 0) {
        return indent_seen(f, word[0] == 'f', has_number ? number : 0);
    }
    if (strcmp(word, "pard") == 0) f->left_indent = f->first_indent = 0;
    if (strcmp(word, "par") == 0) paragraph_end(f);
    if (is_one_of(word, TEXT_WORDS)) {
        bool unicode = strcmp(word, "u") == 0 && has_number;
        bool blank = strcmp(word, "tab") == 0 || strcmp(word, "line") == 0 || (unicode && number > 0 && number <= ' ');
        // a letter's second half outside the basic plane is no letter of its own
        bool second_half = unicode && ((number >= 0xDC00 && number <= 0xDFFF) || (number >= 0xDC00 - 65536 && number <= 0xDFFF - 65536));
        if (!second_half) word_letter(f, blank ? ' ' : 'x');
        text_seen(f);
    }
    put_word(f, word, has_number, number);
    if (f->paragraph_words && (strcmp(word, "pard") == 0 || strcmp(word, "rtf") == 0)) put_text(f, f->paragraph_words);
}

void word_take(rtf_filter* f, const rtf_token& token) {
    const char* word = token.word;
    long long number = token.number;
    // in a flattened group a destination would have the reader skip or read the rest of the deepest
    if (f->depth > DEPTH_LIMIT && is_in_order_one_of(word, DESTINATION_WORDS)) return;
    // a field's result after a \* is shown like any other
    if (f->star_waiting && (strcmp(word, "fldrslt") == 0 || strcmp(word, "field") == 0)) {
        if (f->star_hid) f->hidden_depth = 0;
        if (f->star_marked) f->star_depth = 0;
        f->star_waiting = false;
    }
    if (strcmp(word, "fs") == 0) {
        // a negative size is as large for the control, and never held to its cap of 1,638 points
        long long size = number < 0 ? -number : number;
        size_now(f) = token.has_number && size > 0 ? (int)std::min<long long>(size, SIZE_LIMIT) : SIZE_DEFAULT;
    }
    if (strcmp(word, "plain") == 0) size_now(f) = SIZE_DEFAULT;
    if (f->group_start) destination_seen(f, word);
    if (!reader_word_take(f, token)) {
        f->group_start = false;
        return;
    }
    f->group_start = false;
    // a tab wherever it stands: the count may only ever be too high
    bool is_unicode = strcmp(word, "u") == 0;
    if (strcmp(word, "tab") == 0 || (is_unicode && (number == 9 || number == 9 - 65536))) count_tab(f);
    // the first half of a letter outside the basic plane, written either way
    if (is_unicode && ((number >= 0xD800 && number <= 0xDBFF) || (number >= 0xD800 - 65536 && number <= 0xDBFF - 65536))) {
        count_wide_letter(f);
    }
    if (!is_one_of(word, TEXT_WORDS)) change_count(f);
    if (strcmp(word, "bin") == 0) return;  // the data after it is the reader's alone; it shows none of it
    if (strcmp(word, "row") == 0 || strcmp(word, "nestrow") == 0) {
        paragraph_end(f);
        if (in_body(f)) return put_word(f, "par", false, 0);
    }
    if (strcmp(word, "cf") == 0) colours_now(f)[0] = token.has_number && number != 0;
    if (strcmp(word, "highlight") == 0) colours_now(f)[1] = token.has_number && number != 0;
    if (strcmp(word, "plain") == 0 && in_body(f)) return plain_put(f);
    if (f->paragraph_words && in_body(f) && is_one_of(word, LAYOUT_WORDS)) return;
    // what the reader skips is kept within sound values all the same
    if (strcmp(word, "ri") == 0 || strcmp(word, "tx") == 0 || strcmp(word, "tb") == 0 ||
        (strcmp(word, "li") == 0 && !in_body(f))) {
        return put_word(f, word, true, twips_within(token.has_number ? number : 0));
    }
    if (in_body(f)) return body_word(f, word, token.has_number, number);
    if (strcmp(word, "fi") != 0) put_word(f, word, token.has_number, number);
}

// A \* goes in only with the word it marks: the reader, fed one before anything else, hangs.
void word_end(rtf_filter* f, const rtf_token& token) {
    if (token.over_long) {
        f->refused = true;  // beyond what the reader holds of one word
        return;
    }
    word_take(f, token);
    f->star_waiting = false;
}

void text_byte(rtf_filter* f, int c, bool skipped) {
    switch (c) {
        case '\r':
        case '\n':
            return put(f, (char)c);
        case '\0':
            return;  // the reader would end its read there: the text after it is read all the same
        case '\t':
            text_run_end(f);
            word_letter(f, c);
            count_tab(f);
            text_seen(f);
            return put(f, (char)c);
        default:
            f->star_waiting = false;
            text_token(f, c, c < 128, skipped);
            if (!skipped) word_letter(f, c);
            text_seen(f);
            put(f, (char)c);
    }
}

void symbol_take(rtf_filter* f, int c, bool skipped) {
    bool group_start = f->group_start;
    f->group_start = false;
    if (c == '\\' || c == '{' || c == '}' || c == ':') {
        text_token(f, c, false, skipped);  // a character of the text, escaped
        if (!skipped) word_letter(f, c);
        text_seen(f);
    } else if (c == '\0') {
        return;  // left out like a NUL in the text
    } else {
        text_run_end(f);  // any other symbol ends a name in the reader's buffer
        if (c == '~' || c == '_') {  // a hard space or hyphen in the text
            word_letter(f, c);
            text_seen(f);
        }
        if (c != '\r' && c != '\n') change_count(f);
        if (c == '*') {
            f->star_marked = f->star_hid = false;
            f->star_at_start = group_start;
        }
        if (c == '*' && group_start && f->depth <= DEPTH_LIMIT) {
            f->star_marked = f->star_depth == 0;
            f->star_hid = f->hidden_depth == 0;
            if (f->star_marked) f->star_depth = f->depth;
            if (f->star_hid) f->hidden_depth = f->depth;
            f->group_start = true;  // the word after it names the group
        }
        if ((c == '\r' || c == '\n') && in_body(f)) paragraph_end(f);
        if (c == '*') {
            f->star_waiting = true;  // goes in only with the word it marks
            return;
        }
    }
    f->star_waiting = false;
    put(f, '\\');
    put(f, (char)c);
}

// A character written as \'hh, or as much of one as stands before what cuts it short.
void hex_take(rtf_filter* f, const rtf_token& token) {
    // the reader ends the whole read at a \' without two hex digits: it is left out (a \uN's
    // stand-in all the same, so that the reader skips no letter in its place)
    if (strlen(token.hex) < 2) {
        if (token.skipped) put(f, '?');
        return;
    }
    f->group_start = false;
    text_token(f, '\'', false, token.skipped);
    if (!token.skipped) word_letter(f, strlen(token.hex) == 2 ? token.value : 'x');
    text_seen(f);
    f->star_waiting = false;
    put_text(f, "\\'");
    put_text(f, token.hex);
    if (strlen(token.hex) == 2 && token.value == '\t') count_tab(f);
}

// Whether the reader takes the token for a letter of a name: text, \'hh and escaped characters.
bool letter_is(const rtf_token& token) {
    int c = token.value;
    return (token.kind == RTF_TEXT && c != '\t') || token.kind == RTF_HEX ||
           (token.kind == RTF_SYMBOL && (c == '\\' || c == '{' || c == '}' || c == ':'));
}

// The font table's reader ends an entry at its ';' or at a '}'. It hands a '}' met right after a
// letter back; after a ';' it takes one token more for the closing brace of an entry in braces;
// after anything else the '}' is taken, and the reader would read on past the table, taking the
// text after it for names. So a ';' goes in before every such '}', what stands after an entry's
// ';' or between entries in braces is left out (a group of it whole), and so is all that stands
// before the first entry tells how the entries stand. True when the token is left out.
// The reader reads a font's letters by the code page of its character set, and one named with
// none (or the default set) by the system's, not the document's: the document's goes in for it
// before the entry's end. True when it went in.
bool font_entry_end(rtf_filter* f) {
    bool coded = !f->font_entry_coded && f->ansi_code_page > 0;
    if (coded) put_word(f, "cpg", true, f->ansi_code_page);
    f->font_entry_coded = false;
    return coded;
}

// Whether a word of a font's entry names the code page its letters are read by.
bool font_coding_word(rtf_filter* f, const rtf_token& token) {
    if (token.kind != RTF_WORD || !token.has_number) return false;
    if (strcmp(token.word, "fcharset") == 0) return token.number != DEFAULT_CHARSET;
    return strcmp(token.word, "cpg") == 0 && code_page_usable(&f->code_pages, token.number);
}

bool font_table_follow(rtf_filter* f, const rtf_token& token) {
    rtf_token_kind kind = token.kind;
    if (f->font_depth == 0 || kind == RTF_NOTHING || kind == RTF_BINARY || kind == RTF_END) return false;
    if (kind == RTF_TEXT && (token.value == '\r' || token.value == '\n' || token.value == '\0')) return false;
    bool letter = letter_is(token);
    bool entry_level = (f->depth == f->font_depth && f->font_kind == RTF_FONTS_PLAIN) ||
                       (f->depth == f->font_depth + 1 && f->font_kind == RTF_FONTS_BRACED && !f->font_entry_ended);
    if (entry_level && font_coding_word(f, token)) f->font_entry_coded = true;
    if (entry_level && kind == RTF_TEXT && token.value == ';') font_entry_end(f);
    if (f->depth == f->font_depth) {
        if (kind == RTF_GROUP_CLOSE) {
            bool open = f->font_kind == RTF_FONTS_PLAIN && f->font_entry_open;
            if ((open && font_entry_end(f)) || (f->font_kind == RTF_FONTS_PLAIN && !f->font_lettered)) put(f, ';');
            return false;
        }
        if (f->font_kind == RTF_FONTS_UNKNOWN) {
            if (kind == RTF_GROUP_OPEN) {
                f->font_kind = RTF_FONTS_BRACED;
            } else if (kind == RTF_WORD && strcmp(token.word, "f") == 0) {
                f->font_kind = RTF_FONTS_PLAIN;
            } else {
                return true;
            }
        }
        if (f->font_kind == RTF_FONTS_PLAIN) {
            f->font_lettered = letter;
            f->font_entry_open = !(kind == RTF_TEXT && token.value == ';');
            return false;
        }
        if (kind != RTF_GROUP_OPEN) return true;
        f->font_lettered = f->font_entry_ended = f->font_entry_coded = false;
        return false;
    }
    if (f->depth != f->font_depth + 1 || f->font_kind != RTF_FONTS_BRACED) return false;
    if (kind == RTF_GROUP_CLOSE) {
        if ((!f->font_entry_ended && font_entry_end(f)) || !f->font_lettered) put(f, ';');
        return false;
    }
    if (f->font_entry_ended) {
        if (kind != RTF_GROUP_OPEN) return true;
        if (f->drop_depth == 0) {
            f->drop_depth = f->depth + 1;  // the group it opens, braces and all
            f->drop_keeps_close = false;
        }
        return false;
    }
    f->font_lettered = letter;
    if (kind == RTF_TEXT && token.value == ';') f->font_entry_ended = true;
    return false;
}

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    return (c | 0x20) - 'a' + 10;
}

// A field of the header, of size bytes from offset, written least significant byte first.
unsigned long header_field(const char* digits, int offset, int size) {
    unsigned long value = 0;
    for (int i = size - 1; i >= 0; i--) {
        const char* pair = digits + 2 * (offset + i);
        value = value << 8 | (unsigned long)(hex_digit_value(pair[0]) << 4 | hex_digit_value(pair[1]));
    }
    return value;
}

void header_field_set(char* digits, int offset, int size, unsigned long value) {
    for (int i = 0; i < size; i++, value >>= 8) {
        digits[2 * (offset + i)] = "0123456789abcdef"[(value >> 4) & 15];
        digits[2 * (offset + i) + 1] = "0123456789abcdef"[value & 15];
    }
}

// The bytes of data the reader makes a bitmap of with this header (the header, colours and
// pixels, each where the reader looks for it), or -1 for a header it is not to have. A header
// claiming more pixels than the limit keeps fewer rows.
long long bitmap_bytes_needed(char* digits) {
    unsigned long size = header_field(digits, 0, 4), planes = header_field(digits, 12, 2);
    unsigned long bits = header_field(digits, 14, 2), compression = header_field(digits, 16, 4);
    unsigned long colours_used = header_field(digits, 32, 4);
    long long width = (int32_t)header_field(digits, 4, 4), height = (int32_t)header_field(digits, 8, 4);
    if (size != 40 || planes != 1 || width <= 0 || width > (1 << 20) || height == 0 || height == INT32_MIN) return -1;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return -1;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32))) return -1;
    long long palette = bits <= 8 ? 1LL << bits : 0;
    if (colours_used > (unsigned long)(bits <= 8 ? palette : 256)) return -1;
    long long colours = colours_used ? (long long)colours_used : palette;
    long long stride = (width * (long long)bits + 31) / 32 * 4;
    long long rows = height < 0 ? -height : height;
    if (rows * stride > BITMAP_BYTES_LIMIT) {
        rows = BITMAP_BYTES_LIMIT / stride;
        if (rows == 0) return -1;
        header_field_set(digits, 8, 4, (unsigned long)(height < 0 ? -rows : rows));
    }
    // the reader looks for the pixels after a header and one colour, then the colours the header
    // counts; the three masks of bit fields stand after the header
    return (long long)sizeof(BITMAPINFO) + 3 * 4 + colours * 4 + rows * stride;
}

// The header complete: it goes in as the reader may have it, or the picture's data is left out.
void bitmap_header_judge(rtf_filter* f) {
    rtf_picture* p = &f->picture;
    long long bytes = bitmap_bytes_needed(p->header);
    if (bytes < 0 || bytes > f->bitmap_bytes_left) {
        p->data = RTF_DATA_DROPPED;
        return;
    }
    f->bitmap_bytes_left -= bytes;
    p->data = RTF_DATA_BITS;
    p->digits_needed = 2 * bytes;
    p->digits_passed = BITMAP_HEADER_DIGITS;
    for (char digit : p->header) put_raw(f, digit);
}

// A token of text at a checked picture's own level goes to its data, which is hex: anything else
// there is left out, line ends and all, so that the filter knows the reader's run exactly. True
// when the token is taken here.
bool picture_data_take(rtf_filter* f, const rtf_token& token) {
    rtf_picture* p = &f->picture;
    if (p->depth == 0 || p->data == RTF_DATA_DONE || f->depth != p->depth || f->drop_depth > 0) return false;
    // a \uN's stand-in is the reader's to skip, and line ends and NULs it never sees
    int c = token.value;
    if (token.skipped || !(token.kind == RTF_TEXT || letter_is(token))) return false;
    if (token.kind == RTF_TEXT && (c == '\r' || c == '\n' || c == '\0') && !p->bitmap_named) return false;
    if (!p->bitmap_named) {
        p->data = RTF_DATA_DONE;  // data no header was checked in: no bitmap may be made of it
        return false;
    }
    bool digit = token.kind == RTF_TEXT && ((c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'));
    if (!digit) return true;
    switch (p->data) {
        case RTF_DATA_NONE:
            p->data = RTF_DATA_HEADER;
            [[fallthrough]];
        case RTF_DATA_HEADER:
            p->header[p->header_digits++] = (char)c;
            if (p->header_digits == BITMAP_HEADER_DIGITS) bitmap_header_judge(f);
            return true;
        case RTF_DATA_BITS:
            put_raw(f, (char)c);
            p->digits_passed++;
            return true;
        default:
            return true;
    }
}

void token_take(rtf_filter* f, const rtf_token& token) {
    if (font_table_follow(f, token) || picture_data_take(f, token)) return;
    switch (token.kind) {
        case RTF_GROUP_OPEN:
            return group_open(f);
        case RTF_GROUP_CLOSE:
            return group_close(f);
        case RTF_WORD:
            return word_end(f, token);
        case RTF_SYMBOL:
            return symbol_take(f, token.value, token.skipped);
        case RTF_HEX:
            return hex_take(f, token);
        case RTF_TEXT:
            return text_byte(f, token.value, token.skipped);
        default:
            return;  // binary data, the end, or a byte within a token
    }
}

// One byte of the input is one step: what a refused step puts out never reaches the reader. The
// byte that ends a control word belongs to the word's step; one that cuts a \'h short starts a
// step of its own, after the step of each digit before it.
void filter_byte(rtf_filter* f) {
    rtf_token token;
    bool taken = rtf_tokens_feed(&f->tokens, f->input[f->input_at], &token);
    token_take(f, token);
    if (!taken) {
        if (token.kind == RTF_HEX) return;
        rtf_tokens_feed(&f->tokens, f->input[f->input_at], &token);
        token_take(f, token);
    }
    f->input_at++;
}

bool input_fill(rtf_filter* f) {
    LONG read = 0;
    if (f->source(f->source_cookie, f->input, sizeof f->input, &read) != 0) f->read_failed = true;
    f->input_at = 0;
    f->input_size = read > 0 ? (DWORD)read : 0;
    // the reader takes a document only when it starts with its brace: a UTF-8 mark or blanks
    // other programs leave before it are left out
    if (!f->begun && f->input_size > 0) {
        if (f->input_size >= 3 && memcmp(f->input, "\xef\xbb\xbf", 3) == 0) f->input_at = 3;
        while (f->input_at < f->input_size && strchr(" \t\r\n", f->input[f->input_at]) && f->input[f->input_at]) {
            f->input_at++;
        }
        f->begun = f->input_at < f->input_size;
    }
    return read > 0;
}

// Plain text goes through as it is, without the byte-by-byte tokens, up to where its run of
// text may need a break.
DWORD plain_run(rtf_filter* f) {
    // the tables and a bitmap's data are taken token by token
    bool token_by_token = f->font_depth > 0 || f->colour_depth > 0 || f->drop_depth > 0 ||
                          (f->picture.depth > 0 && f->picture.data != RTF_DATA_DONE);
    if (f->pending_tabs > 0 || token_by_token) return 0;
    DWORD end = f->input_at;
    while (end < f->input_size && f->text_run < NAME_BREAK) {
        // no further than the break, unless a ';' ends the name on the way
        size_t most = f->input_size - end;
        if (most > (size_t)(NAME_BREAK - f->text_run)) most = NAME_BREAK - f->text_run;
        size_t plain = rtf_tokens_plain_run(&f->tokens, f->input + end, most);
        for (size_t i = 0; i < plain; i++) f->text_run = f->input[end + i] == ';' ? 0 : f->text_run + 1;
        end += (DWORD)plain;
        if (plain < most) break;
    }
    return end - f->input_at;
}

}  // namespace

void rtf_filter_start(rtf_filter* filter, EDITSTREAMCALLBACK source, DWORD_PTR cookie) {
    memset(filter, 0, sizeof *filter);
    filter->sizes[0] = SIZE_DEFAULT;
    filter->bitmap_bytes_left = BITMAP_BYTES_BUDGET;
    rtf_tokens_start(&filter->tokens);
    filter->source = source;
    filter->source_cookie = cookie;
}

DWORD CALLBACK rtf_filter_read(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    rtf_filter* f = (rtf_filter*)cookie;
    LONG moved = 0;
    while (moved < count && !f->refused) {
        if (f->zeros_left > 0) {
            LONG take = f->zeros_left < count - moved ? (LONG)f->zeros_left : count - moved;
            memset(buffer + moved, '0', take);
            f->zeros_left -= take;
            moved += take;
            continue;
        }
        if (f->output_at < f->output_size) {
            LONG take = f->output_size - f->output_at;
            if (take > count - moved) take = count - moved;
            memcpy(buffer + moved, f->output + f->output_at, take);
            f->output_at += take;
            moved += take;
            continue;
        }
        f->output_at = f->output_size = 0;
        if (f->input_ended) break;
        if (f->input_at == f->input_size && !input_fill(f)) {
            f->input_ended = true;
            rtf_token token;
            rtf_tokens_end(&f->tokens, &token);
            token_take(f, token);
            continue;
        }
        LONG run = (LONG)plain_run(f);
        if (run > count - moved) run = count - moved;
        if (run > 0) {
            f->group_start = false;
            if (letters_shown(f)) f->row_width += 2 * 10 * (long long)size_now(f) * run;
            run_count(f);
            if (in_body(f)) f->paragraph_has_text = true;
            for (LONG i = 0; i < run; i++) word_letter(f, f->input[f->input_at + i]);
            memcpy(buffer + moved, f->input + f->input_at, run);
            f->input_at += run;
            moved += run;
            continue;
        }
        filter_byte(f);
    }
    *done = moved;
    if (f->refused) return ERROR_INVALID_DATA;
    return f->read_failed ? ERROR_READ_FAULT : 0;
}

bool rtf_source_within_reader_limits(EDITSTREAMCALLBACK source, DWORD_PTR cookie) {
    rtf_filter filter;
    rtf_filter_start(&filter, source, cookie);
    filter.whole_check = true;
    BYTE scratch[4096];
    LONG done = 0;
    while (rtf_filter_read((DWORD_PTR)&filter, scratch, sizeof scratch, &done) == 0 && done > 0) {
    }
    // the control fails a read that ends inside a group, after taking all of it in; emptying
    // itself of a large part then takes a time growing with the square of its paragraphs
    bool ends_inside = filter.depth > 0 && !filter.outer_closed;
    return !filter.refused && !filter.read_failed && !ends_inside;
}

bool rtf_within_reader_limits(HANDLE file) {
    bool within = rtf_source_within_reader_limits(stream_read_callback, (DWORD_PTR)file);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    return within;
}

DWORD CALLBACK rtf_memory_read(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    rtf_memory* memory = (rtf_memory*)cookie;
    size_t left = memory->size - memory->read_at;
    *done = (LONG)(left < (size_t)count ? left : (size_t)count);
    memcpy(buffer, memory->data + memory->read_at, *done);
    memory->read_at += *done;
    return 0;
}
