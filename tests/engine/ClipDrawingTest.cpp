// What scripts draw on clips: fills closing their contours, layers in drawing order,
// bounds with and without lines, and the caps on hostile drawings.

#include "player/engine/display/ClipDrawing.h"

#include <QPainterPathStroker>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace quillon::engine;

namespace {

DrawCommand At(DrawCommand::Op op, double x, double y) {
    DrawCommand c;
    c.op = op;
    c.points[0] = x;
    c.points[1] = y;
    return c;
}

DrawCommand Fill(std::uint32_t argb) {
    DrawCommand c;
    c.op = DrawCommand::Op::BeginFill;
    c.paint.argb = argb;
    return c;
}

DrawCommand Line(double width) {
    DrawCommand c;
    c.op = DrawCommand::Op::LineStyle;
    c.line.none = false;
    c.line.width = width;
    return c;
}

// A square of side `size` twips at the origin, drawn with the pen.
void Square(ClipDrawing& d, double size) {
    d.apply(At(DrawCommand::Op::MoveTo, 0, 0));
    d.apply(At(DrawCommand::Op::LineTo, size, 0));
    d.apply(At(DrawCommand::Op::LineTo, size, size));
    d.apply(At(DrawCommand::Op::LineTo, 0, size));
}

std::shared_ptr<std::int64_t> Budget() {
    return std::make_shared<std::int64_t>(0);
}

} // namespace

TEST(ClipDrawing, AnOpenFillIsClosedAndEndFillStartsANewLayer) {
    ClipDrawing d(Budget());
    d.apply(Fill(0xffff0000));
    Square(d, 200); // three edges: the fourth closes it
    ASSERT_EQ(d.shape().layers.size(), 1u);
    const QPainterPath& path = d.shape().layers[0].fills[0].second;
    EXPECT_TRUE(path.contains(QPointF(100, 100)));
    EXPECT_FALSE(path.contains(QPointF(300, 100)));
    d.apply(At(DrawCommand::Op::EndFill, 0, 0));
    d.apply(Line(20));
    d.apply(At(DrawCommand::Op::LineTo, 400, 400));
    d.apply(Fill(0xff0000ff));
    Square(d, 100);
    // the red fill, then the line, then the blue fill over it
    ASSERT_EQ(d.shape().layers.size(), 3u);
    EXPECT_EQ(d.shape().layers[1].lines.size(), 1u);
    EXPECT_EQ(d.shape().layers[2].fills[0].first.color, QColor(0, 0, 255));
}

TEST(ClipDrawing, EndFillStrokesTheLineThatClosesAnOpenContour) {
    struct Case {
        bool filled, stroked, closedByHand;
        std::int64_t edges; // counted edges after endFill
        bool leftEdgeStroked;
        const char* why;
    };
    const Case cases[] = {
        {true, true, false, 4, true, "the closing line is drawn with the line style"},
        {true, true, true, 4, true, "a contour closed by hand gets no second line"},
        {false, true, false, 3, false, "lines alone are never closed"},
        {true, false, false, 3, false, "no line style: the fill closes without a line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ClipDrawing d(Budget());
        if (c.stroked) {
            d.apply(Line(20));
        }
        if (c.filled) {
            d.apply(Fill(0xffff0000));
        }
        Square(d, 200);
        if (c.closedByHand) {
            d.apply(At(DrawCommand::Op::LineTo, 0, 0));
        }
        d.apply(At(DrawCommand::Op::EndFill, 0, 0));
        EXPECT_EQ(d.edges(), c.edges);
        bool left = false;
        for (const ShapeLayer& layer : d.shape().layers) {
            for (const auto& [style, path] : layer.lines) {
                QPainterPathStroker stroker;
                stroker.setWidth(style.width);
                left = left || stroker.createStroke(path).contains(QPointF(0, 100));
            }
        }
        EXPECT_EQ(left, c.leftEdgeStroked);
    }
}

TEST(ClipDrawing, BoundsTakeHalfTheLineWidthOnlyWhenAsked) {
    ClipDrawing d(Budget());
    d.apply(Line(40));
    d.apply(At(DrawCommand::Op::MoveTo, 100, 100));
    d.apply(At(DrawCommand::Op::LineTo, 300, 100));
    EXPECT_EQ(d.bounds(false), QRectF(100, 100, 200, 0));
    EXPECT_EQ(d.bounds(true), QRectF(80, 80, 240, 40));
}

TEST(ClipDrawing, NonNumbersAreDroppedAndNothingIsDrawnWithoutStyles) {
    ClipDrawing d(Budget());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(d.apply(At(DrawCommand::Op::LineTo, nan, 0)));
    EXPECT_TRUE(d.apply(At(DrawCommand::Op::LineTo, 10, 10)));
    EXPECT_TRUE(d.shape().layers.empty());
}

TEST(ClipDrawing, CurvesStayInsideTheirControlHull) {
    ClipDrawing d(Budget());
    d.apply(Fill(0xff000000));
    DrawCommand curve;
    curve.op = DrawCommand::Op::CurveTo;
    curve.points = {100, 200, 200, 0, 0, 0};
    d.apply(curve);
    const QRectF b = d.bounds(false);
    EXPECT_NEAR(b.bottom(), 100, 0.5); // a quadratic reaches half way to its control
    EXPECT_NEAR(b.right(), 200, 0.5);
}

TEST(ClipDrawing, EdgesAreCappedPerDrawingAndPerMovie) {
    auto budget = Budget();
    {
        ClipDrawing d(budget);
        int accepted = 0;
        for (std::int64_t i = 0; i < MaxDrawingEdges + 10; ++i) {
            accepted += d.apply(At(DrawCommand::Op::LineTo, static_cast<double>(i % 7), 0));
        }
        EXPECT_EQ(accepted, MaxDrawingEdges);
        EXPECT_EQ(*budget, MaxDrawingEdges);
        ClipDrawing copy(d);
        EXPECT_EQ(*budget, 2 * MaxDrawingEdges);
    }
    EXPECT_EQ(*budget, 0); // drawings that go give their edges back
    *budget = MaxMovieDrawingEdges;
    ClipDrawing late(budget);
    EXPECT_FALSE(late.apply(At(DrawCommand::Op::LineTo, 1, 1)));
}

TEST(ClipDrawing, GradientPaintBecomesAFillStyle) {
    DrawPaint paint;
    paint.kind = DrawPaint::Kind::Radial;
    paint.focal = std::numeric_limits<double>::quiet_NaN();
    paint.stops = {{0, 0xffff0000}, {300, 0x800000ff}};
    paint.matrix = GradientBoxOf(100, 50, 0, 10, 20);
    const FillStyle style = FillStyleOf(paint);
    EXPECT_EQ(style.kind, FillStyle::Kind::Radial); // no focal point from a non-number
    ASSERT_EQ(style.stops.size(), 2u);
    EXPECT_FLOAT_EQ(style.stops[1].ratio, 1.0f);
    EXPECT_EQ(style.stops[1].color.alpha(), 0x80);
    // the square's corner (16384, 16384) lands on the box's corner, in twips
    const QPointF corner = style.matrix.map(QPointF(16384, 16384));
    EXPECT_NEAR(corner.x(), 2200, 1e-6);
    EXPECT_NEAR(corner.y(), 1400, 1e-6);
}
