#include "module_path.h"

#include <windows.h>

namespace dorimo {

std::string module_path() {
    // A path that fills the buffer may have been cut: try again with a
    // larger one. Paths are limited to 32 767 characters, two bytes at most
    // each, so the growth ends.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD size = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (size == 0) return {};
        if (size < buffer.size()) {
            buffer.resize(size);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace dorimo
