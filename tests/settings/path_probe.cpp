// Saves the window's initial settings where the program would, beside this
// executable; exit code 0 when the save succeeded.
#include <exception>

#include "memory_form.h"
#include "settings_location.h"

int main() {
    try {
        dorimo::MemoryForm form;
        const auto settings = dorimo::settings_beside_program();
        dorimo::save_settings(form, *settings.profile, settings.path);
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}
