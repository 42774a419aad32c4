#include "Effects.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon::engine {

namespace {

enum Blend {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

// One pass of a box blur along rows (horizontal) of a premultiplied image.
void BlurLine(QRgb* line, int count, std::ptrdiff_t step, int radius, std::vector<QRgb>& scratch) {
    if (radius <= 0 || count <= 0) {
        return;
    }
    scratch.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        scratch[static_cast<std::size_t>(i)] = line[i * step];
    }
    const int window = 2 * radius + 1;
    long sums[4] = {0, 0, 0, 0};
    const auto add = [&](int i, int sign) {
        if (i < 0 || i >= count) {
            return;
        }
        const QRgb p = scratch[static_cast<std::size_t>(i)];
        sums[0] += sign * static_cast<long>(qAlpha(p));
        sums[1] += sign * static_cast<long>(qRed(p));
        sums[2] += sign * static_cast<long>(qGreen(p));
        sums[3] += sign * static_cast<long>(qBlue(p));
    };
    for (int i = -radius; i <= radius; ++i) {
        add(i, 1);
    }
    for (int i = 0; i < count; ++i) {
        line[i * step] =
            qRgba(static_cast<int>(sums[1] / window), static_cast<int>(sums[2] / window),
                  static_cast<int>(sums[3] / window), static_cast<int>(sums[0] / window));
        add(i - radius, -1);
        add(i + radius + 1, 1);
    }
}

QImage Tinted(const QImage& source, const QColor& color, double strength) {
    QImage out(source.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int a =
                std::clamp(static_cast<int>(qAlpha(in[x]) * color.alphaF() * strength), 0, 255);
            line[x] =
                qRgba(color.red() * a / 255, color.green() * a / 255, color.blue() * a / 255, a);
        }
    }
    return out;
}

QImage Moved(const QImage& image, QPointF offset) {
    if (offset.isNull()) {
        return image;
    }
    QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.drawImage(offset, image);
    return out;
}

// Inner shadows and glows: the tint where the blurred layer thins out, inside the layer.
QImage InnerGlow(const QImage& layer, const QImage& blurred, const QColor& color, double strength) {
    QImage out(layer.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < layer.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        const auto* blur = reinterpret_cast<const QRgb*>(blurred.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const double inside = qAlpha(src[x]) / 255.0;
            const double edge = std::clamp((1.0 - qAlpha(blur[x]) / 255.0) * strength, 0.0, 1.0);
            const int a = static_cast<int>(std::lround(inside * edge * color.alpha()));
            line[x] =
                qRgba(color.red() * a / 255, color.green() * a / 255, color.blue() * a / 255, a);
        }
    }
    return out;
}

// Shadows and glows: the layer's alpha, tinted, blurred, moved, under the layer (or inside
// it for the inner kinds); knockout keeps the effect alone.
void ShadowOrGlow(QImage& layer, const Filter& f, double scale, bool shadow) {
    QPointF offset;
    if (shadow) {
        offset = QPointF(std::cos(f.angle), std::sin(f.angle)) * f.distance * scale;
    }
    QImage out(layer.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    if (f.inner) {
        QImage blurred = Moved(layer, offset);
        BoxBlur(blurred, f.blurX * scale, f.blurY * scale, std::max(1, f.passes));
        const QImage glow = InnerGlow(layer, blurred, f.color, f.strength);
        if (!f.knockout && f.compositeSource) {
            p.drawImage(0, 0, layer);
        }
        p.drawImage(0, 0, glow);
        p.end();
        layer = out;
        return;
    }
    QImage glow = Tinted(layer, f.color, 1.0);
    BoxBlur(glow, f.blurX * scale, f.blurY * scale, std::max(1, f.passes));
    if (f.strength != 1.0) {
        for (int y = 0; y < glow.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(glow.scanLine(y));
            for (int x = 0; x < glow.width(); ++x) {
                const QRgb px = line[x];
                const auto st = [&](int v) {
                    return std::clamp(static_cast<int>(v * f.strength), 0, 255);
                };
                line[x] = qRgba(st(qRed(px)), st(qGreen(px)), st(qBlue(px)), st(qAlpha(px)));
            }
        }
    }
    p.drawImage(offset, glow);
    if (f.knockout) {
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.drawImage(0, 0, layer);
    } else if (f.compositeSource) {
        p.drawImage(0, 0, layer);
    }
    p.end();
    layer = out;
}

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

void BoxBlur(QImage& image, double blurX, double blurY, int passes) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied) {
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    const int rx = std::clamp(static_cast<int>(std::lround((blurX - 1) / 2)), 0, 255);
    const int ry = std::clamp(static_cast<int>(std::lround((blurY - 1) / 2)), 0, 255);
    passes = std::clamp(passes, 1, 15);
    std::vector<QRgb> scratch;
    const std::ptrdiff_t stride = image.bytesPerLine() / 4;
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < image.height() && rx > 0; ++y) {
            BlurLine(bits + y * stride, image.width(), 1, rx, scratch);
        }
        for (int x = 0; x < image.width() && ry > 0; ++x) {
            BlurLine(bits + x, image.height(), stride, ry, scratch);
        }
    }
}

void ApplyFilters(QImage& layer, const std::vector<Filter>& filters, double scale) {
    for (const Filter& f : filters) {
        switch (f.kind) {
        case FilterKind::Blur:
            BoxBlur(layer, f.blurX * scale, f.blurY * scale, f.passes);
            break;
        case FilterKind::DropShadow:
            ShadowOrGlow(layer, f, scale, true);
            break;
        case FilterKind::Glow:
        case FilterKind::GradientGlow:
            ShadowOrGlow(layer, f, scale, false);
            break;
        case FilterKind::ColorMatrix:
            ColorMatrix(layer, f.matrix);
            break;
        default:
            break; // bevels and convolutions: the layer is shown unfiltered
        }
    }
}

bool BlendNeedsLayer(int blendMode) {
    return blendMode >= Layer && blendMode <= HardLight;
}

bool BlendActsOnLayerOnly(int blendMode) {
    return blendMode == Alpha || blendMode == Erase;
}

void CompositeLayer(QPainter& painter, const QImage& layer, int blendMode, double opacity) {
    painter.save();
    painter.resetTransform();
    painter.setOpacity(painter.opacity() * opacity);
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (blendMode) {
    case Multiply:
        mode = QPainter::CompositionMode_Multiply;
        break;
    case Screen:
        mode = QPainter::CompositionMode_Screen;
        break;
    case Lighten:
        mode = QPainter::CompositionMode_Lighten;
        break;
    case Darken:
        mode = QPainter::CompositionMode_Darken;
        break;
    case Difference:
        mode = QPainter::CompositionMode_Difference;
        break;
    case Add:
        mode = QPainter::CompositionMode_Plus;
        break;
    case Erase:
        mode = QPainter::CompositionMode_DestinationOut;
        break;
    case Alpha:
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.drawImage(0, 0, AlphaSource(layer));
        painter.restore();
        return;
    case Overlay:
        mode = QPainter::CompositionMode_Overlay;
        break;
    case HardLight:
        mode = QPainter::CompositionMode_HardLight;
        break;
    case Subtract:
    case Invert:
        if (auto* image = dynamic_cast<QImage*>(painter.device())) {
            painter.restore();
            ManualBlend(*image, layer, blendMode);
            return;
        }
        break;
    default:
        break;
    }
    painter.setCompositionMode(mode);
    painter.drawImage(0, 0, layer);
    painter.restore();
}

} // namespace quillon::engine
