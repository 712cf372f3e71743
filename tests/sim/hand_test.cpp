// corvane-sim --hand: whatever is set by name comes out of a real bridge
// cycle as exactly that value, and every line gets the answer a user reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/offset_map.h"
#include "common/format.h"
#include "export/tables.h"
#include "sim/hand.h"
#include "tests/support/bridge_fixture.h"

namespace corvane::sim {
namespace {

using bridge::OffsetEntry;
using bridge::OffsetKind;

constexpr std::uint32_t kVerticalSpeedDisplay = 0x943C;
constexpr std::uint32_t kSpeedDisplay = 0x9436;

// A value for each settable row, as its set takes it and its show prints it,
// and what the block must then carry (its low 8 or 16 bits).
struct Case {
    const OffsetEntry* entry;
    std::string text;
    std::uint32_t block;
};

Case case_for(const OffsetEntry& e) {
    const int i = e.index;
    switch (e.kind) {
        case OffsetKind::Display: {
            if (e.offset == kVerticalSpeedDisplay) return {&e, "-1234", 1234};
            if (e.offset == kSpeedDisplay) return {&e, ".07", 7};
            const std::uint32_t n = i % 3 == 0 ? 9 : 60000u + static_cast<std::uint32_t>(i);
            const int digits = data_export::kDisplayWindows[i].digits;
            const std::uint32_t fit = digits < 5 ? n % data_export::kPowersOfTen[digits - 1] : n;
            return i % 5 == 4 ? Case{&e, "blank", 0xFFFF} : Case{&e, format("%u", fit), fit};
        }
        case OffsetKind::Annunciator: {
            std::uint32_t all = 0;  // every field at its highest state
            for (const data_export::AnnunciatorField& f : data_export::kAnnunciatorFields) {
                all |= f.offset == e.offset ? f.mask() : 0;
            }
            return {&e, format("%u", all), all};
        }
        case OffsetKind::AnnunciatorField:
            return {&e, e.states == 2 ? "on" : format("%d", e.states - 1),
                    static_cast<std::uint32_t>(e.states - 1)};
        case OffsetKind::Panel: {
            // Data valid stays valid, and a field that also lights a lamp stays on.
            const std::uint32_t source = data_export::kPanelRows[static_cast<std::size_t>(i)].source;
            bool lamp = e.symbol == "AIRCRAFT_DATA_VALID";
            for (const data_export::AnnunciatorField& f : data_export::kAnnunciatorFields) {
                lamp = lamp || (f.block() == data_export::kSdk1 && f.source() == source);
            }
            if (lamp) return {&e, "1", 1};
            if (e.type == bridge::ValueType::U8) {
                const std::uint32_t n = static_cast<std::uint32_t>(i * 37 + 5) & 0xFF;
                return {&e, format("%u", n), n};
            }
            const int n = (i % 2 == 0 ? 1 : -1) * (i * 301 + 7);
            return {&e, format("%d", n), static_cast<std::uint16_t>(n)};
        }
        default:
            return {&e, "", 0};
    }
}

class HandTest : public testing::BridgeTest {
protected:
    std::string answer(const std::string& line) { return hand.line(*aircraft, line).text; }
    Hand hand;
};

TEST_F(HandTest, EverySettableNameIsExportedAsSetAndShownAsSet) {
    std::vector<Case> cases;
    std::vector<OffsetEntry> rows = bridge::offset_map_rows();
    for (const OffsetEntry& e : rows) {
        const Case c = case_for(e);
        if (c.text.empty()) {
            EXPECT_EQ(answer("set " + e.symbol + " 1").rfind("error " + e.symbol + " is written by", 0), 0u);
            continue;
        }
        // Lower case and the offset form name the same thing.
        const std::string by_offset =
            e.kind == OffsetKind::AnnunciatorField ? format("0x%04x:%d", e.offset, e.shift)
                                                   : format("0x%04X", e.offset);
        EXPECT_EQ(answer("set " + by_offset + " " + c.text), "ok " + e.symbol + " " + c.text);
        EXPECT_EQ(answer("show " + e.symbol), "ok " + e.symbol + " " + c.text);
        cases.push_back(c);
    }
    ASSERT_GT(cases.size(), 380u);
    ASSERT_EQ(cycle(), 0);
    for (const Case& c : cases) {
        const std::uint32_t at = c.entry->offset;
        const std::uint32_t got =
            c.entry->kind == OffsetKind::AnnunciatorField ? (fake.server.byte_at(at) & c.entry->mask) >> c.entry->shift
            : c.entry->size == 2                         ? fake.server.u16_at(at)
                                                          : fake.server.byte_at(at);
        EXPECT_EQ(got, c.block) << c.entry->symbol << " set to " << c.text;
    }
}

TEST_F(HandTest, AnswersSayWhatWentWrongAndWhatIsNear) {
    const struct {
        const char* line;
        const char* answer;
    } lines[] = {
        {"SET altitude_display 65535",
         "error ALTITUDE_DISPLAY takes 0 to 65534 or blank, not \"65535\""},
        {"set 0x9436 1.5",
         "error SPEED_DISPLAY takes 0 to 999, .00 to .99 (hundredths) or blank, not \"1.5\""},
        {"set VERTICAL_SPEED_DISPLAY -10000",
         "error VERTICAL_SPEED_DISPLAY takes -9999 to 9999 or blank, not \"-10000\""},
        {"set 0x9407:2 4", "error ANNUNCIATOR_9407_BITS2_3 takes 0 to 3, not \"4\""},
        {"set 0x9404 16",
         "error ANNUNCIATOR_9404 takes 0 to 255 with only the bits of its fields (0x0F), not \"16\""},
        {"set 0x941f:0 200", "ok ANNUNCIATOR_941F_BITS0_7 200"},
        {"set SPEED_DISPLAY 0.5", "ok SPEED_DISPLAY .50"},
        {"show ALTITUDE_DISPALY",
         "error unknown name \"ALTITUDE_DISPALY\"; did you mean ALTITUDE_DISPLAY?"},
        {"show ALTITUD",
         "error unknown name \"ALTITUD\"; did you mean FLIGHT_ALTITUDE_DISPLAY, "
         "LANDING_ALTITUDE_DISPLAY, ALTITUDE_DISPLAY, KNOB_ALTITUDE?"},
        {"show 0x9402:9", "error unknown name \"0x9402:9\"; did you mean ANNUNCIATOR_9402, "
                          "ANNUNCIATOR_9402_BIT0, ANNUNCIATOR_9402_BIT1, ANNUNCIATOR_9402_BIT2, "
                          "ANNUNCIATOR_9402_BIT3?"},
        {"show QQQQQQQQ", "error unknown name \"QQQQQQQQ\"; list shows the names"},
        // Beyond 32 bits, or outside the block: no offset of it.
        {"set 0x100009402 1", "error unknown name \"0x100009402\"; list shows the names"},
        {"show 0x9500", "error unknown name \"0x9500\"; list shows the names"},
        {"quit now", "error quit takes nothing after it: quit"},
        {"set KNOB_SPEED 1", "error KNOB_SPEED is written by a panel, not shown by the aircraft"},
        {"show state", "error STATE is written by Corvane, not shown by the aircraft"},
        {"set ALTITUDE_DISPLAY", "error set takes a name and a value: set NAME VALUE"},
        {"list course_display", "ok 2 names: COURSE_DISPLAY_1 COURSE_DISPLAY_2"},
        {"list nothing-like-it", "ok 0 names"},
        {"jump 3", "error unknown command \"JUMP\"; the commands are set, show, list, wait and quit"},
        {"wait soon", "error wait takes seconds from 0 to 3600, not \"soon\""},
    };
    for (const auto& l : lines) {
        EXPECT_EQ(answer(l.line), l.answer) << l.line;
    }
    EXPECT_EQ(hand.line(*aircraft, "  # a comment").then, HandAnswer::Then::Nothing);
    const HandAnswer wait = hand.line(*aircraft, "wait 0.25");
    EXPECT_EQ(wait.then, HandAnswer::Then::WaitThenPrint);
    EXPECT_EQ(wait.wait_seconds, 0.25);
    EXPECT_EQ(hand.line(*aircraft, "quit").then, HandAnswer::Then::PrintThenQuit);
}

}  // namespace
}  // namespace corvane::sim
