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
constexpr int TWIPS_PER_INCH = 1440;
constexpr int MARGIN_LIMIT = 100000;  // a metre

// Stop state of the run in progress.
HWND stop_dialog;
int stop_flag;
int running;
int abort_calls;  // tells whether the spooler calls the abort procedure between pages
int quit_pending;
WPARAM quit_code;

struct print_run {
    HWND editor;
    HDC printer;
    HDC screen;
    HCURSOR kept_cursor;
    FORMATRANGE range;
    LONG end;
    bool control_layout;  // the control lays out the pages, else the toolkit's own layout
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

// Rounded up: a margin is never narrower than asked for.
int hundredths_to_pixels(int hundredths, int dpi) { return (int)(((long long)hundredths * dpi + 2539) / 2540); }
int pixels_to_twips(int pixels, int dpi) { return MulDiv(pixels, TWIPS_PER_INCH, dpi); }

// Shrinks the two margins of one direction in proportion, so that they leave at least least of
// the paper for the text (all of it when the paper is smaller).
void margins_fit(int paper, int least, int* near_margin, int* far_margin) {
    long long both = (long long)*near_margin + *far_margin;
    if (paper - both >= least) return;
    int room = std::max(0, paper - least);  // what the two margins may take together
    *near_margin = both > 0 ? (int)(*near_margin * (long long)room / both) : 0;
    *far_margin = room - *near_margin;
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

// Whether controls of the editor's class lay out printed pages: asked once per class, of a
// hidden control of that class holding a short text on a page with room for it.
bool control_lays_out_pages(HWND editor) {
    static char known_class[64];
    static bool known_answer;
    char name[64] = "";
    GetClassNameA(editor, name, sizeof name);
    if (known_class[0] && strcmp(name, known_class) == 0) return known_answer;
    HWND probe = CreateWindowExA(0, name, "", WS_POPUP | ES_MULTILINE, 0, 0, 200, 100, nullptr, nullptr,
                                 (HINSTANCE)GetWindowLongPtrA(editor, GWLP_HINSTANCE), nullptr);
    LONG measured = 0;
    if (probe) {
        SendMessageA(probe, WM_SETTEXT, 0, (LPARAM) "Brevduva");
        HDC screen = GetDC(nullptr);
        FORMATRANGE range = {};
        range.hdc = range.hdcTarget = screen;
        range.rc = range.rcPage = {0, 0, 5 * 1440, 5 * 1440};
        range.chrg = {0, -1};
        measured = (LONG)SendMessageA(probe, EM_FORMATRANGE, 0, (LPARAM)&range);
        SendMessageA(probe, EM_FORMATRANGE, 0, 0);
        ReleaseDC(nullptr, screen);
        DestroyWindow(probe);
    }
    lstrcpynA(known_class, name, sizeof known_class);
    known_answer = measured > 0;
    return known_answer;
}

LONG page_measure(print_run* run) {
    if (run->control_layout) return (LONG)SendMessageA(run->editor, EM_FORMATRANGE, 0, (LPARAM)&run->range);
    return page_layout_format(run->editor, 0, &run->range);
}

void page_draw(print_run* run) {
    if (run->control_layout) {
        SendMessageA(run->editor, EM_DISPLAYBAND, 0, (LPARAM)&run->range.rc);
    } else {
        page_layout_display(run->editor, &run->range.rc);
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
    run->control_layout = control_lays_out_pages(run->editor);
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
    page_setup setup = {0, 0, std::max(0, left) * 100, std::max(0, top) * 100, std::max(0, right) * 100,
                        std::max(0, bottom) * 100};
    return editor_print_setup(editor, setup, name, source);
}

int editor_print_setup(HWND editor, const page_setup& setup, const char* name, int source) {
    if (running) return 3;  // a run's message pump reached here: one run at a time
    print_run run = {};
    run.editor = editor;
    run.kept_cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    stop_flag = 0;
    stop_dialog = nullptr;
    run.printer = printer_open(setup, source);
    RECT page = {};
    if (run.printer) page = print_text_area(run.printer, setup);
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

bool page_setup_valid(const page_setup& setup) {
    auto margin_ok = [](int m) { return m >= 0 && m <= MARGIN_LIMIT; };
    return setup.paper >= 0 && setup.paper <= DMPAPER_USER + 1000 &&
           (setup.orientation == 0 || setup.orientation == DMORIENT_PORTRAIT ||
            setup.orientation == DMORIENT_LANDSCAPE) &&
           margin_ok(setup.margin_left) && margin_ok(setup.margin_top) && margin_ok(setup.margin_right) &&
           margin_ok(setup.margin_bottom);
}

bool page_setup_fits(const page_setup& setup, SIZE paper) {
    return (long long)paper.cx - setup.margin_left - setup.margin_right >= PAGE_TEXT_LEAST &&
           (long long)paper.cy - setup.margin_top - setup.margin_bottom >= PAGE_TEXT_LEAST;
}

SIZE page_paper_size(const page_setup& setup) {
    SIZE paper = {21000, 29700};  // A4, the paper assumed without a printer
    if (setup.orientation == DMORIENT_LANDSCAPE) paper = {29700, 21000};
    HDC printer = printer_open(setup, 0);
    if (printer == nullptr) return paper;
    int dpi_x = GetDeviceCaps(printer, LOGPIXELSX), dpi_y = GetDeviceCaps(printer, LOGPIXELSY);
    int width = GetDeviceCaps(printer, PHYSICALWIDTH), height = GetDeviceCaps(printer, PHYSICALHEIGHT);
    if (width <= 0 || height <= 0) {  // a device that knows no paper: its printable area is the paper
        width = GetDeviceCaps(printer, HORZRES);
        height = GetDeviceCaps(printer, VERTRES);
    }
    if (dpi_x > 0 && dpi_y > 0 && width > 0 && height > 0) {
        paper = {MulDiv(width, 2540, dpi_x), MulDiv(height, 2540, dpi_y)};
    }
    DeleteDC(printer);
    return paper;
}

HDC printer_open(const page_setup& setup, int source) {
    HDC printer = printer_from_source(source);
    if (printer == nullptr || (setup.paper == 0 && setup.orientation == 0)) return printer;
    // only the fields named change: the printer keeps the rest of its settings
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmSpecVersion = DM_SPECVERSION;
    if (setup.paper) {
        mode.dmFields |= DM_PAPERSIZE;
        mode.dmPaperSize = (short)setup.paper;
    }
    if (setup.orientation) {
        mode.dmFields |= DM_ORIENTATION;
        mode.dmOrientation = (short)setup.orientation;
    }
    ResetDCA(printer, &mode);  // a printer that keeps its own paper still prints
    return printer;
}

// The margins are measured from the paper's edge; where the printable area begins further in,
// the text begins there.
RECT print_text_area(HDC printer, const page_setup& setup) {
    print_device_metrics device = {GetDeviceCaps(printer, LOGPIXELSX),     GetDeviceCaps(printer, LOGPIXELSY),
                                   GetDeviceCaps(printer, PHYSICALWIDTH),  GetDeviceCaps(printer, PHYSICALHEIGHT),
                                   GetDeviceCaps(printer, PHYSICALOFFSETX), GetDeviceCaps(printer, PHYSICALOFFSETY),
                                   GetDeviceCaps(printer, HORZRES),        GetDeviceCaps(printer, VERTRES)};
    return print_text_area_of(device, setup);
}

RECT print_text_area_of(const print_device_metrics& device, const page_setup& setup) {
    if (device.dpi_x <= 0 || device.dpi_y <= 0) return RECT{};
    int paper_w = device.paper_width, paper_h = device.paper_height;
    int off_x = device.offset_x, off_y = device.offset_y;
    if (paper_w <= 0 || paper_h <= 0) {  // a device that knows no paper: its printable area is the paper
        paper_w = device.printable_width;
        paper_h = device.printable_height;
        off_x = off_y = 0;
    }
    int margin_left = hundredths_to_pixels(setup.margin_left, device.dpi_x);
    int margin_right = hundredths_to_pixels(setup.margin_right, device.dpi_x);
    int margin_top = hundredths_to_pixels(setup.margin_top, device.dpi_y);
    int margin_bottom = hundredths_to_pixels(setup.margin_bottom, device.dpi_y);
    // a setup made for larger paper (another printer's) still prints, at narrower margins
    margins_fit(paper_w, hundredths_to_pixels(PAGE_TEXT_LEAST, device.dpi_x), &margin_left, &margin_right);
    margins_fit(paper_h, hundredths_to_pixels(PAGE_TEXT_LEAST, device.dpi_y), &margin_top, &margin_bottom);
    int left = std::max(margin_left, off_x) - off_x;
    int top = std::max(margin_top, off_y) - off_y;
    int right = std::min(paper_w - margin_right, off_x + device.printable_width) - off_x;
    int bottom = std::min(paper_h - margin_bottom, off_y + device.printable_height) - off_y;
    if (right <= left || bottom <= top) return RECT{};
    // twips rounded inwards, so that the layout's pixels stay inside the margins
    RECT area = {pixels_to_twips(left, device.dpi_x) + 1, pixels_to_twips(top, device.dpi_y) + 1,
                 pixels_to_twips(right, device.dpi_x), pixels_to_twips(bottom, device.dpi_y)};
    return area;
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
