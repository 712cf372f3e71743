// The offset block as corvane-monitor reads it: 0x9400-0x94FB in one read,
// one field per offset of the program's own offset map, each with the name
// it goes by and the decoding of its bytes into a value and a text.
//
// The fields come from bridge::offset_entries() and the export tables, so
// the monitor shows exactly what the bridge writes and reads; a builder's
// own labels (monitor/labels.h) only rename them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bridge/offset_map.h"
#include "export/tables.h"

namespace corvane::monitor {

constexpr std::uint32_t kBlockFirst = 0x9400;
constexpr std::uint32_t kBlockLast = 0x94FB;
constexpr std::uint32_t kBlockSize = kBlockLast - kBlockFirst + 1;

struct Labels;

// The view groups the fields by what they carry. Lamps are the annunciator
// fields a builder labelled, each shown and logged on its own.
enum class Section : std::uint8_t { Displays, Annunciators, Lamps, PanelValues, Inputs, Corvane };
constexpr int kSectionCount = 6;

// A set of sections, one bit each: what the view and the change log show.
using SectionSet = std::uint32_t;
constexpr SectionSet section_bit(Section section) {
    return 1u << static_cast<unsigned>(section);
}
constexpr SectionSet kAllSections = (1u << kSectionCount) - 1u;

struct Field {
    bridge::OffsetEntry entry;
    Section section = Section::PanelValues;
    // The name in change lines: the builder's label, else the program's
    // name, else what the offset is ("display", "panel value SDK1 0x0FAC").
    std::string name;
    // The name beside the offset in the live view; may be empty. Panel
    // values show their size and source field unless labelled.
    std::string view_name;
};

// Every offset of the block, ascending, named with the labels; after each
// annunciator byte, the fields of it that the labels name (Section::Lamps).
std::vector<Field> make_fields(const Labels& labels);

// The offset as a change line, the live view and labels.csv show it:
// "0x943A" and "943A", or for a lamp its byte and mask, "0x9402&0x04" and
// "9402&04".
struct OffsetText {
    char text[16] = {};
};
OffsetText offset_text(const bridge::OffsetEntry& entry, bool with_prefix);
inline OffsetText offset_text(const Field& field, bool with_prefix) {
    return offset_text(field.entry, with_prefix);
}

// The field that starts at offset, or nullptr.
const Field* find_field(const std::vector<Field>& fields, std::uint32_t offset);

// The field's value in the 252 bytes read at 0x9400: U8 and U16 as they are,
// S16 sign-extended, a lamp its state (byte & mask) >> shift.
std::int32_t field_value(const Field& field, const unsigned char* block);

// A value as text: a display's number or "-----" when blank; an annunciator
// byte as its bit fields, bit 0 first ("1" or "0" per one-bit field, 0..3
// then "=" for a two-bit field, "-" for a clear bit without a field); any
// other value as its number. Never longer than kValueTextMax.
constexpr std::size_t kValueTextMax = 8;
struct ValueText {
    char text[kValueTextMax + 1] = {};
};
ValueText value_text(const Field& field, std::int32_t value);

// "12:00:01.300", the time in change lines.
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

}  // namespace corvane::monitor
