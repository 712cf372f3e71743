// The offset map's sources named from the header, and the files written
// from those names.
#include "names/naming.h"

#include <map>
#include <set>

#include "aircraft/link.h"
#include "bridge/offset_map.h"
#include "common/format.h"
#include "export/tables.h"

namespace corvane::names {

namespace {

using bridge::OffsetEntry;
using bridge::OffsetKind;
using namespace data_export;

constexpr const char* kBlockNames[] = {"SDK1", "SDK2"};
constexpr std::size_t kBlockSizes[] = {aircraft::kSdk1BlockSize, aircraft::kSdk2BlockSize};
constexpr const char* kByteSeparator = " / ";

std::string at_line(const std::string& file, int line) {
    return line > 0 ? file + ":" + std::to_string(line) : file;
}

int find_record(const Header& h, const std::string& name) {
    for (std::size_t r = 0; r < h.records.size(); ++r) {
        for (const std::string& alias : h.records[r].aliases) {
            if (alias == name) {
                return static_cast<int>(r);
            }
        }
    }
    return -1;
}

// The structure laid over a block: the one named, or the one structure
// (other than `other`) whose size covers the block.
bool pick(const Header& h, const std::string& file, const std::string& wanted, int block, int other,
          int& chosen, std::string& error) {
    const std::size_t size = kBlockSizes[block];
    const char* option = block == 0 ? "--sdk1" : "--sdk2";
    if (!wanted.empty()) {
        chosen = find_record(h, wanted);
        if (chosen < 0) {
            error = file + ": no structure named " + wanted + " (" + option + ")";
            return false;
        }
        const Record& r = h.records[static_cast<std::size_t>(chosen)];
        if (r.size < size) {
            error = format("%s: %s is %llu bytes, smaller than the %u bytes of %s",
                           at_line(file, r.line).c_str(), wanted.c_str(),
                           static_cast<unsigned long long>(r.size), static_cast<unsigned>(size),
                           kBlockNames[block]);
            return false;
        }
        return true;
    }
    chosen = -1;
    int largest = -1;
    for (std::size_t i = 0; i < h.records.size(); ++i) {
        const Record& r = h.records[i];
        if (r.name.empty() || static_cast<int>(i) == other) {
            continue;
        }
        if (largest < 0 || r.size > h.records[static_cast<std::size_t>(largest)].size) {
            largest = static_cast<int>(i);
        }
        if (r.size < size) {
            continue;
        }
        if (chosen >= 0) {
            const Record& first = h.records[static_cast<std::size_t>(chosen)];
            error = format("%s: both %s (line %d, %llu bytes) and %s (%llu bytes) cover the %u "
                           "bytes of %s; name one with %s",
                           at_line(file, r.line).c_str(), first.name.c_str(), first.line,
                           static_cast<unsigned long long>(first.size), r.name.c_str(),
                           static_cast<unsigned long long>(r.size), static_cast<unsigned>(size), kBlockNames[block],
                           option);
            return false;
        }
        chosen = static_cast<int>(i);
    }
    if (chosen < 0) {
        error = file + ": no structure covers the " + std::to_string(size) + " bytes of " +
                kBlockNames[block];
        if (largest >= 0) {
            const Record& r = h.records[static_cast<std::size_t>(largest)];
            error += format(" (the largest, %s on line %d, is %llu bytes)", r.name.c_str(), r.line,
                            static_cast<unsigned long long>(r.size));
        }
        return false;
    }
    return true;
}

struct Namer {
    const Header& h;
    const std::string& file;
    int record[2];
    std::string error;

    // The field at a source offset, read with `width` bytes; false (and
    // error set) when no field of that size starts there.
    bool name(int block, std::uint32_t offset, std::uint32_t width, const std::string& what,
              Location& out) {
        out = locate(h, record[block], offset);
        const std::string where = format("%s 0x%04X (%s)", kBlockNames[block], offset, what.c_str());
        switch (out.kind) {
            case Location::Start:
                if (out.size != width) {
                    error = format("%s: %s is %llu byte%s; %s is read as a %u-byte %s",
                                   at_line(file, out.line).c_str(), out.name.c_str(),
                                   static_cast<unsigned long long>(out.size), out.size == 1 ? "" : "s",
                                   where.c_str(), width, width == kDoubleFieldSize ? "double" : "integer");
                    return false;
                }
                return true;
            case Location::Inside:
                error = format("%s: %s falls inside %s, which starts at 0x%04llX",
                               at_line(file, out.line).c_str(), where.c_str(), out.name.c_str(),
                               static_cast<unsigned long long>(out.offset));
                return false;
            case Location::Padding:
                error = format("%s: %s falls in padding%s%s", at_line(file, out.line).c_str(),
                               where.c_str(), out.name.empty() ? "" : " after ", out.name.c_str());
                return false;
        }
        return false;
    }
};

// A display's digits or an annunciator byte's fields: one array's elements
// by the array's name ("DIGITS" for all of it, "DIGITS[1..3]" for a run),
// other fields one by one, "A / B / C".
std::string digits_label(const std::vector<Location>& digits) {
    bool one_array = !digits.empty() && !digits[0].array.empty();
    for (std::size_t j = 1; j < digits.size() && one_array; ++j) {
        one_array = digits[j].array == digits[0].array && digits[j].index == digits[0].index + j;
    }
    if (one_array) {
        if (digits[0].index == 0 && digits.size() == digits[0].length) {
            return digits[0].array;
        }
        return format("%s[%llu..%llu]", digits[0].array.c_str(),
                      static_cast<unsigned long long>(digits[0].index),
                      static_cast<unsigned long long>(digits.back().index));
    }
    std::string label;
    for (const Location& d : digits) {
        label += (label.empty() ? "" : kByteSeparator) + d.name;
    }
    return label;
}

bool name_rows(Namer& n, std::vector<NamedRow>& rows) {
    for (const OffsetEntry& e : bridge::offset_map_rows()) {
        NamedRow row;
        row.offset = e.offset;
        row.size = e.size;
        Location at;
        switch (e.kind) {
            case OffsetKind::Annunciator: {
                const AnnunciatorRow& a = kAnnunciatorRows[static_cast<std::size_t>(e.index)];
                row.annunciator_byte = true;
                row.source = kBlockNames[a.block];
                std::vector<Location> fields;
                for (int column = 0; column < kAnnunciatorWeights; ++column) {
                    if (a.field[column] == kNoField) {
                        continue;
                    }
                    if (!n.name(a.block, a.field[column], kIntegerFieldSize, e.symbol, at)) {
                        return false;
                    }
                    fields.push_back(at);
                    row.source += format("%s0x%04X", row.source.size() == 4 ? " " : ", ", a.field[column]);
                }
                row.label = digits_label(fields);
                break;
            }
            case OffsetKind::AnnunciatorField: {
                const AnnunciatorField& f = kAnnunciatorFields[static_cast<std::size_t>(e.index)];
                if (!n.name(f.block(), f.source(), kIntegerFieldSize, e.symbol, at)) {
                    return false;
                }
                row.mask = f.mask();
                row.shift = f.shift;
                row.states = f.states();
                row.label = at.name;
                row.source = format("%s 0x%04X", kBlockNames[f.block()], f.source());
                break;
            }
            case OffsetKind::Display: {
                const DisplayWindow& w = kDisplayWindows[e.index];
                std::vector<Location> digits;
                for (int j = 0; j < w.digits; ++j) {
                    if (!n.name(kSdk1, digit_field(w, j), kIntegerFieldSize, e.symbol, at)) {
                        return false;
                    }
                    digits.push_back(at);
                }
                row.label = digits_label(digits);
                row.source = format("SDK1 0x%04X-0x%04X", w.first_field, w.last_field);
                break;
            }
            case OffsetKind::Panel: {
                const PanelRow& p = kPanelRows[static_cast<std::size_t>(e.index)];
                const std::uint32_t width = p.type == kInteger ? kIntegerFieldSize : kDoubleFieldSize;
                if (!n.name(kSdk1, p.source, width, e.symbol, at)) {
                    return false;
                }
                row.label = at.name;
                row.source = format("SDK1 0x%04X", p.source);
                break;
            }
            default:
                continue;  // the inputs and Corvane's state come from no field
        }
        rows.push_back(row);
    }
    return true;
}

void list_commands(const Header& h, const std::string& file, Naming& naming) {
    std::map<std::int32_t, std::string> by_code;
    std::set<std::string> names;
    for (const Constant& c : h.constants) {
        if (c.used_in_layout) {
            continue;  // sizes an array: a count, not a command
        }
        if (c.value < INT32_MIN || c.value > INT32_MAX) {
            naming.notes.push_back(format("%s: %s (%lld) is no command code: it does not fit 32 bits",
                                          at_line(file, c.line).c_str(), c.name.c_str(),
                                          static_cast<long long>(c.value)));
            continue;
        }
        const auto code = static_cast<std::int32_t>(c.value);
        if (!names.insert(c.name).second) {
            continue;
        }
        const auto it = by_code.find(code);
        if (it != by_code.end()) {
            naming.notes.push_back(format("%s: %s repeats command %d of %s; only %s is listed",
                                          at_line(file, c.line).c_str(), c.name.c_str(), code,
                                          it->second.c_str(), it->second.c_str()));
            continue;
        }
        by_code[code] = c.name;
        naming.commands.push_back({code, c.name});
    }
}

// CSV quoting as the labels reader takes it: a field with a separator or a
// quote in double quotes, quotes doubled.
std::string quoted(const std::string& field) {
    if (field.find_first_of(",;\"") == std::string::npos) {
        return field;
    }
    std::string text = "\"";
    for (const char c : field) {
        text += c;
        if (c == '"') {
            text += '"';
        }
    }
    return text + "\"";
}

std::string key_of(const NamedRow& row) {
    return row.mask != 0 ? format("0x%04X&0x%02X", row.offset, row.mask) : format("0x%04X", row.offset);
}

// The kit's symbols, each once: a second row with the same identifier (a
// field read by two offsets) gets its offset appended.
struct Symbol {
    const NamedRow* row;
    std::string name;
};

std::vector<Symbol> kit_symbols(const Naming& naming) {
    std::vector<Symbol> symbols;
    std::set<std::string> taken;
    for (const NamedRow& row : naming.rows) {
        if (row.annunciator_byte) {
            continue;  // its fields carry the names
        }
        std::string name = identifier_of(row.label);
        if (!taken.insert(name).second) {
            name += format("_%04X", row.offset);
            if (row.mask != 0) {
                name += format("_%d", row.shift);
            }
            taken.insert(name);
        }
        symbols.push_back({&row, name});
    }
    return symbols;
}

std::vector<std::string> command_symbols(const Naming& naming) {
    std::vector<std::string> symbols;
    std::set<std::string> taken;
    for (const NamedCommand& c : naming.commands) {
        std::string name = identifier_of(c.name);
        if (!taken.insert(name).second) {
            name += "_" + std::to_string(c.code < 0 ? -static_cast<long long>(c.code) : static_cast<long long>(c.code));
            taken.insert(name);
        }
        symbols.push_back(name);
    }
    return symbols;
}

const std::set<std::string> kLuaKeywords = {
    "and", "break", "do",  "else", "elseif", "end",    "false", "for",  "function", "if", "in",
    "local", "nil", "not", "or",   "repeat", "return", "then",  "true", "until",    "while"};

// A line's comment text: nothing that could end a C comment or a line.
std::string comment_text(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += (c == '\n' || c == '\r') ? ' ' : c;
        if (out.size() >= 2 && out.compare(out.size() - 2, 2, "*/") == 0) {
            out.back() = ' ';
        }
    }
    return out;
}

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string identifier_of(const std::string& name) {
    std::string id;
    for (const char c : name) {
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (keep) {
            id += c;
        } else if (!id.empty() && id.back() != '_') {
            id += '_';
        }
    }
    while (!id.empty() && id.back() == '_') {
        id.pop_back();
    }
    if (id.empty() || (id[0] >= '0' && id[0] <= '9')) {
        id = "_" + id;
    }
    return id;
}

bool name_block(const Header& header, const std::string& file, const Choice& choice,
                Naming& naming, std::string& error) {
    int sdk2 = -1;
    int sdk1 = -1;
    if (!choice.sdk1.empty()) {
        if (!pick(header, file, choice.sdk1, 0, -1, sdk1, error) ||
            !pick(header, file, choice.sdk2, 1, sdk1, sdk2, error)) {
            return false;
        }
    } else if (!pick(header, file, choice.sdk2, 1, -1, sdk2, error) ||
               !pick(header, file, choice.sdk1, 0, sdk2, sdk1, error)) {
        return false;
    }
    Naming result;
    result.sdk1 = header.records[static_cast<std::size_t>(sdk1)].name;
    result.sdk2 = header.records[static_cast<std::size_t>(sdk2)].name;
    Namer namer{header, file, {sdk1, sdk2}, {}};
    if (!name_rows(namer, result.rows)) {
        error = namer.error;
        return false;
    }
    list_commands(header, file, result);
    naming = std::move(result);
    return true;
}

std::string names_csv(const Naming& naming, const std::string& header_name) {
    std::string text =
        "# The aircraft's own names for Corvane's offsets, read by corvane-names from\n"
        "# " + comment_text(header_name) + " (SDK1: " + naming.sdk1 + ", SDK2: " + naming.sdk2 + ").\n"
        "# For corvane-monitor --labels and corvane-sim --hand --names. Written again\n"
        "# by each run: run corvane-names on a new header rather than edit this file.\n"
        "offset,label,source\n";
    for (const NamedRow& row : naming.rows) {
        text += key_of(row) + "," + quoted(row.label) + "," + quoted(row.source) + "\n";
    }
    for (const NamedCommand& c : naming.commands) {
        text += "command:" + std::to_string(c.code) + "," + quoted(c.name) + "\n";
    }
    return text;
}

namespace {

// A table key in Lua: .NAME, or ["NAME"] for a word Lua keeps for itself.
std::string lua_key(const std::string& name) {
    return kLuaKeywords.count(name) != 0 ? "[\"" + name + "\"]" : "." + name;
}

}  // namespace

std::string names_lua(const Naming& naming, const std::string& header_name) {
    std::string text =
        "-- corvane_names.lua: Corvane's offsets by the aircraft's own names, read by\n"
        "-- corvane-names from " + comment_text(header_name) + ". Beside corvane.lua, which\n"
        "-- stays as it is:\n"
        "--\n"
        "--   local corvane = require(\"corvane\")\n"
        "--   local names = require(\"corvane_names\")\n"
        "--   corvane.state(ipc.readUB(names.SOME_LIGHT.offset), names.SOME_LIGHT)\n"
        "--\n"
        "-- Fields of annunciator bytes are {offset, mask, shift, states} like\n"
        "-- corvane.lua's; windows and panel values are offsets; names.command holds\n"
        "-- the header's command codes. Generated; run corvane-names again for a new header.\n"
        "\n"
        "local names = {}\n"
        "names.command = {}\n"
        "\n";
    for (const Symbol& s : kit_symbols(naming)) {
        const std::string lhs = padded("names" + lua_key(s.name), 40);
        if (s.row->mask != 0) {
            text += lhs + format("= {offset = 0x%04X, mask = 0x%02X, shift = %d, states = %d}", s.row->offset,
                                 s.row->mask, s.row->shift, s.row->states);
        } else {
            text += lhs + format("= 0x%04X", s.row->offset);
        }
        text += "  -- " + comment_text(s.row->label + ", " + s.row->source) + "\n";
    }
    text += "\n";
    const std::vector<std::string> commands = command_symbols(naming);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        text += padded("names.command" + lua_key(commands[i]), 40) + "= " +
                std::to_string(naming.commands[i].code) + "\n";
    }
    text += "\nreturn names\n";
    return text;
}

std::string names_c_header(const Naming& naming, const std::string& header_name) {
    std::string text =
        "/* corvane_names.h: Corvane's offsets by the aircraft's own names, read by\n"
        " * corvane-names from " + comment_text(header_name) + ".\n"
        " *\n"
        " * Over corvane.h, which stays as it is: CORVANE_SDK_<field> for every field\n"
        " * and window the header names (a field of an annunciator byte as\n"
        " * CORVANE_FIELD(offset, mask, shift), like corvane.h's), CORVANE_CMD_<name>\n"
        " * for every command code. The prefixes keep them apart from the add-on's\n"
        " * own header, which a program may include as well. Generated; run\n"
        " * corvane-names again for a new header. Compiles as C99 and as C++.\n"
        " */\n"
        "#ifndef CORVANE_NAMES_H\n"
        "#define CORVANE_NAMES_H\n"
        "\n"
        "#include \"corvane.h\"\n"
        "\n";
    for (const Symbol& s : kit_symbols(naming)) {
        const std::string name = "CORVANE_SDK_" + s.name;
        const std::string comment = " /* " + comment_text(s.row->label + ", " + s.row->source) + " */\n";
        if (s.row->mask != 0) {
            text += "#define " + padded(name, 48) +
                    format("CORVANE_FIELD(0x%04Xu, 0x%02Xu, %du)", s.row->offset, s.row->mask, s.row->shift) +
                    comment;
        } else {
            text += "#define " + padded(name, 48) + format("0x%04Xu", s.row->offset) + comment;
            text += "#define " + padded(name + "_SIZE", 48) + format("%uu\n", s.row->size);
        }
    }
    text += "\n";
    const std::vector<std::string> commands = command_symbols(naming);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::int32_t code = naming.commands[i].code;
        text += "#define " + padded("CORVANE_CMD_" + commands[i], 48) +
                (code < 0 ? "(" + std::to_string(code) + ")" : std::to_string(code)) + "\n";
    }
    text += "\n#endif /* CORVANE_NAMES_H */\n";
    return text;
}

}  // namespace corvane::names
