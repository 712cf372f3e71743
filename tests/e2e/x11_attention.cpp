// Listening on the root window for requests to the window manager.
#include "tests/e2e/x11_attention.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace corvane::e2e {

AttentionWatch::AttentionWatch() {
    Display* display = XOpenDisplay(nullptr);
    if (display != nullptr) {
        display_ = display;
        state_atom_ = XInternAtom(display, "_NET_WM_STATE", False);
        attention_atom_ = XInternAtom(display, "_NET_WM_STATE_DEMANDS_ATTENTION", False);
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
        XFlush(display);
    }
}

AttentionWatch::~AttentionWatch() {
    if (display_ != nullptr) {
        XCloseDisplay(static_cast<Display*>(display_));
    }
}

bool AttentionWatch::demanded(std::uintptr_t x_window) {
    constexpr long kAdd = 1;  // _NET_WM_STATE_ADD
    auto* display = static_cast<Display*>(display_);
    while (display != nullptr && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        const XClientMessageEvent& message = event.xclient;
        if (event.type == ClientMessage && message.message_type == state_atom_ &&
            message.data.l[0] == kAdd &&
            static_cast<unsigned long>(message.data.l[1]) == attention_atom_) {
            demanding_.push_back(static_cast<std::uintptr_t>(message.window));
        }
    }
    return std::find(demanding_.begin(), demanding_.end(), x_window) != demanding_.end();
}

}  // namespace corvane::e2e
