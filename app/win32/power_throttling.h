// Windows 11 puts a process whose windows are minimised or covered into
// efficiency mode and ignores its timer resolution request: exactly how
// Corvane runs, behind a full-screen simulator. Corvane opts out at start.
#pragma once

namespace corvane::win32 {

// Asks Windows never to slow the process down nor to ignore its timer
// resolution request. Where Windows knows neither (before Windows 10 1709,
// the second before Windows 11), the refusal changes nothing.
void opt_out_of_power_throttling();

}  // namespace corvane::win32
