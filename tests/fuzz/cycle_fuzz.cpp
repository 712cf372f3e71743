// Arbitrary aircraft blocks through whole bridge cycles: digit fields,
// annunciator fields and panel doubles of any value must decode, pack and
// convert without undefined behaviour, and the cycle must stay well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "aircraft/link.h"
#include "bridge/bridge.h"
#include "tests/support/fake_os.h"

namespace {

struct Rig {
    Rig() {
        fake.has_fs98main = true;
        fake.publish_aircraft();
        bridge = std::make_unique<corvane::bridge::Bridge>(fake);
        if (corvane::bridge::open_links(*bridge) != 0) std::abort();
        sdk1 = fake.mapping_memory(corvane::aircraft::kSdk1MappingName);
        sdk2 = fake.mapping_memory(corvane::aircraft::kSdk2MappingName);
    }
    corvane::testing::FakeOs fake;
    std::unique_ptr<corvane::bridge::Bridge> bridge;
    unsigned char* sdk1 = nullptr;
    unsigned char* sdk2 = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Rig rig;
    using corvane::aircraft::kSdk1ViewSize;
    using corvane::aircraft::kSdk2ViewSize;
    // The input fills SDK1 and then SDK2, repeated as far as needed; the
    // command offsets take its first bytes so that commands are posted too.
    if (size == 0) return 0;
    for (std::size_t i = 0; i < kSdk1ViewSize; ++i) rig.sdk1[i] = data[i % size];
    for (std::size_t i = 0; i < kSdk2ViewSize; ++i) rig.sdk2[i] = data[(i + kSdk1ViewSize) % size];
    for (std::uint32_t i = 0; i < 12 && i < size; ++i) rig.fake.server.set_u8(0x94F0 + i, data[i]);
    rig.fake.server.set_u8(0x9428, data[0]);
    rig.fake.server.set_u16(0x9400, static_cast<std::uint16_t>(data[size - 1] << 8 | data[0]));
    const std::int32_t result = corvane::bridge::run_cycle(*rig.bridge);
    if (result != 0 && result != 1) std::abort();  // the fake's server always answers
    if (rig.fake.posts.size() > 1000) rig.fake.posts.clear();
    if (rig.fake.aircraft()) rig.fake.aircraft()->clear_commands();
    return 0;
}
