// The tables of command import as data: the four step counters and the eight
// knob counters, in counter order (0x94F8.. and 0x94F0..). The bridge walks
// them every cycle; the offset map and the tools print them.
#pragma once

#include <cstdint>

namespace corvane::bridge {

constexpr std::uint32_t kCommandWordOffset = 0x9400;
constexpr std::uint32_t kValueByteOffset = 0x9428;
constexpr std::uint32_t kKnobCounterOffset = 0x94F0;  // 8 knobs, 0x94F0..0x94F7
constexpr std::uint32_t kStepCounterOffset = 0x94F8;  // 4 step counters, 0x94F8..0x94FB
constexpr int kKnobCount = 8;
constexpr int kStepCounterCount = 4;
constexpr std::int32_t kValueByteCommand = 1267;
constexpr std::int16_t kNoCommand = -1;  // the command word reads 0xFFFF: nothing to post
// Counters are 8 bits and read as the wrapped difference since the last
// read: a counter moved further than this between two reads reads the
// other way.
constexpr int kMaxCounts = 127;

// The vertical speed window shows a magnitude; its sign lives in this SDK1
// field (exported as a panel value), where this value means negative.
constexpr std::uint32_t kSignFieldOffset = 0x01F4;
constexpr std::int32_t kNegativeSign = 12;
// In hundredths mode the speed window's number is hundredths (Mach 0.78 shows 78).
constexpr double kHundredthsDivisor = 100.0;

struct StepRow {
    std::int32_t down;  // posted once per step down
    std::int32_t up;    // posted once per step up
};

// Step counters at 0x94F8..0x94FB, in counter order.
inline constexpr StepRow kStepRows[kStepCounterCount] = {
    {627, 628},
    {621, 622},
    {673, 674},
    {667, 668},
};

enum class BlankBase : std::uint8_t {
    KeepValue,     // no step is added; the value is posted (or clamped) as it is
    CountsAsZero,  // the blank value is replaced by 0 before the step is added
};

enum class BaseAdjust : std::uint8_t {
    None,
    NegateWhenSignNegative,  // the vertical speed window shows a magnitude only
    HundredthsMode,          // the speed window shows Mach in hundredths
};

struct KnobRow {
    const char* name;  // the knob's short name: corvane-monitor --turn, the wiring kit's constants
    std::int32_t command;
    std::uint32_t display_offset;  // the display value the knob builds on
    double step;
    BlankBase blank;
    BaseAdjust adjust;
    bool ranged;
    double low;
    double high;
};

// Knob counters at 0x94F0..0x94F7, in counter order.
inline constexpr KnobRow kKnobRows[kKnobCount] = {
    // name      command  display  step   blank base               adjust                              range
    {"altitude", 1232, 0x943A, 100.0, BlankBase::KeepValue,    BaseAdjust::None,                   true,  0.0,     42000.0},
    {"course1",  1233, 0x9434, 1.0,   BlankBase::KeepValue,    BaseAdjust::None,                   false, 0.0,     0.0},
    {"course2",  1234, 0x943E, 1.0,   BlankBase::KeepValue,    BaseAdjust::None,                   false, 0.0,     0.0},
    {"speed",    1235, 0x9436, 1.0,   BlankBase::CountsAsZero, BaseAdjust::HundredthsMode,         false, 0.0,     0.0},
    {"vs",       1236, 0x943C, 100.0, BlankBase::CountsAsZero, BaseAdjust::NegateWhenSignNegative, true,  -7900.0, 6000.0},
    {"heading",  1237, 0x9438, 1.0,   BlankBase::CountsAsZero, BaseAdjust::None,                   false, 0.0,     0.0},
    {"fltalt",   1238, 0x9430, 500.0, BlankBase::CountsAsZero, BaseAdjust::None,                   true,  -1000.0, 42000.0},
    {"ldgalt",   1239, 0x9432, 50.0,  BlankBase::CountsAsZero, BaseAdjust::None,                   true,  -1000.0, 14000.0},
};

// In hundredths mode the speed knob steps by one hundredth.
constexpr double kHundredthsStep = 0.01;

}  // namespace corvane::bridge
