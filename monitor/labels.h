// A builder's own names for the offsets: a CSV file of "offset,label" lines
// read by corvane-monitor --labels, and the template shipped as
// docs/labels.csv, written from the program's offset map.
//
// The file is what a spreadsheet saves: an optional header row, fields
// separated by commas, a field in double quotes may hold commas and doubled
// quotes, columns after the label are ignored (the template puts what the
// offset carries there). Offsets are hexadecimal, with or without 0x. Lines
// starting with '#' and empty labels are skipped. Labels end up on the
// console, so control characters in them become spaces.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "monitor/block.h"

namespace corvane::monitor {

struct Labels {
    // Label of the offset kBlockFirst + i; empty when it has none.
    std::array<std::string, kBlockSize> text;

    const std::string& of(std::uint32_t offset) const;
};

// Reads the labels from the contents of a CSV file. False with a one-line
// reason ("line 7: 0x9431 is not the start of an offset") when a line names
// no offset of the block, an offset twice, or is not valid CSV.
bool parse_labels(const std::string& csv, Labels& labels, std::string& error);

// docs/labels.csv: every offset once, with the program's name where it has
// one and, in a third column, what the offset carries.
std::string labels_template();

}  // namespace corvane::monitor
