// Printing: the print dialog, the page loop over the editor's text and the stop dialog.
#include "toolkit/richedit/print.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "toolkit/platform_records.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/page_layout.h"
#include "toolkit/windows/toolbar.h"
#include "toolkit/windows/window.h"

PRINTDLGA print_dialog_record;

namespace {

constexpr long PAGE_LIMIT = 999999;
constexpr double TWIPS_PER_MILLIMETRE = 56.693;

// Stop state of the run in progress.
HWND stop_dialog;
int stop_flag;
int running;
int abort_calls;  // tells whether the spooler calls the abort procedure between pages
int quit_pending;
WPARAM quit_code;

enum layout_choice { LAYOUT_UNDECIDED, LAYOUT_CONTROL, LAYOUT_OWN };

struct print_run {
    HWND editor;
    HDC printer;
    HDC screen;
    HCURSOR kept_cursor;
    FORMATRANGE range;
    LONG end;
    layout_choice layout;
};

int twips(int millimetres) { return (int)(millimetres * TWIPS_PER_MILLIMETRE); }

void dialog_record_release() {
    if (print_dialog_record.hDevMode) GlobalFree(print_dialog_record.hDevMode);
    if (print_dialog_record.hDevNames) GlobalFree(print_dialog_record.hDevNames);
    print_dialog_record.hDevMode = nullptr;
    print_dialog_record.hDevNames = nullptr;
}

// The run owns the printer's device context from here on, also the one the dialog made.
HDC printer_from_source(int source) {
    if (source != 1) return printer_create_default();
    HDC printer = print_dialog_record.hDC;
    print_dialog_record.hDC = nullptr;
    return printer;
}

int job_start(HDC printer, const char* name) {
    if (printer == nullptr) return 0;
    SetAbortProc(printer, print_abort_procedure);
    DOCINFOA job;
    memset(&job, 0, sizeof job);
    job.cbSize = sizeof job;
    job.lpszDocName = name;
    return StartDocA(printer, &job) > 0;
}

// A job that is not ended must not reach the printer, also where the platform did not cancel it.
void job_abandon(print_run* run) {
    AbortDoc(run->printer);
    DeleteDC(run->printer);
    run->printer = nullptr;
}

void layout_release(HWND editor) {
    SendMessageA(editor, EM_FORMATRANGE, 1, 0);
    page_layout_format(editor, 0, nullptr);
}

// The control lays out the pages unless its first answer does not advance: then it has no
// page layout and the toolkit's own takes over for the whole run.
LONG page_measure(print_run* run) {
    if (run->layout != LAYOUT_OWN) {
        LONG next = (LONG)SendMessageA(run->editor, EM_FORMATRANGE, 0, (LPARAM)&run->range);
        if (run->layout == LAYOUT_CONTROL || next > run->range.chrg.cpMin) {
            run->layout = LAYOUT_CONTROL;
            return next;
        }
        run->layout = LAYOUT_OWN;
    }
    return page_layout_format(run->editor, 0, &run->range);
}

void page_draw(print_run* run) {
    if (run->layout == LAYOUT_OWN) {
        page_layout_display(run->editor, &run->range.rc);
    } else {
        SendMessageA(run->editor, EM_DISPLAYBAND, 0, (LPARAM)&run->range.rc);
    }
}

void page_turn(HDC printer) {
    int calls = abort_calls;
    EndPage(printer);
    // a spooler that does not call the abort procedure between pages gets it called here,
    // so the stop button and the other windows keep working during the run
    if (abort_calls == calls) print_abort_procedure(printer, 0);
    StartPage(printer);
}

// Prints page after page; 1 when a page takes not even one line (the layout would not advance).
int page_loop(print_run* run) {
    StartPage(run->printer);
    long page = 1;
    LONG next;
    do {
        next = page_measure(run);
        if (next < run->end && next <= run->range.chrg.cpMin) return 1;
        page_draw(run);
        if (next < run->end) {
            if (page < PAGE_LIMIT) page_turn(run->printer);
            run->range.chrg.cpMin = next;
        }
        ++page;
    } while (page <= PAGE_LIMIT && next < run->end && !stop_flag);
    return 0;
}

int pages_print(print_run* run, const RECT& page) {
    run->screen = GetDC(run->editor);
    run->range.hdc = run->printer;
    run->range.hdcTarget = run->screen;
    run->range.rc = run->range.rcPage = page;
    run->range.chrg.cpMin = 0;
    run->range.chrg.cpMax = -1;
    if (editor_has_selection(run->editor) == 1) {
        SendMessageA(run->editor, EM_EXGETSEL, 0, (LPARAM)&run->range.chrg);
        if (run->range.chrg.cpMax >= run->range.chrg.cpMin) run->end = run->range.chrg.cpMax;
    }
    int stalled = page_loop(run);
    layout_release(run->editor);
    if (stop_flag || stalled) {
        job_abandon(run);
        return stop_flag ? 1 : 3;
    }
    EndPage(run->printer);
    // a spooler that refuses the job has lost it: that is no finished print
    return EndDoc(run->printer) > 0 ? 0 : 3;
}

void run_finish(print_run* run) {
    SetCursor(run->kept_cursor);
    if (run->screen) ReleaseDC(run->editor, run->screen);
    EnableWindow(run->editor, TRUE);
    if (stop_dialog) dialog_close(stop_dialog);
    stop_dialog = nullptr;
    if (run->printer) DeleteDC(run->printer);
    running = 0;
    if (quit_pending) {  // a quit request the run's message pump took ends the program now
        quit_pending = 0;
        PostQuitMessage((int)quit_code);
    }
}

}  // namespace

int print_dialog_run(HWND editor) {
    dialog_record_release();
    if (print_dialog_record.hDC) DeleteDC(print_dialog_record.hDC);  // chosen earlier, never printed
    memset(&print_dialog_record, 0, sizeof print_dialog_record);
    print_dialog_record.lStructSize = sizeof print_dialog_record;
    print_dialog_record.hwndOwner = (HWND)GetWindowLongPtrA(editor, GWLP_HWNDPARENT);
    print_dialog_record.Flags = PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC;
    print_dialog_record.nCopies = 1;
    BOOL confirmed = PrintDlgA(&print_dialog_record);
    dialog_record_release();  // the device context keeps the chosen settings
    return confirmed ? 1 : 0;
}

int editor_print(HWND editor, int left, int top, int right, int bottom, const char* name, int source) {
    if (running) return 3;  // a run's message pump reached here: one run at a time
    print_run run = {};
    run.editor = editor;
    run.kept_cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    stop_flag = 0;
    stop_dialog = nullptr;
    run.printer = printer_from_source(source);
    RECT page = {};
    if (run.printer) {
        page = print_page_twips(left, top, right, bottom, GetDeviceCaps(run.printer, HORZSIZE),
                                GetDeviceCaps(run.printer, VERTSIZE));
    }
    if (!job_start(run.printer, name)) {
        SetCursor(run.kept_cursor);
        if (run.printer) DeleteDC(run.printer);
        return 3;
    }
    running = 1;
    stop_dialog = dialog_create_modeless(editor, "Printing", 0, 0, 150, 100, "TOOLWIN", print_stop_procedure);
    window_center(stop_dialog);
    EnableWindow(editor, FALSE);
    run.end = (LONG)SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
    int result = 2;
    if (run.end == 0) {
        job_abandon(&run);
        layout_release(editor);
    } else {
        result = pages_print(&run, page);
    }
    run_finish(&run);
    return result;
}

INT_PTR CALLBACK print_stop_procedure(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetFocus(button_create(dialog, 22, 22, 100, 30, "STOP PRINTING?", "C", "NORMAL", 1));
        return TRUE;
    }
    if (message == WM_COMMAND) {  // the button, Enter or Esc
        stop_flag = 1;
        return TRUE;
    }
    return FALSE;
}

BOOL CALLBACK print_abort_procedure(HDC, int) {
    ++abort_calls;
    if (stop_dialog == nullptr) return TRUE;
    MSG msg;
    while (!stop_flag && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {  // kept for the end of the run
            quit_pending = 1;
            quit_code = msg.wParam;
            continue;
        }
        if (!IsDialogMessageA(stop_dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return stop_flag ? FALSE : TRUE;
}

int print_is_running() { return running; }

HWND print_stop_dialog() { return stop_dialog; }

HDC printer_create_default() {
    char entry[120];
    GetProfileStringA("windows", "device", ",,,", entry, sizeof entry);
    char *device, *driver, *port;
    if (!print_profile_split(entry, &device, &driver, &port)) return nullptr;
    return CreateDCA(driver, device, port, nullptr);
}

int print_profile_split(char* entry, char** device, char** driver, char** port) {
    *device = strtok(entry, ",");
    *driver = *device ? strtok(nullptr, ", ") : nullptr;
    *port = *driver ? strtok(nullptr, ", ") : nullptr;
    return *device && *driver && *port ? 1 : 0;
}

RECT print_page_twips(int left, int top, int right, int bottom, int width, int height) {
    RECT page = {twips(left), twips(top), twips(width + std::min(right, 0)), twips(height + std::min(bottom, 0))};
    return page;
}
