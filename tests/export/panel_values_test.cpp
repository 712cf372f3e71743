// Panel value export: low bytes of integer fields, truncated (and scaled)
// doubles, change detection on the source value, order and placement.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"
#include "tests/export/export_fixture.h"

namespace corvane::data_export {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class PanelExport : public ExportTest {
protected:
    void set_integer(std::uint32_t field, std::int32_t value) {
        store_i32(blocks.sdk1 + field, value);
    }
    void set_double(std::uint32_t field, double value) { store_f64(blocks.sdk1 + field, value); }
    std::vector<Write> export_and_exchange() {
        export_panel_values(blocks, shadows, out);
        return exchange();
    }
    PanelShadows shadows;
};

struct ValueCase {
    const char* what;
    std::uint32_t source;  // SDK1 field
    bool is_double;
    double value;
    std::uint32_t offset;  // where it lands
    std::uint32_t size;
    std::uint16_t written;  // the low byte only for 1-byte rows
};

const ValueCase kValueCases[] = {
    {"integer -1", 0x0020, false, -1, 0x9484, 1, 0xFF},
    {"integer 258", 0x0020, false, 258, 0x9484, 1, 0x02},
    {"last field of the block", 0x0FAC, false, 7, 0x9472, 1, 0x07},
    {"0x94EA takes 0x0EF0", 0x0EF0, false, 3, 0x94EA, 1, 0x03},
    {"0x94EB takes the data-valid field", 0x0EEC, false, 0x101, 0x94EB, 1, 0x01},
    {"the vertical speed sign", 0x01F4, false, 12, 0x948F, 1, 0x0C},
    {"last of a 19-row range", 0x095C, false, 9, 0x94C3, 1, 0x09},
    {"last of the block's own order", 0x01B8, false, 1, 0x94EF, 1, 0x01},
    {"double 2.75 truncates", 0x0008, true, 2.75, 0x9480, 2, 0x0002},
    {"double -2.75 truncates toward zero", 0x0008, true, -2.75, 0x9480, 2, 0xFFFE},
    {"double 70000 wraps", 0x0010, true, 70000.0, 0x9482, 2, 0x1170},
    {"scaled 0.0625 is 62, not 63", 0x0F88, true, 0.0625, 0x9477, 2, 0x003E},
    {"scaled -0.0625", 0x0F90, true, -0.0625, 0x9479, 2, 0xFFC2},
    {"scaled 40", 0x0F88, true, 40.0, 0x9477, 2, 0x9C40},
    {"NaN", 0x0C98, true, kNaN, 0x94D8, 2, 0x0000},
    {"infinity", 0x0C18, true, kInf, 0x94D6, 2, 0x0000},
    {"beyond 32 bits", 0x0B20, true, 3e9, 0x94D2, 2, 0x0000},
    {"scaled beyond 32 bits", 0x0F90, true, 2147484.0, 0x9479, 2, 0x0000},
    {"odd offset", 0x05F0, true, 4660.9, 0x949D, 2, 0x1234},
    {"odd offset 0x94A5", 0x06E8, true, -1.0, 0x94A5, 2, 0xFFFF},
};

TEST_F(PanelExport, EachValueLandsConvertedAtItsOffsetAndNowhereElse) {
    for (const ValueCase& c : kValueCases) {
        SCOPED_TRACE(c.what);
        blocks = aircraft::Snapshots{};
        shadows = PanelShadows{};
        for (std::uint32_t b = kBlockStart; b < kBlockEnd; ++b) fake.server.set_u8(b, kPoison);
        if (c.is_double) {
            set_double(c.source, c.value);
        } else {
            set_integer(c.source, static_cast<std::int32_t>(c.value));
        }
        EXPECT_EQ(export_and_exchange(), (std::vector<Write>{{c.offset, c.size}}));
        if (c.size == 1) {
            EXPECT_EQ(fake.server.byte_at(c.offset), c.written);
        } else {
            EXPECT_EQ(fake.server.u16_at(c.offset), c.written);
        }
        EXPECT_EQ(fake.server.byte_at(c.offset - 1), kPoison);
        EXPECT_EQ(fake.server.byte_at(c.offset + c.size), kPoison);
    }
}

TEST_F(PanelExport, FirstCycleSkipsZeroSourcesOfEitherSign) {
    set_double(0x0008, -0.0);
    EXPECT_EQ(export_and_exchange(), std::vector<Write>{});
    for (std::uint32_t b = 0x9472; b <= 0x94EF; ++b) {
        EXPECT_EQ(fake.server.byte_at(b), kPoison) << std::hex << b;
    }
}

TEST_F(PanelExport, TheSourceValueIsComparedNotWhatIsWritten) {
    struct Step {
        const char* what;
        std::int32_t integer;  // SDK1 0x0040 -> 0x9485
        double real;           // SDK1 0x00F8 -> 0x9488
        std::vector<Write> writes;
        std::uint8_t byte;
        std::uint16_t word;
    };
    const Step steps[] = {
        {"first values", 258, 2.25, {{0x9485, 1}, {0x9488, 2}}, 0x02, 2},
        {"nothing changed", 258, 2.25, {}, 0x02, 2},
        {"same low byte, other bits", 514, 2.5, {{0x9485, 1}, {0x9488, 2}}, 0x02, 2},
        {"NaN is written every cycle", 514, kNaN, {{0x9488, 2}}, 0x02, 0},
        {"and again", 514, kNaN, {{0x9488, 2}}, 0x02, 0},
        {"back to zero", 0, 0.0, {{0x9485, 1}, {0x9488, 2}}, 0x00, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        fake.server.set_u16(0x9488, 0xA5A5);
        set_integer(0x0040, step.integer);
        set_double(0x00F8, step.real);
        EXPECT_EQ(export_and_exchange(), step.writes);
        EXPECT_EQ(fake.server.byte_at(0x9485), step.byte);
        if (!step.writes.empty() && step.writes.back().offset == 0x9488) {
            EXPECT_EQ(fake.server.u16_at(0x9488), step.word);
        }
    }
}

// Every row at once, each with a value of its own: one write per row in
// ascending offset order, and no two rows read the same bytes.
TEST_F(PanelExport, EveryRowChangedGoesOutInAscendingOrder) {
    constexpr std::uint32_t kLowByte = 0xFF;
    std::vector<Write> expected;
    for (const PanelRow& row : kPanelRows) {
        const std::uint32_t low = row.offset & kLowByte;
        if (row.type == kInteger) {
            set_integer(row.source, static_cast<std::int32_t>(low));
        } else if (row.scale == kUnscaled) {
            set_double(row.source, row.offset + 0.75);
        } else {
            set_double(row.source, low / 8.0);  // exact in binary: x 1000 is low x 125
        }
        expected.push_back({row.offset, row.size});
    }
    EXPECT_EQ(export_and_exchange(), expected);
    for (const PanelRow& row : kPanelRows) {
        const std::uint32_t low = row.offset & kLowByte;
        if (row.type == kInteger) {
            EXPECT_EQ(fake.server.byte_at(row.offset), low) << std::hex << row.offset;
        } else if (row.scale == kUnscaled) {
            EXPECT_EQ(fake.server.u16_at(row.offset), row.offset) << std::hex << row.offset;
        } else {
            EXPECT_EQ(fake.server.u16_at(row.offset), low * 125) << std::hex << row.offset;
        }
    }
    for (std::uint32_t b : {0x947Du, 0x947Eu, 0x947Fu, 0x9471u, 0x94F0u}) {
        EXPECT_EQ(fake.server.byte_at(b), kPoison) << std::hex << b;
    }
}

TEST_F(PanelExport, ARefusedValueIsNotRetriedUntilItChanges) {
    set_integer(0x0D40, 5);  // 0x94DA
    set_double(0x0C18, 9.0);  // 0x94D6
    fill_request_area();
    export_panel_values(blocks, shadows, out);
    EXPECT_EQ(link_result_code, fsuipc::kAreaFull);
    EXPECT_EQ(exchange(), (std::vector<Write>{{kFillerOffset, kFillerSize}}));
    EXPECT_EQ(export_and_exchange(), std::vector<Write>{});
    set_double(0x0C18, 9.5);
    EXPECT_EQ(export_and_exchange(), (std::vector<Write>{{0x94D6, 2}}));
    EXPECT_EQ(fake.server.u16_at(0x94D6), 9);
    EXPECT_EQ(fake.server.byte_at(0x94DA), kPoison);
}

}  // namespace
}  // namespace corvane::data_export
