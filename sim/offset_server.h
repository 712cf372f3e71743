// The stand-in offset server: a 64 KiB offset space that answers the client
// protocol's read and write records in a request area, the way a real offset
// server inside the simulator does.
//
// It serves every record layout the common client libraries send: reads with
// id 1 (16-byte header, as Corvane's own client lays them) and id 4 (20-byte
// header, as 64-bit clients lay them), writes with id 2, in any mix, each
// applied in area order.
//
// A request is checked whole before anything of it is applied: an unknown
// id, a record running past the area, an offset range beyond the offset space
// or a missing terminator refuses the whole request (answer 0, nothing
// applied), and the exchange's log entry describes the fault, so that the
// host can tell a panel developer which record was wrong instead of losing
// writes silently. The server itself does no I/O.
//
// It owns the handshake offsets: reads of 0x3304-0x330B always see its own
// version values, and the client's library-version write at 0x330A is taken
// without changing what 0x3308 reads (the two overlap), so every reconnect
// passes the version test again.
//
// Every exchange is counted and its records are kept in a fixed-capacity log
// (no allocation after construction), so tests can see what each exchange carried.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane::sim {

constexpr std::size_t kOffsetSpaceSize = 0x10000;
// A current 64-bit offset server: four decimal digits in the high word, the
// build letter in the low word (6.100 here; 0x19980005 would be 1.998e).
constexpr std::uint32_t kDefaultServerVersion = 0x61000000;
// 0xFADE tags the simulator version; 12 is a 64-bit simulator of the add-on's era.
constexpr std::uint32_t kDefaultSimulatorVersion = 0xFADE000C;

// The read record of 64-bit clients: id, offset, size, then an 8-byte field
// only the client uses (where it copies the result); the result bytes follow.
constexpr std::uint32_t kRecordWideRead = 4;
constexpr std::uint32_t kWideReadHeader = 20;

// What made the server refuse a request.
enum class FaultKind : std::uint8_t {
    None,
    UnknownId,          // a record id other than 0, 1, 2 and 4
    PastArea,           // a header or its data runs past the area's end
    BeyondOffsetSpace,  // offset + size lies beyond the 64 KiB offset space
    NoTerminator,       // the area ends before a 0 id
};

// The first faulty record of a refused request, as the walk found it.
struct RequestFault {
    FaultKind kind = FaultKind::None;
    std::size_t index = 0;      // records before it in the area (0: the first)
    std::size_t position = 0;   // its byte position in the area
    std::size_t area_size = 0;  // of the whole area
    std::uint32_t id = 0;       // header fields, as far as the area held them
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// One line for a person: the area's name, the record's index and byte
// position, and the fault. Always terminated; cut to capacity.
void describe_fault(const RequestFault& fault, const char* area_name, char* text,
                    std::size_t capacity);

struct ServedRecord {
    std::uint32_t id;  // 1 or 4 read, 2 write
    std::uint32_t offset;
    std::uint32_t size;
};

// The records of one exchange, in area order (at most kMaxLoggedRecords kept).
struct ServedExchange {
    static constexpr std::size_t kMaxLoggedRecords = 512;
    std::size_t record_count = 0;  // all records served, also those not kept
    RequestFault fault;            // kind None unless the request was refused (record_count 0)
    ServedRecord records[kMaxLoggedRecords];

    std::size_t count(std::uint32_t id) const;
    bool has_write(std::uint32_t offset) const;
};

class OffsetServer {
public:
    OffsetServer();

    // Serve one request area of area_size bytes in place. Returns the answer
    // the server window gives: 1 when served, 0 when refused.
    std::uintptr_t serve(unsigned char* area, std::size_t area_size);

    // The offset space as clients see it (the handshake offsets aside).
    unsigned char* space() { return space_; }
    const unsigned char* space() const { return space_; }
    std::uint8_t byte_at(std::uint32_t offset) const;
    std::uint16_t u16_at(std::uint32_t offset) const;
    void set_u8(std::uint32_t offset, std::uint8_t value);
    void set_u16(std::uint32_t offset, std::uint16_t value);

    std::uint32_t server_version = kDefaultServerVersion;
    std::uint32_t simulator_version = kDefaultSimulatorVersion;
    // The last library version a client wrote at 0x330A.
    std::uint16_t client_library_version = 0;

    // Exchanges served since construction or the last clear_log().
    std::size_t exchange_count() const { return exchange_count_; }
    // The most recent exchanges, newest last; index 0..logged()-1.
    static constexpr std::size_t kLogCapacity = 64;
    std::size_t logged() const;
    const ServedExchange& exchange(std::size_t index) const;
    const ServedExchange& last_exchange() const { return exchange(logged() - 1); }
    void clear_log();

private:
    void apply(std::uint32_t id, std::uint32_t offset, std::uint32_t size, unsigned char* data);

    unsigned char space_[kOffsetSpaceSize];
    std::size_t exchange_count_ = 0;
    ServedExchange log_[kLogCapacity];
};

}  // namespace corvane::sim
