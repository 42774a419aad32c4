#include "player/engine/parse/TimelineParser.h"

#include "player/engine/parse/BitmapParser.h"
#include "player/engine/parse/DefinitionParsers.h"
#include "player/engine/parse/TagCodes.h"

#include <set>

namespace quillon::engine {

namespace {

// Tags the engine has no use for; skipped without a word.
const std::set<int> QuietTags = {
    14, 15, 18, 19, 24, 41, 45, 57, 58, 63, 64, 65, 66, 69, 71, 72, 73, 74,
    76, 77, 78, 82, 86, 87, 88, 89, 91, 93, 3,  17, 23, 25, 16, 40, 42, 255,
};

// Names under which attachMovie finds symbols.
void ReadExports(const Tag& tag, ParseContext& context) {
    BitReader in(tag.body);
    const std::uint16_t count = in.u16();
    for (std::uint16_t i = 0; i < count && !in.overrun(); ++i) {
        const std::uint16_t id = in.u16();
        const std::string name = in.string();
        if (!in.overrun()) {
            context.exports[AsciiLowerName(name)] = id;
        }
    }
}

void ParseSprite(const Tag& tag, ParseContext& context, int depth) {
    BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    in.u16(); // frame count: a hint only
    auto sprite = std::make_shared<SpriteCharacter>();
    if (depth >= MaxNestingDepth) {
        context.warn("sprites nested deeper than " + std::to_string(MaxNestingDepth) +
                     " levels are left empty");
    } else {
        ParseTimeline(in.rest(), context, sprite->timeline, depth + 1);
    }
    context.dictionary.define(id, std::move(sprite));
}

void ParseDefinition(const Tag& tag, ParseContext& context, int depth) {
    switch (tag.code) {
    case tags::DefineShape:
    case tags::DefineShape2:
    case tags::DefineShape3:
    case tags::DefineShape4:
        ParseShapeTag(tag, context);
        break;
    case tags::DefineMorphShape:
    case tags::DefineMorphShape2:
        ParseMorphShapeTag(tag, context);
        break;
    case tags::DefineBits:
    case tags::JpegTables:
    case tags::DefineBitsJpeg2:
    case tags::DefineBitsJpeg3:
    case tags::DefineBitsJpeg4:
    case tags::DefineBitsLossless:
    case tags::DefineBitsLossless2:
        ParseBitmapTag(tag, context);
        break;
    case tags::DefineFont:
    case tags::DefineFont2:
    case tags::DefineFont3:
    case tags::DefineFontInfo:
    case tags::DefineFontInfo2:
        ParseFontTag(tag, context);
        break;
    case tags::DefineText:
    case tags::DefineText2:
        ParseTextTag(tag, context);
        break;
    case tags::DefineEditText:
        ParseEditTextTag(tag, context);
        break;
    case tags::DefineButton:
    case tags::DefineButton2:
        ParseButtonTag(tag, context);
        break;
    case tags::DefineSprite:
        ParseSprite(tag, context, depth);
        break;
    case tags::DefineVideoStream:
    case tags::VideoFrame:
        ParseVideoTag(tag, context);
        break;
    default:
        if (!QuietTags.contains(tag.code)) {
            context.warn("skipped unknown tag " + std::to_string(tag.code));
        }
        break;
    }
}

} // namespace

void ParseTimeline(std::span<const std::uint8_t> body, ParseContext& context, Timeline& timeline,
                   int depth) {
    BitReader in(body);
    Frame frame;
    bool ended = false;
    while (!in.atEnd()) {
        const std::uint16_t header = in.u16();
        Tag tag;
        tag.code = header >> 6;
        std::size_t length = header & 0x3f;
        if (length == 0x3f) {
            length = in.u32();
        }
        if (in.overrun()) {
            context.warn("a tag header runs past the end of the movie");
            break;
        }
        if (length > in.remaining()) {
            context.warn("tag " + std::to_string(tag.code) + " runs past the end; read in part");
            length = in.remaining();
        }
        tag.body = in.take(length);
        if (tag.code == tags::End) {
            ended = true;
            break;
        }
        try {
            switch (tag.code) {
            case tags::ShowFrame:
                timeline.frames.push_back(std::move(frame));
                frame = Frame{};
                break;
            case tags::PlaceObject:
            case tags::PlaceObject2:
            case tags::PlaceObject3:
            case tags::RemoveObject:
            case tags::RemoveObject2:
                frame.commands.push_back(ParsePlaceCommand(tag, context));
                break;
            case tags::FrameLabel:
                if (frame.label.empty()) {
                    BitReader label(tag.body);
                    frame.label = label.string();
                }
                break;
            case tags::DoAction:
                frame.actions.emplace_back(tag.body.begin(), tag.body.end());
                break;
            case tags::DoInitAction:
                if (tag.body.size() >= 2) {
                    frame.initActions.push_back(
                        InitAction{static_cast<std::uint16_t>(tag.body[0] | (tag.body[1] << 8)),
                                   std::vector<std::uint8_t>(tag.body.begin() + 2, tag.body.end())});
                }
                break;
            case tags::ExportAssets:
                ReadExports(tag, context);
                break;
            case tags::SetBackgroundColor:
                if (depth == 0 && tag.body.size() >= 3 && !context.background) {
                    context.background = QColor(tag.body[0], tag.body[1], tag.body[2]);
                }
                break;
            default:
                ParseDefinition(tag, context, depth);
                break;
            }
        } catch (const std::exception& error) {
            // a definition that cannot be built (out of memory and the like) is skipped
            context.warn("tag " + std::to_string(tag.code) + " skipped: " + error.what());
        }
    }
    if (!frame.commands.empty() || !frame.actions.empty() || !frame.initActions.empty() ||
        timeline.frames.empty()) {
        timeline.frames.push_back(std::move(frame));
    }
    if (!ended && depth == 0) {
        context.warn("the movie has no End tag");
    }
}

} // namespace quillon::engine
