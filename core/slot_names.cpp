#include "slot_names.h"

#include "text_rules.h"

namespace dorimo {

std::string control_name(const std::string& prefix, const std::string& digit) {
    return prefix + digit;
}

std::string day_box_name(const std::string& digit, int day) {
    return kDayPrefix + digit + std::to_string(day);
}

bool names_equal(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

std::size_t find_component(const SlotForm& form, const std::string& name) {
    for (std::size_t i = 0; i < form.component_count(); ++i) {
        if (names_equal(form.component_name(i), name)) return i;
    }
    throw Error("コンポーネント " + name + " がありません");
}

}  // namespace dorimo
