#include "toolkit/dialogs/page_dialog.h"

#include <commdlg.h>

namespace {

// The default printer's device mode with the setup's paper and orientation put in, so the
// dialog starts from them; null when there is no printer.
HGLOBAL device_mode_for(const page_setup& setup, HGLOBAL* names) {
    PRINTDLGA defaults = {};
    defaults.lStructSize = sizeof defaults;
    defaults.Flags = PD_RETURNDEFAULT;
    *names = nullptr;
    if (!PrintDlgA(&defaults) || defaults.hDevMode == nullptr) return nullptr;
    *names = defaults.hDevNames;
    if (DEVMODEA* mode = (DEVMODEA*)GlobalLock(defaults.hDevMode)) {
        if (setup.paper) {
            mode->dmFields |= DM_PAPERSIZE;
            mode->dmPaperSize = (short)setup.paper;
        }
        if (setup.orientation) {
            mode->dmFields |= DM_ORIENTATION;
            mode->dmOrientation = (short)setup.orientation;
        }
        GlobalUnlock(defaults.hDevMode);
    }
    return defaults.hDevMode;
}

}  // namespace

int page_dialog_run(HWND owner, page_setup* setup) {
    PAGESETUPDLGA record = {};
    record.lStructSize = sizeof record;
    record.hwndOwner = owner;
    record.Flags = PSD_INHUNDREDTHSOFMILLIMETERS | PSD_MARGINS;
    record.rtMargin = {setup->margin_left, setup->margin_top, setup->margin_right, setup->margin_bottom};
    record.hDevMode = device_mode_for(*setup, &record.hDevNames);
    BOOL confirmed = PageSetupDlgA(&record);
    page_setup chosen = *setup;
    SIZE paper = {record.ptPaperSize.x, record.ptPaperSize.y};  // the chosen paper, in its orientation
    if (confirmed) {
        chosen.margin_left = record.rtMargin.left;
        chosen.margin_top = record.rtMargin.top;
        chosen.margin_right = record.rtMargin.right;
        chosen.margin_bottom = record.rtMargin.bottom;
        if (const DEVMODEA* mode = record.hDevMode ? (const DEVMODEA*)GlobalLock(record.hDevMode) : nullptr) {
            if (mode->dmFields & DM_PAPERSIZE) chosen.paper = mode->dmPaperSize;
            if (mode->dmFields & DM_ORIENTATION) chosen.orientation = mode->dmOrientation;
            GlobalUnlock(record.hDevMode);
        }
    }
    if (record.hDevMode) GlobalFree(record.hDevMode);
    if (record.hDevNames) GlobalFree(record.hDevNames);
    if (!confirmed || !page_setup_valid(chosen)) return 0;
    if (paper.cx <= 0 || paper.cy <= 0) paper = page_paper_size(chosen);
    if (!page_setup_fits(chosen, paper)) return PAGE_DIALOG_NO_ROOM;
    *setup = chosen;
    return 1;
}
