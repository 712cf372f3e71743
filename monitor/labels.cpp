// The labels CSV: reading a builder's file, and writing the template.
#include "monitor/labels.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "bridge/offset_map.h"

namespace corvane::monitor {

namespace {

constexpr char kComma = ',';
constexpr char kSemicolon = ';';
constexpr char kQuote = '"';
constexpr char kMaskMark = '&';  // "0x9402&0x04": a field of an annunciator byte
constexpr char kComment = '#';
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kHeaderWord[] = "offset";
constexpr char kCommandKey[] = "command:";
constexpr int kLabelColumn = 1;

const std::string kNoLabel;

std::string trimmed(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t')) {
        ++first;
    }
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) {
        --last;
    }
    return text.substr(first, last - first);
}

// The separator of the file: the first comma or semicolon outside quotes
// of a row, or 0 when the row holds neither.
char separator_of(const std::string& line) {
    bool quoted = false;
    for (const char c : line) {
        if (c == kQuote) {
            quoted = !quoted;
        } else if (!quoted && (c == kComma || c == kSemicolon)) {
            return c;
        }
    }
    return 0;
}

// Splits one line into its fields; false when a quoted field is not closed
// or text follows its closing quote.
bool split_line(const std::string& line, char separator, std::vector<std::string>& fields) {
    fields.clear();
    std::size_t i = 0;
    for (;;) {
        std::string field;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i < line.size() && line[i] == kQuote) {
            ++i;
            for (;;) {
                if (i >= line.size()) {
                    return false;
                }
                if (line[i] == kQuote) {
                    if (i + 1 < line.size() && line[i + 1] == kQuote) {
                        field += kQuote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
                ++i;
            }
            if (i < line.size() && line[i] != separator) {
                return false;
            }
        } else {
            while (i < line.size() && line[i] != separator) {
                field += line[i++];
            }
            field = trimmed(field);
        }
        fields.push_back(field);
        if (i >= line.size()) {
            return true;
        }
        ++i;  // the separator
    }
}

bool is_header(const std::string& first_field) {
    if (first_field.size() != sizeof kHeaderWord - 1) {
        return false;
    }
    for (std::size_t i = 0; i < first_field.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(first_field[i])) != kHeaderWord[i]) {
            return false;
        }
    }
    return true;
}

// "0x9430", "9430": hexadecimal, 1 to 8 digits.
bool parse_hex(const std::string& text, std::uint32_t& offset) {
    std::size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        start = 2;
    }
    const std::size_t digits = text.size() - start;
    if (digits == 0 || digits > 8) {
        return false;
    }
    std::uint32_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isxdigit(c)) {
            return false;
        }
        value = value * 16 + static_cast<std::uint32_t>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
    }
    offset = value;
    return true;
}

// Labels are printed on the console: a control character could move the
// cursor or start an escape sequence, so it becomes a space.
std::string printable(const std::string& label) {
    std::string text = label;
    for (char& c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
        }
    }
    return trimmed(text);
}

// An offset, or an offset and a mask after '&'.
struct Key {
    std::uint32_t offset = 0;
    bool has_mask = false;
    std::uint32_t mask = 0;
};

bool parse_key(const std::string& text, Key& key) {
    const std::size_t mark = text.find(kMaskMark);
    key.has_mask = mark != std::string::npos;
    return parse_hex(trimmed(text.substr(0, mark)), key.offset) &&
           (!key.has_mask || parse_hex(trimmed(text.substr(mark + 1)), key.mask));
}

// The annunciator field with this byte and mask, or -1.
int field_index(const Key& key) {
    for (std::size_t f = 0; f < data_export::kAnnunciatorFields.size(); ++f) {
        const data_export::AnnunciatorField& field = data_export::kAnnunciatorFields[f];
        if (field.offset == key.offset && field.mask() == key.mask) {
            return static_cast<int>(f);
        }
    }
    return -1;
}

std::string line_error(int line, const char* format, std::uint32_t offset, std::uint32_t mask = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(offset), static_cast<unsigned>(mask));
    return "line " + std::to_string(line) + ": " + text;
}

std::string quoted(const std::string& field) {
    if (field.find_first_of(",;\"") == std::string::npos) {
        return field;
    }
    std::string text(1, kQuote);
    for (char c : field) {
        if (c == kQuote) {
            text += kQuote;
        }
        text += c;
    }
    return text + kQuote;
}

// "command:1232": a row of the aircraft's command list.
bool is_command_key(const std::string& key) {
    return key.compare(0, sizeof kCommandKey - 1, kCommandKey) == 0;
}

// "command:1232,NAME": the code in decimal (negative allowed), the name
// non-empty, each once in the file.
bool command_row(const std::vector<std::string>& fields, int line, std::map<std::string, int>& seen,
                 std::vector<Labels::Command>& commands, std::string& error) {
    const std::string code_text = trimmed(fields[0].substr(sizeof kCommandKey - 1));
    const std::string where = "line " + std::to_string(line) + ": ";
    char* end = nullptr;
    errno = 0;
    const long long code = code_text.empty() ? 0 : std::strtoll(code_text.c_str(), &end, 10);
    if (code_text.empty() || end == nullptr || *end != '\0' || errno != 0 || code < INT32_MIN ||
        code > INT32_MAX || !(std::isdigit(static_cast<unsigned char>(code_text.back())) != 0)) {
        error = where + "\"" + printable(fields[0]) + "\" is not a command code (command:1232)";
        return false;
    }
    const std::string name = fields.size() > kLabelColumn ? printable(fields[kLabelColumn]) : std::string();
    if (name.empty()) {
        error = where + "command " + code_text + " has no name";
        return false;
    }
    for (const std::string& key : {"code:" + std::to_string(code), "name:" + name}) {
        const auto [at, fresh] = seen.emplace(key, line);
        if (!fresh) {
            error = where + (key[0] == 'c' ? "command " + std::to_string(code) : "the command name " + name) +
                    " is given twice (first on line " + std::to_string(at->second) + ")";
            return false;
        }
    }
    commands.push_back({static_cast<std::int32_t>(code), name});
    return true;
}

}  // namespace

const std::string& Labels::of(std::uint32_t offset) const {
    if (offset < kBlockFirst || offset > kBlockLast) {
        return kNoLabel;
    }
    return text[offset - kBlockFirst];
}

const std::string& Labels::of_field(int f) const {
    if (f < 0 || f >= data_export::kAnnunciatorFieldCount) {
        return kNoLabel;
    }
    return field_text[static_cast<std::size_t>(f)];
}

const std::string* Labels::command_name(std::int32_t code) const {
    for (const Command& c : commands) {
        if (c.code == code) {
            return &c.name;
        }
    }
    return nullptr;
}

bool Labels::command_code(const std::string& name, std::int32_t& code) const {
    for (const Command& c : commands) {
        if (c.name == name) {
            code = c.code;
            return true;
        }
    }
    return false;
}

bool parse_labels(const std::string& csv, Labels& labels, std::string& error) {
    Labels result;
    std::vector<bool> is_start(kBlockSize, false);
    for (const bridge::OffsetEntry& e : bridge::offset_entries()) {
        is_start[e.offset - kBlockFirst] = true;
    }
    // The line that labelled each offset, then each field; 0: none yet.
    std::vector<int> labelled_on(kBlockSize + result.field_text.size(), 0);

    std::size_t position = 0;
    if (csv.compare(0, sizeof kByteOrderMark - 1, kByteOrderMark) == 0) {
        position = sizeof kByteOrderMark - 1;
    }
    std::vector<std::string> fields;
    int line_number = 0;
    std::map<std::string, int> commanded_on;  // "code:1232", "name:X": the line that gave it
    bool first_row = true;
    char separator = 0;
    while (position < csv.size()) {
        std::size_t end = csv.find('\n', position);
        if (end == std::string::npos) {
            end = csv.size();
        }
        std::string line = csv.substr(position, end - position);
        position = end + 1;
        ++line_number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == kComment) {
            continue;
        }
        separator = separator != 0 ? separator : separator_of(line);
        if (!split_line(line, separator != 0 ? separator : kComma, fields)) {
            error = "line " + std::to_string(line_number) + ": a quoted field is not closed properly";
            return false;
        }
        const bool header = first_row && is_header(fields[0]);
        first_row = false;
        if (header) {
            continue;
        }
        if (is_command_key(fields[0])) {
            if (!command_row(fields, line_number, commanded_on, result.commands, error)) {
                return false;
            }
            continue;
        }
        Key key;
        if (!parse_key(fields[0], key)) {
            error = "line " + std::to_string(line_number) + ": \"" + printable(fields[0]) +
                    "\" is not a hexadecimal offset";
            return false;
        }
        if (key.offset < kBlockFirst || key.offset > kBlockLast) {
            error = line_error(line_number, "0x%04X lies outside the block 0x9400-0x94FB", key.offset);
            return false;
        }
        std::size_t slot = key.offset - kBlockFirst;
        std::string* label = &result.text[slot];
        if (key.has_mask) {
            const int f = field_index(key);
            if (f < 0) {
                error = line_error(line_number,
                                   "0x%04X&0x%02X is not a field of an annunciator byte "
                                   "(the labels.csv template lists them all)",
                                   key.offset, key.mask);
                return false;
            }
            slot = kBlockSize + static_cast<std::size_t>(f);
            label = &result.field_text[static_cast<std::size_t>(f)];
        } else if (!is_start[slot]) {
            error = line_error(line_number,
                               "0x%04X is not an offset of the block "
                               "(the labels.csv template lists them all)",
                               key.offset);
            return false;
        }
        if (labelled_on[slot] != 0) {
            error = "line " + std::to_string(line_number) + ": " + printable(fields[0]) +
                    " is labelled twice (first on line " + std::to_string(labelled_on[slot]) + ")";
            return false;
        }
        labelled_on[slot] = line_number;
        if (fields.size() > kLabelColumn) {
            *label = printable(fields[kLabelColumn]);
        }
    }
    labels = result;
    return true;
}

std::string labels_template() {
    std::string text =
        "# Your own names for Corvane's offsets, for corvane-monitor --labels FILE.\n"
        "# One line per offset: the offset (hexadecimal), then your label. An empty label\n"
        "# keeps the monitor's name. After each annunciator byte, one line per lamp or\n"
        "# state it carries, the byte and its mask (0x9402&0x04): a label there shows that\n"
        "# field on its own. The third column says what the offset carries and is not\n"
        "# read. Columns may be separated by ; instead. Lines starting with # are skipped.\n"
        "offset,label,carries\n";
    for (const bridge::OffsetEntry& e : bridge::offset_map_rows()) {
        // Annunciator bytes and fields have the program's generic names; they name no lamp.
        const bool annunciator =
            e.kind == bridge::OffsetKind::Annunciator || e.kind == bridge::OffsetKind::AnnunciatorField;
        const std::string label = annunciator ? std::string() : e.name;
        const std::string carries =
            std::string(e.direction == bridge::Direction::PanelReads ? "panel reads " : "panel writes ") +
            bridge::type_text(e.type) + ": " + e.source + "; " + e.scaling;
        text += std::string(offset_text(e, true).text) + kComma + quoted(label) + kComma +
                quoted(carries) + "\n";
    }
    return text;
}

}  // namespace corvane::monitor
