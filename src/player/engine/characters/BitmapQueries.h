#pragma once
// Questions scripts ask of bitmaps without changing them: how two differ, and whether
// opaque enough pixels meet a point, a rectangle or another bitmap.

#include "player/engine/characters/BitmapPixels.h"

namespace quillon::engine {

// A bitmap of the differences between two of one size: where the colours differ, opaque
// with each channel's difference (a - b, modulo 256); where only alpha differs, white
// with the alpha difference; nothing elsewhere. None when every pixel is equal.
std::shared_ptr<BitmapPixels> BitmapDifference(const BitmapPixels& a, const BitmapPixels& b);

// Whether any pixel of the area (in the bitmap's pixels) has at least the alpha given
// (fully clear pixels never count).
bool OpaqueWithin(const BitmapPixels& bitmap, const PixelRect& area, int alphaThreshold);

// Whether the two bitmaps, their corners at aAt and bAt, have a place where both are at
// least as opaque as their thresholds.
bool BitmapsOverlap(const BitmapPixels& a, PixelPoint aAt, int aThreshold, const BitmapPixels& b,
                    PixelPoint bAt, int bThreshold);

} // namespace quillon::engine
