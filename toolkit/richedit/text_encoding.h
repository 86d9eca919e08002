// Plain-text files in the encoding they came in. The control decodes and encodes the text
// itself; only which encoding a file is in and the marks at the start of a file are handled here.
#pragma once
#include <windows.h>

enum text_encoding {
    TEXT_CP1252,      // Windows-1252: new documents, and every file that is none of the others
    TEXT_UTF8,        // valid UTF-8 holding at least one multi-byte sequence, no mark
    TEXT_UTF8_MARK,   // UTF-8 after the mark EF BB BF
    TEXT_UTF16_MARK,  // UTF-16 little-endian after the mark FF FE
};

// The encoding of the document in the editor: set by every load, used and kept by every
// plain-text save.
extern text_encoding document_encoding;

// Reads the file through once from its start, and leaves it there.
text_encoding text_encoding_detect(HANDLE file);
// The stream format of plain text in the encoding, for EM_STREAMIN and EM_STREAMOUT.
WPARAM text_encoding_format(text_encoding encoding);
// Readies a file at its start for EM_STREAMIN with text_read_callback; the format to send.
WPARAM text_read_prepare(HANDLE file, text_encoding encoding);
// stream_read_callback, with the bytes before the file's own that the control needs.
DWORD CALLBACK text_read_callback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);
// Writes the encoding's mark, when it has one, into a new empty file; false when writing failed.
bool text_mark_write(HANDLE file, text_encoding encoding);
// The encoding a plain-text save writes the editor's text in: the document's, or UTF-8 (no mark)
// when the document is Windows-1252 and holds letters Windows-1252 cannot store.
text_encoding text_encoding_for_save(HWND editor);
