// The FSUIPC client: open with version handshake, queued reads and writes in a
// shared request area, the exchange message, close.
//
// Every operation but close stores a result code through its out-parameter;
// the program always passes its link result code there. Queuing only writes
// into the mapped area and moves next free: nothing is allocated per batch.
//
// The request area is shared memory that the server (or any process that opens
// it by name) may rewrite during an exchange. The client therefore never takes
// a size, an offset or a destination from the area: it keeps its own list of
// what it queued and, after the exchange, copies result bytes only from the
// positions it wrote itself. The 4-byte destination field of a read record
// carries the record's index in that list plus one (0 = no destination).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/os.h"

namespace corvane::fsuipc {

// Result codes, stored in the caller's link result code.
enum : std::int32_t {
    kOk = 0,
    kAlreadyOpen = 1,
    kNoServerWindow = 2,
    kRegisterFailed = 3,
    kAtomFailed = 4,
    kAreaCreateFailed = 5,
    kViewFailed = 6,
    kVersionMismatch = 7,         // server window found as "UIPCMAIN"
    kSimulatorVersionDiffers = 8,
    kNotOpen = 9,
    kNothingQueued = 10,
    kSendFailedNoError = 11,      // nine sends failed, last error 0
    kSendFailedWithError = 12,    // nine sends failed, last error non-zero
    kBadAnswer = 13,
    kVersionMismatchFs98 = 14,    // server window found only as "FS98MAIN"
    kAreaFull = 15,
};

// What a result code means, in a few words for a cockpit builder: the
// monitor's messages and the log file's code lines. Never null.
const char* result_meaning(std::int32_t code);

constexpr std::uint32_t kAreaSize = 0x8000;
constexpr std::uint32_t kAreaLimit = 0x7F00;  // requests plus terminator fit below this
constexpr std::uint32_t kReadHeader = 16;
constexpr std::uint32_t kWriteHeader = 12;
constexpr std::uint32_t kRecordRead = 1;
constexpr std::uint32_t kRecordWrite = 2;
constexpr std::uint32_t kRecordEnd = 0;

// Header fields of a record, as byte offsets from its start.
constexpr std::uint32_t kIdField = 0;
constexpr std::uint32_t kOffsetField = 4;
constexpr std::uint32_t kSizeField = 8;
constexpr std::uint32_t kDestinationField = 12;  // reads only
constexpr std::uint32_t kTerminatorSize = 4;
// The answer of a server window that carried out the requests.
constexpr std::uintptr_t kServerAnswerOk = 1;

constexpr std::uint32_t kServerVersionOffset = 0x3304;
constexpr std::uint32_t kSimulatorVersionOffset = 0x3308;
constexpr std::uint32_t kLibraryVersionOffset = 0x330A;
constexpr std::uint32_t kHandshakeEnd = 0x330C;  // the server owns 0x3304..0x330B
constexpr std::uint16_t kLibraryVersion = 2002;
constexpr std::uint32_t kMinServerVersion = 0x19980005;
constexpr std::uint32_t kSimulatorVersionTag = 0xFADE;

constexpr std::uint32_t kSendTimeoutMs = 2000;
constexpr int kSendAttempts = 9;
constexpr std::uint32_t kRetrySleepMs = 100;
constexpr int kHandshakePasses = 5;

inline constexpr char kServerClass[] = "UIPCMAIN";
inline constexpr char kSimulatorClass[] = "FS98MAIN";
inline constexpr char kExchangeMessageName[] = "FsasmLib:IPC";
inline constexpr char kAreaNameFormat[] = "FsasmLib:IPC:%X:%X";

// Every record takes at least 12 bytes below the limit.
constexpr std::size_t kMaxRecords = kAreaLimit / kWriteHeader;

// The client's own account of one queued record. Everything queued lies
// below kAreaLimit, so position and size fit in 16 bits: 16 bytes a record.
struct QueuedRecord {
    std::uint16_t position;  // byte offset of the record in the area
    std::uint16_t size;      // data bytes
    std::uint32_t id;        // kRecordRead or kRecordWrite
    void* destination;       // reads only; may be null
};
static_assert(kAreaLimit <= UINT16_MAX);

// The client record. Plain data, zero at start; lives for the whole process.
struct Client {
    Handle server_window = kNoHandle;
    std::uint32_t exchange_message = 0;
    std::uint16_t atom = 0;
    Handle area_mapping = kNoHandle;
    unsigned char* area_start = nullptr;  // none while closed
    std::uint32_t next_free = 0;          // bytes used from area_start
    std::uint32_t open_counter = 0;       // never reset
    std::uint32_t server_version = 0;
    std::uint32_t simulator_version = 0;
    bool found_as_simulator_window = false;  // server found only as "FS98MAIN"
    char area_name[64] = {};
    std::size_t queued_count = 0;
    QueuedRecord queued[kMaxRecords] = {};
    // The Windows error behind the last failed open or exchange, taken on
    // the thread that failed; 0 when the failure had none (or after success).
    std::uint32_t windows_error = 0;
    // Set from another thread when the program ends: an exchange makes its
    // first attempt only and sleeps no more, so a silent server holds the
    // caller for one send's timeout an exchange. None: never abandoned.
    const std::atomic<bool>* abandon = nullptr;
};

// Open: 1 when open, 0 when it failed (code set as documented).
int open(Client& client, Os& os, std::uint32_t requested_version, std::int32_t& code);
// Queue a read of size bytes at offset into destination: 1 queued, 0 refused.
int read(Client& client, std::uint32_t offset, std::uint32_t size, void* destination,
         std::int32_t& code);
// One read of a batch: size bytes at FSUIPC offset, into the batch's
// destination at byte at.
struct BatchRead {
    std::uint32_t offset;
    std::uint32_t size;
    std::uint32_t at;
};
// A batch of reads that is queued again and again (the bridge's, in every
// cycle), laid out once by prepare_reads into destination + at of each.
// queue_reads then queues it by copying that image when nothing else is
// queued yet, and record by record otherwise: either way the area, the
// client's list and the code end up exactly as read() of each in table
// order would leave them (returns how many were queued), but a quiet cycle
// lays its fourteen reads with a fraction of the stores.
struct PreparedReads {
    static constexpr std::size_t kMaxReads = 16;
    static constexpr std::size_t kMaxBytes = kMaxReads * (kReadHeader + sizeof(std::uint64_t));
    const BatchRead* reads = nullptr;  // the table, kept by the caller
    std::size_t count = 0;
    unsigned char* destination = nullptr;
    std::uint32_t bytes = 0;  // of the image; 0: too big for one, never copied
    unsigned char records[kMaxBytes] = {};
    QueuedRecord queued[kMaxReads] = {};
};
void prepare_reads(PreparedReads& prepared, const BatchRead* reads, std::size_t count,
                   unsigned char* destination);
std::size_t queue_reads(Client& client, const PreparedReads& prepared, std::int32_t& code);
// Queue a write of size bytes at offset copied from source now: 1 queued, 0 refused.
int write(Client& client, std::uint32_t offset, std::uint32_t size, const void* source,
          std::int32_t& code);
// The exchange: 1 when every read destination was filled, 0 otherwise. A
// message of its own that is not worth waiting for (the state Corvane leaves
// in the block when it stops or ends) passes fewer attempts.
int process(Client& client, Os& os, std::int32_t& code, int attempts = kSendAttempts);
void close(Client& client, Os& os);

inline bool is_open(const Client& client) { return client.area_start != nullptr; }

inline bool abandoned(const Client& client) {
    return client.abandon != nullptr && client.abandon->load(std::memory_order_relaxed);
}

}  // namespace corvane::fsuipc
