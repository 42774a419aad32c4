#include "player/engine/render/Renderer.h"

#include "player/engine/characters/BitmapImage.h"
#include "player/engine/display/Focus.h"
#include "player/engine/render/Effects.h"
#include "player/engine/render/TextPainter.h"

#include <algorithm>
#include <cmath>

namespace quillon::engine {

namespace {

// Draws the characters of one placed instance with its colour transform, looking up
// bitmaps and fonts from where the instance was placed.
class InstanceCanvas : public CharacterCanvas {
public:
    InstanceCanvas(QPainter& painter, ShapePainter& shapes, const Dictionary& dictionary,
                   const ColorTransform& cx, std::uint32_t epoch)
        : painter_(painter), shapes_(shapes), dictionary_(dictionary), cx_(cx), epoch_(epoch) {}

    void drawShape(const Shape& shape) override {
        const BitmapLookup bitmaps = [&](std::uint16_t id) -> const QImage* {
            auto bitmap = dictionary_.findAs<BitmapCharacter>(id, epoch_);
            return bitmap ? &bitmap->image : nullptr;
        };
        shapes_.draw(painter_, shape, cx_, bitmaps);
    }
    void drawStaticText(const TextCharacter& text) override {
        DrawStaticText(painter_, text, cx_, fonts());
    }
    void drawEditText(const EditTextCharacter& text) override { DrawEditText(painter_, text, cx_); }
    void drawBitmap(const QImage& image) override {
        painter_.setTransform(QTransform::fromScale(TwipsPerPixel, TwipsPerPixel) *
                              painter_.transform());
        painter_.drawImage(QPointF(0, 0), shapes_.transformed(image, cx_));
    }
    void drawVideoFrame(const QImage& picture, const QRectF& area, bool smooth) override {
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        painter_.drawImage(area, shapes_.transformed(picture, cx_));
    }

private:
    FontSource fonts() const { return FontsOf(dictionary_, epoch_); }

    QPainter& painter_;
    ShapePainter& shapes_;
    const Dictionary& dictionary_;
    const ColorTransform& cx_;
    std::uint32_t epoch_;
};

double ScaleOf(const QTransform& t) {
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

} // namespace

QTransform Renderer::ViewTransform(const QRectF& target, const QRectF& view, bool keepAspect) {
    if (view.width() <= 0 || view.height() <= 0) {
        return QTransform::fromTranslate(target.x(), target.y());
    }
    double sx = target.width() / view.width();
    double sy = target.height() / view.height();
    double ox = target.x(), oy = target.y();
    if (keepAspect) {
        sx = sy = std::min(sx, sy);
        ox += (target.width() - view.width() * sx) / 2;
        oy += (target.height() - view.height() * sy) / 2;
    }
    return QTransform(sx, 0, 0, sy, ox - view.x() * sx, oy - view.y() * sy);
}

void Renderer::DrawFocusRect(QPainter& painter, const QRectF& bounds, const QTransform& view) {
    const QRectF device = view.mapRect(bounds);
    if (!device.isValid() || device.width() > 1e7 || device.height() > 1e7) {
        return; // empty objects (no bounds) and absurd ones show no frame
    }
    const double width = FocusRectWidthTwips * ScaleOf(view);
    const QRectF outer(QPointF(std::round(device.left()), std::round(device.top())),
                       QPointF(std::round(device.right()), std::round(device.bottom())));
    const double side = std::min({width, outer.width() / 2, outer.height() / 2});
    const QColor color = QColor::fromRgb(FocusRectColor);
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(outer.left(), outer.top(), outer.width(), side), color);
    painter.fillRect(QRectF(outer.left(), outer.bottom() - side, outer.width(), side), color);
    painter.fillRect(QRectF(outer.left(), outer.top(), side, outer.height()), color);
    painter.fillRect(QRectF(outer.right() - side, outer.top(), side, outer.height()), color);
    painter.restore();
}

void Renderer::draw(QPainter& painter, const Clip& clip, const QTransform& transform) {
    viewScale_ = ScaleOf(transform);
    stageToDevice_ = transform;
    shapes_.setViewScale(viewScale_);
    // a clip at the top of its tree sits on the stage by a placement of its own
    const Instance& placed = clip.placement;
    if (placed.visible) {
        drawList(painter, clip, StageMatrixOf(clip) * transform, placed.colorTransform, 0);
    }
}

void Renderer::drawObject(QPainter& painter, const Placed& placed, const QTransform& m,
                          const ColorTransform& cx, int blendMode) {
    viewScale_ = ScaleOf(m);
    shapes_.setViewScale(viewScale_);
    const QTransform own = placed.instance && placed.parent
                               ? placed.instance->matrix * StageMatrixOf(*placed.parent)
                           : placed.clip ? StageMatrixOf(*placed.clip)
                                         : QTransform();
    stageToDevice_ = own.inverted() * m;
    const auto drawIt = [&](QPainter& onto) {
        if (placed.instance) {
            drawContent(onto, *placed.instance, m, cx, 0);
        } else if (placed.clip) {
            drawList(onto, *placed.clip, m, cx, 0);
        }
    };
    if (!BlendNeedsLayer(blendMode)) {
        drawIt(painter);
        return;
    }
    const QPaintDevice* device = painter.device();
    const QImage layer = paintLayer(painter, QSize(device->width(), device->height()), drawIt);
    if (!layer.isNull()) {
        CompositeLayer(painter, layer, blendMode, 1.0);
    }
}

QImage Renderer::paintLayer(const QPainter& painter, QSize size,
                            const std::function<void(QPainter&)>& paint) {
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) {
        return layer;
    }
    layer.fill(Qt::transparent);
    QPainter layerPainter(&layer);
    layerPainter.setRenderHints(painter.renderHints());
    ++layers_;
    paint(layerPainter);
    --layers_;
    return layer;
}

void Renderer::drawList(QPainter& painter, const Clip& clip, const QTransform& m,
                        const ColorTransform& cx, int nesting) {
    if (clip.bitmap) {
        painter.setTransform(QTransform::fromScale(TwipsPerPixel, TwipsPerPixel) * m);
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, clip.smoothBitmap);
        painter.drawImage(QPointF(0, 0), shapes_.transformed(ImageOf(*clip.bitmap), cx));
        painter.restore();
    }
    if (clip.drawing) {
        // what scripts drew lies beneath the children, with bitmaps of the whole movie
        painter.setTransform(m);
        InstanceCanvas canvas(painter, shapes_, dictionary_, cx, UINT32_MAX);
        canvas.drawShape(clip.drawing->shape());
    }
    std::vector<int> masks; // clip depths of the masks in force, innermost last
    for (const auto& [depth, instance] : clip.list) {
        while (!masks.empty() && depth > masks.back()) {
            masks.pop_back();
            painter.restore();
        }
        if (instance.clipDepth > 0) {
            const QPainterPath path = maskPath(instance, m, nesting);
            painter.save();
            painter.resetTransform();
            painter.setClipPath(path, Qt::IntersectClip);
            masks.push_back(instance.clipDepth);
            continue;
        }
        if (instance.visible && !servesAsMask(instance)) {
            drawInstance(painter, instance, m, cx, nesting);
        }
    }
    while (!masks.empty()) {
        masks.pop_back();
        painter.restore();
    }
}

QPainterPath Renderer::maskPath(const Instance& instance, const QTransform& parent, int nesting) {
    const QTransform m = instance.matrix * parent;
    if (!instance.clip) {
        return instance.character ? instance.character->maskArea(m, instance.ratio)
                                  : QPainterPath();
    }
    // a scroll rectangle moves what a mask holds but, in a mask, crops none of it
    const QTransform content =
        instance.scrollRect
            ? QTransform::fromTranslate(-instance.scrollRect->x(), -instance.scrollRect->y()) * m
            : m;
    QPainterPath out;
    if (const auto& bitmap = instance.clip->bitmap) {
        // a bitmap masks with its whole rectangle, whatever its pixels' alpha
        out.addPolygon(content.map(QPolygonF(
            QRectF(0, 0, bitmap->width() * TwipsPerPixel, bitmap->height() * TwipsPerPixel))));
        out.closeSubpath();
    }
    if (instance.clip->drawing) {
        out.addPath(content.map(ShapeOutline(instance.clip->drawing->shape())));
    }
    if (nesting < MaxClipNesting) {
        for (const auto& [depth, child] : instance.clip->list) {
            if (child.clipDepth == 0) {
                out.addPath(maskPath(child, content, nesting + 1));
            }
        }
    }
    return out;
}

QRectF Renderer::boundsOf(const Instance& instance, const QTransform& m, int nesting) const {
    if (!instance.clip) {
        const QRectF own =
            instance.character ? instance.character->bounds(instance.ratio) : QRectF();
        return own.isNull() ? QRectF() : m.mapRect(own);
    }
    const QRectF own = OwnBounds(*instance.clip);
    QRectF out = own.isNull() ? QRectF() : m.mapRect(own);
    for (const auto& [depth, child] : instance.clip->list) {
        if (child.clipDepth == 0 && child.visible && nesting < MaxClipNesting) {
            out = out.united(boundsOf(child, child.matrix * m, nesting + 1));
        }
    }
    return out;
}

void Renderer::drawInstance(QPainter& painter, const Instance& instance, const QTransform& parent,
                            const ColorTransform& parentCx, int nesting) {
    const QTransform m = instance.matrix * parent;
    const ColorTransform cx = parentCx.after(instance.colorTransform);
    if (cx.am <= 0 && cx.aa <= 0) {
        return; // fully transparent
    }
    if (instance.maskId || instance.scrollRect || instance.opaqueBackground) {
        drawFramed(painter, instance, m, cx, nesting);
        return;
    }
    drawPlain(painter, instance, m, cx, nesting);
}

void Renderer::drawPlain(QPainter& painter, const Instance& instance, const QTransform& m,
                         const ColorTransform& cx, int nesting) {
    if (!instance.filters.empty() || BlendNeedsLayer(instance.blendMode)) {
        drawLayered(painter, instance, m, cx, nesting);
        return;
    }
    drawContent(painter, instance, m, cx, nesting);
}

bool Renderer::cacheable(const QRectF& bounds) const {
    constexpr double MaxPixels = 16777215;
    const double width = std::round(bounds.width()), height = std::round(bounds.height());
    return width < cacheLimit_ && height < cacheLimit_ && width * height < MaxPixels; // NaN: no
}

void Renderer::drawFramed(QPainter& painter, const Instance& instance, const QTransform& m,
                          const ColorTransform& cx, int nesting) {
    const Placed mask = scriptMask(instance);
    // the mask crops where it stands on the stage, whoever holds it
    const QTransform maskParent =
        mask.instance ? StageMatrixOf(*mask.parent) * stageToDevice_ : QTransform();
    if (mask.instance && mask.instance->cacheAsBitmap && instance.cacheAsBitmap &&
        cacheable(boundsOf(instance, m, nesting)) &&
        cacheable(boundsOf(*mask.instance, mask.instance->matrix * maskParent, 0))) {
        drawAlphaMasked(painter, instance, *mask.instance, mask.instance->matrix * maskParent, m,
                        cx, nesting);
        return;
    }
    painter.save();
    if (mask.instance) {
        painter.resetTransform();
        painter.setClipPath(maskPath(*mask.instance, maskParent, 0), Qt::IntersectClip);
    }
    drawCropped(painter, instance, m, cx, nesting);
    painter.restore();
}

void Renderer::drawAlphaMasked(QPainter& painter, const Instance& instance, const Instance& mask,
                               const QTransform& maskAt, const QTransform& m,
                               const ColorTransform& cx, int nesting) {
    const QPaintDevice* device = painter.device();
    const QSize size(device->width(), device->height());
    QImage layer = paintLayer(painter, size, [&](QPainter& onto) {
        onto.save();
        drawCropped(onto, instance, m, cx, nesting);
        onto.restore();
    });
    const QImage alpha = paintLayer(painter, size, [&](QPainter& onto) {
        drawContent(onto, mask, maskAt, ColorTransform{}.after(mask.colorTransform), 0);
    });
    if (layer.isNull() || alpha.isNull()) {
        return;
    }
    {
        QPainter keep(&layer);
        keep.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        keep.drawImage(0, 0, alpha);
    }
    painter.save();
    painter.resetTransform();
    painter.drawImage(0, 0, layer);
    painter.restore();
}

void Renderer::drawCropped(QPainter& painter, const Instance& instance, QTransform m,
                           const ColorTransform& cx, int nesting) {
    painter.setTransform(m);
    QRectF background;
    if (instance.scrollRect) {
        const QRectF& r = *instance.scrollRect;
        background = QRectF(0, 0, r.width(), r.height());
        painter.setClipRect(background, Qt::IntersectClip);
        m = QTransform::fromTranslate(-r.x(), -r.y()) * m;
    } else if (instance.opaqueBackground) {
        background = boundsOf(instance, QTransform(), nesting);
    }
    if (instance.opaqueBackground && !background.isEmpty()) {
        painter.fillRect(background, QColor(*instance.opaqueBackground));
    }
    drawPlain(painter, instance, m, cx, nesting);
}

bool Renderer::servesAsMask(const Instance& instance) const {
    if (!instance.masking || !runner_) {
        return false;
    }
    const Instance* masked = runner_->resolve(instance.masking).instance;
    return masked && masked->maskId == instance.scriptId;
}

Placed Renderer::scriptMask(const Instance& instance) {
    const Placed mask = runner_ && instance.maskId ? runner_->resolve(instance.maskId) : Placed{};
    if (!mask.instance || !mask.parent || mask.instance->masking != instance.scriptId) {
        return {}; // no mask, or the link has gone
    }
    return mask;
}

bool Renderer::fitFilterLayer(const Instance& instance, const QTransform& m, int nesting,
                              QRect& area, QTransform& placed) const {
    const QRectF bounds = boundsOf(instance, m, nesting);
    const auto sane = [](double v) { return std::abs(v) < 1e7; }; // also false for NaN
    if (!bounds.isEmpty() && sane(bounds.left()) && sane(bounds.top()) && sane(bounds.right()) &&
        sane(bounds.bottom())) {
        // A filtered object is drawn as a bitmap of its own that sits on whole pixels:
        // the corner of its bounds moves to the nearest pixel corner.
        const QPointF snap(std::floor(bounds.left() + 0.5) - bounds.left(),
                           std::floor(bounds.top() + 0.5) - bounds.top());
        placed *= QTransform::fromTranslate(snap.x(), snap.y());
        if (!BlendActsOnLayerOnly(instance.blendMode) && !BlendWorksPerPixel(instance.blendMode)) {
            // the layer needs to hold only what the filters can reach (and a little
            // slack for glyphs poking out of their text's bounds)
            int margin = 2;
            for (const Filter& f : instance.filters) {
                margin += FilterMargin(f, TwipsPerPixel * viewScale_);
            }
            area = bounds.translated(snap)
                       .toAlignedRect()
                       .adjusted(-margin, -margin, margin, margin)
                       .intersected(area);
            if (area.isEmpty()) {
                return false;
            }
            placed *= QTransform::fromTranslate(-area.x(), -area.y());
        }
    }
    return true;
}

void Renderer::drawLayered(QPainter& painter, const Instance& instance, const QTransform& m,
                           const ColorTransform& cx, int nesting) {
    if (BlendActsOnLayerOnly(instance.blendMode) && layers_ == 0) {
        return; // alpha and erase need a layer below them; on the stage they show nothing
    }
    // A layer of its own takes the group's alpha as a whole.
    ColorTransform inner = cx;
    double opacity = 1.0;
    if (instance.blendMode == blend::Layer || !instance.filters.empty()) {
        opacity = std::clamp<double>(cx.am, 0.0, 1.0);
        inner.am = 1;
    }
    const QPaintDevice* device = painter.device();
    QRect area(0, 0, device->width(), device->height());
    QTransform placed = m;
    if (!instance.filters.empty() && !fitFilterLayer(instance, m, nesting, area, placed)) {
        return; // nothing of it can show on the picture
    }
    // masks a script set inside find the stage shifted as the layer is
    const QTransform outer = stageToDevice_;
    stageToDevice_ *= QTransform::fromTranslate(placed.dx() - m.dx(), placed.dy() - m.dy());
    QImage layer = paintLayer(painter, area.size(), [&](QPainter& onto) {
        drawContent(onto, instance, placed, inner, nesting);
    });
    stageToDevice_ = outer;
    if (layer.isNull()) {
        return;
    }
    // Filter sizes are in pixels of the stage: they grow with the view's scale, not with
    // the transforms of the clips around them.
    ApplyFilters(layer, instance.filters, TwipsPerPixel * viewScale_);
    CompositeLayer(painter, layer, instance.blendMode, opacity, area.topLeft());
}

void Renderer::drawContent(QPainter& painter, const Instance& instance, const QTransform& m,
                           const ColorTransform& cx, int nesting) {
    if (instance.clip) {
        if (nesting < MaxClipNesting) {
            drawList(painter, *instance.clip, m, cx, nesting + 1);
        }
        return;
    }
    if (!instance.character) {
        return;
    }
    painter.setTransform(m);
    InstanceCanvas canvas(painter, shapes_, dictionary_, cx, instance.epoch);
    instance.character->draw(canvas, instance.ratio);
}

} // namespace quillon::engine
