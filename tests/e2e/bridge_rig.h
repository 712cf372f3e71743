// The rig of the in-process bridge tests: the stand-in (offset server and
// aircraft) serving on its own thread, and a Bridge on the test's thread
// talking to it through the real Win32 calls, exactly as corvane.exe does
// with the simulator.
#pragma once

#include <memory>

#include "bridge/bridge.h"
#include "platform/win32_os.h"
#include "tests/e2e/e2e_support.h"

namespace corvane::e2e {

constexpr std::uint32_t kCommandWord = 0x9400;
constexpr std::uint16_t kNoCommand = 0xFFFF;
// How long a posted command may take to reach the stand-in's thread.
constexpr DWORD kPostArrivalMs = 5000;

struct BridgeRig {
    explicit BridgeRig(const HostOptions& options = HostOptions{}) : sim(options) {}
    BridgeRig(const BridgeRig&) = delete;
    BridgeRig& operator=(const BridgeRig&) = delete;

    SimHost sim;
    Win32Os os;
    // The bridge's records are large (the client keeps a table of every
    // queued record): kept off the stack.
    std::unique_ptr<bridge::Bridge> bridge = std::make_unique<bridge::Bridge>(os);

    // Starts the stand-in with valid aircraft data and no pending command
    // word, then opens both links. Returns the link status (0 when both are up).
    std::int32_t open() {
        if (!sim.start()) {
            return -1;
        }
        sim_set_data_valid(sim, 1);
        sim_set_u16(sim, kCommandWord, kNoCommand);
        return bridge::open_links(*bridge);
    }

    std::int32_t cycle() { return bridge::run_cycle(*bridge); }

    // Aircraft access under the stand-in's lock.
    void poke_i32(sim::Block block, std::size_t offset, std::int32_t value) {
        sim.with_aircraft([=](sim::AircraftModel* aircraft) {
            if (aircraft != nullptr) {
                aircraft->poke_i32(block, offset, value);
            }
        });
    }
    void poke_f64(std::size_t offset, double value) {
        sim.with_aircraft([=](sim::AircraftModel* aircraft) {
            if (aircraft != nullptr) {
                aircraft->poke_f64(sim::Block::Sdk1, offset, value);
            }
        });
    }

    // Records of the last exchange served, in area order.
    std::vector<sim::ServedRecord> last_records() {
        return sim.with_server([](sim::OffsetServer& server) {
            std::vector<sim::ServedRecord> records;
            if (server.logged() == 0) {
                return records;
            }
            const sim::ServedExchange& last = server.last_exchange();
            const std::size_t kept = last.record_count < sim::ServedExchange::kMaxLoggedRecords
                                         ? last.record_count
                                         : sim::ServedExchange::kMaxLoggedRecords;
            records.assign(last.records, last.records + kept);
            return records;
        });
    }

    ~BridgeRig() {
        bridge::close_links(*bridge);
        sim.stop();
    }
};

}  // namespace corvane::e2e
