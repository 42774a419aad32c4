#pragma once
// The About dialog's picture, a JPEG file drawn and embedded at build time.

#include <cstddef>

namespace quillon::ui {
extern const unsigned char AboutPictureJpeg[];
extern const std::size_t AboutPictureJpegSize;
} // namespace quillon::ui
