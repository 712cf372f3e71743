// Feeds arbitrary request areas to the stand-in offset server: whatever a
// client (or any process that opens the area) writes there, serving it must
// stay inside the area and the offset space.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fsuipc/client.h"
#include "sim/offset_server.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto server = std::make_unique<corvane::sim::OffsetServer>();
    // An exact-size heap copy, so that ASan sees any read past the area's end.
    std::vector<unsigned char> area(data, data + size);
    server->serve(area.data(), area.size());
    return 0;
}
