#include "player/engine/parse/Records.h"
#include "player/engine/parse/TagCodes.h"
#include "player/engine/parse/TimelineParser.h"

namespace quillon::engine {

namespace {

// The clip actions at the end of PlaceObject2/3: event masks are 16 bits before
// version 6, 32 bits from then on.
ClipActions ReadClipActions(BitReader& in, int version) {
    auto actions = std::make_shared<std::vector<ClipAction>>();
    in.u16();
    const auto eventMask = [&] { return version >= 6 ? in.u32() : std::uint32_t{in.u16()}; };
    eventMask();
    while (!in.atEnd() && !in.overrun()) {
        ClipAction action;
        action.events = eventMask();
        if (action.events == 0 || in.overrun()) {
            break;
        }
        std::size_t size = in.u32();
        if (action.events & (1u << 17)) {
            in.u8(); // key code of a key press
            size = size > 0 ? size - 1 : 0;
        }
        const auto code = in.take(std::min(size, in.remaining()));
        action.code.assign(code.begin(), code.end());
        actions->push_back(std::move(action));
    }
    return actions;
}

void ReadPlace2Flags(BitReader& in, const Tag& tag, PlaceCommand& cmd, int version) {
    const std::uint8_t flags = in.u8();
    std::uint8_t flags2 = 0;
    if (tag.code == tags::PlaceObject3) {
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
    if (flags2 & 0x40) {
        in.u32(); // opaque background colour
    }
    if ((flags & 0x80) && !in.overrun()) {
        cmd.clipActions = ReadClipActions(in, version);
    }
}

} // namespace

PlaceCommand ParsePlaceCommand(const Tag& tag, const ParseContext& context) {
    BitReader in(tag.body);
    PlaceCommand cmd;
    cmd.epoch = context.dictionary.epoch();
    switch (tag.code) {
    case tags::PlaceObject:
        cmd.characterId = in.u16();
        cmd.depth = in.u16();
        cmd.matrix = ReadMatrix(in);
        if (!in.atEnd()) {
            cmd.colorTransform = ReadColorTransform(in, false);
        }
        break;
    case tags::RemoveObject:
        cmd.remove = true;
        in.u16();
        cmd.depth = in.u16();
        break;
    case tags::RemoveObject2:
        cmd.remove = true;
        cmd.depth = in.u16();
        break;
    default:
        ReadPlace2Flags(in, tag, cmd, context.version);
        break;
    }
    return cmd;
}

} // namespace quillon::engine
