// The main window of corvane.exe: its class, the window with its four child
// controls, the window procedure and the About box. It is also the lifecycle's
// shell: status lines, show modes, the timers (the waits among them) and the
// notices of a stopped bridge go to this window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>

#include "app/lifecycle.h"
#include "app/job_hand_over.h"
#include "app/win32/log_file.h"
#include "app/win32/tray_icon.h"

namespace corvane::win32 {

class MainWindow final : public app::Shell {
public:
    explicit MainWindow(app::App& app) : app_(app) {}
    // The window may outlive this object (the process end takes it away, and
    // Wine then still sends it messages): it is cut loose here.
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Called before create(). With a LogFile path, every status line also
    // goes to that file, after a header line naming the version, ini_path
    // (the corvane.ini that was read) and the settings in effect; a file
    // that cannot be opened, or a path cut by the settings reader, is
    // reported by one status line right after "Status : INIT...". With
    // Tray=1 the window gets its notification-area icon.
    void apply_settings(const app::Settings& settings, const std::string& ini_path);

    // Registers the class once; the result is not examined because a failed
    // registration shows as a failed creation.
    static void register_class(HINSTANCE instance, const char* class_name);

    // Creates the hidden window and runs the first connection check, which
    // shows and paints it, at once or after its LOADING wait. False when the
    // window could not be created; the caller shows the boxes.
    bool create(HINSTANCE instance, const char* class_name, const char* title);

    // The program stops on a failure or with the Windows session: the job
    // thread, every timer, so that no cycle, no retry and no rest of a
    // reconnect runs behind an error box, and the notification-area icon.
    // The window takes no more input: the box has no owner (an owner
    // minimised or in the icon would hide it), so Run! would otherwise stay
    // clickable while its modal loop runs.
    void stop();

    // Before the links are closed at the end: a job under way gives up its
    // remaining attempts, and its thread is joined, so nothing touches the
    // request area once it is released. Every path that closes the links at
    // the end calls this first.
    void end_jobs();

    HWND handle() const { return window_; }

    // An exception escaping a message handler cannot pass through the
    // system's frames that called the window procedure: it is kept here, the
    // message loop is ended, and the entry point rethrows it once the loop
    // has returned.
    void rethrow_failure() const;

    // app::Shell
    void append_status(const char* text) override;
    void show_window(int mode) override;
    void start_timer(std::uint32_t period_ms) override;
    void stop_timer() override;
    void start_retry_timer(std::uint32_t period_ms) override;
    void stop_retry_timer() override;
    void start_wait(std::uint32_t milliseconds) override;
    void stop_wait() override;
    void repaint() override;
    void note_in_log_file(const char* text) override;
    void show_state(app::BridgeState state) override;
    void notify_stop(const char* text) override;
    void start_job(app::Job job) override;
    void want_job_result() override;

private:
    using MessageHandler = LRESULT (MainWindow::*)(UINT, WPARAM, LPARAM);
    using CommandHandler = LRESULT (MainWindow::*)();
    struct MessageRoute {
        UINT message;
        MessageHandler handler;
    };
    struct CommandRoute {
        WORD command;
        CommandHandler handler;
    };
    // Messages whose number the system gives out at run time.
    struct RegisteredRoute {
        UINT MainWindow::*message;
        MessageHandler handler;
    };
    // The notification-area icon's message, by the mouse message it carries.
    struct TrayRoute {
        UINT mouse_message;
        CommandHandler handler;
    };
    // A child control and its place in the 96-dpi layout; the status bar
    // places itself along the bottom edge.
    struct ChildControl {
        int id;
        const char* class_name;
        const char* text;
        DWORD ex_style;
        DWORD style;
        int x, y, width, height;
        HWND MainWindow::*handle;
    };
    static const ChildControl kChildControls[];
    static const MessageRoute kMessageRoutes[];
    static const RegisteredRoute kRegisteredRoutes[];
    static const CommandRoute kCommandRoutes[];
    static const TrayRoute kTrayRoutes[];

    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam);
    // The handler of a message by the routing tables; null: default processing.
    MessageHandler route(UINT message) const;
    static INT_PTR CALLBACK about_procedure(HWND dialog, UINT message, WPARAM wparam,
                                            LPARAM lparam);

    LRESULT on_create(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_paint(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_destroy(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_nc_destroy(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_timer(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_command(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_sys_command(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_tray_notify(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_taskbar_created(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_dpi_changed(UINT message, WPARAM wparam, LPARAM lparam);
    // Log-off or shutdown: the end of the program, as Exit! ends it, before
    // Windows ends the process.
    LRESULT end_session(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_job_done(UINT message, WPARAM wparam, LPARAM lparam);
    // A result that waits goes to the lifecycle before anything else that
    // touches it.
    void take_job_result();
    // The job thread: the hand-over's runner and notifies, and its body.
    static app::JobResult run_job(void* self, app::Job job);
    static bool post_job_done(void* self);
    // Timer 1's tick, for the lifecycle to act on, as a WM_TIMER of its own.
    static bool post_tick(void* self);
    static DWORD WINAPI job_thread(void* self);

    LRESULT show_about_box();
    LRESULT close_window();
    LRESULT run_pressed();
    LRESULT exit_pressed();
    LRESULT show_from_tray();
    LRESULT show_tray_menu();
    void hide_to_tray();
    // Puts the icon up; while Explorer refuses it, tries again every few
    // seconds.
    void put_up_tray_icon();

    void create_child_controls();
    // The children's places and the message font for the window's DPI.
    void lay_out(UINT dpi);
    LRESULT fail(std::exception_ptr failure);

    app::App& app_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HWND run_button_ = nullptr;
    HWND exit_button_ = nullptr;
    HWND status_bar_ = nullptr;
    HWND status_log_ = nullptr;
    HFONT font_ = nullptr;  // the system's message font at the window's DPI
    LogFile log_file_;
    bool log_file_failed_ = false;
    bool tray_wanted_ = false;
    TrayIcon tray_;
    UINT taskbar_created_message_ = 0;
    bool shown_ = false;  // the lifecycle showed the window at least once
    // stop() ran: an error box may be up, and nothing comes back behind it.
    bool stopped_ = false;
    std::exception_ptr failure_;
    // Last: its thread is joined before anything above goes. Without a
    // thread (it could not be created) the jobs run on the window's thread.
    app::JobHandOver jobs_{&MainWindow::run_job, this, &MainWindow::post_job_done,
                           &MainWindow::post_tick, this, &app_.bridge.abandon};
    HANDLE job_thread_ = nullptr;
};

}  // namespace corvane::win32
