// The block named from an SDK header: the two structures laid over the SDK
// blocks, the header's field at every source offset of the offset map, the
// command list, and the files written from them: names.csv (the labels
// format corvane-monitor --labels and corvane-sim --names read) and the
// kit's companions corvane_names.lua and corvane_names.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "names/header.h"

namespace corvane::names {

// --sdk1 NAME, --sdk2 NAME; empty: the structure whose size covers the block.
struct Choice {
    std::string sdk1;
    std::string sdk2;
};

// One row of names.csv: an offset of the block or a field of an
// annunciator byte (mask != 0), the header's name for it and its sources.
struct NamedRow {
    std::uint32_t offset = 0;
    std::uint32_t mask = 0;  // an annunciator field: its mask; 0 for an offset
    int shift = 0;
    int states = 0;
    bool annunciator_byte = false;
    std::uint32_t size = 0;   // bytes at offset (1 or 2)
    std::string label;        // MCP_AT_ARM_LIGHT, SPEED_DIGITS, "A / B / C" for a byte
    std::string source;       // "SDK1 0x0018", "SDK1 0x01C0-0x01C8"
};

struct NamedCommand {
    std::int32_t code = 0;
    std::string name;
};

struct Naming {
    std::string sdk1;  // the structures chosen
    std::string sdk2;
    std::vector<NamedRow> rows;  // in the offset map's order
    std::vector<NamedCommand> commands;  // in the header's order
    std::vector<std::string> notes;      // "FILE:LINE: ..." for what was left out, and why
};

// Names every source field of the offset map from the header. False with
// "FILE[:LINE]: what" when no structure or two fit a block, a named one is
// missing or smaller than its block, or a source offset falls inside a
// field, in padding, or on a field of another size than the one read.
bool name_block(const Header& header, const std::string& file, const Choice& choice,
                Naming& naming, std::string& error);

// names.csv; header_name is the header's file name, for its first line.
std::string names_csv(const Naming& naming, const std::string& header_name);

// The kit's companions: every named field and offset and every command, as
// corvane_names.lua (a module table beside corvane.lua) and corvane_names.h
// (CORVANE_SDK_ and CORVANE_CMD_ constants over corvane.h).
std::string names_lua(const Naming& naming, const std::string& header_name);
std::string names_c_header(const Naming& naming, const std::string& header_name);

// A name as an identifier of C and Lua: "MCP.DIGITS[2]" gives MCP_DIGITS_2.
std::string identifier_of(const std::string& name);

}  // namespace corvane::names
