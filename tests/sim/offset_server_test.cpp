// The stand-in offset server: requests served in place and in order, the
// handshake offsets it owns, a defensive walk over corrupt areas, and its log.
#include "sim/offset_server.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/numbers.h"
#include "tests/support/alloc_counter.h"

namespace corvane::sim {
namespace {

// Lays records out back to back, as a client does; the zeros after them
// terminate the request.
class Area {
public:
    explicit Area(std::size_t size = 0x8000) : bytes(size, 0) {}

    // Returns the position of the read's result bytes.
    std::size_t read(std::uint32_t offset, std::uint32_t size) {
        header(1, offset, size);
        raw(0);  // the client's own field
        return result(size);
    }
    // A 64-bit client's read: its own field is 8 bytes wide.
    std::size_t wide_read(std::uint32_t offset, std::uint32_t size) {
        header(kRecordWideRead, offset, size);
        raw(0xDDDDDDDD);
        raw(0xDDDDDDDD);
        return result(size);
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

    // The id, offset and size fields of a header, with nothing after them.
    void header(std::uint32_t id, std::uint32_t offset, std::uint32_t size) {
        raw(id);
        raw(offset);
        raw(size);
    }

    std::vector<unsigned char> bytes;
    std::size_t used = 0;

private:
    std::size_t result(std::uint32_t size) {
        std::memset(&bytes[used], 0xEE, size);
        const std::size_t at = used;
        used += size;
        return at;
    }
};

class OffsetServerTest : public ::testing::Test {
protected:
    std::unique_ptr<OffsetServer> server = std::make_unique<OffsetServer>();
    std::uintptr_t serve(Area& area) { return server->serve(area.bytes.data(), area.bytes.size()); }
};

// A 64-bit client's reads (id 4) mixed with 32-bit ones (id 1) and writes:
// every record served in area order, whatever its header size.
TEST_F(OffsetServerTest, ServesEveryLayoutInPlaceAndInOrder) {
    server->set_u16(0x9400, 0x1234);
    server->set_u16(0xFFFE, 0xABCD);
    Area area;
    const std::size_t before = area.wide_read(0x9430, 2);
    area.write(0x9430, {0x10, 0x27});
    const std::size_t after = area.read(0x9430, 2);
    const std::size_t wide_after = area.wide_read(0x9430, 2);
    area.write(0x9430, {0x11, 0x27});
    const std::size_t last = area.wide_read(0x9430, 2);
    const std::size_t other = area.read(0x9400, 2);
    const std::size_t space_end = area.wide_read(0xFFFE, 2);  // ends exactly at the space's end
    EXPECT_EQ(serve(area), 1u);
    EXPECT_EQ(area.u16(before), 0);
    EXPECT_EQ(area.u16(after), 10000);
    EXPECT_EQ(area.u16(wide_after), 10000);
    EXPECT_EQ(area.u16(last), 10001);
    EXPECT_EQ(area.u16(other), 0x1234);
    EXPECT_EQ(area.u16(space_end), 0xABCD);
    EXPECT_EQ(area.u32(before - 8), 0xDDDDDDDDu);  // the client's field is left alone
    EXPECT_EQ(server->u16_at(0x9430), 10001);
    EXPECT_EQ(server->last_exchange().record_count, 8u);
    EXPECT_EQ(server->last_exchange().count(kRecordWideRead), 4u);
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
        const std::size_t server_version = area.wide_read(0x3304, 4);
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

// A bad request is refused whole: answer 0, not one byte of the offset space
// (or the library version) changed, although a good write comes first, and
// the fault names the record. The area is an exact-size buffer, so ASan sees
// any read past its end.
TEST_F(OffsetServerTest, RefusesBadRequestsWhole) {
    struct Row {
        const char* name;
        std::function<void(Area&)> bad;  // laid after a good write of 13 bytes
        std::ptrdiff_t area_end;         // the area's end, relative to the bytes laid
        FaultKind kind;
        std::size_t index;
        std::size_t position;
    };
    const Row rows[] = {
        {"unknown id after a 64-bit read",
         [](Area& a) {
             a.wide_read(0x9400, 1);
             a.raw(3);
         },
         4, FaultKind::UnknownId, 2, 34},
        {"huge size: data past the area's end", [](Area& a) { a.header(2, 0x9410, 0xFFFFFFFF); },
         16, FaultKind::PastArea, 1, 13},
        {"64-bit read header cut by the area's end", [](Area& a) { a.header(4, 0x9410, 0); }, 4,
         FaultKind::PastArea, 1, 13},
        {"offset + size beyond the space (and 32 bits)",
         [](Area& a) { a.wide_read(0xFFFFFFFF, 2); }, 4, FaultKind::BeyondOffsetSpace, 1, 13},
        {"no terminator: room for half an id", [](Area& a) { a.read(0x9410, 1); }, 2,
         FaultKind::NoTerminator, 2, 30},
    };
    unsigned char poisoned[kOffsetSpaceSize];
    for (std::size_t i = 0; i < kOffsetSpaceSize; ++i) {
        server->space()[i] = poisoned[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Area area(64);
        area.write(0x9400, {0x55});
        row.bad(area);
        std::vector<unsigned char> exact(area.bytes.begin(),
                                         area.bytes.begin() + (area.used + row.area_end));
        EXPECT_EQ(server->serve(exact.data(), exact.size()), 0u);
        EXPECT_EQ(std::memcmp(server->space(), poisoned, kOffsetSpaceSize), 0);
        EXPECT_EQ(server->client_library_version, 0);

        const ServedExchange& refused = server->last_exchange();
        EXPECT_EQ(refused.record_count, 0u);
        EXPECT_EQ(refused.fault.kind, row.kind);
        char line[256];
        describe_fault(refused.fault, "FsasmLib:IPC:1F40:1", line, sizeof line);
        char where[64];
        std::snprintf(where, sizeof where,
                      "request area FsasmLib:IPC:1F40:1: record index %zu at byte %zu: ", row.index,
                      row.position);
        EXPECT_EQ(std::string(line).rfind(where, 0), 0u) << line;
        EXPECT_NE(std::string(line).find("; nothing applied, answered 0"), std::string::npos)
            << line;
    }
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
