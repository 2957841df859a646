// Drives the real program: copies it into a fresh folder, starts it, finds
// its window and works it through window messages as a person would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Waits until the condition holds, up to the time given; true when it did.
bool wait_for(const std::function<bool()>& condition, int ms = 5000);

// A new empty folder under the temporary folder.
std::string new_temp_folder();

// The UTF-16 form of an 8-bit text.
std::wstring to_wide(const std::string& text);

// The whole content of a file; empty when it cannot be read.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// The log stamp of a moment in the user's formats (date alone at midnight).
std::string stamp_of(const SYSTEMTIME& t);
// True when the stamp is that of a second from `before` to `after`.
bool stamp_between(const std::string& stamp, const SYSTEMTIME& before, const SYSTEMTIME& after);

class App {
public:
    struct Options {
        std::string ini;                 // settings file to put beside the program; none when empty
        bool ini_is_directory = false;   // a folder where the settings file would be
        std::string program = "dorimo.exe";  // which program, from beside the tests
        std::string exe_name = "dorimo.exe";
        std::string folder;              // where to put the program; a new folder when empty
        std::wstring wide_folder;        // the same by its UTF-16 name, for names outside the code page
        int show = -1;                   // the start's show command (SW_...); none when -1
        // Called as soon as the program has been started, with its process,
        // path and folder.
        std::function<void(const PROCESS_INFORMATION&, const std::wstring& exe, const std::wstring& folder)> on_start;
    };

    App();
    explicit App(const Options& options);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    HWND form() const { return form_; }
    HWND application_window() const;
    HWND control(const std::string& name) const;
    DWORD process_id() const { return process_.dwProcessId; }
    bool running() const;

    std::string text(const std::string& name) const;
    void set_text(const std::string& name, const std::string& text);  // as WM_SETTEXT
    // Through the seam of the program's test build (test_build()): a box a user cannot
    // change written by the program itself; the program's clock moved to a
    // second past a local time "yyyy/mm/dd hh:nn:ss" (its ticks then see it).
    void write_as_program(const std::string& name, const std::string& text);
    void move_clock_to(const std::string& date_time);
    void type(const std::string& name, const std::string& keys);      // character by character
    bool checked(const std::string& name) const;
    void set_checked(const std::string& name, bool checked);
    void click(const std::string& name);       // waits for the click's handling
    void post_click(const std::string& name);  // does not wait (for clicks that show a box)
    std::vector<std::string> log() const;      // the activity log's lines

    // The first message box of the program, or null when none came in time.
    HWND wait_for_message_box(int ms = 5000) const;

    // Asks the window to close and waits for the program to end.
    bool close(int ms = 10000);

    // The control that has the keyboard focus in the program.
    HWND focused() const;
    // Gives a control the focus with a click of the mouse, as a person
    // would; true once it has it (a drop-down list's edit box counts).
    bool click_into(HWND control);
    // A key as a keyboard sends it, posted to the focused control through
    // the program's own message loop: key down and key up; the loop makes
    // the character of the key. A key pressed with Ctrl makes a control
    // character, which is posted between the two, as the loop cannot know
    // of Ctrl. Does not wait for their handling.
    void press(UINT virtual_key, char control_character = 0);
    // The same with Shift held down, which the program's thread sees in its
    // keyboard state; waits until the key has been handled.
    void press_with_shift(UINT virtual_key);

    const std::string& folder() const { return folder_; }
    std::string ini_path() const { return folder_ + "\\dorimo.ini"; }
    std::string exe_path() const { return folder_ + "\\" + exe_name_; }

private:
    bool seam(ULONG_PTR what, const std::string& data);
    std::string folder_;
    std::string exe_name_;
    PROCESS_INFORMATION process_{};
    HWND form_ = nullptr;
};

// The program's test build, dorimo_seam.exe started as dorimo.exe: the
// program with the seam through which the tests move its clock and write
// the boxes a user cannot change.
App::Options test_build();

// Text of a window as the 8-bit form gives it (works across processes).
std::string window_text(HWND window);
// The static text of a message box.
std::string message_box_text(HWND box);
// Top-level windows of a process with the given class.
std::vector<HWND> process_windows(DWORD pid, const char* window_class);

// The icons in Wine's own notification area, which stands in for a tray
// when the display has none.
std::vector<HWND> tray_icons();
// Whether tray_icons() sees them: the taskbar's notification area of Windows
// has no window per icon.
bool tray_icons_are_windows();

// Copies a program from beside the tests ("dorimo.exe", for instance) to a path.
void copy_program(const std::string& program, const std::wstring& to);

// Starts a program and waits for it to end, doing meanwhile what is given
// with its process id; its exit code, or -1 (it is then ended).
long run_to_end(const std::wstring& exe, const std::wstring& folder, int ms = 20000,
                const std::function<void(DWORD pid)>& meanwhile = nullptr);

// The first visible message box of a process, or null when none came in time.
HWND wait_for_message_box(DWORD pid, int ms = 5000);

// The address of ExitProcess, the same in every process of the session: a
// timer message's procedure that would end the program at once.
LPARAM exit_process();

// Posts every control class's private message (WM_USER up to 0x2100) with
// forged pointers to a window, then a timer message with exit_process().
void flood(HWND to);

}  // namespace e2e
