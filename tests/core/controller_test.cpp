#include <gtest/gtest.h>

#include <vector>

#include "fixture.h"

namespace dorimo::test {

using Lines = std::vector<std::string>;

class Toggle : public SlotTest {};

TEST_F(Toggle, ArmsWithTheLineAndDisarmsKeepingThePreviousRun) {
    check_days("1", {2});  // Monday
    form["cbH1"].text = "13";
    form["cbM1"].text = "20";
    form["txtMAE1"].text = "2024/04/29 13:20:00";
    clock.t = at(2024, 5, 1, 9, 5, 0);
    const std::string armed = stamp();
    ctl.running_rtn("1");

    EXPECT_TRUE(form["Timer1"].timer_enabled);
    EXPECT_EQ(form["btnGO1"].text, "停止");
    EXPECT_EQ(form["txtTUGI1"].text, "2024/05/06 13:20:00");

    clock.t = at(2024, 5, 1, 9, 6, 10);
    ctl.running_rtn("1");
    EXPECT_FALSE(form["Timer1"].timer_enabled);
    EXPECT_EQ(form["btnGO1"].text, "予約");
    EXPECT_EQ(form["txtTUGI1"].text, "");
    EXPECT_EQ(form["txtMAE1"].text, "2024/04/29 13:20:00");
    EXPECT_EQ(form.log, (Lines{"登録1予約 " + armed + "  次回実行日時<2024/05/06 13:20:00>",
                               "登録1停止 " + stamp(), ">"}));
}

TEST_F(Toggle, WithNoDayCheckedStaysDisarmed) {
    form["txtTUGI3"].text = "stored";
    ctl.running_rtn("3");
    EXPECT_FALSE(form["Timer3"].timer_enabled);
    EXPECT_EQ(form["txtTUGI3"].text, "");
    EXPECT_EQ(form["btnGO3"].text, "予約");
    EXPECT_EQ(form.log, (Lines{"登録3停止 " + stamp(), ">"}));
}

TEST_F(Toggle, RepairsHourAndMinuteBeforeArming) {
    const struct {
        const char* hour;
        const char* minute;
        const char* want_hour;
        const char* want_minute;
    } cases[] = {
        {"ab", "10", "00", "10"}, {"9", "5", "09", "05"},  {"+7", "$A", "07", "10"},
        {"24", "60", "00", "00"}, {"-1", "", "00", "00"},  {"23", "59", "23", "59"},
        {" 8", "7 ", "08", "00"}, {"１２", "３０", "12", "30"}, {"2４", "５", "00", "05"},
        {"ａ", "０9", "00", "09"},  // full-width digits are digits, nothing else of that width
    };
    check_days("2", {1, 2, 3, 4, 5, 6, 7});
    for (const auto& c : cases) {
        form["Timer2"].timer_enabled = false;
        form["cbH2"].text = c.hour;
        form["cbM2"].text = c.minute;
        ctl.running_rtn("2");
        EXPECT_EQ(form["cbH2"].text, c.want_hour) << c.hour;
        EXPECT_EQ(form["cbM2"].text, c.want_minute) << c.minute;
        EXPECT_EQ(form["txtTUGI2"].text.substr(11),
                  std::string(c.want_hour) + ":" + c.want_minute + ":00");
    }
}

TEST_F(Toggle, ArmingAtTheRunSecondSchedulesAWeekLater) {
    check_days("1", {2});
    form["cbH1"].text = "09";
    clock.t = at(2024, 5, 6, 9, 0, 5);
    ctl.running_rtn("1");
    EXPECT_EQ(form["txtTUGI1"].text, "2024/05/13 09:00:00");
}

TEST_F(Toggle, WithoutATimerTheErrorIsRaisedAndTheSlotStaysDisarmed) {
    check_days("4", {1});
    form.timers_available = false;
    EXPECT_THROW(
        try { ctl.running_rtn("4"); } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "タイマーを取得できません");
            throw;
        },
        Error);
    EXPECT_FALSE(form["Timer4"].timer_enabled);
    EXPECT_EQ(form["txtTUGI4"].text, "");
    EXPECT_EQ(form["btnGO4"].text, "予約");
    EXPECT_EQ(form.log, Lines{">"});
}

class Tick : public SlotTest {
protected:
    void arm_slot1_for_monday_1320() {
        check_days("1", {2});
        form["cbH1"].text = "13";
        form["cbM1"].text = "20";
        clock.t = at(2024, 5, 1, 9, 5, 0);
        ctl.running_rtn("1");
        form.log = {">"};
    }
};

// The slot runs at the time it armed, whatever its next-run box shows.
TEST_F(Tick, BeforeTheRunNothingHappens) {
    arm_slot1_for_monday_1320();
    form["txtTUGI1"].text = "2000/01/01 00:00:00";
    clock.t = at(2024, 5, 6, 13, 19, 59, 999);
    ctl.timer_rtn("1");
    EXPECT_EQ(form.log, Lines{">"});
    EXPECT_EQ(form["txtMAE1"].text, "");
    EXPECT_TRUE(form.opened.empty());
}

TEST_F(Tick, ADueRunLogsReArmsAndThenOpensTheProgram) {
    arm_slot1_for_monday_1320();
    form["txtTUGI1"].text = "2099/01/01 00:00:00";
    clock.t = at(2024, 5, 6, 13, 20, 4);
    const std::string due = stamp();
    ctl.timer_rtn("1");

    EXPECT_EQ(form["txtMAE1"].text, "2024/05/06 13:20:00");
    EXPECT_EQ(form["txtTUGI1"].text, "2024/05/13 13:20:00");
    EXPECT_TRUE(form["Timer1"].timer_enabled);
    EXPECT_EQ(form["btnGO1"].text, "停止");
    EXPECT_EQ(form.log, (Lines{"登録1実行 " + due + " 開始★<notepad>",
                               "登録1予約 " + due + "  次回実行日時<2024/05/13 13:20:00>", ">"}));
    EXPECT_EQ(form.opened, Lines{"notepad"});
}

TEST_F(Tick, OpensOnlyAfterBothLinesAreWritten) {
    arm_slot1_for_monday_1320();
    Lines log_at_open;
    form.on_open = [&](const std::string&) { log_at_open = form.log; };
    clock.t = at(2024, 5, 6, 13, 20, 0);
    ctl.timer_rtn("1");
    EXPECT_EQ(log_at_open, form.log);
    EXPECT_EQ(log_at_open.size(), 3u);
}

TEST_F(Tick, ADueRunWithNoDayLeftEndsDisarmedAndStillOpens) {
    arm_slot1_for_monday_1320();
    form["chk12"].checked = false;
    form["ex_path1"].text = "";
    clock.t = at(2024, 5, 6, 13, 20, 9);
    ctl.timer_rtn("1");
    EXPECT_FALSE(form["Timer1"].timer_enabled);
    EXPECT_EQ(form["txtTUGI1"].text, "");
    EXPECT_EQ(form.log,
              (Lines{"登録1実行 " + stamp() + " 開始★<>", "登録1停止 " + stamp(), ">"}));
    EXPECT_EQ(form.opened, Lines{""});
}

TEST_F(Tick, RunNowLeavesTheSlotAsItWas) {
    arm_slot1_for_monday_1320();
    form["ex_path1"].text = "C:\\tools\\report.bat";
    clock.t = at(2024, 5, 1, 9, 7, 0);
    ctl.run_now("1");
    EXPECT_EQ(form.log, (Lines{"登録1即実行 " + stamp() + " <C:\\tools\\report.bat>", ">"}));
    EXPECT_EQ(form.opened, Lines{"C:\\tools\\report.bat"});
    EXPECT_TRUE(form["Timer1"].timer_enabled);
    EXPECT_EQ(form["txtTUGI1"].text, "2024/05/06 13:20:00");
    EXPECT_EQ(form["txtMAE1"].text, "");
    form["ex_path1"].text = "";
    ctl.run_now("1");
    EXPECT_EQ(form.log[1], "登録1即実行 " + stamp() + " <>");
}

TEST_F(Tick, AProgramThatCannotStartGetsALineAfterTheRunsLines) {
    arm_slot1_for_monday_1320();
    form["ex_path1"].text = "C:\\gone.cmd";
    form.open_failure = "ファイルが見つかりません。";
    clock.t = at(2024, 5, 6, 13, 20, 4);
    ctl.timer_rtn("1");
    const std::string failed = "登録1起動失敗 " + stamp() + " <C:\\gone.cmd> ファイルが見つかりません。";
    ASSERT_EQ(form.log.size(), 4u);
    EXPECT_EQ(form.log[1], "登録1予約 " + stamp() + "  次回実行日時<2024/05/13 13:20:00>");
    EXPECT_EQ(form.log[2], failed);

    form.log = {">"};
    ctl.run_now("1");
    EXPECT_EQ(form.log, (Lines{"登録1即実行 " + stamp() + " <C:\\gone.cmd>", failed, ">"}));
}

TEST(Names, LookupIgnoresAsciiCaseAndTakesTheFirstMatch) {
    MemoryForm form;
    EXPECT_EQ(form.component_name(find_component(form, "timer3")), "Timer3");
    EXPECT_EQ(form.component_name(find_component(form, "TIMER3")), "Timer3");
    EXPECT_EQ(form.component_name(find_component(form, "EX_PATH5")), "ex_path5");
    form.components.insert(form.components.begin(), {"TIMER3", "first"});
    EXPECT_EQ(form.text(find_component(form, "timer3")), "first");
    EXPECT_THROW(find_component(form, "timer6"), Error);
    EXPECT_THROW(find_component(form, "timer0"), Error);
}

TEST(Log, StampAndPromptLine) {
    auto format = make_system_stamp_format();
    const std::string midnight = log_stamp(*format, at(2024, 5, 1, 0, 0, 0, 400));
    EXPECT_EQ(midnight, format->short_date(at(2024, 5, 1)));
    EXPECT_EQ(log_stamp(*format, at(2024, 5, 1, 0, 0, 1)),
              format->short_date(at(2024, 5, 1)) + " " + format->long_time(at(2024, 5, 1, 0, 0, 1)));

    MemoryForm form;
    FakeClock clock;
    SlotController ctl(form, clock, *format);
    ctl.ADD_MEMO("one");
    EXPECT_EQ(form.log, (Lines{"one", ">"}));
    ctl.ADD_MEMO("two");
    EXPECT_EQ(form.log, (Lines{"one", "two", ">"}));
}

TEST(Log, StampUsesTheLocaleFormats) {
    auto format = make_system_stamp_format();
#ifdef _WIN32
    // Japanese formats: the date in the locale's short form, the hour unpadded.
    const std::string time = format->long_time(at(2024, 5, 1, 9, 5, 0));
    EXPECT_EQ(time, "9:05:00");
    EXPECT_EQ(format->short_date(at(2024, 5, 1)).substr(0, 5), "2024/");
#else
    EXPECT_EQ(log_stamp(*format, at(2024, 5, 1, 9, 5, 0)), "2024/05/01 9:05:00");
    EXPECT_EQ(log_stamp(*format, at(2024, 5, 1, 23, 0, 0)), "2024/05/01 23:00:00");
#endif
}

}  // namespace dorimo::test
