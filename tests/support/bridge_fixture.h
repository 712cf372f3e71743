// A bridge wired to the in-process fake: the offset server behind an
// "FS98MAIN" window (which is also the simulator window the aircraft link
// posts to) and the stand-in aircraft published with valid data.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "aircraft/link.h"
#include "bridge/bridge.h"
#include "sim/aircraft_model.h"
#include "tests/support/fake_os.h"

namespace corvane::testing {

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.has_fs98main = true;
        aircraft = &fake.publish_aircraft();
        aircraft->set_data_valid(1);
        bridge = std::make_unique<bridge::Bridge>(fake);
        ASSERT_EQ(bridge::open_links(*bridge), 0);
    }

    std::int32_t cycle() { return bridge::run_cycle(*bridge); }

    // Commands posted to the simulator window, in order.
    std::vector<sim::PostedCommand> posted() {
        std::vector<sim::PostedCommand> out;
        const std::uint32_t message = fake.message_id(aircraft::kCommandMessageName);
        for (const RecordedPost& p : fake.posts) {
            if (p.window == fake.fs98main_window() && p.message == message) {
                out.push_back({static_cast<std::uint32_t>(p.wparam),
                               static_cast<std::int32_t>(p.lparam)});
            }
        }
        return out;
    }

    FakeOs fake;
    sim::AircraftModel* aircraft = nullptr;
    std::unique_ptr<bridge::Bridge> bridge;
};

}  // namespace corvane::testing
