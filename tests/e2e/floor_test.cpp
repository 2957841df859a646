// The benchmark's floor (bench/floor.cpp) is the program's window and nothing
// else: the same windows, controls, classes, styles, texts, places and list
// items, and no settings written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_driver.h"

namespace e2e {
namespace {

struct Child {
    int id;
    std::string cls, text;
    LONG style, ex_style;
    RECT place;  // in the form's client area
    std::vector<std::wstring> items;
};

std::vector<Child> children(HWND form) {
    std::vector<Child> found;
    for (HWND w = GetWindow(form, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        Child c{};
        c.id = GetDlgCtrlID(w);
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        c.cls = cls;
        c.text = window_text(w);
        // The picture buttons: dorimo shows an image list, the floor the bitmap.
        // (Across processes Wine gives only some of a control's own style bits.)
        c.style = GetWindowLongA(w, GWL_STYLE) & ~(BS_ICON | BS_BITMAP);
        c.ex_style = GetWindowLongA(w, GWL_EXSTYLE);
        GetWindowRect(w, &c.place);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&c.place), 2);
        const LRESULT count = c.cls == "ComboBox" ? SendMessageW(w, CB_GETCOUNT, 0, 0) : 0;
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t item[16] = {};
            SendMessageW(w, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
            c.items.push_back(item);
        }
        found.push_back(c);
    }
    return found;
}

TEST(Floor, IsTheProgramsWindowAndWritesNoSettings) {
    App dorimo(test_build());
    App::Options options;
    options.program = options.exe_name = "dorimo_floor.exe";
    App floor(options);

    EXPECT_EQ(window_text(floor.form()), window_text(dorimo.form()));
    EXPECT_EQ(window_text(floor.application_window()), window_text(dorimo.application_window()));
    EXPECT_EQ(GetWindowLongA(floor.form(), GWL_STYLE), GetWindowLongA(dorimo.form(), GWL_STYLE));
    RECT a, b;
    GetWindowRect(dorimo.form(), &a);
    GetWindowRect(floor.form(), &b);
    EXPECT_TRUE(EqualRect(&a, &b));

    const auto ours = children(dorimo.form()), its = children(floor.form());
    ASSERT_EQ(its.size(), ours.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(ours[i].id));
        EXPECT_EQ(its[i].id, ours[i].id);
        EXPECT_EQ(its[i].cls, ours[i].cls);
        EXPECT_EQ(its[i].text, ours[i].text);
        EXPECT_EQ(its[i].style, ours[i].style);
        EXPECT_EQ(its[i].ex_style, ours[i].ex_style);
        EXPECT_EQ(its[i].items, ours[i].items);
        EXPECT_TRUE(EqualRect(&its[i].place, &ours[i].place));  // labels: as wide as their text
    }

    // The same fonts, condensed ones included: a text ends at the same place
    // in the boxes of both, and the lists' items are as high.
    const std::string stamp = "2026/12/04 08:30:00";
    for (const char* name : {"cbH1", "cbM5", "txtMAE1", "txtTUGI5", "ex_path3"}) {
        SCOPED_TRACE(name);
        auto end_of_text = [&](App& app) {
            HWND box = app.control(name);
            if (HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr)) box = edit;
            if (&app == &dorimo && !IsWindowEnabled(box)) app.write_as_program(name, stamp);  // not from elsewhere
            else SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(stamp.c_str()));
            return SendMessageA(box, EM_POSFROMCHAR, stamp.size() - 1, 0);
        };
        EXPECT_EQ(end_of_text(floor), end_of_text(dorimo));
        EXPECT_EQ(SendMessageA(floor.control(name), CB_GETITEMHEIGHT, 0, 0),
                  SendMessageA(dorimo.control(name), CB_GETITEMHEIGHT, 0, 0));
    }

    EXPECT_TRUE(floor.close());
    EXPECT_EQ(GetFileAttributesA(floor.ini_path().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace e2e
