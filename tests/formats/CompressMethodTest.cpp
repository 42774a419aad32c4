// Writing movies with a chosen method: LZMA ("ZWS"), the smallest zlib, and the
// method's text in config.ini.

#include "support/MovieFixtures.h"
#include "codec/BatchRow.h"
#include "codec/Compression.h"
#include "codec/SwfImage.h"
#include "codec/Transforms.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace quillon {
namespace {

using test::Bytes;

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
           std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

TEST(LzmaWrite, LayoutAndRoundTripAreExact) {
    for (const std::size_t filler : {0u, 5000u, 150000u}) {
        const Bytes plain = test::TaggedMovie({.version = 20, .filler = filler});
        const Bytes zws = CompressSwfImage(plain, CompressionMethod::Lzma);
        ASSERT_GE(zws.size(), 17u);
        EXPECT_EQ(Bytes(zws.begin(), zws.begin() + 3), Bytes({'Z', 'W', 'S'}));
        EXPECT_TRUE(std::equal(zws.begin() + 3, zws.begin() + 8, plain.begin() + 3));
        EXPECT_EQ(Le32(zws, 8), zws.size() - 17);
        Bytes back;
        EXPECT_EQ(DecompressSwfImage(zws, back), InflateOutcome::Complete);
        EXPECT_EQ(back, plain) << filler;
    }
}

TEST(LzmaWrite, DictionaryIsNoLargerThanTheBodyNeeds) {
    for (const std::size_t filler : {100u, 5000u, 70000u, 300000u}) {
        const Bytes plain = test::TaggedMovie({.filler = filler});
        const Bytes zws = CompressSwfImage(plain, CompressionMethod::Lzma);
        const std::uint32_t dict = Le32(zws, 13);
        const std::size_t body = plain.size() - 8;
        EXPECT_GE(dict, std::min<std::size_t>(body, 4096)) << filler;
        EXPECT_LE(dict, std::max<std::size_t>(4096, body * 3 / 2)) << filler;
    }
}

TEST(LzmaWrite, OlderVersionIsRaisedAndReported) {
    test::TempDir dir;
    for (const std::uint8_t version : {6, 12, 13, 40}) {
        const Bytes plain = test::TaggedMovie({.version = version});
        test::WriteFile(dir.file("plain.swf"), plain);
        CompressNotes notes;
        ASSERT_EQ(CompressSwfFile(dir.file("plain.swf"), dir.file("z.swf"), CompressionMethod::Lzma,
                                  DefaultZlibLevel, &notes),
                  WriteResult::Written);
        const Bytes zws = test::ReadFile(dir.file("z.swf"));
        const std::uint8_t expected = std::max<std::uint8_t>(version, LzmaMinimumVersion);
        EXPECT_EQ(zws[3], expected);
        EXPECT_EQ(notes.versionRaised, version < LzmaMinimumVersion);
        EXPECT_EQ(notes.sourceVersion, version);
        Bytes back;
        ASSERT_EQ(DecompressSwfImage(zws, back), InflateOutcome::Complete);
        Bytes raised = plain;
        raised[3] = expected;
        EXPECT_EQ(back, raised);
    }
}

TEST(SmallestZlib, IsAStandardStreamOfTheSameBodyAndSmaller) {
    const Bytes plain = test::TaggedMovie({.filler = 60000});
    const Bytes best = CompressSwfImage(plain, CompressionMethod::ZlibSmallest);
    const Bytes level9 = CompressSwfImage(plain, 9);
    EXPECT_EQ(Bytes(best.begin(), best.begin() + 8), Bytes(level9.begin(), level9.begin() + 8));
    // zlib's own inflate reads it to the end, Adler-32 included.
    EXPECT_EQ(test::Inflate(test::Bytes(best.begin() + 8, best.end())),
              Bytes(plain.begin() + 8, plain.end()));
    EXPECT_LT(best.size(), level9.size());
    Bytes back;
    EXPECT_EQ(DecompressSwfImage(best, back), InflateOutcome::Complete);
    EXPECT_EQ(back, plain);
}

TEST(SmallestZlib, EmptyBodyGivesTheStreamOfNoData) {
    const Bytes header = {'F', 'W', 'S', 10, 8, 0, 0, 0};
    const Bytes best = CompressSwfImage(header, CompressionMethod::ZlibSmallest);
    EXPECT_EQ(best[0], 'C');
    EXPECT_TRUE(test::Inflate(test::Bytes(best.begin() + 8, best.end())).empty());
}

TEST(CompressionMethodText, RoundTripsAndFallsBackToLevel9) {
    for (const auto& choice : CompressionChoices) {
        EXPECT_EQ(CompressionMethodFromText(CompressionMethodText(choice.method)), choice.method);
    }
    EXPECT_EQ(CompressionMethodFromText("LZMA"), CompressionMethod::Lzma);
    EXPECT_EQ(CompressionMethodFromText(""), CompressionMethod::ZlibLevel);
    EXPECT_EQ(CompressionMethodFromText("zlib 11"), CompressionMethod::ZlibLevel);
    EXPECT_EQ(CompressionChoices[0].method, CompressionMethod::ZlibLevel);
    EXPECT_STREQ(CompressionChoices[0].caption, "zlib, level 9");
    EXPECT_STREQ(CompressionChoices[2].caption, "LZMA (Flash Player 11 and later)");
}

TEST(CompressionMethodFiles, EachMethodWritesItsFormAndTheDefaultIsUnchanged) {
    test::TempDir dir;
    const Bytes plain = test::TaggedMovie({.filler = 20000});
    test::WriteFile(dir.file("in.swf"), plain);

    CompressSwfFile(dir.file("in.swf"), dir.file("old.swf"), 9);
    CompressSwfFile(dir.file("in.swf"), dir.file("default.swf"), CompressionMethod::ZlibLevel);
    EXPECT_EQ(test::ReadFile(dir.file("default.swf")), test::ReadFile(dir.file("old.swf")));
    EXPECT_EQ(test::ReadFile(dir.file("old.swf")), CompressSwfImage(plain, 9));

    const struct {
        CompressionMethod method;
        char signature;
    } cases[] = {{CompressionMethod::ZlibLevel, 'C'},
                 {CompressionMethod::ZlibSmallest, 'C'},
                 {CompressionMethod::Lzma, 'Z'}};
    for (const auto& c : cases) {
        const std::string target = dir.file("row" + CompressionMethodText(c.method) + ".swf");
        const BatchRowResult row =
            ProcessBatchRow(BatchKind::Compress, dir.file("in.swf"), target, c.method);
        EXPECT_EQ(row.status, StatusOk);
        const Bytes written = test::ReadFile(target);
        EXPECT_EQ(written, CompressSwfImage(plain, c.method));
        EXPECT_EQ(written[0], c.signature);
    }
}

} // namespace
} // namespace quillon
