// The live view: the whole block decoded, laid out in as many columns as
// the console is wide, one section per kind of offset, recently changed
// values marked. Rendered into a Frame of plain text lines plus the spans
// to show highlighted; the console front end decides how to draw them (VT
// sequences, console attributes, or plain text when redirected).
//
// The frame's lines and spans are reused from render to render, so a
// redraw allocates nothing once the view has been drawn at its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/block.h"
#include "monitor/changes.h"

namespace corvane::monitor {

// A span of a line to show highlighted (a recently changed value): byte
// offset within the line and console column (they differ only after a
// label with characters outside ASCII), and length in both.
struct Highlight {
    std::size_t line;
    std::size_t byte;
    std::size_t column;
    std::size_t length;
};

struct Frame {
    std::vector<std::string> lines;  // the first line_count are the frame
    std::size_t line_count = 0;
    std::vector<Highlight> highlights;
};

struct ViewStatus {
    bool connected = false;
    std::int32_t problem = 0;  // FSUIPC result code of the last failure while not connected
    std::uint32_t interval_ms = 0;
    TimeOfDay time;
    std::uint64_t now_ms = 0;  // for the highlight of recent changes
    SectionSet sections = kAllSections;  // the sections to draw (--section)
};

// Renders into frame. width: console columns; height: console lines the
// frame may take (0: no limit); a frame that does not fit ends in a line
// saying how many lines are missing.
void render_view(const std::vector<Field>& fields, const Tracker& tracker, const ViewStatus& status,
                 std::size_t width, std::size_t height, Frame& frame);

// Console columns taken by UTF-8 text (one per character).
std::size_t text_columns(const std::string& text);

}  // namespace corvane::monitor
