// Annunciator packing: a plain weighted sum per byte, two-bit fields, carries
// beyond the byte, the SDK2 byte, and hostile field values.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"
#include "tests/export/export_fixture.h"

namespace corvane::data_export {
namespace {

struct Field {
    SourceBlock block;
    std::uint32_t offset;
    std::int32_t value;
};

struct PackCase {
    const char* what;
    std::vector<Field> fields;
    std::uint32_t byte;  // annunciator offset
    std::int32_t expected;
};

const PackCase kPackCases[] = {
    {"all fields 0", {}, 0x9402, 0},
    {"one field at weight 16", {{kSdk1, 0x0038, 1}}, 0x9402, 16},
    {"every field of a full byte", {{kSdk1, 0x0018, 1}, {kSdk1, 0x0024, 1}, {kSdk1, 0x0030, 1},
      {kSdk1, 0x0034, 1}, {kSdk1, 0x0038, 1}, {kSdk1, 0x0058, 1}, {kSdk1, 0x005C, 1},
      {kSdk1, 0x0060, 1}}, 0x9402, 0xFF},
    {"3 in a two-bit pair stays in its pair", {{kSdk1, 0x0178, 3}}, 0x9407, 0x03},
    {"two-bit pairs side by side", {{kSdk1, 0x0178, 3}, {kSdk1, 0x0180, 2}, {kSdk1, 0x0188, 1},
      {kSdk1, 0x0190, 3}}, 0x9407, 0xDB},
    {"3 without room reads as the next bit too", {{kSdk1, 0x0018, 3}}, 0x9402, 0x03},
    {"3 without room plus the next field carries", {{kSdk1, 0x0018, 3}, {kSdk1, 0x0024, 1}},
     0x9402, 0x05},
    {"2 at weight 1 equals 1 at weight 2", {{kSdk1, 0x0018, 2}}, 0x9402, 0x02},
    {"0x941B: bits 1-2 and weight 8", {{kSdk1, 0x0B34, 3}, {kSdk1, 0x0B38, 1}}, 0x941B, 14},
    {"0x940B: two-bit fields at weights 4 and 16", {{kSdk1, 0x0280, 3}, {kSdk1, 0x0284, 3}},
     0x940B, 0x3C},
    {"0x941F is the field's own value", {{kSdk1, 0x0C10, 1234}}, 0x941F, 1234},
    {"sum reaches beyond the byte", {{kSdk1, 0x0060, 2}}, 0x9402, 256},
    {"negative field", {{kSdk1, 0x0018, -1}}, 0x9402, -1},
    {"SDK2 fields pack the same way", {{kSdk2, 0x1A48, 1}, {kSdk2, 0x1A64, 1}}, 0x9427, 0x81},
    // 0x7FFFFFFF * 128 + 0x7FFFFFFF wraps in 32 bits (no overflow trap).
    {"hostile values wrap", {{kSdk1, 0x0018, INT32_MAX}, {kSdk1, 0x0060, INT32_MAX}}, 0x9402,
     static_cast<std::int32_t>(0x7FFFFFFFu * 129u)},
    {"INT32_MIN at weight 2 wraps to 0", {{kSdk1, 0x0024, INT32_MIN}}, 0x9402, 0},
};

TEST(AnnunciatorPacking, WeightedSum) {
    for (const PackCase& c : kPackCases) {
        SCOPED_TRACE(::testing::Message() << std::hex << "0x" << c.byte << ": " << c.what);
        aircraft::Snapshots blocks;
        for (const Field& f : c.fields) {
            store_i32((f.block == kSdk1 ? blocks.sdk1 : blocks.sdk2) + f.offset, f.value);
        }
        Annunciators annunciators;
        for (std::int32_t& packed : annunciators.packed) packed = 0x5A5A5A5A;
        pack_annunciators(blocks, annunciators);
        EXPECT_EQ(annunciators.packed[c.byte - kAnnunciatorOffset], c.expected);
        for (int i = 0; i < kAnnunciatorCount; ++i) {
            if (i != static_cast<int>(c.byte - kAnnunciatorOffset)) {
                EXPECT_EQ(annunciators.packed[i], 0) << "byte " << i;
            }
            EXPECT_EQ(annunciators.shadow[i], 0) << "packing leaves the shadows alone";
        }
    }
}

// Each field, set alone to 1, lights exactly its own bit of its own byte.
TEST(AnnunciatorPacking, EachFieldLightsOnlyItsOwnBit) {
    for (int i = 0; i < kAnnunciatorCount; ++i) {
        const AnnunciatorRow& row = kAnnunciatorRows[i];
        for (int column = 0; column < kAnnunciatorWeights; ++column) {
            if (row.field[column] == kNoField) continue;
            SCOPED_TRACE(::testing::Message() << std::hex << "0x" << row.offset << " field 0x"
                                              << row.field[column]);
            aircraft::Snapshots blocks;
            store_i32((row.block == kSdk1 ? blocks.sdk1 : blocks.sdk2) + row.field[column], 1);
            Annunciators annunciators;
            pack_annunciators(blocks, annunciators);
            for (int j = 0; j < kAnnunciatorCount; ++j) {
                EXPECT_EQ(annunciators.packed[j], j == i ? (1 << column) : 0) << "byte " << j;
            }
        }
    }
}

class AnnunciatorExport : public ExportTest {
protected:
    void set(std::uint32_t field, std::int32_t value) { store_i32(blocks.sdk1 + field, value); }
    std::vector<Write> pack_and_export() {
        pack_annunciators(blocks, annunciators);
        export_annunciators(annunciators, out);
        return exchange();
    }
    Annunciators annunciators;
};

TEST_F(AnnunciatorExport, OneWritePerChangedByteInAscendingOrder) {
    EXPECT_EQ(pack_and_export(), std::vector<Write>{}) << "zero bytes are not written at first";

    set(0x0D10, 1);                     // 0x9426, weight 4
    store_i32(blocks.sdk2 + 0x1A64, 1);  // 0x9427, weight 128
    set(0x0018, 1);                     // 0x9402, weight 1
    set(0x0060, 1);                     // 0x9402, weight 128: same byte, one write
    const std::vector<Write> expected = {{0x9402, 1}, {0x9426, 1}, {0x9427, 1}};
    EXPECT_EQ(pack_and_export(), expected);
    EXPECT_EQ(fake.server.byte_at(0x9402), 0x81);
    EXPECT_EQ(fake.server.byte_at(0x9426), 0x04);
    EXPECT_EQ(fake.server.byte_at(0x9427), 0x80);
    EXPECT_EQ(fake.server.byte_at(0x9403), kPoison);
    EXPECT_EQ(fake.server.byte_at(0x9428), kPoison);

    EXPECT_EQ(pack_and_export(), std::vector<Write>{}) << "nothing changed";
}

struct ByteCase {
    const char* what;
    std::int32_t field_0x0C10;  // 0x941F carries this field's own value
    bool written;
    std::uint8_t byte;
};

// One sequence of cycles: each row is the next cycle's value.
const ByteCase kByteSequence[] = {
    {"1", 1, true, 0x01},
    {"257 changes only above the byte, written all the same", 257, true, 0x01},
    {"257 again", 257, false, 0x01},
    {"256 is the byte 0", 256, true, 0x00},
    {"-2 is its two's-complement low byte", -2, true, 0xFE},
    {"INT32_MIN", INT32_MIN, true, 0x00},
    {"0 after non-zero is written", 0, true, 0x00},
};

TEST_F(AnnunciatorExport, AllThirtyTwoBitsAreComparedAndTheLowByteWritten) {
    for (const ByteCase& c : kByteSequence) {
        SCOPED_TRACE(c.what);
        set(0x0C10, c.field_0x0C10);
        const std::vector<Write> writes = pack_and_export();
        const std::vector<Write> expected =
            c.written ? std::vector<Write>{{0x941F, 1}} : std::vector<Write>{};
        EXPECT_EQ(writes, expected);
        EXPECT_EQ(fake.server.byte_at(0x941F), c.byte);
        EXPECT_EQ(annunciators.shadow[0x941F - kAnnunciatorOffset], c.field_0x0C10);
    }
}

TEST_F(AnnunciatorExport, ARefusedByteIsNotRetriedUntilItChanges) {
    set(0x0364, 1);  // 0x940D
    pack_annunciators(blocks, annunciators);
    fill_request_area();
    export_annunciators(annunciators, out);
    EXPECT_EQ(link_result_code, fsuipc::kAreaFull);
    EXPECT_EQ(exchange(), (std::vector<Write>{{kFillerOffset, kFillerSize}}));
    EXPECT_EQ(pack_and_export(), std::vector<Write>{});
    EXPECT_EQ(fake.server.byte_at(0x940D), kPoison);
    set(0x0370, 1);
    EXPECT_EQ(pack_and_export(), (std::vector<Write>{{0x940D, 1}}));
    EXPECT_EQ(fake.server.byte_at(0x940D), 0x03);
}

}  // namespace
}  // namespace corvane::data_export
