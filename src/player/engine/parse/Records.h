#pragma once
// The small records that many tags share: rectangles, matrices, colours, colour
// transforms and filters, with their readers.

#include "player/engine/parse/BitReader.h"

#include <QColor>
#include <QRectF>
#include <QTransform>
#include <array>
#include <vector>

namespace quillon::engine {

// Colour = colour * mult + add, per channel, adds in 0..255 units.
struct ColorTransform {
    float rm = 1, gm = 1, bm = 1, am = 1;
    float ra = 0, ga = 0, ba = 0, aa = 0;

    bool isIdentity() const {
        return rm == 1 && gm == 1 && bm == 1 && am == 1 && ra == 0 && ga == 0 && ba == 0 && aa == 0;
    }
    QColor apply(const QColor& color) const;
    // This transform applied after inner.
    ColorTransform after(const ColorTransform& inner) const;
    bool operator==(const ColorTransform&) const = default;
};

enum class FilterKind : std::uint8_t {
    DropShadow = 0,
    Blur = 1,
    Glow = 2,
    Bevel = 3,
    GradientGlow = 4,
    Convolution = 5,
    ColorMatrix = 6,
    GradientBevel = 7
};

// A colour ramp of the gradient glow and bevel: colours at ratios 0..255.
struct FilterStop {
    int ratio = 0;
    QColor color;
    bool operator==(const FilterStop&) const = default;
};

struct Filter {
    FilterKind kind = FilterKind::Blur;
    QColor color;     // shadows and glows; the dark side of a bevel
    QColor highlight; // the lit side of a bevel
    double blurX = 0, blurY = 0;
    double angle = 0, distance = 0;
    double strength = 1;
    bool inner = false, knockout = false, compositeSource = true;
    bool onTop = false; // bevels drawn both inside and outside the edge
    int passes = 1;
    std::array<float, 20> matrix{};
    std::vector<FilterStop> ramp; // gradient glow and bevel
};

QRectF ReadRect(BitReader& in);
QTransform ReadMatrix(BitReader& in);
QColor ReadRgb(BitReader& in);
QColor ReadRgba(BitReader& in);
ColorTransform ReadColorTransform(BitReader& in, bool withAlpha);
std::vector<Filter> ReadFilterList(BitReader& in);

} // namespace quillon::engine
