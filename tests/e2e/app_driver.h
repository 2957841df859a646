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

    const std::string& folder() const { return folder_; }
    std::string ini_path() const { return folder_ + "\\dorimo.ini"; }
    std::string exe_path() const { return folder_ + "\\" + exe_name_; }

private:
    std::string folder_;
    std::string exe_name_;
    PROCESS_INFORMATION process_{};
    HWND form_ = nullptr;
};

// Text of a window as the 8-bit form gives it (works across processes).
std::string window_text(HWND window);
// The static text of a message box.
std::string message_box_text(HWND box);
// Top-level windows of a process with the given class.
std::vector<HWND> process_windows(DWORD pid, const char* window_class);

}  // namespace e2e
