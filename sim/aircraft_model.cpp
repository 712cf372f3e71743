// The stand-in aircraft: field access to the two published blocks, windows
// written as digit fields the way the aircraft shows them, and the reaction
// to the knob commands.
#include "sim/aircraft_model.h"

#include "aircraft/link.h"
#include "bridge/command_tables.h"
#include "common/numbers.h"
#include "export/tables.h"

namespace corvane::sim {

namespace {

using data_export::DisplayWindow;
using data_export::kDisplayWindows;
using data_export::kSpeedWindow;
using data_export::kVerticalSpeedWindow;

constexpr std::size_t kCommandLogReserve = 4096;
constexpr std::int32_t kNoDigit = 10;
constexpr std::int32_t kSignPositive = 0;  // the vertical speed's sign field shows no minus
constexpr std::uint32_t kDecimalBase = 10;
constexpr std::int32_t kBlankNumber = 65535;

// The knob commands and the windows they set.
enum : std::uint32_t {
    kSetAltitude = 1232,
    kSetCourse1 = 1233,
    kSetCourse2 = 1234,
    kSetSpeed = 1235,
    kSetVerticalSpeed = 1236,
    kSetHeading = 1237,
    kSetFlightAltitude = 1238,
    kSetLandingAltitude = 1239,
};

constexpr int kFlightAltitudeWindow = 0;
constexpr int kLandingAltitudeWindow = 1;
constexpr int kCourse1Window = 2;
constexpr int kHeadingWindow = 4;
constexpr int kAltitudeWindow = 5;
constexpr int kCourse2Window = 7;

// In hundredths mode (Mach) the speed window's first field shows no digit and
// the value takes the two remaining positions.
constexpr std::uint32_t kHundredthsModulus = 100;

constexpr std::size_t kIntegerSize = 4;
constexpr std::size_t kDoubleSize = 8;

std::size_t published_size(Block which) {
    return which == Block::Sdk1 ? aircraft::kSdk1ViewSize : aircraft::kSdk2ViewSize;
}

// Written so that no offset, however large, can wrap past the check.
bool fits(Block which, std::size_t offset, std::size_t width) {
    return offset <= published_size(which) && width <= published_size(which) - offset;
}

std::uint32_t magnitude(std::int32_t value) {
    // Unsigned negation keeps INT32_MIN defined.
    return value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
}

}  // namespace

AircraftModel::AircraftModel(unsigned char* sdk1, unsigned char* sdk2) : sdk1_(sdk1), sdk2_(sdk2) {
    // Commands arrive while a cycle runs: record them without allocating.
    commands_.reserve(kCommandLogReserve);
}

unsigned char* AircraftModel::block(Block which) const { return which == Block::Sdk1 ? sdk1_ : sdk2_; }

void AircraftModel::poke_i32(Block which, std::size_t offset, std::int32_t value) {
    if (fits(which, offset, kIntegerSize)) {
        store_i32(block(which) + offset, value);
    }
}

void AircraftModel::poke_f64(Block which, std::size_t offset, double value) {
    if (fits(which, offset, kDoubleSize)) {
        store_f64(block(which) + offset, value);
    }
}

std::int32_t AircraftModel::peek_i32(Block which, std::size_t offset) const {
    return fits(which, offset, kIntegerSize) ? load_i32(block(which) + offset) : 0;
}

double AircraftModel::peek_f64(Block which, std::size_t offset) const {
    return fits(which, offset, kDoubleSize) ? load_f64(block(which) + offset) : 0.0;
}

void AircraftModel::set_data_valid(std::int32_t value) {
    poke_i32(Block::Sdk1, aircraft::kDataValidOffset, value);
}

void AircraftModel::show_digits(int k, std::uint32_t number, bool blank_leading_zeros) {
    if (k < 0 || k >= data_export::kDisplayCount) {
        return;
    }
    const DisplayWindow& window = kDisplayWindows[k];
    // Walk from the units position upwards; positions above the number's
    // highest digit stay blank on a standard window. A units-first window
    // blanks itself when its highest position shows no digit, so it is
    // zero-filled instead.
    for (int place = 0; place < window.digits; ++place) {
        const int position = window.layout == data_export::kStandard ? window.digits - 1 - place
                                                                      : place;
        std::int32_t digit = static_cast<std::int32_t>(number % kDecimalBase);
        if (number == 0 && place > 0 && blank_leading_zeros &&
            window.layout == data_export::kStandard) {
            digit = kNoDigit;
        }
        number /= kDecimalBase;
        poke_i32(Block::Sdk1, data_export::digit_field(window, position), digit);
    }
}

void AircraftModel::set_window(int k, std::int32_t value) {
    if (value < 0 || value == kBlankNumber) {
        blank_window(k);
        return;
    }
    show_digits(k, static_cast<std::uint32_t>(value), true);
}

void AircraftModel::blank_window(int k) {
    if (k < 0 || k >= data_export::kDisplayCount) {
        return;
    }
    const DisplayWindow& window = kDisplayWindows[k];
    for (int position = 0; position < window.digits; ++position) {
        poke_i32(Block::Sdk1, data_export::digit_field(window, position), kNoDigit);
    }
}

void AircraftModel::set_speed(std::int32_t value) {
    if (!data_export::speed_in_hundredths(sdk1_)) {
        set_window(kSpeedWindow, value);
        return;
    }
    show_speed_hundredths(magnitude(value) % kHundredthsModulus);
}

void AircraftModel::show_speed_hundredths(std::uint32_t hundredths) {
    show_digits(kSpeedWindow, hundredths % kHundredthsModulus, false);
    poke_i32(Block::Sdk1, kDisplayWindows[kSpeedWindow].first_field, kNoDigit);
}

void AircraftModel::set_vertical_speed_sign(std::int32_t value) {
    poke_i32(Block::Sdk1, bridge::kSignFieldOffset,
             value < 0 ? bridge::kNegativeSign : kSignPositive);
}

void AircraftModel::on_command(std::uint32_t command, std::int32_t value) {
    commands_.push_back(PostedCommand{command, value});
    // The altitude windows have no sign position: a negative altitude shows
    // its magnitude. The vertical speed shows its magnitude and keeps the sign
    // in its own field.
    switch (command) {
    case kSetAltitude:
        show_digits(kAltitudeWindow, magnitude(value), true);
        break;
    case kSetFlightAltitude:
        show_digits(kFlightAltitudeWindow, magnitude(value), true);
        break;
    case kSetLandingAltitude:
        show_digits(kLandingAltitudeWindow, magnitude(value), true);
        break;
    case kSetCourse1:
        set_window(kCourse1Window, value);
        break;
    case kSetCourse2:
        set_window(kCourse2Window, value);
        break;
    case kSetHeading:
        set_window(kHeadingWindow, value);
        break;
    case kSetSpeed:
        set_speed(value);
        break;
    case kSetVerticalSpeed:
        show_digits(kVerticalSpeedWindow, magnitude(value), true);
        set_vertical_speed_sign(value);
        break;
    default:
        break;
    }
}

}  // namespace corvane::sim
