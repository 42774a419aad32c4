#pragma once
// One step of a drawing a script makes on a clip, in plain terms: the display side turns
// these into the shapes it draws, and the scripts need not know how.

#include "player/engine/characters/BitmapPixels.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace quillon::engine {

// a, b, c, d, tx, ty: x' = a x + c y + tx, y' = b x + d y + ty.
using DrawMatrix = std::array<double, 6>;
inline constexpr DrawMatrix IdentityDrawMatrix{1, 0, 0, 1, 0, 0};

struct DrawGradientStop {
    double ratio = 0;       // 0..255
    std::uint32_t argb = 0; // alpha in the top byte
};

struct DrawPaint {
    enum class Kind { Solid, Linear, Radial, Bitmap } kind = Kind::Solid;
    std::uint32_t argb = 0xff000000;
    // Gradients: the matrix maps the square from -16384 to 16384 onto twips.
    std::vector<DrawGradientStop> stops;
    int spread = 0;        // 0 pad, 1 reflect, 2 repeat
    int interpolation = 0; // 0 normal, 1 linear RGB
    double focal = 0;      // -1..1, radial only
    // Bitmaps: the matrix maps bitmap pixels onto twips. A script's pixels, when set,
    // stand in for the character and are drawn as they are at the time of drawing.
    std::uint16_t bitmapId = 0;
    std::shared_ptr<const BitmapPixels> pixels;
    bool repeat = true, smooth = false;
    DrawMatrix matrix = IdentityDrawMatrix;
};

struct DrawLine {
    bool none = true; // no line: edges drawn from now on are not stroked
    double width = 0; // twips; 0 is a hairline
    std::uint32_t argb = 0xff000000;
    bool pixelHinting = false;
    bool noHScale = false, noVScale = false;
    int caps = 0;   // 0 round, 1 none, 2 square
    int joints = 0; // 0 round, 1 bevel, 2 miter
    double miterLimit = 3;
};

struct DrawCommand {
    enum class Op {
        LineStyle, // line
        LinePaint, // paint: a gradient or bitmap for the current line
        BeginFill, // paint
        EndFill,
        MoveTo,       // points[0]
        LineTo,       // points[0]
        CurveTo,      // points[0] control, points[1] anchor
        CubicCurveTo, // points[0], points[1] controls, points[2] anchor
        FillRule,     // nonZero: how the fill being drawn covers where contours cross
    } op = Op::MoveTo;
    std::array<double, 6> points{}; // x, y pairs in twips
    bool nonZero = false;           // the non-zero rule rather than even-odd
    DrawPaint paint;
    DrawLine line;
};

} // namespace quillon::engine

namespace quillon::engine {

// Gradient stops a paint keeps; more are left out as the format allows no more.
inline constexpr std::size_t MaxDrawGradientStops = 15;

// A script's matrix (pixels) as a paint's matrix on twips: gradients map their square of
// -819.2 to 819.2 pixels, bitmaps their pixels.
inline DrawMatrix GradientMatrixOf(double a, double b, double c, double d, double tx, double ty) {
    return {a, b, c, d, tx * 20, ty * 20};
}
inline DrawMatrix BitmapMatrixOf(double a, double b, double c, double d, double tx, double ty) {
    return {a * 20, b * 20, c * 20, d * 20, tx * 20, ty * 20};
}
// The gradient matrix that stretches the square over a box (pixels); the rotation
// (radians) turns the gradient inside the box, which it then fills.
inline DrawMatrix GradientBoxOf(double width, double height, double rotation, double x, double y) {
    const double sx = width / 1638.4, sy = height / 1638.4;
    const double cos = std::cos(rotation), sin = std::sin(rotation);
    return GradientMatrixOf(cos * sx, sin * sy, -sin * sx, cos * sy, x + width / 2, y + height / 2);
}

} // namespace quillon::engine
