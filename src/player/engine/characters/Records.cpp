#include "player/engine/characters/Records.h"

#include <algorithm>

namespace quillon::engine {

namespace {
int Clamp255(float v) {
    return std::clamp(static_cast<int>(v), 0, 255);
}
} // namespace

QColor ColorTransform::apply(const QColor& c) const {
    if (isIdentity()) {
        return c;
    }
    return QColor(Clamp255(c.red() * rm + ra), Clamp255(c.green() * gm + ga),
                  Clamp255(c.blue() * bm + ba), Clamp255(c.alpha() * am + aa));
}

ColorTransform ColorTransform::after(const ColorTransform& in) const {
    ColorTransform out;
    out.rm = rm * in.rm;
    out.gm = gm * in.gm;
    out.bm = bm * in.bm;
    out.am = am * in.am;
    out.ra = rm * in.ra + ra;
    out.ga = gm * in.ga + ga;
    out.ba = bm * in.ba + ba;
    out.aa = am * in.aa + aa;
    return out;
}

} // namespace quillon::engine
