// What scripts set on clips beyond their place: masks, scroll rectangles, opaque
// backgrounds and bitmaps, and clips painted onto bitmaps.

#include "player/engine/characters/BitmapImage.h"
#include "player/engine/characters/ExportNames.h"
#include "player/engine/display/ScriptStage.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace quillon::engine {

namespace {

// Lets go of a mask link when both ends still point at each other.
void Unlink(ClipRunner& runner, ClipId masked, ClipId mask) {
    if (Instance* i = runner.resolve(masked).instance; i && i->maskId == mask) {
        i->maskId = 0;
    }
    if (Instance* m = runner.resolve(mask).instance; m && m->masking == masked) {
        m->masking = 0;
    }
}

} // namespace

void ScriptStage::setMask(ClipId clip, ClipId mask) {
    Instance* instance = runner_.resolve(clip).instance;
    if (!instance) {
        return;
    }
    if (instance->maskId) {
        Unlink(runner_, clip, instance->maskId);
    }
    Instance* maskInstance = mask && mask != clip ? runner_.resolve(mask).instance : nullptr;
    if (!maskInstance) {
        return;
    }
    if (maskInstance->masking) {
        Unlink(runner_, maskInstance->masking, mask); // a mask masks one clip at a time
    }
    instance->maskId = mask;
    maskInstance->masking = clip;
    // a script's mask replaces what the timeline masked with either clip
    instance->clipDepth = 0;
    maskInstance->clipDepth = 0;
}

ClipId ScriptStage::mask(ClipId clip) {
    const Instance* instance = runner_.resolve(clip).instance;
    return instance && exists(instance->maskId) ? instance->maskId : 0;
}

void ScriptStage::setScrollRect(ClipId clip, const std::optional<ClipBounds>& rect) {
    Instance* instance = runner_.resolve(clip).instance;
    if (!instance) {
        return;
    }
    instance->scrollRect.reset();
    if (rect) {
        const QRectF r(QPointF(rect->xMin, rect->yMin), QPointF(rect->xMax, rect->yMax));
        const auto sane = [](double v) { return std::abs(v) < 1e9; }; // false for NaN too
        if (sane(r.left()) && sane(r.top()) && sane(r.right()) && sane(r.bottom())) {
            instance->scrollRect = r.normalized();
        }
    }
}

void ScriptStage::setOpaqueBackground(ClipId clip, std::optional<std::uint32_t> rgb) {
    if (Instance* instance = runner_.resolve(clip).instance) {
        instance->opaqueBackground.reset();
        if (rgb) {
            instance->opaqueBackground = qRgb(*rgb >> 16 & 0xff, *rgb >> 8 & 0xff, *rgb & 0xff);
        }
    }
}

std::optional<ClipBounds> ScriptStage::scrollRect(ClipId clip) {
    const Instance* instance = runner_.resolve(clip).instance;
    if (!instance || !instance->scrollRect) {
        return std::nullopt;
    }
    const QRectF& r = *instance->scrollRect;
    return ClipBounds{r.left(), r.top(), r.right(), r.bottom()};
}

std::optional<std::uint32_t> ScriptStage::opaqueBackground(ClipId clip) {
    const Instance* instance = runner_.resolve(clip).instance;
    if (!instance || !instance->opaqueBackground) {
        return std::nullopt;
    }
    return *instance->opaqueBackground & 0xffffff;
}

std::vector<Filter> ScriptStage::filters(ClipId clip) {
    const Instance* instance = runner_.resolve(clip).instance;
    return instance ? instance->filters : std::vector<Filter>{};
}

void ScriptStage::setFilters(ClipId clip, std::vector<Filter> filters) {
    if (Instance* instance = runner_.resolve(clip).instance) {
        instance->filters = std::move(filters);
    }
}

int ScriptStage::blendMode(ClipId clip) {
    const Instance* instance = runner_.resolve(clip).instance;
    return instance ? instance->blendMode : 0;
}

void ScriptStage::setBlendMode(ClipId clip, int mode) {
    if (Instance* instance = runner_.resolve(clip).instance) {
        instance->blendMode = mode;
    }
}

void ScriptStage::setCacheAsBitmap(ClipId clip, bool cached) {
    if (Instance* instance = runner_.resolve(clip).instance) {
        instance->cacheAsBitmap = cached;
    }
}

void ScriptStage::setBitmap(ClipId clip, std::shared_ptr<const BitmapPixels> pixels,
                            bool smoothing) {
    if (Clip* c = runner_.resolve(clip).clip) {
        c->bitmap = std::move(pixels);
        c->smoothBitmap = smoothing;
    }
}

bool ScriptStage::paintClip(ClipId clip, BitmapPixels& target, const PaintOptions& options) {
    const Placed p = runner_.resolve(clip);
    const bool finite = std::all_of(options.matrix.begin(), options.matrix.end(),
                                    [](double v) { return std::isfinite(v); });
    if ((!p.instance && !p.clip) || !painter_ || !finite) {
        return false;
    }
    const DrawMatrix& m = options.matrix;
    const ClipColor& c = options.color;
    const auto f = [](double v) { return static_cast<float>(v); };
    const ColorTransform cx{f(c.multiply[0]), f(c.multiply[1]), f(c.multiply[2]), f(c.multiply[3]),
                            f(c.add[0]),      f(c.add[1]),      f(c.add[2]),      f(c.add[3])};
    {
        QPainter painter(&ImageOf(target));
        painter.setRenderHint(QPainter::SmoothPixmapTransform, options.smoothing);
        painter.setRenderHint(QPainter::Antialiasing, true);
        if (options.clipArea) {
            const PixelRect& r = *options.clipArea;
            painter.setClipRect(QRect(r.x, r.y, std::max(0, r.width), std::max(0, r.height)));
        }
        // the matrix works in twips on both sides; the bitmap has pixels
        const QTransform toPixels = QTransform(m[0], m[1], m[2], m[3], m[4], m[5]) *
                                    QTransform::fromScale(1.0 / TwipsPerPixel, 1.0 / TwipsPerPixel);
        painter_(painter, p, toPixels, cx, options.blendMode);
    }
    target.settle();
    return true;
}

std::shared_ptr<BitmapPixels> ScriptStage::movieBitmap(std::uint16_t id,
                                                       const std::string& exportName) {
    if (!exportName.empty()) {
        const auto it = exports_.find(AsciiLowerName(exportName));
        id = it == exports_.end() ? 0 : it->second;
    }
    const auto bitmap = id ? runner_.dictionary().findAs<BitmapCharacter>(id, UINT32_MAX) : nullptr;
    return bitmap ? PixelsFromImage(bitmap->image, !bitmap->opaque) : nullptr;
}

} // namespace quillon::engine
