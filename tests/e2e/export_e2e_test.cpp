// End to end: what the export stages put into the stand-in's offset space.
// The aircraft fields are set in the live mapping, a real bridge cycle
// snapshots, decodes, packs and exchanges them, and the offset block is then
// compared byte for byte against the expected image: the right values at the
// right offsets, in the right order, and nothing anywhere else. The first
// cycle of the program writes every value, so no stale offset survives it.
#include <algorithm>
#include <vector>

#include "export/tables.h"
#include "tests/e2e/bridge_rig.h"

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr std::uint32_t kBlockFirst = 0x9400;
constexpr std::uint32_t kBlockLast = 0x94FB;
constexpr std::uint32_t kCountersFirst = 0x94F0;
constexpr std::uint32_t kValueByte = 0x9428;
constexpr std::uint8_t kPoison = 0xA5;
constexpr std::size_t kCommandReads = 14;

struct Field {
    sim::Block block;
    std::uint32_t offset;
    bool is_double;
    double value;
};

constexpr sim::Block S1 = sim::Block::Sdk1;
constexpr sim::Block S2 = sim::Block::Sdk2;
constexpr int kNoDigit = 10;

// The aircraft as the first cycle finds it; every other field stays 0.
const Field kAircraft[] = {
    // flight altitude display, standard, 1 10 2 3 4 -> 234
    {S1, 0x008C, false, 1}, {S1, 0x0090, false, kNoDigit}, {S1, 0x0094, false, 2},
    {S1, 0x0098, false, 3}, {S1, 0x009C, false, 4},
    // altitude display, standard, 10 10 1 2 3 -> 123
    {S1, 0x01E0, false, kNoDigit}, {S1, 0x01E4, false, kNoDigit}, {S1, 0x01E8, false, 1},
    {S1, 0x01EC, false, 2}, {S1, 0x01F0, false, 3},
    // window at 0x9440, five nines -> 99999, written as its low 16 bits
    {S1, 0x029C, false, 9}, {S1, 0x02A0, false, 9}, {S1, 0x02A4, false, 9},
    {S1, 0x02A8, false, 9}, {S1, 0x02AC, false, 9},
    // window at 0x9448, two digits 7 10: the units position blank -> blank
    {S1, 0x04DC, false, 7}, {S1, 0x04E0, false, kNoDigit},
    // window at 0x944C, two digits 10 7 -> 7
    {S1, 0x04F0, false, kNoDigit}, {S1, 0x04F4, false, 7},
    // units-first window at 0x945A, 5 10 1 2 3 -> 32100
    {S1, 0x09A0, false, 5}, {S1, 0x09A4, false, kNoDigit}, {S1, 0x09A8, false, 1},
    {S1, 0x09AC, false, 2}, {S1, 0x09B0, false, 3},
    // units-first window at 0x945C, 3 2 1 10 10: ten-thousands blank -> blank
    {S1, 0x09BC, false, 3}, {S1, 0x09C0, false, 2}, {S1, 0x09C4, false, 1},
    {S1, 0x09C8, false, kNoDigit}, {S1, 0x09CC, false, kNoDigit},
    // 0x9402: 3 at weight 1 spills into bit 1, plus 1 at weight 2 -> 5
    {S1, 0x0018, false, 3}, {S1, 0x0024, false, 1},
    // 0x9407: two bits of room per field: 3 at weight 1, 2 at weight 4 -> 0x0B
    {S1, 0x0178, false, 3}, {S1, 0x0180, false, 2},
    // 0x9422 weight 4, and the same field is panel value 0x947C
    {S1, 0x0C7C, false, 1},
    // 0x9427 from the SDK2 block: weights 1 and 128
    {S2, 0x1A48, false, 1}, {S2, 0x1A64, false, 1},
    // panel values
    {S1, 0x0FAC, false, 258},      // 0x9472: the block's last field, low byte 0x02
    {S1, 0x0EF0, false, -1},       // 0x94EA: 0xFF (0x94EB is the data-valid field)
    {S1, 0x0F88, true, 0.0625},    // 0x9477 scaled: 62.5 truncated
    {S1, 0x0F90, true, -0.0625},   // 0x9479 scaled: -62
    {S1, 0x0008, true, -2.75},     // 0x9480: -2
    {S1, 0x05F0, true, 2.75},      // 0x949D, odd offset: 2
    {S1, 0x06E8, true, 70000.0},   // 0x94A5, odd offset: 70000 mod 65536
};

struct Write {
    std::uint32_t offset;
    std::uint32_t size;
    std::uint32_t value;
};

// The first cycle of the program writes every exported value: these are the
// ones that are not 0, every other exported offset is written 0.
constexpr Write kFirstCycleValues[] = {
    {0x9430, 2, 234},    {0x943A, 2, 123},    {0x9440, 2, 0x869F}, {0x9448, 2, 0xFFFF},
    {0x944C, 2, 7},      {0x945A, 2, 32100},  {0x945C, 2, 0xFFFF},
    {0x9402, 1, 0x05},   {0x9407, 1, 0x0B},   {0x9422, 1, 0x04},   {0x9427, 1, 0x81},
    {0x9472, 1, 0x02},   {0x9477, 2, 0x003E}, {0x9479, 2, 0xFFC2}, {0x947C, 1, 0x01},
    {0x9480, 2, 0xFFFE}, {0x949D, 2, 0x0002}, {0x94A5, 2, 0x1170}, {0x94EA, 1, 0xFF},
    {0x94EB, 1, 0x01},
};

using Block = std::vector<std::uint8_t>;

Block read_block(SimHost& sim) {
    return sim.with_server([](sim::OffsetServer& server) {
        return Block(server.space() + kBlockFirst, server.space() + kBlockLast + 1);
    });
}

void store(Block& block, std::uint32_t offset, std::uint32_t size, std::uint32_t value) {
    for (std::uint32_t i = 0; i < size; ++i) {
        block[offset - kBlockFirst + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// One check per comparison: the first differing byte names the offset.
void check_block(Checks& t, const Block& actual, const Block& expected) {
    std::uint32_t offset = kBlockFirst;
    while (offset <= kBlockLast && actual[offset - kBlockFirst] == expected[offset - kBlockFirst]) {
        ++offset;
    }
    if (offset > kBlockLast) {
        E2E_CHECK(t, actual == expected);
        return;
    }
    t.row("offset 0x%04X", offset);
    E2E_CHECK_EQ(t, actual[offset - kBlockFirst], expected[offset - kBlockFirst]);
    t.row("%s", "");
}

// Every exported value in the order the first cycle queues them: display
// export, then annunciator export, then panel values, each by ascending offset.
std::vector<Write> every_exported_value() {
    std::vector<Write> writes;
    for (std::uint32_t offset = 0x9430; offset < 0x9472; offset += 2) {
        writes.push_back({offset, 2, 0});
    }
    for (std::uint32_t offset = 0x9402; offset < 0x9428; ++offset) {
        writes.push_back({offset, 1, 0});
    }
    for (const data_export::PanelRow& row : data_export::kPanelRows) {
        writes.push_back({row.offset, row.size, 0});
    }
    for (Write& write : writes) {
        for (const Write& value : kFirstCycleValues) {
            write.value = value.offset == write.offset ? value.value : write.value;
        }
    }
    return writes;
}

void exports(Checks& t) {
    t.begin("first cycle: every value lands in its offset, zeros included, nothing else");
    BridgeRig rig;
    if (!E2E_CHECK_EQ(t, rig.open(), 0)) {
        return;
    }
    // The offset block as a client left it: poisoned, with the command
    // offsets quiet so that no command is posted.
    Block poisoned(kBlockLast - kBlockFirst + 1, kPoison);
    store(poisoned, kCommandWord, 2, kNoCommand);
    store(poisoned, kValueByte, 1, 0);
    for (std::uint32_t offset = kCountersFirst; offset <= kBlockLast; ++offset) {
        store(poisoned, offset, 1, 0);
    }
    rig.sim.with_server([&poisoned](sim::OffsetServer& server) {
        std::copy(poisoned.begin(), poisoned.end(), server.space() + kBlockFirst);
    });
    for (const Field& field : kAircraft) {
        if (field.is_double) {
            rig.poke_f64(field.offset, field.value);
        } else {
            rig.poke_i32(field.block, field.offset, static_cast<std::int32_t>(field.value));
        }
    }

    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    const std::vector<Write> writes = every_exported_value();
    Block expected = poisoned;
    for (const Write& write : writes) {
        store(expected, write.offset, write.size, write.value);
    }
    check_block(t, read_block(rig.sim), expected);

    const std::vector<sim::ServedRecord> records = rig.last_records();
    if (E2E_CHECK_EQ(t, records.size(), writes.size() + kCommandReads)) {
        for (std::size_t i = 0; i < writes.size(); ++i) {
            t.row("write %zu at 0x%04X", i + 1, writes[i].offset);
            E2E_CHECK_EQ(t, records[i].id, fsuipc::kRecordWrite);
            E2E_CHECK_EQ(t, records[i].offset, writes[i].offset);
            E2E_CHECK_EQ(t, records[i].size, writes[i].size);
        }
        t.row("%s", "");
    }

    t.begin("second cycle, nothing changed: only the command reads travel");
    const std::size_t served = sim_exchanges(rig.sim);
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    E2E_CHECK_EQ(t, sim_exchanges(rig.sim), served + 1);
    const std::vector<sim::ServedRecord> quiet = rig.last_records();
    E2E_CHECK_EQ(t, quiet.size(), kCommandReads);
    for (const sim::ServedRecord& record : quiet) {
        E2E_CHECK_EQ(t, record.id, fsuipc::kRecordRead);
    }
    check_block(t, read_block(rig.sim), expected);

    t.begin("one digit changes: one write; an offset another client changed is not written back");
    sim_set_u16(rig.sim, 0x9440, 0x1111);
    store(expected, 0x9440, 2, 0x1111);
    rig.poke_i32(S1, 0x01F0, 4);  // altitude display 123 -> 124
    store(expected, 0x943A, 2, 124);
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    const std::vector<sim::ServedRecord> one = rig.last_records();
    if (E2E_CHECK_EQ(t, one.size(), kCommandReads + 1)) {
        E2E_CHECK_EQ(t, one[0].id, fsuipc::kRecordWrite);
        E2E_CHECK_EQ(t, one[0].offset, 0x943A);
        E2E_CHECK_EQ(t, one[0].size, 2);
    }
    check_block(t, read_block(rig.sim), expected);

    t.begin("a scaled double that changes below one unit is written again");
    rig.poke_f64(0x0F88, 0.0626);  // 62.6 truncates to the same 62
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    const std::vector<sim::ServedRecord> same = rig.last_records();
    if (E2E_CHECK_EQ(t, same.size(), kCommandReads + 1)) {
        E2E_CHECK_EQ(t, same[0].offset, 0x9477);
    }
    check_block(t, read_block(rig.sim), expected);
}

}  // namespace

int main() {
    Checks t;
    exports(t);
    return t.finish();
}
