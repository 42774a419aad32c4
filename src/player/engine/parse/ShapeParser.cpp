#include "player/engine/parse/ShapeParser.h"

#include "player/engine/parse/RecordReaders.h"

namespace quillon::engine {

// The fill style types of shape records.
namespace fill {
enum : int {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalGradient = 0x13,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    HardRepeatingBitmap = 0x42, // not smoothed
    HardClippedBitmap = 0x43,
};
} // namespace fill

namespace {

QColor ReadColor(swf::BitReader& in, const ShapeReadOptions& opt) {
    return (opt.version >= 3 || opt.morph) ? ReadRgba(in) : ReadRgb(in);
}

void ReadGradient(swf::BitReader& in, const ShapeReadOptions& opt, FillStyle& s, FillStyle* end) {
    in.align();
    s.spread = static_cast<int>(in.ub(2));
    s.interpolation = static_cast<int>(in.ub(2));
    const unsigned count = in.ub(4);
    if (end) {
        end->spread = s.spread;
        end->interpolation = s.interpolation;
    }
    for (unsigned i = 0; i < count && !in.overrun(); ++i) {
        GradientStop stop;
        stop.ratio = in.u8() / 255.0f;
        stop.color = ReadColor(in, opt);
        s.stops.push_back(stop);
        if (end) {
            GradientStop e;
            e.ratio = in.u8() / 255.0f;
            e.color = ReadRgba(in);
            end->stops.push_back(e);
        }
    }
    if (s.kind == FillStyle::Kind::Focal) {
        s.focal = in.fixed8();
        if (end) {
            end->focal = in.fixed8();
        }
    }
}

int ReadCount(swf::BitReader& in, const ShapeReadOptions& opt) {
    int count = in.u8();
    if (count == 0xff && (opt.version >= 2 || opt.morph)) {
        count = in.u16();
    }
    return count;
}

LineStyle ReadLineStyle(swf::BitReader& in, const ShapeReadOptions& opt, LineStyle* end) {
    LineStyle s;
    s.width = in.u16();
    if (end) {
        end->width = in.u16();
    }
    if (opt.version >= 4 || opt.morph2) {
        in.align();
        s.startCap = static_cast<int>(in.ub(2));
        s.join = static_cast<int>(in.ub(2));
        s.hasFill = in.flag();
        s.noHScale = in.flag();
        s.noVScale = in.flag();
        s.pixelHinting = in.flag();
        in.ub(5);
        s.noClose = in.flag();
        s.endCap = static_cast<int>(in.ub(2));
        if (s.join == 2) {
            s.miterLimit = in.fixed8();
        }
        if (end) {
            const double w = end->width;
            *end = s;
            end->width = w;
        }
        if (s.hasFill) {
            FillStyle endFill;
            s.fill = ReadFillStyle(in, opt, end ? &endFill : nullptr);
            s.color = s.fill.color;
            if (end) {
                end->fill = endFill;
                end->color = endFill.color;
            }
            return s;
        }
    }
    s.color = ReadColor(in, opt);
    if (end) {
        end->color = ReadRgba(in);
    }
    return s;
}

} // namespace

FillStyle ReadFillStyle(swf::BitReader& in, const ShapeReadOptions& opt, FillStyle* end) {
    FillStyle s;
    const int type = in.u8();
    switch (type) {
    case fill::Solid:
        s.color = ReadColor(in, opt);
        if (end) {
            end->color = ReadRgba(in);
        }
        break;
    case fill::LinearGradient:
    case fill::RadialGradient:
    case fill::FocalGradient:
        s.kind = type == fill::LinearGradient   ? FillStyle::Kind::Linear
                 : type == fill::RadialGradient ? FillStyle::Kind::Radial
                                                : FillStyle::Kind::Focal;
        s.matrix = ReadMatrix(in);
        if (end) {
            end->kind = s.kind;
            end->matrix = ReadMatrix(in);
        }
        ReadGradient(in, opt, s, end);
        break;
    case fill::RepeatingBitmap:
    case fill::ClippedBitmap:
    case fill::HardRepeatingBitmap:
    case fill::HardClippedBitmap:
        s.kind = FillStyle::Kind::Bitmap;
        s.bitmapId = in.u16();
        s.matrix = ReadMatrix(in);
        s.repeat = type == fill::RepeatingBitmap || type == fill::HardRepeatingBitmap;
        s.smooth = type == fill::RepeatingBitmap || type == fill::ClippedBitmap;
        if (end) {
            *end = s;
            end->matrix = ReadMatrix(in);
        }
        break;
    default:
        // An unknown fill type: the rest of the styles cannot be found; draw it as
        // nothing visible.
        s.color = QColor(0, 0, 0, 0);
        in.seek(in.size());
        break;
    }
    return s;
}

void ReadStyleSet(swf::BitReader& in, const ShapeReadOptions& opt, StyleSet& set,
                  StyleSet* endSet) {
    const int fills = ReadCount(in, opt);
    for (int i = 0; i < fills && !in.overrun(); ++i) {
        FillStyle end;
        set.fills.push_back(ReadFillStyle(in, opt, endSet ? &end : nullptr));
        if (endSet) {
            endSet->fills.push_back(end);
        }
    }
    const int lines = ReadCount(in, opt);
    for (int i = 0; i < lines && !in.overrun(); ++i) {
        LineStyle end;
        set.lines.push_back(ReadLineStyle(in, opt, endSet ? &end : nullptr));
        if (endSet) {
            endSet->lines.push_back(end);
        }
    }
}

bool ReadShapeRecords(swf::BitReader& in, const ShapeReadOptions& opt, ShapeData& data,
                      std::vector<StyleSet>* morphEndSets) {
    in.align();
    unsigned fillBits = in.ub(4);
    unsigned lineBits = in.ub(4);
    QPointF pen;
    std::size_t edges = 0;
    while (true) {
        if (in.overrun()) {
            return false;
        }
        if (in.flag()) { // edge
            if (++edges > MaxShapeEdges) {
                return false;
            }
            ShapeRecord r;
            const bool straight = in.flag();
            const unsigned bits = in.ub(4) + 2;
            if (straight) {
                r.type = ShapeRecord::Type::Straight;
                double dx = 0, dy = 0;
                if (in.flag()) {
                    dx = in.sb(bits);
                    dy = in.sb(bits);
                } else if (in.flag()) {
                    dy = in.sb(bits);
                } else {
                    dx = in.sb(bits);
                }
                r.to = pen + QPointF(dx, dy);
                r.control = (pen + r.to) / 2;
            } else {
                r.type = ShapeRecord::Type::Curve;
                const double cx = in.sb(bits), cy = in.sb(bits);
                const double ax = in.sb(bits), ay = in.sb(bits);
                r.control = pen + QPointF(cx, cy);
                r.to = r.control + QPointF(ax, ay);
            }
            pen = r.to;
            data.records.push_back(r);
            continue;
        }
        const unsigned flags = in.ub(5);
        if (flags == 0) {
            return true;
        }
        ShapeRecord r;
        if (flags & 0x01) {
            const unsigned bits = in.ub(5);
            const double x = in.sb(bits), y = in.sb(bits);
            r.moveTo = true;
            r.to = QPointF(x, y);
            pen = r.to;
        }
        if (flags & 0x02) {
            r.fill0 = static_cast<int>(in.ub(fillBits));
        }
        if (flags & 0x04) {
            r.fill1 = static_cast<int>(in.ub(fillBits));
        }
        if (flags & 0x08) {
            r.line = static_cast<int>(in.ub(lineBits));
        }
        if ((flags & 0x10) && opt.hasStyles && opt.version >= 2) {
            StyleSet set;
            StyleSet endSet;
            ReadStyleSet(in, opt, set, morphEndSets ? &endSet : nullptr);
            data.styleSets.push_back(std::move(set));
            if (morphEndSets) {
                morphEndSets->push_back(std::move(endSet));
            }
            r.styleSet = static_cast<int>(data.styleSets.size()) - 1;
            in.align();
            fillBits = in.ub(4);
            lineBits = in.ub(4);
        }
        data.records.push_back(r);
    }
}

ShapeData ReadDefineShape(swf::BitReader& in, int version, bool& complete) {
    ShapeData data;
    ShapeReadOptions opt;
    opt.version = version;
    data.bounds = ReadRect(in);
    if (version >= 4) {
        ReadRect(in); // edge bounds
        in.u8();      // stroke flags
    }
    data.styleSets.emplace_back();
    ReadStyleSet(in, opt, data.styleSets[0], nullptr);
    complete = ReadShapeRecords(in, opt, data) && !in.overrun();
    return data;
}

} // namespace quillon::engine
