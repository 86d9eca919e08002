// Main window creation, frame keywords, sizes and dialogs, read back from the platform.
#include <gtest/gtest.h>

#include <string>

#include "support/dialog_helper.h"
#include "support/stub_main_window.h"
#include "support/test_util.h"
#include "toolkit/windows/window.h"

namespace {

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

std::string unique_title(const char* base) {
    static int n = 0;
    return std::string(base) + " " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
}

}  // namespace

TEST(WindowCreateMain, TakesTitleAsClassNameAndAddsCaptionHeight) {
    std::string title = unique_title("Huvudfönster");
    HWND w = window_create_main(instance(), title.c_str(), 150, 10, 700, 600, "MIN_MAX_CLO");
    ASSERT_NE(w, nullptr);
    char cls[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_EQ(title, cls);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 700);
    EXPECT_EQ(r.bottom - r.top, 600 + GetSystemMetrics(SM_CYCAPTION));
    EXPECT_TRUE(IsWindowVisible(w));
    DestroyWindow(w);
}
