// Status bar parts, texts and looks in a real window, read back from the status control.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_util.h"
#include "toolkit/windows/statusbar.h"
#include "toolkit/windows/window.h"

namespace {

HWND parent_create() {
    static int n = 0;
    std::string title = "Statusrad " + std::to_string(++n);
    HWND w = window_create_main(GetModuleHandleA(nullptr), title.c_str(), 20, 20, 500, 300, "MIN_MAX_CLO");
    pump_messages(20);
    return w;
}

struct app_part {
    int width;
    const char* look;
    const char* text;
};

const app_part app_parts[] = {
    {60, "FLAT", "     Marginal"},   {25, "SUNKEN", "1"},  {60, "FLAT", "     Tabsteg"},
    {25, "SUNKEN", "30"},            {73, "FLAT", "     Markör rad"}, {30, "SUNKEN", "1"},
    {74, "FLAT", "     Markör pos"}, {45, "SUNKEN", "0"},  {101, "FLAT", "     Dokumentstorlek"},
    {45, "SUNKEN", "0"},
};

const int app_edges[] = {60, 85, 145, 170, 243, 273, 347, 392, 493, 538};

// One layout pass as the application makes it on every size change.
void app_pass(HWND bar) {
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(statusbar_add_part(bar, i + 1, app_parts[i].width, app_parts[i].look, app_parts[i].text), 0);
    }
}

std::vector<int> edges_of(HWND bar) {
    std::vector<int> edges(STATUSBAR_PARTS, -7);
    int count = (int)SendMessageA(bar, SB_GETPARTS, STATUSBAR_PARTS, (LPARAM)edges.data());
    edges.resize((size_t)count);
    return edges;
}

void expect_app_edges(HWND bar, const char* when) {
    std::vector<int> edges = edges_of(bar);
    ASSERT_EQ(edges.size(), (size_t)STATUSBAR_PARTS) << when;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(edges[i], app_edges[i]) << when << " part " << i + 1;
}

// The bar lies along the bottom of its parent's client area, as wide as it.
void expect_fitted(HWND bar, const char* when) {
    RECT client, r;
    GetClientRect(GetParent(bar), &client);
    GetWindowRect(bar, &r);
    MapWindowPoints(nullptr, GetParent(bar), (POINT*)&r, 2);
    EXPECT_EQ(r.bottom, client.bottom) << when;
    EXPECT_EQ(r.right - r.left, client.right) << when;
}

std::string text_of(HWND bar, int part, int* type) {
    char text[256] = {};
    LRESULT answer = SendMessageA(bar, SB_GETTEXTA, (WPARAM)(part - 1), (LPARAM)text);
    *type = HIWORD(answer);
    return text;
}

void grow(HWND window, int width, int height) {
    RECT r;
    GetWindowRect(window, &r);
    MoveWindow(window, r.left, r.top, width, height, TRUE);
}

}  // namespace

// Defined first: when the whole program runs in one process, this is its very first pass.
TEST(StatusbarLayout, EveryPassFromTheVeryFirstHasTheApplicationEdges) {
    HWND w = parent_create();
    HWND bar = statusbar_create(w, "BARSIZEGRIP");
    ASSERT_NE(bar, nullptr);
    const char* passes[] = {"first pass", "second pass", "third pass"};
    int width = 700;
    for (const char* pass : passes) {
        grow(w, width, width - 150);  // the bar does not follow the parent by itself
        app_pass(bar);
        expect_app_edges(bar, pass);
        expect_fitted(bar, pass);
        width += 40;
    }
    int type = 0;
    EXPECT_EQ(text_of(bar, 5, &type), "     Markör rad");
    EXPECT_EQ(text_of(bar, 10, &type), "0");
    DestroyWindow(w);
}

TEST(StatusbarLayout, UnfilledPartsStayEmptyAndOddCallsDoNotShiftTheNextPass) {
    HWND w = parent_create();
    HWND bar = statusbar_create(w, "NOBAR");
    app_pass(bar);
    std::vector<int> edges = edges_of(bar);
    ASSERT_EQ(edges.size(), (size_t)STATUSBAR_PARTS);
    for (int i = 10; i < STATUSBAR_PARTS; ++i) EXPECT_EQ(edges[i], 0) << i;

    // Part numbers outside the table are refused and change nothing.
    EXPECT_EQ(statusbar_add_part(bar, 0, 10, "FLAT", "x"), 1);
    EXPECT_EQ(statusbar_add_part(bar, 21, 10, "FLAT", "x"), 1);
    EXPECT_EQ(statusbar_set_text(bar, 0, "FLAT", "x"), 1);
    EXPECT_EQ(statusbar_set_text(bar, 21, "FLAT", "x"), 1);
    expect_app_edges(bar, "after refused parts");

    // A pass broken off after the third part.
    statusbar_add_part(bar, 1, 60, "FLAT", "     Marginal");
    statusbar_add_part(bar, 2, 25, "SUNKEN", "1");
    statusbar_add_part(bar, 3, 60, "FLAT", "     Tabsteg");
    app_pass(bar);
    expect_app_edges(bar, "after a broken-off pass");
    DestroyWindow(w);
}

TEST(StatusbarText, SetTextChangesOnlyThatPartWithItsLook) {
    HWND w = parent_create();
    HWND bar = statusbar_create(w, "BARSIZEGRIP");
    app_pass(bar);
    EXPECT_EQ(statusbar_set_text(bar, 2, "SUNKEN", "17"), 0);
    int type = -1;
    EXPECT_EQ(text_of(bar, 2, &type), "17");
    EXPECT_EQ(type, SBT_RTLREADING);
    EXPECT_EQ(text_of(bar, 1, &type), "     Marginal");
    EXPECT_EQ(type, SBT_NOBORDERS);
    EXPECT_EQ(text_of(bar, 4, &type), "30");
    expect_app_edges(bar, "after set text");

    struct look_case {
        const char* look;
        int type;
    } looks[] = {{"FLAT", SBT_NOBORDERS}, {"BAR", SBT_POPOUT}, {"SUNKEN", SBT_RTLREADING},
                 {"flat", 0},             {"", 0},             {nullptr, 0}};
    for (const look_case& l : looks) {
        EXPECT_EQ(statusbar_set_text(bar, 6, l.look, "42"), 0);
        EXPECT_EQ(text_of(bar, 6, &type), "42");
        EXPECT_EQ(type, l.type) << (l.look ? l.look : "null");
    }
    DestroyWindow(w);
}

// A seven-digit document size needs more than its 45 pixels; at the width asked for it shows whole.
TEST(StatusbarText, TextWidthShowsANumberWhole) {
    HWND w = parent_create();
    HWND bar = statusbar_create(w, "BARSIZEGRIP");
    app_pass(bar);
    int width = statusbar_text_width(bar, "1234567");
    EXPECT_GT(width, 45);
    statusbar_add_part(bar, 1, width, "SUNKEN", "1234567");
    part_ink ink = statusbar_part_ink(bar, 1);
    EXPECT_GT(ink.count, 0);
    EXPECT_GE(ink.room_right, 2);
    DestroyWindow(w);
}

TEST(StatusbarCreate, BarKeywordsGiveFrameAndGrip) {
    HWND w = parent_create();
    struct bar_case {
        const char* keyword;
        bool frame;
        bool grip;
    } cases[] = {{"NOBAR", false, false},      {"NOBARSIZEGRIP", false, true}, {"BAR", true, false},
                 {"BARSIZEGRIP", true, true},  {"barsizegrip", false, false},  {nullptr, false, false}};
    for (const bar_case& c : cases) {
        HWND bar = statusbar_create(w, c.keyword);
        ASSERT_NE(bar, nullptr);
        LONG style = GetWindowLongA(bar, GWL_STYLE);
        const char* name = c.keyword ? c.keyword : "null";
        EXPECT_EQ((style & WS_DLGFRAME) != 0, c.frame) << name;
        EXPECT_EQ((style & SBARS_SIZEGRIP) != 0, c.grip) << name;
        EXPECT_TRUE(style & WS_CHILD) << name;
        EXPECT_TRUE(IsWindowVisible(bar)) << name;
        EXPECT_EQ(GetParent(bar), w) << name;
        DestroyWindow(bar);
    }
    DestroyWindow(w);
}
