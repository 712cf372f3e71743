// The main window: class, creation, child controls, the dispatching window
// procedure and the About box.
//
// The window procedure decides nothing: it finds the MainWindow behind the
// window and hands each message to the member named in the routing tables.
#include "app/win32/main_window.h"

#include <commctrl.h>

#include "app/log_line.h"
#include "app/win32/dpi.h"
#include "app/win32/resource_ids.h"
#include "app/win32/status_log.h"

namespace corvane::win32 {
namespace {

// A fixed-size window: caption, system menu and minimise box only.
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kWindowX = 100;
constexpr int kWindowY = 100;
constexpr int kWindowWidth = 532;
constexpr int kWindowHeight = 320;

// How often an icon that Explorer refused is tried again, by a timer of the
// window's own that the lifecycle never sees.
constexpr UINT_PTR kTrayIconRetryTimer = IDT_TRAY_ICON_RETRY;
constexpr UINT kTrayIconRetryMs = 3000;
static_assert(kTrayIconRetryTimer != app::kBridgeTimerId &&
              kTrayIconRetryTimer != app::kRetryTimerId &&
              kTrayIconRetryTimer != app::kWaitTimerId);

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

#ifndef TIMERV_NO_COALESCING
#define TIMERV_NO_COALESCING 0xFFFFFFFF
#endif

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP;
// Disabled: only the program writes to the log; the user cannot type or select.
constexpr DWORD kStatusLogStyle = WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_BORDER | WS_VSCROLL |
                                  ES_MULTILINE | ES_AUTOVSCROLL;
static_assert(kWindowStyle == 0x00CA0000);
static_assert(kButtonStyle == 0x50000000);
static_assert(kStatusBarStyle == 0x50000100);
static_assert(kStatusLogStyle == 0x58A00044);

MainWindow* window_object(HWND window) {
    return reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

const MainWindow::MessageRoute MainWindow::kMessageRoutes[] = {
    {WM_CREATE, &MainWindow::on_create},
    {WM_PAINT, &MainWindow::on_paint},
    {WM_DESTROY, &MainWindow::on_destroy},
    {WM_NCDESTROY, &MainWindow::on_nc_destroy},
    {WM_TIMER, &MainWindow::on_timer},
    {WM_COMMAND, &MainWindow::on_command},
    {WM_SYSCOMMAND, &MainWindow::on_sys_command},
    {WM_TRAY_NOTIFY, &MainWindow::on_tray_notify},
    {WM_DPICHANGED, &MainWindow::on_dpi_changed},
    {WM_ENDSESSION, &MainWindow::end_session},
    {WM_JOB_DONE, &MainWindow::on_job_done},
};

const MainWindow::RegisteredRoute MainWindow::kRegisteredRoutes[] = {
    {&MainWindow::taskbar_created_message_, &MainWindow::on_taskbar_created},
};

// The notification-area menu sends the buttons' own commands for Run! and Exit.
const MainWindow::CommandRoute MainWindow::kCommandRoutes[] = {
    {IDM_ABOUT, &MainWindow::show_about_box},
    {IDM_EXIT, &MainWindow::close_window},
    {IDC_RUN_BUTTON, &MainWindow::run_pressed},
    {IDC_EXIT_BUTTON, &MainWindow::exit_pressed},
    {IDM_SHOW, &MainWindow::show_from_tray},
};

const MainWindow::TrayRoute MainWindow::kTrayRoutes[] = {
    {WM_LBUTTONUP, &MainWindow::show_from_tray},
    {WM_RBUTTONUP, &MainWindow::show_tray_menu},
};

MainWindow::~MainWindow() {
    if (window_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

void MainWindow::apply_settings(const app::Settings& settings, const std::string& ini_path) {
    tray_wanted_ = settings.tray_flag == app::kTrayIconOn;
    if (settings.log_file.empty()) {
        return;
    }
    log_file_failed_ = settings.log_file_cut || !log_file_.open(settings.log_file, ini_path);
    log_file_.write(app::run_header(settings, ini_path).c_str());
}

void MainWindow::register_class(HINSTANCE instance, const char* class_name) {
    WNDCLASSEXA window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = &MainWindow::window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CORVANE));
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = class_name;
    window_class.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    RegisterClassExA(&window_class);
}

bool MainWindow::create(HINSTANCE instance, const char* class_name, const char* title) {
    instance_ = instance;
    taskbar_created_message_ = RegisterWindowMessageA("TaskbarCreated");
    DWORD style = kWindowStyle;
    if (app_.start_minimised_flag == app::kStartMinimised) {
        style |= WS_MINIMIZE;
    }
    // The creation parameter carries this object to WM_NCCREATE; it never
    // leaves the process.
    // The outer size follows the screen's DPI; at 96 it is the one it always was.
    const UINT dpi = screen_dpi();
    const HWND window = CreateWindowExA(0, class_name, title, style, kWindowX, kWindowY,
                                        scaled(kWindowWidth, dpi), scaled(kWindowHeight, dpi),
                                        nullptr, nullptr, instance, this);
    if (window == nullptr) {
        return false;
    }
    // Without a thread for them the jobs run here, holding the window.
    job_thread_ = CreateThread(nullptr, 0, &MainWindow::job_thread, this, 0, nullptr);
    app::first_connection_check(app_, *this);
    return true;
}

LRESULT CALLBACK MainWindow::window_procedure(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lparam);
        auto* self = static_cast<MainWindow*>(creation->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    MainWindow* self = window_object(window);
    const MessageHandler handler = self != nullptr ? self->route(message) : nullptr;
    if (handler != nullptr) {
        try {
            return (self->*handler)(message, wparam, lparam);
        } catch (...) {
            return self->fail(std::current_exception());
        }
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

MainWindow::MessageHandler MainWindow::route(UINT message) const {
    for (const MessageRoute& route : kMessageRoutes) {
        if (route.message == message) {
            return route.handler;
        }
    }
    for (const RegisteredRoute& route : kRegisteredRoutes) {
        if (this->*route.message != 0 && this->*route.message == message) {
            return route.handler;
        }
    }
    return nullptr;
}

LRESULT MainWindow::fail(std::exception_ptr failure) {
    if (!failure_) {
        failure_ = failure;
        stop();
        PostQuitMessage(0);
    }
    return 0;
}

void MainWindow::stop() {
    end_jobs();
    app::stop_timers(app_, *this);
    // Nothing of the icon comes back behind an error box: no re-add, no
    // menu that could start anything.
    stopped_ = true;
    KillTimer(window_, kTrayIconRetryTimer);
    tray_.remove();
    EnableWindow(window_, FALSE);
}

void MainWindow::end_jobs() {
    if (jobs_.ended()) {
        return;
    }
    jobs_.end();
    app::JobResult last;
    bool taken = false;
    if (job_thread_ != nullptr) {
        WaitForSingleObject(job_thread_, INFINITE);
        CloseHandle(job_thread_);
        job_thread_ = nullptr;
        taken = jobs_.take_result(last);
    }
    app::jobs_ended(app_, *this, taken ? &last : nullptr);
}

void MainWindow::start_job(app::Job job) {
    if (jobs_.ended()) {
        return;  // the program ends: the bridge is no job's any more
    }
    if (job_thread_ == nullptr) {
        app::job_done(app_, *this, app::run_job(app_, job));
        return;
    }
    jobs_.run(job);
}

app::JobResult MainWindow::run_job(void* self, app::Job job) {
    return app::run_job(static_cast<MainWindow*>(self)->app_, job);
}

bool MainWindow::post_job_done(void* self) {
    return PostMessageA(static_cast<MainWindow*>(self)->window_, WM_JOB_DONE, 0, 0) != FALSE;
}

bool MainWindow::post_tick(void* self) {
    return PostMessageA(static_cast<MainWindow*>(self)->window_, WM_TIMER, app::kBridgeTimerId,
                        0) != FALSE;
}

DWORD WINAPI MainWindow::job_thread(void* self) {
    static_cast<MainWindow*>(self)->jobs_.serve();
    return 0;
}

void MainWindow::want_job_result() {
    // Ended quietly already: its result is taken at the done message.
    if (job_thread_ != nullptr && !jobs_.want_result()) {
        post_job_done(this);
    }
}

// A job ended: the lifecycle goes on here, on the window's thread.
LRESULT MainWindow::on_job_done(UINT, WPARAM, LPARAM) {
    take_job_result();
    return 0;
}

void MainWindow::take_job_result() {
    app::JobResult result;
    if (!jobs_.ended() && jobs_.take_result(result)) {
        app::job_done(app_, *this, result);
    }
}

void MainWindow::rethrow_failure() const {
    if (failure_) {
        std::rethrow_exception(failure_);
    }
}

// In creation order.
const MainWindow::ChildControl MainWindow::kChildControls[] = {
    {IDC_RUN_BUTTON, "BUTTON", "Run!", WS_EX_STATICEDGE, kButtonStyle, 396, 159, 75, 26,
     &MainWindow::run_button_},
    {IDC_EXIT_BUTTON, "BUTTON", "Exit!", WS_EX_STATICEDGE, kButtonStyle, 396, 210, 75, 26,
     &MainWindow::exit_button_},
    {IDC_STATUS_BAR, STATUSCLASSNAMEA, nullptr, 0, kStatusBarStyle, 0, 0, 0, 0,
     &MainWindow::status_bar_},
    {IDC_STATUS_LOG, "EDIT", "", WS_EX_STATICEDGE, kStatusLogStyle, 11, 36, 342, 210,
     &MainWindow::status_log_},
};

void MainWindow::create_child_controls() {
    for (const ChildControl& control : kChildControls) {
        this->*control.handle = CreateWindowExA(
            control.ex_style, control.class_name, control.text, control.style, control.x,
            control.y, control.width, control.height, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance_, nullptr);
    }
    lay_out(window_dpi(window_));
}

void MainWindow::lay_out(UINT dpi) {
    const HFONT font = create_message_font(dpi);
    for (const ChildControl& control : kChildControls) {
        const HWND child = this->*control.handle;
        if (control.width != 0 && dpi != kDefaultDpi) {
            MoveWindow(child, scaled(control.x, dpi), scaled(control.y, dpi),
                       scaled(control.width, dpi), scaled(control.height, dpi), TRUE);
        }
        if (font != nullptr) {
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
    // The status bar takes its height from its font, and its place from the
    // window's new size.
    SendMessageA(status_bar_, WM_SIZE, 0, 0);
    if (font != nullptr) {
        if (font_ != nullptr) {
            DeleteObject(font_);
        }
        font_ = font;
    }
}

LRESULT MainWindow::on_dpi_changed(UINT, WPARAM wparam, LPARAM lparam) {
    // Windows suggests the new outer rectangle, already scaled.
    const auto* suggested = reinterpret_cast<const RECT*>(lparam);
    SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    lay_out(HIWORD(wparam));
    return 0;
}

LRESULT MainWindow::on_create(UINT, WPARAM, LPARAM) {
    create_child_controls();
    append_status(app::status_text(app::Status::Init));
    if (log_file_failed_) {
        append_status(app::status_text(app::Status::LogFileNotOk));
    }
    if (tray_wanted_) {
        put_up_tray_icon();
        // An elevated Corvane still hears of a restarted Explorer.
        ChangeWindowMessageFilterEx(window_, taskbar_created_message_, MSGFLT_ALLOW, nullptr);
    }
    // The standard application icon replaces the class icons on this window.
    const HICON application_icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(application_icon));
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(application_icon));
    return 0;
}

LRESULT MainWindow::on_paint(UINT, WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    BeginPaint(window_, &paint);
    EndPaint(window_, &paint);
    return 0;
}

LRESULT MainWindow::on_destroy(UINT, WPARAM, LPARAM) {
    tray_.remove();
    PostQuitMessage(0);
    return 0;
}

LRESULT MainWindow::on_nc_destroy(UINT message, WPARAM wparam, LPARAM lparam) {
    const HWND window = window_;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    window_ = nullptr;
    return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT MainWindow::on_timer(UINT message, WPARAM wparam, LPARAM lparam) {
    if (wparam == kTrayIconRetryTimer) {
        if (!stopped_) {
            put_up_tray_icon();
        }
        return 0;
    }
    if (wparam == app::kBridgeTimerId) {
        jobs_.tick_seen();
    }
    // A quiet cycle that nobody was told of goes first.
    take_job_result();
    // Every other timer message drives the lifecycle, which tells the timers
    // apart.
    app::timer_message(app_, *this, static_cast<std::uintptr_t>(wparam));
    return DefWindowProcA(window_, message, wparam, lparam);
}

LRESULT MainWindow::on_command(UINT message, WPARAM wparam, LPARAM lparam) {
    const WORD command = LOWORD(wparam);
    for (const CommandRoute& route : kCommandRoutes) {
        if (route.command == command) {
            return (this->*route.handler)();
        }
    }
    return DefWindowProcA(window_, message, wparam, lparam);
}

// With the icon up, minimising puts the window away into it.
LRESULT MainWindow::on_sys_command(UINT message, WPARAM wparam, LPARAM lparam) {
    // The system keeps the low four bits of the command for itself.
    constexpr WPARAM kCommandBits = 0xFFF0;
    const LRESULT result = DefWindowProcA(window_, message, wparam, lparam);
    if ((wparam & kCommandBits) == SC_MINIMIZE) {
        hide_to_tray();
    }
    return result;
}

LRESULT MainWindow::on_tray_notify(UINT, WPARAM, LPARAM lparam) {
    for (const TrayRoute& route : kTrayRoutes) {
        if (route.mouse_message == static_cast<UINT>(lparam)) {
            return (this->*route.handler)();
        }
    }
    return 0;
}

// Explorer started anew and knows no icon, or someone else sent the
// message and the icon is still there.
LRESULT MainWindow::on_taskbar_created(UINT, WPARAM, LPARAM) {
    if (tray_wanted_ && !stopped_) {
        put_up_tray_icon();
    }
    return 0;
}

void MainWindow::put_up_tray_icon() {
    if (tray_.add(window_, instance_)) {
        KillTimer(window_, kTrayIconRetryTimer);
    } else {
        SetTimer(window_, kTrayIconRetryTimer, kTrayIconRetryMs, nullptr);
    }
}

// Windows may end the process once this returns, so everything Exit! leads
// to happens here, and nothing can be pressed any more; the quit ends the
// loop should the process go on.
LRESULT MainWindow::end_session(UINT, WPARAM wparam, LPARAM) {
    if (wparam != FALSE) {
        KillTimer(window_, kTrayIconRetryTimer);
        stop();
        app::end_of_process(app_, *this);
        PostQuitMessage(0);
    }
    return 0;
}

LRESULT MainWindow::show_from_tray() {
    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(window_);
    return 0;
}

LRESULT MainWindow::show_tray_menu() {
    if (!stopped_) {
        tray_.show_menu();
    }
    return 0;
}

void MainWindow::hide_to_tray() {
    if (tray_.up()) {
        ShowWindow(window_, SW_HIDE);
    }
}

LRESULT MainWindow::show_about_box() {
    DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUTBOX), window_,
                    &MainWindow::about_procedure, 0);
    return 0;
}

LRESULT MainWindow::close_window() {
    stop_timer();
    DestroyWindow(window_);
    return 0;
}

LRESULT MainWindow::run_pressed() {
    app::manual_reconnect(app_, *this);
    return 0;
}

LRESULT MainWindow::exit_pressed() {
    // Ends the message loop; the window and the timer go with the process.
    PostQuitMessage(0);
    return 0;
}

INT_PTR CALLBACK MainWindow::about_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wparam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

void MainWindow::append_status(const char* text) {
    append_status_line(status_bar_, status_log_, text);
    log_file_.write(text);
    tray_.set_tip(text);
}

void MainWindow::show_window(int mode) {
    // With Screen=1 a second start during the LOADING wait restores the
    // window that was never shown yet: the user asked to see it, later than
    // corvane.ini did, so the check's minimise does not hide it again.
    const bool brought_forward = !shown_ && IsWindowVisible(window_) && !IsIconic(window_);
    shown_ = true;
    if (mode == app::kShowMinimised && brought_forward) {
        return;
    }
    ShowWindow(window_, mode);
    if (mode == app::kShowMinimised) {
        hide_to_tray();
    }
}

// The tick is the job thread's: a quiet cycle repeats there at each tick
// without a message to this window, and any other tick comes as WM_TIMER.
// Never below a window timer's least period, as Windows makes that.
// Without a job thread, a window timer never delayed to fall in with other
// timers (which Windows may do to save power); SetTimer where that is
// refused.
void MainWindow::start_timer(std::uint32_t period_ms) {
    if (job_thread_ != nullptr) {
        jobs_.start_ticks(period_ms < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : period_ms);
        return;
    }
    if (SetCoalescableTimer(window_, app::kBridgeTimerId, period_ms, nullptr,
                            TIMERV_NO_COALESCING) == 0) {
        SetTimer(window_, app::kBridgeTimerId, period_ms, nullptr);
    }
}

void MainWindow::stop_timer() {
    KillTimer(window_, app::kBridgeTimerId);
    if (jobs_.stop_ticks()) {
        post_job_done(this);
    }
}

void MainWindow::start_retry_timer(std::uint32_t period_ms) {
    SetTimer(window_, app::kRetryTimerId, period_ms, nullptr);
}

void MainWindow::stop_retry_timer() { KillTimer(window_, app::kRetryTimerId); }

void MainWindow::start_wait(std::uint32_t milliseconds) {
    SetTimer(window_, app::kWaitTimerId, milliseconds, nullptr);
}

void MainWindow::stop_wait() { KillTimer(window_, app::kWaitTimerId); }

void MainWindow::repaint() { UpdateWindow(window_); }

void MainWindow::note_in_log_file(const char* text) { log_file_.write(text); }

void MainWindow::show_state(app::BridgeState state) { tray_.set_state(state); }

// The taskbar button flashes until the user brings the window forward; the
// focus stays with the simulator. A window in front needs no flash. With the
// icon up, a balloon says it there too.
void MainWindow::notify_stop(const char* text) {
    if (IsIconic(window_) || GetForegroundWindow() != window_) {
        FLASHWINFO flash = {};
        flash.cbSize = sizeof flash;
        flash.hwnd = window_;
        flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
        FlashWindowEx(&flash);
    }
    tray_.show_balloon(text);
}

}  // namespace corvane::win32
