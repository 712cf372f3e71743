// The aircraft SDK link: the two named file mappings published by the aircraft
// add-on, the private snapshots the bridge copies them into, the simulator
// window and the registered command message, and posting commands.
//
// This is the only place that touches the aircraft add-on. The views are
// written by the simulator at any time without a lock; the program only ever
// reads its snapshots, never the live views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/os.h"

namespace corvane::aircraft {

inline constexpr char kSdk1MappingName[] = "iFly737NG_SDK_FileMappingObject";
inline constexpr char kSdk2MappingName[] = "iFly737NG_SDK2_FileMappingObject";
inline constexpr char kCommandMessageName[] = "iFly737NG_MSG_SDK";
inline constexpr char kSimulatorWindowClass[] = "FS98MAIN";

constexpr std::size_t kSdk1BlockSize = 4016;
constexpr std::size_t kSdk2BlockSize = 6772;
constexpr std::size_t kSdk1ViewSize = kSdk1BlockSize + 1;
constexpr std::size_t kSdk2ViewSize = kSdk2BlockSize + 1;

// Open result when a mapping or view is missing.
constexpr std::int32_t kNotAvailable = 100;

// SDK1 data-valid field: 0 means the aircraft data is not valid.
constexpr std::size_t kDataValidOffset = 0x0EEC;

// The link record.
struct Link {
    Handle sdk1_mapping = kNoHandle;
    const unsigned char* sdk1_view = nullptr;
    Handle sdk2_mapping = kNoHandle;
    const unsigned char* sdk2_view = nullptr;
    Handle simulator_window = kNoHandle;  // found once, kept while it exists
    std::uint32_t command_message = 0;    // registered once, kept for the process
};

// The private copies of the two views; zero at start, kept while closed.
struct Snapshots {
    unsigned char sdk1[kSdk1BlockSize] = {};
    unsigned char sdk2[kSdk2BlockSize] = {};
    // Counts the snapshot copies that changed a block's contents, so that
    // whoever derived values from the blocks can tell whether they still hold.
    std::uint64_t revision = 0;
};

// Open both mappings: kNotAvailable with everything released when either is
// missing, otherwise link_result_code unchanged. Locates the simulator on success.
std::int32_t open(Link& link, Os& os, std::int32_t link_result_code);
// Release view 1, mapping 1, view 2, mapping 2; the window and message stay.
void close(Link& link, Os& os);
// Look up only what is still missing: the "FS98MAIN" window (also when the
// one found before no longer exists), the message id.
void locate_simulator(Link& link, Os& os);
// What became of a command.
enum class Post : std::uint8_t {
    Posted,
    NoSimulator,  // the window or the message is missing: nothing was posted
    Refused,      // the system refused the post; os.last_error() says why
};
// Post the command message; nothing while the window or the message is
// missing. Nothing is retried.
Post post_command(const Link& link, Os& os, std::int32_t command, double value);

// The add-on writes its blocks while we copy them, so one copy can hold the
// old half of a display and the new half (a knob base of 29900 instead of
// 20100, then posted and held). A block that differs from its view is copied
// and compared again, and copied again while they still differ: at most this
// many copies in all. A quiet block costs one comparison and no copy.
constexpr int kMaxSnapshotCopies = 3;

// Brings block in step with view as above; copy does the byte copy (memcpy
// for the bridge; tests pass one that changes the view under it). Returns
// the number of copies made.
template <typename Copy>
int copy_settled(unsigned char* block, const unsigned char* view, std::size_t size, Copy&& copy) {
    int copies = 0;
    while (copies < kMaxSnapshotCopies && std::memcmp(block, view, size) != 0) {
        copy(block, view, size);
        ++copies;
    }
    return copies;
}

// The snapshot copies; each returns false (and copies nothing) when its view
// is not open. A copy that changes the block's contents bumps its revision.
bool snapshot_sdk1(const Link& link, Snapshots& blocks);
bool snapshot_sdk2(const Link& link, Snapshots& blocks);

// SDK1 data-valid field of the SDK1 snapshot.
std::int32_t data_valid_field(const Snapshots& blocks);

inline bool simulator_known(const Link& link) {
    return link.simulator_window != kNoHandle && link.command_message != 0;
}

// Whether the known simulator window still exists. One that is gone is
// forgotten, so nothing is posted into it and the next open looks it up again.
bool simulator_alive(Link& link, Os& os);

}  // namespace corvane::aircraft
