// Ten thousand "Run!" presses through the lifecycle, each against one of the
// ways the two opens can fail (or none), in a seeded random order so that
// every failure also follows every other. After each the fake must hold
// exactly what the open links account for, no release may have gone wrong,
// and at the end, with both links closed, nothing at all may be held.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "aircraft/link.h"
#include "app/lifecycle.h"
#include "bridge/bridge.h"
#include "fsuipc/client.h"
#include "tests/support/bridge_machine.h"
#include "tests/support/fake_os.h"

namespace corvane::app {
namespace {

constexpr int kReconnects = 10000;

class LastLineShell final : public Shell {
public:
    void append_status(const char* text) override { last = text; }
    void show_window(int) override {}
    void start_timer(std::uint32_t) override { timer = true; }
    void stop_timer() override { timer = false; }
    void start_retry_timer(std::uint32_t) override {}
    void stop_retry_timer() override {}
    void start_wait(std::uint32_t) override { waiting = true; }
    void stop_wait() override { waiting = false; }
    void repaint() override {}
    void note_in_log_file(const char*) override {}
    void show_state(BridgeState) override {}
    void notify_stop(const char*) override {}
    // The job at once, as a worker that answers instantly.
    void start_job(Job job) override { job_done(*app, *this, run_job(*app, job)); }
    App* app = nullptr;
    const char* last = "";
    bool timer = false;
    bool waiting = false;
};

struct World {
    World() {
        shell.app = &app;
        fake.publish_aircraft();
        heal();
    }
    // Every injection undone, the simulator and the aircraft ready.
    void heal() {
        fake.has_uipcmain = fake.has_fs98main = true;
        fake.fail_register_message = fake.fail_add_atom = fake.fail_create_mapping = false;
        fake.mapping_already_exists = fake.fail_open_mapping = fake.server_silent = false;
        fake.fail_map_view_after = -1;
        fake.server_answer = fsuipc::kServerAnswerOk;
        fake.server.server_version = sim::kDefaultServerVersion;
        fake.tamper = nullptr;
        fake.publish_aircraft();
        fake.aircraft()->set_data_valid(1);
    }
    void fail_map_view(int nth) { fake.fail_map_view_after = fake.map_view_calls() + nth; }

    // The waits' timer messages, as soon as they are asked for.
    void run_waits() {
        while (shell.waiting) {
            timer_message(app, shell, kWaitTimerId);
        }
    }

    testing::FakeOs fake;
    bridge::Bridge bridge{fake};
    App app{bridge, Settings{}};
    LastLineShell shell;
};

struct Failure {
    const char* name;
    std::function<void(World&)> inject;
    std::int32_t link_status;
    const char* line;
};

const char kOk[] = "Status : OK";
const char kFsuipcNotOk[] = "Status : FSUIPC NOT OK";
const char kIflyNotOk[] = "Status : IFLY NOT OK";

TEST(ReconnectLoop, TenThousandReconnectsThroughEveryFailureHoldNothingExtra) {
    const Failure failures[] = {
        {"none", [](World&) {}, 0, kOk},
        {"no server window", [](World& w) { w.fake.has_uipcmain = w.fake.has_fs98main = false; },
         fsuipc::kNoServerWindow, kFsuipcNotOk},
        {"exchange message refused", [](World& w) { w.fake.fail_register_message = true; },
         fsuipc::kRegisterFailed, kFsuipcNotOk},
        {"atom refused", [](World& w) { w.fake.fail_add_atom = true; }, fsuipc::kAtomFailed,
         kFsuipcNotOk},
        {"area refused", [](World& w) { w.fake.fail_create_mapping = true; },
         fsuipc::kAreaCreateFailed, kFsuipcNotOk},
        {"area name taken", [](World& w) { w.fake.mapping_already_exists = true; },
         fsuipc::kAreaCreateFailed, kFsuipcNotOk},
        {"area view refused", [](World& w) { w.fail_map_view(0); }, fsuipc::kViewFailed,
         kFsuipcNotOk},
        {"server too old", [](World& w) { w.fake.server.server_version = 0x19980004; },
         fsuipc::kVersionMismatch, kFsuipcNotOk},
        {"server too old, found as FS98MAIN",
         [](World& w) {
             w.fake.has_uipcmain = false;
             w.fake.server.server_version = 0x19980004;
         },
         fsuipc::kVersionMismatchFs98, kFsuipcNotOk},
        {"handshake times out", [](World& w) {
             w.fake.server_silent = true;
             w.fake.send_failure_error = 0;
         }, fsuipc::kSendFailedNoError, kFsuipcNotOk},
        {"handshake times out with an error", [](World& w) {
             w.fake.server_silent = true;
             w.fake.send_failure_error = 1460;
         }, fsuipc::kSendFailedWithError, kFsuipcNotOk},
        {"handshake answered 0", [](World& w) { w.fake.server_answer = 0; }, fsuipc::kBadAnswer,
         kFsuipcNotOk},
        {"handshake area scribbled over",
         [](World& w) {
             w.fake.tamper = [](unsigned char* area, std::size_t) { std::memset(area, 0xEE, 64); };
         },
         fsuipc::kVersionMismatch, kFsuipcNotOk},
        {"no aircraft",
         [](World& w) {
             w.fake.remove_mapping(aircraft::kSdk1MappingName);
             w.fake.remove_mapping(aircraft::kSdk2MappingName);
         },
         aircraft::kNotAvailable, kIflyNotOk},
        {"no SDK2 block", [](World& w) { w.fake.remove_mapping(aircraft::kSdk2MappingName); },
         aircraft::kNotAvailable, kIflyNotOk},
        {"aircraft mappings refused", [](World& w) { w.fake.fail_open_mapping = true; },
         aircraft::kNotAvailable, kIflyNotOk},
        {"SDK1 view refused", [](World& w) { w.fail_map_view(1); }, aircraft::kNotAvailable,
         kIflyNotOk},
        {"SDK2 view refused", [](World& w) { w.fail_map_view(2); }, aircraft::kNotAvailable,
         kIflyNotOk},
        {"aircraft data not valid", [](World& w) { w.fake.aircraft()->set_data_valid(0); }, 0,
         kIflyNotOk},
        {"simulator restarted", [](World& w) { w.fake.restart_simulator(); }, 0, kOk},
    };
    constexpr std::size_t kFailures = sizeof failures / sizeof failures[0];
    int taken[kFailures] = {};

    World w;
    open_links(w.app);
    first_connection_check(w.app, w.shell);
    w.run_waits();
    ASSERT_TRUE(w.shell.timer);
    testing::SeededChoices order(10);
    for (int n = 0; n < kReconnects; ++n) {
        const std::size_t pick = order.below(kFailures);
        const Failure& failure = failures[pick];
        ++taken[pick];
        failure.inject(w);
        manual_reconnect(w.app, w.shell);
        w.run_waits();
        ASSERT_EQ(w.app.link_status, failure.link_status) << "reconnect " << n << ": " << failure.name;
        ASSERT_STREQ(w.shell.last, failure.line) << "reconnect " << n << ": " << failure.name;
        const std::string held = testing::resources_out_of_step(w.fake, w.bridge);
        ASSERT_EQ(held, "") << "reconnect " << n << ": " << failure.name;
        w.heal();
        // Bridging goes on between the presses.
        if (w.shell.timer) {
            timer_step(w.app, w.shell);
            ASSERT_EQ(w.app.link_status, 0) << "reconnect " << n << ": " << failure.name;
        }
        w.fake.posts.clear();
        w.fake.sleeps.clear();
        w.fake.created_mapping_names.clear();
        w.fake.aircraft()->clear_commands();
    }
    for (std::size_t i = 0; i < kFailures; ++i) {
        EXPECT_GT(taken[i], kReconnects / static_cast<int>(kFailures) / 2) << failures[i].name;
    }
    // Still well after ten thousand areas: the atom table gave its ids back.
    manual_reconnect(w.app, w.shell);
    w.run_waits();
    EXPECT_STREQ(w.shell.last, kOk);
    EXPECT_LT(w.bridge.client.atom, 0xC010);

    close_links(w.app);
    EXPECT_EQ(w.fake.open_handles(), 0u);
    EXPECT_EQ(w.fake.mapped_views(), 0u);
    EXPECT_EQ(w.fake.atoms_held(), 0u);
    EXPECT_EQ(w.fake.mapping_objects(), 2u) << "only the published blocks stay";
    EXPECT_EQ(w.fake.bad_releases, 0u);
}

}  // namespace
}  // namespace corvane::app
