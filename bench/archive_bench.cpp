// Reading archives through the library against its peers, in one program
// and one run: a stored entry against raw read() of the same file span, an
// LZ entry against zlib-6, zstd-1 and LZ4 on the same 32 KiB blocks, wave
// entries against LZ4 on the same PCM, and the cost of dtaOpen + dtaClose in
// a small and a large archive. Every entry is scrambled, as the installer's
// data archive is; the archives sit in the system's file cache.
//
// Every piece of work is measured in turns with all the others, 9 passes
// over all of them, and each figure is the median of its 9: a ratio compares
// figures taken under the same load of the machine. The ratio table is
// printed last.
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
#include "dta/examine.h"
#include "dta/pack/packer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using dta::pack::Method;
using dta::pack::PackInput;

constexpr size_t kBlock = dta::format::block::kDecodedSize;
constexpr int kPasses = 9;
// A pass runs its work this long at least, so timer noise stays small.
constexpr double kMinPassSeconds = 0.05;

// ---- timing ----------------------------------------------------------------

// A piece of work measured in turns with the others.
struct Workload {
    std::function<void()> work;
    size_t bytes = 0;             // bytes one run delivers
    int repeats = 1;              // runs per pass
    std::vector<double> seconds;  // per run, one figure per pass

    double Median() const {
        std::vector<double> sorted = seconds;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        return sorted[sorted.size() / 2];
    }
    double MegabytesPerSecond() const { return static_cast<double>(bytes) / 1e6 / Median(); }
};

using Clock = std::chrono::steady_clock;

double SecondsOf(const Workload& w) {
    const auto start = Clock::now();
    for (int i = 0; i < w.repeats; ++i) w.work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Warms each workload and finds how many runs make a pass long enough to
// time, then measures all of them in turns, kPasses times.
void MeasureInTurns(const std::vector<Workload*>& all) {
    for (Workload* w : all) {
        w->work();
        while (SecondsOf(*w) < kMinPassSeconds) w->repeats *= 2;
    }
    for (int p = 0; p < kPasses; ++p) {
        for (Workload* w : all) w->seconds.push_back(SecondsOf(*w) / w->repeats);
    }
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
    if (!dta::pack::BuildArchive(inputs, dta::pack::kDefaultKey1, dta::pack::kDefaultKey2, &image, &error) ||
        !dta::pack::WriteFileAtomically(a.path, image, &error))
        Die("cannot build " + file + ": " + error);
    for (const PackInput& in : inputs) {
        a.names.push_back(in.name);
        a.bytes += in.data.size();
    }
    return a;
}

// One archive of `data` cut into entries of `entrySize` bytes, named
// `prefix` and a number.
Archive PackEntries(const std::string& file, const Bytes& data, size_t entrySize, Method method,
                    const std::string& prefix) {
    std::vector<PackInput> inputs;
    for (size_t at = 0; at < data.size(); at += entrySize) {
        PackInput in;
        in.name = prefix + std::to_string(inputs.size());
        in.data.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), at + entrySize)));
        in.method = method;
        in.scrambled = true;
        inputs.push_back(std::move(in));
    }
    return Pack(file, inputs);
}

// Registers the archive for as long as it lives, and removes its file then.
class Registered {
public:
    explicit Registered(Archive a) : archive_(std::move(a)), object_(dtaCreate(archive_.path.c_str())) {
        if (object_ == nullptr || !object_->LoadDirectory(dta::pack::kDefaultKey1, dta::pack::kDefaultKey2))
            Die("cannot register " + archive_.path);
    }
    ~Registered() {
        object_->Release();
        std::remove(archive_.path.c_str());
    }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

    const Archive& archive() const { return archive_; }

private:
    Archive archive_;
    Dta_read* object_;
};

// The installer's read of every entry: open, size, one read of the whole
// entry, close.
Workload ReadEntries(const Archive& a, Bytes& buffer) {
    Workload w;
    w.bytes = a.bytes;
    w.work = [&a, &buffer] {
        for (const std::string& name : a.names) {
            const int32_t h = dtaOpen(name.c_str(), 1);
            const int32_t size = dtaSeek(h, 0, 2);
            dtaSeek(h, 0, 0);
            buffer.resize(static_cast<size_t>(std::max(size, 0)));
            if (size < 0 || dtaRead(h, buffer.data(), static_cast<uint32_t>(size)) != size)
                Die("read failed: " + name);
            dtaClose(h);
        }
    };
    return w;
}

// The file spans that hold an archive's entries' blocks, and the bytes they
// decode to.
struct Spans {
    struct Span {
        uint64_t offset;
        size_t length;
    };
    std::vector<Span> spans;
    size_t decoded = 0;
    size_t longest = 0;
};

Spans StoredSpans(const Archive& a) {
    dta::examine::Archive inspected;
    dta::Status status;
    if (!inspected.Open(a.path, dta::pack::kDefaultKey1, dta::pack::kDefaultKey2, &status))
        Die(dta::Describe(status));
    Spans s;
    for (size_t i = 0; i < inspected.EntryCount(); ++i) {
        dta::examine::EntryInfo info;
        if (!inspected.ReadEntry(i, &info, &status)) Die(dta::Describe(status));
        // Stored blocks: a 4-byte header and a method byte per block around
        // the decoded bytes.
        s.spans.push_back({info.firstBlockOffset, info.decodedSize + 5 * size_t{info.blockCount}});
        s.decoded += info.decodedSize;
        s.longest = std::max(s.longest, s.spans.back().length);
    }
    return s;
}

// Raw read() of the spans in 64 KiB reads: into one entry-sized buffer, as
// dtaRead delivers an entry, or (`reuse`) over and over into one 64 KiB
// buffer that stays in the cache.
constexpr size_t kRawChunk = 64 * 1024;

Workload RawRead(int fd, const Spans& s, Bytes& buffer, bool reuse) {
    buffer.assign(reuse ? kRawChunk : s.longest, 0);
    Workload w;
    w.bytes = s.decoded;
    w.work = [fd, &s, &buffer, reuse] {
        for (const Spans::Span& span : s.spans) {
            for (size_t done = 0; done < span.length;) {
                uint8_t* into = buffer.data() + (reuse ? 0 : done);
                const ssize_t got = ::pread(fd, into, std::min(kRawChunk, span.length - done),
                                            static_cast<off_t>(span.offset + done));
                if (got <= 0) Die("raw read failed");
                done += static_cast<size_t>(got);
            }
        }
    };
    return w;
}

// ---- peers on the same 32 KiB blocks -------------------------------------

struct Peer {
    const char* name;
    std::function<size_t(const uint8_t*, size_t, uint8_t*, size_t)> compress;
    std::function<size_t(const uint8_t*, size_t, uint8_t*, size_t)> decompress;
};

// A peer's blocks of some data, compressed one by one.
struct PeerBlocks {
    std::vector<Bytes> blocks;
    double ratio = 0;  // decoded / compressed
    Bytes decoded = Bytes(kBlock);
};

PeerBlocks Compress(const Peer& peer, const Bytes& data) {
    PeerBlocks p;
    size_t compressed = 0;
    for (size_t at = 0; at < data.size(); at += kBlock) {
        const size_t n = std::min(kBlock, data.size() - at);
        Bytes out(2 * kBlock + 1024);
        out.resize(peer.compress(data.data() + at, n, out.data(), out.size()));
        compressed += out.size();
        p.blocks.push_back(std::move(out));
    }
    // The peer must give the data back.
    for (size_t i = 0; i < p.blocks.size(); ++i) {
        const size_t n = std::min(kBlock, data.size() - i * kBlock);
        if (peer.decompress(p.blocks[i].data(), p.blocks[i].size(), p.decoded.data(), kBlock) != n ||
            std::memcmp(p.decoded.data(), data.data() + i * kBlock, n) != 0)
            Die(std::string(peer.name) + " does not round-trip");
    }
    p.ratio = static_cast<double>(data.size()) / static_cast<double>(compressed);
    return p;
}

Workload Decompress(const Peer& peer, PeerBlocks& p, size_t bytes) {
    Workload w;
    w.bytes = bytes;
    w.work = [&peer, &p] {
        for (const Bytes& b : p.blocks) peer.decompress(b.data(), b.size(), p.decoded.data(), kBlock);
    };
    return w;
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

// An archive of `count` one-byte entries whose names begin with `prefix`.
Archive ManyEntries(const std::string& prefix, size_t count) {
    std::vector<PackInput> inputs(count);
    for (size_t i = 0; i < count; ++i) {
        inputs[i].name = prefix + "\\folder" + std::to_string(i % 97) + "\\file" + std::to_string(i) + ".txt";
        inputs[i].data = {static_cast<uint8_t>(i)};
        inputs[i].method = Method::Stored;
    }
    return Pack("korvo-bench-" + prefix + ".dta", inputs);
}

// dtaOpen + dtaClose of 1,000 of the archive's names, in a shuffled order.
Workload OpenClose(const Archive& a, std::vector<std::string>& names) {
    names = a.names;
    std::shuffle(names.begin(), names.end(), std::mt19937(1));
    names.resize(std::min<size_t>(names.size(), 1000));
    Workload w;
    w.bytes = names.size();  // opens, not bytes
    w.work = [&names] {
        for (const std::string& name : names) {
            const int32_t h = dtaOpen(name.c_str(), 1);
            if (h < 0) Die("open failed: " + name);
            dtaClose(h);
        }
    };
    return w;
}

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* Met(bool yes) {
    return yes ? "met" : "MISSED";
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const size_t corpusSize = quick ? 2 << 20 : 16 << 20;
    const size_t soundFrames = quick ? 400000 : 2000000;
    const size_t manyEntries = quick ? 10000 : 100000;

    const Bytes corpus = MixedCorpus(corpusSize);
    const Bytes sine = Sound(false, soundFrames);
    const Bytes music = Sound(true, soundFrames);
    const Bytes sinePcm(sine.begin() + dta::format::wave_header::kSize, sine.end());
    const Bytes musicPcm(music.begin() + dta::format::wave_header::kSize, music.end());

    // Every archive is registered at once; the names tell them apart.
    const Registered stored(
        PackEntries("korvo-bench-stored.dta", corpus, 2 << 20, Method::Stored, "stored\\part"));
    const Registered lz(PackEntries("korvo-bench-lz.dta", corpus, 2 << 20, Method::Lz, "lz\\part"));
    const Registered sineWave(
        PackEntries("korvo-bench-sine.dta", sine, sine.size(), Method::Wave, "sine.wav"));
    const Registered musicWave(
        PackEntries("korvo-bench-music.dta", music, music.size(), Method::Wave, "music.wav"));
    const Registered few(ManyEntries("few", 1000));
    const Registered many(ManyEntries("many", manyEntries));

    Bytes entryBuffer, rawBuffer, cachedBuffer;
    const Spans spans = StoredSpans(stored.archive());
    const int fd = ::open(stored.archive().path.c_str(), O_RDONLY);
    if (fd < 0) Die("cannot open " + stored.archive().path);
    Workload raw = RawRead(fd, spans, rawBuffer, false);
    Workload rawCached = RawRead(fd, spans, cachedBuffer, true);
    Workload storedRead = ReadEntries(stored.archive(), entryBuffer);
    Workload lzRead = ReadEntries(lz.archive(), entryBuffer);
    Workload sineRead = ReadEntries(sineWave.archive(), entryBuffer);
    Workload musicRead = ReadEntries(musicWave.archive(), entryBuffer);

    const std::vector<Peer> peers = Peers();
    PeerBlocks zlibBlocks = Compress(peers[0], corpus);
    PeerBlocks zstdBlocks = Compress(peers[1], corpus);
    PeerBlocks lz4Blocks = Compress(peers[2], corpus);
    PeerBlocks lz4SineBlocks = Compress(peers[2], sinePcm);
    PeerBlocks lz4MusicBlocks = Compress(peers[2], musicPcm);
    Workload zlib = Decompress(peers[0], zlibBlocks, corpus.size());
    Workload zstd = Decompress(peers[1], zstdBlocks, corpus.size());
    Workload lz4 = Decompress(peers[2], lz4Blocks, corpus.size());
    Workload lz4Sine = Decompress(peers[2], lz4SineBlocks, sinePcm.size());
    Workload lz4Music = Decompress(peers[2], lz4MusicBlocks, musicPcm.size());

    std::vector<std::string> fewNames, manyNames;
    Workload openFew = OpenClose(few.archive(), fewNames);
    Workload openMany = OpenClose(many.archive(), manyNames);

    MeasureInTurns({&raw, &rawCached, &storedRead, &lzRead, &zlib, &zstd, &lz4, &sineRead, &lz4Sine,
                    &musicRead, &lz4Music, &openFew, &openMany});
    ::close(fd);

    const double rawRate = raw.MegabytesPerSecond();
    const double cachedRate = rawCached.MegabytesPerSecond();
    const double storedRate = storedRead.MegabytesPerSecond();
    const double lzRate = lzRead.MegabytesPerSecond();
    const double zlibRate = zlib.MegabytesPerSecond();
    const double zstdRate = zstd.MegabytesPerSecond();
    const double lz4Rate = lz4.MegabytesPerSecond();
    const double sineRate = sineRead.MegabytesPerSecond();
    const double lz4SineRate = lz4Sine.MegabytesPerSecond();
    const double musicRate = musicRead.MegabytesPerSecond();
    const double lz4MusicRate = lz4Music.MegabytesPerSecond();
    const double openFewUs = openFew.Median() / static_cast<double>(openFew.bytes) * 1e6;
    const double openManyUs = openMany.Median() / static_cast<double>(openMany.bytes) * 1e6;

    std::printf(
        "corpus: %zu bytes of text, records and compressed bytes (ratio zlib-6 %.2f, zstd-1 %.2f, LZ4 %.2f);"
        " sounds: %zu frames of 16-bit mono PCM (LZ4 ratio: sine %.2f, music-like %.2f)\n",
        corpus.size(), zlibBlocks.ratio, zstdBlocks.ratio, lz4Blocks.ratio, soundFrames, lz4SineBlocks.ratio,
        lz4MusicBlocks.ratio);
    std::printf("\n| what | MB/s | ratio | goal |\n|---|---|---|---|\n");
    std::printf("| raw `read()` of the same bytes, 64 KiB reads into an entry-sized buffer | %.0f | | |\n",
                rawRate);
    std::printf("| raw `read()`, the same, into one 64 KiB buffer that stays in cache | %.0f | | |\n",
                cachedRate);
    std::printf(
        "| `dtaRead` of a stored entry, one read | %.0f | %.2f of raw (%.2f of the cached one) | >= 0.8 (%s) "
        "|\n",
        storedRate, storedRate / rawRate, storedRate / cachedRate, Met(storedRate >= 0.8 * rawRate));
    std::printf(
        "| `dtaRead` of an LZ entry, one read | %.0f | %.2f x zlib-6, %.2f x zstd-1 | >= 4 x zlib (%s), "
        ">= 1 x zstd (%s) |\n",
        lzRate, lzRate / zlibRate, lzRate / zstdRate, Met(lzRate >= 4 * zlibRate), Met(lzRate >= zstdRate));
    std::printf("| zlib-6 `inflate`, 32 KiB blocks | %.0f | | |\n", zlibRate);
    std::printf("| zstd-1, 32 KiB blocks | %.0f | | |\n", zstdRate);
    std::printf("| LZ4, 32 KiB blocks | %.0f | %.2f x LZ | |\n", lz4Rate, lz4Rate / lzRate);
    std::printf(
        "| `dtaRead` of a wave entry (sine), one read | %.0f | %.2f x LZ4 on the same PCM | >= 1 (%s) |\n",
        sineRate, sineRate / lz4SineRate, Met(sineRate >= lz4SineRate));
    std::printf("| LZ4 on the sine PCM, 32 KiB blocks | %.0f | | |\n", lz4SineRate);
    std::printf(
        "| `dtaRead` of a wave entry (music-like), one read | %.0f | %.2f x LZ4 on the same PCM | |\n",
        musicRate, musicRate / lz4MusicRate);
    std::printf("| LZ4 on the music-like PCM, 32 KiB blocks | %.0f | | |\n", lz4MusicRate);
    std::printf("| `dtaOpen` + `dtaClose`, 1,000 vs %s entries | %s / %s us | %.2f | <= 2 (%s) |\n",
                quick ? "10,000" : "100,000", Fixed(openFewUs, 2).c_str(), Fixed(openManyUs, 2).c_str(),
                openManyUs / openFewUs, Met(openManyUs <= 2 * openFewUs));
    return 0;
}
