// The print preview window and its own message loop.
#include "toolkit/richedit/print_preview.h"

#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "toolkit/richedit/page_layout.h"
#include "toolkit/windows/toolbar.h"

namespace {

constexpr char CLASS_NAME[] = "Vindel preview";
constexpr int BAR_HEIGHT = 36;      // the strip of buttons above the page
constexpr int PAGE_GAP = 12;        // pixels around the page in the window
constexpr int SCROLL_STEP = 48;     // pixels per Up or Down at 100 %
constexpr UINT_PTR COUNT_TIMER = 1;
constexpr DWORD COUNT_SLICE_MS = 30;  // the longest the count holds the window up at a time

struct preview_state {
    HWND window, editor, page_label, zoom_button;
    HDC printer;
    RECT area;  // the text's part of the page, twips from the printable corner
    int paper_w, paper_h, offset_x, offset_y;  // printer pixels
    LONG end;
    std::vector<LONG> page_starts;  // the pages laid out so far
    bool counted;  // page_starts holds every page
    size_t page;
    bool whole;  // the whole page in the window, else 100 %
    int scroll, scroll_x;  // pixels the page is moved up and left at 100 %
    bool open;
    preview_result result;
};

FORMATRANGE range_from(const preview_state& s, LONG start) {
    FORMATRANGE range = {};
    range.hdc = range.hdcTarget = s.printer;
    range.rc = range.rcPage = s.area;
    range.chrg = {start, -1};
    return range;
}

// Lays out the page after the last one known; the count ends at the text's end, or where a
// page would take nothing.
void page_count_step(preview_state* s) {
    if (s->counted) return;
    LONG start = s->page_starts.back();
    FORMATRANGE range = range_from(*s, start);
    LONG next = page_layout_format(s->editor, 0, &range);
    if (next >= s->end || next <= start) s->counted = true;
    else s->page_starts.push_back(next);
}

void page_label_update(const preview_state& s) {
    char text[64];
    if (s.counted) std::snprintf(text, sizeof text, "Sida %u av %u", (unsigned)(s.page + 1), (unsigned)s.page_starts.size());
    else std::snprintf(text, sizeof text, "Sida %u", (unsigned)(s.page + 1));
    SetWindowTextA(s.page_label, text);
}

void page_go(preview_state* s, size_t page) {
    while (page >= s->page_starts.size() && !s->counted) page_count_step(s);
    s->page = std::min(page, s->page_starts.size() - 1);
    s->scroll = 0;
    page_label_update(*s);
    InvalidateRect(s->window, nullptr, FALSE);
}

// Printer pixels to screen pixels.
double scale_of(const preview_state& s, const RECT& client) {
    if (s.whole) {
        double w = (double)(client.right - 2 * PAGE_GAP) / s.paper_w;
        double h = (double)(client.bottom - BAR_HEIGHT - 2 * PAGE_GAP) / s.paper_h;
        return std::max(0.01, std::min(w, h));
    }
    HDC screen = GetDC(s.window);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(s.window, screen);
    return (double)dpi / GetDeviceCaps(s.printer, LOGPIXELSX);
}

void page_paint(preview_state* s, HDC dc, const RECT& client) {
    FillRect(dc, &client, (HBRUSH)GetStockObject(GRAY_BRUSH));
    double scale = scale_of(*s, client);
    int width = (int)(s->paper_w * scale), height = (int)(s->paper_h * scale);
    int x = std::max(PAGE_GAP, (int)(client.right - width) / 2) - s->scroll_x;
    int y = BAR_HEIGHT + PAGE_GAP - s->scroll;
    RECT paper = {x, y, x + width, y + height};
    FillRect(dc, &paper, (HBRUSH)GetStockObject(WHITE_BRUSH));
    FrameRect(dc, &paper, (HBRUSH)GetStockObject(BLACK_BRUSH));
    int saved = SaveDC(dc);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, s->paper_w, s->paper_h, nullptr);
    SetViewportExtEx(dc, width, height, nullptr);
    // the printer draws from its printable corner
    SetViewportOrgEx(dc, x + (int)(s->offset_x * scale), y + (int)(s->offset_y * scale), nullptr);
    FORMATRANGE range = range_from(*s, s->page_starts[s->page]);
    page_layout_format(s->editor, 0, &range);
    page_layout_display_on(s->editor, &s->area, dc);
    // the margins, dotted
    int dpi_x = GetDeviceCaps(s->printer, LOGPIXELSX), dpi_y = GetDeviceCaps(s->printer, LOGPIXELSY);
    HPEN pen = CreatePen(PS_DOT, 0, RGB(160, 160, 160));
    HGDIOBJ kept_pen = SelectObject(dc, pen);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, MulDiv(s->area.left, dpi_x, 1440), MulDiv(s->area.top, dpi_y, 1440),
              MulDiv(s->area.right, dpi_x, 1440), MulDiv(s->area.bottom, dpi_y, 1440));
    SelectObject(dc, kept_pen);
    DeleteObject(pen);
    RestoreDC(dc, saved);
}

// Drawn off the screen first, so that turning a page does not flicker.
void window_paint(preview_state* s) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(s->window, &paint);
    RECT client;
    GetClientRect(s->window, &client);
    client.top = BAR_HEIGHT;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    if (memory && bitmap) {
        HGDIOBJ kept = SelectObject(memory, bitmap);
        RECT whole = {0, 0, client.right, client.bottom};
        page_paint(s, memory, whole);
        BitBlt(dc, 0, BAR_HEIGHT, client.right, client.bottom - BAR_HEIGHT, memory, 0, BAR_HEIGHT, SRCCOPY);
        SelectObject(memory, kept);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    EndPaint(s->window, &paint);
}

void zoom_switch(preview_state* s) {
    s->whole = !s->whole;
    s->scroll = s->scroll_x = 0;
    SetWindowTextA(s->zoom_button, s->whole ? "100 %" : "Hela sidan");
    InvalidateRect(s->window, nullptr, FALSE);
}

void key_handle(preview_state* s, WPARAM key) {
    switch (key) {
    case VK_NEXT: page_go(s, s->page + 1); break;
    case VK_PRIOR: page_go(s, s->page > 0 ? s->page - 1 : 0); break;
    case VK_HOME: page_go(s, 0); break;
    case VK_END: page_go(s, (size_t)-2); break;
    case 'Z': zoom_switch(s); break;
    case VK_DOWN:
    case VK_UP:
    case VK_RIGHT:
    case VK_LEFT:
        if (!s->whole) {
            int& moved = (key == VK_DOWN || key == VK_UP) ? s->scroll : s->scroll_x;
            moved = std::max(0, moved + ((key == VK_DOWN || key == VK_RIGHT) ? SCROLL_STEP : -SCROLL_STEP));
            InvalidateRect(s->window, nullptr, FALSE);
        }
        break;
    case VK_ESCAPE: s->open = false; break;
    case 'P':  // as in the main window
        if (GetKeyState(VK_CONTROL) < 0) {
            s->result = PREVIEW_PRINT;
            s->open = false;
        }
        break;
    }
}

void count_slice(preview_state* s) {
    DWORD started = GetTickCount();
    while (!s->counted && GetTickCount() - started < COUNT_SLICE_MS) page_count_step(s);
    if (s->counted) KillTimer(s->window, COUNT_TIMER);
    page_label_update(*s);
}

LRESULT CALLBACK preview_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* s = (preview_state*)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (s == nullptr) return DefWindowProcA(window, message, wparam, lparam);
    switch (message) {
    case WM_PAINT: window_paint(s); return 0;
    case WM_ERASEBKGND: {  // the strip of buttons; the page is drawn whole in WM_PAINT
        RECT bar;
        GetClientRect(window, &bar);
        bar.bottom = BAR_HEIGHT;
        FillRect((HDC)wparam, &bar, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_SIZE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_TIMER: count_slice(s); return 0;
    case WM_KEYDOWN: key_handle(s, wparam); return 0;
    case WM_MOUSEWHEEL: key_handle(s, GET_WHEEL_DELTA_WPARAM(wparam) < 0 ? VK_DOWN : VK_UP); return 0;
    case WM_COMMAND:
        if (LOWORD(wparam) == PREVIEW_PRINT_ID) {
            s->result = PREVIEW_PRINT;
            s->open = false;
        }
        if (LOWORD(wparam) == PREVIEW_ZOOM_ID) zoom_switch(s);
        if (LOWORD(wparam) == PREVIEW_CLOSE_ID) s->open = false;
        SetFocus(window);  // the keys stay with the page
        return 0;
    case WM_CLOSE: s->open = false; return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

bool class_register(HINSTANCE instance) {
    WNDCLASSA c = {};
    if (GetClassInfoA(instance, CLASS_NAME, &c)) return true;
    c.lpfnWndProc = preview_procedure;
    c.hInstance = instance;
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.lpszClassName = CLASS_NAME;
    return RegisterClassA(&c) != 0;
}

bool window_build(preview_state* s, HWND owner) {
    auto instance = (HINSTANCE)GetWindowLongPtrA(owner, GWLP_HINSTANCE);
    if (!class_register(instance)) return false;
    RECT frame;
    GetWindowRect(owner, &frame);
    s->window = CreateWindowExA(0, CLASS_NAME, PREVIEW_TITLE, WS_OVERLAPPEDWINDOW, frame.left, frame.top,
                                frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance, nullptr);
    if (s->window == nullptr) return false;
    SetWindowLongPtrA(s->window, GWLP_USERDATA, (LONG_PTR)s);
    button_create(s->window, 6, 6, 80, 24, "Skriv ut", "C", "NORMAL", PREVIEW_PRINT_ID);
    s->zoom_button = button_create(s->window, 92, 6, 80, 24, "100 %", "C", "NORMAL", PREVIEW_ZOOM_ID);
    button_create(s->window, 178, 6, 80, 24, "Stäng", "C", "NORMAL", PREVIEW_CLOSE_ID);
    s->page_label = CreateWindowExA(0, "static", "", WS_CHILD | WS_VISIBLE | SS_LEFT, 272, 10, 160, 20, s->window,
                                    (HMENU)(INT_PTR)PREVIEW_PAGE_ID, instance, nullptr);
    SendMessageA(s->page_label, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return true;
}

void modal_loop(preview_state* s, HWND owner) {
    EnableWindow(owner, FALSE);
    ShowWindow(s->window, SW_SHOW);
    SetFocus(s->window);
    MSG msg;
    while (s->open) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {  // the program ends: the quit goes on to the main loop
            if (got == 0) PostQuitMessage((int)msg.wParam);
            break;
        }
        // a key pressed on a button goes to the page as well
        if (msg.message == WM_KEYDOWN && IsChild(s->window, msg.hwnd)) msg.hwnd = s->window;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
}

}  // namespace

preview_result print_preview_run(HWND owner, HWND editor, const page_setup& setup) {
    preview_state s = {};
    s.editor = editor;
    s.printer = printer_open(setup, 0);
    if (s.printer == nullptr) return PREVIEW_NO_PRINTER;
    s.area = print_text_area(s.printer, setup);
    s.paper_w = GetDeviceCaps(s.printer, PHYSICALWIDTH);
    s.paper_h = GetDeviceCaps(s.printer, PHYSICALHEIGHT);
    s.offset_x = GetDeviceCaps(s.printer, PHYSICALOFFSETX);
    s.offset_y = GetDeviceCaps(s.printer, PHYSICALOFFSETY);
    if (s.paper_w <= 0 || s.paper_h <= 0) {
        s.paper_w = GetDeviceCaps(s.printer, HORZRES);
        s.paper_h = GetDeviceCaps(s.printer, VERTRES);
        s.offset_x = s.offset_y = 0;
    }
    s.end = (LONG)SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
    s.page_starts.push_back(0);
    s.counted = s.end == 0 || s.area.right <= s.area.left;
    s.whole = true;
    s.open = true;
    s.result = PREVIEW_CLOSED;
    if (window_build(&s, owner)) {
        page_go(&s, 0);
        if (!s.counted) SetTimer(s.window, COUNT_TIMER, 1, nullptr);
        modal_loop(&s, owner);
        SetWindowLongPtrA(s.window, GWLP_USERDATA, 0);
        DestroyWindow(s.window);
    }
    page_layout_format(editor, 0, nullptr);
    DeleteDC(s.printer);
    return s.result;
}
