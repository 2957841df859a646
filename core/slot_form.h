// The window as the schedule core sees it: the components it owns, found by
// name, plus the activity log and the open operation.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "error.h"

namespace dorimo {

class SlotForm {
public:
    virtual ~SlotForm() = default;

    // Components in the order the window created them.
    virtual std::size_t component_count() const = 0;
    virtual const std::string& component_name(std::size_t index) const = 0;

    // Text of an edit box, drop-down list or button caption.
    virtual std::string text(std::size_t index) const = 0;
    virtual void set_text(std::size_t index, const std::string& text) = 0;

    // Check state of a check box.
    virtual bool checked(std::size_t index) const = 0;
    virtual void set_checked(std::size_t index, bool checked) = 0;

    // The enabled flag of a timer. Enabling (re)starts its 10 000 ms period
    // and throws Error when the platform has no timer to give.
    virtual bool timer_enabled(std::size_t index) const = 0;
    virtual void set_timer_enabled(std::size_t index, bool enabled) = 0;

    // Invokes a button's click, exactly as a user's click would.
    virtual void click(std::size_t index) = 0;

    // Replaces the last line of the activity log with the given lines.
    virtual void replace_last_log_line(const std::vector<std::string>& lines) = 0;

    // Hands a program or document to the shell. Nothing when the shell
    // started it; otherwise the system's message saying why it could not.
    virtual std::optional<std::string> open_program(const std::string& program) = 0;
};

}  // namespace dorimo
