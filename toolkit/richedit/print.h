// Printing the editor's text, or its selection, page by page, with a stop dialog while the
// job is spooled.
#pragma once
#include <windows.h>
#include <commdlg.h>

// The one print-dialog record; after a confirmed print_dialog_run its hDC is the chosen printer.
extern PRINTDLGA print_dialog_record;

// Shows the print dialog owned by the editor's parent. 1 when confirmed, 0 when cancelled or failed.
int print_dialog_run(HWND editor);

// The paper and the margins pages are laid out on. Margins are hundredths of a millimetre from
// the paper's edge; the printer's unprintable border is never written on, however small they are.
struct page_setup {
    int paper;        // DMPAPER_ code; 0: the printer's own paper
    int orientation;  // DMORIENT_PORTRAIT or DMORIENT_LANDSCAPE; 0: the printer's own
    int margin_left, margin_top, margin_right, margin_bottom;
};
constexpr int PAGE_MARGIN_DEFAULT = 1000;  // 10 mm
constexpr page_setup PAGE_SETUP_DEFAULT = {0, 0, PAGE_MARGIN_DEFAULT, PAGE_MARGIN_DEFAULT, PAGE_MARGIN_DEFAULT,
                                           PAGE_MARGIN_DEFAULT};
// Whether every field of a setup read from outside is in range.
bool page_setup_valid(const page_setup& setup);
// The least the margins leave the text across and down the paper, in hundredths of a millimetre:
// 25 mm, about the inch the margin setting keeps of the printed line, room for a short word and a
// few lines; even envelopes and index cards have it inside their usual margins.
constexpr int PAGE_TEXT_LEAST = 2500;
// Whether the setup's margins leave the text PAGE_TEXT_LEAST both ways on paper of this size
// (hundredths of a millimetre).
bool page_setup_fits(const page_setup& setup, SIZE paper);
// The paper the setup prints on, in hundredths of a millimetre: the default printer's page set to
// the setup's paper and orientation; A4 in the setup's orientation when there is no printer.
SIZE page_paper_size(const page_setup& setup);

// Margins in millimetres from the paper's edge on all four sides, on the printer's own paper.
// source 0: the default printer from the profile; 1: the printer of the last print_dialog_run.
// 0 printed to the end, 1 stopped by the user, 2 nothing to print (empty editor),
// 3 the job cannot be started or the page has no room at all (nothing is printed then).
// Margins the printer's paper cannot hold are shrunk to leave the text PAGE_TEXT_LEAST.
int editor_print(HWND editor, int left, int top, int right, int bottom, const char* name, int source);
// The same on the paper and with the margins of a page setup.
int editor_print_setup(HWND editor, const page_setup& setup, const char* name, int source);

// A printer device context set to the setup's paper and orientation: the default printer's
// (source 0) or the last print dialog's (1, handed over to the caller). Null when there is none.
HDC printer_open(const page_setup& setup, int source);

// The part of the printer's page inside the margins, in twips from the printable area's corner
// (the origin the printer draws from). Margins that leave less than PAGE_TEXT_LEAST of the paper
// are shrunk in proportion until they leave that much (the whole paper when it is smaller).
RECT print_text_area(HDC printer, const page_setup& setup);

// What the text area is worked out from: the printer's device capabilities, in pixels.
struct print_device_metrics {
    int dpi_x, dpi_y;
    int paper_width, paper_height;    // PHYSICALWIDTH, PHYSICALHEIGHT; 0: the printable area
    int offset_x, offset_y;           // PHYSICALOFFSETX, PHYSICALOFFSETY: the unprintable border
    int printable_width, printable_height;  // HORZRES, VERTRES
};
RECT print_text_area_of(const print_device_metrics& device, const page_setup& setup);

INT_PTR CALLBACK print_stop_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
BOOL CALLBACK print_abort_procedure(HDC printer, int error);

// 1 while editor_print runs (its page loop lets every window of the thread work), else 0.
int print_is_running();

// The stop dialog of the run in progress, or null.
HWND print_stop_dialog();

// A device context for the default printer named by the profile's "device" entry, or null.
HDC printer_create_default();

// Splits a profile "device" entry in place: the device name up to the first comma, then the
// driver and the port, each ending at a comma or a blank. 1 when all three are there, else 0.
int print_profile_split(char* entry, char** device, char** driver, char** port);

// The page rectangle in twips for margins and adjustments in millimetres on a printable area
// of width x height millimetres.
RECT print_page_twips(int left, int top, int right, int bottom, int width, int height);
