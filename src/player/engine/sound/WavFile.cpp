#include "player/engine/sound/WavFile.h"

#include <algorithm>
#include <cstring>

namespace quillon::engine {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::uint32_t Get32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t Get16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

} // namespace

std::vector<std::uint8_t> EncodeWav(const Pcm& pcm) {
    const auto dataBytes = static_cast<std::uint32_t>(pcm.samples.size() * 2);
    const auto channels = static_cast<std::uint16_t>(pcm.channels);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, channels);
    Put32(out, static_cast<std::uint32_t>(pcm.rate));
    Put32(out, static_cast<std::uint32_t>(pcm.rate) * channels * 2);
    Put16(out, static_cast<std::uint16_t>(channels * 2));
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (const std::int16_t sample : pcm.samples) {
        Put16(out, static_cast<std::uint16_t>(sample));
    }
    return out;
}

std::optional<Pcm> DecodeWav(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 44 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVEfmt ", 8) != 0 || Get16(bytes, 20) != 1 ||
        Get16(bytes, 34) != 16 || std::memcmp(bytes.data() + 36, "data", 4) != 0) {
        return std::nullopt;
    }
    Pcm pcm;
    pcm.channels = Get16(bytes, 22);
    pcm.rate = static_cast<int>(Get32(bytes, 24));
    const std::size_t count = std::min<std::size_t>(Get32(bytes, 40), bytes.size() - 44) / 2;
    pcm.samples.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        pcm.samples[i] = static_cast<std::int16_t>(Get16(bytes, 44 + 2 * i));
    }
    return pcm;
}

} // namespace quillon::engine
