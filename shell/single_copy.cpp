#include "single_copy.h"

#include <sddl.h>

#include <cstdint>
#include <cwchar>

#include "error_box.h"
#include "launch.h"
#include "settings_find_read_save.h"
#include "stray_messages.h"
#include "wide_text.h"

namespace dorimo {
namespace {

constexpr DWORD kPatienceMs = 10000;      // for a copy that is still starting, or ending
constexpr DWORD kBesideOtherUserMs = 3000; // for a copy still making its window beside another user's
constexpr DWORD kOtherSessionMs = 1000;   // for a copy in another session that is ending
constexpr DWORD kAskEveryMs = 50;

// Every user's copy may open the locks to wait for them (SYNCHRONIZE) and
// to see whether they are held (MUTANT_QUERY_STATE), whatever its rights;
// nothing more is asked for or granted.
constexpr DWORD kLockAccess = SYNCHRONIZE | MUTANT_QUERY_STATE;
const wchar_t kLockSecurity[] = L"D:(A;;0x00100001;;;WD)";

// The keys of a settings file, after the file the settings are really in:
// its path through links (one text for all spellings of it: short names,
// subst and mapped drives, links to it), and, where there is a file and its
// volume gives it an index, its identity, which its hard links share. The
// path comes first: it names the file before a first save makes it and
// after, so a copy started before the file was made and one started after
// meet at it.
using Keys = std::uint64_t[2];  // the path's, and the identity's or 0

Keys own_keys;  // the claimed settings file's

void keys_of(const std::wstring& path, Keys& keys) {
    SettingsFile file = resolve_settings_file(path);
    // Letter case does not tell paths apart, and a path may be longer than a
    // lock's name may be: the path's key is a hash (FNV-1a) of its upper-cased
    // text.
    if (!file.path.empty()) CharUpperBuffW(file.path.data(), static_cast<DWORD>(file.path.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : file.path) {
        hash ^= static_cast<std::uint16_t>(c);
        hash *= 1099511628211ull;
    }
    keys[0] = hash;
    // The identity's: the index on the volume, the volume's serial number mixed in.
    const std::uint64_t index = std::uint64_t{file.index_high} << 32 | file.index_low;
    keys[1] = index ? index ^ file.volume * 0x9E3779B97F4A7C15ull : 0;
}

std::wstring name_of(std::uint64_t key) {
    std::wstring name = L"dorimo-settings-0000000000000000";
    for (std::size_t i = name.size(); key; key >>= 4) name[--i] = L"0123456789abcdef"[key & 15];
    return name;
}

// Opens the lock, or makes it; null, with the error, when neither can be done.
HANDLE open_lock(const wchar_t* space, std::uint64_t key, DWORD& error) {
    PSECURITY_DESCRIPTOR security = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockSecurity, SDDL_REVISION_1, &security, nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, security, FALSE};
    const HANDLE lock = CreateMutexExW(security ? &attributes : nullptr, (space + name_of(key)).c_str(), 0,
                                       kLockAccess);
    error = lock ? 0 : GetLastError();
    LocalFree(security);
    return lock;
}

// The opening of another process to read which program it runs; tests put
// a failing one in its place.
HANDLE open_to_query(DWORD pid) { return OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid); }
HANDLE (*open_process)(DWORD pid) = open_to_query;

enum class Settings { Own, Other, Unknown };

// Whether the process runs a program whose settings file is the claimed
// one; unknown when the process may not even be looked at (another user's).
Settings settings_of(DWORD pid) {
    const HANDLE process = open_process(pid);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED ? Settings::Unknown : Settings::Other;
    std::wstring image(32768, L'\0');
    DWORD size = static_cast<DWORD>(image.size());
    const bool got = QueryFullProcessImageNameW(process, 0, image.data(), &size);
    CloseHandle(process);
    Keys keys;
    image.resize(size);
    if (got) keys_of(image.replace(image.find_last_of(L"\\/") + 1, std::wstring::npos, L"dorimo.ini"), keys);
    return got && (keys[0] == own_keys[0] || (keys[1] && keys[1] == own_keys[1])) ? Settings::Own : Settings::Other;
}

// The integrity level of a process's token (an elevated copy's is higher
// than a filtered one's); false when the token may not be read.
bool integrity_of(HANDLE process, DWORD& level) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
    BYTE label[64] = {};
    DWORD size = 0;
    const bool got = GetTokenInformation(token, TokenIntegrityLevel, label, sizeof label, &size);
    CloseHandle(token);
    if (!got) return false;
    const PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(label)->Label.Sid;
    level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
    return true;
}

// Whether the process runs with higher rights than this one: a higher
// integrity level, or a token this one may not even read. Nothing else (a
// window that is going away, a copy that does not answer) says so.
bool higher_rights(DWORD pid) {
    const HANDLE process = open_process(pid);
    if (!process) return false;
    DWORD level = 0, own_level = 0;
    const bool known = integrity_of(process, level);
    const DWORD error = GetLastError();
    CloseHandle(process);
    if (!known) return error == ERROR_ACCESS_DENIED;
    return integrity_of(GetCurrentProcess(), own_level) && level > own_level;
}

// Asks the program's window that uses the settings file to show itself;
// true once it did. A copy that cannot be asked and runs with higher rights
// is said to; one that is closing (behind a box, perhaps), or whose window
// is going away or does not answer, is waited for (the lock it frees when it
// ends). The lock is this session's, so a
// copy of the program whose process may not be looked at belongs to another
// user of the session ("Run as" another user). The copy's window is found
// by its class and its program's settings file: its caption is a text any program
// may set (WM_SETTEXT), and only tells another user's window of the class
// from another program's.
bool ask_to_show(Refusal& refusal) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"TForm1", nullptr); w; w = FindWindowExW(nullptr, w, L"TForm1", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        const Settings settings = settings_of(pid);
        wchar_t caption[8] = {};
        if (settings == Settings::Unknown && refusal == Refusal::None && GetWindowTextW(w, caption, 8) &&
            std::wcscmp(caption, L"ドリモ丸") == 0)
            refusal = Refusal::OtherUser;
        if (settings != Settings::Own) continue;  // another program's window of that class, or another user's
        AllowSetForegroundWindow(pid);           // the copy that shows itself may take the foreground
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(w, show_request_message(), static_cast<WPARAM>(own_keys[0]),
                                static_cast<LPARAM>(own_keys[1]), SMTO_ABORTIFHUNG, 2000, &answer)) {
            if (answer == static_cast<DWORD_PTR>(kShown)) return true;
            if (answer == static_cast<DWORD_PTR>(kClosing)) refusal = Refusal::Closing;
        }
        if (refusal != Refusal::Closing && higher_rights(pid)) refusal = Refusal::OtherRights;
    }
    return false;
}

// The asking step; tests put a fake one in its place.
bool (*ask_running_copy)(Refusal& refusal) = ask_to_show;

enum class Waited { Ours, Shown, Unanswered };

// Waits for the lock up to the time given, asking meanwhile, if asked to,
// the copy that holds it to show itself; a copy that refuses to be asked
// will not answer later either. Another user's copy may not be the one that
// holds the lock: that one may still be making its window, and is waited
// for a little. A copy that is closing is waited for as long as it says so,
// whatever box it shows on the way: it ends, or gives the close up and is
// shown.
Waited wait_for_lock(HANDLE lock, DWORD patience, bool ask, Refusal& refusal) {
    DWORD start = GetTickCount();
    for (;;) {
        const DWORD got = WaitForSingleObject(lock, kAskEveryMs);
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) return Waited::Ours;
        if (ask && ask_running_copy(refusal)) return Waited::Shown;
        if (refusal == Refusal::Closing) {
            refusal = Refusal::None;
            start = GetTickCount();
        }
        const DWORD waited = GetTickCount() - start;
        if (refusal == Refusal::OtherRights || (refusal == Refusal::OtherUser && waited > kBesideOtherUserMs) ||
            waited > patience)
            return Waited::Unanswered;
    }
}

enum class Reason { OtherSession, OtherRights, OtherUser, NoAnswer };

// The box of a second start whose running copy cannot come forward.
bool tell_already_running(const std::wstring& path, Reason reason) {
    std::string text = "ドリモ玉は、この設定ファイルを使って既に動いています。\r\n" + narrow(path) + "\r\n\r\n";
    switch (reason) {
    case Reason::OtherSession:
        text += "動いているのは別のセッション (別のユーザーのサインインやリモート デスクトップ) です。";
        break;
    case Reason::OtherRights:
        text += "動いているのは別の権限 (「管理者として実行」など) のもので、ここからは前面に出せません。";
        break;
    case Reason::OtherUser:
        text += "動いているのは別のユーザー (「別のユーザーとして実行」など) のもので、ここからは前面に出せません。";
        break;
    case Reason::NoAnswer: text += "動いている方が応答しないため、前面に出せませんでした。"; break;
    }
    text += "\r\nこちらは起動せずに終わります。";
    const BoxUnderTheRule guard;
    MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_ICONINFORMATION | MB_OK | MB_SETFOREGROUND);
    return false;
}

// The box of a start that may not take the settings file's lock: its name
// belongs to something that is not this program's lock (another kind of
// object, or a lock that does not let every copy of this program wait for
// it), or the system would not make the lock.
bool tell_lock_refused(const std::wstring& path, DWORD error) {
    std::string text = "ドリモ玉は、この設定ファイルを使えません。\r\n" + narrow(path) + "\r\n\r\n";
    if (error == ERROR_INVALID_HANDLE || error == ERROR_ACCESS_DENIED)
        text += "この設定ファイルのロックは別のプログラムが持っています。";
    else
        text += "この設定ファイルのロックを作れませんでした: " + system_message(error);
    text += "\r\nこちらは起動せずに終わります。";
    const BoxUnderTheRule guard;
    MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_ICONWARNING | MB_OK | MB_SETFOREGROUND);
    return false;
}

}  // namespace

std::wstring settings_lock_name(const std::wstring& path) {
    Keys keys;
    keys_of(path, keys);
    return name_of(keys[0]);
}

void replace_show_request_for_tests(bool (*ask)(Refusal& refusal)) { ask_running_copy = ask ? ask : ask_to_show; }

void replace_process_open_for_tests(HANDLE (*open)(DWORD pid)) { open_process = open ? open : open_to_query; }

bool claim_settings_file(const std::wstring& path) {
    keys_of(path, own_keys);
    // Two locks for each key, held by this copy until it ends (the system
    // closes them then): the session's first, then the computer's. A copy of
    // this session that holds the computer's lock therefore holds the
    // session's.
    for (const std::uint64_t key : own_keys) {
        if (!key) break;
        DWORD local_error = 0, global_error = 0;
        const HANDLE local = open_lock(L"Local\\", key, local_error);
        const HANDLE global = open_lock(L"Global\\", key, global_error);
        // Any failure is a refusal, save one: a system without the computer's
        // namespace coordinates within the session alone.
        if (global_error == ERROR_PATH_NOT_FOUND) global_error = 0;
        if (local_error || global_error) return tell_lock_refused(path, local_error ? local_error : global_error);

        // The session's lock: the copy that holds it can be asked.
        Refusal refusal = Refusal::None;
        switch (wait_for_lock(local, kPatienceMs, true, refusal)) {
        case Waited::Ours: break;
        case Waited::Shown: return false;
        case Waited::Unanswered:
            return tell_already_running(path, refusal == Refusal::OtherRights ? Reason::OtherRights
                                              : refusal == Refusal::OtherUser ? Reason::OtherUser
                                                                              : Reason::NoAnswer);
        }
        // The computer's lock, held by a copy in another session.
        if (global && wait_for_lock(global, kOtherSessionMs, false, refusal) != Waited::Ours)
            return tell_already_running(path, Reason::OtherSession);
    }
    return true;
}

namespace {
// The locks of the file that this copy's last save made, if any: let go of
// at the next such save (no name leads to that file any more).
HANDLE written_locks[2];
}  // namespace

void claim_written_settings_file(const std::wstring& path) {
    Keys keys;
    keys_of(path, keys);
    if (!keys[1] || keys[1] == own_keys[1]) return;
    HANDLE locks[2] = {};
    DWORD error = 0;
    for (int i = 0; i < 2; ++i) {
        locks[i] = open_lock(i ? L"Global\\" : L"Local\\", keys[1], error);
        if (locks[i] && WaitForSingleObject(locks[i], 0) == WAIT_TIMEOUT) {  // another copy's (it started meanwhile)
            for (const HANDLE lock : locks)
                if (lock) CloseHandle(lock);
            return;
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (written_locks[i]) ReleaseMutex(written_locks[i]), CloseHandle(written_locks[i]);
        written_locks[i] = locks[i];
    }
    own_keys[1] = keys[1];  // a request through the file's links names it
}

UINT show_request_message() {
    static const UINT message = RegisterWindowMessageW(L"dorimo show request");
    return message;
}

// The request carries the low halves of the asking start's keys: its path's,
// and its identity's or 0 (hard links to one file meet at the identity).
bool is_own_show_request(WPARAM wparam, LPARAM lparam) {
    return own_keys[0] && (static_cast<DWORD>(wparam) == static_cast<DWORD>(own_keys[0]) ||
                           (own_keys[1] && static_cast<DWORD>(lparam) == static_cast<DWORD>(own_keys[1])));
}

}  // namespace dorimo
