// Reading "ZWS" movies: the zlib path's rules for blocks, running out and corrupt data.

#include "support/MovieFixtures.h"
#include "codec/BatchRow.h"
#include "codec/MovieInfo.h"
#include "codec/SwfImage.h"
#include "codec/Transforms.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

using test::Bytes;

// A movie of about 200,000 body bytes: more than three blocks.
Bytes LargePlain() {
    return test::TaggedMovie({.filler = 200000});
}

// The plain image DecompressSwfImage should build from its first n body bytes.
Bytes Prefix(const Bytes& plain, std::size_t bodyBytes) {
    return Bytes(plain.begin(), plain.begin() + 8 + bodyBytes);
}

class LzmaReadTest : public testing::TestWithParam<bool> {
protected:
    test::ZwsShape Shape() const { return {.endMarker = GetParam()}; }
};

TEST_P(LzmaReadTest, DecodesToThePlainMovie) {
    const Bytes plain = LargePlain();
    Bytes out;
    EXPECT_EQ(DecompressSwfImage(test::LzmaMovie(plain, Shape()), out), InflateOutcome::Complete);
    EXPECT_EQ(out, plain);
}

TEST_P(LzmaReadTest, LengthFieldOfTheLzmaDataIsOnlyAHint) {
    const Bytes plain = LargePlain();
    for (const std::int64_t lzmaLength : {0LL, 7LL, 0xFFFFFFFFLL}) {
        auto shape = Shape();
        shape.lzmaLength = lzmaLength;
        Bytes out;
        EXPECT_EQ(DecompressSwfImage(test::LzmaMovie(plain, shape), out), InflateOutcome::Complete);
        EXPECT_EQ(out, plain) << lzmaLength;
    }
}

TEST_P(LzmaReadTest, ShorterDeclaredLengthEndsTheOutputThere) {
    const Bytes plain = LargePlain();
    auto shape = Shape();
    shape.declaredLength = 100000;
    Bytes out;
    EXPECT_EQ(DecompressSwfImage(test::LzmaMovie(plain, shape), out), InflateOutcome::Complete);
    Bytes expected = Prefix(plain, 100000 - 8);
    test::PutLe32(expected, 4, 100000);
    EXPECT_EQ(out, expected);
}

TEST_P(LzmaReadTest, LongerDeclaredLengthRunsOutAndKeepsWholeBlocks) {
    const Bytes plain = LargePlain();
    auto shape = Shape();
    shape.declaredLength = static_cast<std::int64_t>(plain.size()) + 100000;
    Bytes zws = test::LzmaMovie(plain, shape);
    zws.insert(zws.end(), 100, 0x55); // bytes after the stream change nothing
    Bytes out;
    EXPECT_EQ(DecompressSwfImage(zws, out), InflateOutcome::RanOut);
    const std::size_t whole = (plain.size() - 8) / InflateBlockSize * InflateBlockSize;
    ASSERT_EQ(out.size(), 8 + whole);
    EXPECT_TRUE(std::equal(out.begin() + 8, out.end(), plain.begin() + 8));
}

TEST_P(LzmaReadTest, TruncatedDataRunsOut) {
    const Bytes plain = LargePlain();
    Bytes zws = test::LzmaMovie(plain, Shape());
    zws.resize(zws.size() * 2 / 3);
    Bytes out;
    EXPECT_EQ(DecompressSwfImage(zws, out), InflateOutcome::RanOut);
    EXPECT_EQ((out.size() - 8) % InflateBlockSize, 0u);
    EXPECT_LT(out.size(), plain.size());
    EXPECT_EQ(out, Prefix(plain, out.size() - 8));
}

INSTANTIATE_TEST_SUITE_P(EndMarker, LzmaReadTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "With" : "Without"; });

TEST(LzmaRead, FileEndingInsideTheLzmaHeaderRunsOut) {
    const Bytes zws = test::LzmaMovie(test::TaggedMovie());
    for (const std::size_t size : {8u, 12u, 16u}) {
        Bytes out;
        EXPECT_EQ(DecompressSwfImage(std::span(zws).first(size), out), InflateOutcome::RanOut);
        EXPECT_EQ(out, Bytes({'F', 'W', 'S', zws[3], zws[4], zws[5], zws[6], zws[7]}));
    }
}

TEST(LzmaRead, CorruptDataAppendsTheRawBodyAfterTheCompletedBlocks) {
    const Bytes plain = LargePlain();
    Bytes zws = test::LzmaMovie(plain);
    // Well past the first block's data, garbage makes the decoder fail.
    for (std::size_t i = zws.size() / 2; i < zws.size(); ++i) {
        zws[i] = static_cast<std::uint8_t>(i * 37);
    }
    Bytes out;
    ASSERT_EQ(DecompressSwfImage(zws, out), InflateOutcome::Corrupt);
    const std::size_t blocks = out.size() - (zws.size() - 8) - 8;
    EXPECT_EQ(blocks % InflateBlockSize, 0u);
    EXPECT_TRUE(std::equal(out.begin() + 8, out.begin() + 8 + blocks, plain.begin() + 8));
    EXPECT_TRUE(std::equal(out.end() - (zws.size() - 8), out.end(), zws.begin() + 8));
}

TEST(LzmaRead, PropertiesThatCannotBeDecodedAreCorrupt) {
    Bytes zws = test::LzmaMovie(test::TaggedMovie());
    zws[12] = 0xFF; // lc/lp/pb out of range
    Bytes out;
    EXPECT_EQ(DecompressSwfImage(zws, out), InflateOutcome::Corrupt);
    EXPECT_EQ(out.size(), zws.size());
    EXPECT_EQ(out[0], 'F');
    EXPECT_TRUE(std::equal(out.begin() + 1, out.end(), zws.begin() + 1));
}

TEST(LzmaRead, DeclaredLengthBelowTheHeaderIsAnotherError) {
    const Bytes zws = test::LzmaMovie(test::TaggedMovie(), {.declaredLength = 1});
    Bytes out;
    EXPECT_EQ(DecompressSwfImage(zws, out), InflateOutcome::OtherError);
    EXPECT_EQ(out.size(), 8u);
}

TEST(LzmaRead, OpeningInfoAndBatchTreatItAsCompressed) {
    test::TempDir dir;
    const Bytes plain = LargePlain();
    test::WriteFile(dir.file("movie.swf"), test::LzmaMovie(plain));

    const MovieInspection inspection = InspectMovie(dir.file("movie.swf"));
    EXPECT_EQ(inspection.compressionStatus, "Compressed");
    EXPECT_EQ(inspection.fileStatus, "Ok");
    EXPECT_EQ(inspection.fileLength, std::to_string(plain.size()) + " bytes");

    const BatchRowResult row =
        ProcessBatchRow(BatchKind::Decompress, dir.file("movie.swf"), dir.file("out.swf"));
    EXPECT_EQ(row.status, StatusOk);
    EXPECT_EQ(test::ReadFile(dir.file("out.swf")), plain);

    Bytes damaged = test::LzmaMovie(plain);
    damaged[12] = 0xFF;
    test::WriteFile(dir.file("damaged.swf"), damaged);
    bool inflateFailed = false;
    DecompressSwfFile(dir.file("damaged.swf"), dir.file("plain.swf"), inflateFailed);
    EXPECT_TRUE(inflateFailed);
    EXPECT_EQ(InspectMovie(dir.file("damaged.swf")).compressionStatus, "Uncompressed");
}

} // namespace
} // namespace quillon
