// Top-level windows and dialogs over the platform's window manager.
#include "toolkit/windows/window.h"

#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <vector>

#include "resource_names.h"
#include "toolkit/platform_records.h"

namespace {

// Style words a frame keyword gives each operation.
struct frame_style {
    LONG style;        // -1: not written
    LONG ex_style;     // -1: not written
    LONG class_style;  // -1: not written
};

struct keyword_row {
    const char* keyword;
    frame_style style;
};

constexpr LONG NONE = -1;

// Main window: values OR-ed into zero; CS_DBLCLKS is added to every class style.
const keyword_row main_rows[] = {
    {"NOLIST", {(LONG)0x80400000, 0, 0x0008}},
    {"TOOLWIN", {0, 0x80, 0x0008}},
    {"TOOLWIN_NOCLO", {0x00080000, 0x80, 0x0208}},
    {"TOOLWIN_CLO", {0x00080000, 0x80, 0x0008}},
    {"EMPTYLIST", {0x00C00000, 0, 0x0008}},
    {"NOCLO", {0x00C80000, 0, 0x0208}},
    {"CLO", {0x00C80000, 0, 0x0008}},
    {"QUE_NOCLO", {0x00C80000, 0x400, 0x0208}},
    {"QUE_CLO", {0x00C80000, 0x400, 0x0008}},
    {"NOMIN_MAX_NOCLO", {0x00090000, 0, 0x0208}},
    {"MIN_NOMAX_NOCLO", {0x000A0000, 0, 0x0208}},
    {"MIN_NOMAX_CLO", {0x000A0000, 0, 0x0008}},
    {"NOMIN_MAX_CLO", {0x00090000, 0, 0x0008}},
    {"MIN_MAX_NOCLO", {0x000B0000, 0, 0x0208}},
    {"MIN_MAX_CLO", {0x000B0000, 0, 0x0008}},
};

// Modeless dialogs: NONE keeps the template's (or the class's) word.
const keyword_row modeless_rows[] = {
    {"NOLIST", {(LONG)0x80400000, NONE, NONE}},
    {"TOOLWIN", {NONE, 0x80, NONE}},
    {"TOOLWIN_NOCLO", {0x00C80000, 0x80, 0x0208}},
    {"TOOLWIN_CLO", {0x00C80000, 0x80, 0x0008}},
    {"EMPTYLIST", {0x00C00000, NONE, NONE}},
    {"NOCLO", {0x00C80000, NONE, 0x0208}},
    {"CLO", {0x00C80000, NONE, NONE}},
    {"QUE_NOCLO", {0x00C80000, 0x400, 0x0208}},
    {"QUE_CLO", {0x00C80000, 0x400, NONE}},
    {"NOMIN_MAX_NOCLO", {0x00C90000, NONE, 0x0208}},
    {"MIN_NOMAX_NOCLO", {0x00CA0000, NONE, 0x0208}},
    {"MIN_NOMAX_CLO", {0x00CA0000, NONE, NONE}},
    {"NOMIN_MAX_CLO", {0x00C90000, NONE, NONE}},
    {"MIN_MAX_NOCLO", {0x00CB0000, NONE, 0x0208}},
    {"MIN_MAX_CLO", {0x00CB0000, NONE, NONE}},
};

// Restyling an existing dialog writes all three words.
const keyword_row restyle_rows[] = {
    {"NOLIST", {(LONG)0x80400000, 0x100, 0x000B}},
    {"TOOLWIN", {0x00C00000, 0x80, 0x000B}},
    {"TOOLWIN_NOCLO", {0x00C80000, 0x80, 0x020B}},
    {"TOOLWIN_CLO", {0x00C80000, 0x80, 0x000B}},
    {"EMPTYLIST", {0x00C00000, 0x100, 0x000B}},
    {"NOCLO", {0x00C80000, 0x100, 0x020B}},
    {"CLO", {0x00C80000, 0x100, 0x000B}},
    {"QUE_NOCLO", {0x00C80000, 0x400, 0x020B}},
    {"QUE_CLO", {0x00C80000, 0x400, 0x000B}},
    {"NOMIN_MAX_NOCLO", {0x00C90000, 0x100, 0x020B}},
    {"MIN_NOMAX_NOCLO", {0x00CA0000, 0x100, 0x020B}},
    {"MIN_NOMAX_CLO", {0x00CA0000, 0x100, 0x000B}},
    {"NOMIN_MAX_CLO", {0x00C90000, 0x100, 0x000B}},
    {"MIN_MAX_NOCLO", {0x00CB0000, 0x100, 0x020B}},
    {"MIN_MAX_CLO", {0x00CB0000, 0x100, 0x000B}},
};

template <size_t N>
frame_style look_up(const keyword_row (&rows)[N], const char* keyword, frame_style fallback) {
    if (keyword) {
        for (const keyword_row& row : rows) {
            if (std::strcmp(row.keyword, keyword) == 0) return row.style;
        }
    }
    return fallback;
}

// The last measured outer size; only window_set_sizable uses it.
int measured_width = 0;
int measured_height = 0;

// Marks the dialogs dialog_close has to destroy rather than end.
constexpr const char* MODELESS_MARK = "vindel_modeless";

metrics_source metrics = nullptr;

int metric(int index) { return metrics ? metrics(index) : GetSystemMetrics(index); }

// Background brushes made here, so a replaced one can be deleted once the class lets go of it.
std::vector<HBRUSH> own_brushes;

HINSTANCE window_instance(HWND window) {
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(window, GWLP_HINSTANCE);
    return instance ? instance : GetModuleHandleA(nullptr);
}

void forget_brush(HBRUSH brush) {
    for (size_t i = 0; i < own_brushes.size(); ++i) {
        if (own_brushes[i] == brush) {
            own_brushes.erase(own_brushes.begin() + i);
            DeleteObject(brush);
            return;
        }
    }
}

void write_frame(HWND window, const frame_style& s, bool ex_first) {
    if (ex_first && s.ex_style != NONE) SetWindowLongA(window, GWL_EXSTYLE, s.ex_style);
    if (s.style != NONE) SetWindowLongA(window, GWL_STYLE, s.style);
    if (!ex_first && s.ex_style != NONE) SetWindowLongA(window, GWL_EXSTYLE, s.ex_style);
    if (s.class_style != NONE) SetClassLongA(window, GCL_STYLE, s.class_style);
}

frame_style frame_style_main(const char* keyword) {
    frame_style s = look_up(main_rows, keyword, frame_style{0, 0, 0});
    s.class_style |= CS_DBLCLKS;
    return s;
}

frame_style frame_style_modeless(const char* keyword) {
    return look_up(modeless_rows, keyword, frame_style{NONE, NONE, NONE});
}

frame_style frame_style_restyle(const char* keyword) {
    return look_up(restyle_rows, keyword, frame_style{NONE, NONE, NONE});
}

}  // namespace

metrics_source window_set_metrics_source(metrics_source source) {
    metrics_source previous = metrics;
    metrics = source;
    return previous;
}

HWND window_create_main(HINSTANCE instance, const char* title, int x, int y, int width, int height,
                        const char* keyword) {
    InitCommonControls();
    char class_name[250];
    if (title == nullptr || title[0] == '\0') {
        std::snprintf(class_name, sizeof class_name, "Class%lld", (long long)(INT_PTR)instance);
    } else {
        std::snprintf(class_name, sizeof class_name, "%s", title);  // a longer title is cut, never overrun
    }
    frame_style s = frame_style_main(keyword);

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = (UINT)s.class_style;
    wc.lpfnWndProc = main_window_procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = class_name;
    if (!RegisterClassExA(&wc)) return nullptr;

    HWND window = CreateWindowExA((DWORD)s.ex_style, class_name, title ? title : "", (DWORD)s.style, x, y,
                                  width, height + metric(SM_CYCAPTION), nullptr, nullptr, instance, nullptr);
    if (!window) {
        UnregisterClassA(class_name, instance);  // the title stays free for a later try
        return nullptr;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    window_set_background(window, GetSysColor(COLOR_BTNFACE));
    return window;
}

int window_set_background(HWND window, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    SetLastError(0);
    HBRUSH old = (HBRUSH)SetClassLongPtrA(window, GCLP_HBRBACKGROUND, (LONG_PTR)brush);
    if (old == nullptr && GetLastError() != 0) {
        DeleteObject(brush);  // the class did not take it
        return 0;
    }
    own_brushes.push_back(brush);
    if (old) forget_brush(old);
    InvalidateRgn(window, nullptr, TRUE);
    return 0;
}

int window_set_icon(HWND window, const char* icon_name) {
    HICON icon = LoadIconA(window_instance(window), icon_name);
    SetClassLongPtrA(window, GCLP_HICON, (LONG_PTR)icon);
    return 0;
}

int window_resize(HWND window, int width, int height) {
    RECT r;
    GetWindowRect(window, &r);
    int w = width == KEEP_SIZE ? r.right - r.left : width;
    int h = height == KEEP_SIZE ? r.bottom - r.top : height + metric(SM_CYCAPTION);
    MoveWindow(window, r.left, r.top, w, h, TRUE);
    return 0;
}

int dialog_resize(HWND dialog, int width, int height) { return window_resize(dialog, width, height); }

int window_set_sizable(HWND window, const char* keyword) {
    if (keyword && std::strcmp(keyword, "ON") == 0) {
        SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | WS_THICKFRAME);
    } else if (keyword && std::strcmp(keyword, "OFF") == 0) {
        SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) & ~WS_THICKFRAME);
    }
    RECT r;
    GetWindowRect(window, &r);
    measured_width = r.right - r.left;
    measured_height = r.bottom - r.top;
    window_resize(window, measured_width, measured_height);
    ShowWindow(window, SW_SHOWNORMAL);
    measured_width = 0;
    measured_height = 0;
    return 0;
}

int window_set_title(HWND window, const char* text) {
    SetWindowTextA(window, text);
    return 0;
}

int dialog_set_title(HWND dialog, const char* text) { return window_set_title(dialog, text); }

int window_center(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    int x = (metric(SM_CXSCREEN) - w) / 2;
    int y = (metric(SM_CYSCREEN) - (h + metric(SM_CYCAPTION))) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return 0;
}

int control_fit_parent(HWND control, int x, int y, int extra_width, int extra_height) {
    HWND parent = (HWND)GetWindowLongPtrA(control, GWLP_HWNDPARENT);
    RECT r = {};
    GetClientRect(parent, &r);
    return MoveWindow(control, x, y, r.right + extra_width, r.bottom + extra_height, TRUE) ? 0 : 1;
}

INT_PTR dialog_run_modal(HWND owner, DLGPROC procedure) {
    return DialogBoxParamA(window_instance(owner), RES_DLG_MODAL, owner, procedure, 0);
}

HWND dialog_create_modeless(HWND owner, const char* title, int x, int y, int width, int height,
                            const char* keyword, DLGPROC procedure) {
    HWND dialog = CreateDialogParamA(window_instance(owner), RES_DLG_MODELESS, owner, procedure, 0);
    if (!dialog) return nullptr;
    ShowWindow(dialog, SW_HIDE);
    MoveWindow(dialog, 0, 0, 0, 0, TRUE);
    SetPropA(dialog, MODELESS_MARK, (HANDLE)1);
    write_frame(dialog, frame_style_modeless(keyword), false);
    SetWindowTextA(dialog, title);
    MoveWindow(dialog, x, y, width, height, TRUE);
    ShowWindow(dialog, SW_SHOW);
    return dialog;
}

int dialog_apply_style(HWND dialog, const char* keyword) {
    RECT r;
    GetWindowRect(dialog, &r);
    ShowWindow(dialog, SW_HIDE);
    MoveWindow(dialog, 0, 0, 0, 0, TRUE);
    write_frame(dialog, frame_style_restyle(keyword), true);
    MoveWindow(dialog, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ShowWindow(dialog, SW_SHOWNORMAL);
    return 0;
}

int dialog_set_default_button(HWND dialog, HWND button) {
    if (dialog == nullptr || button == nullptr) return 1;
    SetWindowLongPtrA(button, GWL_STYLE, GetWindowLongPtrA(button, GWL_STYLE) | WS_TABSTOP);
    SendMessageA(dialog, DM_SETDEFID, (WPARAM)GetDlgCtrlID(button), 0);
    return 0;
}

// EndDialog also succeeds on a modeless dialog, but only hides it: that one is destroyed.
int dialog_close(HWND dialog) {
    if (GetPropA(dialog, MODELESS_MARK)) {
        RemovePropA(dialog, MODELESS_MARK);
        return DestroyWindow(dialog) ? 0 : 1;
    }
    if (EndDialog(dialog, IDCANCEL)) return 0;
    return DestroyWindow(dialog) ? 0 : 1;
}

WNDPROC window_set_procedure(HWND window, WNDPROC procedure) {
    return (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)procedure);
}

int window_post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return PostMessageA(window, message, wparam, lparam) ? 0 : 1;
}
