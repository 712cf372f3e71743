// DPI and the message font. The per-monitor calls came with Windows 10 1607
// and are not in every Wine: they are looked up at run time, and the
// system-wide answers stand in where they are missing.
#include "app/win32/dpi.h"

namespace corvane::win32 {
namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiCall = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

template <typename Call>
Call user32_call(const char* name) {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr) {
        return nullptr;
    }
    // The documented way to reach an export by name; the types match its
    // declaration in the SDK.
    return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

UINT screen_dpi() {
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return kDefaultDpi;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT window_dpi(HWND window) {
    static const auto get_dpi_for_window = user32_call<GetDpiForWindowCall>("GetDpiForWindow");
    if (get_dpi_for_window != nullptr && window != nullptr) {
        const UINT dpi = get_dpi_for_window(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    return screen_dpi();
}

HFONT create_message_font(UINT dpi) {
    static const auto for_dpi =
        user32_call<SystemParametersInfoForDpiCall>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (for_dpi != nullptr &&
        for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi) != FALSE) {
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) == FALSE) {
        return nullptr;
    }
    // The system's metrics are for the system's DPI.
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(screen_dpi()));
    return CreateFontIndirectW(&font);
}

}  // namespace corvane::win32
