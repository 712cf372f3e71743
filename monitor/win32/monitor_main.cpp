// corvane-monitor: an ordinary FSUIPC client that shows Corvane's offset
// block 0x9400-0x94FB by name, live or as a change log, and writes the
// block's inputs by hand. It answers a cockpit builder's two questions:
// which offset moved when I flipped that switch, and does my panel's write
// reach the aircraft.
//
//   corvane-monitor [--view | --changes] [--section S]... [--interval MS] [--labels FILE]
//                   [--wait S] [--command N] [--value N] [--turn KNOB [+-]N] [--step C [+-]N]
//
// It connects through the program's own FSUIPC client over the Win32 OS
// seam, retrying once a second while there is no FSUIPC, reads the whole
// block in one exchange per interval, and writes nothing but the inputs it
// was asked to write.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows_api.h"

#include "common/version.h"
#include "fsuipc/client.h"
#include "monitor/changes.h"
#include "monitor/inputs.h"
#include "monitor/labels.h"
#include "monitor/options.h"
#include "monitor/view.h"
#include "monitor/win32/console.h"
#include "platform/win32_os.h"

namespace {

using namespace corvane;
using namespace corvane::monitor;
using corvane::monitor::win32::Output;

constexpr DWORD kRetryMs = 1000;
constexpr DWORD kMsPerSecond = 1000;
// A console being closed ends the process once its handler returns: give
// the main thread that long to close the FSUIPC link.
constexpr DWORD kCloseGraceMs = 2000;
constexpr char kStopEventFormat[] = "corvane-monitor-stop-%lu";

// Everything the monitor keeps, for the life of the process. Large (the
// client's list of queued records), so it lives on the heap.
struct Monitor {
    Options options;
    Mode mode = Mode::View;
    std::vector<Field> fields;
    Tracker tracker;
    Win32Os os;
    fsuipc::Client client;
    std::int32_t code = 0;
    unsigned char block[kBlockSize] = {};
    bool inputs_pending = false;
    bool announced = false;  // the first reading was reported
    HANDLE stop = nullptr;   // set by Ctrl+C or the console closing
    Output output;
    ViewStatus status;
    Frame frame;
    std::string line;
    Labels labels;  // --labels: names, and the aircraft's commands
};

void stop_event_name(DWORD process_id, char (&name)[64]) {
    std::snprintf(name, sizeof name, kStopEventFormat, static_cast<unsigned long>(process_id));
}

// Runs on a thread of the console's; it takes no context, so it finds the
// stop event by the name that carries this process's id.
BOOL WINAPI on_console_event(DWORD event) {
    char name[64];
    stop_event_name(GetCurrentProcessId(), name);
    HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (stop == nullptr) {
        return FALSE;
    }
    SetEvent(stop);
    CloseHandle(stop);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        Sleep(kCloseGraceMs);
    }
    return TRUE;
}

// Waits up to ms; true when the monitor is to stop.
bool pause(Monitor& m, DWORD ms) { return WaitForSingleObject(m.stop, ms) == WAIT_OBJECT_0; }

TimeOfDay time_of_day() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return TimeOfDay{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void say(Monitor& m, const std::string& text) { win32::write_err(m.output, "corvane-monitor: " + text + "\n"); }

// The exit code of a stop asked for from outside: done, unless inputs were
// still waiting to be written.
int stopped(Monitor& m) {
    if (!m.inputs_pending) {
        return kExitOk;
    }
    say(m, "stopped before the inputs were written");
    return kExitInterrupted;
}

void show(Monitor& m) {
    m.status.time = time_of_day();
    m.status.now_ms = GetTickCount64();
    std::size_t width = 0;
    std::size_t height = 0;
    win32::frame_size(m.output, width, height);
    render_view(m.fields, m.tracker, m.status, width, height, m.frame);
    win32::draw(m.output, m.frame);
}

// Reads the labels file named by --labels (a Windows path, as the user
// gave it); false with the reason said.
bool load_labels(Monitor& m, Labels& labels) {
    const std::string& path = m.options.labels_file;
    std::string csv;
    if (!read_whole_file(path, csv)) {
        say(m, "cannot read the labels file " + path);
        return false;
    }
    std::string error;
    if (!parse_labels(csv, labels, error)) {
        say(m, path + " " + error);
        return false;
    }
    return true;
}

// Queues the inputs worked out from the reading just taken and exchanges
// them. In WriteOnly mode each write is reported as a change line.
bool write_inputs(Monitor& m) {
    const std::vector<InputWrite> writes = plan_inputs(m.options, m.block);
    for (const InputWrite& w : writes) {
        if (!fsuipc::write(m.client, w.offset, w.size, w.bytes, m.code)) {
            return false;
        }
    }
    if (!writes.empty() && !fsuipc::process(m.client, m.os, m.code)) {
        return false;
    }
    if (m.mode == Mode::WriteOnly) {
        const TimeOfDay now = time_of_day();
        for (const InputWrite& w : writes) {
            format_change(now, *find_field(m.fields, w.offset), w.old_value, w.new_value, m.line, &m.labels);
            win32::write_out(m.output, m.line + "\n");
        }
    }
    return true;
}

void report_changes(Monitor& m) {
    if (m.tracker.changes.empty()) {
        return;
    }
    const TimeOfDay now = time_of_day();
    std::string& text = m.output.text;
    text.clear();
    for (const Change& change : m.tracker.changes) {
        const Field& field = m.fields[change.field];
        if ((m.options.sections & section_bit(field.section)) == 0) {
            continue;
        }
        format_change(now, field, change.old_value, change.new_value, m.line, &m.labels);
        text += m.line;
        text += '\n';
    }
    if (!text.empty()) {
        win32::write_out(m.output, text);
    }
}

// One interval: read the block in one exchange, then write the inputs once,
// then show what changed. False when the exchange failed.
bool tick(Monitor& m) {
    if (!fsuipc::read(m.client, kBlockFirst, kBlockSize, m.block, m.code) ||
        !fsuipc::process(m.client, m.os, m.code)) {
        return false;
    }
    take_reading(m.tracker, m.fields, m.block, GetTickCount64());
    if (!m.announced && m.mode != Mode::WriteOnly) {
        m.announced = true;
        if (m.mode == Mode::Changes) {
            say(m, "reading 0x9400-0x94FB every " + std::to_string(m.options.interval_ms) + " ms");
        }
    }
    if (m.inputs_pending) {
        if (!write_inputs(m)) {
            return false;
        }
        m.inputs_pending = false;
    }
    if (m.mode == Mode::Changes) {
        report_changes(m);
    } else if (m.mode == Mode::View) {
        show(m);
    }
    return true;
}

int run(Monitor& m) {
    const std::uint64_t wait_ms = static_cast<std::uint64_t>(m.options.wait_seconds) * kMsPerSecond;
    std::uint64_t missing_since = GetTickCount64();
    bool said_waiting = false;
    for (;;) {
        if (!fsuipc::is_open(m.client)) {
            if (fsuipc::open(m.client, m.os, 0, m.code)) {
                m.status.connected = true;
                said_waiting = false;
                continue;
            }
            m.status.connected = false;
            m.status.problem = m.code;
            if (m.options.wait_limited && GetTickCount64() - missing_since >= wait_ms) {
                say(m, "no FSUIPC after " + std::to_string(m.options.wait_seconds) + " s (" +
                           fsuipc::result_meaning(m.code) + ")");
                return kExitNoFsuipc;
            }
            if (m.mode == Mode::View) {
                show(m);
            } else if (!said_waiting) {
                say(m, std::string("waiting for FSUIPC (") + fsuipc::result_meaning(m.code) +
                           "); retrying every second");
                said_waiting = true;
            }
            if (pause(m, kRetryMs)) {
                return stopped(m);
            }
            continue;
        }

        const std::uint64_t started = GetTickCount64();
        if (!tick(m)) {
            const std::int32_t failure = m.code;
            fsuipc::close(m.client, m.os);
            if (m.mode == Mode::WriteOnly) {
                say(m, std::string("the exchange with FSUIPC failed (") +
                           fsuipc::result_meaning(failure) +
                           "); the inputs may not have been written");
                return kExitFailed;
            }
            m.status.connected = false;
            m.status.problem = failure;
            if (m.mode == Mode::Changes) {
                say(m, std::string("FSUIPC lost (") + fsuipc::result_meaning(failure) +
                           "); retrying every second");
                said_waiting = true;
            }
            missing_since = GetTickCount64();
            continue;
        }
        if (m.mode == Mode::WriteOnly) {
            return kExitOk;
        }
        const std::uint64_t spent = GetTickCount64() - started;
        const DWORD rest = spent < m.options.interval_ms ? static_cast<DWORD>(m.options.interval_ms - spent) : 0;
        if (pause(m, rest)) {
            return stopped(m);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    auto m = std::make_unique<Monitor>();
    std::string error;
    const bool parsed = parse_options(argc, argv, m->options, error);
    m->mode = mode_of(m->options);
    win32::open_output(m->output, parsed && !m->options.help && !m->options.version &&
                                      m->mode == Mode::View);
    if (!parsed) {
        say(*m, error + " (corvane-monitor --help shows the usage)");
        win32::close_output(m->output);
        return kExitUsage;
    }
    if (m->options.help) {
        win32::write_out(m->output, usage_text());
        win32::close_output(m->output);
        return kExitOk;
    }
    if (m->options.version) {
        win32::write_out(m->output, std::string("corvane-monitor ") + CORVANE_VERSION + "\n");
        win32::close_output(m->output);
        return kExitOk;
    }
    Labels& labels = m->labels;
    if (!m->options.labels_file.empty() && !load_labels(*m, labels)) {
        win32::close_output(m->output);
        return kExitUsage;
    }
    if (!resolve_command_name(m->options, labels.commands, error)) {
        say(*m, error);
        win32::close_output(m->output);
        return kExitUsage;
    }
    m->fields = make_fields(labels);
    init_tracker(m->tracker, m->fields.size());
    m->inputs_pending = has_inputs(m->options);
    m->status.interval_ms = m->options.interval_ms;
    m->status.sections = m->options.sections;

    char name[64];
    stop_event_name(GetCurrentProcessId(), name);
    m->stop = CreateEventA(nullptr, TRUE, FALSE, name);
    if (m->stop == nullptr) {
        // Without the name Ctrl+C cannot reach it and simply ends the process.
        m->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    SetConsoleCtrlHandler(on_console_event, TRUE);

    const int code = run(*m);

    fsuipc::close(m->client, m->os);
    win32::close_output(m->output);
    SetConsoleCtrlHandler(on_console_event, FALSE);
    if (m->stop != nullptr) {
        CloseHandle(m->stop);
    }
    return code;
}
