#include "player/engine/parse/DefinitionParsers.h"
#include "player/engine/parse/Records.h"
#include "player/engine/parse/ShapeParser.h"
#include "player/engine/parse/TagCodes.h"

#include <algorithm>

namespace quillon::engine {

namespace {

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
    const double t = std::clamp(ratio / 65535.0, 0.0, 1.0);
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

void ParseMorphShapeTag(const Tag& tag, ParseContext& context) {
    BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    auto morph = std::make_shared<MorphCharacter>();
    morph->startBounds = ReadRect(in);
    morph->endBounds = ReadRect(in);
    ShapeReadOptions opt;
    opt.version = 3;
    opt.morph = true;
    opt.morph2 = tag.code == tags::DefineMorphShape2;
    if (opt.morph2) {
        ReadRect(in);
        ReadRect(in);
        in.u8();
    }
    const std::uint32_t offset = in.u32();
    const std::size_t endEdgesAt = in.position() + offset;
    morph->start.bounds = morph->startBounds;
    morph->start.styleSets.emplace_back();
    morph->endStyles.emplace_back();
    ReadStyleSet(in, opt, morph->start.styleSets[0], &morph->endStyles[0]);
    bool complete = ReadShapeRecords(in, opt, morph->start, &morph->endStyles);
    BitReader endIn(tag.body);
    endIn.seek(endEdgesAt);
    ShapeData end;
    ShapeReadOptions endOpt = opt;
    endOpt.hasStyles = false;
    complete = ReadShapeRecords(endIn, endOpt, end) && complete;
    morph->endRecords = std::move(end.records);
    if (!complete) {
        context.warn("morph shape " + std::to_string(id) + " is damaged; drawn in part");
    }
    context.dictionary.define(id, std::move(morph));
}

void ParseShapeTag(const Tag& tag, ParseContext& context) {
    BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    const int version = tag.code == tags::DefineShape    ? 1
                        : tag.code == tags::DefineShape2 ? 2
                        : tag.code == tags::DefineShape3 ? 3
                                                         : 4;
    bool complete = true;
    const ShapeData data = ReadDefineShape(in, version, complete);
    if (!complete) {
        context.warn("shape " + std::to_string(id) + " is damaged or too large; drawn in part");
    }
    auto shape = std::make_shared<ShapeCharacter>();
    shape->shape = BuildShape(data);
    context.dictionary.define(id, std::move(shape));
}

} // namespace quillon::engine
