// An in-process fake of the OS seam for the native tests.
//
// It holds a small world: the server windows ("UIPCMAIN", "FS98MAIN"), named
// mappings backed by heap memory, global atoms, registered messages, and an
// offset server (the same code as the stand-in simulator's) that answers the
// exchange message. Every operation can be made to fail on demand, every post
// and sleep is recorded, and the counts of live handles, views and atoms show
// leaks. Nothing here allocates while a cycle runs once the world is set up
// (records are reserved up front).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "sim/aircraft_model.h"
#include "sim/offset_server.h"

namespace corvane::testing {

struct RecordedPost {
    Handle window;
    std::uint32_t message;
    std::uintptr_t wparam;
    std::intptr_t lparam;
};

class FakeOs : public Os {
public:
    FakeOs();
    ~FakeOs() override;

    // ---- the world --------------------------------------------------------
    sim::OffsetServer server;
    // Which server windows exist. The offset server answers the exchange
    // message at whichever of them exists.
    bool has_uipcmain = false;
    bool has_fs98main = false;
    static constexpr Handle kUipcmainWindow = 0x1001;
    static constexpr Handle kFs98mainWindow = 0x1002;
    // The handles of the two windows; the constants above until the first
    // restart_simulator().
    Handle uipcmain_window() const;
    Handle fs98main_window() const;
    // The simulator restarts: its windows are created anew with new handles
    // (the old ones no longer exist) and the offset space starts empty.
    // Which windows exist stays as it was.
    void restart_simulator();

    // Publish the stand-in aircraft: creates the two named mappings (4017 and
    // 6773 bytes, zero-filled) and a model over them; SDK1 0x0EEC is left 0.
    // Posts of "iFly737NG_MSG_SDK" to the "FS98MAIN" window reach the model.
    sim::AircraftModel& publish_aircraft();
    sim::AircraftModel* aircraft() { return aircraft_.get(); }
    const sim::AircraftModel* aircraft() const { return aircraft_.get(); }
    // Remove one or both named mappings (as if the add-on went away).
    void remove_mapping(const std::string& name);
    // The bytes of a named mapping (nullptr when none exists).
    unsigned char* mapping_memory(const std::string& name);

    // ---- failure injection -------------------------------------------------
    bool fail_register_message = false;
    bool fail_add_atom = false;
    bool fail_create_mapping = false;
    bool mapping_already_exists = false;  // create_mapping reports kErrorAlreadyExists
    bool fail_open_mapping = false;
    int fail_map_view_after = -1;         // -1 never; n: the (n+1)-th and later map_view fail
    int failing_sends = 0;                // this many sends fail next; -1 all of them
    std::uint32_t send_failure_error = 0; // last error left by a failing send
    bool server_silent = false;           // every send fails (timeout), last error as above
    std::uint32_t post_failure_error = 0; // non-zero: every post is refused with this error
    std::uintptr_t server_answer = 1;  // answer of the server window after serving (not refusing)
    // Runs after the server served an area and before the answer (a hostile
    // server rewriting the area). Gets the area and its size.
    std::function<void(unsigned char*, std::size_t)> tamper;
    // A send that timed out (a silent server, failing_sends) stays in the
    // server window's queue, as SendMessageTimeout leaves it: the server
    // handles it later, with the area as it is by then. That happens when
    // handle_late_messages() is called, or at the latest just before the
    // window answers its next send. Lost with the window it was sent to.
    bool late_handling = false;
    void handle_late_messages();
    std::size_t late_messages_pending() const;

    // ---- records -----------------------------------------------------------
    std::vector<RecordedPost> posts;
    std::vector<std::uint32_t> sleeps;
    std::size_t sends = 0;                 // attempts, failed ones included
    std::size_t find_window_calls = 0;
    std::size_t register_message_calls = 0;
    std::vector<std::string> created_mapping_names;  // every create_mapping name, in order
    std::uint32_t process_id_value = 0x1F40;
    // The clock of now_microseconds(); a test moves it, and every sleep()
    // moves it by the time slept.
    std::uint64_t clock_microseconds = 0;
    // The timer resolution asked for: requests held now (begins less ends),
    // the last one's milliseconds, and requests out of balance (a second
    // begin while one is held, an end without a begin). With
    // refuse_timer_resolution every begin is refused.
    int timer_resolution_held = 0;
    std::uint32_t timer_resolution_ms = 0;
    std::size_t timer_resolution_unbalanced = 0;
    bool refuse_timer_resolution = false;
    // The last send attempt as made (window, message, wParam, lParam) and its timeout.
    RecordedPost last_send{};
    std::uint32_t last_send_timeout_ms = 0;
    // Releases of something not held: unmapping an unknown view, closing an
    // unknown handle, deleting an atom that is not there (double releases).
    std::size_t bad_releases = 0;
    // Poison the thread's last error, as a test does before the call it checks.
    void set_last_error(std::uint32_t value);

    std::size_t open_handles() const;  // mappings opened or created and not closed
    std::size_t mapped_views() const;
    std::size_t atoms_held() const;
    // Mapping objects alive: named ones, published ones, and any still held.
    std::size_t mapping_objects() const;
    // map_view calls so far, failed ones included (to aim fail_map_view_after).
    int map_view_calls() const;
    std::uint32_t message_id(const std::string& name);  // registers if new

    // ---- Os ------------------------------------------------------------------
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
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::unique_ptr<sim::AircraftModel> aircraft_;
    Handle window_generation_ = 0;
};

}  // namespace corvane::testing
