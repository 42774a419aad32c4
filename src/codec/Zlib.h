#pragma once
// The zlib body of a "CWS" movie: decoding, and the two ways of writing it.

#include "BodyDecoder.h"

#include <memory>
#include <span>
#include <vector>

namespace quillon {

// A decoder of the zlib stream that begins at input[0]. Throws ECompressionError when
// zlib cannot be set up.
std::unique_ptr<BodyDecoder> MakeZlibDecoder(std::span<const std::uint8_t> input);

// One complete zlib stream of body at the given level: 15-bit window, memory level 8,
// the default strategy.
std::vector<std::uint8_t> DeflateBody(std::span<const std::uint8_t> body, int level);

// The smallest zlib stream we know how to make for body; still a standard stream that
// every inflater reads.
std::vector<std::uint8_t> DeflateBodySmallest(std::span<const std::uint8_t> body);

} // namespace quillon
