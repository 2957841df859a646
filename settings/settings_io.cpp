#include "settings_io.h"

#include "cp932.h"
#include "settings_file.h"
#include "slot_names.h"

namespace dorimo {

namespace {

constexpr char kMainSection[] = "main";
constexpr char kTrayKey[] = "tray";
constexpr char kTrayControl[] = "chkTORAY";

// The text keys of a slot's section after its seven day boxes, in the order
// they are read and written: key prefix, control prefix, default.
struct TextKey {
    const char* key;
    const char* control;
    const char* default_text;
};
constexpr TextKey kTextKeys[] = {
    {"H", kHourPrefix, "00"},   {"M", kMinutePrefix, "00"}, {"path", kPathPrefix, "notepad"},
    {"MAE", kPrevPrefix, ""},   {"TUGI", kNextPrefix, ""},
};

std::string slot_section(const std::string& digit) { return "rtn" + digit; }

}  // namespace

EIniFileException::EIniFileException(const std::string& path, const char* reason)
    : Error(path + " に書き込めません" + reason) {}

std::string settings_path(const std::string& module_path) {
    // Walk forward so that every second byte of a double-byte character is
    // known as such; the folder ends after the last separator seen.
    std::size_t folder_size = 0;
    for (std::size_t i = 0; i < module_path.size(); ++i) {
        const char c = module_path[i];
        if (is_lead_byte(c)) {
            ++i;
        } else if (c == '\\' || c == ':') {
            folder_size = i + 1;
        }
    }
    return module_path.substr(0, folder_size) + "dorimo.ini";
}

void load_settings(SlotForm& form, ProfileFunctions& profile, const std::string& path) {
    SettingsFile file(profile, path);
    form.set_checked(find_component(form, kTrayControl), file.read_flag(kMainSection, kTrayKey, false));

    for (const std::string& n : kSlotDigits) {
        const std::string section = slot_section(n);
        for (int d = 1; d <= kDayCount; ++d) {
            const std::string day = day_box_name(n, d);
            form.set_checked(find_component(form, day), file.read_flag(section, day, false));
        }
        for (const TextKey& k : kTextKeys) {
            form.set_text(find_component(form, control_name(k.control, n)),
                          file.read_text(section, k.key + n, k.default_text));
        }
        // A stored next-run text means the slot was armed when saved; the
        // toggle arms it anew from now (the timer is off after creation).
        if (!form.text(find_component(form, control_name(kNextPrefix, n))).empty())
            form.click(find_component(form, control_name(kTogglePrefix, n)));
    }
}

void save_settings(const SlotForm& form, ProfileFunctions& profile, const std::string& path) {
    SettingsFile file(profile, path);
    file.write_flag(kMainSection, kTrayKey, form.checked(find_component(form, kTrayControl)));

    for (const std::string& n : kSlotDigits) {
        const std::string section = slot_section(n);
        for (int d = 1; d <= kDayCount; ++d) {
            const std::string day = day_box_name(n, d);
            file.write_flag(section, day, form.checked(find_component(form, day)));
        }
        for (const TextKey& k : kTextKeys)
            file.write_text(section, k.key + n, form.text(find_component(form, control_name(k.control, n))));
    }
}

}  // namespace dorimo
