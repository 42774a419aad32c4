#include "codec/SwfHeader.h"

#include "support/Bytes.h"

#include <gtest/gtest.h>

using namespace quillon;
using quillon::test::Bytes;

namespace {

// An image whose rectangle has fields of nbits bits, followed by the frame-rate bytes.
Bytes ImageWithRect(unsigned nbits, std::array<std::int64_t, 4> fields, std::uint8_t rateFraction,
                    std::uint8_t rateWhole) {
    Bytes image = {'F', 'W', 'S', 7, 0x34, 0x12, 0, 0};
    std::vector<bool> bits;
    for (int i = 4; i >= 0; --i) {
        bits.push_back((nbits >> i) & 1);
    }
    for (const auto field : fields) {
        for (int i = static_cast<int>(nbits) - 1; i >= 0; --i) {
            bits.push_back((static_cast<std::uint64_t>(field) >> i) & 1);
        }
    }
    while (bits.size() % 8) {
        bits.push_back(false);
    }
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        std::uint8_t byte = 0;
        for (std::size_t j = 0; j < 8; ++j) {
            byte = static_cast<std::uint8_t>(byte << 1 | bits[i + j]);
        }
        image.push_back(byte);
    }
    image.push_back(rateFraction);
    image.push_back(rateWhole);
    image.push_back(1); // frame count
    image.push_back(0);
    return image;
}

struct RectCase {
    unsigned nbits;
    std::array<std::int64_t, 4> written;
    std::array<std::int32_t, 4> expected;
    std::size_t rectBytes;
};

class FrameRectTest : public ::testing::TestWithParam<RectCase> {};

TEST_P(FrameRectTest, ReadsFieldsAndFindsTheFrameRateAfterThem) {
    const RectCase& c = GetParam();
    const Bytes image = ImageWithRect(c.nbits, c.written, 0x80, 24);
    ASSERT_EQ(image.size(), 8 + c.rectBytes + 4);
    EXPECT_EQ(FrameRectBytes(c.nbits), c.rectBytes);
    MemoryStream stream(image);
    stream.seek(5);
    const SwfHeaderInfo info = ReadSwfHeader(stream);
    EXPECT_EQ((std::array{info.Xmin, info.Xmax, info.Ymin, info.Ymax}), c.expected);
    EXPECT_EQ(info.frameRate, 24);
    EXPECT_EQ(info.version, 7);
    EXPECT_EQ(info.declaredLength, 0x1234);
    EXPECT_EQ(stream.position(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, FrameRectTest,
    ::testing::Values(
        RectCase{0, {0, 0, 0, 0}, {0, 0, 0, 0}, 1}, RectCase{1, {0, 1, 1, 0}, {0, -1, -1, 0}, 2},
        RectCase{3, {7, 3, 0, 4}, {-1, 3, 0, -4}, 3},
        // Xmin ends exactly on the boundary of the second byte.
        RectCase{11, {5, 1000, 0, 1000}, {5, 1000, 0, 1000}, 7},
        RectCase{12, {0, 2000, 0, 2000}, {0, 2000, 0, 2000}, 7},
        RectCase{15, {0, 11000, 0, 8000}, {0, 11000, 0, 8000}, 9},
        RectCase{16, {-100, 32767, -32768, 0}, {-100, 32767, -32768, 0}, 9},
        RectCase{
            31, {-1, 0x3FFFFFFF, -0x40000000, 12345}, {-1, 0x3FFFFFFF, -0x40000000, 12345}, 17}));

TEST(SwfHeader, FrameRateDropsTheFraction) {
    for (const auto& [fraction, whole, expected] :
         std::vector<std::tuple<std::uint8_t, std::uint8_t, int>>{
             {0xF8, 0x1D, 29}, {0x80, 0x18, 24}, {0x00, 0x0C, 12}, {0xFF, 0xFF, 255}}) {
        Bytes image = ImageWithRect(15, {0, 11000, 0, 8000}, fraction, whole);
        MemoryStream stream(image);
        EXPECT_EQ(ReadSwfHeader(stream).frameRate, expected);
    }
}

TEST(SwfHeader, BytesPastTheEndReadAsZero) {
    const Bytes shortImage = {'F', 'W', 'S'};
    MemoryStream stream(shortImage);
    const SwfHeaderInfo info = ReadSwfHeader(stream);
    EXPECT_EQ(info.version, 0);
    EXPECT_EQ(info.declaredLength, 0);
    EXPECT_EQ(info.frameRate, 0);
    EXPECT_EQ((std::array{info.Xmin, info.Xmax, info.Ymin, info.Ymax}), (std::array{0, 0, 0, 0}));

    // A 31-bit rectangle cut off after two bytes: the missing bits are zeros.
    Bytes cut = ImageWithRect(31, {-1, -1, -1, -1}, 0, 30);
    cut.resize(10);
    MemoryStream cutStream(cut);
    const SwfHeaderInfo cutInfo = ReadSwfHeader(cutStream);
    // Eleven set bits, then twenty zeros: 0x7FF00000 as a 31-bit two's-complement value.
    EXPECT_EQ(cutInfo.Xmin, -0x100000);
    EXPECT_EQ(cutInfo.Xmax, 0);
    EXPECT_EQ(cutInfo.frameRate, 0);
}

TEST(SwfHeader, DeclaredLengthOfTwoToThe31ReadsNegative) {
    Bytes image = ImageWithRect(0, {0, 0, 0, 0}, 0, 1);
    image[7] = 0x80;
    MemoryStream stream(image);
    EXPECT_LT(ReadSwfHeader(stream).declaredLength, 0);
}

TEST(SwfHeader, ReadingResetsTheViewToTheNewFrame) {
    ViewLeft = 1;
    ViewTop = 2;
    ViewRight = 3;
    ViewBottom = 4;
    const Bytes image = ImageWithRect(15, {-20, 11000, 40, 8000}, 0, 12);
    MemoryStream stream(image);
    ReadSwfHeader(stream);
    EXPECT_EQ(FrameXMin, -20);
    EXPECT_EQ(FrameXMax, 11000);
    EXPECT_EQ(FrameYMin, 40);
    EXPECT_EQ(FrameYMax, 8000);
    EXPECT_EQ(ViewLeft, FrameXMin);
    EXPECT_EQ(ViewTop, FrameYMin);
    EXPECT_EQ(ViewRight, FrameXMax);
    EXPECT_EQ(ViewBottom, FrameYMax);
}

TEST(SwfHeader, FieldsForTheToolsIncludeFrameCountAndExactRate) {
    const Bytes image = ImageWithRect(15, {0, 11000, 0, 8000}, 0x80, 24);
    const SwfHeaderFields fields = ParseSwfHeaderFields(image);
    EXPECT_EQ(std::string(fields.signature.begin(), fields.signature.end()), "FWS");
    EXPECT_EQ(fields.frameRate8_8, 24 * 256 + 128);
    EXPECT_EQ(fields.frameCount, 1);
    EXPECT_EQ(fields.bodyStart, 8u + 9 + 4);
}

} // namespace
