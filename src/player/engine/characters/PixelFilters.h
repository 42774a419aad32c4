#pragma once
// Filters run on a script's bitmap (BitmapData.applyFilter) through the same drawing as
// filters on clips: declared with the pixels, carried out by the drawing (render/).

#include "player/engine/characters/BitmapPixels.h"
#include "player/engine/characters/Records.h"

namespace quillon::engine {

// Filters area of source (pixels past it read as clear) and writes the result into
// target with its corner at `at`, cut to target. Source and target may be one bitmap.
void FilterPixels(BitmapPixels& target, const BitmapPixels& source, const PixelRect& area,
                  PixelPoint at, const Filter& filter);

// The rectangle a filter's result covers for a source rectangle (generateFilterRect).
PixelRect FilteredRect(const PixelRect& area, const Filter& filter);

} // namespace quillon::engine
