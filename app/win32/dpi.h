// The window's scale on a high-DPI screen: Corvane is per-monitor DPI aware
// (v2), so Windows no longer stretches it as a bitmap; it lays itself out
// for the DPI of the monitor it is on and follows WM_DPICHANGED. At 96 dpi
// every size is the one it always had.
#pragma once

#include <windows.h>

namespace corvane::win32 {

constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI;  // 96: 100 %

// The DPI of the monitor the window is on; the system's before Windows 10
// 1607 (no GetDpiForWindow), 96 when neither can be had.
UINT window_dpi(HWND window);

// The DPI of the primary screen, before a window exists to ask about.
UINT screen_dpi();

// A length of the 96-dpi layout at dpi.
inline int scaled(int length, UINT dpi) {
    return MulDiv(length, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

// The system's message font (what dialogs and message boxes use) at dpi;
// null when the system gives none. The caller deletes it.
HFONT create_message_font(UINT dpi);

}  // namespace corvane::win32
