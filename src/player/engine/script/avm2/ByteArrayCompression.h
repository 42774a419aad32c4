#pragma once
// What ByteArray.compress and uncompress do to the bytes, by algorithm: zlib, raw
// deflate, or LZMA as the player frames it (5 property bytes, the 8-byte little-endian
// uncompressed length, then the LZMA data).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quillon::avm2 {

enum class Algorithm : std::uint8_t { Zlib, Deflate, Lzma };
Algorithm AlgorithmNamed(std::string_view name);

std::vector<std::uint8_t> CompressBytes(std::span<const std::uint8_t> input, Algorithm algorithm);
// The whole input decompressed, or nothing when it is damaged, cut short or would pass cap.
std::optional<std::vector<std::uint8_t>> UncompressBytes(std::span<const std::uint8_t> input,
                                                         Algorithm algorithm, std::size_t cap);

} // namespace quillon::avm2
