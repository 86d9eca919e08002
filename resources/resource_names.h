// Names of the program's resources, as the code asks for them.
// The platform's lookup of resource names ignores case.
#pragma once

#define RES_ICON_MAIN            "brevduva_daraduder"

#define RES_DLG_MODAL            "qx_DLG_MODAL_TEMPLATE_1"
#define RES_DLG_SYSTEM_MODAL     "qx_DLG_SYSTEM_MODAL_TEMPLATE_1"
#define RES_DLG_MODELESS         "qx_DLG_TEMPLATE_1"

#define RES_NEW_BMP              "NEW_BMP"
#define RES_OPEN_BMP             "OPEN_BMP"
#define RES_SAVE_BMP             "SAVE_BMP"
#define RES_PRINT_BMP            "PRINT_BMP"
#define RES_UNDO_BMP             "UNDO_BMP"
#define RES_CUT_BMP              "CUT_BMP"
#define RES_COPY_BMP             "COPY_BMP"
#define RES_PASTE_BMP            "PASTE_BMP"
#define RES_SEARCHUP_BMP         "SEARCHUP_BMP"
#define RES_SEARCHDDOWN_BMP      "SEARCHDDOWN_BMP"
#define RES_SEARCHDLG_BMP        "SEARCHDLG_BMP"
#define RES_FONT_BMP             "FONT_BMP"
#define RES_COLOR_BMP            "COLOR_BMP"
#define RES_HELP_BMP             "HELP_BMP"
