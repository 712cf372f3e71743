// The single-instance rule: a named mutex in the session's Local\ namespace,
// so each logged-in user (and each remote session) may run one Corvane.
#include "app/win32/single_instance.h"

#include "app/win32/resource_ids.h"

namespace corvane::win32 {
namespace {

constexpr char kMutexName[] = "Local\\CorvaneSingleInstance";
constexpr int kClassNameBufferSize = 100;

}  // namespace

SingleInstance::SingleInstance() {
    mutex_ = CreateMutexA(nullptr, FALSE, kMutexName);
    const DWORD error = GetLastError();
    // A mutex made by an instance running with other rights cannot be
    // opened, but it is there all the same. Any other failure lets this one
    // run: refusing to start would be worse than a second bridge.
    another_is_running_ = mutex_ != nullptr ? error == ERROR_ALREADY_EXISTS
                                            : error == ERROR_ACCESS_DENIED;
}

SingleInstance::~SingleInstance() { release(); }

void SingleInstance::release() {
    if (mutex_ != nullptr) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
}

void bring_running_instance_forward(HINSTANCE instance) {
    char class_name[kClassNameBufferSize] = {};
    LoadStringA(instance, IDS_CLASS_NAME, class_name, kClassNameBufferSize);
    const HWND window = FindWindowA(class_name, nullptr);
    if (window == nullptr) {
        return;
    }
    if (IsIconic(window)) {
        ShowWindowAsync(window, SW_RESTORE);
    }
    SetForegroundWindow(window);
}

}  // namespace corvane::win32
