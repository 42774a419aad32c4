#include "player/engine/parse/SoundParser.h"

#include "codec/swf/TagCodes.h"

#include <algorithm>
#include <utility>

namespace quillon::engine {

namespace {

// A name table claims at most this many entries (its count is 16 bits).
constexpr std::size_t MaxNames = 65535;

SoundFormat ReadFormat(swf::BitReader& in) {
    SoundFormat format;
    format.codec = static_cast<int>(in.ub(4));
    format.rate = SoundRateOfCode(static_cast<int>(in.ub(2)));
    format.bits = in.ub(1) ? 16 : 8;
    format.channels = in.ub(1) ? 2 : 1;
    return format;
}

void ParseDefineSound(const Tag& tag, ParseContext& context, Timeline&, Frame&) {
    swf::BitReader in(tag.body);
    auto sound = std::make_shared<SoundCharacter>();
    sound->id = in.u16();
    sound->format = ReadFormat(in);
    sound->sampleCount = in.u32();
    if (sound->format.codec == static_cast<int>(SoundCodec::Mp3)) {
        sound->seekSamples = std::max<int>(0, in.s16());
    }
    if (in.overrun()) {
        context.warn("sound " + std::to_string(sound->id) + " is damaged and stays silent");
        return;
    }
    const auto rest = in.rest();
    sound->data.assign(rest.begin(), rest.end());
    context.sounds.sounds.push_back(sound);
    const std::uint16_t id = sound->id;
    context.dictionary.define(id, std::move(sound));
}

void ParseStreamHead(const Tag& tag, ParseContext& context, Timeline& timeline, Frame&) {
    swf::BitReader in(tag.body);
    in.u8(); // the playback format: a hint for the player's mixer only
    auto stream = std::make_shared<StreamSound>();
    stream->format = ReadFormat(in);
    stream->samplesPerFrame = in.u16();
    if (stream->format.codec == static_cast<int>(SoundCodec::Mp3) && in.remaining() >= 2) {
        stream->latencySeek = std::max<int>(0, in.s16());
    }
    if (in.overrun()) {
        context.warn("a sound stream head is damaged; its stream stays silent");
        return;
    }
    if (timeline.stream) {
        context.warn("a timeline declares its sound stream twice; the first one is kept");
        return;
    }
    timeline.stream = std::move(stream);
}

void ParseStreamBlock(const Tag& tag, ParseContext& context, Timeline& timeline, Frame&) {
    if (!timeline.stream) {
        context.warn("sound stream blocks without a stream head stay silent");
        return;
    }
    StreamSound::Block block;
    block.frame = static_cast<int>(timeline.frames.size());
    swf::BitReader in(tag.body);
    if (timeline.stream->format.codec == static_cast<int>(SoundCodec::Mp3)) {
        block.sampleCount = in.u16();
        in.s16(); // seek samples of this block: where a seek into this frame would start
    }
    const auto rest = in.rest();
    block.data.assign(rest.begin(), rest.end());
    auto& blocks = timeline.stream->blocks;
    if (!blocks.empty() && blocks.back().frame == block.frame) {
        context.warn("a frame holds two sound stream blocks; the second one is dropped");
        return;
    }
    blocks.push_back(std::move(block));
}

void ParseButtonSound(const Tag& tag, ParseContext& context, Timeline&, Frame&) {
    swf::BitReader in(tag.body);
    const std::uint16_t buttonId = in.u16();
    ButtonSounds sounds;
    for (auto& slot : sounds.sounds) {
        if (in.atEnd()) {
            break;
        }
        SoundStart start;
        start.soundId = in.u16();
        if (start.soundId == 0) {
            continue;
        }
        start.info = ReadSoundInfo(in);
        start.epoch = context.dictionary.epoch();
        slot = std::move(start);
    }
    if (in.overrun()) {
        context.warn("the sounds of button " + std::to_string(buttonId) + " are damaged");
    }
    context.sounds.buttons[buttonId] = std::move(sounds);
}

void ParseStartSound(const Tag& tag, ParseContext& context, Timeline&, Frame& frame) {
    swf::BitReader in(tag.body);
    SoundStart start;
    if (tag.code == swf::tags::StartSound2) {
        start.className = in.string();
    } else {
        start.soundId = in.u16();
    }
    start.info = ReadSoundInfo(in);
    start.epoch = context.dictionary.epoch();
    if (in.overrun()) {
        context.warn("a sound start is damaged and is skipped");
        return;
    }
    frame.sounds.push_back(std::move(start));
}

// ExportAssets and SymbolClass: a count, then (id, name) pairs.
void ParseNames(const Tag& tag, ParseContext& context, Timeline&, Frame&) {
    swf::BitReader in(tag.body);
    const std::size_t count = std::min<std::size_t>(in.u16(), MaxNames);
    for (std::size_t i = 0; i < count && !in.atEnd(); ++i) {
        const std::uint16_t id = in.u16();
        std::string name = in.string();
        if (in.overrun()) {
            break;
        }
        context.sounds.exports[std::move(name)] = id;
    }
}

} // namespace

bool IsSoundTag(int code) {
    switch (code) {
    case swf::tags::DefineSound:
    case swf::tags::StartSound:
    case swf::tags::DefineButtonSound:
    case swf::tags::SoundStreamHead:
    case swf::tags::SoundStreamBlock:
    case swf::tags::SoundStreamHead2:
    case swf::tags::ExportAssets:
    case swf::tags::SymbolClass:
    case swf::tags::StartSound2:
        return true;
    default:
        return false;
    }
}

SoundInfo ReadSoundInfo(swf::BitReader& in) {
    SoundInfo info;
    in.ub(2);
    info.syncStop = in.flag();
    info.noMultiple = in.flag();
    const bool hasEnvelope = in.flag();
    const bool hasLoops = in.flag();
    const bool hasOut = in.flag();
    const bool hasIn = in.flag();
    if (hasIn) {
        info.inPoint = in.u32();
    }
    if (hasOut) {
        info.outPoint = in.u32();
    }
    if (hasLoops) {
        info.loops = in.u16();
    }
    if (hasEnvelope) {
        const int points = in.u8();
        for (int i = 0; i < points && !in.overrun(); ++i) {
            EnvelopePoint point;
            point.position = in.u32();
            point.left = in.u16();
            point.right = in.u16();
            info.envelope.push_back(point);
        }
    }
    return info;
}

// Each sound tag's reader; the rest of the tags this reader is given carry names.
using SoundTagReader = void (*)(const Tag&, ParseContext&, Timeline&, Frame&);
constexpr std::pair<int, SoundTagReader> SoundTagReaders[] = {
    {swf::tags::DefineSound, ParseDefineSound},
    {swf::tags::StartSound, ParseStartSound},
    {swf::tags::StartSound2, ParseStartSound},
    {swf::tags::DefineButtonSound, ParseButtonSound},
    {swf::tags::SoundStreamHead, ParseStreamHead},
    {swf::tags::SoundStreamHead2, ParseStreamHead},
    {swf::tags::SoundStreamBlock, ParseStreamBlock},
};

void ParseSoundTag(const Tag& tag, ParseContext& context, Timeline& timeline, Frame& frame) {
    for (const auto& [code, read] : SoundTagReaders) {
        if (code == tag.code) {
            read(tag, context, timeline, frame);
            return;
        }
    }
    ParseNames(tag, context, timeline, frame);
}

int SoundRateOfCode(int code) {
    static constexpr int Rates[] = {5512, 11025, 22050, 44100};
    return Rates[code & 3];
}

std::string SoundCodecName(int codec) {
    switch (static_cast<SoundCodec>(codec)) {
    case SoundCodec::PcmNative:
        return "pcm";
    case SoundCodec::Adpcm:
        return "adpcm";
    case SoundCodec::Mp3:
        return "mp3";
    case SoundCodec::PcmLittle:
        return "pcm-le";
    case SoundCodec::Nellymoser16k:
        return "nellymoser-16k";
    case SoundCodec::Nellymoser8k:
        return "nellymoser-8k";
    case SoundCodec::Nellymoser:
        return "nellymoser";
    case SoundCodec::G711ALaw:
        return "g711-alaw";
    case SoundCodec::G711MuLaw:
        return "g711-mulaw";
    case SoundCodec::Speex:
        return "speex";
    }
    return "codec-" + std::to_string(codec);
}

} // namespace quillon::engine
