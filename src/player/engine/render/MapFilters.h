#pragma once
// Filters that move or mix neighbouring pixels by numbers a script gives: the
// convolution kernel and the displacement map.

#include "player/engine/characters/Records.h"

#include <QImage>

namespace quillon::engine {

// Both work on a premultiplied ARGB layer; scale turns filter pixels into device pixels.
void ApplyConvolution(QImage& layer, const Filter& filter);
void ApplyDisplacement(QImage& layer, const Filter& filter, double scale);

} // namespace quillon::engine
