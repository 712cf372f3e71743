// The client's exchange against a hostile or failing server. The input
// chooses a batch of reads and writes, how the exchange goes (sends that time
// out, with or without a last error and with or without a late handling of
// the timed-out message; an answer other than 1) and what the server leaves
// in the area before it answers (any bytes at any place, ids included).
//
// The client must then keep its promises, checked from the outside:
//   * the result and the code say exactly how the exchange went;
//   * no byte outside the queued destinations is touched, and after a
//     failure no destination at all;
//   * after a success each read up to the first record whose id was changed
//     holds the bytes the area held at its place, and every read from there
//     on is left alone;
//   * a timed-out batch handled late by the server finds an empty area;
//   * the next process with nothing queued reports code 10.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/numbers.h"
#include "fsuipc/client.h"
#include "tests/support/fake_os.h"

namespace {

using namespace corvane;

constexpr std::size_t kMaxRecords = 32;
constexpr std::size_t kMaxSize = 16;
constexpr std::size_t kGuard = 8;
constexpr std::size_t kSlot = kMaxSize + kGuard;
constexpr unsigned char kPoison = 0xA5;
constexpr std::uint32_t kReadBase = 0x9400;
constexpr std::uint32_t kWriteBase = 0x9600;

struct Rig {
    Rig() {
        fake.has_uipcmain = true;
        // Every offset the reads can reach holds a byte of its own.
        for (std::uint32_t i = 0; i < 0x200; ++i) {
            fake.server.set_u8(kReadBase + i, static_cast<std::uint8_t>(i * 7 + 1));
        }
        std::int32_t code = 0;
        if (fsuipc::open(*client, fake, 0, code) != 1) std::abort();
    }
    testing::FakeOs fake;
    std::unique_ptr<fsuipc::Client> client = std::make_unique<fsuipc::Client>();
};

void check(bool ok) {
    if (!ok) std::abort();
}

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t used = 0;
    std::uint8_t next() { return used < size ? data[used++] : 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Rig rig;
    testing::FakeOs& fake = rig.fake;
    fsuipc::Client& client = *rig.client;
    Input in{data, size};

    // The batch: reads into their own slots of one poisoned arena, writes.
    struct Queued {
        bool read;
        std::uint32_t size;
        std::uint32_t position;  // in the area, as the protocol lays records out
        unsigned char* destination;
    };
    Queued queued[kMaxRecords];
    unsigned char arena[kMaxRecords * kSlot + kGuard];
    std::memset(arena, kPoison, sizeof arena);
    const std::size_t count = 1 + in.next() % kMaxRecords;
    std::uint32_t position = 0;
    std::int32_t code = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t shape = in.next();
        const std::uint8_t where = in.next();
        const bool read = (shape & 0x80) != 0;
        const std::uint32_t bytes = shape % (kMaxSize + 1);
        unsigned char* destination = (shape & 0x40) != 0 ? nullptr : arena + kGuard + i * kSlot;
        if (read) {
            check(fsuipc::read(client, kReadBase + where, bytes, destination, code) == 1);
        } else {
            const unsigned char source[kMaxSize] = {where, static_cast<unsigned char>(i), 1, 2, 3,
                                                    4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
            check(fsuipc::write(client, kWriteBase + where, bytes, source, code) == 1);
            destination = nullptr;
        }
        queued[i] = Queued{read, bytes, position, read ? destination : nullptr};
        position += (read ? fsuipc::kReadHeader : fsuipc::kWriteHeader) + bytes;
    }

    // How the exchange goes.
    const std::uint8_t how = in.next();
    const int failing = how % 12;  // nine or more: every attempt fails
    fake.failing_sends = failing;
    fake.send_failure_error = (how & 0x10) != 0 ? 1460 : 0;
    fake.late_handling = (how & 0x20) != 0;
    fake.server_answer = (how & 0xC0) == 0xC0 ? in.next() : fsuipc::kServerAnswerOk;
    // What the server leaves behind: a run of bytes at a place of the input's choosing.
    const std::uint32_t at = (std::uint32_t{in.next()} << 8 | in.next()) % (position + 64);
    const std::size_t garbage_size = size - in.used;
    const std::uint8_t* garbage = data + in.used;
    unsigned char seen[fsuipc::kAreaSize];
    fake.tamper = [&](unsigned char* area, std::size_t area_size) {
        const std::size_t n = garbage_size < area_size - at ? garbage_size : area_size - at;
        std::memcpy(area + at, garbage, n);
        std::memcpy(seen, area, area_size < sizeof seen ? area_size : sizeof seen);
    };
    unsigned char space_before[0x100];
    std::memcpy(space_before, fake.server.space() + kWriteBase, sizeof space_before);
    const std::size_t served_before = fake.server.exchange_count();

    const int result = fsuipc::process(client, fake, code);
    fake.tamper = nullptr;

    const bool sent = failing < fsuipc::kSendAttempts;
    if (!sent) {
        check(result == 0 && code == (fake.send_failure_error != 0 ? fsuipc::kSendFailedWithError
                                                                   : fsuipc::kSendFailedNoError));
        // The server wakes up and handles what timed out: it finds nothing to do.
        fake.handle_late_messages();
        check(std::memcmp(space_before, fake.server.space() + kWriteBase, sizeof space_before) == 0);
        const std::size_t late = fake.server.exchange_count() - served_before;
        check(late == (fake.late_handling ? static_cast<std::size_t>(fsuipc::kSendAttempts) : 0));
        for (std::size_t i = 0; i < late; ++i) {
            check(fake.server.exchange(fake.server.logged() - 1 - i).record_count == 0);
        }
    } else if (fake.server_answer != fsuipc::kServerAnswerOk) {
        check(result == 0 && code == fsuipc::kBadAnswer);
    } else {
        check(result == 1 && code == fsuipc::kOk);
    }
    fake.failing_sends = 0;
    fake.late_handling = false;
    fake.handle_late_messages();
    fake.server_answer = fsuipc::kServerAnswerOk;

    // Destinations: the guards are never touched; a failure touches nothing;
    // a success fills the reads before the first changed id from the area.
    bool trusted = result == 1;
    for (std::size_t i = 0; i < count; ++i) {
        const Queued& q = queued[i];
        if (trusted && load_u32(seen + q.position) != (q.read ? fsuipc::kRecordRead
                                                              : fsuipc::kRecordWrite)) {
            trusted = false;
        }
        const unsigned char* slot = arena + kGuard + i * kSlot;
        const std::uint32_t filled = q.destination != nullptr && trusted ? q.size : 0;
        if (filled != 0) {
            check(std::memcmp(slot, seen + q.position + fsuipc::kReadHeader, filled) == 0);
        }
        for (std::size_t b = filled; b < kMaxSize; ++b) check(slot[b] == kPoison);
    }
    for (std::size_t i = 0; i <= count; ++i) {
        for (std::size_t b = 0; b < kGuard; ++b) check(arena[i * kSlot + b] == kPoison);
    }
    // The batch is spent whatever happened.
    check(fsuipc::process(client, fake, code) == 0 && code == fsuipc::kNothingQueued);
    fake.sleeps.clear();
    return 0;
}
