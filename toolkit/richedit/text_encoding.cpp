// Plain-text files in the encoding they came in.
#include "toolkit/richedit/text_encoding.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"

#include <richedit.h>

#include <string>

text_encoding document_encoding = TEXT_CP1252;
text_line_end document_line_end = TEXT_LINE_END_KEPT;

namespace {

constexpr BYTE UTF8_MARK[] = {0xEF, 0xBB, 0xBF};
constexpr BYTE UTF16_MARK[] = {0xFF, 0xFE};
constexpr BYTE UTF16_BIG_ENDIAN_MARK[] = {0xFE, 0xFF};

bool is_utf16(text_encoding encoding) { return encoding == TEXT_UTF16_MARK || encoding == TEXT_UTF16_BIG_ENDIAN_MARK; }

// The control reads and writes UTF-16 little-endian only: big-endian units are turned round on
// their way in and out.
void units_turn(BYTE* bytes, LONG count) {
    for (LONG i = 0; i + 1 < count; i += 2) {
        BYTE first = bytes[i];
        bytes[i] = bytes[i + 1];
        bytes[i + 1] = first;
    }
}

// Follows UTF-8 through the file block by block: the continuation bytes still wanted and the
// range the next one must lie in, which rules out overlong forms, surrogates and values past
// U+10FFFF (the control would read those as replacement characters, and saving would change them).
struct utf8_scan {
    int wanted;
    BYTE low, high;
    bool valid;
    bool multi_byte;
};

void utf8_scan_block(utf8_scan& scan, const BYTE* bytes, DWORD count) {
    for (DWORD i = 0; i < count && scan.valid; i++) {
        BYTE b = bytes[i];
        if (scan.wanted > 0) {
            scan.valid = b >= scan.low && b <= scan.high;
            scan.low = 0x80;
            scan.high = 0xBF;
            scan.wanted--;
        } else if (b >= 0x80) {
            scan.multi_byte = true;
            scan.valid = b >= 0xC2 && b <= 0xF4;
            scan.wanted = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
            scan.low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
            scan.high = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
        }
    }
}

// Follows the tabs and the letters outside the basic plane of the paragraph under way through a
// text, block by block; a CR or a LF ends a paragraph, in the control as here. Such a letter is
// a high surrogate in UTF-16 and a byte from F0 on in UTF-8 (in Windows-1252 those bytes are
// letters of their own: their count is kept apart, for a text that turns out to be UTF-8).
// The letters of the word under way are counted too, too many of them counting as too many tabs:
// each byte of a text that may be Windows-1252 (a letter of UTF-8 may count twice or three times),
// each UTF-16 letter once.
struct tab_count {
    int in_paragraph;
    bool too_many;
    int wide_in_paragraph;
    bool wide_too_many;
    int in_word;
};

bool is_wide_start(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_wide_start(BYTE unit) { return unit >= 0xF0; }
bool is_letter_start(WCHAR unit) { return unit < 0xDC00 || unit > 0xDFFF; }
bool is_letter_start(BYTE) { return true; }

template <typename unit>
void tabs_count(tab_count& count, const unit* units, size_t length) {
    for (size_t i = 0; i < length && !count.too_many; i++) {
        if (units[i] > ' ') {
            if (is_letter_start(units[i])) count.too_many = ++count.in_word > EDITOR_WORD_LETTERS_LIMIT;
        } else {
            count.in_word = 0;  // the control breaks its lines at any character up to a space
        }
        if (units[i] == '\t') {
            count.too_many = ++count.in_paragraph > EDITOR_PARAGRAPH_TABS_LIMIT;
        } else if (units[i] == '\r' || units[i] == '\n') {
            count.in_paragraph = 0;
            count.wide_in_paragraph = 0;
        } else if (is_wide_start(units[i]) && ++count.wide_in_paragraph > EDITOR_PARAGRAPH_WIDE_LETTERS_LIMIT) {
            count.wide_too_many = true;
        }
    }
}

bool tabs_too_many = false;

// The kinds of line end seen in a text, block by block: a CR at a block's end waits for the next.
struct line_ends {
    bool cr_waiting, crlf, lf, cr;
};

template <typename unit>
void line_ends_count(line_ends& ends, const unit* units, size_t length) {
    for (size_t i = 0; i < length; i++) {
        if (ends.cr_waiting) {
            ends.cr_waiting = false;
            if (units[i] == '\n') {
                ends.crlf = true;
                continue;
            }
            ends.cr = true;
        }
        if (units[i] == '\r') ends.cr_waiting = true;
        if (units[i] == '\n') ends.lf = true;
    }
}

text_line_end line_end_found = TEXT_LINE_END_KEPT;
long long length_found = 0;

// The UTF-16 units the control makes of UTF-8: one for each letter, two for one beyond 65,535.
long long utf8_units_count(const BYTE* bytes, DWORD count) {
    long long units = 0;
    for (DWORD i = 0; i < count; i++) units += (bytes[i] < 0x80 || bytes[i] >= 0xC0) + (bytes[i] >= 0xF0);
    return units;
}

bool starts_with(const BYTE* bytes, DWORD count, const BYTE* mark, DWORD mark_size) {
    return count >= mark_size && memcmp(bytes, mark, mark_size) == 0;
}

// What text_read_callback hands the control before the file's own bytes: when reading, the
// control decodes UTF-8 only after a mark (it does not honour the code page), and takes the
// first three bytes of its first read for a mark when they are one.
LONG mark_left = 0;
LONG first_read_limit = 0;
LONG read_unit = 1;  // bytes of one character: 2 in UTF-16
bool read_turned = false;  // big-endian UTF-16

// A read ending in a CR whose LF comes in the next one makes the control count that line twice,
// and so does one parting CR CR LF (a line end of its own to the control): such CRs, up to two,
// are left for the next read; the bytes to give back to the file.
LONG carriage_return_held(const BYTE* bytes, LONG read) {
    LONG held = 0;
    while (held < 2 * read_unit && read - held > read_unit) {
        const BYTE* last = bytes + read - held - read_unit;
        if (last[0] != '\r' || (read_unit == 2 && last[1] != 0)) break;
        held += read_unit;
    }
    return held;
}

// The control turns each read of UTF-8 into letters on its own, and makes a replacement character
// of a letter whose bytes a read's end parts: the bytes of such a letter are left for the next
// read; the count of them.
bool read_utf8 = false;

LONG utf8_tail_held(const BYTE* bytes, LONG read) {
    for (LONG back = 1; back <= 3 && back < read; back++) {
        BYTE b = bytes[read - back];
        if (b < 0x80) return 0;  // a letter of one byte ends the last one whole
        if (b >= 0xC0) {
            LONG needed = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
            return back < needed ? back : 0;
        }
    }
    return 0;
}

// A Windows-1252 write: the control hands over UTF-16 and the platform turns it into
// Windows-1252, where the control's own conversion would put a look-alike or "?" for ł.
bool from_utf16 = false;
bool letters_lost = false;
bool write_turned = false;
// Each paragraph end is written as write_line_end; write_unit is 2 for the control's UTF-16.
text_line_end write_line_end = TEXT_LINE_END_KEPT;
LONG write_unit = 1;
bool write_after_cr = false;  // the last end written was a CR, whose LF is left out

// The control's text with each CR, LF and CR LF as the one line end.
template <typename unit>
std::basic_string<unit> line_ends_mend(const unit* units, size_t length) {
    const unit end = write_line_end == TEXT_LINE_END_LF ? '\n' : '\r';
    std::basic_string<unit> mended;
    mended.reserve(length);
    for (size_t i = 0; i < length; i++) {
        bool after_cr = write_after_cr;
        write_after_cr = units[i] == '\r';
        if (units[i] == '\n' && after_cr) continue;
        mended += units[i] == '\r' || units[i] == '\n' ? end : units[i];
    }
    return mended;
}

// The control writes UTF-8 in the code page given; reading, it goes by the mark alone.
WPARAM stream_format_of(text_encoding encoding) {
    if (encoding == TEXT_UTF8 || encoding == TEXT_UTF8_MARK) return SF_TEXT | SF_USECODEPAGE | ((WPARAM)CP_UTF8 << 16);
    if (is_utf16(encoding)) return SF_TEXT | SF_UNICODE;
    return SF_TEXT;
}

}  // namespace

text_encoding text_encoding_detect(HANDLE file) {
    static BYTE block[65536];
    DWORD count = 0;
    bool first = true, utf16 = false, big_endian = false, marked = false;
    utf8_scan scan = {0, 0x80, 0xBF, true, false};
    tab_count tabs = {0, false, 0, false, 0};
    line_ends ends = {false, false, false, false};
    long long bytes = 0, utf8_units = 0;
    // every block is read, for the tabs; an even block size keeps UTF-16 units whole
    while (!tabs.too_many && ReadFile(file, block, sizeof block, &count, nullptr) && count > 0) {
        if (first) {
            // an odd length is no UTF-16: as Windows-1252 every byte comes back as it was
            big_endian = starts_with(block, count, UTF16_BIG_ENDIAN_MARK, sizeof UTF16_BIG_ENDIAN_MARK);
            utf16 = (big_endian || starts_with(block, count, UTF16_MARK, sizeof UTF16_MARK)) &&
                    GetFileSize(file, nullptr) % 2 == 0;
            marked = starts_with(block, count, UTF8_MARK, sizeof UTF8_MARK);
            scan.valid = !utf16;
            first = false;
        }
        utf8_scan_block(scan, block, count);
        bytes += count;
        utf8_units += utf8_units_count(block, count);
        // an encoding's mark is no letter of the first word
        DWORD mark = bytes > count ? 0 : utf16 ? sizeof UTF16_MARK : marked ? sizeof UTF8_MARK : 0;
        if (utf16) {
            if (big_endian) units_turn(block, count);
            tabs_count(tabs, (const WCHAR*)(block + mark), (count - mark) / 2);
            line_ends_count(ends, (const WCHAR*)block, count / 2);
        } else {
            tabs_count(tabs, block + mark, count - mark);
            line_ends_count(ends, block, count);
        }
    }
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ends.cr = ends.cr || ends.cr_waiting;
    line_end_found = ends.crlf || ends.lf == ends.cr ? TEXT_LINE_END_KEPT : ends.lf ? TEXT_LINE_END_LF : TEXT_LINE_END_CR;
    bool utf8 = !utf16 && scan.valid && scan.wanted == 0 && scan.multi_byte;
    length_found = utf16 ? (bytes - 2) / 2 : utf8 ? utf8_units - (marked ? 1 : 0) : bytes;
    tabs_too_many = tabs.too_many || ((utf16 || utf8) && tabs.wide_too_many);
    if (utf16) return big_endian ? TEXT_UTF16_BIG_ENDIAN_MARK : TEXT_UTF16_MARK;
    if (utf8) return marked ? TEXT_UTF8_MARK : TEXT_UTF8;
    return TEXT_CP1252;
}

bool text_tabs_too_many() { return tabs_too_many; }

text_line_end text_line_end_found() { return line_end_found; }

long long text_length_found() { return length_found; }

bool text_tabs_within_limit(const WCHAR* text, size_t length) {
    tab_count tabs = {0, false, 0, false, 0};
    tabs_count(tabs, text, length);
    return !tabs.too_many && !tabs.wide_too_many;
}

WPARAM text_read_prepare(HANDLE file, text_encoding encoding) {
    mark_left = encoding == TEXT_UTF8 ? sizeof UTF8_MARK : 0;
    // a Windows-1252 file may start with the mark's three bytes; a short first read keeps them text
    first_read_limit = encoding == TEXT_CP1252 ? sizeof UTF8_MARK - 1 : 0;
    // the control would keep this mark as a character of the text
    if (is_utf16(encoding)) SetFilePointer(file, sizeof UTF16_MARK, nullptr, FILE_BEGIN);
    // the control ends the program on a UTF-8 mark with nothing after it: a mark alone is an
    // empty document
    DWORD high = 0;
    if (encoding == TEXT_UTF8_MARK && GetFileSize(file, &high) == sizeof UTF8_MARK && high == 0) {
        SetFilePointer(file, 0, nullptr, FILE_END);
    }
    read_unit = is_utf16(encoding) ? 2 : 1;
    read_utf8 = encoding == TEXT_UTF8 || encoding == TEXT_UTF8_MARK;
    read_turned = encoding == TEXT_UTF16_BIG_ENDIAN_MARK;
    return stream_format_of(encoding);
}

DWORD CALLBACK text_read_callback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    LONG given = 0;
    while (mark_left > 0 && given < count) buffer[given++] = UTF8_MARK[sizeof UTF8_MARK - mark_left--];
    if (first_read_limit > 0 && count > first_read_limit) count = first_read_limit;
    first_read_limit = 0;
    LONG read = 0;
    DWORD error = stream_read_callback(cookie, buffer + given, count - given, &read);
    if (read_turned) units_turn(buffer + given, read);
    LONG held = error ? 0 : carriage_return_held(buffer + given, read);
    if (!error && read_utf8 && held == 0) held = utf8_tail_held(buffer + given, read);
    if (held) SetFilePointer((HANDLE)cookie, -held, nullptr, FILE_CURRENT);
    *done = given + read - held;
    return error;
}

WPARAM text_write_begin(HANDLE file, text_encoding encoding, text_line_end line_end) {
    from_utf16 = encoding == TEXT_CP1252;
    write_turned = encoding == TEXT_UTF16_BIG_ENDIAN_MARK;
    write_line_end = line_end;
    write_unit = from_utf16 || is_utf16(encoding) ? 2 : 1;
    write_after_cr = false;
    letters_lost = false;
    const BYTE* mark = encoding == TEXT_UTF8_MARK ? UTF8_MARK
                       : encoding == TEXT_UTF16_MARK ? UTF16_MARK
                       : write_turned ? UTF16_BIG_ENDIAN_MARK : nullptr;
    if (mark) {
        DWORD size = mark == UTF8_MARK ? sizeof UTF8_MARK : sizeof UTF16_MARK, written = 0;
        if (!WriteFile(file, mark, size, &written, nullptr) || written != size) return 0;
    }
    return from_utf16 ? SF_TEXT | SF_UNICODE : stream_format_of(encoding);
}

namespace {

DWORD units_write(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    if (write_turned) {
        // the control's buffer is its own, so the units are turned in a copy
        BYTE turned[4096];
        *done = 0;
        for (LONG taken = 0; taken < count;) {
            LONG part = count - taken < (LONG)sizeof turned ? count - taken : (LONG)sizeof turned;
            memcpy(turned, buffer + taken, part);
            units_turn(turned, part);
            LONG written = 0;
            DWORD error = stream_write_callback(cookie, turned, part, &written);
            if (error) return error;
            taken += part;
            *done = taken;
        }
        return 0;
    }
    if (!from_utf16) return stream_write_callback(cookie, buffer, count, done);
    char bytes[2048];
    *done = 0;
    // one byte for each UTF-16 unit; the control never splits one
    for (LONG taken = 0; taken < count;) {
        int units = (count - taken) / 2 < (LONG)sizeof bytes ? (count - taken) / 2 : (int)sizeof bytes;
        if (units == 0) return ERROR_INVALID_DATA;
        BOOL lost = FALSE;
        int made = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, (LPCWCH)(buffer + taken), units, bytes,
                                       sizeof bytes, nullptr, &lost);
        letters_lost = lost != FALSE;
        if (letters_lost || made != units) return ERROR_NO_UNICODE_TRANSLATION;
        LONG written = 0;
        DWORD error = stream_write_callback(cookie, (LPBYTE)bytes, made, &written);
        if (error) return error;
        taken += units * 2;
        *done = taken;
    }
    return 0;
}

}  // namespace

DWORD CALLBACK text_write_callback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    if (write_line_end == TEXT_LINE_END_KEPT) return units_write(cookie, buffer, count, done);
    // the control never splits a unit between two writes
    std::string mended;
    if (write_unit == 2) {
        std::wstring units = line_ends_mend((const WCHAR*)buffer, count / 2);
        mended.assign((const char*)units.data(), units.size() * 2);
    } else {
        mended = line_ends_mend((const char*)buffer, count);
    }
    LONG written = 0;
    DWORD error = mended.empty() ? 0 : units_write(cookie, (LPBYTE)&mended[0], (LONG)mended.size(), &written);
    *done = error ? 0 : count;
    return error;
}

bool text_letters_lost() { return letters_lost; }
