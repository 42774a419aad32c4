#include "player/engine/characters/Characters.h"

#include <algorithm>

namespace quillon::engine {

namespace {

// The ratio of the end shape; 0 is the start shape.
constexpr double MaxRatio = 65535.0;

double Mix(double a, double b, double t) {
    return a + (b - a) * t;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor(static_cast<int>(Mix(a.red(), b.red(), t) + 0.5),
                  static_cast<int>(Mix(a.green(), b.green(), t) + 0.5),
                  static_cast<int>(Mix(a.blue(), b.blue(), t) + 0.5),
                  static_cast<int>(Mix(a.alpha(), b.alpha(), t) + 0.5));
}

QPointF Mix(const QPointF& a, const QPointF& b, double t) {
    return QPointF(Mix(a.x(), b.x(), t), Mix(a.y(), b.y(), t));
}

QTransform Mix(const QTransform& a, const QTransform& b, double t) {
    return QTransform(Mix(a.m11(), b.m11(), t), Mix(a.m12(), b.m12(), t), Mix(a.m21(), b.m21(), t),
                      Mix(a.m22(), b.m22(), t), Mix(a.dx(), b.dx(), t), Mix(a.dy(), b.dy(), t));
}

FillStyle Mix(const FillStyle& a, const FillStyle& b, double t) {
    FillStyle out = a;
    out.color = Mix(a.color, b.color, t);
    out.matrix = Mix(a.matrix, b.matrix, t);
    out.focal = static_cast<float>(Mix(a.focal, b.focal, t));
    for (std::size_t i = 0; i < out.stops.size() && i < b.stops.size(); ++i) {
        out.stops[i].ratio = static_cast<float>(Mix(a.stops[i].ratio, b.stops[i].ratio, t));
        out.stops[i].color = Mix(a.stops[i].color, b.stops[i].color, t);
    }
    return out;
}

StyleSet Mix(const StyleSet& a, const StyleSet& b, double t) {
    StyleSet out = a;
    for (std::size_t i = 0; i < out.fills.size() && i < b.fills.size(); ++i) {
        out.fills[i] = Mix(a.fills[i], b.fills[i], t);
    }
    for (std::size_t i = 0; i < out.lines.size() && i < b.lines.size(); ++i) {
        out.lines[i].width = Mix(a.lines[i].width, b.lines[i].width, t);
        out.lines[i].color = Mix(a.lines[i].color, b.lines[i].color, t);
        out.lines[i].fill = Mix(a.lines[i].fill, b.lines[i].fill, t);
    }
    return out;
}

} // namespace

std::shared_ptr<const Shape> MorphCharacter::at(int ratio) const {
    std::lock_guard lock(mutex_);
    if (auto it = cache_.find(ratio); it != cache_.end()) {
        return it->second;
    }
    const double t = std::clamp(ratio / MaxRatio, 0.0, 1.0);
    ShapeData data;
    data.bounds = QRectF(Mix(startBounds.topLeft(), endBounds.topLeft(), t),
                         Mix(startBounds.bottomRight(), endBounds.bottomRight(), t));
    for (std::size_t i = 0; i < start.styleSets.size(); ++i) {
        data.styleSets.push_back(i < endStyles.size() ? Mix(start.styleSets[i], endStyles[i], t)
                                                      : start.styleSets[i]);
    }
    // The end records hold the same edges as the start records; style changes appear in
    // the end shape only where the pen moves.
    std::size_t e = 0;
    for (const ShapeRecord& r : start.records) {
        ShapeRecord out = r;
        if (r.type == ShapeRecord::Type::Style) {
            if (e < endRecords.size() && endRecords[e].type == ShapeRecord::Type::Style) {
                if (r.moveTo && endRecords[e].moveTo) {
                    out.to = Mix(r.to, endRecords[e].to, t);
                }
                ++e;
            }
        } else {
            while (e < endRecords.size() && endRecords[e].type == ShapeRecord::Type::Style) {
                ++e;
            }
            if (e < endRecords.size()) {
                const ShapeRecord& end = endRecords[e++];
                out.to = Mix(r.to, end.to, t);
                out.control = Mix(r.control, end.control, t);
                if (end.type == ShapeRecord::Type::Curve) {
                    out.type = ShapeRecord::Type::Curve;
                }
            }
        }
        data.records.push_back(out);
    }
    auto shape = std::make_shared<const Shape>(BuildShape(data));
    if (cache_.size() > 64) {
        cache_.clear();
    }
    cache_.emplace(ratio, shape);
    return shape;
}

} // namespace quillon::engine
