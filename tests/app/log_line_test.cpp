// The log file's line: every field zero-padded to its ISO 8601 width, the
// status text unchanged, one CR LF; the run's header line with the settings
// in effect; and where a relative LogFile path points.
#include <gtest/gtest.h>

#include "app/log_line.h"
#include "common/version.h"

namespace corvane::app {
namespace {

TEST(LogLine, TimestampThenTextThenLineBreak) {
    const struct {
        LocalTime time;
        const char* text;
        const char* expected;
    } rows[] = {
        {{2024, 3, 9, 7, 5, 2, 41}, "Status : OK", "2024-03-09T07:05:02.041 Status : OK\r\n"},
        {{1999, 12, 31, 23, 59, 59, 999}, "Status : LOG FILE NOT OK",
         "1999-12-31T23:59:59.999 Status : LOG FILE NOT OK\r\n"},
        {{2025, 1, 1, 0, 0, 0, 0}, "", "2025-01-01T00:00:00.000 \r\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(timestamped_line(row.time, row.text), row.expected);
    }
}

TEST(LogLine, HeaderNamesVersionIniAndTheSettingsInEffect) {
    const Settings settings =
        read_settings_text("[General]\nSpeed=250\nRetry=5\nTray=1\n[Minimize]\nScreen=0x1\n");
    EXPECT_EQ(run_header(settings, "C:\\Cockpit \xC3\x9C\\corvane.ini"),
              "Corvane " CORVANE_VERSION ", settings from C:\\Cockpit \xC3\x9C\\corvane.ini: "
              "Speed=100 Screen=1 Retry=5 Tray=1 State=0");
    EXPECT_EQ(read_settings_text("[General]\nTray=yes\n").tray_flag, 0);
}

TEST(LogLine, RelativePathIsTakenFromTheFolderOfTheIniThatNamedIt) {
    const char* ini = "C:\\Cockpit\\Corvane\\corvane.ini";
    EXPECT_EQ(log_file_folder("corvane.log", ini), "C:\\Cockpit\\Corvane\\");
    EXPECT_EQ(log_file_folder("logs/corvane.log", ini), "C:\\Cockpit\\Corvane\\");
    EXPECT_EQ(log_file_folder("..\\corvane.log", ini), "C:\\Cockpit\\Corvane\\");
    for (const char* full : {"D:\\corvane.log", "\\\\pc\\share\\c.log", "\\c.log", "C:c.log"}) {
        EXPECT_EQ(log_file_folder(full, ini), "") << full;
    }
}

}  // namespace
}  // namespace corvane::app
