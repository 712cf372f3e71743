// What Wine shows of FlashWindowEx: its X11 driver asks the window manager
// (a _NET_WM_STATE client message to the root window) to add
// _NET_WM_STATE_DEMANDS_ATTENTION to the window, which a Linux taskbar shows
// as a flashing button. The Winelib test listens for that request on a
// display connection of its own. Apart from <windows.h>, whose names clash
// with Xlib's.
#pragma once

#include <cstdint>
#include <vector>

namespace corvane::e2e {

class AttentionWatch {
public:
    AttentionWatch();  // listens from now on; ok() is false without a display
    ~AttentionWatch();
    AttentionWatch(const AttentionWatch&) = delete;
    AttentionWatch& operator=(const AttentionWatch&) = delete;

    bool ok() const { return display_ != nullptr; }
    // Whether the X window has asked for attention since the watch began.
    bool demanded(std::uintptr_t x_window);

private:
    void* display_ = nullptr;
    unsigned long state_atom_ = 0;
    unsigned long attention_atom_ = 0;
    std::vector<std::uintptr_t> demanding_;
};

}  // namespace corvane::e2e
