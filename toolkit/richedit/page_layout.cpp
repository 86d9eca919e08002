// Page layout for controls that answer EM_FORMATRANGE without laying out pages.
#include "toolkit/richedit/page_layout.h"

#include "toolkit/richedit/editor.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int TWIPS_PER_INCH = 1440;
constexpr int MEASURE_CHUNK = 256;  // characters measured per GDI call
constexpr int FOLLOW_ASK_SHARE = 20;  // a line within a twentieth of its width from the right edge
// A followed editor's line that our widths find wider than the page by at most this share of
// the width is drawn narrowed to fit: its sums of rounded widths come out a pixel or two shorter.
constexpr int FOLLOW_SQUEEZE_SHARE = 50;
// Whatever its indents, a line keeps this share of the text width for its text: a paragraph
// indented past the paper's edge is printed, not drawn where no paper is.
constexpr int LINE_ROOM_SHARE = 20;
constexpr WCHAR BULLET[] = L"\x2022";
constexpr WCHAR BLANK[] = L" ";
constexpr DWORD FORMAT_NEEDED = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_SIZE |
                                CFM_FACE | CFM_CHARSET | CFM_OFFSET;
constexpr DWORD EFFECTS_USED =
    CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_AUTOCOLOR | CFE_SUBSCRIPT | CFE_SUPERSCRIPT;
constexpr DWORD PARAGRAPH_NEEDED =
    PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_TABSTOPS | PFM_ALIGNMENT | PFM_NUMBERING;

// The face that shows the characters of a Symbol run where the device's Symbol face lacks them.
constexpr char SYMBOL_STAND_IN[] = "Times New Roman";

// The Symbol face's codes 0x20 to 0xFF as the characters they show, for devices whose Symbol
// font has no glyphs under those codes (0: no such character).
const WCHAR SYMBOL_CHARACTERS[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B,  // 20
    0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F,  // 28
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,  // 30
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,  // 38
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393,  // 40
    0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,  // 48
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,  // 50
    0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,  // 58
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,  // 60
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,  // 68
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,  // 70
    0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x0000,  // 78
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 80
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 88
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 90
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 98
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663,  // A0
    0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,  // A8
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,  // B0
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,  // B8
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,  // C0
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,  // C8
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,  // D0
    0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,  // D8
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,  // E0
    0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA,  // E8
    0x0000, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,  // F0
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0000   // F8
};

struct layout_font {
    CHARFORMAT2A format;
    HFONT font;
    int ascent;   // above the run's own baseline, which the raise moves
    int descent;
    int raise;    // device units the run stands above the line's baseline (below when negative)
    bool symbols_unmapped;  // a Symbol face this device shows no symbol codes in: drawn in the stand-in
    HFONT screen_font;  // the same at the screen's resolution, when widths are the screen's
};

struct layout_run {  // characters [start, end) share one font
    LONG start, end;
    int font;
};

struct layout_paragraph {  // device units; tabs relative to the left edge
    LONG start, end;  // end: the line break or the range's end
    int first_indent, rest_indent, right_indent;
    int space_before, space_after;
    WORD alignment;
    bool bullet;
    int numbering_tab;  // the least distance from the bullet to the text
    std::vector<int> tabs;
};

struct layout_piece {  // a stretch of one run drawn with one call
    LONG start, end;  // both -1: the paragraph's bullet
    int x;
    int font;
    int squeezed, measured;  // its widths drawn squeezed by squeezed / measured
};

struct layout_line {
    LONG start;
    int baseline;  // from the page rectangle's top
    size_t first_piece, piece_count;
};

// What is kept between the pages of one run; the release call empties it.
struct layout_cache {
    HWND editor;
    HDC dc;
    int selected_font;  // the font selected into dc while measuring, -1 none
    int dpi_x, dpi_y;
    // Where lines follow an editor's, widths are measured as that editor measures them, on the
    // screen, and scaled to the device: the printed line holds what the screen's line holds.
    HDC screen;  // null: widths are the device's own
    int screen_dpi_x, screen_dpi_y;
    int screen_selected_font;
    UINT char_format_size, para_format_size;  // the records the control answers
    LONG base, limit;  // text holds the characters [base, limit)
    bool base_starts_paragraph;
    std::wstring text;
    std::vector<layout_font> fonts;
    std::vector<layout_run> runs;
    std::vector<layout_paragraph> paragraphs;
    // the page measured last, in device units relative to its rectangle's corner
    bool measured;
    bool cut;  // its one line is taller than the page: drawn cut at the bottom edge
    RECT page;
    std::vector<layout_line> lines;
    std::vector<layout_piece> pieces;
};

layout_cache cache;
HWND followed_editor;  // lines break no later than this editor's lines

int to_x(LONG twips) { return MulDiv(twips, cache.dpi_x, TWIPS_PER_INCH); }
int to_y(LONG twips) { return MulDiv(twips, cache.dpi_y, TWIPS_PER_INCH); }

bool is_break(WCHAR c) { return c == '\r' || c == '\n'; }
WCHAR char_at(LONG position) { return cache.text[position - cache.base]; }
const WCHAR* text_at(LONG position) { return cache.text.c_str() + (position - cache.base); }

void cache_release() {
    if (cache.screen) {
        SelectObject(cache.screen, GetStockObject(SYSTEM_FONT));
        ReleaseDC(nullptr, cache.screen);
    }
    for (const layout_font& f : cache.fonts) {
        DeleteObject(f.font);
        if (f.screen_font) DeleteObject(f.screen_font);
    }
    cache = layout_cache();
}

// Selecting a font into a printer's device context costs: only when it changes. Callers keep
// the context's own font with SaveDC / RestoreDC around their work.
void font_select(int font) {
    if (cache.selected_font == font) return;
    SelectObject(cache.dc, cache.fonts[font].font);
    cache.selected_font = font;
}

// ---- reading the control -------------------------------------------------------------

void select_range(HWND editor, LONG start, LONG end) {
    CHARRANGE range = {start, end};
    SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&range);
}

DWORD char_format_read(HWND editor, UINT size, CHARFORMAT2A* format) {
    memset(format, 0, sizeof *format);
    format->cbSize = size;
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)format);
    return format->dwMask;
}

DWORD para_format_read(HWND editor, UINT size, PARAFORMAT2* format) {
    memset(format, 0, sizeof *format);
    format->cbSize = size;
    SendMessageA(editor, EM_GETPARAFORMAT, 0, (LPARAM)format);
    return format->dwMask;
}

// The larger records carry raised and lowered text and paragraph spacing; a control that
// does not answer them is read with the small ones.
void format_sizes_choose(HWND editor) {
    select_range(editor, cache.base, cache.base);
    CHARFORMAT2A c;
    cache.char_format_size = (char_format_read(editor, sizeof c, &c) & CFM_SUPERSCRIPT) ? sizeof c : sizeof(CHARFORMATA);
    PARAFORMAT2 p;
    cache.para_format_size = (para_format_read(editor, sizeof p, &p) & PFM_SPACEAFTER) ? sizeof p : sizeof(PARAFORMAT);
}

bool format_uniform(HWND editor, LONG start, LONG end, CHARFORMAT2A* format) {
    select_range(editor, start, end);
    DWORD needed = FORMAT_NEEDED | (cache.char_format_size == sizeof *format ? CFM_SUPERSCRIPT : 0);
    return (char_format_read(editor, cache.char_format_size, format) & needed) == needed;
}

// A stretch asked about never ends between the two characters of a line break: the control
// leaves the break out then, and answers for the character before it.
LONG stretch_whole(LONG end, LONG limit) {
    return (end < limit && char_at(end) == '\n' && char_at(end - 1) == '\r') ? end + 1 : end;
}

// The end of the run of equal formatting that starts at start.
LONG run_end(HWND editor, LONG start, LONG limit, CHARFORMAT2A* format) {
    format_uniform(editor, start, stretch_whole(start + 1, limit), format);
    CHARFORMAT2A probe;
    return editor_gallop(start + 1, limit,
                  [&](LONG end) { return format_uniform(editor, start, stretch_whole(end, limit), &probe); });
}

bool same_font(const CHARFORMAT2A& a, const CHARFORMAT2A& b) {
    return (a.dwEffects & EFFECTS_USED) == (b.dwEffects & EFFECTS_USED) && a.yHeight == b.yHeight &&
           a.yOffset == b.yOffset && a.crTextColor == b.crTextColor && a.bCharSet == b.bCharSet &&
           a.bPitchAndFamily == b.bPitchAndFamily && strcmp(a.szFaceName, b.szFaceName) == 0;
}

// Raised and lowered text as the control shows it: super- and subscript two thirds high,
// their baseline a third of the size up or a twelfth down, plus the character offset.
int font_raise(const CHARFORMAT2A& format) {
    LONG twips = format.yOffset;
    if (format.dwEffects & CFE_SUPERSCRIPT) twips += format.yHeight / 3;
    if (format.dwEffects & CFE_SUBSCRIPT) twips -= format.yHeight / 12;
    return to_y(twips);
}

// A Symbol face the device has no glyph for the code of alpha in (the font selected into the
// device): its codes are shown as the characters they stand for, in a face that has them.
bool symbols_unmapped(const CHARFORMAT2A& format) {
    if (format.bCharSet != SYMBOL_CHARSET || lstrcmpiA(format.szFaceName, "Symbol") != 0) return false;
    WORD glyph = 0;
    return GetGlyphIndicesW(cache.dc, L"\xF061", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) != 1 || glyph == 0xFFFF;
}

HFONT font_create(const CHARFORMAT2A& format, const char* face, BYTE charset, BYTE pitch_and_family, int dpi_y) {
    LOGFONTA lf = {};
    // cut to whole units, not rounded, as the editor makes its fonts: a rounded 11-point font on
    // the screen is a pixel taller than the editor's, and its lines break a word sooner
    int height = std::max(1, (int)((LONG64)format.yHeight * dpi_y / TWIPS_PER_INCH));
    lf.lfHeight = -((format.dwEffects & (CFE_SUPERSCRIPT | CFE_SUBSCRIPT)) ? std::max(1, height * 2 / 3) : height);
    lf.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (format.dwEffects & CFE_ITALIC) ? 1 : 0;
    lf.lfUnderline = (format.dwEffects & CFE_UNDERLINE) ? 1 : 0;
    lf.lfStrikeOut = (format.dwEffects & CFE_STRIKEOUT) ? 1 : 0;
    lf.lfCharSet = charset;
    lf.lfPitchAndFamily = pitch_and_family;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectA(&lf);
}

int font_for(const CHARFORMAT2A& format) {
    for (size_t i = 0; i < cache.fonts.size(); ++i) {
        if (same_font(cache.fonts[i].format, format)) return (int)i;
    }
    layout_font f = {format, font_create(format, format.szFaceName, format.bCharSet, format.bPitchAndFamily, cache.dpi_y),
                     0, 0, font_raise(format), false, nullptr};
    int saved = SaveDC(cache.dc);
    SelectObject(cache.dc, f.font);
    if (symbols_unmapped(format)) {  // the stand-in shows the characters the codes stand for
        DeleteObject(f.font);
        f.font = font_create(format, SYMBOL_STAND_IN, DEFAULT_CHARSET, VARIABLE_PITCH | FF_ROMAN, cache.dpi_y);
        f.symbols_unmapped = true;
        SelectObject(cache.dc, f.font);
    }
    TEXTMETRICA metrics = {};
    GetTextMetricsA(cache.dc, &metrics);
    RestoreDC(cache.dc, saved);
    cache.selected_font = -1;
    f.ascent = metrics.tmAscent;
    f.descent = metrics.tmDescent;
    if (cache.screen) {
        f.screen_font = f.symbols_unmapped
                            ? font_create(format, SYMBOL_STAND_IN, DEFAULT_CHARSET, VARIABLE_PITCH | FF_ROMAN, cache.screen_dpi_y)
                            : font_create(format, format.szFaceName, format.bCharSet, format.bPitchAndFamily,
                                          cache.screen_dpi_y);
    }
    cache.fonts.push_back(f);
    return (int)cache.fonts.size() - 1;
}

void symbols_map(const layout_run& run) {
    for (LONG p = run.start; p < run.end; ++p) {
        WCHAR& c = cache.text[p - cache.base];
        WCHAR code = (c >= 0xF020 && c <= 0xF0FF) ? c - 0xF000 : c;
        if (code >= 0x20 && code <= 0xFF && SYMBOL_CHARACTERS[code - 0x20]) c = SYMBOL_CHARACTERS[code - 0x20];
    }
}

void read_runs(HWND editor) {
    LONG start = cache.base;
    while (start < cache.limit) {
        CHARFORMAT2A format;
        LONG end = run_end(editor, start, cache.limit, &format);
        cache.runs.push_back({start, end, font_for(format)});
        if (cache.fonts[cache.runs.back().font].symbols_unmapped) symbols_map(cache.runs.back());
        start = end;
    }
    if (cache.runs.empty()) {  // an empty range still needs a line height
        CHARFORMAT2A format;
        format_uniform(editor, cache.base, cache.base, &format);
        cache.runs.push_back({cache.base, cache.base, font_for(format)});
    }
}

// The format of the paragraphs first to last, when they share one. The selection ends on the
// last one's line break, which lies inside it.
bool paragraphs_uniform(HWND editor, size_t first, size_t last, PARAFORMAT2* format) {
    select_range(editor, cache.paragraphs[first].start, cache.paragraphs[last].end);
    DWORD needed = PARAGRAPH_NEEDED |
                   (cache.para_format_size == sizeof *format ? PFM_SPACEBEFORE | PFM_SPACEAFTER | PFM_NUMBERINGTAB : 0);
    return (para_format_read(editor, cache.para_format_size, format) & needed) == needed;
}

void paragraph_apply(layout_paragraph* p, const PARAFORMAT2& format) {
    p->bullet = format.wNumbering == PFN_BULLET;
    p->numbering_tab = cache.para_format_size == sizeof format ? to_x(format.wNumberingTab) : 0;
    p->first_indent = to_x(format.dxStartIndent);
    p->rest_indent = to_x(format.dxStartIndent + format.dxOffset);
    p->right_indent = to_x(format.dxRightIndent);
    p->space_before = to_y(format.dySpaceBefore);
    p->space_after = to_y(format.dySpaceAfter);
    p->alignment = format.wAlignment;
    p->tabs.clear();
    for (int i = 0; i < std::min<int>(format.cTabCount, MAX_TAB_STOPS); ++i) {
        p->tabs.push_back(to_x(format.rgxTabs[i] & 0x00FFFFFF));  // high bits: alignment kinds
    }
}

void read_paragraphs(HWND editor) {
    LONG start = cache.base;
    for (;;) {
        LONG end = start;
        while (end < cache.limit && !is_break(char_at(end))) ++end;
        cache.paragraphs.push_back({start, end, 0, 0, 0, 0, 0, PFA_LEFT, false, 0, {}});
        if (end >= cache.limit) break;
        start = end + ((char_at(end) == '\r' && end + 1 < cache.limit && char_at(end + 1) == '\n') ? 2 : 1);
        if (start >= cache.limit) break;
    }
    LONG last = (LONG)cache.paragraphs.size() - 1;
    for (LONG first = 0; first <= last;) {
        PARAFORMAT2 format, probe;
        paragraphs_uniform(editor, first, first, &format);
        LONG same = editor_gallop(first, last, [&](LONG upto) { return paragraphs_uniform(editor, first, upto, &probe); });
        for (LONG i = first; i <= same; ++i) paragraph_apply(&cache.paragraphs[i], format);
        first = same + 1;
    }
}

// The characters [from, limit) as the control holds them; through the control's 8-bit text
// when it cannot hand them over as they are. The whole text is asked for: a selection that
// starts between the two characters of a line break would move.
std::wstring text_read(HWND editor, LONG from, LONG limit) {
    LONG length = (LONG)SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(length + 1, L'\0');
    GETTEXTEX request = {};
    request.cb = (DWORD)(text.size() * sizeof(WCHAR));
    request.flags = GT_DEFAULT;
    request.codepage = 1200;  // UTF-16
    LONG got = (LONG)SendMessageA(editor, EM_GETTEXTEX, (WPARAM)&request, (LPARAM)&text[0]);
    if (got == length) return text.substr(from, limit - from);
    std::string narrow(limit - from + 1, '\0');
    TEXTRANGEA range = {{from, limit}, &narrow[0]};
    got = (LONG)SendMessageA(editor, EM_GETTEXTRANGE, 0, (LPARAM)&range);
    int wide = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), got, &text[0], (int)text.size());
    return text.substr(0, std::max(0, wide));
}

bool read_text(HWND editor, LONG start, LONG limit) {
    LONG from = start > 0 ? start - 1 : 0;  // one character more tells whether start opens a paragraph
    std::wstring text = text_read(editor, from, limit);
    if ((LONG)text.size() < start - from) return false;
    cache.base_starts_paragraph = start == 0 || is_break(text[0]);
    cache.text = text.substr(start - from);
    cache.base = start;
    cache.limit = start + (LONG)cache.text.size();
    return true;
}

// Reads the text of the range and its formats, keeping the user's selection and notifications.
bool cache_fill(HWND editor, HDC dc, LONG start, LONG limit) {
    cache_release();
    cache.editor = editor;
    cache.dc = dc;
    cache.dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
    cache.dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
    cache.selected_font = -1;
    if (followed_editor == editor) {
        cache.screen = GetDC(nullptr);
        cache.screen_dpi_x = GetDeviceCaps(cache.screen, LOGPIXELSX);
        cache.screen_dpi_y = GetDeviceCaps(cache.screen, LOGPIXELSY);
        cache.screen_selected_font = -1;
    }
    CHARRANGE kept;
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&kept);
    LRESULT events = SendMessageA(editor, EM_SETEVENTMASK, 0, 0);
    POINT scrolled = {};
    SendMessageA(editor, EM_GETSCROLLPOS, 0, (LPARAM)&scrolled);
    SendMessageA(editor, WM_SETREDRAW, FALSE, 0);  // moving the selection is many times cheaper unseen
    bool read = read_text(editor, start, limit);
    if (read) {
        format_sizes_choose(editor);
        read_runs(editor);
        read_paragraphs(editor);
    }
    SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&kept);
    SendMessageA(editor, EM_SETSCROLLPOS, 0, (LPARAM)&scrolled);
    SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(editor, nullptr, FALSE);
    SendMessageA(editor, EM_SETEVENTMASK, 0, events);
    return read;
}

LONG range_limit(HWND editor, const CHARRANGE& range) {
    LONG length = (LONG)SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
    return (range.cpMax < 0 || range.cpMax > length) ? length : range.cpMax;
}

bool cache_covers(HWND editor, HDC dc, LONG start, LONG limit) {
    return cache.editor == editor && cache.dc == dc && cache.limit == limit && start >= cache.base &&
           start <= cache.limit && !cache.text.empty() && (cache.screen != nullptr) == (followed_editor == editor);
}

// ---- laying out ----------------------------------------------------------------------

const layout_run& run_at(LONG position) {
    auto it = std::upper_bound(cache.runs.begin(), cache.runs.end(), position,
                               [](LONG p, const layout_run& r) { return p < r.end; });
    return it == cache.runs.end() ? cache.runs.back() : *it;
}

const layout_paragraph& paragraph_of(LONG position) {
    auto it = std::upper_bound(cache.paragraphs.begin(), cache.paragraphs.end(), position,
                               [](LONG p, const layout_paragraph& q) { return p < q.start; });
    return *(it == cache.paragraphs.begin() ? it : it - 1);
}

bool starts_paragraph(LONG position) {
    return position == cache.base ? cache.base_starts_paragraph : is_break(char_at(position - 1));
}

int next_tab(const layout_paragraph& p, int x) {
    for (int stop : p.tabs) {
        if (stop > x) return stop;
    }
    int step = std::max(1, to_x(lDefaultTab));
    return (x / step + 1) * step;
}

size_t line_first_piece;  // pieces from here on belong to the line being built

void piece_add(LONG start, LONG end, int x, int font) {
    if (end <= start) return;
    if (cache.pieces.size() > line_first_piece) {
        layout_piece& last = cache.pieces.back();
        if (last.end == start && last.font == font && last.start >= 0) {
            last.end = end;  // text that continues the previous piece is drawn with it
            return;
        }
    }
    cache.pieces.push_back({start, end, x, font, 1, 1});
}

// Cuts the pieces of the line being built back to the characters before end.
void pieces_cut(size_t first, LONG end) {
    while (cache.pieces.size() > first && cache.pieces.back().start >= end) cache.pieces.pop_back();
    if (cache.pieces.size() > first && cache.pieces.back().end > end) cache.pieces.back().end = end;
}

// Where a line that overflows at position over ends: after the last blank before it, or
// inside the word when the line holds no blank (at least one character per line).
LONG line_break_at(LONG start, LONG over) {
    if (char_at(over) == ' ') {
        while (over < cache.limit && char_at(over) == ' ') ++over;
        return over;
    }
    for (LONG p = over; p > start; --p) {
        WCHAR c = char_at(p - 1);
        if (c == ' ' || c == '\t') return p;
    }
    return std::max(over, start + 1);
}

// A letter outside the basic plane (an emoji): two UTF-16 units the editor shapes as one glyph,
// where the device's text calls take each unit for a glyph of its own.
bool pair_at(const WCHAR* text, int i, int count) {
    return i + 1 < count && IS_HIGH_SURROGATE(text[i]) && IS_LOW_SURROGATE(text[i + 1]);
}

// The distance from the first character's start to the end of each of count characters, in
// device units: the device's own widths, or the screen's scaled to the device. A pair is as
// wide as its first unit, one glyph as the editor shows it.
void text_extents(const WCHAR* text, int count, int font, int* extents) {
    SIZE size;
    if (cache.screen == nullptr) {
        font_select(font);
        GetTextExtentExPointW(cache.dc, text, count, 0, nullptr, extents, &size);
    } else {
        if (cache.screen_selected_font != font) {
            SelectObject(cache.screen, cache.fonts[font].screen_font);
            cache.screen_selected_font = font;
        }
        GetTextExtentExPointW(cache.screen, text, count, 0, nullptr, extents, &size);
        for (int i = 0; i < count; ++i) extents[i] = MulDiv(extents[i], cache.dpi_x, cache.screen_dpi_x);
    }
    int dropped = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && pair_at(text, i - 1, count)) dropped += extents[i] - extents[i - 1];
        extents[i] -= dropped;
    }
}

// Measures from start as far as fits before right; returns the first position that did not
// fit, or end. Adds what fitted as pieces and advances x.
LONG measure(LONG start, LONG end, int right, int* x, int font) {
    static std::vector<int> extents;
    extents.resize(MEASURE_CHUNK);
    while (start < end) {
        int count = (int)std::min<LONG>(end - start, MEASURE_CHUNK);
        if (count > 1 && count < end - start && pair_at(text_at(start), count - 1, count + 1)) --count;
        text_extents(text_at(start), count, font, extents.data());
        int room = right - *x;
        int fit = (int)(std::upper_bound(extents.begin(), extents.begin() + count, room) - extents.begin());
        if (fit > 0 && fit < count && pair_at(text_at(start), fit - 1, count)) --fit;  // never between a pair
        piece_add(start, start + fit, *x, font);
        if (fit > 0) *x += extents[fit - 1];
        start += fit;
        if (fit < count) return start;
    }
    return end;
}

// The end of the text run that can be measured in one go from at: the run's end, the
// paragraph's end or the next tab, whichever comes first.
LONG stretch_end(LONG at, LONG bound) {
    LONG stop = std::min(run_at(at).end, bound);
    const WCHAR* from = text_at(at);
    const WCHAR* tab = std::find(from, from + (stop - at), L'\t');
    return at + (LONG)(tab - from);
}

// Where the line's visible text ends: its trailing blanks do not count.
int line_text_end(const layout_line& line, int x_after) {
    for (size_t i = line.first_piece + line.piece_count; i-- > line.first_piece;) {
        const layout_piece& piece = cache.pieces[i];
        LONG end = piece.end;
        while (end > piece.start && char_at(end - 1) == ' ') --end;
        if (end == piece.start) continue;
        static std::vector<int> extents;
        extents.resize(end - piece.start);
        text_extents(text_at(piece.start), end - piece.start, piece.font, extents.data());
        return piece.x + extents.back();
    }
    return x_after;
}

// Centred and right-aligned lines move right by the room their text leaves free.
void line_align(const layout_line& line, WORD alignment, int x_after, int right) {
    if (alignment != PFA_CENTER && alignment != PFA_RIGHT) return;
    int room = right - line_text_end(line, x_after);
    int shift = alignment == PFA_CENTER ? room / 2 : room;
    if (shift <= 0) return;
    for (size_t i = line.first_piece; i < line.first_piece + line.piece_count; ++i) cache.pieces[i].x += shift;
}

// Where the followed editor's line that holds start ends: the start of its next line, or the
// end of the text.
LONG editor_line_end(LONG start) {
    LRESULT line = SendMessageA(followed_editor, EM_EXLINEFROMCHAR, 0, start);
    LRESULT next = SendMessageA(followed_editor, EM_LINEINDEX, line + 1, 0);
    return next > start ? (LONG)next : cache.limit;
}

// Draws the paragraph's bullet at x, as the editor does: the first line's text starts a blank
// after it, or at the paragraph's numbering tab when that is further.
int bullet_add(const layout_paragraph& p, int x) {
    int font = run_at(p.start).font;
    int bullet_width, blank_width;
    text_extents(BULLET, 1, font, &bullet_width);
    text_extents(BLANK, 1, font, &blank_width);
    cache.pieces.push_back({-1, -1, x, font, 1, 1});
    return x + std::max(p.numbering_tab, bullet_width + blank_width);
}

// Where the followed editor's screen line runs a little past the page by our widths, the
// line's visible text from left on is measured on to the editor's line end and drawn narrowed
// into right. False, and nothing changed, when it runs further or holds a tab.
bool line_squeeze(LONG reached, LONG editor_end, int left, int x, int right, int width) {
    LONG visible = editor_end;
    while (visible > reached && (char_at(visible - 1) == ' ' || is_break(char_at(visible - 1)))) --visible;
    if (std::find(text_at(reached), text_at(visible), L'\t') != text_at(visible)) return false;
    size_t kept = cache.pieces.size();
    for (LONG at = reached; at < visible;) {
        LONG stop = stretch_end(at, visible);
        at = measure(at, stop, INT_MAX, &x, run_at(at).font);
    }
    if (x - right > width / FOLLOW_SQUEEZE_SHARE || x <= left) {
        cache.pieces.resize(kept);
        return false;
    }
    for (size_t i = line_first_piece; i < cache.pieces.size(); ++i) {
        layout_piece& piece = cache.pieces[i];
        piece.x = left + MulDiv(piece.x - left, right - left, x - left);
        piece.squeezed = right - left;
        piece.measured = x - left;
    }
    return true;
}

// Lays out one line from start; returns where the next line starts. ends_paragraph tells
// whether the line holds the end of its paragraph.
LONG line_layout(LONG start, int width, layout_line* line, bool* ends_paragraph) {
    const layout_paragraph& p = paragraph_of(start);
    int room = width / LINE_ROOM_SHARE;
    int right = std::clamp(width - p.right_indent, room, width);
    int indent = starts_paragraph(start) ? p.first_indent : p.rest_indent;
    int x = std::clamp(indent, 0, right - room);
    // indents the page cannot hold: the editor's own lines are asked whatever their width
    bool clamped = x != indent || right != width - p.right_indent;
    line_first_piece = line->first_piece = cache.pieces.size();
    if (p.bullet && start == p.start) x = std::min(bullet_add(p, x), right - room);
    int left = x;
    LONG at = start, end = p.end, overflow = -1;
    while (at < p.end) {
        if (char_at(at) == '\t') {
            x = next_tab(p, x);
            if (++at, x > right) { end = at; break; }  // the tab hangs; the text after it moves down
            continue;
        }
        LONG stop = stretch_end(at, p.end);
        LONG reached = measure(at, stop, right, &x, run_at(at).font);
        if (reached < stop) {
            end = line_break_at(start, reached);
            if (reached == start) piece_add(start, end, x, run_at(start).font);  // not even one fitted
            else overflow = reached;
            break;
        }
        at = stop;
    }
    // The followed editor's line may end sooner, or a little later. Asking costs a walk through
    // the editor's paragraphs, so it is asked only about lines that fill most of their width.
    if (followed_editor == cache.editor && (clamped || end < p.end || x > right - right / FOLLOW_ASK_SHARE)) {
        LONG editor_end = std::min(editor_line_end(start), p.end);
        if (editor_end < end) {
            end = editor_end;
        } else if (editor_end > end && overflow >= 0 && line_squeeze(overflow, editor_end, left, x, right, width)) {
            end = editor_end;
        }
    }
    pieces_cut(line->first_piece, end);
    line->piece_count = cache.pieces.size() - line->first_piece;
    line_align(*line, p.alignment, x, right);
    *ends_paragraph = end >= p.end;
    LONG next = end;
    if (next < cache.limit && char_at(next) == '\r') ++next;
    if (next < cache.limit && char_at(next) == '\n') ++next;
    return next;
}

// Room above and below the line's baseline, raised and lowered text included.
void line_height(const layout_line& line, LONG start, int* ascent, int* descent) {
    *ascent = *descent = 0;
    for (size_t i = line.first_piece; i < line.first_piece + line.piece_count; ++i) {
        const layout_font& f = cache.fonts[cache.pieces[i].font];
        *ascent = std::max(*ascent, f.ascent + f.raise);
        *descent = std::max(*descent, f.descent - f.raise);
    }
    if (line.piece_count == 0) {  // an empty or blank line is as high as its character's font
        const layout_font& f = cache.fonts[run_at(start).font];
        *ascent = std::max(0, f.ascent + f.raise);
        *descent = std::max(0, f.descent - f.raise);
    }
}

LONG page_measure(LONG start, const RECT& rc) {
    cache.lines.clear();
    cache.pieces.clear();
    cache.page = rc;
    cache.measured = true;
    cache.cut = false;
    int width = to_x(rc.right) - to_x(rc.left);
    int height = to_y(rc.bottom) - to_y(rc.top);
    if (width <= 0 || height <= 0) return start;  // no room for any line
    int y = 0;
    LONG at = start;
    int saved = SaveDC(cache.dc);
    cache.selected_font = -1;
    while (at < cache.limit) {
        layout_line line = {at, 0, 0, 0};
        bool ends_paragraph;
        LONG next = line_layout(at, width, &line, &ends_paragraph);
        int ascent, descent;
        line_height(line, at, &ascent, &descent);
        int before = starts_paragraph(at) ? paragraph_of(at).space_before : 0;
        if (y + before + ascent + descent > height) {
            if (!cache.lines.empty()) {
                cache.pieces.resize(line.first_piece);
                break;
            }
            cache.cut = true;  // taller than the page: it has the page to itself
        }
        line.baseline = y + before + ascent;
        cache.lines.push_back(line);
        y = line.baseline + descent + (ends_paragraph ? paragraph_of(at).space_after : 0);
        at = next;
        if (cache.cut) break;
    }
    RestoreDC(cache.dc, saved);
    cache.selected_font = -1;
    return at;
}

}  // namespace

LONG page_layout_format(HWND editor, int render, const FORMATRANGE* range) {
    if (range == nullptr) {
        cache_release();
        return 0;
    }
    LONG limit = range_limit(editor, range->chrg);
    LONG start = std::max<LONG>(0, range->chrg.cpMin);
    if (start >= limit) return limit;
    if (!cache_covers(editor, range->hdc, start, limit) && !cache_fill(editor, range->hdc, start, limit)) {
        return start;
    }
    LONG next = page_measure(start, range->rc);
    if (render) page_layout_display(editor, &range->rc);
    return next;
}

namespace {

// Draws a piece with each character at the place it was measured at: the printer's driver
// and the preview's screen would otherwise space the characters by their own widths.
void piece_draw(HDC dc, const layout_piece& piece, int x, int y) {
    int count = piece.end - piece.start;
    static std::vector<int> steps;
    const WCHAR* text = piece.start < 0 ? BULLET : text_at(piece.start);
    if (piece.start < 0) count = 1;
    steps.resize(count);
    text_extents(text, count, piece.font, steps.data());
    for (int i = 0; i < count; ++i) steps[i] = MulDiv(steps[i], piece.squeezed, piece.measured);
    for (int i = count - 1; i > 0; --i) steps[i] -= steps[i - 1];
    // each pair is drawn as its first unit alone: the device shows one glyph for it, as the
    // editor does, where the pair would be two
    static std::wstring drawn;
    drawn.clear();
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && pair_at(text, i - 1, count)) continue;  // its step is 0
        drawn.push_back(text[i]);
        steps[kept++] = steps[i];
    }
    ExtTextOutW(dc, x, y, 0, nullptr, drawn.c_str(), kept, steps.data());
}

// Draws the page measured last at left, top (device units of the measuring device) on dc,
// never outside the page's rectangle. sideways: the room allowed beside it (a screen's glyphs
// drawn small can run a little past the printer's).
void page_draw(HDC dc, const RECT& rc, int sideways) {
    int left = to_x(rc.left), top = to_y(rc.top);
    int saved = SaveDC(dc);
    IntersectClipRect(dc, left - sideways, top, to_x(rc.right) + sideways, to_y(rc.bottom));
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    SetBkMode(dc, TRANSPARENT);
    int selected = -1;
    for (const layout_line& line : cache.lines) {
        for (size_t i = line.first_piece; i < line.first_piece + line.piece_count; ++i) {
            const layout_piece& piece = cache.pieces[i];
            const layout_font& font = cache.fonts[piece.font];
            if (piece.font != selected) {  // each font has one colour
                SetTextColor(dc, (font.format.dwEffects & CFE_AUTOCOLOR) ? RGB(0, 0, 0) : font.format.crTextColor);
                SelectObject(dc, font.font);
                selected = piece.font;
            }
            piece_draw(dc, piece, left + piece.x, top + line.baseline - font.raise);
        }
    }
    RestoreDC(dc, saved);
}

}  // namespace

int page_layout_display(HWND editor, const RECT* rc) {
    if (cache.editor != editor || !cache.measured || rc == nullptr) return 1;
    page_draw(cache.dc, *rc, 0);
    cache.selected_font = -1;
    return 0;
}

int page_layout_display_on(HWND editor, const RECT* rc, HDC target) {
    if (cache.editor != editor || !cache.measured || rc == nullptr || target == nullptr) return 1;
    page_draw(target, *rc, to_x(rc->left));
    return 0;
}

void page_layout_follow_lines(HWND editor) { followed_editor = editor; }

HWND page_layout_followed() { return followed_editor; }
