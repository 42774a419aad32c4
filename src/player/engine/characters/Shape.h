#pragma once
// Shapes as parsed (styles and edge records) and as built (filled and stroked paths
// per drawing layer).

#include "player/engine/characters/BitmapPixels.h"

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace quillon::engine {

struct GradientStop {
    float ratio = 0; // 0..1
    QColor color;
    bool operator==(const GradientStop&) const = default;
};

struct FillStyle {
    enum class Kind { Solid, Linear, Radial, Focal, Bitmap } kind = Kind::Solid;
    QColor color = Qt::black;
    QTransform matrix; // gradient square or bitmap pixels to shape twips
    std::vector<GradientStop> stops;
    int spread = 0;        // 0 pad, 1 reflect, 2 repeat
    int interpolation = 0; // 0 normal, 1 linear RGB
    float focal = 0;
    std::uint16_t bitmapId = 0;
    std::shared_ptr<const BitmapPixels> pixels; // a script's bitmap instead of the character
    bool repeat = true;
    bool smooth = true;
};

struct LineStyle {
    double width = 20; // twips
    QColor color = Qt::black;
    int startCap = 0; // 0 round, 1 none, 2 square
    int endCap = 0;
    int join = 0; // 0 round, 1 bevel, 2 miter
    double miterLimit = 3;
    bool hasFill = false;
    FillStyle fill;
    bool noHScale = false, noVScale = false;
    bool pixelHinting = false; // whole-pixel widths, ends on the pixel grid
    bool noClose = false;
};

struct StyleSet {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
};

// One record with absolute coordinates in twips.
struct ShapeRecord {
    enum class Type { Style, Straight, Curve } type = Type::Style;
    // Style change: -1 keeps the current value; styleSet >= 0 starts new styles.
    bool moveTo = false;
    int fill0 = -1, fill1 = -1, line = -1;
    int styleSet = -1;
    QPointF control; // curves only
    QPointF to;      // move target or edge end
};

struct ShapeData {
    QRectF bounds;
    std::vector<StyleSet> styleSets; // [0] is the shape's first style set
    std::vector<ShapeRecord> records;
    bool windingFill = false; // fills by the non-zero rule rather than even-odd
};

struct ShapeLayer {
    std::vector<std::pair<FillStyle, QPainterPath>> fills;
    std::vector<std::pair<LineStyle, QPainterPath>> lines;
};

struct Shape {
    QRectF bounds;
    std::vector<ShapeLayer> layers;
    std::size_t edgeCount = 0;
};

// Links the edges of each fill style into closed contours and collects the strokes.
Shape BuildShape(const ShapeData& data);

// The outline of everything a shape fills, for glyphs and masks.
QPainterPath ShapeOutline(const Shape& shape);
// Whether a point (in the shape's twips) falls inside any of its fills, each filled by
// its own rule.
bool ShapeContains(const Shape& shape, const QPointF& point);
// Whether a point lies on a line drawn along path; thin lines count one pixel wide.
bool LineContains(const LineStyle& style, const QPainterPath& path, const QPointF& point);

} // namespace quillon::engine
