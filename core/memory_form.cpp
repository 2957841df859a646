#include "memory_form.h"

#include "slot_names.h"

namespace dorimo {

MemoryForm::MemoryForm() {
    components.push_back({"chkTORAY", "起動時にタスクトレイ格納"});
    for (const std::string& n : kSlotDigits) {
        for (int d = 1; d <= kDayCount; ++d) components.push_back({day_box_name(n, d), ""});
        components.push_back({"cbH" + n, "00"});
        components.push_back({"cbM" + n, "00"});
        components.push_back({"ex_path" + n, "notepad"});
        components.push_back({"txtMAE" + n, ""});
        components.push_back({"txtTUGI" + n, ""});
        components.push_back({"btnGO" + n, kCaptionDisarmed});
        components.push_back({"btnRUN" + n, "即実行"});
        components.push_back({"Timer" + n, ""});
    }
}

void MemoryForm::set_timer_enabled(std::size_t i, bool enabled) {
    components.at(i).timer_enabled = enabled;
    if (enabled && !timers_available) throw Error("タイマーを取得できません");
}

void MemoryForm::click(std::size_t i) {
    if (on_click) on_click(components.at(i).name);
}

void MemoryForm::replace_last_log_line(const std::vector<std::string>& lines) {
    log.pop_back();
    log.insert(log.end(), lines.begin(), lines.end());
}

MemoryForm::Component& MemoryForm::operator[](const std::string& name) {
    return components.at(find_component(*this, name));
}

}  // namespace dorimo
