#include "player/engine/render/Effects.h"

#include "player/engine/render/AlphaFilters.h"
#include "player/engine/render/BoxBlur.h"
#include "player/engine/render/MapFilters.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace quillon::engine {

namespace {

using namespace blend;

void ColorMatrix(QImage& layer, const std::array<float, 20>& m) {
    for (int y = 0; y < layer.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const QColor c = QColor::fromRgba(qUnpremultiply(line[x]));
            const float in[4] = {static_cast<float>(c.red()), static_cast<float>(c.green()),
                                 static_cast<float>(c.blue()), static_cast<float>(c.alpha())};
            int out[4];
            for (int k = 0; k < 4; ++k) {
                const float* row = &m[static_cast<std::size_t>(k) * 5];
                out[k] = std::clamp(static_cast<int>(row[0] * in[0] + row[1] * in[1] +
                                                     row[2] * in[2] + row[3] * in[3] + row[4]),
                                    0, 255);
            }
            line[x] = qPremultiply(qRgba(out[0], out[1], out[2], out[3]));
        }
    }
}

// The modes Qt has no composition mode for, worked per pixel on the device image.
void ManualBlend(QImage& target, const QImage& layer, int mode) {
    const int h = std::min(target.height(), layer.height());
    const int w = std::min(target.width(), layer.width());
    for (int y = 0; y < h; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(target.scanLine(y));
        const auto* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const int sa = qAlpha(src[x]);
            if (sa == 0) {
                continue;
            }
            const QRgb d = dst[x];
            const QRgb s = src[x];
            int r, g, b;
            if (mode == Subtract) {
                // the layer is premultiplied: its own colour is taken away where it covers
                const QRgb straight = qUnpremultiply(s);
                r = std::max(0, qRed(d) - qRed(straight));
                g = std::max(0, qGreen(d) - qGreen(straight));
                b = std::max(0, qBlue(d) - qBlue(straight));
            } else { // invert
                r = qAlpha(d) - qRed(d);
                g = qAlpha(d) - qGreen(d);
                b = qAlpha(d) - qBlue(d);
            }
            // mix by the layer's coverage
            const auto mix = [&](int from, int to) { return from + (to - from) * sa / 255; };
            dst[x] = qRgba(mix(qRed(d), r), mix(qGreen(d), g), mix(qBlue(d), b), qAlpha(d));
        }
    }
}

// The alpha mode's source: pixels the object leaves fully see-through become opaque, so
// that they keep the layer below as it is; only what the object draws cuts the layer.
QImage AlphaSource(const QImage& layer) {
    QImage out = layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(line[x]) == 0) {
                line[x] = 0xffffffffu;
            }
        }
    }
    return out;
}

} // namespace

BlurBox BlurBoxOf(double size, BoxFit fit) {
    if (!(size > 1)) {
        return {}; // also for NaN
    }
    constexpr std::int64_t One = 1 << 16;
    const double half = (std::min(size, 511.0) - 1) / 2;
    // a hair of slack so sizes that are whole numbers after scaling stay whole
    const int radius =
        static_cast<int>(fit == BoxFit::Within ? std::floor(half + 1e-6) : std::ceil(half - 1e-6));
    if (fit != BoxFit::Exact) {
        return {radius, One, One};
    }
    // the end pixels count by how far the box reaches into them
    const double edge = std::clamp(half - (radius - 1), 0.0, 1.0);
    return {radius, One, std::max<std::int64_t>(1, std::llround(edge * One))};
}

int BlurPasses(int quality) {
    return std::clamp(quality, 0, 15);
}

void BoxBlur(QImage& image, double blurX, double blurY, int passes, BoxFit fit) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied) {
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    BlurPlane<4>(image.bits(), image.width(), image.height(), image.bytesPerLine(),
                 BlurBoxOf(blurX, fit), BlurBoxOf(blurY, fit), BlurPasses(passes));
}

namespace {

// The smallest rectangle holding every pixel with some alpha.
QRect DrawnBounds(const QImage& layer) {
    const int width = layer.width();
    int left = width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < layer.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        int x = 0;
        while (x < width && qAlpha(line[x]) == 0) {
            ++x;
        }
        if (x == width) {
            continue;
        }
        int last = width - 1;
        while (qAlpha(line[last]) == 0) {
            --last;
        }
        left = std::min(left, x);
        right = std::max(right, last);
        top = top < 0 ? y : top;
        bottom = y;
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The part of the layer a filter can change: what is drawn, grown by the filter's margin.
// Colour matrices, kernels and maps may colour clear pixels too, so they get the whole
// layer.
QRect Reach(const QImage& layer, const Filter& f, double scale) {
    if (f.kind == FilterKind::ColorMatrix || f.kind == FilterKind::Convolution ||
        f.kind == FilterKind::DisplacementMap) {
        return layer.rect();
    }
    const int m = FilterMargin(f, scale);
    return DrawnBounds(layer).adjusted(-m, -m, m, m).intersected(layer.rect());
}

void ApplyFilter(QImage& layer, const Filter& f, double scale, bool exact) {
    switch (f.kind) {
    case FilterKind::Blur:
        BoxBlur(layer, f.blurX * scale, f.blurY * scale, f.passes,
                exact ? BoxFit::Exact : BoxFit::Within);
        break;
    case FilterKind::DropShadow:
    case FilterKind::Glow:
    case FilterKind::GradientGlow:
        ApplyShadowOrGlow(layer, f, scale, exact);
        break;
    case FilterKind::Bevel:
    case FilterKind::GradientBevel:
        ApplyBevel(layer, f, scale, exact);
        break;
    case FilterKind::ColorMatrix:
        ColorMatrix(layer, f.matrix);
        break;
    case FilterKind::Convolution:
        ApplyConvolution(layer, f);
        break;
    case FilterKind::DisplacementMap:
        ApplyDisplacement(layer, f, scale);
        break;
    }
}

} // namespace

int FilterMargin(const Filter& f, double scale) {
    const int passes = BlurPasses(f.passes);
    const double d = std::isfinite(f.distance) ? std::abs(f.distance * scale) : 0.0;
    const int shift = static_cast<int>(std::ceil(std::min(d, 1e5))) + 1;
    const int blur = std::max(BlurBoxOf(f.blurX * scale, BoxFit::Covering).radius,
                              BlurBoxOf(f.blurY * scale, BoxFit::Covering).radius);
    return (blur + 1) * passes + shift;
}

void ApplyFilters(QImage& layer, const std::vector<Filter>& filters, double scale,
                  bool exactSizes) {
    for (const Filter& f : filters) {
        // Layers cover the whole picture; filter only the part that can change.
        const QRect reach = Reach(layer, f, scale);
        if (reach.isEmpty()) {
            continue;
        }
        if (reach == layer.rect()) {
            ApplyFilter(layer, f, scale, exactSizes);
            continue;
        }
        QImage part = layer.copy(reach);
        ApplyFilter(part, f, scale, exactSizes);
        QPainter p(&layer);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(reach.topLeft(), part);
    }
}

bool BlendNeedsLayer(int blendMode) {
    return blendMode >= Layer && blendMode <= HardLight;
}

bool BlendActsOnLayerOnly(int blendMode) {
    return blendMode == Alpha || blendMode == Erase;
}

bool BlendWorksPerPixel(int blendMode) {
    return blendMode == Subtract || blendMode == Invert;
}

namespace {

// The painter's composition for a blend mode; modes it has no composition for draw
// normally unless handled on their own.
QPainter::CompositionMode CompositionFor(int blendMode) {
    using Mode = QPainter::CompositionMode;
    static const std::map<int, Mode> Modes = {
        {Multiply, Mode::CompositionMode_Multiply},     {Screen, Mode::CompositionMode_Screen},
        {Lighten, Mode::CompositionMode_Lighten},       {Darken, Mode::CompositionMode_Darken},
        {Difference, Mode::CompositionMode_Difference}, {Add, Mode::CompositionMode_Plus},
        {Erase, Mode::CompositionMode_DestinationOut},  {Overlay, Mode::CompositionMode_Overlay},
        {HardLight, Mode::CompositionMode_HardLight}};
    const auto it = Modes.find(blendMode);
    return it == Modes.end() ? Mode::CompositionMode_SourceOver : it->second;
}

} // namespace

void CompositeLayer(QPainter& painter, const QImage& layer, int blendMode, double opacity,
                    QPoint at) {
    painter.save();
    painter.resetTransform();
    painter.setOpacity(painter.opacity() * opacity);
    if (blendMode == Alpha) {
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.drawImage(0, 0, AlphaSource(layer));
        painter.restore();
        return;
    }
    // Subtract and invert work on the device picture, which a whole-device layer lines
    // up with.
    auto* image = dynamic_cast<QImage*>(painter.device());
    if (BlendWorksPerPixel(blendMode) && image && at.isNull()) {
        painter.restore();
        ManualBlend(*image, layer, blendMode);
        return;
    }
    painter.setCompositionMode(CompositionFor(blendMode));
    painter.drawImage(at, layer);
    painter.restore();
}

} // namespace quillon::engine
