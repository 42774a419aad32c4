#pragma once
// Mixes the sounds playing at once into 44.1 kHz stereo: each channel plays a decoded
// sound from an in point to an out point, a number of times, shaped by an envelope and
// a channel transform.

#include "player/engine/characters/SoundData.h"
#include "player/engine/sound/Pcm.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace quillon::engine {

// How the two channels of a sound reach the output: left out = left * leftToLeft +
// right * rightToLeft, and so on, all scaled by volume (1 is full).
struct SoundTransform {
    float leftToLeft = 1, leftToRight = 0, rightToLeft = 0, rightToRight = 1;
    float volume = 1;
};

// The transform of a volume (0..100) and pan (-100 left .. 100 right), as scripts set them.
SoundTransform VolumePanTransform(double volume, double pan);

struct PlayRequest {
    std::shared_ptr<const Pcm> pcm;      // at the mix rate, stereo
    const void* key = nullptr;           // what stopKey and isKeyPlaying match
    std::int64_t start = 0;              // first sample played
    std::int64_t end = -1;               // past the last one; -1: the sound's end
    int loops = 1;                       // plays in all
    std::vector<EnvelopePoint> envelope; // over the samples played, loops included
    SoundTransform transform;
};

class SoundMixer {
public:
    using Channel = std::uint32_t;
    // Sounds that may play at once; a start past it is refused (returns 0).
    static constexpr std::size_t MaxChannels = 256;

    // Starts a sound; 0 when it has nothing to play or too many are playing.
    Channel play(PlayRequest request);
    void stop(Channel channel);
    void stopKey(const void* key);
    void stopAll();
    bool isPlaying(Channel channel) const;
    bool isKeyPlaying(const void* key) const;
    std::size_t playingCount() const { return channels_.size(); }
    // Samples played so far in the current loop, and that position as a sample of the sound.
    std::int64_t position(Channel channel) const;
    void setTransform(Channel channel, const SoundTransform& transform);
    SoundTransform transform(Channel channel) const;
    // Applies to everything mixed, after each channel's own transform.
    void setMasterTransform(const SoundTransform& transform) { master_ = transform; }
    SoundTransform masterTransform() const { return master_; }

    // Adds the next out.size() / 2 stereo samples of every channel into out (which the
    // caller fills with silence or other sound first) and moves the channels on.
    void mix(std::span<std::int16_t> out);
    // Channels that have played to their end since the last call (not those stopped).
    std::vector<Channel> takeFinished();

private:
    struct Playing {
        Channel id = 0;
        PlayRequest request;
        std::int64_t position = 0; // next sample of the sound
        std::int64_t elapsed = 0;  // samples played, loops included
        int loopsLeft = 1;
    };
    // Mixes one channel into the float buffer; false once it has ended.
    bool mixChannel(Playing& playing, std::span<float> buffer) const;

    std::vector<Playing> channels_;
    std::vector<Channel> finished_;
    std::vector<float> buffer_;
    SoundTransform master_;
    Channel nextId_ = 1;
};

// The level of an envelope at a point (samples played), per side; 1 is full.
std::pair<float, float> EnvelopeLevel(const std::vector<EnvelopePoint>& envelope,
                                      std::int64_t position);

} // namespace quillon::engine
