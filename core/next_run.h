// When a slot runs next, and whether an armed slot is due.
#pragma once

#include <string>

#include "date_time.h"
#include "slot_form.h"

namespace dorimo {

// Days from the moment's weekday to the nearest checked weekday of the slot,
// the moment's own day counting as 0; -1 when no day box is checked.
int next_run_days(const SlotForm& form, const std::string& digit, const LocalTime& moment);

// Run day's "yyyy/mm/dd" + " " + hour + ":" + minute + ":00".
std::string compose_next_run(const LocalTime& run_day, const std::string& hour,
                             const std::string& minute);

// Due when the next-run text is not greater than the current date-time text.
bool is_due(const std::string& next_run, const LocalTime& now);

// The next-run text of the slot from the clock's current time, using the
// slot's hour and minute texts as they stand; empty when no day is checked.
std::string next_run_text(const SlotForm& form, const std::string& digit, Clock& clock);

}  // namespace dorimo
