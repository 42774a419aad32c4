#pragma once
// Decodes the sounds of a movie with libavcodec: uncompressed, ADPCM, MP3, Nellymoser
// and Speex. A format the installed libavcodec cannot decode gives silence and a warning.

#include "player/engine/characters/Sound.h"
#include "player/engine/sound/Pcm.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::engine {

// A decoded sound never holds more than this many samples per channel (ten minutes at
// 44.1 kHz); the rest of a longer one is dropped with a warning.
inline constexpr std::size_t MaxDecodedFrames = 10u * 60u * 44100u;

// An event sound at its own rate and channel count, its MP3 delay skipped and cut to
// its declared length. Problems are appended to warnings.
Pcm DecodeSound(const SoundCharacter& sound, std::vector<std::string>& warnings);

struct DecodedStream {
    Pcm pcm;
    // Per block of the stream, the sample (per channel, in pcm) where it starts.
    std::vector<std::int64_t> blockStarts;
};
// A whole stream, the blocks one after another, the MP3 latency skipped.
DecodedStream DecodeStream(const StreamSound& stream, std::vector<std::string>& warnings);

// Samples at the mix rate that last as long as frames samples at rate (5512 is 5.5 kHz).
std::int64_t MixFramesFor(std::int64_t frames, int rate);
// The same sound at the mixer's rate, in stereo.
Pcm ToMixFormat(const Pcm& pcm);

} // namespace quillon::engine
