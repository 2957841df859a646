#include <gtest/gtest.h>

#include "fixture.h"
#include "next_run.h"

namespace dorimo::test {

TEST(DateTime, WeekdaysAndCalendarArithmetic) {
    EXPECT_EQ(day_index(at(2024, 5, 6)), 2);   // Monday
    EXPECT_EQ(day_index(at(2024, 5, 5)), 1);   // Sunday
    EXPECT_EQ(day_index(at(2024, 5, 4)), 7);   // Saturday
    EXPECT_EQ(day_index(at(2000, 2, 29)), 3);  // Tuesday
    EXPECT_EQ(day_index(at(1969, 12, 31)), 4);

    EXPECT_EQ(date_text(add_days(at(2024, 2, 28), 1)), "2024/02/29");
    EXPECT_EQ(date_text(add_days(at(2023, 2, 28), 1)), "2023/03/01");
    EXPECT_EQ(date_text(add_days(at(2100, 2, 28), 1)), "2100/03/01");
    EXPECT_EQ(date_text(add_days(at(2024, 12, 31), 1)), "2025/01/01");
    EXPECT_EQ(date_text(add_days(at(2024, 4, 30), 6)), "2024/05/06");
    EXPECT_EQ(date_text(add_days(at(2025, 1, 1), -1)), "2024/12/31");
    EXPECT_EQ(date_time_text(add_days(at(2024, 12, 28, 23, 59, 59, 999), 7)),
              "2025/01/04 23:59:59");
    // Fields narrower and wider than their places.
    EXPECT_EQ(date_time_text(at(987, 1, 2, 3, 4, 5)), "0987/01/02 03:04:05");
    EXPECT_EQ(date_text(at(30827, 12, 31)), "30827/12/31");
}

TEST(DateTime, TextComparisonIsUnsignedBytewise) {
    EXPECT_TRUE(text_greater("2024/05/01 9:00:00", "2024/05/01 23:59:59"));
    EXPECT_FALSE(text_greater("2024/05/01 09:00:00", "2024/05/01 09:00:00"));
    EXPECT_TRUE(text_greater("2024/05/01 09:00:00", "2024/05/01 09:00"));
    EXPECT_FALSE(text_greater("", "x"));
    EXPECT_TRUE(text_greater("\x81", "9"));  // a lead byte sorts after every digit
}

class NextRun : public SlotTest {};

TEST_F(NextRun, NextRunDaysLooksForwardThenWraps) {
    EXPECT_EQ(next_run_days(form, "1", at(2024, 5, 6)), -1);  // nothing checked
    check_days("1", {2});                                     // Monday
    EXPECT_EQ(next_run_days(form, "1", at(2024, 5, 6)), 0);   // a Monday
    EXPECT_EQ(next_run_days(form, "1", at(2024, 5, 7)), 6);   // a Tuesday
    EXPECT_EQ(next_run_days(form, "1", at(2024, 5, 5)), 1);   // a Sunday

    check_days("2", {1});  // only Sunday, now a Saturday
    EXPECT_EQ(next_run_days(form, "2", at(2024, 5, 4)), 1);
    check_days("3", {1, 7});
    EXPECT_EQ(next_run_days(form, "3", at(2024, 5, 4)), 0);
    EXPECT_EQ(next_run_days(form, "3", at(2024, 5, 6)), 5);
    EXPECT_EQ(next_run_days(form, "4", at(2024, 5, 6)), -1);  // other slots untouched
}

TEST_F(NextRun, TodayCountsUntilItsTimeHasPassed) {
    check_days("1", {2});
    form["cbH1"].text = "09";
    clock.t = at(2024, 5, 6, 8, 0, 0);
    EXPECT_EQ(next_run_text(form, "1", clock), "2024/05/06 09:00:00");
    clock.t = at(2024, 5, 6, 10, 0, 0);
    EXPECT_EQ(next_run_text(form, "1", clock), "2024/05/13 09:00:00");
    clock.t = at(2024, 5, 6, 9, 0, 0, 999);  // this very second counts as passed
    EXPECT_EQ(next_run_text(form, "1", clock), "2024/05/13 09:00:00");
    clock.t = at(2024, 5, 6, 8, 59, 59, 999);
    EXPECT_EQ(next_run_text(form, "1", clock), "2024/05/06 09:00:00");
}

TEST_F(NextRun, CrossesMonthYearAndLeapDay) {
    check_days("1", {1, 2, 3, 4, 5, 6, 7});
    form["cbH1"].text = "00";
    form["cbM1"].text = "00";
    clock.t = at(2024, 12, 31, 12, 0, 0);
    EXPECT_EQ(next_run_text(form, "1", clock), "2025/01/01 00:00:00");
    clock.t = at(2024, 2, 28, 12, 0, 0);
    EXPECT_EQ(next_run_text(form, "1", clock), "2024/02/29 00:00:00");
    clock.t = at(2023, 2, 28, 12, 0, 0);
    EXPECT_EQ(next_run_text(form, "1", clock), "2023/03/01 00:00:00");
}

TEST_F(NextRun, TextsAreTakenAsTheyStand) {
    check_days("1", {4});  // Wednesday
    form["cbH1"].text = "9";
    form["cbM1"].text = "5";
    clock.t = at(2024, 5, 1, 8, 0, 0);
    const std::string next = next_run_text(form, "1", clock);
    EXPECT_EQ(next, "2024/05/01 9:5:00");
    EXPECT_FALSE(is_due(next, at(2024, 5, 1, 23, 59, 59)));  // only at the date's change
    EXPECT_TRUE(is_due(next, at(2024, 5, 2, 0, 0, 0)));
    EXPECT_TRUE(is_due("2024/05/01 09:00:00", at(2024, 5, 1, 9, 0, 0)));
    EXPECT_FALSE(is_due("2024/05/01 09:00:00", at(2024, 5, 1, 8, 59, 59, 999)));
}

}  // namespace dorimo::test
