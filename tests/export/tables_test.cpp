// Cross-checks of the export tables: every exported byte has exactly one
// writer, the rows agree with their own ranges, and the offset map prints
// every row.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <string>

#include "export/tables.h"

namespace corvane::data_export {
namespace {

constexpr std::uint32_t kBlockStart = 0x9400;
constexpr std::uint32_t kBlockEnd = 0x94FC;

TEST(ExportTables, EveryExportedByteHasExactlyOneWriter) {
    int writers[kBlockEnd - kBlockStart] = {};
    auto claim = [&](std::uint32_t offset, std::uint32_t size) {
        for (std::uint32_t b = offset; b < offset + size; ++b) {
            ASSERT_GE(b, kBlockStart);
            ASSERT_LT(b, kBlockEnd);
            ++writers[b - kBlockStart];
        }
    };
    for (const AnnunciatorRow& row : kAnnunciatorRows) claim(row.offset, 1);
    for (const DisplayWindow& window : kDisplayWindows) claim(window.offset, 2);
    for (const PanelRow& row : kPanelRows) claim(row.offset, row.size);

    for (std::uint32_t b = kBlockStart; b < kBlockEnd; ++b) {
        const bool exported = (b >= 0x9402 && b <= 0x9427) || (b >= 0x9430 && b <= 0x9471) ||
                              (b >= 0x9472 && b <= 0x94EF && !(b >= 0x947D && b <= 0x947F));
        EXPECT_EQ(writers[b - kBlockStart], exported ? 1 : 0) << std::hex << "offset 0x" << b;
    }
}

TEST(ExportTables, DisplayWindowsMatchTheirFieldRanges) {
    int total_fields = 0;
    std::set<int> units_first;
    for (int k = 0; k < kDisplayCount; ++k) {
        const DisplayWindow& window = kDisplayWindows[k];
        SCOPED_TRACE(::testing::Message() << "window " << k);
        EXPECT_EQ(window.offset, kDisplayOffset + 2u * k);
        EXPECT_EQ((window.last_field - window.first_field) % kFieldStride, 0u);
        EXPECT_EQ(static_cast<int>((window.last_field - window.first_field) / kFieldStride) + 1,
                  window.digits);
        EXPECT_GE(window.digits, 2);
        if (k > 0) {
            EXPECT_GT(window.first_field, kDisplayWindows[k - 1].last_field);
        }
        if (window.layout == kUnitsFirst) {
            units_first.insert(k);
            EXPECT_EQ(window.digits, 5);
        }
        total_fields += window.digits;
    }
    EXPECT_EQ(total_fields, 137);
    EXPECT_EQ(units_first, (std::set<int>{21, 22, 23, 24}));  // 0x945A..0x9460
}

TEST(ExportTables, AnnunciatorRowsAreAscendingAndOnlyTheLastReadsSdk2) {
    std::set<std::uint32_t> sdk1_fields;
    for (int i = 0; i < kAnnunciatorCount; ++i) {
        const AnnunciatorRow& row = kAnnunciatorRows[i];
        SCOPED_TRACE(::testing::Message() << std::hex << "row 0x" << row.offset);
        EXPECT_EQ(row.offset, kAnnunciatorOffset + i);
        EXPECT_EQ(row.block, i == kAnnunciatorCount - 1 ? kSdk2 : kSdk1);
        std::uint32_t previous = 0;
        int fields = 0;
        for (std::uint32_t field : row.field) {
            if (field == kNoField) continue;
            ++fields;
            EXPECT_EQ(field % kFieldStride, 0u);
            EXPECT_GT(field, previous);  // storage order within a byte
            previous = field;
            if (row.block == kSdk1) {
                // No field feeds two bytes.
                EXPECT_TRUE(sdk1_fields.insert(field).second) << std::hex << field;
            }
        }
        EXPECT_GE(fields, 1);
        if (i > 0) {
            EXPECT_GT(row.offset, kAnnunciatorRows[i - 1].offset);
        }
    }
    EXPECT_TRUE(fields_inside_blocks());
}

// Every field of every row once, masks of one byte disjoint, two bits of
// room exactly where the rows leave it, and the whole byte only for 0x941F's
// lone field (the byte is its value).
TEST(ExportTables, AnnunciatorFieldsCoverEveryFieldAndOnlyTheDocumentedOnesHaveTwoBits) {
    const std::set<std::pair<std::uint32_t, int>> documented = {
        {0x9407, 0}, {0x9407, 2}, {0x9407, 4}, {0x9407, 6}, {0x940B, 2}, {0x940B, 4},
        {0x941A, 0}, {0x941A, 2}, {0x941A, 4}, {0x941A, 6}, {0x941B, 1},
    };
    std::set<std::pair<std::uint32_t, int>> two_bits;
    std::set<std::uint32_t> whole_byte;
    std::uint32_t owned[kAnnunciatorCount] = {};
    int sources = 0;
    for (const AnnunciatorField& field : kAnnunciatorFields) {
        SCOPED_TRACE(::testing::Message() << std::hex << "0x" << field.offset << " bit " << field.shift);
        const AnnunciatorRow& row = kAnnunciatorRows[field.row];
        EXPECT_EQ(field.offset, row.offset);
        EXPECT_NE(field.source(), kNoField);
        EXPECT_EQ(owned[field.row] & field.mask(), 0u);
        EXPECT_LE(field.mask(), 0xFFu);
        owned[field.row] |= field.mask();
        if (field.bits == 2) two_bits.insert({field.offset, field.shift});
        if (field.mask() == 0xFFu) whole_byte.insert(field.offset);
    }
    for (const AnnunciatorRow& row : kAnnunciatorRows) {
        for (std::uint32_t source : row.field) sources += source != kNoField ? 1 : 0;
    }
    EXPECT_EQ(kAnnunciatorFieldCount, sources);
    EXPECT_EQ(two_bits, documented);
    EXPECT_EQ(whole_byte, (std::set<std::uint32_t>{0x941F}));
}

TEST(ExportTables, PanelLinesExpandToTheirDocumentedRanges) {
    std::uint32_t expanded = 0;
    for (const PanelLine& line : kPanelLines) {
        SCOPED_TRACE(::testing::Message() << std::hex << "line 0x" << line.first_offset);
        const std::uint32_t rows = rows_in_line(line);
        EXPECT_EQ(line.last_source, line.first_source + kFieldStride * (rows - 1));
        EXPECT_EQ(line.size, line.type == kInteger ? 1u : 2u);
        if (rows > 1) {
            EXPECT_EQ(line.type, kInteger);
        }
        expanded += rows;
    }
    EXPECT_EQ(expanded, static_cast<std::uint32_t>(kPanelRowCount));

    int integers = 0;
    std::set<std::uint32_t> odd_doubles;
    std::set<std::uint32_t> scaled;
    for (std::size_t r = 0; r < kPanelRows.size(); ++r) {
        const PanelRow& row = kPanelRows[r];
        SCOPED_TRACE(::testing::Message() << std::hex << "row 0x" << row.offset);
        if (r > 0) {
            EXPECT_GE(row.offset, kPanelRows[r - 1].offset + kPanelRows[r - 1].size);
        }
        if (row.type == kInteger) {
            ++integers;
            EXPECT_EQ(row.scale, kUnscaled);
        } else if (row.offset % 2 != 0) {
            odd_doubles.insert(row.offset);
        }
        if (row.scale != kUnscaled) scaled.insert(row.offset);
    }
    EXPECT_EQ(integers, 95);
    EXPECT_EQ(odd_doubles,
              (std::set<std::uint32_t>{0x9477, 0x9479, 0x949D, 0x949F, 0x94A1, 0x94A5}));
    EXPECT_EQ(scaled, (std::set<std::uint32_t>{0x9477, 0x9479}));
    EXPECT_EQ(kPanelRows.front().offset, 0x9472u);
    EXPECT_EQ(kPanelRows.back().offset, 0x94EFu);
}

}  // namespace
}  // namespace corvane::data_export
