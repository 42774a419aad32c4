// ByteArray's compression by algorithm: round trips, LZMA's framing (properties, then
// the 8-byte length, which may be unknown), and damaged or oversized input refused.

#include "player/engine/script/avm2/ByteArrayCompression.h"

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using avm2::Algorithm;
using Buffer = std::vector<std::uint8_t>;

Buffer Sample() {
    Buffer out;
    for (int i = 0; i < 3000; ++i) {
        out.push_back(static_cast<std::uint8_t>("LZMA demo "[i % 10]));
    }
    return out;
}

TEST(Avm2ByteArrayCompression, EachAlgorithmRoundTrips) {
    const Buffer input = Sample();
    for (const Algorithm algorithm : {Algorithm::Zlib, Algorithm::Deflate, Algorithm::Lzma}) {
        const Buffer packed = avm2::CompressBytes(input, algorithm);
        EXPECT_LT(packed.size(), input.size() / 4);
        EXPECT_EQ(avm2::UncompressBytes(packed, algorithm, 1 << 20), input);
        // Another algorithm's stream is damage.
        const Algorithm other = algorithm == Algorithm::Lzma ? Algorithm::Zlib : Algorithm::Lzma;
        EXPECT_FALSE(avm2::UncompressBytes(packed, other, 1 << 20).has_value());
    }
    EXPECT_EQ(avm2::AlgorithmNamed("lzma"), Algorithm::Lzma);
    EXPECT_EQ(avm2::AlgorithmNamed("deflate"), Algorithm::Deflate);
    EXPECT_EQ(avm2::AlgorithmNamed("zlib"), Algorithm::Zlib);
}

TEST(Avm2ByteArrayCompression, LzmaFraming) {
    const Buffer input = Sample();
    Buffer packed = avm2::CompressBytes(input, Algorithm::Lzma);
    ASSERT_GT(packed.size(), 13u);
    EXPECT_EQ(packed[5] | (packed[6] << 8), 3000); // the length after the properties
    for (int i = 7; i < 13; ++i) {
        EXPECT_EQ(packed[static_cast<std::size_t>(i)], 0);
    }
    EXPECT_TRUE(avm2::CompressBytes({}, Algorithm::Lzma).empty());
    EXPECT_EQ(avm2::UncompressBytes({}, Algorithm::Lzma, 100), Buffer{});
    // More than the cap is refused, declared or not.
    EXPECT_FALSE(avm2::UncompressBytes(packed, Algorithm::Lzma, 1000).has_value());
    Buffer unknown = packed;
    std::fill(unknown.begin() + 5, unknown.begin() + 13, 0xff); // ends at its end marker
    EXPECT_EQ(avm2::UncompressBytes(unknown, Algorithm::Lzma, 1 << 20), input);
    EXPECT_FALSE(avm2::UncompressBytes(unknown, Algorithm::Lzma, 1000).has_value());
    Buffer cut(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packed.size() / 2));
    EXPECT_FALSE(avm2::UncompressBytes(cut, Algorithm::Lzma, 1 << 20).has_value());
    EXPECT_FALSE(avm2::UncompressBytes(Buffer(12, 0), Algorithm::Lzma, 1 << 20).has_value());
}

// Reading past the end is an EOFError, damaged data an IOError (both flash.errors, whose
// instances are named Error).
TEST(Avm2ByteArrayCompression, ErrorsAreOfTheirClasses) {
    const auto bytes = [](AbcWriter& abc) -> Emit {
        const std::uint32_t cls = abc.qname(abc.ns(0x16, "flash.utils"), "ByteArray");
        return [cls](AbcCode& c) { c.nameOp(0x5d, cls).callProperty(0x4a, cls, 0); };
    };
    EXPECT_NE(ErrorOf([&](AbcWriter& a) {
                  return Call(a, bytes(a), "readByte");
              }).find("Error: Error #2030: End of file"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&](AbcWriter& a) {
                  return Call(a, SetNamed(a, bytes(a), "0", Int(7)), "uncompress", {Str("lzma")});
              }).find("Error: Error #2058"),
              std::string::npos);
}

} // namespace
} // namespace quillon::test
