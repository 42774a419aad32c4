#pragma once
// FLV files for tests, built in memory: tags, AMF0 script data, and video packets
// encoded at test time with libavcodec from pictures of one colour each.

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::testing {

using FlvBytes = std::vector<std::uint8_t>;

struct FlvTagSpec {
    std::uint8_t type = 9; // 8 audio, 9 video, 18 script data
    std::uint32_t timestamp = 0;
    FlvBytes body;
};

// A header (with the audio and video flags) and the tags, each followed by its size.
FlvBytes WriteFlv(const std::vector<FlvTagSpec>& tags);

// AMF0 pieces, and an onMetaData tag body with duration (seconds), width and height.
FlvBytes AmfString(const std::string& text);
FlvBytes AmfNumber(double value);
FlvBytes MetaDataBody(double duration, double width, double height);

struct EncodedPacket {
    FlvBytes data;
    std::int64_t pts = 0, dts = 0; // in frames
    bool key = false;
};
struct EncodedStream {
    FlvBytes setup; // H.264: the decoder configuration record
    std::vector<EncodedPacket> packets;
};

// One picture of each colour (0xRRGGBB), w x h, encoded in order. codec is the FLV
// codec number: 2 (Sorenson H.263) or 7 (H.264, with B-frames). Nothing when the
// installed libavcodec has no such encoder.
EncodedStream EncodeColours(int codec, int w, int h, const std::vector<std::uint32_t>& colours);

// FLV video tags for an encoded stream, one frame every frameMs: the configuration
// first for H.264, then each packet with its composition offset.
std::vector<FlvTagSpec> VideoTags(int codec, const EncodedStream& stream, int frameMs);

} // namespace quillon::testing
