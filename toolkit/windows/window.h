// Top-level windows and dialogs: creation, frame-style keywords, size, title, icon,
// background, window procedure and posting.
#pragma once
#include <windows.h>

// Passed as a width or height to window_resize / dialog_resize: keep the current value.
constexpr int KEEP_SIZE = 999999;

// The application's main window procedure; window_create_main installs it as the class procedure.
LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

HWND window_create_main(HINSTANCE instance, const char* title, int x, int y, int width, int height,
                        const char* keyword);
int window_set_background(HWND window, COLORREF colour);
int window_set_icon(HWND window, const char* icon_name);
int window_resize(HWND window, int width, int height);
int dialog_resize(HWND dialog, int width, int height);
int window_set_sizable(HWND window, const char* keyword);
int window_set_title(HWND window, const char* text);
int dialog_set_title(HWND dialog, const char* text);
int window_center(HWND window);
int control_fit_parent(HWND control, int x, int y, int extra_width, int extra_height);
INT_PTR dialog_run_modal(HWND owner, DLGPROC procedure);
HWND dialog_create_modeless(HWND owner, const char* title, int x, int y, int width, int height,
                            const char* keyword, DLGPROC procedure);
int dialog_apply_style(HWND dialog, const char* keyword);
// Makes the button the one Return presses from any field of the dialog, and a stop for Tab.
// Without it the dialog manager sends Return as IDOK, the id every input field has.
int dialog_set_default_button(HWND dialog, HWND button);
// Destroys a dialog made by dialog_create_modeless, ends any other dialog (a modal one's
// dialog_run_modal then returns 2), and destroys a window that is no dialog.
int dialog_close(HWND dialog);
WNDPROC window_set_procedure(HWND window, WNDPROC procedure);
int window_post(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Where the operations here read screen and caption sizes (GetSystemMetrics unless replaced);
// returns the source it replaces. Lets a test put the window on a screen of another size.
using metrics_source = int(WINAPI*)(int index);
metrics_source window_set_metrics_source(metrics_source source /* or nullptr */);
