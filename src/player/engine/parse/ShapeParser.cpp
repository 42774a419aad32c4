#include "player/engine/parse/ShapeParser.h"

#include "player/engine/parse/RecordReaders.h"

namespace quillon::engine {

// The fill style types of shape records: solid, three gradients, and bitmaps repeated
// or clipped, smoothed or hard.
namespace fill {
constexpr int Solid = 0x00;
constexpr int LinearGradient = 0x10, RadialGradient = 0x12, FocalGradient = 0x13;
constexpr int RepeatingBitmap = 0x40, ClippedBitmap = 0x41;
constexpr int HardRepeatingBitmap = 0x42, HardClippedBitmap = 0x43;
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

namespace {

// A counted array of styles, and beside it the end styles of a morph shape.
template <class Style, class Reader>
void ReadStyles(swf::BitReader& in, const ShapeReadOptions& opt, std::vector<Style>& styles,
                std::vector<Style>* ends, Reader read) {
    const int count = ReadCount(in, opt);
    for (int i = 0; i < count && !in.overrun(); ++i) {
        Style end;
        styles.push_back(read(in, opt, ends ? &end : nullptr));
        if (ends) {
            ends->push_back(end);
        }
    }
}

} // namespace

void ReadStyleSet(swf::BitReader& in, const ShapeReadOptions& opt, StyleSet& set,
                  StyleSet* endSet) {
    ReadStyles(in, opt, set.fills, endSet ? &endSet->fills : nullptr, ReadFillStyle);
    ReadStyles(in, opt, set.lines, endSet ? &endSet->lines : nullptr, ReadLineStyle);
}

namespace {

// The flags of a style-change record.
enum StyleChange : unsigned {
    MoveTo = 0x01,
    NewFill0 = 0x02,
    NewFill1 = 0x04,
    NewLine = 0x08,
    NewStyles = 0x10,
};

// An edge record after its first flag bit: a straight edge or a curve from the pen.
ShapeRecord ReadEdge(swf::BitReader& in, QPointF pen) {
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
    return r;
}

struct StyleBits {
    unsigned fill = 0, line = 0;
    void read(swf::BitReader& in) {
        in.align();
        fill = in.ub(4);
        line = in.ub(4);
    }
};

// A style-change record after its flags: a move, new style indices, new style arrays.
ShapeRecord ReadStyleChange(swf::BitReader& in, unsigned flags, const ShapeReadOptions& opt,
                            StyleBits& bits, ShapeData& data, std::vector<StyleSet>* morphEndSets) {
    ShapeRecord r;
    if (flags & MoveTo) {
        const unsigned moveBits = in.ub(5);
        const double x = in.sb(moveBits), y = in.sb(moveBits);
        r.moveTo = true;
        r.to = QPointF(x, y);
    }
    if (flags & NewFill0) {
        r.fill0 = static_cast<int>(in.ub(bits.fill));
    }
    if (flags & NewFill1) {
        r.fill1 = static_cast<int>(in.ub(bits.fill));
    }
    if (flags & NewLine) {
        r.line = static_cast<int>(in.ub(bits.line));
    }
    if ((flags & NewStyles) && opt.hasStyles && opt.version >= 2) {
        StyleSet set;
        StyleSet endSet;
        ReadStyleSet(in, opt, set, morphEndSets ? &endSet : nullptr);
        data.styleSets.push_back(std::move(set));
        if (morphEndSets) {
            morphEndSets->push_back(std::move(endSet));
        }
        r.styleSet = static_cast<int>(data.styleSets.size()) - 1;
        bits.read(in);
    }
    return r;
}

} // namespace

bool ReadShapeRecords(swf::BitReader& in, const ShapeReadOptions& opt, ShapeData& data,
                      std::vector<StyleSet>* morphEndSets) {
    StyleBits bits;
    bits.read(in);
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
            const ShapeRecord r = ReadEdge(in, pen);
            pen = r.to;
            data.records.push_back(r);
            continue;
        }
        const unsigned flags = in.ub(5);
        if (flags == 0) {
            return true;
        }
        const ShapeRecord r = ReadStyleChange(in, flags, opt, bits, data, morphEndSets);
        if (r.moveTo) {
            pen = r.to;
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
        constexpr std::uint8_t UsesFillWindingRule = 0x04;
        data.windingFill = (in.u8() & UsesFillWindingRule) != 0;
    }
    data.styleSets.emplace_back();
    ReadStyleSet(in, opt, data.styleSets[0], nullptr);
    complete = ReadShapeRecords(in, opt, data) && !in.overrun();
    return data;
}

} // namespace quillon::engine
