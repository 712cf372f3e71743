// Opening and closing the client: the version handshake, every way an open can
// fail (with nothing left held), the area names, and what close keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/fsuipc/client_fixture.h"

namespace corvane::fsuipc {
namespace {

TEST_F(ClientTest, HandshakeTakesOneExchangeWhenTheServerAnswers) {
    open_ok();
    EXPECT_EQ(os.server.exchange_count(), 1u);
    expect_records(os.server.last_exchange(), {{kRecordRead, kServerVersionOffset, 4},
                                               {kRecordRead, kSimulatorVersionOffset, 4},
                                               {kRecordWrite, kLibraryVersionOffset, 2}});
    EXPECT_EQ(os.server.client_library_version, kLibraryVersion);
    EXPECT_EQ(os.sleeps, std::vector<std::uint32_t>{kRetrySleepMs});
    EXPECT_EQ(client->server_version, sim::kDefaultServerVersion);
    EXPECT_EQ(client->simulator_version, 0x000Cu);  // only the version number remains

    // The exchange message as the server window receives it.
    EXPECT_EQ(os.last_send.window, testing::FakeOs::kUipcmainWindow);
    EXPECT_EQ(os.last_send.message, os.message_id(kExchangeMessageName));
    EXPECT_EQ(os.last_send.wparam, client->atom);
    EXPECT_EQ(os.last_send.lparam, 0);
    EXPECT_EQ(os.last_send_timeout_ms, kSendTimeoutMs);
    EXPECT_EQ(os.created_mapping_names, std::vector<std::string>{"FsasmLib:IPC:1F40:1"});
    EXPECT_EQ(client->next_free, 0u);
}

// Each row runs once with a "UIPCMAIN" window (code 7 on a bad version) and
// once with only "FS98MAIN" (code 14), then with both (the first wins: 7).
TEST_F(ClientTest, VersionTestPassesAndCodes) {
    struct Row {
        const char* name;
        std::uint32_t server_version;
        std::uint32_t simulator_version;
        std::size_t passes;
        bool passes_test;
    };
    const Row rows[] = {
        {"server version zero: five passes", 0, 0xFADE000C, 5, false},
        {"simulator version zero: five passes", 0x19980005, 0, 5, false},
        {"server version one below minimum", 0x19980004, 0xFADE000C, 1, false},
        {"server version compared unsigned", 0xFFFFFFFF, 0xFADE000C, 1, true},
        {"wrong simulator tag", 0x19980005, 0xFADF000C, 1, false},
        {"tag in the low half only", 0x19980005, 0x0000FADE, 1, false},
        {"version number zero is accepted", 0x19980005, 0xFADE0000, 1, true},
    };
    struct Windows {
        bool uipcmain, fs98main;
        std::int32_t failure;
    };
    const Windows windows[] = {{true, false, kVersionMismatch},
                               {false, true, kVersionMismatchFs98},
                               {true, true, kVersionMismatch}};
    for (const Windows& w : windows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(::testing::Message() << row.name << " uipcmain=" << w.uipcmain);
            os.has_uipcmain = w.uipcmain;
            os.has_fs98main = w.fs98main;
            os.server.server_version = row.server_version;
            os.server.simulator_version = row.simulator_version;
            os.server.clear_log();
            os.sleeps.clear();
            os.server.client_library_version = 0;
            const int result = open(*client, os, 0, code);
            EXPECT_EQ(result, row.passes_test ? 1 : 0);
            EXPECT_EQ(code, row.passes_test ? kOk : w.failure);
            EXPECT_EQ(os.server.exchange_count(), row.passes);
            EXPECT_EQ(os.sleeps, std::vector<std::uint32_t>(row.passes, kRetrySleepMs));
            // The library version goes out in the first pass only.
            for (std::size_t i = 0; i < os.server.logged(); ++i) {
                EXPECT_EQ(os.server.exchange(i).count(kRecordWrite), i == 0 ? 1u : 0u) << i;
                EXPECT_EQ(os.server.exchange(i).count(kRecordRead), 2u) << i;
            }
            EXPECT_EQ(os.server.client_library_version, kLibraryVersion);
            close(*client, os);
            expect_nothing_held();
        }
    }
}

TEST_F(ClientTest, RequestedSimulatorVersionIsComparedWithTheVersionNumber) {
    const struct {
        std::uint32_t requested;
        std::int32_t code;
    } rows[] = {{0, kOk}, {0x000C, kOk}, {0x000B, kSimulatorVersionDiffers},
                {0xFADE000C, kSimulatorVersionDiffers}};
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "requested 0x" << std::hex << row.requested);
        EXPECT_EQ(open(*client, os, row.requested, code), row.code == kOk ? 1 : 0);
        EXPECT_EQ(code, row.code);
        EXPECT_EQ(is_open(*client), row.code == kOk);
        close(*client, os);
        expect_nothing_held();
    }
}

// Every failing open leaves nothing held and the client closed; the counter
// moves only once the message is registered; the next open then works.
TEST_F(ClientTest, FailedOpensReleaseEverything) {
    struct Row {
        const char* name;
        std::function<void(testing::FakeOs&)> fault;
        std::int32_t code;
        std::uint32_t counter_after;
        std::size_t mappings_created;
    };
    const Row rows[] = {
        {"no server window", [](testing::FakeOs& f) { f.has_uipcmain = false; }, kNoServerWindow, 0, 0},
        {"register fails", [](testing::FakeOs& f) { f.fail_register_message = true; }, kRegisterFailed, 0, 0},
        {"atom refused", [](testing::FakeOs& f) { f.fail_add_atom = true; }, kAtomFailed, 1, 0},
        {"mapping fails", [](testing::FakeOs& f) { f.fail_create_mapping = true; }, kAreaCreateFailed, 1, 1},
        {"mapping already exists", [](testing::FakeOs& f) { f.mapping_already_exists = true; }, kAreaCreateFailed, 1, 1},
        {"view fails", [](testing::FakeOs& f) { f.fail_map_view_after = 0; }, kViewFailed, 1, 1},
        {"sends fail, no error", [](testing::FakeOs& f) { f.server_silent = true; }, kSendFailedNoError, 1, 1},
        {"sends fail with error",
         [](testing::FakeOs& f) {
             f.server_silent = true;
             f.send_failure_error = 1460;
         },
         kSendFailedWithError, 1, 1},
        {"server answers 0", [](testing::FakeOs& f) { f.server_answer = 0; }, kBadAnswer, 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::FakeOs fresh;
        fresh.has_uipcmain = true;
        Client& c = *client;
        c = Client{};
        row.fault(fresh);
        code = -1;
        EXPECT_EQ(open(c, fresh, 0, code), 0);
        EXPECT_EQ(code, row.code);
        EXPECT_EQ(c.open_counter, row.counter_after);
        EXPECT_EQ(fresh.created_mapping_names.size(), row.mappings_created);
        EXPECT_EQ(fresh.open_handles(), 0u);
        EXPECT_EQ(fresh.mapped_views(), 0u);
        EXPECT_EQ(fresh.atoms_held(), 0u);
        EXPECT_EQ(fresh.bad_releases, 0u);
        EXPECT_FALSE(is_open(c));
        EXPECT_EQ(c.server_window, kNoHandle);

        testing::FakeOs healthy;
        healthy.has_uipcmain = true;
        ASSERT_EQ(open(c, healthy, 0, code), 1);
        EXPECT_EQ(std::string(c.area_name),
                  "FsasmLib:IPC:1F40:" + std::to_string(row.counter_after + 1));
        close(c, healthy);
    }
}

TEST_F(ClientTest, NineFailedSendsDuringTheHandshakeSleepNineTimes) {
    os.server_silent = true;
    EXPECT_EQ(open(*client, os, 0, code), 0);
    EXPECT_EQ(code, kSendFailedNoError);
    EXPECT_EQ(os.sends, 9u);
    EXPECT_EQ(os.sleeps, std::vector<std::uint32_t>(9, kRetrySleepMs));
    expect_nothing_held();
}

TEST_F(ClientTest, SecondOpenWhileOpenLeavesTheAreaUntouched) {
    open_ok();
    const unsigned char value[2] = {0x34, 0x12};
    ASSERT_EQ(write(*client, 0x9400, 2, value, code), 1);
    const Client before = *client;
    std::vector<unsigned char> area(client->area_start, client->area_start + kAreaSize);
    const std::size_t lookups = os.find_window_calls;

    EXPECT_EQ(open(*client, os, 0, code), 0);
    EXPECT_EQ(code, kAlreadyOpen);
    EXPECT_EQ(os.find_window_calls, lookups);
    EXPECT_EQ(client->area_start, before.area_start);
    EXPECT_EQ(client->next_free, before.next_free);
    EXPECT_EQ(client->atom, before.atom);
    EXPECT_EQ(client->open_counter, before.open_counter);
    EXPECT_EQ(std::memcmp(client->area_start, area.data(), kAreaSize), 0);

    ASSERT_EQ(process(*client, os, code), 1);
    EXPECT_EQ(os.server.u16_at(0x9400), 0x1234);
}

TEST_F(ClientTest, AreaNamesCountOnAcrossClosesAndReconnectsPassTheVersionTest) {
    os.process_id_value = 0xABC;
    for (int i = 0; i < 3; ++i) {
        open_ok();
        close(*client, os);
    }
    EXPECT_EQ(os.created_mapping_names,
              (std::vector<std::string>{"FsasmLib:IPC:ABC:1", "FsasmLib:IPC:ABC:2",
                                        "FsasmLib:IPC:ABC:3"}));
    // Each open writes the library version once, in its own first pass.
    EXPECT_EQ(os.server.exchange_count(), 3u);
    expect_nothing_held();
}

// Forwards to the fake and writes down every release, in order.
class ReleaseLog : public testing::FakeOs {
public:
    std::vector<std::string> calls;
    void delete_atom(std::uint16_t atom) override {
        calls.push_back("delete atom");
        FakeOs::delete_atom(atom);
    }
    void unmap_view(const void* view) override {
        calls.push_back("unmap view");
        FakeOs::unmap_view(view);
    }
    void close_handle(Handle handle) override {
        calls.push_back("close mapping");
        FakeOs::close_handle(handle);
    }
};

TEST_F(ClientTest, CloseReleasesInOrderAndKeepsCounterAndVersions) {
    ReleaseLog log;
    log.has_uipcmain = true;
    ASSERT_EQ(open(*client, log, 0, code), 1);
    const unsigned char byte = 1;
    ASSERT_EQ(write(*client, 0x9402, 1, &byte, code), 1);
    const std::uint32_t next_free = client->next_free;

    close(*client, log);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"delete atom", "unmap view", "close mapping"}));
    EXPECT_EQ(client->server_window, kNoHandle);
    EXPECT_EQ(client->exchange_message, 0u);
    EXPECT_EQ(client->next_free, next_free);
    EXPECT_EQ(client->open_counter, 1u);
    EXPECT_EQ(client->server_version, sim::kDefaultServerVersion);
    EXPECT_EQ(client->simulator_version, 0x000Cu);

    // Closing again, or closing a client never opened, releases nothing twice.
    log.calls.clear();
    close(*client, log);
    Client never_opened;
    close(never_opened, log);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(log.bad_releases, 0u);
    EXPECT_EQ(log.open_handles() + log.mapped_views() + log.atoms_held(), 0u);
}

}  // namespace
}  // namespace corvane::fsuipc
