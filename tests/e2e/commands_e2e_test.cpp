// End to end: commands from another FSUIPC client, through the bridge, to
// the aircraft. A cockpit client writes the offset block over its own
// request area, the bridge reads it in its cycle's exchange and posts
// "iFly737NG_MSG_SDK" to the "FS98MAIN" window, and the stand-in aircraft
// acts on it, which the following cycles export again.
#include "tests/e2e/bridge_rig.h"

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr std::uint32_t kAltitudeKnob = 0x94F0;
constexpr std::uint32_t kStepCounter = 0x94F8;
constexpr std::uint32_t kAltitudeDisplay = 0x943A;
constexpr int kAltitudeWindow = 5;
constexpr std::uint32_t kSetAltitude = 1232;
constexpr std::uint32_t kStepDown = 627;
constexpr std::uint32_t kStepUp = 628;
constexpr int kCyclesToShow = 5;
// The cockpit is a second client in this process: its open counter starts
// elsewhere so that its area name differs from the bridge's.
constexpr std::uint32_t kCockpitCounterStart = 0x100;

using Commands = std::vector<sim::PostedCommand>;

Commands repeated(std::uint32_t command, std::int32_t value, int times) {
    return Commands(static_cast<std::size_t>(times), sim::PostedCommand{command, value});
}

// Another FSUIPC client, as cockpit hardware would be.
struct Cockpit {
    Win32Os os;
    fsuipc::Client client;
    std::int32_t code = 0;

    bool open() {
        client.open_counter = kCockpitCounterStart;
        return fsuipc::open(client, os, 0, code) == 1;
    }
    std::uint8_t read_u8(std::uint32_t offset) {
        std::uint8_t value = 0;
        fsuipc::read(client, offset, 1, &value, code);
        fsuipc::process(client, os, code);
        return value;
    }
    bool write(std::uint32_t offset, std::uint32_t size, std::uint32_t value) {
        unsigned char bytes[4] = {static_cast<unsigned char>(value),
                                  static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16),
                                  static_cast<unsigned char>(value >> 24)};
        return fsuipc::write(client, offset, size, bytes, code) == 1 &&
               fsuipc::process(client, os, code) == 1;
    }
    ~Cockpit() { fsuipc::close(client, os); }
};

void check_commands(Checks& t, SimHost& sim, const Commands& expected) {
    // Everything the bridge posted before this point has arrived once the
    // stand-in has handled a post made after it.
    E2E_CHECK(t, sim.sync_posts(kPostArrivalMs));
    const Commands actual = sim_commands(sim);
    E2E_CHECK_EQ(t, actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i) {
        t.row("command %zu", i + 1);
        E2E_CHECK_EQ(t, actual[i].command, expected[i].command);
        E2E_CHECK_EQ(t, actual[i].value, expected[i].value);
    }
    t.row("%s", "");
    sim.with_aircraft([](sim::AircraftModel* aircraft) { aircraft->clear_commands(); });
}

void commands(Checks& t) {
    BridgeRig rig;
    Cockpit cockpit;
    t.begin("set up: both links, a cockpit client, quiet offsets");
    if (!E2E_CHECK_EQ(t, rig.open(), 0) || !E2E_CHECK(t, cockpit.open())) {
        return;
    }
    rig.sim.with_aircraft([](sim::AircraftModel* aircraft) {
        aircraft->set_window(kAltitudeWindow, 10000);
    });
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    E2E_CHECK_EQ(t, sim_u16(rig.sim, kAltitudeDisplay), 10000);
    check_commands(t, rig.sim, {});

    t.begin("altitude knob +3 at 10000: 1232 with 10300, and the window comes back as 10300");
    const std::uint8_t knob = cockpit.read_u8(kAltitudeKnob);
    E2E_CHECK(t, cockpit.write(kAltitudeKnob, 1, static_cast<std::uint8_t>(knob + 3)));
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    check_commands(t, rig.sim, {{kSetAltitude, 10300}});
    int cycles = 0;
    while (cycles < kCyclesToShow && sim_u16(rig.sim, kAltitudeDisplay) != 10300) {
        E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
        ++cycles;
    }
    E2E_CHECK_EQ(t, sim_u16(rig.sim, kAltitudeDisplay), 10300);
    E2E_CHECK_EQ(t, cockpit.read_u8(kAltitudeKnob), static_cast<std::uint8_t>(knob + 3));
    check_commands(t, rig.sim, {});

    t.begin("command word 1232: posted once with 0, reset to 0xFFFF in a second exchange");
    E2E_CHECK(t, cockpit.write(kCommandWord, 2, kSetAltitude));
    const std::size_t before = sim_exchanges(rig.sim);
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    E2E_CHECK_EQ(t, sim_exchanges(rig.sim), before + 2);
    E2E_CHECK_EQ(t, sim_u16(rig.sim, kCommandWord), kNoCommand);
    check_commands(t, rig.sim, {{kSetAltitude, 0}});
    // Nothing more on the next cycle.
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    check_commands(t, rig.sim, {});

    t.begin("step counter 0x94F8: 0 -> 250 -> 3 -> 250 gives 6 down, 9 up, 9 down, in order");
    struct Step {
        std::uint8_t counter;
        Commands expected;
    };
    const Step steps[] = {
        {250, repeated(kStepDown, 0, 6)},
        {3, repeated(kStepUp, 0, 9)},
        {250, repeated(kStepDown, 0, 9)},
    };
    for (const Step& step : steps) {
        t.row("counter to %u", step.counter);
        E2E_CHECK(t, cockpit.write(kStepCounter, 1, step.counter));
        E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
        check_commands(t, rig.sim, step.expected);
    }
}

}  // namespace

int main() {
    Checks t;
    commands(t);
    return t.finish();
}
