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

constexpr std::uint8_t HasClipActions = 0x80, HasOpaqueBackground = 0x40;
constexpr std::uint32_t KeyPressEvent = 1u << 17;

// The clip actions at the end of PlaceObject2/3: event masks are 16 bits before
// version 6, 32 bits from then on.
ClipActions ReadClipActions(swf::BitReader& in, int version) {
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
        if (action.events & KeyPressEvent) {
            in.u8(); // key code of a key press
            size = size > 0 ? size - 1 : 0;
        }
        const auto code = in.take(std::min(size, in.remaining()));
        action.code.assign(code.begin(), code.end());
        actions->push_back(std::move(action));
    }
    return actions;
}

void ReadPlace2Flags(swf::BitReader& in, const Tag& tag, PlaceCommand& cmd, int version) {
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
        cmd.named = true;
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
        cmd.cacheAsBitmap = in.u8() != 0;
    }
    if (flags3 & HasVisible) {
        cmd.visible = in.u8() != 0;
    }
    if (flags3 & HasOpaqueBackground) {
        // RGBA: the background is opaque whatever its alpha says
        const std::uint32_t r = in.u8(), g = in.u8(), b = in.u8();
        in.u8();
        cmd.opaqueBackground = r << 16 | g << 8 | b;
    }
    if ((flags & HasClipActions) && !in.overrun()) {
        cmd.clipActions = ReadClipActions(in, version);
    }
}

} // namespace

PlaceCommand ParsePlaceCommand(const Tag& tag, const ParseContext& context) {
    swf::BitReader in(tag.body);
    PlaceCommand cmd;
    cmd.epoch = context.dictionary.epoch();
    cmd.dictionary = context.library ? &context.dictionary : nullptr;
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
        ReadPlace2Flags(in, tag, cmd, context.version);
        break;
    }
    return cmd;
}

} // namespace quillon::engine
