// Feeds arbitrary request areas to the stand-in offset server: whatever a
// client (or any process that opens the area) writes there, serving it must
// stay inside the area and the offset space, and a request it refuses must
// leave the offset space as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "fsuipc/client.h"
#include "sim/offset_server.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto server = std::make_unique<corvane::sim::OffsetServer>();
    const std::vector<unsigned char> before(server->space(),
                                            server->space() + corvane::sim::kOffsetSpaceSize);
    // An exact-size heap copy, so that ASan sees any read past the area's end.
    std::vector<unsigned char> area(data, data + size);
    const std::uintptr_t answer = server->serve(area.data(), area.size());
    const bool refused = server->last_exchange().fault.kind != corvane::sim::FaultKind::None;
    if (refused != (answer == 0) || (refused && std::memcmp(before.data(), server->space(),
                                                            corvane::sim::kOffsetSpaceSize) != 0)) {
        std::abort();
    }
    return 0;
}
