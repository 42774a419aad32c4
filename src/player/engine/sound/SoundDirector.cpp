#include "player/engine/sound/SoundDirector.h"

#include "player/engine/sound/SoundDecoder.h"

#include <algorithm>
#include <cmath>

namespace quillon::engine {

namespace {

// Decoded sound of one movie kept at once (512 MiB); sounds past it stay silent.
constexpr std::size_t MaxDecodedBytes = 512u * 1024u * 1024u;

std::size_t BytesOf(const Pcm& pcm) {
    return pcm.samples.size() * sizeof(std::int16_t);
}

// The sample of the mix clock where frame number n begins.
std::uint64_t FrameStart(std::uint64_t n, std::uint16_t rate8_8) {
    return n * static_cast<std::uint64_t>(MixRate) * 256u / rate8_8;
}

} // namespace

struct SoundDirector::StreamPcm {
    std::shared_ptr<const Pcm> pcm;   // mix format
    std::vector<int> frames;          // per block, its timeline frame
    std::vector<std::int64_t> starts; // per block, its first sample in pcm
};

SoundDirector::SoundDirector(ParseContext& context) : context_(context) {}
SoundDirector::~SoundDirector() = default;

void SoundDirector::setFrameRate(std::uint16_t rate8_8) {
    rate8_8_ = rate8_8 == 0 ? 12 * 256 : rate8_8;
}

void SoundDirector::setEnabled(bool on) {
    enabled_ = on;
    if (!on) {
        stopAll();
    }
}

void SoundDirector::stopAll() {
    mixer_.stopAll();
    for (auto& [clip, watch] : watched_) {
        watch.stream = 0;
    }
}

std::size_t SoundDirector::nextFrameLength() const {
    return static_cast<std::size_t>(FrameStart(framesRendered_ + 1, rate8_8_) -
                                    FrameStart(framesRendered_, rate8_8_));
}

void SoundDirector::renderFrame(std::vector<std::int16_t>& out) {
    const std::size_t length = nextFrameLength();
    ++framesRendered_;
    const std::size_t first = out.size();
    out.resize(first + length * MixChannels, 0);
    if (enabled_) {
        mixer_.mix(std::span<std::int16_t>(out).subspan(first));
    }
}

void SoundDirector::frameDone(const std::shared_ptr<Clip>& root, bool seek) {
    if (!enabled_ || !root) {
        return;
    }
    ++step_;
    visit(root, seek, 0);
    // Timelines gone from the display take their streams with them.
    for (auto it = watched_.begin(); it != watched_.end();) {
        if (it->second.seen != step_ || it->second.clip.expired()) {
            mixer_.stop(it->second.stream);
            it = watched_.erase(it);
        } else {
            ++it;
        }
    }
}

void SoundDirector::visit(const std::shared_ptr<Clip>& clip, bool seek, int depth) {
    if (depth > MaxClipNesting || !clip->timeline) {
        return;
    }
    Watch& watch = watched_[clip.get()];
    if (watch.clip.lock() != clip) {
        watch = Watch{clip, -1, 0, 0}; // a new clip where a removed one lived
    }
    watch.seen = step_;
    const bool entered = clip->frame != watch.frame && clip->frame >= 0;
    const bool contiguous = !seek && clip->frame == watch.frame + 1;
    const auto& frames = clip->timeline->frames;
    if (entered && !seek && static_cast<std::size_t>(clip->frame) < frames.size()) {
        for (const SoundStart& start : frames[static_cast<std::size_t>(clip->frame)].sounds) {
            startEvent(start);
        }
    }
    follow(*clip, watch, entered, contiguous);
    watch.frame = clip->frame;
    for (auto& [layer, instance] : clip->list) {
        if (instance.clip) {
            visit(instance.clip, seek, depth + 1);
        }
    }
}

void SoundDirector::follow(Clip& clip, Watch& watch, bool entered, bool contiguous) {
    const StreamSound* stream = clip.timeline->stream.get();
    if (!stream || stream->blocks.empty()) {
        return;
    }
    const bool playing = watch.stream != 0 && mixer_.isPlaying(watch.stream);
    if (!entered) {
        if (playing && !clip.playing) {
            mixer_.stop(watch.stream); // a stopped timeline silences its stream
            watch.stream = 0;
        }
        return;
    }
    if (playing && contiguous) {
        return; // in step: the stream plays on
    }
    mixer_.stop(watch.stream);
    watch.stream = 0;
    const auto decoded = streamPcm(*stream);
    const auto next = std::lower_bound(decoded->frames.begin(), decoded->frames.end(), clip.frame);
    if (next == decoded->frames.end() ||
        (*next != clip.frame && (contiguous || next == decoded->frames.begin()))) {
        return; // before the stream's first block, or past its last one
    }
    PlayRequest request;
    request.pcm = decoded->pcm;
    request.key = stream;
    request.start = decoded->starts[static_cast<std::size_t>(next - decoded->frames.begin())];
    watch.stream = mixer_.play(std::move(request));
}

void SoundDirector::startEvent(const SoundStart& start) {
    std::shared_ptr<const SoundCharacter> sound;
    if (!start.className.empty()) {
        sound = findSound(start.className);
    } else {
        sound = context_.dictionary.findAs<const SoundCharacter>(start.soundId, start.epoch);
    }
    if (!sound) {
        return;
    }
    if (start.info.syncStop) {
        mixer_.stopKey(sound.get());
        return;
    }
    if (start.info.noMultiple && mixer_.isKeyPlaying(sound.get())) {
        return;
    }
    PlayRequest request;
    request.pcm = eventPcm(*sound);
    request.key = sound.get();
    request.start = start.info.inPoint.value_or(0);
    request.end = start.info.outPoint ? static_cast<std::int64_t>(*start.info.outPoint) : -1;
    request.loops = start.info.loops;
    request.envelope = start.info.envelope;
    mixer_.play(std::move(request));
}

void SoundDirector::buttonTransition(std::uint16_t buttonId, ButtonTransition transition) {
    const auto it = context_.sounds.buttons.find(buttonId);
    if (!enabled_ || it == context_.sounds.buttons.end()) {
        return;
    }
    const auto& slot = it->second.sounds[static_cast<int>(transition)];
    if (slot) {
        startEvent(*slot);
    }
}

std::shared_ptr<const Pcm> SoundDirector::eventPcm(const SoundCharacter& sound) {
    auto& cached = events_[&sound];
    if (!cached) {
        std::vector<std::string> warnings;
        auto pcm = std::make_shared<const Pcm>(ToMixFormat(DecodeSound(sound, warnings)));
        for (const auto& warning : warnings) {
            context_.warn(warning);
        }
        std::size_t total = 0;
        for (const auto& [key, held] : events_) {
            total += held ? BytesOf(*held) : 0;
        }
        if (total + BytesOf(*pcm) > MaxDecodedBytes) {
            context_.warn(
                "the movie's sounds take more than 512 MiB decoded; the rest stay silent");
            pcm = std::make_shared<const Pcm>();
        }
        cached = std::move(pcm);
    }
    return cached;
}

std::shared_ptr<const SoundDirector::StreamPcm>
SoundDirector::streamPcm(const StreamSound& stream) {
    auto& cached = streams_[&stream];
    if (!cached) {
        std::vector<std::string> warnings;
        DecodedStream decoded = DecodeStream(stream, warnings);
        for (const auto& warning : warnings) {
            context_.warn(warning);
        }
        auto result = std::make_shared<StreamPcm>();
        for (std::size_t i = 0; i < decoded.blockStarts.size(); ++i) {
            result->frames.push_back(stream.blocks[i].frame);
            result->starts.push_back(MixFramesFor(decoded.blockStarts[i], decoded.pcm.rate));
        }
        result->pcm = std::make_shared<const Pcm>(ToMixFormat(decoded.pcm));
        cached = std::move(result);
    }
    return cached;
}

std::shared_ptr<const SoundCharacter> SoundDirector::findSound(const std::string& name) const {
    const auto it = context_.sounds.exports.find(name);
    if (it == context_.sounds.exports.end()) {
        return nullptr;
    }
    return context_.dictionary.findAs<const SoundCharacter>(it->second,
                                                            context_.dictionary.epoch());
}

double SoundDirector::duration(const SoundCharacter& sound) {
    return static_cast<double>(eventPcm(sound)->frames()) * 1000.0 / MixRate;
}

SoundDirector::Channel SoundDirector::start(const SoundCharacter& sound, double offsetSeconds,
                                            int loops, const SoundTransform& transform) {
    if (!enabled_) {
        return 0;
    }
    PlayRequest request;
    request.pcm = eventPcm(sound);
    request.key = &sound;
    request.start = std::llround(std::clamp(offsetSeconds, 0.0, 1e6) * MixRate);
    request.loops = loops;
    request.transform = transform;
    return mixer_.play(std::move(request));
}

double SoundDirector::position(Channel channel) const {
    const std::int64_t at = mixer_.position(channel);
    return at < 0 ? -1.0 : static_cast<double>(at) * 1000.0 / MixRate;
}

} // namespace quillon::engine
