#pragma once
// The transforms between plain and compressed movies, on bytes in memory. The file
// transforms (Transforms.h) and the movie engine both build on these.

#include "Compression.h"

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
// the body decoded to the declared length in whole blocks. A "ZWS" movie's body is
// LZMA; any other movie's body is tried as zlib, whatever its signature. On Corrupt the
// raw source body follows the completed blocks, as the decompress transform writes it.
// The output grows as data really decodes: a declared length is not trusted for memory.
InflateOutcome DecompressSwfImage(std::span<const std::uint8_t> source,
                                  std::vector<std::uint8_t>& output);

// Builds the compressed form of a movie of at least 8 bytes: "C", source bytes 1 to 7,
// then one complete zlib stream of source bytes 8 onwards at the given level.
std::vector<std::uint8_t> CompressSwfImage(std::span<const std::uint8_t> source, int level);

// The same with a chosen method; level counts for ZlibLevel only. Lzma writes "ZWS",
// the version raised to LzmaMinimumVersion when lower, the declared length unchanged.
std::vector<std::uint8_t> CompressSwfImage(std::span<const std::uint8_t> source,
                                           CompressionMethod method, int level = DefaultZlibLevel);

// A compressed body decoded to its own end rather than to the declared length, for
// checking a movie. Complete means the stream ended cleanly; an LZMA stream without an
// end marker has no end of its own and is read to the declared length.
struct WholeBody {
    std::vector<std::uint8_t> image; // "F", source bytes 1 to 7, every byte decoded
    InflateOutcome outcome = InflateOutcome::Complete;
    std::size_t trailingBytes = 0; // file bytes after the end of the compressed stream
};
WholeBody DecodeWholeBody(std::span<const std::uint8_t> source);

} // namespace quillon
