#include "next_run.h"

#include "slot_names.h"

namespace dorimo {

int next_run_days(const SlotForm& form, const std::string& digit, const LocalTime& moment) {
    bool checked[kDayCount + 1] = {};
    int count = 0;
    for (int d = 1; d <= kDayCount; ++d) {
        checked[d] = form.checked(find_component(form, day_box_name(digit, d)));
        if (checked[d]) ++count;
    }
    if (count == 0) return -1;

    const int w = day_index(moment);
    for (int d = w; d <= kDayCount; ++d) {
        if (checked[d]) return d - w;
    }
    for (int d = 1; d <= w; ++d) {
        if (checked[d]) return d - w + 7;
    }
    return -1;
}

std::string compose_next_run(const LocalTime& run_day, const std::string& hour,
                             const std::string& minute) {
    return date_text(run_day) + " " + hour + ":" + minute + ":00";
}

bool is_due(const std::string& next_run, const LocalTime& now) {
    return !text_greater(next_run, date_time_text(now));
}

std::string next_run_text(const SlotForm& form, const std::string& digit, Clock& clock) {
    const std::string hour = form.text(find_component(form, control_name(kHourPrefix, digit)));
    const std::string minute =
        form.text(find_component(form, control_name(kMinutePrefix, digit)));

    const LocalTime now = clock.now();
    int k = next_run_days(form, digit, now);
    if (k < 0) return "";
    std::string next = compose_next_run(add_days(now, k), hour, minute);

    if (is_due(next, clock.now())) {
        // Today's time has passed (or is this very second): look from tomorrow.
        const LocalTime tomorrow = add_days(clock.now(), 1);
        k = next_run_days(form, digit, tomorrow);
        if (k < 0) return "";
        next = compose_next_run(add_days(tomorrow, k), hour, minute);
    }
    return next;
}

}  // namespace dorimo
