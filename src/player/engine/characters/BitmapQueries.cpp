#include "player/engine/characters/BitmapQueries.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace quillon::engine {

namespace {

// How opaque a pixel is, for a threshold: a clear pixel never counts, whatever the
// threshold.
int AlphaOf(const BitmapPixels& bitmap, int x, int y) {
    const int alpha = static_cast<int>(bitmap.pixel32(x, y) >> 24);
    return alpha == 0 ? INT_MIN : alpha;
}

std::uint32_t Difference(std::uint32_t a, std::uint32_t b) {
    const auto channel = [&](int shift) {
        return (((a >> shift) & 0xffu) - ((b >> shift) & 0xffu)) & 0xffu;
    };
    if ((a & 0xffffffu) != (b & 0xffffffu)) {
        return 0xff000000u | channel(16) << 16 | channel(8) << 8 | channel(0);
    }
    return a == b ? 0 : channel(24) << 24 | 0xffffffu;
}

} // namespace

std::shared_ptr<BitmapPixels> BitmapDifference(const BitmapPixels& a, const BitmapPixels& b) {
    std::shared_ptr<BitmapPixels> out;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const std::uint32_t d = Difference(a.pixel32(x, y), b.pixel32(x, y));
            if (d == 0) {
                continue;
            }
            if (!out) {
                out = BitmapPixels::make(a.width(), a.height(), true, 0);
                if (!out) {
                    return nullptr;
                }
            }
            out->setPixel32(x, y, d);
        }
    }
    return out;
}

bool OpaqueWithin(const BitmapPixels& bitmap, const PixelRect& area, int alphaThreshold) {
    const int left = std::max(0, area.x), top = std::max(0, area.y);
    const int right = std::min<std::int64_t>(bitmap.width(), std::int64_t{area.x} + area.width);
    const int bottom = std::min<std::int64_t>(bitmap.height(), std::int64_t{area.y} + area.height);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (AlphaOf(bitmap, x, y) >= alphaThreshold) {
                return true;
            }
        }
    }
    return false;
}

bool BitmapsOverlap(const BitmapPixels& a, PixelPoint aAt, int aThreshold, const BitmapPixels& b,
                    PixelPoint bAt, int bThreshold) {
    // the overlap in a's pixels
    const std::int64_t dx = std::int64_t{bAt.x} - aAt.x, dy = std::int64_t{bAt.y} - aAt.y;
    const std::int64_t left = std::max<std::int64_t>(0, dx), top = std::max<std::int64_t>(0, dy);
    const std::int64_t right = std::min<std::int64_t>(a.width(), dx + b.width());
    const std::int64_t bottom = std::min<std::int64_t>(a.height(), dy + b.height());
    for (std::int64_t y = top; y < bottom; ++y) {
        for (std::int64_t x = left; x < right; ++x) {
            if (AlphaOf(a, static_cast<int>(x), static_cast<int>(y)) >= aThreshold &&
                AlphaOf(b, static_cast<int>(x - dx), static_cast<int>(y - dy)) >= bThreshold) {
                return true;
            }
        }
    }
    return false;
}

} // namespace quillon::engine
