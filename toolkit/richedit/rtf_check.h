// What the control's RTF reader is fed from a file or the clipboard. A first pass refuses what
// would overrun the reader; while the control reads, a filter between the source and the reader
// keeps what it is fed within values the control can show, copy and save: no negative indent or
// tab stop, numbers within 32 bits, a field's visible result as text, table cells as tabs, groups
// deeper than the reader's stack flattened, tables whose entries end where the reader looks for
// their end, no style sheet (the control applies no style), a bitmap's data as long as its header
// says.
#pragma once
#include <windows.h>
#include <richedit.h>

#include "toolkit/richedit/rtf_tokens.h"

// How the font table's entries stand, known from the first thing in it: each in braces, or one
// after another, each ended by a ';'.
enum rtf_font_table_kind { RTF_FONTS_UNKNOWN, RTF_FONTS_BRACED, RTF_FONTS_PLAIN };

// Where a picture's first run of data stands, which the reader reads at once into one buffer:
// for a bitmap it is held back until its header is judged, then passed and counted.
enum rtf_picture_data { RTF_DATA_NONE, RTF_DATA_HEADER, RTF_DATA_BITS, RTF_DATA_DROPPED, RTF_DATA_DONE };

// A picture the reader reads from the word that names it to the end of its group.
struct rtf_picture {
    int depth;  // that group, 0 when none
    bool bitmap_named;  // a \dibitmap went in before any data: the data is checked
    rtf_picture_data data;
    char header[80];  // the bitmap header's hex digits, held back until complete
    int header_digits;
    long long digits_needed, digits_passed;
};

// The code pages a read has asked the platform about, with the answers. The platform looks for an
// unknown page's table on disk at each question (about 1.4 ms), so each page is asked once, and
// past the last place here every page not yet asked is taken as unusable.
struct rtf_code_pages {
    long long page[16];
    bool usable[16];
    int count;
};

// The state of one filtered read; its fields are the filter's own.
struct rtf_filter {
    EDITSTREAMCALLBACK source;
    DWORD_PTR source_cookie;
    bool whole_check;
    // A read of a whole document, whose last paragraph mark the control leaves out: a last
    // paragraph without one of its own is given one, else it would take the paragraph before's format.
    bool whole_document;
    bool paragraph_has_text;
    BYTE input[4096];
    DWORD input_at, input_size;
    bool input_ended, read_failed, refused;
    bool begun;  // the document's first byte has come
    char output[4608];  // what one byte of the file turns into: a control word, the tabs of the cells
    int output_at, output_size;  // past the output's end the read is refused, never written beyond
    long long zeros_left;  // zero digits a bitmap lacks, handed over before the output
    long long bitmap_bytes_left;  // what the bitmaps of this read may still claim
    rtf_tokens tokens;
    int depth;
    bool outer_closed;  // the document's own group has closed: the reader stops there
    bool group_start, star_waiting;
    bool star_hid, star_marked;  // the last \* began the hidden group and its star group
    bool star_at_start;  // the last \* stood at its group's start
    int hidden_depth, table_depth, star_depth;  // the outermost group of each kind, 0 when none
    int picture_depth;  // the outermost picture outside the tables, 0 when none
    // Nothing goes in from this group on, 0 when none; its closing brace only when drop_keeps_close.
    int drop_depth;
    bool drop_keeps_close;
    bool table_loose;  // a table's reader may be reading where no table is seen (its names unbounded)
    // The font table's group (0 when outside it), the way its entries stand, and whether the last
    // token of the entry being read was a letter or ';' and whether a ';' ended it.
    int font_depth;
    rtf_font_table_kind font_kind;
    bool font_lettered, font_entry_ended;
    // The entry being read names its code page; a plain table's entry has begun.
    bool font_entry_coded, font_entry_open;
    int ansi_code_page;  // the document's, 0 when it names none the reader can use
    rtf_code_pages code_pages;
    int colour_depth;  // the colour table's group, 0 when outside it
    bool colour_last;  // the last thing that went in was a colour's red, green or blue
    rtf_picture picture;
    // The outermost group whose letters the reader surely never shows, and the outermost whose
    // rest it may skip (where a paragraph end need not end the paragraph); 0 when none.
    int skip_depth, doubt_depth;
    int text_run;          // text the reader could take for one name: broken up before it grows too long
    int tabs, pending_tabs, changes, wide_letters;  // changes: runs of text after a format change
    bool change_pending;  // a format change with no text after it yet
    int word_letters;     // shown letters since the last character up to a space
    int sizes[34];  // the letters' size (half-points) in each open group, the outermost first
    bool colours[34][2];  // whether a colour and a background are set in each open group
    long long row_width;  // twips the paragraph's text may reach so far
    long long left_indent, first_indent;
    // Null, or control words fed after the opening \rtf and every \pard in the body, the indents
    // and tab stops of the paragraphs' own then left out: the layout a load puts them all on.
    const char* paragraph_words;
};

// Reads what the source (a transfer callback and its cookie) hands over through once: true
// when the control's reader can hold all of it (groups, control words, names in the tables,
// tabs in a paragraph) and it could be read.
bool rtf_source_within_reader_limits(EDITSTREAMCALLBACK source, DWORD_PTR cookie);
// The same for a file, which is left at its start.
bool rtf_within_reader_limits(HANDLE file);
// A block of memory as a source: rtf_memory_read hands it over from read_at on.
struct rtf_memory {
    const char* data;
    size_t size, read_at;
};
DWORD CALLBACK rtf_memory_read(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);
// Starts a filtered read of what the source (a transfer callback and its cookie) hands over.
void rtf_filter_start(rtf_filter* filter, EDITSTREAMCALLBACK source, DWORD_PTR cookie);
// EM_STREAMIN callback; the cookie is an rtf_filter. Nonzero (a failed read, or a part the
// reader cannot hold) stops the stream before the control sees that part.
DWORD CALLBACK rtf_filter_read(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);
