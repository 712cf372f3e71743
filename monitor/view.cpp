// The live view's layout.
#include "monitor/view.h"

#include <cstdio>

#include "fsuipc/client.h"

namespace corvane::monitor {

namespace {

constexpr std::size_t kGap = 2;  // between cells
constexpr std::size_t kOffsetColumns = 4;      // "943A"
constexpr std::size_t kLampOffsetColumns = 7;  // "9402&04"
constexpr char kChangedMark = '*';

struct SectionStyle {
    Section section;
    const char* title;
    std::size_t offset_columns;
    std::size_t value_columns;
    std::size_t name_cap;  // longer names are cut
};

constexpr SectionStyle kSectionStyles[kSectionCount] = {
    {Section::Displays, "displays: the number shown, ----- when blank", kOffsetColumns, 5, 24},
    {Section::Annunciators,
     "annunciators: bits 0..7 from the left; 1 or 0 per field, 0..3 and = for a two-bit field, - no field",
     kOffsetColumns, 8, 16},
    {Section::Lamps, "lamps you labelled: byte&mask, 1 or 0 (0..3 for a two-bit field)", kLampOffsetColumns, 1,
     24},
    {Section::PanelValues, "panel values: size, SDK1 field, value (2 bytes: a double, truncated; k: x1000)",
     kOffsetColumns, 6, 16},
    {Section::Inputs, "inputs: written by panels, read by Corvane", kOffsetColumns, 6, 30},
    {Section::Corvane, "Corvane (State=1): state 0 ended, 1 bridging, 2 stopped; heartbeat",
     kOffsetColumns, 6, 30},
};

bool continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::string& next_line(Frame& frame) {
    if (frame.line_count == frame.lines.size()) {
        frame.lines.emplace_back();
    }
    std::string& line = frame.lines[frame.line_count++];
    line.clear();
    return line;
}

// Header and titles are ASCII: cut at the console's width.
void fit(std::string& line, std::size_t width) {
    if (width != 0 && line.size() > width) {
        line.resize(width);
    }
}

// Appends text cut to at most columns characters, then spaces up to columns.
void append_fitted(std::string& line, const std::string& text, std::size_t columns) {
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i + 1;
        while (end < text.size() && continuation_byte(text[end])) {
            ++end;
        }
        if (used == columns) {
            break;
        }
        line.append(text, i, end - i);
        ++used;
        i = end;
    }
    line.append(columns - used, ' ');
}

void append_right(std::string& line, const char* text, std::size_t columns) {
    std::size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    if (length < columns) {
        line.append(columns - length, ' ');
    }
    line += text;
}

void render_header(const ViewStatus& status, std::size_t width, Frame& frame) {
    std::string& line = next_line(frame);
    char text[256];
    if (status.connected) {
        std::snprintf(text, sizeof text,
                      "corvane-monitor  FSUIPC 0x9400-0x94FB every %u ms  %02d:%02d:%02d  "
                      "* changed in the last second",
                      static_cast<unsigned>(status.interval_ms), status.time.hour, status.time.minute,
                      status.time.second);
    } else {
        std::snprintf(text, sizeof text,
                      "corvane-monitor  waiting for FSUIPC (%s), retrying every second  %02d:%02d:%02d",
                      fsuipc::result_meaning(status.problem), status.time.hour, status.time.minute,
                      status.time.second);
    }
    line = text;
    fit(line, width);
}

void render_section(const SectionStyle& style, const std::vector<Field>& fields,
                    const Tracker& tracker, std::uint64_t now_ms, std::size_t width, Frame& frame) {
    std::size_t name_columns = 0;
    std::size_t count = 0;
    for (const Field& field : fields) {
        if (field.section == style.section) {
            const std::size_t columns = text_columns(field.view_name);
            name_columns = columns > name_columns ? columns : name_columns;
            ++count;
        }
    }
    if (count == 0) {
        return;
    }
    name_columns = name_columns < style.name_cap ? name_columns : style.name_cap;
    const std::size_t cell = style.offset_columns + 1 + (name_columns != 0 ? name_columns + 1 : 0) +
                             style.value_columns + 1;
    std::size_t per_line = width > cell ? (width + kGap) / (cell + kGap) : 1;
    per_line = per_line != 0 ? per_line : 1;

    std::string& title = next_line(frame);
    title = style.title;
    fit(title, width);

    std::size_t k = 0;
    std::string* line = nullptr;
    std::size_t column = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& field = fields[i];
        if (field.section != style.section) {
            continue;
        }
        if (k % per_line == 0) {
            line = &next_line(frame);
            column = 0;
        } else {
            line->append(kGap, ' ');
            column += kGap;
        }
        ++k;
        *line += offset_text(field, false).text;
        *line += ' ';
        column += style.offset_columns + 1;
        if (name_columns != 0) {
            append_fitted(*line, field.view_name, name_columns);
            *line += ' ';
            column += name_columns + 1;
        }
        const bool recent = recently_changed(tracker, i, now_ms);
        if (recent) {
            frame.highlights.push_back(
                Highlight{frame.line_count - 1, line->size(), column, style.value_columns + 1});
        }
        append_right(*line, value_text(field, tracker.value[i]).text, style.value_columns);
        *line += recent ? kChangedMark : ' ';
        column += style.value_columns + 1;
    }
}

// Keeps the frame within height lines, the last one saying what is missing.
void limit_height(std::size_t width, std::size_t height, Frame& frame) {
    if (height == 0 || frame.line_count <= height) {
        return;
    }
    const std::size_t kept = height - 1;
    const std::size_t missing = frame.line_count - kept;
    frame.line_count = kept;
    std::size_t h = 0;
    for (const Highlight& highlight : frame.highlights) {
        if (highlight.line < kept) {
            frame.highlights[h++] = highlight;
        }
    }
    frame.highlights.resize(h);
    char text[128];
    std::snprintf(text, sizeof text,
                  "... %zu more lines: a taller window, --section or --changes shows them", missing);
    std::string& line = next_line(frame);
    line = text;
    fit(line, width);
}

}  // namespace

void render_view(const std::vector<Field>& fields, const Tracker& tracker, const ViewStatus& status,
                 std::size_t width, std::size_t height, Frame& frame) {
    frame.line_count = 0;
    frame.highlights.clear();
    render_header(status, width, frame);
    if (tracker.has_baseline) {
        for (const SectionStyle& style : kSectionStyles) {
            if ((status.sections & section_bit(style.section)) != 0) {
                render_section(style, fields, tracker, status.now_ms, width, frame);
            }
        }
    }
    limit_height(width, height, frame);
}

std::size_t text_columns(const std::string& text) {
    std::size_t columns = 0;
    for (char c : text) {
        columns += continuation_byte(c) ? 0 : 1;
    }
    return columns;
}

}  // namespace corvane::monitor
