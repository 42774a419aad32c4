#pragma once
// DefineBits, DefineBitsJPEG2/3/4 and DefineBitsLossless/Lossless2.

#include "player/engine/parse/ParseContext.h"

#include <QImage>
#include <span>

namespace quillon::engine {

void ParseBitmapTag(const Tag& tag, ParseContext& context);

// Decodes a JPEG (optionally using separate tables), a PNG or a GIF; null on failure.
QImage DecodeImageData(std::span<const std::uint8_t> data, std::span<const std::uint8_t> tables,
                       std::string& error);

} // namespace quillon::engine
