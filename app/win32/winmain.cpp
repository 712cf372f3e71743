// corvane.exe's entry point: settings, the two links, the main window, the
// message loop, and the clean-up that closes both links at the end.
//
// One Program object owns everything that lives for the whole process; there
// are no globals. The window reaches it through its MainWindow.
#include <windows.h>

#include <commctrl.h>

#include <INIReader.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/lifecycle.h"
#include "app/settings.h"
#include "app/win32/main_window.h"
#include "app/win32/resource_ids.h"
#include "app/win32/single_instance.h"
#include "bridge/bridge.h"
#include "platform/win32_os.h"

namespace corvane::win32 {
namespace {

constexpr char kErrorTitle[] = "Error!";
constexpr char kSettingsLoadFailed[] = "loading corvane.ini failed!";
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

// corvane.ini is read from the current folder. When it is not there, the
// folder of corvane.exe is tried before giving up, so that a shortcut with
// another working folder still finds the file kept beside the program. That
// copy is read through the Windows file API, which takes the Windows path
// GetModuleFileNameA gives on every build, Winelib included. A file too
// large to be a settings file counts as one that cannot be opened.
INIReader load_settings_store() {
    INIReader here(app::kSettingsFileName);
    if (here.ParseError() >= 0) {
        return here;
    }
    constexpr DWORD kLongestPath = 32768;
    constexpr LONGLONG kLargestSettingsFile = 1 << 20;
    std::string path(MAX_PATH, '\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
               path.size() &&
           path.size() < kLongestPath) {
        path.resize(path.size() * 2);
    }
    const std::size_t folder_end = path.find_last_of("\\/", length);
    if (length == 0 || length >= path.size() || folder_end == std::string::npos) {
        return here;
    }
    path.replace(folder_end + 1, std::string::npos, app::kSettingsFileName);

    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return here;
    }
    LARGE_INTEGER size = {};
    std::string text;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= kLargestSettingsFile;
    if (ok) {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr) &&
             read == text.size();
    }
    CloseHandle(file);
    return ok ? INIReader(text.data(), text.size()) : here;
}

// Everything up to the end of the message loop; the settings store lives
// exactly this long.
int run(Program& program, HINSTANCE instance) {
    const INIReader settings_store = load_settings_store();
    // Only a file that cannot be opened is fatal; a malformed line is not.
    if (settings_store.ParseError() < 0) {
        show_error(kSettingsLoadFailed);
        return 0;
    }
    const app::Settings settings = app::read_settings(settings_store);
    program.app.tick_period_ms = settings.tick_period_ms;
    program.app.start_minimised_flag = settings.start_minimised_flag;
    program.app.retry_seconds = settings.retry_seconds;
    program.window.open_log_file(settings.log_file);

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
        show_error(kInitInstanceFailed);
        return 0;
    }

    const HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDC_CORVANE));
    MSG message = {};
    // GetMessage's -1 counts as a message, as it always has here.
    while (GetMessageA(&message, nullptr, 0, 0) != 0) {
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
// No bridge cycle runs while the box is up. Nothing here allocates: memory
// may be what ran out.
int report_failure(Program* program, const char* what) {
    if (program != nullptr) {
        program->window.stop_timer();
    }
    char text[256];
    std::snprintf(text, sizeof text, "%s%s", kUnexpectedError, what);
    show_error(text);
    return kFailureExitCode;
}

}  // namespace
}  // namespace corvane::win32

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Settled before anything is read or opened: a second start touches no link.
    const corvane::win32::SingleInstance single_instance;
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
        exit_code = corvane::win32::run(*program, instance);
    } catch (const std::exception& failure) {
        exit_code = report_failure(program.get(), failure.what());
    } catch (...) {
        exit_code = report_failure(program.get(), "unknown exception");
    }
    // End of process: the aircraft link, then the FSUIPC link, on every path.
    if (program) {
        corvane::app::close_links(program->app);
    }
    return exit_code;
}
