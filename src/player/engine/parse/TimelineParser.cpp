#include "player/engine/parse/TimelineParser.h"

#include "codec/swf/TagCodes.h"
#include "player/engine/parse/BitmapParser.h"
#include "player/engine/parse/DefinitionParsers.h"

#include <set>

namespace quillon::engine {

namespace {

// Tags the engine has no use for; skipped without a word.
namespace t = swf::tags;
const std::set<int> QuietTags = {
    t::DefineSound,
    t::StartSound,
    t::SoundStreamHead,
    t::SoundStreamBlock,
    t::Protect,
    t::ProductInfo,
    t::SoundStreamHead2,
    t::ExportAssets,
    t::ImportAssets,
    t::EnableDebugger,
    t::DebugId,
    t::EnableDebugger2,
    t::ScriptLimits,
    t::SetTabIndex,
    t::FileAttributes,
    t::ImportAssets2,
    t::DoAbcDefine,
    t::DefineFontAlignZones,
    t::TextSettings,
    t::SymbolClass,
    t::Metadata,
    t::DefineScalingGrid,
    t::DoAbc,
    t::DefineSceneAndFrameLabels,
    t::DefineBinaryData,
    t::DefineFontName,
    t::StartSound2,
    t::DefineFont4,
    t::EnableTelemetry,
    t::FreeCharacter,
    t::DoInitAction,
    t::DefineButtonSound,
    t::DefineButtonColorTransform,
    t::PathsArePostScript,
    t::StopSound,
    t::NameCharacter,
    t::GeneratorText,
    t::ToolMarker,
};

void ParseSprite(const Tag& tag, ParseContext& context, int depth) {
    swf::BitReader in(tag.body);
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
    case swf::tags::DefineShape:
    case swf::tags::DefineShape2:
    case swf::tags::DefineShape3:
    case swf::tags::DefineShape4:
        ParseShapeTag(tag, context);
        break;
    case swf::tags::DefineMorphShape:
    case swf::tags::DefineMorphShape2:
        ParseMorphShapeTag(tag, context);
        break;
    case swf::tags::DefineBits:
    case swf::tags::JpegTables:
    case swf::tags::DefineBitsJpeg2:
    case swf::tags::DefineBitsJpeg3:
    case swf::tags::DefineBitsJpeg4:
    case swf::tags::DefineBitsLossless:
    case swf::tags::DefineBitsLossless2:
        ParseBitmapTag(tag, context);
        break;
    case swf::tags::DefineFont:
    case swf::tags::DefineFont2:
    case swf::tags::DefineFont3:
    case swf::tags::DefineFontInfo:
    case swf::tags::DefineFontInfo2:
        ParseFontTag(tag, context);
        break;
    case swf::tags::DefineText:
    case swf::tags::DefineText2:
        ParseTextTag(tag, context);
        break;
    case swf::tags::DefineEditText:
        ParseEditTextTag(tag, context);
        break;
    case swf::tags::DefineButton:
    case swf::tags::DefineButton2:
        ParseButtonTag(tag, context);
        break;
    case swf::tags::DefineSprite:
        ParseSprite(tag, context, depth);
        break;
    case swf::tags::DefineVideoStream:
    case swf::tags::VideoFrame:
        ParseVideoTag(tag, context);
        break;
    default:
        if (!QuietTags.contains(tag.code)) {
            context.warn("skipped unknown tag " + std::to_string(tag.code));
        }
        break;
    }
}

// One tag of a timeline: a frame ends, a frame's contents, or a definition.
void ParseFrameTag(const Tag& tag, ParseContext& context, Frame& frame, Timeline& timeline,
                   int depth) {
    switch (tag.code) {
    case swf::tags::ShowFrame:
        timeline.frames.push_back(std::move(frame));
        frame = Frame{};
        break;
    case swf::tags::PlaceObject:
    case swf::tags::PlaceObject2:
    case swf::tags::PlaceObject3:
    case swf::tags::RemoveObject:
    case swf::tags::RemoveObject2:
        frame.commands.push_back(ParsePlaceCommand(tag, context));
        break;
    case swf::tags::FrameLabel:
        if (frame.label.empty()) {
            swf::BitReader label(tag.body);
            frame.label = label.string();
        }
        break;
    case swf::tags::DoAction:
        frame.actions.emplace_back(tag.body.begin(), tag.body.end());
        break;
    case swf::tags::SetBackgroundColor:
        if (depth == 0 && tag.body.size() >= 3 && !context.background) {
            context.background = QColor(tag.body[0], tag.body[1], tag.body[2]);
        }
        break;
    default:
        ParseDefinition(tag, context, depth);
        break;
    }
}

} // namespace

void ParseTimeline(std::span<const std::uint8_t> body, ParseContext& context, Timeline& timeline,
                   int depth) {
    swf::TagStream stream(body);
    Frame frame;
    bool ended = false;
    Tag tag;
    for (swf::TagRead read; (read = stream.next(tag)) != swf::TagRead::NoMore;) {
        if (read == swf::TagRead::HeaderCut) {
            context.warn("a tag header runs past the end of the movie");
            break;
        }
        if (read == swf::TagRead::BodyCut) {
            context.warn("tag " + std::to_string(tag.code) + " runs past the end; read in part");
        }
        if (tag.code == swf::tags::End) {
            ended = true;
            break;
        }
        try {
            ParseFrameTag(tag, context, frame, timeline, depth);
        } catch (const std::exception& error) {
            // a definition that cannot be built (out of memory and the like) is skipped
            context.warn("tag " + std::to_string(tag.code) + " skipped: " + error.what());
        }
    }
    if (!frame.commands.empty() || !frame.actions.empty() || timeline.frames.empty()) {
        timeline.frames.push_back(std::move(frame));
    }
    if (!ended && depth == 0) {
        context.warn("the movie has no End tag");
    }
}

} // namespace quillon::engine
