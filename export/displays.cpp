// Display decoding and display export: the digit fields of the 33 cockpit
// windows become one number each, and changed numbers go to 0x9430 + 2k.
#include "common/numbers.h"
#include "export/export.h"
#include "export/tables.h"

namespace corvane::data_export {

namespace {

// A digit field above this shows no digit. Fields are compared as signed
// integers, so a negative field counts as a digit and enters with its sign.
constexpr std::int32_t kHighestDigit = 9;

// The product is a 32-bit integer as the aircraft forms it. Fields come from
// another process, so a hostile one must wrap instead of overflowing.
std::int32_t digit_product(std::int32_t digit, std::int32_t weight) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(digit) *
                                     static_cast<std::uint32_t>(weight));
}

double decode_window(const unsigned char* sdk1, const DisplayWindow& window) {
    const int last = window.digits - 1;
    double sum = 0.0;
    for (int position = 0; position < last; ++position) {
        const std::int32_t digit = load_i32(sdk1 + digit_field(window, position));
        if (digit > kHighestDigit) {
            sum = 0.0;  // a gap inside the number drops everything before it
        } else {
            sum += digit_product(digit, digit_weight(window, position));
        }
    }
    const std::int32_t final_digit = load_i32(sdk1 + digit_field(window, last));
    if (final_digit > kHighestDigit) {
        return kBlankDisplay;
    }
    return sum + digit_product(final_digit, digit_weight(window, last));
}

}  // namespace

void decode_displays(const aircraft::Snapshots& blocks, DisplayValues& displays) {
    for (int k = 0; k < kDisplayCount; ++k) {
        displays.value[k] = decode_window(blocks.sdk1, kDisplayWindows[k]);
    }
}

bool speed_in_hundredths(const unsigned char* sdk1) {
    return load_i32(sdk1 + kDisplayWindows[kSpeedWindow].first_field) > kHighestDigit;
}

void export_displays(const DisplayValues& displays, DisplayShadows& shadows, Writer& out) {
    for (int k = 0; k < kDisplayCount; ++k) {
        write_double_if_changed(out, kDisplayWindows[k].offset, displays.value[k],
                                        kUnscaled, shadows.shadow[k]);
    }
}

}  // namespace corvane::data_export
