// Print benchmark: a 200-page document printed through editor_print on the default printer,
// beside the least a program can do to print the same lines: one job, TextOut line by line.
// Prints both times (until the job is handed to the spooler), pages per second and the ratio.
// Target: editor_print takes at most 1.5 times the plain program's time.
// Then the print preview of the first 100 pages: the time until page 1 is on the screen
// (target at most 0.5 s), the longest step of PgDn through all pages (the page drawn, and the
// count of pages going on between keys), and the time until every page is counted.
//   bench_print [runs]   (under Wine, with a display and the PDF test printer; default 3 runs)
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/page_layout.h"
#include "toolkit/richedit/print.h"
#include "toolkit/richedit/print_preview.h"

namespace {

constexpr int PAGES = 200;
constexpr int POINTS = 12;
constexpr int MARGIN_MM = 10;

HFONT printer_font(HDC printer) {
    LOGFONTA lf = {};
    lf.lfHeight = -MulDiv(POINTS, GetDeviceCaps(printer, LOGPIXELSY), 72);
    lf.lfWeight = FW_NORMAL;
    lstrcpyA(lf.lfFaceName, "Arial");
    return CreateFontIndirectA(&lf);
}

// How many lines of the font fit on a page below the top margin.
int lines_per_page() {
    HDC printer = printer_create_default();
    if (!printer) return 0;
    HFONT font = printer_font(printer);
    HGDIOBJ old = SelectObject(printer, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(printer, &metrics);
    RECT page = print_page_twips(MARGIN_MM, MARGIN_MM, 0, 0, GetDeviceCaps(printer, HORZSIZE),
                                 GetDeviceCaps(printer, VERTSIZE));
    int dpi = GetDeviceCaps(printer, LOGPIXELSY);
    int height = MulDiv(page.bottom, dpi, 1440) - MulDiv(page.top, dpi, 1440);
    SelectObject(printer, old);
    DeleteObject(font);
    DeleteDC(printer);
    return height / (metrics.tmAscent + metrics.tmDescent);
}

std::vector<std::string> make_lines(int count) {
    const char* const words[] = {"brevduvan", "flyger", "över", "sjön", "med", "ett", "långt", "brev",
                                 "från", "Åre", "till", "Östersund", "där", "hälsningar", "väntar"};
    std::vector<std::string> lines;
    unsigned seed = 4711;
    for (int i = 0; i < count; ++i) {
        char line[160];
        int n = std::snprintf(line, sizeof line, "Rad %05d", i + 1);
        for (int w = 0; w < 8; ++w) {
            seed = seed * 1103515245u + 12345u;
            n += std::snprintf(line + n, sizeof line - n, " %s", words[(seed >> 16) % 15]);
        }
        lines.push_back(line);
    }
    return lines;
}

double seconds_since(LARGE_INTEGER start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// The plain program: one job, one font, TextOut line by line at the same margins.
double plain_print(const std::vector<std::string>& lines, int per_page) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    HDC printer = printer_create_default();
    HFONT font = printer_font(printer);
    DOCINFOA job = {};
    job.cbSize = sizeof job;
    job.lpszDocName = "bench_plain";
    StartDocA(printer, &job);
    HGDIOBJ old = SelectObject(printer, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(printer, &metrics);
    int step = metrics.tmAscent + metrics.tmDescent;
    RECT page = print_page_twips(MARGIN_MM, MARGIN_MM, 0, 0, 0, 0);
    int left = MulDiv(page.left, GetDeviceCaps(printer, LOGPIXELSX), 1440);
    int top = MulDiv(page.top, GetDeviceCaps(printer, LOGPIXELSY), 1440);
    for (size_t i = 0; i < lines.size(); ++i) {
        int row = (int)(i % per_page);
        if (row == 0) StartPage(printer);
        TextOutA(printer, left, top + row * step, lines[i].c_str(), (int)lines[i].size());
        if (row == per_page - 1 || i + 1 == lines.size()) EndPage(printer);
    }
    EndDoc(printer);
    SelectObject(printer, old);
    DeleteObject(font);
    DeleteDC(printer);
    return seconds_since(start);
}

HWND editor_with(const std::vector<std::string>& lines) {
    HWND parent = CreateWindowExA(0, "STATIC", "bench_print", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND editor = editor_create(parent, 0, 0, 0, 0, "VHSCROLL", 50000000);
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
    editor_set_text(&editor, text.c_str());
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_SIZE | CFM_FACE;
    format.yHeight = POINTS * 20;
    lstrcpyA(format.szFaceName, "Arial");
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);
    editor_select(editor, 0, 0);
    return editor;
}

double toolkit_print(HWND editor, int* result) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    *result = editor_print(editor, MARGIN_MM, MARGIN_MM, 0, 0, "bench_toolkit", 0);
    return seconds_since(start);
}

// The preview, driven from a thread timer that runs inside its message loop: a timer message
// comes only once the window has painted, so the first tick sees page 1 on the screen.
struct preview_bench {
    LARGE_INTEGER start, step;
    double first_page, longest_step, counted;
    int pages_turned, pages;
    bool done;
} preview_run;

HWND preview_window() { return FindWindowA(nullptr, PREVIEW_TITLE); }

bool preview_counted(HWND window) {
    char text[64] = "";
    GetWindowTextA(GetDlgItem(window, PREVIEW_PAGE_ID), text, sizeof text);
    return std::strstr(text, " av ") != nullptr;
}

void CALLBACK preview_tick(HWND, UINT, UINT_PTR, DWORD) {
    preview_bench& b = preview_run;
    HWND window = preview_window();
    if (window == nullptr || b.done) return;
    if (b.first_page == 0) {
        b.first_page = seconds_since(b.start);
    } else if (b.pages_turned < b.pages - 1) {  // each PgDn, until the page is on the screen
        LARGE_INTEGER at;
        QueryPerformanceCounter(&at);
        SendMessageA(window, WM_KEYDOWN, VK_NEXT, 0);
        UpdateWindow(window);
        b.longest_step = std::max(b.longest_step, seconds_since(at));
        ++b.pages_turned;
    }
    if (b.counted == 0 && preview_counted(window)) b.counted = seconds_since(b.start);
    if (b.counted > 0 && b.pages_turned >= b.pages - 1) {
        b.done = true;
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

void preview_measure(HWND editor, int pages) {
    preview_run = {};
    preview_run.pages = pages;
    UINT_PTR timer = SetTimer(nullptr, 0, 1, preview_tick);
    QueryPerformanceCounter(&preview_run.start);
    print_preview_run(GetParent(editor), editor, PAGE_SETUP_DEFAULT);
    KillTimer(nullptr, timer);
    std::printf("preview of %d pages: page 1 shown after %.3f s (target at most 0.5), longest PgDn %.3f s, "
                "all pages counted after %.3f s\n",
                pages, preview_run.first_page, preview_run.longest_step, preview_run.counted);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    int per_page = lines_per_page();
    if (per_page <= 0) {
        std::printf("no default printer (start the PDF test printer first)\n");
        return 1;
    }
    std::vector<std::string> lines = make_lines(per_page * PAGES);
    HWND editor = editor_with(lines);
    std::vector<double> toolkit, plain;
    // Wine's printer driver gets slower job by job within a process: the two take turns going first
    for (int run = 0; run < runs; ++run) {
        int result = 0;
        if (run % 2) plain.push_back(plain_print(lines, per_page));
        toolkit.push_back(toolkit_print(editor, &result));
        if (run % 2 == 0) plain.push_back(plain_print(lines, per_page));
        if (result != 0) {
            std::printf("editor_print returned %d\n", result);
            return 1;
        }
        std::printf("run %d: editor_print %.3f s, plain TextOut %.3f s\n", run + 1, toolkit.back(), plain.back());
    }
    double t = median(toolkit), p = median(plain);
    std::printf("%d pages of %d lines, median of %d runs:\n", PAGES, per_page, runs);
    std::printf("  editor_print   %.3f s  %.1f pages/s\n", t, PAGES / t);
    std::printf("  plain TextOut  %.3f s  %.1f pages/s\n", p, PAGES / p);
    std::printf("  ratio %.2f (target at most 1.50)\n", t / p);
    // the editor wrapped at the page, and the printed lines breaking where its lines break
    HDC printer = printer_create_default();
    RECT area = print_text_area(printer, PAGE_SETUP_DEFAULT);
    editor_set_wrap(editor, "PAGE", printer, area.right - area.left);
    page_layout_follow_lines(editor);
    int result = 0;
    std::printf("  editor_print, lines as the editor wraps them at the page: %.3f s\n", toolkit_print(editor, &result));
    page_layout_follow_lines(nullptr);
    DeleteDC(printer);
    DestroyWindow(GetParent(editor));
    const int preview_pages = 100;
    std::vector<std::string> preview_lines(lines.begin(), lines.begin() + per_page * preview_pages);
    preview_measure(editor_with(preview_lines), preview_pages);
    return 0;
}
