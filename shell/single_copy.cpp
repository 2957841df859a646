#include "single_copy.h"

#include <cstdint>

namespace dorimo {
namespace {

constexpr ULONG_PTR kShowRequest = 0x646F7269;  // "dori"
constexpr DWORD kPatienceMs = 10000;            // for a copy that is still starting

// Names the file in the session's namespace: letter case does not tell
// files apart, and a path may be longer than a name may be.
std::wstring lock_name(const std::wstring& path) {
    std::wstring upper = path;
    if (!upper.empty()) CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (wchar_t c : upper) {
        hash ^= static_cast<std::uint16_t>(c);
        hash *= 1099511628211ull;
    }
    return L"Local\\dorimo-settings-" + std::to_wstring(hash);
}

// Sends the request to every main window of the program; true when the one
// that uses the file answered.
bool ask_to_show(const std::wstring& path) {
    COPYDATASTRUCT data{};
    data.dwData = kShowRequest;
    data.cbData = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(path.c_str());
    for (HWND w = FindWindowExW(nullptr, nullptr, L"TForm1", nullptr); w;
         w = FindWindowExW(nullptr, w, L"TForm1", nullptr)) {
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(w, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000,
                                &answer) &&
            answer)
            return true;
    }
    return false;
}

}  // namespace

bool claim_settings_file(const std::wstring& path) {
    // Held by this copy until it ends; the system closes it then.
    HANDLE lock = CreateMutexW(nullptr, FALSE, lock_name(path).c_str());
    if (!lock) return true;  // nothing to coordinate with: run as alone
    AllowSetForegroundWindow(ASFW_ANY);  // the copy that shows itself may take the foreground
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD got = WaitForSingleObject(lock, 200);
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) return true;
        if (ask_to_show(path) || GetTickCount() - start > kPatienceMs) return false;
    }
}

bool is_show_request(const COPYDATASTRUCT& data, const std::wstring& own_path) {
    if (data.dwData != kShowRequest || !data.lpData || data.cbData % sizeof(wchar_t) != 0) return false;
    const std::wstring path(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
    const std::wstring requested = path.substr(0, path.find(L'\0'));
    return CompareStringOrdinal(requested.c_str(), -1, own_path.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace dorimo
