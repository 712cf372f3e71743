// The stand-in aircraft: bounds-checked field access, windows written as the
// aircraft shows them (read back through the real decoder), and the knob
// commands.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "aircraft/link.h"
#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"
#include "sim/aircraft_model.h"

namespace corvane::sim {
namespace {

using data_export::kDisplayWindows;

constexpr unsigned char kPoison = 0xA5;
constexpr std::size_t kSpeedFirstField = 0x01C0;
constexpr std::size_t kVerticalSpeedSign = 0x01F4;

// Blocks exactly as large as the published views, so that ASan sees any
// write past their end.
class AircraftModelTest : public ::testing::Test {
protected:
    std::vector<unsigned char> sdk1 = std::vector<unsigned char>(aircraft::kSdk1ViewSize, 0);
    std::vector<unsigned char> sdk2 = std::vector<unsigned char>(aircraft::kSdk2ViewSize, 0);
    AircraftModel model{sdk1.data(), sdk2.data()};

    data_export::DisplayValues decode() {
        aircraft::Snapshots blocks;
        std::memcpy(blocks.sdk1, sdk1.data(), aircraft::kSdk1BlockSize);
        data_export::DisplayValues displays;
        data_export::decode_displays(blocks, displays);
        return displays;
    }

    std::vector<std::int32_t> fields(int k) {
        std::vector<std::int32_t> out;
        for (int p = 0; p < kDisplayWindows[k].digits; ++p) {
            out.push_back(model.peek_i32(Block::Sdk1, data_export::digit_field(kDisplayWindows[k], p)));
        }
        return out;
    }
};

TEST_F(AircraftModelTest, FieldAccessStaysInsideThePublishedBlocks) {
    std::memset(sdk1.data(), kPoison, sdk1.size());
    std::memset(sdk2.data(), kPoison, sdk2.size());
    const std::vector<unsigned char> before1 = sdk1;
    const std::vector<unsigned char> before2 = sdk2;

    // Refused: anything reaching past byte 4016 / 6772, also by wrap-around.
    model.poke_i32(Block::Sdk1, aircraft::kSdk1ViewSize - 3, 1);
    model.poke_f64(Block::Sdk1, aircraft::kSdk1ViewSize - 7, 1.0);
    model.poke_i32(Block::Sdk2, aircraft::kSdk2ViewSize - 3, 1);
    model.poke_f64(Block::Sdk2, static_cast<std::size_t>(-1), 1.0);
    model.poke_i32(Block::Sdk1, static_cast<std::size_t>(-2), 1);
    EXPECT_EQ(sdk1, before1);
    EXPECT_EQ(sdk2, before2);
    EXPECT_EQ(model.peek_i32(Block::Sdk1, aircraft::kSdk1ViewSize - 3), 0);
    EXPECT_EQ(model.peek_f64(Block::Sdk2, aircraft::kSdk2ViewSize), 0.0);

    // Accepted: the last whole field of each block, little-endian.
    model.poke_i32(Block::Sdk1, aircraft::kSdk1ViewSize - 4, -2);
    model.poke_f64(Block::Sdk2, aircraft::kSdk2ViewSize - 8, -2.75);
    EXPECT_EQ(model.peek_i32(Block::Sdk1, aircraft::kSdk1ViewSize - 4), -2);
    EXPECT_EQ(sdk1[aircraft::kSdk1ViewSize - 4], 0xFE);
    EXPECT_EQ(sdk1[aircraft::kSdk1ViewSize - 5], kPoison);
    EXPECT_EQ(model.peek_f64(Block::Sdk2, aircraft::kSdk2ViewSize - 8), -2.75);
    EXPECT_EQ(load_f64(sdk2.data() + aircraft::kSdk2ViewSize - 8), -2.75);

    model.set_data_valid(1);
    EXPECT_EQ(load_i32(sdk1.data() + 0x0EEC), 1);
    EXPECT_EQ(model.peek_i32(Block::Sdk2, 0x0EEC), static_cast<std::int32_t>(0xA5A5A5A5));
}

struct WindowCase {
    int k;
    std::int32_t value;
    std::vector<std::int32_t> fields;  // storage order
    double decoded;
};

const WindowCase kWindowCases[] = {
    {5, 35000, {3, 5, 0, 0, 0}, 35000.0},
    {0, 42, {10, 10, 10, 4, 2}, 42.0},
    {0, 0, {10, 10, 10, 10, 0}, 0.0},
    {0, 100, {10, 10, 1, 0, 0}, 100.0},
    {2, 7, {10, 10, 7}, 7.0},
    {12, 99, {9, 9}, 99.0},
    {6, 1500, {1, 5, 0, 0}, 1500.0},
    {0, 123456, {2, 3, 4, 5, 6}, 23456.0},  // too large: low digits kept
    {2, 1000, {0, 0, 0}, 0.0},
    {21, 32100, {0, 0, 1, 2, 3}, 32100.0},  // units-first: units in the first field
    {22, 42, {2, 4, 0, 0, 0}, 42.0},         // zero-filled, not blank, at the top
    {23, 0, {0, 0, 0, 0, 0}, 0.0},
    {1, -5, {10, 10, 10, 10, 10}, data_export::kBlankDisplay},
    {3, 65535, {10, 10, 10}, data_export::kBlankDisplay},
};

TEST_F(AircraftModelTest, SetWindowWritesDigitFieldsThatDecodeBack) {
    for (const WindowCase& c : kWindowCases) {
        SCOPED_TRACE(::testing::Message() << "window " << c.k << " value " << c.value);
        std::memset(sdk1.data(), 0, sdk1.size());
        model.set_window(c.k, c.value);
        EXPECT_EQ(fields(c.k), c.fields);
        const data_export::DisplayValues displays = decode();
        for (int k = 0; k < data_export::kDisplayCount; ++k) {
            EXPECT_EQ(displays.value[k], k == c.k ? c.decoded : 0.0) << "window " << k;
        }
    }
}

TEST_F(AircraftModelTest, EveryWindowRoundTripsThroughTheDecoder) {
    for (int k = 0; k < data_export::kDisplayCount; ++k) {
        const int digits = kDisplayWindows[k].digits;
        std::int32_t largest = 1;
        for (int d = 0; d < digits; ++d) largest *= 10;
        largest -= 1;
        for (std::int32_t value : {0, 1, 9, 10, 60, largest / 7, largest}) {
            SCOPED_TRACE(::testing::Message() << "window " << k << " value " << value);
            model.set_window(k, value);
            EXPECT_EQ(decode().value[k], static_cast<double>(value));
        }
        model.blank_window(k);
        EXPECT_EQ(decode().value[k], data_export::kBlankDisplay) << "window " << k;
    }
    model.set_window(-1, 5);  // out of range: ignored
    model.set_window(data_export::kDisplayCount, 5);
    model.blank_window(data_export::kDisplayCount);
}

struct KnobCase {
    const char* what;
    std::uint32_t command;
    std::int32_t value;
    int k;
    double decoded;
};

const KnobCase kKnobCases[] = {
    {"altitude", 1232, 35000, 5, 35000.0},
    {"altitude, negative shows its magnitude", 1232, -200, 5, 200.0},
    {"course 1", 1233, 270, 2, 270.0},
    {"course 2", 1234, 5, 7, 5.0},
    {"speed", 1235, 250, 3, 250.0},
    {"vertical speed", 1236, 1500, 6, 1500.0},
    {"heading", 1237, 360, 4, 360.0},
    {"flight altitude", 1238, 41000, 0, 41000.0},
    {"landing altitude", 1239, -1000, 1, 1000.0},
    {"altitude of INT32_MIN keeps its low digits", 1232, INT32_MIN, 5, 83648.0},
};

TEST_F(AircraftModelTest, KnobCommandsSetTheirWindow) {
    for (const KnobCase& c : kKnobCases) {
        SCOPED_TRACE(c.what);
        std::memset(sdk1.data(), 0, sdk1.size());
        model.on_command(c.command, c.value);
        const data_export::DisplayValues displays = decode();
        for (int k = 0; k < data_export::kDisplayCount; ++k) {
            EXPECT_EQ(displays.value[k], k == c.k ? c.decoded : 0.0) << "window " << k;
        }
    }
}

TEST_F(AircraftModelTest, VerticalSpeedKeepsItsSignApart) {
    model.on_command(1236, -1500);
    EXPECT_EQ(decode().value[6], 1500.0);
    EXPECT_EQ(model.peek_i32(Block::Sdk1, kVerticalSpeedSign), 12);
    model.on_command(1236, 800);
    EXPECT_EQ(decode().value[6], 800.0);
    EXPECT_NE(model.peek_i32(Block::Sdk1, kVerticalSpeedSign), 12);
}

TEST_F(AircraftModelTest, SpeedInHundredthsModeShowsTwoDigitsBehindABlank) {
    model.poke_i32(Block::Sdk1, kSpeedFirstField, 10);
    model.on_command(1235, 78);
    EXPECT_EQ(fields(3), (std::vector<std::int32_t>{10, 7, 8}));
    EXPECT_EQ(decode().value[3], 78.0);
    model.on_command(1235, 5);
    EXPECT_EQ(fields(3), (std::vector<std::int32_t>{10, 0, 5}));
    EXPECT_EQ(decode().value[3], 5.0);

    // Out of hundredths mode the whole window takes the value. (A speed
    // below 100 shows a blank first field and so reads as hundredths next
    // time; the aircraft's speeds start at 100.)
    model.set_window(3, 250);
    model.on_command(1235, 180);
    EXPECT_EQ(fields(3), (std::vector<std::int32_t>{1, 8, 0}));
    model.on_command(1235, 399);
    EXPECT_EQ(decode().value[3], 399.0);
}

TEST_F(AircraftModelTest, CommandsAreRecordedInOrderAndOthersChangeNothing) {
    std::memset(sdk1.data(), kPoison, sdk1.size());
    std::memset(sdk2.data(), kPoison, sdk2.size());
    const std::vector<unsigned char> before1 = sdk1;
    const std::vector<unsigned char> before2 = sdk2;
    const std::vector<PostedCommand> sent = {
        {69632, 0}, {1231, 5}, {1240, 7}, {0, -1}, {0xFFFFFFFF, INT32_MIN}};
    for (const PostedCommand& c : sent) model.on_command(c.command, c.value);
    EXPECT_EQ(model.commands(), sent);
    EXPECT_EQ(sdk1, before1);
    EXPECT_EQ(sdk2, before2);

    model.on_command(1237, 90);
    ASSERT_EQ(model.commands().size(), sent.size() + 1);
    EXPECT_EQ(model.commands().back(), (PostedCommand{1237, 90}));
    model.clear_commands();
    EXPECT_TRUE(model.commands().empty());
}

}  // namespace
}  // namespace corvane::sim
