#include "player/engine/render/AlphaFilters.h"

#include "player/engine/render/BoxBlur.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quillon::engine {

namespace {

// One byte of coverage per pixel.
struct Plane {
    int width = 0, height = 0;
    std::vector<std::uint8_t> values;

    int at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return 0;
        }
        return values[static_cast<std::size_t>(y) * width + x];
    }
};

Plane AlphaOf(const QImage& layer, QPoint shift = {}) {
    Plane out{layer.width(), layer.height(), {}};
    out.values.assign(static_cast<std::size_t>(out.width) * out.height, 0);
    for (int y = 0; y < out.height; ++y) {
        const int sy = y - shift.y();
        if (sy < 0 || sy >= out.height) {
            continue;
        }
        const auto* in = reinterpret_cast<const QRgb*>(layer.constScanLine(sy));
        std::uint8_t* line = &out.values[static_cast<std::size_t>(y) * out.width];
        for (int x = std::max(0, shift.x()); x < out.width && x - shift.x() < out.width; ++x) {
            line[x] = static_cast<std::uint8_t>(qAlpha(in[x - shift.x()]));
        }
    }
    return out;
}

void Blur(Plane& plane, const Filter& f, double scale, BoxFit fit) {
    BlurPlane<1>(plane.values.data(), plane.width, plane.height, plane.width,
                 BlurBoxOf(f.blurX * scale, fit), BlurBoxOf(f.blurY * scale, fit),
                 BlurPasses(f.passes));
}

QRgb Premultiplied(const QColor& color, int alpha) {
    const int a = alpha * color.alpha() / 255;
    return qRgba(color.red() * a / 255, color.green() * a / 255, color.blue() * a / 255, a);
}

// 256 premultiplied colours along a filter's ramp, straight colours mixed between stops.
std::array<QRgb, 256> RampTable(const std::vector<FilterStop>& ramp) {
    std::array<QRgb, 256> table{};
    if (ramp.empty()) {
        return table;
    }
    std::size_t next = 0;
    for (int i = 0; i < 256; ++i) {
        while (next < ramp.size() && ramp[next].ratio < i) {
            ++next;
        }
        QColor c;
        if (next == 0) {
            c = ramp.front().color;
        } else if (next == ramp.size()) {
            c = ramp.back().color;
        } else {
            const FilterStop& a = ramp[next - 1];
            const FilterStop& b = ramp[next];
            const double t = b.ratio == a.ratio ? 1.0 : double(i - a.ratio) / (b.ratio - a.ratio);
            const auto mix = [t](int from, int to) {
                return static_cast<int>(std::lround(from + (to - from) * t));
            };
            c = QColor(mix(a.color.red(), b.color.red()), mix(a.color.green(), b.color.green()),
                       mix(a.color.blue(), b.color.blue()), mix(a.color.alpha(), b.color.alpha()));
        }
        table[static_cast<std::size_t>(i)] = Premultiplied(c, 255);
    }
    return table;
}

QRgb Scaled(QRgb px, int alpha) {
    if (alpha >= 255) {
        return px;
    }
    return qRgba(qRed(px) * alpha / 255, qGreen(px) * alpha / 255, qBlue(px) * alpha / 255,
                 qAlpha(px) * alpha / 255);
}

QRgb Over(QRgb top, QRgb bottom) {
    const int rest = 255 - qAlpha(top);
    if (rest == 0) {
        return top;
    }
    const auto ch = [rest](int t, int b) { return t + (b * rest + 127) / 255; };
    return qRgba(ch(qRed(top), qRed(bottom)), ch(qGreen(top), qGreen(bottom)),
                 ch(qBlue(top), qBlue(bottom)), ch(qAlpha(top), qAlpha(bottom)));
}

// Puts effect pixels together with the layer: over it (inner and full effects), under it
// (outer), or alone when the source is knocked out or left out.
void Composite(QImage& layer, const std::vector<QRgb>& effect, bool onTop, bool withSource) {
    const int w = layer.width();
    for (int y = 0; y < layer.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        const QRgb* fx = &effect[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) {
            if (!withSource) {
                line[x] = fx[x];
            } else if (onTop) {
                line[x] = Over(fx[x], line[x]);
            } else {
                line[x] = Over(line[x], fx[x]);
            }
        }
    }
}

QPoint Offset(const Filter& f, double scale) {
    const double d =
        std::isfinite(f.distance * scale) ? std::clamp(f.distance * scale, -1e5, 1e5) : 0.0;
    const double a = std::isfinite(f.angle) ? f.angle : 0.0;
    return QPoint(static_cast<int>(std::lround(std::cos(a) * d)),
                  static_cast<int>(std::lround(std::sin(a) * d)));
}

} // namespace

void ApplyShadowOrGlow(QImage& layer, const Filter& f, double scale, bool exact) {
    const bool gradient = f.kind == FilterKind::GradientGlow;
    const std::array<QRgb, 256> ramp = RampTable(f.ramp);
    const QColor solid = f.color.isValid() ? f.color : QColor(Qt::black);
    // The shape moved along the angle and blurred; inner kinds use the uncovered part.
    Plane cover = AlphaOf(layer, Offset(f, scale));
    const BoxFit fit = f.kind == FilterKind::DropShadow ? BoxFit::Within : BoxFit::Covering;
    Blur(cover, f, scale, exact ? BoxFit::Exact : fit);
    const Plane source = f.inner || f.knockout ? AlphaOf(layer) : Plane{};
    const int w = layer.width();
    std::vector<QRgb> effect(static_cast<std::size_t>(w) * layer.height(), 0);
    for (int y = 0; y < layer.height(); ++y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            int v = cover.values[i];
            if (f.inner) {
                v = (255 - v) * source.values[i] / 255;
            }
            const int t = std::clamp(static_cast<int>(std::lround(v * f.strength)), 0, 255);
            if (t == 0) {
                continue; // a ramp reaches no further than the effect
            }
            effect[i] = gradient ? ramp[static_cast<std::size_t>(t)] : Premultiplied(solid, t);
        }
    }
    if (f.inner) {
        Composite(layer, effect, true, f.compositeSource && !f.knockout);
        return;
    }
    if (f.knockout) {
        for (std::size_t i = 0; i < effect.size(); ++i) {
            effect[i] = Scaled(effect[i], 255 - source.values[i]);
        }
    }
    Composite(layer, effect, false, f.compositeSource && !f.knockout);
}

void ApplyBevel(QImage& layer, const Filter& f, double scale, bool exact) {
    const bool gradient = f.kind == FilterKind::GradientBevel;
    const std::array<QRgb, 256> ramp = RampTable(f.ramp);
    const Plane source = AlphaOf(layer);
    Plane blurred = source;
    Blur(blurred, f, scale, exact ? BoxFit::Exact : BoxFit::Within);
    // The edge facing away from the light has the shape on the lit side of it and none on the
    // far side: the difference of the blurred shape seen both ways along the angle.
    const QPoint off = Offset(f, scale);
    const bool inner = f.inner && !f.onTop;
    const bool outer = !f.inner && !f.onTop;
    const int w = layer.width();
    std::vector<QRgb> effect(static_cast<std::size_t>(w) * layer.height(), 0);
    for (int y = 0; y < layer.height(); ++y) {
        for (int x = 0; x < w; ++x) {
            const int lit = blurred.at(x - off.x(), y - off.y());
            const int far = blurred.at(x + off.x(), y + off.y());
            if (lit == 0 && far == 0) {
                continue;
            }
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            const double v = (lit - far) * f.strength; // > 0: shadow, < 0: highlight
            QRgb px;
            if (gradient) {
                px = ramp[static_cast<std::size_t>(
                    std::clamp(static_cast<int>(std::lround((255 + v) / 2)), 0, 255))];
            } else if (v > 0) {
                px = Premultiplied(f.color, std::min(255, static_cast<int>(std::lround(v))));
            } else {
                px = Premultiplied(f.highlight, std::min(255, static_cast<int>(std::lround(-v))));
            }
            if (inner) {
                px = Scaled(px, source.values[i]);
            } else if (outer) {
                px = Scaled(px, 255 - source.values[i]);
            }
            effect[i] = px;
        }
    }
    Composite(layer, effect, !outer, f.compositeSource && !f.knockout);
}

} // namespace quillon::engine
