// The pixels scripts make: the player's premultiplied rounding, its size limits, and
// rectangles from scripts that reach past the bitmaps.

#include "player/engine/characters/BitmapImage.h"
#include "player/engine/characters/BitmapQueries.h"

#include <gtest/gtest.h>

namespace quillon::engine {
namespace {

TEST(BitmapPixels, TranslucentPixelsReadBackWithThePlayersRounding) {
    struct Case {
        std::uint32_t written, read;
    };
    const Case cases[] = {
        {0x12345678, 0x12395571}, // rounds to the nearest
        {0xaabbccdd, 0xaabbccdc}, // halves go down on the way back
        {0xff123456, 0xff123456}, // opaque is exact
        {0x00123456, 0x00000000}, // nothing of a fully transparent colour stays
        {0x80ff0000, 0x80ff0000},
    };
    auto pixels = BitmapPixels::make(2, 2, true, 0);
    ASSERT_TRUE(pixels);
    for (const Case& c : cases) {
        pixels->setPixel32(1, 1, c.written);
        EXPECT_EQ(pixels->pixel32(1, 1), c.read) << std::hex << c.written;
    }
}

TEST(BitmapPixels, OpaqueBitmapsKeepTheirAlpha) {
    auto pixels = BitmapPixels::make(3, 3, false, 0x00336699);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->pixel32(0, 0), 0xff336699u);
    pixels->setPixel32(1, 1, 0x10abcdef);
    EXPECT_EQ(pixels->pixel32(1, 1), 0xffabcdefu);
    pixels->setPixel(2, 2, 0x123456);
    EXPECT_EQ(pixels->pixel32(2, 2), 0xff123456u);
    EXPECT_EQ(pixels->pixel32(3, 0), 0u) << "outside reads as nothing";
    pixels->setPixel32(-1, 0, 0xffffffff); // outside: ignored
}

TEST(BitmapPixels, SizesFollowThePlayersLimits) {
    struct Case {
        int width, height;
        bool made;
    };
    const Case cases[] = {{1, 1, true},       {8191, 1, true},     {8192, 1, false},
                          {0, 5, false},      {-3, 5, false},      {4096, 4096, false},
                          {4095, 4096, true}, {8191, 2049, false}, {8191, 2048, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(BitmapPixels::make(c.width, c.height, true, 0) != nullptr, c.made)
            << c.width << "x" << c.height;
    }
}

TEST(BitmapPixels, RectanglesAreCutToTheBitmaps) {
    auto target = BitmapPixels::make(4, 4, true, 0);
    auto source = BitmapPixels::make(4, 4, true, 0xff00ff00);
    ASSERT_TRUE(target && source);
    target->fillRect({-100, -100, 101, 200000000}, 0xffff0000);
    EXPECT_EQ(target->pixel32(0, 3), 0xffff0000u);
    EXPECT_EQ(target->pixel32(1, 0), 0u);
    // a source area partly outside the source, landing partly outside the target
    target->copyPixels(*source, {2, -2, 10, 10}, {3, 1}, nullptr, {}, false);
    EXPECT_EQ(target->pixel32(3, 3), 0xff00ff00u);
    EXPECT_EQ(target->pixel32(3, 0), 0u) << "the rows above the source stay out";
    EXPECT_EQ(target->pixel32(2, 3), 0u);
    target->copyPixels(*source, {0, 0, -5, 3}, {0, 0}, nullptr, {}, false); // nothing
    target->colorTransform({2000000000, 2000000000, 2000000000, 5}, ChannelTransform{});
    EXPECT_EQ(target->histogram({-1, -1, 100, 100})[0][255], 4.0) << "red in the first column";
}

TEST(BitmapPixels, FloodFillStopsAtOtherColours) {
    auto pixels = BitmapPixels::make(5, 5, false, 0xffffff);
    ASSERT_TRUE(pixels);
    for (int y = 0; y < 5; ++y) {
        pixels->setPixel32(2, y, 0xff000000); // a wall down the middle
    }
    pixels->floodFill(0, 0, 0xff0000ff);
    EXPECT_EQ(pixels->pixel32(1, 4), 0xff0000ffu);
    EXPECT_EQ(pixels->pixel32(3, 0), 0xffffffffu);
    EXPECT_EQ(pixels->pixel32(2, 2), 0xff000000u);
    const PixelRect blue = pixels->colorBounds(0xffffffff, 0xff0000ff, true);
    EXPECT_EQ(blue.width, 2);
    EXPECT_EQ(blue.height, 5);
}

TEST(BitmapPixels, ThresholdCountsAndScrollMoves) {
    auto pixels = BitmapPixels::make(4, 1, true, 0xff000000);
    ASSERT_TRUE(pixels);
    pixels->setPixel32(0, 0, 0xff808080);
    pixels->setPixel32(1, 0, 0xff202020);
    const int count = pixels->threshold(*pixels, {0, 0, 4, 1}, {0, 0}, ">", 0xff404040, 0xffffffff,
                                        0xffffffff, false);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(pixels->pixel32(0, 0), 0xffffffffu);
    pixels->scroll(2, 0);
    EXPECT_EQ(pixels->pixel32(2, 0), 0xffffffffu);
    EXPECT_EQ(pixels->pixel32(3, 0), 0xff202020u);
    pixels->scroll(1000000, -5); // far off: nothing moves, nothing breaks
}

TEST(BitmapPixels, NoiseNumbersFollowTheMinimalStandardGenerator) {
    struct Case {
        int seed;
        std::int64_t first, second;
    };
    const Case cases[] = {
        {1, 16807, 282475249},
        {0, 16807, 282475249},  // zero starts as one
        {-1, 33614, 564950498}, // and negatives count up from it
        {2, 33614, 564950498},
    };
    for (const Case& c : cases) {
        NoiseRandom random(c.seed);
        EXPECT_EQ(random.next(), c.first) << c.seed;
        EXPECT_EQ(random.next(), c.second) << c.seed;
    }
    NoiseRandom ranged(1);
    EXPECT_EQ(ranged.between(10, 11), 11); // 16807 is odd
    EXPECT_EQ(ranged.between(10, 2), 10);  // no span: the low end
}

TEST(BitmapPixels, DifferencesOfTwoBitmaps) {
    auto a = BitmapPixels::make(3, 1, true, 0xff102030);
    auto b = BitmapPixels::make(3, 1, true, 0xff102030);
    ASSERT_TRUE(a && b);
    EXPECT_FALSE(BitmapDifference(*a, *b)) << "alike";
    b->setPixel32(1, 0, 0xff0f2031);
    b->setPixel32(2, 0, 0xfe102030);
    const auto d = BitmapDifference(*a, *b);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->pixel32(0, 0), 0u);
    EXPECT_EQ(d->pixel32(1, 0), 0xff0100ffu); // colour: each channel's difference, wrapped
    EXPECT_EQ(d->pixel32(2, 0), 0x01ffffffu); // alpha only: white with the difference
}

TEST(BitmapPixels, OpaqueEnoughPixelsMeetAreasAndOtherBitmaps) {
    auto a = BitmapPixels::make(4, 4, true, 0);
    auto b = BitmapPixels::make(2, 2, true, 0x80000000);
    ASSERT_TRUE(a && b);
    a->fillRect({2, 2, 2, 2}, 0xff000000);
    EXPECT_TRUE(OpaqueWithin(*a, {3, 3, 1, 1}, 255));
    EXPECT_FALSE(OpaqueWithin(*a, {0, 0, 2, 2}, 1));
    EXPECT_TRUE(OpaqueWithin(*a, {-5, -5, 8, 8}, 1)) << "cut to the bitmap";
    EXPECT_FALSE(OpaqueWithin(*a, {1000000, 0, 2000000000, 1}, 1));
    EXPECT_TRUE(BitmapsOverlap(*a, {0, 0}, 1, *b, {1, 1}, 0x80));
    EXPECT_FALSE(BitmapsOverlap(*a, {0, 0}, 1, *b, {1, 1}, 0x81)) << "b not opaque enough";
    EXPECT_FALSE(BitmapsOverlap(*a, {0, 0}, 1, *b, {-1, -1}, 1)) << "only a's clear corner";
    EXPECT_FALSE(BitmapsOverlap(*a, {0, 0}, 1, *b, {2000000000, 0}, 1));
}

} // namespace
} // namespace quillon::engine
