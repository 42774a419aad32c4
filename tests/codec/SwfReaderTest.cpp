// The shared SWF reader: bit fields and rectangles, and the tag stream that the movie
// check and the engine both walk.

#include "codec/swf/BitReader.h"
#include "codec/swf/TagCodes.h"
#include "codec/swf/TagStream.h"
#include "support/MovieWriter.h"

#include <gtest/gtest.h>

namespace quillon::swf {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SwfBitReader, RectanglesRoundTripAtEveryFieldWidth) {
    const Rect cases[] = {{0, 0, 0, 0},
                          {0, 11000, 0, 8000},
                          {-1, 3, -4, 0},
                          {5, 1000, 0, 7},
                          {-1073741824, 1073741823, 0, 1}};
    for (const Rect& r : cases) {
        testing::BitWriter w;
        w.rect(r.xMin, r.xMax, r.yMin, r.yMax);
        w.u8(0xAB); // what follows starts on the next whole byte
        BitReader in(w.data());
        EXPECT_EQ(in.rect(), r);
        EXPECT_EQ(in.u8(), 0xAB);
        EXPECT_FALSE(in.overrun());
        EXPECT_EQ(in.position(), RectBytes(w.data()[0] >> 3) + 1);
    }
}

TEST(SwfBitReader, ReadingPastTheEndGivesZerosAndSaysSo) {
    const Bytes bytes = {0x34, 0x12, 0xFF};
    BitReader in(bytes);
    EXPECT_EQ(in.u16(), 0x1234);
    EXPECT_EQ(in.u32(), 0xFFu);
    EXPECT_TRUE(in.overrun());
    EXPECT_EQ(in.sb(7), 0);
    EXPECT_EQ(in.rect(), Rect{});
}

Bytes TagBytes(int code, std::size_t length, bool longForm) {
    testing::BitWriter w;
    if (longForm) {
        w.u16(static_cast<std::uint16_t>((code << tags::CodeShift) | tags::LongLengthMark));
        w.u32(static_cast<std::uint32_t>(length));
    } else {
        w.u16(static_cast<std::uint16_t>((code << tags::CodeShift) | length));
    }
    return w.take();
}

TEST(SwfTagStream, ReadsShortAndLongHeadersAndStopsAtTheEnd) {
    Bytes stream = TagBytes(tags::SetBackgroundColor, 3, false);
    stream.insert(stream.end(), {1, 2, 3});
    const std::size_t second = stream.size();
    const Bytes longHeader = TagBytes(tags::DefineBinaryData, 2, true);
    stream.insert(stream.end(), longHeader.begin(), longHeader.end());
    stream.insert(stream.end(), {4, 5});
    TagStream tags(stream);
    Tag tag;
    ASSERT_EQ(tags.next(tag), TagRead::Ok);
    EXPECT_EQ(tag.code, tags::SetBackgroundColor);
    EXPECT_EQ(tag.offset, 0u);
    EXPECT_EQ(Bytes(tag.body.begin(), tag.body.end()), (Bytes{1, 2, 3}));
    ASSERT_EQ(tags.next(tag), TagRead::Ok);
    EXPECT_EQ(tag.code, tags::DefineBinaryData);
    EXPECT_EQ(tag.offset, second);
    EXPECT_EQ(Bytes(tag.body.begin(), tag.body.end()), (Bytes{4, 5}));
    EXPECT_EQ(tags.next(tag), TagRead::NoMore);
    EXPECT_EQ(tags.next(tag), TagRead::NoMore);
}

TEST(SwfTagStream, DamageEndsTheWalkWithWhatWasThere) {
    struct Case {
        const char* what;
        Bytes bytes;
        TagRead read;
        int code;
        std::size_t bodyLength;
    };
    Bytes cutBody = TagBytes(tags::ShowFrame, 10, false);
    cutBody.insert(cutBody.end(), {9, 9, 9});
    Bytes hugeLength = TagBytes(tags::DoAction, 0xFFFFFFF0u, true);
    hugeLength.push_back(7);
    Bytes cutLong = TagBytes(tags::DefineSprite, 100, true);
    cutLong.resize(4);
    const Case cases[] = {
        {"one byte left", {0x40}, TagRead::HeaderCut, 0, 0},
        {"long length cut", cutLong, TagRead::HeaderCut, tags::DefineSprite, 0},
        {"body cut", cutBody, TagRead::BodyCut, tags::ShowFrame, 3},
        {"length past any memory", hugeLength, TagRead::BodyCut, tags::DoAction, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TagStream tags(c.bytes);
        Tag tag;
        EXPECT_EQ(tags.next(tag), c.read);
        EXPECT_EQ(tag.code, c.code);
        EXPECT_EQ(tag.body.size(), c.bodyLength);
        EXPECT_EQ(tags.next(tag), TagRead::NoMore);
    }
}

} // namespace
} // namespace quillon::swf
