// One running copy of the program per settings file on the whole computer.
#pragma once

#include <windows.h>

#include <string>

namespace dorimo {

// Claims the settings file of `path` for this copy of the program, for as
// long as it runs: true when no other running copy uses the file (or when
// that copy ends meanwhile). Otherwise the copy that uses it is asked to
// bring its window to the front; when it cannot be asked (another session,
// other rights, no answer) a box says so. Then the answer is false.
bool claim_settings_file(const std::wstring& path);

// After a save has written the settings file at `path`: a file the save made,
// or put in the place of the one read, is a file of its own, which a hard
// link made to it from now on shares; this copy claims it too, so that a
// start through such a link meets this copy.
void claim_written_settings_file(const std::wstring& path);

// The name of the first lock of the settings file at `path`, without its
// namespace ("Global\" or "Local\"): the same for every spelling of the
// file (short names, other drive letters, letter case, links to it).
std::wstring settings_lock_name(const std::wstring& path);

// Why the running copy cannot be asked to show itself: it is closing (and is
// waited for as long as it says so), it runs with other rights (it refuses
// the request), or it belongs to another user (its process cannot be opened
// to see which settings it uses).
enum class Refusal { None, Closing, OtherRights, OtherUser };

// For tests: the step that asks the running copy to show itself replaced by
// `ask` (null: the real one again). It answers whether the copy showed
// itself, and sets `refusal` when the copy cannot be asked.
void replace_show_request_for_tests(bool (*ask)(Refusal& refusal));

// For tests: the opening of another copy's process, to read which program
// it runs, replaced by `open` (null: the real one again).
void replace_process_open_for_tests(HANDLE (*open)(DWORD pid));

// The window message by which another start asks the running copy to show
// itself; its parameters name the settings file.
UINT show_request_message();

// True when the request's parameters name this copy's settings file (the
// one claimed). The window then shows itself and answers kShown, or, while
// it is closing, answers kClosing: the other start waits for its end.
bool is_own_show_request(WPARAM wparam, LPARAM lparam);
constexpr LRESULT kShown = 0x646F7269;    // "dori"
constexpr LRESULT kClosing = 0x636C6F73;  // "clos"

}  // namespace dorimo
