#pragma once
// Filters (blur, drop shadow, glow, bevel, colour matrix) on a drawn layer, and the blend
// modes a layer is put onto the picture with.

#include "player/engine/characters/Records.h"
#include "player/engine/render/BoxBlur.h"

#include <QImage>
#include <QPainter>
#include <vector>

namespace quillon::engine {

// Applies filters to a premultiplied layer; scale turns filter pixels into device pixels.
// exactSizes: blur by the exact sizes (a script's bitmap) rather than whole boxes (an
// object on the stage).
void ApplyFilters(QImage& layer, const std::vector<Filter>& filters, double scale,
                  bool exactSizes = false);

// Box blur over all four channels, sizes in device pixels.
void BoxBlur(QImage& image, double blurX, double blurY, int passes, BoxFit fit);

// How far past the drawn pixels a filter can change the layer, in device pixels.
int FilterMargin(const Filter& filter, double scale);

// Draws a layer onto the painter's device with a blend mode, its corner at the device point
// at.
void CompositeLayer(QPainter& painter, const QImage& layer, int blendMode, double opacity,
                    QPoint at = {});

// True when an instance with this blend mode needs a layer of its own.
bool BlendNeedsLayer(int blendMode);
// True for the modes (alpha, erase) that work on the layer below them.
bool BlendActsOnLayerOnly(int blendMode);
// True for the modes worked pixel by pixel on a device picture (subtract, invert): their
// layer covers the whole device.
bool BlendWorksPerPixel(int blendMode);

} // namespace quillon::engine
