// The OS seam over the real Win32 calls, for corvane.exe, the stand-in and the
// end-to-end tests (wine and mingw builds).
//
// The header stays free of <windows.h> so that code holding a Win32Os does
// not inherit its macros; handles cross the seam as opaque integers.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace corvane {

class Win32Os final : public Os {
public:
    Handle find_window(const char* class_name) override;
    bool is_window(Handle window) override;
    std::uint32_t register_message(const char* name) override;
    std::uint16_t add_atom(const char* name) override;
    void delete_atom(std::uint16_t atom) override;
    Handle create_mapping(const char* name, std::uint32_t size) override;
    Handle open_mapping(const char* name) override;
    unsigned char* map_view(Handle mapping, bool writable, std::size_t size) override;
    void unmap_view(const void* view) override;
    void close_handle(Handle handle) override;
    // The error left by the calling thread's last seam call that can fail
    // (window lookup, registration, atom, mapping, view, send, post). Taken
    // right after that call, so Win32 calls made in between (window
    // procedures run during a send, the C runtime, Wine itself) cannot
    // change what the caller sees; kept per thread, as Windows keeps it, so
    // the exchange thread's error is never the window thread's.
    std::uint32_t last_error() override;
    bool send_with_timeout(Handle window, std::uint32_t message, std::uintptr_t wparam,
                           std::intptr_t lparam, std::uint32_t timeout_ms,
                           std::uintptr_t* answer) override;
    bool post(Handle window, std::uint32_t message, std::uintptr_t wparam,
              std::intptr_t lparam) override;
    void sleep(std::uint32_t milliseconds) override;
    std::uint32_t process_id() override;
    std::uint64_t now_microseconds() override;
    bool begin_timer_resolution(std::uint32_t milliseconds) override;
    void end_timer_resolution(std::uint32_t milliseconds) override;

private:
    static thread_local std::uint32_t last_error_;
};

// The whole contents of a file (a Windows path, ANSI), also one another
// program still writes: false when it cannot be opened. For the tools'
// labels and names files and the tests' logs.
bool read_whole_file(const std::string& path, std::string& text);

}  // namespace corvane
