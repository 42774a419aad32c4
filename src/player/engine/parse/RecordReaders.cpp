#include "player/engine/parse/RecordReaders.h"

#include <algorithm>

namespace quillon::engine {

QRectF ReadRect(swf::BitReader& in) {
    const swf::Rect r = in.rect();
    return QRectF(QPointF(r.xMin, r.yMin), QPointF(r.xMax, r.yMax));
}

QTransform ReadMatrix(swf::BitReader& in) {
    in.align();
    double a = 1, d = 1, b = 0, c = 0;
    if (in.flag()) {
        const unsigned bits = in.ub(5);
        a = in.fb(bits);
        d = in.fb(bits);
    }
    if (in.flag()) {
        const unsigned bits = in.ub(5);
        b = in.fb(bits);
        c = in.fb(bits);
    }
    const unsigned bits = in.ub(5);
    const double tx = in.sb(bits), ty = in.sb(bits);
    in.align();
    // x' = a*x + c*y + tx, y' = b*x + d*y + ty
    return QTransform(a, b, c, d, tx, ty);
}

QColor ReadRgb(swf::BitReader& in) {
    const int r = in.u8(), g = in.u8(), b = in.u8();
    return QColor(r, g, b);
}

QColor ReadRgba(swf::BitReader& in) {
    const int r = in.u8(), g = in.u8(), b = in.u8(), a = in.u8();
    return QColor(r, g, b, a);
}

ColorTransform ReadColorTransform(swf::BitReader& in, bool withAlpha) {
    in.align();
    ColorTransform cx;
    const bool hasAdd = in.flag();
    const bool hasMult = in.flag();
    const unsigned bits = in.ub(4);
    if (hasMult) {
        cx.rm = in.sb(bits) / 256.0f;
        cx.gm = in.sb(bits) / 256.0f;
        cx.bm = in.sb(bits) / 256.0f;
        if (withAlpha) {
            cx.am = in.sb(bits) / 256.0f;
        }
    }
    if (hasAdd) {
        cx.ra = in.sb(bits);
        cx.ga = in.sb(bits);
        cx.ba = in.sb(bits);
        if (withAlpha) {
            cx.aa = in.sb(bits);
        }
    }
    in.align();
    return cx;
}

namespace {

void ReadFilterFlags(swf::BitReader& in, Filter& f, bool fourBitPasses) {
    f.inner = in.flag();
    f.knockout = in.flag();
    f.compositeSource = in.flag();
    if (fourBitPasses) {
        f.onTop = in.flag();
        f.passes = static_cast<int>(in.ub(4));
    } else {
        f.passes = static_cast<int>(in.ub(5));
    }
    in.align();
}

void ReadBlurAngle(swf::BitReader& in, Filter& f, bool withAngle) {
    f.blurX = in.fixed16();
    f.blurY = in.fixed16();
    if (withAngle) {
        f.angle = in.fixed16();
        f.distance = in.fixed16();
    }
}

} // namespace

namespace {

// What shadows, glows and bevels end with: blur (and angle), strength, flags.
void ReadShadowRest(swf::BitReader& in, Filter& f, bool withAngle, bool fourBitPasses) {
    ReadBlurAngle(in, f, withAngle);
    f.strength = in.fixed8();
    ReadFilterFlags(in, f, fourBitPasses);
}

// One filter after its kind; false for a kind not known, after which nothing can be found.
bool ReadFilter(swf::BitReader& in, Filter& f) {
    switch (f.kind) {
    case FilterKind::DropShadow:
        f.color = ReadRgba(in);
        ReadShadowRest(in, f, true, false);
        break;
    case FilterKind::Blur:
        ReadBlurAngle(in, f, false);
        f.passes = static_cast<int>(in.ub(5));
        in.align();
        break;
    case FilterKind::Glow:
        f.color = ReadRgba(in);
        ReadShadowRest(in, f, false, false);
        break;
    case FilterKind::Bevel:
        // the lit side's colour comes first, whatever some write-ups of the format say
        f.highlight = ReadRgba(in);
        f.color = ReadRgba(in);
        ReadShadowRest(in, f, true, true);
        break;
    case FilterKind::GradientGlow:
    case FilterKind::GradientBevel: {
        const int n = in.u8();
        f.ramp.resize(static_cast<std::size_t>(n));
        for (FilterStop& stop : f.ramp) {
            stop.color = ReadRgba(in);
        }
        for (FilterStop& stop : f.ramp) {
            stop.ratio = in.u8();
        }
        ReadShadowRest(in, f, true, true);
        break;
    }
    case FilterKind::Convolution: {
        f.columns = in.u8();
        f.rows = in.u8();
        f.divisor = in.f32();
        f.bias = in.f32();
        f.kernel.resize(static_cast<std::size_t>(f.columns * f.rows));
        for (float& v : f.kernel) {
            v = in.f32();
        }
        f.color = ReadRgba(in);
        const int flags = in.u8();
        f.clamp = (flags & 2) != 0;
        f.preserveAlpha = (flags & 1) != 0;
        break;
    }
    case FilterKind::ColorMatrix:
        for (float& v : f.matrix) {
            v = in.f32();
        }
        break;
    default:
        return false; // unknown filter: the rest cannot be found
    }
    return true;
}

} // namespace

std::vector<Filter> ReadFilterList(swf::BitReader& in) {
    std::vector<Filter> out;
    const int count = in.u8();
    for (int i = 0; i < count && !in.overrun(); ++i) {
        Filter f;
        const int kind = in.u8();
        f.kind = static_cast<FilterKind>(kind);
        if (kind > static_cast<int>(FilterKind::GradientBevel) || !ReadFilter(in, f)) {
            return out;
        }
        out.push_back(f);
    }
    return out;
}

} // namespace quillon::engine
