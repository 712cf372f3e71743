// Queuing and the exchange: record layouts, the bounds of the area, the send
// retries and their codes, what reaches the destinations, a hostile server
// rewriting the area, and a steady state that allocates nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "common/numbers.h"
#include "tests/fsuipc/client_fixture.h"
#include "tests/support/alloc_counter.h"

namespace corvane::fsuipc {
namespace {

constexpr unsigned char kPoison = 0xEE;

// While a batch is built the area reads as empty from its start (a server
// handling a timed-out send late must not see half of it); at the send it
// holds exactly the records, back to back, and the terminator.
TEST_F(ClientTest, RecordsAreLaidOutBackToBackAndEndWithATerminator) {
    open_ok();
    std::memset(client->area_start, 0xCC, 128);
    const unsigned char source[3] = {1, 2, 3};
    unsigned char destination[2];
    ASSERT_EQ(write(*client, 0x9402, 3, source, code), 1);
    ASSERT_EQ(read(*client, 0x9400, 2, destination, code), 1);
    ASSERT_EQ(read(*client, 0x1234, 0, destination, code), 1);
    ASSERT_EQ(read(*client, 0x5678, 1, nullptr, code), 1);
    const unsigned char expected[] = {
        0, 0, 0, 0, 0x02, 0x94, 0, 0, 3, 0, 0, 0, 1, 2, 3,                 // write, id still 0
        1, 0, 0, 0, 0x00, 0x94, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 0, 0,        // read, list entry 2
        1, 0, 0, 0, 0x34, 0x12, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0,              // bare read, entry 3
        1, 0, 0, 0, 0x78, 0x56, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,           // no destination: 0
        0xCC, 0xCC, 0xCC, 0xCC};                                           // not yet terminated
    ASSERT_EQ(client->next_free, sizeof expected - 4);
    for (std::size_t i = 0; i < sizeof expected; ++i) {
        EXPECT_EQ(client->area_start[i], expected[i]) << "byte " << i;
    }
    ASSERT_EQ(process(*client, os, code), 1);
    EXPECT_EQ(load_u32(client->area_start), kRecordWrite);
    EXPECT_EQ(load_u32(client->area_start + sizeof expected - 4), kRecordEnd);
    EXPECT_EQ(client->next_free, 0u);
    EXPECT_EQ(os.server.last_exchange().record_count, 4u);

    // After a send that never got through, a late handling finds nothing.
    ASSERT_EQ(write(*client, 0x9402, 3, source, code), 1);
    os.server_silent = true;
    EXPECT_EQ(process(*client, os, code), 0);
    EXPECT_EQ(load_u32(client->area_start), kRecordEnd);
}

// A prepared batch of reads leaves the area, the client's list and the code
// exactly as the same reads queued one by one: on an empty queue (where its
// image is copied), behind a write, and when too big for an image. The
// exchange then fills every destination.
TEST_F(ClientTest, PreparedReadsQueueExactlyAsSingleReads) {
    std::vector<BatchRead> reads = {{0x9400, 2, 0}, {0x94F0, 1, 2}, {0x1234, 0, 3},
                                    {0x3304, 4, 3}, {0x0200, 9, 7}, {0x9428, 1, 16}};
    for (std::uint32_t i = 0; i < PreparedReads::kMaxReads; ++i) {
        reads.push_back({0x9500 + i, 1, 17 + i});
    }
    os.server.set_u16(0x9400, 0xBEEF);
    os.server.set_u8(0x9428, 0x42);
    struct Row {
        const char* name;
        std::size_t count;
        bool behind_a_write;
    };
    const Row rows[] = {{"six reads", 6, false},
                        {"six reads behind a write", 6, true},
                        {"more reads than an image holds", reads.size(), false}};
    const unsigned char source[2] = {7, 8};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open_ok();
        unsigned char destination[64];
        std::memset(destination, kPoison, sizeof destination);
        if (row.behind_a_write) {
            ASSERT_EQ(write(*client, 0x9402, 2, source, code), 1);
        }
        const std::uint32_t front = client->next_free;
        for (std::size_t i = 0; i < row.count; ++i) {
            ASSERT_EQ(read(*client, reads[i].offset, reads[i].size, destination + reads[i].at,
                           code),
                      1);
        }
        const std::vector<unsigned char> one_by_one(client->area_start,
                                                    client->area_start + client->next_free);
        const std::vector<QueuedRecord> listed(client->queued,
                                               client->queued + client->queued_count);

        // The same again, prepared: the reads are taken off the queue first.
        client->next_free = front;
        client->queued_count = row.behind_a_write ? 1 : 0;
        std::memset(client->area_start + front, 0xCC, one_by_one.size() - front);
        code = -1;
        PreparedReads prepared;
        prepare_reads(prepared, reads.data(), row.count, destination);
        EXPECT_EQ(prepared.bytes != 0, row.count <= PreparedReads::kMaxReads);
        EXPECT_EQ(queue_reads(*client, prepared, code), row.count);
        EXPECT_EQ(code, kOk);
        ASSERT_EQ(client->next_free, one_by_one.size());
        EXPECT_EQ(std::memcmp(client->area_start, one_by_one.data(), one_by_one.size()), 0);
        ASSERT_EQ(client->queued_count, listed.size());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            const QueuedRecord& got = client->queued[i];
            EXPECT_TRUE(got.position == listed[i].position && got.size == listed[i].size &&
                        got.id == listed[i].id && got.destination == listed[i].destination)
                << "list entry " << i;
        }
        ASSERT_EQ(process(*client, os, code), 1);
        EXPECT_EQ(load_u16(destination), 0xBEEF);
        EXPECT_EQ(destination[16], 0x42);
        close(*client, os);
    }
}

// used + size + header + 4 may reach the limit exactly, not one byte beyond;
// sizes near 2^32 must not wrap around into acceptance.
TEST_F(ClientTest, RequestsMustFitBelowTheLimit) {
    struct Row {
        const char* name;
        std::uint32_t used;  // bytes queued before, as one write
        bool is_read;
        std::uint32_t size;
        bool accepted;
    };
    constexpr std::uint32_t kUsed = kWriteHeader + 100;
    const Row rows[] = {
        {"write exactly at the limit", 0, false, kAreaLimit - 16, true},
        {"write one byte over", 0, false, kAreaLimit - 15, false},
        {"read exactly at the limit", 0, true, kAreaLimit - 20, true},
        {"read one byte over", 0, true, kAreaLimit - 19, false},
        {"write after others, at the limit", kUsed, false, kAreaLimit - kUsed - 16, true},
        {"write after others, over", kUsed, false, kAreaLimit - kUsed - 15, false},
        {"read after others, at the limit", kUsed, true, kAreaLimit - kUsed - 20, true},
        {"read after others, over", kUsed, true, kAreaLimit - kUsed - 19, false},
        {"huge write", kUsed, false, 0xFFFFFFFF, false},
        {"huge read", kUsed, true, 0xFFFFFFF0, false},
    };
    std::vector<unsigned char> buffer(kAreaLimit, 0x5A);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open_ok();
        if (row.used != 0) {
            ASSERT_EQ(write(*client, 0x9500, row.used - kWriteHeader, buffer.data(), code), 1);
        }
        code = -1;
        const int result = row.is_read ? read(*client, 0x100, row.size, buffer.data(), code)
                                       : write(*client, 0x100, row.size, buffer.data(), code);
        EXPECT_EQ(result, row.accepted ? 1 : 0);
        EXPECT_EQ(code, row.accepted ? kOk : kAreaFull);
        const std::uint32_t header = row.is_read ? kReadHeader : kWriteHeader;
        EXPECT_EQ(client->next_free, row.used + (row.accepted ? header + row.size : 0));
        // A refusal leaves the batch as it was: what was queued still goes out.
        if (row.used != 0) {
            ASSERT_EQ(process(*client, os, code), 1);
            EXPECT_EQ(os.server.last_exchange().has_write(0x9500), true);
        }
        close(*client, os);
    }
}

TEST_F(ClientTest, ClosedClientRefusesEverything) {
    unsigned char byte = 0;
    const std::function<int()> calls[] = {
        [&] { return read(*client, 0x9400, 1, &byte, code); },
        [&] { return write(*client, 0x9400, 1, &byte, code); },
        [&] { return process(*client, os, code); },
    };
    for (int pass = 0; pass < 2; ++pass) {  // never opened, then opened and closed
        for (std::size_t i = 0; i < std::size(calls); ++i) {
            code = -1;
            EXPECT_EQ(calls[i](), 0) << "call " << i << " pass " << pass;
            EXPECT_EQ(code, kNotOpen) << "call " << i << " pass " << pass;
        }
        open_ok();
        close(*client, os);
    }
    EXPECT_EQ(os.sends, 2u);  // the two handshakes only
}

TEST_F(ClientTest, ProcessWithNothingQueuedSendsNothing) {
    open_ok();
    const std::size_t sends = os.sends;
    EXPECT_EQ(process(*client, os, code), 0);
    EXPECT_EQ(code, kNothingQueued);
    EXPECT_EQ(os.sends, sends);
    EXPECT_TRUE(is_open(*client));
}

TEST_F(ClientTest, SendRetriesAndAnswers) {
    struct Row {
        const char* name;
        int failing_sends;
        std::uint32_t error;
        std::uintptr_t answer;
        std::int32_t code;
        std::size_t sends;
        std::size_t sleeps;
        bool abandoned = false;  // the program ends: the first attempt only, no sleep
    };
    const Row rows[] = {
        {"first send answers", 0, 0, 1, kOk, 1, 0},
        {"ninth send answers", 8, 1460, 1, kOk, 9, 8},
        {"nine sends fail, no error", 9, 0, 1, kSendFailedNoError, 9, 9},
        {"nine sends fail, error", -1, 1460, 1, kSendFailedWithError, 9, 9},
        {"server answers 0", 0, 0, 0, kBadAnswer, 1, 0},
        {"server answers 2", 0, 0, 2, kBadAnswer, 1, 0},
        {"abandoned, silent", -1, 1460, 1, kSendFailedWithError, 1, 0, true},
        {"abandoned, answers", 0, 0, 1, kOk, 1, 0, true},
    };
    const auto abandon = std::make_unique<std::atomic<bool>>(false);
    client->abandon = abandon.get();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open_ok();
        os.server.set_u16(0x9400, 0xBEEF);
        os.failing_sends = row.failing_sends;
        os.send_failure_error = row.error;
        os.server_answer = row.answer;
        os.sleeps.clear();
        const std::size_t sends = os.sends;
        unsigned char destination[2] = {kPoison, kPoison};
        ASSERT_EQ(read(*client, 0x9400, 2, destination, code), 1);
        os.set_last_error(0xDEADBEEF);  // the code must come from the failed sends
        *abandon = row.abandoned;

        EXPECT_EQ(process(*client, os, code), row.code == kOk ? 1 : 0);
        EXPECT_EQ(code, row.code);
        // The Windows error behind code 12 is kept, taken from the failed send.
        EXPECT_EQ(client->windows_error, row.code == kSendFailedWithError ? row.error : 0u);
        EXPECT_EQ(os.sends - sends, row.sends);
        EXPECT_EQ(os.sleeps, std::vector<std::uint32_t>(row.sleeps, kRetrySleepMs));
        if (row.code == kOk) {
            EXPECT_EQ(load_u16(destination), 0xBEEF);
        } else {
            // The batch is gone and nothing reached the destination.
            EXPECT_EQ(destination[0], kPoison);
            EXPECT_EQ(destination[1], kPoison);
            EXPECT_TRUE(is_open(*client));
            EXPECT_EQ(process(*client, os, code), 0);
            EXPECT_EQ(code, kNothingQueued);
        }
        os.failing_sends = 0;
        os.server_answer = 1;
        close(*client, os);
    }
    client->abandon = nullptr;  // the flag ends with this test
}

TEST_F(ClientTest, ReadsWithoutSizeOrDestinationCopyNothing) {
    open_ok();
    os.server.set_u16(0x9400, 0x0102);
    os.server.set_u16(0x9402, 0x0304);
    unsigned char bare[2] = {kPoison, kPoison};
    unsigned char after[2] = {kPoison, kPoison};
    ASSERT_EQ(read(*client, 0x9400, 0, bare, code), 1);
    ASSERT_EQ(read(*client, 0x9400, 2, nullptr, code), 1);
    ASSERT_EQ(read(*client, 0x9402, 2, after, code), 1);
    EXPECT_EQ(client->next_free, kReadHeader + (kReadHeader + 2) + (kReadHeader + 2));
    ASSERT_EQ(process(*client, os, code), 1);
    EXPECT_EQ(bare[0], kPoison);
    EXPECT_EQ(bare[1], kPoison);
    EXPECT_EQ(load_u16(after), 0x0304);  // the walk went on past both
}

// A destination with guard bytes on both sides.
struct Guarded {
    unsigned char before[4];
    unsigned char value[4];
    unsigned char after[4];
};

// Three reads; the server serves them, then the tamper rewrites the area
// before answering. Positions of the records: 0, 20, 40.
TEST_F(ClientTest, HostileServerCannotSteerTheCopies) {
    constexpr std::uint32_t kRecordSpan = kReadHeader + 4;
    struct Row {
        const char* name;
        std::function<void(unsigned char*, std::size_t)> tamper;
        int filled;  // how many destinations, from the first, get the served value
        bool first_id_zeroed_at_stop;
    };
    const Row rows[] = {
        {"no tampering", nullptr, 3, false},
        {"sizes rewritten huge",
         [](unsigned char* a, std::size_t) {
             for (int i = 0; i < 3; ++i) store_u32(a + i * kRecordSpan + 8, 0xFFFFFFFF);
         },
         3, false},
        {"destination fields swapped",
         [](unsigned char* a, std::size_t) {
             store_u32(a + 12, 3);
             store_u32(a + 2 * kRecordSpan + 12, 1);
         },
         3, false},
        {"second id rewritten", [](unsigned char* a, std::size_t) { store_u32(a + kRecordSpan, 7); }, 1, true},
        {"second id made a write", [](unsigned char* a, std::size_t) { store_u32(a + kRecordSpan, 2); }, 1, true},
        {"second id cleared", [](unsigned char* a, std::size_t) { store_u32(a + kRecordSpan, 0); }, 1, true},
        {"whole area overwritten", [](unsigned char* a, std::size_t n) { std::memset(a, 0xFF, n); }, 0, true},
    };
    const std::uint32_t served[3] = {0x11111111, 0x22222222, 0x33333333};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open_ok();
        Guarded destinations[3];
        for (int i = 0; i < 3; ++i) {
            std::memset(&destinations[i], kPoison, sizeof destinations[i]);
            store_u32(os.server.space() + 0x100 + 4 * i, served[i]);
            ASSERT_EQ(read(*client, 0x100 + 4 * i, 4, destinations[i].value, code), 1);
        }
        os.tamper = row.tamper;

        EXPECT_EQ(process(*client, os, code), 1);
        EXPECT_EQ(code, kOk);
        for (int i = 0; i < 3; ++i) {
            const std::uint32_t expected =
                i < row.filled ? served[i] : 0xEEEEEEEEu;
            EXPECT_EQ(load_u32(destinations[i].value), expected) << "destination " << i;
            for (int j = 0; j < 4; ++j) {
                EXPECT_EQ(destinations[i].before[j], kPoison) << "destination " << i;
                EXPECT_EQ(destinations[i].after[j], kPoison) << "destination " << i;
            }
        }
        if (row.first_id_zeroed_at_stop) {
            EXPECT_EQ(load_u32(client->area_start + row.filled * kRecordSpan), kRecordEnd);
        }
        os.tamper = nullptr;
        close(*client, os);
    }
    expect_nothing_held();
}

TEST_F(ClientTest, ThousandBatchesAllocateNothing) {
    open_ok();
    unsigned char command[2];
    unsigned char counters[12];
    const unsigned char display[2] = {0x10, 0x27};
    std::uint32_t failures = 0;
    testing::AllocationScope scope;
    for (int i = 0; i < 1000; ++i) {
        failures += 1 - write(*client, 0x9430, 2, display, code);
        failures += 1 - read(*client, 0x9400, 2, command, code);
        failures += 1 - read(*client, 0x94F0, 12, counters, code);
        failures += 1 - process(*client, os, code);
    }
    EXPECT_EQ(scope.allocations(), 0u);
    EXPECT_EQ(failures, 0u);
    EXPECT_EQ(load_u16(command), 0);
    EXPECT_EQ(os.server.u16_at(0x9430), 10000);
}

}  // namespace
}  // namespace corvane::fsuipc
