// Change detection over successive reads of the block, and the change line
// "12:00:01.300 0x943A altitude display 10000 -> 10300" of --changes.
//
// The first reading is the baseline and reports nothing. Values are compared
// field by field, decoded, so a 2-byte display that changes in one byte is
// one change. The tracker's arrays are sized once; a reading allocates
// nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/block.h"
#include "monitor/labels.h"

namespace corvane::monitor {

// How long a changed value stands out in the live view.
constexpr std::uint64_t kHighlightMs = 1000;

struct Change {
    std::size_t field;  // index into the fields
    std::int32_t old_value;
    std::int32_t new_value;
};

struct Tracker {
    bool has_baseline = false;
    std::vector<std::int32_t> value;         // per field, as last read
    std::vector<std::uint64_t> changed_at;   // per field, ms of the last change
    std::vector<bool> changed;               // per field, ever changed since the baseline
    std::vector<Change> changes;             // the changes of the last reading, in offset order
};

void init_tracker(Tracker& tracker, std::size_t field_count);

// Decodes a reading of the block taken at now_ms and keeps the fields whose
// value differs from the previous reading in tracker.changes.
void take_reading(Tracker& tracker, const std::vector<Field>& fields, const unsigned char* block,
                  std::uint64_t now_ms);

// Whether the field changed within kHighlightMs before now_ms.
bool recently_changed(const Tracker& tracker, std::size_t field, std::uint64_t now_ms);

// One line "time offset name old -> new" without line end, into line
// (cleared first). For the command word, the new command's name from the
// labels follows its code: "-1 -> 1232 (NAME)"; without one the line is as
// it was.
void format_change(const TimeOfDay& time, const Field& field, std::int32_t old_value,
                   std::int32_t new_value, std::string& line, const Labels* labels = nullptr);

}  // namespace corvane::monitor
