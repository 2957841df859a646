// Task slots and how their controls are named and found.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "slot_form.h"

namespace dorimo {

// The five slot digits, in slot order.
inline const std::array<std::string, 5> kSlotDigits = {"1", "2", "3", "4", "5"};
constexpr int kDayCount = 7;  // day index 1 = Sunday .. 7 = Saturday

// Prefixes of the per-slot controls.
inline const char kPathPrefix[] = "ex_path";
inline const char kPrevPrefix[] = "txtMAE";
inline const char kNextPrefix[] = "txtTUGI";
inline const char kTimerPrefix[] = "timer";
inline const char kTogglePrefix[] = "btnGO";
inline const char kHourPrefix[] = "cbH";
inline const char kMinutePrefix[] = "cbM";
inline const char kDayPrefix[] = "chk";

// Captions of the toggle.
inline const char kCaptionDisarmed[] = "予約";
inline const char kCaptionArmed[] = "停止";

// prefix + slot digit, and "chk" + slot digit + day digit for a day box.
std::string control_name(const std::string& prefix, const std::string& digit);
std::string day_box_name(const std::string& digit, int day);

// Equal without regard to the case of ASCII letters; other bytes exactly.
bool names_equal(const std::string& a, const std::string& b);

// Index of the first component whose name matches; Error when none does.
std::size_t find_component(const SlotForm& form, const std::string& name);

}  // namespace dorimo
