// Prints the offset map from the export tables.
#include "export/offset_map.h"

#include <cstdarg>
#include <cstdio>

#include "export/tables.h"

namespace corvane::data_export {

namespace {

void append(std::string& text, const char* format, ...) {
    char line[160];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0) {
        text.append(line, static_cast<std::size_t>(length) < sizeof line
                              ? static_cast<std::size_t>(length)
                              : sizeof line - 1);
    }
}

const char* block_name(SourceBlock block) { return block == kSdk2 ? "SDK2" : "SDK1"; }

void append_annunciators(std::string& text) {
    for (const AnnunciatorRow& row : kAnnunciatorRows) {
        append(text, "0x%04X  1     annunciator byte, weighted sum of %s fields:", row.offset,
               block_name(row.block));
        for (int column = 0; column < kAnnunciatorWeights; ++column) {
            if (row.field[column] != kNoField) {
                append(text, " 0x%04X x%u", row.field[column], annunciator_weight(column));
            }
        }
        append(text, "\n");
    }
}

void append_displays(std::string& text) {
    for (const DisplayWindow& window : kDisplayWindows) {
        append(text, "0x%04X  2     display value%s%s: SDK1 0x%04X-0x%04X, %d digits, %s, "
                     "0xFFFF when blank\n",
               window.offset, window.name[0] != '\0' ? ", " : "", window.name,
               window.first_field, window.last_field, window.digits,
               window.layout == kStandard ? "units last" : "units first");
    }
}

void append_panel_values(std::string& text) {
    for (const PanelRow& row : kPanelRows) {
        if (row.type == kInteger) {
            append(text, "0x%04X  1     SDK1 0x%04X, 4-byte integer, low-order byte\n", row.offset,
                   row.source);
        } else if (row.scale == kUnscaled) {
            append(text, "0x%04X  2     SDK1 0x%04X, 8-byte double, truncated\n", row.offset,
                   row.source);
        } else {
            append(text, "0x%04X  2     SDK1 0x%04X, 8-byte double, x %g then truncated\n",
                   row.offset, row.source, row.scale);
        }
    }
}

}  // namespace

std::string offset_map() {
    std::string text;
    append(text, "offset  size  value\n");
    append_annunciators(text);
    append_displays(text);
    append_panel_values(text);
    return text;
}

}  // namespace corvane::data_export
