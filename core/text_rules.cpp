#include "text_rules.h"

namespace dorimo {

std::string start_folder(const std::string& program) {
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    const bool drive = program.size() >= 3 && ascii_lower(program[0]) >= 'a' && ascii_lower(program[0]) <= 'z' &&
                       program[1] == ':' && separator(program[2]);
    const bool unc = program.size() >= 2 && separator(program[0]) && separator(program[1]);
    if (!drive && !unc) return {};
    std::size_t folder_size = 0;
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (is_lead_byte(program[i])) {
            ++i;
        } else if (separator(program[i])) {
            folder_size = i + 1;
        }
    }
    return program.substr(0, folder_size);
}

}  // namespace dorimo
