#include "time_limit.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
DWORD WINAPI end_after(void* seconds) {
    const auto limit = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(seconds));
    Sleep(limit * 1000);
    std::printf("\n[  FAILED  ] 1 test, not done within the time limit of %lu s\n", limit);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 1);
    return 0;
}
}  // namespace

void end_at_time_limit() {
    const char* limit = std::getenv("DORIMO_TEST_TIME_LIMIT");
    if (!limit) return;
    if (const unsigned long seconds = std::strtoul(limit, nullptr, 10))
        CloseHandle(CreateThread(nullptr, 0, end_after, reinterpret_cast<void*>(UINT_PTR{seconds}), 0, nullptr));
}
