// The property-test machine (tests/support/bridge_machine.h) driven by the
// fuzzer's bytes instead of a seeded generator: every byte string is a run of
// steps against the whole core, and any invariant that fails aborts with the
// steps that led to it. The allocation check stays with the ctest, since
// libFuzzer's own threads allocate at any time.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/support/bridge_machine.h"

namespace {
// Long enough for faults to pile up, short enough for many runs a second.
constexpr int kMaxSteps = 4000;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::testing;
    ByteChoices choices(data, size);
    MachineOptions options;
    options.count_allocations = false;
    BridgeMachine machine(choices, options);
    for (int n = 0; n < kMaxSteps && !choices.exhausted() && machine.step(choices); ++n) {
    }
    machine.finish();
    if (machine.failed()) {
        std::fprintf(stderr, "%s\n", machine.failure().c_str());
        std::abort();
    }
    return 0;
}
