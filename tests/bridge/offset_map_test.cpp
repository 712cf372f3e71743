// The offset map: one entry per offset Corvane writes or reads, built from
// the same tables the bridge runs on.
#include <gtest/gtest.h>

#include <set>

#include "bridge/offset_map.h"

namespace corvane::bridge {
namespace {

bool untouched(std::uint32_t offset) {
    return (offset >= 0x9429 && offset <= 0x942F) ||
           (offset >= 0x947D && offset <= 0x947F);
}

TEST(OffsetMap, EveryByteOfTheBlockBelongsToExactlyOneEntryButTheUntouchedOnes) {
    const std::vector<OffsetEntry> entries = offset_entries();
    std::vector<int> owners(0x100, 0);
    std::uint32_t previous = 0;
    for (const OffsetEntry& e : entries) {
        SCOPED_TRACE(e.offset);
        EXPECT_GT(e.offset, previous);
        previous = e.offset;
        const bool input = e.kind == OffsetKind::CommandWord || e.kind == OffsetKind::ValueByte ||
                           e.kind == OffsetKind::KnobCounter || e.kind == OffsetKind::StepCounter;
        EXPECT_EQ(e.direction, input ? Direction::PanelWrites : Direction::PanelReads);
        EXPECT_EQ(e.size, e.type == ValueType::U8 ? 1u : 2u);
        EXPECT_FALSE(e.source.empty());
        for (std::uint32_t b = e.offset; b < e.offset + e.size; ++b) {
            ASSERT_GE(b, 0x9400u);
            ASSERT_LE(b, 0x94FBu);
            ++owners[b - 0x9400];
        }
    }
    for (std::uint32_t b = 0x9400; b <= 0x94FB; ++b) {
        EXPECT_EQ(owners[b - 0x9400], untouched(b) ? 0 : 1) << std::hex << b;
    }
}

TEST(OffsetMap, TextListsEachEntryOnItsOwnLine) {
    const std::string map = offset_map();
    EXPECT_NE(map.find("0x9400  2     write  S16   command word: "), std::string::npos);
    EXPECT_NE(map.find("0x9407  1     read   U8    annunciator byte: SDK1 0x0178 x1, 0x0180 x4, "
                       "0x0188 x16, 0x0190 x64; "),
              std::string::npos);
    EXPECT_NE(map.find("0x943A  2     read   U16   altitude display: SDK1 0x01E0-0x01F0, 5 digits, "
                       "units last; number shown, low 16 bits; 0xFFFF when blank\n"),
              std::string::npos);
    EXPECT_NE(map.find("0x9477  2     read   S16   SDK1 0x0F88, 8-byte double; x 1000, truncated\n"),
              std::string::npos);
    EXPECT_NE(map.find("0x94F0  1     write  U8    altitude display knob: command 1232: display "
                       "0x943A +100 per count; "),
              std::string::npos);
    EXPECT_NE(map.find("0x94FB  1     write  U8    step counter 3: command 667 per step down, 668 "
                       "per step up; "),
              std::string::npos);
}

}  // namespace
}  // namespace corvane::bridge
