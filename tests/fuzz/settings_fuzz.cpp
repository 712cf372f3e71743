// corvane.ini as anything at all: inih's parsing plus our reading and
// clamping must give a tick period in 1..100 and never crash, read out of
// bounds or hang, whatever the bytes (over-long lines, NULs, no line ends,
// sections and keys in any case). A text that never names Speed or Screen
// gives the defaults.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/settings.h"

namespace {

bool mentions(const std::string& text, const char* word) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t k = 0;
        while (word[k] != '\0' && i + k < text.size() &&
               (text[i + k] | 0x20) == (word[k] | 0x20)) {
            ++k;
        }
        if (word[k] == '\0') return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::app;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Settings settings = read_settings_text(text);
    if (settings.tick_period_ms < kMinTickPeriodMs || settings.tick_period_ms > kMaxTickPeriodMs) {
        std::abort();
    }
    if (!mentions(text, kSpeedKey) && settings.tick_period_ms != kDefaultTickPeriodMs) std::abort();
    if (!mentions(text, kMinimizeKey) && settings.start_minimised_flag != kDefaultStartMinimisedFlag) {
        std::abort();
    }
    return 0;
}
