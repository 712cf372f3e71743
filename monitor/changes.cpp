// Change detection and the change line.
#include "monitor/changes.h"

#include <cstdio>

namespace corvane::monitor {

void init_tracker(Tracker& tracker, std::size_t field_count) {
    tracker.has_baseline = false;
    tracker.value.assign(field_count, 0);
    tracker.changed_at.assign(field_count, 0);
    tracker.changed.assign(field_count, false);
    tracker.changes.clear();
    tracker.changes.reserve(field_count);
}

void take_reading(Tracker& tracker, const std::vector<Field>& fields, const unsigned char* block,
                  std::uint64_t now_ms) {
    tracker.changes.clear();
    const std::size_t count = fields.size() < tracker.value.size() ? fields.size() : tracker.value.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t value = field_value(fields[i], block);
        if (tracker.has_baseline && value != tracker.value[i]) {
            tracker.changes.push_back(Change{i, tracker.value[i], value});
            tracker.changed_at[i] = now_ms;
            tracker.changed[i] = true;
        }
        tracker.value[i] = value;
    }
    tracker.has_baseline = true;
}

bool recently_changed(const Tracker& tracker, std::size_t field, std::uint64_t now_ms) {
    return field < tracker.changed.size() && tracker.changed[field] &&
           now_ms - tracker.changed_at[field] < kHighlightMs;
}

void format_change(const TimeOfDay& time, const Field& field, std::int32_t old_value,
                   std::int32_t new_value, std::string& line, const Labels* labels) {
    char head[48];
    std::snprintf(head, sizeof head, "%02d:%02d:%02d.%03d %s ", time.hour, time.minute,
                  time.second, time.millisecond, offset_text(field, true).text);
    line.clear();
    line += head;
    line += field.name;
    line += ' ';
    line += value_text(field, old_value).text;
    line += " -> ";
    line += value_text(field, new_value).text;
    const std::string* name = labels != nullptr && field.entry.kind == bridge::OffsetKind::CommandWord
                                  ? labels->command_name(new_value)
                                  : nullptr;
    if (name != nullptr) {
        line += " (" + *name + ")";
    }
}

}  // namespace corvane::monitor
