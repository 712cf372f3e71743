// The wiring kit, printed from the offset map. The helpers' code is text
// here; every number in it that the program also uses comes from the
// program's own constants.
#include "tools/wiring_kit.h"

#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "bridge/bridge.h"
#include "bridge/command_tables.h"
#include "bridge/offset_map.h"
#include "common/format.h"
#include "export/tables.h"

namespace corvane::bridge {

namespace {

using data_export::kPanelRows;

constexpr unsigned kBlank = static_cast<unsigned>(data_export::kBlankDisplay);
constexpr unsigned kNoCommandWord = static_cast<std::uint16_t>(kNoCommand);
constexpr int kMaxCommandCode = std::numeric_limits<std::int16_t>::max();
constexpr int kCounterModulus = 256;
constexpr int kCommandPollMs = 10;
constexpr int kLuaSymbolColumns = 26;  // where the values line up
constexpr int kCSymbolColumns = 30;
// A panel counts Corvane as live while its heartbeat moved within this long:
// three beats of a second, so one late tick never blanks a panel.
constexpr int kLiveMs = 3000;

// The encodings' constants, in the order both files define them.
enum class Written : std::uint8_t { Hex, Unsigned, Signed };
struct Encoding {
    const char* name;
    int value;
    Written written;
    const char* comment;
};
const Encoding kEncodings[] = {
    {"BLANK", static_cast<int>(kBlank), Written::Hex, "a display window that shows no number"},
    {"NO_COMMAND", static_cast<int>(kNoCommandWord), Written::Hex,
     "Corvane took the command (any word above MAX_COMMAND is free)"},
    {"MAX_COMMAND", kMaxCommandCode, Written::Signed, "the highest command code"},
    {"VS_NEGATIVE", kNegativeSign, Written::Unsigned,
     "VERTICAL_SPEED_SIGN: the vertical speed is negative"},
    {"MAX_DETENTS", kMaxCounts, Written::Signed, "a counter's most between two ticks"},
    {"STATE_ENDED", kStateExited, Written::Unsigned, "STATE: Corvane ended"},
    {"STATE_BRIDGING", kStateBridging, Written::Unsigned, "STATE: Corvane bridges"},
    {"STATE_STOPPED", kStateStopped, Written::Unsigned, "STATE: the bridge stopped, Corvane waits"},
    {"LIVE_MS", kLiveMs, Written::Unsigned, "a live HEARTBEAT moved within this long"},
};

// The groups both files list their constants in, each with its heading.
struct Group {
    const char* heading;
    bool (*holds)(OffsetKind kind);
};

bool is_input(OffsetKind k) {
    return k == OffsetKind::CommandWord || k == OffsetKind::ValueByte ||
           k == OffsetKind::KnobCounter || k == OffsetKind::StepCounter;
}
bool is_display(OffsetKind k) { return k == OffsetKind::Display; }
bool is_annunciator(OffsetKind k) {
    return k == OffsetKind::Annunciator || k == OffsetKind::AnnunciatorField;
}
bool is_panel(OffsetKind k) { return k == OffsetKind::Panel; }
bool is_state(OffsetKind k) { return k == OffsetKind::CorvaneState; }

constexpr Group kGroups[] = {
    {"Inputs: your panel writes these, Corvane reads them.", is_input},
    {"Displays (U16): the number a window shows; BLANK when it shows none.", is_display},
    {"Annunciator bytes (U8), each followed by its fields: a lamp (2 states) or a\n"
     "state of up to four; read a field with its byte, mask and shift.",
     is_annunciator},
    {"Panel values: U8, or S16 where the size is 2 (a double, truncated; some\n"
     "taken x1000 first).",
     is_panel},
    {"Corvane's own state (U8), written only with State=1 in its corvane.ini.", is_state},
};

// What a constant's comment says: its type and name, or where it comes from.
std::string about(const OffsetEntry& e) {
    if (e.kind == OffsetKind::AnnunciatorField) {
        return format("%s, %d states", e.source.c_str(), e.states);
    }
    const std::string about = std::string(type_text(e.type)) + " " + (e.name.empty() ? e.source : e.name);
    return e.kind == OffsetKind::Panel && e.type == ValueType::S16 ? about + "; " + e.scaling : about;
}

double panel_scale(const OffsetEntry& e) { return kPanelRows[static_cast<std::size_t>(e.index)].scale; }

bool scaled(const OffsetEntry& e) {
    return e.kind == OffsetKind::Panel && panel_scale(e) != data_export::kUnscaled;
}

// The first row that is() holds for; the helpers read rows by their constants.
template <typename Is>
const OffsetEntry& find_row(const std::vector<OffsetEntry>& rows, Is&& is) {
    static const OffsetEntry kNone;
    for (const OffsetEntry& e : rows) {
        if (is(e)) {
            return e;
        }
    }
    return kNone;
}

const OffsetEntry& display_row(const std::vector<OffsetEntry>& rows, std::uint32_t offset) {
    return find_row(rows, [offset](const OffsetEntry& e) {
        return e.kind == OffsetKind::Display && e.offset == offset;
    });
}

const OffsetEntry& panel_row(const std::vector<OffsetEntry>& rows, std::uint32_t source) {
    return find_row(rows, [source](const OffsetEntry& e) {
        return e.kind == OffsetKind::Panel &&
               kPanelRows[static_cast<std::size_t>(e.index)].source == source;
    });
}

// Both files list their constants alike: each group's heading, then its rows
// in offset order.
template <typename Heading, typename Row>
void for_each_group(const std::vector<OffsetEntry>& rows, Heading&& heading, Row&& row) {
    for (const Group& group : kGroups) {
        heading(group.heading);
        for (const OffsetEntry& e : rows) {
            if (group.holds(e.kind)) {
                row(e);
            }
        }
    }
}

// The vertical speed window is the display that the sign-adjusted knob builds on.
std::uint32_t vertical_speed_display() {
    for (const KnobRow& row : kKnobRows) {
        if (row.adjust == BaseAdjust::NegateWhenSignNegative) {
            return row.display_offset;
        }
    }
    return 0;
}

// ---- corvane.lua ----------------------------------------------------------------

void lua_comment(std::string& text, const char* lines) {
    text += "-- ";
    for (const char* c = lines; *c != '\0'; ++c) {
        text += *c;
        if (*c == '\n') {
            text += "-- ";
        }
    }
    text += "\n";
}

void lua_define(std::string& text, const std::string& name, const std::string& value,
                const std::string& comment) {
    text += format("corvane.%-*s = %s  -- %s\n", kLuaSymbolColumns, name.c_str(), value.c_str(),
                   comment.c_str());
}

void lua_constants(std::string& text, const std::vector<OffsetEntry>& rows) {
    const auto heading = [&text](const char* lines) {
        text += "\n";
        lua_comment(text, lines);
    };
    for_each_group(rows, heading, [&text](const OffsetEntry& e) {
        const std::string value =
            e.kind == OffsetKind::AnnunciatorField
                ? format("{offset = 0x%04X, mask = 0x%02X, shift = %d, states = %d}", e.offset,
                         e.mask, e.shift, e.states)
                : format("0x%04X", e.offset);
        lua_define(text, e.symbol, value, about(e));
    });
}

std::string lua_divisors(const std::vector<OffsetEntry>& rows) {
    std::string text = "local s16_divisor = {\n";
    for (const OffsetEntry& e : rows) {
        if (e.kind == OffsetKind::Panel && e.type == ValueType::S16) {
            text += format("  [corvane.%s] = %g,\n", e.symbol.c_str(), panel_scale(e));
        }
    }
    return text + "}\n";
}

}  // namespace

std::string lua_module() {
    const std::vector<OffsetEntry> rows = offset_map_rows();
    std::string text =
        "-- corvane.lua: Corvane's FSUIPC offsets 0x9400-0x94FB for FSUIPC Lua plug-ins.\n"
        "--\n"
        "-- Generated from Corvane's own tables, like OFFSETS.md; do not edit. Put it\n"
        "-- beside your plug-in and load it with\n"
        "--\n"
        "--   local corvane = require(\"corvane\")\n"
        "--\n"
        "-- Offsets are plain numbers, for ipc.readUW(corvane.ALTITUDE_DISPLAY) or\n"
        "-- event.offset(corvane.ANNUNCIATOR_9402, \"UB\", ...). Annunciator fields are\n"
        "-- tables {offset, mask, shift, states} for corvane.field() and corvane.state().\n"
        "-- The helpers at the end call FSUIPC's ipc library only when they run; the\n"
        "-- decode_ ones, state, hundredths and add_detents never do: they take values\n"
        "-- your plug-in has read. The user guide explains every encoding.\n"
        "\n"
        "local corvane = {}\n"
        "\n"
        "-- The encodings.\n";
    for (const Encoding& e : kEncodings) {
        lua_define(text, e.name, format(e.written == Written::Hex ? "0x%04X" : "%d", e.value),
                   e.comment);
    }
    lua_constants(text, rows);
    text += "\n-- The S16 panel values, each with what undoes its scale.\n" + lua_divisors(rows);
    // The readers take the FSUIPC offset, and only one of the block.
    text += format(
        "\n"
        "local function in_block(offset, size)\n"
        "  return type(offset) == \"number\" and offset >= 0x%04X and offset + size - 1 <= 0x%04X\n"
        "end\n",
        static_cast<unsigned>(rows.front().offset),
        static_cast<unsigned>(rows.back().offset + rows.back().size - 1));
    text += format(
        "\n"
        "-- A display value, or nil when the window is blank.\n"
        "function corvane.decode_display(raw)\n"
        "  if raw == corvane.BLANK then\n"
        "    return nil\n"
        "  end\n"
        "  return raw\n"
        "end\n"
        "\n"
        "function corvane.display(offset)\n"
        "  if not in_block(offset, 2) then\n"
        "    return nil\n"
        "  end\n"
        "  return corvane.decode_display(ipc.readUW(offset))\n"
        "end\n"
        "\n"
        "-- The vertical speed window with its sign (the window shows the magnitude,\n"
        "-- VERTICAL_SPEED_SIGN says VS_NEGATIVE when it is negative), or nil when blank.\n"
        "function corvane.decode_vertical_speed(magnitude, sign)\n"
        "  local value = corvane.decode_display(magnitude)\n"
        "  if value ~= nil and sign == corvane.VS_NEGATIVE then\n"
        "    value = -value\n"
        "  end\n"
        "  return value\n"
        "end\n"
        "\n"
        "function corvane.vertical_speed()\n"
        "  return corvane.decode_vertical_speed(ipc.readUW(corvane.%s),\n"
        "                                       ipc.readUB(corvane.%s))\n"
        "end\n"
        "\n"
        "-- A number shown in hundredths (the speed window in Mach mode shows M.78 as\n"
        "-- 78: 0.78); nil stays nil.\n"
        "function corvane.hundredths(value)\n"
        "  if value == nil then\n"
        "    return nil\n"
        "  end\n"
        "  return value / %g\n"
        "end\n"
        "\n"
        "-- A panel value as the aircraft has it: raw as read, with ipc.readSW for the S16\n"
        "-- rows and ipc.readUB for the others; the x1000 rows are divided back\n"
        "-- (1234 gives 1.234).\n"
        "function corvane.decode_panel(offset, raw)\n"
        "  local divisor = s16_divisor[offset]\n"
        "  if divisor == nil then\n"
        "    return raw\n"
        "  end\n"
        "  return raw / divisor\n"
        "end\n"
        "\n"
        "function corvane.panel(offset)\n"
        "  if not in_block(offset, 1) then\n"
        "    return nil\n"
        "  end\n"
        "  if s16_divisor[offset] == nil then\n"
        "    return ipc.readUB(offset)\n"
        "  end\n"
        "  return corvane.decode_panel(offset, ipc.readSW(offset))\n"
        "end\n"
        "\n"
        "-- The state of an annunciator field in its byte, (byte & mask) >> shift: 0 or 1\n"
        "-- for a lamp, 0 to 3 for a field with two bits.\n"
        "function corvane.state(field, byte)\n"
        "  return math.floor(byte / 2 ^ field.shift) %% field.states\n"
        "end\n"
        "\n"
        "function corvane.field(field)\n"
        "  return corvane.state(field, ipc.readUB(field.offset))\n"
        "end\n"
        "\n"
        "function corvane.lit(field)\n"
        "  return corvane.field(field) ~= 0\n"
        "end\n"
        "\n"
        "-- A counter after detents: +n clockwise or up, -n the other way, modulo %d.\n"
        "-- Corvane reads the difference since its last tick, so at most MAX_DETENTS\n"
        "-- either way at a time, and whole detents only: a counter holds no fraction.\n"
        "function corvane.add_detents(counter, detents)\n"
        "  if detents > corvane.MAX_DETENTS or detents < -corvane.MAX_DETENTS then\n"
        "    error(\"corvane: at most \" .. corvane.MAX_DETENTS .. \" detents at a time, not \" .. detents, 2)\n"
        "  end\n"
        "  if detents ~= math.floor(detents) then\n"
        "    error(\"corvane: whole detents only, not \" .. detents, 2)\n"
        "  end\n"
        "  return (counter + detents) %% %d\n"
        "end\n"
        "\n"
        "function corvane.turn(counter, detents)\n"
        "  ipc.writeUB(counter, corvane.add_detents(ipc.readUB(counter), detents))\n"
        "end\n"
        "\n"
        "-- Writes a command code into the command word once Corvane has taken the\n"
        "-- previous one (the word is free: above MAX_COMMAND, negative as a signed\n"
        "-- word, NO_COMMAND once Corvane took it), waiting up to wait_ms (default 0:\n"
        "-- no wait). True when written, false when the word stayed busy.\n"
        "function corvane.command(code, wait_ms)\n"
        "  if code < 0 or code > corvane.MAX_COMMAND then\n"
        "    error(\"corvane: a command code is 0..\" .. corvane.MAX_COMMAND .. \", not \" .. code, 2)\n"
        "  end\n"
        "  local waited = 0\n"
        "  while ipc.readUW(corvane.COMMAND_WORD) <= corvane.MAX_COMMAND do\n"
        "    if waited >= (wait_ms or 0) then\n"
        "      return false\n"
        "    end\n"
        "    ipc.sleep(%d)\n"
        "    waited = waited + %d\n"
        "  end\n"
        "  ipc.writeUW(corvane.COMMAND_WORD, code)\n"
        "  return true\n"
        "end\n"
        "\n"
        "-- Whether Corvane bridges (State=1 in its corvane.ini): STATE reads\n"
        "-- STATE_BRIDGING and HEARTBEAT moved within LIVE_MS. watch is your table\n"
        "-- that remembers the last heartbeat seen (start with {}), now_ms your clock\n"
        "-- in milliseconds. A Corvane that was killed or cut off leaves STATE as it\n"
        "-- was, but its heartbeat stands still: the first reading only takes the\n"
        "-- heartbeat in, and Corvane is live once it moved.\n"
        "function corvane.decode_live(watch, state, heartbeat, now_ms)\n"
        "  if watch.heartbeat == nil then\n"
        "    watch.heartbeat = heartbeat\n"
        "  elseif watch.heartbeat ~= heartbeat then\n"
        "    watch.heartbeat = heartbeat\n"
        "    watch.since = now_ms\n"
        "  end\n"
        "  return state == corvane.STATE_BRIDGING and watch.since ~= nil and\n"
        "         now_ms - watch.since <= corvane.LIVE_MS\n"
        "end\n"
        "\n"
        "function corvane.live(watch)\n"
        "  return corvane.decode_live(watch, ipc.readUB(corvane.STATE),\n"
        "                             ipc.readUB(corvane.HEARTBEAT), ipc.elapsedtime())\n"
        "end\n"
        "\n"
        "return corvane\n",
        display_row(rows, vertical_speed_display()).symbol.c_str(),
        panel_row(rows, kSignFieldOffset).symbol.c_str(),
        kHundredthsDivisor, kCounterModulus, kCounterModulus, kCommandPollMs, kCommandPollMs);
    return text;
}

// ---- corvane.h --------------------------------------------------------------------

namespace {

void c_define(std::string& text, const std::string& name, const std::string& value,
              const std::string& comment) {
    text += format("#define CORVANE_%-*s %s", kCSymbolColumns, name.c_str(), value.c_str());
    text += comment.empty() ? "\n" : " /* " + comment + " */\n";
}

void c_constants(std::string& text, const std::vector<OffsetEntry>& rows) {
    const auto heading = [&text](const char* lines) {
        text += "\n/* ";
        for (const char* c = lines; *c != '\0'; ++c) {
            text += *c == '\n' ? std::string("\n   ") : std::string(1, *c);
        }
        text += " */\n";
    };
    for_each_group(rows, heading, [&text](const OffsetEntry& e) {
        if (e.kind == OffsetKind::AnnunciatorField) {
            c_define(text, e.symbol,
                     format("CORVANE_FIELD(0x%04Xu, 0x%02Xu, %du)", e.offset, e.mask, e.shift),
                     about(e));
            return;
        }
        c_define(text, e.symbol, format("0x%04Xu", e.offset), about(e));
        c_define(text, e.symbol + "_SIZE", format("%uu", e.size), "");
        if (scaled(e)) {
            c_define(text, e.symbol + "_SCALE", format("%g", panel_scale(e)), "divide by it");
        }
    });
}

}  // namespace

std::string c_header() {
    const std::vector<OffsetEntry> rows = offset_map_rows();
    std::string text =
        "/* corvane.h: Corvane's FSUIPC offsets 0x9400-0x94FB for C and C++ programs,\n"
        " * relay programs on the PC and the boards they serve.\n"
        " *\n"
        " * Generated from Corvane's own tables, like OFFSETS.md; do not edit. Values\n"
        " * are little-endian and not aligned: read them as bytes, never as a struct.\n"
        " * Compiles as C99 and as C++. The user guide explains every encoding.\n"
        " */\n"
        "#ifndef CORVANE_H\n"
        "#define CORVANE_H\n"
        "\n"
        "#include <stdint.h>\n"
        "\n"
        "/* The block and its encodings. */\n";
    const std::uint32_t first = rows.front().offset;
    const std::uint32_t last = rows.back().offset + rows.back().size - 1;
    c_define(text, "BLOCK_FIRST", format("0x%04Xu", first), "");
    c_define(text, "BLOCK_LAST", format("0x%04Xu", last), "");
    c_define(text, "BLOCK_SIZE", format("%uu", last - first + 1), "bytes from BLOCK_FIRST to BLOCK_LAST");
    for (const Encoding& e : kEncodings) {
        const char* written = e.written == Written::Hex        ? "0x%04Xu"
                              : e.written == Written::Unsigned ? "%du"
                                                               : "%d";
        c_define(text, e.name, format(written, e.value), e.comment);
    }
    text +=
        "\n"
        "/* An annunciator field as one number: its byte, mask and shift. */\n"
        "#define CORVANE_FIELD(offset, mask, shift) \\\n"
        "    (((uint32_t)(offset) << 16) | ((uint32_t)(mask) << 8) | (uint32_t)(shift))\n";
    c_constants(text, rows);
    text += format(
        "\n"
        "/* Little-endian loads from a copy of the block read at CORVANE_BLOCK_FIRST.\n"
        "   offset is the FSUIPC offset (CORVANE_ALTITUDE_DISPLAY, 0x943A), not its\n"
        "   place in the copy; one outside the block reads 0. */\n"
        "static inline uint8_t corvane_u8_at(const uint8_t *block, uint16_t offset) {\n"
        "    if (offset < CORVANE_BLOCK_FIRST || offset > CORVANE_BLOCK_LAST) {\n"
        "        return 0;\n"
        "    }\n"
        "    return block[offset - CORVANE_BLOCK_FIRST];\n"
        "}\n"
        "\n"
        "static inline uint16_t corvane_u16_at(const uint8_t *block, uint16_t offset) {\n"
        "    if (offset < CORVANE_BLOCK_FIRST || offset >= CORVANE_BLOCK_LAST) {\n"
        "        return 0;\n"
        "    }\n"
        "    return (uint16_t)(block[offset - CORVANE_BLOCK_FIRST] |\n"
        "                      (uint16_t)((uint16_t)block[offset - CORVANE_BLOCK_FIRST + 1] << 8));\n"
        "}\n"
        "\n"
        "/* An S16 value from its two bytes read as U16. The x1000 rows: divide by\n"
        "   their _SCALE. */\n"
        "static inline int16_t corvane_s16(uint16_t raw) {\n"
        "    return (int16_t)((int32_t)raw - (raw >= 0x8000u ? 65536L : 0L));\n"
        "}\n"
        "\n"
        "/* A display value: 1 with *value set, or 0 when the window is blank. */\n"
        "static inline int corvane_display(uint16_t raw, uint16_t *value) {\n"
        "    if (raw == CORVANE_BLANK) {\n"
        "        return 0;\n"
        "    }\n"
        "    *value = raw;\n"
        "    return 1;\n"
        "}\n"
        "\n"
        "/* The vertical speed window (CORVANE_%s) with its sign\n"
        "   (CORVANE_%s): 1 with *value set, or 0 when blank. */\n"
        "static inline int corvane_vertical_speed(uint16_t magnitude, uint8_t sign, int32_t *value) {\n"
        "    if (magnitude == CORVANE_BLANK) {\n"
        "        return 0;\n"
        "    }\n"
        "    *value = sign == CORVANE_VS_NEGATIVE ? -(int32_t)magnitude : (int32_t)magnitude;\n"
        "    return 1;\n"
        "}\n"
        "\n"
        "/* The parts of a CORVANE_FIELD, and the field's state in its byte:\n"
        "   (byte & mask) >> shift, 0 or 1 for a lamp, 0 to 3 for a two-bit field. */\n"
        "static inline uint16_t corvane_field_offset(uint32_t field) { return (uint16_t)(field >> 16); }\n"
        "static inline uint8_t corvane_field_mask(uint32_t field) { return (uint8_t)(field >> 8); }\n"
        "static inline uint8_t corvane_field_shift(uint32_t field) { return (uint8_t)(field & 0x07u); }\n"
        "static inline uint8_t corvane_field_state(uint32_t field, uint8_t byte) {\n"
        "    return (uint8_t)((byte & corvane_field_mask(field)) >> corvane_field_shift(field));\n"
        "}\n"
        "\n"
        "/* A counter after detents: +n clockwise or up, -n the other way, modulo %d.\n"
        "   Corvane tells at most CORVANE_MAX_DETENTS either way between two of its\n"
        "   ticks, so more are cut to that many: never a turn the other way. */\n"
        "static inline uint8_t corvane_counter_add(uint8_t counter, int detents) {\n"
        "    if (detents > CORVANE_MAX_DETENTS) {\n"
        "        detents = CORVANE_MAX_DETENTS;\n"
        "    } else if (detents < -CORVANE_MAX_DETENTS) {\n"
        "        detents = -CORVANE_MAX_DETENTS;\n"
        "    }\n"
        "    return (uint8_t)((unsigned)counter + (unsigned)detents);\n"
        "}\n"
        "\n"
        "/* Write the next command code into CORVANE_COMMAND_WORD only while this is\n"
        "   true: the word is free, negative as a signed word (above\n"
        "   CORVANE_MAX_COMMAND), as Corvane leaves it once it took a command. */\n"
        "static inline int corvane_command_free(uint16_t command_word) {\n"
        "    return command_word > CORVANE_MAX_COMMAND;\n"
        "}\n"
        "\n"
        "/* Whether Corvane bridges (State=1 in its corvane.ini): CORVANE_STATE reads\n"
        "   CORVANE_STATE_BRIDGING and CORVANE_HEARTBEAT moved within CORVANE_LIVE_MS\n"
        "   by your clock now_ms (milliseconds, wrapping). watch remembers the last\n"
        "   heartbeat seen: start it zeroed. A Corvane that was killed or cut off\n"
        "   leaves CORVANE_STATE as it was, but its heartbeat stands still: the first\n"
        "   reading only takes the heartbeat in, and Corvane is live once it moved. */\n"
        "typedef struct {\n"
        "    int seen;\n"
        "    uint8_t heartbeat;\n"
        "    uint32_t since_ms;\n"
        "    int moved;\n"
        "} corvane_watch;\n"
        "\n"
        "static inline int corvane_live(corvane_watch *watch, uint8_t state, uint8_t heartbeat,\n"
        "                               uint32_t now_ms) {\n"
        "    if (!watch->seen) {\n"
        "        watch->seen = 1;\n"
        "        watch->heartbeat = heartbeat;\n"
        "    } else if (watch->heartbeat != heartbeat) {\n"
        "        watch->heartbeat = heartbeat;\n"
        "        watch->since_ms = now_ms;\n"
        "        watch->moved = 1;\n"
        "    }\n"
        "    return watch->moved && state == CORVANE_STATE_BRIDGING &&\n"
        "           (uint32_t)(now_ms - watch->since_ms) <= CORVANE_LIVE_MS;\n"
        "}\n"
        "\n"
        "#endif /* CORVANE_H */\n",
        display_row(rows, vertical_speed_display()).symbol.c_str(),
        panel_row(rows, kSignFieldOffset).symbol.c_str(),
        kCounterModulus);
    return text;
}

}  // namespace corvane::bridge
