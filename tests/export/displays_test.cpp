// Display decoding: the digit rule for both layouts, blanks, negative and
// hostile digit fields.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"
#include "tests/export/export_fixture.h"

namespace corvane::data_export {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void set_digit_fields(aircraft::Snapshots& blocks, int k, const std::vector<std::int32_t>& fields) {
    ASSERT_EQ(static_cast<int>(fields.size()), kDisplayWindows[k].digits);
    for (int position = 0; position < kDisplayWindows[k].digits; ++position) {
        store_i32(blocks.sdk1 + digit_field(kDisplayWindows[k], position), fields[position]);
    }
}

struct DigitCase {
    const char* what;
    int k;
    std::vector<std::int32_t> fields;  // storage order
    double expected;
};

const DigitCase kDigitCases[] = {
    {"leading blanks are skipped", 0, {10, 10, 1, 2, 3}, 123.0},
    {"a gap drops what stands before it", 0, {1, 10, 2, 3, 4}, 234.0},
    {"blank units position blanks the window", 0, {1, 2, 3, 4, 10}, kBlankDisplay},
    {"more than 16 bits", 5, {9, 9, 9, 9, 9}, 99999.0},
    {"the blank value as a number", 1, {6, 5, 5, 3, 5}, 65535.0},
    {"two-digit window", 12, {10, 7}, 7.0},
    {"two-digit window, both blank", 14, {10, 10}, kBlankDisplay},
    {"speed in hundredths mode", 3, {10, 7, 8}, 78.0},
    {"four-digit window", 6, {1, 5, 0, 0}, 1500.0},
    {"units-first, gap drops the lower digits", 21, {5, 10, 1, 2, 3}, 32100.0},
    {"units-first, blank top position", 22, {3, 2, 1, 10, 10}, kBlankDisplay},
    {"units-first, full", 24, {1, 2, 3, 4, 5}, 54321.0},
    {"negative field counts as a digit", 0, {0, 0, 1, 2, -1}, 119.0},
    {"negative field at a high weight", 30, {-1, 0, 0, 0, 5}, -9995.0},
    {"field just above a digit", 32, {9, 11, 9}, 9.0},
    {"huge field shows no digit", 31, {0, 0, 0, 0, 0x7FFFFFFF}, kBlankDisplay},
    // Products are 32-bit: -214749 * 10000 wraps to 2147477296.
    {"hostile product wraps in 32 bits", 25, {-214749, 0, 0, 0, 0}, 2147477296.0},
    {"INT32_MIN times 10000 wraps to 0", 26, {INT32_MIN, 0, 0, 0, 3}, 3.0},
    {"INT32_MIN in the units position", 27, {0, 0, 0, 0, INT32_MIN}, -2147483648.0},
};

TEST(DisplayDecoding, DigitRule) {
    for (const DigitCase& c : kDigitCases) {
        SCOPED_TRACE(::testing::Message() << "window " << c.k << ": " << c.what);
        aircraft::Snapshots blocks;
        set_digit_fields(blocks, c.k, c.fields);
        DisplayValues displays;
        decode_displays(blocks, displays);
        EXPECT_EQ(displays.value[c.k], c.expected);
        // The other windows read only their own (zero) fields.
        for (int other = 0; other < kDisplayCount; ++other) {
            if (other != c.k) {
                EXPECT_EQ(displays.value[other], 0.0) << "window " << other;
            }
        }
    }
}

TEST(DisplayDecoding, EveryWindowIsRewrittenFromTheCurrentSnapshot) {
    aircraft::Snapshots blocks;
    DisplayValues displays;
    for (double& value : displays.value) value = kNaN;
    decode_displays(blocks, displays);
    for (int k = 0; k < kDisplayCount; ++k) {
        EXPECT_EQ(displays.value[k], 0.0) << "all fields 0, window " << k;
        EXPECT_FALSE(std::signbit(displays.value[k])) << "window " << k;
    }

    // Every window's units position blank: all blank; then back to digits.
    for (int k = 0; k < kDisplayCount; ++k) {
        const DisplayWindow& window = kDisplayWindows[k];
        const int units = window.layout == kStandard ? window.digits - 1 : 0;
        store_i32(blocks.sdk1 + digit_field(window, units), 10);
        store_i32(blocks.sdk1 + digit_field(window, window.digits - 1 - units), 10);
    }
    decode_displays(blocks, displays);
    for (int k = 0; k < kDisplayCount; ++k) {
        // A units-first window blanks on its top position, a standard one on
        // its units; either way both ends were set blank here.
        EXPECT_EQ(displays.value[k], kBlankDisplay) << "window " << k;
    }
    blocks = aircraft::Snapshots{};
    decode_displays(blocks, displays);
    for (int k = 0; k < kDisplayCount; ++k) EXPECT_EQ(displays.value[k], 0.0) << "window " << k;
}

TEST(DisplayDecoding, UnitsFirstBlanksOnlyOnItsTopPosition) {
    aircraft::Snapshots blocks;
    set_digit_fields(blocks, 23, {10, 4, 3, 2, 1});  // a blank units position is just dropped
    DisplayValues displays;
    decode_displays(blocks, displays);
    EXPECT_EQ(displays.value[23], 12340.0);
}

class DisplayExport : public ExportTest {
protected:
    DisplayValues displays;
    DisplayShadows shadows;
};

TEST_F(DisplayExport, FirstCycleWritesOnlyWhatIsNotZero) {
    export_displays(displays, shadows, out);
    EXPECT_EQ(exchange(), std::vector<Write>{});
    EXPECT_EQ(fake.server.u16_at(0x9430), 0xA5A5) << "a zero display leaves the offset alone";

    displays.value[30] = -10.0;   // only from a negative digit field
    displays.value[3] = kBlankDisplay;
    displays.value[5] = 99999.0;
    export_displays(displays, shadows, out);
    const std::vector<Write> expected = {{0x9436, 2}, {0x943A, 2}, {0x946C, 2}};
    EXPECT_EQ(exchange(), expected);
    EXPECT_EQ(fake.server.u16_at(0x9436), 0xFFFF);
    EXPECT_EQ(fake.server.u16_at(0x943A), 0x869F);
    EXPECT_EQ(fake.server.u16_at(0x946C), 0xFFF6);
    EXPECT_EQ(fake.server.byte_at(0x9435), kPoison);
    EXPECT_EQ(fake.server.byte_at(0x9438), kPoison);
    EXPECT_EQ(shadows.shadow[5], 99999.0) << "the shadow keeps the double, not 16 bits";
}

TEST_F(DisplayExport, AValueIsWrittenOnlyWhenItChanges) {
    displays.value[5] = 35000.0;
    export_displays(displays, shadows, out);
    EXPECT_EQ(exchange(), (std::vector<Write>{{0x943A, 2}}));

    // Another client overwrites the offset; an unchanged display is not
    // written back.
    fake.server.set_u16(0x943A, 0x1234);
    export_displays(displays, shadows, out);
    EXPECT_EQ(exchange(), std::vector<Write>{});
    EXPECT_EQ(fake.server.u16_at(0x943A), 0x1234);

    // 5 and 65541 share their low 16 bits but are different doubles.
    displays.value[5] = 5.0;
    export_displays(displays, shadows, out);
    EXPECT_EQ(exchange(), (std::vector<Write>{{0x943A, 2}}));
    displays.value[5] = 65541.0;
    export_displays(displays, shadows, out);
    EXPECT_EQ(exchange(), (std::vector<Write>{{0x943A, 2}}));
    EXPECT_EQ(fake.server.u16_at(0x943A), 0x0005);

    // Back to 0 is a change like any other.
    displays.value[5] = 0.0;
    export_displays(displays, shadows, out);
    EXPECT_EQ(exchange(), (std::vector<Write>{{0x943A, 2}}));
    EXPECT_EQ(fake.server.u16_at(0x943A), 0x0000);
}

TEST_F(DisplayExport, AllWindowsChangedGoOutInAscendingOrder) {
    std::vector<Write> expected;
    for (int k = 0; k < kDisplayCount; ++k) {
        displays.value[k] = 1000.0 + k;
        expected.push_back({0x9430u + 2u * k, 2});
    }
    export_displays(displays, shadows, out);
    EXPECT_EQ(exchange(), expected);
    for (int k = 0; k < kDisplayCount; ++k) {
        EXPECT_EQ(fake.server.u16_at(0x9430 + 2 * k), 1000 + k) << "window " << k;
    }
    EXPECT_EQ(fake.server.byte_at(0x942F), kPoison);
    EXPECT_EQ(fake.server.byte_at(0x9472), kPoison);
}

TEST_F(DisplayExport, ARefusedWriteIsNotRetriedUntilTheValueChanges) {
    displays.value[0] = 12000.0;
    fill_request_area();
    export_displays(displays, shadows, out);
    EXPECT_EQ(link_result_code, fsuipc::kAreaFull);
    EXPECT_EQ(shadows.shadow[0], 12000.0);
    EXPECT_EQ(exchange(), (std::vector<Write>{{kFillerOffset, kFillerSize}}));

    export_displays(displays, shadows, out);
    EXPECT_EQ(exchange(), std::vector<Write>{});
    EXPECT_EQ(fake.server.u16_at(0x9430), 0xA5A5);

    displays.value[0] = 12100.0;
    export_displays(displays, shadows, out);
    EXPECT_EQ(exchange(), (std::vector<Write>{{0x9430, 2}}));
    EXPECT_EQ(fake.server.u16_at(0x9430), 12100);
}

}  // namespace
}  // namespace corvane::data_export
