// Writes N small movies below a folder, a third of them damaged in the ways archives
// hold them: truncated, bit-flipped, wrong declared lengths, empty, or shorter than a
// header. Used by batch-stress.sh.
//
//   make_stress_movies FOLDER [N]

#include "fixtures/Bytes.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace quillon::test;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: make_stress_movies FOLDER [N]\n", stderr);
        return 2;
    }
    const std::string root = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 10000;
    std::uint32_t state = 2024;
    const auto next = [&] { return state = state * 1664525 + 1013904223; };
    for (int i = 0; i < count; ++i) {
        const std::string folder = root + "/d" + std::to_string(i / 100);
        std::filesystem::create_directories(folder);
        const Bytes body = MovieBody(200 + next() % 4000);
        Bytes movie = i % 2 ? CompressedMovie(body) : PlainMovie(body);
        switch (i % 9) {
        case 0: // truncated
            movie.resize(8 + next() % (movie.size() - 8));
            break;
        case 3: // a flipped bit in the body
            movie[8 + next() % (movie.size() - 8)] ^= static_cast<std::uint8_t>(1u << (next() % 8));
            break;
        case 6: { // damage that depends on the position in the cycle
            const int kind = i / 9 % 3;
            if (kind == 0) {
                movie[4] ^= 0x5A; // declared length wrong
                movie[7] = static_cast<std::uint8_t>(next());
            } else if (kind == 1) {
                movie.clear();
            } else {
                movie.resize(next() % 8);
            }
            break;
        }
        default:
            break;
        }
        WriteFile(folder + "/m" + std::to_string(i) + ".swf", movie);
    }
    return 0;
}
