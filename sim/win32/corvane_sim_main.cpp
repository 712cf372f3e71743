// corvane-sim: the stand-in simulator as a program of its own. It serves the
// offset protocol from the windows of a simulator with the offset server
// loaded ("UIPCMAIN" and "FS98MAIN", or "UIPCMAIN" alone), publishes the
// aircraft's two mappings with a moving cockpit, acts on the knob commands
// Corvane posts, and prints the offset block, every command it receives and
// every request it refuses. For the demo, and for trying cockpit hardware
// and panel software without a simulator.
//
//   corvane-sim [--seconds N] [--uipcmain] [--no-aircraft] [--turn-knobs] [--no-dump]
//   corvane-sim --offset-map [--format text|csv|md]
//   corvane-sim --latency SECONDS   (see latency_probe.h)
//   corvane-sim --help | --version
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if !defined(__WINE__)
#include <fcntl.h>
#include <io.h>
#endif

#include "platform/windows_api.h"

#include "bridge/offset_map.h"
#include "common/version.h"
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

enum class MapFormat { Text, Csv, Markdown };

struct Options {
    unsigned long seconds = 0;  // 0: run until killed
    bool turn_knobs = false;
    bool offset_map = false;
    bool format_given = false;
    MapFormat format = MapFormat::Text;
    bool help = false;
    bool version = false;
    bool dump = true;  // off when corvane-monitor shows the block instead
    unsigned long latency_seconds = 0;  // 0: no latency probe
    HostOptions host;
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
    "usage: corvane-sim [--seconds N] [--uipcmain] [--no-aircraft] [--turn-knobs] [--no-dump]\n"
    "       corvane-sim --offset-map [--format text|csv|md]\n"
    "       corvane-sim --latency N\n"
    "       corvane-sim --help | --version\n"
    "  --seconds N    exit after N seconds (default: run until stopped)\n"
    "  --uipcmain     serve from a \"UIPCMAIN\" window alone, not beside \"FS98MAIN\"\n"
    "                 (aircraft commands then have no window to go to)\n"
    "  --no-aircraft  serve offsets only, publish no aircraft mappings\n"
    "  --turn-knobs   turn a few knobs now and then, as a hardware client would\n"
    "  --no-dump      do not print the offset block (corvane-monitor shows it by name)\n"
    "  --offset-map   print every offset Corvane writes or reads, and what it means\n"
    "  --format F     the offset map as text (default), csv or md (Markdown)\n"
    "  --latency N    time both roads across a running Corvane for N seconds, then exit\n"
    "  --help         print this text\n"
    "  --version      print the version\n";

// Asked for: the text on standard output, success. A mistake: on standard
// error, failure.
int usage(bool asked) {
    std::fputs(kUsage, asked ? stdout : stderr);
    return asked ? 0 : 2;
}

bool parse_format(const char* text, MapFormat& format) {
    if (std::strcmp(text, "text") == 0) {
        format = MapFormat::Text;
    } else if (std::strcmp(text, "csv") == 0) {
        format = MapFormat::Csv;
    } else if (std::strcmp(text, "md") == 0) {
        format = MapFormat::Markdown;
    } else {
        return false;
    }
    return true;
}

// A whole number of seconds, nothing after it.
bool parse_seconds(const char* text, unsigned long& seconds) {
    char* end = nullptr;
    seconds = std::strtoul(text, &end, 10);
    return end != text && *end == '\0';
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            if (!parse_seconds(argv[++i], options.seconds)) {
                return false;
            }
        } else if (std::strcmp(argv[i], "--latency") == 0 && i + 1 < argc) {
            if (!parse_seconds(argv[++i], options.latency_seconds) ||
                options.latency_seconds == 0) {
                return false;
            }
        } else if (std::strcmp(argv[i], "--uipcmain") == 0) {
            options.host.windows = WindowLayout::UipcmainOnly;
        } else if (std::strcmp(argv[i], "--turn-knobs") == 0) {
            options.turn_knobs = true;
        } else if (std::strcmp(argv[i], "--offset-map") == 0) {
            options.offset_map = true;
        } else if (std::strcmp(argv[i], "--format") == 0 && i + 1 < argc) {
            options.format_given = true;
            if (!parse_format(argv[++i], options.format)) {
                return false;
            }
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            options.help = true;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            options.version = true;
        } else if (std::strcmp(argv[i], "--no-dump") == 0) {
            options.dump = false;
        } else if (std::strcmp(argv[i], "--no-aircraft") == 0) {
            options.host.publish_aircraft = false;
        } else {
            return false;
        }
    }
    // A format means nothing without the map.
    return options.offset_map || !options.format_given;
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

void print_block(const unsigned char* block, double seconds, std::size_t exchanges) {
    std::printf("\noffsets 0x%04X-0x%04X at %.1f s, %zu exchanges served\n", kBlockFirst,
                kBlockLast, seconds, exchanges);
    for (std::uint32_t line = 0; line < kBlockSize; line += kBytesPerLine) {
        std::printf("  %04X:", kBlockFirst + line);
        for (std::uint32_t i = line; i < line + kBytesPerLine && i < kBlockSize; ++i) {
            std::printf(" %02X", block[i]);
        }
        std::printf("\n");
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        return usage(false);
    }
    if (options.help) {
        return usage(true);
    }
    if (options.version) {
        std::printf("corvane-sim %s\n", CORVANE_VERSION);
        return 0;
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
            std::fprintf(stderr, "corvane-sim: a \"%s\" window already exists; is a simulator running?\n",
                         cls);
            return 1;
        }
        windows += (windows.empty() ? "\"" : " and \"") + std::string(cls) + "\"";
    }

    SimHost host(options.host);
    if (!host.start()) {
        std::fprintf(stderr, "corvane-sim: could not create the windows or the aircraft mappings\n");
        return 1;
    }
    if (host.adopted_existing_mapping()) {
        std::fprintf(stderr, "corvane-sim: warning: the aircraft mappings already existed; sharing them\n");
    }
    host.with_aircraft([](AircraftModel* aircraft) {
        if (aircraft != nullptr) {
            corvane::sim::demo::prepare(*aircraft);
        }
    });
    // Cockpit hardware leaves the command word at "none" until it has a
    // command; a zero there would be taken for command 0.
    host.with_server([](OffsetServer& server) { server.set_u16(kCommandWord, kNoCommand); });
    std::printf("corvane-sim: serving offsets from %s%s\n", windows.c_str(),
                host.aircraft_published() ? ", aircraft published" : ", no aircraft");
    if (options.seconds != 0) {
        std::printf("corvane-sim: stopping after %lu s\n", options.seconds);
    }
    std::fflush(stdout);
    if (options.latency_seconds != 0) {
        const auto report = corvane::sim::win32::run_latency_probe(
            host, {static_cast<std::uint32_t>(options.latency_seconds)}, stdout);
        corvane::sim::win32::print_latency_report(stdout, report);
        return report.bridge_found ? 0 : 1;
    }

    unsigned char shown[kBlockSize] = {};
    unsigned char current[kBlockSize] = {};
    bool dumped = false;
    std::vector<PostedCommand> received;
    const std::uint64_t last_tick =
        static_cast<std::uint64_t>(options.seconds) * corvane::sim::demo::kTicksPerSecond;
    const ULONGLONG started = GetTickCount64();
    for (std::uint32_t tick = 1; options.seconds == 0 || tick <= last_tick; ++tick) {
        // Keep the beat against the clock, not against the work done per tick.
        const ULONGLONG due = started + static_cast<ULONGLONG>(tick) * kTickMs;
        const ULONGLONG now = GetTickCount64();
        if (due > now) {
            Sleep(static_cast<DWORD>(due - now));
        }

        host.with_aircraft([tick, &received](AircraftModel* aircraft) {
            if (aircraft != nullptr) {
                corvane::sim::demo::animate(*aircraft, tick);
                if (!aircraft->commands().empty()) {
                    received = aircraft->commands();
                    aircraft->clear_commands();
                }
            }
        });
        for (const PostedCommand& command : received) {
            std::printf("command %u value %d\n", command.command, command.value);
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

        if (options.dump && tick % kDumpEveryTicks == 0) {
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
    host.stop();
    std::printf("corvane-sim: stopped after %zu exchanges\n", host.counters().exchanges);
    return 0;
}
