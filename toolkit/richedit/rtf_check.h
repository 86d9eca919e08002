// What the control's RTF reader is fed from a file or the clipboard. A first pass refuses what
// would overrun the reader; while the control reads, a filter between the source and the reader
// keeps what it is fed within values the control can show, copy and save: no negative indent or
// tab stop, numbers within 32 bits, a field's visible result as text, table cells as tabs.
#pragma once
#include <windows.h>
#include <richedit.h>

#include "toolkit/richedit/rtf_tokens.h"

// The state of one filtered read; its fields are the filter's own.
struct rtf_filter {
    EDITSTREAMCALLBACK source;
    DWORD_PTR source_cookie;
    bool whole_check;
    BYTE input[4096];
    DWORD input_at, input_size;
    bool input_ended, read_failed, refused;
    char output[4608];  // what one byte of the file turns into: a control word, the tabs of the cells
    int output_at, output_size;  // past the output's end the read is refused, never written beyond
    rtf_tokens tokens;
    int depth;
    bool outer_closed;  // the document's own group has closed: the reader stops there
    bool group_start, star_waiting;
    int hidden_depth, table_depth, star_depth;  // the outermost group of each kind, 0 when none
    int picture_depth;  // the outermost picture outside the tables, 0 when none
    int style_depth;  // the style sheet's group, 0 when outside it
    // The style sheet's reader waits for an entry or the sheet's end; an entry ended by ';' or
    // holding a \*; a table's reader may be reading where no table is seen (its names unbounded).
    bool style_waiting, entry_named, entry_starred, table_loose;
    // The font table's group, 0 when outside it; its reader in step at the table's level, and the
    // entry's last token a letter.
    int font_depth;
    bool font_waiting, entry_lettered;
    // The outermost group whose letters the reader surely never shows, and the outermost whose
    // rest it may skip (where a paragraph end need not end the paragraph); 0 when none.
    int skip_depth, doubt_depth;
    int text_run;          // text the reader could take for one name: broken up before it grows too long
    int tabs, pending_tabs, changes, wide_letters;
    int sizes[34];  // the letters' size (half-points) in each open group, the outermost first
    long long row_width;  // twips the paragraph's text may reach so far
    int style_size;  // the largest size the style sheet names, what a style may set
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
