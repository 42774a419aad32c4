#pragma once
// A Speex block holds one or more 20 ms frames packed bit to bit, or packets joined
// byte to byte, each padded with a terminator. The decoder takes one frame a packet, so
// the block is cut into frames by the sizes their mode numbers give.

#include <cstdint>
#include <span>
#include <vector>

namespace quillon::engine {

// Each frame of a block, moved to start on a byte and padded as a packet of its own.
// Damaged or unknown data ends the list.
std::vector<std::vector<std::uint8_t>> SplitSpeexFrames(std::span<const std::uint8_t> block);

} // namespace quillon::engine
