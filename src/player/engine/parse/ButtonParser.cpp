#include "codec/swf/TagCodes.h"
#include "player/engine/parse/DefinitionParsers.h"
#include "player/engine/parse/RecordReaders.h"

namespace quillon::engine {

void ParseButtonTag(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    const bool second = tag.code == swf::tags::DefineButton2;
    if (second) {
        in.u8();  // track as menu
        in.u16(); // action offset
    }
    auto button = std::make_shared<ButtonCharacter>();
    while (!in.atEnd()) {
        const std::uint8_t flags = in.u8();
        if (flags == 0) {
            break;
        }
        ButtonRecord record;
        record.characterId = in.u16();
        record.depth = in.u16();
        record.matrix = ReadMatrix(in);
        if (second) {
            record.colorTransform = ReadColorTransform(in, true);
            if (flags & 0x10) {
                record.filters = ReadFilterList(in);
            }
            if (flags & 0x20) {
                record.blendMode = in.u8();
            }
        }
        if (in.overrun()) {
            context.warn("button " + std::to_string(id) + " is damaged");
            break;
        }
        if (flags & 0x01) {
            button->upState.push_back(std::move(record));
        }
    }
    context.dictionary.define(id, std::move(button));
}

} // namespace quillon::engine
