// End to end: corvane-monitor as a cockpit builder runs it, a program of its
// own beside the stand-in (served by this test) and corvane.exe. Its change
// log names what the aircraft changed; its inputs travel the whole road,
// monitor -> offsets -> Corvane -> aircraft -> offsets -> monitor; bad
// arguments and a missing FSUIPC end it with their exit codes.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "tests/e2e/e2e_support.h"

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr DWORD kStartMs = 20000;
constexpr DWORD kExitMs = 20000;
constexpr DWORD kSeenMs = 5000;
constexpr DWORD kIntervalMs = 200;
constexpr char kChangesArguments[] = "--changes --interval 200";
constexpr char kReadingLine[] = "corvane-monitor: reading 0x9400-0x94FB every 200 ms\n";
constexpr char kMessagePrefix[] = "corvane-monitor: ";
constexpr DWORD kExitOk = 0;
constexpr DWORD kExitUsage = 2;
constexpr DWORD kExitNoFsuipc = 3;
constexpr DWORD kExitInterrupted = 4;

constexpr std::uint32_t kCommandWord = 0x9400;
constexpr std::uint16_t kNoCommand = 0xFFFF;
constexpr std::uint32_t kAltitudeDisplay = 0x943A;
constexpr std::uint32_t kHeadingDisplay = 0x9438;
constexpr std::uint32_t kAltitudeKnob = 0x94F0;
constexpr std::uint32_t kStepCounter0 = 0x94F8;
constexpr int kHeadingWindow = 4;
constexpr int kAltitudeWindow = 5;
constexpr int kBlankedWindow = 8;
constexpr std::uint32_t kBlankedDisplay = 0x9440;
constexpr std::uint16_t kBlank = 0xFFFF;
constexpr std::uint32_t kSetAltitude = 1232;
constexpr std::uint32_t kStepDown = 627;

std::string monitor_path() {
#ifdef CORVANE_MONITOR_PATH
    return windows_path(CORVANE_MONITOR_PATH);
#else
    return {};
#endif
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Runs the monitor to its end with the given arguments; its standard output
// and error land in output.
bool run_monitor(Checks& t, const TempFolder& folder, const std::string& arguments, DWORD& code,
                 std::string& output) {
    const std::string log = folder.file_path("run.log");
    AppProcess monitor;
    if (!E2E_CHECK(t, monitor.start_logged(monitor_path(), folder.path(), arguments, log)) ||
        !E2E_CHECK(t, monitor.wait_exit(kExitMs, &code))) {
        return false;
    }
    output = read_file(log);
    return true;
}

// "hh:mm:ss.mmm 0x94NN name old -> new": the only thing --changes prints.
bool change_line(const std::string& line) {
    static constexpr char kShape[] = "00:00:00.000 0x9400 ";
    if (line.size() < sizeof kShape) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < sizeof kShape; ++i) {
        const bool digit = std::isxdigit(static_cast<unsigned char>(line[i])) != 0;
        if (kShape[i] == '0' ? !digit : line[i] != kShape[i]) {
            return false;
        }
    }
    const std::size_t arrow = line.find(" -> ");
    return arrow != std::string::npos && arrow > sizeof kShape &&
           line.find(' ', arrow + 4) == std::string::npos;
}

void refusals(Checks& t) {
    t.begin("bad arguments: one line on standard error, exit code 2, nothing else");
    TempFolder folder;
    const struct {
        const char* arguments;
        const char* says;
    } rows[] = {
        {"--turn flaps +1", "unknown knob \"flaps\""},
        {"--turn altitude +300", "--turn altitude takes -127..+127 steps"},
        {"--step 4 -1", "--step takes a step counter 0..3"},
        {"--step 0 -200", "--step 0 takes -127..+127 steps"},
        {"--interval 5", "--interval takes 10..1000 milliseconds"},
        {"--value 256", "--value takes a value 0..255"},
        {"--command 40000", "--command takes a command code 0..32767"},
        {"--changes --view", "--view and --changes cannot be combined"},
    };
    for (const auto& row : rows) {
        t.row("%s", row.arguments);
        DWORD code = 0;
        std::string output;
        if (run_monitor(t, folder, row.arguments, code, output)) {
            E2E_CHECK_EQ(t, code, kExitUsage);
            E2E_CHECK_CONTAINS(t, output, std::string(kMessagePrefix) + row.says);
            E2E_CHECK_EQ(t, output.find('\n'), output.size() - 1);
        }
    }
    t.row("%s", "--labels missing.csv");
    {
        DWORD code = 0;
        std::string output;
        if (run_monitor(t, folder, "--labels missing.csv", code, output)) {
            E2E_CHECK_EQ(t, code, kExitUsage);
            E2E_CHECK_STR(t, output, "corvane-monitor: cannot read the labels file missing.csv\n");
        }
    }
    t.row("%s", "--help");
    DWORD code = 1;
    std::string output;
    if (run_monitor(t, folder, "--help", code, output)) {
        E2E_CHECK_EQ(t, code, kExitOk);
        E2E_CHECK_EQ(t, output.rfind("usage: corvane-monitor ", 0), 0);
    }
}

void no_fsuipc(Checks& t) {
    t.begin("no FSUIPC: --wait 1 gives up with exit code 3 and says why");
    E2E_CHECK(t, FindWindowExA(nullptr, nullptr, "FS98MAIN", nullptr) == nullptr);
    TempFolder folder;
    DWORD code = 0;
    std::string output;
    const ULONGLONG started = GetTickCount64();
    if (run_monitor(t, folder, "--changes --wait 1", code, output)) {
        E2E_CHECK_EQ(t, code, kExitNoFsuipc);
        E2E_CHECK_CONTAINS(t, output, "corvane-monitor: no FSUIPC after 1 s (no FSUIPC window; "
                                      "is the simulator or corvane-sim running?)\n");
        E2E_CHECK(t, GetTickCount64() - started >= 1000);
    }
}

// Ctrl+C (or the console closing) sets the monitor's stop event, named
// after its process id. While a command still waits for FSUIPC, that stop
// must not read as "done" to a script.
void stopped_before_writing(Checks& t) {
    t.begin("stopped while --command waits for FSUIPC: exit code 4, not 0");
    TempFolder folder;
    const std::string log = folder.file_path("run.log");
    AppProcess monitor;
    if (!E2E_CHECK(t, monitor.start_logged(monitor_path(), folder.path(), "--command 627", log)) ||
        !E2E_CHECK(t, wait_until([&] { return contains(read_file(log), "waiting for FSUIPC"); },
                                 kStartMs))) {
        return;
    }
    char name[64];
    std::snprintf(name, sizeof name, "corvane-monitor-stop-%lu",
                  static_cast<unsigned long>(monitor.pid()));
    const HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (!E2E_CHECK(t, stop != nullptr)) {
        return;
    }
    SetEvent(stop);
    CloseHandle(stop);
    DWORD code = 0;
    if (E2E_CHECK(t, monitor.wait_exit(kExitMs, &code))) {
        E2E_CHECK_EQ(t, code, kExitInterrupted);
        E2E_CHECK_CONTAINS(t, read_file(log),
                           "corvane-monitor: stopped before the inputs were written\n");
    }
}

// Everything the change log printed so far.
struct ChangeLog {
    TempFolder folder;
    AppProcess process;
    std::string path = folder.file_path("changes.log");

    std::string text() const { return read_file(path); }
    bool wait_for(const std::string& part, DWORD timeout_ms) const {
        return wait_until([&] { return contains(text(), part); }, timeout_ms, 5);
    }
};

void the_value_of(Checks& t, const std::string& view, const char* cell, const char* value) {
    const std::size_t at = view.find(cell);
    if (!E2E_CHECK(t, at != std::string::npos)) {
        return;
    }
    std::size_t from = at + std::strlen(cell);
    while (from < view.size() && view[from] == ' ') {
        ++from;
    }
    E2E_CHECK_STR(t, view.substr(from, std::strlen(value)), value);
}

void with_corvane(Checks& t) {
    t.begin("set up: the stand-in, corvane.exe bridging it, a change log");
    SimHost sim;
    if (!E2E_CHECK(t, sim.start())) {
        return;
    }
    sim_set_data_valid(sim, 1);
    sim_set_u16(sim, kCommandWord, kNoCommand);
    sim.with_aircraft([](sim::AircraftModel* aircraft) {
        aircraft->set_window(kHeadingWindow, 270);
        aircraft->set_window(kAltitudeWindow, 10000);
        aircraft->blank_window(kBlankedWindow);
    });
    const bool bridged = !app_path().empty();
    TempFolder app_folder;
    AppProcess app;
    if (bridged) {
        E2E_CHECK(t, app_folder.write_file("corvane.ini", "[General]\nSpeed=20\n"));
        E2E_CHECK(t, app.start(app_path(), app_folder.path()));
        E2E_CHECK(t, wait_until([&] { return sim_u16(sim, kAltitudeDisplay) == 10000; }, kStartMs));
    } else {
        // A Windows build without a settings reader has no corvane.exe: the
        // monitor then reads and writes the stand-in's offsets alone.
        t.note("corvane.exe was not built: the monitor is checked against the offsets alone");
        sim_set_u16(sim, kHeadingDisplay, 270);
        sim_set_u16(sim, kAltitudeDisplay, 10000);
        sim_set_u16(sim, kBlankedDisplay, kBlank);
    }
    ChangeLog log;
    if (!E2E_CHECK(t, log.process.start_logged(monitor_path(), log.folder.path(), kChangesArguments,
                                               log.path)) ||
        !E2E_CHECK(t, log.wait_for(kReadingLine, kStartMs))) {
        return;
    }

    t.begin("a display the aircraft changes is in the change log, by name, within two intervals");
    if (bridged) {
        sim.with_aircraft([](sim::AircraftModel* aircraft) { aircraft->set_window(kHeadingWindow, 123); });
        E2E_CHECK(t, wait_until([&] { return sim_u16(sim, kHeadingDisplay) == 123; }, kSeenMs, 1));
    } else {
        sim_set_u16(sim, kHeadingDisplay, 123);
    }
    const ULONGLONG exported = GetTickCount64();
    E2E_CHECK(t, log.wait_for(" 0x9438 heading display 270 -> 123\n", kSeenMs));
    const ULONGLONG seen = GetTickCount64() - exported;
    t.note("logged %llu ms after the export (interval %lu ms)", static_cast<unsigned long long>(seen),
           static_cast<unsigned long>(kIntervalMs));
    E2E_CHECK(t, seen <= 2 * kIntervalMs);

    t.begin("--turn altitude +3: the altitude display rises by 300 through Corvane");
    DWORD code = 1;
    std::string output;
    TempFolder folder;
    if (run_monitor(t, folder, "--turn altitude +3", code, output)) {
        E2E_CHECK_EQ(t, code, kExitOk);
        E2E_CHECK_CONTAINS(t, output, " 0x94F0 altitude display knob 0 -> 3\n");
    }
    E2E_CHECK_EQ(t, sim_u8(sim, kAltitudeKnob), 3);
    E2E_CHECK(t, log.wait_for(" 0x94F0 altitude display knob 0 -> 3\n", kSeenMs));
    if (bridged) {
        E2E_CHECK(t, wait_until([&] { return sim_u16(sim, kAltitudeDisplay) == 10300; }, kSeenMs));
        E2E_CHECK(t, log.wait_for(" 0x943A altitude display 10000 -> 10300\n", kSeenMs));
        const std::vector<sim::PostedCommand> commands = sim_commands(sim);
        E2E_CHECK(t, !commands.empty() && commands.back() == (sim::PostedCommand{kSetAltitude, 10300}));
    }

    t.begin("--step 0 -2: two 627 commands at the stand-in");
    sim.with_aircraft([](sim::AircraftModel* aircraft) { aircraft->clear_commands(); });
    if (run_monitor(t, folder, "--step 0 -2", code, output)) {
        E2E_CHECK_EQ(t, code, kExitOk);
        E2E_CHECK_CONTAINS(t, output, " 0x94F8 step counter 0 0 -> 254\n");
    }
    E2E_CHECK_EQ(t, sim_u8(sim, kStepCounter0), 254);
    if (bridged) {
        E2E_CHECK(t, wait_for_commands(sim, 2, kSeenMs));
        // Nothing more follows.
        E2E_CHECK(t, !wait_for_commands(sim, 3, 4 * kIntervalMs));
        const std::vector<sim::PostedCommand> expected = {{kStepDown, 0}, {kStepDown, 0}};
        E2E_CHECK(t, sim_commands(sim) == expected);
    }

    t.begin("the live view, redirected, shows the block by name and by the builder's labels");
    AppProcess view;
    const std::string view_log = folder.file_path("view.log");
    E2E_CHECK(t, folder.write_file("labels.csv", "offset,label\r\n0x9440,\"Standby, left\"\r\n"));
    if (E2E_CHECK(t, view.start_logged(monitor_path(), folder.path(), "--interval 100 --labels labels.csv",
                                       view_log)) &&
        E2E_CHECK(t, wait_until([&] { return contains(read_file(view_log), "\n94FA "); }, kStartMs))) {
        const std::string frame = read_file(view_log);
        the_value_of(t, frame, "943A altitude ", bridged ? "10300" : "10000");
        the_value_of(t, frame, "9438 heading ", "123");
        the_value_of(t, frame, "9440 Standby, left ", "-----");
        the_value_of(t, frame, "94F0 altitude knob ", "3");
        the_value_of(t, frame, "94F8 step counter 0 ", "254");
    }
    view.kill();

    t.begin("--labels names.csv --command NAME: the header's command by name, named in the write's line");
    sim.with_aircraft([](sim::AircraftModel* aircraft) { aircraft->clear_commands(); });
    E2E_CHECK(t, folder.write_file("names.csv", "offset,label,source\n0x9438,HDG_DIGITS,SDK1 0x01D0-0x01D8\n"
                                                "command:627,EVT_TEST_STEP_DOWN\n"));
    if (run_monitor(t, folder, "--labels names.csv --command EVT_TEST_STEP_DOWN", code, output)) {
        E2E_CHECK_EQ(t, code, kExitOk);
        E2E_CHECK_CONTAINS(t, output, " 0x9400 command word -1 -> 627 (EVT_TEST_STEP_DOWN)\n");
    }
    if (bridged) {
        E2E_CHECK(t, wait_for_commands(sim, 1, kSeenMs));
        E2E_CHECK(t, sim_commands(sim) == (std::vector<sim::PostedCommand>{{kStepDown, 0}}));
    }
    if (run_monitor(t, folder, "--command EVT_TEST_STEP_DOWN", code, output)) {
        E2E_CHECK_EQ(t, code, kExitUsage);
    }

    t.begin("the change log holds change lines and nothing else");
    int lines = 0;
    const std::string text = log.text();
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        if (line.rfind(kMessagePrefix, 0) == 0) {
            continue;  // standard error, which shares the file here
        }
        t.row("%s", line.c_str());
        E2E_CHECK(t, change_line(line));
        ++lines;
    }
    t.note("%d change lines", lines);

    t.begin("both windows: every exchange went to \"UIPCMAIN\", the commands to \"FS98MAIN\"");
    const sim::win32::HostCounters counters = sim.counters();
    E2E_CHECK(t, counters.exchanges > 0);
    E2E_CHECK_EQ(t, counters.exchanges_at(ServerClass::Uipcmain), counters.exchanges);
    // Only the simulator's window hands commands to the aircraft.
    E2E_CHECK(t, !bridged || counters.commands >= 3);

    log.process.kill();
    if (bridged) {
        const HWND window = app.wait_window(kMainWindowClass, kStartMs);
        E2E_CHECK(t, press_button(window, kExitButtonId));
        E2E_CHECK(t, app.wait_exit(kExitMs));
    }
}

}  // namespace

int main() {
    Checks t;
    if (!E2E_CHECK(t, !monitor_path().empty())) {
        return t.finish();
    }
    refusals(t);
    no_fsuipc(t);
    stopped_before_writing(t);
    with_corvane(t);
    return t.finish();
}
