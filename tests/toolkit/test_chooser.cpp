// The font dialog over the real rich edit control and the real colour dialog, answered by the helper.
#include <gtest/gtest.h>
#include <richedit.h>

#include <functional>
#include <string>

#include "support/dialog_helper.h"
#include "support/test_util.h"
#include "toolkit/dialogs/chooser.h"

namespace {

constexpr int FONT_FACE = 0x470, FONT_STYLE = 0x471, FONT_SIZE = 0x472, FONT_SCRIPT = 0x474, FONT_STRIKE_OUT = 0x410;
constexpr int COLOUR_RED = 706, COLOUR_GREEN = 707, COLOUR_BLUE = 708, COLOUR_ADD_CUSTOM = 712, COLOUR_CUSTOM = 721;

std::string item_text(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Chooses an entry of one of the font dialog's lists as a user would.
void combo_choose(HWND dialog, int id, const char* text) {
    HWND box = GetDlgItem(dialog, id);
    SendMessageA(box, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)text);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)box);
}

class Chooser : public testing::Test {
protected:
    HWND parent = nullptr;
    HWND editor = nullptr;
    HFONT font = nullptr;
    std::string seen_size, seen_style, seen_face;

    void SetUp() override {
        LoadLibraryA("RichEd32.DLL");
        parent = CreateWindowExA(0, "STATIC", "Typsnitt", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 300, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        editor = CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_NOHIDESEL, 0, 0, 480,
                                 280, parent, (HMENU)1, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(editor, nullptr);
        SetWindowTextA(editor, "ett två tre");
        font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        dialog_helper_start();
    }
    void TearDown() override {
        dialog_helper_stop();
        EXPECT_TRUE(dialog_helper_unexpected().empty());
        DeleteObject(font);
        DestroyWindow(parent);
    }

    void select(LONG start, LONG end) {
        CHARRANGE range = {start, end};
        SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&range);
    }
    void format(LONG start, LONG end, LONG twips, bool bold) {
        select(start, end);
        CHARFORMATA f = {};
        f.cbSize = sizeof f;
        f.dwMask = CFM_SIZE | CFM_BOLD | CFM_FACE;
        f.yHeight = twips;
        f.dwEffects = bold ? CFE_BOLD : 0;
        lstrcpyA(f.szFaceName, "Arial");
        SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&f);
    }
    // The format of the range and the mask of what is the same all over it.
    CHARFORMATA format_of(LONG start, LONG end, DWORD* uniform) {
        select(start, end);
        CHARFORMATA f = {};
        f.cbSize = sizeof f;
        *uniform = (DWORD)SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&f);
        return f;
    }
    bool bold(LONG start, LONG end) {
        DWORD uniform;
        CHARFORMATA f = format_of(start, end, &uniform);
        EXPECT_TRUE(uniform & CFM_BOLD);
        return f.dwEffects & CFE_BOLD;
    }
    // Notes where the dialog starts, then runs the step and presses OK (or Cancel without a step).
    void queue_font_answer(std::function<void(HWND)> step) {
        dialog_helper_queue([this, step](HWND dialog) {
            seen_size = item_text(dialog, FONT_SIZE);
            seen_style = item_text(dialog, FONT_STYLE);
            seen_face = item_text(dialog, FONT_FACE);
            if (step) step(dialog);
            PostMessageA(dialog, WM_COMMAND, step ? IDOK : IDCANCEL, 0);
        });
    }
};

int weight_of(HFONT font) {
    LOGFONTA description = {};
    GetObjectA(font, sizeof description, &description);
    return description.lfWeight;
}

}  // namespace

TEST_F(Chooser, RichTextStartsFromTheSelectionInWholePointsAndCancelChangesNothing) {
    format(4, 7, 210, false);
    select(4, 7);
    queue_font_answer(nullptr);
    EXPECT_EQ(font_dialog_run(editor, "ON", "RTF_AND_OFF", font), nullptr);
    EXPECT_EQ(seen_size, "10");
    EXPECT_EQ(seen_face, "Arial");
    DWORD uniform;
    EXPECT_EQ(format_of(4, 7, &uniform).yHeight, 210);
    EXPECT_FALSE(bold(4, 7));
}

TEST_F(Chooser, PartlyBoldStartsNormalAndConfirmingMakesAllNonBold) {
    format(0, 11, 240, false);
    format(0, 3, 240, true);
    select(0, 11);
    queue_font_answer([](HWND) {});
    HFONT chosen = font_dialog_run(editor, "ON", "RTF_AND_OFF", font);
    ASSERT_NE(chosen, nullptr);
    EXPECT_NE(chosen, font);
    EXPECT_EQ(seen_style, "Regular");
    EXPECT_EQ(weight_of(chosen), FW_NORMAL);
    EXPECT_FALSE(bold(0, 11));
    DWORD uniform;
    CHARFORMATA f = format_of(0, 11, &uniform);
    EXPECT_EQ(f.yHeight, 240);
    EXPECT_STREQ(f.szFaceName, "Arial");
    DeleteObject(chosen);
}

TEST_F(Chooser, WeightsBelow700ApplyNonBold) {
    format(0, 11, 240, false);
    for (int weight : {600, 700, 699, 900}) {
        select(4, 7);
        queue_font_answer([weight](HWND dialog) {
            // the style list carries each entry's weight: give the chosen one another weight
            HWND styles = GetDlgItem(dialog, FONT_STYLE);
            LRESULT at = SendMessageA(styles, CB_GETCURSEL, 0, 0);
            SendMessageA(styles, CB_SETITEMDATA, at, MAKELONG(weight, 0));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(FONT_STYLE, CBN_SELCHANGE), (LPARAM)styles);
        });
        HFONT chosen = font_dialog_run(editor, "ON", "RTF_AND_OFF", font);
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(weight_of(chosen), weight);
        EXPECT_EQ(bold(4, 7), weight >= 700) << weight;
        DeleteObject(chosen);
    }
}

// Nothing selected formats the word at the caret; a selected word, and nothing after it.
TEST_F(Chooser, TheChoiceGoesToTheSelectionOrElseTheWordAtTheCaret) {
    struct { LONG start, end; } cases[] = {
        {5, 5},  // the caret inside "två"
        {4, 8},  // "två " as a double-click selects it, with its trailing blank
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.end);
        format(0, 11, 240, false);
        select(c.start, c.end);
        queue_font_answer([](HWND dialog) { combo_choose(dialog, FONT_STYLE, "Bold"); });
        HFONT chosen = font_dialog_run(editor, "ON", "RTF_AND_ON", font);
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(weight_of(chosen), FW_BOLD);
        EXPECT_FALSE(bold(0, 3));
        EXPECT_TRUE(bold(4, 7));
        EXPECT_FALSE(bold(8, 11));
        DeleteObject(chosen);
    }
}

TEST_F(Chooser, PlainWayStartsFromTheFontAndCancelGivesItBack) {
    queue_font_answer(nullptr);
    EXPECT_EQ(font_dialog_run(parent, "ON", "ON", font), font);
    EXPECT_EQ(seen_face, "Arial");
    queue_font_answer([](HWND dialog) { combo_choose(dialog, FONT_STYLE, "Bold"); });
    HFONT chosen = font_dialog_run(parent, "ON", "OFF", font);
    ASSERT_NE(chosen, nullptr);
    EXPECT_NE(chosen, font);
    LOGFONTA description = {};
    GetObjectA(chosen, sizeof description, &description);
    EXPECT_STREQ(description.lfFaceName, "Arial");
    EXPECT_EQ(description.lfWeight, FW_BOLD);
    DeleteObject(chosen);
}

TEST_F(Chooser, EffectsAndScriptBoxByKeyword) {
    struct { const char* effects; const char* mode; bool effect_boxes, script_box; } cases[] = {
        {"ON", "OFF", true, false},          {"ON", "ON", true, true},         {"OFF", "ON", false, true},
        {"on", "RTF_AND_ON", false, true},   {"ON", "RTF_AND_OFF", true, false}, {nullptr, "rtf_and_off", false, true},
    };
    for (const auto& c : cases) {
        bool effect_boxes = false, script_box = false;
        dialog_helper_queue([&](HWND dialog) {
            effect_boxes = IsWindowVisible(GetDlgItem(dialog, FONT_STRIKE_OUT));
            script_box = IsWindowEnabled(GetDlgItem(dialog, FONT_SCRIPT));
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        font_dialog_run(std::string(c.mode).rfind("RTF", 0) == 0 ? editor : parent, c.effects, c.mode, font);
        EXPECT_EQ(effect_boxes, c.effect_boxes) << (c.effects ? c.effects : "null") << " " << c.mode;
        EXPECT_EQ(script_box, c.script_box) << (c.effects ? c.effects : "null") << " " << c.mode;
    }
}

TEST_F(Chooser, ColourStartsWhiteKeepsCustomColoursAndCancelGivesMinusOne) {
    std::string start;
    auto queue_colour = [&](std::function<void(HWND)> step, int button) {
        dialog_helper_queue([&start, step, button](HWND dialog) {
            start = item_text(dialog, COLOUR_RED) + "," + item_text(dialog, COLOUR_GREEN) + "," +
                    item_text(dialog, COLOUR_BLUE);
            step(dialog);
            PostMessageA(dialog, WM_COMMAND, button, 0);
        });
    };
    queue_colour([](HWND dialog) {
        SetDlgItemTextA(dialog, COLOUR_RED, "10");
        SetDlgItemTextA(dialog, COLOUR_GREEN, "20");
        SetDlgItemTextA(dialog, COLOUR_BLUE, "30");
    }, IDOK);
    EXPECT_EQ(colour_dialog_run(parent), RGB(10, 20, 30));
    EXPECT_EQ(start, "255,255,255");
    // define a custom colour, then cancel
    queue_colour([](HWND dialog) {
        SetDlgItemTextA(dialog, COLOUR_RED, "11");
        SetDlgItemTextA(dialog, COLOUR_GREEN, "22");
        SetDlgItemTextA(dialog, COLOUR_BLUE, "33");
        SendMessageA(dialog, WM_COMMAND, COLOUR_ADD_CUSTOM, 0);
    }, IDCANCEL);
    EXPECT_EQ(colour_dialog_run(parent), (COLORREF)-1);
    EXPECT_EQ(start, "255,255,255");
    // the next dialog offers it: pick the first custom colour
    queue_colour([](HWND dialog) {
        RECT cell;
        GetWindowRect(GetDlgItem(dialog, COLOUR_CUSTOM), &cell);
        POINT at = {cell.left + 4, cell.top + 4};
        ScreenToClient(dialog, &at);
        SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    }, IDOK);
    EXPECT_EQ(colour_dialog_run(parent), RGB(11, 22, 33));
    EXPECT_EQ(start, "255,255,255");
}
