// Every movie of the shared corpus of real files, when it is there.

#include "codec/MovieInfo.h"
#include "codec/SwfImage.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace quillon;
using namespace quillon::test;

namespace {

std::string CorpusFolder() {
    if (const char* folder = std::getenv("QUILLON_CORPUS")) {
        return folder;
    }
    return QUILLON_SOURCE_DIR "/../shared/corpus";
}

std::vector<std::string> CorpusFiles() {
    std::ifstream manifest(CorpusFolder() + "/manifest.tsv");
    std::vector<std::string> files;
    std::string line;
    std::getline(manifest, line); // the column names
    while (std::getline(manifest, line)) {
        files.push_back(CorpusFolder() + "/" + line.substr(0, line.find('\t')));
    }
    return files;
}

std::uint32_t Declared(const Bytes& movie) {
    return movie[4] | movie[5] << 8 | movie[6] << 16 | std::uint32_t(movie[7]) << 24;
}

TEST(Corpus, EveryMovieRoundTripsAndInspects) {
    const auto files = CorpusFiles();
    if (files.empty()) {
        GTEST_SKIP() << "no corpus at " << CorpusFolder();
    }
    TempDir dir;
    int roundTrips = 0;
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const Bytes movie = ReadFile(path);
        if (movie.size() < 8) {
            continue;
        }
        EXPECT_NO_THROW(InspectMovie(path));

        Bytes plain;
        if (movie[0] == 'F' && Declared(movie) == movie.size()) {
            plain = movie;
        } else if (movie[0] == 'C' &&
                   DecompressSwfImage(movie, plain) != InflateOutcome::Complete) {
            continue;
        }
        if (plain.empty()) {
            continue;
        }
        // Plain -> compressed -> plain gives the same bytes.
        Bytes again;
        ASSERT_EQ(DecompressSwfImage(CompressSwfImage(plain, 9), again), InflateOutcome::Complete);
        EXPECT_EQ(again, plain);
        ++roundTrips;
    }
    EXPECT_GT(roundTrips, 0);
}

} // namespace
