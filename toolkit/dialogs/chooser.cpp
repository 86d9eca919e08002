#include "toolkit/dialogs/chooser.h"

#include <commdlg.h>
#include <richedit.h>
#include <string.h>

namespace {

LOGFONTA chosen_font;
CHOOSECOLORA colour_record;
COLORREF custom_colours[16];

bool keyword_is(const char* keyword, const char* word) { return keyword && strcmp(keyword, word) == 0; }

// An attribute counts only where it is the same over the whole selection.
BYTE effect_of(const CHARFORMATA& format, DWORD uniform, DWORD mask, DWORD effect) {
    return (uniform & mask) && (format.dwEffects & effect) ? 1 : 0;
}

// The selection's format as the font the dialog starts from; the size in whole points.
void font_from_format(HWND owner, const CHARFORMATA& format, DWORD uniform) {
    HDC screen = GetDC(owner);
    int dots_per_inch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(owner, screen);
    chosen_font.lfHeight = -MulDiv(format.yHeight / 20, dots_per_inch, 72);
    chosen_font.lfWeight = effect_of(format, uniform, CFM_BOLD, CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    chosen_font.lfItalic = effect_of(format, uniform, CFM_ITALIC, CFE_ITALIC);
    chosen_font.lfUnderline = effect_of(format, uniform, CFM_UNDERLINE, CFE_UNDERLINE);
    chosen_font.lfStrikeOut = effect_of(format, uniform, CFM_STRIKEOUT, CFE_STRIKEOUT);
    chosen_font.lfCharSet = format.bCharSet;
    chosen_font.lfPitchAndFamily = format.bPitchAndFamily;
    lstrcpynA(chosen_font.lfFaceName, format.szFaceName, LF_FACESIZE);
}

// The dialog's choice as a format; the character set is left as it is.
CHARFORMATA format_from_choice(const CHOOSEFONTA& choice) {
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_STRIKEOUT | CFM_UNDERLINE | CFM_ITALIC | CFM_BOLD;
    if (chosen_font.lfWeight >= FW_BOLD) format.dwEffects |= CFE_BOLD;
    if (chosen_font.lfItalic) format.dwEffects |= CFE_ITALIC;
    if (chosen_font.lfUnderline) format.dwEffects |= CFE_UNDERLINE;
    if (chosen_font.lfStrikeOut) format.dwEffects |= CFE_STRIKEOUT;
    format.yHeight = 2 * choice.iPointSize;
    format.crTextColor = choice.rgbColors;
    format.bCharSet = chosen_font.lfCharSet;
    format.bPitchAndFamily = chosen_font.lfPitchAndFamily;
    lstrcpynA(format.szFaceName, chosen_font.lfFaceName, LF_FACESIZE);
    return format;
}

CHOOSEFONTA font_choice(HWND owner, DWORD flags, COLORREF colour) {
    CHOOSEFONTA choice = {};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.lpLogFont = &chosen_font;
    choice.Flags = flags | CF_INITTOLOGFONTSTRUCT;
    choice.rgbColors = colour;
    return choice;
}

HFONT font_dialog_rich(HWND editor, DWORD flags) {
    HWND owner = (HWND)GetWindowLongPtrA(editor, GWLP_HWNDPARENT);
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    DWORD uniform = (DWORD)SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    font_from_format(owner, format, uniform);
    CHOOSEFONTA choice = font_choice(owner, flags | CF_BOTH, format.crTextColor);
    if (!ChooseFontA(&choice)) return nullptr;
    HFONT font = CreateFontIndirectA(&chosen_font);
    format = format_from_choice(choice);
    // the word at the caret only when nothing is selected: with a selection the control formats
    // the word at its end as well, which after a double-click is the next word
    CHARRANGE selection = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&selection);
    WPARAM where = selection.cpMax > selection.cpMin ? SCF_SELECTION : SCF_SELECTION | SCF_WORD;
    SendMessageA(editor, EM_SETCHARFORMAT, where, (LPARAM)&format);
    return font;
}

}  // namespace

HFONT font_dialog_run(HWND control, const char* effects, const char* mode, HFONT current) {
    GetObjectA(current, sizeof chosen_font, &chosen_font);
    DWORD flags = keyword_is(effects, "ON") ? CF_EFFECTS : 0;
    if (keyword_is(mode, "OFF") || keyword_is(mode, "RTF_AND_OFF")) flags |= CF_NOSCRIPTSEL;
    if (keyword_is(mode, "RTF_AND_ON") || keyword_is(mode, "RTF_AND_OFF")) return font_dialog_rich(control, flags);
    CHOOSEFONTA choice = font_choice(control, flags | CF_SCREENFONTS, 0);
    if (!ChooseFontA(&choice)) return current;
    return CreateFontIndirectA(&chosen_font);
}

COLORREF colour_dialog_run(HWND owner) {
    colour_record = CHOOSECOLORA{};
    colour_record.lStructSize = sizeof colour_record;
    colour_record.hwndOwner = owner;
    colour_record.rgbResult = RGB(255, 255, 255);
    colour_record.lpCustColors = custom_colours;
    colour_record.Flags = CC_RGBINIT | CC_SHOWHELP;
    if (!ChooseColorA(&colour_record)) return (COLORREF)-1;
    return colour_record.rgbResult;
}
