// corvane-web's protocol: the subset of the FSUIPC WebSocket Server's JSON
// commands that the page and any client written for that server use, per
// connection, and the scheduler that serves every running read of every
// connection from one FSUIPC exchange per period.
//
// Portable: no socket and no FSUIPC call here. The server glue
// (web/server.*) feeds each text message to handle_message, sends the
// replies, queues the writes and the planned reads into the one exchange,
// and hands the bytes read back to deliver.
//
// Every answer is {command, name, success, errorCode, errorMessage, data}.
// Nothing a client sends is trusted: a message that is not a JSON object,
// names no known command or carries a wrong type is answered with
// success false and a message that says why; nothing in it can make the
// server read or write outside 0x0000-0xFFFF or past the limits below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::web {

constexpr std::size_t kMaxOffsetsPerDeclaration = 512;
constexpr std::size_t kMaxDeclarations = 32;
constexpr std::size_t kMaxMessageBytes = 64 * 1024;
constexpr std::uint32_t kMinIntervalMs = 10;
constexpr std::uint32_t kMaxIntervalMs = 3'600'000;
constexpr std::uint32_t kOffsetSpace = 0x10000;  // FSUIPC offsets are 16 bits
constexpr std::uint32_t kMaxBitsSize = 64;       // bytes of one "bits" offset
constexpr std::size_t kMaxNameBytes = 256;
// What one exchange may carry: reads (16 bytes of header each) and writes
// (12 each) share the request area below its limit, 0x7F00.
constexpr std::uint32_t kReadBudget = 0x6000;
constexpr std::uint32_t kWriteBudget = 0x1000;
constexpr std::uint32_t kReadRecordHeader = 16;
constexpr std::uint32_t kWriteRecordHeader = 12;

// Corvane's inputs, the only offsets a client may write by default.
struct OffsetRange {
    std::uint32_t first;
    std::uint32_t last;  // inclusive
};
inline constexpr OffsetRange kInputRanges[] = {
    {0x9400, 0x9401},  // command word
    {0x9428, 0x9428},  // value byte
    {0x94F0, 0x94FB},  // knob and step counters
};

enum class ValueKind : std::uint8_t { Int, Uint, Bits };

struct DeclaredOffset {
    std::string name;
    std::uint32_t address = 0;
    std::uint32_t size = 0;
    ValueKind kind = ValueKind::Uint;
};

struct Declaration {
    std::string name;
    std::vector<DeclaredOffset> offsets;
    bool running = false;       // an offsets.read with an interval
    bool once_pending = false;  // an offsets.read without one, answered by the next exchange
    bool changes_only = false;
    std::uint32_t interval_ms = 0;
    std::uint64_t next_due_ms = 0;
    // The bytes last sent, offset after offset; empty before the first.
    std::vector<unsigned char> last_sent;
};

// One connection's declarations, in the order they were made.
struct Session {
    std::vector<Declaration> declarations;
};

enum class WriteRule : std::uint8_t {
    InputsOnly,  // the default: Corvane's inputs alone
    Any,         // --write-any
    None,        // --read-only
};

// What about.read tells, filled in by the program.
struct About {
    std::string product = "corvane-web";
    std::string version;
    bool fsuipc_connected = false;
    std::uint32_t fsuipc_version = 0;
    std::uint32_t period_ms = 0;
    std::size_t connections = 0;
};

struct Write {
    std::uint32_t address = 0;
    std::uint32_t size = 0;
    unsigned char bytes[kMaxBitsSize] = {};
};

// Writes waiting for the next exchange, from every connection; bytes counts
// their room in the request area (header and data).
struct PendingWrites {
    std::vector<Write> writes;
    std::uint32_t bytes = 0;
};

// Handles one text message of a connection at now_ms: the replies to send
// back go to replies (none for a read, which the next exchange answers),
// writes to pending. read_area_elsewhere is what the other connections'
// reads take of the request area (their plans' area_bytes): a read that
// would take the exchange past kReadBudget is refused.
void handle_message(Session& session, WriteRule rule, const About& about, std::string_view text,
                    std::uint64_t now_ms, std::uint32_t read_area_elsewhere, PendingWrites& pending,
                    std::vector<std::string>& replies);

// True when [address, address + size) lies inside one of Corvane's inputs.
bool is_input(std::uint32_t address, std::uint32_t size);

// ---- the one exchange ---------------------------------------------------------

// A read of the exchange: size bytes at address, landing at buffer + at.
struct ReadRange {
    std::uint32_t address = 0;
    std::uint32_t size = 0;
    std::uint32_t at = 0;
};

struct ExchangePlan {
    std::vector<ReadRange> ranges;  // ascending, disjoint
    std::uint32_t buffer_bytes = 0;
    std::uint32_t area_bytes = 0;   // the reads' room in the request area
};

// The period of the exchange: the shortest interval of any running read,
// kMinIntervalMs at the least; 0 when nothing runs.
std::uint32_t exchange_period_ms(const std::vector<const Session*>& sessions);

// Whether an exchange is owed at now_ms: a read once waits, or a running
// read is due within half the period.
bool exchange_due(const std::vector<const Session*>& sessions, std::uint64_t now_ms);

// The reads of one exchange: every offset of every running or waiting read,
// overlapping and nearby offsets merged into one record.
void plan_exchange(const std::vector<const Session*>& sessions, ExchangePlan& plan);

// After the exchange filled buffer (plan.buffer_bytes) as planned: the data
// answers of the session's reads that are due at now_ms. A changesOnly read
// sends only what changed since it last sent, and nothing when nothing did.
void deliver(Session& session, const ExchangePlan& plan, const unsigned char* buffer,
             std::uint64_t now_ms, std::uint32_t period_ms, std::vector<std::string>& replies);

// An answer with success false, for a message the glue refuses itself (too
// big, not text).
std::string error_reply(std::string_view command, std::string_view code, std::string_view message);

}  // namespace corvane::web
