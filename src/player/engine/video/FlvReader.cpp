#include "player/engine/video/FlvReader.h"

#include <algorithm>
#include <utility>

namespace quillon::engine {

namespace {

constexpr std::size_t HeaderBytes = 9;
constexpr std::size_t TagHeaderBytes = 11;
constexpr std::size_t PreviousSizeBytes = 4;

std::uint32_t Big(std::span<const std::uint8_t> bytes, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
        v = (v << 8) | bytes[at + static_cast<std::size_t>(i)];
    }
    return v;
}

} // namespace

std::optional<FlvHeader> ReadFlvHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < HeaderBytes || bytes[0] != 'F' || bytes[1] != 'L' || bytes[2] != 'V') {
        return std::nullopt;
    }
    const std::uint32_t dataOffset = Big(bytes, 5, 4);
    if (dataOffset < HeaderBytes || dataOffset > MaxFlvTagBytes) {
        return std::nullopt;
    }
    FlvHeader header;
    header.hasAudio = (bytes[4] & 0x04) != 0;
    header.hasVideo = (bytes[4] & 0x01) != 0;
    header.firstTag = dataOffset + PreviousSizeBytes;
    return header;
}

FlvRead ReadFlvTag(std::span<const std::uint8_t> bytes, std::size_t offset, FlvTag& tag) {
    if (offset > bytes.size() || bytes.size() - offset < TagHeaderBytes) {
        return FlvRead::Incomplete;
    }
    const std::uint8_t flags = bytes[offset];
    if (flags & 0xc0) {
        return FlvRead::Damaged; // reserved bits
    }
    const std::size_t size = Big(bytes, offset + 1, 3);
    if (size > MaxFlvTagBytes) {
        return FlvRead::Damaged;
    }
    const std::size_t body = offset + TagHeaderBytes;
    if (bytes.size() - body < size + PreviousSizeBytes) {
        return FlvRead::Incomplete;
    }
    tag.type = flags & 0x1f;
    // The extended byte holds the top eight bits of the timestamp.
    tag.timestamp =
        Big(bytes, offset + 4, 3) | (static_cast<std::uint32_t>(bytes[offset + 7]) << 24);
    tag.body = bytes.subspan(body, size);
    tag.next = body + size + PreviousSizeBytes;
    if (flags & 0x20) {
        tag.type = 0; // encrypted: skipped
    }
    return FlvRead::Tag;
}

std::optional<FlvVideoPacket> ReadFlvVideoPacket(std::span<const std::uint8_t> body) {
    if (body.empty()) {
        return std::nullopt;
    }
    FlvVideoPacket packet;
    packet.frameType = body[0] >> 4;
    packet.codec = body[0] & 0x0f;
    std::size_t at = 1;
    if (packet.codec == 7) {
        if (body.size() < 5) {
            return std::nullopt;
        }
        packet.avcPacketType = body[1];
        const std::uint32_t raw = Big(body, 2, 3);
        packet.compositionTime = static_cast<std::int32_t>(raw << 8) >> 8; // signed 24 bits
        at = 5;
    } else if (packet.codec == 4 || packet.codec == 5) {
        if (body.size() < 2) {
            return std::nullopt;
        }
        packet.adjustment = body[1];
        at = 2;
    }
    packet.payload = body.subspan(at);
    return packet;
}

std::vector<FlvSeekPoint> IndexFlv(std::span<const std::uint8_t> bytes, std::size_t firstTag) {
    std::vector<FlvSeekPoint> keys, all;
    FlvTag tag;
    std::size_t offset = firstTag;
    for (std::size_t n = 0; n < MaxFlvIndexedTags && ReadFlvTag(bytes, offset, tag) == FlvRead::Tag;
         ++n) {
        if (tag.type == static_cast<std::uint8_t>(FlvTagType::Video)) {
            const auto packet = ReadFlvVideoPacket(tag.body);
            if (packet && packet->keyFrame() && packet->avcPacketType == 1) {
                keys.push_back({tag.timestamp, offset});
            }
        }
        if (tag.type != static_cast<std::uint8_t>(FlvTagType::Script)) {
            all.push_back({tag.timestamp, offset});
        }
        offset = tag.next;
    }
    std::vector<FlvSeekPoint>& points = keys.empty() ? all : keys;
    std::stable_sort(
        points.begin(), points.end(),
        [](const FlvSeekPoint& a, const FlvSeekPoint& b) { return a.timestamp < b.timestamp; });
    return std::move(points);
}

std::optional<FlvSeekPoint> SeekPointFor(const std::vector<FlvSeekPoint>& points,
                                         std::uint32_t timestamp) {
    if (points.empty()) {
        return std::nullopt;
    }
    const auto after =
        std::upper_bound(points.begin(), points.end(), timestamp,
                         [](std::uint32_t t, const FlvSeekPoint& p) { return t < p.timestamp; });
    return after == points.begin() ? points.front() : *(after - 1);
}

} // namespace quillon::engine
