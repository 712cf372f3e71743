// The stand-in aircraft: the two SDK blocks as the add-on would publish them,
// helpers to set fields and whole windows, and the reaction to posted commands
// (the knob commands set the value shown in their window).
//
// The model works on memory it is handed (the views of the two named mappings
// it published), so the same code serves the Win32 stand-in program, the
// end-to-end tests and the fake of the unit tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane::sim {

enum class Block { Sdk1, Sdk2 };

struct PostedCommand {
    std::uint32_t command;  // wParam
    std::int32_t value;     // lParam
    bool operator==(const PostedCommand& other) const {
        return command == other.command && value == other.value;
    }
};

class AircraftModel {
public:
    // sdk1 and sdk2 point at the published blocks (at least 4017 and 6773 bytes).
    AircraftModel(unsigned char* sdk1, unsigned char* sdk2);

    void poke_i32(Block block, std::size_t offset, std::int32_t value);
    void poke_f64(Block block, std::size_t offset, double value);
    std::int32_t peek_i32(Block block, std::size_t offset) const;
    double peek_f64(Block block, std::size_t offset) const;

    void set_data_valid(std::int32_t value);  // SDK1 0x0EEC

    // Show a number in window k (0..32, the exported display order): digit
    // fields from the value, leading positions blank (10). A negative value or
    // 65535 blanks the window (units position 10). A number too large for the
    // window keeps its low digits; a units-first window is zero-filled, since
    // a blank highest position would blank it.
    void set_window(int k, std::int32_t value);
    void blank_window(int k);
    // The speed window in hundredths mode (Mach): its first field blank, the
    // two others the hundredths (0..99), leading zero kept (".05").
    void show_speed_hundredths(std::uint32_t hundredths);
    // The vertical speed's sign field: a minus for a negative value.
    void set_vertical_speed_sign(std::int32_t value);

    // The published bytes, as a client of the add-on would read them.
    const unsigned char* bytes(Block which) const { return block(which); }

    // A command message arrived (wParam, lParam): recorded, and the knob
    // commands 1232..1239 set the value shown in their window.
    void on_command(std::uint32_t command, std::int32_t value);
    const std::vector<PostedCommand>& commands() const { return commands_; }
    void clear_commands() { commands_.clear(); }

private:
    unsigned char* block(Block which) const;
    // Digits of number into window k, units first upwards; leading positions
    // of a standard window blank (10) when blank_leading_zeros is set.
    void show_digits(int k, std::uint32_t number, bool blank_leading_zeros);
    // The speed knob: two digits behind a blank first field in hundredths mode.
    void set_speed(std::int32_t value);

    unsigned char* sdk1_;
    unsigned char* sdk2_;
    std::vector<PostedCommand> commands_;
};

}  // namespace corvane::sim
