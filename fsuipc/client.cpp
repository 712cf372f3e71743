// The FSUIPC client: opens the request area with its version handshake, queues
// read and write records into it, runs the exchange with the server window and
// copies the answers back, and closes it all again.
//
// The request area is shared memory: the server, or any process that opens it
// by name, can rewrite it while the exchange runs. So after an exchange the
// client walks its own list of what it queued, takes result bytes only from the
// positions it wrote itself, and never takes a size, a position or a
// destination from the area.
#include "fsuipc/client.h"

#include <cstdio>
#include <cstring>

#include "common/numbers.h"

namespace corvane::fsuipc {

namespace {

struct Meaning {
    std::int32_t code;
    const char* text;
};

constexpr Meaning kMeanings[] = {
    {kOk, "no error"},
    {kAlreadyOpen, "the link was already open"},
    {kNoServerWindow, "no FSUIPC window; is the simulator or corvane-sim running?"},
    {kRegisterFailed, "the exchange message could not be registered"},
    {kAtomFailed, "no global atom for the request area"},
    {kAreaCreateFailed, "the request area could not be created"},
    {kViewFailed, "the request area could not be mapped"},
    {kVersionMismatch, "the FSUIPC server's version is not accepted"},
    {kSimulatorVersionDiffers, "the simulator version differs"},
    {kNotOpen, "the link is not open"},
    {kNothingQueued, "nothing was queued for the exchange"},
    {kSendFailedNoError, "the FSUIPC server did not answer"},
    {kSendFailedWithError, "the FSUIPC server did not answer (a system error)"},
    {kBadAnswer, "the FSUIPC server refused the exchange"},
    {kVersionMismatchFs98, "the simulator's window answers, but not as FSUIPC"},
    {kAreaFull, "the request area is full"},
};

// The destination field of a read record without a destination.
constexpr std::uint32_t kNoDestination = 0;

constexpr std::uint32_t kVersionTagShift = 16;
constexpr std::uint32_t kVersionNumberMask = 0xFFFF;

// Whether a record with this header and data size still fits below the limit
// together with the terminator. Computed in 64 bits so that a huge size
// cannot wrap around and slip under the limit.
bool fits(std::uint32_t next_free, std::size_t queued_count, std::uint32_t header,
          std::uint32_t size) {
    const std::uint64_t end = std::uint64_t{next_free} + header + size + kTerminatorSize;
    return end <= kAreaLimit && queued_count < kMaxRecords;
}

// A send that timed out can still be handled by the server later, while the
// next batch is being built. So the area stays terminated at its start while
// records are queued: the first record's id is written as the terminator and
// set just before the send (see process), and a late handling finds an empty
// area instead of a half-built one.
std::uint32_t id_while_queuing(std::uint32_t next_free, std::uint32_t id) {
    return next_free == 0 ? kRecordEnd : id;
}

// Most records carry one to eight bytes (the bridge reads one- and two-byte
// offsets every cycle): two overlapping fixed-size moves do those without a
// call into the C library.
template <typename Word>
inline void copy_word_pair(unsigned char* to, const unsigned char* from, std::uint32_t n) {
    Word head;
    Word tail;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + n - sizeof tail, sizeof tail);
    std::memcpy(to, &head, sizeof head);
    std::memcpy(to + n - sizeof tail, &tail, sizeof tail);
}

inline void copy_bytes(unsigned char* to, const unsigned char* from, std::uint32_t n) {
    if (n == 1) {
        to[0] = from[0];
    } else if (n >= sizeof(std::uint16_t) && n < sizeof(std::uint32_t)) {
        copy_word_pair<std::uint16_t>(to, from, n);
    } else if (n >= sizeof(std::uint32_t) && n <= sizeof(std::uint64_t)) {
        copy_word_pair<std::uint32_t>(to, from, n);
    } else if (n > sizeof(std::uint64_t)) {
        std::memcpy(to, from, n);
    }
}

inline void zero_bytes(unsigned char* to, std::uint32_t n) {
    static constexpr unsigned char kZeros[sizeof(std::uint64_t)] = {};
    if (n > sizeof kZeros) {
        std::memset(to, 0, n);
    } else {
        copy_bytes(to, kZeros, n);
    }
}

// Only records that fit below kAreaLimit are queued: both narrowings keep
// every bit.
QueuedRecord queued_record(std::uint32_t position, std::uint32_t id, std::uint32_t size,
                           void* destination) {
    return QueuedRecord{static_cast<std::uint16_t>(position), static_cast<std::uint16_t>(size),
                        id, destination};
}

void remember(Client& client, std::uint32_t id, std::uint32_t size, void* destination) {
    client.queued[client.queued_count++] = queued_record(client.next_free, id, size, destination);
}

// Fails the open: releases whatever it acquired and reports the code. The
// Windows error of a failed call is kept before anything else can change it.
int fail_open(Client& client, Os& os, std::int32_t failure, std::int32_t& code,
              std::uint32_t windows_error = 0) {
    client.windows_error = windows_error;
    close(client, os);
    code = failure;
    return 0;
}

}  // namespace

int open(Client& client, Os& os, std::uint32_t requested_version, std::int32_t& code) {
    if (is_open(client)) {
        code = kAlreadyOpen;
        return 0;
    }
    client.server_version = 0;
    client.simulator_version = 0;
    client.windows_error = 0;

    client.found_as_simulator_window = false;
    Handle window = os.find_window(kServerClass);
    if (window == kNoHandle) {
        window = os.find_window(kSimulatorClass);
        client.found_as_simulator_window = true;
    }
    if (window == kNoHandle) {
        code = kNoServerWindow;
        return 0;
    }
    const std::uint32_t message = os.register_message(kExchangeMessageName);
    if (message == 0) {
        client.windows_error = os.last_error();
        code = kRegisterFailed;
        return 0;
    }
    client.server_window = window;
    client.exchange_message = message;

    // The counter keeps counting across closes, so no two areas of one
    // process ever share a name, even if a server still holds an old one.
    ++client.open_counter;
    std::snprintf(client.area_name, sizeof client.area_name, kAreaNameFormat,
                  static_cast<unsigned>(os.process_id()),
                  static_cast<unsigned>(client.open_counter));

    client.atom = os.add_atom(client.area_name);
    if (client.atom == 0) {
        return fail_open(client, os, kAtomFailed, code, os.last_error());
    }
    client.area_mapping = os.create_mapping(client.area_name, kAreaSize);
    // Read at once: anything after create_mapping may overwrite the last error.
    const std::uint32_t mapping_error = os.last_error();
    if (client.area_mapping == kNoHandle || mapping_error == kErrorAlreadyExists) {
        // Someone else's mapping of that name is not ours to write into.
        return fail_open(client, os, kAreaCreateFailed, code, mapping_error);
    }
    client.area_start = os.map_view(client.area_mapping, true, 0);
    if (client.area_start == nullptr) {
        return fail_open(client, os, kViewFailed, code, os.last_error());
    }
    client.next_free = 0;
    client.queued_count = 0;

    // The answers land in byte buffers that outlive each exchange; the
    // version fields are decoded from them after every pass.
    unsigned char server_bytes[4] = {};
    unsigned char simulator_bytes[4] = {};
    unsigned char library_bytes[2] = {};
    store_u16(library_bytes, kLibraryVersion);
    for (int pass = 1; pass <= kHandshakePasses; ++pass) {
        if (client.server_version != 0 && client.simulator_version != 0) {
            break;
        }
        if (!read(client, kServerVersionOffset, sizeof server_bytes, server_bytes, code) ||
            !read(client, kSimulatorVersionOffset, sizeof simulator_bytes, simulator_bytes,
                  code)) {
            const std::int32_t failure = code;
            return fail_open(client, os, failure, code);
        }
        if (pass == 1 &&
            !write(client, kLibraryVersionOffset, sizeof library_bytes, library_bytes, code)) {
            const std::int32_t failure = code;
            return fail_open(client, os, failure, code);
        }
        if (!process(client, os, code)) {
            const std::int32_t failure = code;
            return fail_open(client, os, failure, code, client.windows_error);
        }
        client.server_version = load_u32(server_bytes);
        client.simulator_version = load_u32(simulator_bytes);
        os.sleep(kRetrySleepMs);
    }

    if (client.server_version < kMinServerVersion ||
        (client.simulator_version >> kVersionTagShift) != kSimulatorVersionTag) {
        return fail_open(client, os,
                         client.found_as_simulator_window ? kVersionMismatchFs98 : kVersionMismatch,
                         code);
    }
    client.simulator_version &= kVersionNumberMask;
    if (requested_version != 0 && requested_version != client.simulator_version) {
        return fail_open(client, os, kSimulatorVersionDiffers, code);
    }
    code = kOk;
    return 1;
}

namespace {

// Where read records are laid: the client's area and list, or a prepared
// batch's image of them.
struct Layout {
    unsigned char* area;
    QueuedRecord* queued;
    std::uint32_t next_free;
    std::size_t queued_count;
};

// Lays the reads as read() one after the other would; returns how many
// were laid and leaves last_code as the last one left it.
std::size_t lay_reads(Layout& layout, const BatchRead* reads, std::size_t count,
                      unsigned char* destination, std::int32_t& last_code) {
    // Kept in locals for the whole batch: the stores into the area below go
    // through byte pointers, which could alias the layout's own fields.
    unsigned char* const area = layout.area;
    QueuedRecord* const queued_records = layout.queued;
    std::uint32_t next_free = layout.next_free;
    std::size_t queued_count = layout.queued_count;
    std::size_t laid = 0;
    std::int32_t result = last_code;
    for (std::size_t i = 0; i < count; ++i) {
        const BatchRead read = reads[i];
        if (!fits(next_free, queued_count, kReadHeader, read.size)) {
            result = kAreaFull;
            continue;
        }
        unsigned char* record = area + next_free;
        unsigned char* to = destination != nullptr ? destination + read.at : nullptr;
        // The area field is only 4 bytes wide, too narrow for an address on a
        // 64-bit build: it carries the record's place in the client's own list.
        const std::uint32_t destination_field =
            to != nullptr ? static_cast<std::uint32_t>(queued_count + 1) : kNoDestination;
        store_u32(record + kIdField, id_while_queuing(next_free, kRecordRead));
        store_u32(record + kOffsetField, read.offset);
        store_u32(record + kSizeField, read.size);
        store_u32(record + kDestinationField, destination_field);
        zero_bytes(record + kReadHeader, read.size);
        queued_records[queued_count++] = queued_record(next_free, kRecordRead, read.size, to);
        next_free += kReadHeader + read.size;
        ++laid;
        result = kOk;
    }
    last_code = result;
    layout.next_free = next_free;
    layout.queued_count = queued_count;
    return laid;
}

// Queues the reads of a table in order, each exactly as read() would.
std::size_t read_batch(Client& client, const BatchRead* reads, std::size_t count,
                       unsigned char* destination, std::int32_t& code) {
    if (!is_open(client)) {
        code = kNotOpen;
        return 0;
    }
    Layout layout{client.area_start, client.queued, client.next_free, client.queued_count};
    const std::size_t queued = lay_reads(layout, reads, count, destination, code);
    client.next_free = layout.next_free;
    client.queued_count = layout.queued_count;
    return queued;
}

}  // namespace

int read(Client& client, std::uint32_t offset, std::uint32_t size, void* destination,
         std::int32_t& code) {
    const BatchRead one{offset, size, 0};
    return read_batch(client, &one, 1, static_cast<unsigned char*>(destination), code) == 1;
}

void prepare_reads(PreparedReads& prepared, const BatchRead* reads, std::size_t count,
                   unsigned char* destination) {
    prepared.reads = reads;
    prepared.count = count;
    prepared.destination = destination;
    prepared.bytes = 0;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i) {
        bytes += kReadHeader + std::uint64_t{reads[i].size};
    }
    if (count > PreparedReads::kMaxReads || bytes > sizeof prepared.records) {
        return;  // queued record by record
    }
    Layout layout{prepared.records, prepared.queued, 0, 0};
    std::int32_t unused = kOk;
    lay_reads(layout, reads, count, destination, unused);
    prepared.bytes = layout.next_free;
}

std::size_t queue_reads(Client& client, const PreparedReads& prepared, std::int32_t& code) {
    if (!is_open(client) || client.next_free != 0 || prepared.bytes == 0) {
        return read_batch(client, prepared.reads, prepared.count, prepared.destination, code);
    }
    // Nothing queued yet: the batch goes exactly where its image was laid.
    std::memcpy(client.area_start, prepared.records, prepared.bytes);
    std::memcpy(client.queued, prepared.queued, prepared.count * sizeof(QueuedRecord));
    client.next_free = prepared.bytes;
    client.queued_count = prepared.count;
    if (prepared.count != 0) {
        code = kOk;
    }
    return prepared.count;
}

int write(Client& client, std::uint32_t offset, std::uint32_t size, const void* source,
          std::int32_t& code) {
    if (!is_open(client)) {
        code = kNotOpen;
        return 0;
    }
    if (!fits(client.next_free, client.queued_count, kWriteHeader, size)) {
        code = kAreaFull;
        return 0;
    }
    unsigned char* record = client.area_start + client.next_free;
    store_u32(record + kIdField, id_while_queuing(client.next_free, kRecordWrite));
    store_u32(record + kOffsetField, offset);
    store_u32(record + kSizeField, size);
    if (size != 0) {
        copy_bytes(record + kWriteHeader, static_cast<const unsigned char*>(source), size);
    }
    remember(client, kRecordWrite, size, nullptr);
    client.next_free += kWriteHeader + size;
    code = kOk;
    return 1;
}

int process(Client& client, Os& os, std::int32_t& code, int attempts) {
    if (!is_open(client)) {
        code = kNotOpen;
        return 0;
    }
    if (client.next_free == 0) {
        code = kNothingQueued;
        return 0;
    }
    store_u32(client.area_start + client.next_free, kRecordEnd);
    // Whatever the outcome, this batch is spent: the walk below uses the
    // count taken here, and the next batch starts from an empty queue.
    const std::size_t queued = client.queued_count;
    client.next_free = 0;
    client.queued_count = 0;
    // The batch is complete: only now does the area start with a record.
    store_u32(client.area_start + kIdField, client.queued[0].id);

    std::uintptr_t answer = 0;
    bool sent = false;
    std::uint32_t send_error = 0;
    // An abandoned exchange still makes its first attempt, so that what a
    // cycle under way sent is finished while the server answers; it makes
    // no further one and skips the sleeps.
    for (int attempt = 0; attempt < attempts && !sent && (attempt == 0 || !abandoned(client));
         ++attempt) {
        sent = os.send_with_timeout(client.server_window, client.exchange_message, client.atom,
                                    0, kSendTimeoutMs, &answer);
        if (!sent) {
            send_error = os.last_error();
            if (!abandoned(client)) {
                os.sleep(kRetrySleepMs);
            }
        }
    }
    client.windows_error = sent ? 0 : send_error;
    if (!sent) {
        code = send_error != 0 ? kSendFailedWithError : kSendFailedNoError;
        // A server that handles the timed-out message late finds nothing to do.
        store_u32(client.area_start + kIdField, kRecordEnd);
        return 0;
    }
    if (answer != kServerAnswerOk) {
        code = kBadAnswer;
        return 0;
    }

    // Positions and sizes come from the client's own list, never from the
    // area: every copy reads bytes the client itself laid out below the
    // limit and writes exactly the size the caller asked for.
    for (std::size_t i = 0; i < queued; ++i) {
        const QueuedRecord& record = client.queued[i];
        unsigned char* at = client.area_start + record.position;
        if (load_u32(at + kIdField) != record.id) {
            // The area was rewritten under us: what follows cannot be
            // trusted, so mark the walk's end and leave later destinations alone.
            store_u32(at + kIdField, kRecordEnd);
            break;
        }
        if (record.id == kRecordRead && record.destination != nullptr) {
            copy_bytes(static_cast<unsigned char*>(record.destination), at + kReadHeader,
                       record.size);
        }
    }
    code = kOk;
    return 1;
}

void close(Client& client, Os& os) {
    client.server_window = kNoHandle;
    client.exchange_message = 0;
    if (client.atom != 0) {
        os.delete_atom(client.atom);
        client.atom = 0;
    }
    if (client.area_start != nullptr) {
        os.unmap_view(client.area_start);
        client.area_start = nullptr;
    }
    if (client.area_mapping != kNoHandle) {
        os.close_handle(client.area_mapping);
        client.area_mapping = kNoHandle;
    }
}

const char* result_meaning(std::int32_t code) {
    for (const Meaning& meaning : kMeanings) {
        if (meaning.code == code) {
            return meaning.text;
        }
    }
    return "FSUIPC link error";
}

}  // namespace corvane::fsuipc
