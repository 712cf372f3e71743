// The Win32 host of the stand-in simulator: named mappings, the simulator's
// and the offset server's windows, serving thread. See sim_host.h for why it
// runs on a thread of its own.
#include "sim/win32/sim_host.h"

#include <cstdio>
#include <cstring>

#include "platform/windows_api.h"

#include "aircraft/link.h"
#include "fsuipc/client.h"

namespace corvane::sim::win32 {
namespace {

constexpr char kWindowTitle[] = "Corvane stand-in simulator";
// Global atom names are at most 255 characters.
constexpr std::size_t kAtomNameCapacity = 256;
// Exchanges name their area with a string atom; those lie in this range.
constexpr WPARAM kFirstStringAtom = 0xC000;
constexpr WPARAM kLastStringAtom = 0xFFFF;
constexpr LRESULT kRefusedAnswer = 0;
// Posted by sync_posts(); handled after everything posted before it.
constexpr UINT kSyncMessage = WM_APP + 1;
// One line about a refused request: the area's name and the fault.
constexpr std::size_t kFaultLineCapacity = 512;
// The windows in the order they are created: the offset server's first, so
// that whoever sees "FS98MAIN" appear finds "UIPCMAIN" there too.
constexpr ServerClass kCreationOrder[] = {ServerClass::Uipcmain, ServerClass::Fs98main};

LRESULT CALLBACK host_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// One line to the standard error handle, straight through WriteFile rather
// than the C runtime: a Winelib build and a MinGW build then both write to
// the Windows handle whoever started the program gave it (a console, a file,
// a pipe), as corvane-monitor does, and nothing waits in a stdio buffer.
void report_line(const char* text, std::size_t length) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        WriteFile(error, text, static_cast<DWORD>(length), &written, nullptr);
    }
}

// The low 32 bits of lParam, as the add-on reads a posted command's value.
std::int32_t command_value(LPARAM lparam) {
    const auto bits = static_cast<std::uint32_t>(static_cast<std::uintptr_t>(lparam));
    return static_cast<std::int32_t>(bits);
}

}  // namespace

const char* class_name(ServerClass server_class) {
    return server_class == ServerClass::Uipcmain ? fsuipc::kServerClass : fsuipc::kSimulatorClass;
}

bool has_window(WindowLayout layout, ServerClass server_class) {
    switch (layout) {
        case WindowLayout::Both:
            return true;
        case WindowLayout::Fs98mainOnly:
            return server_class == ServerClass::Fs98main;
        case WindowLayout::UipcmainOnly:
            return server_class == ServerClass::Uipcmain;
    }
    return false;
}

// One of the host's windows: what its window procedure needs to know.
struct HostWindow {
    SimHost::Impl* impl = nullptr;
    ServerClass server_class = ServerClass::Fs98main;
    HWND handle = nullptr;
};

struct SimHost::Impl {
    explicit Impl(const HostOptions& host_options)
        : options(host_options), server(std::make_unique<OffsetServer>()) {
        InitializeCriticalSection(&lock);
    }
    ~Impl() {
        if (synced != nullptr) {
            CloseHandle(synced);
        }
        DeleteCriticalSection(&lock);
    }

    // ---- shared with the serving thread, under the lock -------------------
    HostOptions options;
    mutable CRITICAL_SECTION lock;
    std::unique_ptr<OffsetServer> server;
    std::unique_ptr<AircraftModel> model;
    HostCounters counters;
    bool refusing = false;
    HostObserver* observer = nullptr;

    // ---- aircraft mappings (driver thread only) -----------------------------
    HANDLE sdk1_mapping = nullptr;
    HANDLE sdk2_mapping = nullptr;
    unsigned char* sdk1_view = nullptr;
    unsigned char* sdk2_view = nullptr;
    bool adopted_existing = false;

    // ---- serving thread: set before it starts or before it signals ready -----
    UINT exchange_message = 0;
    UINT command_message = 0;
    HANDLE thread = nullptr;
    HANDLE ready = nullptr;
    HANDLE synced = nullptr;  // set when a sync message was handled
    HostWindow windows[kServerClassCount];  // by ServerClass; handle null when absent
    int live_windows = 0;                   // serving thread only

    void release_aircraft_views();
    bool create_windows();
    bool create_window(HostWindow& window);
    void destroy_windows();
    HWND any_window() const;
    LRESULT on_exchange(WPARAM atom, ServerClass server_class);
    void on_command(WPARAM command, LPARAM value);
};

namespace {

class ImplLock {
public:
    explicit ImplLock(SimHost::Impl& impl) : impl_(impl) { EnterCriticalSection(&impl_.lock); }
    ~ImplLock() { LeaveCriticalSection(&impl_.lock); }
    ImplLock(const ImplLock&) = delete;
    ImplLock& operator=(const ImplLock&) = delete;

private:
    SimHost::Impl& impl_;
};

DWORD WINAPI serving_thread(void* parameter) {
    auto* impl = static_cast<SimHost::Impl*>(parameter);
    const bool created = impl->create_windows();
    SetEvent(impl->ready);
    if (!created) {
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}

// The one entry of the host's windows: hands each message to its handler.
// Only the simulator's window takes aircraft commands, as in a simulator.
LRESULT CALLBACK host_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* host_window = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (host_window != nullptr) {
        SimHost::Impl* impl = host_window->impl;
        if (message == impl->exchange_message) {
            return impl->on_exchange(wparam, host_window->server_class);
        }
        if (message == impl->command_message &&
            host_window->server_class == ServerClass::Fs98main) {
            impl->on_command(wparam, lparam);
            return 0;
        }
        if (message == kSyncMessage) {
            SetEvent(impl->synced);
            return 0;
        }
        if (message == WM_DESTROY) {
            if (--impl->live_windows == 0) {
                PostQuitMessage(0);
            }
            return 0;
        }
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// When the message reached the server window, for an observer.
std::int64_t arrival_time() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace

bool SimHost::Impl::create_windows() {
    for (const ServerClass server_class : kCreationOrder) {
        HostWindow& window = windows[static_cast<std::size_t>(server_class)];
        window = HostWindow{this, server_class, nullptr};
        if (has_window(options.windows, server_class) && !create_window(window)) {
            destroy_windows();
            return false;
        }
    }
    return true;
}

bool SimHost::Impl::create_window(HostWindow& host_window) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const char* cls = class_name(host_window.server_class);
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = host_window_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = cls;
    // A second host in the same process finds the class already there, with
    // this same procedure.
    if (RegisterClassA(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    // A top-level window (not message-only): clients find it with
    // FindWindowExA on the desktop. It stays hidden.
    host_window.handle =
        CreateWindowExA(0, cls, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, &host_window);
    live_windows += host_window.handle != nullptr ? 1 : 0;
    return host_window.handle != nullptr;
}

// On the serving thread: a failed start takes back the windows it made.
void SimHost::Impl::destroy_windows() {
    for (HostWindow& window : windows) {
        if (window.handle != nullptr) {
            DestroyWindow(window.handle);
            window.handle = nullptr;
        }
    }
}

HWND SimHost::Impl::any_window() const {
    for (const HostWindow& window : windows) {
        if (window.handle != nullptr) {
            return window.handle;
        }
    }
    return nullptr;
}

LRESULT SimHost::Impl::on_exchange(WPARAM atom, ServerClass server_class) {
    const std::int64_t received = arrival_time();
    {
        ImplLock held(*this);
        if (refusing) {
            ++counters.refused_exchanges;
            return kRefusedAnswer;
        }
    }
    // The area is the client's: its name comes from the atom, its size from
    // the mapping itself, whatever size the client gave it. The walk never
    // passes the view's real end.
    char name[kAtomNameCapacity] = {};
    UINT length = 0;
    if (atom >= kFirstStringAtom && atom <= kLastStringAtom) {
        length = GlobalGetAtomNameA(static_cast<ATOM>(atom), name, sizeof name);
    }
    HANDLE mapping = length == 0 ? nullptr : OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    void* view = mapping == nullptr
                     ? nullptr
                     : MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
    MEMORY_BASIC_INFORMATION region = {};
    const std::size_t view_size =
        view != nullptr && VirtualQuery(view, &region, sizeof region) == sizeof region
            ? region.RegionSize
            : 0;
    LRESULT answer = kRefusedAnswer;
    char fault_line[kFaultLineCapacity] = {};
    {
        ImplLock held(*this);
        if (view != nullptr && view_size != 0) {
            answer = static_cast<LRESULT>(
                server->serve(static_cast<unsigned char*>(view), view_size));
        }
        if (answer != kRefusedAnswer) {
            ++counters.exchanges;
            ++counters.exchanges_by_window[static_cast<std::size_t>(server_class)];
            counters.last_area_name.assign(name, length);
            if (observer != nullptr) {
                observer->exchange_served(received, name, *server);
            }
        } else {
            ++counters.refused_exchanges;
            if (view != nullptr) {
                ++counters.bad_requests;
                char fault[kFaultLineCapacity] = {};
                describe_fault(server->last_exchange().fault, name, fault, sizeof fault);
                std::snprintf(fault_line, sizeof fault_line, "corvane-sim: %s\n", fault);
            }
        }
    }
    // Written outside the lock: the console may be slow.
    if (fault_line[0] != '\0') {
        report_line(fault_line, std::strlen(fault_line));
    }
    if (view != nullptr) {
        UnmapViewOfFile(view);
    }
    if (mapping != nullptr) {
        CloseHandle(mapping);
    }
    return answer;
}

void SimHost::Impl::on_command(WPARAM command, LPARAM value) {
    const std::int64_t received = arrival_time();
    ImplLock held(*this);
    ++counters.commands;
    if (model) {
        model->on_command(static_cast<std::uint32_t>(command), command_value(value));
    }
    if (observer != nullptr) {
        observer->command_received(received, static_cast<std::uint32_t>(command),
                                   command_value(value));
    }
}

void SimHost::Impl::release_aircraft_views() {
    if (sdk1_view != nullptr) {
        UnmapViewOfFile(sdk1_view);
        sdk1_view = nullptr;
    }
    if (sdk1_mapping != nullptr) {
        CloseHandle(sdk1_mapping);
        sdk1_mapping = nullptr;
    }
    if (sdk2_view != nullptr) {
        UnmapViewOfFile(sdk2_view);
        sdk2_view = nullptr;
    }
    if (sdk2_mapping != nullptr) {
        CloseHandle(sdk2_mapping);
        sdk2_mapping = nullptr;
    }
}

SimHost::SimHost(const HostOptions& options) : impl_(std::make_unique<Impl>(options)) {}

SimHost::~SimHost() {
    stop();
    withdraw_aircraft();
}

bool SimHost::start() {
    if (impl_->thread != nullptr) {
        return true;
    }
    const bool published_here = impl_->options.publish_aircraft && !aircraft_published();
    if (published_here && !publish_aircraft()) {
        return false;
    }
    impl_->exchange_message = RegisterWindowMessageA(fsuipc::kExchangeMessageName);
    impl_->command_message = RegisterWindowMessageA(aircraft::kCommandMessageName);
    impl_->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (impl_->synced == nullptr) {
        impl_->synced = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    if (impl_->exchange_message != 0 && impl_->command_message != 0 && impl_->ready != nullptr &&
        impl_->synced != nullptr) {
        impl_->thread = CreateThread(nullptr, 0, serving_thread, impl_.get(), 0, nullptr);
    }
    if (impl_->thread != nullptr) {
        WaitForSingleObject(impl_->ready, INFINITE);
        if (impl_->any_window() == nullptr) {
            WaitForSingleObject(impl_->thread, INFINITE);
            CloseHandle(impl_->thread);
            impl_->thread = nullptr;
        }
    }
    if (impl_->ready != nullptr) {
        CloseHandle(impl_->ready);
        impl_->ready = nullptr;
    }
    if (impl_->thread == nullptr) {
        if (published_here) {
            withdraw_aircraft();
        }
        return false;
    }
    return true;
}

void SimHost::stop() {
    if (impl_->thread == nullptr) {
        return;
    }
    for (const HostWindow& window : impl_->windows) {
        if (window.handle != nullptr) {
            PostMessageA(window.handle, WM_CLOSE, 0, 0);
        }
    }
    WaitForSingleObject(impl_->thread, INFINITE);
    CloseHandle(impl_->thread);
    impl_->thread = nullptr;
    for (HostWindow& window : impl_->windows) {
        window.handle = nullptr;
    }
}

bool SimHost::running() const { return impl_->thread != nullptr; }

Handle SimHost::window(ServerClass server_class) const {
    return reinterpret_cast<Handle>(impl_->windows[static_cast<std::size_t>(server_class)].handle);
}

bool SimHost::publish_aircraft() {
    Impl& impl = *impl_;
    if (aircraft_published()) {
        return true;
    }
    bool adopted = false;
    SetLastError(ERROR_SUCCESS);
    impl.sdk1_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           aircraft::kSdk1ViewSize, aircraft::kSdk1MappingName);
    adopted |= GetLastError() == ERROR_ALREADY_EXISTS;
    SetLastError(ERROR_SUCCESS);
    impl.sdk2_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           aircraft::kSdk2ViewSize, aircraft::kSdk2MappingName);
    adopted |= GetLastError() == ERROR_ALREADY_EXISTS;
    if (impl.sdk1_mapping != nullptr) {
        impl.sdk1_view = static_cast<unsigned char*>(
            MapViewOfFile(impl.sdk1_mapping, FILE_MAP_WRITE, 0, 0, aircraft::kSdk1ViewSize));
    }
    if (impl.sdk2_mapping != nullptr) {
        impl.sdk2_view = static_cast<unsigned char*>(
            MapViewOfFile(impl.sdk2_mapping, FILE_MAP_WRITE, 0, 0, aircraft::kSdk2ViewSize));
    }
    if (impl.sdk1_view == nullptr || impl.sdk2_view == nullptr) {
        impl.release_aircraft_views();
        return false;
    }
    ImplLock held(impl);
    impl.adopted_existing = adopted;
    impl.model = std::make_unique<AircraftModel>(impl.sdk1_view, impl.sdk2_view);
    return true;
}

void SimHost::withdraw_aircraft() {
    {
        ImplLock held(*impl_);
        impl_->model.reset();
    }
    impl_->release_aircraft_views();
}

bool SimHost::aircraft_published() const {
    ImplLock held(*impl_);
    return impl_->model != nullptr;
}

bool SimHost::adopted_existing_mapping() const {
    ImplLock held(*impl_);
    return impl_->adopted_existing;
}

void SimHost::refuse_exchanges(bool refuse) {
    ImplLock held(*impl_);
    impl_->refusing = refuse;
}

bool SimHost::sync_posts(std::uint32_t timeout_ms) {
    if (impl_->thread == nullptr) {
        return false;
    }
    ResetEvent(impl_->synced);
    if (!PostMessageA(impl_->any_window(), kSyncMessage, 0, 0)) {
        return false;
    }
    return WaitForSingleObject(impl_->synced, timeout_ms) == WAIT_OBJECT_0;
}

HostCounters SimHost::counters() const {
    ImplLock held(*impl_);
    return impl_->counters;
}

void SimHost::reset_counters() {
    ImplLock held(*impl_);
    impl_->counters = HostCounters{};
}

void SimHost::set_observer(HostObserver* observer) {
    ImplLock held(*impl_);
    impl_->observer = observer;
}

void SimHost::lock() const { EnterCriticalSection(&impl_->lock); }
void SimHost::unlock() const { LeaveCriticalSection(&impl_->lock); }
OffsetServer& SimHost::server() { return *impl_->server; }
AircraftModel* SimHost::aircraft() { return impl_->model.get(); }

}  // namespace corvane::sim::win32
