#include "player/engine/sound/SoundDecoder.h"

#include "player/engine/sound/PacketDecoder.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace quillon::engine {

namespace {

// Drops the first count samples per channel (the decoder delay MP3 declares).
void SkipFrames(Pcm& pcm, std::size_t count) {
    const std::size_t drop = std::min(count, pcm.frames()) * static_cast<std::size_t>(pcm.channels);
    pcm.samples.erase(pcm.samples.begin(), pcm.samples.begin() + static_cast<std::ptrdiff_t>(drop));
}

void NoteLimit(const Pcm& pcm, const std::string& what, std::vector<std::string>& warnings) {
    if (pcm.frames() >= MaxDecodedFrames) {
        warnings.push_back(what + " is longer than ten minutes; the rest stays silent");
    }
}

// Each MP3 block holds whole frames of one stream; others are decoded block by block.
std::size_t DeclaredOrDecoded(const StreamSound::Block& block, bool mp3, std::size_t decoded) {
    return mp3 && block.sampleCount > 0 ? static_cast<std::size_t>(block.sampleCount) : decoded;
}

} // namespace

Pcm DecodeSound(const SoundCharacter& sound, std::vector<std::string>& warnings) {
    Pcm pcm;
    pcm.rate = sound.format.rate;
    pcm.channels = sound.format.channels;
    const std::string what = "sound " + std::to_string(sound.id);
    PacketDecoder decoder;
    std::string reason;
    if (!decoder.open(sound.format, reason)) {
        warnings.push_back(what + " stays silent: " + reason);
        return pcm;
    }
    const std::size_t limit = MaxDecodedFrames + static_cast<std::size_t>(sound.seekSamples);
    decoder.decode(sound.data, pcm, limit);
    decoder.flush(pcm, limit);
    if (decoder.hadErrors()) {
        warnings.push_back(what + " is partly damaged; what decodes is played");
    }
    SkipFrames(pcm, static_cast<std::size_t>(sound.seekSamples));
    if (sound.sampleCount > 0 && pcm.frames() > sound.sampleCount) {
        pcm.samples.resize(static_cast<std::size_t>(sound.sampleCount) *
                           static_cast<std::size_t>(pcm.channels));
    }
    NoteLimit(pcm, what, warnings);
    return pcm;
}

DecodedStream DecodeStream(const StreamSound& stream, std::vector<std::string>& warnings) {
    DecodedStream result;
    result.pcm.rate = stream.format.rate;
    result.pcm.channels = stream.format.channels;
    PacketDecoder decoder;
    std::string reason;
    if (!decoder.open(stream.format, reason)) {
        warnings.push_back("a sound stream stays silent: " + reason);
        return result;
    }
    const bool mp3 = stream.format.codec == static_cast<int>(SoundCodec::Mp3);
    const std::size_t limit = MaxDecodedFrames + static_cast<std::size_t>(stream.latencySeek);
    std::size_t position = 0;
    for (const StreamSound::Block& block : stream.blocks) {
        result.blockStarts.push_back(static_cast<std::int64_t>(position));
        const std::size_t before = result.pcm.frames();
        decoder.decode(block.data, result.pcm, limit);
        position += DeclaredOrDecoded(block, mp3, result.pcm.frames() - before);
    }
    decoder.flush(result.pcm, limit);
    if (decoder.hadErrors()) {
        warnings.push_back("a sound stream is partly damaged; what decodes is played");
    }
    SkipFrames(result.pcm, static_cast<std::size_t>(stream.latencySeek));
    for (auto& start : result.blockStarts) {
        start = std::max<std::int64_t>(0, start - stream.latencySeek);
    }
    NoteLimit(result.pcm, "a sound stream", warnings);
    return result;
}

std::int64_t MixFramesFor(std::int64_t frames, int rate) {
    if (rate == 5512) {
        return frames * 8;
    }
    return rate > 0 ? (frames * MixRate + rate / 2) / rate : 0;
}

namespace {

// The rate changed, channels kept.
Pcm Resample(const Pcm& pcm) {
    Pcm out;
    out.channels = pcm.channels;
    if (pcm.rate == MixRate || pcm.frames() == 0 || pcm.rate <= 0) {
        out.samples = pcm.rate == MixRate ? pcm.samples : std::vector<std::int16_t>{};
        return out;
    }
    AVChannelLayout layout;
    av_channel_layout_default(&layout, pcm.channels);
    // 5.5 kHz is really 5512.5 Hz, an eighth of the mix rate: the same ratio in whole numbers.
    const bool eighth = pcm.rate == 5512;
    const int inRate = eighth ? 11025 : pcm.rate;
    const int outRate = eighth ? 2 * MixRate : MixRate;
    SwrContext* swr = nullptr;
    if (swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_S16, outRate, &layout, AV_SAMPLE_FMT_S16,
                            inRate, 0, nullptr) < 0 ||
        swr_init(swr) < 0) {
        swr_free(&swr);
        return out;
    }
    const int inFrames = static_cast<int>(pcm.frames());
    const int capacity = static_cast<int>(swr_get_out_samples(swr, inFrames)) + 64;
    const auto width = static_cast<std::size_t>(pcm.channels);
    out.samples.resize(static_cast<std::size_t>(capacity) * width);
    auto* target = reinterpret_cast<std::uint8_t*>(out.samples.data());
    const auto* source = reinterpret_cast<const std::uint8_t*>(pcm.samples.data());
    int made = std::max(0, swr_convert(swr, &target, capacity, &source, inFrames));
    target = reinterpret_cast<std::uint8_t*>(out.samples.data() +
                                             static_cast<std::size_t>(made) * width);
    made += std::max(0, swr_convert(swr, &target, capacity - made, nullptr, 0));
    swr_free(&swr);
    // Without the resampler's tail: exactly as many samples as the sound lasts.
    const auto length = static_cast<std::size_t>(MixFramesFor(inFrames, pcm.rate));
    out.samples.resize(std::min(length, static_cast<std::size_t>(made)) * width);
    out.samples.resize(length * width, 0);
    return out;
}

} // namespace

Pcm ToMixFormat(const Pcm& pcm) {
    Pcm resampled = Resample(pcm);
    if (resampled.channels == MixChannels) {
        return resampled;
    }
    // Mono plays at full level on both sides.
    Pcm out;
    out.samples.resize(resampled.samples.size() * MixChannels);
    for (std::size_t i = 0; i < resampled.samples.size(); ++i) {
        out.samples[2 * i] = out.samples[2 * i + 1] = resampled.samples[i];
    }
    return out;
}

} // namespace quillon::engine
