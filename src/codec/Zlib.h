#pragma once
// The zlib body of a "CWS" movie: decoding, and the two ways of writing it.

#include "BodyDecoder.h"

#include <memory>
#include <span>
#include <vector>

namespace quillon {

// A zlib stream with its header and checksum, or a raw deflate stream without them.
enum class ZlibFraming { Zlib, Raw };

// A decoder of the stream that begins at input[0]. Throws ECompressionError when zlib
// cannot be set up.
std::unique_ptr<BodyDecoder> MakeZlibDecoder(std::span<const std::uint8_t> input,
                                             ZlibFraming framing = ZlibFraming::Zlib);

// Appends one complete stream of body at the given level: 15-bit window, memory level 8,
// the default strategy.
void AppendDeflated(std::span<const std::uint8_t> body, int level,
                    std::vector<std::uint8_t>& output, ZlibFraming framing = ZlibFraming::Zlib);

// Appends the smallest zlib stream we know how to make for body; still a standard
// stream that every inflater reads.
void AppendDeflatedSmallest(std::span<const std::uint8_t> body, std::vector<std::uint8_t>& output);

} // namespace quillon
