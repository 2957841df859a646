// The main window: five task slots, the bottom strip and the activity log.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controller.h"
#include "look.h"
#include "layout.h"
#include "file_chooser.h"
#include "slot_form.h"
#include "system_clock.h"
#include "tray_icon.h"

namespace dorimo {

class TForm1;
extern TForm1* Form1;

// The tests' seam (WM_COPYDATA in test builds): what its data is.
constexpr ULONG_PTR kSeamClock = 0x7365616D, kSeamText = 0x7365616E;  // the main window, while it exists

class TForm1 : public SlotForm {
public:
    TForm1(HINSTANCE instance, HWND application);
    ~TForm1() override;

    HWND handle() const { return window_; }

    // Runs the message loop: shows the window with the start request's show
    // command, then dispatches messages until the window has closed.
    int run(int show_command);

    // The taskbar entry's window was minimised or restored (WM_SIZE): the
    // window leaves the screen and comes back with it (dorimo.cpp).
    void taskbar_entry_sized();

    // SlotForm over the real controls.
    std::size_t component_count() const override { return components_.size(); }
    const std::string& component_name(std::size_t i) const override { return components_.at(i).layout.name; }
    std::string text(std::size_t i) const override;
    void set_text(std::size_t i, const std::string& text) override;
    bool checked(std::size_t i) const override;
    void set_checked(std::size_t i, bool checked) override;
    bool timer_enabled(std::size_t i) const override;
    void set_timer_enabled(std::size_t i, bool enabled) override;
    void click(std::size_t i) override;
    void replace_last_log_line(const std::vector<std::string>& lines) override;
    std::optional<std::string> open_program(const std::string& program) override;

private:
    struct Component {
        ControlSpec layout;
        HWND hwnd = nullptr;
        int id = 0;
        UINT_PTR timer_id = 0;  // a slot's timer: its id
        bool timer_on = false;
        FileChooser chooser;
    };
    using Handler = void (TForm1::*)();

    static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT tray_msg_rtn(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT inherited(UINT message, WPARAM wparam, LPARAM lparam);
#ifdef DORIMO_TEST_SEAM
    LRESULT test_seam(const COPYDATASTRUCT& data);
#endif
    void guarded(void (TForm1::*handler)());
    void show_error(const std::string& message);
    void show_pending_errors();

    void create_controls();
    RECT place_of(const ControlSpec& control);
    void lay_out(const Component& c, bool move);
    void change_resolution(int dpi, const RECT* suggested);
    void place_window(RECT r);
    int scale(int pixels) const;
    Component& named(const std::string& name);
    void set_in_taskbar(bool shown);
    void place_focus_mark();
    int focus_mark_thickness(const RECT& box) const;

    // Window handlers.
    void FormCreate();
    void FormPaint();
    void FormClose();
    void session_ending();
    void btnTRAYClick();
    void btnSAVEClick();

    // Slot handlers: each passes its slot digit on.
    void btnGO1Click() { slots_.running_rtn("1"); }
    void btnGO2Click() { slots_.running_rtn("2"); }
    void btnGO3Click() { slots_.running_rtn("3"); }
    void btnGO4Click() { slots_.running_rtn("4"); }
    void btnGO5Click() { slots_.running_rtn("5"); }
    void Timer1Timer() { slots_.timer_rtn("1"); }
    void Timer2Timer() { slots_.timer_rtn("2"); }
    void Timer3Timer() { slots_.timer_rtn("3"); }
    void Timer4Timer() { slots_.timer_rtn("4"); }
    void Timer5Timer() { slots_.timer_rtn("5"); }
    void btnRUN1Click() { slots_.run_now("1"); }
    void btnRUN2Click() { slots_.run_now("2"); }
    void btnRUN3Click() { slots_.run_now("3"); }
    void btnRUN4Click() { slots_.run_now("4"); }
    void btnRUN5Click() { slots_.run_now("5"); }
    void BitBtn1Click() { choose_program("1"); }
    void BitBtn2Click() { choose_program("2"); }
    void BitBtn3Click() { choose_program("3"); }
    void BitBtn4Click() { choose_program("4"); }
    void BitBtn5Click() { choose_program("5"); }
    void choose_program(const std::string& digit);

    // Notification area.
    void tray_rtn();
    void tray_del_rtn();
    void tray_back_rtn();

    // Minimising: the window off the screen, its taskbar entry minimised.
    void minimize_rtn();

    // The handler of a component's click or tick, by its name; null for none.
    Handler handler_of(std::size_t component) const;

    HINSTANCE instance_;
    HWND application_;
    HWND window_ = nullptr;
    int font_height_ = 12;  // the window font's character height in pixels
    std::unique_ptr<Fonts> fonts_;
    HIMAGELIST glyph_ = nullptr;
    std::vector<Component> components_;
    std::map<int, std::size_t> by_id_;

#ifdef DORIMO_TEST_SEAM
    // The system's clock moved by some seconds through the tests' seam.
    struct SeamClock : SystemClock {
        LocalTime now() override;
        long long shift = 0;
    } clock_;
#else
    SystemClock clock_;
#endif
    std::unique_ptr<StampFormat> stamp_format_;
    SlotController slots_;

    bool first_paint_done_ = false;  // the first-paint latch
    bool readers_pending_ = false;   // the readers' names are still to be given
    bool show_requested_ = false;    // another start asked, and was answered
    bool in_tray_ = false;
    bool closing_ = false;           // a close is being handled
    bool back_to_window_ = false;    // the close stops: the user chose to go back to the window
    bool session_ending_ = false;    // the session ends: no box can be asked
    bool box_up_ = false;            // an error box or the file dialog of the window's own is up
    std::vector<std::string> pending_errors_;  // errors met while it was, shown after it
    NotifyRecord tray_record_{};
    UINT taskbar_created_ = 0;
    HWND focus_ = nullptr;  // focus kept over deactivation
    RECT focus_box_{};      // the box a focus mark is around, in client pixels; empty for none
    bool measuring_ = false;  // drawn_box is at work
};

}  // namespace dorimo
