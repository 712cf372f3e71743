// End to end: corvane-sim as a program of its own, reached from this test
// process as Corvane would reach a simulator: the offset server's window,
// the aircraft's mappings and command message, across two processes; and as
// a panel program built on a 64-bit client library reaches it, with id-4
// reads, a bad request named in corvane-sim's output.
#include <cstdio>
#include <cstring>

#include "aircraft/link.h"
#include "common/numbers.h"
#include "export/export.h"
#include "fsuipc/client.h"
#include "platform/win32_os.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr DWORD kStartMs = 20000;
constexpr DWORD kExitMs = 30000;
constexpr DWORD kCommandMs = 5000;
constexpr char kRunSeconds[] = "--seconds 6";
constexpr char kRunArguments[] = "--seconds 6 --sim-version FADE000D";
constexpr std::uint32_t kSimulatorVersion = 0xFADE000D;
constexpr std::uint32_t kCommandWord = 0x9400;
constexpr std::uint32_t kAltitudeDisplay = 0x943A;
constexpr std::uint32_t kHeadingDisplay = 0x9438;
constexpr std::uint32_t kAnnunciators = 0x9402;
constexpr std::uint32_t kAltitudeKnob = 0x94F0;
constexpr std::int32_t kSetAltitude = 1232;
constexpr DWORD kRefusedExitCode = 1;

std::string sim_path() {
#ifdef CORVANE_SIM_PATH
    return windows_path(CORVANE_SIM_PATH);
#else
    return {};
#endif
}

// A panel program's link as the common 64-bit client libraries make it: the
// "UIPCMAIN" window, a page-file mapping named by a global atom, reads laid
// as id-4 records with a 20-byte header (its last 8 bytes the client's own).
class WideClient {
public:
    static constexpr std::uint32_t kWideRead = 4;
    static constexpr std::uint64_t kClientField = 0x1122334455667788;

    WideClient(const char* name, std::size_t area_size)
        : window_(FindWindowExA(nullptr, nullptr, fsuipc::kServerClass, nullptr)),
          message_(RegisterWindowMessageA(fsuipc::kExchangeMessageName)),
          atom_(GlobalAddAtomA(name)),
          mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(area_size), name)),
          area_(mapping_ == nullptr ? nullptr
                                    : static_cast<unsigned char*>(
                                          MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0))) {}
    ~WideClient() {
        if (area_ != nullptr) UnmapViewOfFile(area_);
        if (mapping_ != nullptr) CloseHandle(mapping_);
        if (atom_ != 0) GlobalDeleteAtom(atom_);
    }
    WideClient(const WideClient&) = delete;
    WideClient& operator=(const WideClient&) = delete;

    bool ok() const {
        return window_ != nullptr && message_ != 0 && atom_ != 0 && area_ != nullptr;
    }
    void word(std::uint32_t value) {
        store_u32(area_ + used_, value);
        used_ += sizeof value;
    }
    // Lays a record's header; returns where its data goes (poisoned).
    std::size_t record(std::uint32_t id, std::uint32_t offset, std::uint32_t size) {
        word(id);
        word(offset);
        word(size);
        if (id == kWideRead) {
            std::memcpy(area_ + used_, &kClientField, sizeof kClientField);
            used_ += sizeof kClientField;
        }
        std::memset(area_ + used_, 0xEE, size);
        used_ += size;
        return used_ - size;
    }
    // Terminates the request and sends it: the server's answer, -1 when the send failed.
    LRESULT send() {
        word(fsuipc::kRecordEnd);
        used_ = 0;
        DWORD_PTR answer = 0;
        return SendMessageTimeoutA(window_, message_, atom_, 0, SMTO_BLOCK, fsuipc::kSendTimeoutMs,
                                   &answer)
                   ? static_cast<LRESULT>(answer)
                   : -1;
    }
    unsigned char* area() { return area_; }

private:
    HWND window_;
    UINT message_;
    ATOM atom_;
    HANDLE mapping_;
    unsigned char* area_;
    std::size_t used_ = 0;
};

void wide_client(Checks& t, const std::string& sim_output) {
    t.begin("a 64-bit client, 4 KiB area: id-4 reads pass the version handshake, read the block");
    char name[64];
    std::snprintf(name, sizeof name, "FsasmLib:IPC:%X:wide",
                  static_cast<unsigned>(GetCurrentProcessId()));
    // Smaller than Corvane's own area: served all the same.
    constexpr std::size_t kSmallArea = 4096;
    WideClient client(name, kSmallArea);
    if (!E2E_CHECK(t, client.ok())) {
        return;
    }
    constexpr std::uint32_t kBlockSize = 0x94FC - kCommandWord;
    const std::size_t server_version =
        client.record(WideClient::kWideRead, fsuipc::kServerVersionOffset, 4);
    const std::size_t simulator_version =
        client.record(WideClient::kWideRead, fsuipc::kSimulatorVersionOffset, 4);
    store_u16(client.area() + client.record(fsuipc::kRecordWrite, fsuipc::kLibraryVersionOffset, 2),
              0x0900);
    const std::size_t block = client.record(WideClient::kWideRead, kCommandWord, kBlockSize);
    E2E_CHECK_EQ(t, client.send(), 1);
    E2E_CHECK_EQ(t, load_u32(client.area() + server_version), sim::kDefaultServerVersion);
    E2E_CHECK(t, load_u32(client.area() + server_version) >= fsuipc::kMinServerVersion);
    E2E_CHECK_EQ(t, load_u32(client.area() + simulator_version), kSimulatorVersion);
    E2E_CHECK_EQ(t, load_u16(client.area() + block), 0xFFFF);   // the command word, parked
    E2E_CHECK_EQ(t, client.area()[block + kBlockSize - 1], 0);  // 0x94FB: nobody wrote it
    E2E_CHECK(t, std::memcmp(client.area() + block - 8, &WideClient::kClientField, 8) == 0);

    t.begin("a bad request: answer 0, nothing applied, corvane-sim names the record");
    constexpr std::uint32_t kScratch = 0x66C0;
    store_u16(client.area() + client.record(fsuipc::kRecordWrite, kScratch, 2), 0x1234);
    client.word(7);  // no such record id
    E2E_CHECK_EQ(t, client.send(), 0);
    const std::size_t scratch = client.record(WideClient::kWideRead, kScratch, 2);
    E2E_CHECK_EQ(t, client.send(), 1);
    E2E_CHECK_EQ(t, load_u16(client.area() + scratch), 0);
    const std::string line = std::string("corvane-sim: request area ") + name +
                             ": record index 1 at byte 14: unknown record id 7";
    E2E_CHECK(t, wait_until([&] { return read_file(sim_output).find(line) != std::string::npos; },
                            kCommandMs));
}

// The altitude and heading the aircraft shows now, decoded as the bridge does.
double shown(const aircraft::Link& link, std::uint32_t display_offset) {
    aircraft::Snapshots blocks;
    aircraft::snapshot_sdk1(link, blocks);
    data_export::DisplayValues displays;
    data_export::decode_displays(blocks, displays);
    return data_export::display_at(displays, display_offset);
}

void program(Checks& t) {
    t.begin("corvane-sim serves another process: offsets, aircraft, knob commands");
    TempFolder folder;
    AppProcess sim;
    const std::string output = folder.file_path("corvane-sim.log");
    if (!E2E_CHECK(t, sim.start_logged(sim_path(), folder.path(), kRunArguments, output))) {
        return;
    }
    const HWND window = sim.wait_window(fsuipc::kSimulatorClass, kStartMs);
    if (!E2E_CHECK(t, window != nullptr)) {
        return;
    }

    Win32Os os;
    fsuipc::Client client;
    std::int32_t code = -1;
    E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 1);
    E2E_CHECK_EQ(t, code, fsuipc::kOk);
    // Through the offset server's own window, beside the simulator's.
    E2E_CHECK_EQ(
        t, client.server_window,
        reinterpret_cast<Handle>(FindWindowExA(nullptr, nullptr, fsuipc::kServerClass, nullptr)));
    E2E_CHECK_EQ(t, client.simulator_version, kSimulatorVersion & 0xFFFF);
    std::uint16_t command_word = 0;
    fsuipc::read(client, kCommandWord, sizeof command_word, &command_word, code);
    E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 1);
    // Parked with no command pending, not with command 0.
    E2E_CHECK_EQ(t, command_word, 0xFFFF);

    aircraft::Link link;
    E2E_CHECK_EQ(t, aircraft::open(link, os, 0), 0);
    E2E_CHECK_EQ(t, link.simulator_window, reinterpret_cast<Handle>(window));
    aircraft::Snapshots blocks;
    E2E_CHECK(t, aircraft::snapshot_sdk1(link, blocks));
    E2E_CHECK_EQ(t, aircraft::data_valid_field(blocks), 1);
    E2E_CHECK_EQ(t, shown(link, kAltitudeDisplay), 10000.0);
    E2E_CHECK_EQ(t, shown(link, kHeadingDisplay), 270.0);

    // A knob command sticks although the rest of the cockpit keeps moving.
    aircraft::post_command(link, os, kSetAltitude, 12000.0);
    E2E_CHECK(t, wait_until([&] { return shown(link, kAltitudeDisplay) == 12000.0; }, kCommandMs));
    E2E_CHECK(t, !wait_until([&] { return shown(link, kAltitudeDisplay) != 12000.0; }, 500));

    wide_client(t, output);

    t.begin("a second corvane-sim refuses to start beside the first");
    AppProcess second;
    if (E2E_CHECK(t, second.start(sim_path(), folder.path(), kRunSeconds, true))) {
        DWORD exit_code = 0;
        E2E_CHECK(t, second.wait_exit(kExitMs, &exit_code));
        E2E_CHECK_EQ(t, exit_code, kRefusedExitCode);
    }

    t.begin("corvane-sim ends by itself after --seconds, with exit code 0");
    aircraft::close(link, os);
    fsuipc::close(client, os);
    DWORD exit_code = 1;
    E2E_CHECK(t, sim.wait_exit(kExitMs, &exit_code));
    E2E_CHECK_EQ(t, exit_code, 0);
    E2E_CHECK(t, FindWindowExA(nullptr, nullptr, fsuipc::kSimulatorClass, nullptr) == nullptr);
    E2E_CHECK(t, FindWindowExA(nullptr, nullptr, fsuipc::kServerClass, nullptr) == nullptr);
}

// corvane-sim --hand as a user drives it: its standard input a pipe the
// test writes lines to, its output in a file the test reads.
struct HandSim {
    TempFolder folder;
    const std::string output = folder.file_path("hand.log");
    HANDLE lines = nullptr;
    AppProcess process;

    HandSim() = default;
    HandSim(const HandSim&) = delete;
    HandSim& operator=(const HandSim&) = delete;
    ~HandSim() {
        if (lines != nullptr) {
            CloseHandle(lines);
        }
    }
    bool start(Checks& t, const std::string& arguments) {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE input = nullptr;
        if (!E2E_CHECK(t, CreatePipe(&input, &lines, &inheritable, 0))) {
            return false;
        }
        SetHandleInformation(lines, HANDLE_FLAG_INHERIT, 0);
        const bool started = process.start_logged(sim_path(), folder.path(), arguments, output, input);
        CloseHandle(input);
        return E2E_CHECK(t, started) &&
               E2E_CHECK(t, process.wait_window(fsuipc::kSimulatorClass, kStartMs) != nullptr);
    }
    void say(const std::string& text) const {
        DWORD written = 0;
        WriteFile(lines, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    bool answered(const std::string& text) const {
        return wait_until([&] { return read_file(output).find(text) != std::string::npos; },
                          kCommandMs);
    }
    void quit(Checks& t) {
        say("quit\n");
        DWORD exit_code = 1;
        E2E_CHECK(t, process.wait_exit(kExitMs, &exit_code));
        E2E_CHECK_EQ(t, exit_code, 0);
    }
};

// corvane-sim --hand driven as a user drives it, one line at a time through
// its standard input, with corvane.exe bridging: what was set is exported,
// and a panel's knob moves the window it names.
void by_hand(Checks& t) {
    t.begin("corvane-sim --hand: set, show, list and an unknown name; Corvane exports it");
    HandSim sim;
    if (sim.start(t, "--hand --no-dump")) {
        sim.say("set ALTITUDE_DISPLAY 12345\nset 0x9402:0 on\nshow altitude_display\n"
                "show ALTITUD\nlist COURSE\n");
        for (const char* answer :
             {"ok ALTITUDE_DISPLAY 12345", "ok ANNUNCIATOR_9402_BIT0 on",
              "error unknown name \"ALTITUD\"; did you mean FLIGHT_ALTITUDE_DISPLAY, "
              "LANDING_ALTITUDE_DISPLAY, ALTITUDE_DISPLAY, KNOB_ALTITUDE?",
              "ok 2 names: COURSE_DISPLAY_1 COURSE_DISPLAY_2"}) {
            E2E_CHECK(t, sim.answered(answer));
        }

        CorvaneRun corvane;
        Win32Os os;
        fsuipc::Client client;
        std::int32_t code = -1;
        if (corvane.launch(t, "") && E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 1)) {
            std::uint16_t altitude = 0;
            std::uint8_t lamps = 0;
            const auto read_block = [&] {
                fsuipc::read(client, kAltitudeDisplay, sizeof altitude, &altitude, code);
                fsuipc::read(client, kAnnunciators, sizeof lamps, &lamps, code);
                return fsuipc::process(client, os, code) == 1;
            };
            E2E_CHECK(t, wait_until([&] { return read_block() && altitude == 12345; }, kStartMs));
            E2E_CHECK_EQ(t, lamps & 1, 1);

            t.begin("corvane-sim --hand: a panel's knob moves the held window through Corvane");
            const std::uint8_t one_detent = 1;
            fsuipc::write(client, kAltitudeKnob, sizeof one_detent, &one_detent, code);
            E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 1);
            E2E_CHECK(t, sim.answered("command 1232 value 12445"));
            E2E_CHECK(t, wait_until([&] { return read_block() && altitude == 12445; }, kCommandMs));
            sim.say("show ALTITUDE_DISPLAY\n");
            E2E_CHECK(t, sim.answered("ok ALTITUDE_DISPLAY 12445"));
            fsuipc::close(client, os);
            corvane.exit(t);
        }
        sim.quit(t);
    }
}

// corvane-sim --hand --names: the header's names from a names.csv, as
// corvane-names writes it, taken wherever a kit name is, and the command's
// name printed beside its code.
void by_hand_with_names(Checks& t) {
    t.begin("corvane-sim --hand --names: header names set and shown; the command line names the command");
    HandSim sim;
    if (!E2E_CHECK(t, sim.folder.write_file("names.csv", "offset,label,source\n"
                                                     "0x9402&0x01,MCP_AT_ARM_LIGHT,SDK1 0x0018\n"
                                                     "0x943A,MCP_ALT_DIGITS,SDK1 0x01E0-0x01F0\n"
                                                     "command:1232,EVT_MCP_ALT_UP\n"))) {
        return;
    }
    if (sim.start(t, "--hand --no-dump --names \"" + sim.folder.file_path("names.csv") + "\"")) {
        sim.say("set MCP_AT_ARM_LIGHT on\nset mcp_alt_digits 12000\nshow MCP_ALT_DIGITS\n");
        for (const char* answer :
             {"ok ANNUNCIATOR_9402_BIT0 on", "ok ALTITUDE_DISPLAY 12000"}) {
            E2E_CHECK(t, sim.answered(answer));
        }
        CorvaneRun corvane;
        Win32Os os;
        fsuipc::Client client;
        std::int32_t code = -1;
        if (corvane.launch(t, "") && E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 1)) {
            std::uint16_t altitude = 0;
            E2E_CHECK(t, wait_until(
                             [&] {
                                 fsuipc::read(client, kAltitudeDisplay, sizeof altitude, &altitude, code);
                                 return fsuipc::process(client, os, code) == 1 && altitude == 12000;
                             },
                             kStartMs));
            const std::uint8_t one_detent = 1;
            fsuipc::write(client, kAltitudeKnob, sizeof one_detent, &one_detent, code);
            E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 1);
            E2E_CHECK(t, sim.answered("command 1232 (EVT_MCP_ALT_UP) value 12100"));
            fsuipc::close(client, os);
            corvane.exit(t);
        }
        sim.quit(t);
    }
}

}  // namespace

int main() {
    Checks t;
    program(t);
    // A Windows build without a settings reader has no corvane.exe to bridge.
    if (app_path().empty()) {
        t.note("corvane.exe was not built: corvane-sim --hand not checked");
    } else {
        by_hand(t);
        by_hand_with_names(t);
    }
    return t.finish();
}
