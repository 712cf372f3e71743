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

// The destination field of a read record without a destination.
constexpr std::uint32_t kNoDestination = 0;

constexpr std::uint32_t kVersionTagShift = 16;
constexpr std::uint32_t kVersionNumberMask = 0xFFFF;

// Whether a record with this header and data size still fits below the limit
// together with the terminator. Computed in 64 bits so that a huge size
// cannot wrap around and slip under the limit.
bool fits(const Client& client, std::uint32_t header, std::uint32_t size) {
    const std::uint64_t end = std::uint64_t{client.next_free} + header + size + kTerminatorSize;
    return end <= kAreaLimit && client.queued_count < kMaxRecords;
}

// A send that timed out can still be handled by the server later, while the
// next batch is being built. So the area stays terminated at its start while
// records are queued: the first record's id is written as the terminator and
// set just before the send (see process), and a late handling finds an empty
// area instead of a half-built one.
std::uint32_t id_while_queuing(const Client& client, std::uint32_t id) {
    return client.next_free == 0 ? kRecordEnd : id;
}

void remember(Client& client, std::uint32_t id, std::uint32_t size, void* destination) {
    QueuedRecord& record = client.queued[client.queued_count++];
    record.position = client.next_free;
    record.id = id;
    record.size = size;
    record.destination = destination;
}

// Fails the open: releases whatever it acquired and reports the code.
int fail_open(Client& client, Os& os, std::int32_t failure, std::int32_t& code) {
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
        return fail_open(client, os, kAtomFailed, code);
    }
    client.area_mapping = os.create_mapping(client.area_name, kAreaSize);
    // Read at once: anything after create_mapping may overwrite the last error.
    const bool already_existed = os.last_error() == kErrorAlreadyExists;
    if (client.area_mapping == kNoHandle || already_existed) {
        // Someone else's mapping of that name is not ours to write into.
        return fail_open(client, os, kAreaCreateFailed, code);
    }
    client.area_start = os.map_view(client.area_mapping, true, 0);
    if (client.area_start == nullptr) {
        return fail_open(client, os, kViewFailed, code);
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
            return fail_open(client, os, failure, code);
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

int read(Client& client, std::uint32_t offset, std::uint32_t size, void* destination,
         std::int32_t& code) {
    if (!is_open(client)) {
        code = kNotOpen;
        return 0;
    }
    if (!fits(client, kReadHeader, size)) {
        code = kAreaFull;
        return 0;
    }
    unsigned char* record = client.area_start + client.next_free;
    // The area field is only 4 bytes wide, too narrow for an address on a
    // 64-bit build: it carries the record's place in the client's own list.
    const std::uint32_t destination_field =
        destination != nullptr ? static_cast<std::uint32_t>(client.queued_count + 1)
                               : kNoDestination;
    store_u32(record + kIdField, id_while_queuing(client, kRecordRead));
    store_u32(record + kOffsetField, offset);
    store_u32(record + kSizeField, size);
    store_u32(record + kDestinationField, destination_field);
    std::memset(record + kReadHeader, 0, size);
    remember(client, kRecordRead, size, destination);
    client.next_free += kReadHeader + size;
    code = kOk;
    return 1;
}

int write(Client& client, std::uint32_t offset, std::uint32_t size, const void* source,
          std::int32_t& code) {
    if (!is_open(client)) {
        code = kNotOpen;
        return 0;
    }
    if (!fits(client, kWriteHeader, size)) {
        code = kAreaFull;
        return 0;
    }
    unsigned char* record = client.area_start + client.next_free;
    store_u32(record + kIdField, id_while_queuing(client, kRecordWrite));
    store_u32(record + kOffsetField, offset);
    store_u32(record + kSizeField, size);
    if (size != 0) {
        std::memcpy(record + kWriteHeader, source, size);
    }
    remember(client, kRecordWrite, size, nullptr);
    client.next_free += kWriteHeader + size;
    code = kOk;
    return 1;
}

int process(Client& client, Os& os, std::int32_t& code) {
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
    for (int attempt = 0; attempt < kSendAttempts && !sent; ++attempt) {
        sent = os.send_with_timeout(client.server_window, client.exchange_message, client.atom,
                                    0, kSendTimeoutMs, &answer);
        if (!sent) {
            os.sleep(kRetrySleepMs);
        }
    }
    if (!sent) {
        code = os.last_error() != 0 ? kSendFailedWithError : kSendFailedNoError;
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
        if (record.id == kRecordRead && record.destination != nullptr && record.size != 0) {
            std::memcpy(record.destination, at + kReadHeader, record.size);
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

}  // namespace corvane::fsuipc
