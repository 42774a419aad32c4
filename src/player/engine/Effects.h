#pragma once
// Filters (blur, drop shadow, glow, bevel, colour matrix) on a drawn layer, and the blend
// modes a layer is put onto the picture with.

#include "Records.h"

#include <QImage>
#include <QPainter>
#include <vector>

namespace quillon::engine {

// Applies filters to a premultiplied layer; scale turns filter pixels into device pixels.
void ApplyFilters(QImage& layer, const std::vector<Filter>& filters, double scale);

// Box blur over all four channels, sizes in device pixels.
void BoxBlur(QImage& image, double blurX, double blurY, int passes);

// Draws a layer onto the painter's device (already in device coordinates) with a blend mode.
void CompositeLayer(QPainter& painter, const QImage& layer, int blendMode, double opacity);

// True when an instance with this blend mode needs a layer of its own.
bool BlendNeedsLayer(int blendMode);
// True for the modes (alpha, erase) that work on the layer below them.
bool BlendActsOnLayerOnly(int blendMode);

} // namespace quillon::engine
