// The fields of the offset block, their names and the decoding of their bytes.
#include "monitor/block.h"

#include <cstdio>

#include "common/numbers.h"
#include "monitor/labels.h"

namespace corvane::monitor {

namespace {

using bridge::OffsetKind;
using bridge::ValueType;

constexpr std::uint16_t kBlankDisplayValue = 0xFFFF;
constexpr char kBlankText[] = "-----";
constexpr char kClearBitWithoutField = '-';
constexpr char kSecondBitOfPair = '=';

Section section_of(OffsetKind kind) {
    switch (kind) {
        case OffsetKind::Display:
            return Section::Displays;
        case OffsetKind::Annunciator:
            return Section::Annunciators;
        case OffsetKind::AnnunciatorField:
            return Section::Lamps;
        case OffsetKind::Panel:
            return Section::PanelValues;
        case OffsetKind::CommandWord:
        case OffsetKind::ValueByte:
        case OffsetKind::KnobCounter:
        case OffsetKind::StepCounter:
            return Section::Inputs;
        case OffsetKind::CorvaneState:
            return Section::Corvane;
    }
    return Section::PanelValues;
}

constexpr char kDisplayWord[] = " display";
constexpr char kScaledMark[] = "k";  // the view's mark of a double taken x1000

const data_export::PanelRow& panel_row(const Field& field) {
    return data_export::kPanelRows[static_cast<std::size_t>(field.entry.index)];
}

bool scaled(const data_export::PanelRow& row) {
    return row.type == data_export::kDouble && row.scale == data_export::kTimes1000;
}

// The view's sections say what their fields are, so "altitude display" and
// "altitude display knob" show as "altitude" and "altitude knob" there.
std::string without_display_word(const std::string& name) {
    std::string text = name;
    const std::size_t at = text.find(kDisplayWord);
    if (at != std::string::npos) {
        text.erase(at, sizeof kDisplayWord - 1);
    }
    return text;
}

void name_field(Field& field, const std::string& label) {
    const bridge::OffsetEntry& e = field.entry;
    if (!label.empty()) {
        field.name = label;
        field.view_name = label;
        return;
    }
    char text[48];
    switch (field.section) {
        case Section::Displays:
            field.name = e.name.empty() ? std::string("display") : e.name;
            field.view_name = without_display_word(e.name);
            break;
        case Section::Annunciators:
            // Every byte has the same program name; the view shows the bits instead.
            field.name = e.name;
            break;
        case Section::PanelValues: {
            const data_export::PanelRow& row = panel_row(field);
            if (scaled(row)) {
                std::snprintf(text, sizeof text, "panel value SDK1 0x%04X x%g",
                              static_cast<unsigned>(row.source), row.scale);
            } else {
                std::snprintf(text, sizeof text, "panel value SDK1 0x%04X", static_cast<unsigned>(row.source));
            }
            field.name = e.name.empty() ? std::string(text) : e.name;
            std::snprintf(text, sizeof text, "%u %04X%s", static_cast<unsigned>(e.size),
                          static_cast<unsigned>(row.source), scaled(row) ? kScaledMark : "");
            field.view_name = text;
            break;
        }
        case Section::Inputs:
        case Section::Corvane:
            field.name = e.name;
            field.view_name = without_display_word(e.name);
            break;
        case Section::Lamps:
            field.name = e.name;
            field.view_name = e.name;
            break;
    }
}

void annunciator_text(const Field& field, std::int32_t value, ValueText& out) {
    const data_export::AnnunciatorRow& row = data_export::kAnnunciatorRows[field.entry.index];
    for (int bit = 0; bit < data_export::kAnnunciatorWeights; ++bit) {
        const int bits = data_export::annunciator_field_bits(row, bit);
        const int set = (value >> bit) & 1;
        if (bits == 2) {
            out.text[bit] = static_cast<char>('0' + ((value >> bit) & 3));
            out.text[++bit] = kSecondBitOfPair;
        } else if (bits == data_export::kAnnunciatorWeights) {
            // A field alone in its byte is the byte: its value bit by bit.
            for (; bit < data_export::kAnnunciatorWeights; ++bit) {
                out.text[bit] = static_cast<char>('0' + ((value >> bit) & 1));
            }
        } else if (bits == 1) {
            out.text[bit] = static_cast<char>('0' + set);
        } else {
            // A carry from a field holding more than its room can set a
            // bit that no field owns: show it as it is.
            out.text[bit] = set != 0 ? '1' : kClearBitWithoutField;
        }
    }
    out.text[data_export::kAnnunciatorWeights] = '\0';
}

}  // namespace

std::vector<Field> make_fields(const Labels& labels) {
    std::vector<Field> fields;
    for (const bridge::OffsetEntry& e : bridge::offset_map_rows()) {
        const bool lamp = e.kind == OffsetKind::AnnunciatorField;
        const std::string& label = lamp ? labels.of_field(e.index) : labels.of(e.offset);
        // The byte shows every field; a lamp stands alone only once it has a name.
        if (lamp && label.empty()) {
            continue;
        }
        Field field;
        field.entry = e;
        field.section = section_of(e.kind);
        name_field(field, label);
        fields.push_back(field);
    }
    return fields;
}

OffsetText offset_text(const bridge::OffsetEntry& entry, bool with_prefix) {
    const char* prefix = with_prefix ? "0x" : "";
    OffsetText out;
    if (entry.kind == OffsetKind::AnnunciatorField) {
        std::snprintf(out.text, sizeof out.text, "%s%04X&%s%02X", prefix,
                      static_cast<unsigned>(entry.offset), prefix,
                      static_cast<unsigned>(entry.mask));
    } else {
        std::snprintf(out.text, sizeof out.text, "%s%04X", prefix,
                      static_cast<unsigned>(entry.offset));
    }
    return out;
}

const Field* find_field(const std::vector<Field>& fields, std::uint32_t offset) {
    for (const Field& field : fields) {
        if (field.entry.offset == offset) {
            return &field;
        }
    }
    return nullptr;
}

std::int32_t field_value(const Field& field, const unsigned char* block) {
    const unsigned char* at = block + (field.entry.offset - kBlockFirst);
    switch (field.entry.type) {
        case ValueType::U8:
            return field.entry.kind == OffsetKind::AnnunciatorField
                       ? static_cast<std::int32_t>((at[0] & field.entry.mask) >> field.entry.shift)
                       : at[0];
        case ValueType::U16:
            return load_u16(at);
        case ValueType::S16:
            return static_cast<std::int16_t>(load_u16(at));
    }
    return 0;
}

ValueText value_text(const Field& field, std::int32_t value) {
    ValueText out;
    if (field.section == Section::Annunciators) {
        annunciator_text(field, value, out);
    } else if (field.section == Section::Displays && value == kBlankDisplayValue) {
        std::snprintf(out.text, sizeof out.text, "%s", kBlankText);
    } else {
        std::snprintf(out.text, sizeof out.text, "%d", static_cast<int>(value));
    }
    return out;
}

}  // namespace corvane::monitor
