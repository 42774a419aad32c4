#include "player/engine/sound/SoundMixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quillon::engine {

namespace {

constexpr float FullLevel = 32768.0f;

std::int64_t EndOf(const PlayRequest& request) {
    const auto length = static_cast<std::int64_t>(request.pcm->frames());
    return request.end < 0 ? length : std::min(request.end, length);
}

} // namespace

SoundTransform VolumePanTransform(double volume, double pan) {
    SoundTransform transform;
    transform.volume = static_cast<float>(std::clamp(volume, 0.0, 100.0) / 100.0);
    const double p = std::clamp(pan, -100.0, 100.0) / 100.0;
    // Panning turns one side down; the other stays full.
    transform.leftToLeft = static_cast<float>(p > 0 ? 1.0 - p : 1.0);
    transform.rightToRight = static_cast<float>(p < 0 ? 1.0 + p : 1.0);
    return transform;
}

std::pair<float, float> EnvelopeLevel(const std::vector<EnvelopePoint>& envelope,
                                      std::int64_t position) {
    if (envelope.empty()) {
        return {1.0f, 1.0f};
    }
    const auto after = std::find_if(envelope.begin(), envelope.end(), [&](const auto& point) {
        return static_cast<std::int64_t>(point.position) > position;
    });
    if (after == envelope.begin()) {
        return {after->left / FullLevel, after->right / FullLevel};
    }
    const EnvelopePoint& a = *(after - 1);
    if (after == envelope.end()) {
        return {a.left / FullLevel, a.right / FullLevel};
    }
    const EnvelopePoint& b = *after;
    const float t =
        static_cast<float>(position - a.position) / static_cast<float>(b.position - a.position);
    return {(a.left + (b.left - a.left) * t) / FullLevel,
            (a.right + (b.right - a.right) * t) / FullLevel};
}

SoundMixer::Channel SoundMixer::play(PlayRequest request) {
    if (!request.pcm || channels_.size() >= MaxChannels) {
        return 0;
    }
    const std::int64_t end = EndOf(request);
    request.start = std::clamp<std::int64_t>(request.start, 0, end);
    if (request.start >= end) {
        return 0;
    }
    Playing playing;
    playing.id = nextId_++;
    if (nextId_ == 0) {
        nextId_ = 1;
    }
    playing.position = request.start;
    playing.loopsLeft = std::max(1, request.loops);
    playing.request = std::move(request);
    channels_.push_back(std::move(playing));
    return channels_.back().id;
}

void SoundMixer::stop(Channel channel) {
    std::erase_if(channels_, [&](const Playing& p) { return p.id == channel; });
}

void SoundMixer::stopKey(const void* key) {
    std::erase_if(channels_, [&](const Playing& p) { return p.request.key == key; });
}

void SoundMixer::stopAll() {
    channels_.clear();
}

bool SoundMixer::isPlaying(Channel channel) const {
    return std::any_of(channels_.begin(), channels_.end(),
                       [&](const Playing& p) { return p.id == channel; });
}

bool SoundMixer::isKeyPlaying(const void* key) const {
    return std::any_of(channels_.begin(), channels_.end(),
                       [&](const Playing& p) { return p.request.key == key; });
}

std::int64_t SoundMixer::position(Channel channel) const {
    for (const Playing& p : channels_) {
        if (p.id == channel) {
            return p.position;
        }
    }
    return -1;
}

void SoundMixer::setTransform(Channel channel, const SoundTransform& transform) {
    for (Playing& p : channels_) {
        if (p.id == channel) {
            p.request.transform = transform;
        }
    }
}

SoundTransform SoundMixer::transform(Channel channel) const {
    for (const Playing& p : channels_) {
        if (p.id == channel) {
            return p.request.transform;
        }
    }
    return {};
}

bool SoundMixer::mixChannel(Playing& p, std::span<float> buffer) const {
    const PlayRequest& r = p.request;
    const std::int64_t end = EndOf(r);
    const std::int16_t* samples = r.pcm->samples.data();
    const SoundTransform& t = r.transform;
    const bool shaped = !r.envelope.empty();
    std::size_t i = 0;
    const std::size_t count = buffer.size() / 2;
    while (i < count) {
        if (p.position >= end) {
            if (--p.loopsLeft <= 0) {
                return false;
            }
            p.position = r.start;
        }
        const auto run = static_cast<std::size_t>(
            std::min<std::int64_t>(end - p.position, static_cast<std::int64_t>(count - i)));
        const std::int16_t* in = samples + p.position * 2;
        float* out = buffer.data() + i * 2;
        for (std::size_t k = 0; k < run; ++k) {
            float left = in[2 * k], right = in[2 * k + 1];
            if (shaped) {
                const auto [gl, gr] =
                    EnvelopeLevel(r.envelope, p.elapsed + static_cast<std::int64_t>(k));
                left *= gl;
                right *= gr;
            }
            out[2 * k] += (left * t.leftToLeft + right * t.rightToLeft) * t.volume;
            out[2 * k + 1] += (left * t.leftToRight + right * t.rightToRight) * t.volume;
        }
        p.position += static_cast<std::int64_t>(run);
        p.elapsed += static_cast<std::int64_t>(run);
        i += run;
    }
    return true;
}

void SoundMixer::mix(std::span<std::int16_t> out) {
    if (channels_.empty()) {
        return;
    }
    buffer_.assign(out.size() & ~std::size_t{1}, 0.0f);
    std::vector<Channel> ended;
    for (Playing& playing : channels_) {
        if (!mixChannel(playing, buffer_)) {
            ended.push_back(playing.id);
        }
    }
    for (const Channel id : ended) {
        stop(id);
        finished_.push_back(id);
    }
    const SoundTransform& m = master_;
    for (std::size_t i = 0; i + 1 < buffer_.size(); i += 2) {
        const float l = buffer_[i], r = buffer_[i + 1];
        const float left = (l * m.leftToLeft + r * m.rightToLeft) * m.volume + out[i];
        const float right = (l * m.leftToRight + r * m.rightToRight) * m.volume + out[i + 1];
        out[i] = static_cast<std::int16_t>(std::clamp(std::lrint(left), -32768L, 32767L));
        out[i + 1] = static_cast<std::int16_t>(std::clamp(std::lrint(right), -32768L, 32767L));
    }
}

std::vector<SoundMixer::Channel> SoundMixer::takeFinished() {
    return std::exchange(finished_, {});
}

} // namespace quillon::engine
