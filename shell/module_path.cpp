#include "module_path.h"

#include <windows.h>

namespace dorimo {

std::string module_path() {
    // A path that fills the buffer may have been cut: try again with a
    // larger one. A cut inside a double-byte character leaves the last byte
    // unused, so a path one byte short of the buffer counts as cut too.
    // Paths are limited to 32 767 characters, two bytes at most each, so the
    // growth ends.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD size = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (size == 0) return {};
        if (size + 1 < buffer.size() && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(size);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace dorimo
