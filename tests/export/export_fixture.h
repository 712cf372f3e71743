// The export stages against the real FSUIPC client and the in-process offset
// server: stages queue into the client, one exchange delivers, and the test
// reads the offset space and the records the server saw.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "aircraft/link.h"
#include "export/change_only.h"
#include "export/export.h"
#include "fsuipc/client.h"
#include "sim/offset_server.h"
#include "tests/support/fake_os.h"

namespace corvane::data_export {

struct Write {
    std::uint32_t offset;
    std::uint32_t size;
    bool operator==(const Write& other) const {
        return offset == other.offset && size == other.size;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Write& w) {
    return os << std::hex << "{0x" << w.offset << ", " << std::dec << w.size << "}";
}

class ExportTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kBlockStart = 0x9400;
    static constexpr std::uint32_t kBlockEnd = 0x94FC;
    static constexpr std::uint8_t kPoison = 0xA5;
    static constexpr std::uint32_t kProbeOffset = 0x9400;

    void SetUp() override {
        fake.has_uipcmain = true;
        ASSERT_EQ(fsuipc::open(client, fake, 0, link_result_code), 1);
        // What the simulator held before: every untouched byte keeps it.
        for (std::uint32_t b = kBlockStart; b < kBlockEnd; ++b) fake.server.set_u8(b, kPoison);
    }

    // One exchange of what the stages queued; when they queued nothing, a
    // read (like the cycle's command reads) makes the exchange happen anyway.
    // Returns the write records in the order the server saw them.
    std::vector<Write> exchange() {
        std::uint16_t probe = 0;
        if (client.queued_count == 0) {
            EXPECT_EQ(fsuipc::read(client, kProbeOffset, sizeof probe, &probe, link_result_code), 1);
        }
        EXPECT_EQ(fsuipc::process(client, fake, link_result_code), 1);
        EXPECT_EQ(link_result_code, fsuipc::kOk);
        std::vector<Write> writes;
        const sim::ServedExchange& served = fake.server.last_exchange();
        for (std::size_t i = 0; i < served.record_count; ++i) {
            if (served.records[i].id == fsuipc::kRecordWrite) {
                writes.push_back({served.records[i].offset, served.records[i].size});
            }
        }
        return writes;
    }

    // One write that leaves no room in the request area: every write queued
    // after it is refused.
    static constexpr std::uint32_t kFillerOffset = 0x1000;
    static constexpr std::uint32_t kFillerSize = fsuipc::kAreaLimit - fsuipc::kWriteHeader - 4;
    void fill_request_area() {
        static unsigned char filler[kFillerSize] = {};
        ASSERT_EQ(fsuipc::write(client, kFillerOffset, kFillerSize, filler, link_result_code), 1);
        ASSERT_EQ(fsuipc::write(client, kFillerOffset, 1, filler, link_result_code), 0);
        ASSERT_EQ(link_result_code, fsuipc::kAreaFull);
    }

    testing::FakeOs fake;
    fsuipc::Client client;
    std::int32_t link_result_code = 0;
    data_export::Writer out{client, link_result_code};
    aircraft::Snapshots blocks;
};

}  // namespace corvane::data_export
