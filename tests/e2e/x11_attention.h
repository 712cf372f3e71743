// What Wine shows of FlashWindowEx: its X11 driver asks the window manager
// to mark the window as demanding attention (a _NET_WM_STATE client message
// adding _NET_WM_STATE_DEMANDS_ATTENTION, sent to the root window), which a
// Linux taskbar shows as a flashing button. The Winelib end-to-end test
// listens for those messages on its own connection to the display.
//
// Kept apart from <windows.h>: Xlib's names (Window, Bool, Status) clash
// with the Windows headers.
#pragma once

#include <cstdint>
#include <vector>

namespace corvane::e2e {

class AttentionWatch {
public:
    // Listens from now on; ok() is false without a display.
    AttentionWatch();
    ~AttentionWatch();
    AttentionWatch(const AttentionWatch&) = delete;
    AttentionWatch& operator=(const AttentionWatch&) = delete;

    bool ok() const { return display_ != nullptr; }
    // Takes in what arrived; true when the X window x_window has asked for
    // attention since the watch began.
    bool demanded(std::uintptr_t x_window);

private:
    void* display_ = nullptr;
    unsigned long state_atom_ = 0;
    unsigned long attention_atom_ = 0;
    std::vector<std::uintptr_t> demanding_;
};

}  // namespace corvane::e2e
