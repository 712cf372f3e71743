// The optional log file ([General] LogFile=PATH): every status line is also
// appended there with its local time, so an unattended evening can be read
// afterwards, or followed live with a tail.
#pragma once

#include "platform/windows_api.h"

#include <string>

namespace corvane::win32 {

class LogFile {
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens (or creates) the file for appending, shared for reading,
    // writing and deleting, so that a viewer or a tail can hold it open and
    // the file can be rotated or removed while Corvane runs. The path is as
    // corvane.ini at ini_path wrote it (UTF-8, or the ANSI code page); a
    // relative one is taken from that file's folder. False when it cannot be
    // opened.
    bool open(const std::string& path, const std::string& ini_path);
    bool is_open() const { return file_ != INVALID_HANDLE_VALUE; }

    // Appends "local time, space, text, CR LF" in one write, which the system
    // places at the end of the file; nothing is held back in this program.
    // A failed write (a full disk) is not reported: the window's log goes on.
    void write(const char* text);

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace corvane::win32
