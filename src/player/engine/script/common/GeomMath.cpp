#include "player/engine/script/common/GeomMath.h"

#include <algorithm>
#include <cmath>

namespace quillon::engine {

GeomMatrix GeomMatrix::inverted() const {
    const double det = a * d - b * c;
    if (det == 0) {
        return {0, 0, 0, 0, -tx, -ty};
    }
    return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

GeomMatrix GeomMatrix::rotation(double q) {
    return {std::cos(q), std::sin(q), -std::sin(q), std::cos(q), 0, 0};
}

GeomMatrix GeomMatrix::box(double sx, double sy, double q, double tx, double ty) {
    return {std::cos(q) * sx, std::sin(q) * sy, -std::sin(q) * sx, std::cos(q) * sy, tx, ty};
}

GeomMatrix GeomMatrix::gradientBox(double w, double h, double q, double x, double y) {
    return box(w / 1638.4, h / 1638.4, q, x + w / 2, y + h / 2);
}

GeomBox GeomBox::intersection(const GeomBox& o) const {
    const double left = std::max(x, o.x), top = std::max(y, o.y);
    const double right = std::min(x + width, o.x + o.width);
    const double bottom = std::min(y + height, o.y + o.height);
    return right > left && bottom > top ? GeomBox{left, top, right - left, bottom - top}
                                        : GeomBox{};
}

GeomBox GeomBox::united(const GeomBox& o) const {
    if (empty() || o.empty()) {
        return empty() ? o : *this;
    }
    const double left = std::min(x, o.x), top = std::min(y, o.y);
    return {left, top, std::max(x + width, o.x + o.width) - left,
            std::max(y + height, o.y + o.height) - top};
}

} // namespace quillon::engine
