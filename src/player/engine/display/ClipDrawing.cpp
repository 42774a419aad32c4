#include "player/engine/display/ClipDrawing.h"

#include <cmath>

namespace quillon::engine {

namespace {

QPointF PointAt(const DrawCommand& c, int i) {
    return QPointF(c.points[static_cast<std::size_t>(2 * i)],
                   c.points[static_cast<std::size_t>(2 * i + 1)]);
}

QColor ColorOf(std::uint32_t argb) {
    return QColor::fromRgba(argb);
}

// Values the painting would choke on become nothing: a non-number is 0.
double Sane(double v) {
    return std::isfinite(v) ? std::clamp(v, -1e9, 1e9) : 0;
}

QTransform TransformOf(const DrawMatrix& m) {
    return QTransform(Sane(m[0]), Sane(m[1]), Sane(m[2]), Sane(m[3]), Sane(m[4]), Sane(m[5]));
}

bool Finite(const DrawCommand& c) {
    for (double v : c.points) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

} // namespace

FillStyle FillStyleOf(const DrawPaint& paint) {
    FillStyle style;
    style.color = ColorOf(paint.argb);
    style.matrix = TransformOf(paint.matrix);
    switch (paint.kind) {
    case DrawPaint::Kind::Solid:
        style.kind = FillStyle::Kind::Solid;
        break;
    case DrawPaint::Kind::Linear:
    case DrawPaint::Kind::Radial:
        style.kind =
            paint.kind == DrawPaint::Kind::Linear
                ? FillStyle::Kind::Linear
                : (Sane(paint.focal) != 0 ? FillStyle::Kind::Focal : FillStyle::Kind::Radial);
        for (const DrawGradientStop& s : paint.stops) {
            style.stops.push_back(
                {static_cast<float>(std::clamp(Sane(s.ratio), 0.0, 255.0) / 255.0),
                 ColorOf(s.argb)});
        }
        style.spread = paint.spread;
        style.interpolation = paint.interpolation;
        style.focal = static_cast<float>(std::clamp(Sane(paint.focal), -1.0, 1.0));
        break;
    case DrawPaint::Kind::Bitmap:
        style.kind = FillStyle::Kind::Bitmap;
        style.bitmapId = paint.bitmapId;
        style.pixels = paint.pixels;
        style.repeat = paint.repeat;
        style.smooth = paint.smooth;
        break;
    }
    return style;
}

LineStyle LineStyleOf(const DrawLine& line) {
    LineStyle style;
    style.width = std::isfinite(line.width) ? std::clamp(line.width, 0.0, 255.0 * 20) : 0;
    style.color = ColorOf(line.argb);
    style.startCap = style.endCap = line.caps;
    style.join = line.joints;
    style.miterLimit = std::isfinite(line.miterLimit) ? std::clamp(line.miterLimit, 1.0, 255.0) : 3;
    style.pixelHinting = line.pixelHinting;
    style.noHScale = line.noHScale;
    style.noVScale = line.noVScale;
    return style;
}

ClipDrawing::ClipDrawing(const ClipDrawing& other)
    : budget_(other.budget_), edges_(other.edges_), done_(other.done_), pending_(other.pending_),
      stroking_(other.stroking_), lineOpen_(other.lineOpen_), line_(other.line_), pen_(other.pen_),
      contourStart_(other.contourStart_) {
    *budget_ += edges_;
}

ClipDrawing::~ClipDrawing() {
    *budget_ -= edges_;
}

bool ClipDrawing::countEdge() {
    if (edges_ >= MaxDrawingEdges || *budget_ >= MaxMovieDrawingEdges) {
        return false;
    }
    ++edges_;
    ++*budget_;
    return true;
}

void ClipDrawing::edge(const QPointF& to, const QPointF* c1, const QPointF* c2) {
    const auto extend = [&](QPainterPath& path) {
        if (c2) {
            path.cubicTo(*c1, *c2, to);
        } else if (c1) {
            path.quadTo(*c1, to);
        } else {
            path.lineTo(to);
        }
    };
    if (pending_.filling) {
        extend(pending_.fillPath);
    }
    if (stroking_) {
        if (!lineOpen_) {
            pending_.lines.emplace_back(line_, QPainterPath());
            lineOpen_ = true;
        }
        QPainterPath& path = pending_.lines.back().second;
        if (path.elementCount() == 0 || path.currentPosition() != pen_) {
            path.moveTo(pen_);
        }
        extend(path);
    }
    pen_ = to;
    dirty_ = true;
}

void ClipDrawing::closeContour() {
    if (pending_.filling && pending_.fillPath.elementCount() > 0) {
        pending_.fillPath.closeSubpath();
    }
}

void ClipDrawing::moveTo(const QPointF& to) {
    closeContour();
    pen_ = contourStart_ = to;
    if (pending_.filling) {
        pending_.fillPath.moveTo(to);
    }
}

void ClipDrawing::beginFill(const DrawPaint& paint) {
    endFill();
    flush(); // the lines drawn so far lie under the new fill
    pending_.filling = true;
    pending_.fill = FillStyleOf(paint);
    pending_.fillPath = QPainterPath();
    pending_.fillPath.setFillRule(Qt::OddEvenFill);
    pending_.fillPath.moveTo(pen_);
    contourStart_ = pen_;
}

void ClipDrawing::endFill() {
    if (pending_.filling) {
        // an open contour is closed by a line back to its start, stroked as the others
        if (stroking_ && pen_ != contourStart_ && countEdge()) {
            edge(contourStart_, nullptr, nullptr);
        }
        closeContour();
        flush();
    }
    pending_.filling = false;
}

void ClipDrawing::setLine(const DrawLine& line) {
    stroking_ = !line.none;
    line_ = LineStyleOf(line);
    lineOpen_ = false;
}

void ClipDrawing::setLinePaint(const DrawPaint& paint) {
    if (stroking_) {
        line_.hasFill = true;
        line_.fill = FillStyleOf(paint);
        lineOpen_ = false;
    }
}

ShapeLayer ClipDrawing::LayerOf(const Pending& pending) {
    ShapeLayer layer;
    if (pending.filling && pending.fillPath.elementCount() > 1) {
        QPainterPath closed = pending.fillPath;
        closed.closeSubpath();
        layer.fills.emplace_back(pending.fill, closed);
    }
    for (const auto& line : pending.lines) {
        if (line.second.elementCount() > 1) {
            layer.lines.push_back(line);
        }
    }
    return layer;
}

void ClipDrawing::flush() {
    ShapeLayer layer = LayerOf(pending_);
    if (!layer.fills.empty() || !layer.lines.empty()) {
        done_.push_back(std::move(layer));
    }
    pending_ = Pending{};
    lineOpen_ = false;
    dirty_ = true;
}

bool ClipDrawing::apply(const DrawCommand& c) {
    using Op = DrawCommand::Op;
    if (!Finite(c)) {
        return false;
    }
    const bool isEdge = c.op == Op::LineTo || c.op == Op::CurveTo || c.op == Op::CubicCurveTo;
    if (isEdge && !countEdge()) {
        return false;
    }
    const QPointF p0 = PointAt(c, 0), p1 = PointAt(c, 1), p2 = PointAt(c, 2);
    switch (c.op) {
    case Op::LineStyle:
        setLine(c.line);
        break;
    case Op::LinePaint:
        setLinePaint(c.paint);
        break;
    case Op::BeginFill:
        beginFill(c.paint);
        break;
    case Op::EndFill:
        endFill();
        break;
    case Op::MoveTo:
        moveTo(p0);
        break;
    case Op::LineTo:
        edge(p0, nullptr, nullptr);
        break;
    case Op::CurveTo:
        edge(p1, &p0, nullptr);
        break;
    case Op::CubicCurveTo:
        edge(p2, &p0, &p1);
        break;
    case Op::FillRule:
        pending_.fillPath.setFillRule(c.nonZero ? Qt::WindingFill : Qt::OddEvenFill);
        break;
    }
    dirty_ = true;
    return true;
}

const Shape& ClipDrawing::shape() const {
    if (dirty_) {
        built_.layers = done_;
        ShapeLayer last = LayerOf(pending_);
        if (!last.fills.empty() || !last.lines.empty()) {
            built_.layers.push_back(std::move(last));
        }
        built_.edgeCount = static_cast<std::size_t>(edges_);
        dirty_ = false; // before the bounds, which read the shape
        built_.bounds = bounds(true);
    }
    return built_;
}

QRectF ClipDrawing::bounds(bool withLines) const {
    QRectF out;
    const auto add = [&out](const QRectF& r) { out = out.isNull() ? r : out.united(r); };
    for (const ShapeLayer& layer : shape().layers) {
        for (const auto& [style, path] : layer.fills) {
            add(path.boundingRect());
        }
        for (const auto& [style, path] : layer.lines) {
            const double half = withLines ? style.width / 2 : 0;
            add(path.boundingRect().adjusted(-half, -half, half, half));
        }
    }
    return out;
}

} // namespace quillon::engine
