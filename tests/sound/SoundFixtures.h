#pragma once
// Sounds made in the tests: a sine and a click pattern, encoded with libavcodec into
// the formats movies store; and the measures the tests check decoded sound with.

#include "support/MovieWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::testing {

// Interleaved 16-bit samples: per channel a sine of its own frequency (0: silence).
std::vector<std::int16_t> Sine(int rate, std::size_t frames, const std::vector<double>& hertz,
                               double amplitude = 16000);
// Full-scale single-sample clicks every period samples, on every channel.
std::vector<std::int16_t> Clicks(int channels, std::size_t frames, std::size_t period);

struct Encoded {
    Bytes data; // the packets one after another
    std::vector<Bytes> packets;
    int padding = 0; // samples of encoder delay at the start
};
// Encodes with the named libavcodec encoder and its options ("key=value:...");
// nothing when the build lacks it.
std::optional<Encoded> Encode(const std::string& encoder, int rate, int channels,
                              const std::vector<std::int16_t>& samples,
                              const std::string& options = {});
// The 16-bit PCM bytes of samples: little-endian, or unsigned 8-bit.
Bytes PcmBytes(const std::vector<std::int16_t>& samples, bool eightBit);

// Sign changes of one channel (a sine of f Hz over t seconds has about 2 f t).
int ZeroCrossings(const std::vector<std::int16_t>& samples, int channels, int channel,
                  std::size_t first = 0, std::size_t last = SIZE_MAX);
// Root mean square of one channel over [first, last) samples per channel.
double Rms(const std::vector<std::int16_t>& samples, int channels, int channel,
           std::size_t first = 0, std::size_t last = SIZE_MAX);

} // namespace quillon::testing
