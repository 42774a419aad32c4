#include "player/engine/sound/SpeexFrames.h"

#include <array>
#include <optional>

namespace quillon::engine {

namespace {

// Bits of a narrowband frame by its mode (0 to 8), its five header bits included.
constexpr std::array<std::size_t, 9> NarrowbandBits = {5, 43, 119, 160, 220, 300, 364, 492, 79};
// Bits of a higher band layer by its mode (0 to 4), its four header bits included.
constexpr std::array<std::size_t, 5> HighBandBits = {4, 36, 112, 192, 352};
// Wideband and ultra-wideband: at most two layers above the narrowband one.
constexpr int MaxHighBands = 2;

class Bits {
public:
    explicit Bits(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t size() const { return bytes_.size() * 8; }
    bool at(std::size_t bit) const { return (bytes_[bit / 8] >> (7 - bit % 8)) & 1; }
    // count bits from bit on, most significant first (count at most 8).
    unsigned read(std::size_t bit, unsigned count) const {
        unsigned value = 0;
        for (unsigned i = 0; i < count; ++i) {
            value = (value << 1) | (at(bit + i) ? 1u : 0u);
        }
        return value;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// The bits of the frame starting at bit, or nothing for a terminator, padding or damage.
std::optional<std::size_t> FrameBits(const Bits& bits, std::size_t bit) {
    const std::size_t left = bits.size() - bit;
    if (left < 5 || bits.at(bit)) {
        return std::nullopt; // a frame opens with its narrowband layer
    }
    const unsigned mode = bits.read(bit + 1, 4);
    if (mode >= NarrowbandBits.size()) {
        return std::nullopt; // 15 is the terminator; in-band codes are not kept
    }
    std::size_t total = NarrowbandBits[mode];
    for (int band = 0; band < MaxHighBands && total + 4 <= left && bits.at(bit + total); ++band) {
        const unsigned high = bits.read(bit + total + 1, 3);
        if (high >= HighBandBits.size()) {
            return std::nullopt;
        }
        total += HighBandBits[high];
    }
    if (total > left) {
        return std::nullopt;
    }
    return total;
}

// The frame's bits from a byte boundary, the last byte padded with 0 then 1s as the
// encoder pads a packet.
std::vector<std::uint8_t> Extract(const Bits& bits, std::size_t bit, std::size_t count) {
    std::vector<std::uint8_t> out((count + 7) / 8, 0);
    for (std::size_t i = 0; i < out.size() * 8; ++i) {
        const bool one = i < count ? bits.at(bit + i) : i > count;
        if (one) {
            out[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
        }
    }
    return out;
}

} // namespace

std::vector<std::vector<std::uint8_t>> SplitSpeexFrames(std::span<const std::uint8_t> block) {
    const Bits bits(block);
    std::vector<std::vector<std::uint8_t>> frames;
    std::size_t bit = 0;
    while (bit < bits.size()) {
        if (const auto count = FrameBits(bits, bit)) {
            frames.push_back(Extract(bits, bit, *count));
            bit += *count;
        } else if (bit % 8 != 0) {
            bit += 8 - bit % 8; // a packet's padding: the next packet starts on a byte
        } else {
            break;
        }
    }
    return frames;
}

} // namespace quillon::engine
