#include "player/engine/render/ShapePainter.h"

#include "player/engine/characters/BitmapImage.h"
#include "player/engine/render/GradientRamp.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>

namespace quillon::engine {

namespace {

constexpr double GradientHalf = 16384.0;

// A bitmap fill's picture: a script's pixels, or the movie's bitmap character.
const QImage* ImageFor(const FillStyle& style, const BitmapLookup& bitmaps) {
    return style.pixels ? &ImageOf(*style.pixels) : bitmaps(style.bitmapId);
}

// Players take a gradient's colour at each pixel's top-left corner rather than its centre, so
// in device space the ramp sits half a pixel further right and down than the geometry says.
// (Reference pictures drawn at low quality sample at centres; the standard quality's corners
// are kept for both, as the quality a movie was meant for is not known here.)
QTransform GradientSampling(const QPainter& painter) {
    const QTransform device = painter.transform();
    bool invertible = false;
    const QTransform inverse = device.inverted(&invertible);
    if (!invertible) {
        return {};
    }
    return device * QTransform::fromTranslate(0.5, 0.5) * inverse;
}

QGradient::Spread SpreadOf(int spread) {
    return spread == 1 ? QGradient::ReflectSpread
                       : (spread == 2 ? QGradient::RepeatSpread : QGradient::PadSpread);
}

Qt::PenCapStyle CapOf(int cap) {
    return cap == 1 ? Qt::FlatCap : (cap == 2 ? Qt::SquareCap : Qt::RoundCap);
}

// A device-space outline with its on-curve points moved onto the pixel grid, so a line of
// the (whole) width covers whole pixels: odd widths centre on pixel centres, even ones on
// pixel edges. Curve controls stay where they are.
QPainterPath SnappedToPixels(QPainterPath path, double width) {
    const bool odd = std::fmod(width, 2.0) == 1.0; // width is whole
    const auto snap = [odd](double v) { return odd ? std::floor(v) + 0.5 : std::round(v); };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const bool onCurve = e.type == QPainterPath::MoveToElement ||
                             e.type == QPainterPath::LineToElement ||
                             (e.type == QPainterPath::CurveToDataElement &&
                              path.elementAt(i - 1).type == QPainterPath::CurveToDataElement);
        if (onCurve) {
            path.setElementPositionAt(i, snap(e.x), snap(e.y));
        }
    }
    return path;
}

Qt::PenJoinStyle JoinOf(int join) {
    return join == 1 ? Qt::BevelJoin : (join == 2 ? Qt::MiterJoin : Qt::RoundJoin);
}

} // namespace

const QImage& ShapePainter::transformed(const QImage& image, const ColorTransform& cx) {
    if (cx.isIdentity()) {
        return image;
    }
    for (const CachedImage& c : cache_) {
        if (c.key == image.cacheKey() && c.cx == cx) {
            return c.image;
        }
    }
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            line[x] = cx.apply(QColor::fromRgba(line[x])).rgba();
        }
    }
    if (cache_.size() >= 16) {
        cache_.erase(cache_.begin());
    }
    cache_.push_back(
        {image.cacheKey(), cx, out.convertToFormat(QImage::Format_ARGB32_Premultiplied)});
    return cache_.back().image;
}

const QGradientStops& ShapePainter::stopsFor(const FillStyle& style, const ColorTransform& cx) {
    const bool linear = style.interpolation == 1;
    for (const CachedStops& c : stopsCache_) {
        if (c.linear == linear && c.cx == cx && c.stops == style.stops) {
            return c.result;
        }
    }
    GradientRamp ramp = BuildGradientRamp(style.stops, linear);
    if (!cx.isIdentity()) {
        for (QRgb& entry : ramp) {
            entry = cx.apply(QColor::fromRgba(entry)).rgba();
        }
    }
    if (stopsCache_.size() >= 32) {
        stopsCache_.erase(stopsCache_.begin());
    }
    stopsCache_.push_back({style.stops, linear, cx, RampStops(ramp)});
    return stopsCache_.back().result;
}

QBrush ShapePainter::gradientBrush(QGradient& gradient, const FillStyle& style,
                                   const ColorTransform& cx, const QPainter& painter) {
    gradient.setStops(stopsFor(style, cx));
    gradient.setSpread(SpreadOf(style.spread));
    gradient.setInterpolationMode(QGradient::ComponentInterpolation);
    QBrush brush(gradient);
    brush.setTransform(style.matrix * GradientSampling(painter));
    return brush;
}

QBrush ShapePainter::brushFor(const FillStyle& style, const ColorTransform& cx,
                              const BitmapLookup& bitmaps, const QPainter& painter) {
    switch (style.kind) {
    case FillStyle::Kind::Solid:
        return QBrush(cx.apply(style.color));
    case FillStyle::Kind::Linear: {
        QLinearGradient gradient(-GradientHalf, 0, GradientHalf, 0);
        return gradientBrush(gradient, style, cx, painter);
    }
    case FillStyle::Kind::Radial:
    case FillStyle::Kind::Focal: {
        const double focal = std::clamp<double>(style.focal, -0.98, 0.98) * GradientHalf;
        QRadialGradient gradient(QPointF(0, 0), GradientHalf, QPointF(focal, 0));
        return gradientBrush(gradient, style, cx, painter);
    }
    case FillStyle::Kind::Bitmap: {
        const QImage* image = ImageFor(style, bitmaps);
        if (!image || image->isNull()) {
            return QBrush(Qt::NoBrush);
        }
        QBrush brush(transformed(*image, cx));
        brush.setTransform(style.matrix);
        return brush;
    }
    }
    return QBrush();
}

void ShapePainter::fillBitmap(QPainter& painter, const QPainterPath& path, const FillStyle& style,
                              const ColorTransform& cx, const BitmapLookup& bitmaps) {
    const QImage* image = ImageFor(style, bitmaps);
    if (!image || image->isNull()) {
        // a missing bitmap fills with nothing rather than a default colour
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, style.smooth);
    if (style.repeat) {
        painter.fillPath(path, brushFor(style, cx, bitmaps, painter));
        return;
    }
    // A clipped bitmap: the picture once, inside the shape, and past its sides its edge
    // pixels drawn on to the shape's ends.
    bool invertible = false;
    const QTransform toBitmap = style.matrix.inverted(&invertible);
    if (!invertible) {
        return;
    }
    const QImage& picture = transformed(*image, cx);
    const double w = picture.width(), h = picture.height();
    const QRectF reach = toBitmap.mapRect(path.boundingRect());
    struct Span {
        double from, to, source, size;
    };
    const Span columns[] = {{std::max(reach.left(), -1e7), 0, 0, 1},
                            {0, w, 0, w},
                            {w, std::min(reach.right(), 1e7), w - 1, 1}};
    const Span rows[] = {{std::max(reach.top(), -1e7), 0, 0, 1},
                         {0, h, 0, h},
                         {h, std::min(reach.bottom(), 1e7), h - 1, 1}};
    painter.save();
    painter.setClipPath(path, Qt::IntersectClip);
    painter.setTransform(style.matrix * painter.transform());
    for (const Span& row : rows) {
        for (const Span& column : columns) {
            if (row.to > row.from && column.to > column.from) {
                painter.drawImage(
                    QRectF(column.from, row.from, column.to - column.from, row.to - row.from),
                    picture, QRectF(column.source, row.source, column.size, row.size));
            }
        }
    }
    painter.restore();
}

void ShapePainter::stroke(QPainter& painter, const QPainterPath& path, const LineStyle& style,
                          const ColorTransform& cx, const BitmapLookup& bitmaps) {
    QPen pen;
    if (style.hasFill && style.fill.kind != FillStyle::Kind::Solid) {
        pen.setBrush(brushFor(style.fill, cx, bitmaps, painter));
    } else {
        pen.setColor(cx.apply(style.hasFill ? style.fill.color : style.color));
    }
    pen.setCapStyle(CapOf(style.startCap));
    pen.setJoinStyle(JoinOf(style.join));
    pen.setMiterLimit(style.miterLimit);
    // Strokes keep one width along the whole outline however the shape is stretched:
    // the width follows the mean scale, or one axis, or none (stage pixels) as the style
    // asks; nothing is thinner than a pixel.
    const QTransform t = painter.transform();
    const double sx = std::hypot(t.m11(), t.m12());
    const double sy = std::hypot(t.m21(), t.m22());
    double scale = std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
    if (style.noHScale && style.noVScale) {
        scale = viewScale_;
    } else if (style.noHScale) {
        scale = sy;
    } else if (style.noVScale) {
        scale = sx;
    }
    pen.setCosmetic(true);
    const double width = std::max(1.0, style.width * scale);
    if (!style.pixelHinting) {
        pen.setWidthF(width);
        painter.strokePath(path, pen);
        return;
    }
    // Hinted lines are placed in device pixels: the outline goes to the device and the
    // brush comes along with it.
    pen.setWidthF(std::round(width));
    QBrush brush = pen.brush();
    brush.setTransform(brush.transform() * t);
    pen.setBrush(brush);
    painter.save();
    painter.resetTransform();
    painter.strokePath(SnappedToPixels(t.map(path), pen.widthF()), pen);
    painter.restore();
}

void ShapePainter::draw(QPainter& painter, const Shape& shape, const ColorTransform& cx,
                        const BitmapLookup& bitmaps) {
    for (const ShapeLayer& layer : shape.layers) {
        for (const auto& [style, path] : layer.fills) {
            if (style.kind == FillStyle::Kind::Bitmap) {
                fillBitmap(painter, path, style, cx, bitmaps);
            } else {
                painter.fillPath(path, brushFor(style, cx, bitmaps, painter));
            }
        }
        for (const auto& [style, path] : layer.lines) {
            stroke(painter, path, style, cx, bitmaps);
        }
    }
}

} // namespace quillon::engine
