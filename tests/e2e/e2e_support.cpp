// Support for the end-to-end test programs: checks, waiting, the stand-in,
// corvane.exe as a child process and its windows.
#include "tests/e2e/e2e_support.h"

#include "platform/win32_os.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace corvane::e2e {
namespace {

constexpr DWORD kGetTextTimeoutMs = 2000;
constexpr DWORD kKillWaitMs = 10000;
constexpr int kStartAttempts = 5;
constexpr DWORD kStartRetryMs = 500;
constexpr DWORD kCorvaneWindowMs = 20000;
constexpr DWORD kCorvaneExitMs = 10000;
constexpr std::size_t kFormatCapacity = 512;
constexpr std::size_t kTextCapacity = 65536;
constexpr std::size_t kClassCapacity = 256;
constexpr char kMessageBoxClass[] = "#32770";
constexpr char kStaticClass[] = "Static";
constexpr char kLineEnd[] = "\r\n";

std::string vformat(const char* format, va_list args) {
    char buffer[kFormatCapacity];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    return buffer;
}

bool path_exists(const std::string& windows) {
    return !windows.empty() && GetFileAttributesA(windows.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

// ---------------------------------------------------------------------------
// Checks

void Checks::begin(const char* case_name) {
    case_name_ = case_name;
    row_.clear();
    std::printf("[ case ] %s\n", case_name);
    std::fflush(stdout);
}

void Checks::row(const char* format, ...) {
    va_list args;
    va_start(args, format);
    row_ = vformat(format, args);
    va_end(args);
}

void Checks::note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::printf("         %s\n", vformat(format, args).c_str());
    va_end(args);
    std::fflush(stdout);
}

void Checks::fail_header(const char* file, int line) {
    ++failed_;
    std::printf("[ FAIL ] %s:%d", file, line);
    if (!case_name_.empty()) {
        std::printf(" in \"%s\"", case_name_.c_str());
    }
    if (!row_.empty()) {
        std::printf(" row %s", row_.c_str());
    }
    std::printf("\n");
}

bool Checks::check(bool ok, const char* expression, const char* file, int line) {
    if (ok) {
        ++passed_;
        return true;
    }
    fail_header(file, line);
    std::printf("         expected true: %s\n", expression);
    std::fflush(stdout);
    return false;
}

bool Checks::equal_int(long long actual, long long expected, const char* actual_text,
                       const char* expected_text, const char* file, int line) {
    if (actual == expected) {
        ++passed_;
        return true;
    }
    fail_header(file, line);
    std::printf("         %s is %lld (0x%llX), expected %s = %lld (0x%llX)\n", actual_text, actual,
                static_cast<unsigned long long>(actual), expected_text, expected,
                static_cast<unsigned long long>(expected));
    std::fflush(stdout);
    return false;
}

bool Checks::equal_str(const std::string& actual, const std::string& expected,
                       const char* actual_text, const char* file, int line) {
    if (actual == expected) {
        ++passed_;
        return true;
    }
    fail_header(file, line);
    std::printf("         %s is \"%s\", expected \"%s\"\n", actual_text, actual.c_str(),
                expected.c_str());
    std::fflush(stdout);
    return false;
}

bool Checks::contains(const std::string& text, const std::string& part, const char* text_text,
                      const char* file, int line) {
    if (text.find(part) != std::string::npos) {
        ++passed_;
        return true;
    }
    fail_header(file, line);
    std::printf("         %s does not contain \"%s\"; it is \"%s\"\n", text_text, part.c_str(),
                text.c_str());
    std::fflush(stdout);
    return false;
}

bool Checks::equal_lines(const std::vector<std::string>& actual,
                         const std::vector<std::string>& expected, const char* actual_text,
                         const char* file, int line) {
    std::size_t step = 0;
    while (step < actual.size() && step < expected.size() && actual[step] == expected[step]) {
        ++step;
    }
    if (step == actual.size() && step == expected.size()) {
        ++passed_;
        return true;
    }
    fail_header(file, line);
    std::printf("         %s differs at step %zu: got \"%s\", expected \"%s\"\n", actual_text,
                step + 1, step < actual.size() ? actual[step].c_str() : "(end)",
                step < expected.size() ? expected[step].c_str() : "(end)");
    for (std::size_t i = 0; i < actual.size(); ++i) {
        std::printf("           got[%zu] \"%s\"\n", i + 1, actual[i].c_str());
    }
    std::fflush(stdout);
    return false;
}

int Checks::finish() {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    std::fflush(stdout);
    return failed_ == 0 ? 0 : 1;
}

// ---------------------------------------------------------------------------
// Waiting

void pump_messages(DWORD max_wait_ms) {
    MSG message;
    bool dispatched = false;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        dispatched = true;
    }
    if (!dispatched && max_wait_ms > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, max_wait_ms, QS_ALLINPUT);
    }
}

// ---------------------------------------------------------------------------
// The stand-in

std::uint8_t sim_u8(SimHost& sim, std::uint32_t offset) {
    return sim.with_server([offset](sim::OffsetServer& server) { return server.byte_at(offset); });
}

std::uint16_t sim_u16(SimHost& sim, std::uint32_t offset) {
    return sim.with_server([offset](sim::OffsetServer& server) { return server.u16_at(offset); });
}

void sim_set_u8(SimHost& sim, std::uint32_t offset, std::uint8_t value) {
    sim.with_server([offset, value](sim::OffsetServer& server) { server.set_u8(offset, value); });
}

void sim_set_u16(SimHost& sim, std::uint32_t offset, std::uint16_t value) {
    sim.with_server([offset, value](sim::OffsetServer& server) { server.set_u16(offset, value); });
}

std::size_t sim_exchanges(SimHost& sim) { return sim.counters().exchanges; }

std::vector<sim::PostedCommand> sim_commands(SimHost& sim) {
    return sim.with_aircraft([](sim::AircraftModel* aircraft) {
        return aircraft != nullptr ? aircraft->commands() : std::vector<sim::PostedCommand>{};
    });
}

bool wait_for_exchanges(SimHost& sim, std::size_t by, DWORD timeout_ms) {
    const std::size_t start = sim_exchanges(sim);
    return wait_until([&] { return sim_exchanges(sim) >= start + by; }, timeout_ms);
}

bool wait_for_commands(SimHost& sim, std::size_t count, DWORD timeout_ms) {
    return wait_until(
        [&sim, count] {
            return sim.with_aircraft([count](sim::AircraftModel* aircraft) {
                return aircraft != nullptr && aircraft->commands().size() >= count;
            });
        },
        timeout_ms);
}

void sim_set_data_valid(SimHost& sim, std::int32_t value) {
    sim.with_aircraft([value](sim::AircraftModel* aircraft) {
        if (aircraft != nullptr) {
            aircraft->set_data_valid(value);
        }
    });
}

ServerStall::ServerStall(SimHost& sim)
    : sim_(sim),
      held_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      released_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = CreateThread(nullptr, 0, &ServerStall::hold, this, 0, nullptr);
    if (thread_ != nullptr) {
        WaitForSingleObject(held_, INFINITE);
    }
}

void ServerStall::release() {
    if (thread_ != nullptr) {
        SetEvent(released_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    for (HANDLE* event : {&held_, &released_}) {
        if (*event != nullptr) {
            CloseHandle(*event);
            *event = nullptr;
        }
    }
}

DWORD WINAPI ServerStall::hold(void* self) {
    auto* stall = static_cast<ServerStall*>(self);
    stall->sim_.with_server([stall](sim::OffsetServer&) {
        SetEvent(stall->held_);
        WaitForSingleObject(stall->released_, INFINITE);
    });
    return 0;
}

// ---------------------------------------------------------------------------
// corvane.exe

std::string windows_path(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return path;
    }
    std::string result = "Z:" + path;
    for (char& c : result) {
        if (c == '/') {
            c = '\\';
        }
    }
    return result;
}

std::string app_path() {
#ifdef CORVANE_APP_PATH
    const std::string built = windows_path(CORVANE_APP_PATH);
    if (path_exists(built)) {
        return built;
    }
#endif
    char buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("CORVANE_APP", buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer) {
        const std::string named = windows_path(buffer);
        if (path_exists(named)) {
            return named;
        }
    }
    return {};
}

TempFolder::TempFolder() {
    char base[MAX_PATH] = {};
    const DWORD length = GetTempPathA(sizeof base, base);
    if (length == 0 || length >= sizeof base) {
        return;
    }
    std::string root(base, length);
    if (!root.empty() && root.back() == '\\') {
        root.pop_back();
    }
    // A name no other run uses: the process id and the first free number.
    constexpr int kAttempts = 1000;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "\\corvane-e2e-%lu-%d",
                      static_cast<unsigned long>(GetCurrentProcessId()), attempt);
        const std::string candidate = root + name;
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return;
        }
    }
}

TempFolder::~TempFolder() {
    if (path_.empty()) {
        return;
    }
    WIN32_FIND_DATAA entry;
    const std::string pattern = path_ + "\\*";
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileA(file_path(entry.cFileName).c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
}

std::string TempFolder::file_path(const char* name) const { return path_ + "\\" + name; }

bool TempFolder::write_file(const char* name, const std::string& contents) {
    if (path_.empty()) {
        return false;
    }
    HANDLE file = CreateFileA(file_path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()),
                              &written, nullptr);
    CloseHandle(file);
    return ok && written == contents.size();
}

AppProcess::~AppProcess() {
    kill();
}

bool AppProcess::start(const std::string& program, const std::string& working_folder,
                       const std::string& arguments, bool discard_output) {
    if (!discard_output) {
        return launch(program, working_folder, arguments, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE);
    }
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inheritable, OPEN_EXISTING, 0, nullptr);
    const bool started = launch(program, working_folder, arguments, nul, nul);
    if (nul != INVALID_HANDLE_VALUE) {
        CloseHandle(nul);
    }
    return started;
}

bool AppProcess::start_logged(const std::string& program, const std::string& working_folder,
                              const std::string& arguments, const std::string& output_path,
                              HANDLE input) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE file = CreateFileA(output_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool started = launch(program, working_folder, arguments, input, file);
    CloseHandle(file);
    return started;
}

bool AppProcess::launch(const std::string& program, const std::string& working_folder,
                        const std::string& arguments, HANDLE input, HANDLE output) {
    if (process_ != nullptr || program.empty()) {
        return false;
    }
    std::string command_line = "\"" + program + "\"";
    if (!arguments.empty()) {
        command_line += " " + arguments;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const bool redirected = output != INVALID_HANDLE_VALUE && output != nullptr;
    if (redirected) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION info = {};
    // Wine's start of a process can fail on a loaded machine (its server
    // busy, a resource briefly short): a few tries, each failure said.
    BOOL created = FALSE;
    for (int attempt = 1; attempt <= kStartAttempts && !created; ++attempt) {
        created = CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, redirected, 0,
                                 nullptr, working_folder.empty() ? nullptr : working_folder.c_str(),
                                 &startup, &info);
        if (!created) {
            std::printf("    CreateProcess of %s failed (try %d of %d): Windows error %lu\n",
                        program.c_str(), attempt, kStartAttempts,
                        static_cast<unsigned long>(GetLastError()));
            std::fflush(stdout);
            Sleep(kStartRetryMs);
        }
    }
    if (!created) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
}

bool AppProcess::running() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool AppProcess::wait_exit(DWORD timeout_ms, DWORD* exit_code) {
    if (process_ == nullptr) {
        return false;
    }
    // Pump meanwhile: the process may be sending to windows of this thread.
    if (!wait_until([this] { return !running(); }, timeout_ms)) {
        return false;
    }
    if (exit_code != nullptr) {
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        *exit_code = code;
    }
    return true;
}

std::string read_file(const std::string& path) {
    std::string contents;
    read_whole_file(path, contents);
    return contents;
}

bool CorvaneRun::launch(Checks& t, const std::string& settings) {
    const std::string path = app_path();
    if (!E2E_CHECK(t, !path.empty()) || !E2E_CHECK(t, folder.write_file("corvane.ini", settings)) ||
        !E2E_CHECK(t, process.start(path, folder.path()))) {
        return false;
    }
    window = process.wait_window(kMainWindowClass, kCorvaneWindowMs);
    return E2E_CHECK(t, window != nullptr);
}

void CorvaneRun::exit(Checks& t) {
    E2E_CHECK(t, press_button(window, kExitButtonId));
    DWORD code = 1;
    E2E_CHECK(t, process.wait_exit(kCorvaneExitMs, &code));
    E2E_CHECK_EQ(t, code, 0);
}

void AppProcess::kill() {
    if (process_ == nullptr) {
        return;
    }
    if (running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, kKillWaitMs);
    }
    CloseHandle(process_);
    process_ = nullptr;
}

namespace {

struct WindowSearch {
    DWORD pid;
    const char* class_name;  // nullptr: any class
    const char* title;       // nullptr: any title
    std::vector<HWND>* found;
};

BOOL CALLBACK collect_window(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid) {
        return TRUE;
    }
    // Class names are matched without regard to case, as Windows does.
    if (search->class_name != nullptr &&
        lstrcmpiA(window_class(window).c_str(), search->class_name) != 0) {
        return TRUE;
    }
    if (search->title != nullptr && window_text(window) != search->title) {
        return TRUE;
    }
    search->found->push_back(window);
    return TRUE;
}

std::vector<HWND> find_windows(DWORD pid, const char* class_name, const char* title) {
    std::vector<HWND> found;
    WindowSearch search{pid, class_name, title, &found};
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&search));
    return found;
}

HWND wait_for_window(DWORD pid, const char* class_name, const char* title, DWORD timeout_ms) {
    HWND result = nullptr;
    wait_until(
        [&] {
            const std::vector<HWND> found = find_windows(pid, class_name, title);
            result = found.empty() ? nullptr : found.front();
            return result != nullptr;
        },
        timeout_ms, 50);
    return result;
}

}  // namespace

HWND AppProcess::wait_window(const char* class_name, DWORD timeout_ms) {
    return process_ == nullptr ? nullptr : wait_for_window(pid_, class_name, nullptr, timeout_ms);
}

HWND AppProcess::wait_message_box(const char* title, DWORD timeout_ms) {
    return process_ == nullptr ? nullptr
                               : wait_for_window(pid_, kMessageBoxClass, title, timeout_ms);
}

std::vector<HWND> AppProcess::top_level_windows() const {
    return process_ == nullptr ? std::vector<HWND>{} : find_windows(pid_, nullptr, nullptr);
}

// ---------------------------------------------------------------------------
// Windows of another process

std::string window_text(HWND window) {
    if (window == nullptr) {
        return {};
    }
    std::vector<char> buffer(kTextCapacity, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                             kGetTextTimeoutMs, &copied)) {
        return {};
    }
    buffer.back() = '\0';
    return std::string(buffer.data(), std::strlen(buffer.data()));
}

std::string window_class(HWND window) {
    char name[kClassCapacity] = {};
    const int length = window == nullptr ? 0 : GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::string control_text(HWND parent, int id) {
    HWND control = parent == nullptr ? nullptr : GetDlgItem(parent, id);
    return window_text(control);
}

std::string status_log(HWND main_window) { return control_text(main_window, kStatusLogId); }

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> log_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(kLineEnd, start);
        if (end == std::string::npos) {
            if (start < text.size()) {
                lines.push_back(text.substr(start));
            }
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + std::strlen(kLineEnd);
    }
}

bool wait_for_log_line(HWND main_window, const char* line, DWORD timeout_ms) {
    return wait_until(
        [&] {
            for (const std::string& logged : log_lines(status_log(main_window))) {
                if (logged == line) {
                    return true;
                }
            }
            return false;
        },
        timeout_ms, 50);
}

bool wait_for_log_count(HWND main_window, std::size_t count, DWORD timeout_ms) {
    return wait_until([&] { return log_lines(status_log(main_window)).size() >= count; },
                      timeout_ms, 50);
}

WindowInfo window_info(HWND window) {
    WindowInfo info;
    if (window == nullptr) {
        return info;
    }
    GetWindowRect(window, &info.rect);
    GetClientRect(window, &info.client);
    info.style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    info.ex_style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
    info.visible = IsWindowVisible(window) != FALSE;
    info.iconic = IsIconic(window) != FALSE;
    info.class_name = window_class(window);
    info.text = window_text(window);
    return info;
}

std::vector<ChildInfo> child_windows(HWND parent) {
    std::vector<ChildInfo> children;
    for (HWND child = parent == nullptr ? nullptr : GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ChildInfo info;
        info.handle = child;
        info.id = GetDlgCtrlID(child);
        info.class_name = window_class(child);
        info.text = window_text(child);
        info.style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
        info.ex_style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_EXSTYLE));
        GetWindowRect(child, &info.rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
        children.push_back(info);
    }
    return children;
}

bool press_button(HWND parent, int id) {
    HWND button = parent == nullptr ? nullptr : GetDlgItem(parent, id);
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

bool send_command(HWND parent, int id) {
    HWND button = parent == nullptr ? nullptr : GetDlgItem(parent, id);
    return parent != nullptr &&
           PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}

std::string message_box_text(HWND box) {
    // The icon is a static control too, without text.
    for (const ChildInfo& child : child_windows(box)) {
        if (lstrcmpiA(child.class_name.c_str(), kStaticClass) == 0 && !child.text.empty()) {
            return child.text;
        }
    }
    return {};
}

void dismiss_message_box(HWND box) {
    if (box != nullptr) {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}

}  // namespace corvane::e2e
