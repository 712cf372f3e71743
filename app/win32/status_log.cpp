// Appending to the status log.
//
// An EDIT control refuses EM_REPLACESEL text beyond its limit (30000
// characters under Wine, 32767 on Windows), so a program that has been
// reconnecting for a long time would stop showing new status lines. Before an
// append that would not fit, whole lines are dropped from the top: a quarter
// of the limit at once, so trimming stays rare.
#include "app/win32/status_log.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace corvane::win32 {
namespace {

constexpr char kLineBreak[] = "\r\n";
constexpr WPARAM kStatusPart = 0;

void replace_at_end(HWND log, const char* text) {
    const int length = GetWindowTextLengthA(log);
    SendMessageA(log, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
    SendMessageA(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

void make_room(HWND log, std::size_t needed) {
    const std::size_t limit = static_cast<std::size_t>(SendMessageA(log, EM_GETLIMITTEXT, 0, 0));
    const int text_length = GetWindowTextLengthA(log);
    if (limit == 0 || text_length <= 0) {
        return;
    }
    const std::size_t length = static_cast<std::size_t>(text_length);
    if (length + needed <= limit) {
        return;
    }
    const std::size_t excess = length + needed - limit;
    const std::size_t target = std::min(length, excess + limit / 4);

    // Only runs when the log is full, never per tick.
    std::string text(length + 1, '\0');
    const int copied = GetWindowTextA(log, text.data(), static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    std::size_t cut = text.find('\n', target > 0 ? target - 1 : 0);
    cut = cut == std::string::npos ? text.size() : cut + 1;

    SendMessageA(log, EM_SETSEL, 0, static_cast<LPARAM>(cut));
    SendMessageA(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

}  // namespace

void append_status_line(HWND status_bar, HWND log, const char* text) {
    SendMessageA(status_bar, SB_SETTEXTA, kStatusPart, reinterpret_cast<LPARAM>(text));
    make_room(log, std::strlen(text) + std::strlen(kLineBreak));
    replace_at_end(log, text);
    replace_at_end(log, kLineBreak);
}

}  // namespace corvane::win32
