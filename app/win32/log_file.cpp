// The log file on Windows: opened with append access only, so every write
// lands at the end even while another program appends or reads.
#include "app/win32/log_file.h"

#include "app/log_line.h"
#include "app/win32/settings_file.h"

namespace corvane::win32 {

LogFile::~LogFile() {
    if (is_open()) {
        CloseHandle(file_);
    }
}

bool LogFile::open(const std::string& path, const std::string& ini_path) {
    const WideText full = wide_text(app::log_file_folder(path, ini_path)) + wide_text(path);
    file_ = CreateFileW(wide_ptr(full), FILE_APPEND_DATA,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return is_open();
}

void LogFile::write(const char* text) {
    if (!is_open()) {
        return;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    const app::LocalTime time = {now.wYear, now.wMonth,  now.wDay,         now.wHour,
                                 now.wMinute, now.wSecond, now.wMilliseconds};
    const std::string line = app::timestamped_line(time, text);
    DWORD written = 0;
    WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace corvane::win32
