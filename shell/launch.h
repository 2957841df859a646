// Opening a program or document through the Windows shell.
#pragma once

#include <windows.h>

#include <string>

namespace dorimo {

// ShellExecuteA with the verb "open", the text whole as the file, no
// parameters, no folder and SW_SHOW. The result is not acted upon.
void open_through_shell(HWND owner, const std::string& program);

}  // namespace dorimo
