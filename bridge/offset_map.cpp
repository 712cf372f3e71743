// The offset map, built from the export tables and the command tables.
#include "bridge/offset_map.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "bridge/bridge.h"
#include "bridge/command_tables.h"
#include "common/format.h"
#include "export/tables.h"

namespace corvane::bridge {

namespace {

using namespace data_export;

const char* block_name(SourceBlock block) { return block == kSdk2 ? "SDK2" : "SDK1"; }

const char* display_name(std::uint32_t offset) {
    for (const DisplayWindow& window : kDisplayWindows) {
        if (window.offset == offset) {
            return window.name;
        }
    }
    return "";
}

// A program name as a constant: "course display 1" gives COURSE_DISPLAY_1.
std::string symbol_of(const std::string& name) {
    std::string symbol;
    for (const char c : name) {
        symbol += c == ' ' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return symbol;
}

// The panel values that the program itself gives a meaning, with their constants.
struct PanelName {
    std::uint32_t source;
    const char* name;
    const char* symbol;
};

constexpr PanelName kPanelNames[] = {
    {kSignFieldOffset, "vertical speed sign (12: negative)", "VERTICAL_SPEED_SIGN"},
    {aircraft::kDataValidOffset, "aircraft data valid", "AIRCRAFT_DATA_VALID"},
};

const PanelName* panel_name(std::uint32_t source) {
    for (const PanelName& named : kPanelNames) {
        if (named.source == source) {
            return &named;
        }
    }
    return nullptr;
}

void add_annunciators(std::vector<OffsetEntry>& entries) {
    for (int i = 0; i < kAnnunciatorCount; ++i) {
        const AnnunciatorRow& row = kAnnunciatorRows[i];
        OffsetEntry e;
        e.offset = row.offset;
        e.size = 1;
        e.kind = OffsetKind::Annunciator;
        e.type = ValueType::U8;
        e.index = i;
        e.name = "annunciator byte";
        e.symbol = format("ANNUNCIATOR_%04X", row.offset);
        e.source = block_name(row.block);
        const char* separator = " ";
        for (int column = 0; column < kAnnunciatorWeights; ++column) {
            if (row.field[column] != kNoField) {
                e.source += format("%s0x%04X x%u", separator, row.field[column],
                                   annunciator_weight(column));
                separator = ", ";
            }
        }
        e.scaling = "sum of field x weight, low byte";
        entries.push_back(e);
    }
}

void add_displays(std::vector<OffsetEntry>& entries) {
    for (int k = 0; k < kDisplayCount; ++k) {
        const DisplayWindow& window = kDisplayWindows[k];
        OffsetEntry e;
        e.offset = window.offset;
        e.size = 2;
        e.kind = OffsetKind::Display;
        e.type = ValueType::U16;
        e.index = k;
        e.name = window.name;
        e.symbol = e.name.empty() ? format("DISPLAY_%04X", window.offset) : symbol_of(e.name);
        e.source = format("SDK1 0x%04X-0x%04X, %d digits, %s", window.first_field,
                          window.last_field, window.digits,
                          window.layout == kStandard ? "units last" : "units first");
        e.scaling = "number shown, low 16 bits; 0xFFFF when blank";
        entries.push_back(e);
    }
}

void add_panel_values(std::vector<OffsetEntry>& entries) {
    for (int r = 0; r < kPanelRowCount; ++r) {
        const PanelRow& row = kPanelRows[static_cast<std::size_t>(r)];
        OffsetEntry e;
        e.offset = row.offset;
        e.size = row.size;
        e.kind = OffsetKind::Panel;
        e.index = r;
        const PanelName* named = panel_name(row.source);
        e.name = named != nullptr ? named->name : "";
        e.symbol = named != nullptr ? named->symbol : format("PANEL_%04X", row.offset);
        if (row.type == kInteger) {
            e.type = ValueType::U8;
            e.source = format("SDK1 0x%04X, 4-byte integer", row.source);
            e.scaling = "low-order byte";
        } else {
            e.type = ValueType::S16;
            e.source = format("SDK1 0x%04X, 8-byte double", row.source);
            e.scaling = row.scale == kUnscaled ? std::string("truncated")
                                               : format("x %g, truncated", row.scale);
        }
        entries.push_back(e);
    }
}

void add_inputs(std::vector<OffsetEntry>& entries) {
    OffsetEntry word;
    word.offset = kCommandWordOffset;
    word.size = 2;
    word.kind = OffsetKind::CommandWord;
    word.direction = Direction::PanelWrites;
    word.type = ValueType::S16;
    word.name = "command word";
    word.symbol = "COMMAND_WORD";
    word.source = "posted once as that command, value 0";
    word.scaling = "-1 (0xFFFF) is none; Corvane writes 0xFFFF back once posted";
    entries.push_back(word);

    OffsetEntry value;
    value.offset = kValueByteOffset;
    value.size = 1;
    value.kind = OffsetKind::ValueByte;
    value.direction = Direction::PanelWrites;
    value.name = "value byte";
    value.symbol = "VALUE_BYTE";
    value.source = format("posted as command %d with the byte as value", kValueByteCommand);
    value.scaling = "0..255, posted whenever it changes";
    entries.push_back(value);

    for (int n = 0; n < kKnobCount; ++n) {
        const KnobRow& row = kKnobRows[n];
        OffsetEntry e;
        e.offset = kKnobCounterOffset + static_cast<std::uint32_t>(n);
        e.size = 1;
        e.kind = OffsetKind::KnobCounter;
        e.direction = Direction::PanelWrites;
        e.index = n;
        e.name = std::string(display_name(row.display_offset)) + " knob";
        e.symbol = "KNOB_" + symbol_of(row.name);
        e.source = format("command %d: display 0x%04X %+g per count", row.command,
                          row.display_offset, row.step);
        e.scaling = row.ranged ? format("counter, +1 per detent, wraps; value kept in %g..%g",
                                        row.low, row.high)
                               : std::string("counter, +1 per detent, wraps");
        entries.push_back(e);
    }
    for (int n = 0; n < kStepCounterCount; ++n) {
        OffsetEntry e;
        e.offset = kStepCounterOffset + static_cast<std::uint32_t>(n);
        e.size = 1;
        e.kind = OffsetKind::StepCounter;
        e.direction = Direction::PanelWrites;
        e.index = n;
        e.name = format("step counter %d", n);
        e.symbol = format("STEP_COUNTER_%d", n);
        e.source = format("command %d per step down, %d per step up", kStepRows[n].down,
                          kStepRows[n].up);
        e.scaling = "counter, +1 per step, wraps";
        entries.push_back(e);
    }
}

// Written only with [General] State=1, so that a panel can tell a Corvane
// that stopped, ended or was killed from one that bridges.
void add_corvane_state(std::vector<OffsetEntry>& entries) {
    OffsetEntry state;
    state.offset = kStateOffset;
    state.size = 1;
    state.kind = OffsetKind::CorvaneState;
    state.name = "Corvane state";
    state.symbol = "STATE";
    state.source = "Corvane itself, with State=1 only";
    state.scaling = format("%d ended, %d bridging, %d stopped (the offset server still answers)",
                           kStateExited, kStateBridging, kStateStopped);
    entries.push_back(state);

    OffsetEntry heartbeat = state;
    heartbeat.offset = kHeartbeatOffset;
    heartbeat.index = 1;
    heartbeat.name = "heartbeat";
    heartbeat.symbol = "HEARTBEAT";
    heartbeat.scaling = "+1 once a second while bridging, wraps";
    entries.push_back(heartbeat);
}

OffsetEntry field_row(int f) {
    const AnnunciatorField& field = kAnnunciatorFields[static_cast<std::size_t>(f)];
    OffsetEntry e;
    e.offset = field.offset;
    e.size = 1;
    e.kind = OffsetKind::AnnunciatorField;
    e.type = ValueType::U8;
    e.index = f;
    e.name = field.bits == 1
                 ? format("annunciator 0x%04X bit %d", field.offset, field.shift)
                 : format("annunciator 0x%04X bits %d-%d", field.offset, field.shift,
                          field.shift + field.bits - 1);
    e.symbol = field.bits == 1 ? format("ANNUNCIATOR_%04X_BIT%d", field.offset, field.shift)
                               : format("ANNUNCIATOR_%04X_BITS%d_%d", field.offset, field.shift,
                                        field.shift + field.bits - 1);
    e.source = format("%s 0x%04X", block_name(field.block()), field.source());
    const char* states = field.bits == 1   ? "0 or 1"
                         : field.bits == 2 ? "0..3"
                                           : "the field's value, low byte";
    e.scaling = format("(byte & 0x%02X) >> %d: %s", field.mask(), field.shift, states);
    e.mask = field.mask();
    e.shift = field.shift;
    e.states = field.states();
    return e;
}

}  // namespace

std::vector<OffsetEntry> offset_map_rows() {
    std::vector<OffsetEntry> rows;
    std::size_t next = 0;
    for (const OffsetEntry& e : offset_entries()) {
        rows.push_back(e);
        while (e.kind == OffsetKind::Annunciator && next < kAnnunciatorFields.size() &&
               kAnnunciatorFields[next].row == e.index) {
            rows.push_back(field_row(static_cast<int>(next++)));
        }
    }
    return rows;
}

std::vector<OffsetEntry> offset_entries() {
    std::vector<OffsetEntry> entries;
    add_inputs(entries);
    add_annunciators(entries);
    add_displays(entries);
    add_panel_values(entries);
    add_corvane_state(entries);
    std::sort(entries.begin(), entries.end(),
              [](const OffsetEntry& a, const OffsetEntry& b) { return a.offset < b.offset; });
    return entries;
}

const char* direction_text(Direction direction) {
    return direction == Direction::PanelReads ? "read" : "write";
}

const char* type_text(ValueType type) {
    switch (type) {
        case ValueType::U8:
            return "U8";
        case ValueType::U16:
            return "U16";
        case ValueType::S16:
            return "S16";
    }
    return "";
}

const char* kind_text(OffsetKind kind) {
    switch (kind) {
        case OffsetKind::CommandWord:
            return "command word";
        case OffsetKind::Annunciator:
            return "annunciator";
        case OffsetKind::ValueByte:
            return "value byte";
        case OffsetKind::Display:
            return "display";
        case OffsetKind::Panel:
            return "panel value";
        case OffsetKind::KnobCounter:
            return "knob counter";
        case OffsetKind::StepCounter:
            return "step counter";
        case OffsetKind::AnnunciatorField:
            return "annunciator field";
        case OffsetKind::CorvaneState:
            return "Corvane state";
    }
    return "";
}

std::string offset_map() {
    std::string text = "offset  size  panel  type  name: source; encoding\n";
    for (const OffsetEntry& e : offset_map_rows()) {
        text += format("0x%04X  %u     %-5s  %-4s  ", e.offset, e.size, direction_text(e.direction),
                       type_text(e.type));
        if (!e.name.empty()) {
            text += e.name + ": ";
        }
        text += e.source + "; " + e.scaling + "\n";
    }
    return text;
}

namespace {

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// A Markdown table cell: a bar would end the cell early.
std::string md_cell(const std::string& text) {
    std::string cell;
    for (const char c : text) {
        if (c == '|') {
            cell += '\\';
        }
        cell += c;
    }
    return cell;
}

// The mask, shift and states columns: filled for a field, empty otherwise.
std::string field_cells(const OffsetEntry& e, const char* separator) {
    if (e.kind != OffsetKind::AnnunciatorField) {
        return std::string(separator) + separator;
    }
    return format("0x%02X%s%d%s%d", e.mask, separator, e.shift, separator, e.states);
}

}  // namespace

std::string offset_map_csv() {
    std::string text = "offset,size,panel,type,kind,name,source,encoding,mask,shift,states\n";
    for (const OffsetEntry& e : offset_map_rows()) {
        text += format("0x%04X,%u,%s,%s,", e.offset, e.size, direction_text(e.direction),
                       type_text(e.type));
        text += csv_field(kind_text(e.kind)) + "," + csv_field(e.name) + "," +
                csv_field(e.source) + "," + csv_field(e.scaling) + "," + field_cells(e, ",") +
                "\n";
    }
    return text;
}

std::string offset_map_markdown() {
    std::string text =
        "# Corvane offset map\n"
        "\n"
        "Every offset of the block 0x9400-0x94FB that Corvane writes or reads, one row\n"
        "each, in offset order, and every field of an annunciator byte. Generated from\n"
        "the program's own tables by `corvane-sim --offset-map --format md`; do not\n"
        "edit by hand.\n"
        "\n"
        "- **Panel**: seen from your panel. `read`: Corvane writes it, your panel\n"
        "  reads it. `write`: your panel writes it, Corvane reads it.\n"
        "- **Type**: how to read the bytes, little-endian, not aligned. `U8`: one\n"
        "  byte; `U16`: two bytes, unsigned; `S16`: two bytes, signed.\n"
        "- **Source**: the aircraft SDK fields the value comes from (SDK1 or SDK2\n"
        "  block and byte offset), or what Corvane does with what your panel writes.\n"
        "- **Annunciator field**: after each annunciator byte, one row per lamp or\n"
        "  state it carries. Read the byte and take `(byte & mask) >> shift`: 0 or 1\n"
        "  for a lamp (**States** 2), 0 to 3 for a field with two bits (**States** 4),\n"
        "  the field's own value for the one field of 0x941F (mask 0xFF).\n"
        "- **Corvane state** (0x9429, 0x942A): written only with `State=1` in\n"
        "  corvane.ini; otherwise untouched.\n"
        "- Not listed, never touched by Corvane: 0x942B-0x942F and 0x947D-0x947F.\n"
        "\n"
        "The user guide explains the encodings and the inputs in full.\n"
        "\n"
        "| Offset | Size | Panel | Type | Kind | Name | Source | Encoding | Mask | Shift | States |\n"
        "|---|---|---|---|---|---|---|---|---|---|---|\n";
    for (const OffsetEntry& e : offset_map_rows()) {
        text += format("| 0x%04X | %u | %s | %s | ", e.offset, e.size, direction_text(e.direction),
                       type_text(e.type));
        text += md_cell(kind_text(e.kind)) + " | " + md_cell(e.name) + " | " + md_cell(e.source) +
                " | " + md_cell(e.scaling) + " | " + field_cells(e, " | ") + " |\n";
    }
    return text;
}

}  // namespace corvane::bridge
