#include "codec/swf/TagCodes.h"
#include "player/engine/parse/RecordReaders.h"
#include "player/engine/parse/TimelineParser.h"

namespace quillon::engine {

namespace {

void ReadPlace2Flags(swf::BitReader& in, const Tag& tag, PlaceCommand& cmd) {
    const std::uint8_t flags = in.u8();
    std::uint8_t flags2 = 0;
    if (tag.code == swf::tags::PlaceObject3) {
        flags2 = in.u8();
    }
    cmd.depth = in.u16();
    cmd.move = flags & 0x01;
    const bool hasClassName = flags2 & 0x08;
    const bool hasImage = flags2 & 0x10;
    if (hasClassName || (hasImage && (flags & 0x02))) {
        in.string();
    }
    if (flags & 0x02) {
        cmd.characterId = in.u16();
    }
    if (flags & 0x04) {
        cmd.matrix = ReadMatrix(in);
    }
    if (flags & 0x08) {
        cmd.colorTransform = ReadColorTransform(in, true);
    }
    if (flags & 0x10) {
        cmd.ratio = in.u16();
    }
    if (flags & 0x20) {
        cmd.name = in.string();
    }
    if (flags & 0x40) {
        cmd.clipDepth = in.u16();
    }
    if (flags2 & 0x01) {
        cmd.filters = ReadFilterList(in);
    }
    if (flags2 & 0x02) {
        cmd.blendMode = in.u8();
    }
    if (flags2 & 0x04) {
        in.u8(); // cache as bitmap
    }
    if (flags2 & 0x20) {
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
