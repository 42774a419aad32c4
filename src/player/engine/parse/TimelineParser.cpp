#include "player/engine/parse/TimelineParser.h"

#include "codec/swf/TagCodes.h"
#include "player/engine/parse/BitmapParser.h"
#include "player/engine/parse/DefinitionParsers.h"
#include "player/engine/parse/ImportParser.h"
#include "player/engine/parse/ScriptTagParser.h"
#include "player/engine/parse/SoundParser.h"

#include <map>
#include <set>

namespace quillon::engine {

namespace {

// Tags the engine has no use for; skipped without a word.
namespace t = swf::tags;
// clang-format off
const std::set<int> QuietTags = {
    t::DefineSound, t::StartSound, t::SoundStreamHead, t::SoundStreamBlock, t::Protect,
    t::ProductInfo, t::SoundStreamHead2, t::ImportAssets, t::EnableDebugger,
    t::DebugId, t::EnableDebugger2, t::ScriptLimits, t::SetTabIndex, t::FileAttributes,
    t::ImportAssets2, t::DoAbcDefine, t::DefineFontAlignZones, t::SymbolClass,
    t::Metadata, t::DefineScalingGrid, t::DoAbc, t::DefineSceneAndFrameLabels,
    t::DefineFontName, t::StartSound2, t::DefineFont4, t::EnableTelemetry,
    t::FreeCharacter, t::DefineButtonSound, t::DefineButtonColorTransform,
    t::PathsArePostScript, t::StopSound, t::NameCharacter, t::GeneratorText, t::ToolMarker};
// clang-format on

// Names under which attachMovie finds symbols.
void ReadExports(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    const std::uint16_t count = in.u16();
    for (std::uint16_t i = 0; i < count && !in.overrun(); ++i) {
        const std::uint16_t id = in.u16();
        const std::string name = in.string();
        if (!in.overrun()) {
            context.exports[AsciiLowerName(name)] = id;
        }
    }
}

using DefinitionParser = void (*)(const Tag&, ParseContext&);

// The parser of each definition tag but DefineSprite, which nests.
const std::map<int, DefinitionParser>& DefinitionParsers() {
    static const std::map<int, DefinitionParser> parsers = [] {
        std::map<int, DefinitionParser> out;
        const auto route = [&](std::initializer_list<int> codes, DefinitionParser parse) {
            for (int code : codes) {
                out[code] = parse;
            }
        };
        route({t::DefineShape, t::DefineShape2, t::DefineShape3, t::DefineShape4}, ParseShapeTag);
        route({t::DefineMorphShape, t::DefineMorphShape2}, ParseMorphShapeTag);
        route({t::DefineBits, t::JpegTables, t::DefineBitsJpeg2, t::DefineBitsJpeg3,
               t::DefineBitsJpeg4, t::DefineBitsLossless, t::DefineBitsLossless2},
              ParseBitmapTag);
        route(
            {t::DefineFont, t::DefineFont2, t::DefineFont3, t::DefineFontInfo, t::DefineFontInfo2},
            ParseFontTag);
        route({t::DefineText, t::DefineText2}, ParseTextTag);
        route({t::DefineEditText}, ParseEditTextTag);
        route({t::TextSettings}, ParseTextSettingsTag);
        route({t::DefineButton, t::DefineButton2}, ParseButtonTag);
        route({t::DefineVideoStream, t::VideoFrame}, ParseVideoTag);
        return out;
    }();
    return parsers;
}

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
    if (sprite->timeline.stream && !sprite->timeline.stream->blocks.empty()) {
        context.sounds.streams.emplace_back(id, sprite->timeline.stream);
    }
    context.dictionary.define(id, std::move(sprite));
}

void ParseDefinition(const Tag& tag, ParseContext& context, int depth) {
    if (tag.code == t::DefineSprite) {
        ParseSprite(tag, context, depth);
    } else if (const auto it = DefinitionParsers().find(tag.code);
               it != DefinitionParsers().end()) {
        it->second(tag, context);
    } else if (!QuietTags.contains(tag.code)) {
        context.warn("skipped unknown tag " + std::to_string(tag.code));
    }
}

// The scenes and labels of DefineSceneAndFrameLabelData.
void ReadScenes(const Tag& tag, Timeline& timeline) {
    constexpr std::uint32_t MaxEntries = 16000;
    swf::BitReader in(tag.body);
    const auto readList = [&in] {
        const std::uint32_t count = in.encodedU32();
        std::vector<SceneStart> list;
        for (std::uint32_t i = 0; i < count && i < MaxEntries && !in.overrun(); ++i) {
            const std::uint32_t offset = in.encodedU32();
            std::string name = in.string();
            if (!in.overrun() && offset < MaxEntries * 1000) {
                list.push_back(SceneStart{static_cast<int>(offset), std::move(name)});
            }
        }
        return list;
    };
    timeline.scenes = readList();
    timeline.sceneLabels = readList();
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
    case swf::tags::DefineSceneAndFrameLabels:
        ReadScenes(tag, timeline);
        break;
    case swf::tags::DoAction:
        frame.actions.emplace_back(tag.body.begin(), tag.body.end());
        break;
    case swf::tags::DoInitAction:
        if (tag.body.size() >= 2) {
            frame.initActions.push_back(
                InitAction{static_cast<std::uint16_t>(tag.body[0] | (tag.body[1] << 8)),
                           std::vector<std::uint8_t>(tag.body.begin() + 2, tag.body.end())});
        }
        break;
    case swf::tags::ImportAssets:
    case swf::tags::ImportAssets2:
        ParseImportTag(tag, context, frame);
        break;
    case swf::tags::ExportAssets:
        // Scripts attach clips by these names, and sounds are started by them.
        ReadExports(tag, context);
        ParseSoundTag(tag, context, timeline, frame);
        break;
    case swf::tags::SetBackgroundColor:
        if (depth == 0 && tag.body.size() >= 3 && !context.background) {
            context.background = QColor(tag.body[0], tag.body[1], tag.body[2]);
        }
        break;
    default:
        if (IsScriptTag(tag.code)) {
            ParseScriptTag(tag, context, static_cast<int>(timeline.frames.size()), depth);
        } else if (IsSoundTag(tag.code)) {
            ParseSoundTag(tag, context, timeline, frame);
        } else {
            ParseDefinition(tag, context, depth);
        }
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
    const bool partFrame = !frame.commands.empty() || !frame.actions.empty() ||
                           !frame.sounds.empty() || !frame.initActions.empty();
    if (partFrame || timeline.frames.empty()) {
        timeline.frames.push_back(std::move(frame));
    }
    timeline.loops = depth == 0 || (ended && !partFrame);
    if (depth == 0 && timeline.stream && !timeline.stream->blocks.empty()) {
        context.sounds.streams.emplace_back(0, timeline.stream);
    }
    if (!ended && depth == 0) {
        context.warn("the movie has no End tag");
    }
}

} // namespace quillon::engine
