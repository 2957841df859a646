// A program for the launch tests: appends how it was asked to show itself
// (the show command of its start-up information, -1 for none) and the
// folder it started in to show_probe.txt beside itself, then ends.
#include <windows.h>

#include <fstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    char self[MAX_PATH] = {}, folder[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::string out = self;
    out = out.substr(0, out.rfind('\\') + 1) + "show_probe.txt";
    std::ofstream(out, std::ios::app | std::ios::binary) << "show=" << show << " folder=" << folder << "\r\n";
    return 0;
}
