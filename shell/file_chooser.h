// One slot's file-open dialog: it remembers the name chosen last in it and
// opens from that name, not from the slot's program text.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace dorimo {

class FileChooser {
public:
    // Shows the dialog owned by `owner`, placed on the monitor of `placed_by`.
    // The full path of the chosen file, or nothing when cancelled or failed.
    std::optional<std::string> choose(HWND owner, HWND placed_by);

    const std::string& file_name() const { return file_name_; }

private:
    std::string file_name_;
};

}  // namespace dorimo
