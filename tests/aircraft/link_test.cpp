// The aircraft link: open and its clean-up on every failure, the close order,
// the one-time lookups of the simulator, posting, and the snapshots.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "aircraft/link.h"
#include "tests/support/fake_os.h"

namespace corvane {
namespace {

using testing::FakeOs;

// Forwards to the fake and writes down the release calls, so the order of a
// close can be compared with the expected one.
class ReleaseLog : public Os {
public:
    explicit ReleaseLog(FakeOs& fake) : fake_(fake) {}
    std::vector<std::string> calls;

    Handle find_window(const char* c) override { return fake_.find_window(c); }
    bool is_window(Handle w) override { return fake_.is_window(w); }
    std::uint32_t register_message(const char* n) override { return fake_.register_message(n); }
    std::uint16_t add_atom(const char* n) override { return fake_.add_atom(n); }
    void delete_atom(std::uint16_t a) override { fake_.delete_atom(a); }
    Handle create_mapping(const char* n, std::uint32_t s) override { return fake_.create_mapping(n, s); }
    Handle open_mapping(const char* n) override {
        Handle h = fake_.open_mapping(n);
        handles_.push_back(h);
        return h;
    }
    unsigned char* map_view(Handle m, bool w, std::size_t s) override {
        unsigned char* v = fake_.map_view(m, w, s);
        views_.push_back(v);
        return v;
    }
    void unmap_view(const void* v) override {
        calls.push_back("unmap view " + std::to_string(index_of(views_, v)));
        fake_.unmap_view(v);
    }
    void close_handle(Handle h) override {
        calls.push_back("close mapping " + std::to_string(index_of(handles_, h)));
        fake_.close_handle(h);
    }
    std::uint32_t last_error() override { return fake_.last_error(); }
    bool send_with_timeout(Handle w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp,
                           std::uint32_t t, std::uintptr_t* a) override {
        return fake_.send_with_timeout(w, m, wp, lp, t, a);
    }
    bool post(Handle w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
        return fake_.post(w, m, wp, lp);
    }
    void sleep(std::uint32_t ms) override { fake_.sleep(ms); }
    std::uint32_t process_id() override { return fake_.process_id(); }
    std::uint64_t now_microseconds() override { return fake_.now_microseconds(); }
    bool begin_timer_resolution(std::uint32_t ms) override {
        return fake_.begin_timer_resolution(ms);
    }
    void end_timer_resolution(std::uint32_t ms) override { fake_.end_timer_resolution(ms); }

private:
    template <typename List, typename T>
    static int index_of(const List& list, T item) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i] == item) return static_cast<int>(i) + 1;
        }
        return 0;
    }
    FakeOs& fake_;
    std::vector<Handle> handles_;
    std::vector<const void*> views_;
};

class AircraftLinkTest : public ::testing::Test {
protected:
    void expect_nothing_held(const aircraft::Link& link) {
        EXPECT_EQ(link.sdk1_mapping, kNoHandle);
        EXPECT_EQ(link.sdk1_view, nullptr);
        EXPECT_EQ(link.sdk2_mapping, kNoHandle);
        EXPECT_EQ(link.sdk2_view, nullptr);
        EXPECT_EQ(fake.open_handles(), 0u);
        EXPECT_EQ(fake.mapped_views(), 0u);
    }

    FakeOs fake;
    aircraft::Link link;
};

TEST_F(AircraftLinkTest, EveryFailedOpenReportsNotAvailableAndReleasesWhatItOpened) {
    struct Case {
        const char* name;
        bool publish;
        const char* remove;
        int fail_map_view_after;
    };
    const Case cases[] = {
        {"no aircraft at all", false, nullptr, -1},
        {"second mapping absent", true, aircraft::kSdk2MappingName, -1},
        {"first mapping absent", true, aircraft::kSdk1MappingName, -1},
        {"first view refused", true, nullptr, 0},
        {"second view refused", true, nullptr, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeOs world;
        if (c.publish) world.publish_aircraft();
        if (c.remove) world.remove_mapping(c.remove);
        world.fail_map_view_after = c.fail_map_view_after;
        aircraft::Link l;
        EXPECT_EQ(aircraft::open(l, world, 0), aircraft::kNotAvailable);
        EXPECT_EQ(l.sdk1_view, nullptr);
        EXPECT_EQ(l.sdk2_view, nullptr);
        EXPECT_EQ(l.sdk1_mapping, kNoHandle);
        EXPECT_EQ(l.sdk2_mapping, kNoHandle);
        EXPECT_EQ(world.open_handles(), 0u);
        EXPECT_EQ(world.mapped_views(), 0u);
        // A failed open looks nothing up.
        EXPECT_EQ(world.find_window_calls, 0u);
    }
}

TEST_F(AircraftLinkTest, SuccessfulOpenPassesTheLinkResultCodeThroughAndLocatesTheSimulator) {
    fake.publish_aircraft();
    fake.has_fs98main = true;
    EXPECT_EQ(aircraft::open(link, fake, 0), 0);
    EXPECT_NE(link.sdk1_view, nullptr);
    EXPECT_NE(link.sdk2_view, nullptr);
    EXPECT_EQ(link.simulator_window, FakeOs::kFs98mainWindow);
    EXPECT_EQ(link.command_message, fake.message_id(aircraft::kCommandMessageName));
    aircraft::close(link, fake);
    EXPECT_EQ(aircraft::open(link, fake, 7), 7);
    aircraft::close(link, fake);
}

TEST_F(AircraftLinkTest, SimulatorIsLookedUpOnlyWhileMissing) {
    fake.publish_aircraft();
    ASSERT_EQ(aircraft::open(link, fake, 0), 0);
    EXPECT_EQ(link.simulator_window, kNoHandle);  // no "FS98MAIN" window yet
    EXPECT_EQ(fake.find_window_calls, 1u);
    aircraft::close(link, fake);

    fake.has_fs98main = true;
    ASSERT_EQ(aircraft::open(link, fake, 0), 0);  // the failed lookup is repeated
    EXPECT_EQ(link.simulator_window, FakeOs::kFs98mainWindow);
    EXPECT_EQ(fake.find_window_calls, 2u);
    const std::size_t registrations = fake.register_message_calls;
    aircraft::close(link, fake);

    // Close keeps both, and a later open looks neither up again while the
    // window still exists.
    EXPECT_EQ(link.simulator_window, FakeOs::kFs98mainWindow);
    ASSERT_EQ(aircraft::open(link, fake, 0), 0);
    EXPECT_EQ(fake.find_window_calls, 2u);
    aircraft::close(link, fake);

    // A restarted simulator: the old window is gone, the next open finds the
    // new one. The message id stays.
    fake.restart_simulator();
    ASSERT_EQ(aircraft::open(link, fake, 0), 0);
    EXPECT_EQ(fake.find_window_calls, 3u);
    EXPECT_EQ(link.simulator_window, fake.fs98main_window());
    EXPECT_NE(link.simulator_window, FakeOs::kFs98mainWindow);
    EXPECT_EQ(fake.register_message_calls, registrations);
    aircraft::close(link, fake);
}

TEST_F(AircraftLinkTest, CloseReleasesViewThenMappingOfTheFirstBlockThenTheSecond) {
    fake.publish_aircraft();
    ReleaseLog os(fake);
    ASSERT_EQ(aircraft::open(link, os, 0), 0);
    aircraft::close(link, os);
    const std::vector<std::string> expected = {"unmap view 1", "close mapping 1", "unmap view 2",
                                               "close mapping 2"};
    EXPECT_EQ(os.calls, expected);
    expect_nothing_held(link);
    // Closing a closed link releases nothing.
    aircraft::close(link, os);
    EXPECT_EQ(os.calls.size(), expected.size());
}

TEST_F(AircraftLinkTest, FailedSecondViewReleasesInTheDocumentedOrder) {
    fake.publish_aircraft();
    fake.fail_map_view_after = 1;
    ReleaseLog os(fake);
    EXPECT_EQ(aircraft::open(link, os, 0), aircraft::kNotAvailable);
    const std::vector<std::string> expected = {"unmap view 1", "close mapping 1",
                                               "close mapping 2"};
    EXPECT_EQ(os.calls, expected);
    expect_nothing_held(link);
}

TEST_F(AircraftLinkTest, PostTurnsFractionsIntoHundredthsAndTruncatesTheRest) {
    fake.publish_aircraft();
    fake.has_fs98main = true;
    ASSERT_EQ(aircraft::open(link, fake, 0), 0);
    struct Case {
        double value;
        std::intptr_t lparam;
    };
    const Case cases[] = {
        {0.79, 79},      {0.5, 50},       {0.999, 99},      {0.005, 0},   {1.0, 1},
        {-0.5, 0},       {42000.0, 42000}, {-7900.0, -7900}, {65535.0, 65535},
        {0.0, 0},        {2.75, 2},       {-2.75, -2},
        // Hundredths that are not exact in binary still arrive whole.
        {0.29, 29},      {0.57, 57},      {0.58, 58},       {0.06 + 0.01, 7},
        // Nothing converts outside the 32-bit range.
        {1e12, INT32_MIN},
    };
    const std::uint32_t message = fake.message_id(aircraft::kCommandMessageName);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        fake.posts.clear();
        EXPECT_EQ(aircraft::post_command(link, fake, 1235, c.value), aircraft::Post::Posted);
        ASSERT_EQ(fake.posts.size(), 1u);
        EXPECT_EQ(fake.posts[0].window, FakeOs::kFs98mainWindow);
        EXPECT_EQ(fake.posts[0].message, message);
        EXPECT_EQ(fake.posts[0].wparam, 1235u);
        EXPECT_EQ(fake.posts[0].lparam, c.lparam);
    }
    // Posted, never sent.
    EXPECT_EQ(fake.sends, 0u);
    aircraft::close(link, fake);
}

TEST_F(AircraftLinkTest, PostWithoutSimulatorWindowOrMessageDoesNothing) {
    fake.publish_aircraft();
    ASSERT_EQ(aircraft::open(link, fake, 0), 0);  // no "FS98MAIN" window
    EXPECT_EQ(aircraft::post_command(link, fake, 1232, 10300.0), aircraft::Post::NoSimulator);
    EXPECT_TRUE(fake.posts.empty());
    aircraft::close(link, fake);

    FakeOs refusing;
    refusing.publish_aircraft();
    refusing.has_fs98main = true;
    refusing.fail_register_message = true;
    aircraft::Link l;
    ASSERT_EQ(aircraft::open(l, refusing, 0), 0);
    EXPECT_EQ(l.command_message, 0u);
    EXPECT_EQ(aircraft::post_command(l, refusing, 1232, 10300.0), aircraft::Post::NoSimulator);
    EXPECT_TRUE(refusing.posts.empty());
    aircraft::close(l, refusing);
}

TEST_F(AircraftLinkTest, SnapshotsCopyTheBlockSizesAndKeepTheirContentsWhileClosed) {
    sim::AircraftModel& model = fake.publish_aircraft();
    unsigned char* sdk1 = fake.mapping_memory(aircraft::kSdk1MappingName);
    unsigned char* sdk2 = fake.mapping_memory(aircraft::kSdk2MappingName);
    std::memset(sdk1, 0x5A, aircraft::kSdk1ViewSize);
    std::memset(sdk2, 0xA5, aircraft::kSdk2ViewSize);
    model.poke_i32(sim::Block::Sdk1, aircraft::kDataValidOffset, 1);

    auto blocks = std::make_unique<aircraft::Snapshots>();
    EXPECT_FALSE(aircraft::snapshot_sdk1(link, *blocks));  // closed: nothing copied
    EXPECT_FALSE(aircraft::snapshot_sdk2(link, *blocks));
    EXPECT_EQ(blocks->sdk1[0], 0);

    ASSERT_EQ(aircraft::open(link, fake, 0), 0);
    EXPECT_TRUE(aircraft::snapshot_sdk1(link, *blocks));
    EXPECT_TRUE(aircraft::snapshot_sdk2(link, *blocks));
    EXPECT_EQ(blocks->sdk1[aircraft::kSdk1BlockSize - 1], 0x5A);
    EXPECT_EQ(blocks->sdk2[aircraft::kSdk2BlockSize - 1], 0xA5);
    EXPECT_EQ(aircraft::data_valid_field(*blocks), 1);

    aircraft::close(link, fake);
    std::memset(sdk1, 0, aircraft::kSdk1ViewSize);
    EXPECT_FALSE(aircraft::snapshot_sdk1(link, *blocks));
    EXPECT_EQ(blocks->sdk1[0], 0x5A);
    EXPECT_EQ(aircraft::data_valid_field(*blocks), 1);
}

// The add-on writes its block while we copy it. A copy torn by such a write
// is taken again until it equals the view, at most three copies; a quiet
// block is not copied at all.
TEST(SnapshotCopy, TornCopiesAreTakenAgainUpToThreeTimes) {
    struct Row {
        const char* name;
        int torn_copies;  // copies during which the add-on writes; -1: block already in step
        int copies;
        bool in_step;     // the block equals the view afterwards
    };
    const Row rows[] = {
        {"quiet block", -1, 0, true},   {"clean copy", 0, 1, true},
        {"one torn copy", 1, 2, true},  {"two torn copies", 2, 3, true},
        {"always torn", 100, 3, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        unsigned char view[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        unsigned char block[8] = {};
        if (row.torn_copies < 0) std::memcpy(block, view, sizeof block);
        int torn = row.torn_copies;
        // Half the block is copied, then the add-on moves a value that spans
        // both halves, then the other half is copied.
        const auto tearing_copy = [&](unsigned char* to, const unsigned char* from, std::size_t n) {
            std::memcpy(to, from, n / 2);
            if (torn-- > 0) {
                ++view[3];
                ++view[4];
            }
            std::memcpy(to + n / 2, from + n / 2, n - n / 2);
        };
        EXPECT_EQ(aircraft::copy_settled(block, view, sizeof block, tearing_copy), row.copies);
        EXPECT_EQ(std::memcmp(block, view, sizeof block) == 0, row.in_step);
    }
}

}  // namespace
}  // namespace corvane
