#pragma once
// The arithmetic of flash.geom that both script languages share: affine matrices and
// boxes, whatever object model holds their numbers.

namespace quillon::engine {

struct GeomMatrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    // This matrix, then next.
    GeomMatrix then(const GeomMatrix& next) const {
        return {a * next.a + b * next.c,
                a * next.b + b * next.d,
                c * next.a + d * next.c,
                c * next.b + d * next.d,
                tx * next.a + ty * next.c + next.tx,
                tx * next.b + ty * next.d + next.ty};
    }
    // The matrix undoing this one; a flat one keeps only its moved-back offset.
    GeomMatrix inverted() const;
    void map(double& x, double& y, bool withOffset = true) const {
        const double nx = a * x + c * y + (withOffset ? tx : 0);
        y = b * x + d * y + (withOffset ? ty : 0);
        x = nx;
    }
    static GeomMatrix rotation(double radians);
    // Scales, then rotates, then moves (createBox).
    static GeomMatrix box(double scaleX, double scaleY, double radians, double tx, double ty);
    // The gradient box of a width and height at a corner (createGradientBox).
    static GeomMatrix gradientBox(double width, double height, double radians, double x, double y);
};

struct GeomBox {
    double x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return !(width > 0 && height > 0); }
    bool contains(double px, double py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
    bool containsBox(const GeomBox& o) const {
        return o.x >= x && o.y >= y && o.x + o.width <= x + width && o.y + o.height <= y + height;
    }
    // The overlap of two boxes, all zero when they do not meet.
    GeomBox intersection(const GeomBox& o) const;
    // The smallest box holding both; an empty one adds nothing.
    GeomBox united(const GeomBox& o) const;
};

} // namespace quillon::engine
