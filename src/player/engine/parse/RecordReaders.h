#pragma once
// Readers of the small records that many tags share: rectangles, matrices, colours,
// colour transforms and filters.

#include "codec/swf/BitReader.h"
#include "player/engine/characters/Records.h"

#include <QColor>
#include <QRectF>
#include <QTransform>
#include <vector>

namespace quillon::engine {

QRectF ReadRect(swf::BitReader& in);
QTransform ReadMatrix(swf::BitReader& in);
QColor ReadRgb(swf::BitReader& in);
QColor ReadRgba(swf::BitReader& in);
ColorTransform ReadColorTransform(swf::BitReader& in, bool withAlpha);
std::vector<Filter> ReadFilterList(swf::BitReader& in);

} // namespace quillon::engine
