#include "codec/swf/TagCodes.h"
#include "player/engine/parse/DefinitionParsers.h"
#include "player/engine/parse/RecordReaders.h"
#include "player/engine/parse/ShapeParser.h"

#include <algorithm>

namespace quillon::engine {

void ParseMorphShapeTag(const Tag& tag, ParseContext& context) {
    auto morph = std::make_shared<MorphCharacter>();
    swf::BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    morph->startBounds = ReadRect(in);
    morph->endBounds = ReadRect(in);
    ShapeReadOptions opt;
    opt.version = 3;
    opt.morph = true;
    opt.morph2 = tag.code == swf::tags::DefineMorphShape2;
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
    swf::BitReader endIn(tag.body);
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
    swf::BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    const int version = tag.code == swf::tags::DefineShape    ? 1
                        : tag.code == swf::tags::DefineShape2 ? 2
                        : tag.code == swf::tags::DefineShape3 ? 3
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
