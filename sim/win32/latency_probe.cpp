// The latency probe (see latency_probe.h): samples started by the driving
// thread, ended by the host's observer on the serving thread, figures at the
// end. Every piece of state below is touched only with the host's lock held
// (the observer runs under it, the driver goes through with_server), so the
// two threads never race on it.
#include "sim/win32/latency_probe.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "platform/windows_api.h"

#include "bridge/command_tables.h"
#include "export/tables.h"
#include "fsuipc/client.h"

namespace corvane::sim::win32 {
namespace {

// The altitude window: its display offset is what the export road waits for.
constexpr int kProbeWindow = 5;
constexpr std::int32_t kFirstAltitude = 10000;
constexpr std::int32_t kAltitudeStep = 100;
constexpr std::int32_t kAltitudeValues = 200;
// The first step counter; the probe steps it up and down in turn.
constexpr std::uint32_t kProbeCounter = bridge::kStepCounterOffset;
constexpr std::int32_t kStepUp = bridge::kStepRows[0].up;
constexpr std::int32_t kStepDown = bridge::kStepRows[0].down;

constexpr double kLostAfterMs = 1000.0;
constexpr DWORD kShortestGapMs = 100;
constexpr DWORD kLongestGapMs = 300;
constexpr DWORD kPollMs = 2;
// Room for every sample of a long run without growing while it runs.
constexpr std::size_t kSamplesPerSecond = 1000 / kShortestGapMs + 1;
constexpr double kGoalMarginMs = 2.0;
constexpr double kMsPerSecond = 1000.0;

std::int64_t now_ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double ticks_per_ms() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / kMsPerSecond;
}

// "FsasmLib:IPC:<pid>:<n>", both hexadecimal; 0 when it is not such a name.
unsigned long area_pid(const char* area_name) {
    static constexpr char kPrefix[] = "FsasmLib:IPC:";
    constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
    if (std::strncmp(area_name, kPrefix, kPrefixLength) != 0) {
        return 0;
    }
    return std::strtoul(area_name + kPrefixLength, nullptr, 16);
}

struct Road {
    bool pending = false;
    std::int64_t started = 0;
    std::vector<std::int64_t> samples;  // durations in counter ticks
    std::size_t lost = 0;
};

struct ClientRecord {
    unsigned long pid = 0;
    std::size_t exchanges = 0;
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::int64_t longest_gap = 0;
};

class Probe : public HostObserver {
public:
    Probe(SimHost& host, std::size_t capacity) : host_(host) {
        export_road_.samples.reserve(capacity);
        command_road_.samples.reserve(capacity);
        host_.set_observer(this);
    }
    ~Probe() override { host_.set_observer(nullptr); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    void exchange_served(std::int64_t received, const char* area_name,
                         const OffsetServer& server) override {
        const unsigned long pid = area_pid(area_name);
        if (measuring_) {
            count_exchange(pid, received);
        }
        if (export_road_.pending && server.last_exchange().has_write(display_offset()) &&
            server.u16_at(display_offset()) == static_cast<std::uint16_t>(altitude_)) {
            finish(export_road_, received);
            if (bridge_pid_ == 0) {
                bridge_pid_ = pid;  // the warm-up's sample names the bridge
            }
        }
    }

    void command_received(std::int64_t received, std::uint32_t command, std::int32_t) override {
        if (command_road_.pending && static_cast<std::int32_t>(command) == expected_command_) {
            finish(command_road_, received);
        }
    }

    // ---- driver side: each call takes the host's lock ----------------------

    void start_export_sample() {
        altitude_ = kFirstAltitude + kAltitudeStep * (1 + export_count_++ % kAltitudeValues);
        host_.with_aircraft([this](AircraftModel* aircraft) {
            if (aircraft != nullptr) {
                export_road_.started = now_ticks();
                export_road_.pending = true;
                aircraft->set_window(kProbeWindow, altitude_);
            }
        });
    }

    void start_command_sample() {
        const bool up = command_count_++ % 2 == 0;
        host_.with_aircraft([](AircraftModel* aircraft) {
            if (aircraft != nullptr) {
                aircraft->clear_commands();  // the probe keeps its own account
            }
        });
        host_.with_server([this, up](OffsetServer& server) {
            const auto counter = static_cast<std::uint8_t>(server.byte_at(kProbeCounter) + (up ? 1 : -1));
            expected_command_ = up ? kStepUp : kStepDown;
            command_road_.started = now_ticks();
            command_road_.pending = true;
            server.set_u8(kProbeCounter, counter);
        });
    }

    // Whether the road has a sample in flight; one in flight for too long
    // is given up and counted as lost.
    bool in_flight(Road& road, std::int64_t lost_after) {
        return host_.with_server([&](OffsetServer&) {
            if (road.pending && now_ticks() - road.started > lost_after) {
                road.pending = false;
                if (measuring_) {
                    ++road.lost;
                }
            }
            return road.pending;
        });
    }

    void set_measuring(bool measuring) {
        host_.with_server([this, measuring](OffsetServer&) {
            measuring_ = measuring;
            if (measuring) {
                export_road_.samples.clear();
                command_road_.samples.clear();
                export_road_.lost = 0;
                command_road_.lost = 0;
                client_count_ = 0;
            }
        });
    }

    Road& export_road() { return export_road_; }
    Road& command_road() { return command_road_; }

    // Read once the measurement has stopped.
    unsigned long bridge_pid() const { return bridge_pid_; }
    std::size_t client_count() const { return client_count_; }
    const ClientRecord& client(std::size_t i) const { return clients_[i]; }

private:
    static std::uint32_t display_offset() {
        return data_export::kDisplayWindows[kProbeWindow].offset;
    }

    void finish(Road& road, std::int64_t received) {
        road.pending = false;
        if (measuring_ && road.samples.size() < road.samples.capacity()) {
            road.samples.push_back(std::max<std::int64_t>(received - road.started, 0));
        }
    }

    void count_exchange(unsigned long pid, std::int64_t received) {
        ClientRecord* record = nullptr;
        for (std::size_t i = 0; i < client_count_; ++i) {
            if (clients_[i].pid == pid) {
                record = &clients_[i];
            }
        }
        if (record == nullptr) {
            if (client_count_ == kMaxClients) {
                return;
            }
            record = &clients_[client_count_++];
            *record = ClientRecord{pid, 0, received, received, 0};
        }
        record->longest_gap = std::max(record->longest_gap, received - record->last);
        record->last = received;
        ++record->exchanges;
    }

    static constexpr std::size_t kMaxClients = 1 + LatencyReport::kMaxOthers;

    SimHost& host_;
    Road export_road_;
    Road command_road_;
    bool measuring_ = false;
    std::int32_t altitude_ = 0;
    std::uint32_t export_count_ = 0;
    std::uint32_t command_count_ = 0;
    std::int32_t expected_command_ = 0;
    unsigned long bridge_pid_ = 0;
    ClientRecord clients_[kMaxClients];
    std::size_t client_count_ = 0;
};

RoadFigures figures(const Road& road, double per_ms) {
    RoadFigures out;
    out.samples = road.samples.size();
    out.lost = road.lost;
    if (road.samples.empty()) {
        return out;
    }
    std::vector<std::int64_t> sorted = road.samples;
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank: the smallest sample with at least p of them at or below it.
    const auto rank = [&sorted](double p) {
        const auto n = static_cast<double>(sorted.size());
        const auto index = static_cast<std::size_t>(std::ceil(p * n)) - 1;
        return sorted[std::min(index, sorted.size() - 1)];
    };
    out.p50_ms = static_cast<double>(rank(0.50)) / per_ms;
    out.p99_ms = static_cast<double>(rank(0.99)) / per_ms;
    out.max_ms = static_cast<double>(sorted.back()) / per_ms;
    return out;
}

ClientTicks ticks_of(const ClientRecord& record, double per_ms) {
    ClientTicks out;
    out.pid = record.pid;
    out.exchanges = record.exchanges;
    if (record.exchanges > 1) {
        out.period_ms = static_cast<double>(record.last - record.first) / per_ms /
                        static_cast<double>(record.exchanges - 1);
    }
    out.longest_gap_ms = static_cast<double>(record.longest_gap) / per_ms;
    return out;
}

void say(std::FILE* progress, const char* format, unsigned long value) {
    if (progress != nullptr) {
        std::fprintf(progress, format, value);
        std::fflush(progress);
    }
}

}  // namespace

LatencyReport run_latency_probe(SimHost& host, const LatencyOptions& options,
                                std::FILE* progress) {
    LatencyReport report;
    const double per_ms = ticks_per_ms();
    const auto lost_after = static_cast<std::int64_t>(kLostAfterMs * per_ms);
    Probe probe(host, kSamplesPerSecond * (options.seconds + 1));

    // Warm-up: an altitude change that comes through shows that a bridge runs.
    say(progress, "latency: waiting up to %lu s for a bridge\n", options.warmup_ms / 1000);
    const ULONGLONG warmup_end = GetTickCount64() + options.warmup_ms;
    bool bridged = false;
    while (!bridged && GetTickCount64() < warmup_end) {
        probe.start_export_sample();
        do {
            Sleep(kPollMs);
        } while (probe.in_flight(probe.export_road(), lost_after));
        bridged = probe.bridge_pid() != 0;
    }
    if (!bridged) {
        say(progress, "latency: no bridge came within %lu s\n", options.warmup_ms / 1000);
        return report;
    }
    report.bridge_found = true;

    std::mt19937 random(static_cast<std::uint32_t>(now_ticks()));
    std::uniform_int_distribution<DWORD> gap(kShortestGapMs, kLongestGapMs);
    say(progress, "latency: measuring for %lu s\n", options.seconds);
    probe.set_measuring(true);
    const std::int64_t started = now_ticks();
    const auto stop = started + static_cast<std::int64_t>(options.seconds * kMsPerSecond * per_ms);
    std::int64_t export_due = started + static_cast<std::int64_t>(gap(random) * per_ms);
    std::int64_t command_due = started + static_cast<std::int64_t>(gap(random) * per_ms);
    bool export_flying = false;
    bool command_flying = false;
    for (std::int64_t now = now_ticks(); now < stop; now = now_ticks()) {
        if (export_flying && !probe.in_flight(probe.export_road(), lost_after)) {
            export_flying = false;
            export_due = now + static_cast<std::int64_t>(gap(random) * per_ms);
        }
        if (command_flying && !probe.in_flight(probe.command_road(), lost_after)) {
            command_flying = false;
            command_due = now + static_cast<std::int64_t>(gap(random) * per_ms);
        }
        if (!export_flying && now >= export_due) {
            probe.start_export_sample();
            export_flying = true;
        }
        if (!command_flying && now >= command_due) {
            probe.start_command_sample();
            command_flying = true;
        }
        // Sleep to the next start, but look at samples in flight often.
        std::int64_t next = std::min(export_flying ? stop : export_due,
                                     command_flying ? stop : command_due);
        if (export_flying || command_flying) {
            next = std::min(next, now + static_cast<std::int64_t>(kPollMs * per_ms));
        }
        const double wait_ms = static_cast<double>(next - now_ticks()) / per_ms;
        Sleep(wait_ms < 1.0 ? 1 : static_cast<DWORD>(wait_ms));
    }
    probe.set_measuring(false);
    report.seconds = static_cast<double>(now_ticks() - started) / per_ms / kMsPerSecond;

    report.export_road = figures(probe.export_road(), per_ms);
    report.command_road = figures(probe.command_road(), per_ms);
    for (std::size_t i = 0; i < probe.client_count(); ++i) {
        const ClientTicks ticks = ticks_of(probe.client(i), per_ms);
        if (ticks.pid == probe.bridge_pid()) {
            report.bridge = ticks;
        } else if (report.other_count < LatencyReport::kMaxOthers) {
            report.others[report.other_count++] = ticks;
        }
    }
    return report;
}

void print_latency_report(std::FILE* out, const LatencyReport& report) {
    if (!report.bridge_found) {
        std::fprintf(out, "latency: no bridge, nothing measured\n");
        return;
    }
    const ClientTicks& b = report.bridge;
    std::fprintf(out,
                 "latency: %.1f s measured; bridge (process %lu) exchanged every %.2f ms "
                 "(%zu exchanges, longest gap %.1f ms)\n",
                 report.seconds, b.pid, b.period_ms, b.exchanges, b.longest_gap_ms);
    for (std::size_t i = 0; i < report.other_count; ++i) {
        const ClientTicks& o = report.others[i];
        std::fprintf(out,
                     "latency: other client (process %lu) exchanged every %.2f ms "
                     "(%zu exchanges, longest gap %.1f ms)\n",
                     o.pid, o.period_ms, o.exchanges, o.longest_gap_ms);
    }
    const double goal = b.period_ms + kGoalMarginMs;
    const struct {
        const char* name;
        const RoadFigures& road;
    } roads[] = {{"aircraft to offsets", report.export_road},
                 {"offsets to aircraft", report.command_road}};
    for (const auto& r : roads) {
        std::fprintf(out,
                     "latency: %s: %zu samples, p50 %.2f ms, p99 %.2f ms, max %.2f ms, "
                     "lost %zu; p99 goal %.2f ms %s\n",
                     r.name, r.road.samples, r.road.p50_ms, r.road.p99_ms, r.road.max_ms,
                     r.road.lost, goal,
                     r.road.samples > 0 && r.road.lost == 0 && r.road.p99_ms <= goal ? "met"
                                                                                       : "missed");
    }
    std::fflush(out);
}

}  // namespace corvane::sim::win32
