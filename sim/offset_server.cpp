// The stand-in offset server: answers a client's request area in place from a
// 64 KiB offset space, owns the handshake offsets, and logs what it served.
//
// The request area comes from another process, so every header is checked
// against the area's end before it is used, and every offset range is clipped
// to the offset space: a corrupt area ends the walk early, it never makes the
// server touch memory outside the area or the space.
#include "sim/offset_server.h"

#include <algorithm>
#include <cstring>

#include "common/numbers.h"
#include "fsuipc/client.h"

namespace corvane::sim {

namespace {

// The protocol as the client speaks it. The handshake offsets hold the
// server version, then the simulator version, whose upper half the client's
// library-version write overlaps.
using fsuipc::kHandshakeEnd;
using fsuipc::kLibraryVersionOffset;
using fsuipc::kOffsetField;
using fsuipc::kRecordRead;
using fsuipc::kRecordWrite;
using fsuipc::kServerVersionOffset;
using fsuipc::kSimulatorVersionOffset;
using fsuipc::kSizeField;
constexpr std::size_t kIdSize = 4;
constexpr std::size_t kReadHeader = fsuipc::kReadHeader;
constexpr std::size_t kWriteHeader = fsuipc::kWriteHeader;
constexpr std::uintptr_t kAnswerServed = fsuipc::kServerAnswerOk;
constexpr unsigned kBitsPerByte = 8;

std::uint8_t byte_of(std::uint32_t value, std::uint32_t index) {
    return static_cast<std::uint8_t>(value >> (kBitsPerByte * index));
}

// The part of [offset, offset + size) that lies within [begin, end), as a
// start and a length (length 0 when they do not meet).
struct Span {
    std::uint64_t start;
    std::uint64_t length;
};

Span overlap(std::uint64_t offset, std::uint64_t size, std::uint64_t begin, std::uint64_t end) {
    const std::uint64_t start = std::max(offset, begin);
    const std::uint64_t stop = std::min(offset + size, end);
    return stop > start ? Span{start, stop - start} : Span{start, 0};
}

// Copies only when there is something to copy: an empty span may lie far
// beyond either buffer, and not even a pointer may be formed there.
void copy_span(unsigned char* to, std::uint64_t to_index, const unsigned char* from,
               std::uint64_t from_index, std::uint64_t length) {
    if (length != 0) {
        std::memcpy(to + to_index, from + from_index, static_cast<std::size_t>(length));
    }
}

}  // namespace

std::size_t ServedExchange::count(std::uint32_t id) const {
    const std::size_t kept = std::min(record_count, kMaxLoggedRecords);
    return static_cast<std::size_t>(
        std::count_if(records, records + kept, [id](const ServedRecord& r) { return r.id == id; }));
}

bool ServedExchange::has_write(std::uint32_t offset) const {
    const std::size_t kept = std::min(record_count, kMaxLoggedRecords);
    return std::any_of(records, records + kept, [offset](const ServedRecord& r) {
        return r.id == kRecordWrite && r.offset == offset;
    });
}

OffsetServer::OffsetServer() : space_{}, log_{} {}

std::uintptr_t OffsetServer::serve(unsigned char* area, std::size_t area_size) {
    ServedExchange& logged_exchange = log_[exchange_count_ % kLogCapacity];
    ++exchange_count_;
    logged_exchange.record_count = 0;

    std::size_t position = 0;
    while (position <= area_size && area_size - position >= kIdSize) {
        unsigned char* record = area + position;
        const std::uint32_t id = load_u32(record);
        if (id != kRecordRead && id != kRecordWrite) {
            break;  // the terminator, or a record we do not understand
        }
        const std::size_t header = id == kRecordRead ? kReadHeader : kWriteHeader;
        if (area_size - position < header) {
            break;
        }
        const std::uint32_t offset = load_u32(record + kOffsetField);
        const std::uint32_t size = load_u32(record + kSizeField);
        if (area_size - position - header < size) {
            break;  // the data would run past the area's end
        }
        unsigned char* data = record + header;

        if (logged_exchange.record_count < ServedExchange::kMaxLoggedRecords) {
            logged_exchange.records[logged_exchange.record_count] = ServedRecord{id, offset, size};
        }
        ++logged_exchange.record_count;

        // Most records lie wholly inside the space and away from the
        // handshake offsets: a plain copy serves them.
        const std::uint64_t end = std::uint64_t{offset} + size;
        if (end <= kServerVersionOffset || (offset >= kHandshakeEnd && end <= kOffsetSpaceSize)) {
            if (id == kRecordRead) {
                copy_span(data, 0, space_, offset, size);
            } else {
                copy_span(space_, offset, data, 0, size);
            }
            position += header + size;
            continue;
        }

        if (id == kRecordRead) {
            // Bytes beyond the space read as zero.
            std::memset(data, 0, size);
            const Span in_space = overlap(offset, size, 0, kOffsetSpaceSize);
            copy_span(data, in_space.start - offset, space_, in_space.start, in_space.length);
            const Span owned = overlap(offset, size, kServerVersionOffset, kHandshakeEnd);
            for (std::uint64_t at = owned.start; at < owned.start + owned.length; ++at) {
                const std::uint32_t o = static_cast<std::uint32_t>(at);
                data[at - offset] = o < kSimulatorVersionOffset
                                        ? byte_of(server_version, o - kServerVersionOffset)
                                        : byte_of(simulator_version, o - kSimulatorVersionOffset);
            }
        } else {
            // The handshake offsets are the server's own: a write there
            // never changes what they read, and only the library version
            // half is taken note of.
            const Span before = overlap(offset, size, 0, kServerVersionOffset);
            copy_span(space_, before.start, data, before.start - offset, before.length);
            const Span after = overlap(offset, size, kHandshakeEnd, kOffsetSpaceSize);
            copy_span(space_, after.start, data, after.start - offset, after.length);
            const Span library = overlap(offset, size, kLibraryVersionOffset, kHandshakeEnd);
            for (std::uint64_t at = library.start; at < library.start + library.length; ++at) {
                const unsigned shift =
                    kBitsPerByte * static_cast<unsigned>(at - kLibraryVersionOffset);
                const auto keep = static_cast<std::uint16_t>(~(0xFFu << shift));
                client_library_version = static_cast<std::uint16_t>(
                    (client_library_version & keep) | (data[at - offset] << shift));
            }
        }
        position += header + size;
    }
    return kAnswerServed;
}

std::uint8_t OffsetServer::byte_at(std::uint32_t offset) const {
    return offset < kOffsetSpaceSize ? space_[offset] : 0;
}

std::uint16_t OffsetServer::u16_at(std::uint32_t offset) const {
    return static_cast<std::uint16_t>(byte_at(offset) | (byte_at(offset + 1) << kBitsPerByte));
}

void OffsetServer::set_u8(std::uint32_t offset, std::uint8_t value) {
    if (offset < kOffsetSpaceSize) {
        space_[offset] = value;
    }
}

void OffsetServer::set_u16(std::uint32_t offset, std::uint16_t value) {
    set_u8(offset, static_cast<std::uint8_t>(value));
    set_u8(offset + 1, static_cast<std::uint8_t>(value >> kBitsPerByte));
}

std::size_t OffsetServer::logged() const { return std::min(exchange_count_, kLogCapacity); }

const ServedExchange& OffsetServer::exchange(std::size_t index) const {
    static const ServedExchange kNothingServed{};
    if (index >= logged()) {
        return kNothingServed;
    }
    return log_[(exchange_count_ - logged() + index) % kLogCapacity];
}

void OffsetServer::clear_log() { exchange_count_ = 0; }

}  // namespace corvane::sim
