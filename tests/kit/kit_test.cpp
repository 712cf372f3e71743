// The wiring kit's Lua module: corvane.lua, run by a Lua 5.1 interpreter
// with a stub ipc over a block the program's own export stages filled, reads
// back what the program decoded and turns a counter the way the bridge reads
// counters. The command word's free rule and the detent limits are held
// against the bridge's own in both kits, corvane.h included here. (That the
// committed kit is current: the offset map's test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "bridge/command_tables.h"
#include "bridge/commands.h"
#include "common/format.h"
#include "common/numbers.h"
#include "export/tables.h"
#include <unistd.h>

#include "tests/export/export_fixture.h"

#include "corvane.h"  // the C kit, from docs/

namespace corvane {
namespace {

// Runs the script with lua5.1; its "key value" lines.
std::map<std::string, std::string> run_lua(const std::string& script) {
    // One file per test and process: ctest runs the kit's tests side by side.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string path = ::testing::TempDir() + "corvane_kit_" + test->name() + "_" +
                             std::to_string(getpid()) + ".lua";
    std::ofstream(path, std::ios::binary) << script;
    std::map<std::string, std::string> said;
    std::FILE* lua = popen((std::string(CORVANE_LUA) + " " + path + " 2>&1").c_str(), "r");
    if (lua == nullptr) {
        ADD_FAILURE() << "cannot run " << CORVANE_LUA;
        return said;
    }
    char line[512];
    while (std::fgets(line, sizeof line, lua) != nullptr) {
        std::istringstream words(line);
        std::string key;
        std::string value;
        words >> key >> value;
        said[key] = value;
    }
    EXPECT_EQ(pclose(lua), 0) << "lua5.1 failed; it said: " << (said.empty() ? "" : said.begin()->first);
    return said;
}

// corvane.lua over a block of its own: a stub of FSUIPC's ipc library.
constexpr char kLuaPrelude[] = R"(
local bytes = {}
for o = 0x9400, 0x94FB do bytes[o] = 0 end
ipc = {}
function ipc.readUB(o) return bytes[o] end
function ipc.readUW(o) return bytes[o] + 256 * bytes[o + 1] end
function ipc.writeUB(o, v) bytes[o] = v end
function ipc.writeUW(o, v) bytes[o] = v % 256 bytes[o + 1] = math.floor(v / 256) end
function ipc.sleep(ms) end
local corvane = dofile(")" CORVANE_SOURCE_DIR R"(/docs/corvane.lua")
)";

// Corvane takes no command from a word that is negative as S16 and leaves
// the next one to the panel: both kits call exactly those words free.
TEST(WiringKit, CommandWordIsFreeExactlyWhenCorvaneTakesNoCommandFromIt) {
    ASSERT_STRNE(CORVANE_LUA, "") << "no lua5.1: scripts/install-deps.sh test installs it";
    std::map<std::string, std::string> said = run_lua(std::string(kLuaPrelude) + R"(
local wrong, free = 0, 0
for word = 0, 65535 do
  ipc.writeUW(corvane.COMMAND_WORD, word)
  local written = corvane.command(7)
  if written then free = free + 1 end
  if written ~= (word >= 32768) then wrong = wrong + 1 end
end
print("wrong", wrong)
print("free", free)
)");
    EXPECT_EQ(said["wrong"], "0");
    EXPECT_EQ(said["free"], "32768");
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word) {
        const bool corvane_takes_none = static_cast<std::int16_t>(word) < 0;
        ASSERT_EQ(corvane_command_free(static_cast<std::uint16_t>(word)) != 0, corvane_takes_none)
            << word;
    }
}

// A counter moved by the kit reads back, through the bridge's own wrapped
// difference, as the detents asked for: Lua refuses fractions and more than
// MAX_DETENTS, C cuts the count to MAX_DETENTS and never turns the other way.
TEST(WiringKit, DetentsAreWholeAndNoMoreThanCorvaneCanTell) {
    ASSERT_STRNE(CORVANE_LUA, "") << "no lua5.1: scripts/install-deps.sh test installs it";
    std::map<std::string, std::string> said = run_lua(std::string(kLuaPrelude) + R"(
local wrong = 0
for counter = 0, 255, 15 do
  for detents = -corvane.MAX_DETENTS, corvane.MAX_DETENTS do
    local moved = corvane.add_detents(counter, detents)
    if (moved - counter - detents) % 256 ~= 0 or moved < 0 or moved > 255 then wrong = wrong + 1 end
  end
end
print("wrong", wrong)
local refused = 0
for _, detents in ipairs({128, -128, 1000, 1.5, -0.5, 0.25}) do
  if not pcall(corvane.turn, corvane.KNOB_ALTITUDE, detents) then refused = refused + 1 end
end
print("refused", refused)
print("untouched", ipc.readUB(corvane.KNOB_ALTITUDE))
print("outside", tostring(corvane.display(0x3A)) .. tostring(corvane.panel(0x94FC)))
)");
    EXPECT_EQ(said["outside"], "nilnil") << "a reader took an offset outside the block";
    EXPECT_EQ(said["wrong"], "0");
    EXPECT_EQ(said["refused"], "6");
    EXPECT_EQ(said["untouched"], "0");
    for (int counter = 0; counter <= 255; counter += 15) {
        for (int detents = -400; detents <= 400; ++detents) {
            const int told = std::clamp(detents, -bridge::kMaxCounts, bridge::kMaxCounts);
            const std::uint8_t moved =
                corvane_counter_add(static_cast<std::uint8_t>(counter), detents);
            ASSERT_EQ(bridge::wrapped_difference(moved, counter), told)
                << counter << " + " << detents;
        }
    }
}

// A panel's view of Corvane over an evening, by both kits alike: live while
// the state reads bridging and the heartbeat moved within LIVE_MS; a
// heartbeat that stands still (a killed Corvane) or a stopped bridge is not.
TEST(WiringKit, LiveWhileBridgingAndTheHeartbeatMoves) {
    ASSERT_STRNE(CORVANE_LUA, "") << "no lua5.1: scripts/install-deps.sh test installs it";
    struct Seen {
        int state, heartbeat;
        std::uint32_t now_ms;
        bool live;
    };
    const Seen timeline[] = {
        {1, 7, 1000, false}, {1, 8, 2000, true},   {1, 8, 5000, true},  {1, 8, 5001, false},
        {1, 9, 6000, true},  {2, 9, 6500, false},  {0, 9, 7000, false}, {1, 10, 0xFFFFFF00u, true},
        {1, 10, 100, true},  {1, 10, 3000, false},
    };
    std::string script = std::string(kLuaPrelude) + "local watch, said = {}, \"\"\n";
    corvane_watch watch{};
    for (const Seen& seen : timeline) {
        SCOPED_TRACE(seen.now_ms);
        EXPECT_EQ(corvane_live(&watch, static_cast<std::uint8_t>(seen.state),
                               static_cast<std::uint8_t>(seen.heartbeat), seen.now_ms) != 0,
                  seen.live);
        if (seen.now_ms < 0xFFFF0000u) {  // Lua's clock does not wrap
            script += "said = said .. (corvane.decode_live(watch, " + std::to_string(seen.state) +
                      ", " + std::to_string(seen.heartbeat) + ", " +
                      std::to_string(seen.now_ms) + ") and \"1\" or \"0\")\n";
        }
    }
    script += "print(\"live\", said)\n";
    // The first reading is only a baseline: a killed Corvane's stale state
    // and heartbeat never read as live. Without the wrapped row, the last
    // reading is 2900 ms after the heartbeat moved.
    EXPECT_EQ(run_lua(script)["live"], "011010011");
}

class WiringKitLua : public data_export::ExportTest {};

TEST_F(WiringKitLua, ReadsWhatTheBridgeExportedAndTurnsCountersAsTheBridgeReadsThem) {
    ASSERT_STRNE(CORVANE_LUA, "") << "no lua5.1: scripts/install-deps.sh test installs it";
    using data_export::kDisplayWindows;
    // The altitude window blank, the vertical speed 1200 down, the field of
    // 0x9407 bits 2-3 at 2, 1.2345 in a x1000 row.
    const data_export::DisplayWindow& altitude = kDisplayWindows[5];
    const data_export::DisplayWindow& vs = kDisplayWindows[6];
    for (int d = 0; d < altitude.digits; ++d) {
        store_u32(blocks.sdk1 + data_export::digit_field(altitude, d), 10);
    }
    const std::uint32_t vs_digits[] = {1, 2, 0, 0};
    for (int d = 0; d < vs.digits; ++d) {
        store_u32(blocks.sdk1 + data_export::digit_field(vs, d), vs_digits[d]);
    }
    store_u32(blocks.sdk1 + bridge::kSignFieldOffset, static_cast<std::uint32_t>(bridge::kNegativeSign));
    store_u32(blocks.sdk1 + data_export::kAnnunciatorRows[5].field[2], 2);
    const data_export::PanelRow& scaled = data_export::kPanelRows[5];
    ASSERT_EQ(scaled.offset, 0x9477u);  // PANEL_9477, the first x1000 row
    const double raw = 1.2345;
    std::memcpy(blocks.sdk1 + scaled.source, &raw, sizeof raw);

    data_export::DisplayValues displays;
    data_export::Annunciators annunciators;
    data_export::PanelShadows panel_shadows;
    data_export::DisplayShadows display_shadows;
    data_export::decode_displays(blocks, displays);
    data_export::pack_annunciators(blocks, annunciators);
    data_export::export_displays(displays, display_shadows, out);
    data_export::export_annunciators(annunciators, out);
    data_export::export_panel_values(blocks, panel_shadows, out);
    exchange();
    fake.server.set_u16(bridge::kCommandWordOffset, 627);  // busy: not taken yet
    fake.server.set_u8(bridge::kStepCounterOffset, 250);

    std::string script = "local bytes = {\n";
    for (std::uint32_t offset = 0x9400; offset <= 0x94FB; ++offset) {
        script += format("  [0x%04X] = %u,\n", offset, fake.server.byte_at(offset));
    }
    script += "}\n" R"(
ipc = {}
function ipc.readUB(o) return bytes[o] end
function ipc.readUW(o) return bytes[o] + 256 * bytes[o + 1] end
function ipc.readSW(o) local v = ipc.readUW(o) if v >= 32768 then v = v - 65536 end return v end
function ipc.writeUB(o, v) bytes[o] = v end
function ipc.writeUW(o, v) bytes[o] = v % 256 bytes[o + 1] = math.floor(v / 256) end
function ipc.sleep(ms) end
local corvane = dofile(")" CORVANE_SOURCE_DIR R"(/docs/corvane.lua")
print("altitude", tostring(corvane.display(corvane.ALTITUDE_DISPLAY)))
print("vs", corvane.vertical_speed())
print("field", corvane.field(corvane.ANNUNCIATOR_9407_BITS2_3))
print("x1000", string.format("%.17g", corvane.panel(corvane.PANEL_9477)))
corvane.turn(corvane.STEP_COUNTER_0, 9)
print("turned", ipc.readUB(corvane.STEP_COUNTER_0))
corvane.turn(corvane.STEP_COUNTER_0, -9)
print("back", ipc.readUB(corvane.STEP_COUNTER_0))
print("busy", tostring(corvane.command(1, 50)))
ipc.writeUW(corvane.COMMAND_WORD, corvane.NO_COMMAND)
print("sent", tostring(corvane.command(0x274)), ipc.readSW(corvane.COMMAND_WORD))
local fields = 0
for _, f in pairs(corvane) do
  if type(f) == "table" and corvane.state(f, f.mask) == f.states - 1 and corvane.state(f, 255 - f.mask) == 0 then
    fields = fields + 1
  end
end
print("fields", fields)
)";
    std::map<std::string, std::string> said = run_lua(script);

    ASSERT_EQ(displays.value[5], data_export::kBlankDisplay);
    EXPECT_EQ(said["altitude"], "nil");
    EXPECT_EQ(said["vs"], std::to_string(-static_cast<int>(data_export::display_at(displays, vs.offset))));
    EXPECT_EQ(said["field"], "2");
    EXPECT_EQ(std::stod(said["x1000"]), to_int32_trunc(raw * scaled.scale) / scaled.scale);
    EXPECT_EQ(bridge::wrapped_difference(std::stoi(said["turned"]), 250), 9);
    EXPECT_EQ(bridge::wrapped_difference(std::stoi(said["back"]), std::stoi(said["turned"])), -9);
    EXPECT_EQ(said["busy"], "false");
    EXPECT_EQ(said["sent"], "true");
    EXPECT_EQ(said["fields"], std::to_string(data_export::kAnnunciatorFieldCount));
}

}  // namespace
}  // namespace corvane
