// Status bar over the common controls' status window.
#include "toolkit/windows/statusbar.h"

#include <commctrl.h>
#include <cstring>

namespace {

struct keyword_bits {
    const char* keyword;
    DWORD bits;
};

const keyword_bits bar_rows[] = {
    {"NOBAR", 0},
    {"NOBARSIZEGRIP", SBARS_SIZEGRIP},
    {"BAR", WS_DLGFRAME},
    {"BARSIZEGRIP", WS_DLGFRAME | SBARS_SIZEGRIP},
};

// Anything else keeps the platform's sunken border.
const keyword_bits look_rows[] = {
    {"SUNKEN", SBT_RTLREADING},
    {"FLAT", SBT_NOBORDERS},
    {"BAR", SBT_POPOUT},
};

template <size_t N>
DWORD bits_of(const keyword_bits (&rows)[N], const char* keyword) {
    for (const keyword_bits& row : rows) {
        if (keyword && std::strcmp(row.keyword, keyword) == 0) return row.bits;
    }
    return 0;
}

// One laid-out bar at a time: right edges of the parts, the widths summed so far in this pass,
// and the highest part number used by any earlier call.
int right_edges[STATUSBAR_PARTS] = {};
int running_total = 0;
int highest_part = -1;

bool part_in_range(int part) { return part >= 1 && part <= STATUSBAR_PARTS; }

// The bar places itself along its parent's bottom edge again. It is drawn anew: when only its
// place changes, the platform moves its old picture along, which after a maximise is blank.
void statusbar_fit(HWND bar) {
    RECT client = {};
    GetClientRect((HWND)GetWindowLongPtrA(bar, GWLP_HWNDPARENT), &client);
    SendMessageA(bar, WM_SIZE, 0, MAKELPARAM(client.right, 0));
    InvalidateRect(bar, nullptr, TRUE);
}

void statusbar_send_text(HWND bar, int part, const char* look, const char* text) {
    SendMessageA(bar, SB_SETTEXTA, (WPARAM)(part - 1) | bits_of(look_rows, look), (LPARAM)text);
}

}  // namespace

HWND statusbar_create(HWND parent, const char* keyword) {
    DWORD style = WS_CHILD | WS_VISIBLE | bits_of(bar_rows, keyword);
    return CreateStatusWindowA((LONG)style, nullptr, parent, STATUSBAR_ID);
}

int statusbar_add_part(HWND bar, int part, int width, const char* look, const char* text) {
    if (!part_in_range(part)) return 1;
    // The first part always starts a pass, so a pass that never saw its end (the very first one) leaves
    // no sum behind.
    if (part == 1) running_total = 0;
    right_edges[part - 1] = running_total + width;
    SendMessageA(bar, SB_SETPARTS, STATUSBAR_PARTS, (LPARAM)right_edges);
    statusbar_send_text(bar, part, look, text);
    running_total += width;
    // Until a pass has reached the highest part, each new part may be its last one: the bar is
    // fitted after it so that the very first layout sits right too.
    if (part >= highest_part) statusbar_fit(bar);
    if (part == highest_part) running_total = 0;
    if (part > highest_part) highest_part = part;
    return 0;
}

int statusbar_text_width(HWND bar, const char* text) {
    constexpr int TEXT_INSET = 3;  // the platform draws a part's text this far inside its border
    int borders[3] = {};           // above and below, then between parts
    SendMessageA(bar, SB_GETBORDERS, 0, (LPARAM)borders);
    HDC context = GetDC(bar);
    HGDIOBJ previous = SelectObject(context, (HGDIOBJ)SendMessageA(bar, WM_GETFONT, 0, 0));
    SIZE extent = {};
    GetTextExtentPoint32A(context, text ? text : "", text ? lstrlenA(text) : 0, &extent);
    SelectObject(context, previous);
    ReleaseDC(bar, context);
    return extent.cx + 2 * (TEXT_INSET + 1) + borders[2];
}

int statusbar_set_text(HWND bar, int part, const char* look, const char* text) {
    if (!part_in_range(part)) return 1;
    statusbar_send_text(bar, part, look, text);
    InvalidateRect(bar, nullptr, TRUE);
    return 0;
}
