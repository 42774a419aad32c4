#pragma once
// Decoded sound: interleaved signed 16-bit samples.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::engine {

// The mixer's format: every sound is brought to it once, when first played.
inline constexpr int MixRate = 44100;
inline constexpr int MixChannels = 2;

struct Pcm {
    int rate = MixRate;
    int channels = MixChannels;
    std::vector<std::int16_t> samples; // interleaved

    // Samples per channel.
    std::size_t frames() const {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }
};

} // namespace quillon::engine
