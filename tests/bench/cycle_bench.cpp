// Cost of one bridge cycle against the in-process fake, in steady state and
// with every exported value changing, beside the cost of copying the two
// aircraft blocks alone (the floor every cycle pays).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "aircraft/link.h"
#include "bridge/bridge.h"
#include "common/numbers.h"
#include "tests/support/fake_os.h"

namespace corvane {
namespace {

struct World {
    World() {
        fake.has_fs98main = true;
        model = &fake.publish_aircraft();
        model->set_data_valid(1);
        bridge = std::make_unique<bridge::Bridge>(fake);
        bridge::open_links(*bridge);
        fake.server.set_u16(bridge::kCommandWordOffset, 0xFFFF);
    }
    ~World() { bridge::close_links(*bridge); }

    // Every 4-byte field of both blocks to value, the data-valid field kept at 1.
    void fill(std::int32_t value) {
        unsigned char* sdk1 = fake.mapping_memory(aircraft::kSdk1MappingName);
        unsigned char* sdk2 = fake.mapping_memory(aircraft::kSdk2MappingName);
        for (std::size_t i = 0; i + 4 <= aircraft::kSdk1BlockSize; i += 4) store_i32(sdk1 + i, value);
        for (std::size_t i = 0; i + 4 <= aircraft::kSdk2BlockSize; i += 4) store_i32(sdk2 + i, value);
        store_i32(sdk1 + aircraft::kDataValidOffset, 1);
    }

    testing::FakeOs fake;
    sim::AircraftModel* model = nullptr;
    std::unique_ptr<bridge::Bridge> bridge;
};

// The plain copy of both views into blocks of their size.
void BM_BlockCopy(benchmark::State& state) {
    World world;
    auto blocks = std::make_unique<aircraft::Snapshots>();
    const aircraft::Link& link = world.bridge->link;
    for (auto _ : state) {
        std::memcpy(blocks->sdk2, link.sdk2_view, aircraft::kSdk2BlockSize);
        std::memcpy(blocks->sdk1, link.sdk1_view, aircraft::kSdk1BlockSize);
        benchmark::DoNotOptimize(blocks->sdk1[0]);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlockCopy);

void BM_CycleSteadyState(benchmark::State& state) {
    World world;
    world.fill(1);
    bridge::run_cycle(*world.bridge);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bridge::run_cycle(*world.bridge));
    }
}
BENCHMARK(BM_CycleSteadyState);

void BM_CycleEverythingChanged(benchmark::State& state) {
    World world;
    std::int32_t value = 1;
    for (auto _ : state) {
        state.PauseTiming();
        value = value == 1 ? 2 : 1;
        world.fill(value);
        state.ResumeTiming();
        benchmark::DoNotOptimize(bridge::run_cycle(*world.bridge));
    }
}
BENCHMARK(BM_CycleEverythingChanged);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
