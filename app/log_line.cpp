// Formatting a log file line. Status lines come a few at a time at state
// changes, never per tick, so building a string here costs nothing that
// matters.
#include "app/log_line.h"

#include <cstdio>

namespace corvane::app {

std::string timestamped_line(const LocalTime& time, const char* text) {
    // Wide enough for every int in every field, so nothing is ever cut.
    char stamp[96];
    const int length = std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03d ",
                                     time.year, time.month, time.day, time.hour, time.minute,
                                     time.second, time.millisecond);
    std::size_t size = length > 0 ? static_cast<std::size_t>(length) : 0;
    size = size < sizeof stamp ? size : sizeof stamp - 1;
    std::string line(stamp, size);
    line += text;
    line += "\r\n";
    return line;
}

}  // namespace corvane::app
