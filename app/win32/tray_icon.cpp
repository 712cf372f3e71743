// The notification-area icon through Shell_NotifyIconA.
#include "app/win32/tray_icon.h"

#include <shellapi.h>

#include "app/win32/resource_ids.h"

namespace corvane::win32 {
namespace {

constexpr char kBalloonTitle[] = "Corvane";

// In the order of app::BridgeState.
constexpr int kStateIcons[] = {IDI_TRAY_BRIDGING, IDI_TRAY_WAITING, IDI_TRAY_STOPPED};

HICON state_icon(HINSTANCE instance, app::BridgeState state) {
    // Shared: the system keeps one copy per size and frees it with the module.
    return static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(kStateIcons[static_cast<int>(state)]), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

}  // namespace

NOTIFYICONDATAA TrayIcon::data(UINT flags) const {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = window_;
    icon.uID = ID_TRAY_ICON;
    icon.uFlags = flags;
    icon.uCallbackMessage = WM_TRAY_NOTIFY;
    icon.hIcon = state_icon(instance_, state_);
    lstrcpynA(icon.szTip, tip_, sizeof icon.szTip);
    return icon;
}

bool TrayIcon::add(HWND window, HINSTANCE instance) {
    window_ = window;
    instance_ = instance;
    NOTIFYICONDATAA icon = data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    const DWORD first = up_ ? NIM_MODIFY : NIM_ADD;
    const DWORD second = up_ ? NIM_ADD : NIM_MODIFY;
    up_ = Shell_NotifyIconA(first, &icon) != FALSE || Shell_NotifyIconA(second, &icon) != FALSE;
    return up_;
}

void TrayIcon::remove() {
    if (up_) {
        NOTIFYICONDATAA icon = data(0);
        Shell_NotifyIconA(NIM_DELETE, &icon);
        up_ = false;
    }
}

void TrayIcon::modify(UINT flags) {
    if (up_) {
        NOTIFYICONDATAA icon = data(flags);
        Shell_NotifyIconA(NIM_MODIFY, &icon);
    }
}

void TrayIcon::set_tip(const char* text) {
    lstrcpynA(tip_, text, sizeof tip_);
    modify(NIF_TIP);
}

void TrayIcon::set_state(app::BridgeState state) {
    state_ = state;
    modify(NIF_ICON);
}

void TrayIcon::show_balloon(const char* text) {
    if (!up_) {
        return;
    }
    NOTIFYICONDATAA icon = data(NIF_INFO);
    lstrcpynA(icon.szInfo, text, sizeof icon.szInfo);
    lstrcpynA(icon.szInfoTitle, kBalloonTitle, sizeof icon.szInfoTitle);
    icon.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconA(NIM_MODIFY, &icon);
}

void TrayIcon::show_menu() const {
    const HMENU menu = LoadMenuA(instance_, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (menu == nullptr) {
        return;
    }
    POINT at = {};
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the posted message lets it close at once when it should.
    SetForegroundWindow(window_);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
    PostMessageA(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

}  // namespace corvane::win32
