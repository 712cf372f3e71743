// corvane-sim: the stand-in simulator as a program of its own. It serves the
// offset protocol from the windows of a simulator with the offset server
// loaded ("UIPCMAIN" and "FS98MAIN", or either alone), publishes the
// aircraft's two mappings with a moving cockpit, acts on the knob commands
// Corvane posts, and prints the offset block, every command it receives and
// every request it refuses. For the demo, and for trying cockpit hardware
// and panel software without a simulator. With --hand the aircraft holds
// still and is set line by line (sim/hand.h), from standard input or a file.
//
//   corvane-sim [--seconds N] [--windows both|fs98main|uipcmain] [--no-aircraft]
//               [--turn-knobs] [--no-dump] [--server-version HEX] [--sim-version HEX]
//   corvane-sim --hand [FILE] [--seconds N] [--windows W] [--no-dump] [...versions]
//   corvane-sim --offset-map [--format text|csv|md]
//   corvane-sim --latency SECONDS   (see latency_probe.h)
//   corvane-sim --help | --version
#include <atomic>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if !defined(__WINE__)
#include <fcntl.h>
#include <io.h>
#endif

#include <CLI/CLI.hpp>

#include "platform/win32_os.h"
#include "platform/windows_api.h"

#include "bridge/offset_map.h"
#include "common/version.h"
#include "monitor/labels.h"
#include "sim/hand.h"
#include "sim/win32/demo_flight.h"
#include "sim/win32/latency_probe.h"
#include "sim/win32/sim_host.h"

namespace {

using corvane::sim::AircraftModel;
using corvane::sim::OffsetServer;
using corvane::sim::PostedCommand;
using corvane::sim::win32::has_window;
using corvane::sim::win32::HostOptions;
using corvane::sim::win32::ServerClass;
using corvane::sim::win32::SimHost;
using corvane::sim::win32::WindowLayout;

constexpr std::uint32_t kBlockFirst = 0x9400;
constexpr std::uint32_t kBlockLast = 0x94FB;
constexpr std::uint32_t kBlockSize = kBlockLast - kBlockFirst + 1;
constexpr std::uint32_t kBytesPerLine = 16;
constexpr std::uint32_t kCommandWord = 0x9400;
constexpr std::uint16_t kNoCommand = 0xFFFF;
constexpr DWORD kTickMs = 1000 / corvane::sim::demo::kTicksPerSecond;
// The dump is refreshed at most this often, and only when it changed.
constexpr std::uint32_t kDumpEveryTicks = corvane::sim::demo::kTicksPerSecond;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;
constexpr int kHexBase = 16;
constexpr std::size_t kMaxHexDigits = 8;

enum class MapFormat { Text, Csv, Markdown };

struct Options {
    unsigned long seconds = 0;  // 0: run until killed
    bool turn_knobs = false;
    bool offset_map = false;
    MapFormat format = MapFormat::Text;
    bool help = false;
    bool version = false;
    bool no_dump = false;               // corvane-monitor shows the block instead
    bool hand = false;                  // the aircraft held still, set line by line
    std::string hand_file;              // empty: the lines come from standard input
    std::string names_file;             // --names: names.csv from corvane-names; empty: none
    unsigned long latency_seconds = 0;  // 0: no latency probe
    std::uint32_t server_version = corvane::sim::kDefaultServerVersion;
    std::uint32_t simulator_version = corvane::sim::kDefaultSimulatorVersion;
    HostOptions host;
};

// The words an option takes, each with what it stands for.
template <typename T>
struct Named {
    const char* name;
    T value;
};
constexpr Named<WindowLayout> kLayoutNames[] = {
    {"both", WindowLayout::Both},
    {"fs98main", WindowLayout::Fs98mainOnly},
    {"uipcmain", WindowLayout::UipcmainOnly},
};
constexpr Named<MapFormat> kFormatNames[] = {
    {"text", MapFormat::Text},
    {"csv", MapFormat::Csv},
    {"md", MapFormat::Markdown},
};

// --turn-knobs: what a hand on the cockpit hardware would do, written into
// the offset space the way a hardware client writes it.
struct KnobTurn {
    std::uint32_t every_ticks;
    std::uint32_t counter;  // offset of the knob's 8-bit counter
    std::uint8_t steps;
    const char* what;
};
constexpr KnobTurn kKnobTurns[] = {
    {30, 0x94F0, 1, "altitude knob +1 (100 ft)"},
    {50, 0x94F5, 5, "heading knob +5"},
    {70, 0x94F8, 1, "step counter 0x94F8 +1"},
};

constexpr char kUsage[] =
    "usage: corvane-sim [--seconds N] [--windows both|fs98main|uipcmain] [--no-aircraft]\n"
    "                   [--turn-knobs] [--no-dump] [--server-version HEX] [--sim-version HEX]\n"
    "       corvane-sim --hand [FILE] [--names FILE] [--seconds N] [--windows W] [--no-dump] [versions]\n"
    "       corvane-sim --offset-map [--format text|csv|md]\n"
    "       corvane-sim --latency N\n"
    "       corvane-sim --help | --version\n"
    "  --seconds N           exit after N seconds (default: run until stopped)\n"
    "  --windows W           the windows that serve the offsets:\n"
    "                          both      \"UIPCMAIN\" and \"FS98MAIN\", as a simulator with\n"
    "                                    the offset server loaded (default)\n"
    "                          fs98main  \"FS98MAIN\" alone\n"
    "                          uipcmain  \"UIPCMAIN\" alone (aircraft commands then have\n"
    "                                    no window to go to)\n"
    "  --uipcmain            the same as --windows uipcmain\n"
    "  --server-version HEX  what offset 0x3304 reads (default 61000000: 6.100)\n"
    "  --sim-version HEX     what offset 0x3308 reads (default FADE000C)\n"
    "  --no-aircraft         serve offsets only, publish no aircraft mappings\n"
    "  --turn-knobs          turn a few knobs now and then, as a hardware client would\n"
    "  --no-dump             do not print the offset block (corvane-monitor shows it by name)\n"
    "  --names FILE          the aircraft's own names (names.csv from corvane-names; also\n"
    "                        --labels): taken by the hand wherever a kit name is, and\n"
    "                        printed beside the code in the command lines\n"
    "  --hand [FILE]         hold the aircraft still and set it by hand, one line at a time,\n"
    "                        from standard input or from FILE (then serve until Ctrl+C);\n"
    "                        each line is answered with one line starting ok or error:\n"
    "                          set NAME VALUE  a window (a number, blank, -N for vertical\n"
    "                                          speed, .NN for speed in hundredths), a panel\n"
    "                                          value, a lamp (on or off) or a field (0-3)\n"
    "                          show NAME       the value as the aircraft shows it now\n"
    "                          list [TEXT]     the names that contain TEXT\n"
    "                          wait SECONDS    answered when the time has passed\n"
    "                          quit\n"
    "                        NAME is a wiring-kit name (ALTITUDE_DISPLAY, in any case), an\n"
    "                        offset (0x943A) or an annunciator field by its lowest bit\n"
    "                        (0x9402:0); not with --turn-knobs, --latency or --no-aircraft\n"
    "  --offset-map          print every offset Corvane writes or reads, and what it means\n"
    "  --format F            the offset map as text (default), csv or md (Markdown)\n"
    "  --latency N           time both roads across a running Corvane for N seconds, then exit\n"
    "  --help                print this text\n"
    "  --version             print the version\n";

template <typename T, std::size_t N>
bool parse_name(const Named<T> (&names)[N], const std::string& text, T& value) {
    for (const Named<T>& named : names) {
        if (text == named.name) {
            value = named.value;
            return true;
        }
    }
    return false;
}

// A whole number of seconds that fits 32 bits, digits alone.
bool parse_seconds(const std::string& text, unsigned long& seconds) {
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        value > UINT32_MAX) {
        return false;
    }
    seconds = static_cast<unsigned long>(value);
    return true;
}

// One to eight hexadecimal digits, with or without 0x in front.
bool parse_hex_word(const std::string& text, std::uint32_t& word) {
    const std::size_t from = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? 2 : 0;
    const std::string digits = text.substr(from);
    if (digits.empty() || digits.size() > kMaxHexDigits ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    word = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, kHexBase));
    return true;
}

// An option whose value parse() reads; a value it refuses is a usage error
// that names the option and says what it takes. Given twice, the last counts.
template <typename Parse>
CLI::Option* add_value(CLI::App& app, const char* name, const char* value_name, const char* takes,
                       Parse parse) {
    return app
        .add_option_function<std::string>(
            name,
            [name, takes, parse](const std::string& text) {
                if (!parse(text)) {
                    throw CLI::ValidationError(std::string(name) + " takes " + takes + ", not \"" +
                                               text + "\"");
                }
            })
        ->type_name(value_name)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

// Reads the command line into options; a usage error throws CLI::ParseError.
void parse(int argc, char** argv, Options& options) {
    CLI::App app{"corvane-sim", "corvane-sim"};
    app.set_help_flag();  // --help prints the project's own usage text
    const CLI::Option* help = app.add_flag("-h,--help", options.help);
    const CLI::Option* version = app.add_flag("--version", options.version);
    add_value(app, "--seconds", "N", "a whole number of seconds",
              [&options](const std::string& t) { return parse_seconds(t, options.seconds); });
    add_value(app, "--latency", "N", "a whole number of seconds from 1",
              [&options](const std::string& t) {
                  return parse_seconds(t, options.latency_seconds) && options.latency_seconds != 0;
              });
    CLI::Option* windows = add_value(app, "--windows", "W", "both, fs98main or uipcmain",
                                     [&options](const std::string& t) {
                                         return parse_name(kLayoutNames, t, options.host.windows);
                                     });
    app.add_flag_callback("--uipcmain",
                          [&options] { options.host.windows = WindowLayout::UipcmainOnly; })
        ->excludes(windows);
    add_value(
        app, "--server-version", "HEX", "a hexadecimal 32-bit number such as 61000000",
        [&options](const std::string& t) { return parse_hex_word(t, options.server_version); });
    add_value(
        app, "--sim-version", "HEX", "a hexadecimal 32-bit number such as FADE000C",
        [&options](const std::string& t) { return parse_hex_word(t, options.simulator_version); });
    CLI::Option* no_aircraft = app.add_flag_callback(
        "--no-aircraft", [&options] { options.host.publish_aircraft = false; });
    CLI::Option* turn_knobs = app.add_flag("--turn-knobs", options.turn_knobs);
    app.add_flag("--no-dump", options.no_dump);
    CLI::Option* hand = app.add_option("--hand", options.hand_file)->expected(0, 1)->type_name("[FILE]");
    // The hand holds the aircraft: nothing else may move it, and it needs one.
    hand->excludes(turn_knobs)->excludes(no_aircraft)->excludes("--latency");
    app.add_option("--names,--labels", options.names_file)->type_name("FILE");
    CLI::Option* offset_map = app.add_flag("--offset-map", options.offset_map);
    // A format means nothing without the map, and the map runs nothing else.
    const CLI::Option* format =
        add_value(app, "--format", "F", "text, csv or md", [&options](const std::string& t) {
            return parse_name(kFormatNames, t, options.format);
        })->needs(offset_map);
    for (CLI::Option* option : app.get_options()) {
        if (option != offset_map && option != format && option != help && option != version) {
            offset_map->excludes(option);
        }
    }
    app.parse(argc, argv);
    options.hand = hand->count() != 0;
}

// --hand: lines read on a thread of their own, so that the dump and the
// commands Corvane posts keep coming while the input waits (or a wait runs).
// Read with ReadFile, not the C library's streams: a read that never returns
// must not hold a stream lock that the program's exit would wait for.
constexpr std::size_t kHandLineCapacity = 512;
constexpr double kMillisecondsPerSecond = 1000.0;

struct HandReader {
    SimHost* host = nullptr;
    HANDLE input = INVALID_HANDLE_VALUE;
    std::atomic<bool> quit{false};
    // Held while a line works on the host; once ending is set under it, the
    // host is never touched again (main is about to destroy it).
    SRWLOCK lock = SRWLOCK_INIT;
    bool ending = false;
    std::vector<corvane::sim::HandName> names;  // from --names, for the hand
};

// --names FILE: the labels format corvane-names writes. False with the
// reason on standard error.
// Read through the Windows file API: the path is a Windows one, under Wine too.
bool load_names(const std::string& path, corvane::monitor::Labels& labels) {
    std::string error;
    std::string text;
    if (!corvane::read_whole_file(path, text)) {
        error = "cannot be read";
    } else if (corvane::monitor::parse_labels(text, labels, error)) {
        return true;
    }
    std::fprintf(stderr, "corvane-sim: %s: %s\n", path.c_str(), error.c_str());
    return false;
}

std::vector<corvane::sim::HandName> hand_names(const corvane::monitor::Labels& labels) {
    std::vector<corvane::sim::HandName> names;
    for (std::size_t i = 0; i < labels.text.size(); ++i) {
        if (!labels.text[i].empty()) {
            names.push_back({labels.text[i], static_cast<std::uint32_t>(corvane::monitor::kBlockFirst + i), 0});
        }
    }
    for (std::size_t f = 0; f < labels.field_text.size(); ++f) {
        if (!labels.field_text[f].empty()) {
            const auto& field = corvane::data_export::kAnnunciatorFields[f];
            names.push_back({labels.field_text[f], field.offset, field.mask()});
        }
    }
    return names;
}

void print_answer(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

// One line's answer, or false when the program ends.
bool answer_line(HandReader& reader, corvane::sim::Hand& hand, const std::string& line,
                 corvane::sim::HandAnswer& answer) {
    AcquireSRWLockExclusive(&reader.lock);
    const bool ending = reader.ending;
    if (!ending) {
        answer = reader.host->with_aircraft([&hand, &line](AircraftModel* aircraft) {
            return aircraft != nullptr
                       ? hand.line(*aircraft, line)
                       : corvane::sim::HandAnswer{corvane::sim::HandAnswer::Then::Print,
                                                  "error no aircraft is published", 0};
        });
    }
    ReleaseSRWLockExclusive(&reader.lock);
    return !ending;
}

// Carries out one line; false once it was "quit" or the program ends.
bool carry_out(HandReader& reader, corvane::sim::Hand& hand, const std::string& line) {
    corvane::sim::HandAnswer answer;
    if (line.size() >= kHandLineCapacity) {
        answer.text = "error the line is longer than 511 characters";
    } else if (!answer_line(reader, hand, line, answer)) {
        return false;
    }
    switch (answer.then) {
        case corvane::sim::HandAnswer::Then::Nothing:
            return true;
        case corvane::sim::HandAnswer::Then::WaitThenPrint:
            Sleep(static_cast<DWORD>(answer.wait_seconds * kMillisecondsPerSecond));
            break;
        case corvane::sim::HandAnswer::Then::PrintThenQuit:
            print_answer(answer.text);
            reader.quit.store(true);
            return false;
        case corvane::sim::HandAnswer::Then::Print:
            break;
    }
    print_answer(answer.text);
    return true;
}

DWORD WINAPI read_hand_lines(void* param) {
    // The thread holds the reader with main: it may still wait in ReadFile
    // when main returns, and the process ends it there.
    const std::unique_ptr<std::shared_ptr<HandReader>> held(
        static_cast<std::shared_ptr<HandReader>*>(param));
    HandReader& reader = **held;
    corvane::sim::Hand hand;
    hand.use_names(reader.names);
    std::string line;
    char bytes[kHandLineCapacity];
    DWORD got = 0;
    while (ReadFile(reader.input, bytes, sizeof bytes, &got, nullptr) != 0 && got != 0) {
        for (DWORD i = 0; i < got; ++i) {
            if (bytes[i] != '\n') {
                if (line.size() < kHandLineCapacity) {  // longer is refused whole
                    line.push_back(bytes[i]);
                }
                continue;
            }
            // A line's own end ("\r\n" from Windows) counts toward no limit.
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!carry_out(reader, hand, line)) {
                return 0;
            }
            line.clear();
        }
    }
    if (!line.empty()) {
        carry_out(reader, hand, line);  // a last line without its line end
    }
    return 0;  // the end of the input: serving goes on until Ctrl+C (or --seconds)
}

std::string offset_map_text(MapFormat format) {
    switch (format) {
        case MapFormat::Csv:
            return corvane::bridge::offset_map_csv();
        case MapFormat::Markdown:
            return corvane::bridge::offset_map_markdown();
        case MapFormat::Text:
            break;
    }
    return corvane::bridge::offset_map();
}

// Each line goes out in one call, so that a line the hand's thread prints
// meanwhile never lands inside one of the dump's.
void print_block(const unsigned char* block, double seconds, std::size_t exchanges) {
    std::printf("\noffsets 0x%04X-0x%04X at %.1f s, %zu exchanges served\n", kBlockFirst,
                kBlockLast, seconds, exchanges);
    constexpr std::size_t kLineCapacity = 8 + 3 * kBytesPerLine + 2;
    for (std::uint32_t line = 0; line < kBlockSize; line += kBytesPerLine) {
        char text[kLineCapacity];
        int used = std::snprintf(text, sizeof text, "  %04X:", kBlockFirst + line);
        for (std::uint32_t i = line; i < line + kBytesPerLine && i < kBlockSize; ++i) {
            used += std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used),
                                  " %02X", block[i]);
        }
        std::printf("%s\n", text);
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        parse(argc, argv, options);
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "corvane-sim: %s\ncorvane-sim --help lists every option\n",
                     error.what());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("corvane-sim %s\n", CORVANE_VERSION);
        return 0;
    }
    corvane::monitor::Labels names;
    if (!options.names_file.empty() && !load_names(options.names_file, names)) {
        return kExitUsage;
    }
    if (options.offset_map) {
        // Binary mode: the documents carry "\n" line ends on every system,
        // byte for byte the committed docs/offsets.*.
#if !defined(__WINE__)
        std::fflush(stdout);
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        const std::string map = offset_map_text(options.format);
        std::fwrite(map.data(), 1, map.size(), stdout);
        return 0;
    }
    std::string windows;
    for (const ServerClass server_class : {ServerClass::Uipcmain, ServerClass::Fs98main}) {
        if (!has_window(options.host.windows, server_class)) {
            continue;
        }
        const char* cls = corvane::sim::win32::class_name(server_class);
        if (FindWindowExA(nullptr, nullptr, cls, nullptr) != nullptr) {
            std::fprintf(stderr,
                         "corvane-sim: a \"%s\" window already exists; is a simulator running?\n",
                         cls);
            return kExitFailed;
        }
        windows += (windows.empty() ? "\"" : " and \"") + std::string(cls) + "\"";
    }

    const auto shared_reader = std::make_shared<HandReader>();
    HandReader& reader = *shared_reader;
    if (options.hand) {
        reader.input = options.hand_file.empty()
                           ? GetStdHandle(STD_INPUT_HANDLE)
                           : CreateFileA(options.hand_file.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (reader.input == INVALID_HANDLE_VALUE || reader.input == nullptr) {
            std::fprintf(stderr, "corvane-sim: cannot read \"%s\"\n", options.hand_file.c_str());
            return kExitFailed;
        }
    }

    SimHost host(options.host);
    // Set before the windows exist, so that no client sees other versions.
    // Cockpit hardware leaves the command word at "none" until it has a
    // command; a zero there would be taken for command 0.
    host.with_server([&options](OffsetServer& server) {
        server.set_u16(kCommandWord, kNoCommand);
        server.server_version = options.server_version;
        server.simulator_version = options.simulator_version;
    });
    if (!host.start()) {
        std::fprintf(stderr,
                     "corvane-sim: could not create the windows or the aircraft mappings\n");
        return kExitFailed;
    }
    if (host.adopted_existing_mapping()) {
        std::fprintf(stderr, "corvane-sim: warning: the aircraft mappings already existed; sharing them\n");
    }
    host.with_aircraft([](AircraftModel* aircraft) {
        if (aircraft != nullptr) {
            corvane::sim::demo::prepare(*aircraft);
        }
    });
    std::printf("corvane-sim: serving offsets from %s (versions %08X, %08X)%s\n", windows.c_str(),
                static_cast<unsigned>(options.server_version),
                static_cast<unsigned>(options.simulator_version),
                host.aircraft_published() ? ", aircraft published" : ", no aircraft");
    if (options.seconds != 0) {
        std::printf("corvane-sim: stopping after %lu s\n", options.seconds);
    }
    if (options.hand) {
        std::printf("corvane-sim: the aircraft holds still; set it by hand from %s (set, show, "
                    "list, wait, quit)\n",
                    options.hand_file.empty() ? "standard input" : options.hand_file.c_str());
        reader.host = &host;
        reader.names = hand_names(names);
        auto* for_thread = new std::shared_ptr<HandReader>(shared_reader);
        HANDLE thread = CreateThread(nullptr, 0, read_hand_lines, for_thread, 0, nullptr);
        if (thread == nullptr) {
            delete for_thread;
            std::fprintf(stderr, "corvane-sim: could not start reading the lines\n");
            return kExitFailed;
        }
        CloseHandle(thread);  // it ends with its input, or the process
    }
    std::fflush(stdout);
    if (options.latency_seconds != 0) {
        const auto report = corvane::sim::win32::run_latency_probe(
            host, {static_cast<std::uint32_t>(options.latency_seconds)}, stdout);
        corvane::sim::win32::print_latency_report(stdout, report);
        return report.bridge_found ? 0 : kExitFailed;
    }

    unsigned char shown[kBlockSize] = {};
    unsigned char current[kBlockSize] = {};
    bool dumped = false;
    std::vector<PostedCommand> received;
    const std::uint64_t last_tick =
        static_cast<std::uint64_t>(options.seconds) * corvane::sim::demo::kTicksPerSecond;
    const ULONGLONG started = GetTickCount64();
    for (std::uint32_t tick = 1; (options.seconds == 0 || tick <= last_tick) && !reader.quit.load();
         ++tick) {
        // Keep the beat against the clock, not against the work done per tick.
        const ULONGLONG due = started + static_cast<ULONGLONG>(tick) * kTickMs;
        const ULONGLONG now = GetTickCount64();
        if (due > now) {
            Sleep(static_cast<DWORD>(due - now));
        }

        host.with_aircraft([tick, &received, &options](AircraftModel* aircraft) {
            if (aircraft != nullptr) {
                if (!options.hand) {
                    corvane::sim::demo::animate(*aircraft, tick);
                }
                if (!aircraft->commands().empty()) {
                    received = aircraft->commands();
                    aircraft->clear_commands();
                }
            }
        });
        for (const PostedCommand& command : received) {
            // The command's name from --names beside its code; without one
            // the line stays "command 1232 value 10400".
            const std::string* name = names.command_name(static_cast<std::int32_t>(command.command));
            if (name != nullptr) {
                std::printf("command %u (%s) value %d\n", command.command, name->c_str(), command.value);
            } else {
                std::printf("command %u value %d\n", command.command, command.value);
            }
        }
        if (!received.empty()) {
            std::fflush(stdout);
            received.clear();
        }

        for (const KnobTurn& turn : kKnobTurns) {
            if (options.turn_knobs && tick % turn.every_ticks == 0) {
                host.with_server([&turn](OffsetServer& server) {
                    server.set_u8(turn.counter,
                                  static_cast<std::uint8_t>(server.byte_at(turn.counter) + turn.steps));
                });
                std::printf("turned: %s\n", turn.what);
                std::fflush(stdout);
            }
        }

        if (!options.no_dump && tick % kDumpEveryTicks == 0) {
            host.with_server([&current](OffsetServer& server) {
                std::memcpy(current, server.space() + kBlockFirst, kBlockSize);
            });
            if (!dumped || std::memcmp(current, shown, kBlockSize) != 0) {
                print_block(current, static_cast<double>(tick) / corvane::sim::demo::kTicksPerSecond,
                            host.counters().exchanges);
                std::memcpy(shown, current, kBlockSize);
                dumped = true;
            }
        }
    }
    AcquireSRWLockExclusive(&reader.lock);
    reader.ending = true;  // the hand's lines leave the host alone from here
    ReleaseSRWLockExclusive(&reader.lock);
    host.stop();
    std::printf("corvane-sim: stopped after %zu exchanges\n", host.counters().exchanges);
    return 0;
}
