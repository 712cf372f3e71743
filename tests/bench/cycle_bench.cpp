// Cost of one bridge cycle, with the client's own work told apart from the
// stand-in server's, beside the floors it is held to:
//
//   BM_CompareViews            both views compared with snapshots that hold
//                              the same bytes: what a quiet cycle cannot avoid
//   BM_BlockCopy               the plain copy of both views, for reference
//   BM_ServeSteadyExchange     the stand-in's serve of one quiet cycle's
//                              exchange (the 14 command reads)
//   BM_CycleSteady             a quiet cycle (goal: the client's own work
//                              within 1.5x of BM_CompareViews)
//   BM_CycleEverythingChanged  every field of both blocks changed: all 180
//                              values written
//   BM_CycleResynchronising    blocks unchanged, but the cycle after a lost
//                              exchange or a new server: all 180 values
//                              written again (goal: within the line above)
//
// The cycles run twice: replay:0 against the fake OS and its stand-in
// server (the fake's lookups and the serve included), replay:1 against a
// server that answers by copying back a recorded reply, which leaves the
// client's own work and one copy of the reply. The last two rewrite both
// views from a prepared image in every iteration (about one BM_BlockCopy),
// so they carry the same overhead.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "aircraft/link.h"
#include "bridge/bridge.h"
#include "common/numbers.h"
#include "export/tables.h"
#include "fsuipc/client.h"
#include "tests/support/fake_os.h"

namespace corvane {
namespace {

// The fake OS, but once armed its server window answers every exchange by
// copying back the area as the stand-in left it after the last real one:
// a server that costs one small copy, so a quiet cycle measures the client.
class ReplayOs : public testing::FakeOs {
public:
    // Records the reply of the exchange just served (records up to the
    // terminator) in area; replays it from now on.
    void arm(const unsigned char* area) {
        std::size_t position = 0;
        for (;;) {
            const std::uint32_t id = load_u32(area + position);
            if (id == fsuipc::kRecordRead) {
                position += fsuipc::kReadHeader + load_u32(area + position + fsuipc::kSizeField);
            } else if (id == fsuipc::kRecordWrite) {
                position += fsuipc::kWriteHeader + load_u32(area + position + fsuipc::kSizeField);
            } else {
                break;
            }
        }
        reply_.assign(area, area + position + fsuipc::kTerminatorSize);
        area_ = const_cast<unsigned char*>(area);
    }
    std::size_t reply_size() const { return reply_.size(); }

    bool send_with_timeout(Handle window, std::uint32_t message, std::uintptr_t wparam,
                           std::intptr_t lparam, std::uint32_t timeout_ms,
                           std::uintptr_t* answer) override {
        if (area_ == nullptr) {
            return FakeOs::send_with_timeout(window, message, wparam, lparam, timeout_ms, answer);
        }
        std::memcpy(area_, reply_.data(), reply_.size());
        *answer = fsuipc::kServerAnswerOk;
        return true;
    }

private:
    std::vector<unsigned char> reply_;
    unsigned char* area_ = nullptr;
};

struct World {
    World() {
        fake.has_fs98main = true;
        fake.publish_aircraft().set_data_valid(1);
        bridge = std::make_unique<bridge::Bridge>(fake);
        bridge::open_links(*bridge);
        fake.server.set_u16(bridge::kCommandWordOffset, 0xFFFF);
        sdk1 = fake.mapping_memory(aircraft::kSdk1MappingName);
        sdk2 = fake.mapping_memory(aircraft::kSdk2MappingName);
    }
    ~World() { bridge::close_links(*bridge); }

    // Both views as an image whose every 4-byte field holds value, but for
    // the double fields of the panel values, which hold value as a double
    // (two such 4-byte fields would make a denormal, whose arithmetic is
    // far slower than any real panel value's); the data-valid field stays 1.
    struct Image {
        unsigned char sdk1[aircraft::kSdk1BlockSize];
        unsigned char sdk2[aircraft::kSdk2BlockSize];
    };
    static std::unique_ptr<Image> image(std::int32_t value) {
        auto out = std::make_unique<Image>();
        for (std::size_t i = 0; i + 4 <= sizeof out->sdk1; i += 4) store_i32(out->sdk1 + i, value);
        for (std::size_t i = 0; i + 4 <= sizeof out->sdk2; i += 4) store_i32(out->sdk2 + i, value);
        for (const data_export::PanelLine& line : data_export::kPanelLines) {
            if (line.type == data_export::kDouble) {
                store_f64(out->sdk1 + line.first_source, value);
            }
        }
        store_i32(out->sdk1 + aircraft::kDataValidOffset, 1);
        return out;
    }
    void show(const Image& shown) {
        std::memcpy(sdk1, shown.sdk1, sizeof shown.sdk1);
        std::memcpy(sdk2, shown.sdk2, sizeof shown.sdk2);
    }

    ReplayOs fake;
    std::unique_ptr<bridge::Bridge> bridge;
    unsigned char* sdk1 = nullptr;
    unsigned char* sdk2 = nullptr;
};

// A quiet world: blocks filled and exported once, so every later cycle finds
// nothing changed.
void settle(World& world) {
    world.show(*World::image(1));
    bridge::run_cycle(*world.bridge);
    bridge::run_cycle(*world.bridge);
}

void BM_CompareViews(benchmark::State& state) {
    World world;
    settle(world);
    const aircraft::Link& link = world.bridge->link;
    const aircraft::Snapshots& blocks = world.bridge->blocks;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::memcmp(blocks.sdk2, link.sdk2_view, aircraft::kSdk2BlockSize));
        benchmark::DoNotOptimize(std::memcmp(blocks.sdk1, link.sdk1_view, aircraft::kSdk1BlockSize));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CompareViews);

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

void BM_ServeSteadyExchange(benchmark::State& state) {
    World world;
    settle(world);
    world.fake.arm(world.bridge->client.area_start);
    std::vector<unsigned char> area(fsuipc::kAreaSize);
    std::memcpy(area.data(), world.bridge->client.area_start, world.fake.reply_size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(world.fake.server.serve(area.data(), area.size()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ServeSteadyExchange);

// Each cycle runs against the stand-in (replay:0) and against the replaying
// server (replay:1), armed with the reply of one such cycle served for real.
void arm_if_replaying(const benchmark::State& state, World& world) {
    if (state.range(0) != 0) {
        world.fake.arm(world.bridge->client.area_start);
    }
}

void BM_CycleSteady(benchmark::State& state) {
    World world;
    settle(world);
    arm_if_replaying(state, world);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bridge::run_cycle(*world.bridge));
    }
}
BENCHMARK(BM_CycleSteady)->ArgName("replay")->Arg(0)->Arg(1);

void BM_CycleEverythingChanged(benchmark::State& state) {
    World world;
    const std::unique_ptr<World::Image> images[] = {World::image(1), World::image(2)};
    settle(world);
    world.show(*images[1]);
    bridge::run_cycle(*world.bridge);
    arm_if_replaying(state, world);
    std::size_t next = 0;
    for (auto _ : state) {
        world.show(*images[next]);
        next ^= 1;
        benchmark::DoNotOptimize(bridge::run_cycle(*world.bridge));
    }
}
BENCHMARK(BM_CycleEverythingChanged)->ArgName("replay")->Arg(0)->Arg(1);

void BM_CycleResynchronising(benchmark::State& state) {
    World world;
    const std::unique_ptr<World::Image> shown = World::image(1);
    settle(world);
    world.bridge->resync_pending = true;
    bridge::run_cycle(*world.bridge);
    arm_if_replaying(state, world);
    for (auto _ : state) {
        world.show(*shown);
        world.bridge->resync_pending = true;
        benchmark::DoNotOptimize(bridge::run_cycle(*world.bridge));
    }
}
BENCHMARK(BM_CycleResynchronising)->ArgName("replay")->Arg(0)->Arg(1);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
