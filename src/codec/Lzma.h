#pragma once
// The LZMA body of a "ZWS" movie. After the eight header bytes come the 4-byte length
// of the LZMA data (a hint only), the 5 LZMA properties bytes, then LZMA1 data, with
// or without an end marker.

#include "BodyDecoder.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace quillon {

// Offset of the LZMA data in a "ZWS" file.
inline constexpr std::size_t LzmaDataOffset = 17;
inline constexpr std::size_t LzmaPropertiesSize = 5;

// A decoder of the LZMA data that follows the eight header bytes (afterHeader starts
// with the length field). The decoder never keeps a dictionary larger than
// maxOutput bytes, since no match can reach further back than the output. Returns null
// when the properties cannot be decoded; throws ECompressionError when liblzma cannot
// be set up. afterHeader must hold at least the length and properties fields.
std::unique_ptr<BodyDecoder> MakeLzmaDecoder(std::span<const std::uint8_t> afterHeader,
                                             std::uint64_t maxOutput);

// Appends what follows the eight header bytes of a "ZWS" movie for this body: the
// length of the LZMA data, the properties, then LZMA1 data with an end marker, from a
// dictionary no larger than the body needs.
void AppendLzmaBody(std::span<const std::uint8_t> body, std::vector<std::uint8_t>& output);

} // namespace quillon
