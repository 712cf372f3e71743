// A status line as the log file keeps it: the local time in ISO 8601 with
// milliseconds, a space, the line itself, CR LF. Portable, so the format is
// tested natively; the Win32 shell supplies the time and writes the line.
#pragma once

#include <string>

#include "app/settings.h"

namespace corvane::app {

// A moment of local time, as Windows' GetLocalTime gives it.
struct LocalTime {
    int year;
    int month;        // 1..12
    int day;          // 1..31
    int hour;         // 0..23
    int minute;       // 0..59
    int second;       // 0..59
    int millisecond;  // 0..999
};

// "2024-03-09T07:05:02.041 Status : OK\r\n" for text "Status : OK".
std::string timestamped_line(const LocalTime& time, const char* text);

// The first line of every run in the log file, what anyone helping needs
// first: "Corvane 2.03, settings from C:\Corvane\corvane.ini: Speed=20
// Screen=0 Retry=0 Tray=0 State=0" (the values in effect, after clamping).
std::string run_header(const Settings& settings, const std::string& ini_path);

// The folder a LogFile path is taken from: for a relative one, the folder of
// the corvane.ini that named it (with its closing backslash), since a
// shortcut or an auto-start may run Corvane from anywhere; for a full path
// ("C:\...", "\\server\...") or one from the drive's root ("\..."), none.
std::string log_file_folder(const std::string& written, const std::string& ini_path);

}  // namespace corvane::app
