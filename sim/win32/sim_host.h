// The Win32 host of the stand-in simulator: the windows a simulator with an
// offset server shows, and the aircraft's two named mappings, served from a
// thread of its own.
//
// By default there are two windows, as in a simulator with the offset server
// loaded: the simulator's main window "FS98MAIN", which receives the
// aircraft's command message "iFly737NG_MSG_SDK" (wParam the code, lParam
// the value, handed to the aircraft model) and also answers the exchange
// message, and the offset server's own window "UIPCMAIN", which answers the
// exchange message "FsasmLib:IPC" (the atom in wParam names the client's
// request area, which the offset server works through in place). Both serve
// the one offset space. Client libraries look for "UIPCMAIN" first, and some
// for nothing else; the layouts with one window alone are there for tests of
// the fallback and of a simulator without the add-on's window.
//
// A request the offset server refuses is answered 0, and one line saying
// which record of which request area was wrong goes to standard error.
//
// The host serves on its own thread because whoever drives it (corvane-sim's
// animation, an end-to-end test waiting for corvane.exe) must stay free while
// exchanges are answered. The offset server and the aircraft model are shared
// between that thread and the driver, so every access from outside goes
// through with_server() / with_aircraft(), which hold the host's lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/os.h"
#include "sim/aircraft_model.h"
#include "sim/offset_server.h"

namespace corvane::sim::win32 {

enum class ServerClass { Fs98main, Uipcmain };
constexpr std::size_t kServerClassCount = 2;

const char* class_name(ServerClass server_class);

// Which of the two windows the host creates.
enum class WindowLayout {
    Both,          // a simulator with the offset server loaded
    Fs98mainOnly,  // the simulator's window alone answers exchanges too
    UipcmainOnly,  // the offset server alone: aircraft commands have no window to go to
};

bool has_window(WindowLayout layout, ServerClass server_class);

struct HostOptions {
    WindowLayout windows = WindowLayout::Both;
    // Create the two aircraft mappings when the host starts. Off: the
    // simulator runs with no aircraft loaded (publish_aircraft() later).
    bool publish_aircraft = true;
};

// Told, on the serving thread and with the host's lock held, about each
// exchange served and each aircraft command received, with the
// QueryPerformanceCounter value of the moment the message reached the server
// window. Must be quick and must not call into the host (its lock is held).
class HostObserver {
public:
    virtual ~HostObserver() = default;
    // area_name names the client's request area ("FsasmLib:IPC:<pid>:<n>");
    // server.last_exchange() holds the records just served.
    virtual void exchange_served(std::int64_t received, const char* area_name,
                                 const OffsetServer& server) = 0;
    virtual void command_received(std::int64_t received, std::uint32_t command,
                                  std::int32_t value) = 0;
};

// What the host has seen since start (or reset_counters()).
struct HostCounters {
    std::size_t exchanges = 0;          // exchange messages served (answered 1)
    // Of those, the ones each window answered, by ServerClass.
    std::size_t exchanges_by_window[kServerClassCount] = {};
    std::size_t refused_exchanges = 0;  // answered 0: area not found, refusing, bad request
    std::size_t bad_requests = 0;       // of those, requests the offset server refused
    std::size_t commands = 0;           // aircraft command messages received
    std::string last_area_name;         // atom name of the last exchange served

    std::size_t exchanges_at(ServerClass server_class) const {
        return exchanges_by_window[static_cast<std::size_t>(server_class)];
    }
};

class SimHost {
public:
    explicit SimHost(const HostOptions& options = HostOptions{});
    ~SimHost();  // stops serving, then withdraws the aircraft
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

    // Publishes the aircraft (when the options ask for it), then creates the
    // windows of the layout on a new thread and serves until stop(). Returns
    // once they exist; false when one of them or a mapping could not be
    // created (nothing is left running then). Calling start() while running
    // does nothing.
    bool start();
    // Closes the windows and waits for the serving thread to end. The
    // aircraft stays published; the offset space keeps its contents.
    void stop();
    bool running() const;
    // The window of that class while running, else kNoHandle (also when the
    // layout has none).
    Handle window(ServerClass server_class) const;

    // Creates the mappings "iFly737NG_SDK_FileMappingObject" (4017 bytes) and
    // "iFly737NG_SDK2_FileMappingObject" (6773 bytes) and a model over them.
    // A mapping of that name that another process still holds is adopted as
    // it is (see adopted_existing_mapping()). True when published.
    bool publish_aircraft();
    // Releases both views and mappings and the model: the add-on went away.
    // The names disappear once no other process holds them open.
    void withdraw_aircraft();
    bool aircraft_published() const;
    // True when the last publish found a mapping of its name already there
    // (a second stand-in, or a client that never closed its handle).
    bool adopted_existing_mapping() const;

    // While refusing, exchanges are answered 0 without being served (the
    // client sees a failed exchange).
    void refuse_exchanges(bool refuse);

    // Waits until the serving thread has handled every message that the
    // calling thread posted to the host's windows before this call (posts
    // from one thread to the windows of another arrive in order). False on timeout or
    // when not running. Lets a test prove that no further command came.
    bool sync_posts(std::uint32_t timeout_ms);

    HostCounters counters() const;
    void reset_counters();

    // nullptr: nobody is told. The observer must outlive its registration.
    void set_observer(HostObserver* observer);

    // Run f with the host's lock held; the serving thread waits meanwhile.
    // f must not send to the host's windows (the send would wait for a lock
    // that its own thread holds).
    template <typename F>
    decltype(auto) with_server(F&& f) {
        Lock lock(*this);
        return f(server());
    }
    // f gets the aircraft model, or nullptr while no aircraft is published.
    template <typename F>
    decltype(auto) with_aircraft(F&& f) {
        Lock lock(*this);
        return f(aircraft());
    }

    struct Impl;

private:
    class Lock {
    public:
        explicit Lock(SimHost& host) : host_(host) { host_.lock(); }
        ~Lock() { host_.unlock(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        SimHost& host_;
    };

    void lock() const;
    void unlock() const;
    OffsetServer& server();
    AircraftModel* aircraft();

    std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::sim::win32
