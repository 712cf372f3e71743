// Reading corvane.ini's keys on top of inih's INIReader.
#include "app/settings.h"

#include <INIReader.h>
#include <ini.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

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
    settings.tray_flag = read_integer(reader, kTraySection, kTrayKey, kDefaultTrayFlag);
    settings.state_flag = read_integer(reader, kStateSection, kStateKey, kDefaultStateFlag);
    settings.log_file = reader.Get(kLogFileSection, kLogFileKey, "");
    return settings;
}

namespace {

// inih's own walk over the text, to learn which line of the LogFile key it
// read in pieces. It reads a line into a buffer of the size it hands the
// reader and calls the handler for that line before it reads the next, so
// the reader can say whether the line just handled was cut.
struct CutWatch {
    const char* at;
    const char* end;
    const char* piece = nullptr;  // inih's line buffer, as the reader filled it
    std::size_t piece_size = 0;
    bool line_cut = false;
    bool log_file_cut = false;
};

bool same_name(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

char* read_piece(char* line, int size, void* stream) {
    auto& watch = *static_cast<CutWatch*>(stream);
    if (watch.at >= watch.end || size < 2) {
        return nullptr;
    }
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t n = 0;
    while (n < room && watch.at + n < watch.end && watch.at[n++] != '\n') {
    }
    std::memcpy(line, watch.at, n);
    line[n] = '\0';
    watch.piece = line;
    watch.piece_size = n;
    watch.at += n;
    // Cut: the buffer is full and more of the same line follows.
    watch.line_cut = n == room && line[n - 1] != '\n' && watch.at < watch.end &&
                     *watch.at != '\n' && *watch.at != '\r';
    return line;
}

// The value lies in inih's line buffer, cut off there by the NULs inih wrote
// after it. It reaches the end of a cut piece unless a comment came first.
bool value_reaches_piece_end(const CutWatch& watch, const char* value) {
    const auto at = reinterpret_cast<std::uintptr_t>(value);
    const auto piece = reinterpret_cast<std::uintptr_t>(watch.piece);
    if (at < piece || at > piece + watch.piece_size) {
        return false;
    }
    for (std::size_t i = at - piece + std::strlen(value); i < watch.piece_size; ++i) {
        const char c = watch.piece[i];
        if (c != '\0' && std::isspace(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

int note_log_file(void* user, const char* section, const char* name, const char* value) {
    auto& watch = *static_cast<CutWatch*>(user);
    if (same_name(section, kLogFileSection) && same_name(name, kLogFileKey)) {
        watch.log_file_cut = watch.line_cut && value_reaches_piece_end(watch, value);
    }
    return 1;
}

}  // namespace

Settings read_settings_text(const std::string& text) {
    const INIReader reader(text.data(), text.size());
    Settings settings = read_settings(reader);
    if (!settings.log_file.empty()) {
        CutWatch watch{text.data(), text.data() + text.size()};
        ini_parse_stream(read_piece, &watch, note_log_file, &watch);
        settings.log_file_cut = watch.log_file_cut;
    }
    return settings;
}

}  // namespace corvane::app
