// corvane-web: an ordinary FSUIPC client that serves Corvane's offset block
// to browsers on one port: the panel page at / and, at /fsuipc/, the FSUIPC
// WebSocket Server's protocol (web/protocol.h) for the page and for any
// client written for that server.
//
//   corvane-web [--listen ADDR:PORT] [--labels FILE] [--write-any | --read-only] [--wait S]
//
// Like corvane-monitor it connects through the program's own FSUIPC client
// over the Win32 OS seam and retries once a second while there is no
// FSUIPC; the server (web/server.*) runs every read of every browser from
// one exchange per period.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows_api.h"

#include "common/version.h"
#include "fsuipc/client.h"
#include "monitor/labels.h"
#include "platform/win32_os.h"
#include "web/options.h"
#include "web/page_files.h"
#include "web/page_map.h"
#include "web/server.h"

namespace {

using namespace corvane;
using namespace corvane::web;

constexpr std::uint64_t kRetryMs = 1000;
constexpr std::uint64_t kMsPerSecond = 1000;
constexpr char kStopEventFormat[] = "corvane-web-stop-%lu";

void write_line(const std::string& text) {
    const std::string line = "corvane-web: " + text + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void stop_event_name(DWORD process_id, char (&name)[64]) {
    std::snprintf(name, sizeof name, kStopEventFormat, static_cast<unsigned long>(process_id));
}

// Runs on a thread of the console's; it takes no context, so it finds the
// stop event by the name that carries this process's id.
BOOL WINAPI on_console_event(DWORD) {
    char name[64];
    stop_event_name(GetCurrentProcessId(), name);
    HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (stop == nullptr) {
        return FALSE;
    }
    SetEvent(stop);
    CloseHandle(stop);
    return TRUE;
}

// The FSUIPC side of the server, for the life of the process. Large (the
// client's list of queued records), so it lives on the heap.
class FsuipcExchanger final : public Exchanger {
public:
    Options options;
    Win32Os os;
    fsuipc::Client client;
    std::int32_t code = 0;
    HANDLE stop_event = nullptr;
    std::atomic<bool> stop{false};
    int exit_code = kExitOk;
    std::uint64_t last_attempt_ms = 0;
    std::uint64_t missing_since_ms = 0;
    bool said_waiting = false;
    bool attempted = false;

    bool exchange(const PendingWrites& writes, const ExchangePlan& plan, unsigned char* buffer) override {
        if (!fsuipc::is_open(client)) {
            open_link();
            if (!fsuipc::is_open(client)) {
                return false;
            }
        }
        for (const Write& w : writes.writes) {
            if (!fsuipc::write(client, w.address, w.size, w.bytes, code)) {
                return failed();
            }
        }
        for (const ReadRange& r : plan.ranges) {
            if (!fsuipc::read(client, r.address, r.size, buffer + r.at, code)) {
                return failed();
            }
        }
        if (client.queued_count == 0) {
            return true;
        }
        return fsuipc::process(client, os, code) ? true : failed();
    }

    void idle() override {
        if (!fsuipc::is_open(client)) {
            open_link();
        }
    }

    std::uint64_t now_ms() override { return GetTickCount64(); }

    void fill_about(About& about) override {
        about.version = CORVANE_VERSION;
        about.fsuipc_connected = fsuipc::is_open(client);
        about.fsuipc_version = client.server_version;
    }

    void say(const std::string& line) override { write_line(line); }

    bool stop_requested() {
        if (!stop && WaitForSingleObject(stop_event, 0) == WAIT_OBJECT_0) {
            stop = true;
        }
        return stop;
    }

private:
    void open_link() {
        const std::uint64_t now = now_ms();
        if (attempted && now - last_attempt_ms < kRetryMs) {
            return;
        }
        if (!attempted) {
            missing_since_ms = now;
        }
        attempted = true;
        last_attempt_ms = now;
        if (fsuipc::open(client, os, 0, code)) {
            say("FSUIPC found; serving the block");
            said_waiting = false;
            return;
        }
        if (options.wait_limited &&
            now - missing_since_ms >= static_cast<std::uint64_t>(options.wait_seconds) * kMsPerSecond) {
            say("no FSUIPC after " + std::to_string(options.wait_seconds) + " s (" + fsuipc::result_meaning(code) +
                ")");
            exit_code = kExitNoFsuipc;
            stop = true;
            return;
        }
        if (!said_waiting) {
            say(std::string("waiting for FSUIPC (") + fsuipc::result_meaning(code) + "); retrying every second");
            said_waiting = true;
        }
    }

    bool failed() {
        say(std::string("the exchange with FSUIPC failed (") + fsuipc::result_meaning(code) + "); reconnecting");
        fsuipc::close(client, os);
        missing_since_ms = now_ms();
        last_attempt_ms = missing_since_ms;
        return false;
    }
};

// Reads the labels file named by --labels; false with the reason said.
bool load_labels(const std::string& path, monitor::Labels& labels) {
    std::string csv;
    if (!read_whole_file(path, csv)) {
        write_line("cannot read the labels file " + path);
        return false;
    }
    std::string error;
    if (!monitor::parse_labels(csv, labels, error)) {
        write_line(path + " " + error);
        return false;
    }
    return true;
}

std::vector<std::string> machine_names() {
    std::vector<std::string> names;
    const COMPUTER_NAME_FORMAT formats[] = {ComputerNameDnsHostname, ComputerNameDnsFullyQualified,
                                            ComputerNameNetBIOS};
    for (COMPUTER_NAME_FORMAT format : formats) {
        char name[256] = {};
        DWORD size = sizeof name;
        if (GetComputerNameExA(format, name, &size) && size > 0) {
            names.emplace_back(name, size);
        }
    }
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    auto e = std::make_unique<FsuipcExchanger>();
    int exit_code = kExitOk;
    std::string text;
    if (!parse_options(argc, argv, e->options, exit_code, text)) {
        if (!text.empty()) {
            DWORD written = 0;
            HANDLE out = GetStdHandle(exit_code == kExitOk ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
            if (text.back() != '\n') {
                text += '\n';
            }
            if (exit_code != kExitOk) {
                text = "corvane-web: " + text;
            }
            WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
        return exit_code;
    }
    monitor::Labels labels;
    if (!e->options.labels_file.empty() && !load_labels(e->options.labels_file, labels)) {
        return kExitBadArguments;
    }
    char name[64];
    stop_event_name(GetCurrentProcessId(), name);
    e->stop_event = CreateEventA(nullptr, TRUE, FALSE, name);
    SetConsoleCtrlHandler(on_console_event, TRUE);

    ServerSetup setup;
    setup.address = e->options.address;
    setup.port = e->options.port;
    setup.rule = e->options.rule;
    setup.page = page_document(kPageTemplate, page_map_json(labels));
    setup.machine_names = machine_names();
    FsuipcExchanger& exchanger = *e;
    setup.stop = [&exchanger] { return exchanger.stop_requested(); };
    if (e->options.rule == WriteRule::Any) {
        write_line("--write-any: clients may write any offset");
    } else if (e->options.rule == WriteRule::None) {
        write_line("--read-only: clients may write nothing");
    }

    const bool served = serve(setup, *e);
    if (fsuipc::is_open(e->client)) {
        fsuipc::close(e->client, e->os);
    }
    SetConsoleCtrlHandler(on_console_event, FALSE);
    CloseHandle(e->stop_event);
    if (!served) {
        return kExitFailed;
    }
    return e->exit_code;
}
