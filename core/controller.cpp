#include "controller.h"

#include "int_parse.h"
#include "next_run.h"
#include "slot_names.h"

namespace dorimo {

std::string log_stamp(StampFormat& format, const LocalTime& t) {
    if (t.hour == 0 && t.minute == 0 && t.second == 0) return format.short_date(t);
    return format.short_date(t) + " " + format.long_time(t);
}

std::string repair_time_field(const std::string& text, int max) {
    const auto value = parse_int32(narrow_digits(text));
    if (!value || *value < 0 || *value > max) return "00";
    const int v = *value;
    return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

SlotController::SlotController(SlotForm& form, Clock& clock, StampFormat& stamp)
    : form_(form), clock_(clock), stamp_(stamp) {}

std::string SlotController::stamp() { return log_stamp(stamp_, clock_.now()); }

void SlotController::ADD_MEMO(const std::string& text) {
    form_.replace_last_log_line({text, ">"});
}

void SlotController::running_rtn(const std::string& digit) {
    const std::size_t next = find_component(form_, control_name(kNextPrefix, digit));
    const std::size_t timer = find_component(form_, control_name(kTimerPrefix, digit));
    const std::size_t toggle = find_component(form_, control_name(kTogglePrefix, digit));

    if (form_.timer_enabled(timer)) {
        form_.set_timer_enabled(timer, false);
        due(digit).clear();
        form_.set_text(toggle, kCaptionDisarmed);
        form_.set_text(next, "");
        ADD_MEMO("登録" + digit + "停止 " + stamp());
        return;
    }
    arm(digit);
}

void SlotController::arm(const std::string& digit) {
    const std::size_t next = find_component(form_, control_name(kNextPrefix, digit));
    const std::size_t timer = find_component(form_, control_name(kTimerPrefix, digit));
    const std::size_t toggle = find_component(form_, control_name(kTogglePrefix, digit));
    const std::size_t hour = find_component(form_, control_name(kHourPrefix, digit));
    const std::size_t minute = find_component(form_, control_name(kMinutePrefix, digit));

    form_.set_text(hour, repair_time_field(form_.text(hour), 23));
    form_.set_text(minute, repair_time_field(form_.text(minute), 59));

    const std::string next_run = next_run_text(form_, digit, clock_);
    form_.set_text(next, next_run);
    due(digit).clear();

    if (next_run.empty()) {
        form_.set_timer_enabled(timer, false);
        form_.set_text(toggle, kCaptionDisarmed);
        ADD_MEMO("登録" + digit + "停止 " + stamp());
        return;
    }

    try {
        form_.set_timer_enabled(timer, true);
        due(digit) = next_run;
    } catch (...) {
        // Without a timer the slot would never run: leave it disarmed.
        form_.set_timer_enabled(timer, false);
        form_.set_text(next, "");
        form_.set_text(toggle, kCaptionDisarmed);
        throw;
    }
    form_.set_text(toggle, kCaptionArmed);
    ADD_MEMO("登録" + digit + "予約 " + stamp() + "  次回実行日時<" + next_run + ">");
}

void SlotController::timer_rtn(const std::string& digit) {
    const std::size_t path = find_component(form_, control_name(kPathPrefix, digit));
    const std::size_t prev = find_component(form_, control_name(kPrevPrefix, digit));
    const std::size_t timer = find_component(form_, control_name(kTimerPrefix, digit));
    const std::size_t toggle = find_component(form_, control_name(kTogglePrefix, digit));

    const std::string next_run = due(digit);
    if (next_run.empty() || !is_due(next_run, clock_.now())) return;

    form_.set_text(prev, next_run);
    form_.set_timer_enabled(timer, false);
    ADD_MEMO("登録" + digit + "実行 " + stamp() + " 開始★<" + form_.text(path) + ">");
    form_.click(toggle);
    launch(digit, form_.text(path));
}

void SlotController::run_now(const std::string& digit) {
    const std::size_t path = find_component(form_, control_name(kPathPrefix, digit));
    const std::string program = form_.text(path);
    ADD_MEMO("登録" + digit + "即実行 " + stamp() + " <" + program + ">");
    launch(digit, program);
}

// Opens the program; a program the shell could not start gets a line of its
// own after the run's lines, so the log never says only that it ran.
void SlotController::launch(const std::string& digit, const std::string& program) {
    if (const auto failure = form_.open_program(program))
        ADD_MEMO("登録" + digit + "起動失敗 " + stamp() + " <" + program + "> " + *failure);
}

}  // namespace dorimo
