// Page layout for controls that answer EM_FORMATRANGE without laying out pages.
#include "toolkit/richedit/page_layout.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int TWIPS_PER_INCH = 1440;
constexpr int MEASURE_CHUNK = 256;  // characters measured per GDI call
constexpr DWORD FORMAT_NEEDED =
    CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_SIZE | CFM_FACE;
constexpr DWORD EFFECTS_USED = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_AUTOCOLOR;

struct layout_font {
    CHARFORMATA format;
    HFONT font;
    int ascent;
    int descent;
};

struct layout_run {  // characters [start, end) share one font
    LONG start, end;
    int font;
};

struct layout_paragraph {  // device units; tabs relative to the left edge
    LONG start, end;  // end: the line break or the range's end
    int first_indent, rest_indent, right_indent;
    std::vector<int> tabs;
};

struct layout_piece {  // a stretch of one run drawn with one call
    LONG start, end;
    int x;
    int font;
};

struct layout_line {
    LONG start;
    int y, ascent;
    size_t first_piece, piece_count;
};

// What is kept between the pages of one run; the release call empties it.
struct layout_cache {
    HWND editor;
    HDC dc;
    int selected_font;  // the font selected into dc while measuring, -1 none
    int dpi_x, dpi_y;
    LONG base, limit;  // text holds the characters [base, limit)
    bool base_starts_paragraph;
    std::string text;
    std::vector<layout_font> fonts;
    std::vector<layout_run> runs;
    std::vector<layout_paragraph> paragraphs;
    // the page measured last, in device units relative to its rectangle's corner
    bool measured;
    RECT page;
    std::vector<layout_line> lines;
    std::vector<layout_piece> pieces;
};

layout_cache cache;

int to_x(LONG twips) { return MulDiv(twips, cache.dpi_x, TWIPS_PER_INCH); }
int to_y(LONG twips) { return MulDiv(twips, cache.dpi_y, TWIPS_PER_INCH); }

bool is_break(char c) { return c == '\r' || c == '\n'; }
char char_at(LONG position) { return cache.text[position - cache.base]; }

void cache_release() {
    for (const layout_font& f : cache.fonts) DeleteObject(f.font);
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

bool format_uniform(HWND editor, LONG start, LONG end, CHARFORMATA* format) {
    select_range(editor, start, end);
    memset(format, 0, sizeof *format);
    format->cbSize = sizeof *format;
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)format);
    return (format->dwMask & FORMAT_NEEDED) == FORMAT_NEEDED;
}

// The highest value from good up to limit for which holds is true, when it is true for good and
// stays true up to some point: steps that double, then halving. Moving the selection costs more
// the longer the text, so formats are asked for stretches, not for each character or paragraph.
LONG gallop(LONG good, LONG limit, const std::function<bool(LONG)>& holds) {
    LONG bad = limit + 1, step = 1;
    while (good < limit) {
        LONG ahead = std::min(limit, good + step);
        if (!holds(ahead)) {
            bad = ahead;
            break;
        }
        good = ahead;
        step *= 2;
    }
    while (bad - good > 1) {
        LONG middle = good + (bad - good) / 2;
        if (holds(middle)) good = middle; else bad = middle;
    }
    return good;
}

// The end of the run of equal formatting that starts at start.
LONG run_end(HWND editor, LONG start, LONG limit, CHARFORMATA* format) {
    format_uniform(editor, start, start + 1, format);
    CHARFORMATA probe;
    return gallop(start + 1, limit, [&](LONG end) { return format_uniform(editor, start, end, &probe); });
}

bool same_font(const CHARFORMATA& a, const CHARFORMATA& b) {
    return (a.dwEffects & EFFECTS_USED) == (b.dwEffects & EFFECTS_USED) && a.yHeight == b.yHeight &&
           a.crTextColor == b.crTextColor && a.bCharSet == b.bCharSet && strcmp(a.szFaceName, b.szFaceName) == 0;
}

int font_for(const CHARFORMATA& format) {
    for (size_t i = 0; i < cache.fonts.size(); ++i) {
        if (same_font(cache.fonts[i].format, format)) return (int)i;
    }
    LOGFONTA lf = {};
    lf.lfHeight = -std::max(1, to_y(format.yHeight));
    lf.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (format.dwEffects & CFE_ITALIC) ? 1 : 0;
    lf.lfUnderline = (format.dwEffects & CFE_UNDERLINE) ? 1 : 0;
    lf.lfStrikeOut = (format.dwEffects & CFE_STRIKEOUT) ? 1 : 0;
    lf.lfCharSet = format.bCharSet;
    lf.lfPitchAndFamily = format.bPitchAndFamily;
    lstrcpynA(lf.lfFaceName, format.szFaceName, LF_FACESIZE);
    layout_font f = {format, CreateFontIndirectA(&lf), 0, 0};
    cache.fonts.push_back(f);
    int index = (int)cache.fonts.size() - 1;
    int saved = SaveDC(cache.dc);
    cache.selected_font = -1;
    font_select(index);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(cache.dc, &metrics);
    RestoreDC(cache.dc, saved);
    cache.selected_font = -1;
    cache.fonts[index].ascent = metrics.tmAscent;
    cache.fonts[index].descent = metrics.tmDescent;
    return index;
}

void read_runs(HWND editor) {
    LONG start = cache.base;
    while (start < cache.limit) {
        CHARFORMATA format;
        LONG end = run_end(editor, start, cache.limit, &format);
        cache.runs.push_back({start, end, font_for(format)});
        start = end;
    }
    if (cache.runs.empty()) {  // an empty range still needs a line height
        CHARFORMATA format;
        format_uniform(editor, cache.base, cache.base, &format);
        cache.runs.push_back({cache.base, cache.base, font_for(format)});
    }
}

constexpr DWORD PARAGRAPH_NEEDED = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_TABSTOPS;

// The format of the paragraphs first to last, when they share one. The selection ends on the
// last one's line break, which lies inside it.
bool paragraphs_uniform(HWND editor, size_t first, size_t last, PARAFORMAT* format) {
    select_range(editor, cache.paragraphs[first].start, cache.paragraphs[last].end);
    memset(format, 0, sizeof *format);
    format->cbSize = sizeof *format;
    SendMessageA(editor, EM_GETPARAFORMAT, 0, (LPARAM)format);
    return (format->dwMask & PARAGRAPH_NEEDED) == PARAGRAPH_NEEDED;
}

void paragraph_apply(layout_paragraph* p, const PARAFORMAT& format) {
    p->first_indent = to_x(format.dxStartIndent);
    p->rest_indent = to_x(format.dxStartIndent + format.dxOffset);
    p->right_indent = to_x(format.dxRightIndent);
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
        cache.paragraphs.push_back({start, end, 0, 0, 0, {}});
        if (end >= cache.limit) break;
        start = end + ((char_at(end) == '\r' && end + 1 < cache.limit && char_at(end + 1) == '\n') ? 2 : 1);
        if (start >= cache.limit) break;
    }
    LONG last = (LONG)cache.paragraphs.size() - 1;
    for (LONG first = 0; first <= last;) {
        PARAFORMAT format, probe;
        paragraphs_uniform(editor, first, first, &format);
        LONG same = gallop(first, last, [&](LONG upto) { return paragraphs_uniform(editor, first, upto, &probe); });
        for (LONG i = first; i <= same; ++i) paragraph_apply(&cache.paragraphs[i], format);
        first = same + 1;
    }
}

bool read_text(HWND editor, LONG start, LONG limit) {
    LONG from = start > 0 ? start - 1 : 0;  // one character more tells whether start opens a paragraph
    std::string text(limit - from + 1, '\0');
    TEXTRANGEA range = {{from, limit}, &text[0]};
    LONG got = (LONG)SendMessageA(editor, EM_GETTEXTRANGE, 0, (LPARAM)&range);
    if (got < start - from) return false;
    cache.base_starts_paragraph = start == 0 || is_break(text[0]);
    cache.text = text.substr(start - from, got - (start - from));
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
    if (!read_text(editor, start, limit)) return false;
    CHARRANGE kept;
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&kept);
    LRESULT events = SendMessageA(editor, EM_SETEVENTMASK, 0, 0);
    POINT scrolled = {};
    SendMessageA(editor, EM_GETSCROLLPOS, 0, (LPARAM)&scrolled);
    SendMessageA(editor, WM_SETREDRAW, FALSE, 0);  // moving the selection is many times cheaper unseen
    read_runs(editor);
    read_paragraphs(editor);
    SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&kept);
    SendMessageA(editor, EM_SETSCROLLPOS, 0, (LPARAM)&scrolled);
    SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(editor, nullptr, FALSE);
    SendMessageA(editor, EM_SETEVENTMASK, 0, events);
    return true;
}

LONG range_limit(HWND editor, const CHARRANGE& range) {
    LONG length = (LONG)SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
    return (range.cpMax < 0 || range.cpMax > length) ? length : range.cpMax;
}

bool cache_covers(HWND editor, HDC dc, LONG start, LONG limit) {
    return cache.editor == editor && cache.dc == dc && cache.limit == limit && start >= cache.base &&
           start <= cache.limit && !cache.text.empty();
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
        if (last.end == start && last.font == font) {
            last.end = end;  // text that continues the previous piece is drawn with it
            return;
        }
    }
    cache.pieces.push_back({start, end, x, font});
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
        char c = char_at(p - 1);
        if (c == ' ' || c == '\t') return p;
    }
    return std::max(over, start + 1);
}

// Measures from start as far as fits before right; returns the first position that did not
// fit, or end. Adds what fitted as pieces and advances x.
LONG measure(LONG start, LONG end, int right, int* x, int font) {
    static std::vector<int> extents;
    extents.resize(MEASURE_CHUNK);
    font_select(font);
    while (start < end) {
        int count = (int)std::min<LONG>(end - start, MEASURE_CHUNK);
        int fit = 0;
        SIZE size;
        GetTextExtentExPointA(cache.dc, cache.text.c_str() + (start - cache.base), count, std::max(0, right - *x),
                              &fit, extents.data(), &size);
        fit = std::min(std::max(fit, 0), count);
        piece_add(start, start + fit, *x, font);
        if (fit > 0) *x += extents[fit - 1];
        start += fit;
        if (fit < count) return start;
    }
    return end;
}

// The end of the text run that can be measured in one go from at: the run's end, the
// paragraph's end or the next tab, whichever comes first.
LONG stretch_end(LONG at, const layout_paragraph& p) {
    LONG stop = std::min(run_at(at).end, p.end);
    const char* from = cache.text.c_str() + (at - cache.base);
    const char* tab = (const char*)memchr(from, '\t', stop - at);
    return tab ? at + (LONG)(tab - from) : stop;
}

// Lays out one line from start; returns where the next line starts.
LONG line_layout(LONG start, int width, layout_line* line) {
    const layout_paragraph& p = paragraph_of(start);
    int x = starts_paragraph(start) ? p.first_indent : p.rest_indent;
    int right = width - p.right_indent;
    line_first_piece = line->first_piece = cache.pieces.size();
    LONG at = start, end = p.end;
    while (at < p.end) {
        if (char_at(at) == '\t') {
            x = next_tab(p, x);
            if (++at, x > right) { end = at; break; }  // the tab hangs; the text after it moves down
            continue;
        }
        LONG stop = stretch_end(at, p);
        LONG reached = measure(at, stop, right, &x, run_at(at).font);
        if (reached < stop) {
            end = line_break_at(start, reached);
            if (reached == start) piece_add(start, end, x, run_at(start).font);  // not even one fitted
            break;
        }
        at = stop;
    }
    pieces_cut(line->first_piece, end);
    line->piece_count = cache.pieces.size() - line->first_piece;
    LONG next = end;
    if (next < cache.limit && char_at(next) == '\r') ++next;
    if (next < cache.limit && char_at(next) == '\n') ++next;
    return next;
}

void line_height(const layout_line& line, LONG start, int* ascent, int* descent) {
    *ascent = *descent = 0;
    for (size_t i = line.first_piece; i < line.first_piece + line.piece_count; ++i) {
        const layout_font& f = cache.fonts[cache.pieces[i].font];
        *ascent = std::max(*ascent, f.ascent);
        *descent = std::max(*descent, f.descent);
    }
    if (line.piece_count == 0) {  // an empty or blank line is as high as its character's font
        const layout_font& f = cache.fonts[run_at(start).font];
        *ascent = f.ascent;
        *descent = f.descent;
    }
}

LONG page_measure(LONG start, const RECT& rc) {
    cache.lines.clear();
    cache.pieces.clear();
    cache.page = rc;
    cache.measured = true;
    int width = to_x(rc.right) - to_x(rc.left);
    int height = to_y(rc.bottom) - to_y(rc.top);
    int y = 0;
    LONG at = start;
    int saved = SaveDC(cache.dc);
    cache.selected_font = -1;
    while (at < cache.limit) {
        layout_line line = {at, y, 0, 0, 0};
        LONG next = line_layout(at, width, &line);
        int ascent, descent;
        line_height(line, at, &ascent, &descent);
        if (y + ascent + descent > height) {
            cache.pieces.resize(line.first_piece);
            break;
        }
        line.ascent = ascent;
        cache.lines.push_back(line);
        y += ascent + descent;
        at = next;
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

int page_layout_display(HWND editor, const RECT* rc) {
    if (cache.editor != editor || !cache.measured || rc == nullptr) return 1;
    int left = to_x(rc->left), top = to_y(rc->top);
    int saved = SaveDC(cache.dc);
    cache.selected_font = -1;
    SetTextAlign(cache.dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    SetBkMode(cache.dc, TRANSPARENT);
    for (const layout_line& line : cache.lines) {
        for (size_t i = line.first_piece; i < line.first_piece + line.piece_count; ++i) {
            const layout_piece& piece = cache.pieces[i];
            if (piece.font != cache.selected_font) {  // each font has one colour
                const CHARFORMATA& format = cache.fonts[piece.font].format;
                SetTextColor(cache.dc, (format.dwEffects & CFE_AUTOCOLOR) ? RGB(0, 0, 0) : format.crTextColor);
                font_select(piece.font);
            }
            TextOutA(cache.dc, left + piece.x, top + line.y + line.ascent,
                     cache.text.c_str() + (piece.start - cache.base), piece.end - piece.start);
        }
    }
    RestoreDC(cache.dc, saved);
    cache.selected_font = -1;
    return 0;
}
