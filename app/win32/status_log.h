// The status log: the latest status line in the status bar, every line in the
// disabled multi-line EDIT control below it.
#pragma once

#include <windows.h>

namespace corvane::win32 {

// Shows text in part 0 of the status bar, then appends it and "\r\n" to the
// end of the log. When the log is at its text limit the oldest lines are
// dropped first, so the newest status always appears.
void append_status_line(HWND status_bar, HWND log, const char* text);

}  // namespace corvane::win32
