#pragma once
// Draws built shapes: fills with solid colours, gradients and bitmaps, and strokes.

#include "player/engine/characters/Records.h"
#include "player/engine/characters/Shape.h"

#include <QPainter>
#include <functional>

namespace quillon::engine {

// Finds the bitmap of a fill by character id; null when there is none.
using BitmapLookup = std::function<const QImage*(std::uint16_t)>;

class ShapePainter {
public:
    // Draws shape with the painter's current transform (shape twips to device).
    void draw(QPainter& painter, const Shape& shape, const ColorTransform& cx,
              const BitmapLookup& bitmaps);
    // Device pixels per twip of the stage, for strokes that do not scale.
    void setViewScale(double scale) { viewScale_ = scale; }
    // A bitmap with a colour transform applied, cached while the same pair recurs.
    const QImage& transformed(const QImage& image, const ColorTransform& cx);

private:
    // painter: the painter (transform and hints) the brush will be used with.
    QBrush brushFor(const FillStyle& style, const ColorTransform& cx, const BitmapLookup& bitmaps,
                    const QPainter& painter);
    // A linear or radial gradient finished with the style's ramp, spread and matrix.
    QBrush gradientBrush(QGradient& gradient, const FillStyle& style, const ColorTransform& cx,
                         const QPainter& painter);
    void fillBitmap(QPainter& painter, const QPainterPath& path, const FillStyle& style,
                    const ColorTransform& cx, const BitmapLookup& bitmaps);
    void stroke(QPainter& painter, const QPainterPath& path, const LineStyle& style,
                const ColorTransform& cx, const BitmapLookup& bitmaps);

    // A gradient's ramp as painter stops, kept while the same records and transform recur.
    const QGradientStops& stopsFor(const FillStyle& style, const ColorTransform& cx);

    struct CachedStops {
        std::vector<GradientStop> stops;
        bool linear = false;
        ColorTransform cx;
        QGradientStops result;
    };
    std::vector<CachedStops> stopsCache_;
    struct CachedImage {
        qint64 key = 0;
        ColorTransform cx;
        QImage image;
    };
    std::vector<CachedImage> cache_;
    double viewScale_ = 1.0 / TwipsPerPixel;
};

} // namespace quillon::engine
