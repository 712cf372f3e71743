// One Corvane per logged-in user. Two bridges on one offset block would post
// every counter step and knob turn twice and race for the command word, so a
// second start only brings the running window to the front and ends.
#pragma once

#include "platform/windows_api.h"

namespace corvane::win32 {

// Holds the named mutex "Local\CorvaneSingleInstance" for the life of the
// process (the system releases it when the process ends, however it ends).
class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another process of this session took the mutex first.
    bool another_is_running() const { return another_is_running_; }
    // Lets the next start run. For a program that is about to show a fatal
    // box: hidden behind a full-screen simulator, it must not turn every
    // later start into a silent exit.
    void release();

private:
    HANDLE mutex_ = nullptr;
    bool another_is_running_ = false;
};

// Finds the running instance's main window by its class (string resource
// 109), restores it when minimised and activates it, without waiting for it:
// the other instance may be busy in an exchange with a simulator that hangs.
// Nothing when there is no such window yet (it is still starting).
void bring_running_instance_forward(HINSTANCE instance);

}  // namespace corvane::win32
