#include "ShapePainter.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>

namespace quillon::engine {

namespace {

constexpr double GradientHalf = 16384.0;

double ToLinear(double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
double FromLinear(double v) {
    return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

QColor MixLinear(const QColor& a, const QColor& b, double t) {
    const auto mix = [&](double x, double y) {
        return FromLinear(ToLinear(x) + (ToLinear(y) - ToLinear(x)) * t);
    };
    return QColor::fromRgbF(static_cast<float>(mix(a.redF(), b.redF())),
                            static_cast<float>(mix(a.greenF(), b.greenF())),
                            static_cast<float>(mix(a.blueF(), b.blueF())),
                            static_cast<float>(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor Mix(const QColor& a, const QColor& b, double t, bool linear) {
    if (linear) {
        return MixLinear(a, b, t);
    }
    const auto mix = [&](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()),
                  mix(a.alpha(), b.alpha()));
}

// The colour at t as movies expect it even when ratios repeat or fall: the first pair of
// stops whose ratios enclose t decides; before the first stop its colour, past all of
// them the last one's.
QColor ColorAt(const std::vector<GradientStop>& stops, double t, bool linear) {
    if (t <= stops.front().ratio) {
        return stops.front().color;
    }
    for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
        const double a = stops[i].ratio, b = stops[i + 1].ratio;
        if (a <= t && t <= b) {
            return b == a ? stops[i + 1].color
                          : Mix(stops[i].color, stops[i + 1].color, (t - a) / (b - a), linear);
        }
    }
    return stops.back().color;
}

bool StrictlyRising(const std::vector<GradientStop>& stops) {
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (stops[i].ratio <= stops[i - 1].ratio) {
            return false;
        }
    }
    return true;
}

QGradientStops StopsFor(const FillStyle& style, const ColorTransform& cx) {
    QGradientStops stops;
    if (style.stops.empty()) {
        stops.append({0.0, QColor(0, 0, 0, 0)});
        return stops;
    }
    const bool linear = style.interpolation == 1;
    if (StrictlyRising(style.stops) && !linear) {
        for (const GradientStop& stop : style.stops) {
            stops.append({stop.ratio, cx.apply(stop.color)});
        }
        return stops;
    }
    constexpr int Samples = 256;
    for (int i = 0; i < Samples; ++i) {
        const double t = i / double(Samples - 1);
        stops.append({t, cx.apply(ColorAt(style.stops, t, linear))});
    }
    return stops;
}

QGradient::Spread SpreadOf(int spread) {
    return spread == 1 ? QGradient::ReflectSpread
                       : (spread == 2 ? QGradient::RepeatSpread : QGradient::PadSpread);
}

Qt::PenCapStyle CapOf(int cap) {
    return cap == 1 ? Qt::FlatCap : (cap == 2 ? Qt::SquareCap : Qt::RoundCap);
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

QBrush ShapePainter::brushFor(const FillStyle& style, const ColorTransform& cx,
                              const BitmapLookup& bitmaps) {
    switch (style.kind) {
    case FillStyle::Kind::Solid:
        return QBrush(cx.apply(style.color));
    case FillStyle::Kind::Linear: {
        QLinearGradient gradient(-GradientHalf, 0, GradientHalf, 0);
        gradient.setStops(StopsFor(style, cx));
        gradient.setSpread(SpreadOf(style.spread));
        gradient.setInterpolationMode(QGradient::ComponentInterpolation);
        QBrush brush(gradient);
        brush.setTransform(style.matrix);
        return brush;
    }
    case FillStyle::Kind::Radial:
    case FillStyle::Kind::Focal: {
        const double focal = std::clamp<double>(style.focal, -0.98, 0.98) * GradientHalf;
        QRadialGradient gradient(QPointF(0, 0), GradientHalf, QPointF(focal, 0));
        gradient.setStops(StopsFor(style, cx));
        gradient.setSpread(SpreadOf(style.spread));
        gradient.setInterpolationMode(QGradient::ComponentInterpolation);
        QBrush brush(gradient);
        brush.setTransform(style.matrix);
        return brush;
    }
    case FillStyle::Kind::Bitmap: {
        const QImage* image = bitmaps(style.bitmapId);
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
    const QImage* image = bitmaps(style.bitmapId);
    if (!image || image->isNull()) {
        // a missing bitmap fills with nothing rather than a default colour
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, style.smooth);
    if (style.repeat) {
        painter.fillPath(path, brushFor(style, cx, bitmaps));
        return;
    }
    // A clipped bitmap: the picture once, inside the shape.
    painter.save();
    painter.setClipPath(path, Qt::IntersectClip);
    painter.setTransform(style.matrix * painter.transform());
    painter.drawImage(QPointF(0, 0), transformed(*image, cx));
    painter.restore();
}

void ShapePainter::stroke(QPainter& painter, const QPainterPath& path, const LineStyle& style,
                          const ColorTransform& cx, const BitmapLookup& bitmaps) {
    QPen pen;
    if (style.hasFill && style.fill.kind != FillStyle::Kind::Solid) {
        pen.setBrush(brushFor(style.fill, cx, bitmaps));
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
    pen.setWidthF(std::max(1.0, style.width * scale));
    painter.strokePath(path, pen);
}

void ShapePainter::draw(QPainter& painter, const Shape& shape, const ColorTransform& cx,
                        const BitmapLookup& bitmaps) {
    for (const ShapeLayer& layer : shape.layers) {
        for (const auto& [style, path] : layer.fills) {
            if (style.kind == FillStyle::Kind::Bitmap) {
                fillBitmap(painter, path, style, cx, bitmaps);
            } else {
                painter.fillPath(path, brushFor(style, cx, bitmaps));
            }
        }
        for (const auto& [style, path] : layer.lines) {
            stroke(painter, path, style, cx, bitmaps);
        }
    }
}

} // namespace quillon::engine
