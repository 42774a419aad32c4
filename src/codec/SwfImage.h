#pragma once
// The transforms between plain and compressed movies, on bytes in memory. The file
// transforms (Transforms.h) and the movie engine both build on these.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quillon {

// Inflated data reaches the output in blocks of this many bytes.
inline constexpr std::size_t InflateBlockSize = 61440;

enum class InflateOutcome {
    Complete,   // the declared body length was produced
    RanOut,     // the compressed data ended before the declared length
    Corrupt,    // the decoder reported corrupt data
    OtherError, // a declared length below 8, or any other decoder error
};

// Builds the plain form of a movie of at least 8 bytes: "F", source bytes 1 to 7, then
// the body inflated to the declared length in whole blocks. On Corrupt the raw source
// body follows the completed blocks, as the decompress transform writes it.
// The output grows as data really inflates: a declared length is not trusted for memory.
InflateOutcome DecompressSwfImage(std::span<const std::uint8_t> source,
                                  std::vector<std::uint8_t>& output);

// Builds the compressed form of a movie of at least 8 bytes: "C", source bytes 1 to 7,
// then one complete zlib stream of source bytes 8 onwards at the given level.
std::vector<std::uint8_t> CompressSwfImage(std::span<const std::uint8_t> source, int level);

} // namespace quillon
