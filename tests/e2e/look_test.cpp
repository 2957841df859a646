// How the window looks: texts whole in their boxes at any screen resolution,
// the picture buttons' glyph grown with the layout, texts readable in a dark
// colour scheme, the title bar's symbols. The AnyResolution tests run a
// second time on a screen of 144 pixels per inch (at_dpi.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app_driver.h"

namespace e2e {
namespace {

// The screen's resolution, and the layout's scale: its font's character
// height over 12.
int dpi() {
    HDC screen = GetDC(nullptr);
    const int d = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return d;
}
int scaled(int pixels) { return MulDiv(pixels, MulDiv(12, dpi(), 96), 12); }

// The pixels of a window's client area as the screen shows them.
class Capture {
public:
    explicit Capture(HWND window) {
        RECT r;
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
        width_ = r.right - r.left;
        height_ = r.bottom - r.top;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width_, height_, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const DWORD*>(bits);
        pixels_.assign(p, p + width_ * height_);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF at(int x, int y) const {
        const DWORD v = pixels_[static_cast<std::size_t>(y * width_ + x)];  // 0x00RRGGBB
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<DWORD> pixels_;
};

int distance(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

// Pixels of a captured area that stand out from its background, and how many
// of them are near the given text colour.
struct Ink {
    int pixels = 0, near_text = 0;
};
Ink ink(const Capture& c, RECT area, COLORREF background, COLORREF text) {
    Ink found;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF p = c.at(x, y);
            if (distance(p, background) < 96) continue;
            ++found.pixels;
            if (distance(p, text) < distance(p, background)) ++found.near_text;
        }
    }
    return found;
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

TEST(AnyResolution, TheGlyphGrowsWithTheLayout) {
    App app;
    HWND button = app.control("BitBtn1");
    // The glyph: what is neither the button's face nor its frame.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    RECT glyph{};
    ASSERT_TRUE(wait_for([&] {
        const Capture c(button);
        glyph = {c.width(), c.height(), 0, 0};
        for (int y = 3; y < c.height() - 3; ++y) {
            for (int x = 3; x < c.width() - 3; ++x) {
                if (distance(c.at(x, y), face) < 48) continue;
                glyph.left = std::min<LONG>(glyph.left, x), glyph.right = std::max<LONG>(glyph.right, x + 1);
                glyph.top = std::min<LONG>(glyph.top, y), glyph.bottom = std::max<LONG>(glyph.bottom, y + 1);
            }
        }
        return glyph.right > glyph.left;
    }));
    // The picture is 17 x 15 pixels with a little background at its edges.
    EXPECT_LE(glyph.right - glyph.left, scaled(17));
    EXPECT_GE(glyph.right - glyph.left, scaled(17) * 4 / 5);
    EXPECT_LE(glyph.bottom - glyph.top, scaled(15));
    EXPECT_GE(glyph.bottom - glyph.top, scaled(15) * 4 / 5);
}

// A dark colour scheme for one test, the user's own again afterwards.
class DarkScheme : public ::testing::Test {
protected:
    static constexpr int kElements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT,
                                        COLOR_SCROLLBAR, COLOR_GRAYTEXT};
    static constexpr int kCount = sizeof kElements / sizeof kElements[0];

    void SetUp() override {
        for (int i = 0; i < kCount; ++i) saved_[i] = GetSysColor(kElements[i]);
        const COLORREF dark[kCount] = {RGB(0, 0, 0),       RGB(255, 255, 255), RGB(48, 48, 48),
                                       RGB(240, 240, 240), RGB(64, 64, 64),    RGB(160, 160, 160)};
        ASSERT_TRUE(SetSysColors(kCount, kElements, dark));
    }
    void TearDown() override { SetSysColors(kCount, kElements, saved_); }

private:
    COLORREF saved_[kCount] = {};
};

TEST_F(DarkScheme, TheLogAndTheCheckBoxCaptionAreReadable) {
    App app;
    app.click("btnGO1");  // a line of text in the log
    HWND memo = app.control("MEMOMO");
    const COLORREF window = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_WINDOWTEXT);
    const int line = scaled(13);  // the first line of the log, and a little more
    Ink log;
    wait_for([&] {
        const Capture c(memo);
        log = ink(c, {0, 0, c.width() - GetSystemMetrics(SM_CXVSCROLL), line}, window, text);
        return log.pixels > 50;
    });
    EXPECT_GT(log.pixels, 50) << "the log's first line does not show";
    EXPECT_GT(log.near_text, log.pixels / 2);

    // The caption of the start-up option, right of its box.
    HWND option = app.control("chkTORAY");
    const Capture c(option);
    const Ink caption = ink(c, {scaled(17), 0, c.width(), c.height()}, GetSysColor(COLOR_BTNFACE), text);
    EXPECT_GT(caption.pixels, 50) << "the option's caption does not show";
    EXPECT_GT(caption.near_text, caption.pixels / 2);
}

// High contrast on for one test (in the user's settings, where the program
// reads it), off again afterwards. Wine cannot set it; there the test is
// skipped.
class HighContrast : public ::testing::Test {
protected:
    void SetUp() override {
        if (!set(HCF_HIGHCONTRASTON)) GTEST_SKIP() << "high contrast cannot be set here";
    }
    void TearDown() override { set(0); }

private:
    static bool set(DWORD flags) {
        HIGHCONTRASTA setting{};
        setting.cbSize = sizeof setting;
        setting.dwFlags = flags;
        return SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof setting, &setting, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    }
};

// The Sunday heading is blue, but in the window-text colour under high
// contrast, where blue may be unreadable on the scheme's background.
TEST_F(HighContrast, TheColouredDayHeadingsTakeTheWindowTextColour) {
    App app;
    const Capture c(app.control("Label8"));
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const Ink heading = ink(c, {0, 0, c.width(), c.height()}, GetSysColor(COLOR_BTNFACE), text);
    ASSERT_GT(heading.pixels, 10) << "the heading does not show";
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) EXPECT_NE(c.at(x, y), RGB(0, 0, 255)) << x << "," << y;
}

// Wine draws the title bar's buttons with its symbol font; without it they
// show as the letters "0 1 r".
TEST(TitleBar, TheSymbolFontOfItsButtonsIsThere) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, "Marlett");
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    EXPECT_STREQ(face, "Marlett");
}

}  // namespace
}  // namespace e2e
