// Saves the window's initial settings where the program would, beside this
// executable; exit code 0 when the save succeeded.
#include <exception>

#include "memory_form.h"
#include "module_path.h"
#include "settings_io.h"

int main() {
    try {
        dorimo::MemoryForm form;
        const auto profile = dorimo::make_system_profile();
        dorimo::save_settings(form, *profile, dorimo::settings_path(dorimo::module_path()));
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}
