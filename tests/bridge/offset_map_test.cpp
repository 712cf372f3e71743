// The offset map: one entry per offset Corvane writes or reads, built from
// the same tables the bridge runs on.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

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

// Splits CSV text into rows of fields, undoing RFC 4180 quoting.
std::vector<std::vector<std::string>> parse_csv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                rows.back().back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                rows.back().back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\n') {
            rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].empty()) {
        rows.pop_back();
    }
    return rows;
}

std::string hex(std::uint32_t offset) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", offset);
    return text;
}

TEST(OffsetMap, CsvAndMarkdownCarryEveryEntryOnceAndIntact) {
    const std::vector<OffsetEntry> entries = offset_entries();

    const auto rows = parse_csv(offset_map_csv());
    ASSERT_EQ(rows.size(), entries.size() + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"offset", "size", "panel", "type", "kind", "name",
                                                 "source", "encoding"}));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const OffsetEntry& e = entries[i];
        SCOPED_TRACE(hex(e.offset));
        EXPECT_EQ(rows[i + 1], (std::vector<std::string>{
                                   hex(e.offset), std::to_string(e.size),
                                   direction_text(e.direction), type_text(e.type),
                                   kind_text(e.kind), e.name, e.source, e.scaling}));
    }

    // One table row per entry, starting with its offset, in order.
    std::istringstream md(offset_map_markdown());
    std::vector<std::string> row_offsets;
    for (std::string line; std::getline(md, line);) {
        if (line.rfind("| 0x", 0) == 0) {
            row_offsets.push_back(line.substr(2, 6));
        }
    }
    ASSERT_EQ(row_offsets.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(row_offsets[i], hex(entries[i].offset));
    }
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// docs/offsets.md and docs/offsets.csv are committed (and shipped in the
// zip) as the tables make them; a change to a table must come with them.
TEST(OffsetMap, CommittedDocumentsMatchTheTables) {
    const std::string docs = std::string(CORVANE_SOURCE_DIR) + "/docs/";
    const struct {
        const char* file;
        std::string generated;
    } documents[] = {{"offsets.md", offset_map_markdown()}, {"offsets.csv", offset_map_csv()}};
    for (const auto& document : documents) {
        EXPECT_TRUE(read_file(docs + document.file) == document.generated)
            << "docs/" << document.file << " is out of date with the tables; regenerate it with\n"
            << "  cmake --build --preset native --target offset-docs\n"
            << "and commit the result";
    }
}

}  // namespace
}  // namespace corvane::bridge
