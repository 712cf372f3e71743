// The monitor's reading of the block: fields and their decoding, change
// detection and change lines, and the live view's layout.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "common/numbers.h"
#include "monitor/changes.h"
#include "monitor/labels.h"
#include "monitor/view.h"

namespace corvane::monitor {
namespace {

struct Reading {
    unsigned char bytes[kBlockSize] = {};
    void u8(std::uint32_t offset, std::uint8_t v) { bytes[offset - kBlockFirst] = v; }
    void u16(std::uint32_t offset, std::uint16_t v) { store_u16(bytes + (offset - kBlockFirst), v); }
};

std::size_t index_of(const std::vector<Field>& fields, std::uint32_t offset) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].entry.offset == offset) {
            return i;
        }
    }
    ADD_FAILURE() << "no field at " << std::hex << offset;
    return 0;
}

TEST(MonitorBlock, FieldsFollowTheOffsetMapSectionBySection) {
    const std::vector<Field> fields = make_fields(Labels{});
    std::map<Section, int> count;
    for (const Field& field : fields) {
        ++count[field.section];
    }
    EXPECT_EQ(count[Section::Displays], 33);
    EXPECT_EQ(count[Section::Annunciators], 38);
    EXPECT_EQ(count[Section::PanelValues], 109);
    EXPECT_EQ(count[Section::Inputs], 14);
    EXPECT_EQ(fields[index_of(fields, 0x943A)].name, "altitude display");
    EXPECT_EQ(fields[index_of(fields, 0x9440)].name, "display");
    EXPECT_EQ(fields[index_of(fields, 0x9472)].name, "panel value SDK1 0x0FAC");
    EXPECT_EQ(fields[index_of(fields, 0x9472)].view_name, "1 0FAC");
    EXPECT_EQ(fields[index_of(fields, 0x9477)].name, "panel value SDK1 0x0F88 x1000");
    EXPECT_EQ(fields[index_of(fields, 0x9434)].view_name, "course 1");
    EXPECT_EQ(fields[index_of(fields, 0x9477)].view_name, "2 0F88k");
    EXPECT_EQ(fields[index_of(fields, 0x94EB)].name, "aircraft data valid");
    EXPECT_EQ(fields[index_of(fields, 0x94F0)].name, "altitude display knob");
}

TEST(MonitorBlock, ValuesDecodeByTypeAndReadAsTheViewShowsThem) {
    const std::vector<Field> fields = make_fields(Labels{});
    Reading r;
    r.u16(0x9400, 0xFFFF);  // command word: none
    r.u16(0x943A, 10300);   // altitude display
    r.u16(0x9440, 0xFFFF);  // a blank display
    r.u16(0x9477, 0xFF38);  // S16 panel value at an odd offset
    r.u8(0x9407, 0x49);     // two-bit fields 1, 2, 0, 1
    r.u8(0x9404, 0x1B);     // fields at bits 0..3; bit 4 set by a carry
    r.u8(0x941B, 0x0D);     // bit 0, bits 1-2 = 2, bit 3
    r.u8(0x94F0, 254);
    const struct {
        std::uint32_t offset;
        std::int32_t value;
        const char* text;
    } rows[] = {
        {0x9400, -1, "-1"},          {0x943A, 10300, "10300"},    {0x9440, 65535, "-----"},
        {0x9477, -200, "-200"},      {0x9407, 0x49, "1=2=0=1="},  {0x9404, 0x1B, "11011---"},
        {0x941B, 0x0D, "12=1----"},  {0x94F0, 254, "254"},        {0x9402, 0, "00000000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const Field& field = fields[index_of(fields, row.offset)];
        EXPECT_EQ(field_value(field, r.bytes), row.value);
        EXPECT_STREQ(value_text(field, row.value).text, row.text);
    }
}

TEST(MonitorChanges, BaselineIsSilentThenEachChangedFieldIsOneLine) {
    const std::vector<Field> fields = make_fields(Labels{});
    Tracker tracker;
    init_tracker(tracker, fields.size());
    Reading r;
    r.u16(0x943A, 10000);
    take_reading(tracker, fields, r.bytes, 5000);
    EXPECT_TRUE(tracker.changes.empty());

    r.u16(0x943A, 10300);  // both bytes of one display
    r.u8(0x9405, 0x04);
    take_reading(tracker, fields, r.bytes, 5100);
    ASSERT_EQ(tracker.changes.size(), 2u);
    std::string line;
    const TimeOfDay time{9, 5, 7, 30};
    const Change& annunciator = tracker.changes[0];
    format_change(time, fields[annunciator.field], annunciator.old_value, annunciator.new_value, line);
    EXPECT_EQ(line, "09:05:07.030 0x9405 annunciator byte 00000000 -> 00100000");
    const Change& display = tracker.changes[1];
    format_change(time, fields[display.field], display.old_value, display.new_value, line);
    EXPECT_EQ(line, "09:05:07.030 0x943A altitude display 10000 -> 10300");

    const std::size_t altitude = index_of(fields, 0x943A);
    EXPECT_TRUE(recently_changed(tracker, altitude, 5100 + kHighlightMs - 1));
    EXPECT_FALSE(recently_changed(tracker, altitude, 5100 + kHighlightMs));
    EXPECT_FALSE(recently_changed(tracker, index_of(fields, 0x9430), 5100));
    take_reading(tracker, fields, r.bytes, 5200);
    EXPECT_TRUE(tracker.changes.empty());

    // A labelled lamp is a change of its own, as its state; its neighbours are not.
    Labels labels;
    std::string error;
    ASSERT_TRUE(parse_labels("0x9407&0x0C,stab trim\n", labels, error)) << error;
    const std::vector<Field> with_lamp = make_fields(labels);
    init_tracker(tracker, with_lamp.size());
    take_reading(tracker, with_lamp, r.bytes, 6000);
    r.u8(0x9407, 0x09);  // bits 0-1: 1, bits 2-3: 2
    take_reading(tracker, with_lamp, r.bytes, 6100);
    ASSERT_EQ(tracker.changes.size(), 2u);
    const Change& lamp = tracker.changes[1];
    format_change(time, with_lamp[lamp.field], lamp.old_value, lamp.new_value, line);
    EXPECT_EQ(line, "09:05:07.030 0x9407&0x0C stab trim 0 -> 2");
    r.u8(0x9407, 0x0B);  // only bits 0-1 change
    take_reading(tracker, with_lamp, r.bytes, 6200);
    ASSERT_EQ(tracker.changes.size(), 1u);
    EXPECT_EQ(with_lamp[tracker.changes[0].field].section, Section::Annunciators);

}

// Every field's cell appears once, no line is wider than the console, and
// exactly the changed value is highlighted, at its own place.
void check_frame(const std::vector<Field>& fields, const Frame& frame, std::size_t width,
                 std::uint32_t changed_offset, const char* changed_text) {
    std::map<std::string, int> cells;
    for (std::size_t l = 0; l < frame.line_count; ++l) {
        const std::string& line = frame.lines[l];
        EXPECT_LE(text_columns(line), width) << line;
        for (const Field& field : fields) {
            char cell[8];
            std::snprintf(cell, sizeof cell, "%04X ", static_cast<unsigned>(field.entry.offset));
            for (std::size_t at = line.find(cell); at != std::string::npos; at = line.find(cell, at + 1)) {
                if (at == 0 || line[at - 1] == ' ') {
                    ++cells[cell];
                }
            }
        }
    }
    for (const Field& field : fields) {
        char cell[8];
        std::snprintf(cell, sizeof cell, "%04X ", static_cast<unsigned>(field.entry.offset));
        EXPECT_EQ(cells[cell], 1) << cell;
    }
    ASSERT_EQ(frame.highlights.size(), 1u);
    const Highlight& h = frame.highlights[0];
    const std::string span = frame.lines[h.line].substr(h.byte, h.length);
    EXPECT_EQ(span, std::string(h.length - 1 - std::strlen(changed_text), ' ') + changed_text + "*");
    char cell[8];
    std::snprintf(cell, sizeof cell, "%04X ", static_cast<unsigned>(changed_offset));
    EXPECT_LT(frame.lines[h.line].find(cell), h.byte);
}

TEST(MonitorView, EveryFieldOnceWithinTheWidthAndTheChangeHighlighted) {
    // An escape in a label is made harmless; a long one with characters
    // beyond ASCII is cut by characters, not bytes.
    Labels labels;
    std::string error;
    ASSERT_TRUE(parse_labels("0x9402,\"Fire warning \x1b[2J\"\n"
                             "0x9430,\"Flughöhe über Grund, sehr lang beschriftet\"\n",
                             labels, error))
        << error;
    const std::vector<Field> fields = make_fields(labels);
    Tracker tracker;
    init_tracker(tracker, fields.size());
    Reading r;
    r.u16(0x943A, 10000);
    take_reading(tracker, fields, r.bytes, 1000);
    r.u16(0x943A, 10300);
    take_reading(tracker, fields, r.bytes, 1100);

    ViewStatus status;
    status.connected = true;
    status.interval_ms = 100;
    status.now_ms = 1500;
    Frame frame;
    for (std::size_t width : {80u, 120u, 200u}) {
        SCOPED_TRACE(width);
        render_view(fields, tracker, status, width, 0, frame);
        check_frame(fields, frame, width, 0x943A, "10300");
        for (std::size_t l = 0; l < frame.line_count; ++l) {
            EXPECT_EQ(frame.lines[l].find('\x1b'), std::string::npos);
        }
    }

    // Too short a console: the frame fills it and says how to see the rest.
    render_view(fields, tracker, status, 120, 12, frame);
    ASSERT_EQ(frame.line_count, 12u);
    EXPECT_EQ(frame.lines[11].rfind("... ", 0), 0u) << frame.lines[11];
    EXPECT_NE(frame.lines[11].find("--section"), std::string::npos);

    // --section displays: the header and the displays, nothing else.
    status.sections = section_bit(Section::Displays);
    render_view(fields, tracker, status, 200, 0, frame);
    EXPECT_EQ(frame.lines[1].rfind("displays:", 0), 0u);
    for (std::size_t l = 2; l < frame.line_count; ++l) {
        const unsigned long first = std::stoul(frame.lines[l].substr(0, 4), nullptr, 16);
        EXPECT_TRUE(first >= 0x9430 && first <= 0x9470) << frame.lines[l];
    }
    status.sections = kAllSections;
    for (const Highlight& h : frame.highlights) {
        EXPECT_LT(h.line, 11u);
    }

    // After a second nothing stands out; before the first reading only the header.
    status.now_ms = 1100 + kHighlightMs;
    render_view(fields, tracker, status, 120, 0, frame);
    EXPECT_TRUE(frame.highlights.empty());
    Tracker empty;
    init_tracker(empty, fields.size());
    status.connected = false;
    status.problem = 2;
    render_view(fields, empty, status, 120, 0, frame);
    ASSERT_EQ(frame.line_count, 1u);
    EXPECT_NE(frame.lines[0].find("no FSUIPC window"), std::string::npos);
}

}  // namespace
}  // namespace corvane::monitor
