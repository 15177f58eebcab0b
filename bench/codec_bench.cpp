// Block decoder and encoder throughput, in decoded bytes per second.
#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "dta/codecs/codecs.h"
#include "dta/pack/entry_coder.h"
#include "dta/pack/lz_encoder.h"

namespace {

namespace codecs = dta::codecs;
namespace format = dta::format;

void LzDecode(benchmark::State& state, std::vector<uint8_t> block) {
    const std::vector<uint8_t> payload = dta::pack::EncodeLz(block.data(), block.size());
    std::vector<uint8_t> out(format::block::kDecodedSize);
    for (auto _ : state) {
        int32_t n = codecs::DecodeLz(payload.data(), payload.size(), out.data(), out.size(), 0);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(block.size()));
    state.counters["ratio"] = double(payload.size()) / double(block.size());
}

void LzEncode(benchmark::State& state, std::vector<uint8_t> block) {
    for (auto _ : state) benchmark::DoNotOptimize(dta::pack::EncodeLz(block.data(), block.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(block.size()));
}

// Decodes every block of a delta-coded wave entry.
void WaveDecode(benchmark::State& state, uint16_t channels) {
    const std::vector<uint8_t> file = bench::WaveFile(channels, 200000 / channels);
    dta::pack::EncodedEntry entry;
    dta::pack::EncodeEntry(file.data(), file.size(), dta::pack::Method::Wave, &entry, nullptr);
    const uint8_t* header = entry.bodies[0].data() + 1;
    std::vector<uint8_t> out(format::block::kDecodedSize);
    for (auto _ : state) {
        for (const auto& body : entry.bodies) {
            int32_t n = codecs::DecodeBlock(body.data(), body.size(), out.data(), out.size(), header);
            benchmark::DoNotOptimize(n);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

BENCHMARK_CAPTURE(LzDecode, text, bench::Text(format::block::kDecodedSize));
BENCHMARK_CAPTURE(LzDecode, records, bench::Records(format::block::kDecodedSize));
BENCHMARK_CAPTURE(LzDecode, zeros, std::vector<uint8_t>(format::block::kDecodedSize, 0));
BENCHMARK_CAPTURE(LzEncode, text, bench::Text(format::block::kDecodedSize));
BENCHMARK_CAPTURE(WaveDecode, mono, uint16_t{1});
BENCHMARK_CAPTURE(WaveDecode, stereo, uint16_t{2});

}  // namespace
