// A hostile server: after serving the exchange it rewrites the request area
// with arbitrary bytes. The client's reply walk must still copy only what it
// queued, to destinations of the sizes it queued, never reading outside the
// area or writing past a destination.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fsuipc/client.h"
#include "tests/support/fake_os.h"

namespace {

struct Rig {
    Rig() {
        fake.has_uipcmain = true;
        std::int32_t code = 0;
        if (corvane::fsuipc::open(*client, fake, 0, code) != 1) std::abort();
    }
    corvane::testing::FakeOs fake;
    std::unique_ptr<corvane::fsuipc::Client> client = std::make_unique<corvane::fsuipc::Client>();
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Rig rig;
    if (size < 2) return 0;
    // The first bytes choose the batch; the rest is what the server leaves behind.
    const unsigned reads = 1 + data[0] % 16;
    const unsigned read_size = data[1] % 9;
    const std::uint8_t* garbage = data + 2;
    const std::size_t garbage_size = size - 2;

    // Each destination sits in its own exact-size heap block.
    std::unique_ptr<unsigned char[]> destinations[16];
    std::int32_t code = 0;
    for (unsigned i = 0; i < reads; ++i) {
        destinations[i] = std::make_unique<unsigned char[]>(read_size == 0 ? 1 : read_size);
        corvane::fsuipc::read(*rig.client, 0x9400 + i, read_size, destinations[i].get(), code);
        const unsigned char value = static_cast<unsigned char>(i);
        corvane::fsuipc::write(*rig.client, 0x9500 + i, 1, &value, code);
    }
    rig.fake.tamper = [garbage, garbage_size](unsigned char* area, std::size_t area_size) {
        std::memcpy(area, garbage, garbage_size < area_size ? garbage_size : area_size);
    };
    corvane::fsuipc::process(*rig.client, rig.fake, code);
    rig.fake.tamper = nullptr;
    return 0;
}
