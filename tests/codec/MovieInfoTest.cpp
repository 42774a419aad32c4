#include "codec/MovieInfo.h"

#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/Transforms.h"
#include "support/Bytes.h"
#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::test;

namespace {

class InspectTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string movie = dir.file("movie.swf");
    std::string scratch = dir.file("$test.swf");

    MovieInspection Inspect(const Bytes& bytes) {
        WriteFile(movie, bytes);
        MovieInspection result;
        {
            ScratchFile file(scratch);
            result = InspectMovie(movie, file);
        }
        EXPECT_FALSE(std::filesystem::exists(scratch));
        EXPECT_EQ(InspectMovie(movie).fileStatus, result.fileStatus);
        return result;
    }
};

TEST_F(InspectTest, WhatOpeningShowsForEachKindOfMovie) {
    const Bytes body = MovieBody(3000);
    struct Case {
        const char* name;
        Bytes bytes;
        const char* status;
        const char* fileStatus;
        std::string length;
    } cases[] = {
        {"plain", PlainMovie(body), "Uncompressed", "Ok", "3008 bytes"},
        {"plain, wrong length", PlainMovie(body, 10, 5000), "Uncompressed", "File is damaged!",
         "3008 bytes"},
        {"compressed", CompressedMovie(body), "Compressed", "Ok", "3008 bytes"},
        // Declaring more than it holds, it fails to inflate and counts as plain.
        {"compressed, declared too long", CompressedMovie(body, 10, 4000), "Uncompressed",
         "File is damaged!", std::to_string(CompressedMovie(body).size()) + " bytes"},
        {"compressed, declared too short", CompressedMovie(body, 10, 1000), "Compressed", "Ok",
         "1000 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MovieInspection m = Inspect(c.bytes);
        EXPECT_EQ(m.compressionStatus, c.status);
        EXPECT_EQ(m.fileStatus, c.fileStatus);
        EXPECT_EQ(m.fileLength, c.length);
        EXPECT_EQ(m.version, "v10");
        EXPECT_EQ(m.estimate, m.compressed ? "File is compressed" : "Click \"Estimate\"");
        ASSERT_TRUE(m.header.has_value());
    }
}

TEST_F(InspectTest, TheFrameRateShowsWholeFrames) {
    Bytes body = MovieBody(100);
    body[7] = 0x80; // 24.5 frames per second
    const MovieInspection m = Inspect(PlainMovie(body));
    EXPECT_EQ(m.frameRate, "24 fps");
    EXPECT_EQ(m.fields.frameRate8_8, 24 * 256 + 128);
    EXPECT_EQ(m.header->Xmax, 2000);
}

TEST_F(InspectTest, AnEmptyFileCountsAsCompressedWithNoHeader) {
    const MovieInspection m = Inspect({});
    EXPECT_TRUE(m.compressed);
    EXPECT_EQ(m.estimate, "File is compressed");
    EXPECT_FALSE(m.header.has_value());
    EXPECT_TRUE(m.version.empty());
}

TEST_F(InspectTest, ErrorsPassOnAndTheScratchFileIsGone) {
    WriteFile(movie, {'F', 'W', 'S'});
    {
        ScratchFile file(scratch);
        EXPECT_THROW(InspectMovie(movie, file), EReadError);
        EXPECT_THROW(InspectMovie(dir.file("missing.swf"), file), EFOpenError);
    }
    EXPECT_FALSE(std::filesystem::exists(scratch));
    WriteFile(movie, PlainMovie(MovieBody(10)));
    ScratchFile nowhere(dir.file("no/folder/$test.swf"));
    EXPECT_THROW(InspectMovie(movie, nowhere), EFCreateError);
}

// A full disk while the inflated copy is written: the caller is told (it says "Disk
// full!"), and the values are still this movie's own, from the image in memory.
TEST_F(InspectTest, AFullDiskStillGivesThisMoviesValues) {
    EXPECT_FALSE(Inspect(CompressedMovie(MovieBody(3000), 7)).scratchDiskFull);
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Write ? ENOSPC : 0; });
    const MovieInspection m = Inspect(CompressedMovie(MovieBody(3000), 7));
    SetWriteFaultHook({});
    EXPECT_TRUE(m.scratchDiskFull);
    EXPECT_EQ(m.compressionStatus, "Compressed");
    EXPECT_EQ(m.version, "v7");
    EXPECT_EQ(m.fileLength, "3008 bytes");
    EXPECT_EQ(m.fileStatus, "Ok");
}

// Inspecting without a scratch copy writes nothing at all.
TEST_F(InspectTest, InspectingInMemoryWritesNothing) {
    WriteFile(movie, CompressedMovie(MovieBody(3000), 8));
    int writes = 0;
    SetWriteFaultHook([&](WriteStep) { return ++writes, ENOSPC; });
    const MovieInspection m = InspectMovie(movie);
    SetWriteFaultHook({});
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(m.version, "v8");
    EXPECT_EQ(m.fileStatus, "Ok");
}

} // namespace
