// Checking movies: a sound movie in each form, and each kind of damage.

#include "codec/Verify.h"

#include "support/MovieFixtures.h"
#include "codec/SwfImage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillon {
namespace {

using test::Bytes;
using testing::HasSubstr;

// The one problem of a movie expected to have exactly one.
std::string OnlyProblem(const Bytes& file) {
    const MovieCheck check = CheckMovie(file);
    EXPECT_EQ(check.problems.size(), 1u);
    return check.problems.empty() ? std::string() : check.problems.front();
}

TEST(Verify, SoundMovieInEveryForm) {
    const Bytes plain = test::TaggedMovie({.frameCount = 4, .showFrames = 4, .filler = 70000});
    const Bytes forms[] = {plain, test::ZlibMovie(plain), test::LzmaMovie(plain),
                           test::LzmaMovie(plain, {.endMarker = false}),
                           CompressSwfImage(plain, CompressionMethod::ZlibSmallest)};
    for (const Bytes& file : forms) {
        const MovieCheck check = CheckMovie(file);
        EXPECT_TRUE(check.sound()) << file[0] << ": " << testing::PrintToString(check.problems);
        EXPECT_EQ(check.signature, std::string({char(file[0]), 'W', 'S'}));
        EXPECT_EQ(check.version, 15);
        EXPECT_EQ(check.declaredLength, plain.size());
        EXPECT_EQ(check.plainLength, plain.size());
        EXPECT_EQ(check.frameCount, 4);
        EXPECT_EQ(check.showFrames, 4u);
    }
}

TEST(Verify, SignatureAndHeader) {
    EXPECT_THAT(OnlyProblem({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}), HasSubstr("signature"));
    EXPECT_THAT(OnlyProblem({}), HasSubstr("empty"));
    EXPECT_THAT(OnlyProblem({'F', 'W', 'S', 9}), HasSubstr("header"));
}

TEST(Verify, DeclaredLengthUnlikeThePlainLength) {
    Bytes plain = test::TaggedMovie();
    test::PutLe32(plain, 4, static_cast<std::uint32_t>(plain.size() + 3));
    EXPECT_THAT(OnlyProblem(plain), HasSubstr("declared length"));
    EXPECT_THAT(OnlyProblem(test::LzmaMovie(test::TaggedMovie(), {.declaredLength = 9999})),
                HasSubstr("declared length is 9999"));
}

TEST(Verify, CompressedDataEndingEarlyCorruptOrFollowed) {
    const Bytes plain = test::TaggedMovie({.filler = 30000});
    for (const Bytes& good : {test::ZlibMovie(plain), test::LzmaMovie(plain)}) {
        Bytes cut(good.begin(), good.begin() + good.size() / 2);
        EXPECT_THAT(CheckMovie(cut).problems.front(), HasSubstr("ends early"));

        Bytes corrupt = good;
        for (std::size_t i = 20; i < 60; ++i) {
            corrupt[i] ^= 0xA5;
        }
        EXPECT_THAT(CheckMovie(corrupt).problems.front(), HasSubstr("corrupt"));

        Bytes trailing = good;
        trailing.insert(trailing.end(), 7, 0);
        EXPECT_EQ(OnlyProblem(trailing), "7 bytes follow the compressed data");
    }
}

TEST(Verify, TagStreamRunningPastTheEndOrWithoutEnd) {
    Bytes plain = test::TaggedMovie({.frameCount = 3, .showFrames = 3});
    // The last tag before End claims more bytes than there are.
    Bytes past = plain;
    past.resize(past.size() - 2); // drop End
    past.back() = 0;              // ShowFrame's length byte: code 1, length 0...
    past[past.size() - 2] = 0x45; // ...becomes code 1 with 5 bytes that are not there
    test::PutLe32(past, 4, static_cast<std::uint32_t>(past.size()));
    const MovieCheck pastCheck = CheckMovie(past);
    ASSERT_FALSE(pastCheck.problems.empty());
    EXPECT_THAT(pastCheck.problems.front(), HasSubstr("runs past the end"));

    const Bytes noEnd = test::TaggedMovie({.frameCount = 3, .showFrames = 3, .endTag = false});
    EXPECT_EQ(OnlyProblem(noEnd), "the tag stream has no End tag");
    EXPECT_EQ(OnlyProblem(test::LzmaMovie(noEnd)), "the tag stream has no End tag");
}

TEST(Verify, FrameCountUnlikeTheShowFrameTags) {
    const Bytes plain = test::TaggedMovie({.frameCount = 1, .showFrames = 3});
    EXPECT_EQ(OnlyProblem(test::ZlibMovie(plain)),
              "the header's frame count is 1 but there are 3 ShowFrame tags");
}

TEST(Verify, UnreadableFileIsAProblem) {
    test::TempDir dir;
    const MovieCheck check = CheckMovieFile(dir.file("missing.swf"));
    ASSERT_EQ(check.problems.size(), 1u);
    EXPECT_THAT(check.problems.front(), HasSubstr("Cannot open file"));
}

} // namespace
} // namespace quillon
