#pragma once
// Filters made from a layer's coverage: drop shadows, glows and bevels, in one colour or
// through a colour ramp (the gradient glow and bevel).

#include "player/engine/characters/Records.h"

#include <QImage>

namespace quillon::engine {

// Drop shadow, glow and gradient glow, outer or inner; scale turns filter pixels into
// device pixels; exact blurs by the exact sizes (see BoxFit). The layer is premultiplied ARGB.
void ApplyShadowOrGlow(QImage& layer, const Filter& filter, double scale, bool exact);

// Bevel and gradient bevel: inner, outer or both (on top), lit side towards the angle's
// opposite, dark side along it.
void ApplyBevel(QImage& layer, const Filter& filter, double scale, bool exact);

} // namespace quillon::engine
