// End to end: corvane.exe started in a fresh folder against the stand-in
// simulator, watched through its status log, buttons, windows and exit code;
// and the status log append driven in-process up to the EDIT control's limit.
#include "tests/e2e/e2e_support.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/status_log.h"

namespace {

using namespace corvane;
using namespace corvane::e2e;
using Lines = std::vector<std::string>;

constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kLineTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;
// Longer than a reconnect's waits (2 + 1 s): what has not happened by then
// does not happen.
constexpr DWORD kQuietMs = 4000;

constexpr char kSettings[] = "[General]\nSpeed=20\n[Minimize]\nScreen=0\n";
constexpr char kSettingsMinimised[] = "[General]\nSpeed=20\n[Minimize]\nScreen=1\n";


constexpr int kCloseCommand = 105;

// corvane.exe in a folder of its own.
struct Program {
    TempFolder folder;
    AppProcess process;
    HWND window = nullptr;
};

// Starts the program with the given corvane.ini (nullptr: none) and, when
// asked, waits for its main window.
bool launch(Checks& t, Program& program, const char* settings, bool wait_for_window = true) {
    const std::string path = app_path();
    if (!E2E_CHECK(t, !path.empty()) || !E2E_CHECK(t, program.folder.ok())) {
        return false;
    }
    if (settings != nullptr && !E2E_CHECK(t, program.folder.write_file("corvane.ini", settings))) {
        return false;
    }
    if (!E2E_CHECK(t, program.process.start(path, program.folder.path()))) {
        return false;
    }
    if (!wait_for_window) {
        return true;
    }
    program.window = program.process.wait_window(kMainWindowClass, kWindowTimeoutMs);
    return E2E_CHECK(t, program.window != nullptr);
}

bool wait_for_lines(HWND window, std::size_t count) {
    return wait_for_log_count(window, count, kLineTimeoutMs);
}

void exit_with_button(Checks& t, Program& program) {
    E2E_CHECK(t, press_button(program.window, kExitButtonId));
    DWORD code = 1;
    E2E_CHECK(t, program.process.wait_exit(kExitTimeoutMs, &code));
    E2E_CHECK_EQ(t, code, 0);
}

std::string area_name(DWORD pid, unsigned counter) {
    char name[64];
    std::snprintf(name, sizeof name, "FsasmLib:IPC:%X:%X", static_cast<unsigned>(pid), counter);
    return name;
}

bool exchanges_grow(SimHost& sim, std::size_t by) {
    return wait_for_exchanges(sim, by, kLineTimeoutMs);
}

SimHost* start_sim(Checks& t, SimHost& sim, std::int32_t data_valid) {
    if (!E2E_CHECK(t, sim.start())) {
        return nullptr;
    }
    sim_set_data_valid(sim, data_valid);
    return &sim;
}

// ---------------------------------------------------------------------------

void missing_settings_file(Checks& t) {
    t.begin("no corvane.ini: the error box, no window, no link, exit 0");
    SimHost sim;
    if (start_sim(t, sim, 1) == nullptr) {
        return;
    }
    Program program;
    if (!launch(t, program, nullptr, false)) {
        return;
    }
    const HWND box = program.process.wait_message_box(kErrorBoxTitle, kWindowTimeoutMs);
    if (!E2E_CHECK(t, box != nullptr)) {
        return;
    }
    E2E_CHECK_STR(t, message_box_text(box), "loading corvane.ini failed!");
    for (HWND window : program.process.top_level_windows()) {
        E2E_CHECK(t, window_class(window) != kMainWindowClass);
    }
    E2E_CHECK_EQ(t, sim_exchanges(sim), 0);
    dismiss_message_box(box);
    DWORD code = 1;
    E2E_CHECK(t, program.process.wait_exit(kExitTimeoutMs, &code));
    E2E_CHECK_EQ(t, code, 0);
}

void settings_beside_the_program(Checks& t) {
    t.begin("corvane.ini only beside corvane.exe, started from another folder: read from there");
    SimHost sim;
    if (start_sim(t, sim, 1) == nullptr) {
        return;
    }
    // A copy of the program in a folder of its own, with Screen=1 beside it:
    // a minimised window proves the file was read, not the defaults taken.
    TempFolder program_folder;
    const std::string built = app_path();
    const std::string name = built.substr(built.find_last_of('\\') + 1);
    const std::string copy = program_folder.file_path(name.c_str());
    if (!E2E_CHECK(t, program_folder.ok()) ||
        !E2E_CHECK(t, CopyFileA(built.c_str(), copy.c_str(), FALSE)) ||
        !E2E_CHECK(t, program_folder.write_file("corvane.ini", kSettingsMinimised))) {
        return;
    }
    Program program;
    if (!E2E_CHECK(t, program.process.start(copy, program.folder.path()))) {
        return;
    }
    program.window = program.process.wait_window(kMainWindowClass, kWindowTimeoutMs);
    if (!E2E_CHECK(t, program.window != nullptr)) {
        return;
    }
    const Lines expected = {kInit, kLoading, kOk};
    E2E_CHECK(t, wait_for_lines(program.window, expected.size()));
    E2E_CHECK_LINES(t, log_lines(status_log(program.window)), expected);
    E2E_CHECK(t, window_info(program.window).iconic);
    exit_with_button(t, program);
}

void no_simulator_then_run(Checks& t) {
    t.begin("no simulator: FSUIPC NOT OK; Run! connects once it is there");
    Program program;
    if (!launch(t, program, kSettings)) {
        return;
    }
    const Lines start = {kInit, kFsuipcNotOk};
    E2E_CHECK(t, wait_for_lines(program.window, start.size()));
    E2E_CHECK_LINES(t, log_lines(status_log(program.window)), start);
    E2E_CHECK_STR(t, control_text(program.window, kStatusBarId), kFsuipcNotOk);
    const WindowInfo info = window_info(program.window);
    E2E_CHECK(t, info.visible);
    E2E_CHECK(t, !info.iconic);

    SimHost sim;
    if (start_sim(t, sim, 1) == nullptr) {
        program.process.kill();
        return;
    }
    E2E_CHECK(t, press_button(program.window, kRunButtonId));
    const Lines after_run = join(start, {kReconnecting, kOk});
    E2E_CHECK(t, wait_for_lines(program.window, after_run.size()));
    E2E_CHECK_LINES(t, log_lines(status_log(program.window)), after_run);
    E2E_CHECK(t, exchanges_grow(sim, 5));
    exit_with_button(t, program);
}

void simulator_without_aircraft(Checks& t) {
    t.begin("simulator without aircraft: IFLY NOT OK, no bridging");
    SimHost sim(HostOptions{WindowLayout::Fs98mainOnly, false});
    if (!E2E_CHECK(t, sim.start())) {
        return;
    }
    Program program;
    if (!launch(t, program, kSettings)) {
        return;
    }
    const Lines expected = {kInit, kIflyNotOk};
    E2E_CHECK(t, wait_for_lines(program.window, expected.size()));
    E2E_CHECK_LINES(t, log_lines(status_log(program.window)), expected);
    // The open's handshake exchanges, then nothing: no timer runs.
    const std::size_t exchanges = sim_exchanges(sim);
    E2E_CHECK(t, !wait_until([&] { return sim_exchanges(sim) > exchanges; }, 1000));
    exit_with_button(t, program);
}

void window_and_controls(Checks& t, HWND window) {
    t.begin("main window: title, class, style, 532x320 at 100,100, the four controls");
    const WindowInfo info = window_info(window);
    E2E_CHECK_STR(t, info.text, "Corvane v2.03");
    E2E_CHECK_STR(t, info.class_name, "CORVANE");
    // The system adds WS_CLIPSIBLINGS and WS_EX_WINDOWEDGE to every captioned
    // top-level window.
    E2E_CHECK_EQ(t, info.style & ~(WS_VISIBLE | WS_CLIPSIBLINGS), 0x00CA0000);
    E2E_CHECK_EQ(t, info.ex_style & ~WS_EX_WINDOWEDGE, 0);
    E2E_CHECK(t, info.visible);
    E2E_CHECK_EQ(t, info.rect.left, 100);
    E2E_CHECK_EQ(t, info.rect.top, 100);
    E2E_CHECK_EQ(t, info.rect.right - info.rect.left, 532);
    E2E_CHECK_EQ(t, info.rect.bottom - info.rect.top, 320);

    struct Expected {
        int id;
        const char* class_name;
        const char* text;
        DWORD ex_style;
        DWORD style;
        RECT rect;
    };
    const Expected expected[] = {
        {kRunButtonId, "Button", "Run!", WS_EX_STATICEDGE, 0x50000000, {396, 159, 471, 185}},
        {kExitButtonId, "Button", "Exit!", WS_EX_STATICEDGE, 0x50000000, {396, 210, 471, 236}},
        {kStatusBarId, "msctls_statusbar32", nullptr, 0, 0x50000100, {}},
        // Created with 0x58A00044; the control takes WS_BORDER over and draws
        // the border itself, so the style reads back without it.
        {kStatusLogId, "Edit", nullptr, WS_EX_STATICEDGE, 0x58A00044 & ~WS_BORDER,
         {11, 36, 353, 246}},
    };
    const std::vector<ChildInfo> children = child_windows(window);
    if (!E2E_CHECK_EQ(t, children.size(), 4)) {
        return;
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ChildInfo& child = children[i];
        const Expected& want = expected[i];
        t.row("child %zu, id %d", i, want.id);
        E2E_CHECK_EQ(t, child.id, want.id);
        E2E_CHECK(t, lstrcmpiA(child.class_name.c_str(), want.class_name) == 0);
        if (want.text != nullptr) {
            E2E_CHECK_STR(t, child.text, want.text);
        }
        E2E_CHECK_EQ(t, child.ex_style, want.ex_style);
        E2E_CHECK_EQ(t, child.style & want.style, want.style);
        if (want.id == kStatusBarId) {
            // It places itself along the bottom, the full client width.
            E2E_CHECK_EQ(t, child.rect.left, 0);
            E2E_CHECK_EQ(t, child.rect.right, info.client.right);
            E2E_CHECK_EQ(t, child.rect.bottom, info.client.bottom);
            E2E_CHECK(t, child.rect.top > 246);
        } else {
            E2E_CHECK_EQ(t, child.rect.left, want.rect.left);
            E2E_CHECK_EQ(t, child.rect.top, want.rect.top);
            E2E_CHECK_EQ(t, child.rect.right, want.rect.right);
            E2E_CHECK_EQ(t, child.rect.bottom, want.rect.bottom);
        }
    }
}

// Alt plus a key typed on the keyboard, into whatever has the focus in the
// foreground window. The accelerator reads the real Alt key state, so a
// posted WM_SYSCHAR would not do.
bool type_with_alt(HWND window, WORD key, bool shift) {
    SetForegroundWindow(window);
    if (!wait_until([&] { return GetForegroundWindow() == window; }, kWindowTimeoutMs)) {
        return false;
    }
    INPUT input[6] = {};
    UINT count = 0;
    const auto add = [&](WORD vk, bool up) {
        input[count].type = INPUT_KEYBOARD;
        input[count].ki.wVk = vk;
        input[count].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++count;
    };
    add(VK_MENU, false);
    if (shift) {
        add(VK_SHIFT, false);
    }
    add(key, false);
    add(key, true);
    if (shift) {
        add(VK_SHIFT, true);
    }
    add(VK_MENU, true);
    return SendInput(count, input, sizeof(INPUT)) == count;
}

void about_box(Checks& t, Program& program, SimHost& sim, bool shift) {
    t.row(shift ? "Alt+?" : "Alt+/");
    E2E_CHECK(t, type_with_alt(program.window, VK_OEM_2, shift));
    const HWND box = program.process.wait_message_box("About Corvane", kWindowTimeoutMs);
    if (!E2E_CHECK(t, box != nullptr)) {
        return;
    }
    bool version_line = false;
    bool ok_button = false;
    for (const ChildInfo& child : child_windows(box)) {
        version_line = version_line || child.text == "Corvane, Version 2.03";
        ok_button = ok_button || (child.id == IDOK && child.text == "OK");
    }
    E2E_CHECK(t, version_line);
    E2E_CHECK(t, ok_button);
    // The modal loop keeps dispatching the main window's timer.
    E2E_CHECK(t, exchanges_grow(sim, 5));
    dismiss_message_box(box);
    E2E_CHECK(t, wait_until([&] { return !IsWindow(box); }, kWindowTimeoutMs));
}

void all_ready(Checks& t) {
    t.begin("all ready: INIT, LOADING, OK, then bridging");
    SimHost sim;
    if (start_sim(t, sim, 1) == nullptr) {
        return;
    }
    Program program;
    if (!launch(t, program, kSettings)) {
        return;
    }
    Lines expected = {kInit, kLoading, kOk};
    E2E_CHECK(t, wait_for_lines(program.window, expected.size()));
    E2E_CHECK_LINES(t, log_lines(status_log(program.window)), expected);
    E2E_CHECK_STR(t, control_text(program.window, kStatusBarId), kOk);
    E2E_CHECK(t, exchanges_grow(sim, 10));
    E2E_CHECK_STR(t, sim.counters().last_area_name, area_name(program.process.pid(), 1));
    E2E_CHECK(t, !window_info(program.window).iconic);

    window_and_controls(t, program.window);

    t.begin("Alt+? and Alt+/ open the About box; the bridge goes on meanwhile");
    about_box(t, program, sim, true);
    about_box(t, program, sim, false);

    t.begin("Run! while bridging: both links reopened, area 2, bridging again");
    sim.reset_counters();
    E2E_CHECK(t, press_button(program.window, kRunButtonId));
    expected = join(expected, {kReconnecting, kOk});
    E2E_CHECK(t, wait_for_lines(program.window, expected.size()));
    E2E_CHECK_LINES(t, log_lines(status_log(program.window)), expected);
    E2E_CHECK(t, exchanges_grow(sim, 5));
    E2E_CHECK_STR(t, sim.counters().last_area_name, area_name(program.process.pid(), 2));

    t.begin("after a click the button holds the focus: Alt+/ reaches it and does nothing");
    E2E_CHECK(t, type_with_alt(program.window, VK_OEM_2, false));
    E2E_CHECK(t, program.process.wait_message_box("About Corvane", 1000) == nullptr);

    t.begin("data-valid field drops to 0: NOT OK, one automatic attempt, IFLY NOT OK, waiting");
    sim_set_data_valid(sim, 0);
    expected = join(expected, {kNotOk, kAutoIn2, kReconnecting, kIflyNotOk});
    E2E_CHECK(t, wait_for_lines(program.window, expected.size()));
    E2E_CHECK_LINES(t, log_lines(status_log(program.window)), expected);
    // Links up, data not valid: no second attempt, and the timer is stopped.
    const std::size_t exchanges = sim_exchanges(sim);
    E2E_CHECK(t, !wait_for_log_count(program.window, expected.size() + 1, kQuietMs));
    E2E_CHECK_EQ(t, sim_exchanges(sim), exchanges);

    t.begin("Run! once the data is valid again resumes bridging");
    sim_set_data_valid(sim, 1);
    E2E_CHECK(t, press_button(program.window, kRunButtonId));
    expected = join(expected, {kReconnecting, kOk});
    E2E_CHECK(t, wait_for_lines(program.window, expected.size()));
    E2E_CHECK_LINES(t, log_lines(status_log(program.window)), expected);
    E2E_CHECK(t, exchanges_grow(sim, 5));

    t.begin("Exit! ends the process with 0 while the timer runs; the clean-up closes FSUIPC");
    const std::string area = sim.counters().last_area_name;
    E2E_CHECK_STR(t, area, area_name(program.process.pid(), 4));
    E2E_CHECK(t, GlobalFindAtomA(area.c_str()) != 0);
    exit_with_button(t, program);
    // Global atoms outlive their process: only the link's close gives it back.
    E2E_CHECK_EQ(t, GlobalFindAtomA(area.c_str()), 0);
}

void minimised_start(Checks& t) {
    t.begin("Screen=1: the window starts minimised and stays so after OK");
    SimHost sim;
    if (start_sim(t, sim, 1) == nullptr) {
        return;
    }
    Program program;
    if (!launch(t, program, kSettingsMinimised)) {
        return;
    }
    const Lines expected = {kInit, kLoading, kOk};
    E2E_CHECK(t, wait_for_lines(program.window, expected.size()));
    E2E_CHECK_LINES(t, log_lines(status_log(program.window)), expected);
    const WindowInfo info = window_info(program.window);
    E2E_CHECK(t, info.iconic);
    E2E_CHECK(t, (info.style & WS_MINIMIZE) != 0);
    E2E_CHECK(t, exchanges_grow(sim, 5));
    exit_with_button(t, program);
}

void other_ways_out(Checks& t) {
    t.begin("the close box and command 105 destroy the window; exit code 0");
    SimHost sim;
    if (start_sim(t, sim, 1) == nullptr) {
        return;
    }
    const struct {
        const char* name;
        UINT message;
        WPARAM wparam;
    } rows[] = {
        {"WM_CLOSE", WM_CLOSE, 0},
        {"command 105", WM_COMMAND, kCloseCommand},
    };
    for (const auto& row : rows) {
        t.row("%s", row.name);
        Program program;
        if (!launch(t, program, kSettings)) {
            continue;
        }
        E2E_CHECK(t, wait_for_log_line(program.window, kOk, kLineTimeoutMs));
        E2E_CHECK(t, PostMessageA(program.window, row.message, row.wparam, 0));
        DWORD code = 1;
        E2E_CHECK(t, program.process.wait_exit(kExitTimeoutMs, &code));
        E2E_CHECK_EQ(t, code, 0);
    }
}

// ---------------------------------------------------------------------------
// The status log append, in this process, on controls made like the program's.

struct LogControls {
    HWND parent = nullptr;
    HWND status_bar = nullptr;
    HWND log = nullptr;

    LogControls() {
        INITCOMMONCONTROLSEX common_controls = {sizeof common_controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&common_controls);
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 532, 320, nullptr, nullptr,
                                 instance, nullptr);
        status_bar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, 0x50000100, 0, 0, 0, 0, parent,
                                     reinterpret_cast<HMENU>(kStatusBarId), instance, nullptr);
        log = CreateWindowExA(WS_EX_STATICEDGE, "EDIT", "", 0x58A00044, 11, 36, 342, 210, parent,
                              reinterpret_cast<HMENU>(kStatusLogId), instance, nullptr);
    }
    ~LogControls() { DestroyWindow(parent); }
    LogControls(const LogControls&) = delete;
    LogControls& operator=(const LogControls&) = delete;
};

std::string text_of(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(),
                                                        static_cast<int>(text.size()))));
    return text;
}

// The file name, in lower case, of the module that holds a window's
// procedure.
std::string window_procedure_module(HWND window) {
    const LONG_PTR procedure = GetWindowLongPtrW(window, GWLP_WNDPROC);
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(procedure), &module)) {
        return "";
    }
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, sizeof path);
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return name;
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), std::string::npos, tail) == 0;
}

void status_log_append(Checks& t) {
    t.begin("status log: the line goes to the status bar and, with CRLF, to the log's end");
    LogControls controls;
    if (!E2E_CHECK(t, controls.log != nullptr && controls.status_bar != nullptr)) {
        return;
    }
    // This program carries corvane.exe's manifest, so its controls are the
    // common controls version 6 ones: their window procedures live in
    // comctl32, not in user32. The trimming below is checked on those.
    E2E_CHECK_STR(t, window_procedure_module(controls.log), "comctl32.dll");

    win32::append_status_line(controls.status_bar, controls.log, kInit);
    win32::append_status_line(controls.status_bar, controls.log, kOk);
    E2E_CHECK_STR(t, text_of(controls.log), std::string(kInit) + "\r\n" + kOk + "\r\n");
    E2E_CHECK_STR(t, text_of(controls.status_bar), kOk);

    t.begin("status log: past the EDIT control's limit the newest lines stay visible");
    const std::size_t limit =
        static_cast<std::size_t>(SendMessageA(controls.log, EM_GETLIMITTEXT, 0, 0));
    t.note("EDIT text limit %zu", limit);
    {
        // What the control does by itself: an append past the limit is refused.
        LogControls bare;
        const std::string line = std::string(kReconnecting) + "\r\n";
        std::size_t appended = 0;
        for (std::size_t length = 0; length < 2 * limit; length += line.size()) {
            SendMessageA(bare.log, EM_SETSEL, length, length);
            SendMessageA(bare.log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
            appended = static_cast<std::size_t>(GetWindowTextLengthA(bare.log));
        }
        t.note("without trimming the log stops at %zu characters", appended);
    }

    SendMessageA(controls.log, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    constexpr int kLines = 5000;  // well past the limit several times
    int missing = -1;
    for (int i = 0; i < kLines; ++i) {
        const std::string line = std::string(kReconnecting) + " " + std::to_string(i);
        win32::append_status_line(controls.status_bar, controls.log, line.c_str());
        if (missing < 0 && !ends_with(text_of(controls.log), line + "\r\n")) {
            missing = i;
        }
    }
    E2E_CHECK_EQ(t, missing, -1);
    const std::string text = text_of(controls.log);
    E2E_CHECK(t, text.size() <= limit);
    E2E_CHECK(t, text.size() >= limit / 2);
    E2E_CHECK_STR(t, text_of(controls.status_bar),
                  std::string(kReconnecting) + " " + std::to_string(kLines - 1));
    // Whole lines only were dropped, from the top, none from the middle.
    const Lines lines = log_lines(text);
    int gaps = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string want = std::string(kReconnecting) + " " +
                                 std::to_string(kLines - static_cast<int>(lines.size()) +
                                                static_cast<int>(i));
        gaps += lines[i] == want ? 0 : 1;
    }
    E2E_CHECK_EQ(t, gaps, 0);
}

// ---------------------------------------------------------------------------
// The resources, linked into this test as into corvane.exe and read back.

// Reads a resource's bytes in order; past the end every read gives 0.
class ResourceReader {
public:
    ResourceReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::uint32_t u8() { return position_ < size_ ? data_[position_++] : 0; }
    std::uint32_t u16() { return u8() | (u8() << 8); }
    std::uint32_t u32() { return u16() | (u16() << 16); }
    std::int32_t s16() { return static_cast<std::int16_t>(u16()); }
    void align(std::size_t to) { position_ = (position_ + to - 1) / to * to; }
    // A zero-terminated UTF-16 string (ASCII here), or an ordinal as "#n".
    std::string text_or_ordinal() {
        std::string text;
        std::uint32_t unit = u16();
        if (unit == 0xFFFF) {
            return "#" + std::to_string(u16());
        }
        for (; unit != 0 && position_ < size_; unit = u16()) {
            text += static_cast<char>(unit);
        }
        return text;
    }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

bool resource_bytes(const char* type, int id, const unsigned char** data, std::size_t* size) {
    const HMODULE self = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), type);
    const HGLOBAL loaded = found != nullptr ? LoadResource(self, found) : nullptr;
    *data = loaded != nullptr ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    *size = found != nullptr ? SizeofResource(self, found) : 0;
    return *data != nullptr;
}

void resources(Checks& t) {
    const HINSTANCE self = GetModuleHandleA(nullptr);

    t.begin("resources: strings 103 and 109");
    char text[100] = {};
    E2E_CHECK_EQ(t, LoadStringA(self, 103, text, sizeof text), 13);
    E2E_CHECK_STR(t, text, "Corvane v2.03");
    E2E_CHECK_EQ(t, LoadStringA(self, 109, text, sizeof text), 7);
    E2E_CHECK_STR(t, text, "CORVANE");

    t.begin("resources: accelerators 109, Alt+'?' and Alt+'/' as characters to 104");
    const HACCEL accelerators = LoadAcceleratorsA(self, MAKEINTRESOURCEA(109));
    ACCEL entries[4] = {};
    const int count = accelerators != nullptr ? CopyAcceleratorTableA(accelerators, entries, 4) : 0;
    if (E2E_CHECK_EQ(t, count, 2)) {
        const char keys[] = {'?', '/'};
        for (int i = 0; i < 2; ++i) {
            t.row("entry %d", i);
            E2E_CHECK_EQ(t, entries[i].fVirt & (FVIRTKEY | FSHIFT | FCONTROL | FALT), FALT);
            E2E_CHECK_EQ(t, entries[i].key, keys[i]);
            E2E_CHECK_EQ(t, entries[i].cmd, 104);
        }
    }
    if (accelerators != nullptr) {
        DestroyAcceleratorTable(accelerators);
    }

    t.begin("resources: menu 109, File/Exit 105 and Help/About 104");
    const HMENU menu = LoadMenuA(self, MAKEINTRESOURCEA(109));
    if (E2E_CHECK(t, menu != nullptr) && E2E_CHECK_EQ(t, GetMenuItemCount(menu), 2)) {
        const struct {
            const char* popup;
            const char* item;
            UINT command;
        } rows[] = {{"&File", "E&xit", 105}, {"&Help", "&About ...", 104}};
        for (int i = 0; i < 2; ++i) {
            t.row("%s", rows[i].popup);
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            E2E_CHECK_STR(t, text, rows[i].popup);
            const HMENU popup = GetSubMenu(menu, i);
            E2E_CHECK_EQ(t, GetMenuItemCount(popup), 1);
            E2E_CHECK_EQ(t, GetMenuItemID(popup, 0), rows[i].command);
            GetMenuStringA(popup, 0, text, sizeof text, MF_BYPOSITION);
            E2E_CHECK_STR(t, text, rows[i].item);
        }
        DestroyMenu(menu);
    }

    t.begin("resources: icons 107 and 108 and the notification area's 110-112, eight images each");
    // The resource compilers may store a group's entries in any order.
    Lines images = {"16x16:4",  "32x32:4",  "16x16:8", "32x32:8",
                    "48x48:8", "16x16:32", "32x32:32", "48x48:32"};
    std::sort(images.begin(), images.end());
    for (int id : {107, 108, 110, 111, 112}) {
        t.row("icon %d", id);
        const unsigned char* data = nullptr;
        std::size_t size = 0;
        if (!E2E_CHECK(t, resource_bytes(reinterpret_cast<const char*>(RT_GROUP_ICON), id, &data,
                                         &size))) {
            continue;
        }
        ResourceReader group(data, size);
        group.u16();  // reserved
        E2E_CHECK_EQ(t, group.u16(), 1);  // icon
        const std::uint32_t entries_count = group.u16();
        Lines found;
        for (std::uint32_t i = 0; i < entries_count && i < 64; ++i) {
            const std::uint32_t width = group.u8();
            const std::uint32_t height = group.u8();
            group.u8();   // colour count
            group.u8();
            group.u16();  // planes
            const std::uint32_t bits = group.u16();
            group.u32();  // bytes
            group.u16();  // image id
            found.push_back(std::to_string(width) + "x" + std::to_string(height) + ":" +
                            std::to_string(bits));
        }
        std::sort(found.begin(), found.end());
        E2E_CHECK_LINES(t, found, images);
        t.row("icon %d loads at 16 and 32", id);
        for (int edge : {16, 32}) {
            const HANDLE icon = LoadImageA(self, MAKEINTRESOURCEA(id), IMAGE_ICON, edge, edge, 0);
            E2E_CHECK(t, icon != nullptr);
            if (icon != nullptr) {
                DestroyIcon(static_cast<HICON>(icon));
            }
        }
    }

    t.begin("resources: manifest 1 asks for common controls 6, lists Windows 10/11, per-monitor DPI v2");
    const unsigned char* manifest_data = nullptr;
    std::size_t manifest_size = 0;
    if (E2E_CHECK(t, resource_bytes(MAKEINTRESOURCEA(24), 1, &manifest_data, &manifest_size))) {
        const std::string manifest(reinterpret_cast<const char*>(manifest_data), manifest_size);
        E2E_CHECK(t, manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") !=
                         std::string::npos);
        E2E_CHECK(t, manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}") != std::string::npos);
        E2E_CHECK(t, manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>") != std::string::npos);
    }

    t.begin("resources: version information 2.03 in numbers and words");
    const unsigned char* version_data = nullptr;
    std::size_t version_size = 0;
    if (E2E_CHECK(t, resource_bytes(MAKEINTRESOURCEA(16), 1, &version_data, &version_size))) {
        // VS_FIXEDFILEINFO follows "VS_VERSION_INFO" at the next 4-byte boundary.
        const std::string block(reinterpret_cast<const char*>(version_data), version_size);
        const std::size_t fixed = block.find(std::string("\xBD\x04\xEF\xFE", 4));
        if (E2E_CHECK(t, fixed != std::string::npos && fixed + 24 <= block.size())) {
            ResourceReader info(version_data + fixed, version_size - fixed);
            info.u32();  // signature
            info.u32();  // structure version
            E2E_CHECK_EQ(t, info.u32(), (2u << 16) | 3u);  // file version 2.3
            E2E_CHECK_EQ(t, info.u32(), 0);
            E2E_CHECK_EQ(t, info.u32(), (2u << 16) | 3u);  // product version 2.3
        }
        const auto utf16 = [](const char* text) {
            std::string wide;
            for (; *text != '\0'; ++text) {
                wide += *text;
                wide += '\0';
            }
            return wide;
        };
        for (const char* text : {"FileVersion", "ProductVersion", "FileDescription",
                                 "LegalCopyright", "2.03", "corvane.exe"}) {
            t.row("%s", text);
            E2E_CHECK(t, block.find(utf16(text)) != std::string::npos);
        }
    }

    t.begin("resources: About box 103, an extended template as laid out");
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (!E2E_CHECK(t, resource_bytes(reinterpret_cast<const char*>(RT_DIALOG), 103, &data,
                                     &size))) {
        return;
    }
    ResourceReader dialog(data, size);
    E2E_CHECK_EQ(t, dialog.u16(), 1);       // version
    E2E_CHECK_EQ(t, dialog.u16(), 0xFFFF);  // extended template
    dialog.u32();                           // help id
    E2E_CHECK_EQ(t, dialog.u32(), 0);       // extended style
    const DWORD style = dialog.u32();
    E2E_CHECK_EQ(t, style & ~WS_VISIBLE,
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS);
    const std::uint32_t items = dialog.u16();
    E2E_CHECK_EQ(t, items, 3);
    dialog.s16();
    dialog.s16();
    E2E_CHECK_EQ(t, dialog.s16(), 170);
    E2E_CHECK_EQ(t, dialog.s16(), 62);
    E2E_CHECK_STR(t, dialog.text_or_ordinal(), "");  // no menu
    E2E_CHECK_STR(t, dialog.text_or_ordinal(), "");  // the dialog class
    E2E_CHECK_STR(t, dialog.text_or_ordinal(), "About Corvane");
    E2E_CHECK_EQ(t, dialog.u16(), 8);  // points
    dialog.u16();                      // weight
    dialog.u8();                       // italic
    dialog.u8();                       // character set
    E2E_CHECK_STR(t, dialog.text_or_ordinal(), "MS Shell Dlg");

    const struct {
        const char* text;  // nullptr: any non-empty text
        const char* class_name;
        DWORD style;  // bits that must be set
        int id;
        int x, y, width, height;
    } expected[] = {
        {"Corvane, Version 2.03", "#130", SS_NOPREFIX, -1, 42, 14, 114, 8},
        {nullptr, "#130", 0, -1, 42, 26, 114, 8},
        {"OK", "#128", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 113, 41, 50, 14},
    };
    for (std::uint32_t i = 0; i < items && i < 3; ++i) {
        const auto& want = expected[i];
        t.row("item %u", i);
        dialog.align(4);
        dialog.u32();  // help id
        dialog.u32();  // extended style
        const DWORD item_style = dialog.u32();
        E2E_CHECK_EQ(t, dialog.s16(), want.x);
        E2E_CHECK_EQ(t, dialog.s16(), want.y);
        E2E_CHECK_EQ(t, dialog.s16(), want.width);
        E2E_CHECK_EQ(t, dialog.s16(), want.height);
        E2E_CHECK_EQ(t, static_cast<std::int32_t>(dialog.u32()), want.id);
        E2E_CHECK_STR(t, dialog.text_or_ordinal(), want.class_name);
        const std::string item_text = dialog.text_or_ordinal();
        if (want.text != nullptr) {
            E2E_CHECK_STR(t, item_text, want.text);
        } else {
            E2E_CHECK(t, !item_text.empty());
        }
        E2E_CHECK_EQ(t, item_style & want.style, want.style);
        const std::uint32_t extra = dialog.u16();
        for (std::uint32_t b = 0; b < extra; ++b) {
            dialog.u8();
        }
    }
}

}  // namespace

int main() {
    Checks t;
    resources(t);
    status_log_append(t);
#if !defined(__WINE__)
    // A Windows build without a settings reader has no corvane.exe to start.
    if (app_path().empty()) {
        t.note("corvane.exe was not built: only its resources and the status log were tested");
        return t.finish();
    }
#endif
    missing_settings_file(t);
    settings_beside_the_program(t);
    no_simulator_then_run(t);
    simulator_without_aircraft(t);
    all_ready(t);
    minimised_start(t);
    other_ways_out(t);
    return t.finish();
}
