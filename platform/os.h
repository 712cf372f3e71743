// The OS seam: one call per operating-system operation that the core needs.
//
// The core (fsuipc/, aircraft/, bridge/, export/, the portable half of app/)
// never includes <windows.h>; it reaches the system only through this table.
// The Win32 build implements it with the real calls (platform/win32_os.cpp);
// the native tests use an in-process fake that serves the same protocol and
// can make any of these calls fail. Handles are opaque integers; 0 means none.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane {

using Handle = std::uintptr_t;  // window, mapping or any other OS handle
constexpr Handle kNoHandle = 0;

// Win32's ERROR_ALREADY_EXISTS, as last_error() reports it after
// create_mapping found a mapping of that name.
constexpr std::uint32_t kErrorAlreadyExists = 183;

class Os {
public:
    virtual ~Os() = default;

    // FindWindowExA(nullptr, nullptr, class_name, nullptr).
    virtual Handle find_window(const char* class_name) = 0;
    // IsWindow: whether a window found earlier still exists (a simulator
    // that was restarted has a new one).
    virtual bool is_window(Handle window) = 0;
    // RegisterWindowMessageA; 0 on failure.
    virtual std::uint32_t register_message(const char* name) = 0;
    // GlobalAddAtomA / GlobalDeleteAtom; add gives 0 on failure.
    virtual std::uint16_t add_atom(const char* name) = 0;
    virtual void delete_atom(std::uint16_t atom) = 0;
    // CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
    // size, name); kNoHandle on failure. A mapping that already existed is
    // returned as a handle with last_error() == kErrorAlreadyExists.
    virtual Handle create_mapping(const char* name, std::uint32_t size) = 0;
    // OpenFileMappingA(FILE_MAP_READ, FALSE, name); kNoHandle on failure.
    virtual Handle open_mapping(const char* name) = 0;
    // MapViewOfFile at offset 0: FILE_MAP_WRITE when writable, FILE_MAP_READ
    // otherwise; size 0 maps the whole mapping. nullptr on failure.
    virtual unsigned char* map_view(Handle mapping, bool writable, std::size_t size) = 0;
    virtual void unmap_view(const void* view) = 0;
    virtual void close_handle(Handle handle) = 0;
    // The calling thread's error of its last seam call that can fail; each
    // thread sees its own, whatever another thread calls meanwhile.
    virtual std::uint32_t last_error() = 0;
    // SendMessageTimeoutA(window, message, wparam, lparam, SMTO_BLOCK,
    // timeout_ms, &answer); false when the send failed (answer untouched).
    virtual bool send_with_timeout(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                   std::intptr_t lparam, std::uint32_t timeout_ms,
                                   std::uintptr_t* answer) = 0;
    // PostMessageA; false when the post was refused (last_error() says why:
    // a window of a process with higher rights, a full queue, a dead window).
    virtual bool post(Handle window, std::uint32_t message, std::uintptr_t wparam,
                      std::intptr_t lparam) = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;
    virtual std::uint32_t process_id() = 0;
    // A monotonic clock in microseconds (QueryPerformanceCounter): what the
    // core times by itself is timed by this, never by counting ticks, since
    // Windows may tick slower than asked.
    virtual std::uint64_t now_microseconds() = 0;
    // timeBeginPeriod / timeEndPeriod: the system timer's resolution the
    // process asks for while timer 1 runs, since Windows fires a window timer
    // only on that resolution (15.6 ms unless asked). begin is false when the
    // request was refused, and such a request is never ended.
    virtual bool begin_timer_resolution(std::uint32_t milliseconds) = 0;
    virtual void end_timer_resolution(std::uint32_t milliseconds) = 0;
};

}  // namespace corvane
