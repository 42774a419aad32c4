#include "codec/swf/TagCodes.h"
#include "player/engine/parse/RecordReaders.h"
#include "player/engine/parse/TimelineParser.h"

namespace quillon::engine {

namespace {

// The flags of PlaceObject2, and the second flag byte of PlaceObject3.
constexpr std::uint8_t Move = 0x01, HasCharacter = 0x02, HasMatrix = 0x04;
constexpr std::uint8_t HasColorTransform = 0x08, HasRatio = 0x10, HasName = 0x20;
constexpr std::uint8_t HasClipDepth = 0x40;
constexpr std::uint8_t HasFilters = 0x01, HasBlendMode = 0x02, HasCacheAsBitmap = 0x04;
constexpr std::uint8_t HasClassName = 0x08, HasImage = 0x10, HasVisible = 0x20;

void ReadPlace2Flags(swf::BitReader& in, const Tag& tag, PlaceCommand& cmd) {
    const std::uint8_t flags = in.u8();
    const std::uint8_t flags3 = tag.code == swf::tags::PlaceObject3 ? in.u8() : 0;
    cmd.depth = in.u16();
    cmd.move = flags & Move;
    if ((flags3 & HasClassName) || ((flags3 & HasImage) && (flags & HasCharacter))) {
        in.string();
    }
    if (flags & HasCharacter) {
        cmd.characterId = in.u16();
    }
    if (flags & HasMatrix) {
        cmd.matrix = ReadMatrix(in);
    }
    if (flags & HasColorTransform) {
        cmd.colorTransform = ReadColorTransform(in, true);
    }
    if (flags & HasRatio) {
        cmd.ratio = in.u16();
    }
    if (flags & HasName) {
        cmd.name = in.string();
    }
    if (flags & HasClipDepth) {
        cmd.clipDepth = in.u16();
    }
    if (flags3 & HasFilters) {
        cmd.filters = ReadFilterList(in);
    }
    if (flags3 & HasBlendMode) {
        cmd.blendMode = in.u8();
    }
    if (flags3 & HasCacheAsBitmap) {
        in.u8();
    }
    if (flags3 & HasVisible) {
        cmd.visible = in.u8() != 0;
    }
}

} // namespace

PlaceCommand ParsePlaceCommand(const Tag& tag, const ParseContext& context) {
    swf::BitReader in(tag.body);
    PlaceCommand cmd;
    cmd.epoch = context.dictionary.epoch();
    switch (tag.code) {
    case swf::tags::PlaceObject:
        cmd.characterId = in.u16();
        cmd.depth = in.u16();
        cmd.matrix = ReadMatrix(in);
        if (!in.atEnd()) {
            cmd.colorTransform = ReadColorTransform(in, false);
        }
        break;
    case swf::tags::RemoveObject:
        cmd.remove = true;
        in.u16();
        cmd.depth = in.u16();
        break;
    case swf::tags::RemoveObject2:
        cmd.remove = true;
        cmd.depth = in.u16();
        break;
    default:
        ReadPlace2Flags(in, tag, cmd);
        break;
    }
    return cmd;
}

} // namespace quillon::engine
