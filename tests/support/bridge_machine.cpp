// The property-test machine: the whole core against the fake, random steps,
// invariants checked from the outside after each one. See bridge_machine.h.
//
// The model knows only what the world around Corvane can see: the offset
// space of the server, the request area as a server sees it during an
// exchange, the commands posted to the simulator window, the fake's handle
// tables and the status lines. It never reads the bridge's own records to
// decide what should have happened.
#include "tests/support/bridge_machine.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

#include "aircraft/link.h"
#include "app/lifecycle.h"
#include "bridge/command_tables.h"
#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"
#include "fsuipc/client.h"
#include "sim/aircraft_model.h"
#include "tests/support/alloc_counter.h"

namespace corvane::testing {

// ---- choices -----------------------------------------------------------------

std::uint32_t SeededChoices::below(std::uint32_t bound) {
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return bound <= 1 ? 0 : static_cast<std::uint32_t>(z % bound);
}

std::uint32_t ByteChoices::below(std::uint32_t bound) {
    if (bound <= 1) {
        return 0;
    }
    // As many bytes as the bound needs, so that every value can be reached.
    std::uint32_t value = 0;
    for (std::uint32_t reach = 1; reach < bound && reach != 0; reach <<= 8) {
        value = (value << 8) | (used_ < size_ ? data_[used_] : 0u);
        ++used_;
    }
    return value % bound;
}

MachineFigures& MachineFigures::operator+=(const MachineFigures& o) {
    steps += o.steps;
    cycles += o.cycles;
    in_step_checks += o.in_step_checks;
    complete_reads += o.complete_reads;
    allocation_checks += o.allocation_checks;
    block_changes += o.block_changes;
    inputs += o.inputs;
    faults += o.faults;
    restarts += o.restarts;
    run_presses += o.run_presses;
    automatic_reconnects += o.automatic_reconnects;
    step_commands += o.step_commands;
    other_commands += o.other_commands;
    return *this;
}

std::string resources_out_of_step(const FakeOs& fake, const bridge::Bridge& bridge) {
    const aircraft::Link& link = bridge.link;
    const bool fsuipc_open = fsuipc::is_open(bridge.client);
    // The aircraft link is all or nothing.
    const bool sdk1 = link.sdk1_mapping != kNoHandle && link.sdk1_view != nullptr;
    const bool sdk2 = link.sdk2_mapping != kNoHandle && link.sdk2_view != nullptr;
    const bool none = link.sdk1_mapping == kNoHandle && link.sdk1_view == nullptr &&
                      link.sdk2_mapping == kNoHandle && link.sdk2_view == nullptr;
    const std::size_t aircraft_open = sdk1 && sdk2 ? 1 : 0;
    const std::size_t handles = (fsuipc_open ? 1 : 0) + 2 * aircraft_open;
    const std::size_t atoms = fsuipc_open ? 1 : 0;
    const std::size_t objects = (fake.aircraft() != nullptr ? 2 : 0) + (fsuipc_open ? 1 : 0);
    char text[256];
    if (!(sdk1 && sdk2) && !none) {
        std::snprintf(text, sizeof text, "the aircraft link is half open");
    } else if (fake.bad_releases != 0) {
        std::snprintf(text, sizeof text, "%zu releases of something not held", fake.bad_releases);
    } else if (fake.open_handles() != handles || fake.mapped_views() != handles ||
               fake.atoms_held() != atoms || fake.mapping_objects() != objects) {
        std::snprintf(text, sizeof text,
                      "held: %zu handles, %zu views, %zu atoms, %zu mappings; the links "
                      "account for %zu, %zu, %zu, %zu",
                      fake.open_handles(), fake.mapped_views(), fake.atoms_held(),
                      fake.mapping_objects(), handles, handles, atoms, objects);
    } else {
        return {};
    }
    return text;
}

namespace {

using bridge::kCommandWordOffset;
using bridge::kKnobCount;
using bridge::kKnobCounterOffset;
using bridge::kKnobRows;
using bridge::kStepCounterCount;
using bridge::kStepCounterOffset;
using bridge::kStepRows;
using bridge::kValueByteCommand;
using bridge::kValueByteOffset;

constexpr std::uint16_t kNoCommand = 0xFFFF;
// Hardware command codes come from a range no other command uses, so that a
// post tells by its code where it came from. A new server's word reads 0,
// which is posted as command 0.
constexpr std::uint32_t kFirstHardwareCode = 3000;
constexpr std::uint32_t kHardwareCodes = 0x8000 - kFirstHardwareCode;
// Counter movements are kept this close to what was last acted upon, so
// that the wrapped difference is never ambiguous (it reaches 128).
constexpr int kMaxUnposted = 120;

// The exported parts of the offset block: annunciators, then displays and
// panel values (0x947D..0x947F lie unused in between and stay 0 on both sides).
struct Range {
    std::uint32_t first;
    std::uint32_t end;
};
constexpr Range kExported[] = {{0x9402, 0x9428}, {0x9430, 0x94F0}};

// The fourteen command reads of a cycle, by offset.
constexpr int kReadCount = 1 + kKnobCount + kStepCounterCount + 1;
constexpr int kWordRead = 0;
constexpr int kKnobRead = 1;
constexpr int kStepRead = kKnobRead + kKnobCount;
constexpr int kValueRead = kStepRead + kStepCounterCount;

int read_slot(std::uint32_t offset, std::uint32_t size) {
    if (offset == kCommandWordOffset && size == 2) {
        return kWordRead;
    }
    constexpr std::uint32_t kCountersEnd = kKnobCounterOffset + kKnobCount + kStepCounterCount;
    if (offset >= kKnobCounterOffset && offset < kCountersEnd && size == 1) {
        return kKnobRead + static_cast<int>(offset - kKnobCounterOffset);
    }
    if (offset == kValueByteOffset && size == 1) {
        return kValueRead;
    }
    return -1;
}

// How a hostile server rewrites the area after serving it and before it
// answers. A rewrite of result bytes would look like a panel that moved, so
// the machine leaves those alone (the client fuzz target does not).
enum class Tamper : std::uint8_t {
    None,
    BreakRecord,     // one record's id changed: that record and all after it are not to be trusted
    RewriteHeaders,  // offsets, sizes and destinations scribbled over, ids kept
    GarbageTail,     // bytes after the terminator
};

// The shell as a window would carry it out: the timer state and the last
// status line. Nothing here allocates.
class CountingShell final : public app::Shell {
public:
    void append_status(const char* text) override {
        ++calls;
        last_status = text;
        if (std::strcmp(text, "Status : AUTORECONNECT IN 2 SECS") == 0) {
            ++automatic_attempts;
        }
    }
    void show_window(int) override { ++calls; }
    void start_timer(std::uint32_t) override {
        ++calls;
        timer_running = true;
    }
    void stop_timer() override {
        ++calls;
        timer_running = false;
    }
    void start_retry_timer(std::uint32_t) override { ++calls; }
    void stop_retry_timer() override { ++calls; }
    void start_wait(std::uint32_t) override {
        ++calls;
        waiting = true;
    }
    void stop_wait() override { waiting = false; }
    void repaint() override { ++calls; }
    void note_in_log_file(const char*) override { ++calls; }
    void show_state(app::BridgeState state) override {
        ++calls;
        shown_state = state;
    }
    void notify_stop(const char*) override {
        ++calls;
        ++stop_notices;
    }
    // The job at once, on this thread: the machine's steps see each cycle
    // and each reopen complete, as a worker that answers instantly.
    void start_job(app::Job job) override {
        app::job_done(*app, *this, app::run_job(*app, job));
    }
    app::App* app = nullptr;

    std::uint64_t calls = 0;
    std::uint64_t automatic_attempts = 0;
    std::uint64_t stop_notices = 0;
    bool timer_running = false;
    bool waiting = false;
    app::BridgeState shown_state = app::BridgeState::Waiting;
    const char* last_status = "";
};

// What the server saw of the cycle's read exchange during the last tick.
struct Observed {
    bool reads_served = false;
    bool answered = false;            // the answer was 1
    bool delivered[kReadCount] = {};  // results the client may take
    int value[kReadCount] = {};       // as the server filled them
};

enum StepKind : std::uint8_t {
    kTick,
    kBlockChange,
    kHardware,
    kFault,
    kRun,
    kAircraftGone,
    kAircraftBack,
    kWindowDestroyed,
    kSimulatorWindowGone,
    kRestart,
    kLateHandling,
    kHeal,
    kStepKinds,
};

constexpr const char* kStepNames[kStepKinds] = {
    "tick", "block change", "hardware", "fault", "Run!", "aircraft withdrawn",
    "aircraft published", "server window destroyed", "simulator window gone",
    "simulator restart",
    "late handling", "heal",
};

// Out of 1000.
constexpr std::uint32_t kStepWeights[kStepKinds] = {
    450, 150, 220, 55, 50, 8, 25, 4, 6, 12, 12, 14,
};

constexpr std::uint32_t total_weight() {
    std::uint32_t total = 0;
    for (std::uint32_t w : kStepWeights) {
        total += w;
    }
    return total;
}

constexpr std::size_t kTraceLength = 24;

struct TraceEntry {
    std::uint64_t step;
    StepKind kind;
    std::int64_t a;
    std::int64_t b;
};

}  // namespace

struct BridgeMachine::State {
    explicit State(const MachineOptions& machine_options) : options(machine_options) {
        shell.app = &app;
    }

    MachineOptions options;

    // ---- the world and the program -------------------------------------------
    FakeOs fake;
    std::unique_ptr<bridge::Bridge> bridge = std::make_unique<bridge::Bridge>(fake);
    app::App app{*bridge, app::Settings{}};
    CountingShell shell;
    sim::AircraftModel* aircraft = nullptr;
    unsigned char* sdk1 = nullptr;  // the published blocks, written by the model
    unsigned char* sdk2 = nullptr;
    bool uipcmain = false;          // the server also has its own "UIPCMAIN" window
    bool windows_destroyed = false;
    // Only the simulator's own window went; its offset server may still
    // answer through "UIPCMAIN", and the panels' movements must wait.
    bool simulator_window_gone = false;

    // ---- the full export of the same blocks, in a world of its own --------------
    FakeOs reference_fake;
    std::unique_ptr<fsuipc::Client> reference_client = std::make_unique<fsuipc::Client>();
    std::int32_t reference_code = 0;
    aircraft::Snapshots tick_blocks;  // the blocks as the tick's cycle found them

    // ---- the model: what the panels did and what must come of it ---------------
    int step_position[kStepCounterCount] = {};
    int step_unposted[kStepCounterCount] = {};  // moved minus posted, unwrapped
    int knob_position[kKnobCount] = {};
    int knob_acted[kKnobCount] = {};            // the last value read and acted upon
    int value_byte = 0;
    int value_posted = 0;
    std::uint16_t word_expected = 0;            // what 0x9400 holds
    // The first read after start, and after a new server, is the baseline of
    // the counters (and, after a new server, of the value byte too).
    bool counter_baseline = true;
    bool value_baseline = false;
    Tamper tamper = Tamper::None;
    std::uint32_t tamper_parameter = 0;
    bool silent_after_next = false;  // the server hangs right after answering
    Observed observed;

    MachineFigures figures;
    TraceEntry trace[kTraceLength] = {};
    std::uint64_t notes = 0;
    bool failed = false;
    bool was_stopped = false;
    std::uint64_t notices_seen = 0;
    char failure[512] = {};

    // ---- reporting ------------------------------------------------------------------
    void fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        if (failed) {
            return;
        }
        failed = true;
        va_list args;
        va_start(args, format);
        std::vsnprintf(failure, sizeof failure, format, args);
        va_end(args);
    }

    void note(StepKind kind, std::int64_t a = 0, std::int64_t b = 0) {
        trace[notes++ % kTraceLength] = TraceEntry{figures.steps, kind, a, b};
    }

    // ---- the server's side of an exchange -----------------------------------------
    void on_served(unsigned char* area, std::size_t size) {
        struct Record {
            std::size_t position;
            std::uint32_t id;
            std::uint32_t size;
            int slot;
        };
        // A cycle queues at most 180 writes and 14 reads.
        constexpr std::size_t kMaxParsed = 512;
        Record records[kMaxParsed];
        std::size_t count = 0;
        std::size_t position = 0;
        bool reads = false;
        // Walked as the server walked it.
        while (count < kMaxParsed && size - position >= fsuipc::kTerminatorSize) {
            const std::uint32_t id = load_u32(area + position);
            if (id != fsuipc::kRecordRead && id != fsuipc::kRecordWrite) {
                break;
            }
            const std::size_t header = id == fsuipc::kRecordRead ? fsuipc::kReadHeader
                                                                 : fsuipc::kWriteHeader;
            if (size - position < header) {
                break;
            }
            const std::uint32_t offset = load_u32(area + position + fsuipc::kOffsetField);
            const std::uint32_t bytes = load_u32(area + position + fsuipc::kSizeField);
            if (size - position - header < bytes) {
                break;
            }
            const int slot = id == fsuipc::kRecordRead ? read_slot(offset, bytes) : -1;
            reads = reads || slot == kWordRead;
            records[count++] = Record{position, id, bytes, slot};
            position += header + bytes;
        }
        const std::size_t terminator = position;
        if (silent_after_next) {
            // This answer still goes out; the cycle's next send times out.
            fake.server_silent = true;
            silent_after_next = false;
        }

        std::size_t broken = count;  // records from here on are not to be trusted
        switch (tamper) {
            case Tamper::None:
                break;
            case Tamper::BreakRecord:
                if (count != 0) {
                    broken = tamper_parameter % count;
                    const std::uint32_t scribble[] = {0, 3, 0xFFFFFFFF,
                                                      records[broken].id ^ 3u};
                    store_u32(area + records[broken].position, scribble[tamper_parameter % 4]);
                }
                break;
            case Tamper::RewriteHeaders:
                for (std::size_t i = 0; i < count; ++i) {
                    unsigned char* at = area + records[i].position;
                    store_u32(at + fsuipc::kOffsetField, 0xFFFF0000u + tamper_parameter);
                    store_u32(at + fsuipc::kSizeField, 0xFFFFFFF0u | (tamper_parameter & 0xF));
                    if (records[i].id == fsuipc::kRecordRead) {
                        store_u32(at + fsuipc::kDestinationField, 0x7FFFFFFFu - tamper_parameter);
                    }
                }
                break;
            case Tamper::GarbageTail: {
                const std::size_t from = terminator + fsuipc::kTerminatorSize;
                const std::size_t length = 1 + tamper_parameter % 256;
                for (std::size_t i = from; i < size && i < from + length; ++i) {
                    area[i] = static_cast<unsigned char>(0xA5 ^ i);
                }
                break;
            }
        }

        if (!reads) {
            return;  // a handshake or the command word's reset
        }
        observed.reads_served = true;
        observed.answered = fake.server_answer == fsuipc::kServerAnswerOk;
        for (std::size_t i = 0; i < count; ++i) {
            const int slot = records[i].slot;
            if (slot < 0) {
                continue;
            }
            const unsigned char* result = area + records[i].position + fsuipc::kReadHeader;
            observed.value[slot] = slot == kWordRead
                                       ? static_cast<std::int16_t>(load_u16(result))
                                       : result[0];
            observed.delivered[slot] = observed.answered && i < broken;
        }
    }

    // ---- setup --------------------------------------------------------------------
    void start(Choices& setup) {
        uipcmain = setup.below(2) == 1;
        fake.has_fs98main = true;
        fake.has_uipcmain = uipcmain;
        aircraft = &fake.publish_aircraft();
        aircraft->set_data_valid(1);
        aircraft->set_window(5, 12000);
        sdk1 = fake.mapping_memory(aircraft::kSdk1MappingName);
        sdk2 = fake.mapping_memory(aircraft::kSdk2MappingName);
        fake.tamper = [this](unsigned char* area, std::size_t size) { on_served(area, size); };

        reference_fake.has_uipcmain = true;
        if (fsuipc::open(*reference_client, reference_fake, 0, reference_code) != 1) {
            fail("the reference server could not be opened");
            return;
        }

        app::open_links(app);
        app::first_connection_check(app, shell);
        run_waits();
        if (!shell.timer_running) {
            fail("a healthy start did not start the bridge (\"%s\")", shell.last_status);
            return;
        }
        tick();
        check_after_step();
    }

    // A sequence's waits end one after the other while the world stands still,
    // as the user-interface thread once slept through them.
    void run_waits() {
        while (shell.waiting && !failed) {
            if (!app::sequence_under_way(app)) {
                fail("a wait runs outside a sequence");
            }
            app::timer_message(app, shell, app::kWaitTimerId);
        }
    }

    // ---- steps --------------------------------------------------------------------
    void tick() {
        note(kTick, app.link_status, shell.timer_running);
        if (!shell.timer_running) {
            return;  // no WM_TIMER arrives while the timer is stopped
        }
        observed = Observed{};
        std::memcpy(tick_blocks.sdk1, sdk1, aircraft::kSdk1BlockSize);
        std::memcpy(tick_blocks.sdk2, sdk2, aircraft::kSdk2BlockSize);
        const bool cycle = app.link_status == app::kLinksUp;
        const std::uint64_t calls = shell.calls;
        const std::uint64_t attempts = shell.automatic_attempts;
        std::size_t allocations = 0;
        {
            const AllocationScope scope;
            app::timer_step(app, shell);
            allocations = scope.allocations();
        }
        run_waits();
        figures.automatic_reconnects += shell.automatic_attempts != attempts ? 1 : 0;
        if (!cycle) {
            return;
        }
        ++figures.cycles;
        // A tick that only bridged allocates nothing (one that had to
        // reconnect builds a new area name and atom, which may).
        if (options.count_allocations && shell.calls == calls) {
            ++figures.allocation_checks;
            if (allocations != 0) {
                fail("a bridging tick allocated %zu times", allocations);
            }
        }
    }

    void change_block(Choices& c) {
        ++figures.block_changes;
        const std::uint32_t kind = c.below(7);
        std::int64_t where = 0;
        switch (kind) {
            case 0: {  // a display window shows a number, or nothing
                const int k = static_cast<int>(c.below(data_export::kDisplayCount));
                where = k;
                const std::uint32_t form = c.below(4);
                if (form == 2) {
                    aircraft->blank_window(k);
                } else {
                    const std::uint32_t value = form == 0   ? c.below(100000)
                                                : form == 1 ? c.below(1000)
                                                            : 65535;
                    aircraft->set_window(k, static_cast<std::int32_t>(value));
                }
                break;
            }
            case 1: {  // a digit field holds what no digit is
                const data_export::DisplayWindow& w =
                    data_export::kDisplayWindows[c.below(data_export::kDisplayCount)];
                const std::int32_t odd[] = {-1, -9, 10, 11, 255, INT32_MIN, INT32_MAX, 9};
                const std::uint32_t field =
                    w.first_field + data_export::kFieldStride * c.below(w.digits);
                where = field;
                aircraft->poke_i32(sim::Block::Sdk1, field, odd[c.below(8)]);
                break;
            }
            case 2: {  // an annunciator field
                const data_export::AnnunciatorRow& row =
                    data_export::kAnnunciatorRows[c.below(data_export::kAnnunciatorCount)];
                const std::uint32_t field = row.field[c.below(data_export::kAnnunciatorWeights)];
                const std::int32_t states[] = {0, 1, 2, 3, -1, INT32_MAX, 4, 1};
                if (field != data_export::kNoField) {
                    where = field;
                    const bool sdk2 = row.block == data_export::kSdk2;
                    aircraft->poke_i32(sdk2 ? sim::Block::Sdk2 : sim::Block::Sdk1, field,
                                       states[c.below(8)]);
                }
                break;
            }
            case 3: {  // a panel value: integers at their extremes, doubles at theirs
                const data_export::PanelRow& row =
                    data_export::kPanelRows[c.below(data_export::kPanelRowCount)];
                where = row.source;
                if (row.type == data_export::kInteger) {
                    const std::int32_t values[] = {0, 1, 255, 256, -1, INT32_MIN, INT32_MAX,
                                                   static_cast<std::int32_t>(c.below(1000))};
                    aircraft->poke_i32(sim::Block::Sdk1, row.source, values[c.below(8)]);
                } else {
                    const double inf = std::numeric_limits<double>::infinity();
                    const double values[] = {std::numeric_limits<double>::quiet_NaN(), inf, -inf,
                                             1e300, -1e300, 65535.9, -7900.5, 0.0, -0.0,
                                             2147483648.0, -2147483649.0, 0.79,
                                             static_cast<double>(c.below(100000)) / 7.0,
                                             std::numeric_limits<double>::denorm_min(),
                                             -std::numeric_limits<double>::quiet_NaN(), 32.768};
                    aircraft->poke_f64(sim::Block::Sdk1, row.source, values[c.below(16)]);
                }
                break;
            }
            case 4: {  // the data-valid field flips
                const std::int32_t values[] = {1, 1, 1, 1, 1, 0, 2, -1};
                where = values[c.below(8)];
                aircraft->set_data_valid(static_cast<std::int32_t>(where));
                break;
            }
            case 5: {  // the knob modes: Mach hundredths, negative vertical speed
                const bool speed = c.below(2) == 0;
                where = speed ? 0x01C0 : 0x01F4;
                aircraft->poke_i32(sim::Block::Sdk1, static_cast<std::size_t>(where),
                                   speed ? (c.below(2) == 0 ? 10 : 5) : (c.below(2) == 0 ? 12 : 0));
                break;
            }
            default: {  // any byte of either block
                const bool first = c.below(2) == 0;
                where = c.below(first ? aircraft::kSdk1BlockSize : aircraft::kSdk2BlockSize);
                (first ? sdk1 : sdk2)[where] = static_cast<unsigned char>(c.below(256));
                break;
            }
        }
        note(kBlockChange, kind, where);
    }

    void hardware(Choices& c) {
        ++figures.inputs;
        const std::uint32_t kind = c.below(4);
        switch (kind) {
            case 0: {  // a step control turned a few clicks
                const int i = static_cast<int>(c.below(kStepCounterCount));
                int delta = static_cast<int>(c.below(11)) - 5;
                if (std::abs(step_unposted[i] + delta) > kMaxUnposted) {
                    delta = -delta;
                }
                step_unposted[i] += delta;
                step_position[i] = (step_position[i] + delta) & 0xFF;
                fake.server.set_u8(kStepCounterOffset + static_cast<std::uint32_t>(i),
                                   static_cast<std::uint8_t>(step_position[i]));
                note(kHardware, kStepCounterOffset + i, delta);
                break;
            }
            case 1: {  // a knob turned, any distance
                const int i = static_cast<int>(c.below(kKnobCount));
                const int delta = static_cast<int>(c.below(256));
                knob_position[i] = (knob_position[i] + delta) & 0xFF;
                fake.server.set_u8(kKnobCounterOffset + static_cast<std::uint32_t>(i),
                                   static_cast<std::uint8_t>(knob_position[i]));
                note(kHardware, kKnobCounterOffset + i, delta);
                break;
            }
            case 2:  // the value byte
                value_byte = static_cast<int>(c.below(256));
                fake.server.set_u8(kValueByteOffset, static_cast<std::uint8_t>(value_byte));
                note(kHardware, kValueByteOffset, value_byte);
                break;
            default: {  // the command word: a code, none, or another negative
                const std::uint32_t form = c.below(4);
                word_expected = form == 0   ? kNoCommand
                                : form == 1 ? static_cast<std::uint16_t>(0x8000 + c.below(0x7FFF))
                                            : static_cast<std::uint16_t>(kFirstHardwareCode +
                                                                         c.below(kHardwareCodes));
                fake.server.set_u16(kCommandWordOffset, word_expected);
                note(kHardware, kCommandWordOffset, word_expected);
                break;
            }
        }
    }

    void clear_faults() {
        fake.failing_sends = 0;
        fake.server_silent = false;
        fake.server_answer = fsuipc::kServerAnswerOk;
        fake.late_handling = false;
        tamper = Tamper::None;
        silent_after_next = false;
    }

    void fault(Choices& c) {
        const std::uint32_t kind = c.below(13);
        const std::uint32_t parameter = c.below(256);
        std::uint32_t errors[] = {0, 1460};  // none, ERROR_TIMEOUT
        switch (kind) {
            case 0:  // a few sends time out, then the server answers again
                fake.failing_sends = static_cast<int>(1 + parameter % 12);
                fake.send_failure_error = errors[parameter % 2];
                fake.late_handling = (parameter & 0x10) != 0;
                break;
            case 1:  // the server stops answering
                fake.server_silent = true;
                fake.send_failure_error = errors[parameter % 2];
                fake.late_handling = (parameter & 0x10) != 0;
                break;
            case 2: {  // it answers, but not 1
                const std::uintptr_t answers[] = {0, 2, ~std::uintptr_t{0}};
                fake.server_answer = answers[parameter % 3];
                break;
            }
            case 3:
                tamper = Tamper::BreakRecord;
                break;
            case 4:
                tamper = Tamper::RewriteHeaders;
                break;
            case 5:
                tamper = Tamper::GarbageTail;
                break;
            case 6:  // it hangs mid-cycle: the command word's reset times out
                silent_after_next = true;
                fake.send_failure_error = errors[parameter % 2];
                fake.late_handling = (parameter & 0x10) != 0;
                break;
            default:
                clear_faults();
                note(kFault, kind, parameter);
                return;
        }
        tamper_parameter = parameter;
        ++figures.faults;
        note(kFault, kind, parameter);
    }

    // A restarted simulator: new windows, an empty offset space, so every
    // counter the panels held is 0 there, the command word too.
    void restart() {
        ++figures.restarts;
        ++figures.faults;
        fake.restart_simulator();
        fake.has_fs98main = true;
        fake.has_uipcmain = uipcmain;
        windows_destroyed = simulator_window_gone = false;
        for (int i = 0; i < kStepCounterCount; ++i) {
            step_position[i] = step_unposted[i] = 0;
        }
        for (int i = 0; i < kKnobCount; ++i) {
            knob_position[i] = knob_acted[i] = 0;
        }
        value_byte = value_posted = 0;
        word_expected = 0;
        counter_baseline = value_baseline = true;
        note(kRestart);
    }

    void withdraw_aircraft(Choices& c) {
        ++figures.faults;
        const bool both = c.below(3) != 0;
        fake.remove_mapping(aircraft::kSdk2MappingName);
        if (both) {
            fake.remove_mapping(aircraft::kSdk1MappingName);
        }
        note(kAircraftGone, both);
    }

    void publish_aircraft() {
        fake.publish_aircraft();
        note(kAircraftBack);
    }

    void press_run() {
        ++figures.run_presses;
        note(kRun, app.link_status);
        app::manual_reconnect(app, shell);
        run_waits();
    }

    // Everything well again, as a user would set it right; then "Run!" must
    // bridge, and its first tick must read every command offset.
    void heal() {
        note(kHeal);
        clear_faults();
        fake.handle_late_messages();
        if (windows_destroyed) {
            restart();  // a destroyed window never comes back: the simulator starts anew
        }
        fake.has_fs98main = true;
        simulator_window_gone = false;
        publish_aircraft();
        aircraft->set_data_valid(1);
        press_run();
        if (!shell.timer_running) {
            fail("\"Run!\" in a healthy world did not bridge (\"%s\", link status %d)",
                 shell.last_status, app.link_status);
            return;
        }
        check_after_step();
        tick();
        const bool bridged = complete_read() && app.link_status == app::kLinksUp;
        check_after_step();
        if (!failed && !bridged) {
            fail("the first tick after \"Run!\" in a healthy world did not bridge "
                 "(link status %d)", app.link_status);
        }
    }

    // ---- invariants ------------------------------------------------------------------
    bool complete_read() const {
        if (!observed.reads_served || !observed.answered) {
            return false;
        }
        for (bool delivered : observed.delivered) {
            if (!delivered) {
                return false;
            }
        }
        return true;
    }

    // The bridge takes the baseline at the first read the server answered:
    // what reached it is acted upon; what did not still reads as the
    // variable's start value, 0, which is where the model stands too.
    void take_baseline() {
        if (!observed.reads_served || !observed.answered) {
            return;
        }
        if (counter_baseline) {
            for (int i = 0; i < kStepCounterCount; ++i) {
                if (observed.delivered[kStepRead + i]) {
                    step_unposted[i] = 0;
                }
            }
            for (int i = 0; i < kKnobCount; ++i) {
                if (observed.delivered[kKnobRead + i]) {
                    knob_acted[i] = observed.value[kKnobRead + i];
                }
            }
        }
        if (value_baseline && observed.delivered[kValueRead]) {
            value_posted = observed.value[kValueRead];
        }
        counter_baseline = value_baseline = false;
    }

    // The commands posted in this step against what the server held at the
    // exchanges whose results reached the client.
    void check_posts() {
        take_baseline();
        // The bridge acts on what it read only with a live simulator window.
        const bool handled = aircraft::simulator_known(bridge->link) && fake.has_fs98main;
        const std::uint32_t message = fake.message_id(aircraft::kCommandMessageName);
        int step_net[kStepCounterCount] = {};
        int step_up[kStepCounterCount] = {};
        int step_down[kStepCounterCount] = {};
        int knob_posts[kKnobCount] = {};
        int value_posts = 0;
        int word_posts = 0;
        for (const RecordedPost& post : fake.posts) {
            if (post.message != message || !fake.has_fs98main ||
                post.window != fake.fs98main_window()) {
                fail("a post went to window 0x%zx (message 0x%x), not to the live simulator window",
                     static_cast<std::size_t>(post.window), post.message);
                return;
            }
            const auto code = static_cast<std::int32_t>(post.wparam);
            const auto value = static_cast<std::int32_t>(post.lparam);
            bool known = false;
            for (int i = 0; i < kStepCounterCount && !known; ++i) {
                if (code == kStepRows[i].up || code == kStepRows[i].down) {
                    const bool up = code == kStepRows[i].up;
                    step_net[i] += up ? 1 : -1;
                    (up ? step_up : step_down)[i] += 1;
                    known = true;
                    ++figures.step_commands;
                }
            }
            for (int i = 0; i < kKnobCount && !known; ++i) {
                if (code == kKnobRows[i].command) {
                    known = true;
                    ++knob_posts[i];
                    const bridge::KnobRow& row = kKnobRows[i];
                    if (row.ranged && (value < row.low || value > row.high)) {
                        fail("knob 0x%X posted %d, outside its range",
                             kKnobCounterOffset + static_cast<unsigned>(i), value);
                    }
                }
            }
            if (!known && code == kValueByteCommand) {
                known = true;
                ++value_posts;
                if (!observed.delivered[kValueRead] || value != observed.value[kValueRead]) {
                    fail("value byte %d posted, but %d was read (read %s)", value,
                         observed.value[kValueRead],
                         observed.delivered[kValueRead] ? "delivered" : "not delivered");
                }
            }
            if (!known && (code == 0 || (code >= static_cast<std::int32_t>(kFirstHardwareCode) &&
                                         code < 0x8000))) {
                known = true;
                ++word_posts;
                const bool read = observed.delivered[kWordRead];
                if (!read || code != observed.value[kWordRead] || value != 0) {
                    fail("command word %d (value %d) posted, but the word read was %d (%s)", code,
                         value, observed.value[kWordRead],
                         observed.delivered[kWordRead] ? "delivered" : "not delivered");
                }
            }
            if (!known) {
                fail("command %d (value %d) posted that no input asked for", code, value);
            }
            if (!known || failed) {
                return;
            }
        }
        figures.other_commands += static_cast<std::uint64_t>(word_posts + value_posts);

        // Step counters: every movement exactly once, in one direction per read.
        for (int i = 0; i < kStepCounterCount; ++i) {
            if (step_up[i] != 0 && step_down[i] != 0) {
                fail("step counter 0x%X posted %d up and %d down in one tick",
                     kStepCounterOffset + static_cast<unsigned>(i), step_up[i], step_down[i]);
                return;
            }
            if (step_net[i] != 0 && !observed.delivered[kStepRead + i]) {
                fail("step counter 0x%X posted %d steps without a read",
                     kStepCounterOffset + static_cast<unsigned>(i), step_net[i]);
                return;
            }
            step_unposted[i] -= step_net[i];
            if (std::abs(step_unposted[i]) > kMaxUnposted) {
                fail("step counter 0x%X: %d steps moved but not posted (or posted twice)",
                     kStepCounterOffset + static_cast<unsigned>(i), step_unposted[i]);
                return;
            }
        }
        // Knobs: one post for every read that moved, none otherwise.
        for (int i = 0; i < kKnobCount; ++i) {
            const bool moved = handled && observed.delivered[kKnobRead + i] &&
                               observed.value[kKnobRead + i] != knob_acted[i];
            if (knob_posts[i] != (moved ? 1 : 0)) {
                fail("knob 0x%X: %d posts for a read that %s",
                     kKnobCounterOffset + static_cast<unsigned>(i), knob_posts[i],
                     moved ? "moved" : "did not move");
                return;
            }
            if (handled && observed.delivered[kKnobRead + i]) {
                knob_acted[i] = observed.value[kKnobRead + i];
            }
            figures.other_commands += static_cast<std::uint64_t>(knob_posts[i]);
        }
        // The value byte: posted once whenever the byte read differs from the last posted.
        const bool value_changed = handled && observed.delivered[kValueRead] &&
                                   observed.value[kValueRead] != value_posted;
        if (value_posts != (value_changed ? 1 : 0)) {
            fail("value byte: %d posts for a read of %d after %d was posted", value_posts,
                 observed.value[kValueRead], value_posted);
            return;
        }
        if (value_changed) {
            value_posted = observed.value[kValueRead];
        }
        // The command word: once per read of a code, then reset to 0xFFFF;
        // nothing else ever changes it.
        const bool word_read =
            handled && observed.delivered[kWordRead] && observed.value[kWordRead] >= 0;
        if (word_posts != (word_read ? 1 : 0)) {
            fail("command word: %d posts for a read of %d", word_posts, observed.value[kWordRead]);
            return;
        }
        const std::uint16_t word = fake.server.u16_at(kCommandWordOffset);
        if (word != word_expected && !(word_posts == 1 && word == kNoCommand)) {
            fail("the command word changed from 0x%04X to 0x%04X with %d posts", word_expected,
                 word, word_posts);
            return;
        }
        word_expected = word;
    }

    // The offset block against a full export of the blocks the cycle used.
    void check_in_step() {
        ++figures.in_step_checks;
        data_export::DisplayValues displays;
        data_export::DisplayShadows display_shadows;
        data_export::Annunciators annunciators;
        data_export::PanelShadows panel_shadows;
        data_export::Writer out{*reference_client, reference_code, true};
        data_export::decode_displays(tick_blocks, displays);
        data_export::pack_annunciators(tick_blocks, annunciators);
        data_export::export_displays(displays, display_shadows, out);
        data_export::export_annunciators(annunciators, out);
        data_export::export_panel_values(tick_blocks, panel_shadows, out);
        if (fsuipc::process(*reference_client, reference_fake, reference_code) != 1) {
            fail("the reference export failed with code %d", reference_code);
            return;
        }
        for (const Range& range : kExported) {
            for (std::uint32_t offset = range.first; offset < range.end; ++offset) {
                const std::uint8_t got = fake.server.byte_at(offset);
                const std::uint8_t full = reference_fake.server.byte_at(offset);
                if (got != full) {
                    fail("out of step: offset 0x%04X holds 0x%02X, a full export writes 0x%02X",
                         offset, got, full);
                    return;
                }
            }
        }
    }

    // After a cycle that read every command offset and succeeded, nothing
    // the panels did is still waiting, unless there is no simulator window to
    // post to: then it waits for the next open of the aircraft link.
    void check_nothing_pending() {
        if (!aircraft::simulator_known(bridge->link) || !fake.has_fs98main) {
            return;
        }
        ++figures.complete_reads;
        for (int i = 0; i < kStepCounterCount; ++i) {
            if (step_unposted[i] != 0) {
                fail("step counter 0x%X: %d steps never posted (or posted twice)",
                     kStepCounterOffset + static_cast<unsigned>(i), step_unposted[i]);
                return;
            }
        }
        if (value_posted != value_byte) {
            fail("value byte %d last posted, %d held", value_posted, value_byte);
            return;
        }
        if (static_cast<std::int16_t>(word_expected) >= 0) {
            fail("command word %u still pending after a complete cycle", word_expected);
        }
    }

    void check_after_step() {
        if (failed) {
            return;
        }
        check_posts();
        const bool succeeded = observed.reads_served && observed.answered &&
                               app.link_status == app::kLinksUp;
        if (!failed && succeeded) {
            check_in_step();
        }
        if (!failed && succeeded && complete_read()) {
            check_nothing_pending();
        }
        if (!failed) {
            const std::string leak = resources_out_of_step(fake, *bridge);
            if (!leak.empty()) {
                fail("resources: %s", leak.c_str());
            }
        }
        const bool ok_last = std::strcmp(shell.last_status, "Status : OK") == 0;
        if (!failed && shell.timer_running != ok_last) {
            fail("the timer %s, but the last status line is \"%s\"",
                 shell.timer_running ? "runs" : "is stopped", shell.last_status);
        }
        // Never silent: the icon says what the timer does (Retry is off, so
        // a program not bridging waits for "Run!"), and a step that left the
        // program stopped told the user so.
        const app::BridgeState state =
            shell.timer_running ? app::BridgeState::Bridging : app::BridgeState::Stopped;
        if (!failed && shell.shown_state != state) {
            fail("the icon shows state %d, the timer %s", static_cast<int>(shell.shown_state),
                 shell.timer_running ? "runs" : "is stopped");
        }
        if (!failed && !shell.timer_running && !was_stopped && shell.stop_notices == notices_seen) {
            fail("the bridge stopped (\"%s\") and nobody was told", shell.last_status);
        }
        was_stopped = !shell.timer_running;
        notices_seen = shell.stop_notices;
        // Records of this step are done with; their capacity stays, so the
        // next tick does not allocate for them.
        fake.posts.clear();
        fake.sleeps.clear();
        fake.created_mapping_names.clear();
        aircraft->clear_commands();
        observed = Observed{};
    }
};

BridgeMachine::BridgeMachine(Choices& setup, const MachineOptions& options)
    : state_(std::make_unique<State>(options)) {
    state_->start(setup);
}

BridgeMachine::~BridgeMachine() = default;

bool BridgeMachine::step(Choices& c) {
    State& s = *state_;
    if (s.failed) {
        return false;
    }
    std::uint32_t pick = c.below(total_weight());
    int kind = 0;
    while (pick >= kStepWeights[kind]) {
        pick -= kStepWeights[kind];
        ++kind;
    }
    switch (static_cast<StepKind>(kind)) {
        case kTick:
            // A user who sees Corvane waiting presses "Run!" sooner or later.
            if (!s.shell.timer_running && c.below(3) == 0) {
                s.press_run();
            } else {
                s.tick();
            }
            break;
        case kBlockChange: s.change_block(c); break;
        case kHardware: s.hardware(c); break;
        case kFault: s.fault(c); break;
        case kRun: s.press_run(); break;
        case kAircraftGone: s.withdraw_aircraft(c); break;
        case kAircraftBack: s.publish_aircraft(); break;
        case kSimulatorWindowGone:
            ++s.figures.faults;
            s.fake.has_fs98main = false;
            s.simulator_window_gone = true;
            s.note(kSimulatorWindowGone);
            break;
        case kWindowDestroyed:
            ++s.figures.faults;
            s.fake.has_uipcmain = s.fake.has_fs98main = false;
            s.windows_destroyed = true;
            s.note(kWindowDestroyed);
            break;
        case kRestart: s.restart(); break;
        case kLateHandling:
            s.note(kLateHandling, static_cast<std::int64_t>(s.fake.late_messages_pending()));
            s.fake.handle_late_messages();
            break;
        case kHeal: s.heal(); break;
        case kStepKinds: break;
    }
    s.check_after_step();
    ++s.figures.steps;
    return !s.failed;
}

bool BridgeMachine::finish() {
    State& s = *state_;
    if (!s.failed) {
        s.heal();
    }
    if (!s.failed) {
        app::close_links(s.app);
        s.note(kStepKinds);
        const std::string leak = resources_out_of_step(s.fake, *s.bridge);
        const std::size_t held =
            s.fake.open_handles() + s.fake.mapped_views() + s.fake.atoms_held();
        if (!leak.empty() || held != 0) {
            s.fail("after closing both links: %s",
                   leak.empty() ? "something still held" : leak.c_str());
        }
    }
    return !s.failed;
}

bool BridgeMachine::failed() const { return state_->failed; }

const MachineFigures& BridgeMachine::figures() const { return state_->figures; }

std::string BridgeMachine::failure() const {
    const State& s = *state_;
    if (!s.failed) {
        return {};
    }
    std::string text = s.failure;
    text += "\n  after these steps (oldest first):";
    const std::uint64_t first = s.notes >= kTraceLength ? s.notes - kTraceLength : 0;
    for (std::uint64_t n = first; n < s.notes; ++n) {
        const TraceEntry& entry = s.trace[n % kTraceLength];
        char line[160];
        std::snprintf(line, sizeof line, "\n    step %llu: %s (%lld, %lld)",
                      static_cast<unsigned long long>(entry.step),
                      entry.kind < kStepKinds ? kStepNames[entry.kind] : "close both links",
                      static_cast<long long>(entry.a), static_cast<long long>(entry.b));
        text += line;
    }
    return text;
}

}  // namespace corvane::testing
