#pragma once
// The small records that many tags share: colour transforms, filters, blend modes, and
// the twips that every length of a movie is counted in.

#include "player/engine/characters/Twips.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QTransform>
#include <array>
#include <vector>

namespace quillon::engine {

// The pixel rectangle of a bitmap or video picture of this size, in twips.
inline QRectF PictureRect(int width, int height) {
    return QRectF(0, 0, width * TwipsPerPixel, height * TwipsPerPixel);
}

// The blend modes a placed object is put onto what lies below with (0 reads as Normal).
namespace blend {
// Numbered as the file numbers them, from 1.
enum : int {
    Normal = 1,
    Layer,
    Multiply,
    Screen,
    Lighten,
    Darken,
    Difference,
    Add,
    Subtract,
    Invert,
    Alpha,
    Erase,
    Overlay,
    HardLight
};
} // namespace blend

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

// Numbered as the file numbers them, from 0.
enum class FilterKind : std::uint8_t {
    DropShadow,
    Blur,
    Glow,
    Bevel,
    GradientGlow,
    Convolution,
    ColorMatrix,
    GradientBevel,
    DisplacementMap // only scripts make these
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
    // Convolution: a columns x rows kernel, its sum divided by divisor plus bias; color
    // (with alpha) stands in for pixels past the edge unless clamp repeats the edge.
    int columns = 0, rows = 0;
    std::vector<float> kernel;
    double divisor = 1, bias = 0;
    bool preserveAlpha = true, clamp = true;
    // Displacement map: a map's channels (1 red, 2 green, 4 blue, 8 alpha) move pixels
    // by scale across and down; mapX/mapY place the map on the layer; mode is 0 wrap,
    // 1 clamp, 2 ignore, 3 color. The map is a premultiplied ARGB picture.
    QImage map;
    int mapX = 0, mapY = 0;
    int componentX = 0, componentY = 0;
    double scaleX = 0, scaleY = 0;
    int mode = 0;
    bool operator==(const Filter&) const = default;
};

} // namespace quillon::engine
