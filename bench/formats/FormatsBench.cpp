// Timings for LZMA movies, the smallest zlib output and the movie check, on the shared
// corpus (or the folder given):
//   formats_bench [CORPUS] [--stride N]
// 1. LZMA decode: DecompressSwfImage on each "ZWS" movie against liblzma decoding the
//    same data into one buffer by itself.
// 2. The smallest zlib against level 9 on every N-th movie whose plain body is 4 KiB or
//    more: median size ratio and time.
// 3. The check of every movie in the corpus, on one thread.

#include "codec/FileIO.h"
#include "codec/SwfImage.h"
#include "codec/Verify.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <lzma.h>
#include <string>
#include <vector>

using namespace quillon;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::vector<std::string> Movies(const std::string& folder) {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".swf") {
            paths.push_back(entry.path().string());
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// liblzma alone, the reference: the raw LZMA1 decoder into one buffer of the declared
// body size.
std::size_t ReferenceLzmaDecode(const Bytes& zws, Bytes& out) {
    lzma_filter filter{LZMA_FILTER_LZMA1, nullptr};
    lzma_properties_decode(&filter, nullptr, zws.data() + 12, 5);
    lzma_filter filters[2] = {filter, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&stream, filters) != LZMA_OK) {
        return 0;
    }
    stream.next_in = zws.data() + 17;
    stream.avail_in = zws.size() - 17;
    stream.next_out = out.data();
    stream.avail_out = out.size();
    while (stream.avail_out > 0 && lzma_code(&stream, LZMA_RUN) == LZMA_OK) {
    }
    const std::size_t produced = out.size() - stream.avail_out;
    lzma_end(&stream);
    std::free(filter.options);
    return produced;
}

void LzmaDecode(const std::vector<std::string>& paths) {
    std::vector<Bytes> movies;
    std::size_t plainBytes = 0;
    for (const auto& path : paths) {
        Bytes file = ReadWholeFile(path);
        Bytes plain;
        if (file.size() > 17 && file[0] == 'Z' &&
            DecompressSwfImage(file, plain) == InflateOutcome::Complete) {
            plainBytes += plain.size();
            movies.push_back(std::move(file));
        }
    }
    if (movies.empty()) {
        std::printf("lzma decode: no ZWS movies\n");
        return;
    }
    constexpr int Rounds = 20;
    double ours = 1e9, theirs = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        auto start = Clock::now();
        for (const auto& movie : movies) {
            Bytes plain;
            DecompressSwfImage(movie, plain);
        }
        ours = std::min(ours, Seconds(start));
        start = Clock::now();
        for (const auto& movie : movies) {
            const std::uint32_t declared =
                movie[4] | movie[5] << 8 | movie[6] << 16 | std::uint32_t(movie[7]) << 24;
            Bytes plain(declared - 8);
            ReferenceLzmaDecode(movie, plain);
        }
        theirs = std::min(theirs, Seconds(start));
    }
    std::printf("lzma decode: %zu movies, %.1f MB plain; ours %.1f ms (%.1f MB/s), liblzma "
                "alone %.1f ms (%.1f MB/s); speed ratio %.3f (best of %d)\n",
                movies.size(), plainBytes / 1e6, ours * 1e3, plainBytes / 1e6 / ours, theirs * 1e3,
                plainBytes / 1e6 / theirs, theirs / ours, Rounds);
}

void Smallest(const std::vector<std::string>& paths, std::size_t stride) {
    std::vector<double> ratios;
    double level9Time = 0, bestTime = 0;
    std::size_t level9Bytes = 0, bestBytes = 0, plainBytes = 0, seen = 0;
    double slowest = 0;
    std::string slowestPath;
    for (const auto& path : paths) {
        Bytes file = ReadWholeFile(path);
        if (file.size() < 8 || (file[0] != 'F' && file[0] != 'C' && file[0] != 'Z')) {
            continue;
        }
        Bytes plain;
        if (file[0] == 'F') {
            plain = file;
        } else if (DecompressSwfImage(file, plain) != InflateOutcome::Complete) {
            continue;
        }
        if (plain.size() - 8 < 4096 || seen++ % stride != 0) {
            continue;
        }
        auto start = Clock::now();
        const std::size_t level9 = CompressSwfImage(plain, 9).size();
        level9Time += Seconds(start);
        start = Clock::now();
        const std::size_t best = CompressSwfImage(plain, CompressionMethod::ZlibSmallest).size();
        const double took = Seconds(start);
        bestTime += took;
        if (took > slowest) {
            slowest = took;
            slowestPath = path;
        }
        ratios.push_back(double(best) / double(level9));
        level9Bytes += level9;
        bestBytes += best;
        plainBytes += plain.size();
    }
    if (ratios.empty()) {
        std::printf("smallest zlib: no movies\n");
        return;
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("smallest zlib: %zu movies (every %zu-th of %zu with a body of 4 KiB or more), "
                "%.1f MB plain\n  level 9: %zu bytes in %.2f s (%.1f MB/s)\n  smallest: %zu "
                "bytes in %.2f s (%.2f MB/s)\n  size ratio smallest/level 9: median %.4f, "
                "total %.4f, worst %.4f\n  slowest: %.2f s for %s\n",
                ratios.size(), stride, seen, plainBytes / 1e6, level9Bytes, level9Time,
                plainBytes / 1e6 / level9Time, bestBytes, bestTime, plainBytes / 1e6 / bestTime,
                ratios[ratios.size() / 2], double(bestBytes) / double(level9Bytes), ratios.back(), slowest, slowestPath.c_str());
}

void Check(const std::vector<std::string>& paths) {
    std::size_t damaged = 0, bytes = 0;
    const auto start = Clock::now();
    for (const auto& path : paths) {
        damaged += !CheckMovieFile(path).sound();
        bytes += static_cast<std::size_t>(std::max<std::int64_t>(0, FileSizeOrMinusOne(path)));
    }
    const double time = Seconds(start);
    std::printf("verify: %zu movies, %.1f MB on disk, %zu with problems, %.2f s on one thread "
                "(%.0f movies/s)\n",
                paths.size(), bytes / 1e6, damaged, time, paths.size() / time);
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = "/work/shared/corpus";
    std::size_t stride = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--stride" && i + 1 < argc) {
            stride = std::max(1, std::atoi(argv[++i]));
        } else {
            folder = word;
        }
    }
    if (!std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "formats_bench: no folder %s\n", folder.c_str());
        return 1;
    }
    const auto paths = Movies(folder);
    LzmaDecode(paths);
    Check(paths);
    Smallest(paths, stride);
    return 0;
}
