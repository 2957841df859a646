// A library planted under the name of a system one: once loaded, it leaves
// an empty file "<its own path>.loaded" beside itself. Its hook procedure,
// run in another program's thread (SetWindowsHookEx), plays a system library
// that loads another one by name there, once, and then leaves
// "<its own path>.asked".
#include <windows.h>

namespace {

HINSTANCE self;

void leave_file(const wchar_t* suffix) {
    wchar_t path[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    lstrcpyW(path + length, suffix);
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    self = instance;
    if (reason == DLL_PROCESS_ATTACH) leave_file(L".loaded");
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK load_by_name(int code, WPARAM wparam, LPARAM lparam) {
    static bool asked = false;
    if (!asked) {
        asked = true;
        LoadLibraryW(L"dwmapi.dll");
        leave_file(L".asked");
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
