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

// 8-bit text of a name the code page cannot hold, for messages only.
std::string shown_name(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

SettingsLocation settings_beside_program() {
    const std::wstring module = module_path();
    if (const auto narrow = narrow_exactly(module)) {
        const std::string path = settings_path(*narrow);
        return {path, widen(path), make_system_profile()};
    }
    const std::wstring path = module.substr(0, module.find_last_of(L"\\:") + 1) + L"dorimo.ini";
    return {shown_name(path), path, make_unicode_path_profile(path)};
}

}  // namespace dorimo
