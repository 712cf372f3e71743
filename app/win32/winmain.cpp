// corvane.exe's entry point: settings, the two links, the main window, the
// message loop, and the clean-up that closes both links at the end.
//
// One Program object owns everything that lives for the whole process; there
// are no globals. The window reaches it through its MainWindow.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/lifecycle.h"
#include "app/settings.h"
#include "app/win32/main_window.h"
#include "app/win32/power_throttling.h"
#include "app/win32/resource_ids.h"
#include "app/win32/settings_file.h"
#include "app/win32/single_instance.h"
#include "bridge/bridge.h"
#include "platform/win32_os.h"

namespace corvane::win32 {
namespace {

constexpr char kErrorTitle[] = "Error!";
constexpr char kSettingsLoadFailed[] = "loading corvane.ini failed!";
constexpr char kWindowCreationFailed[] = "Window Creation Failed!";
constexpr char kInitInstanceFailed[] = "Window InitInstance Failed!";
constexpr int kTextBufferSize = 100;
constexpr char kUnexpectedError[] = "Corvane stopped after an unexpected error: ";
constexpr int kFailureExitCode = 1;

struct Program {
    Win32Os os;
    bridge::Bridge bridge{os};
    app::App app{bridge, app::Settings{}};
    MainWindow window{app};  // last: cut loose from its window first
    char window_title[kTextBufferSize] = {};
    char class_name[kTextBufferSize] = {};
};

void show_error(const char* text) { MessageBoxA(nullptr, text, kErrorTitle, MB_ICONERROR); }

// corvane.ini's settings and the path of the file they came from; false when
// no corvane.ini could be opened. Its text is let go before the bridge runs.
bool load_settings(app::Settings& settings, std::string& ini_path) {
    SettingsFile file;
    if (!read_settings_file(file)) {
        return false;
    }
    settings = app::read_settings_text(file.text);
    ini_path = file.path;
    return true;
}

// A fatal box: the next start may run while this one is up, hidden perhaps
// behind a full-screen simulator.
void show_fatal_error(SingleInstance& single_instance, const char* text) {
    single_instance.release();
    show_error(text);
}

// Everything up to the end of the message loop.
int run(Program& program, HINSTANCE instance, SingleInstance& single_instance) {
    app::Settings settings;
    std::string ini_path;
    // Only a file that cannot be opened is fatal; a malformed line is not.
    if (!load_settings(settings, ini_path)) {
        show_fatal_error(single_instance, kSettingsLoadFailed);
        return 0;
    }
    program.app.tick_period_ms = settings.tick_period_ms;
    program.app.start_minimised_flag = settings.start_minimised_flag;
    program.app.retry_seconds = settings.retry_seconds;
    program.bridge.state.enabled = settings.state_flag == app::kStateOn;
    program.window.apply_settings(settings, ini_path);
    opt_out_of_power_throttling();

    // A failed open is no start-up error: the first check reports it.
    app::open_links(program.app);

    LoadStringA(instance, IDS_APP_TITLE, program.window_title, kTextBufferSize);
    LoadStringA(instance, IDS_CLASS_NAME, program.class_name, kTextBufferSize);

    // The status bar's class lives in the common controls library.
    INITCOMMONCONTROLSEX common_controls = {};
    common_controls.dwSize = sizeof common_controls;
    common_controls.dwICC = ICC_BAR_CLASSES;
    InitCommonControlsEx(&common_controls);

    MainWindow::register_class(instance, program.class_name);
    if (!program.window.create(instance, program.class_name, program.window_title)) {
        show_fatal_error(single_instance, kWindowCreationFailed);
        show_error(kInitInstanceFailed);
        return 0;
    }

    const HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDC_CORVANE));
    MSG message = {};
    for (;;) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            break;
        }
        // -1: the loop itself failed (it does not, with a valid window);
        // going on would spin, so the program ends as after a quit.
        if (got == -1) {
            char line[96];
            std::snprintf(line, sizeof line, "the message loop failed; Windows error %lu",
                          static_cast<unsigned long>(GetLastError()));
            program.window.note_in_log_file(line);
            message.wParam = 0;
            break;
        }
        // The accelerator goes to the window the key was meant for, so it
        // only opens the About box while the main window has the focus.
        if (TranslateAcceleratorA(message.hwnd, accelerators, &message) == 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    program.window.rethrow_failure();
    return static_cast<int>(message.wParam);
}

// An exception that escapes start-up or a message (memory exhausted by an
// enormous corvane.ini, say) ends the program with a box saying so instead
// of an abrupt termination; the links are closed as on every other path.
// No bridge cycle runs while the box is up, and the notification-area icon
// is gone before it. Nothing here allocates: memory may be what ran out.
int report_failure(Program* program, SingleInstance& single_instance, const char* what) {
    if (program != nullptr) {
        program->window.stop();
    }
    char text[256];
    std::snprintf(text, sizeof text, "%s%s", kUnexpectedError, what);
    show_fatal_error(single_instance, text);
    return kFailureExitCode;
}

}  // namespace
}  // namespace corvane::win32

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Settled before anything is read or opened: a second start touches no link.
    corvane::win32::SingleInstance single_instance;
    if (single_instance.another_is_running()) {
        corvane::win32::bring_running_instance_forward(instance);
        return 0;
    }
    using corvane::win32::Program;
    using corvane::win32::report_failure;
    std::unique_ptr<Program> program;
    int exit_code = 0;
    try {
        program = std::make_unique<Program>();
        exit_code = corvane::win32::run(*program, instance, single_instance);
    } catch (const std::exception& failure) {
        exit_code = report_failure(program.get(), single_instance, failure.what());
    } catch (...) {
        exit_code = report_failure(program.get(), single_instance, "unknown exception");
    }
    // End of process, on every path: first the job thread (a stalled
    // exchange abandoned, the thread joined), so that nothing touches the
    // request area after it is released; then the tick lines, the timer
    // resolution given back, the state's last word, the aircraft link and
    // the FSUIPC link.
    if (program) {
        program->window.end_jobs();
        corvane::app::end_of_process(program->app, program->window);
    }
    return exit_code;
}
