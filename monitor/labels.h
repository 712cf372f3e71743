// A builder's own names for the offsets: a CSV file of "offset,label" lines
// read by corvane-monitor --labels, and the template shipped as
// docs/labels.csv, written from the program's offset map.
//
// The file is what a spreadsheet saves: an optional header row, fields
// separated by commas or, as spreadsheets save them in many locales, by
// semicolons (the first row that holds either decides), a field in double
// quotes may hold separators and doubled quotes, columns after the label are
// ignored (the template puts what the offset carries there). Offsets are
// hexadecimal, with or without 0x; "0x9402&0x04" names one field of an
// annunciator byte by its mask. Lines starting with '#' and empty labels are
// skipped. Labels end up on the console, so control characters in them
// become spaces.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "export/tables.h"
#include "monitor/block.h"

namespace corvane::monitor {

struct Labels {
    // Label of the offset kBlockFirst + i; empty when it has none.
    std::array<std::string, kBlockSize> text;
    // Label of the annunciator field data_export::kAnnunciatorFields[f].
    std::array<std::string, data_export::kAnnunciatorFieldCount> field_text;

    // The aircraft's command codes by name, in the order the file gives them
    // (rows "command:1232,NAME"); empty when the file names none.
    struct Command {
        std::int32_t code = 0;
        std::string name;
    };
    std::vector<Command> commands;

    const std::string& of(std::uint32_t offset) const;
    const std::string& of_field(int f) const;
    // The command's name, or nullptr; the code of a name (exact case), or false.
    const std::string* command_name(std::int32_t code) const;
    bool command_code(const std::string& name, std::int32_t& code) const;
};

// Reads the labels from the contents of a CSV file. False with a one-line
// reason ("line 7: 0x9431 is not an offset of the block") when a line names
// no offset or field of the block, one twice, or is not valid CSV. Rows
// "command:CODE,NAME" (CODE decimal, negative allowed) fill commands; a code
// that is no number, a missing name, or a code or name given twice is
// refused the same way.
bool parse_labels(const std::string& csv, Labels& labels, std::string& error);

// docs/labels.csv: every offset and every annunciator field once, with the
// program's name where it has one and, in a third column, what it carries.
std::string labels_template();

}  // namespace corvane::monitor
