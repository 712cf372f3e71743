// The start-up settings of corvane.ini: the tick period of the bridge timer,
// the start minimised flag, the retry period while waiting, the log file and
// the notification-area icon.
// Read once at start-up with inih; a change to the file takes effect at the
// next start.
#pragma once

#include <cstdint>
#include <string>

class INIReader;

namespace corvane::app {

inline constexpr char kSettingsFileName[] = "corvane.ini";

inline constexpr char kSpeedSection[] = "General";
inline constexpr char kSpeedKey[] = "Speed";
constexpr std::int32_t kDefaultTickPeriodMs = 20;
constexpr std::int32_t kMinTickPeriodMs = 1;
constexpr std::int32_t kMaxTickPeriodMs = 100;

inline constexpr char kMinimizeSection[] = "Minimize";
inline constexpr char kMinimizeKey[] = "Screen";
constexpr std::int32_t kDefaultStartMinimisedFlag = 0;
// Only this exact value starts the window minimised; 2 or -1 do not.
constexpr std::int32_t kStartMinimised = 1;

// Seconds between automatic retries while waiting for "Run!"; 0 leaves the
// waiting to the user, as it always was.
inline constexpr char kRetrySection[] = "General";
inline constexpr char kRetryKey[] = "Retry";
constexpr std::int32_t kDefaultRetrySeconds = 0;
constexpr std::int32_t kMinRetrySeconds = 0;
constexpr std::int32_t kMaxRetrySeconds = 3600;

// Path of a file that every status line is also appended to; empty: none.
inline constexpr char kLogFileSection[] = "General";
inline constexpr char kLogFileKey[] = "LogFile";

// The notification-area icon: only this exact value shows it; without it
// the window and its taskbar button are all there is, as they always were.
inline constexpr char kTraySection[] = "General";
inline constexpr char kTrayKey[] = "Tray";
constexpr std::int32_t kDefaultTrayFlag = 0;
constexpr std::int32_t kTrayIconOn = 1;

// Corvane's state and a heartbeat in the block (0x9429, 0x942A): only this
// exact value writes them; without it 0x9429-0x942F stay untouched.
inline constexpr char kStateSection[] = "General";
inline constexpr char kStateKey[] = "State";
constexpr std::int32_t kDefaultStateFlag = 0;
constexpr std::int32_t kStateOn = 1;

struct Settings {
    std::int32_t tick_period_ms = kDefaultTickPeriodMs;  // 1..100
    std::int32_t start_minimised_flag = kDefaultStartMinimisedFlag;
    std::int32_t retry_seconds = kDefaultRetrySeconds;   // 0..3600
    std::int32_t tray_flag = kDefaultTrayFlag;
    std::int32_t state_flag = kDefaultStateFlag;
    std::string log_file;  // as written: UTF-8 (or the ANSI code page)
    // inih reads a line in pieces of its line buffer; a LogFile line longer
    // than that reaches us cut, naming another file. Such a value is refused.
    bool log_file_cut = false;
};

// inih's integer reading narrowed to 32 bits. Decimal, "0x" hexadecimal and
// leading-zero octal; text after the number is ignored; the default when not
// one character converts. GetInteger returns a long, which is 64 bits on Linux
// and Winelib but 32 on Windows, so a value past the 32-bit range saturates
// here explicitly and every build reads the same file the same way.
std::int32_t read_integer(const INIReader& reader, const char* section, const char* key,
                          std::int32_t default_value);

// read_integer, then a value below min_value becomes min_value and one above
// max_value becomes max_value.
std::int32_t read_clamped_integer(const INIReader& reader, const char* section, const char* key,
                                  std::int32_t default_value, std::int32_t min_value,
                                  std::int32_t max_value);

// Every setting, the tick period clamped to 1..100 ms and the retry period to
// 0..3600 s.
Settings read_settings(const INIReader& reader);

// The settings of corvane.ini's text, as start-up reads them: read_settings
// on that text, and whether its LogFile line was cut by inih's line buffer.
Settings read_settings_text(const std::string& text);

}  // namespace corvane::app
