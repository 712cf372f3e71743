// The stand-in offset server: a 64 KiB offset space that answers the client
// protocol's read and write records in a request area, the way a real offset
// server inside the simulator does.
//
// It owns the handshake offsets: reads of 0x3304-0x330B always see its own
// version values, and the client's library-version write at 0x330A is taken
// without changing what 0x3308 reads (the two overlap), so every reconnect
// passes the version test again. It walks the area defensively: a record that
// would run past the area's end ends the walk.
//
// Every exchange is counted and its records are kept in a fixed-capacity log
// (no allocation after construction), so tests can see what each exchange carried.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane::sim {

constexpr std::size_t kOffsetSpaceSize = 0x10000;
constexpr std::uint32_t kDefaultServerVersion = 0x19980005;
constexpr std::uint32_t kDefaultSimulatorVersion = 0xFADE000C;

struct ServedRecord {
    std::uint32_t id;      // 1 read, 2 write
    std::uint32_t offset;
    std::uint32_t size;
};

// The records of one exchange, in area order (at most kMaxLoggedRecords kept).
struct ServedExchange {
    static constexpr std::size_t kMaxLoggedRecords = 512;
    std::size_t record_count = 0;  // all records, also those not kept
    ServedRecord records[kMaxLoggedRecords];

    std::size_t count(std::uint32_t id) const;
    bool has_write(std::uint32_t offset) const;
};

class OffsetServer {
public:
    OffsetServer();

    // Serve one request area of area_size bytes in place. Returns the answer
    // the server window gives (1).
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
    unsigned char space_[kOffsetSpaceSize];
    std::size_t exchange_count_ = 0;
    ServedExchange log_[kLogCapacity];
};

}  // namespace corvane::sim
