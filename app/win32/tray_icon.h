// The optional notification-area icon ([General] Tray=1). A cockpit PC runs
// the simulator full-screen for hours; the icon keeps the bridge's state in
// sight: its picture (bridging, waiting, stopped), its tooltip (the last
// status line), a balloon when the bridge stops, and a menu with Show, Run!
// and Exit.
#pragma once

#include <windows.h>

#include "app/lifecycle.h"

namespace corvane::win32 {

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Puts the icon up for window, with the state and tooltip it last had:
    // at start, again whenever "TaskbarCreated" comes, and while Explorer
    // refuses it. "TaskbarCreated" may come while the icon is still there
    // (any program may send it): an icon that is up is modified, else
    // added, and when that is refused the other is tried. True when the
    // icon is up.
    bool add(HWND window, HINSTANCE instance);
    // Takes the icon down; nothing when it is not up. Every way out of the
    // program comes here, or the icon would linger until the mouse passes.
    void remove();
    // Whether the icon is there to come back to.
    bool up() const { return up_; }

    void set_tip(const char* text);
    void set_state(app::BridgeState state);
    // A balloon over the icon; nothing without the icon.
    void show_balloon(const char* text);
    // The menu at the mouse, its commands going to the window.
    void show_menu() const;

private:
    NOTIFYICONDATAA data(UINT flags) const;
    void modify(UINT flags);

    HWND window_ = nullptr;
    HINSTANCE instance_ = nullptr;
    bool up_ = false;
    app::BridgeState state_ = app::BridgeState::Waiting;
    char tip_[128] = {};
};

}  // namespace corvane::win32
