// The OS seam over the real Win32 calls (ANSI variants throughout).
//
// Each call that can fail clears the thread's error before it and keeps the
// error right after it, so last_error() answers for that call alone: a
// mapping that already existed, a send that timed out or hit a dead window.
#include "platform/win32_os.h"

#include "platform/windows_api.h"

#include <mmsystem.h>

namespace corvane {
namespace {

HWND to_window(Handle handle) { return reinterpret_cast<HWND>(handle); }
HANDLE to_kernel(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
Handle from_window(HWND window) { return reinterpret_cast<Handle>(window); }
Handle from_kernel(HANDLE handle) { return reinterpret_cast<Handle>(handle); }

}  // namespace

thread_local std::uint32_t Win32Os::last_error_ = 0;

Handle Win32Os::find_window(const char* class_name) {
    SetLastError(ERROR_SUCCESS);
    HWND window = FindWindowExA(nullptr, nullptr, class_name, nullptr);
    last_error_ = GetLastError();
    return from_window(window);
}

bool Win32Os::is_window(Handle window) {
    return IsWindow(reinterpret_cast<HWND>(window)) != FALSE;
}

std::uint32_t Win32Os::register_message(const char* name) {
    SetLastError(ERROR_SUCCESS);
    UINT message = RegisterWindowMessageA(name);
    last_error_ = GetLastError();
    return message;
}

std::uint16_t Win32Os::add_atom(const char* name) {
    SetLastError(ERROR_SUCCESS);
    ATOM atom = GlobalAddAtomA(name);
    last_error_ = GetLastError();
    return atom;
}

void Win32Os::delete_atom(std::uint16_t atom) { GlobalDeleteAtom(atom); }

Handle Win32Os::create_mapping(const char* name, std::uint32_t size) {
    // A page-file backed mapping; ERROR_ALREADY_EXISTS is only ever reported
    // by the last error, with a valid handle to the existing one.
    SetLastError(ERROR_SUCCESS);
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
    last_error_ = GetLastError();
    return from_kernel(mapping);
}

Handle Win32Os::open_mapping(const char* name) {
    SetLastError(ERROR_SUCCESS);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    last_error_ = GetLastError();
    return from_kernel(mapping);
}

unsigned char* Win32Os::map_view(Handle mapping, bool writable, std::size_t size) {
    SetLastError(ERROR_SUCCESS);
    void* view = MapViewOfFile(to_kernel(mapping), writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0,
                               0, size);
    last_error_ = GetLastError();
    return static_cast<unsigned char*>(view);
}

void Win32Os::unmap_view(const void* view) { UnmapViewOfFile(view); }

void Win32Os::close_handle(Handle handle) { CloseHandle(to_kernel(handle)); }

std::uint32_t Win32Os::last_error() { return last_error_; }

bool Win32Os::send_with_timeout(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                std::intptr_t lparam, std::uint32_t timeout_ms,
                                std::uintptr_t* answer) {
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    LRESULT sent = SendMessageTimeoutA(to_window(window), message, static_cast<WPARAM>(wparam),
                                       static_cast<LPARAM>(lparam), SMTO_BLOCK, timeout_ms,
                                       &result);
    last_error_ = GetLastError();
    if (sent == 0) {
        return false;
    }
    if (answer != nullptr) {
        *answer = static_cast<std::uintptr_t>(result);
    }
    return true;
}

bool Win32Os::post(Handle window, std::uint32_t message, std::uintptr_t wparam,
                   std::intptr_t lparam) {
    SetLastError(ERROR_SUCCESS);
    const BOOL posted = PostMessageA(to_window(window), message, static_cast<WPARAM>(wparam),
                                     static_cast<LPARAM>(lparam));
    last_error_ = GetLastError();
    return posted != FALSE;
}

void Win32Os::sleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

std::uint32_t Win32Os::process_id() { return GetCurrentProcessId(); }

std::uint64_t Win32Os::now_microseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    const auto ticks = static_cast<std::uint64_t>(counter.QuadPart);
    const auto per_second = static_cast<std::uint64_t>(frequency.QuadPart);
    // Whole seconds and the rest apart, so the product cannot overflow.
    return ticks / per_second * 1000000u + ticks % per_second * 1000000u / per_second;
}

bool Win32Os::begin_timer_resolution(std::uint32_t milliseconds) {
    return timeBeginPeriod(milliseconds) == TIMERR_NOERROR;
}

void Win32Os::end_timer_resolution(std::uint32_t milliseconds) { timeEndPeriod(milliseconds); }

bool read_whole_file(const std::string& path, std::string& text) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    text.clear();
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        text.append(chunk, got);
    }
    CloseHandle(file);
    return true;
}

}  // namespace corvane
