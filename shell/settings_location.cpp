#include "settings_location.h"

#include <windows.h>

#include "wide_text.h"

namespace dorimo {
namespace {

// GetModuleFileNameW of the program's own module, whole however long it is.
std::wstring module_path() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (size == 0) return {};
        if (size < buffer.size()) {
            buffer.resize(size);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);  // cut: paths end at 32 767 characters
    }
}

}  // namespace

SettingsLocation settings_beside_program() {
    const std::wstring module = module_path();
    if (const auto narrow = narrow_exactly(module)) {
        const std::string path = settings_path(*narrow);
        return {path, widen(path)};
    }
    const std::wstring path = module.substr(0, module.find_last_of(L"\\:") + 1) + L"dorimo.ini";
    return {narrow(path), path};
}

}  // namespace dorimo
