#pragma once
// What scripts draw on a clip: fills and lines kept as the shapes the renderer draws,
// beneath the clip's children. Each fill that ends closes its contours and becomes a layer
// of its own with the lines drawn since the one before, so later fills cover earlier lines.

#include "player/engine/characters/Shape.h"
#include "player/engine/display/DrawCommand.h"

#include <cstdint>
#include <memory>

namespace quillon::engine {

// Edges one clip's drawing may hold, and all drawings of a movie together; more are
// dropped (a script drawing in an endless loop would otherwise fill the memory).
inline constexpr std::int64_t MaxDrawingEdges = 100000;
inline constexpr std::int64_t MaxMovieDrawingEdges = 1000000;

class ClipDrawing {
public:
    // budget: the edges of every drawing of the movie, shared between them.
    explicit ClipDrawing(std::shared_ptr<std::int64_t> budget) : budget_(std::move(budget)) {}
    ClipDrawing(const ClipDrawing& other);
    ClipDrawing& operator=(const ClipDrawing&) = delete;
    ~ClipDrawing();

    // False when the command was dropped: the drawing or the movie holds too many edges.
    bool apply(const DrawCommand& command);
    // The drawing so far, an open fill closed as the player shows it.
    const Shape& shape() const;
    // The area covered, with (or without) the lines' widths.
    QRectF bounds(bool withLines) const;
    std::int64_t edges() const { return edges_; }

private:
    struct Pending {
        bool filling = false;
        FillStyle fill;
        QPainterPath fillPath;
        std::vector<std::pair<LineStyle, QPainterPath>> lines;
    };
    bool countEdge();
    void edge(const QPointF& to, const QPointF* c1, const QPointF* c2);
    void moveTo(const QPointF& to);
    void closeContour();
    void beginFill(const DrawPaint& paint);
    void endFill();
    void setLine(const DrawLine& line);
    void setLinePaint(const DrawPaint& paint);
    void flush();
    static ShapeLayer LayerOf(const Pending& pending);

    std::shared_ptr<std::int64_t> budget_;
    std::int64_t edges_ = 0;
    std::vector<ShapeLayer> done_;
    Pending pending_;
    bool stroking_ = false;
    bool lineOpen_ = false; // the pending layer's last line takes further edges
    LineStyle line_;
    QPointF pen_, contourStart_;
    mutable Shape built_;
    mutable bool dirty_ = true;
};

// The engine's styles for a script's paint and line.
FillStyle FillStyleOf(const DrawPaint& paint);
LineStyle LineStyleOf(const DrawLine& line);

} // namespace quillon::engine
