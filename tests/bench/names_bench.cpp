// corvane-names reading a header of 1 MB: the SDK blocks of the test writer
// and, before them, structures, enums and #define constants enough to reach
// the size, as large add-on headers are. Run by hand:
//   build/native/tests/bench/names_bench
// It should stay well under 100 ms per read.
#include <benchmark/benchmark.h>

#include <string>

#include "common/format.h"
#include "names/header.h"
#include "names/naming.h"
#include "tests/names/sdk_writer.h"

namespace {

constexpr std::size_t kHeaderBytes = 1u << 20;

std::string large_header() {
    std::string text = "#ifndef LARGE_H\n#define LARGE_H\n#define LANES (2 * 4)\n";
    for (int s = 0; text.size() < kHeaderBytes - 40000; ++s) {
        text += corvane::format("/* structure %d, as the add-on's own headers comment them */\n", s);
        text += corvane::format("#define KEY_COMMAND_LARGE_%d %d\n", s, 20000 + s);
        text += corvane::format("enum LargeState%d { LARGE_%d_OFF = %d, LARGE_%d_ON };\n", s, s, s * 2, s);
        text += corvane::format("#pragma pack(push, %d)\ntypedef struct Large%d {\n", 1 << (s % 4), s);
        for (int f = 0; f < 24; ++f) {
            text += corvane::format("    %s field_%d_%d[LANES][%d]; // field %d\n",
                                    f % 3 == 0 ? "double" : f % 3 == 1 ? "int" : "char", s, f, f % 5 + 1, f);
        }
        text += corvane::format("    union { int as_int; float as_float; } value_%d;\n", s);
        text += corvane::format("} Large%d;\n#pragma pack(pop)\nint __stdcall large_call_%d(int a, int b);\n", s, s);
    }
    const std::string sdk = corvane::names::testing::write_sdk_header(0).text;
    return text + sdk + "#endif\n";
}

void BM_ReadHeader1MB(benchmark::State& state) {
    const std::string text = large_header();
    for (auto _ : state) {
        corvane::names::Header header;
        std::string error;
        if (!corvane::names::read_header(text, "large.h", header, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(header.records.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["header_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ReadHeader1MB)->Unit(benchmark::kMillisecond);

// Reading and naming the whole block, as one run of corvane-names does.
void BM_ReadAndNameBlock1MB(benchmark::State& state) {
    const std::string text = large_header();
    for (auto _ : state) {
        corvane::names::Header header;
        corvane::names::Naming naming;
        std::string error;
        if (!corvane::names::read_header(text, "large.h", header, error) ||
            !corvane::names::name_block(header, "large.h", {}, naming, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(naming.rows.size());
    }
}
BENCHMARK(BM_ReadAndNameBlock1MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
