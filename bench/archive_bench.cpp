// Reading archives through the library against its peers, in one program
// and one run: a stored entry against raw read() of the same file span, an
// LZ entry against zlib-6, zstd-1 and LZ4 on the same 32 KiB blocks, wave
// entries against LZ4 on the same PCM, and the cost of dtaOpen + dtaClose in
// a small and a large archive. Every entry is scrambled, as the installer's
// data archive is; the archives sit in the system's file cache.
//
// Each figure is the median of 9 passes. The ratio table is printed last.
//
//   archive_bench [--quick]     (--quick: fewer bytes, for a smoke run)
#include <fcntl.h>
#include <lz4.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "dta/dta.h"
#include "dta/format.h"
#include "dta/inspect.h"
#include "tools/packer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using dta::tools::Method;
using dta::tools::PackInput;

constexpr size_t kBlock = dta::format::block::kDecodedSize;
constexpr int kPasses = 9;
// A pass runs its work this long at least, so timer noise stays small.
constexpr double kMinPassSeconds = 0.05;

// ---- timing ----------------------------------------------------------------

// Median seconds of one run of `work`, over kPasses passes.
double MedianSeconds(const std::function<void()>& work) {
    using Clock = std::chrono::steady_clock;
    work();  // warm the caches
    int repeats = 1;
    for (;;) {
        const auto start = Clock::now();
        for (int i = 0; i < repeats; ++i) work();
        if (std::chrono::duration<double>(Clock::now() - start).count() >= kMinPassSeconds) break;
        repeats *= 2;
    }
    std::vector<double> passes;
    for (int p = 0; p < kPasses; ++p) {
        const auto start = Clock::now();
        for (int i = 0; i < repeats; ++i) work();
        passes.push_back(std::chrono::duration<double>(Clock::now() - start).count() / repeats);
    }
    std::nth_element(passes.begin(), passes.begin() + kPasses / 2, passes.end());
    return passes[kPasses / 2];
}

double MegabytesPerSecond(size_t bytes, double seconds) {
    return static_cast<double>(bytes) / 1e6 / seconds;
}

[[noreturn]] void Die(const std::string& message) {
    std::fprintf(stderr, "archive_bench: %s\n", message.c_str());
    std::exit(1);
}

// ---- data ------------------------------------------------------------------

// Text, binary records and already-compressed bytes, in runs of a few blocks.
Bytes MixedCorpus(size_t size) {
    const Bytes text = bench::Text(size);
    const Bytes records = bench::Records(size);
    // Already compressed: deflated text of another seed looks random.
    Bytes packed(compressBound(static_cast<uLong>(size)));
    {
        Bytes other = bench::Records(size);
        std::mt19937 rng(11);
        for (uint8_t& b : other) b = static_cast<uint8_t>(b ^ (rng() & 0x3F));
        uLongf length = static_cast<uLongf>(packed.size());
        compress2(packed.data(), &length, other.data(), static_cast<uLong>(other.size()), 9);
        packed.resize(length);
    }
    Bytes out;
    out.reserve(size);
    const Bytes* sources[] = {&text, &records, &text, &records, &packed};
    for (size_t run = 0; out.size() < size; ++run) {
        const Bytes& source = *sources[run % 5];
        const size_t take = std::min({3 * kBlock + 1000 * (run % 7), size - out.size(), source.size()});
        const size_t from = (out.size() / 3) % (source.size() - take + 1);
        out.insert(out.end(), source.begin() + static_cast<std::ptrdiff_t>(from),
                   source.begin() + static_cast<std::ptrdiff_t>(from + take));
    }
    return out;
}

// A 16-bit mono PCM WAVE file: a pure sine, or music-like noise (a few
// drifting tones, a beat and noise).
Bytes Sound(bool music, size_t frames) {
    Bytes file(dta::format::wave_header::kSize + frames * 2);
    const uint32_t dataSize = static_cast<uint32_t>(frames * 2);
    std::memcpy(file.data(), "RIFF", 4);
    dta::format::WriteLe32(&file[4], 36 + dataSize);
    std::memcpy(&file[8], "WAVEfmt ", 8);
    dta::format::WriteLe32(&file[16], 16);
    dta::format::WriteLe16(&file[20], 1);
    dta::format::WriteLe16(&file[22], 1);
    dta::format::WriteLe32(&file[24], 22050);
    dta::format::WriteLe32(&file[28], 44100);
    dta::format::WriteLe16(&file[32], 2);
    dta::format::WriteLe16(&file[34], 16);
    std::memcpy(&file[36], "data", 4);
    dta::format::WriteLe32(&file[40], dataSize);
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0, 900);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / 22050;
        double v = 12000 * std::sin(2 * M_PI * 440 * t);
        if (music) {
            v = 5000 * std::sin(2 * M_PI * (220 + 3 * std::sin(t)) * t) +
                3000 * std::sin(2 * M_PI * 330 * t) +
                2500 * std::sin(2 * M_PI * 554 * t) * (std::fmod(t, 0.5) < 0.25 ? 1.0 : 0.3) + noise(rng);
        }
        const auto s = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
        dta::format::WriteLe16(&file[dta::format::wave_header::kSize + 2 * i], static_cast<uint16_t>(s));
    }
    return file;
}

// ---- archives --------------------------------------------------------------

struct Archive {
    std::string path;
    std::vector<std::string> names;
    size_t bytes = 0;  // decoded bytes of all entries
};

Archive Pack(const std::string& file, const std::vector<PackInput>& inputs) {
    Archive a;
    a.path = (std::filesystem::temp_directory_path() / file).string();
    Bytes image;
    std::string error;
    if (!dta::tools::BuildArchive(inputs, dta::tools::kDefaultKey1, dta::tools::kDefaultKey2, &image,
                                  &error) ||
        !dta::tools::WriteFileAtomically(a.path, image, &error))
        Die("cannot build " + file + ": " + error);
    for (const PackInput& in : inputs) {
        a.names.push_back(in.name);
        a.bytes += in.data.size();
    }
    return a;
}

// One archive of `data` cut into entries of `entrySize` bytes.
Archive PackEntries(const std::string& file, const Bytes& data, size_t entrySize, Method method,
                    const char* suffix) {
    std::vector<PackInput> inputs;
    for (size_t at = 0; at < data.size(); at += entrySize) {
        PackInput in;
        in.name = "data\\part" + std::to_string(inputs.size()) + suffix;
        in.data.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), at + entrySize)));
        in.method = method;
        in.scrambled = true;
        inputs.push_back(std::move(in));
    }
    return Pack(file, inputs);
}

// Registers the archive for as long as it lives.
class Registered {
public:
    explicit Registered(const Archive& a) : archive_(dtaCreate(a.path.c_str())) {
        if (archive_ == nullptr ||
            !archive_->LoadDirectory(dta::tools::kDefaultKey1, dta::tools::kDefaultKey2))
            Die("cannot register " + a.path);
    }
    ~Registered() { archive_->Release(); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

private:
    Dta_read* archive_;
};

// The installer's read: open, size, one read of the whole entry, close.
double ReadEntries(const Archive& a) {
    const Registered registered(a);
    Bytes buffer;
    const double seconds = MedianSeconds([&] {
        for (const std::string& name : a.names) {
            const int32_t h = dtaOpen(name.c_str(), 1);
            const int32_t size = dtaSeek(h, 0, 2);
            dtaSeek(h, 0, 0);
            buffer.resize(static_cast<size_t>(std::max(size, 0)));
            if (size < 0 || dtaRead(h, buffer.data(), static_cast<uint32_t>(size)) != size)
                Die("read failed: " + name);
            dtaClose(h);
        }
    });
    return MegabytesPerSecond(a.bytes, seconds);
}

// Raw read() of the file spans that hold the archive's entries' blocks, in
// 64 KiB reads: into one entry-sized buffer, as dtaRead delivers an entry,
// or (`reuse`) over and over into a single 64 KiB buffer that stays in cache.
double RawRead(const Archive& a, bool reuse) {
    dta::inspect::Archive inspected;
    dta::Status status;
    if (!inspected.Open(a.path, dta::tools::kDefaultKey1, dta::tools::kDefaultKey2, &status))
        Die(dta::Describe(status));
    struct Span {
        uint64_t offset;
        size_t length;
    };
    std::vector<Span> spans;
    size_t bytes = 0;
    for (size_t i = 0; i < inspected.EntryCount(); ++i) {
        dta::inspect::EntryInfo info;
        if (!inspected.ReadEntry(i, &info, &status)) Die(dta::Describe(status));
        // The stored blocks: 4-byte header and method byte per block around
        // the decoded bytes.
        spans.push_back({info.firstBlockOffset, info.decodedSize + 5 * size_t{info.blockCount}});
        bytes += info.decodedSize;
    }
    const int fd = ::open(a.path.c_str(), O_RDONLY);
    if (fd < 0) Die("cannot open " + a.path);
    constexpr size_t kChunk = 64 * 1024;
    size_t longest = 0;
    for (const Span& span : spans) longest = std::max(longest, span.length);
    Bytes buffer(reuse ? kChunk : longest);
    const double seconds = MedianSeconds([&] {
        for (const Span& span : spans) {
            ::lseek(fd, static_cast<off_t>(span.offset), SEEK_SET);
            for (size_t done = 0; done < span.length;) {
                uint8_t* into = buffer.data() + (reuse ? 0 : done);
                const ssize_t got = ::read(fd, into, std::min(kChunk, span.length - done));
                if (got <= 0) Die("raw read failed");
                done += static_cast<size_t>(got);
            }
        }
    });
    ::close(fd);
    return MegabytesPerSecond(bytes, seconds);
}

// ---- peers on the same 32 KiB blocks -------------------------------------

struct Peer {
    const char* name;
    std::function<size_t(const uint8_t*, size_t, uint8_t*, size_t)> compress;
    std::function<size_t(const uint8_t*, size_t, uint8_t*, size_t)> decompress;
};

struct PeerResult {
    double megabytesPerSecond;
    double ratio;  // decoded / compressed
};

PeerResult RunPeer(const Peer& peer, const Bytes& data) {
    std::vector<Bytes> blocks;
    size_t compressed = 0;
    for (size_t at = 0; at < data.size(); at += kBlock) {
        const size_t n = std::min(kBlock, data.size() - at);
        Bytes out(2 * kBlock + 1024);
        out.resize(peer.compress(data.data() + at, n, out.data(), out.size()));
        compressed += out.size();
        blocks.push_back(std::move(out));
    }
    Bytes decoded(kBlock);
    // Check once that the peer gives the data back.
    for (size_t i = 0; i < blocks.size(); ++i) {
        const size_t n = std::min(kBlock, data.size() - i * kBlock);
        if (peer.decompress(blocks[i].data(), blocks[i].size(), decoded.data(), kBlock) != n ||
            std::memcmp(decoded.data(), data.data() + i * kBlock, n) != 0)
            Die(std::string(peer.name) + " does not round-trip");
    }
    const double seconds = MedianSeconds([&] {
        for (const Bytes& b : blocks) peer.decompress(b.data(), b.size(), decoded.data(), kBlock);
    });
    return {MegabytesPerSecond(data.size(), seconds), double(data.size()) / double(compressed)};
}

std::vector<Peer> Peers() {
    static z_stream inflater = [] {
        z_stream z{};
        inflateInit(&z);
        return z;
    }();
    static ZSTD_DCtx* zstd = ZSTD_createDCtx();
    static ZSTD_CCtx* zstdc = ZSTD_createCCtx();
    return {
        {"zlib-6",
         [](const uint8_t* in, size_t n, uint8_t* out, size_t room) {
             uLongf length = static_cast<uLongf>(room);
             compress2(out, &length, in, static_cast<uLong>(n), 6);
             return static_cast<size_t>(length);
         },
         [](const uint8_t* in, size_t n, uint8_t* out, size_t room) {
             inflateReset(&inflater);
             inflater.next_in = const_cast<uint8_t*>(in);
             inflater.avail_in = static_cast<uInt>(n);
             inflater.next_out = out;
             inflater.avail_out = static_cast<uInt>(room);
             inflate(&inflater, Z_FINISH);
             return room - inflater.avail_out;
         }},
        {"zstd-1",
         [](const uint8_t* in, size_t n, uint8_t* out, size_t room) {
             return ZSTD_compressCCtx(zstdc, out, room, in, n, 1);
         },
         [](const uint8_t* in, size_t n, uint8_t* out, size_t room) {
             return ZSTD_decompressDCtx(zstd, out, room, in, n);
         }},
        {"LZ4",
         [](const uint8_t* in, size_t n, uint8_t* out, size_t room) {
             return static_cast<size_t>(LZ4_compress_default(reinterpret_cast<const char*>(in),
                                                             reinterpret_cast<char*>(out),
                                                             static_cast<int>(n), static_cast<int>(room)));
         },
         [](const uint8_t* in, size_t n, uint8_t* out, size_t room) {
             const int got =
                 LZ4_decompress_safe(reinterpret_cast<const char*>(in), reinterpret_cast<char*>(out),
                                     static_cast<int>(n), static_cast<int>(room));
             return got < 0 ? size_t{0} : static_cast<size_t>(got);
         }},
    };
}

// ---- open cost -----------------------------------------------------------

// Microseconds per dtaOpen + dtaClose of an entry of an archive with
// `count` entries, in a shuffled order.
double OpenCloseMicroseconds(size_t count) {
    std::vector<PackInput> inputs(count);
    for (size_t i = 0; i < count; ++i) {
        inputs[i].name = "data\\folder" + std::to_string(i % 97) + "\\file" + std::to_string(i) + ".txt";
        inputs[i].data = {static_cast<uint8_t>(i)};
        inputs[i].method = Method::Stored;
    }
    const Archive a = Pack("korvo-bench-open" + std::to_string(count) + ".dta", inputs);
    const Registered registered(a);
    std::vector<std::string> names = a.names;
    std::shuffle(names.begin(), names.end(), std::mt19937(1));
    names.resize(std::min<size_t>(names.size(), 1000));
    const double seconds = MedianSeconds([&] {
        for (const std::string& name : names) {
            const int32_t h = dtaOpen(name.c_str(), 1);
            if (h < 0) Die("open failed: " + name);
            dtaClose(h);
        }
    });
    std::remove(a.path.c_str());
    return seconds / static_cast<double>(names.size()) * 1e6;
}

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const size_t corpusSize = quick ? 2 << 20 : 16 << 20;
    const size_t entrySize = 2 << 20;
    const size_t soundFrames = quick ? 400000 : 2000000;

    const Bytes corpus = MixedCorpus(corpusSize);
    const Bytes sine = Sound(false, soundFrames);
    const Bytes music = Sound(true, soundFrames);
    const Bytes sinePcm(sine.begin() + dta::format::wave_header::kSize, sine.end());
    const Bytes musicPcm(music.begin() + dta::format::wave_header::kSize, music.end());

    const Archive stored = PackEntries("korvo-bench-stored.dta", corpus, entrySize, Method::Stored, ".bin");
    const Archive lz = PackEntries("korvo-bench-lz.dta", corpus, entrySize, Method::Lz, ".bin");
    const Archive sineWave = PackEntries("korvo-bench-sine.dta", sine, sine.size(), Method::Wave, ".wav");
    const Archive musicWave = PackEntries("korvo-bench-music.dta", music, music.size(), Method::Wave, ".wav");

    std::printf(
        "corpus: %zu bytes of mixed text, records and compressed bytes; sounds: %zu frames of 16-bit "
        "mono PCM\n",
        corpus.size(), soundFrames);
    const double raw = RawRead(stored, false);
    const double rawCached = RawRead(stored, true);
    std::printf("raw read() of the stored entries' blocks, 64 KiB reads  %9.0f MB/s\n", raw);
    std::printf("  the same into one 64 KiB buffer that stays in cache   %9.0f MB/s\n", rawCached);
    const double storedRead = ReadEntries(stored);
    std::printf("dtaRead, stored entries                                 %9.0f MB/s\n", storedRead);
    const double lzRead = ReadEntries(lz);
    std::printf("dtaRead, LZ entries                                     %9.0f MB/s\n", lzRead);
    std::vector<PeerResult> peers;
    for (const Peer& peer : Peers()) {
        peers.push_back(RunPeer(peer, corpus));
        std::printf("%-7s on the corpus, 32 KiB blocks (ratio %.2f)         %9.0f MB/s\n", peer.name,
                    peers.back().ratio, peers.back().megabytesPerSecond);
    }
    const double sineRead = ReadEntries(sineWave);
    const double musicRead = ReadEntries(musicWave);
    const Peer lz4 = Peers()[2];
    const PeerResult lz4Sine = RunPeer(lz4, sinePcm);
    const PeerResult lz4Music = RunPeer(lz4, musicPcm);
    std::printf("dtaRead, wave entry (sine)                              %9.0f MB/s\n", sineRead);
    std::printf("LZ4 on the sine PCM (ratio %.2f)                        %9.0f MB/s\n", lz4Sine.ratio,
                lz4Sine.megabytesPerSecond);
    std::printf("dtaRead, wave entry (music-like)                        %9.0f MB/s\n", musicRead);
    std::printf("LZ4 on the music-like PCM (ratio %.2f)                  %9.0f MB/s\n", lz4Music.ratio,
                lz4Music.megabytesPerSecond);
    const double openSmall = OpenCloseMicroseconds(1000);
    const double openLarge = OpenCloseMicroseconds(quick ? 10000 : 100000);
    for (const Archive* a : {&stored, &lz, &sineWave, &musicWave}) std::remove(a->path.c_str());

    const double zlib = peers[0].megabytesPerSecond;
    const double zstd = peers[1].megabytesPerSecond;
    const double lz4Corpus = peers[2].megabytesPerSecond;
    auto met = [](bool yes) { return yes ? "met" : "MISSED"; };
    std::printf("\n| what | MB/s | ratio | goal |\n|---|---|---|---|\n");
    std::printf("| raw `read()` of the same bytes, 64 KiB reads into an entry-sized buffer | %.0f | | |\n",
                raw);
    std::printf("| raw `read()`, the same, 64 KiB reads into one 64 KiB buffer | %.0f | | |\n", rawCached);
    std::printf(
        "| `dtaRead` of a stored entry, one read | %.0f | %.2f of raw (%.2f of the cached one) | >= 0.8 (%s) "
        "|\n",
        storedRead, storedRead / raw, storedRead / rawCached, met(storedRead >= 0.8 * raw));
    std::printf(
        "| `dtaRead` of an LZ entry, one read | %.0f | %.2f x zlib-6, %.2f x zstd-1 | >= 4 x zlib (%s), "
        ">= 1 x zstd (%s) |\n",
        lzRead, lzRead / zlib, lzRead / zstd, met(lzRead >= 4 * zlib), met(lzRead >= zstd));
    std::printf("| zlib-6 `inflate`, 32 KiB blocks | %.0f | | |\n", zlib);
    std::printf("| zstd-1, 32 KiB blocks | %.0f | | |\n", zstd);
    std::printf("| LZ4, 32 KiB blocks | %.0f | %.2f x LZ | |\n", lz4Corpus, lz4Corpus / lzRead);
    std::printf(
        "| `dtaRead` of a wave entry (sine), one read | %.0f | %.2f x LZ4 on the same PCM | >= 1 (%s) |\n",
        sineRead, sineRead / lz4Sine.megabytesPerSecond, met(sineRead >= lz4Sine.megabytesPerSecond));
    std::printf("| LZ4 on the sine PCM, 32 KiB blocks | %.0f | | |\n", lz4Sine.megabytesPerSecond);
    std::printf(
        "| `dtaRead` of a wave entry (music-like), one read | %.0f | %.2f x LZ4 on the same PCM | |\n",
        musicRead, musicRead / lz4Music.megabytesPerSecond);
    std::printf("| LZ4 on the music-like PCM, 32 KiB blocks | %.0f | | |\n", lz4Music.megabytesPerSecond);
    std::printf("| `dtaOpen` + `dtaClose`, 1,000 vs %s entries | %s / %s us | %.2f | <= 2 (%s) |\n",
                quick ? "10,000" : "100,000", Fixed(openSmall, 2).c_str(), Fixed(openLarge, 2).c_str(),
                openLarge / openSmall, met(openLarge <= 2 * openSmall));
    return 0;
}
