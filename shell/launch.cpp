#include "launch.h"

#include <shellapi.h>

namespace dorimo {

void open_through_shell(HWND owner, const std::string& program) {
    ShellExecuteA(owner, "open", program.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace dorimo
