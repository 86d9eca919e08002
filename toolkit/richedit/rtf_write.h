// The document as RTF, for a file, the clipboard or the copy a failed load puts back. The
// control's writer is mended on its way out: it puts a look-alike for a letter Windows-1252 lacks
// (l for ł, O for Ω), writes a paragraph's indents swapped (the margin as a first-line indent),
// lists a face once for each spelling and ends with a NUL after the closing brace.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <string>

// Streams the whole document, or with SFF_SELECTION the selection, into rtf: every letter kept
// (\uN? where Windows-1252 lacks it), \li the indent of the paragraph's lines and \fi its first
// line's from there, one font-table entry per face, nothing after the closing brace. The
// control's count of what it wrote, or -1 when its stream failed.
LONG rtf_write(HWND editor, WPARAM selection, std::string& rtf);
// Mends what the writer made of the document whose text (UTF-16, as EM_STREAMOUT hands it over
// with SF_TEXT | SF_UNICODE, paragraphs ended by CR LF) is given; the text may be empty when it
// holds no letter outside ASCII.
std::string rtf_written_mend(const std::string& written, const std::wstring& text);
