#pragma once
// JPEG pictures through libjpeg, with the separate table streams movies use.

#include <QImage>
#include <cstdint>
#include <span>
#include <string>

namespace quillon::engine {

// Decodes a JPEG stream; tables, when not empty, is an abbreviated stream of the
// quantisation and Huffman tables the picture relies on. Returns a null image and
// sets error on failure.
QImage DecodeJpeg(std::span<const std::uint8_t> data, std::span<const std::uint8_t> tables,
                  std::string& error);

} // namespace quillon::engine
