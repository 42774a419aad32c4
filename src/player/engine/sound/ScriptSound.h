#pragma once
// What the script interpreters need of the sound: the Sound objects of ActionScript 1
// and 2 (attachSound, start with an offset and loops, stop, setVolume, setPan,
// setTransform, onSoundComplete) and ActionScript 3's Sound, SoundChannel,
// SoundTransform and SoundMixer. The interpreters bind to this and nothing else.

#include "player/engine/characters/Sound.h"
#include "player/engine/sound/SoundMixer.h"

#include <memory>
#include <string>
#include <vector>

namespace quillon::engine {

class ScriptSound {
public:
    using Channel = SoundMixer::Channel;
    virtual ~ScriptSound() = default;

    // The sound exported or linked under a name (attachSound, an AS3 Sound subclass);
    // nullptr when there is none.
    virtual std::shared_ptr<const SoundCharacter> findSound(const std::string& name) const = 0;
    // Length in milliseconds (Sound.duration, Sound.length).
    virtual double duration(const SoundCharacter& sound) = 0;
    // Starts a sound offsetSeconds into it, played loops times; 0 when it cannot play.
    virtual Channel start(const SoundCharacter& sound, double offsetSeconds, int loops,
                          const SoundTransform& transform) = 0;
    virtual void stop(Channel channel) = 0;
    // Stops every channel of one sound (Sound.stop with a linkage name).
    virtual void stopSound(const SoundCharacter& sound) = 0;
    // Stops everything, streams included (stopAllSounds, SoundMixer.stopAll).
    virtual void stopAll() = 0;
    virtual bool isPlaying(Channel channel) const = 0;
    // Milliseconds into the sound (Sound.position, SoundChannel.position); -1 when done.
    virtual double position(Channel channel) const = 0;
    // Per channel (setVolume, setPan, setTransform, SoundChannel.soundTransform).
    virtual void setTransform(Channel channel, const SoundTransform& transform) = 0;
    virtual SoundTransform transform(Channel channel) const = 0;
    // For everything (the global Sound object, SoundMixer.soundTransform).
    virtual void setGlobalTransform(const SoundTransform& transform) = 0;
    virtual SoundTransform globalTransform() const = 0;
    // Channels that played to their end since the last call: onSoundComplete and the
    // soundComplete event are dispatched from these, once per frame.
    virtual std::vector<Channel> takeCompleted() = 0;
};

} // namespace quillon::engine
