#pragma once
// The FLV container: a header, then tags of audio, video and script data, each with a
// millisecond timestamp. Reading never goes past the bytes given; a tag cut off at the
// end is "incomplete" (more bytes may yet come), a tag that cannot be right is
// "damaged" and ends the reading.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quillon::engine {

enum class FlvTagType : std::uint8_t { Audio = 8, Video = 9, Script = 18 };

struct FlvHeader {
    bool hasAudio = false, hasVideo = false;
    std::size_t firstTag = 0; // offset of the first tag
};

struct FlvTag {
    std::uint8_t type = 0; // FlvTagType, or another number that is skipped
    std::uint32_t timestamp = 0;
    std::span<const std::uint8_t> body;
    std::size_t next = 0; // offset of the tag after it
};

// The header and the first tag's offset; nothing when the bytes are not an FLV file.
std::optional<FlvHeader> ReadFlvHeader(std::span<const std::uint8_t> bytes);

// The most one tag may hold; a larger one is damage.
inline constexpr std::size_t MaxFlvTagBytes = 8u << 20;

enum class FlvRead { Tag, Incomplete, Damaged };
// The tag at offset (a tag header, its body and the size of the tag before the next).
FlvRead ReadFlvTag(std::span<const std::uint8_t> bytes, std::size_t offset, FlvTag& tag);

// A video tag's first bytes: frame type and codec, and for H.264 the packet type and
// composition time offset; payload is what the codec decodes. VP6's size adjustment
// byte is split off into adjustment.
struct FlvVideoPacket {
    int frameType = 0; // 1 key frame, 2 inter frame, 3 disposable, 4 generated key, 5 command
    int codec =
        0; // 2 Sorenson H.263, 3 screen video, 4 VP6, 5 VP6 with alpha, 6 screen v2, 7 H.264
    int avcPacketType = 1; // 0 decoder configuration, 1 pictures, 2 end of sequence
    std::int32_t compositionTime = 0;
    std::optional<std::uint8_t> adjustment;
    std::span<const std::uint8_t> payload;

    bool keyFrame() const { return frameType == 1 || frameType == 4; }
};
std::optional<FlvVideoPacket> ReadFlvVideoPacket(std::span<const std::uint8_t> body);

// Where each video key frame (or, without video, each tag) starts, for seeking.
struct FlvSeekPoint {
    std::uint32_t timestamp = 0;
    std::size_t offset = 0;
};
// The most tags one index walk looks at.
inline constexpr std::size_t MaxFlvIndexedTags = 1u << 20;
std::vector<FlvSeekPoint> IndexFlv(std::span<const std::uint8_t> bytes, std::size_t firstTag);
// The last seek point at or before a time (the first one when all are later).
std::optional<FlvSeekPoint> SeekPointFor(const std::vector<FlvSeekPoint>& points,
                                         std::uint32_t timestamp);

} // namespace quillon::engine
