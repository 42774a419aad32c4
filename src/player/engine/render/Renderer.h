#pragma once
// Draws a clip and everything in it: transforms and colour transforms down the tree,
// masks by clip depth, blend modes and filters on layers of their own.

#include "player/engine/display/DisplayList.h"
#include "player/engine/render/ShapePainter.h"

#include <QPainter>
#include <functional>
#include <optional>

namespace quillon::engine {

class Renderer {
public:
    // runner: where the masks scripts set are looked up (none: they are not drawn).
    explicit Renderer(const Dictionary& dictionary, ClipRunner* runner = nullptr)
        : dictionary_(dictionary), runner_(runner) {}

    // The version of the movie drawn, which sets how large a cached picture may grow.
    void setMovieVersion(int version) { cacheLimit_ = version >= 10 ? 8191 : 2880; }

    // Draws clip with transform mapping its twips to the painter's device.
    void draw(QPainter& painter, const Clip& clip, const QTransform& transform);

    // Draws what one placed clip shows, leaving out its own placement (onto a bitmap):
    // m maps its twips to the painter's device; blendMode puts it on what is there.
    void drawObject(QPainter& painter, const Placed& placed, const QTransform& m,
                    const ColorTransform& cx, int blendMode);

    // The focus rectangle around stage bounds (twips): a yellow frame of the player's
    // width inside them, view mapping the stage to the device.
    static void DrawFocusRect(QPainter& painter, const QRectF& bounds, const QTransform& view);

    // The transform that maps view (twips) into target (device pixels).
    static QTransform ViewTransform(const QRectF& target, const QRectF& view, bool keepAspect);

private:
    void drawList(QPainter& painter, const Clip& clip, const QTransform& m,
                  const ColorTransform& cx, int nesting);
    void drawInstance(QPainter& painter, const Instance& instance, const QTransform& parent,
                      const ColorTransform& parentCx, int nesting);
    // An instance with what scripts set around it: mask, scroll rectangle, background.
    void drawFramed(QPainter& painter, const Instance& instance, const QTransform& m,
                    const ColorTransform& cx, int nesting);
    // Both drawn as pictures of their own: the mask's alpha (drawn at maskAt) crops the
    // instance.
    void drawAlphaMasked(QPainter& painter, const Instance& instance, const Instance& mask,
                         const QTransform& maskAt, const QTransform& m, const ColorTransform& cx,
                         int nesting);
    // The instance inside its scroll rectangle, over its background.
    void drawCropped(QPainter& painter, const Instance& instance, QTransform m,
                     const ColorTransform& cx, int nesting);
    void drawPlain(QPainter& painter, const Instance& instance, const QTransform& m,
                   const ColorTransform& cx, int nesting);
    // Whether an instance is a mask a script set, which is not drawn itself.
    bool servesAsMask(const Instance& instance) const;
    // The mask a script gave an instance, if it still masks it.
    Placed scriptMask(const Instance& instance);
    void drawContent(QPainter& painter, const Instance& instance, const QTransform& m,
                     const ColorTransform& cx, int nesting);
    void drawLayered(QPainter& painter, const Instance& instance, const QTransform& m,
                     const ColorTransform& cx, int nesting);
    // Shrinks the layer of a filtered instance to what its filters can reach, on whole
    // pixels; false when nothing of it can show.
    bool fitFilterLayer(const Instance& instance, const QTransform& m, int nesting, QRect& area,
                        QTransform& placed) const;
    // A transparent layer of size with what paint draws on it (null when memory runs out).
    QImage paintLayer(const QPainter& painter, QSize size,
                      const std::function<void(QPainter&)>& paint);
    QPainterPath maskPath(const Instance& instance, const QTransform& m, int nesting);
    // The device rectangle an instance covers (drawn parts only, masks left out).
    QRectF boundsOf(const Instance& instance, const QTransform& m, int nesting) const;
    // Whether a picture of these device bounds can be cached: players give up on bitmaps
    // as wide or tall as the limit, or of 16777215 pixels or more, and draw the object as
    // if it were not cached.
    bool cacheable(const QRectF& bounds) const;

    const Dictionary& dictionary_;
    ClipRunner* runner_;
    ShapePainter shapes_;
    int layers_ = 0;                         // layers being drawn into, outermost first
    double viewScale_ = 1.0 / TwipsPerPixel; // device pixels per twip of the stage
    QTransform stageToDevice_;               // the stage onto the device drawn on now
    int cacheLimit_ = 8191;                  // cached pictures are narrower and lower than this
};

} // namespace quillon::engine
