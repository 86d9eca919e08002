// What the control's RTF reader is fed from a file or the clipboard: the check before it reads
// and the filter while it reads share one pass over the reader's tokens (rtf_tokens.h).
#include "toolkit/richedit/rtf_check.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"

#include <string.h>

#include <algorithm>

namespace {

// Measured on the control: 33 nested groups, or a font or style name of about 1,040
// characters, end the program. The reader collects a name from any run of text (letters,
// \'hh, \: and escaped braces, with line ends and NULs between them left out) wherever its
// table reader happens to be, which a malformed table can carry far into the body; so every
// run of text is broken with an empty group, which ends a name and shows nothing, before it
// reaches the reader's buffer. A break waits for a plain character, so as not to part the two
// bytes of one letter, but never past the limit.
constexpr int DEPTH_LIMIT = 32;
constexpr int NAME_BREAK = 512;
constexpr int NAME_LIMIT = 768;
// A paragraph of endless format changes (groups, control words) keeps the control busy for
// minutes: its runs are laid out in a time growing with the square of their number.
constexpr int CHANGE_LIMIT = 20000;
constexpr int TAB_LIMIT = EDITOR_PARAGRAPH_TABS_LIMIT;
// Sizes beyond this count as this in the tab's place (a style as the largest size the style
// sheet names): past it one letter alone takes a tab past the limit.
constexpr long long SIZE_LIMIT = 1000000;  // half-points
constexpr int SIZE_DEFAULT = 24;
// The control measures where a tab ends in 32-bit screen units and loops for ever once that is
// past about 22 million twips at the screen's resolution: a tab further from its paragraph's start
// than this is refused like endless tabs, each letter before it taken twice its size wide.
constexpr long long TAB_PLACE_LIMIT = 10000000;  // twips

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
// Words that stand for characters: a cell's tab goes before them.
const char* const TEXT_WORDS[] = {"tab",   "line",  "u",      "emdash", "endash",   "emspace",   "enspace",
                                  "qmspace", "bullet", "lquote", "rquote", "ldblquote", "rdblquote", nullptr};

void put(rtf_filter* f, char c) {
    if (f->output_size < (int)sizeof f->output) {
        f->output[f->output_size++] = c;
    } else {
        f->refused = true;
    }
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
    if (f->star_waiting) {
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
    if (++f->text_run > NAME_LIMIT) f->refused = true;
}

// The control lays out a paragraph of letters outside the basic plane in a time growing with the
// square of their number; refused like its tabs.
void count_wide_letter(rtf_filter* f) {
    if (++f->wide_letters > EDITOR_PARAGRAPH_WIDE_LETTERS_LIMIT && f->whole_check) f->refused = true;
}

// A control word or symbol, or a group's brace: one more format change in the paragraph.
void change_count(rtf_filter* f) {
    if (++f->changes > CHANGE_LIMIT && f->whole_check) f->refused = true;
}

// Letters count toward the tab's place wherever the reader may show them, hidden groups included:
// one opened by a \* shows all its letters when the \* never reaches the reader or marks a word it knows.
bool letters_shown(const rtf_filter* f) { return f->skip_depth == 0; }

// A character of the text: the tabs of the cells before it go in first.
void text_seen(rtf_filter* f) {
    f->group_start = false;
    if (letters_shown(f)) f->row_width += 2 * 10 * (long long)size_now(f);
    if (!in_body(f)) return;
    for (; f->pending_tabs > 0; f->pending_tabs--) put(f, '\t');
}

// Only an end the reader surely takes ends the counts: not in a hidden group, nor where the reader
// may be skipping the rest of a group.
void paragraph_end(rtf_filter* f) {
    f->pending_tabs = 0;  // a row's last cell needs no tab after it
    if (!in_body(f) || f->doubt_depth > 0) return;
    f->tabs = 0;
    f->row_width = 0;
    f->wide_letters = 0;
    f->changes = 0;
}

void group_open(rtf_filter* f) {
    f->star_waiting = false;
    if (++f->depth > DEPTH_LIMIT) f->refused = true;
    int outer = f->sizes[f->depth - 1 < 33 ? f->depth - 1 : 33];
    size_now(f) = outer;
    f->group_start = true;
    text_run_end(f);
    change_count(f);
    put(f, '{');
}

void group_close(rtf_filter* f) {
    f->star_waiting = false;
    if (f->depth > 0 && --f->depth == 0) f->outer_closed = true;
    if (f->hidden_depth > f->depth) f->hidden_depth = 0;
    if (f->table_depth > f->depth) f->table_depth = 0;
    if (f->star_depth > f->depth) f->star_depth = 0;
    if (f->picture_depth > f->depth) f->picture_depth = 0;
    if (f->style_depth > f->depth) f->style_depth = 0;
    if (f->font_depth > f->depth) f->font_depth = 0;
    if (f->skip_depth > f->depth) f->skip_depth = 0;
    if (f->doubt_depth > f->depth) f->doubt_depth = 0;
    f->group_start = false;
    text_run_end(f);
    put(f, '}');
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
    if (strcmp(word, "fonttbl") == 0 && f->font_depth == 0) {
        f->font_depth = f->depth;
        f->font_waiting = true;
    }
    if (strcmp(word, "stylesheet") == 0 && f->style_depth == 0) {
        f->style_depth = f->depth;
        f->style_waiting = true;
    }
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
    if (is_one_of(word, TEXT_WORDS)) text_seen(f);
    put_word(f, word, has_number, number);
    if (f->paragraph_words && (strcmp(word, "pard") == 0 || strcmp(word, "rtf") == 0)) put_text(f, f->paragraph_words);
}

void word_take(rtf_filter* f, const rtf_token& token) {
    const char* word = token.word;
    long long number = token.number;
    if (strcmp(word, "fs") == 0) {
        // a negative size is as large for the control, and never held to its cap of 1,638 points
        long long size = number < 0 ? -number : number;
        size_now(f) = token.has_number && size > 0 ? (int)std::min<long long>(size, SIZE_LIMIT) : SIZE_DEFAULT;
        if (f->style_depth > 0 && size_now(f) > f->style_size) f->style_size = size_now(f);
    }
    if (strcmp(word, "plain") == 0) size_now(f) = SIZE_DEFAULT;
    if (strcmp(word, "s") == 0 || strcmp(word, "cs") == 0) size_now(f) = f->style_size;
    if (f->group_start) destination_seen(f, word);
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
            count_tab(f);
            text_seen(f);
            return put(f, (char)c);
        default:
            f->star_waiting = false;
            text_token(f, c, c < 128, skipped);
            text_seen(f);
            put(f, (char)c);
    }
}

void symbol_take(rtf_filter* f, int c, bool skipped) {
    bool group_start = f->group_start;
    f->group_start = false;
    if (c == '\\' || c == '{' || c == '}' || c == ':') {
        text_token(f, c, false, skipped);  // a character of the text, escaped
        text_seen(f);
    } else if (c == '\0') {
        return;  // left out like a NUL in the text
    } else {
        text_run_end(f);  // any other symbol ends a name in the reader's buffer
        if (c == '~' || c == '_') text_seen(f);  // a hard space or hyphen in the text
        if (c != '\r' && c != '\n') change_count(f);
        if (c == '*' && group_start) {
            if (f->star_depth == 0) f->star_depth = f->depth;
            if (f->hidden_depth == 0) f->hidden_depth = f->depth;
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
    f->group_start = false;
    text_token(f, '\'', false, token.skipped);
    text_seen(f);
    f->star_waiting = false;
    put_text(f, "\\'");
    put_text(f, token.hex);
    if (strlen(token.hex) == 2 && token.value == '\t') count_tab(f);
}

// The style sheet's reader reads an entry up to its ';' whatever braces stand between (a \* ends
// it at its group's end) and then takes one token for the entry's end. Unless every entry is a
// group ended by ";}" or holding a \*, it reads on past the sheet, and would take the data of a
// picture there for a style name far longer than its buffer: such data is then broken up too.
void style_sheet_follow(rtf_filter* f, rtf_token_kind kind, int c, bool skipped) {
    if (f->style_depth == 0 || kind == RTF_NOTHING || kind == RTF_BINARY || kind == RTF_END) return;
    if (kind == RTF_TEXT && (c == '\r' || c == '\n' || c == '\0')) return;
    if (f->depth == f->style_depth) {
        if (kind == RTF_GROUP_CLOSE && !f->style_waiting) f->table_loose = true;
        f->style_waiting = false;  // an entry begins, in braces or not
        f->entry_named = f->entry_starred = false;
    } else if (f->depth == f->style_depth + 1) {
        if (kind == RTF_GROUP_CLOSE) {
            f->style_waiting = f->entry_named || f->entry_starred;
        } else if (f->entry_named) {
            f->entry_named = f->entry_starred = false;  // the reader took this for the entry's end
        } else if (kind == RTF_TEXT && c == ';' && !skipped) {
            f->entry_named = true;
        } else if (kind == RTF_SYMBOL && c == '*') {
            f->entry_starred = true;
        }
    }
    // the reader skips a group deeper in an entry whole
}

// The font table's reader ends an entry at its ';' or at a '}' and then, for an entry in braces,
// takes one token more for its closing brace; it hands back a '}' met right after a letter, but
// one met after a word or a group ends the entry and the reader reads on past the table.
void font_table_follow(rtf_filter* f, rtf_token_kind kind, int c) {
    if (f->font_depth == 0 || kind == RTF_NOTHING || kind == RTF_BINARY || kind == RTF_END) return;
    if (kind == RTF_TEXT && (c == '\r' || c == '\n' || c == '\0')) return;
    bool letter = (kind == RTF_TEXT && c != '\t') || kind == RTF_HEX ||
                  (kind == RTF_SYMBOL && (c == '\\' || c == '{' || c == '}' || c == ':'));
    if (f->depth == f->font_depth) {
        if (kind == RTF_GROUP_CLOSE && !f->font_waiting) f->table_loose = true;
        f->font_waiting = letter;
        f->entry_lettered = false;
    } else if (f->depth == f->font_depth + 1) {
        if (kind == RTF_GROUP_CLOSE) f->font_waiting = f->entry_lettered;
        f->entry_lettered = letter;
    }
}

// A token of a table as its reader takes it.
void table_follow(rtf_filter* f, rtf_token_kind kind, int c, bool skipped) {
    style_sheet_follow(f, kind, c, skipped);
    font_table_follow(f, kind, c);
}

void token_take(rtf_filter* f, const rtf_token& token) {
    table_follow(f, token.kind, token.value, token.skipped);
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
    return read > 0;
}

// Plain text goes through as it is, without the byte-by-byte tokens, up to where its run of
// text may need a break.
DWORD plain_run(rtf_filter* f) {
    if (f->pending_tabs > 0) return 0;
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
    filter->sizes[0] = filter->style_size = SIZE_DEFAULT;
    rtf_tokens_start(&filter->tokens);
    filter->source = source;
    filter->source_cookie = cookie;
}

DWORD CALLBACK rtf_filter_read(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    rtf_filter* f = (rtf_filter*)cookie;
    LONG moved = 0;
    while (moved < count && !f->refused) {
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
            for (LONG i = 0; (f->style_depth > 0 || f->font_depth > 0) && i < run; i++) {
                table_follow(f, RTF_TEXT, f->input[f->input_at + i], false);
            }
            if (letters_shown(f)) f->row_width += 2 * 10 * (long long)size_now(f) * run;
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
