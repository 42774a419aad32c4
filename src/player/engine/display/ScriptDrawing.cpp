// The drawing scripts make on clips, their matrices, and hit tests against what clips
// show.

#include "player/engine/display/ScriptStage.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace quillon::engine {

namespace {

bool DrawingShows(const ClipDrawing& drawing, const QTransform& m, const QPointF& point) {
    bool invertible = false;
    const QTransform inverse = m.inverted(&invertible);
    return invertible && ShapeContains(drawing.shape(), inverse.map(point));
}

bool ClipShows(const Clip& clip, const QTransform& m, const QPointF& point, int nesting);

// m: the instance's own matrix and everything above it.
bool ContentShows(const Instance& instance, const QTransform& m, const QPointF& point,
                  int nesting) {
    if (nesting > MaxClipNesting) {
        return false;
    }
    if (instance.clip) {
        return ClipShows(*instance.clip, m, point, nesting + 1);
    }
    return instance.character && instance.character->covers(m, instance.ratio, point);
}

bool InstanceShows(const Instance& instance, const QTransform& parent, const QPointF& point,
                   int nesting) {
    return instance.visible && instance.clipDepth == 0 &&
           ContentShows(instance, instance.matrix * parent, point, nesting);
}

bool ClipShows(const Clip& clip, const QTransform& m, const QPointF& point, int nesting) {
    if (clip.drawing && DrawingShows(*clip.drawing, m, point)) {
        return true;
    }
    // the mask layers in force, innermost last, each asked at most once: what they
    // crop away is not hit
    std::vector<std::pair<const Instance*, std::optional<bool>>> masks;
    for (const auto& [depth, child] : clip.list) {
        while (!masks.empty() && depth > masks.back().first->clipDepth) {
            masks.pop_back();
        }
        if (child.clipDepth > 0) {
            masks.emplace_back(&child, std::nullopt);
            continue;
        }
        if (!InstanceShows(child, m, point, nesting)) {
            continue;
        }
        const bool masked = std::any_of(masks.begin(), masks.end(), [&](auto& mask) {
            if (!mask.second) {
                mask.second = ContentShows(*mask.first, mask.first->matrix * m, point, nesting);
            }
            return !*mask.second;
        });
        if (!masked) {
            return true;
        }
    }
    return false;
}

// A drawing made for a question and dropped again; it counts against its own budget.
ClipDrawing Replayed(const std::vector<DrawCommand>& commands) {
    ClipDrawing drawing(std::make_shared<std::int64_t>(0));
    for (const DrawCommand& c : commands) {
        drawing.apply(c);
    }
    return drawing;
}

} // namespace

ClipBounds ScriptStage::drawingBounds(const std::vector<DrawCommand>& commands) {
    const QRectF b = Replayed(commands).bounds(true);
    return b.isNull() ? ClipBounds{} : ClipBounds{b.left(), b.top(), b.right(), b.bottom()};
}

bool ScriptStage::drawingCovers(const std::vector<DrawCommand>& commands, const DrawMatrix& m,
                                double x, double y) {
    const QTransform placed(m[0], m[1], m[2], m[3], m[4], m[5]);
    return DrawingShows(Replayed(commands), placed, QPointF(x, y));
}

bool ScriptStage::maskAllows(const Instance& instance, const QPointF& point) {
    if (!instance.maskId) {
        return true;
    }
    const Placed mask = runner_.resolve(instance.maskId);
    if (!mask.instance || mask.instance->masking != instance.scriptId) {
        return true; // the link has gone
    }
    const QTransform m = mask.instance->matrix * StageMatrixOf(*mask.parent);
    return ContentShows(*mask.instance, m, point, 0);
}

bool ScriptStage::hitTest(ClipId clip, double x, double y, bool shapeFlag) {
    const Placed p = runner_.resolve(clip);
    if (!p.instance && !p.clip) {
        return false;
    }
    // the point is given in the space of the top of the clip's tree, which may itself
    // be moved on the stage
    const QPointF point = toStage(movieRoot(clip)).map(QPointF(x, y));
    if (p.instance && !maskAllows(*p.instance, point)) {
        return false;
    }
    if (!shapeFlag) {
        const ClipBounds b = bounds(clip, 0);
        return point.x() >= b.xMin && point.x() <= b.xMax && point.y() >= b.yMin &&
               point.y() <= b.yMax;
    }
    const QTransform m = toStage(clip);
    return p.instance ? ContentShows(*p.instance, m, point, 0) : ClipShows(*p.clip, m, point, 0);
}

DrawMatrix ScriptStage::matrix(ClipId clip) {
    const Instance* i = settled(clip);
    if (!i) {
        return IdentityDrawMatrix;
    }
    const QTransform& m = i->matrix;
    return {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()};
}

void ScriptStage::setMatrix(ClipId clip, const DrawMatrix& m) {
    Instance* i = settled(clip);
    const bool finite = std::all_of(m.begin(), m.end(), [](double v) { return std::isfinite(v); });
    if (i && finite) {
        i->matrix = QTransform(m[0], m[1], m[2], m[3], m[4], m[5]);
        i->scriptMoved = true;
    }
}

bool ScriptStage::draw(ClipId clip, const DrawCommand& command) {
    const Placed p = runner_.resolve(clip);
    if (!p.clip) {
        return false;
    }
    if (!p.clip->drawing) {
        p.clip->drawing = std::make_shared<ClipDrawing>(drawingEdges_);
    }
    return p.clip->drawing->apply(command);
}

void ScriptStage::clearDrawing(ClipId clip) {
    if (Clip* c = runner_.resolve(clip).clip) {
        c->drawing.reset();
    }
}

void ScriptStage::copyDrawing(ClipId from, ClipId to) {
    const Clip* source = runner_.resolve(from).clip;
    Clip* target = runner_.resolve(to).clip;
    if (!source || !target || source == target) {
        return;
    }
    target->drawing = copyOf(source->drawing);
}

std::shared_ptr<ClipDrawing> ScriptStage::copyOf(const std::shared_ptr<ClipDrawing>& drawing) {
    // copies count against the movie's edges like drawings of their own
    if (!drawing || *drawingEdges_ + drawing->edges() > MaxMovieDrawingEdges) {
        return nullptr;
    }
    return std::make_shared<ClipDrawing>(*drawing);
}

} // namespace quillon::engine
