// End to end: the FSUIPC client over the real Win32 calls against the
// stand-in offset server serving on its own thread, as another process's
// server window would: window lookup by class, registered message, global
// atom naming a page-file mapping, SendMessageTimeoutA, the version handshake.
#include <cstdio>
#include <cstring>
#include <string>

#include "fsuipc/client.h"
#include "platform/win32_os.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr std::uint32_t kScratchOffset = 0x66C0;   // free user offsets
constexpr std::uint32_t kOddOffset = 0x66C5;
constexpr std::uint32_t kServerSideOffset = 0x66D0;
constexpr std::uint32_t kPoison32 = 0xDEADBEEF;
constexpr std::uint16_t kPoison16 = 0xDEAD;
constexpr std::uint16_t kCommandWordOffset = 0x9400;
// Nine failed sends with a 100 ms sleep after each, less the tick count's
// granularity; eight sleeps would stay below it.
constexpr DWORD kNineFailedSendsMs = 900 - 50;

std::string area_name(std::uint32_t counter) {
    char name[64];
    std::snprintf(name, sizeof name, fsuipc::kAreaNameFormat,
                  static_cast<unsigned>(GetCurrentProcessId()), static_cast<unsigned>(counter));
    return name;
}

bool mapping_exists(const std::string& name) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr) {
        return false;
    }
    CloseHandle(mapping);
    return true;
}

void handshake_and_area_names(Checks& t) {
    t.begin("open: handshake over the window message, 2002 written at 0x330A, area names count up");
    SimHost sim(HostOptions{WindowLayout::Fs98mainOnly, false});
    if (!E2E_CHECK(t, sim.start())) {
        return;
    }
    Win32Os os;
    fsuipc::Client client;
    std::int32_t code = -1;
    E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 1);
    E2E_CHECK_EQ(t, code, fsuipc::kOk);
    E2E_CHECK_EQ(t, sim.with_server([](sim::OffsetServer& s) { return s.client_library_version; }),
                 fsuipc::kLibraryVersion);
    // The library version goes out with the first pass only, in its first exchange.
    const bool first_pass_wrote = sim.with_server([](sim::OffsetServer& s) {
        return s.logged() >= 1 && s.exchange(0).has_write(fsuipc::kLibraryVersionOffset) &&
               s.exchange(0).count(fsuipc::kRecordRead) == 2;
    });
    E2E_CHECK(t, first_pass_wrote);
    E2E_CHECK_EQ(t, client.server_version, sim::kDefaultServerVersion);
    E2E_CHECK_EQ(t, client.simulator_version, sim::kDefaultSimulatorVersion & 0xFFFF);
    E2E_CHECK_STR(t, sim.counters().last_area_name, area_name(1));
    E2E_CHECK(t, mapping_exists(area_name(1)));

    // A second open while open is refused and leaves the area alone.
    std::int32_t again = -1;
    E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, again), 0);
    E2E_CHECK_EQ(t, again, fsuipc::kAlreadyOpen);
    E2E_CHECK(t, fsuipc::is_open(client));

    // Close gives back the atom and the mapping; the next open names area 2
    // and passes the version test again although 0x330A was written before.
    fsuipc::close(client, os);
    E2E_CHECK(t, !mapping_exists(area_name(1)));
    E2E_CHECK_EQ(t, GlobalFindAtomA(area_name(1).c_str()), 0);
    sim.with_server([](sim::OffsetServer& s) { s.client_library_version = 0; });
    E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 1);
    E2E_CHECK_EQ(t, code, fsuipc::kOk);
    const std::string second = sim.counters().last_area_name;
    E2E_CHECK_STR(t, second, area_name(2));
    E2E_CHECK(t, second.size() >= 2 && second.compare(second.size() - 2, 2, ":2") == 0);
    E2E_CHECK_EQ(t, sim.with_server([](sim::OffsetServer& s) { return s.client_library_version; }),
                 fsuipc::kLibraryVersion);
    fsuipc::close(client, os);
}

void reads_and_writes(Checks& t) {
    t.begin("exchange: writes land in the offset space, reads bring it back");
    SimHost sim(HostOptions{WindowLayout::Fs98mainOnly, false});
    if (!E2E_CHECK(t, sim.start())) {
        return;
    }
    Win32Os os;
    fsuipc::Client client;
    std::int32_t code = -1;
    if (!E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 1)) {
        return;
    }

    // A write, then a read of the same offset in the same batch: the server
    // works in area order, so the read sees the write.
    const std::uint16_t written = 0xBEEF;
    const std::uint32_t odd_value = 0x01020304;
    std::uint16_t read_back = kPoison16;
    E2E_CHECK_EQ(t, fsuipc::write(client, kScratchOffset, sizeof written, &written, code), 1);
    E2E_CHECK_EQ(t, fsuipc::write(client, kOddOffset, sizeof odd_value, &odd_value, code), 1);
    E2E_CHECK_EQ(t, fsuipc::read(client, kScratchOffset, sizeof read_back, &read_back, code), 1);
    const std::size_t before = sim_exchanges(sim);
    E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 1);
    E2E_CHECK_EQ(t, code, fsuipc::kOk);
    E2E_CHECK_EQ(t, sim_exchanges(sim), before + 1);
    E2E_CHECK_EQ(t, read_back, written);
    E2E_CHECK_EQ(t, sim_u16(sim, kScratchOffset), written);
    // Unaligned, little-endian, and nothing spilled around it.
    E2E_CHECK_EQ(t, sim_u8(sim, kOddOffset - 1), 0);
    E2E_CHECK_EQ(t, sim_u8(sim, kOddOffset), 0x04);
    E2E_CHECK_EQ(t, sim_u8(sim, kOddOffset + 3), 0x01);
    E2E_CHECK_EQ(t, sim_u8(sim, kOddOffset + 4), 0);

    // A value the simulator side set is what a read returns; a read of the
    // same bytes into a second destination gets the same.
    sim_set_u16(sim, kServerSideOffset, 0x1234);
    std::uint32_t wide = kPoison32;
    std::uint16_t narrow = kPoison16;
    E2E_CHECK_EQ(t, fsuipc::read(client, kServerSideOffset, sizeof wide, &wide, code), 1);
    E2E_CHECK_EQ(t, fsuipc::read(client, kServerSideOffset, sizeof narrow, &narrow, code), 1);
    E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 1);
    E2E_CHECK_EQ(t, wide, 0x1234u);
    E2E_CHECK_EQ(t, narrow, 0x1234);

    t.begin("exchange: nothing queued gives code 10 and sends nothing");
    const std::size_t served = sim_exchanges(sim);
    E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 0);
    E2E_CHECK_EQ(t, code, fsuipc::kNothingQueued);
    E2E_CHECK_EQ(t, sim_exchanges(sim), served);
    E2E_CHECK(t, fsuipc::is_open(client));

    t.begin("exchange: a server answering 0 gives code 13 and fills no destination");
    sim.refuse_exchanges(true);
    std::uint16_t untouched = kPoison16;
    sim_set_u16(sim, kCommandWordOffset, 1232);
    E2E_CHECK_EQ(t, fsuipc::read(client, kCommandWordOffset, sizeof untouched, &untouched, code), 1);
    E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 0);
    E2E_CHECK_EQ(t, code, fsuipc::kBadAnswer);
    E2E_CHECK_EQ(t, untouched, kPoison16);
    E2E_CHECK_EQ(t, sim.counters().refused_exchanges, 1);
    sim.refuse_exchanges(false);
    // The failed exchange emptied the queue.
    E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 0);
    E2E_CHECK_EQ(t, code, fsuipc::kNothingQueued);

    t.begin("exchange: a server window that went away gives code 12 after nine sends");
    sim.stop();
    untouched = kPoison16;
    E2E_CHECK_EQ(t, fsuipc::read(client, kCommandWordOffset, sizeof untouched, &untouched, code), 1);
    const ULONGLONG started = GetTickCount64();
    E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 0);
    const ULONGLONG took = GetTickCount64() - started;
    // A send to a destroyed window fails with ERROR_INVALID_WINDOW_HANDLE,
    // which the seam must still report after the sleeps that follow it.
    E2E_CHECK_EQ(t, code, fsuipc::kSendFailedWithError);
    E2E_CHECK_EQ(t, os.last_error(), ERROR_INVALID_WINDOW_HANDLE);
    E2E_CHECK_EQ(t, untouched, kPoison16);
    if (!E2E_CHECK(t, took >= kNineFailedSendsMs)) {
        t.note("nine failed sends took %llu ms", static_cast<unsigned long long>(took));
    }
    fsuipc::close(client, os);
}

struct VersionRow {
    const char* name;
    WindowLayout windows;
    std::uint32_t server_version;
    std::uint32_t simulator_version;
    std::int32_t expected_code;
};

constexpr VersionRow kVersionRows[] = {
    {"FS98MAIN, oldest server accepted", WindowLayout::Fs98mainOnly, 0x19980005, 0xFADE000C,
     fsuipc::kOk},
    {"UIPCMAIN, oldest server accepted", WindowLayout::UipcmainOnly, 0x19980005, 0xFADE000C,
     fsuipc::kOk},
    {"FS98MAIN, server too old", WindowLayout::Fs98mainOnly, 0x19980004, 0xFADE000C,
     fsuipc::kVersionMismatchFs98},
    {"UIPCMAIN, server too old", WindowLayout::UipcmainOnly, 0x19980004, 0xFADE000C,
     fsuipc::kVersionMismatch},
    {"both windows, server too old", WindowLayout::Both, 0x19980004, 0xFADE000C,
     fsuipc::kVersionMismatch},
    {"UIPCMAIN, simulator not tagged FADE", WindowLayout::UipcmainOnly, 0x19980005, 0xFADF000C,
     fsuipc::kVersionMismatch},
};

void version_rules(Checks& t) {
    t.begin("open: the version test and the class the server window was found by");
    for (const VersionRow& row : kVersionRows) {
        t.row("%s", row.name);
        SimHost sim(HostOptions{row.windows, false});
        if (!E2E_CHECK(t, sim.start())) {
            continue;
        }
        sim.with_server([&row](sim::OffsetServer& s) {
            s.server_version = row.server_version;
            s.simulator_version = row.simulator_version;
        });
        Win32Os os;
        fsuipc::Client client;
        std::int32_t code = -1;
        const int opened = fsuipc::open(client, os, 0, code);
        E2E_CHECK_EQ(t, code, row.expected_code);
        E2E_CHECK_EQ(t, opened, row.expected_code == fsuipc::kOk ? 1 : 0);
        // A failed open leaves nothing behind.
        E2E_CHECK_EQ(t, fsuipc::is_open(client), opened == 1);
        if (opened == 0) {
            E2E_CHECK(t, !mapping_exists(area_name(1)));
        }
        fsuipc::close(client, os);
    }

    t.begin("open: an area name already taken gives code 5 and gives the atom back");
    {
        SimHost sim(HostOptions{WindowLayout::Fs98mainOnly, false});
        if (E2E_CHECK(t, sim.start())) {
            // Somebody else holds a mapping of the name the first open will use.
            HANDLE squatter = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 fsuipc::kAreaSize, area_name(1).c_str());
            E2E_CHECK(t, squatter != nullptr);
            Win32Os os;
            fsuipc::Client client;
            std::int32_t code = -1;
            E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 0);
            E2E_CHECK_EQ(t, code, fsuipc::kAreaCreateFailed);
            E2E_CHECK_EQ(t, os.last_error(), ERROR_ALREADY_EXISTS);
            E2E_CHECK(t, !fsuipc::is_open(client));
            E2E_CHECK_EQ(t, GlobalFindAtomA(area_name(1).c_str()), 0);
            E2E_CHECK_EQ(t, sim_exchanges(sim), 0);
            CloseHandle(squatter);
            // With the name free again the next open (area 2) succeeds.
            E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 1);
            E2E_CHECK_STR(t, sim.counters().last_area_name, area_name(2));
            fsuipc::close(client, os);
        }
    }

    t.begin("open: no server window gives code 2");
    Win32Os os;
    fsuipc::Client client;
    std::int32_t code = -1;
    E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 0);
    E2E_CHECK_EQ(t, code, fsuipc::kNoServerWindow);
}

}  // namespace

int main() {
    Checks t;
    handshake_and_area_names(t);
    reads_and_writes(t);
    version_rules(t);
    return t.finish();
}
