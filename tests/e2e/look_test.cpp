// How the window looks: texts whole in their boxes at any screen resolution.
// The AnyResolution tests run a second time on a screen of 144 pixels per inch
// (at_dpi.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app_driver.h"

namespace e2e {
namespace {

// The screen's resolution.
int dpi() {
    HDC screen = GetDC(nullptr);
    const int d = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return d;
}

// The box a drop-down list edits its text in, or the box itself.
HWND text_box(HWND control) {
    HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr);
    return edit ? edit : control;
}

// A box's text starts at the left of its text area (it is not scrolled) and
// ends before its right (there is room for the caret after it). The text ends
// in two equal characters: the last is as wide as the one before it.
void expect_whole(HWND box, const std::string& text, const std::string& name) {
    ASSERT_GE(text.size(), 2u);
    ASSERT_EQ(text[text.size() - 1], text[text.size() - 2]);
    RECT area{};
    SendMessageA(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    auto x = [&](std::size_t i) { return static_cast<short>(LOWORD(SendMessageA(box, EM_POSFROMCHAR, i, 0))); };
    const int last = x(text.size() - 1), end = last + (last - x(text.size() - 2));
    EXPECT_EQ(x(0), area.left) << name << " " << text << " is scrolled";
    EXPECT_LT(end, area.right) << name << " " << text << " is cut";
}

TEST(AnyResolution, TheScreenHasTheResolutionAskedFor) {
    const char* asked = std::getenv("DORIMO_TEST_DPI");
    EXPECT_EQ(dpi(), asked ? std::atoi(asked) : 96);
}

TEST(AnyResolution, TheBoxesShowTheirWidestTextsWhole) {
    App app;
    // Every digit in every place: the widest of them decides.
    for (const char* n : {"1", "2", "3", "4", "5"}) {
        for (char d = '0'; d <= '9'; ++d) {
            const std::string two(2, d), four(4, d);
            const std::string date_time = four + "/" + two + "/" + two + " " + two + ":" + two + ":" + two;
            for (const std::string& name : {"cbH" + std::string(n), "cbM" + std::string(n)}) {
                app.set_text(name, "");
                app.type(name, two);  // as a user does: the caret stays after the text
                ASSERT_EQ(app.text(name), two);
                expect_whole(text_box(app.control(name)), two, name);
            }
            for (const std::string& name : {"txtMAE" + std::string(n), "txtTUGI" + std::string(n)}) {
                app.set_text(name, date_time);
                expect_whole(app.control(name), date_time, name);
            }
        }
    }
}

}  // namespace
}  // namespace e2e
