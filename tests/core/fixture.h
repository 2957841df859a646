// Slots in memory with a clock the test sets, wired like the window: a click
// on a toggle reaches running_rtn, a click on a run button run now.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "controller.h"
#include "memory_form.h"
#include "slot_names.h"

namespace dorimo::test {

inline LocalTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    LocalTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    t.millisecond = ms;
    return t;
}

struct FakeClock : Clock {
    LocalTime t = at(2024, 5, 1, 9, 5, 0);
    int reads = 0;
    LocalTime now() override {
        ++reads;
        return t;
    }
};

class SlotTest : public ::testing::Test {
protected:
    SlotTest() {
        form.on_click = [this](const std::string& name) {
            if (name.rfind("btnGO", 0) == 0) ctl.running_rtn(name.substr(5));
            if (name.rfind("btnRUN", 0) == 0) ctl.run_now(name.substr(6));
        };
    }

    void check_days(const std::string& digit, std::initializer_list<int> days) {
        for (int d : days) form[day_box_name(digit, d)].checked = true;
    }
    std::string stamp() { return log_stamp(*format, clock.t); }

    MemoryForm form;
    FakeClock clock;
    std::unique_ptr<StampFormat> format = make_system_stamp_format();
    SlotController ctl{form, clock, *format};
};

}  // namespace dorimo::test
