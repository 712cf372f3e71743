// The bridge: every record the cycle works on, owned by one object for the
// life of the process, and the cycle itself.
#pragma once

#include <atomic>
#include <cstdint>

#include "aircraft/link.h"
#include "bridge/commands.h"
#include "export/export.h"
#include "fsuipc/client.h"
#include "platform/os.h"

namespace corvane::bridge {

// Result of a cycle that found the aircraft data missing or not valid.
constexpr std::int32_t kAircraftDataMissing = 1;

// Corvane's own state in the block, for panels that must know whether the
// bridge runs. Written only with [General] State=1; otherwise 0x9429-0x942F
// stay untouched, as they always were.
constexpr std::uint32_t kStateOffset = 0x9429;
constexpr std::uint32_t kHeartbeatOffset = 0x942A;
enum : std::uint8_t {
    kStateExited = 0,    // Corvane ended (Exit!, the close box, log-off)
    kStateBridging = 1,  // from the first exporting cycle on
    kStateStopped = 2,   // the bridge stopped while the offset server still answered
};
constexpr std::uint64_t kHeartbeatPeriodUs = 1000000;
// The state and exit writes are messages of their own: one attempt, no more.
constexpr int kStateWriteAttempts = 1;

struct StateOutput {
    bool enabled = false;
    // The state last handed to a write; none before the first.
    static constexpr int kNothingWritten = -1;
    int written = kNothingWritten;
    std::uint8_t heartbeat = 0;
    // When the heartbeat next moves, by the OS clock: a Windows tick may be
    // slower than Speed, so counting ticks would not make a second.
    std::uint64_t next_beat_us = 0;
};

struct Bridge {
    explicit Bridge(Os& os_) : os(os_) { client.abandon = &abandon; }
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    Os& os;
    fsuipc::Client client;
    std::int32_t link_result_code = 0;
    aircraft::Link link;
    aircraft::Snapshots blocks;
    data_export::DisplayValues displays;
    data_export::DisplayShadows display_shadows;
    data_export::Annunciators annunciators;
    data_export::PanelShadows panel_shadows;
    CommandState commands;
    StateOutput state;

    // The block revision the export stages last ran on, and whether a NaN
    // panel source must be written again even though nothing changed.
    std::uint64_t exported_revision = kNeverExported;
    bool nan_pending = false;
    static constexpr std::uint64_t kNeverExported = ~std::uint64_t{0};

    // The next cycle that runs the export stages writes every value: it is
    // the first of the program's life (the offsets hold whatever was there
    // before, an earlier Corvane's values among them), an exchange failed
    // since the last such cycle succeeded (its writes may be lost), or the
    // link was opened to a new server (it holds none of them).
    bool resync_pending = true;
    // The server window of the last successful FSUIPC open; none before the
    // first one.
    Handle last_server_window = kNoHandle;

    // Set once, when the program ends during an exchange on another thread:
    // that exchange gives up its remaining attempts (see fsuipc::Client).
    std::atomic<bool> abandon{false};
};

// One bridge cycle: 1 when the aircraft data is missing or not valid,
// otherwise the link result code of the cycle's last exchange.
std::int32_t run_cycle(Bridge& bridge);

// Open the FSUIPC link (any simulator version) and, only if that succeeded,
// the aircraft link. Returns the link status: 0, 100, or the open's error code.
// A server window other than the last one's is a restarted simulator, or
// the same one reached through its other window: the next export writes
// everything and command import starts afresh from what the counters hold.
std::int32_t open_links(Bridge& bridge);
// Close the aircraft link, then the FSUIPC link.
void close_links(Bridge& bridge);

// With State=1, the bridge stopped while the offset server answers: 2 in an
// exchange of its own, once until the bridge runs again.
void write_stopped_state(Bridge& bridge);
// With State=1, Corvane ends: 0 in an exchange of its own. The caller knows
// whether the link is up and free.
void write_exit_state(Bridge& bridge);

}  // namespace corvane::bridge
