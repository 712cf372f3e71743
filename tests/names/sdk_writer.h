// Writes SDK-style test headers: both blocks declared with a field at every
// source offset of the offset map, the gaps filled with padding, packed
// structures, arrays of one and two dimensions, nested and anonymous
// structures and unions, sizes written as #define arithmetic. The writer
// records the name it gave each source offset: the oracle for the naming.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace corvane::names::testing {

struct WrittenHeader {
    std::string text;
    // Expected field name at each source offset, per block (0: SDK1, 1: SDK2).
    std::map<std::uint32_t, std::string> names[2];
    // The command list in the header's order.
    std::map<std::string, std::int32_t> commands;
};

// `variant` shifts which construct fills which gap, so that two variants
// put different constructs at the same offsets.
WrittenHeader write_sdk_header(int variant);

// The offset map's source fields of a block: offset and width (4 or 8).
std::map<std::uint32_t, std::uint32_t> source_fields(int block);

}  // namespace corvane::names::testing
