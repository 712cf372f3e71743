// The power-throttling opt-out through SetProcessInformation.
#include "app/win32/power_throttling.h"

#include "platform/windows_api.h"

namespace corvane::win32 {
namespace {

// PROCESS_POWER_THROTTLING_STATE and its flags, which Wine's headers lack;
// MinGW's agree with these.
struct PowerThrottlingState {
    ULONG version;
    ULONG control_mask;  // the behaviours this call decides
    ULONG state_mask;    // clear: each of them off
};
constexpr ULONG kPowerThrottlingCurrentVersion = 1;
constexpr ULONG kPowerThrottlingExecutionSpeed = 0x1;
constexpr ULONG kPowerThrottlingIgnoreTimerResolution = 0x4;

void never_throttle(ULONG behaviour) {
    PowerThrottlingState state = {kPowerThrottlingCurrentVersion, behaviour, 0};
    SetProcessInformation(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof state);
}

}  // namespace

void opt_out_of_power_throttling() {
    never_throttle(kPowerThrottlingExecutionSpeed);
    // A call of its own: a Windows that does not know this flag (Windows 10)
    // refuses the whole call, and would refuse the one above with it.
    never_throttle(kPowerThrottlingIgnoreTimerResolution);
}

}  // namespace corvane::win32
