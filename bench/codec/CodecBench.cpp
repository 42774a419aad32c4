// The codec against bare zlib on the same body in memory. The transforms should cost at
// most 1.05x a raw deflate and 1.2x a raw inflate.
//
//   build/bench/bench_codec [MOVIE.swf]
// uses the given movie's plain image, or a generated 4 MiB one.

#include "codec/FileIO.h"
#include "codec/SwfImage.h"

#include <benchmark/benchmark.h>
#include <random>
#include <zlib.h>

namespace {

std::vector<std::uint8_t> plainImage;
std::vector<std::uint8_t> compressedImage;

std::vector<std::uint8_t> GeneratedMovie(std::size_t size) {
    // Text-like data with repeats, roughly as compressible as real movie bodies.
    std::vector<std::uint8_t> movie = {'F', 'W', 'S', 10};
    const auto n = static_cast<std::uint32_t>(size);
    for (int i = 0; i < 4; ++i) {
        movie.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    }
    std::mt19937 random(7);
    const char* words[] = {"DefineShape", "PlaceObject2",     "ShowFrame", "0xFF00AA", "stage",
                           "sprite",      "\x01\x02\x03\x04", "\xFF\xFE",  "timeline"};
    while (movie.size() < size) {
        const char* word = words[random() % 9];
        movie.insert(movie.end(), word, word + std::char_traits<char>::length(word));
        movie.push_back(static_cast<std::uint8_t>(random()));
    }
    movie.resize(size);
    return movie;
}

void BM_RawDeflate(benchmark::State& state) {
    const std::span<const std::uint8_t> body(plainImage.begin() + 8, plainImage.end());
    std::vector<std::uint8_t> out(compressBound(static_cast<uLong>(body.size())));
    for (auto _ : state) {
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
        z.next_in = const_cast<Bytef*>(body.data());
        z.avail_in = static_cast<uInt>(body.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_FINISH);
        deflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(body.size()));
}

void BM_CompressSwfImage(benchmark::State& state) {
    for (auto _ : state) {
        auto out = quillon::CompressSwfImage(plainImage, 9);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(plainImage.size() - 8));
}

void BM_RawInflate(benchmark::State& state) {
    std::vector<std::uint8_t> out(plainImage.size());
    for (auto _ : state) {
        z_stream z{};
        inflateInit(&z);
        z.next_in = const_cast<Bytef*>(compressedImage.data() + 8);
        z.avail_in = static_cast<uInt>(compressedImage.size() - 8);
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        inflate(&z, Z_FINISH);
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(plainImage.size() - 8));
}

void BM_DecompressSwfImage(benchmark::State& state) {
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        quillon::DecompressSwfImage(compressedImage, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(plainImage.size() - 8));
}

BENCHMARK(BM_RawDeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressSwfImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecompressSwfImage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc > 1) {
        const auto file = quillon::ReadWholeFile(argv[1]);
        if (file.size() >= 8 && file[0] == 'C') {
            quillon::DecompressSwfImage(file, plainImage);
        } else {
            plainImage = file;
        }
    } else {
        plainImage = GeneratedMovie(4 << 20);
    }
    compressedImage = quillon::CompressSwfImage(plainImage, 9);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
