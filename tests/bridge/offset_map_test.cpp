// The offset map: one entry per offset Corvane writes or reads, built from
// the same tables the bridge runs on.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "bridge/offset_map.h"
#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"
#include "tools/wiring_kit.h"

namespace corvane::bridge {
namespace {

bool untouched(std::uint32_t offset) {
    return (offset >= 0x942B && offset <= 0x942F) ||
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

TEST(OffsetMap, CsvAndMarkdownCarryEveryRowOnceAndIntact) {
    const std::vector<OffsetEntry> rows = offset_map_rows();

    const auto csv = parse_csv(offset_map_csv());
    ASSERT_EQ(csv.size(), rows.size() + 1);
    EXPECT_EQ(csv[0], (std::vector<std::string>{"offset", "size", "panel", "type", "kind", "name",
                                                "source", "encoding", "mask", "shift", "states"}));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const OffsetEntry& e = rows[i];
        SCOPED_TRACE(hex(e.offset) + " " + e.name);
        const bool field = e.kind == OffsetKind::AnnunciatorField;
        char mask[8];
        std::snprintf(mask, sizeof mask, "0x%02X", e.mask);
        EXPECT_EQ(csv[i + 1], (std::vector<std::string>{
                                  hex(e.offset), std::to_string(e.size),
                                  direction_text(e.direction), type_text(e.type),
                                  kind_text(e.kind), e.name, e.source, e.scaling,
                                  field ? mask : "", field ? std::to_string(e.shift) : "",
                                  field ? std::to_string(e.states) : ""}));
    }

    // One table row per row, starting with its offset, in order.
    std::istringstream md(offset_map_markdown());
    std::vector<std::string> row_offsets;
    for (std::string line; std::getline(md, line);) {
        if (line.rfind("| 0x", 0) == 0) {
            row_offsets.push_back(line.substr(2, 6));
        }
    }
    ASSERT_EQ(row_offsets.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(row_offsets[i], hex(rows[i].offset));
    }
}

// A lamp is wired from its CSV row alone: the source field of the row set to
// its highest state, the program's own packing gives a byte in which
// (byte & mask) >> shift reads that state and no bit outside the mask is set.
// Every field of every byte has its row.
TEST(OffsetMap, EachAnnunciatorFieldRowDecodesWhatThePackingWrites) {
    const auto csv = parse_csv(offset_map_csv());
    int fields = 0;
    for (const auto& row : csv) {
        if (row[4] != kind_text(OffsetKind::AnnunciatorField)) {
            continue;
        }
        SCOPED_TRACE(row[0] + " " + row[5]);
        ++fields;
        const std::uint32_t offset = std::stoul(row[0], nullptr, 16);
        const std::uint32_t mask = std::stoul(row[8], nullptr, 16);
        const int shift = std::stoi(row[9]);
        const int states = std::stoi(row[10]);
        char block[8] = {};
        unsigned source = 0;
        ASSERT_EQ(std::sscanf(row[6].c_str(), "%4s 0x%x", block, &source), 2);

        aircraft::Snapshots blocks;
        unsigned char* sdk = std::string(block) == "SDK2" ? blocks.sdk2 : blocks.sdk1;
        store_u32(sdk + source, static_cast<std::uint32_t>(states - 1));
        data_export::Annunciators annunciators;
        data_export::pack_annunciators(blocks, annunciators);
        const std::uint32_t byte =
            static_cast<std::uint8_t>(annunciators.packed[offset - data_export::kAnnunciatorOffset]);
        EXPECT_EQ(static_cast<int>((byte & mask) >> shift), states - 1);
        EXPECT_EQ(byte & ~mask, 0u);
    }
    EXPECT_EQ(fields, data_export::kAnnunciatorFieldCount);
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// docs/offsets.md, docs/offsets.csv and the wiring kit are committed (and
// shipped in the zip) as the tables make them; a change to a table must come
// with them.
TEST(OffsetMap, CommittedDocumentsMatchTheTables) {
    const std::string docs = std::string(CORVANE_SOURCE_DIR) + "/docs/";
    const struct {
        const char* file;
        std::string generated;
    } documents[] = {{"offsets.md", offset_map_markdown()},
                     {"offsets.csv", offset_map_csv()},
                     {"corvane.lua", lua_module()},
                     {"corvane.h", c_header()}};
    for (const auto& document : documents) {
        EXPECT_TRUE(read_file(docs + document.file) == document.generated)
            << "docs/" << document.file << " is out of date with the tables; regenerate it with\n"
            << "  cmake --build --preset native --target offset-docs\n"
            << "and commit the result";
    }
}

}  // namespace
}  // namespace corvane::bridge
