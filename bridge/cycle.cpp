// One bridge cycle, from the snapshots to the posted commands, and the opening
// and closing of both links that start-up and the reconnects share.
#include "bridge/bridge.h"

namespace corvane::bridge {

namespace {

// A NaN source compares unequal to its shadow in every cycle, so it is
// written again even when the blocks did not change.
bool any_nan(const double (&values)[data_export::kPanelRowCount]) {
    for (double v : values) {
        if (v != v) {
            return true;
        }
    }
    return false;
}

// The export stages, always in this order: decoding before display export,
// packing before annunciator export.
//
// Every shadow holds what the stages last offered, refused or not, so running
// them again on the same blocks would queue nothing but the NaN rows: with
// neither, the stages are skipped and the cycle only exchanges the reads.
// Returns whether it wrote every value.
bool run_export_stages(Bridge& bridge) {
    if (bridge.exported_revision == bridge.blocks.revision && !bridge.nan_pending &&
        !bridge.resync_pending) {
        return false;
    }
    data_export::Writer out{bridge.client, bridge.link_result_code, bridge.resync_pending};
    // Display and packed values derive from the blocks alone: on the blocks
    // of the last export (a resynchronising or NaN cycle) they still hold.
    if (bridge.exported_revision != bridge.blocks.revision) {
        data_export::decode_displays(bridge.blocks, bridge.displays);
        data_export::pack_annunciators(bridge.blocks, bridge.annunciators);
    }
    data_export::export_displays(bridge.displays, bridge.display_shadows, out);
    data_export::export_annunciators(bridge.annunciators, out);
    data_export::export_panel_values(bridge.blocks, bridge.panel_shadows, out);
    bridge.exported_revision = bridge.blocks.revision;
    bridge.nan_pending = any_nan(bridge.panel_shadows.real);
    return out.resynchronise;
}

// The state byte says "bridging" from the first exporting cycle on, and again
// in every cycle that writes everything; the heartbeat moves once a second
// and is part of a full write too. A quiet second costs one one-byte write.
void queue_state(Bridge& bridge, bool wrote_everything) {
    StateOutput& state = bridge.state;
    if (!state.enabled) {
        return;
    }
    if (wrote_everything || state.written != kStateBridging) {
        const std::uint8_t bridging = kStateBridging;
        fsuipc::write(bridge.client, kStateOffset, 1, &bridging, bridge.link_result_code);
        state.written = kStateBridging;
    }
    const std::uint64_t now = bridge.os.now_microseconds();
    const bool beat = now >= state.next_beat_us;
    if (beat) {
        ++state.heartbeat;
        state.next_beat_us = now + kHeartbeatPeriodUs;
    }
    if (beat || wrote_everything) {
        fsuipc::write(bridge.client, kHeartbeatOffset, 1, &state.heartbeat,
                      bridge.link_result_code);
    }
}

// One byte of state in a message of its own. A lost one is rewritten by the
// next full write, like any other value.
void write_state(Bridge& bridge, std::uint8_t value) {
    bridge.state.written = value;
    if (fsuipc::write(bridge.client, kStateOffset, 1, &value, bridge.link_result_code) == 0 ||
        fsuipc::process(bridge.client, bridge.os, bridge.link_result_code,
                        kStateWriteAttempts) == 0) {
        bridge.resync_pending = true;
    }
}

}  // namespace

void write_stopped_state(Bridge& bridge) {
    if (bridge.state.enabled && bridge.state.written == kStateBridging &&
        fsuipc::is_open(bridge.client)) {
        write_state(bridge, kStateStopped);
    }
}

void write_exit_state(Bridge& bridge) {
    if (bridge.state.enabled && fsuipc::is_open(bridge.client)) {
        write_state(bridge, kStateExited);
    }
}

std::int32_t run_cycle(Bridge& bridge) {
    // SDK2 first: a missing SDK1 view still leaves the SDK2 block refreshed.
    if (!aircraft::snapshot_sdk2(bridge.link, bridge.blocks)) {
        return kAircraftDataMissing;
    }
    if (!aircraft::snapshot_sdk1(bridge.link, bridge.blocks)) {
        return kAircraftDataMissing;
    }
    if (aircraft::data_valid_field(bridge.blocks) == 0) {
        return kAircraftDataMissing;
    }

    const bool wrote_everything = run_export_stages(bridge);
    queue_state(bridge, wrote_everything);

    CommandContext commands{bridge.commands,          bridge.client, bridge.link_result_code,
                            bridge.os,                bridge.link,   bridge.blocks,
                            bridge.displays};
    const bool delivered = queue_command_reads_and_exchange(commands) != 0;

    // Without the simulator window or the command message nothing can be
    // posted; the last-seen values stay, so what accumulates meanwhile is
    // acted upon in the first cycle in which both are known.
    if (aircraft::simulator_known(bridge.link)) {
        handle_commands(commands);
    }

    // The shadows claim that every value queued was delivered. When an
    // exchange failed that no longer holds, however long the link stays down.
    if (!delivered || bridge.link_result_code != fsuipc::kOk) {
        bridge.resync_pending = true;
    } else if (wrote_everything) {
        bridge.resync_pending = false;
    }
    return bridge.link_result_code;
}

std::int32_t open_links(Bridge& bridge) {
    if (fsuipc::open(bridge.client, bridge.os, 0, bridge.link_result_code) == 0) {
        return bridge.link_result_code;
    }
    const Handle server = bridge.client.server_window;
    if (bridge.last_server_window != kNoHandle && server != bridge.last_server_window) {
        bridge.resync_pending = true;
        reset_command_state(bridge.commands);
    }
    bridge.last_server_window = server;
    return aircraft::open(bridge.link, bridge.os, bridge.link_result_code);
}

void close_links(Bridge& bridge) {
    aircraft::close(bridge.link, bridge.os);
    fsuipc::close(bridge.client, bridge.os);
}

}  // namespace corvane::bridge
