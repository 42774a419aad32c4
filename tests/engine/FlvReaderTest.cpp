// The FLV reader and AMF0 script data: well-formed files read in full, and cut or
// damaged ones end cleanly without reading outside the bytes.

#include "player/engine/video/FlvReader.h"

#include "FlvTestStreams.h"
#include "player/engine/video/Amf0.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::engine;
namespace flv = quillon::testing;
using flv::FlvBytes;
using flv::FlvTagSpec;

namespace {

FlvBytes ThreeTags() {
    return flv::WriteFlv({{18, 0, flv::MetaDataBody(2.5, 64, 48)},
                          {9, 0, {0x12, 1, 2, 3}},
                          {8, 40, {0x2f, 9, 9}},
                          {9, 0x01000010, {0x22, 4, 5}}});
}

std::vector<FlvTag> ReadAll(std::span<const std::uint8_t> bytes, FlvRead& last) {
    std::vector<FlvTag> tags;
    const auto header = ReadFlvHeader(bytes);
    if (!header) {
        last = FlvRead::Damaged;
        return tags;
    }
    FlvTag tag;
    std::size_t offset = header->firstTag;
    while ((last = ReadFlvTag(bytes, offset, tag)) == FlvRead::Tag && tags.size() < 100) {
        tags.push_back(tag);
        offset = tag.next;
    }
    return tags;
}

TEST(FlvReader, ReadsTheHeaderAndEveryTagWithItsTimestamp) {
    const FlvBytes file = ThreeTags();
    const auto header = ReadFlvHeader(file);
    ASSERT_TRUE(header);
    EXPECT_TRUE(header->hasAudio);
    EXPECT_TRUE(header->hasVideo);
    FlvRead last{};
    const std::vector<FlvTag> tags = ReadAll(file, last);
    ASSERT_EQ(tags.size(), 4u);
    EXPECT_EQ(last, FlvRead::Incomplete); // the end: more bytes could follow
    EXPECT_EQ(tags[0].type, 18);
    EXPECT_EQ(tags[2].type, 8);
    EXPECT_EQ(tags[2].timestamp, 40u);
    EXPECT_EQ(tags[3].timestamp, 0x01000010u); // the extended byte is the top one
    EXPECT_EQ(FlvBytes(tags[1].body.begin(), tags[1].body.end()), (FlvBytes{0x12, 1, 2, 3}));
}

TEST(FlvReader, EveryCutOfAFileEndsAsIncompleteOrNotFlv) {
    const FlvBytes file = ThreeTags();
    for (std::size_t size = 0; size < file.size(); ++size) {
        const std::span<const std::uint8_t> cut(file.data(), size);
        FlvRead last{};
        const std::vector<FlvTag> tags = ReadAll(cut, last);
        EXPECT_LE(tags.size(), 4u);
        EXPECT_NE(last, FlvRead::Tag);
        for (const FlvTag& tag : tags) {
            EXPECT_LE(tag.body.data() + tag.body.size(), cut.data() + cut.size());
        }
    }
}

TEST(FlvReader, DamagedHeadersAndTagsAreRefused) {
    struct Case {
        const char* what;
        std::size_t at;
        std::uint8_t value;
        bool headerFails;
    };
    const Case cases[] = {
        {"signature", 0, 'X', true},
        {"data offset below the header", 8, 3, true},
        {"data offset far past the file", 5, 0x7f, true},
        {"reserved tag bits", 13, 0xc9, false},
        {"tag size over the cap", 14, 0xff, false},
    };
    for (const Case& c : cases) {
        FlvBytes file = ThreeTags();
        file[c.at] = c.value;
        FlvRead last{};
        const std::vector<FlvTag> tags = ReadAll(file, last);
        EXPECT_TRUE(tags.empty()) << c.what;
        EXPECT_EQ(last, FlvRead::Damaged) << c.what;
        EXPECT_EQ(!ReadFlvHeader(file), c.headerFails) << c.what;
    }
}

TEST(FlvReader, VideoPacketsGiveCodecFrameTypeAndCompositionOffset) {
    struct Case {
        FlvBytes body;
        int codec, frameType, avcType, composition;
        std::size_t payload;
        bool adjusted;
    };
    const Case cases[] = {
        {{0x12, 7, 7}, 2, 1, 1, 0, 2, false},
        {{0x24, 0x21, 9}, 4, 2, 1, 0, 1, true},
        {{0x15, 0x00, 0, 0, 5, 9}, 5, 1, 1, 0, 4, true},
        {{0x17, 0, 0, 0, 0, 1, 0x64}, 7, 1, 0, 0, 2, false},
        {{0x27, 1, 0xff, 0xff, 0xd8, 9}, 7, 2, 1, -40, 1, false}, // a negative offset
        {{0x27, 1, 0x00, 0x01, 0xf4}, 7, 2, 1, 500, 0, false},
    };
    for (const Case& c : cases) {
        const auto packet = ReadFlvVideoPacket(c.body);
        ASSERT_TRUE(packet);
        EXPECT_EQ(packet->codec, c.codec);
        EXPECT_EQ(packet->frameType, c.frameType);
        EXPECT_EQ(packet->avcPacketType, c.avcType);
        EXPECT_EQ(packet->compositionTime, c.composition);
        EXPECT_EQ(packet->payload.size(), c.payload);
        EXPECT_EQ(packet->adjustment.has_value(), c.adjusted);
    }
    for (const FlvBytes& tooShort : {FlvBytes{}, FlvBytes{0x17, 1, 0}, FlvBytes{0x14}}) {
        EXPECT_FALSE(ReadFlvVideoPacket(tooShort));
    }
}

TEST(FlvReader, SeekPointsAreKeyFramesInTimeOrder) {
    const FlvBytes file = flv::WriteFlv({{9, 0, {0x12, 1}},
                                         {9, 100, {0x22, 1}},
                                         {9, 200, {0x12, 1}},
                                         {18, 250, flv::MetaDataBody(1, 1, 1)},
                                         {9, 300, {0x22, 1}}});
    const std::vector<FlvSeekPoint> points = IndexFlv(file, ReadFlvHeader(file)->firstTag);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].timestamp, 0u);
    EXPECT_EQ(points[1].timestamp, 200u);
    EXPECT_EQ(SeekPointFor(points, 150)->timestamp, 0u);
    EXPECT_EQ(SeekPointFor(points, 200)->timestamp, 200u);
    EXPECT_EQ(SeekPointFor(points, 99999)->timestamp, 200u);
    EXPECT_FALSE(SeekPointFor({}, 0));
}

TEST(Amf0, MetaDataReadsAsNamedMembers) {
    const FlvBytes body = flv::MetaDataBody(2.5, 64, 48);
    const auto data = ReadScriptData(body);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->name, "onMetaData");
    EXPECT_EQ(data->value.type, AmfValue::Type::EcmaArray);
    ASSERT_TRUE(data->value.member("width"));
    EXPECT_EQ(data->value.member("duration")->number, 2.5);
    EXPECT_EQ(data->value.member("height")->number, 48);
    EXPECT_FALSE(data->value.member("missing"));
}

TEST(Amf0, EveryKindOfValueReads) {
    const FlvBytes bytes = {
        10, 0,    0,    0,   6,                         // a strict array of six
        1,  1,                                          // true
        5,  6,                                          // null, undefined
        11, 0x40, 0x59, 0,   0, 0,    0,    0, 0, 0, 0, // a date: 100 ms, and its zone
        12, 0,    0,    0,   2, 'h',  'i',              // a long string
        3,  0,    1,    'a', 0, 0x3f, 0xf0, 0, 0, 0, 0, 0, 0, 0, 0, 9, // an object {a: 1}
    };
    std::size_t pos = 0;
    const auto v = ReadAmf0(bytes, pos);
    ASSERT_TRUE(v);
    EXPECT_EQ(pos, bytes.size());
    ASSERT_EQ(v->items.size(), 6u);
    EXPECT_TRUE(v->items[0].boolean);
    EXPECT_EQ(v->items[1].type, AmfValue::Type::Null);
    EXPECT_EQ(v->items[2].type, AmfValue::Type::Undefined);
    EXPECT_EQ(v->items[3].type, AmfValue::Type::Date);
    EXPECT_EQ(v->items[3].number, 100);
    EXPECT_EQ(v->items[4].text, "hi");
    EXPECT_EQ(v->items[5].member("a")->number, 1);
}

TEST(Amf0, CutDeepAndUnknownDataFailsWithoutReadingPastTheEnd) {
    const FlvBytes body = flv::MetaDataBody(2.5, 64, 48);
    for (std::size_t size = 0; size < body.size(); ++size) {
        std::size_t pos = 0;
        const FlvBytes cut(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(size));
        const auto name = ReadAmf0(cut, pos);
        const auto value = name ? ReadAmf0(cut, pos) : std::nullopt;
        EXPECT_FALSE(name && value) << size;
        EXPECT_LE(pos, size);
    }
    FlvBytes deep;
    for (int i = 0; i <= MaxAmfNesting + 1; ++i) {
        deep.insert(deep.end(), {3, 0, 1, 'x'});
    }
    deep.push_back(5);
    std::size_t pos = 0;
    EXPECT_FALSE(ReadAmf0(deep, pos));
    const FlvBytes huge = {10, 0xff, 0xff, 0xff, 0xff, 5, 5};
    pos = 0;
    EXPECT_FALSE(ReadAmf0(huge, pos)); // claims four billion items, holds two
    const FlvBytes unknown = {0x0d};
    pos = 0;
    EXPECT_FALSE(ReadAmf0(unknown, pos));
}

} // namespace
