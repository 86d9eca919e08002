// Plain-text files in the encoding they came in. The control reads and writes UTF-8 and UTF-16
// itself; here are which encoding a file is in, the marks at the start of a file, the check
// that Windows-1252 can store every letter of a document, and the check that no paragraph
// holds more tabs than the control can take.
#pragma once
#include <windows.h>

enum text_encoding {
    TEXT_CP1252,      // Windows-1252: new documents, and every file that is none of the others
    TEXT_UTF8,        // valid UTF-8 holding at least one multi-byte sequence, no mark
    TEXT_UTF8_MARK,   // UTF-8 after the mark EF BB BF
    TEXT_UTF16_MARK,  // UTF-16 little-endian after the mark FF FE
    TEXT_UTF16_BIG_ENDIAN_MARK,  // UTF-16 big-endian after the mark FE FF
};

// The encoding of the document in the editor: set by every load, used and kept by every
// plain-text save.
extern text_encoding document_encoding;

// How a text file ends its lines, where all its lines end alike in a way of their own: each
// paragraph end is written so, those typed or read back from RTF included (which the control
// ends with CR LF).
enum text_line_end {
    TEXT_LINE_END_KEPT,  // CR LF, or mixed: each paragraph end as the control keeps it
    TEXT_LINE_END_LF,
    TEXT_LINE_END_CR,
};
// The line end of the document in the editor: set by every load, used by every plain-text save.
extern text_line_end document_line_end;

// The encoding of an open file: its mark, else UTF-8 when that is valid and holds a multi-byte
// sequence, else Windows-1252. Reads the file through once from its start, and leaves it there.
text_encoding text_encoding_detect(HANDLE file);
// True when the file text_encoding_detect read last has a paragraph of more tabs, or of more
// letters outside the basic plane, or a word of more letters, than the control takes without
// stalling (EDITOR_PARAGRAPH_TABS_LIMIT, EDITOR_PARAGRAPH_WIDE_LETTERS_LIMIT, EDITOR_WORD_LETTERS_LIMIT).
bool text_tabs_too_many();
// The characters of the file text_encoding_detect read last, as the control counts them (a CR LF
// as two, a letter beyond 65,535 as two).
long long text_length_found();
// How the lines of the file text_encoding_detect read last end.
text_line_end text_line_end_found();
// True when no paragraph of the UTF-16 text has more tabs, or letters outside the basic plane,
// and no word more letters, than the control takes.
bool text_tabs_within_limit(const WCHAR* text, size_t length);
// Readies a file at its start for EM_STREAMIN with text_read_callback; the format to send.
WPARAM text_read_prepare(HANDLE file, text_encoding encoding);
// stream_read_callback, with the bytes before the file's own that the control needs.
DWORD CALLBACK text_read_callback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);
// Writes the encoding's mark, when it has one, into a new empty file and readies EM_STREAMOUT
// with text_write_callback: the format to send, or 0 when the mark could not be written.
WPARAM text_write_begin(HANDLE file, text_encoding encoding, text_line_end line_end);
// stream_write_callback; Windows-1252 is written by the platform from the control's UTF-16,
// without best fit, and the stream stops at the first letter Windows-1252 cannot store.
DWORD CALLBACK text_write_callback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);
// True when the last Windows-1252 write stopped at a letter Windows-1252 cannot store.
bool text_letters_lost();
