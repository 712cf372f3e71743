// The stand-in offset server: answers a client's request area in place from a
// 64 KiB offset space, owns the handshake offsets, and logs what it served.
//
// The request area comes from another process, so nothing in it is trusted:
// every header, size and offset range is checked against the area's end and
// the offset space (in 64 bits, so no sum can wrap) before it is used. A
// request is checked whole before any of it is applied, and checked again
// record by record while it is applied, because the client can still rewrite
// the area in between: the second walk stops at the first record that no
// longer passes, and never touches memory outside the area or the space.
#include "sim/offset_server.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/numbers.h"
#include "fsuipc/client.h"

namespace corvane::sim {

namespace {

// The protocol as the clients speak it. The handshake offsets hold the
// server version, then the simulator version, whose upper half the client's
// library-version write overlaps.
using fsuipc::kHandshakeEnd;
using fsuipc::kLibraryVersionOffset;
using fsuipc::kOffsetField;
using fsuipc::kRecordEnd;
using fsuipc::kRecordRead;
using fsuipc::kRecordWrite;
using fsuipc::kServerVersionOffset;
using fsuipc::kSimulatorVersionOffset;
using fsuipc::kSizeField;
constexpr std::size_t kIdSize = 4;
// Enough of any header to hold its id, offset and size fields.
constexpr std::size_t kCommonHeader = fsuipc::kWriteHeader;
constexpr std::uintptr_t kAnswerServed = fsuipc::kServerAnswerOk;
constexpr std::uintptr_t kAnswerRefused = 0;
constexpr unsigned kBitsPerByte = 8;

// The header size of every record layout the server knows; 0 for any other id.
std::size_t header_size(std::uint32_t id) {
    switch (id) {
        case kRecordRead:
            return fsuipc::kReadHeader;
        case kRecordWrite:
            return fsuipc::kWriteHeader;
        case kRecordWideRead:
            return kWideReadHeader;
        default:
            return 0;
    }
}

// Walks the request's records in area order and hands each well-formed one
// to on_record(id, offset, size, data), until the terminator (a fault of
// kind None comes back) or the first record that is not well-formed (its
// fault comes back). Every size and offset is checked in 64 bits before it
// is used, so the walk never leaves the area, whatever it holds.
template <typename OnRecord>
RequestFault walk(unsigned char* area, std::size_t area_size, OnRecord&& on_record) {
    std::size_t position = 0;  // never beyond area_size: every step keeps it inside
    for (std::size_t index = 0;; ++index) {
        RequestFault fault{FaultKind::None, index, position, area_size, 0, 0, 0};
        const std::size_t left = area_size - position;
        if (left < kIdSize) {
            fault.kind = FaultKind::NoTerminator;
            return fault;
        }
        unsigned char* at = area + position;
        fault.id = load_u32(at);
        if (fault.id == kRecordEnd) {
            return fault;
        }
        const std::size_t header = header_size(fault.id);
        if (header == 0) {
            fault.kind = FaultKind::UnknownId;
            return fault;
        }
        if (left >= kCommonHeader) {
            fault.offset = load_u32(at + kOffsetField);
            fault.size = load_u32(at + kSizeField);
        }
        if (left < header || left - header < fault.size) {
            fault.kind = FaultKind::PastArea;
            return fault;
        }
        if (std::uint64_t{fault.offset} + fault.size > kOffsetSpaceSize) {
            fault.kind = FaultKind::BeyondOffsetSpace;
            return fault;
        }
        on_record(fault.id, fault.offset, fault.size, at + header);
        position += header + fault.size;
    }
}

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

// Copies only when there is something to copy: an empty span may lie beyond
// either buffer, and not even a pointer may be formed there.
void copy_span(unsigned char* to, std::uint64_t to_index, const unsigned char* from,
               std::uint64_t from_index, std::uint64_t length) {
    if (length != 0) {
        std::memcpy(to + to_index, from + from_index, static_cast<std::size_t>(length));
    }
}

}  // namespace

void describe_fault(const RequestFault& fault, const char* area_name, char* text,
                    std::size_t capacity) {
    if (capacity == 0) {
        return;
    }
    char what[128] = {};
    switch (fault.kind) {
        case FaultKind::None:
            std::snprintf(what, sizeof what, "no fault");
            break;
        case FaultKind::UnknownId:
            std::snprintf(what, sizeof what,
                          "unknown record id %u (known: 1 and 4 read, 2 writes, 0 ends)",
                          static_cast<unsigned>(fault.id));
            break;
        case FaultKind::PastArea:
            std::snprintf(
                what, sizeof what,
                "an id %u record of %llu bytes runs past the area's end at byte %zu",
                static_cast<unsigned>(fault.id),
                static_cast<unsigned long long>(header_size(fault.id) + std::uint64_t{fault.size}),
                fault.area_size);
            break;
        case FaultKind::BeyondOffsetSpace:
            std::snprintf(what, sizeof what,
                          "offset 0x%X + %u bytes lies beyond the offset space 0x0000-0xFFFF",
                          static_cast<unsigned>(fault.offset), static_cast<unsigned>(fault.size));
            break;
        case FaultKind::NoTerminator:
            std::snprintf(what, sizeof what,
                          "no terminating 0 id before the area's end at byte %zu", fault.area_size);
            break;
    }
    std::snprintf(text, capacity,
                  "request area %s: record index %zu at byte %zu: %s; "
                  "nothing applied, answered 0",
                  area_name, fault.index, fault.position, what);
}

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
    logged_exchange.fault = RequestFault{};

    // The whole request first: one bad record refuses all of it.
    const RequestFault fault =
        walk(area, area_size, [](std::uint32_t, std::uint32_t, std::uint32_t, unsigned char*) {});
    if (fault.kind != FaultKind::None) {
        logged_exchange.fault = fault;
        return kAnswerRefused;
    }
    // Then every record in order. Should the client rewrite the area in
    // between, this walk stops where it no longer passes.
    std::size_t served = 0;
    walk(area, area_size,
         [this, &logged_exchange, &served](std::uint32_t id, std::uint32_t offset,
                                           std::uint32_t size, unsigned char* data) {
             if (served < ServedExchange::kMaxLoggedRecords) {
                 logged_exchange.records[served] = ServedRecord{id, offset, size};
             }
             ++served;
             apply(id, offset, size, data);
         });
    logged_exchange.record_count = served;
    return kAnswerServed;
}

// One checked record: [offset, offset + size) lies within the offset space
// and data holds size bytes of the area.
void OffsetServer::apply(std::uint32_t id, std::uint32_t offset, std::uint32_t size,
                         unsigned char* data) {
    const bool away =
        std::uint64_t{offset} + size <= kServerVersionOffset || offset >= kHandshakeEnd;
    if (id != kRecordWrite) {
        copy_span(data, 0, space_, offset, size);
        if (away) {
            return;
        }
        // The handshake offsets read as the server's own versions.
        const Span owned = overlap(offset, size, kServerVersionOffset, kHandshakeEnd);
        for (std::uint64_t at = owned.start; at < owned.start + owned.length; ++at) {
            const std::uint32_t o = static_cast<std::uint32_t>(at);
            data[at - offset] = o < kSimulatorVersionOffset
                                    ? byte_of(server_version, o - kServerVersionOffset)
                                    : byte_of(simulator_version, o - kSimulatorVersionOffset);
        }
        return;
    }
    // Most writes lie away from the handshake offsets: a plain copy serves them.
    if (away) {
        copy_span(space_, offset, data, 0, size);
        return;
    }
    // The handshake offsets are the server's own: a write there never
    // changes what they read, and only the library version half is taken
    // note of.
    const Span before = overlap(offset, size, 0, kServerVersionOffset);
    copy_span(space_, before.start, data, before.start - offset, before.length);
    const Span after = overlap(offset, size, kHandshakeEnd, kOffsetSpaceSize);
    copy_span(space_, after.start, data, after.start - offset, after.length);
    const Span library = overlap(offset, size, kLibraryVersionOffset, kHandshakeEnd);
    for (std::uint64_t at = library.start; at < library.start + library.length; ++at) {
        const unsigned shift = kBitsPerByte * static_cast<unsigned>(at - kLibraryVersionOffset);
        const auto keep = static_cast<std::uint16_t>(~(0xFFu << shift));
        client_library_version = static_cast<std::uint16_t>((client_library_version & keep) |
                                                            (data[at - offset] << shift));
    }
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
