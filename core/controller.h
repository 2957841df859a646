// The behaviour of a task slot: arming, disarming, ticks, due runs and runs
// by hand, each written to the activity log.
#pragma once

#include <memory>
#include <string>

#include "date_time.h"
#include "slot_form.h"

namespace dorimo {

// The user's short date and long time formats for the log stamp.
class StampFormat {
public:
    virtual ~StampFormat() = default;
    virtual std::string short_date(const LocalTime& t) = 0;
    virtual std::string long_time(const LocalTime& t) = 0;
};

// The system's formats: the user's locale on Windows, elsewhere
// "yyyy/mm/dd" and "h:nn:ss".
std::unique_ptr<StampFormat> make_system_stamp_format();

// The log stamp: date, a blank and time; the date alone at 00:00:00.
std::string log_stamp(StampFormat& format, const LocalTime& t);

// Toggle, tick and run now of a slot, addressed by its slot digit.
class SlotController {
public:
    SlotController(SlotForm& form, Clock& clock, StampFormat& stamp);

    void running_rtn(const std::string& digit);
    void timer_rtn(const std::string& digit);
    void run_now(const std::string& digit);

    // Adds one line to the activity log, keeping the prompt line last.
    void ADD_MEMO(const std::string& text);

private:
    void arm(const std::string& digit);
    void launch(const std::string& digit, const std::string& program);
    std::string stamp();

    SlotForm& form_;
    Clock& clock_;
    StampFormat& stamp_;
    // Each armed slot's due time by its digit, set when it is armed (empty
    // while it is not): the next-run box only shows it, so a text put there
    // by anything else runs nothing.
    std::string& due(const std::string& digit) { return due_[static_cast<unsigned char>(digit[0] - '1') % 5]; }
    std::string due_[5];
};

// Rewrites an hour or minute text for arming: a text that is not numeric, or
// a number outside 0..max, becomes "00"; a number in range two digits. Full-
// width digits count as digits: an input method types them so.
std::string repair_time_field(const std::string& text, int max);

}  // namespace dorimo
