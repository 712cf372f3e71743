// Support for the end-to-end test programs: small Win32 programs built with
// Winelib (or MinGW) and run under Wine by run-wine.sh, one program per
// subsystem, each registered with corvane_e2e_test() in this folder's
// CMakeLists.txt.
//
// GoogleTest cannot be used here (its headers take Winelib for Windows), so
// this header brings what the tests need:
//
//   * Checks: a check counter that names the failing case, table row and
//     source line, keeps going after a failure, and ends the program with the
//     closing line "N passed, N failed" (exit code 0 only when none failed).
//   * Waiting: pump this thread's messages until a condition holds or a
//     deadline passes. There are no bare sleeps in the tests: everything that
//     happens in another thread or process is waited for by condition.
//   * The stand-in simulator (sim::win32::SimHost) on its own thread, and
//     short helpers to read and poke its offset space and aircraft.
//   * corvane.exe as a child process: a fresh temporary working folder with
//     (or without) a corvane.ini, CreateProcessA, the main window by class,
//     the status log (EDIT control 301), buttons 201 "Run!" and 202 "Exit!",
//     window geometry, styles and child controls, the "Error!" message box,
//     the exit code, and a kill when a test gives up.
//
// A minimal test program:
//
//   #include "tests/e2e/e2e_support.h"
//   using namespace corvane::e2e;
//
//   int main() {
//       Checks t;
//       SimHost sim;                     // "UIPCMAIN", "FS98MAIN", aircraft
//       if (!E2E_CHECK(t, sim.start())) return t.finish();
//       sim.with_aircraft([](corvane::sim::AircraftModel* a) { a->set_data_valid(1); });
//
//       t.begin("all ready: the status log shows OK");
//       TempFolder folder;
//       folder.write_file("corvane.ini", "[General]\nSpeed=20\n");
//       AppProcess app;
//       E2E_CHECK(t, app.start(app_path(), folder.path()));
//       HWND main_window = app.wait_window(kMainWindowClass, 20000);
//       E2E_CHECK(t, wait_for_log_line(main_window, "Status : OK", 20000));
//       press_button(main_window, kExitButtonId);
//       DWORD code = 1;
//       E2E_CHECK(t, app.wait_exit(10000, &code));
//       E2E_CHECK_EQ(t, code, 0);
//       return t.finish();
//   }
//
// Everything here runs on the test's main thread, except the stand-in,
// which serves on its own thread; reach its offset space and aircraft only
// through the helpers below or SimHost::with_server / with_aircraft.
#pragma once

#include "platform/windows_api.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/aircraft_model.h"
#include "sim/offset_server.h"
#include "sim/win32/sim_host.h"

// Format checking for the printf-style helpers. MinGW's C++ runtime formats
// with its own C99 printf (%zu, %lld), which GCC calls gnu_printf there.
#if defined(__MINGW32__)
#define CORVANE_E2E_PRINTF(format_index, first_argument) \
    __attribute__((format(gnu_printf, format_index, first_argument)))
#elif defined(__GNUC__)
#define CORVANE_E2E_PRINTF(format_index, first_argument) \
    __attribute__((format(printf, format_index, first_argument)))
#else
#define CORVANE_E2E_PRINTF(format_index, first_argument)
#endif

namespace corvane::e2e {

using sim::win32::HostOptions;
using sim::win32::ServerClass;
using sim::win32::SimHost;
using sim::win32::WindowLayout;

// ---------------------------------------------------------------------------
// Checks
// ---------------------------------------------------------------------------

class Checks {
public:
    // Starts a named case: printed now, and named again by every failure
    // until the next begin(). Also clears the row.
    void begin(const char* case_name);
    // Names the current row of a table-driven case (printf format); failures
    // print it until the next row() or begin().
    void row(const char* format, ...) CORVANE_E2E_PRINTF(2, 3);
    // Prints a free note under the current case (printf format).
    void note(const char* format, ...) CORVANE_E2E_PRINTF(2, 3);

    // The checks behind the macros; each returns whether it passed.
    bool check(bool ok, const char* expression, const char* file, int line);
    bool equal_int(long long actual, long long expected, const char* actual_text,
                   const char* expected_text, const char* file, int line);
    bool equal_str(const std::string& actual, const std::string& expected,
                   const char* actual_text, const char* file, int line);
    bool contains(const std::string& text, const std::string& part, const char* text_text,
                  const char* file, int line);
    // Compares two sequences of lines and names the first step that differs.
    bool equal_lines(const std::vector<std::string>& actual,
                     const std::vector<std::string>& expected, const char* actual_text,
                     const char* file, int line);

    int passed() const { return passed_; }
    int failed() const { return failed_; }
    // Prints "N passed, N failed" alone on a line; returns the exit code of
    // the program (0 when nothing failed, 1 otherwise).
    int finish();

private:
    void fail_header(const char* file, int line);

    int passed_ = 0;
    int failed_ = 0;
    std::string case_name_;
    std::string row_;
};

// The macros evaluate to the check's result, so a test can skip the steps
// that depend on a failed one: if (!E2E_CHECK(t, sim.start())) return t.finish();
#define E2E_CHECK(t, condition) (t).check(static_cast<bool>(condition), #condition, __FILE__, __LINE__)
#define E2E_CHECK_EQ(t, actual, expected)                                                   \
    (t).equal_int(static_cast<long long>(actual), static_cast<long long>(expected), #actual, \
                  #expected, __FILE__, __LINE__)
#define E2E_CHECK_STR(t, actual, expected) \
    (t).equal_str((actual), (expected), #actual, __FILE__, __LINE__)
#define E2E_CHECK_CONTAINS(t, text, part) (t).contains((text), (part), #text, __FILE__, __LINE__)
#define E2E_CHECK_LINES(t, actual, expected) \
    (t).equal_lines((actual), (expected), #actual, __FILE__, __LINE__)

// ---------------------------------------------------------------------------
// Waiting
// ---------------------------------------------------------------------------

// Dispatches the calling thread's messages for at most max_wait_ms; returns
// as soon as a message arrived and was dispatched (or the time is up).
void pump_messages(DWORD max_wait_ms);

// Pumps messages and polls condition() until it returns true (-> true) or
// timeout_ms has passed (-> false, after one last look).
template <typename Condition>
bool wait_until(Condition&& condition, DWORD timeout_ms, DWORD poll_ms = 10) {
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    for (;;) {
        if (condition()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return static_cast<bool>(condition());
        }
        const ULONGLONG left = deadline - now;
        pump_messages(static_cast<DWORD>(left < poll_ms ? left : poll_ms));
    }
}

// ---------------------------------------------------------------------------
// The stand-in simulator (running SimHost)
// ---------------------------------------------------------------------------

std::uint8_t sim_u8(SimHost& sim, std::uint32_t offset);
std::uint16_t sim_u16(SimHost& sim, std::uint32_t offset);
void sim_set_u8(SimHost& sim, std::uint32_t offset, std::uint8_t value);
void sim_set_u16(SimHost& sim, std::uint32_t offset, std::uint16_t value);
// Exchanges served so far (all clients).
std::size_t sim_exchanges(SimHost& sim);
// Commands the aircraft received, in arrival order (empty without aircraft).
std::vector<sim::PostedCommand> sim_commands(SimHost& sim);
// Waits until the aircraft has received at least count commands.
bool wait_for_commands(SimHost& sim, std::size_t count, DWORD timeout_ms);
// Waits until the stand-in has served at least by more exchanges (all clients).
bool wait_for_exchanges(SimHost& sim, std::size_t by, DWORD timeout_ms);
// Sets SDK1 0x0EEC, the aircraft's data-valid field (no-op without aircraft).
void sim_set_data_valid(SimHost& sim, std::int32_t value);

// The offset server stops answering, as a hung simulator does: a thread of
// this object holds the host's lock, so the serving thread waits for it and
// every exchange times out, until release() or the object's end. Meanwhile
// the test must not call into the host either.
class ServerStall {
public:
    // Returns once the server hangs.
    explicit ServerStall(SimHost& sim);
    ~ServerStall() { release(); }
    ServerStall(const ServerStall&) = delete;
    ServerStall& operator=(const ServerStall&) = delete;
    // The server answers again (the exchanges that timed out meanwhile are
    // handled first, late, as a real window does).
    void release();

private:
    static DWORD WINAPI hold(void* self);
    SimHost& sim_;
    HANDLE held_ = nullptr;
    HANDLE released_ = nullptr;
    HANDLE thread_ = nullptr;
};

// ---------------------------------------------------------------------------
// corvane.exe
// ---------------------------------------------------------------------------

// Ids and names of the program's main window, as the tests look for them.
inline constexpr char kMainWindowClass[] = "CORVANE";
constexpr int kRunButtonId = 201;
constexpr int kExitButtonId = 202;
constexpr int kStatusBarId = 200;
constexpr int kStatusLogId = 301;
inline constexpr char kErrorBoxTitle[] = "Error!";

// The status lines of corvane.exe's log, spelled out as a user reads them.
inline constexpr char kInit[] = "Status : INIT...";
inline constexpr char kLoading[] = "Status : LOADING";
inline constexpr char kOk[] = "Status : OK";
inline constexpr char kIflyNotOk[] = "Status : IFLY NOT OK";
inline constexpr char kFsuipcNotOk[] = "Status : FSUIPC NOT OK";
inline constexpr char kReconnecting[] = "Status : RECONNECTING";
inline constexpr char kNotOk[] = "Status : NOT OK";
inline constexpr char kAutoIn2[] = "Status : AUTORECONNECT IN 2 SECS";
inline constexpr char kAutoFailed[] = "Status : AUTORECONNECT FAILED";
inline constexpr char kLogFileNotOk[] = "Status : LOG FILE NOT OK";

// Windows path of corvane.exe as built next to the tests (under Winelib the
// loadable module corvane.exe.so). Taken from the build (CORVANE_APP_PATH),
// else from the environment variable CORVANE_APP (a Unix or Windows path).
// Empty when neither names an existing file.
std::string app_path();
// "Z:\..." for an absolute Unix path; Windows paths are returned as they are.
std::string windows_path(const std::string& path);

// A fresh, empty folder under the Windows temporary folder; removed with
// everything in it when the object goes away.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }  // Windows path, no trailing '\'
    bool write_file(const char* name, const std::string& contents);
    std::string file_path(const char* name) const;

private:
    std::string path_;
};

// A child process started with CreateProcessA. Killed when the object goes
// away while it still runs, so a failing test never leaves it behind.
class AppProcess {
public:
    AppProcess() = default;
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Starts program (a Windows path) with working_folder as its current
    // folder; the command line is the quoted program path, then arguments.
    // With discard_output the child's standard output and error go to NUL
    // instead of into the test's own output.
    bool start(const std::string& program, const std::string& working_folder,
               const std::string& arguments = std::string(), bool discard_output = false);
    // Like start(), with the child's standard output and error both going to
    // the file output_path (created, or emptied), for read_file() to read
    // while the child still writes; its standard input is input (an
    // inheritable handle, such as a pipe's read end) or none.
    bool start_logged(const std::string& program, const std::string& working_folder,
                      const std::string& arguments, const std::string& output_path,
                      HANDLE input = nullptr);
    DWORD pid() const { return pid_; }
    // The process handle (for GetProcessHandleCount, GetGuiResources); null
    // before start() and after the process was reaped.
    HANDLE handle() const { return process_; }
    bool running() const;
    // Waits for the process to end; false on timeout. exit_code, when given,
    // receives the exit code.
    bool wait_exit(DWORD timeout_ms, DWORD* exit_code = nullptr);
    // Ends the process now (TerminateProcess) and waits for it.
    void kill();

    // The first top-level window of this process with the given class
    // (visible or not), waiting up to timeout_ms; nullptr if none came.
    HWND wait_window(const char* class_name, DWORD timeout_ms);
    // A message box ("#32770") of this process with the given title.
    HWND wait_message_box(const char* title, DWORD timeout_ms);
    // Top-level windows of this process right now, any class.
    std::vector<HWND> top_level_windows() const;

private:
    // Starts the child with its standard input on input and its output and
    // error on output; an output of INVALID_HANDLE_VALUE leaves the child
    // the test's own handles.
    bool launch(const std::string& program, const std::string& working_folder,
                const std::string& arguments, HANDLE input, HANDLE output);

    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// The whole contents of a file, also one another process still writes;
// empty when it cannot be read.
std::string read_file(const std::string& path);

// corvane.exe in a fresh folder of its own.
struct CorvaneRun {
    TempFolder folder;
    AppProcess process;
    HWND window = nullptr;

    // Writes settings as the folder's corvane.ini, starts corvane.exe there
    // and waits for its main window; false (after a failed check) otherwise.
    bool launch(Checks& t, const std::string& settings);
    // Presses "Exit!" and checks that the process ends with exit code 0.
    void exit(Checks& t);
};

// ---------------------------------------------------------------------------
// Windows of another process
// ---------------------------------------------------------------------------

// WM_GETTEXT through SendMessageTimeoutA, so a hung window cannot hang the test.
std::string window_text(HWND window);
std::string window_class(HWND window);
std::string control_text(HWND parent, int id);
// The status log: text of the EDIT control 301 of the main window.
std::string status_log(HWND main_window);
// Splits a log on "\r\n"; a final empty piece is dropped.
std::vector<std::string> log_lines(const std::string& text);
// a followed by b: an expected log built up case by case.
std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b);
// Waits until the status log holds a line equal to line.
bool wait_for_log_line(HWND main_window, const char* line, DWORD timeout_ms);
// Waits until the status log holds at least count lines.
bool wait_for_log_count(HWND main_window, std::size_t count, DWORD timeout_ms);

struct WindowInfo {
    RECT rect = {};         // screen coordinates (GetWindowRect)
    RECT client = {};       // client rectangle (GetClientRect)
    DWORD style = 0;        // GWL_STYLE
    DWORD ex_style = 0;     // GWL_EXSTYLE
    bool visible = false;   // IsWindowVisible
    bool iconic = false;    // IsIconic
    std::string class_name;
    std::string text;
};
WindowInfo window_info(HWND window);

struct ChildInfo {
    HWND handle = nullptr;
    int id = 0;
    std::string class_name;
    std::string text;
    RECT rect = {};  // relative to the parent's client area
    DWORD style = 0;
    DWORD ex_style = 0;
};
// Direct children of parent, in the order the window manager keeps them
// (the order of creation for windows created without Z-order changes).
std::vector<ChildInfo> child_windows(HWND parent);

// Presses a button of parent by posting BM_CLICK to it (the program sees
// the same WM_COMMAND/BN_CLICKED a mouse click gives).
bool press_button(HWND parent, int id);
// Posts WM_COMMAND(id, BN_CLICKED) with the button as lParam straight to
// parent, for a button that cannot take BM_CLICK (hidden, disabled).
bool send_command(HWND parent, int id);

// The text of a message box (its static text control).
std::string message_box_text(HWND box);
// Closes a message box as its OK button would.
void dismiss_message_box(HWND box);

}  // namespace corvane::e2e
