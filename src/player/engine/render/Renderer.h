#pragma once
// Draws a clip and everything in it: transforms and colour transforms down the tree,
// masks by clip depth, blend modes and filters on layers of their own.

#include "player/engine/display/DisplayList.h"
#include "player/engine/render/ShapePainter.h"

#include <QPainter>

namespace quillon::engine {

class Renderer {
public:
    explicit Renderer(const Dictionary& dictionary) : dictionary_(dictionary) {}

    // Draws clip with transform mapping its twips to the painter's device.
    void draw(QPainter& painter, const Clip& clip, const QTransform& transform);

    // The transform that maps view (twips) into target (device pixels).
    static QTransform ViewTransform(const QRectF& target, const QRectF& view, bool keepAspect);

private:
    void drawList(QPainter& painter, const Clip& clip, const QTransform& m,
                  const ColorTransform& cx, int nesting);
    void drawInstance(QPainter& painter, const Instance& instance, const QTransform& parent,
                      const ColorTransform& parentCx, int nesting);
    void drawContent(QPainter& painter, const Instance& instance, const QTransform& m,
                     const ColorTransform& cx, int nesting);
    void drawLayered(QPainter& painter, const Instance& instance, const QTransform& m,
                     const ColorTransform& cx, int nesting);
    // Shrinks the layer of a filtered instance to what its filters can reach, on whole
    // pixels; false when nothing of it can show.
    bool fitFilterLayer(const Instance& instance, const QTransform& m, int nesting, QRect& area,
                        QTransform& placed) const;
    QPainterPath maskPath(const Instance& instance, const QTransform& m, int nesting);
    // The device rectangle an instance covers (drawn parts only, masks left out).
    QRectF boundsOf(const Instance& instance, const QTransform& m, int nesting) const;

    const Dictionary& dictionary_;
    ShapePainter shapes_;
    int layers_ = 0;                         // layers being drawn into, outermost first
    double viewScale_ = 1.0 / TwipsPerPixel; // device pixels per twip of the stage
};

} // namespace quillon::engine
