// Saves the window's initial settings where the program would, beside this
// executable; exit code 0 when the save succeeded.
#include <exception>

#include "memory_form.h"
#include "settings_find_read_save.h"

int main() {
    try {
        dorimo::MemoryForm form;
        const auto settings = dorimo::settings_beside_program();
        dorimo::save_settings_whole(form, settings);
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}
