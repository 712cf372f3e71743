// The offset map: every offset of the block that Corvane writes or reads,
// with its size, its direction seen from a panel, its type, where its value
// comes from (or what it makes the aircraft do), and its name where the
// program gives one. Built from the export and command tables themselves, so
// the documentation, the tools and the program cannot drift apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::bridge {

enum class OffsetKind : std::uint8_t {
    CommandWord,
    Annunciator,
    ValueByte,
    Display,
    Panel,
    KnobCounter,
    StepCounter,
    AnnunciatorField,  // one lamp or state of an annunciator byte; a row of the documents only
    CorvaneState,      // Corvane's own state and heartbeat, written only with State=1
};

// Seen from a panel: it reads what Corvane exports and writes the inputs.
enum class Direction : std::uint8_t { PanelReads, PanelWrites };

// How a panel should read the bytes (little-endian).
enum class ValueType : std::uint8_t { U8, U16, S16 };

struct OffsetEntry {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    OffsetKind kind = OffsetKind::Panel;
    Direction direction = Direction::PanelReads;
    ValueType type = ValueType::U8;
    int index = 0;        // row in its own table: display k, annunciator i, panel row, counter n
    std::string name;     // the program's name for it; empty where it has none
    std::string source;   // the aircraft fields it comes from, or the commands it causes
    std::string scaling;  // how the value is encoded
    std::string symbol;   // its constant in the wiring kit: ALTITUDE_DISPLAY, PANEL_9472, ...
    // An annunciator field only: (byte & mask) >> shift is its state, one of
    // states (2 for a lamp, 4 for a field with two bits of room).
    std::uint32_t mask = 0;
    int shift = 0;
    int states = 0;
};

// Every offset Corvane writes or reads, in ascending order, each once:
// 0x9400, 0x9402-0x942A, 0x9430-0x94FB but 0x947D-0x947F (0x9429 and
// 0x942A only with State=1). For documents and tools, not for a tick.
std::vector<OffsetEntry> offset_entries();

// The rows of the documents: the entries above and, after each annunciator
// byte, one row per field of it (kind AnnunciatorField, index into
// data_export::kAnnunciatorFields), so that a lamp can be wired from its
// row alone.
std::vector<OffsetEntry> offset_map_rows();

const char* direction_text(Direction direction);  // "read" or "write"
const char* type_text(ValueType type);            // "U8", "U16" or "S16"
const char* kind_text(OffsetKind kind);           // "annunciator", "knob counter", ...

// The rows in three forms, one row per line, in offset order. Text:
// "0x9400  2  write  S16  command word: ..." under a heading line. CSV: a
// header row, then offset,size,panel,type,kind,name,source,encoding,mask,
// shift,states with RFC 4180 quoting (the last three empty but for fields).
// Markdown: the document committed as docs/offsets.md and shipped as
// OFFSETS.md, one table row per row.
std::string offset_map();
std::string offset_map_csv();
std::string offset_map_markdown();

}  // namespace corvane::bridge
