// The Win32 host of the stand-in simulator: the offset server's window and
// the aircraft's two named mappings, served from a thread of its own.
//
// The window (class "FS98MAIN", or "UIPCMAIN") answers the two registered
// messages that the real simulator answers: "FsasmLib:IPC" (an exchange: the
// atom in wParam names the client's request area, which the offset server
// works through in place) and "iFly737NG_MSG_SDK" (an aircraft command,
// wParam the code and lParam the value, handed to the aircraft model).
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

const char* class_name(ServerClass server_class);

struct HostOptions {
    // The class the server window registers under; clients look for
    // "UIPCMAIN" first and fall back to "FS98MAIN". Aircraft commands reach
    // the aircraft only through an "FS98MAIN" window.
    ServerClass server_class = ServerClass::Fs98main;
    // Create the two aircraft mappings when the host starts. Off: the
    // simulator runs with no aircraft loaded (publish_aircraft() later).
    bool publish_aircraft = true;
};

// What the host has seen since start (or reset_counters()).
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

struct HostCounters {
    std::size_t exchanges = 0;          // exchange messages served (answered 1)
    std::size_t refused_exchanges = 0;  // answered 0: area not found, or refusing
    std::size_t commands = 0;           // aircraft command messages received
    std::string last_area_name;         // atom name of the last exchange served
};

class SimHost {
public:
    explicit SimHost(const HostOptions& options = HostOptions{});
    ~SimHost();  // stops serving, then withdraws the aircraft
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

    // Publishes the aircraft (when the options ask for it), then creates the
    // server window on a new thread and serves until stop(). Returns once the
    // window exists; false when it or a mapping could not be created (nothing
    // is left running then). Calling start() while running does nothing.
    bool start();
    // Closes the window and waits for the serving thread to end. The
    // aircraft stays published; the offset space keeps its contents.
    void stop();
    bool running() const;
    // The server window while running, else kNoHandle.
    Handle window() const;

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
    // calling thread posted to the server window before this call (posts
    // from one thread to one window arrive in order). False on timeout or
    // when not running. Lets a test prove that no further command came.
    bool sync_posts(std::uint32_t timeout_ms);

    HostCounters counters() const;
    void reset_counters();

    // nullptr: nobody is told. The observer must outlive its registration.
    void set_observer(HostObserver* observer);

    // Run f with the host's lock held; the serving thread waits meanwhile.
    // f must not send to the server window (the send would wait for a lock
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
