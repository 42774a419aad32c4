#pragma once
// 16-bit PCM WAV files, for exported sound.

#include "player/engine/sound/Pcm.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quillon::engine {

// The bytes of a WAV file holding pcm.
std::vector<std::uint8_t> EncodeWav(const Pcm& pcm);
// Reads back what EncodeWav writes (16-bit PCM only); nothing when it is not such a file.
std::optional<Pcm> DecodeWav(std::span<const std::uint8_t> bytes);

} // namespace quillon::engine
