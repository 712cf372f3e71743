// web_press_exit: presses Exit! in the running corvane.exe, as a user would,
// for the browser test (a Python script, which cannot reach a Win32 window).
// Exit code 0 when the button was found and pressed, 1 otherwise.
#include "platform/windows_api.h"

#include "tests/e2e/e2e_support.h"

int main() {
    using namespace corvane::e2e;
    HWND window = FindWindowA(kMainWindowClass, nullptr);
    return window != nullptr && press_button(window, kExitButtonId) ? 0 : 1;
}
