// Reading corvane.ini's keys on top of inih's INIReader.
#include "app/settings.h"

#include <INIReader.h>

#include <algorithm>
#include <climits>

namespace corvane::app {

std::int32_t read_integer(const INIReader& reader, const char* section, const char* key,
                          std::int32_t default_value) {
    // Widen first: on Windows long is the 32-bit type itself and strtol has
    // already saturated; elsewhere it is wider and the clamp does the work.
    const long long value = reader.GetInteger(section, key, default_value);
    return static_cast<std::int32_t>(
        std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

std::int32_t read_clamped_integer(const INIReader& reader, const char* section, const char* key,
                                  std::int32_t default_value, std::int32_t min_value,
                                  std::int32_t max_value) {
    return std::clamp(read_integer(reader, section, key, default_value), min_value, max_value);
}

Settings read_settings(const INIReader& reader) {
    Settings settings;
    settings.tick_period_ms = read_clamped_integer(reader, kSpeedSection, kSpeedKey,
                                                   kDefaultTickPeriodMs, kMinTickPeriodMs,
                                                   kMaxTickPeriodMs);
    settings.start_minimised_flag =
        read_integer(reader, kMinimizeSection, kMinimizeKey, kDefaultStartMinimisedFlag);
    settings.retry_seconds = read_clamped_integer(reader, kRetrySection, kRetryKey,
                                                  kDefaultRetrySeconds, kMinRetrySeconds,
                                                  kMaxRetrySeconds);
    settings.log_file = reader.Get(kLogFileSection, kLogFileKey, "");
    return settings;
}

Settings read_settings_text(const std::string& text) {
    const INIReader reader(text.data(), text.size());
    return read_settings(reader);
}

}  // namespace corvane::app
