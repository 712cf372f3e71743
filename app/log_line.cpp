// Formatting a log file line. Status lines come a few at a time at state
// changes, never per tick, so building a string here costs nothing that
// matters.
#include "app/log_line.h"

#include <cstdio>

#include "common/version.h"

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

std::string run_header(const Settings& settings, const std::string& ini_path) {
    char values[96];
    std::snprintf(values, sizeof values, ": Speed=%d Screen=%d Retry=%d Tray=%d State=%d",
                  static_cast<int>(settings.tick_period_ms),
                  static_cast<int>(settings.start_minimised_flag),
                  static_cast<int>(settings.retry_seconds), static_cast<int>(settings.tray_flag),
                  static_cast<int>(settings.state_flag));
    return "Corvane " CORVANE_VERSION ", settings from " + ini_path + values;
}

std::string log_file_folder(const std::string& written, const std::string& ini_path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    const bool rooted = !written.empty() && separator(written[0]);
    const bool drive = written.size() >= 2 && written[1] == ':';
    const std::size_t folder_end = ini_path.find_last_of("\\/");
    if (rooted || drive || folder_end == std::string::npos) {
        return std::string();
    }
    return ini_path.substr(0, folder_end + 1);
}

}  // namespace corvane::app
