// A client wired to the in-process fake: the stand-in server behind a
// "UIPCMAIN" window, plus helpers to compare what an exchange carried.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "fsuipc/client.h"
#include "sim/offset_server.h"
#include "tests/support/fake_os.h"

namespace corvane::fsuipc {

class ClientTest : public ::testing::Test {
protected:
    void SetUp() override { os.has_uipcmain = true; }

    void open_ok() {
        ASSERT_EQ(open(*client, os, 0, code), 1);
        ASSERT_EQ(code, kOk);
    }

    // Every resource an open takes is given back.
    void expect_nothing_held() {
        EXPECT_EQ(os.open_handles(), 0u);
        EXPECT_EQ(os.mapped_views(), 0u);
        EXPECT_EQ(os.atoms_held(), 0u);
        EXPECT_EQ(os.bad_releases, 0u);
        EXPECT_FALSE(is_open(*client));
        EXPECT_EQ(client->server_window, kNoHandle);
        EXPECT_EQ(client->exchange_message, 0u);
    }

    testing::FakeOs os;
    std::unique_ptr<Client> client = std::make_unique<Client>();
    std::int32_t code = -1;
};

// The records an exchange carried, compared row by row with the expected ones.
inline void expect_records(const sim::ServedExchange& served,
                           const std::vector<sim::ServedRecord>& expected) {
    ASSERT_EQ(served.record_count, expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const sim::ServedRecord& got = served.records[i];
        EXPECT_TRUE(got.id == expected[i].id && got.offset == expected[i].offset &&
                    got.size == expected[i].size)
            << "record " << i << ": got id " << got.id << " offset 0x" << std::hex << got.offset
            << " size " << std::dec << got.size << ", expected id " << expected[i].id
            << " offset 0x" << std::hex << expected[i].offset << " size " << std::dec
            << expected[i].size;
    }
}

}  // namespace corvane::fsuipc
