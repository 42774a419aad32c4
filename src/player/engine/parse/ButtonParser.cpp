#include "codec/swf/TagCodes.h"
#include "player/engine/parse/DefinitionParsers.h"
#include "player/engine/parse/RecordReaders.h"

namespace quillon::engine {

namespace {

// DefineButton's one action list runs on release over the button.
constexpr std::uint16_t OverDownToOverUp = 0x0008;

// The records up to the end flag; false when the tag is damaged.
bool ReadButtonRecords(swf::BitReader& in, bool second, ButtonCharacter& button) {
    while (!in.atEnd()) {
        const std::uint8_t flags = in.u8();
        if (flags == 0) {
            return true;
        }
        ButtonRecord record;
        record.states = flags & 0x0F;
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
            return false;
        }
        button.records.push_back(std::move(record));
    }
    return true;
}

// DefineButton2's condition actions: each names its size (0 for the last) and its
// conditions, then its action records.
void ReadConditionActions(std::span<const std::uint8_t> body, std::size_t start,
                          ButtonCharacter& button) {
    std::size_t at = start;
    while (at + 4 <= body.size()) {
        const std::size_t size = body[at] | (body[at + 1] << 8);
        const std::size_t end = size == 0 || at + size > body.size() ? body.size() : at + size;
        if (end < at + 4) {
            return;
        }
        ButtonAction action;
        action.conditions = static_cast<std::uint16_t>(body[at + 2] | (body[at + 3] << 8));
        action.code.assign(body.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           body.begin() + static_cast<std::ptrdiff_t>(end));
        button.actions.push_back(std::move(action));
        if (size == 0) {
            return;
        }
        at = end;
    }
}

} // namespace

void ParseButtonTag(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    const bool second = tag.code == swf::tags::DefineButton2;
    std::size_t actionStart = 0;
    if (second) {
        in.u8(); // track as menu
        const std::size_t offsetAt = in.position();
        const std::uint16_t offset = in.u16();
        actionStart = offset ? offsetAt + offset : 0;
    }
    auto button = std::make_shared<ButtonCharacter>();
    if (!ReadButtonRecords(in, second, *button)) {
        context.warn("button " + std::to_string(id) + " is damaged");
    } else if (!second && !in.atEnd()) {
        const auto rest = in.rest();
        button->actions.push_back({OverDownToOverUp, {rest.begin(), rest.end()}});
    } else if (actionStart) {
        ReadConditionActions(tag.body, actionStart, *button);
    }
    context.dictionary.define(id, std::move(button));
}

} // namespace quillon::engine
