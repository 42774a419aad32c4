#pragma once
// Decoding a JPEG image held in memory with libjpeg.

#include <QImage>
#include <cstdint>
#include <span>

namespace quillon::ui {

// The decoded picture, or a null image when the bytes are not a readable JPEG.
QImage DecodeJpeg(std::span<const std::uint8_t> bytes);

} // namespace quillon::ui
