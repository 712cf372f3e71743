// The stand-in offset server: requests served in place and in order, the
// handshake offsets it owns, a defensive walk over corrupt areas, and its log.
#include "sim/offset_server.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "common/numbers.h"
#include "tests/support/alloc_counter.h"

namespace corvane::sim {
namespace {

// Lays records out back to back, as a client does.
class Area {
public:
    explicit Area(std::size_t size = 0x8000) : bytes(size, 0) {}

    // Returns the position of the read's result bytes.
    std::size_t read(std::uint32_t offset, std::uint32_t size) {
        header(1, offset, size);
        store_u32(&bytes[used], 0);
        used += 4;
        const std::size_t at = used;
        used += size;
        return at;
    }
    void write(std::uint32_t offset, std::vector<unsigned char> data) {
        header(2, offset, static_cast<std::uint32_t>(data.size()));
        std::memcpy(&bytes[used], data.data(), data.size());
        used += data.size();
    }
    void raw(std::uint32_t word) {
        store_u32(&bytes[used], word);
        used += 4;
    }
    std::uint32_t u32(std::size_t at) const { return load_u32(&bytes[at]); }
    std::uint16_t u16(std::size_t at) const { return load_u16(&bytes[at]); }

    // A read or write header with no data after it.
    void header_only(std::uint32_t id, std::uint32_t offset, std::uint32_t size) {
        header(id, offset, size);
    }

    std::vector<unsigned char> bytes;
    std::size_t used = 0;

private:
    void header(std::uint32_t id, std::uint32_t offset, std::uint32_t size) {
        raw(id);
        raw(offset);
        raw(size);
    }
};

class OffsetServerTest : public ::testing::Test {
protected:
    std::unique_ptr<OffsetServer> server = std::make_unique<OffsetServer>();
    std::uintptr_t serve(Area& area) { return server->serve(area.bytes.data(), area.bytes.size()); }
};

TEST_F(OffsetServerTest, ServesRecordsInPlaceAndInOrder) {
    server->set_u16(0x9400, 0x1234);
    Area area;
    const std::size_t before = area.read(0x9430, 2);
    area.write(0x9430, {0x10, 0x27});
    const std::size_t after = area.read(0x9430, 2);
    const std::size_t other = area.read(0x9400, 2);
    EXPECT_EQ(serve(area), 1u);
    EXPECT_EQ(area.u16(before), 0);
    EXPECT_EQ(area.u16(after), 10000);
    EXPECT_EQ(area.u16(other), 0x1234);
    EXPECT_EQ(server->u16_at(0x9430), 10000);
}

TEST_F(OffsetServerTest, OwnsTheHandshakeOffsets) {
    server->server_version = 0x19990001;
    server->simulator_version = 0xFADE000A;
    for (std::uint32_t o = 0x3300; o < 0x3310; ++o) server->set_u8(o, 0xAA);
    for (int exchange = 0; exchange < 2; ++exchange) {  // a reconnect sees the same
        SCOPED_TRACE(exchange);
        Area area;
        area.write(0x330A, {0xD2, 0x07});
        area.write(0x3304, {1, 2, 3, 4, 5, 6});  // clients cannot move the versions
        const std::size_t server_version = area.read(0x3304, 4);
        const std::size_t simulator_version = area.read(0x3308, 4);
        const std::size_t high_half = area.read(0x330A, 2);
        const std::size_t across = area.read(0x3302, 12);
        serve(area);
        EXPECT_EQ(area.u32(server_version), 0x19990001u);
        EXPECT_EQ(area.u32(simulator_version), 0xFADE000Au);
        EXPECT_EQ(area.u16(high_half), 0xFADE);
        const unsigned char expected[12] = {0xAA, 0xAA, 0x01, 0x00, 0x99, 0x19,
                                            0x0A, 0x00, 0xDE, 0xFA, 0xAA, 0xAA};
        EXPECT_EQ(std::memcmp(&area.bytes[across], expected, sizeof expected), 0);
        EXPECT_EQ(server->client_library_version, 2002);
    }
}

// Corrupt or hostile areas end the walk early; nothing outside the area or
// the space is touched (ASan watches the exact-size buffers).
TEST_F(OffsetServerTest, WalksCorruptAreasDefensively) {
    struct Row {
        const char* name;
        std::size_t area_size;
        std::function<void(Area&)> build;
        std::size_t served_records;
    };
    const Row rows[] = {
        {"unknown id ends the walk", 64,
         [](Area& a) {
             a.write(0x9400, {1});
             a.raw(9);
             a.write(0x9401, {2});
         },
         1},
        {"write data past the area end", 20, [](Area& a) { a.header_only(2, 0x9400, 9); }, 0},
        {"read data past the area end", 20, [](Area& a) { a.header_only(1, 0x9400, 5); }, 0},
        {"huge size", 32, [](Area& a) { a.header_only(1, 0x9400, 0xFFFFFFFF); }, 0},
        {"read header cut by the area end", 14, [](Area& a) { a.header_only(1, 0x9400, 0); }, 0},
        {"record exactly filling the area", 17, [](Area& a) { a.read(0x9400, 1); }, 1},
        {"id without room for a header", 7, [](Area& a) { a.raw(1); }, 0},
        {"empty area", 0, [](Area&) {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Area area(64);
        row.build(area);
        std::vector<unsigned char> exact(area.bytes.begin(), area.bytes.begin() + row.area_size);
        server->clear_log();
        EXPECT_EQ(server->serve(exact.data(), exact.size()), 1u);
        EXPECT_EQ(server->last_exchange().record_count, row.served_records);
    }
    EXPECT_EQ(server->byte_at(0x9400), 1);
    EXPECT_EQ(server->byte_at(0x9401), 0);  // after the unknown id
}

TEST_F(OffsetServerTest, ClipsToTheOffsetSpace) {
    for (std::uint32_t o = 0xFFF0; o < 0x10000; ++o) server->set_u8(o, 0x77);
    Area area;
    area.write(0xFFFE, {1, 2, 3, 4});     // the first two bytes land
    area.write(0xFFFFFFFF, {5, 6});       // offset + size beyond 32 bits
    area.write(0x20000, {9});
    const std::size_t straddle = area.read(0xFFFC, 8);
    const std::size_t beyond = area.read(0xFFFFFFFE, 4);
    std::memset(&area.bytes[beyond], 0xCC, 4);
    serve(area);
    const unsigned char expected[8] = {0x77, 0x77, 1, 2, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&area.bytes[straddle], expected, 8), 0);
    EXPECT_EQ(area.u32(beyond), 0u);
}

TEST_F(OffsetServerTest, LogKeepsTheMostRecentExchanges) {
    for (std::uint32_t i = 0; i < OffsetServer::kLogCapacity + 6; ++i) {
        Area area;
        area.write(0x9400, {static_cast<unsigned char>(i)});
        for (std::uint32_t r = 0; r < i; ++r) area.read(0x9500 + r, 0);
        serve(area);
    }
    EXPECT_EQ(server->exchange_count(), OffsetServer::kLogCapacity + 6);
    ASSERT_EQ(server->logged(), OffsetServer::kLogCapacity);
    EXPECT_EQ(server->exchange(0).record_count, 7u);  // exchange 6 is now the oldest
    EXPECT_EQ(server->last_exchange().record_count, OffsetServer::kLogCapacity + 6);
    EXPECT_EQ(server->last_exchange().count(2), 1u);
    EXPECT_EQ(server->last_exchange().count(1), OffsetServer::kLogCapacity + 5);
    EXPECT_TRUE(server->last_exchange().has_write(0x9400));
    EXPECT_FALSE(server->last_exchange().has_write(0x9500));

    // More records than the log keeps: all counted, the first ones kept.
    Area big;
    for (std::size_t i = 0; i < ServedExchange::kMaxLoggedRecords + 10; ++i) big.read(0x100, 0);
    big.write(0x9400, {1});
    serve(big);
    EXPECT_EQ(server->last_exchange().record_count, ServedExchange::kMaxLoggedRecords + 11);
    EXPECT_EQ(server->last_exchange().count(1), ServedExchange::kMaxLoggedRecords);
    EXPECT_FALSE(server->last_exchange().has_write(0x9400));

    server->clear_log();
    EXPECT_EQ(server->exchange_count(), 0u);
    EXPECT_EQ(server->logged(), 0u);
    EXPECT_EQ(server->last_exchange().record_count, 0u);  // an empty exchange, not a crash
}

TEST_F(OffsetServerTest, ServingAllocatesNothing) {
    Area area;
    area.write(0x9430, {1, 2});
    area.read(0x9400, 14);
    testing::AllocationScope scope;
    for (std::size_t i = 0; i < 1000; ++i) serve(area);
    EXPECT_EQ(scope.allocations(), 0u);
}

}  // namespace
}  // namespace corvane::sim
