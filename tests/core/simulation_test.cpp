// Weeks of simulated time: random slots ticking every 10 s, checked against a
// run list worked out here with a calendar of the test's own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>

#include "fixture.h"

namespace dorimo::test {
namespace {

using Ms = std::int64_t;
constexpr Ms kSecond = 1000;
constexpr Ms kDay = 86400 * kSecond;
constexpr Ms kTick = 10 * kSecond;
constexpr Ms kNever = INT64_MAX;

struct Date {
    int y, m, d;
};

// Zeller's congruence, as day index 1 = Sunday .. 7 = Saturday.
int weekday(const Date& date) {
    int y = date.y, m = date.m;
    if (m < 3) {
        m += 12;
        --y;
    }
    const int h = (date.d + 13 * (m + 1) / 5 + y % 100 + y % 100 / 4 + y / 100 / 4 + 5 * (y / 100)) % 7;
    return (h + 6) % 7 + 1;
}

// Consecutive dates from a first one, one day at a time.
std::vector<Date> calendar(Date first, int days) {
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::vector<Date> out{first};
    while (static_cast<int>(out.size()) < days) {
        Date d = out.back();
        const bool leap = (d.y % 4 == 0 && d.y % 100 != 0) || d.y % 400 == 0;
        const int length = lengths[d.m - 1] + (d.m == 2 && leap ? 1 : 0);
        if (++d.d > length) {
            d.d = 1;
            if (++d.m > 12) {
                d.m = 1;
                ++d.y;
            }
        }
        out.push_back(d);
    }
    return out;
}

// Time as milliseconds since midnight of the calendar's first date.
struct SimClock : Clock {
    std::vector<Date> days;
    Ms ms = 0;
    LocalTime now() override { return local(ms); }
    LocalTime local(Ms t) const {
        const Date& d = days.at(static_cast<std::size_t>(t / kDay));
        const Ms in_day = t % kDay;
        return at(d.y, d.m, d.d, static_cast<int>(in_day / 3600000), static_cast<int>(in_day / 60000 % 60),
                  static_cast<int>(in_day / 1000 % 60), static_cast<int>(in_day % 1000));
    }
    std::string text(Ms t) const {
        const LocalTime l = local(t);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", l.year, l.month, l.day, l.hour,
                      l.minute, l.second);
        return buf;
    }
};

// The slots in memory, with each timer ticking every 10 s from its enabling.
struct SimForm : MemoryForm {
    SimClock* clock = nullptr;
    std::map<std::string, Ms> next_tick;  // by slot digit
    void set_timer_enabled(std::size_t i, bool enabled) override {
        MemoryForm::set_timer_enabled(i, enabled);
        const std::string digit = component_name(i).substr(5);
        next_tick[digit] = enabled ? clock->ms + kTick : kNever;
    }
};

struct ExpectedRun {
    std::string slot;
    std::string due;  // the next-run text that fell due
    Ms earliest;      // the tick must come at or after this
};

struct SlotSetup {
    int days_mask = 0;  // bit d for day index d
    int hour = 0, minute = 0;
    std::string hour_text, minute_text;
};

TEST(Simulation, EveryRunHappensOnceWithinATick) {
    SimClock clock;
    clock.days = calendar({2027, 12, 29}, 68);  // over a year end, month ends and 29 February
    const Ms start = 10 * 3600 * kSecond + 17 * 60 * kSecond + 33250;
    const Ms end = 66 * kDay;
    const Ms jump_from = 31 * kDay + 11 * 3600 * kSecond + 40 * 60 * kSecond + 20 * kSecond;
    const Ms jump_to = jump_from + 36 * 3600 * kSecond + 5500;  // a day and a half asleep

    SimForm form;
    form.clock = &clock;
    auto format = make_system_stamp_format();
    SlotController ctl(form, clock, *format);
    form.on_click = [&](const std::string& name) { ctl.running_rtn(name.substr(5)); };

    std::mt19937 random(20240501);
    std::map<std::string, SlotSetup> setups;
    for (const std::string& n : kSlotDigits) {
        SlotSetup s;
        s.days_mask = static_cast<int>(random() % 128) << 1;
        if (n == "1") s.days_mask = 0;            // one slot with no day
        if (n == "2") s.days_mask = 0xFE;         // one slot every day
        s.hour = static_cast<int>(random() % 24);
        s.minute = n == "3" ? 5 : static_cast<int>(random() % 6) * 10;
        char buf[8];
        std::snprintf(buf, sizeof buf, random() % 2 ? "%d" : "%02d", s.hour);
        s.hour_text = buf;
        std::snprintf(buf, sizeof buf, "%02d", s.minute);
        s.minute_text = buf;
        for (int d = 1; d <= kDayCount; ++d) form[day_box_name(n, d)].checked = (s.days_mask >> d) & 1;
        form["cbH" + n].text = s.hour_text;
        form["cbM" + n].text = s.minute_text;
        form["ex_path" + n].text = "prog" + n;
        setups[n] = s;
    }

    // The expected runs: every matching day's time after arming, with those
    // that fell due while asleep made into one run at the first tick after.
    std::vector<ExpectedRun> expected;
    for (const auto& [n, s] : setups) {
        bool slept_run = false;
        for (std::size_t i = 0; i < clock.days.size(); ++i) {
            if (!((s.days_mask >> weekday(clock.days[i])) & 1)) continue;
            const Ms due = static_cast<Ms>(i) * kDay + s.hour * 3600 * kSecond + s.minute * 60 * kSecond;
            if (due <= start || due > end - kTick) continue;
            if (due > jump_from && due <= jump_to) {
                if (!slept_run) expected.push_back({n, clock.text(due), jump_to});
                slept_run = true;
                continue;
            }
            expected.push_back({n, clock.text(due), due});
        }
    }

    clock.ms = start;
    for (const std::string& n : kSlotDigits) ctl.running_rtn(n);

    std::vector<std::pair<ExpectedRun, Ms>> actual;  // run and the time of its tick
    bool jumped = false;
    for (;;) {
        auto slot = form.next_tick.begin();
        for (auto it = form.next_tick.begin(); it != form.next_tick.end(); ++it) {
            if (it->second < slot->second) slot = it;
        }
        if (slot == form.next_tick.end() || slot->second > end) break;
        if (!jumped && slot->second > jump_from) {
            jumped = true;
            for (auto& [n, tick] : form.next_tick) {
                if (tick != kNever && tick < jump_to) tick += (jump_to - tick + kTick - 1) / kTick * kTick;
            }
            continue;
        }
        clock.ms = slot->second;
        slot->second += kTick;
        const std::size_t opened = form.opened.size();
        ctl.timer_rtn(slot->first);
        if (form.opened.size() != opened) {
            ASSERT_EQ(form.opened.back(), "prog" + slot->first);
            actual.push_back({{slot->first, form["txtMAE" + slot->first].text, 0}, clock.ms});
        }
    }

    std::map<std::string, std::vector<std::pair<ExpectedRun, Ms>>> by_slot;
    for (const auto& a : actual) by_slot[a.first.slot].push_back(a);
    std::size_t checked = 0;
    for (const std::string& n : kSlotDigits) {
        std::vector<ExpectedRun> want;
        for (const ExpectedRun& r : expected) {
            if (r.slot == n) want.push_back(r);
        }
        const auto& got = by_slot[n];
        ASSERT_EQ(got.size(), want.size()) << "slot " << n;
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].first.due, want[i].due) << "slot " << n << " run " << i;
            EXPECT_GE(got[i].second, want[i].earliest) << want[i].due;
            EXPECT_LT(got[i].second, want[i].earliest + kTick) << want[i].due;
            ++checked;
        }
    }
    EXPECT_GT(checked, 60u);
    EXPECT_TRUE(by_slot["1"].empty());
    // The every-day slot missed a run or two while asleep and made up exactly one.
    std::size_t slept = 0;
    for (const auto& [run, tick] : by_slot["2"]) slept += tick >= jump_to && tick < jump_to + kTick;
    EXPECT_EQ(slept, 1u);
}

}  // namespace
}  // namespace dorimo::test
