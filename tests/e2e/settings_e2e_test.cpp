// End to end: corvane.exe with a corvane.ini that is not an ordinary small
// file. A file that cannot be opened ends in the "loading corvane.ini failed!"
// box and exit code 0; anything that opens starts with what was read. The
// file is read through the Windows file API on every build, so a directory
// and a file another program holds locked cannot be opened.
#include "tests/e2e/e2e_support.h"

#include <string>

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr DWORD kTimeoutMs = 30000;
constexpr char kLoadFailed[] = "loading corvane.ini failed!";

enum class Outcome { LoadFailed, Normal, Minimised };

// Starts corvane.exe in folder and checks how it ends up: the box, or
// bridging with the window normal or minimised; then ends it with exit code 0.
void expect_start(Checks& t, TempFolder& folder, Outcome outcome) {
    SimHost sim;
    AppProcess app;
    const std::string path = app_path();
    if (!E2E_CHECK(t, !path.empty()) || !E2E_CHECK(t, sim.start())) {
        return;
    }
    sim_set_data_valid(sim, 1);
    if (!E2E_CHECK(t, app.start(path, folder.path()))) {
        return;
    }
    if (outcome == Outcome::LoadFailed) {
        const HWND box = app.wait_message_box(kErrorBoxTitle, kTimeoutMs);
        if (E2E_CHECK(t, box != nullptr)) {
            E2E_CHECK_STR(t, message_box_text(box), kLoadFailed);
            dismiss_message_box(box);
        }
    } else {
        const HWND window = app.wait_window(kMainWindowClass, kTimeoutMs);
        if (!E2E_CHECK(t, window != nullptr) ||
            !E2E_CHECK(t, wait_for_log_line(window, kOk, kTimeoutMs))) {
            return;
        }
        E2E_CHECK(t, app.wait_message_box(kErrorBoxTitle, 0) == nullptr);
        E2E_CHECK_EQ(t, window_info(window).iconic, outcome == Outcome::Minimised);
        E2E_CHECK(t, press_button(window, kExitButtonId));
    }
    DWORD code = 1;
    E2E_CHECK(t, app.wait_exit(kTimeoutMs, &code));
    E2E_CHECK_EQ(t, code, 0);
}

void directory(Checks& t) {
    t.begin("corvane.ini is a directory");
    TempFolder folder;
    const std::string ini = folder.file_path("corvane.ini");
    if (!E2E_CHECK(t, CreateDirectoryA(ini.c_str(), nullptr))) {
        return;
    }
    expect_start(t, folder, Outcome::LoadFailed);
    RemoveDirectoryA(ini.c_str());
}

void locked(Checks& t) {
    t.begin("corvane.ini is held open by another program that shares it with no one");
    TempFolder folder;
    if (!E2E_CHECK(t, folder.write_file("corvane.ini", "[Minimize]\nScreen=1\n"))) {
        return;
    }
    const HANDLE held = CreateFileA(folder.file_path("corvane.ini").c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!E2E_CHECK(t, held != INVALID_HANDLE_VALUE)) {
        return;
    }
    expect_start(t, folder, Outcome::LoadFailed);
    CloseHandle(held);
}

void enormous(Checks& t) {
    t.begin("corvane.ini of 64 MiB, the minimise key at its very end");
    TempFolder folder;
    std::string text = "[Junk]\n";
    const std::string junk = "junk line that is no key at all, over and over again ......\n";
    while (text.size() < (std::size_t{64} << 20)) {
        text += junk;
    }
    text += "[Minimize]\nScreen=1\n";
    if (E2E_CHECK(t, folder.write_file("corvane.ini", text))) {
        expect_start(t, folder, Outcome::Minimised);
    }
}

}  // namespace

int main() {
    Checks t;
#if !defined(__WINE__)
    // A Windows build without a settings reader has no corvane.exe to start.
    if (app_path().empty()) {
        t.note("corvane.exe was not built: no settings file tests");
        return t.finish();
    }
#endif
    directory(t);
    locked(t);
    enormous(t);
    return t.finish();
}
