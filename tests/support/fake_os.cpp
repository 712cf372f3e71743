// The in-process fake of the OS seam: a small world of windows, named
// mappings, atoms and registered messages, served by the stand-in offset
// server, with failure injection and records of what the core did.
//
// Kept deliberately plain (vectors and linear scans) so that it is obviously
// right; the worlds are tiny. Lookups compare strings in place and every
// record vector is reserved up front, so a running cycle allocates nothing here.
#include "tests/support/fake_os.h"

#include "aircraft/link.h"
#include "fsuipc/client.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace corvane::testing {

namespace {

// Win32 error codes the fake leaves behind on failure.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorInvalidWindowHandle = 1400;

constexpr Handle kFirstMappingHandle = 0x2000;
// A restarted simulator's windows get handles this far from the last ones.
constexpr Handle kWindowGenerationStep = 0x10000;
// String atoms live in 0xC000..0xFFFF; like the system's atom table, the
// fake hands out the lowest free one, so a deleted atom's id comes back.
constexpr std::uint32_t kFirstAtom = 0xC000;
constexpr std::uint32_t kLastAtom = 0xFFFF;
constexpr std::uint32_t kFirstMessage = 0xC000;
// Timed-out sends kept for late handling; more are dropped (a real queue
// would hold them, but the area they name is the same).
constexpr std::size_t kMaxLateMessages = 32;

using aircraft::kCommandMessageName;
using aircraft::kSdk1MappingName;
using aircraft::kSdk2MappingName;
using fsuipc::kExchangeMessageName;
using fsuipc::kServerClass;
using fsuipc::kSimulatorClass;
constexpr std::uint32_t kSdk1MappingSize = aircraft::kSdk1ViewSize;
constexpr std::uint32_t kSdk2MappingSize = aircraft::kSdk2ViewSize;

// Room for the records of a long test without growing mid-cycle.
constexpr std::size_t kReservedPosts = 4096;
constexpr std::size_t kReservedSleeps = 4096;
constexpr std::size_t kReservedNames = 256;
constexpr std::size_t kReservedObjects = 64;

}  // namespace

struct FakeOs::Impl {
    // A mapping object lives while a handle or a view refers to it, or while
    // the world publishes it. Unnamed once removed: open_mapping no longer
    // finds it, but views already mapped keep their memory.
    struct MappingObject {
        std::string name;
        bool named = true;
        bool published = false;
        std::vector<unsigned char> bytes;
        int references = 0;
    };
    struct HandleEntry {
        Handle handle;
        MappingObject* object;
        bool writable;
    };
    struct ViewEntry {
        const unsigned char* view;
        MappingObject* object;
    };
    struct AtomEntry {
        std::uint16_t id;
        std::string name;
        int references;
    };
    struct MessageEntry {
        std::string name;
        std::uint32_t id;
    };
    struct LateMessage {
        Handle window;
        std::uintptr_t atom;
    };

    std::vector<std::unique_ptr<MappingObject>> objects;
    std::vector<HandleEntry> handles;
    std::vector<ViewEntry> views;
    std::vector<AtomEntry> atoms;
    std::vector<MessageEntry> messages;
    Handle next_handle = kFirstMappingHandle;
    std::uint32_t next_message = kFirstMessage;
    LateMessage late[kMaxLateMessages] = {};
    std::size_t late_count = 0;
    std::uint32_t last_error = 0;
    int map_view_calls = 0;

    Impl() {
        objects.reserve(kReservedObjects);
        handles.reserve(kReservedObjects);
        views.reserve(kReservedObjects);
        atoms.reserve(kReservedObjects);
        messages.reserve(kReservedObjects);
    }

    MappingObject* named_object(const char* name) {
        for (auto& object : objects) {
            if (object->named && object->name == name) {
                return object.get();
            }
        }
        return nullptr;
    }

    MappingObject& new_object(const char* name, std::size_t size) {
        auto object = std::make_unique<MappingObject>();
        object->name = name != nullptr ? name : "";
        object->named = name != nullptr;
        object->bytes.assign(size, 0);
        objects.push_back(std::move(object));
        return *objects.back();
    }

    Handle new_handle(MappingObject& object, bool writable) {
        ++object.references;
        handles.push_back(HandleEntry{next_handle, &object, writable});
        return next_handle++;
    }

    void destroy(MappingObject* object) {
        objects.erase(std::find_if(objects.begin(), objects.end(),
                                   [object](const auto& o) { return o.get() == object; }));
    }

    void release(MappingObject* object) {
        if (--object->references == 0 && !object->published) {
            destroy(object);
        }
    }

    AtomEntry* atom(std::uint16_t id) {
        for (auto& entry : atoms) {
            if (entry.id == id) {
                return &entry;
            }
        }
        return nullptr;
    }

    // The lowest string atom not in use; 0 when the table is full.
    std::uint16_t free_atom() {
        for (std::uint32_t id = kFirstAtom; id <= kLastAtom; ++id) {
            if (atom(static_cast<std::uint16_t>(id)) == nullptr) {
                return static_cast<std::uint16_t>(id);
            }
        }
        return 0;
    }

    // The request area an exchange message names by its atom, as a server
    // finds it: the atom's name, then the mapping of that name.
    MappingObject* area_of(std::uintptr_t wparam) {
        const AtomEntry* entry =
            wparam <= UINT16_MAX ? atom(static_cast<std::uint16_t>(wparam)) : nullptr;
        return entry != nullptr ? named_object(entry->name.c_str()) : nullptr;
    }

    // The id of a registered message, 0 when that name was never registered.
    std::uint32_t find_message(const char* name) const {
        for (const auto& entry : messages) {
            if (entry.name == name) {
                return entry.id;
            }
        }
        return 0;
    }

    std::uint32_t message(const char* name) {
        if (const std::uint32_t id = find_message(name)) {
            return id;
        }
        messages.push_back(MessageEntry{name, next_message});
        // Looked up on every send and post: kept at hand instead of by name.
        if (std::strcmp(name, kExchangeMessageName) == 0) {
            exchange_message = next_message;
        } else if (std::strcmp(name, kCommandMessageName) == 0) {
            command_message = next_message;
        }
        return next_message++;
    }

    std::uint32_t exchange_message = 0;
    std::uint32_t command_message = 0;
};

FakeOs::FakeOs() : impl_(std::make_unique<Impl>()) {
    posts.reserve(kReservedPosts);
    sleeps.reserve(kReservedSleeps);
    created_mapping_names.reserve(kReservedNames);
}

// The model points into the published mappings, so it goes first.
FakeOs::~FakeOs() { aircraft_.reset(); }

sim::AircraftModel& FakeOs::publish_aircraft() {
    if (aircraft_) {
        // The add-on comes back: the same blocks, visible by name again.
        for (auto& object : impl_->objects) {
            if (object->published && !object->named && !impl_->named_object(object->name.c_str())) {
                object->named = true;
            }
        }
        return *aircraft_;
    }
    Impl::MappingObject& sdk1 = impl_->new_object(kSdk1MappingName, kSdk1MappingSize);
    sdk1.published = true;
    Impl::MappingObject& sdk2 = impl_->new_object(kSdk2MappingName, kSdk2MappingSize);
    sdk2.published = true;
    aircraft_ = std::make_unique<sim::AircraftModel>(sdk1.bytes.data(), sdk2.bytes.data());
    return *aircraft_;
}

void FakeOs::remove_mapping(const std::string& name) {
    Impl::MappingObject* object = impl_->named_object(name.c_str());
    if (object == nullptr) {
        return;
    }
    object->named = false;
    // Published blocks stay in memory for the model; others go with their last user.
    if (!object->published && object->references == 0) {
        impl_->destroy(object);
    }
}

unsigned char* FakeOs::mapping_memory(const std::string& name) {
    Impl::MappingObject* object = impl_->named_object(name.c_str());
    return object != nullptr ? object->bytes.data() : nullptr;
}

std::size_t FakeOs::open_handles() const { return impl_->handles.size(); }
std::size_t FakeOs::mapped_views() const { return impl_->views.size(); }
std::size_t FakeOs::mapping_objects() const { return impl_->objects.size(); }
int FakeOs::map_view_calls() const { return impl_->map_view_calls; }

std::size_t FakeOs::atoms_held() const {
    std::size_t held = 0;
    for (const auto& entry : impl_->atoms) {
        held += static_cast<std::size_t>(entry.references);
    }
    return held;
}

std::uint32_t FakeOs::message_id(const std::string& name) { return impl_->message(name.c_str()); }

void FakeOs::set_last_error(std::uint32_t value) { impl_->last_error = value; }

Handle FakeOs::find_window(const char* class_name) {
    ++find_window_calls;
    if (has_uipcmain && std::strcmp(class_name, kServerClass) == 0) {
        return uipcmain_window();
    }
    if (has_fs98main && std::strcmp(class_name, kSimulatorClass) == 0) {
        return fs98main_window();
    }
    return kNoHandle;
}

bool FakeOs::is_window(Handle window) {
    return (has_uipcmain && window == uipcmain_window()) ||
           (has_fs98main && window == fs98main_window());
}

Handle FakeOs::uipcmain_window() const {
    return kUipcmainWindow + window_generation_ * kWindowGenerationStep;
}

Handle FakeOs::fs98main_window() const {
    return kFs98mainWindow + window_generation_ * kWindowGenerationStep;
}

void FakeOs::restart_simulator() {
    ++window_generation_;
    std::memset(server.space(), 0, sim::kOffsetSpaceSize);
    impl_->late_count = 0;  // the old windows' queues went with them
}

void FakeOs::handle_late_messages() {
    for (std::size_t i = 0; i < impl_->late_count; ++i) {
        const Impl::LateMessage& late = impl_->late[i];
        // Nobody waits for the answer, so nobody tampers with it either.
        Impl::MappingObject* area = is_window(late.window) ? impl_->area_of(late.atom) : nullptr;
        if (area != nullptr) {
            server.serve(area->bytes.data(), area->bytes.size());
        }
    }
    impl_->late_count = 0;
}

std::size_t FakeOs::late_messages_pending() const { return impl_->late_count; }

std::uint32_t FakeOs::register_message(const char* name) {
    ++register_message_calls;
    if (fail_register_message) {
        impl_->last_error = kErrorNotEnoughMemory;
        return 0;
    }
    return impl_->message(name);
}

std::uint16_t FakeOs::add_atom(const char* name) {
    if (fail_add_atom) {
        impl_->last_error = kErrorNotEnoughMemory;
        return 0;
    }
    for (auto& entry : impl_->atoms) {
        if (entry.name == name) {
            ++entry.references;
            return entry.id;
        }
    }
    const std::uint16_t id = impl_->free_atom();
    if (id == 0) {
        impl_->last_error = kErrorNotEnoughMemory;
        return 0;
    }
    impl_->atoms.push_back(Impl::AtomEntry{id, name, 1});
    return id;
}

void FakeOs::delete_atom(std::uint16_t atom) {
    Impl::AtomEntry* entry = impl_->atom(atom);
    if (entry == nullptr) {
        ++bad_releases;
        return;
    }
    if (--entry->references == 0) {
        impl_->atoms.erase(impl_->atoms.begin() + (entry - impl_->atoms.data()));
    }
}

Handle FakeOs::create_mapping(const char* name, std::uint32_t size) {
    created_mapping_names.emplace_back(name != nullptr ? name : "");
    if (fail_create_mapping) {
        impl_->last_error = kErrorAccessDenied;
        return kNoHandle;
    }
    Impl::MappingObject* existing = name != nullptr ? impl_->named_object(name) : nullptr;
    if (existing != nullptr || mapping_already_exists) {
        Impl::MappingObject& object = existing != nullptr ? *existing : impl_->new_object(name, size);
        const Handle handle = impl_->new_handle(object, true);
        impl_->last_error = kErrorAlreadyExists;
        return handle;
    }
    const Handle handle = impl_->new_handle(impl_->new_object(name, size), true);
    impl_->last_error = 0;
    return handle;
}

Handle FakeOs::open_mapping(const char* name) {
    Impl::MappingObject* object = fail_open_mapping ? nullptr : impl_->named_object(name);
    if (object == nullptr) {
        impl_->last_error = kErrorFileNotFound;
        return kNoHandle;
    }
    return impl_->new_handle(*object, false);
}

unsigned char* FakeOs::map_view(Handle mapping, bool writable, std::size_t size) {
    const int call = impl_->map_view_calls++;
    if (fail_map_view_after >= 0 && call >= fail_map_view_after) {
        impl_->last_error = kErrorNotEnoughMemory;
        return nullptr;
    }
    for (const auto& entry : impl_->handles) {
        if (entry.handle != mapping) {
            continue;
        }
        if ((writable && !entry.writable) || size > entry.object->bytes.size()) {
            impl_->last_error = kErrorAccessDenied;
            return nullptr;
        }
        ++entry.object->references;
        unsigned char* view = entry.object->bytes.data();
        impl_->views.push_back(Impl::ViewEntry{view, entry.object});
        return view;
    }
    impl_->last_error = kErrorAccessDenied;
    return nullptr;
}

void FakeOs::unmap_view(const void* view) {
    auto& views = impl_->views;
    const auto found = std::find_if(views.begin(), views.end(),
                                    [view](const Impl::ViewEntry& e) { return e.view == view; });
    if (found == views.end()) {
        ++bad_releases;
        return;
    }
    Impl::MappingObject* object = found->object;
    views.erase(found);
    impl_->release(object);
}

void FakeOs::close_handle(Handle handle) {
    auto& handles = impl_->handles;
    const auto found = std::find_if(handles.begin(), handles.end(),
                                    [handle](const Impl::HandleEntry& e) { return e.handle == handle; });
    if (found == handles.end()) {
        ++bad_releases;
        return;
    }
    Impl::MappingObject* object = found->object;
    handles.erase(found);
    impl_->release(object);
}

std::uint32_t FakeOs::last_error() { return impl_->last_error; }

bool FakeOs::send_with_timeout(Handle window, std::uint32_t message, std::uintptr_t wparam,
                               std::intptr_t lparam, std::uint32_t timeout_ms,
                               std::uintptr_t* answer) {
    ++sends;
    last_send = RecordedPost{window, message, wparam, lparam};
    last_send_timeout_ms = timeout_ms;
    const bool exchange = message == impl_->exchange_message && message != 0;
    if (server_silent || failing_sends != 0) {
        if (failing_sends > 0) {
            --failing_sends;
        }
        if (late_handling && exchange && is_window(window) &&
            impl_->late_count < kMaxLateMessages) {
            impl_->late[impl_->late_count++] = Impl::LateMessage{window, wparam};
        }
        impl_->last_error = send_failure_error;
        return false;
    }
    if (!is_window(window)) {
        impl_->last_error = kErrorInvalidWindowHandle;
        return false;
    }
    // The window works through its queue in order: what timed out before
    // is handled before this message.
    handle_late_messages();
    *answer = 0;
    if (!exchange) {
        return true;  // a message the server window does not handle
    }
    // As a real server does: the atom names the area, the name opens it.
    Impl::MappingObject* area = impl_->area_of(wparam);
    if (area == nullptr) {
        return true;
    }
    const std::uintptr_t served = server.serve(area->bytes.data(), area->bytes.size());
    if (tamper) {
        tamper(area->bytes.data(), area->bytes.size());
    }
    // A request the server refused is answered 0, as the stand-in's window does.
    *answer = served == fsuipc::kServerAnswerOk ? server_answer : served;
    return true;
}

bool FakeOs::post(Handle window, std::uint32_t message, std::uintptr_t wparam,
                  std::intptr_t lparam) {
    if (post_failure_error != 0) {
        impl_->last_error = post_failure_error;
        return false;
    }
    impl_->last_error = 0;
    posts.push_back(RecordedPost{window, message, wparam, lparam});
    const std::uint32_t command_message = impl_->command_message;
    if (aircraft_ && has_fs98main && window == fs98main_window() && command_message != 0 &&
        message == command_message) {
        aircraft_->on_command(static_cast<std::uint32_t>(wparam),
                              static_cast<std::int32_t>(lparam));
    }
    return true;
}

void FakeOs::sleep(std::uint32_t milliseconds) {
    sleeps.push_back(milliseconds);
    clock_microseconds += std::uint64_t{milliseconds} * 1000u;
}

std::uint64_t FakeOs::now_microseconds() { return clock_microseconds; }

std::uint32_t FakeOs::process_id() { return process_id_value; }

bool FakeOs::begin_timer_resolution(std::uint32_t milliseconds) {
    if (refuse_timer_resolution) {
        return false;
    }
    timer_resolution_unbalanced += timer_resolution_held > 0 ? 1 : 0;
    ++timer_resolution_held;
    timer_resolution_ms = milliseconds;
    return true;
}

void FakeOs::end_timer_resolution(std::uint32_t milliseconds) {
    if (timer_resolution_held == 0 || milliseconds != timer_resolution_ms) {
        ++timer_resolution_unbalanced;
        return;
    }
    --timer_resolution_held;
}

}  // namespace corvane::testing
