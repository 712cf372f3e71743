// The labels CSV: reading a builder's file, and writing the template.
#include "monitor/labels.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bridge/offset_map.h"

namespace corvane::monitor {

namespace {

constexpr char kSeparator = ',';
constexpr char kQuote = '"';
constexpr char kComment = '#';
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kHeaderWord[] = "offset";
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

// Splits one line into its fields; false when a quoted field is not closed
// or text follows its closing quote.
bool split_line(const std::string& line, std::vector<std::string>& fields) {
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
            if (i < line.size() && line[i] != kSeparator) {
                return false;
            }
        } else {
            while (i < line.size() && line[i] != kSeparator) {
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
bool parse_offset(const std::string& text, std::uint32_t& offset) {
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

std::string line_error(int line, const char* format, std::uint32_t offset) {
    char text[160];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(offset));
    return "line " + std::to_string(line) + ": " + text;
}

std::string quoted(const std::string& field) {
    if (field.find_first_of(",\"") == std::string::npos) {
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

}  // namespace

const std::string& Labels::of(std::uint32_t offset) const {
    if (offset < kBlockFirst || offset > kBlockLast) {
        return kNoLabel;
    }
    return text[offset - kBlockFirst];
}

bool parse_labels(const std::string& csv, Labels& labels, std::string& error) {
    Labels result;
    std::vector<bool> is_start(kBlockSize, false);
    for (const bridge::OffsetEntry& e : bridge::offset_entries()) {
        is_start[e.offset - kBlockFirst] = true;
    }
    std::vector<int> labelled_on(kBlockSize, 0);

    std::size_t position = 0;
    if (csv.compare(0, sizeof kByteOrderMark - 1, kByteOrderMark) == 0) {
        position = sizeof kByteOrderMark - 1;
    }
    std::vector<std::string> fields;
    int line_number = 0;
    bool first_row = true;
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
        if (!split_line(line, fields)) {
            error = "line " + std::to_string(line_number) + ": a quoted field is not closed properly";
            return false;
        }
        const bool header = first_row && is_header(fields[0]);
        first_row = false;
        if (header) {
            continue;
        }
        std::uint32_t offset = 0;
        if (!parse_offset(fields[0], offset)) {
            error = "line " + std::to_string(line_number) + ": \"" + printable(fields[0]) +
                    "\" is not a hexadecimal offset";
            return false;
        }
        if (offset < kBlockFirst || offset > kBlockLast) {
            error = line_error(line_number, "0x%04X lies outside the block 0x9400-0x94FB", offset);
            return false;
        }
        const std::uint32_t i = offset - kBlockFirst;
        if (!is_start[i]) {
            error = line_error(line_number,
                               "0x%04X is not an offset of the block (docs/labels.csv lists them all)",
                               offset);
            return false;
        }
        if (labelled_on[i] != 0) {
            error = line_error(line_number, "0x%04X is labelled twice", offset) + " (first on line " +
                    std::to_string(labelled_on[i]) + ")";
            return false;
        }
        labelled_on[i] = line_number;
        if (fields.size() > kLabelColumn) {
            result.text[i] = printable(fields[kLabelColumn]);
        }
    }
    labels = result;
    return true;
}

std::string labels_template() {
    std::string text =
        "# Your own names for Corvane's offsets, for corvane-monitor --labels FILE.\n"
        "# One line per offset: the offset (hexadecimal), then your label. An empty label\n"
        "# keeps the monitor's name. The third column says what the offset carries and is\n"
        "# not read. Lines starting with # are skipped.\n"
        "offset,label,carries\n";
    for (const bridge::OffsetEntry& e : bridge::offset_entries()) {
        char offset[16];
        std::snprintf(offset, sizeof offset, "0x%04X", static_cast<unsigned>(e.offset));
        // Every annunciator byte has the same program name; it names no lamp.
        const std::string label = e.kind == bridge::OffsetKind::Annunciator ? std::string() : e.name;
        const std::string carries =
            std::string(e.direction == bridge::Direction::PanelReads ? "panel reads " : "panel writes ") +
            bridge::type_text(e.type) + ": " + e.source + "; " + e.scaling;
        text += std::string(offset) + kSeparator + quoted(label) + kSeparator + quoted(carries) + "\n";
    }
    return text;
}

}  // namespace corvane::monitor
