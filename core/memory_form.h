// The slots as a plain record: the window's components held in memory, with
// the same names, initial values and lookup rules. Serves the tests and any
// host without a window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "slot_form.h"

namespace dorimo {

class MemoryForm : public SlotForm {
public:
    struct Component {
        std::string name;
        std::string text;
        bool checked = false;
        bool timer_enabled = false;
    };

    // Every slot control, chkTORAY and the timers, with the window's
    // initial values; the log holds the prompt line alone.
    MemoryForm();

    std::size_t component_count() const override { return components.size(); }
    const std::string& component_name(std::size_t i) const override { return components.at(i).name; }
    std::string text(std::size_t i) const override { return components.at(i).text; }
    void set_text(std::size_t i, const std::string& t) override { components.at(i).text = t; }
    bool checked(std::size_t i) const override { return components.at(i).checked; }
    void set_checked(std::size_t i, bool c) override { components.at(i).checked = c; }
    bool timer_enabled(std::size_t i) const override { return components.at(i).timer_enabled; }
    void set_timer_enabled(std::size_t i, bool enabled) override;
    void click(std::size_t i) override;
    void replace_last_log_line(const std::vector<std::string>& lines) override;
    std::optional<std::string> open_program(const std::string& program) override {
        if (on_open) on_open(program);
        opened.push_back(program);
        return open_failure;
    }

    // Convenience access by name, with the same lookup as the core.
    Component& operator[](const std::string& name);

    std::vector<Component> components;
    std::vector<std::string> log{">"};
    std::vector<std::string> opened;       // programs handed to the shell
    std::function<void(const std::string&)> on_click;  // gets the button's name
    std::function<void(const std::string&)> on_open;   // sees each open first
    bool timers_available = true;          // false: enabling a timer fails
    std::optional<std::string> open_failure;  // the shell's answer to every open
};

}  // namespace dorimo
