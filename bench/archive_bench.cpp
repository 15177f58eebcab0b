// Reading whole entries of a packed archive through the library's public
// interface, the way the installer reads its files: open, seek to the end
// for the size, one read of the whole entry, close.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_data.h"
#include "dta/dta.h"
#include "tools/packer.h"

namespace {

using dta::tools::Method;
using dta::tools::PackInput;

struct PackedArchive {
    std::string path;
    std::vector<std::string> names;
    size_t bytes = 0;
};

PackedArchive Build(Method method, bool scrambled, bool wave) {
    std::vector<PackInput> inputs;
    for (int i = 0; i < 8; ++i) {
        PackInput in;
        in.name = "data\\file" + std::to_string(i) + (wave ? ".wav" : ".bin");
        in.data =
            wave ? bench::WaveFile(2, 250000) : (i % 2 ? bench::Text(1 << 20) : bench::Records(1 << 20));
        in.method = method;
        in.scrambled = scrambled;
        inputs.push_back(std::move(in));
    }
    PackedArchive a;
    a.path = (std::filesystem::temp_directory_path() / ("korvo-bench-" + std::to_string(int(method)) +
                                                        (scrambled ? "s" : "p") + (wave ? "w" : "") + ".dta"))
                 .string();
    std::vector<uint8_t> image;
    std::string error;
    if (!dta::tools::BuildArchive(inputs, dta::tools::kDefaultKey1, dta::tools::kDefaultKey2, &image,
                                  &error) ||
        !dta::tools::WriteFileAtomically(a.path, image, &error)) {
        std::fprintf(stderr, "cannot build benchmark archive: %s\n", error.c_str());
        return a;
    }
    for (const auto& in : inputs) {
        a.names.push_back(in.name);
        a.bytes += in.data.size();
    }
    return a;
}

void ReadArchive(benchmark::State& state, Method method, bool scrambled, bool wave) {
    const PackedArchive a = Build(method, scrambled, wave);
    Dta_read* archive = dtaCreate(a.path.c_str());
    if (archive == nullptr || !archive->LoadDirectory(dta::tools::kDefaultKey1, dta::tools::kDefaultKey2)) {
        state.SkipWithError("archive did not open");
        return;
    }
    std::vector<uint8_t> buffer;
    for (auto _ : state) {
        for (const std::string& name : a.names) {
            const int32_t h = dtaOpen(name.c_str(), 1);
            const int32_t size = dtaSeek(h, 0, 2);
            dtaSeek(h, 0, 0);
            buffer.resize(static_cast<size_t>(size));
            if (dtaRead(h, buffer.data(), static_cast<uint32_t>(size)) != size)
                state.SkipWithError("short read");
            dtaClose(h);
        }
        benchmark::ClobberMemory();
    }
    archive->Release();
    std::remove(a.path.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(a.bytes));
}

BENCHMARK_CAPTURE(ReadArchive, stored_plain, Method::Stored, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadArchive, lz_scrambled, Method::Lz, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadArchive, wave_scrambled, Method::Wave, true, true)->Unit(benchmark::kMillisecond);

}  // namespace
