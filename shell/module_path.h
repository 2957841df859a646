// The full path of the running executable.
#pragma once

#include <string>

namespace dorimo {

// GetModuleFileNameA of the program's own module, whole however long it is;
// empty if the system cannot tell.
std::string module_path();

}  // namespace dorimo
